// What ends a still screen's hold at once, on a manual clock: anything posted
// to the main thread, a Quit from another thread, a repaint asked for from
// another thread and a pointer move are each handled within a frame of their
// coming, not after the second the hold would otherwise last.
#include "tests/framework/app/AppTestSupport.h"

#include "framework/widgets/Widget.h"

#include <atomic>
#include <thread>

using namespace apptest;
using test_support::InterruptingClock;

namespace {

// Covers the screen; notes the clock when it is painted, and when an update
// first sees the work another thread left for it.
class Watched : public Zolt::Widget {
public:
    explicit Watched(InterruptingClock& clock) : clock_(clock) {}
    void Tick() override
    {
        if (work.load() && workSeenAtMs == 0) {
            workSeenAtMs = clock_.NowMs();
            SetDirty(true);
        }
    }
    void Paint(Zolt::Graphics*) override { paintedAtMs = clock_.NowMs(); }
    void OnMouseEnter() override { SetDirty(true); }

    std::atomic<bool> work{false};
    uint64_t workSeenAtMs = 0;
    uint64_t paintedAtMs = 0;

private:
    InterruptingClock& clock_;
};

class HoldEnd : public AppTest {
protected:
    // Started, still (holds of up to a second from here) and on the
    // interrupting clock.
    TestApp& StartStill()
    {
        TestApp& a = StartApp();
        a.holdLimitMs = Zolt::ZoltAppBase::kHoldWithoutLimit;
        watched_.SetBounds(0, 0, 640, 480);
        a.GetWidgetManager()->AddChild(&watched_);
        RunFor(300);
        clock_.Set(manual_.NowMicroseconds());
        platform::SetClock(&clock_);
        return a;
    }
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
    void RunStillFor(uint64_t ms)
    {
        const uint64_t end = clock_.NowMs() + ms;
        StepUntil([&] { return clock_.NowMs() >= end; });
    }
    static constexpr uint64_t kFrameMs = 10;

    platform::ManualClock& manual_ = AppTest::clock_;
    InterruptingClock clock_{0};
    Watched watched_{clock_};
};

} // namespace

// The end of a worker's job (the news fetch's, say) posts a message of no
// window to the main thread; a Quit from another thread only asks.
TEST_F(HoldEnd, WorkPostedFromAnotherThreadAndAQuitFromOneAreTakenWithinAFrame)
{
    TestApp& a = StartStill();
    const platform::DWORD mainThread = platform::GetCurrentThreadId();
    clock_.Arm(3, [&] {
        std::thread([&] {
            watched_.work = true;
            platform::PostThreadMessageA(mainThread, platform::WM_NULL, 0, 0);
        }).join();
    });
    ASSERT_TRUE(StepUntil([&] { return watched_.paintedAtMs != 0 && watched_.workSeenAtMs != 0; }));
    EXPECT_LE(watched_.workSeenAtMs, clock_.eventAtMs + kFrameMs);
    EXPECT_LE(watched_.paintedAtMs, clock_.eventAtMs + kFrameMs) << "and shown in that frame";

    RunStillFor(300);
    clock_.Arm(3, [&] { std::thread([&] { a.Quit(); }).join(); });
    ASSERT_TRUE(StepUntil([&] { return a.IsQuitting(); }));
    EXPECT_LE(clock_.NowMs(), clock_.eventAtMs + kFrameMs);
}

// A visible object changed by a timer of the game: the toolkit asks for a
// repaint from the time thread.
TEST_F(HoldEnd, ARepaintAskedForFromAnotherThreadIsShownWithinAFrame)
{
    TestApp& a = StartStill();
    clock_.Arm(3, [&] {
        std::thread([&] {
            watched_.work = true;
            a.RequestRepaint();
        }).join();
    });
    watched_.paintedAtMs = 0;
    ASSERT_TRUE(StepUntil([&] { return watched_.paintedAtMs != 0; }));
    EXPECT_LE(watched_.paintedAtMs, clock_.eventAtMs + kFrameMs);
}

TEST_F(HoldEnd, APointerThatStopsOnAButtonIsSeenWithinAFrame)
{
    StartStill();
    clock_.Arm(3, [&] { platform::testing::InjectMouseMove(app->GetMainWindow(), 200, 100); });
    watched_.paintedAtMs = 0;
    ASSERT_TRUE(StepUntil([&] { return watched_.paintedAtMs != 0; }));
    EXPECT_LE(watched_.paintedAtMs, clock_.eventAtMs + kFrameMs);
}
