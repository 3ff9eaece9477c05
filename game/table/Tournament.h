// The catalogue of the nine tournaments (three kinds in each betting
// structure). It is built once, on first use, and only read afterwards: any
// thread may look records up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Tournament {
    uint32_t id = 0;              // 1..9
    std::string name;
    uint32_t kind = 0;            // 0 limit, 1 pot limit, 2 no limit; game type 3 + kind
    uint32_t levelTime = 0;       // seconds per level
    double price = 0.0;           // dollars: the buy-in and each re-buy or add-on
    double startBet = 0.0;        // the minimum bet at level 1
    uint16_t chipsPerDollar = 0;  // a buy-in, re-buy or add-on gives price x this in chips
    uint16_t maxRebuys = 0;       // re-buys per player; 0: none
    uint16_t rebuyLastLevel = 0;  // the last level at which a re-buy is offered
    uint16_t addOnCount = 0;      // 0: no add-on
    uint16_t addOnLevel = 0;      // the add-on is offered while the level is this minus 1
    uint16_t tables = 0;
    uint16_t players = 0;         // players at the table, the human included
};

constexpr uint32_t kTournamentCount = 9;

// Fills the catalogue; only the first call does anything.
void BuildTournamentCatalogue();
// Replaces `out` with copies of the nine records, in id order.
void GetTournamentCatalogue(std::vector<Tournament>& out);
// Whether the add-on is offered at `level`: the level before the record's
// add-on level, in a tournament that has one.
bool IsAddOnOffered(const Tournament& record, uint32_t level);
// The highest level `record` can reach when its level 1 minimum bet is
// `startBet`: a level rises only while at least three players can each pay
// its minimum bet, and no table holds more chips than every player's buy-in,
// re-buys and add-on bring in.
uint32_t HighestLevel(const Tournament& record, double startBet);
// Copies record `id` into `out`. Ids run from 1 to 9; any other id gives
// false and leaves `out` as it was.
bool FindTournament(uint16_t id, Tournament& out);
