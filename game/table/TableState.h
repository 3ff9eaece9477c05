// The table's public block: what a player may know of the hand. Copied out
// whole by PlayerMgrI::GetTableState, so a player decides on a snapshot; its
// betting figures come from the table's BettingRound.
#pragma once

#include "game/table/Card.h"

#include <cstdint>
#include <vector>

namespace Gamespace {

class PlayerI;

struct TableState {
    uint32_t boardStage = 0;   // 0 before the flop, 1 flop, 2 turn, 3 river
    uint8_t betMade = 0;       // a bet was made in this betting round
    double currentBet = 0.0;   // the highest bet of the round
    double roundPot = 0.0;     // what the players still in the hand bet in the round
    double raiseCount = 0.0;   // raises made in the round
    std::vector<PlayerI*> actingOrder; // first seat after the dealer .. the dealer
    std::vector<Card> board;   // community cards turned over so far
    uint32_t gameType = 0;
    double minBet = 0.0;
    double totalPot = 0.0;     // the hand's chips already collected from the bets
};

// Screen places of one seat: an anchor and four offsets from it.
struct SeatLayout {
    int32_t anchorX = 0;
    int32_t anchorY = 0;
    int32_t cardsDx = 0;
    int32_t cardsDy = 0;
    int32_t chipsDx = 0;
    int32_t chipsDy = 0;
    int32_t labelDx = 0;
    int32_t labelDy = 0;
    int32_t nameDx = 0;
    int32_t nameDy = 0;
};

// The table's own action codes, as the players report them.
enum TableAction : uint32_t {
    kActionBlindsPosted = 0,
    kActionCheck = 1,
    kActionOpen = 2,
    kActionCall = 3,
    kActionRaise = 4,
    kActionFold = 5,
    kActionAllIn = 6,
};

} // namespace Gamespace
