// Money as the dialogs write it: "$" followed by the amount.
//
// Every amount is written exactly (AmountToString, common/TextHelpers.h):
// all the digits of its whole part, never an exponent, and its cents when it
// has any, so a half-dollar blind reads "$37.5" and no amount ever reads more
// than it is, however many digits it takes.
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

} // namespace Gamespace
