#include "game/shell/MoneyText.h"

#include <cmath>

namespace Gamespace {

namespace {

// DoubleToString writes six significant digits: from here on it would round
// or switch to exponent form.
constexpr double kExponentFrom = 1e6;

} // namespace

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
