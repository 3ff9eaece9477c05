// Money as the dialogs write it: "$" followed by the amount.
//
// Running values (a minimum bet, a pot) are written the way DoubleToString
// writes them, so 2.5 reads "$2.5"; from a million on, where that would
// switch to exponent form, they are written in whole dollars. Paid results
// (prizes, winnings) and a player's chips, which the seats show in whole
// dollars, are written in whole dollars.
// Whole dollars are 64-bit integers (WholeDollars, common/TextHelpers.h), so
// no amount the table can hold wraps or is cut to 16 bits.
//
// Threads: any (no state).
#pragma once

#include "common/TextHelpers.h"

#include <cstdint>
#include <string>

namespace Gamespace {

using ::WholeDollars;

std::string MoneyText(double amount);
// The same amount without the "$" (a total in a table of figures, the
// amount dialogs' figures).
std::string AmountText(double amount);
std::string WholeMoneyText(double amount);

} // namespace Gamespace
