// The standings of a tournament's players by chips, as the finish dialog and
// the players panel list them: best first, equal chips in seat order, and
// at most five rows, the human's own place taking the fifth when it lies
// further down (after a gap row in the fourth).
//
// Threads: any (no shared state).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Gamespace {

class PlayerI;

struct TrnStanding {
    std::string name;
    double chips = 0.0;
    bool human = false;
    // 1-based place after sorting.
    uint16_t place = 0;
    // Whole dollars won; 0 below the paid places.
    int64_t prize = 0;
    // The row stands for the places left out between the leaders and the
    // human ("...").
    bool gap = false;
};

class TrnStandings {
public:
    // Rows shown at most.
    static constexpr size_t kRows = 5;

    // One record for every seated player (`inHandOnly`: every player dealt
    // into the coming hand), sorted and placed.
    static std::vector<TrnStanding> Rank(const std::vector<PlayerI*>& seats, bool inHandOnly);
    // The index of the first human record.
    static std::optional<size_t> FindHuman(const std::vector<TrnStanding>& records);
    // When the human's record lies beyond the rows, it takes the last row
    // and the row before it becomes the gap.
    static void BringHumanIntoView(std::vector<TrnStanding>& records);
};

} // namespace Gamespace
