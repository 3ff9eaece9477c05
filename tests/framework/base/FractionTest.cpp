#include "framework/base/Fraction.h"

#include <gtest/gtest.h>

#include <limits>

TEST(Fraction, ScreenSizesReduceToTheirAspect)
{
    Zolt::Fraction f;
    EXPECT_EQ(f.Numerator(), 1);
    EXPECT_EQ(f.Denominator(), 1);
    f.SetReduced(1024, 768);
    EXPECT_EQ(f.Numerator(), 4);
    EXPECT_EQ(f.Denominator(), 3);
    f.SetReduced(1920, 1080);
    EXPECT_EQ(f.Numerator(), 16);
    EXPECT_EQ(f.Denominator(), 9);
    f.SetReduced(5, 0);
    EXPECT_EQ(f.Numerator(), 1);
    EXPECT_EQ(f.Denominator(), 0);
    f.SetReduced(-4, 6);
    EXPECT_EQ(f.Numerator() * 3, f.Denominator() * -2);
}

TEST(Fraction, DegenerateInputsDoNotTrap)
{
    Zolt::Fraction f;
    f.SetReduced(0, 0);
    EXPECT_EQ(f.Numerator(), 0);
    EXPECT_EQ(f.Denominator(), 0);
    f.SetReduced(std::numeric_limits<int32_t>::min(), 2);
    EXPECT_EQ(f.Numerator(), std::numeric_limits<int32_t>::min() / 2);
    EXPECT_EQ(f.Denominator(), 1);
    EXPECT_FALSE(Zolt::Fraction(1, 0).IsLess(Zolt::Fraction(4, 3)));
}

TEST(Fraction, AspectComparison)
{
    const Zolt::Fraction fourThirds(4, 3);
    const Zolt::Fraction wide(16, 9);
    EXPECT_TRUE(fourThirds.IsLess(wide));
    EXPECT_FALSE(wide.IsLess(fourThirds));
    EXPECT_FALSE(fourThirds.IsLess(Zolt::Fraction(8, 6)));
    EXPECT_TRUE(Zolt::Fraction(5, 4).IsLess(fourThirds));
    EXPECT_FALSE(fourThirds.IsLess(Zolt::Fraction(5, 4)));
}
