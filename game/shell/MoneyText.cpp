#include "game/shell/MoneyText.h"

namespace Gamespace {

std::string AmountText(double amount)
{
    return AmountToString(amount);
}

std::string MoneyText(double amount)
{
    return "$" + AmountText(amount);
}

} // namespace Gamespace
