// Tournament levels as a player lives them: the blinds rise once each time
// the level clock runs out, never in between, and the level the profile keeps
// is the level the table played.
#include "game/table/PlayerI.h"
#include "game/table/Tournament.h"
#include "tests/support/TableHarness.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace Gamespace
