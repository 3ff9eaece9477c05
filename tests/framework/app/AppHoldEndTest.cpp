// What ends a still screen's hold at once, on a manual clock: anything posted
// to the main thread, a repaint asked for from another thread, a pointer
// move and a Quit from another thread are each handled within a frame of
// their coming, not after the second the hold would otherwise last.
#include "tests/framework/app/AppTestSupport.h"

#include "framework/widgets/Widget.h"

#include <atomic>
#include <thread>

using namespace apptest;
using test_support::InterruptingClock;

namespace {

// Covers the screen; changes at the first update after another thread left
// it work, or when the pointer enters it; notes the clock when painted.
class Watched : public Zolt::Widget {
public:
    explicit Watched(InterruptingClock& clock) : clock_(clock) {}
    void Tick() override
    {
        if (work.exchange(false))
            SetDirty(true);
    }
    void Paint(Zolt::Graphics*) override { paintedAtMs = clock_.NowMs(); }
    void OnMouseEnter() override { SetDirty(true); }

    std::atomic<bool> work{false};
    uint64_t paintedAtMs = 0;

private:
    InterruptingClock& clock_;
};

class HoldEnd : public AppTest {
protected:
    void TearDown() override
    {
        if (app)
            app->GetWidgetManager()->RemoveChild(&watched_);
        platform::SetClock(&manual_);
    }
    // Runs loop steps until `done`; false when the clock passes 3 s first.
    bool StepUntil(const std::function<bool()>& done)
    {
        const uint64_t end = clock_.NowMs() + 3000;
        while (!done() && clock_.NowMs() < end)
            app->RunLoopStep(nullptr);
        return done();
    }
    // From a still screen (holds of up to a second), `event` comes 3 ms into
    // a hold: the milliseconds until the screen shows what it changed.
    uint64_t TimeToShow(const std::function<void()>& event)
    {
        const uint64_t still = clock_.NowMs() + 300;
        StepUntil([&] { return clock_.NowMs() >= still; });
        watched_.paintedAtMs = 0;
        clock_.Arm(3, event);
        EXPECT_TRUE(StepUntil([&] { return watched_.paintedAtMs != 0; }));
        return watched_.paintedAtMs - clock_.eventAtMs;
    }
    static constexpr uint64_t kFrameMs = 10;

    platform::ManualClock& manual_ = AppTest::clock_;
    InterruptingClock clock_{0};
    Watched watched_{clock_};
};

} // namespace

TEST_F(HoldEnd, WhatComesDuringAHoldIsTakenWithinAFrame)
{
    TestApp& a = StartApp();
    a.holdLimitMs = Zolt::ZoltAppBase::kHoldWithoutLimit;
    watched_.SetBounds(0, 0, 640, 480);
    a.GetWidgetManager()->AddChild(&watched_);
    clock_.Set(manual_.NowMicroseconds());
    platform::SetClock(&clock_);
    const platform::DWORD mainThread = platform::GetCurrentThreadId();
    const auto onAnotherThread = [](const std::function<void()>& what) { std::thread(what).join(); };

    // The end of a worker's job (the news fetch's) posts a message of no
    // window to the main thread.
    EXPECT_LE(TimeToShow([&] {
                  onAnotherThread([&] {
                      watched_.work = true;
                      platform::PostThreadMessageA(mainThread, platform::WM_NULL, 0, 0);
                  });
              }),
              kFrameMs);
    // A visible object changed by a timer of the game: the toolkit asks for
    // a repaint from the time thread.
    EXPECT_LE(TimeToShow([&] {
                  onAnotherThread([&] {
                      watched_.work = true;
                      a.RequestRepaint();
                  });
              }),
              kFrameMs);
    // Work left, and a repaint asked for, after the last update before a hold
    // has drawn: no hold begins before the next update has taken the work.
    const uint64_t still = clock_.NowMs() + 300;
    StepUntil([&] { return clock_.NowMs() >= still; });
    watched_.paintedAtMs = 0;
    uint64_t askedAtMs = 0;
    a.afterRedraw = [&] {
        if (askedAtMs != 0 || a.TimeAccumulator() >= double(kFrameMs))
            return; // asked already, or more updates to come at once
        askedAtMs = clock_.NowMs();
        onAnotherThread([&] {
            watched_.work = true;
            a.RequestRepaint();
        });
    };
    EXPECT_TRUE(StepUntil([&] { return watched_.paintedAtMs != 0; }));
    EXPECT_LE(watched_.paintedAtMs - askedAtMs, kFrameMs);
    // A pointer that stops on a button.
    EXPECT_LE(TimeToShow([&] { platform::testing::InjectMouseMove(a.GetMainWindow(), 200, 100); }), kFrameMs);

    // A Quit from another thread only asks.
    clock_.Arm(3, [&] { onAnotherThread([&] { a.Quit(); }); });
    ASSERT_TRUE(StepUntil([&] { return a.IsQuitting(); }));
    EXPECT_LE(clock_.NowMs(), clock_.eventAtMs + kFrameMs);
}
