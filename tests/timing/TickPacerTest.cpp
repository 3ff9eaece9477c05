// The time thread's pacing: 5 ms periods, overruns repaid 1/8 ms a period.
#include "tests/timing/TimerLog.h"
#include "tests/timing/YieldingClock.h"
#include "timing/TickPacer.h"
#include "timing/TimeSystem_impl.h"

#include <gtest/gtest.h>

#include <vector>

namespace TimeLibrary {
namespace {

TEST(TickPacer, OverrunOfAtMostAnEighthIsForgivenAndASmallDebtEndsExactly)
{
    TickPacer pacer(1000000); // one count per microsecond
    pacer.EndPass(5125);
    EXPECT_EQ(pacer.Period(), 5000);
    pacer.EndPass(5126); // owes 126 us
    EXPECT_EQ(pacer.Period(), 4875);
    pacer.EndPass(4875);
    EXPECT_EQ(pacer.Period(), 4999);
    pacer.EndPass(4999);
    EXPECT_EQ(pacer.Period(), 5000);
}

TEST(TickPacer, SleepSlicesShrinkAsTheEndOfThePeriodNears)
{
    // One count per microsecond: the thresholds are 3, 2, 1.5 and 1/8 ms.
    const TickPacer pacer(1000000);
    const std::pair<int64_t, int> cases[] = {
        {5000, 4}, {3001, 4}, {3000, 3}, {2001, 3}, {2000, 2}, {1501, 2}, {1500, 0}, {125, 0}, {124, -1}, {0, -1}};
    for (const auto& [remaining, slice] : cases)
        EXPECT_EQ(pacer.SleepSliceFor(remaining), slice) << remaining << " us left";
}

// The loop runs pass by pass on the test thread; the clock moves only through
// the loop's own sleeps and one simulated 7 ms pass.
TEST(TickPacer, StallIsRepaidOverTheFollowingPeriodsAnEighthAtATime)
{
    testing::YieldingClock clock;
    platform::ScopedClock useClock(clock);
    TimeSystem_impl system;
    testing::TimerLog log;
    std::vector<uint64_t> tickTimes;
    log.react = [&](char, uint32_t) {
        tickTimes.push_back(clock.NowMicroseconds());
        if (tickTimes.size() == 3)
            clock.Advance(7000);
    };
    ITimeObject* timer = system.CreateTimeObject(&log, 5, 5);
    timer->SetEndless(true);
    timer->Start(true, 0);
    timer->SetPaused(false);
    for (int pass = 0; pass < 22; ++pass)
        ASSERT_TRUE(system.RunPass());

    std::vector<uint64_t> periods;
    for (size_t i = 1; i < tickTimes.size(); ++i)
        periods.push_back(tickTimes[i] - tickTimes[i - 1]);
    std::vector<uint64_t> expected = {5000, 5000, 7000};
    expected.insert(expected.end(), 16, 4875); // 2 ms owed
    expected.insert(expected.end(), 2, 5000);
    EXPECT_EQ(periods, expected);
    EXPECT_EQ(system.GetTime(), 22u * 5);
}

} // namespace
} // namespace TimeLibrary
