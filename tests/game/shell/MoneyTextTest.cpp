// Money as the dialogs write it.
#include "game/shell/MoneyText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace Gamespace {
namespace {

TEST(MoneyText, RunningAmountsReadAsTheirDecimalsUpToAMillion)
{
    EXPECT_EQ(MoneyText(2.5), "$2.5");
    EXPECT_EQ(MoneyText(200), "$200");
    EXPECT_EQ(MoneyText(0), "$0");
    EXPECT_EQ(MoneyText(65536), "$65536");
    EXPECT_EQ(MoneyText(999999), "$999999");
    EXPECT_EQ(AmountText(2.5), "2.5");
}

TEST(MoneyText, AMillionAndMoreReadInWholeDollarsNeverInExponentForm)
{
    EXPECT_EQ(MoneyText(1000000), "$1000000");
    EXPECT_EQ(MoneyText(1234567.75), "$1234567");
    EXPECT_EQ(MoneyText(-2500000), "$-2500000");
    EXPECT_EQ(AmountText(-2147483648.0), "-2147483648");
    EXPECT_EQ(AmountText(-150), "-150");
}

TEST(MoneyText, PaidAmountsAreWholeDollarsBeyondSixteenAndThirtyTwoBits)
{
    EXPECT_EQ(WholeMoneyText(65536), "$65536");
    EXPECT_EQ(WholeMoneyText(70000.9), "$70000");
    EXPECT_EQ(WholeMoneyText(5000000000.0), "$5000000000");
    EXPECT_EQ(WholeMoneyText(-12.7), "$-12");
}

TEST(MoneyText, WholeDollarsStickAtTheEndsOfTheirRange)
{
    EXPECT_EQ(WholeDollars(1e300), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(WholeDollars(-1e300), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(WholeDollars(std::nan("")), 0);
    EXPECT_EQ(WholeDollars(std::numeric_limits<double>::infinity()), std::numeric_limits<int64_t>::max());
}

} // namespace
} // namespace Gamespace
