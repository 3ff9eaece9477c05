// The loop's clock arithmetic with times given by hand: step lengths, the
// catch-up store and its cap, the reset hold, the updates a paced step owes,
// the check that gives up refresh pacing, and when a paint is presented.
#include "framework/app/FramePacer.h"

#include <gtest/gtest.h>

#include <utility>

using Zolt::FramePacer;

TEST(FramePacer, StepIsOneFrameTimeOrOneRefreshAndShrinksWithSpeed)
{
    FramePacer::Step plain = FramePacer::StepFor(false, 60, 10, 1.0);
    EXPECT_DOUBLE_EQ(plain.length, 10.0);
    EXPECT_DOUBLE_EQ(plain.updates, 1.0);
    FramePacer::Step paced = FramePacer::StepFor(true, 60, 10, 1.0);
    EXPECT_DOUBLE_EQ(paced.length, 1000.0 / 60);
    EXPECT_DOUBLE_EQ(paced.updates, 1000.0 / 600);
    EXPECT_DOUBLE_EQ(FramePacer::StepFor(true, 100, 10, 2.0).length, 5.0);
    EXPECT_DOUBLE_EQ(FramePacer::StepFor(false, 60, 10, 2.0).length, 5.0);
    EXPECT_DOUBLE_EQ(FramePacer::StepFor(true, 0, 10, 1.0).length, 10.0) << "an unknown rate paces nothing";
}

TEST(FramePacer, StallIsCaughtUpByAtMost200Milliseconds)
{
    FramePacer pacer(1000);
    pacer.Accumulate(1000); // the first call only takes the stamp
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 0.0);
    pacer.Accumulate(1007);
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 7.0);
    pacer.Accumulate(6007);
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 200.0);
    const FramePacer::Step step = FramePacer::StepFor(false, 100, 10, 1.0);
    int updates = 0;
    while (pacer.IsUpdateDue(step, false, true)) {
        pacer.ConsumeStep(step, false);
        ++updates;
    }
    EXPECT_EQ(updates, 20);
    EXPECT_EQ(pacer.TimeToNextUpdate(step), 10);
    EXPECT_EQ(pacer.TimeToNextUpdate(FramePacer::StepFor(false, 60, 10, 1.5)), 7) << "6.67 ms, rounded up";
}

// The clock wraps to 0 every 49.7 days: a stamp taken then still counts.
TEST(FramePacer, AStampTakenAsTheClockReadsZeroCounts)
{
    FramePacer wrapped(0);
    wrapped.Reset(0, false);
    wrapped.Accumulate(10);
    EXPECT_NEAR(wrapped.Accumulated(), 10.0, 1.0);
}

// A wait the loop chose with its updates held keeps its time in full when it
// ends on time (or up to 20 ms late), and a later stall takes none of it;
// one that a stall drew out gets what any stall gets, the held time in store
// included.
TEST(FramePacer, AHeldWaitKeepsItsTimeUnlessAStallDrewItOut)
{
    FramePacer pacer(1000);
    pacer.Accumulate(1000);
    pacer.NoteHeldWait(900);
    pacer.Accumulate(1920);
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 920.0);
    pacer.Accumulate(6920);
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 900.0 + 200.0);
    pacer.NoteHeldWait(900);
    pacer.Reset(7000, false);
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 0.0);
    pacer.Accumulate(7500);
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 200.0) << "a reset forgets the wait it was told of";

    FramePacer stalled(1000);
    stalled.Accumulate(1000);
    stalled.NoteHeldWait(150);
    stalled.Accumulate(1150);
    stalled.NoteHeldWait(1);
    stalled.Accumulate(1250);
    EXPECT_DOUBLE_EQ(stalled.Accumulated(), 200.0);
    stalled.NoteHeldWait(900);
    stalled.Accumulate(6000);
    EXPECT_DOUBLE_EQ(stalled.Accumulated(), 200.0);
}

TEST(FramePacer, ResetWithHoldKeepsTheStoreEmptyForASecond)
{
    FramePacer pacer(0);
    const FramePacer::Step step = FramePacer::StepFor(false, 100, 10, 1.0);
    pacer.Reset(5000, true);
    pacer.NoteHeldWait(150);
    pacer.Accumulate(5150);
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 150.0);
    pacer.ConsumeStep(step, false);
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 0.0) << "held, a held wait's time too";
    pacer.Accumulate(5999);
    pacer.ConsumeStep(step, false);
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 0.0) << "held to the last millisecond of the second";
    pacer.Accumulate(6100);
    pacer.ConsumeStep(step, false);
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 91.0) << "the hold is over";
    pacer.Reset(7000, true);
    pacer.Accumulate(8000);
    pacer.ConsumeStep(step, false);
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 190.0) << "the hold is over after 1000 ms";

    pacer.Reset(7000, false);
    pacer.Accumulate(7050);
    pacer.ConsumeStep(step, false);
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 40.0) << "a plain reset holds nothing";
}

TEST(FramePacer, PacedStepsOweTheUpdatesOfTheirFraction)
{
    // At 60 Hz and 10 ms updates, three refreshes are five updates.
    FramePacer pacer(0);
    const FramePacer::Step step = FramePacer::StepFor(true, 60, 10, 1.0);
    int updates = 0;
    for (int refresh = 0; refresh < 3; ++refresh) {
        ++updates;
        pacer.OweExtraUpdates(step);
        while (pacer.HasOwedUpdate()) {
            pacer.PayOwedUpdate();
            ++updates;
        }
    }
    EXPECT_EQ(updates, 5);
}

TEST(FramePacer, PacedUpdateIsDueEarlierOnceOneRanAndAtOnceBeforeTheFirst)
{
    FramePacer pacer(0);
    const FramePacer::Step step = FramePacer::StepFor(true, 100, 10, 1.0);
    EXPECT_TRUE(pacer.IsUpdateDue(step, true, false));
    EXPECT_FALSE(pacer.IsUpdateDue(step, true, true));
    pacer.Accumulate(1);
    pacer.Accumulate(8); // 7 ms: three quarters of the step, rounded down
    EXPECT_TRUE(pacer.IsUpdateDue(step, true, true));
    EXPECT_FALSE(pacer.IsUpdateDue(step, false, true));
    pacer.ConsumeStep(step, true);
    EXPECT_DOUBLE_EQ(pacer.Accumulated(), 0.0) << "paced steps never leave a debt";
    pacer.Accumulate(23);
    pacer.ConsumeStep(step, true);
    EXPECT_NEAR(pacer.Accumulated(), 4.8, 1e-9) << "a paced step takes 0.2 ms more than its length";
}

TEST(FramePacer, PacingIsGivenUpAfterThreeFastSecondsInARow)
{
    FramePacer pacer(0);
    uint32_t now = 10000;
    auto second = [&](uint32_t ms) {
        now += ms;
        for (int i = 0; i < 100; ++i)
            pacer.CountUpdateForPacingCheck(now, 10);
    };
    second(1000);
    second(700);
    second(700);
    second(1000); // a normal second starts the count again
    second(700);
    second(700);
    EXPECT_FALSE(pacer.IsPacingBroken());
    second(700);
    EXPECT_TRUE(pacer.IsPacingBroken());

    // A check comes after a second's worth of updates, rounded up, and a
    // second of 800 ms counts as fast, one of 801 not.
    for (const auto& check : {std::pair{10, 100}, std::pair{9, 112}}) {
        const int frameTime = check.first;
        const int perSecond = check.second;
        FramePacer checked(0);
        const auto updates = [&](int count, uint32_t at) {
            for (int i = 0; i < count; ++i)
                checked.CountUpdateForPacingCheck(at, frameTime);
        };
        updates(perSecond, 801);
        updates(perSecond, 1601);
        updates(perSecond, 2401);
        updates(perSecond - 1, 3201);
        EXPECT_FALSE(checked.IsPacingBroken()) << frameTime;
        updates(1, 3201);
        EXPECT_TRUE(checked.IsPacingBroken()) << frameTime;
    }
}

TEST(FramePacer, IdleScreenIsPresentedOnceASecondAndLoadingSpacesThePresents)
{
    FramePacer pacer(1000);
    EXPECT_FALSE(pacer.IsPresentDue(1500, false, false));
    EXPECT_TRUE(pacer.IsPresentDue(1500, true, false));
    EXPECT_TRUE(pacer.IsPresentDue(1500, false, true));
    EXPECT_TRUE(pacer.IsPresentDue(2000, false, false));

    pacer.NotePresentStart(2000);
    EXPECT_EQ(pacer.LastPresent(), 2000u);
    pacer.ScheduleNextPresent(2005, 5, false);
    EXPECT_TRUE(pacer.IsPresentDue(2006, true, false));
    // While loading: the paint time (15 ms at least) plus 35 ms after the
    // last one.
    pacer.ScheduleNextPresent(2010, 5, true);
    EXPECT_FALSE(pacer.IsPresentDue(2054, true, false));
    EXPECT_TRUE(pacer.IsPresentDue(2055, true, false));
    pacer.ScheduleNextPresent(2400, 80, true); // far behind: from the present's end
    EXPECT_FALSE(pacer.IsPresentDue(2399, true, false));
    EXPECT_TRUE(pacer.IsPresentDue(2400, true, false));
}
