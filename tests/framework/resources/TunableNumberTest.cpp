#include "framework/resources/TunableNumber.h"

#include <gtest/gtest.h>

TEST(TunableNumber, ReadsTheNumberBeforeTheClosingParenthesis)
{
    double v = -1.0;
    EXPECT_TRUE(ParseTunableNumber("12.5)", v));
    EXPECT_DOUBLE_EQ(v, 12.5);
    EXPECT_TRUE(ParseTunableNumber("-0.25f)", v));
    EXPECT_DOUBLE_EQ(v, -0.25);
    EXPECT_TRUE(ParseTunableNumber(".5)", v));
    EXPECT_DOUBLE_EQ(v, 0.5);
    EXPECT_TRUE(ParseTunableNumber("7)", v));
    EXPECT_DOUBLE_EQ(v, 7.0);
}

TEST(TunableNumber, AnythingElseGivesFalseAndZero)
{
    double v = -1.0;
    EXPECT_FALSE(ParseTunableNumber("3f", v));
    EXPECT_EQ(v, 0.0);
    v = -1.0;
    EXPECT_FALSE(ParseTunableNumber("3 )", v));
    EXPECT_EQ(v, 0.0);
    EXPECT_FALSE(ParseTunableNumber("1e3)", v));
    EXPECT_FALSE(ParseTunableNumber("", v));
    EXPECT_FALSE(ParseTunableNumber(nullptr, v));
}
