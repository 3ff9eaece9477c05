#include "game/shell/TrnStanding.h"

#include "game/table/PlayerI.h"

#include <algorithm>

namespace Gamespace {

std::vector<TrnStanding> TrnStandings::Rank(const std::vector<PlayerI*>& seats, bool inHandOnly)
{
    std::vector<TrnStanding> records;
    for (const PlayerI* player : seats) {
        if (player == nullptr || (inHandOnly && !player->IsInHand()))
            continue;
        TrnStanding record;
        record.name = player->GetName();
        record.chips = player->GetChips();
        record.human = player->IsHuman();
        records.push_back(std::move(record));
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const TrnStanding& a, const TrnStanding& b) { return a.chips > b.chips; });
    for (size_t i = 0; i < records.size(); ++i)
        records[i].place = static_cast<uint16_t>(i + 1);
    return records;
}

std::optional<size_t> TrnStandings::FindHuman(const std::vector<TrnStanding>& records)
{
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].human)
            return i;
    return std::nullopt;
}

void TrnStandings::BringHumanIntoView(std::vector<TrnStanding>& records)
{
    const std::optional<size_t> human = FindHuman(records);
    if (!human || *human < kRows)
        return;
    records[kRows - 1] = records[*human];
    records[kRows - 2].gap = true;
}

} // namespace Gamespace
