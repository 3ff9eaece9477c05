// The computer opponent's decisions: from a snapshot of the table and the
// player's cards, one of six decisions and the amount that goes with it.
// Three play styles, 0 the most cautious, 2 the most aggressive.
//
// Every chance comes from RandomInRange, drawn in a fixed order, so a seeded
// generator gives a fixed sequence of decisions.
//
// Threads: the main thread (RandomInRange keeps its generator per thread).
#pragma once

#include "game/table/HandEvaluator.h"
#include "game/table/TableState.h"

#include <cstdint>
#include <vector>

namespace Gamespace {

class PlayerI;
class PlayerMgrI;

enum ComputerDecision : uint32_t {
    kDecideCheck = 0,
    kDecideOpen = 1,
    kDecideCall = 2,
    kDecideAllIn = 3,
    kDecideFold = 4,
    kDecideRaise = 5,
};

// Limit at a cash table and in a tournament; pot limit is played like no limit.
bool IsLimitGame(uint32_t gameType);

// The decision of the player at `position` of the snapshot's acting order.
// `betUnit` is the table's minimum bet. `amount` receives the chips to put in
// for an open or a raise (all the chips for an all-in); `category` and
// `groups` the player's rated hand, groups sorted.
uint32_t ChooseComputerAction(uint16_t position, uint32_t style, const TableState& state, double betUnit,
                              double& amount, uint32_t& category, std::vector<HandGroup>& groups);

// Takes the snapshot, decides and carries the decision out through the
// player's action primitives.
void RunComputerTurn(PlayerI& player, PlayerMgrI& table);

} // namespace Gamespace
