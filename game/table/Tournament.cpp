#include "game/table/Tournament.h"

#include <algorithm>

namespace {

const std::vector<Tournament>& Catalogue()
{
    // A function-local static is built once even when two threads ask first.
    static const std::vector<Tournament> catalogue = {
        {1, "Satellite N", 2, 120, 20.0, 8.0, 50, 0, 0, 0, 0, 1, 10},
        {2, "Sit & Go N", 2, 60, 50.0, 10.0, 30, 1, 7, 0, 0, 1, 8},
        {3, "Big game N", 2, 600, 150.0, 100.0, 150, 3, 10, 1, 15, 1, 10},
        {4, "Satellite P", 1, 120, 20.0, 8.0, 50, 0, 0, 0, 0, 1, 10},
        {5, "Sit & Go P", 1, 60, 50.0, 10.0, 30, 1, 7, 0, 0, 1, 8},
        {6, "Big game P", 1, 600, 150.0, 100.0, 150, 3, 10, 1, 15, 1, 10},
        {7, "Satellite L", 0, 180, 20.0, 4.0, 40, 0, 0, 0, 0, 1, 9},
        {8, "Sit & Go L", 0, 300, 50.0, 8.0, 20, 1, 5, 0, 0, 1, 10},
        {9, "Big game L", 0, 420, 150.0, 75.0, 100, 2, 8, 1, 10, 1, 10},
    };
    return catalogue;
}

} // namespace

void BuildTournamentCatalogue() { Catalogue(); }

void GetTournamentCatalogue(std::vector<Tournament>& out) { out = Catalogue(); }

bool FindTournament(uint16_t id, Tournament& out)
{
    const std::vector<Tournament>& catalogue = Catalogue();
    if (id == 0 || id > catalogue.size())
        return false;
    out = catalogue[id - 1];
    return true;
}

uint32_t HighestLevel(const Tournament& record, double startBet)
{
    const double purchases = 1.0 + record.maxRebuys + record.addOnCount;
    const double chips = double(record.players) * record.tables * record.price * record.chipsPerDollar * purchases;
    if (startBet <= 0.0)
        return 0;
    return static_cast<uint32_t>(std::min(chips / (3.0 * startBet), 4294967295.0));
}

bool IsAddOnOffered(const Tournament& record, uint32_t level)
{
    return record.addOnCount > 0 && level + 1 == record.addOnLevel;
}
