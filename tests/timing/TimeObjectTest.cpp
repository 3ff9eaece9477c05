// How time objects count: steps of 5 ms driven pass by pass on the test
// thread, so every notice is pinned to the pass that raised it.
#include "tests/timing/TimerLog.h"
#include "timing/TimeSystem_impl.h"

#include <gtest/gtest.h>

namespace TimeLibrary {
namespace {

class TimeObject : public ::testing::Test {
protected:
    ITimeObject* Make(int durationMs, int intervalMs) { return system.CreateTimeObject(&log, durationMs, intervalMs); }
    void Run(int passes)
    {
        for (int i = 0; i < passes; ++i, ++pass)
            system.TickAll();
    }
    int pass = 1; // the number of the next pass
    testing::TimerLog log{&pass};
    TimeSystem_impl system;
};

TEST_F(TimeObject, IntervalsAndDurationsActInWholeSteps)
{
    Make(5, 5)->Start(false, 0);       // 1: tick and finish on the first step
    Make(1000, 1000)->Start(false, 0); // 2: one tick, on the 200th step
    Make(40, 12)->Start(false, 0);     // 3: 12 ms rounds up to every third step
    ITimeObject* endless = Make(5, 1000);
    endless->SetEndless(true);
    endless->Start(false, 0); // 4: every 200 steps, for ever
    log.text.clear();
    Run(400);
    EXPECT_EQ(log.text, "T1@1 F1@1 T3@3 T3@6 T3@8 F3@8 T2@200 F2@200 T4@200 T4@400");
    EXPECT_TRUE(endless->IsRunning());
}

TEST_F(TimeObject, DelayedStartNotifiesAtOnceAndAgainWhenCountingBegins)
{
    Make(10, 5)->Start(false, 20);
    Run(8);
    EXPECT_EQ(log.text, "S1@1 S1@4 T1@5 T1@6 F1@6");
}

TEST_F(TimeObject, PausedStartNotifiesOnlyWhenADelayRunsOutAfterUnpausing)
{
    ITimeObject* noDelay = Make(10, 5);
    ITimeObject* delayed = Make(10, 5);
    noDelay->Start(true, 0);
    delayed->Start(true, 10);
    Run(3);
    noDelay->SetPaused(false);
    delayed->SetPaused(false);
    Run(5);
    EXPECT_EQ(log.text, "T1@4 T1@5 F1@5 S2@5 T2@6 T2@7 F2@7");
}

TEST_F(TimeObject, PauseKeepsEveryCounter)
{
    ITimeObject* timer = Make(100, 20);
    timer->Start(false, 0);
    Run(2);
    timer->SetPaused(true);
    Run(10);
    timer->SetPaused(false);
    Run(2);
    EXPECT_EQ(log.text, "S1@1 T1@14");
}

TEST_F(TimeObject, StopSilencesADelayOrARun)
{
    ITimeObject* delayed = Make(10, 5);
    ITimeObject* counting = Make(100, 5);
    delayed->Start(false, 50);
    counting->Start(false, 0);
    Run(1);
    delayed->Stop();
    counting->Stop();
    Run(300);
    EXPECT_EQ(log.text, "S1@1 S2@1 T2@1");
}

TEST_F(TimeObject, RejectedStartChangesNothing)
{
    ITimeObject* timer = Make(100, 0);
    EXPECT_FALSE(timer->Start(false, 0));
    timer->SetTimes(0, 5);
    EXPECT_FALSE(timer->Start(false, 0));
    Run(5);
    EXPECT_FALSE(timer->IsRunning());
    EXPECT_EQ(log.text, "");
    timer->SetEndless(true); // an endless timer needs no duration
    EXPECT_TRUE(timer->Start(false, 0));
}

TEST_F(TimeObject, TheShortestTimesAreAccepted)
{
    EXPECT_TRUE(Make(10, 1)->Start(false, 0)) << "an interval of 1 ms";
    EXPECT_TRUE(Make(1, 5)->Start(false, 0)) << "a duration of 1 ms";
    log.text.clear();
    Run(2);
    EXPECT_EQ(log.text, "T1@1 T2@1 F2@1 T1@2 F1@2");
}

TEST_F(TimeObject, OddTimesRoundUpToWholeSteps)
{
    Make(6, 100)->Start(false, 0); // 1: finishes on the second step
    Make(100, 6)->Start(false, 0); // 2: ticks every second step
    Run(6);
    EXPECT_EQ(log.text, "S1@1 S2@1 T1@2 F1@2 T2@2 T2@4 T2@6");
}

TEST_F(TimeObject, AStartDelayCountsInWholeStepsToo)
{
    Make(10, 5)->Start(false, 1); // 1: the delay is over after one step
    Make(10, 5)->Start(false, 6); // 2: after two
    Run(5);
    EXPECT_EQ(log.text, "S1@1 S2@1 S1@1 T1@2 S2@2 T1@3 F1@3 T2@3 T2@4 F2@4");
}

TEST_F(TimeObject, ARestartedTimerCountsItsIntervalAfresh)
{
    ITimeObject* timer = Make(100, 20);
    timer->Start(false, 0);
    Run(3);
    timer->Stop();
    timer->Start(false, 0);
    Run(4);
    EXPECT_EQ(log.text, "S1@1 S1@4 T1@7");
}

TEST_F(TimeObject, ObserverMayRestartItsOwnTimerFromItsNotices)
{
    ITimeObject* timer = Make(10, 5);
    log.react = [&](char kind, uint32_t) {
        if (kind == 'F')
            timer->Start(false, 0);
    };
    timer->Start(false, 0);
    Run(4);
    EXPECT_EQ(log.text, "S1@1 T1@1 T1@2 F1@2 S1@2 T1@3 T1@4 F1@4 S1@4");
}

} // namespace
} // namespace TimeLibrary
