// A tournament as a player lives it: the blinds rise once each time the
// level clock runs out, never in between, and the level the profile keeps is
// the level the table played; the breaks between hands offer re-buys and
// add-ons and wait for the answer; play ends when too few can pay.
#include "game/table/PlayerI.h"
#include "game/table/RebuyAddonDlg.h"
#include "game/table/Tournament.h"
#include "tests/support/TableHarness.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace Gamespace {
namespace {

using testing_support::TableHarness;

// A tournament of ten-minute levels, first bet 100, whose human checks or
// folds: he lasts for many levels, and a finished tournament is not begun
// again behind the test's back.
SavedGame& SitAtTheBigGame(TableHarness& harness)
{
    harness.restartWhenDone = false;
    harness.humanPolicy = [](HumanActionMessageObserver& human) {
        human.PerformHumanAction(human.GetCurrentBet() > human.GetBet() ? kHumanFold : kHumanCheck, 0);
    };
    return harness.UseTournament(3, 10);
}

// Plays until `hands` more hands have started, checking at every step that
// the level and the minimum bet stay as they were while the clock runs.
void PlayHandsWithinTheLevel(TableHarness& harness, const SavedGame& saved, uint64_t hands)
{
    const uint32_t level = saved.level;
    const double minBet = harness.table->GetMinBet();
    const uint64_t target = harness.table->GetHandsStarted() + hands;
    ASSERT_TRUE(harness.RunUntil([&] {
        EXPECT_EQ(saved.level, level);
        EXPECT_DOUBLE_EQ(harness.table->GetMinBet(), minBet);
        return harness.table->GetHandsStarted() >= target || saved.level != level;
    }));
    ASSERT_EQ(saved.level, level);
    // The hands were all played inside the level's time.
    ASSERT_GT(harness.table->GetLevelSecondsLeft(), 0u);
    ASSERT_FALSE(harness.table->IsLevelExpired());
}

TEST(TournamentLevels, TheLevelRisesOnceWhenItsClockRunsOutAndHoldsForTheHandsAfter)
{
    TableHarness harness(21);
    SavedGame& saved = SitAtTheBigGame(harness);
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsStarted() >= 2; }));
    EXPECT_EQ(saved.level, 1u);
    EXPECT_DOUBLE_EQ(harness.table->GetMinBet(), 100.0);

    ASSERT_TRUE(harness.RunUntil([&] { return saved.level == 2; }));
    EXPECT_DOUBLE_EQ(harness.table->GetMinBet(), 200.0);
    PlayHandsWithinTheLevel(harness, saved, 3);
    EXPECT_EQ(harness.shell.trnInfo->level, 2u);
    EXPECT_DOUBLE_EQ(harness.shell.trnInfo->minBet, 200.0);

    // Leaving the table keeps the level played, and the time it had left.
    const uint32_t secondsLeft = harness.table->GetLevelSecondsLeft();
    harness.table->Hide();
    EXPECT_EQ(saved.level, 2u);
    EXPECT_EQ(saved.levelTimeLeft, secondsLeft);
}

TEST(TournamentLevels, ALevelThatRanOutWhileAwayRisesAtTheFirstHandBackAndOnlyOnce)
{
    TableHarness harness(22);
    SavedGame& saved = SitAtTheBigGame(harness);
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsStarted() >= 2; }));
    harness.table->Hide();
    saved.levelTimeLeft = 0;

    harness.table->Show();
    const uint64_t started = harness.table->GetHandsStarted();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsStarted() > started; }));
    EXPECT_EQ(saved.level, 2u);
    EXPECT_DOUBLE_EQ(harness.table->GetMinBet(), 200.0);
    // The new level has its whole time.
    Tournament record;
    ASSERT_TRUE(FindTournament(3, record));
    EXPECT_GT(harness.table->GetLevelSecondsLeft(), record.levelTime - 60);
    PlayHandsWithinTheLevel(harness, saved, 3);
}

// The record a program ended in a tournament's first hand leaves: what
// the table held as the tournament was entered (every loaded record has
// begun). Sat at again, it plays its first level, whole, from its first
// hand on.
void ExpectResumedAtTheWholeFirstLevel(const SavedGame& kept)
{
    TableHarness harness(27);
    SavedGame& saved = SitAtTheBigGame(harness);
    saved = kept;
    saved.newGame = 0;
    harness.Start();
    Tournament record;
    ASSERT_TRUE(FindTournament(kept.tournamentId, record));
    EXPECT_EQ(harness.table->GetLevelSecondsLeft(), record.levelTime);
    EXPECT_FALSE(harness.table->IsLevelExpired());
    PlayHandsWithinTheLevel(harness, saved, 1);
    EXPECT_EQ(saved.level, 1u);
    EXPECT_DOUBLE_EQ(harness.table->GetMinBet(), record.startBet);
}

TEST(TournamentLevels, ATournamentEndedInItsFirstHandResumesAtItsWholeFirstLevel)
{
    TableHarness harness(28);
    SavedGame& saved = SitAtTheBigGame(harness);
    harness.Start();
    // What the shell keeps as the tournament is entered: no hand to resume,
    // the first level's whole time to play.
    const SavedGame kept = saved;
    EXPECT_EQ(kept.level, 1u);
    EXPECT_EQ(kept.handOver, 1);
    EXPECT_EQ(kept.levelTimeLeft, 600);
    ExpectResumedAtTheWholeFirstLevel(kept);
}

TEST(TournamentLevels, ATournamentAnEarlierBuildKeptAsItWasEnteredResumesAtItsWholeFirstLevel)
{
    // That build kept the new record untouched: no hand, and no time left
    // on a level clock that had not started.
    TableHarness harness(29);
    SavedGame kept = SitAtTheBigGame(harness);
    ASSERT_EQ(kept.levelTimeLeft, 0);
    ExpectResumedAtTheWholeFirstLevel(kept);
}

// A tournament of ten seats whose human checks or folds, played to its
// first hand result and held there, at `level`, its clock run out when
// `expired`. The Satellite (id 1) has a first bet of 8 and no re-buys.
class TournamentBreak : public ::testing::Test {
protected:
    SavedGame& PlayToTheFirstResult(uint16_t tournamentId, uint32_t level, bool expired)
    {
        harness.restartWhenDone = false;
        harness.closeResults = false;
        harness.humanPolicy = [](HumanActionMessageObserver& human) {
            human.PerformHumanAction(human.GetCurrentBet() > human.GetBet() ? kHumanFold : kHumanCheck, 0);
        };
        SavedGame& saved = harness.UseTournament(tournamentId, 10);
        saved.level = level;
        harness.Start();
        EXPECT_TRUE(harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }));
        if (expired) {
            harness.time.Advance(uint64_t{GetLevelTime(tournamentId)} * 1000);
            harness.table->ProcessEvents();
            EXPECT_TRUE(harness.table->IsLevelExpired());
        }
        return saved;
    }
    static uint32_t GetLevelTime(uint16_t tournamentId)
    {
        Tournament record;
        FindTournament(tournamentId, record);
        return record.levelTime;
    }
    // Gives the ten seats these chips (the rest of the list repeats its
    // last entry) and closes the hand result.
    void CloseTheResultWithChips(std::vector<double> chips)
    {
        for (uint16_t seat = 0; seat < 10; ++seat)
            harness.table->Betting().SetChips(seat, chips[std::min<size_t>(seat, chips.size() - 1)]);
        harness.shell.finish->Show(false);
    }
    bool TournamentEnded() { return harness.shell.trnFinish->IsVisible() || harness.modulesDone > 0; }
    // A minute passes at the table with nobody answering anything: no hand
    // may start.
    void NobodyAnswersForAMinute()
    {
        const uint64_t started = harness.table->GetHandsStarted();
        for (int tenth = 0; tenth < 600; ++tenth) {
            harness.time.Advance(100);
            harness.table->ProcessEvents();
        }
        EXPECT_EQ(harness.table->GetHandsStarted(), started);
    }
    double Chips(uint16_t seat) { return harness.table->GetPlayer(seat)->GetChips(); }
    bool NextHandStarts()
    {
        const uint64_t started = harness.table->GetHandsStarted();
        return harness.RunUntil([&] { return harness.table->GetHandsStarted() > started; });
    }

    TableHarness harness{23};
};

TEST_F(TournamentBreak, PlayGoesOnWhileThreePlayersCanPayTheBetOfTheNextHand)
{
    PlayToTheFirstResult(1, 1, false);
    CloseTheResultWithChips({1000, 1000, 8, 7});
    EXPECT_FALSE(TournamentEnded());
    const uint64_t started = harness.table->GetHandsStarted();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsStarted() > started; }));
    // Those who could not pay the bet are gone.
    EXPECT_EQ(harness.table->GetPlayer(3), nullptr);
    EXPECT_NE(harness.table->GetPlayer(2), nullptr);
}

TEST_F(TournamentBreak, PlayEndsWhenOnlyTwoPlayersCanPayTheBetOfTheNextHand)
{
    SavedGame& saved = PlayToTheFirstResult(1, 1, false);
    CloseTheResultWithChips({1000, 1000, 7.5});
    EXPECT_TRUE(harness.shell.trnFinish->IsVisible());
    EXPECT_EQ(saved.inUse, 0);
    EXPECT_EQ(harness.shell.trnFinish->standingsShown, 1);
    EXPECT_DOUBLE_EQ(harness.shell.trnFinish->prize, saved.totalBuyIns);
}

TEST_F(TournamentBreak, TheLevelClockStopsWithTheTournament)
{
    PlayToTheFirstResult(1, 1, false);
    CloseTheResultWithChips({1000, 1000, 7.5});
    ASSERT_TRUE(harness.shell.trnFinish->IsVisible());
    const uint32_t secondsLeft = harness.table->GetLevelSecondsLeft();
    for (int second = 0; second < 30; ++second) {
        harness.time.Advance(1000);
        harness.table->ProcessEvents();
    }
    EXPECT_EQ(harness.table->GetLevelSecondsLeft(), secondsLeft);
}

TEST_F(TournamentBreak, AtALevelWhoseClockRanOutTheNextLevelsBetCounts)
{
    // Level 2 of a first bet of 8, run out: the next hand's bet is 24.
    PlayToTheFirstResult(1, 2, true);
    CloseTheResultWithChips({1000, 1000, 24, 23});
    EXPECT_FALSE(TournamentEnded());
}

TEST_F(TournamentBreak, AtALevelWhoseClockRanOutTooFewCanPayTheNextLevelsBet)
{
    PlayToTheFirstResult(1, 2, true);
    CloseTheResultWithChips({1000, 1000, 23});
    EXPECT_TRUE(harness.shell.trnFinish->IsVisible());
}

TEST_F(TournamentBreak, AtALevelStillRunningItsOwnBetCounts)
{
    PlayToTheFirstResult(1, 2, false);
    CloseTheResultWithChips({1000, 1000, 16, 15});
    EXPECT_FALSE(TournamentEnded());
}

TEST_F(TournamentBreak, HumanOutOfChipsIsOfferedAReBuyAndPlayWaitsForHisYes)
{
    SavedGame& saved = PlayToTheFirstResult(2, 1, false); // one re-buy of 1500 chips for $50
    const double pool = saved.totalBuyIns;
    CloseTheResultWithChips({0, 1500});
    ASSERT_TRUE(harness.shell.rebuy->IsVisible());
    EXPECT_EQ(harness.shell.rebuy->mode, RebuyAddonDlg::kRebuy);
    NobodyAnswersForAMinute();

    harness.shell.rebuy->Answer(true);
    EXPECT_DOUBLE_EQ(Chips(0), 1500.0);
    EXPECT_EQ(saved.rebuysTaken, 1u);
    EXPECT_DOUBLE_EQ(saved.totalBuyIns, pool + 50.0);
    EXPECT_TRUE(NextHandStarts());
    EXPECT_FALSE(TournamentEnded());
}

TEST_F(TournamentBreak, AHumanWhoReBuysIsListedInThePanelOfTheNextHand)
{
    PlayToTheFirstResult(2, 1, false); // one re-buy of 1500 chips for $50
    CloseTheResultWithChips({0, 1500});
    ASSERT_TRUE(harness.shell.rebuy->IsVisible());
    harness.shell.rebuy->Answer(true);
    ASSERT_TRUE(NextHandStarts());
    const std::string human = harness.table->GetPlayer(0)->GetName();
    const std::vector<std::string>& listed = harness.shell.trnPlayers->listed;
    EXPECT_NE(std::find(listed.begin(), listed.end(), human), listed.end());
    EXPECT_EQ(listed.size(), 10u);
}

TEST_F(TournamentBreak, HumanWithExactlyTheBetIsNotShort)
{
    PlayToTheFirstResult(2, 1, false); // first bet 10
    CloseTheResultWithChips({10, 1500});
    EXPECT_FALSE(harness.shell.rebuy->IsVisible());
    EXPECT_FALSE(TournamentEnded());
    EXPECT_TRUE(NextHandStarts());
}

TEST_F(TournamentBreak, HumanWhoDeclinesTheReBuyIsOutOfTheTournament)
{
    SavedGame& saved = PlayToTheFirstResult(2, 1, false);
    CloseTheResultWithChips({0, 1500});
    ASSERT_TRUE(harness.shell.rebuy->IsVisible());
    harness.shell.rebuy->Answer(false);
    EXPECT_TRUE(harness.shell.trnFinish->IsVisible());
    EXPECT_EQ(saved.inUse, 0);
}

TEST_F(TournamentBreak, HumanOutOfChipsWithNoReBuyToBeHadIsOutOfTheTournament)
{
    PlayToTheFirstResult(1, 1, false);
    CloseTheResultWithChips({0, 1000});
    EXPECT_FALSE(harness.shell.rebuy->IsVisible());
    EXPECT_TRUE(harness.shell.trnFinish->IsVisible());
}

TEST_F(TournamentBreak, AtTheStandingsThePlayersPanelRanksEveryPlayerByHisLastChips)
{
    // The panel was filled when the hand began, with the human's chips of
    // then; he lost them all in the hand.
    PlayToTheFirstResult(1, 1, false);
    CloseTheResultWithChips({0, 900, 1000, 700, 800, 8});
    ASSERT_TRUE(harness.shell.trnFinish->IsVisible());
    std::vector<std::string> ranked;
    for (uint16_t seat : {2, 1, 4, 3, 5, 6, 7, 8, 9, 0})
        ranked.push_back(harness.table->GetPlayer(seat)->GetName());
    EXPECT_EQ(harness.shell.trnPlayers->listed, ranked);
}

TEST_F(TournamentBreak, AtTheLevelBeforeTheAddOnLevelShortComputersBuyAndPlayWaitsForTheHuman)
{
    // The Big game N: an add-on of 22500 chips for $150, offered at level 14.
    SavedGame& saved = PlayToTheFirstResult(3, 14, false);
    const double pool = saved.totalBuyIns;
    CloseTheResultWithChips({30000, 22499, 22500});
    ASSERT_TRUE(harness.shell.rebuy->IsVisible());
    EXPECT_EQ(harness.shell.rebuy->mode, RebuyAddonDlg::kAddOn);
    EXPECT_DOUBLE_EQ(Chips(1), 44999.0);
    EXPECT_DOUBLE_EQ(Chips(2), 22500.0);
    EXPECT_DOUBLE_EQ(saved.totalBuyIns, pool + 150.0);
    NobodyAnswersForAMinute();

    harness.shell.rebuy->Answer(true);
    EXPECT_DOUBLE_EQ(Chips(0), 52500.0);
    EXPECT_DOUBLE_EQ(saved.buyIn, 300.0);
    EXPECT_DOUBLE_EQ(saved.totalBuyIns, pool + 300.0);
    EXPECT_TRUE(NextHandStarts());
}

TEST_F(TournamentBreak, ThePlayersPanelRanksThePurchasesOfTheBreakAtOnce)
{
    // The panel was filled as the hand began, when all had 22500 chips.
    PlayToTheFirstResult(3, 14, false);
    CloseTheResultWithChips({3000, 30000, 22499, 22500});
    auto names = [&](std::initializer_list<uint16_t> seats) {
        std::vector<std::string> ranked;
        for (uint16_t seat : seats)
            ranked.push_back(harness.table->GetPlayer(seat)->GetName());
        return ranked;
    };
    // The second computer's add-on puts him first.
    EXPECT_EQ(harness.shell.trnPlayers->listed, names({2, 1, 3, 4, 5, 6, 7, 8, 9, 0}));
    harness.shell.rebuy->Answer(true);
    EXPECT_EQ(harness.shell.trnPlayers->listed, names({2, 1, 0, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(TournamentBreak, NoAddOnIsOfferedAwayFromItsLevel)
{
    SavedGame& saved = PlayToTheFirstResult(3, 13, false);
    const double pool = saved.totalBuyIns;
    CloseTheResultWithChips({30000, 22499, 30000});
    EXPECT_FALSE(harness.shell.rebuy->IsVisible());
    EXPECT_DOUBLE_EQ(Chips(1), 22499.0);
    EXPECT_DOUBLE_EQ(saved.totalBuyIns, pool);
    EXPECT_TRUE(NextHandStarts());
}

// The tournament's panels: its name, the bet, the level, the prize pool and
// the level clock, which counts the level's time down second by second.
TEST(TournamentPanel, ShowsTheTournamentAndItsClockFromTheStart)
{
    TableHarness harness(24);
    SavedGame& saved = harness.UseTournament(3, 10); // Big game N: ten-minute levels
    saved.level = 2;
    harness.Start();
    const testing_support::ScriptedTrnInfoDlg& info = *harness.shell.trnInfo;
    EXPECT_TRUE(info.IsVisible());
    EXPECT_TRUE(harness.shell.trnPlayers->IsVisible());
    EXPECT_EQ(info.caption, "Big game N");
    EXPECT_DOUBLE_EQ(info.minBet, 200.0);
    EXPECT_EQ(info.level, 2u);
    EXPECT_DOUBLE_EQ(info.totalPot, saved.totalBuyIns);
    EXPECT_EQ(info.minutes, 10u);
    EXPECT_EQ(info.seconds, 0u);

    harness.table->Hide();
    EXPECT_FALSE(info.IsVisible());
    EXPECT_FALSE(harness.shell.trnPlayers->IsVisible());
}

TEST(TournamentPanel, TheLevelClockCountsDownSecondBySecondFromTheFirstHand)
{
    TableHarness harness(25);
    harness.humanPolicy = [](HumanActionMessageObserver& human) {
        human.PerformHumanAction(human.GetCurrentBet() > human.GetBet() ? kHumanFold : kHumanCheck, 0);
    };
    SavedGame& saved = harness.UseTournament(1, 10); // two-minute levels
    harness.Start();
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsStarted() > 0; }));
    const testing_support::ScriptedTrnInfoDlg& info = *harness.shell.trnInfo;
    EXPECT_EQ(info.minutes * 60 + info.seconds, 120u);
    // Time moves in the time system's steps of 5 ms, the table running as
    // it goes.
    uint64_t at = 0;
    auto advanceTo = [&](uint64_t ms) {
        for (; at < ms; at += 5) {
            harness.time.Advance(5);
            harness.table->ProcessEvents();
        }
    };
    advanceTo(995);
    EXPECT_EQ(info.minutes * 60 + info.seconds, 120u);
    advanceTo(1000);
    EXPECT_EQ(info.minutes, 1u);
    EXPECT_EQ(info.seconds, 59u);
    advanceTo(61000);
    EXPECT_EQ(info.minutes, 0u);
    EXPECT_EQ(info.seconds, 59u);
    advanceTo(119995);
    EXPECT_FALSE(harness.table->IsLevelExpired());
    EXPECT_EQ(saved.level, 1u);
    advanceTo(120000);
    EXPECT_TRUE(harness.table->IsLevelExpired() || saved.level == 2);
}

TEST(TournamentPanel, ACashTableShowsNoTournamentPanels)
{
    TableHarness harness(26);
    harness.UseCashTable(2, 4);
    harness.Start();
    EXPECT_FALSE(harness.shell.trnInfo->IsVisible());
    EXPECT_FALSE(harness.shell.trnPlayers->IsVisible());
}

} // namespace
} // namespace Gamespace
