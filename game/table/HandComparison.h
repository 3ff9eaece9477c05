// Ranks the rated hands of a showdown and divides a pot among its best.
//
// Pure functions: any thread.
#pragma once

#include "game/table/Pot.h"

#include <vector>

namespace Gamespace {

// True when hand `a` beats hand `b`. Both records carry sorted groups.
bool CompareHands(const HandRecord& a, const HandRecord& b);

struct Contender {
    PlayerI* player = nullptr;
    HandRecord hand;
};

// The winner rows of a pot of `amount` among `contenders` (its eligible
// players, in table order). One contender takes it whole; otherwise the best
// hands share it: each winner gets the same whole share and the first winner
// in ranking order gets what is left over, fractions included, so the rows
// always add up to the amount. No contender: no row.
std::vector<WinnerRow> AwardPot(double amount, std::vector<Contender> contenders);

} // namespace Gamespace
