// How one time object counts: steps of 5 ms driven pass by pass on the test
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
        for (int i = 0; i < passes; ++i) {
            ++pass;
            system.TickAll();
        }
    }

    int pass = 0;
    testing::TimerLog log{&pass};
    TimeSystem_impl system;
};

TEST_F(TimeObject, OneStepDurationTicksThenFinishesOnTheFirstPass)
{
    ITimeObject* timer = Make(5, 5);
    ASSERT_TRUE(timer->Start(false, 0));
    Run(3);
    EXPECT_EQ(log.text, "S1@0 T1@1 F1@1");
    EXPECT_FALSE(timer->IsRunning());
}

TEST_F(TimeObject, IntervalsAndDurationsActInWholeSteps)
{
    Make(1000, 1000)->Start(false, 0);
    Run(300);
    EXPECT_EQ(log.text, "S1@0 T1@200 F1@200");

    log.text.clear();
    pass = 0;
    Make(40, 12)->Start(false, 0); // 12 ms ticks every third step
    Run(20);
    EXPECT_EQ(log.text, "S2@0 T2@3 T2@6 T2@8 F2@8");
}

TEST_F(TimeObject, EndlessTimerTicksForEverAndNeverFinishes)
{
    ITimeObject* timer = Make(5, 1000);
    timer->SetEndless(true);
    timer->Start(false, 0);
    Run(600);
    EXPECT_EQ(log.text, "S1@0 T1@200 T1@400 T1@600");
    EXPECT_TRUE(timer->IsRunning());
}

TEST_F(TimeObject, DelayedStartNotifiesAtOnceAndAgainWhenCountingBegins)
{
    Make(10, 5)->Start(false, 20);
    Run(10);
    EXPECT_EQ(log.text, "S1@0 S1@4 T1@5 T1@6 F1@6");
}

TEST_F(TimeObject, PausedStartNotifiesOnlyWhenADelayRunsOutAfterUnpausing)
{
    ITimeObject* noDelay = Make(10, 5);
    ITimeObject* delayed = Make(10, 5);
    noDelay->Start(true, 0);
    delayed->Start(true, 10);
    Run(3);
    EXPECT_EQ(log.text, "");
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
    EXPECT_EQ(log.text, "S1@0 T1@14");
}

TEST_F(TimeObject, StopSilencesADelayOrARunAndAllowsARestart)
{
    ITimeObject* delayed = Make(10, 5);
    ITimeObject* counting = Make(100, 5);
    delayed->Start(false, 50);
    counting->Start(false, 0);
    Run(1);
    delayed->Stop();
    counting->Stop();
    Run(300);
    EXPECT_EQ(log.text, "S1@0 S2@0 T2@1");
    ASSERT_TRUE(counting->Start(false, 0));
    Run(1);
    EXPECT_EQ(log.text, "S1@0 S2@0 T2@1 S2@301 T2@302");
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

TEST_F(TimeObject, ObserverMayRestartItsOwnTimerFromItsNotices)
{
    ITimeObject* timer = Make(10, 5);
    log.react = [&](char kind, uint32_t) {
        if (kind == 'F')
            timer->Start(false, 0);
    };
    timer->Start(false, 0);
    Run(4);
    EXPECT_EQ(log.text, "S1@0 T1@1 T1@2 F1@2 S1@2 T1@3 T1@4 F1@4 S1@4");
    EXPECT_TRUE(timer->IsRunning());
}

} // namespace
} // namespace TimeLibrary
