// The real time thread: its pace on the real clock (loose bounds), under a
// test clock (exact), and stopping it from its own notice.
#include "platform/core/Clock.h"
#include "platform/core/Event.h"
#include "tests/timing/TimerLog.h"
#include "tests/timing/YieldingClock.h"
#include "timing/TimeSystem_impl.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <utility>

namespace TimeLibrary {
namespace {

// An endless 5 ms timer; `onTick(n)` runs on the time thread at its n-th tick
// and records the clock there.
struct TickingTimer : testing::TimerLog {
    // `tick` is given here when the time thread already runs: set later, it
    // would be written while the thread may call it.
    explicit TickingTimer(TimeSystem_impl& system, std::function<void(int)> tick = {}) : onTick(std::move(tick))
    {
        react = [this](char, uint32_t) {
            times.push_back(platform::GetClock().NowMicroseconds());
            onTick(static_cast<int>(times.size()));
        };
        ITimeObject* timer = system.CreateTimeObject(this, 5, 5);
        timer->SetEndless(true);
        timer->Start(true, 0); // quietly: only ticks reach `react`
        timer->SetPaused(false);
    }
    std::function<void(int)> onTick;
    std::vector<uint64_t> times;
    platform::Event done{true};
};

TEST(TimeThread, TicksAboutEveryFiveMillisecondsOnTheRealClock)
{
    TimeSystem_impl system;
    TickingTimer timer(system);
    timer.onTick = [&](int n) {
        if (n == 101)
            timer.done.Set();
    };
    ASSERT_TRUE(system.StartTicking());
    EXPECT_FALSE(system.StartTicking());
    ASSERT_TRUE(timer.done.Wait(20000));
    EXPECT_EQ(system.TickThreadPriority(), platform::ThreadPriority::Highest);
    system.StopTicking();
    const uint64_t hundredPeriods = timer.times[100] - timer.times[0];
    EXPECT_GT(hundredPeriods, 300000u); // loose: the machine may be busy
    EXPECT_LT(hundredPeriods, 5000000u);
}

TEST(TimeThread, PassesTakeFiveMillisecondsOfClockTimeAndStopFromANoticeEndsTheLoop)
{
    testing::YieldingClock clock;
    platform::ScopedClock useClock(clock);
    TimeSystem_impl system;
    TickingTimer timer(system);
    timer.onTick = [&](int n) {
        if (n == 50) {
            system.StopTicking(); // from the time thread itself
            timer.done.Set();
        }
    };
    ASSERT_TRUE(system.StartTicking());
    ASSERT_TRUE(timer.done.Wait(20000));
    system.StopTicking(); // waits for the thread and frees it
    ASSERT_EQ(timer.times.size(), 50u);
    EXPECT_EQ(timer.times[49] - timer.times[0], 49u * 5000);
    EXPECT_EQ(system.GetTime(), 50u * 5);
    timer.onTick = [](int) {};
    EXPECT_TRUE(system.StartTicking()); // the stopped thread is replaced
    system.StopTicking();
}

TEST(TimeThread, StoppedFromAnotherThreadItStartsAgainWithTheClockFromZero)
{
    testing::YieldingClock clock;
    platform::ScopedClock useClock(clock);
    TimeSystem_impl system;
    TickingTimer timer(system);
    uint64_t timeAtFirstTick = 1;
    timer.onTick = [&](int n) {
        if (n == 1)
            timeAtFirstTick = system.GetTime();
        if (n == 3)
            timer.done.Set();
    };
    ASSERT_TRUE(system.StartTicking());
    ASSERT_TRUE(timer.done.Wait(20000));
    system.StopTicking();
    EXPECT_EQ(system.TickThreadPriority(), platform::ThreadPriority::Normal) << "no thread is left";
    const uint64_t stoppedAt = system.GetTime();
    EXPECT_GE(stoppedAt, 15u);

    timer.times.clear();
    timer.done.Reset();
    timeAtFirstTick = 1;
    ASSERT_TRUE(system.StartTicking()) << "a stopped system starts again";
    ASSERT_TRUE(timer.done.Wait(20000));
    system.StopTicking();
    EXPECT_EQ(timeAtFirstTick, 0u) << "the clock starts from 0 with the thread";
}

TEST(TimeThread, RestsWhileNoTimerRunsYetItsClockCountsTheRestAndAStartWakesIt)
{
    testing::YieldingClock clock;
    platform::ScopedClock useClock(clock);
    TimeSystem_impl system;
    ASSERT_TRUE(system.StartTicking());
    // One pass finds nothing to step; then the thread waits without passing.
    for (int i = 0; i < 10000000 && !system.IsResting(); ++i)
        std::this_thread::yield();
    ASSERT_TRUE(system.IsResting());
    const uint64_t before = system.GetTime();
    clock.Advance(1000000);
    EXPECT_EQ(system.GetTime(), before + 1000) << "a second of rest is 200 passes";

    platform::Event thirdTick{true};
    TickingTimer timer(system, [&](int n) {
        if (n == 3)
            thirdTick.Set();
    });
    ASSERT_TRUE(thirdTick.Wait(20000)) << "the start woke the thread";
    system.StopTicking();
    EXPECT_GE(timer.times[0], 1000000u);
    EXPECT_EQ(timer.times[2] - timer.times[1], 5000u) << "passes every 5 ms again";
    EXPECT_GE(system.GetTime(), before + 1000 + 3 * 5);
}

TEST(TimeThread, StartingTheThreadForgetsADebtRunUpByPassesDrivenByHand)
{
    testing::YieldingClock clock;
    platform::ScopedClock useClock(clock);
    TimeSystem_impl system;
    TickingTimer timer(system);
    // A 7 ms pass by hand leaves 2 ms owed.
    timer.onTick = [&](int n) {
        if (n == 1)
            clock.Advance(7000);
    };
    ASSERT_TRUE(system.RunPass());
    ASSERT_TRUE(system.RunPass());

    timer.times.clear();
    timer.onTick = [&](int n) {
        if (n == 3)
            timer.done.Set();
    };
    ASSERT_TRUE(system.StartTicking());
    ASSERT_TRUE(timer.done.Wait(20000));
    system.StopTicking();
    EXPECT_EQ(timer.times[1] - timer.times[0], 5000u) << "full periods from the start";
    EXPECT_EQ(timer.times[2] - timer.times[1], 5000u);
}

TEST(TimeThread, DestroyingATickingSystemStopsItsThreadFirst)
{
    testing::YieldingClock clock;
    platform::ScopedClock useClock(clock);
    auto system = std::make_unique<TimeSystem_impl>();
    TickingTimer timer(*system);
    timer.onTick = [&](int n) {
        if (n == 3)
            timer.done.Set();
    };
    ASSERT_TRUE(system->StartTicking());
    ASSERT_TRUE(timer.done.Wait(20000));
    system.reset();
}

} // namespace
} // namespace TimeLibrary
