#include "tests/support/FakeTable.h"

#include "game/table/PlayerI.h"

#include <algorithm>
#include <sstream>

namespace testing_support {

FakeTable::FakeTable()
{
    services.shell = &shell;
    services.timeSystem = &time;
}

void FakeTable::OnPlayerStepDone(uint16_t seat, uint16_t position)
{
    actions.push_back("step " + std::to_string(seat) + " " + std::to_string(position));
}

void FakeTable::GetTableState(Gamespace::TableState& out)
{
    out = state;
    betting.FillTableState(out);
}

void FakeTable::OnPlayerAction(uint16_t /*position*/, uint32_t code, double amount)
{
    std::ostringstream entry;
    entry << code << " " << amount;
    actions.push_back(entry.str());
}

void FakeTable::Deal(Gamespace::PlayerI& player, Card first, Card second, double bet)
{
    uint16_t seat = player.GetSeat();
    std::vector<uint16_t> order = betting.ActingOrder();
    if (std::find(order.begin(), order.end(), seat) == order.end()) {
        order.push_back(seat);
        betting.SetActingOrder(order);
    }
    player.AddSavedCard(first.rank, first.suit);
    player.AddSavedCard(second.rank, second.suit);
    betting.SetRestore(seat, bet, true, bet);
    betting.DealIn(seat, minBet);
    player.ResetForNewHand();
}

} // namespace testing_support
