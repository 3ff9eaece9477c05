// The main loop on the manual clock: fixed updates, catch-up after a stall,
// forced draws, the once-a-second present of an idle screen, sleeping, speed
// 0 (asleep until a message comes), and deletions deferred across nested
// loops.
#include "tests/framework/app/AppTestSupport.h"

#include "framework/base/StringUtils.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Widget.h"
#include "platform/ddraw/DDrawTesting.h"
#include "tests/support/WidgetDoubles.h"

#include <atomic>
#include <cstdlib>
#include <functional>
#include <thread>

using namespace apptest;
using test_support::InterruptingClock;

namespace {

// Counts its own deletion.
struct Tracked {
    explicit Tracked(int* deleted) : deleted_(deleted) {}
    ~Tracked() { ++*deleted_; }
    int* deleted_;
};

// Queues an object for deletion when a key comes, as a dialog closed by a
// key does.
class ClosesOnKey : public Zolt::Widget {
public:
    ClosesOnKey(Zolt::ZoltAppBase& app, int* deleted) : app_(app), deleted_(deleted) {}
    void OnKeyDown(int) override { app_.QueueForDeletion(new Tracked(deleted_)); }
    void Tick() override
    {
        if (onTick)
            onTick();
    }
    std::function<void()> onTick;

private:
    Zolt::ZoltAppBase& app_;
    int* deleted_;
};

} // namespace

TEST_F(AppTest, LogicRunsOneUpdatePerFrameTime)
{
    TestApp& a = StartApp();
    RunFor(100); // let loading complete and the timing settle
    const int before = a.UpdateCount();
    RunFor(1000);
    EXPECT_NEAR(a.UpdateCount() - before, 100, 2);
}

TEST_F(AppTest, IdleLoopSleepsAwayTheRestOfEachFrame)
{
    TestApp& a = StartApp();
    RunFor(100);
    const uint64_t start = clock_.NowMicroseconds();
    const int sleepsBefore = a.SleepCount();
    int steps = 0;
    while (clock_.NowMicroseconds() - start < 1'000'000) {
        a.RunLoopStep(nullptr);
        ++steps;
    }
    // Time only moves by sleeping here: about one sleep per update, and
    // a handful of loop steps per frame rather than a busy spin.
    EXPECT_NEAR(a.SleepCount() - sleepsBefore, 100, 5);
    EXPECT_LT(steps, 800);
}

TEST_F(AppTest, IdleScreenIsStillPresentedAboutOnceASecond)
{
    TestApp& a = StartApp();
    RunFor(100);
    const int draws = a.DrawCount();
    const int presents = platform::ddraw::testing::PresentCount();
    RunFor(5000);
    EXPECT_NEAR(a.DrawCount() - draws, 5, 1);
    EXPECT_NEAR(platform::ddraw::testing::PresentCount() - presents, 5, 1);
}

// A redraw forced once (the software cursor took a new picture, which no
// widget's paint shows) is presented, and the frames after it are not
// forced: the idle screen rests again, presented once a second.
TEST_F(AppTest, AfterOneForcedRedrawAnIdleScreenIsPresentedOnceASecondAgain)
{
    TestApp& a = StartApp();
    a.SetCustomCursors(true);
    platform::testing::InjectMouseMove(a.GetMainWindow(), 100, 100);
    RunFor(1500);
    ASSERT_TRUE(a.IsMouseInWindow());
    Zolt::MemoryImage cursor(nullptr);
    cursor.MakeBlank(32, 32);
    const int presents = platform::ddraw::testing::PresentCount();
    a.SetCustomCursorImage(a.GetCursorIndex(), &cursor);
    RunFor(1000);
    EXPECT_GE(platform::ddraw::testing::PresentCount() - presents, 1) << "the forced redraw";
    const int draws = a.DrawCount();
    RunFor(5000);
    EXPECT_NEAR(a.DrawCount() - draws, 5, 1);
    a.SetCustomCursorImage(a.GetCursorIndex(), nullptr);
}

// A screen that changes at every update (an animation) is never taken for a
// still one: nothing holds its updates back, and each is drawn.
TEST_F(AppTest, AScreenThatChangesAtEveryUpdateIsDrawnAtEveryUpdate)
{
    TestApp& a = StartApp();
    a.holdLimitMs = Zolt::ZoltAppBase::kHoldWithoutLimit;
    widget_testing::ProbeWidget changing("c", nullptr);
    changing.SetBounds(0, 0, 640, 480);
    changing.onTick = [&] { changing.SetDirty(true); };
    a.GetWidgetManager()->AddChild(&changing);
    RunFor(100);
    const int draws = a.DrawCount();
    const int updates = a.UpdateCount();
    RunFor(1000);
    a.GetWidgetManager()->RemoveChild(&changing);
    EXPECT_NEAR(a.UpdateCount() - updates, 100, 2);
    EXPECT_NEAR(a.DrawCount() - draws, 100, 2);
}

TEST_F(AppTest, StallIsCaughtUpAtMostTwentyUpdatesWithDrawsForced)
{
    TestApp& a = StartApp();
    widget_testing::ProbeWidget changing("c", nullptr);
    changing.SetBounds(0, 0, 640, 480);
    changing.onTick = [&] { changing.SetDirty(true); };
    std::vector<int> drawnAt;
    changing.onPaint = [&] { drawnAt.push_back(a.UpdateCount()); };
    a.GetWidgetManager()->AddChild(&changing);
    RunFor(100);
    clock_.AdvanceMilliseconds(5000); // the program was stalled
    const int updates = a.UpdateCount();
    const int sleeps = a.SleepCount();
    drawnAt.clear();
    while (a.SleepCount() == sleeps)
        a.RunLoopStep(nullptr);
    a.GetWidgetManager()->RemoveChild(&changing);
    const int caughtUp = a.UpdateCount() - updates;
    EXPECT_GE(caughtUp, 19);
    EXPECT_LE(caughtUp, 21);
    // The tenth step since a draw draws: nine updates back to back, then a
    // draw, and one after the last.
    ASSERT_EQ(drawnAt.size(), 3u);
    EXPECT_EQ(drawnAt[0], updates + 9);
    EXPECT_EQ(drawnAt[1], updates + 18);
}

// While the loading thread runs, each step of the loop sleeps at least twice
// the time it worked (the loader gets two thirds of the machine); once the
// loading is done, the loop only keeps its pace.
TEST_F(AppTest, WhileLoadingTheLoopSleepsTwiceWhatItWorks)
{
    TestApp& a = Make();
    std::atomic<bool> loaded{false};
    a.loadBody = [&] { loaded.wait(false); };
    a.Initialize();
    // Each update works 3 ms, each paint 1 ms.
    uint64_t workedMs = 0;
    widget_testing::ProbeWidget working("w", nullptr);
    working.SetBounds(0, 0, 640, 480);
    working.onTick = [&] {
        working.SetDirty(true);
        clock_.AdvanceMilliseconds(3);
        workedMs += 3;
    };
    working.onPaint = [&] {
        clock_.AdvanceMilliseconds(1);
        ++workedMs;
    };
    a.GetWidgetManager()->AddChild(&working);
    a.LaunchLoaderThread();
    RunFor(100);
    workedMs = 0;
    RunFor(1200);
    const uint64_t workedLoading = workedMs;
    loaded = true;
    loaded.notify_all();
    StepUntilTheLoadingIsApplied();
    RunFor(100);
    workedMs = 0;
    RunFor(1200);
    a.GetWidgetManager()->RemoveChild(&working);
    EXPECT_GE(3 * workedLoading, 1200u - 10);
    EXPECT_LE(3 * workedLoading, 1200u + 10);
    EXPECT_GT(3 * workedMs, 1200u + 100) << "no longer held back";
}

// Notes the fraction of each smooth update; on the screen while it lives.
class Smooth : public Zolt::Widget {
public:
    explicit Smooth(Zolt::ZoltAppBase& app) : app_(app) { app.GetWidgetManager()->AddChild(this); }
    ~Smooth() override { app_.GetWidgetManager()->RemoveChild(this); }
    void Tick() override { SetDirty(true); }
    void TickSmooth(float fraction) override { fractions.push_back(fraction); }
    void Paint(Zolt::Graphics*) override { drawnAt.push_back(app_.UpdateCount()); }
    std::vector<float> fractions;
    std::vector<int> drawnAt;

private:
    Zolt::ZoltAppBase& app_;
};

// Refresh-paced, each timing step is one refresh of the display: at 60 Hz
// a step stands for 1.67 updates, which the smooth updates are told, and
// logic keeps its 100 updates a second. A display whose rate cannot be
// trusted ends the pacing: steps are updates again.
TEST_F(AppTest, RefreshPacedStepsAreRefreshesUntilTheRateCannotBeTrusted)
{
    TestApp& a = StartApp();
    Smooth smooth(a);
    a.refreshPaced = true;
    RunFor(100);
    smooth.fractions.clear();
    const int updates = a.UpdateCount();
    RunFor(1000);
    EXPECT_NEAR(a.UpdateCount() - updates, 100, 2);
    ASSERT_NEAR(smooth.fractions.size(), 60u, 2u);
    for (float f : smooth.fractions)
        EXPECT_FLOAT_EQ(f, 1000.0f / 600.0f);

    a.SetVSyncUnreliable(true);
    RunFor(100);
    smooth.fractions.clear();
    RunFor(100);
    EXPECT_EQ(smooth.fractions, std::vector<float>(10, 1.0f));
}

// Refresh-paced, a stall's catch-up runs whole steps of several updates: the
// updates each step owes count towards the draw forced after ten.
TEST_F(AppTest, ARefreshPacedStallsCatchUpCountsItsOwedUpdatesTowardsTheForcedDraw)
{
    TestApp& a = StartApp();
    Smooth smooth(a);
    a.refreshPaced = true;
    RunFor(100);
    clock_.AdvanceMilliseconds(5000);
    const int stalledAt = a.UpdateCount();
    const int sleeps = a.SleepCount();
    smooth.drawnAt.clear();
    while (a.SleepCount() == sleeps)
        a.RunLoopStep(nullptr);
    EXPECT_EQ(a.UpdateCount() - stalledAt, 20);
    EXPECT_EQ(smooth.drawnAt, (std::vector<int>{stalledAt + 10, stalledAt + 20}));
}

// In full screen the steps follow the presents; a display that does not
// hold them to its refresh (this one) lets logic run with no time passing,
// until three such seconds' worth of updates in a row give the pacing up for
// good: then logic keeps its 100 updates a second.
TEST_F(AppTest, FullScreenPacingIsGivenUpWhenLogicRunsFastThreeSecondsInARow)
{
    TestApp& a = StartApp();
    widget_testing::ProbeWidget changing("c", nullptr);
    changing.SetBounds(0, 0, 640, 480);
    changing.onTick = [&] { changing.SetDirty(true); };
    a.GetWidgetManager()->AddChild(&changing);
    a.refreshPaced = true;
    a.SetWindowed(false);
    ASSERT_FALSE(a.isWindowed);
    const uint64_t start = clock_.NowMicroseconds();
    // At another speed the updates come faster or slower by design: the
    // check does not count them.
    a.demoSpeed = 2.0;
    for (int i = 0; i < 3000; ++i)
        a.RunLoopStep(nullptr);
    ASSERT_EQ(clock_.NowMicroseconds(), start) << "given up at twice the speed";
    a.demoSpeed = 1.0;
    int updates = a.UpdateCount();
    for (int i = 0; i < 3000 && clock_.NowMicroseconds() == start; ++i)
        a.RunLoopStep(nullptr);
    ASSERT_NE(clock_.NowMicroseconds(), start) << "never given up";
    EXPECT_GE(a.UpdateCount() - updates, 300);
    EXPECT_LE(a.UpdateCount() - updates, 700);
    RunFor(100);
    updates = a.UpdateCount();
    RunFor(1000);
    EXPECT_NEAR(a.UpdateCount() - updates, 100, 2);
    a.GetWidgetManager()->RemoveChild(&changing);
}

// Slowed right down (a played demo's '-' pressed four times is 0.198), logic
// still runs, at its share of the normal pace.
TEST_F(AppTest, AtAVeryLowSpeedLogicStillRuns)
{
    TestApp& a = StartApp();
    RunFor(100);
    a.demoSpeed = 0.15;
    const int updates = a.UpdateCount();
    const int sleeps = a.SleepCount();
    RunFor(2000);
    EXPECT_NEAR(a.UpdateCount() - updates, 30, 1);
    EXPECT_GE(a.SleepCount() - sleeps, 10) << "asleep between updates";
}

TEST_F(AppTest, SpeedZeroFreezesUpdatesWhileMessagesArePumped)
{
    TestApp& a = StartApp();
    a.holdLimitMs = Zolt::ZoltAppBase::kHoldWithoutLimit;
    RunFor(300); // a still screen: it holds its updates
    // Stopped just as a hold ends, the updates it let wait still to run.
    for (int i = 0; i < 1000; ++i) {
        const uint64_t before = clock_.NowMicroseconds();
        a.RunLoopStep(nullptr);
        if (clock_.NowMicroseconds() - before > 100'000)
            break;
    }
    a.demoSpeed = 0;
    const int updates = a.UpdateCount();
    platform::PostMessageA(a.GetMainWindow(), platform::WM_CLOSE, 0, 0);
    for (int i = 0; i < 50 && !a.IsQuitting(); ++i)
        a.RunLoopStep(nullptr);
    EXPECT_EQ(a.UpdateCount(), updates);
    EXPECT_TRUE(a.IsQuitting());
}

// Stopped, the loop sleeps until something comes, as a still screen does:
// it does not spin through steps that take no time.
TEST_F(AppTest, AStoppedLoopSleepsUntilAMessageComes)
{
    TestApp& a = StartApp();
    RunFor(100);
    a.demoSpeed = 0;
    const uint64_t start = clock_.NowMicroseconds();
    const int sleeps = a.SleepCount();
    for (int i = 0; i < 40; ++i)
        a.RunLoopStep(nullptr);
    EXPECT_GE(clock_.NowMicroseconds() - start, 10'000'000u) << "asleep most of the time";
    EXPECT_GE(a.SleepCount() - sleeps, 10);

    InterruptingClock interrupting(clock_.NowMicroseconds());
    platform::SetClock(&interrupting);
    interrupting.Arm(5, [&] { platform::PostMessageA(a.GetMainWindow(), platform::WM_CLOSE, 0, 0); });
    for (int i = 0; i < 40 && !a.IsQuitting(); ++i)
        a.RunLoopStep(nullptr);
    platform::SetClock(&clock_);
    EXPECT_TRUE(a.IsQuitting());
    EXPECT_EQ(interrupting.NowMs(), interrupting.eventAtMs) << "the close ended the sleep";
}

// What input queues for deletion (a dialog a key closed) is gone before the
// next update, and while the loop is stopped too.
TEST_F(AppTest, WhatInputQueuesForDeletionGoesBeforeTheNextUpdate)
{
    TestApp& a = StartApp();
    int deleted = 0;
    ClosesOnKey closing(a, &deleted);
    a.GetWidgetManager()->AddChild(&closing);
    a.GetWidgetManager()->GiveFocus(&closing);
    RunFor(50);
    int ticks = 0;
    int deletedAtNextUpdate = -1;
    closing.onTick = [&] {
        if (++ticks == 1)
            platform::PostMessageA(a.GetMainWindow(), platform::WM_KEYDOWN, 'K', 0);
        else if (ticks == 2)
            deletedAtNextUpdate = deleted;
    };
    RunFor(50);
    EXPECT_EQ(deletedAtNextUpdate, 1);

    a.demoSpeed = 0;
    Pump();
    platform::PostMessageA(a.GetMainWindow(), platform::WM_KEYDOWN, 'K', 0);
    Pump();
    EXPECT_EQ(deleted, 2);
    a.GetWidgetManager()->RemoveChild(&closing);
}

// At 30 Hz a refresh-paced step runs three or four updates back to back:
// each still sees what the one before it queued for deletion gone.
TEST_F(AppTest, EachUpdateOfARefreshPacedStepSeesTheLastOnesDeletionsDone)
{
    TestApp& a = StartApp();
    widget_testing::ProbeWidget queuing("q", nullptr);
    int queued = 0;
    int deleted = 0;
    int seenAlive = 0;
    queuing.onTick = [&] {
        seenAlive += queued - deleted;
        a.QueueForDeletion(new Tracked(&deleted));
        ++queued;
    };
    a.GetWidgetManager()->AddChild(&queuing);
    a.refreshPaced = true;
    a.refreshRate = 30;
    RunFor(1000);
    a.GetWidgetManager()->RemoveChild(&queuing);
    EXPECT_GT(queued, 90);
    EXPECT_EQ(seenAlive, 0);
}

TEST_F(AppTest, DeletionQueuedByTheOuterLoopWaitsForItsDepth)
{
    TestApp& a = StartApp();
    int deleted = 0;
    a.QueueForDeletion(new Tracked(&deleted)); // outside every loop step
    RunFor(50);                                // the steps run one level deeper
    EXPECT_EQ(deleted, 0);
    a.ProcessDeletions();
    EXPECT_EQ(deleted, 1);
}

// A whole run, closed 100 updates after its loading is done: the window is
// shown and focused, the cursor and loading threads run, what was queued for
// deletion outside the loop goes as the loop ends, and the statistics tell
// the run as it went (each paint takes 1 ms of the clock).
TEST_F(AppTest, ARunFromStartToCloseAndWhatItReports)
{
    TestApp& a = Make();
    a.Initialize();
    const platform::HWND window = a.GetMainWindow();
    bool shown = false;
    bool focused = false;
    bool running = false;
    a.loadDone = [&] {
        shown = platform::IsWindowVisible(window);
        focused = platform::GetFocus() == window;
        running = a.IsRunning();
    };
    // The loading thread is real: until its work has ended, each update
    // waits for it, so the run's manual clock cannot outpace it.
    std::atomic<bool> loadEnded{false};
    a.loadBody = [&] { loadEnded = true; };
    widget_testing::ProbeWidget probe("p", nullptr);
    probe.SetBounds(0, 0, 640, 480);
    int updatesLoaded = 0;
    probe.onTick = [&] {
        // The cursor thread's first rounds sleep on this clock too, then it
        // rests until the pointer moves, which it never does here: once it
        // rests, before anything is drawn, only this thread moves the clock,
        // and the report's times are the run's own.
        if (a.UpdateCount() == 1)
            test_support::WaitUntil([] { return platform::testing::BlockedThreads() > 0; });
        if (a.loadDoneCalls == 0) {
            test_support::WaitUntil([&] { return loadEnded.load(); });
            std::this_thread::yield();
        }
        if (a.loadDoneCalls > 0 && ++updatesLoaded % 7 == 0)
            probe.SetDirty(true);
        if (updatesLoaded == 100 || a.UpdateCount() == 5000)
            platform::PostMessageA(window, platform::WM_CLOSE, 0, 0);
    };
    probe.onPaint = [&] { clock_.AdvanceMilliseconds(1); };
    a.GetWidgetManager()->AddChild(&probe);
    int deleted = 0;
    a.QueueForDeletion(new Tracked(&deleted));
    const uint64_t threads = platform::testing::ThreadsStarted();
    const int timerPeriods = platform::TimerPeriodRequests();
    const uint64_t start = clock_.NowMicroseconds();
    platform::testing::DebugOutputCapture capture;
    a.Run();
    a.GetWidgetManager()->RemoveChild(&probe);

    EXPECT_TRUE(shown);
    EXPECT_TRUE(focused);
    EXPECT_TRUE(running);
    EXPECT_FALSE(a.IsRunning());
    EXPECT_EQ(a.loadDoneCalls, 1);
    EXPECT_EQ(deleted, 1);
    if (platform::testing::CountsThreads()) {
        EXPECT_EQ(platform::testing::ThreadsStarted() - threads, 2u) << "the cursor and loading threads";
    }
    EXPECT_FALSE(a.RunLoopIteration());
    EXPECT_EQ(platform::TimerPeriodRequests(), timerPeriods) << "the run ended the timer period it began";
    // Screen Blt: a present takes no time on this clock.
    ASSERT_GT(probe.paints, 10);
    // The cursor thread's rounds move this clock too: one may come before
    // the run's start is read.
    const std::string text = capture.Text();
    const size_t seconds = text.find("Seconds       = ");
    ASSERT_NE(seconds, std::string::npos) << text;
    EXPECT_NEAR(std::atof(text.c_str() + seconds + 16), double(clock_.NowMicroseconds() - start) / 1e6, 0.02);
    const std::string stats = FormatString(
        "\r\nSleep Count   = %d\r\nUpdate Count  = %d\r\nDraw Count    = %d\r\n"
        "Draw Time     = %d\r\nScreen Blt    = 0\r\nAvg FPS       = %d\r\n",
        a.SleepCount(), a.UpdateCount(), a.DrawCount(), probe.paints, a.DrawCount() * 1000 / probe.paints);
    EXPECT_EQ(text.find(stats), text.find("\r\n", seconds)) << text;
}

// Each iteration of the loop, as a modal wait runs it, is one update.
TEST_F(AppTest, EachLoopIterationRunsOneUpdate)
{
    TestApp& a = StartApp();
    RunFor(100);
    const int before = a.UpdateCount();
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(a.RunLoopIteration());
    EXPECT_EQ(a.UpdateCount(), before + 30);
}

// Where the system cannot tell its last input, a windowed run counts the
// user idle from its own start: begun long after the clock's zero, it is not
// held for the screensaver at once, only after the time-out less two seconds.
TEST_F(AppTest, WithoutTheSystemsLastInputTheIdleTimeCountsFromTheRunsStart)
{
    platform::testing::HideModuleEntry("user32.dll", "GetLastInputInfo");
    platform::testing::SetScreenSaver(true, 60);
    clock_.AdvanceMilliseconds(100'000);
    TestApp& a = StartApp();
    a.BeginRun(false);
    RunFor(57'000);
    int updates = a.UpdateCount();
    RunFor(500);
    EXPECT_GT(a.UpdateCount(), updates) << "not held before 58 s idle";
    RunFor(1'000);
    updates = a.UpdateCount();
    RunFor(1'000);
    EXPECT_EQ(a.UpdateCount(), updates) << "held after it";
    a.EndRun();
}
