// The table while its window is minimised: nothing of it moves, however long
// the window stays down, and play goes on from where it stood once the
// window is back.
#include "game/shell/GameImpl.h"
#include "game/table/GameMgr.h"
#include "kernel/MainApp.h"
#include "platform/window/WindowTesting.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <vector>

namespace {

using walk::ScriptedPlayer;

// "Sit & Go N": a tournament, so that the level clock runs too.
constexpr uint16_t kSitAndGoN = 2;

// Where the table stands: the hand, its money, every seat and the clock.
struct Standing {
    uint64_t hands = 0;
    uint32_t state = 0;
    uint32_t stage = 0;
    std::vector<Card> board;
    double totalPot = 0.0;
    double roundPot = 0.0;
    double currentBet = 0.0;
    std::map<uint16_t, walk::Seat> seats;
    uint32_t levelSecondsLeft = 0;
    bool operator==(const Standing&) const = default;
};

Standing StandingOf(const Gamespace::GameMgr& table)
{
    const Gamespace::TableState state = table.State();
    return Standing{table.GetHandsStarted(), table.GetTableStateCode(), state.boardStage, state.board,
                    state.totalPot, state.roundPot, state.currentBet, walk::Seats(table),
                    table.GetLevelSecondsLeft()};
}

void PrintTo(const Standing& s, std::ostream* out)
{
    *out << "hand " << s.hands << ", state " << s.state << ", stage " << s.stage << ", pot " << s.totalPot
         << " + " << s.roundPot << ", bet " << s.currentBet << ", level seconds left " << s.levelSecondsLeft;
    for (const auto& [seat, held] : s.seats) {
        *out << "\n  seat " << seat << " ";
        walk::PrintTo(held, out);
    }
}

void ShowWindowAs(ScriptedPlayer& player, platform::InputEvent::Kind kind, bool minimised)
{
    platform::testing::InjectWindowEvent(player.App().GetMainWindow(), kind);
    // Taken from the input queue, not only seen by the window procedure.
    ASSERT_TRUE(player.WaitUntil(
        [&] { return player.App().IsMinimized() == minimised && player.App().QueuedInputCount() == 0; },
        ScriptedPlayer::kPromptMs, minimised ? "the window minimised" : "the window restored"));
}

} // namespace

TEST(MinimisedTableWalk, NothingMovesWhileTheWindowIsDownAndPlayGoesOnWhereItStood)
{
    ScriptedPlayer player;
    walk::SitAnnAtATournament(player, kSitAndGoN);
    Gamespace::GameMgr& table = *player.Game().GetGameMgr();
    ASSERT_TRUE(player.WaitToSee(walk::PlayedTable::kClose));
    player.Click(walk::PlayedTable::kClose);
    // In the first hand, while the computers post and bet on their own timers.
    ASSERT_TRUE(player.WaitUntil([&] { return table.GetHandsStarted() == 1 && table.State().roundPot > 0.0; },
                                 ScriptedPlayer::kPromptMs, "the blinds of the first hand"));

    ShowWindowAs(player, platform::InputEvent::Kind::Minimized, true);
    const Standing before = StandingOf(table);
    int moves = 0;
    player.AfterEachStep([&] {
        if (StandingOf(table) != before && moves++ == 0)
            ADD_FAILURE() << "the minimised table moved at " << player.Now() << " ms:\n"
                          << ::testing::PrintToString(StandingOf(table)) << "\nfrom\n"
                          << ::testing::PrintToString(before);
    });
    // Two minutes of the table's time on the manual clock; on the real back
    // end, seconds of real time are plenty for the clock to show it.
    player.Wait(player.GetBackend() == ScriptedPlayer::Backend::Headless ? 120000 : 8000);
    player.AfterEachStep(nullptr);
    EXPECT_EQ(StandingOf(table), before);

    ShowWindowAs(player, platform::InputEvent::Kind::Restored, false);
    // The hand goes on where it stood, and the level clock counts on from
    // where it stopped: by the seconds since the window came back, not by
    // the two minutes it was down.
    const uint64_t restoredAt = player.Now();
    auto played = [&] {
        Standing now = StandingOf(table);
        now.levelSecondsLeft = before.levelSecondsLeft;
        return now != before;
    };
    ASSERT_TRUE(player.WaitUntil(played, ScriptedPlayer::kPromptMs, "the table to play on"));
    const Standing after = StandingOf(table);
    EXPECT_EQ(after.hands, before.hands);
    const uint64_t secondsSince = (player.Now() - restoredAt) / 1000 + 1;
    EXPECT_GE(after.levelSecondsLeft + secondsSince, before.levelSecondsLeft) << ::testing::PrintToString(after);
    player.CloseWindow();
}
