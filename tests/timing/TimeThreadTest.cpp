// The real time thread: its pace on the real clock (loose bounds), its pace
// under a test clock (exact), and stopping it, also from its own notice.
#include "platform/core/Clock.h"
#include "platform/core/Event.h"
#include "tests/timing/TimerLog.h"
#include "tests/timing/YieldingClock.h"
#include "timing/TimeSystem_impl.h"

#include <gtest/gtest.h>

#include <atomic>

namespace TimeLibrary {
namespace {

// Runs an endless 5 ms timer on the time thread and calls `onTick(n)` on the
// time thread at its n-th tick (from 1).
struct TickingTimer : testing::TimerLog {
    explicit TickingTimer(TimeSystem_impl& system)
    {
        react = [this](char kind, uint32_t) {
            if (kind == 'T' && onTick)
                onTick(++ticks);
        };
        ITimeObject* timer = system.CreateTimeObject(this, 5, 5);
        timer->SetEndless(true);
        timer->Start(true, 0); // quietly: only ticks reach the log
        timer->SetPaused(false);
    }
    std::function<void(int)> onTick;
    std::atomic<int> ticks{0};
};

TEST(TimeThread, TicksAboutEveryFiveMillisecondsOnTheRealClock)
{
    TimeSystem_impl system;
    TickingTimer timer(system);
    platform::Event done(true);
    uint64_t startUs = 0, endUs = 0;
    timer.onTick = [&](int n) {
        if (n == 1)
            startUs = platform::GetClock().NowMicroseconds();
        if (n == 101) {
            endUs = platform::GetClock().NowMicroseconds();
            done.Set();
        }
    };
    ASSERT_TRUE(system.StartTicking());
    EXPECT_FALSE(system.StartTicking());
    ASSERT_TRUE(done.Wait(20000));
    EXPECT_EQ(system.TickThreadPriority(), platform::ThreadPriority::Highest);
    system.StopTicking();
    EXPECT_FALSE(system.IsTicking());
    // 100 periods of 5 ms; generous for a loaded machine.
    EXPECT_GT(endUs - startUs, 300000u);
    EXPECT_LT(endUs - startUs, 5000000u);
    EXPECT_GE(system.GetTime(), 101u * 5);
}

TEST(TimeThread, EveryPassTakesFiveMillisecondsOfClockTime)
{
    testing::YieldingClock clock;
    platform::ScopedClock useClock(clock);
    TimeSystem_impl system;
    TickingTimer timer(system);
    platform::Event done(true);
    uint64_t firstUs = 0, lastUs = 0;
    timer.onTick = [&](int n) {
        if (n == 1)
            firstUs = clock.NowMicroseconds();
        if (n == 50) {
            lastUs = clock.NowMicroseconds();
            done.Set();
        }
    };
    ASSERT_TRUE(system.StartTicking());
    ASSERT_TRUE(done.Wait(20000));
    system.StopTicking();
    EXPECT_EQ(lastUs - firstUs, 49u * 5000);
}

TEST(TimeThread, StopFromItsOwnNoticeEndsTheLoopAfterThatPass)
{
    testing::YieldingClock clock;
    platform::ScopedClock useClock(clock);
    TimeSystem_impl system;
    TickingTimer timer(system);
    platform::Event stopped(true);
    timer.onTick = [&](int n) {
        if (n == 10) {
            system.StopTicking();
            stopped.Set();
        }
    };
    ASSERT_TRUE(system.StartTicking());
    ASSERT_TRUE(stopped.Wait(20000));
    system.StopTicking(); // waits for the thread and frees it
    EXPECT_EQ(timer.ticks.load(), 10);
    EXPECT_EQ(system.GetTime(), 10u * 5);

    timer.onTick = nullptr;
    EXPECT_TRUE(system.StartTicking()); // the stopped thread is replaced
    system.StopTicking();
}

} // namespace
} // namespace TimeLibrary
