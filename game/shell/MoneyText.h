// Money as the dialogs write it: "$" followed by the amount.
//
// Running values (a minimum bet, a pot, a player's chips) are written the
// way DoubleToString writes them, so 2.5 reads "$2.5"; from a million on,
// where that would switch to exponent form, they are written in whole
// dollars. Paid results (prizes, winnings) are written in whole dollars.
// Whole dollars are 64-bit integers, so no amount the table can hold wraps
// or is cut to 16 bits.
//
// Threads: any (no state).
#pragma once

#include <cstdint>
#include <string>

namespace Gamespace {

std::string MoneyText(double amount);
// The same amount without the "$" (a total in a table of figures).
std::string AmountText(double amount);
std::string WholeMoneyText(double amount);
// The whole dollars of an amount, cut toward zero; amounts beyond the range
// of a 64-bit integer stick at its ends, and a value that is no number is 0.
int64_t WholeDollars(double amount);

} // namespace Gamespace
