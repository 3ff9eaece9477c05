// The real time thread: its pace on the real clock (loose bounds), under a
// test clock (exact), and stopping it from its own notice.
#include "platform/core/Clock.h"
#include "platform/core/Event.h"
#include "tests/timing/TimerLog.h"
#include "tests/timing/YieldingClock.h"
#include "timing/TimeSystem_impl.h"

#include <gtest/gtest.h>

#include <atomic>
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
    // The rest begins where the next pass would have: from there on, every
    // 5 ms of it counts one pass.
    clock.Advance(5000);
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

// An endless timer, started at once unless asked not to; the clock in
// GetTime at each tick.
struct EndlessTimer : testing::TimerLog {
    EndlessTimer(TimeSystem_impl& system, int intervalMs, bool start = true)
    {
        react = [this, &system](char kind, uint32_t) {
            if (kind == 'T') {
                ticks.push_back(system.GetTime());
                if (ticks.size() == stopAfter)
                    system.StopTicking(); // from the time thread: ends the loop after this pass
                count.store(ticks.size());
            }
        };
        object = system.CreateTimeObject(this, 5, intervalMs);
        object->SetEndless(true);
        if (start)
            object->Start(false, 0);
    }
    bool WaitForTicks(size_t n) const
    {
        for (int i = 0; i < 10000000 && count.load() < n; ++i)
            std::this_thread::yield();
        return count.load() >= n;
    }
    std::vector<uint64_t> ticks; // written on the time thread; read once it stopped
    std::atomic<size_t> count{0};
    size_t stopAfter = 0; // set before the thread starts
    ITimeObject* object = nullptr;
};

TEST(TimeThread, ALongIntervalLetsTheThreadDozeAndItStillTicksOnItsPass)
{
    testing::YieldingClock clock;
    platform::ScopedClock useClock(clock);
    TimeSystem_impl system;
    EndlessTimer timer(system, 50); // a tick every 10th pass
    timer.stopAfter = 3;
    ASSERT_TRUE(system.StartTicking());
    ASSERT_TRUE(timer.WaitForTicks(3));
    system.StopTicking();
    // As with a pass every 5 ms: the 10th, 20th and 30th pass tick.
    EXPECT_EQ(timer.ticks, (std::vector<uint64_t>{45, 95, 145}));
    // The loop ends with the pass whose notice stopped it: no sleep after it.
    EXPECT_EQ(clock.NowMicroseconds(), 145000u);
    // One sleep from each ticking pass to the next, the rest of its own
    // period included: a pass every 5 ms would have slept 30 times, and a
    // sleep to each period's end before each doze would make it 6.
    EXPECT_EQ(clock.Sleeps(), 3);
}

TEST(TimeThread, AShortTimerStartedDuringADozeIsNotHeldUntilItsEnd)
{
    // The real clock: the doze must wait for the start, not sleep through it.
    TimeSystem_impl system;
    EndlessTimer slow(system, 200);
    EndlessTimer fast(system, 5, false);
    ASSERT_TRUE(system.StartTicking());
    for (int i = 0; i < 10000000 && !(system.IsAsleep() && !system.IsResting()); ++i)
        std::this_thread::yield();
    ASSERT_TRUE(system.IsAsleep() && !system.IsResting()) << "the thread dozes towards the 40th pass";
    fast.object->Start(false, 0);
    ASSERT_TRUE(slow.WaitForTicks(1));
    ASSERT_TRUE(fast.WaitForTicks(1));
    system.StopTicking();
    EXPECT_LT(fast.ticks[0], slow.ticks[0]) << "the start woke the thread";
    EXPECT_EQ(slow.ticks[0], 195u) << "the doze booked exactly the passes it stood for";
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
