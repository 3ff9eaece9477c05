#include "framework/app/PerfTimer.h"
#include "framework/app/Profiler.h"

#include "platform/core/Clock.h"
#include "platform/core/Testing.h"

#include <gtest/gtest.h>

#include <cstdio>

TEST(PerfTimer, ReadWhileRunningGivesTimeSoFarAndKeepsRunning)
{
    platform::ManualClock clock(5'000'000);
    platform::ScopedClock use(clock);
    Zolt::PerfTimer timer;
    EXPECT_EQ(timer.GetDuration(), 0.0);

    timer.Start();
    clock.AdvanceMilliseconds(250);
    EXPECT_DOUBLE_EQ(timer.GetDuration(), 250.0);
    EXPECT_TRUE(timer.IsRunning());
    clock.AdvanceMilliseconds(50);
    timer.Stop();
    clock.AdvanceMilliseconds(1000);
    EXPECT_DOUBLE_EQ(timer.GetDuration(), 300.0);
    timer.Stop(); // stopping a stopped watch changes nothing
    EXPECT_DOUBLE_EQ(timer.GetDuration(), 300.0);

    timer.Start();
    clock.Advance(1500);
    EXPECT_DOUBLE_EQ(timer.GetDuration(), 1.5);
}

TEST(PerfTimer, NoCounterRateGivesZeroDuration)
{
    platform::ManualClock clock(5'000'000);
    platform::ScopedClock use(clock);
    Zolt::PerfTimer timer;
    timer.Start();
    clock.AdvanceMilliseconds(250);
    platform::testing::FailNext("QueryPerformanceFrequency", 0, 2);
    timer.Stop();
    EXPECT_EQ(timer.GetDuration(), 0.0);
    platform::testing::ClearFailures();
}

TEST(Profiler, CounterRateMeasurementEndsUnderAManualClock)
{
    // The measurement waits through the clock, so a test clock that only
    // moves on Sleep cannot hang it.
    platform::ManualClock clock;
    platform::ScopedClock use(clock);
    EXPECT_GE(MeasureCpuTicksPerSecond(), 0);
    EXPECT_GE(clock.NowMicroseconds(), 10'000u);
}

TEST(Profiler, StartStopReportsOneTotalLine)
{
    EXPECT_GE(CpuTicksPerSecond(), 1);

    ProfilerStart(true);
    EXPECT_FALSE(ProfilerIsRunning());
    ProfilerStart(false);
    EXPECT_TRUE(ProfilerIsRunning());
    ProfilerStop();
    EXPECT_FALSE(ProfilerIsRunning());

    const std::string results = ProfilerResults();
    double total = -1.0;
    char end = 0;
    ASSERT_EQ(std::sscanf(results.c_str(), "Total Time: %lf%c", &total, &end), 2) << results;
    EXPECT_EQ(end, '\n');
    EXPECT_GE(total, 0.0);
    EXPECT_EQ(results.find('\n'), results.size() - 1);
}
