#include "framework/base/AffineMatrix.h"

#include <gtest/gtest.h>

#include <cmath>

using Zolt::AffineMatrix;

namespace {

constexpr float kQuarterTurn = 1.5707963267948966f;

TEST(AffineMatrix, QuarterTurnMapsXAxisOntoNegativeY)
{
    AffineMatrix m;
    m.PreRotate(kQuarterTurn);
    AffineMatrix::Point p = m.MapPoint(1, 0);
    EXPECT_NEAR(p.x, 0.0f, 1e-6f);
    EXPECT_NEAR(p.y, -1.0f, 1e-6f);
}

TEST(AffineMatrix, IdentityLeavesProductsUnchanged)
{
    AffineMatrix m;
    m.PreScale(2, 3);
    m.PreRotate(0.3f);
    m.PreTranslate(5, -7);
    AffineMatrix identity;
    AffineMatrix left = identity.Product(m), right = m.Product(identity);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            EXPECT_FLOAT_EQ(left.m[i][j], m.m[i][j]);
            EXPECT_FLOAT_EQ(right.m[i][j], m.m[i][j]);
        }
}

TEST(AffineMatrix, PreOperationsApplyAfterWhatIsAlreadyThere)
{
    // Scale first, then translate: (1, 1) -> (2, 3) -> (12, 23).
    AffineMatrix m;
    m.PreScale(2, 3);
    m.PreTranslate(10, 20);
    AffineMatrix::Point p = m.MapPoint(1, 1);
    EXPECT_FLOAT_EQ(p.x, 12);
    EXPECT_FLOAT_EQ(p.y, 23);

    // Product order: translate x scale maps like the sequence above.
    AffineMatrix t, s;
    t.PreTranslate(10, 20);
    s.PreScale(2, 3);
    AffineMatrix::Point q = t.Product(s).MapPoint(1, 1);
    EXPECT_FLOAT_EQ(q.x, 12);
    EXPECT_FLOAT_EQ(q.y, 23);

    float v[3] = {1, 1, 1};
    m.MapVector(v, v); // in place
    EXPECT_FLOAT_EQ(v[0], 12);
    EXPECT_FLOAT_EQ(v[1], 23);
    EXPECT_FLOAT_EQ(v[2], 1);

    m.SetIdentity();
    AffineMatrix::Point r = m.MapPoint(4, 5);
    EXPECT_FLOAT_EQ(r.x, 4);
    EXPECT_FLOAT_EQ(r.y, 5);
}

} // namespace
