// Money as the dialogs write it.
#include "game/shell/MoneyText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace Gamespace {
namespace {

TEST(MoneyText, AmountsReadExactlyAfterTheDollarSign)
{
    EXPECT_EQ(MoneyText(2.5), "$2.5");
    EXPECT_EQ(MoneyText(0), "$0");
    EXPECT_EQ(MoneyText(999999.5), "$999999.5");
    EXPECT_EQ(MoneyText(1234567.75), "$1234567.75");
    EXPECT_EQ(MoneyText(-2500000), "$-2500000");
    EXPECT_EQ(AmountText(130337.5), "130337.5");
    EXPECT_EQ(AmountText(-150), "-150");
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
