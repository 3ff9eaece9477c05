#include "tests/support/HandPayout.h"

#include "game/table/GameMgr.h"
#include "game/table/PlayerI.h"

#include <algorithm>

namespace testing_support {

std::vector<PotView> ViewOf(const std::vector<Gamespace::Pot>& pots)
{
    std::vector<PotView> views;
    for (const Gamespace::Pot& pot : pots) {
        PotView view{pot.name, pot.amount, {}};
        for (const Gamespace::PlayerI* player : pot.eligible)
            view.seats.push_back(player->GetSeat());
        std::sort(view.seats.begin(), view.seats.end());
        views.push_back(std::move(view));
    }
    return views;
}

void PrintTo(const PotView& pot, std::ostream* out)
{
    *out << pot.name << " " << pot.amount << " for seats";
    for (uint16_t seat : pot.seats)
        *out << " " << seat;
}

void PrintTo(const Payout& payout, std::ostream* out)
{
    for (const PotView& pot : payout.pots) {
        *out << "\n  ";
        PrintTo(pot, out);
    }
    for (const Payout::Row& row : payout.rows)
        *out << "\n  " << row.pot << ": seat " << row.seat << " wins " << row.amount << " with " << row.hand;
    *out << "\n  chips:";
    for (const auto& [seat, chips] : payout.chips)
        *out << " " << seat << "=" << chips;
}

double ChipsAndPot(Gamespace::GameMgr& table)
{
    double chips = table.IsHandSettled() ? 0.0 : table.Betting().TotalPot() + table.Betting().RoundPot();
    for (Gamespace::PlayerI* player : table.GetSeatList())
        if (player != nullptr)
            chips += player->GetChips();
    return chips;
}

} // namespace testing_support
