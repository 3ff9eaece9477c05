// A tournament's progress handed to the shell to keep as it is made: after
// every hand paid out (before its result can be closed) and after every
// purchase of chips once the buyer has booked it, with the tournament's
// record brought up to date first, so that a program ended at any moment
// loses at most the hand in play.
#include "game/table/PlayerI.h"
#include "game/table/RebuyAddonDlg.h"
#include "tests/support/TableHarness.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Gamespace {
namespace {

using testing_support::TableHarness;

class KeptProgress : public ::testing::Test {
protected:
    // Ten seats of tournament `id` at `level`, whose human checks or folds,
    // held at the first hand result.
    SavedGame& PlayToTheFirstResult(uint16_t id, uint32_t level)
    {
        harness.restartWhenDone = false;
        harness.closeResults = false;
        harness.humanPolicy = [](HumanActionMessageObserver& human) {
            human.PerformHumanAction(human.GetCurrentBet() > human.GetBet() ? kHumanFold : kHumanCheck, 0);
        };
        SavedGame& saved = harness.UseTournament(id, 10);
        saved.level = level;
        harness.Start();
        EXPECT_TRUE(harness.RunUntil([&] { return harness.shell.finish->IsVisible(); }));
        return saved;
    }

    // The last record kept holds every player's chips as the table has them
    // now, between two hands.
    void ExpectKeptAsTheTableStands()
    {
        ASSERT_FALSE(harness.shell.kept.empty());
        const SavedGame& kept = harness.shell.kept.back();
        EXPECT_EQ(kept.inUse, 1);
        EXPECT_EQ(kept.humanInHand, 0) << "the next sitting deals a new hand";
        EXPECT_DOUBLE_EQ(kept.startChips, std::trunc(harness.table->GetPlayer(0)->GetChips()));
        for (const SeatRecord& seat : kept.seats) {
            const PlayerI* player = harness.table->GetPlayer(seat.seatNumber);
            EXPECT_EQ(seat.inHand, 0) << "seat " << seat.seatNumber;
            if (seat.active != 0 && player != nullptr) {
                EXPECT_DOUBLE_EQ(seat.chips, player->GetChips()) << "seat " << seat.seatNumber;
            }
        }
    }

    TableHarness harness{29};
};

TEST_F(KeptProgress, EveryHandIsKeptOncePaidOutBeforeItsResultCanBeClosed)
{
    PlayToTheFirstResult(3, 1);
    // The draw for the button, then the hand.
    EXPECT_EQ(harness.shell.kept.size(), 2u);
    ExpectKeptAsTheTableStands();

    harness.closeResults = true;
    ASSERT_TRUE(harness.RunUntil([&] { return harness.table->GetHandsShownDown() >= 6; }));
    EXPECT_EQ(harness.shell.kept.size(), harness.table->GetHandsShownDown() + 1);
}

TEST_F(KeptProgress, AReBuyIsKeptOnceTheHumanHasBookedIt)
{
    SavedGame& saved = PlayToTheFirstResult(2, 1); // one re-buy of 1500 chips for $50
    const double pool = saved.totalBuyIns;
    for (uint16_t seat = 0; seat < 10; ++seat)
        harness.table->Betting().SetChips(seat, seat == 0 ? 0.0 : 1500.0);
    harness.shell.finish->Show(false);
    ASSERT_TRUE(harness.shell.rebuy->IsVisible());
    const size_t keptBefore = harness.shell.kept.size();

    harness.shell.rebuy->Answer(true);
    harness.table->ProcessEvents();
    ASSERT_EQ(harness.shell.kept.size(), keptBefore + 1);
    const SavedGame& kept = harness.shell.kept.back();
    EXPECT_EQ(kept.rebuysTaken, 1u);
    EXPECT_DOUBLE_EQ(kept.buyIn, 100.0);
    EXPECT_DOUBLE_EQ(kept.totalBuyIns, pool + 50.0);
    ExpectKeptAsTheTableStands();
}

TEST_F(KeptProgress, TheComputersAddOnsAreKeptBeforeTheHumanAnswers)
{
    // The Big game N: an add-on of 22500 chips for $150, offered at level 14.
    SavedGame& saved = PlayToTheFirstResult(3, 14);
    const double pool = saved.totalBuyIns;
    for (uint16_t seat = 0; seat < 10; ++seat)
        harness.table->Betting().SetChips(seat, seat == 1 ? 22499.0 : 30000.0);
    const size_t keptBefore = harness.shell.kept.size();
    harness.shell.finish->Show(false);
    ASSERT_TRUE(harness.shell.rebuy->IsVisible());
    harness.table->ProcessEvents();
    ASSERT_EQ(harness.shell.kept.size(), keptBefore + 1);
    EXPECT_DOUBLE_EQ(harness.shell.kept.back().totalBuyIns, pool + 150.0);
    ExpectKeptAsTheTableStands();
}

} // namespace
} // namespace Gamespace
