#include "framework/base/AffineMatrix.h"

#include <cmath>

namespace Zolt {

AffineMatrix::AffineMatrix()
{
    SetIdentity();
}

void AffineMatrix::SetIdentity()
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = i == j ? 1.0f : 0.0f;
}

AffineMatrix AffineMatrix::Product(const AffineMatrix& b) const
{
    AffineMatrix r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 3; ++k)
                sum += m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    return r;
}

AffineMatrix::Point AffineMatrix::MapPoint(float x, float y) const
{
    return Point{m[0][0] * x + m[0][1] * y + m[0][2], m[1][0] * x + m[1][1] * y + m[1][2]};
}

void AffineMatrix::MapVector(const float v[3], float out[3]) const
{
    // Through a copy, so that out may be v itself.
    float r[3];
    for (int i = 0; i < 3; ++i)
        r[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    for (int i = 0; i < 3; ++i)
        out[i] = r[i];
}

void AffineMatrix::PreTranslate(float tx, float ty)
{
    AffineMatrix t;
    t.m[0][2] = tx;
    t.m[1][2] = ty;
    *this = t.Product(*this);
}

void AffineMatrix::PreRotate(float radians)
{
    AffineMatrix r;
    float c = std::cos(radians), s = std::sin(radians);
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    *this = r.Product(*this);
}

void AffineMatrix::PreScale(float sx, float sy)
{
    AffineMatrix s;
    s.m[0][0] = sx;
    s.m[1][1] = sy;
    *this = s.Product(*this);
}

} // namespace Zolt
