// The 3 x 3 matrix with which the image drawing code transforms 2D points.
// A value type; any thread.
#pragma once

namespace Zolt {

class AffineMatrix {
public:
    struct Point {
        float x;
        float y;
    };

    // The identity.
    AffineMatrix();
    AffineMatrix(const AffineMatrix&) = default;
    AffineMatrix& operator=(const AffineMatrix&) = default;

    void SetIdentity();
    // this x b
    AffineMatrix Product(const AffineMatrix& b) const;
    // (m00 x + m01 y + m02, m10 x + m11 y + m12)
    Point MapPoint(float x, float y) const;
    // this x v
    void MapVector(const float v[3], float out[3]) const;
    // this = T x this, T a translation by (tx, ty)
    void PreTranslate(float tx, float ty);
    // this = R x this, R = [[cos a, sin a, 0], [-sin a, cos a, 0], [0, 0, 1]]
    void PreRotate(float radians);
    // this = S x this, S = diag(sx, sy, 1)
    void PreScale(float sx, float sy);

    // Row by row: m[0][0] m[0][1] m[0][2] / m[1][...] / m[2][...]
    float m[3][3];
};

} // namespace Zolt
