// What a hand stands to pay and what its showdown paid, in terms a test can
// compare across two tables playing the same hand (players are named by
// their seats, not by the objects that stand for them): the pots with their
// amounts and the seats that may win them, the rows of the hand result, and
// every seat's chips.
//
// Threads: the test's.
#pragma once

#include "game/table/Pot.h"

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace Gamespace {
class GameMgr;
}

namespace testing_support {

struct PotView {
    std::string name;
    double amount = 0.0;
    std::vector<uint16_t> seats; // in seat order
    bool operator==(const PotView&) const = default;
};

std::vector<PotView> ViewOf(const std::vector<Gamespace::Pot>& pots);
void PrintTo(const PotView& pot, std::ostream* out);

struct Payout {
    std::vector<PotView> pots;
    struct Row {
        std::string pot;
        uint16_t seat = 0;
        double amount = 0.0;
        std::string hand;
        bool operator==(const Row&) const = default;
    };
    std::vector<Row> rows;
    std::map<uint16_t, double> chips; // by seat, after the pay
    bool operator==(const Payout&) const = default;
};

void PrintTo(const Payout& payout, std::ostream* out);

// Every chip of the table: in front of the players and, until the hand is
// shown down and paid, in the hand (its bets included).
double ChipsAndPot(Gamespace::GameMgr& table);

} // namespace testing_support
