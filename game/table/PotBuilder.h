// Builds the pots of a hand at its showdown from what every player put in
// over the whole hand.
//
// For each all-in level, lowest first, a side pot holds the part of every
// contribution (folded players' included) that lies between the previous
// level and this one; the players still in the hand whose contribution
// reaches the level may win it. What is left of the total pot is the main pot
// of the players in the hand who are not all-in. Pots of no amount are
// dropped, and a pot nobody may win joins the last pot, which is then called
// "Main pot".
//
// Pure functions: any thread.
#pragma once

#include "game/table/Pot.h"

#include <vector>

namespace Gamespace {

struct PotEntrant {
    PlayerI* player = nullptr;
    double contribution = 0.0;  // chips put in during the whole hand
    bool inHand = false;
    bool allIn = false;
};

// `totalPot` is every chip of the hand; the main pot takes whatever the side
// pots do not, so no chip is lost even when contributions are not known in
// full (a hand restored from a saved tournament).
std::vector<Pot> BuildPots(const std::vector<PotEntrant>& entrants, double totalPot, uint32_t stage);

// The sum of the amounts.
double SumPots(const std::vector<Pot>& pots);

} // namespace Gamespace
