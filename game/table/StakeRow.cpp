#include "game/table/StakeRow.h"

namespace {

constexpr StakeRow kRows[kStakeRowCount] = {
    {2.0, 200.0, 291, 288},   {4.0, 400.0, 514, 288},    {8.0, 800.0, 735, 288},
    {20.0, 2000.0, 291, 466}, {50.0, 5000.0, 514, 466}, {100.0, 10000.0, 735, 466},
};

} // namespace

void SetStakeRows(std::vector<StakeRow>& out)
{
    out.clear();
    AddStakeRows(out);
}

void AddStakeRows(std::vector<StakeRow>& out) { out.insert(out.end(), std::begin(kRows), std::end(kRows)); }

bool FindStakeRow(uint32_t index, StakeRow& out)
{
    if (index >= kStakeRowCount) {
        out = kRows[0];
        return false;
    }
    out = kRows[index];
    return true;
}
