#include "game/shell/MoneyText.h"

#include "common/TextHelpers.h"

#include <cmath>
#include <limits>

namespace Gamespace {

namespace {

// DoubleToString writes six significant digits: from here on it would round
// or switch to exponent form.
constexpr double kExponentFrom = 1e6;

} // namespace

int64_t WholeDollars(double amount)
{
    if (std::isnan(amount))
        return 0;
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    if (amount >= kLimit)
        return std::numeric_limits<int64_t>::max();
    if (amount <= -kLimit)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(amount);
}

std::string WholeMoneyText(double amount)
{
    return "$" + std::to_string(WholeDollars(amount));
}

std::string AmountText(double amount)
{
    if (std::fabs(amount) < kExponentFrom)
        return DoubleToString(amount);
    return std::to_string(WholeDollars(amount));
}

std::string MoneyText(double amount)
{
    return "$" + AmountText(amount);
}

} // namespace Gamespace
