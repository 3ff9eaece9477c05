// A short tournament played to its end as a person plays it: four players
// of "Big game L" from level 7; the human busts and buys back in with
// Return, the levels run out, the add-on is taken with a click and not
// offered again the hand after, and then the human goes all-in until the
// tournament is decided (or, when the opponents keep folding to him, loses
// his chips past the re-buy levels) and its standings show. After every step the walk
// checks the table's books, the human's chips and the tournament's record
// (level, re-buys, what the human paid, the prize pool).
#include "game/shell/GameImpl.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/table/FinishDlg.h"
#include "game/table/GameMgr.h"
#include "game/table/PlayerHuman.h"
#include "game/table/TableDialogs.h"
#include "platform/window/VirtualKeys.h"
#include "tests/game/shell/ProfileTestSupport.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

namespace {

using walk::Caption;
using walk::PlayedTable;
using walk::ScriptedPlayer;

// Big game L: $150 for 15000 chips, re-buys below level 8, the add-on
// offered during level 9.
constexpr uint16_t kBigGameL = 9;
constexpr double kPrice = 150.0;
constexpr double kChips = 15000.0;
// How many hands the human plays all-in for the tournament to be decided;
// the opponents decide for themselves, and on the real back end they may
// keep folding.
constexpr int kAllInHands = 8;

} // namespace

TEST(TournamentWalk, AShortTournamentIsPlayedToItsStandingsWithAReBuyAndAnAddOn)
{
    ScriptedPlayer player;
    player.WriteRegistryNumber("Options\\Speed", 10);
    player.Launch();
    SavedGame& saved = PlayedTable::EnterTournament(AddActiveProfile("Alice"), kBigGameL, 4, 7);
    PlayedTable table(player);
    table.SitDown();
    EXPECT_TRUE(player.Sees(Caption("Big game L")));
    const double pool = saved.totalBuyIns;

    // The first hand: the human loses everything (a tool hands his chips to
    // an opponent at once) and is asked to buy back in, three players
    // being still able to play on; the next hand waits for the answer.
    table.FoldToTheResult();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    table.HandHumansChipsToAnOpponent();
    uint64_t started = table.Table().GetHandsStarted();
    table.CloseResult();
    ASSERT_TRUE(player.WaitUntil([&] { return table.RebuyQuestionShown(); }, ScriptedPlayer::kPromptMs,
                                 "the re-buy question"));
    EXPECT_TRUE(player.Sees(Caption("Re-Buy 15000 chips for $150?")));
    player.Screenshot("re-buy question");
    player.Wait(1000);
    EXPECT_EQ(table.Table().GetHandsStarted(), started);
    player.Press(platform::VK_RETURN);
    EXPECT_FALSE(table.RebuyQuestionShown());
    EXPECT_DOUBLE_EQ(table.Human().GetChips(), kChips);
    EXPECT_EQ(saved.rebuysTaken, 1u);
    EXPECT_DOUBLE_EQ(saved.buyIn, 2 * kPrice);
    // (A computer short of chips may have bought back in too by now.)
    EXPECT_GE(saved.totalBuyIns, pool + kPrice);
    table.CheckBooks();

    // Two levels run out (a tool ends each at once); each takes effect with
    // the next hand.
    for (uint32_t level : {8u, 9u}) {
        table.Table().RunOutLevelClock();
        ASSERT_TRUE(table.NextHandStarts(started));
        EXPECT_EQ(saved.level, level);
        EXPECT_DOUBLE_EQ(table.Table().GetMinBet(), 75.0 * level);
        started = table.Table().GetHandsStarted();
        table.FoldToTheResult();
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        if (level == 8) {
            table.FinishHand();
            EXPECT_FALSE(table.RebuyQuestionShown()) << "no add-on before its level";
        }
    }

    // The level before the add-on's: after the hand the human is asked; a
    // click on Yes buys the chips.
    const double chips = table.Human().GetChips();
    table.CloseResult();
    ASSERT_TRUE(player.WaitUntil([&] { return table.RebuyQuestionShown(); }, ScriptedPlayer::kPromptMs,
                                 "the add-on question"));
    EXPECT_TRUE(player.Sees(Caption("Add-On 15000 chips for $150?")));
    player.Screenshot("add-on question");
    const double poolBeforeAddOn = saved.totalBuyIns;
    player.Click(Caption("Yes"));
    EXPECT_DOUBLE_EQ(table.Human().GetChips(), chips + kChips);
    EXPECT_DOUBLE_EQ(saved.buyIn, 3 * kPrice);
    EXPECT_DOUBLE_EQ(saved.totalBuyIns, poolBeforeAddOn + kPrice);
    ASSERT_TRUE(table.NextHandStarts(started));

    // The next hand's end asks no more: one add-on a tournament.
    started = table.Table().GetHandsStarted();
    table.FoldToTheResult();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    table.FinishHand();
    EXPECT_FALSE(table.RebuyQuestionShown()) << "the add-on was bought";
    EXPECT_DOUBLE_EQ(saved.buyIn, 3 * kPrice);
    ASSERT_TRUE(table.NextHandStarts(started));

    // Then the human goes all-in whenever he can, until the tournament is
    // decided.
    for (int hand = 0; hand < kAllInHands && !table.Table().GetTrnFinishDlg()->IsVisible(); ++hand) {
        while (table.PlayOnToTurnOrResult()) {
            table.CheckTurn();
            table.Act(table.Enabled(Gamespace::kHumanAllIn) ? Gamespace::kHumanAllIn : Gamespace::kHumanCheck);
        }
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        // Closing the result deals on, or shows the standings.
        table.FinishHand();
        EXPECT_FALSE(table.RebuyQuestionShown());
    }

    // Opponents who keep folding to him leave it undecided: then he loses
    // all his chips in the next hand (the tool again) and, past the re-buy
    // levels, is out.
    if (!table.Table().GetTrnFinishDlg()->IsVisible()) {
        table.FoldToTheResult();
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        table.HandHumansChipsToAnOpponent();
        table.FinishHand();
        EXPECT_FALSE(table.RebuyQuestionShown()) << "no re-buy after its last level";
    }

    ASSERT_TRUE(table.Table().GetTrnFinishDlg()->IsVisible());
    table.CheckBooks(); // every chip bought is with the players
    EXPECT_EQ(saved.inUse, 0) << "a finished tournament is no longer in progress";
    EXPECT_DOUBLE_EQ(saved.buyIn, 3 * kPrice) << "one re-buy and one add-on were paid for";
    player.Screenshot("finish standings");
    player.Click(PlayedTable::kClose);
    EXPECT_TRUE(player.Game().GetSetupRulesMgr().IsActive()) << "the standings lead back to the set-up screens";
    EXPECT_FALSE(table.Table().IsActive());
    player.CloseWindow();
    EXPECT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}
