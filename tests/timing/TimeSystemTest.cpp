// The table of time objects: ids, a full table, destruction at awkward
// moments, and the lock order of a start notice raised off the time thread.
#include "platform/core/BlockedWait.h"
#include "platform/core/Clock.h"
#include "platform/core/Event.h"
#include "platform/core/Testing.h"
#include "tests/support/WaitUntil.h"
#include "tests/timing/TimerLog.h"
#include "timing/TimeSystem_impl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace TimeLibrary {
namespace {

TEST(TimeSystem, NewObjectTakesTheFirstFreeEntryFromOne)
{
    TimeSystem_impl system;
    testing::TimerLog log;
    ITimeObject* first = system.CreateTimeObject(&log, 10, 5);
    system.CreateTimeObject(&log, 10, 5)->Start(true, 0);
    EXPECT_EQ(first->GetId(), 1u);
    system.DestroyTimeObject(first);
    system.DestroyTimeObject(first); // already gone: ignored
    system.DestroyTimeObject(nullptr);
    EXPECT_EQ(system.CreateTimeObject(&log, 10, 5)->GetId(), 1u);

    system.DestroyAllTimeObjects();
    system.TickAll();
    EXPECT_EQ(log.text, "");
    EXPECT_EQ(system.CreateTimeObject(&log, 10, 5)->GetId(), 1u);
}

TEST(TimeSystem, DestroyingEveryObjectSilencesEveryOne)
{
    TimeSystem_impl system;
    testing::TimerLog log;
    for (int i = 0; i < 3; ++i) {
        ITimeObject* timer = system.CreateTimeObject(&log, 100, 5);
        timer->Start(true, 0); // quietly
        timer->SetPaused(false);
    }
    system.DestroyAllTimeObjects();
    system.TickAll();
    EXPECT_EQ(log.text, "");
    for (uint32_t id = 1; id <= 3; ++id)
        EXPECT_EQ(system.CreateTimeObject(&log, 10, 5)->GetId(), id) << "every entry is free again";
}

TEST(TimeSystem, WithoutAUsablePerformanceCounterNothingTicks)
{
    TimeSystem_impl system;
    platform::testing::FailNext("QueryPerformanceFrequency", 0);
    EXPECT_FALSE(system.StartTicking());
    platform::testing::FailNext("QueryPerformanceFrequency", 0);
    EXPECT_FALSE(system.RunPass());
    EXPECT_EQ(system.GetTime(), 0u);
    platform::testing::ClearFailures();
}

TEST(TimeSystem, FullTableRefusesANewObjectAndKeepsEveryOldOne)
{
    TimeSystem_impl system;
    testing::TimerLog log;
    ITimeObject* last = nullptr;
    for (int i = 0; i < 2047; ++i)
        last = system.CreateTimeObject(&log, 5, 5);
    EXPECT_EQ(system.CreateTimeObject(&log, 5, 5), nullptr);
    ASSERT_EQ(last->GetId(), 2047u);
    last->Start(false, 0);
    system.TickAll();
    EXPECT_EQ(log.text, "S2047@0 T2047@0 F2047@0");
}

// The walks over the table stop after its highest entry in use; what lies
// above an emptied stretch, what a notice creates mid-walk and what is
// created after the top was emptied must all still be found.
TEST(TimeSystem, EveryWalkReachesTheHighestObjectAndWhatANoticeAddsAboveIt)
{
    platform::ManualClock clock(1'000'000);
    platform::ScopedClock useClock(clock);
    TimeSystem_impl system;
    testing::TimerLog log;
    std::vector<ITimeObject*> objects;
    for (int i = 0; i < 2047; ++i)
        objects.push_back(system.CreateTimeObject(&log, 5, 5));
    for (int i = 0; i < 2046; ++i)
        system.DestroyTimeObject(objects[static_cast<size_t>(i)]);
    ITimeObject* last = objects.back();
    ASSERT_EQ(last->GetId(), 2047u);
    last->SetEndless(true);
    last->Start(true, 0);
    last->SetPaused(false);
    EXPECT_EQ(system.MillisecondsToNextNotice(), 0) << "the object in the last entry is asked";
    system.TickAll();
    EXPECT_EQ(log.text, "T2047@0");

    // A notice that creates and starts a second object: it takes the first
    // entry, below the walk, and steps from the next pass. One created above
    // the walk's current end is stepped in the same pass.
    ITimeObject* low = system.CreateTimeObject(&log, 5, 5);
    ASSERT_EQ(low->GetId(), 1u);
    system.DestroyTimeObject(last);
    ITimeObject* spawned = nullptr;
    log.react = [&](char kind, uint32_t id) {
        if (kind == 'T' && id == 1 && !spawned) {
            spawned = system.CreateTimeObject(&log, 5, 5);
            spawned->Start(false, 0);
        }
    };
    log.text.clear();
    low->SetEndless(true);
    low->Start(true, 0);
    low->SetPaused(false);
    system.TickAll();
    ASSERT_NE(spawned, nullptr);
    EXPECT_EQ(spawned->GetId(), 2u);
    EXPECT_EQ(log.text, "T1@0 S2@0 T2@0 F2@0") << "the new object above the old end is stepped in the same pass";

    // With the top emptied, the lowest free entry is taken again and found.
    system.DestroyTimeObject(low);
    log.react = nullptr;
    log.text.clear();
    EXPECT_EQ(system.MillisecondsToNextNotice(), TimeSystem_impl::kNoNoticeDue) << "nothing runs any more";
    ITimeObject* again = system.CreateTimeObject(&log, 5, 5);
    EXPECT_EQ(again->GetId(), 1u);
    again->Start(false, 0);
    system.TickAll();
    EXPECT_EQ(log.text, "S1@0 T1@0 F1@0");
    system.DestroyAllTimeObjects();
    system.TickAll();
    EXPECT_EQ(log.text, "S1@0 T1@0 F1@0");
}

// An owner that drops its timer from the timer's own notice (an effect whose
// owner destroys it on hearing of its end) must not free the object under the
// code that is still running it.
TEST(TimeSystem, ObjectDestroyedFromItsOwnNoticeIsFreedAfterItAndSaysNoMore)
{
    TimeSystem_impl system;
    testing::TimerLog log;
    ITimeObject* timer = system.CreateTimeObject(&log, 5, 5);
    ITimeObject* other = system.CreateTimeObject(&log, 10, 5);
    log.react = [&](char kind, uint32_t id) {
        if (kind == 'T' && id == 1)
            system.DestroyTimeObject(timer);
        if (kind == 'S' && id == 2)
            system.DestroyTimeObject(other);
    };
    timer->Start(false, 0);
    other->Start(false, 0); // destroyed on the starting thread
    system.TickAll();
    EXPECT_EQ(log.text, "S1@0 S2@0 T1@0"); // no finish after the destroying tick
    EXPECT_EQ(system.CreateTimeObject(&log, 10, 5)->GetId(), 1u);
    EXPECT_EQ(system.CreateTimeObject(&log, 10, 5)->GetId(), 2u);
}

// A restart from the main thread raises OnTimerStart there. If that notice
// creates a time object while the time thread is in a pass about to step the
// same object, neither thread may wait for the other.
TEST(TimeSystem, StartNoticeOffTheTimeThreadKeepsTheLockOrder)
{
    TimeSystem_impl system;
    testing::TimerLog slow, spawner;
    platform::Event passStarted, restarted;
    std::atomic<bool> restarting{false}, restartDone{false};
    ITimeObject* first = system.CreateTimeObject(&slow, 100, 5);
    ITimeObject* restartee = system.CreateTimeObject(&spawner, 100, 5);
    first->Start(true, 0);
    restartee->Start(true, 0);
    first->SetPaused(false);
    restartee->SetPaused(false);
    slow.react = [&](char, uint32_t) {
        passStarted.Set();
        // Let the restart reach its locks: the main thread is blocked on one
        // (beside this test's thread, which waits for the restart), or done.
        test_support::WaitUntil([&] {
            return restartDone || (restarting && platform::testing::BlockedThreads() == 2);
        });
    };
    spawner.react = [&](char kind, uint32_t) {
        if (kind == 'S')
            system.CreateTimeObject(&spawner, 10, 5);
    };

    std::thread timeThread([&] { system.TickAll(); });
    std::thread mainThread([&] {
        passStarted.Wait();
        restarting = true;
        restartee->Start(false, 0);
        restartDone = true;
        restarted.Set();
    });
    if (!restarted.Wait(10000)) {
        std::fprintf(stderr, "deadlock between a restart and the time thread\n");
        std::_Exit(1);
    }
    timeThread.join();
    mainThread.join();
}

TEST(TimeSystem, TellsHowLongUntilThePassThatRaisesTheNextNotice)
{
    platform::ManualClock clock(1'000'000);
    platform::ScopedClock useClock(clock);
    TimeSystem_impl system;
    testing::TimerLog log;
    EXPECT_EQ(system.MillisecondsToNextNotice(), TimeSystem_impl::kNoNoticeDue) << "no object runs";

    ITimeObject* blink = system.CreateTimeObject(&log, 1000, 500);
    blink->SetEndless(true);
    blink->Start(true, 0);
    EXPECT_EQ(system.MillisecondsToNextNotice(), TimeSystem_impl::kNoNoticeDue) << "a paused object notices nothing";
    blink->SetPaused(false);
    system.TickAll(); // the first pass, now: the tick comes with the 100th, 495 ms on
    EXPECT_EQ(system.MillisecondsToNextNotice(), 495);
    clock.AdvanceMilliseconds(100); // a doze over quiet passes
    EXPECT_EQ(system.MillisecondsToNextNotice(), 395);
    clock.Advance(100'500);
    EXPECT_EQ(system.MillisecondsToNextNotice(), 295) << "rounded up to whole milliseconds";

    // A shorter timer started meanwhile brings the next notice forward;
    // reckoned from the last pass, the answer comes early rather than late.
    ITimeObject* quick = system.CreateTimeObject(&log, 20, 5);
    quick->Start(false, 0);
    EXPECT_EQ(system.MillisecondsToNextNotice(), 0);
    system.DestroyTimeObject(quick);

    clock.AdvanceMilliseconds(400); // the pass is overdue
    EXPECT_EQ(system.MillisecondsToNextNotice(), 0);
    for (int pass = 2; pass <= 100; ++pass)
        system.TickAll();
    EXPECT_EQ(log.text, "S2@0 T1@0");
    EXPECT_EQ(system.MillisecondsToNextNotice(), 500) << "the next tick, a whole interval after this pass";
}

TEST(TimeSystem, SingletonIsReplacedNotLeakedAndBalancesTheTimerResolution)
{
    const int requestsBefore = platform::TimerPeriodRequests();
    TimeSystem_impl* first = CreateTimeSystem();
    EXPECT_EQ(GetTimeSystem(), first);
    CreateTimeSystem(); // a second kernel start
    EXPECT_EQ(platform::TimerPeriodRequests(), requestsBefore + 1);
    DestroyTimeSystem();
    EXPECT_EQ(GetTimeSystem(), nullptr);
    EXPECT_EQ(platform::TimerPeriodRequests(), requestsBefore);
}

} // namespace
} // namespace TimeLibrary
