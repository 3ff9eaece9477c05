#include "tests/support/FakeTable.h"

#include "game/table/PlayerI.h"

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

void FakeTable::OnPlayerAction(uint16_t /*position*/, uint32_t code, double amount)
{
    std::ostringstream entry;
    entry << code << " " << amount;
    actions.push_back(entry.str());
    if (code == Gamespace::kActionOpen || code == Gamespace::kActionCall || code == Gamespace::kActionRaise ||
        code == Gamespace::kActionAllIn) {
        state.betMade = 1;
        if (amount > state.currentBet)
            state.currentBet = amount;
    }
}

void FakeTable::Deal(Gamespace::PlayerI& player, Card first, Card second, double bet)
{
    player.AddSavedCard(first.rank, first.suit);
    player.AddSavedCard(second.rank, second.suit);
    player.SetRestore(bet, true);
    double chips = player.GetChips();
    player.ResetForNewHand();
    player.SetChips(chips);
}

} // namespace testing_support
