// The money of a showdown: the pots of a hand and the rows that pay them.
#pragma once

#include "game/table/HandEvaluator.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Gamespace {

class PlayerI;

struct Pot {
    uint32_t stage = 0;              // board stage when it was built
    std::string name;                // "Pot n" or "Main pot"
    std::vector<PlayerI*> eligible;  // who may win it
    double amount = 0.0;
};

struct WinnerRow {
    PlayerI* player = nullptr;
    std::string handName;
    double amount = 0.0;
};

// A player's rated hand: its category and the sorted groups of its cards.
struct HandRecord {
    uint32_t category = kHighCard;
    std::vector<HandGroup> groups;
};

} // namespace Gamespace
