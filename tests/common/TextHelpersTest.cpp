#include "common/TextHelpers.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(TextHelpers, StringToIntReadsLikeTheCLibrary)
{
    EXPECT_EQ(StringToInt("  -42xyz"), -42);
    EXPECT_EQ(StringToInt("abc"), 0);
    EXPECT_EQ(StringToInt("+17"), 17);
    EXPECT_EQ(StringToInt(""), 0);
    EXPECT_EQ(StringToInt("99999999999"), 2147483647);
    EXPECT_EQ(StringToInt("-99999999999"), -2147483647 - 1);
}

TEST(TextHelpers, IntegersToDecimalText)
{
    EXPECT_EQ(IntToString(-7), "-7");
    EXPECT_EQ(IntToString(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(UShortToString(65535), "65535");
    EXPECT_EQ(UShortToString(0), "0");
}

TEST(TextHelpers, DoublesInSixSignificantDigits)
{
    EXPECT_EQ(DoubleToString(2.5), "2.5");
    EXPECT_EQ(DoubleToString(200), "200");
    EXPECT_EQ(DoubleToString(0.1), "0.1");
    EXPECT_EQ(DoubleToString(1234567), "1.23457e+06");
    EXPECT_EQ(DoubleToString(123456), "123456");
    EXPECT_EQ(DoubleToString(0.0001), "0.0001");
    EXPECT_EQ(DoubleToString(-3.25), "-3.25");
}

TEST(TextHelpers, AmountsOfMoneyReadExactlyNeverRoundedUpNorInExponentForm)
{
    EXPECT_EQ(AmountToString(999999.5), "999999.5");
    EXPECT_EQ(AmountToString(130337.5), "130337.5");
    EXPECT_EQ(AmountToString(37.5), "37.5");
    EXPECT_EQ(AmountToString(12.75), "12.75");
    EXPECT_EQ(AmountToString(0.29), "0.29");
    EXPECT_EQ(AmountToString(2.999), "2.99") << "cut at the cent, never rounded up";
    EXPECT_EQ(AmountToString(-150.05), "-150.05");
    EXPECT_EQ(AmountToString(1234567.25, " "), "1 234 567.25");
    EXPECT_EQ(AmountToString(1e20), "100000000000000000000");
    EXPECT_EQ(AmountToString(std::nan("")), "0");
}

TEST(TextHelpers, LowerCaseTouchesOnlyAsciiLetters)
{
    EXPECT_EQ(ToLowerCase("Ab-Z9"), "ab-z9");
    EXPECT_EQ(ToLowerCase("\xC4\xE9@[`"), "\xC4\xE9@[`");
}
