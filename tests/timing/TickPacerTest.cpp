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

TEST(TickPacer, TheRestOfAPeriodIsWaitedUnlessBelowAnEighthOfAMillisecond)
{
    TickPacer pacer(1000000); // one count per microsecond
    const std::pair<int64_t, int64_t> cases[] = {{0, 5000}, {3000, 2000}, {4875, 125}, {4876, 0}, {6000, 0}};
    for (const auto& [elapsed, rest] : cases)
        EXPECT_EQ(pacer.RestOfPeriod(elapsed), rest) << elapsed << " us passed";
    pacer.EndPass(7000); // owes 2 ms: the next period is shortened
    EXPECT_EQ(pacer.RestOfPeriod(1000), 3875);
    EXPECT_EQ(TickPacer(10000000).MicrosecondsIn(12345), 1234) << "a counter ten times finer";
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
