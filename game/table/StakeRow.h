// The six stakes of the cash tables: the table's minimum bet (the big blind),
// its buy-in (always 100 minimum bets) and the place of the stake's button on
// the cash-table set-up screens. Fixed data: any thread may read it.
#pragma once

#include <cstdint>
#include <vector>

struct StakeRow {
    double bet = 0.0;
    double buyIn = 0.0;
    uint32_t x = 0;
    uint32_t y = 0;
};

constexpr uint32_t kStakeRowCount = 6;

// A player's choice of cash table in one betting structure: the stake row
// and the number of seats taken, the human's included.
struct TableChoice {
    uint16_t tableIndex = 0;  // stake row 0..5
    uint16_t players = 10;    // 2..10
};

// Empties `out` and appends the six rows.
void SetStakeRows(std::vector<StakeRow>& out);
// Appends the six rows to `out`.
void AddStakeRows(std::vector<StakeRow>& out);
// The row at `index` (0..5, what a profile stores as its table index). An
// index outside the rows gives false and the first row, so a damaged profile
// still opens a table.
bool FindStakeRow(uint32_t index, StakeRow& out);
