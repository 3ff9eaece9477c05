// Whole hands at cash tables, played as a person plays them: the action
// strip clicked on the human's turns, amounts typed into the open and raise
// dialogs, the announcements and the hand results closed, the menu opened;
// a tournament left through the menu while a hand result shows, and a human
// without chips at a cash table told he has finished. After every step the
// walk checks what the table holds (the chips the human put in, his standing
// in the hand, the books of every chip bought) and which dialogs show.
#include "game/shell/GameImpl.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/table/FinishDlg.h"
#include "game/table/GameMgr.h"
#include "game/table/HumanActionMessageObserver.h"
#include "game/table/PlayerHuman.h"
#include "game/table/SavedGame.h"
#include "game/table/TableDialogs.h"
#include "platform/window/VirtualKeys.h"
#include "tests/game/shell/ProfileTestSupport.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using walk::Caption;
using walk::PlayedTable;
using walk::ScriptedPlayer;

// "Sit & Go N": $50 for 1500 chips.
constexpr uint16_t kSitAndGoN = 2;

// The chips a tournament's record keeps: the human's, each opponent's, and
// those of a hand in play.
double SavedChips(const SavedGame& saved)
{
    double sum = saved.startChips + saved.humanBet + saved.totalPot;
    for (const SeatRecord& seat : saved.seats)
        if (seat.active != 0)
            sum += seat.chips + seat.bet;
    return sum;
}

// Plays hands of one cash table until each of `wanted` was done once (the
// opponents decide for themselves, so a hand may end before all are); each
// turn takes the first wanted action not yet done that is open, else checks
// or calls. Raises and opens are typed in pot-limit and no-limit games.
void PlayHandsDoing(ScriptedPlayer& player, PlayedTable& walk, const std::vector<uint32_t>& wanted, bool typed,
                    int maxHands)
{
    auto missing = [&] {
        return std::any_of(wanted.begin(), wanted.end(), [&](uint32_t code) { return walk.Done().count(code) == 0; });
    };
    bool cancelled = false;
    while (missing() && walk.Hands() < maxHands && !::testing::Test::HasFatalFailure()) {
        while (walk.PlayOnToTurnOrResult()) {
            walk.CheckTurn();
            uint32_t code = walk.Enabled(Gamespace::kHumanCheck) ? Gamespace::kHumanCheck : Gamespace::kHumanCall;
            for (uint32_t want : wanted)
                if (walk.Done().count(want) == 0 && walk.Enabled(want)) {
                    code = want;
                    break;
                }
            const bool amount = code == Gamespace::kHumanOpen || code == Gamespace::kHumanRaise;
            if (amount && typed) {
                if (!cancelled) {
                    walk.CancelTyped(code);
                    cancelled = true;
                }
                const double minBet = walk.Table().GetMinBet();
                walk.ActTyped(code, static_cast<uint64_t>(3 * minBet),
                              code == Gamespace::kHumanRaise ? "raise typed" : "open typed");
            } else if (amount) {
                walk.ActFixed(code);
            } else {
                walk.Act(code);
            }
        }
        if (::testing::Test::HasFatalFailure())
            return;
        player.Screenshot("hand result");
        walk.FinishHand();
    }
    for (uint32_t code : wanted)
        EXPECT_EQ(walk.Done().count(code), 1u)
            << PlayedTable::kActionNames[code] << " was never played in " << maxHands << " hands";
}

// A program at the fastest game speed, on its start screen.
class TableWalk : public ::testing::Test {
protected:
    TableWalk() : walk(player)
    {
        player.WriteRegistryNumber("Options\\Speed", 10);
        player.Launch();
    }
    // A cash table of `players` seats of `type`, played until each of
    // `wanted` was done; then the game is left.
    void PlayCashTable(GameType type, uint16_t players, const std::vector<uint32_t>& wanted)
    {
        PlayedTable::ChooseCashTable(AddActiveProfile("Alice"), type, players);
        walk.SitDown();
        PlayHandsDoing(player, walk, wanted, type != kGameLimit, 8);
        walk.LeaveGame();
    }

    ScriptedPlayer player;
    PlayedTable walk;
};

TEST_F(TableWalk, ALimitHandIsCheckedCalledOpenedAndRaisedOneUnitAtATime)
{
    PlayCashTable(kGameLimit, 4,
                  {Gamespace::kHumanCheck, Gamespace::kHumanOpen, Gamespace::kHumanCall, Gamespace::kHumanRaise});
}

TEST_F(TableWalk, PotLimitAmountsAreTypedAndAHandIsFolded)
{
    PlayCashTable(kGamePotLimit, 3, {Gamespace::kHumanRaise, Gamespace::kHumanOpen, Gamespace::kHumanFold});
}

TEST_F(TableWalk, ANoLimitHandAtAFullTableIsCalledThenPlayedAllIn)
{
    PlayedTable::ChooseCashTable(AddActiveProfile("Alice"), kGameNoLimit, 10);
    walk.SitDown();
    ASSERT_TRUE(walk.PlayOnToTurnOrResult());
    EXPECT_EQ(walk.Table().GetSeatList().size(), 10u);
    player.Screenshot("seats at the deal");

    // The menu pauses the table; closing it plays on.
    player.Click(PlayedTable::kMenuButton);
    EXPECT_TRUE(walk.Table().GetMenuDlg()->IsVisible());
    EXPECT_TRUE(walk.Table().IsPaused());
    walk.Table().GetMenuDlg()->Show(false);
    EXPECT_FALSE(walk.Table().IsPaused());

    // A call first and only then the all-in: an all-in taken whenever no
    // call was to be had (the big blind's option) could lose every chip
    // before the call was ever played.
    PlayHandsDoing(player, walk, {Gamespace::kHumanCall}, true, 8);
    PlayHandsDoing(player, walk, {Gamespace::kHumanAllIn}, true, 16);
    walk.LeaveGame();
}

TEST_F(TableWalk, LeavingATournamentThroughTheMenuWhileTheHandResultShowsKeepsEveryChip)
{
    SavedGame& saved = PlayedTable::EnterTournament(AddActiveProfile("Alice"), kSitAndGoN, 6, 1);
    walk.SitDown();
    walk.FoldToTheResult();
    ASSERT_FALSE(HasFatalFailure());
    walk.CheckBooks();
    const double held = walk.ChipsAtTable();
    EXPECT_DOUBLE_EQ(held, 6 * 1500.0);

    // The menu opens above the hand result; it takes no keys, and the
    // result beneath it takes none while the menu is up.
    player.Click(PlayedTable::kMenuButton);
    ASSERT_TRUE(walk.Table().GetMenuDlg()->IsVisible());
    EXPECT_TRUE(walk.Table().IsPaused());
    EXPECT_TRUE(player.Sees(PlayedTable::kLeaveTournament));
    player.Screenshot("the menu over the hand result");
    player.Press(platform::VK_RETURN);
    EXPECT_TRUE(walk.Table().GetMenuDlg()->IsVisible());
    EXPECT_TRUE(walk.Table().GetFinishDlg()->IsVisible()) << "Return paged the covered hand result";

    // Leaving keeps every chip of the shown-down hand in the record.
    player.Click(PlayedTable::kLeaveTournament);
    EXPECT_FALSE(walk.Table().IsActive());
    EXPECT_FALSE(walk.Table().GetFinishDlg()->IsVisible());
    EXPECT_TRUE(player.Game().GetSetupRulesMgr().IsActive());
    EXPECT_EQ(saved.inUse, 1) << "the tournament waits to be resumed";
    EXPECT_EQ(saved.handOver, 1);
    EXPECT_DOUBLE_EQ(SavedChips(saved), held);

    // Sitting down again resumes with the same chips and deals a new hand.
    player.Game().GetSetupRulesMgr().OnSetupDone(0);
    ASSERT_TRUE(walk.Table().IsActive());
    EXPECT_DOUBLE_EQ(walk.ChipsAtTable(), held);
    walk.FoldToTheResult();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_DOUBLE_EQ(walk.ChipsAtTable(), held);
    walk.CheckBooks();
    walk.FinishHand();
    walk.LeaveGame();
}

TEST_F(TableWalk, AHumanLeftWithoutChipsAtACashTableIsToldHeHasFinished)
{
    PlayedTable::ChooseCashTable(AddActiveProfile("Alice"), kGameNoLimit, 3);
    walk.SitDown();
    walk.FoldToTheResult();
    ASSERT_FALSE(HasFatalFailure());
    walk.HandHumansChipsToAnOpponent();
    walk.CheckBooks();
    walk.CloseResult();
    ASSERT_TRUE(player.WaitUntil([&] { return walk.Table().GetBankruptDlg()->IsVisible(); },
                                 ScriptedPlayer::kPromptMs, "the bankrupt announcement"));
    EXPECT_TRUE(player.Sees(Caption("You have finished this game.")));
    player.Screenshot("bankrupt announcement");
    player.Click(PlayedTable::kClose);
    EXPECT_FALSE(walk.Table().IsActive());
    EXPECT_TRUE(player.Game().GetSetupRulesMgr().IsActive()) << "the finished table leads back to the set-up screens";
    player.CloseWindow();
    EXPECT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

} // namespace
