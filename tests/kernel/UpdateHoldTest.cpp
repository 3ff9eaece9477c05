// The game's application lets the loop hold updates while the screen stands
// still, but never past the next notice of the game's time objects: a screen
// whose only change is a blink every 500 ms sleeps through most updates, yet
// runs every one of them and paints each blink in the update after it.
//
// On a manual clock, the loop and the time system share the test's thread:
// after each loop step, one pass runs for every 5 ms the step moved the
// clock, as the time thread would have run them meanwhile.
#include "tests/kernel/KernelTestSupport.h"

#include "controls/IBridgeToVO.h"
#include "controls/IRectVO.h"
#include "controls/VisibleObject_impl.h"
#include "platform/core/Clock.h"
#include "tests/support/InterruptingClock.h"

#include <functional>
#include <thread>
#include <vector>

using namespace kerneltest;

namespace {

constexpr uint64_t kPassMicros = 5000;

// A caret in all but looks: a filled rectangle that changes colour at every
// tick of an endless 500 ms timer, noting the clock at each change.
class Blinker : public TimeLibrary::TimeObjectMessageObserver {
public:
    void Show()
    {
        ControlLibrary::IFactory* factory = KernelLibrary::GetFactory();
        rect_ = factory->CreateRectVO();
        rect_->SetStyle(1);
        rect_->SetPosition(100, 100);
        rect_->SetSize(20, 30);
        rect_->SetColour(ControlLibrary::RGB{255, 255, 255});
        rect_->SetVisible(true);
        timer_ = KernelLibrary::GetTimeSystem()->CreateTimeObject(this, 1000, 500);
        timer_->SetEndless(true);
        timer_->Start(false, 0);
    }
    void StopBlinking() { timer_->Stop(); }
    void Release()
    {
        if (rect_)
            KernelLibrary::GetFactory()->ReleaseVO(rect_);
        rect_ = nullptr;
    }
    void OnTimerTick(uint32_t) override
    {
        on_ = !on_;
        rect_->SetColour(on_ ? ControlLibrary::RGB{0, 0, 0} : ControlLibrary::RGB{255, 255, 255});
        blinks.push_back(*passMs);
    }
    // Whether the last change is still waiting to be painted.
    bool Unpainted() const
    {
        return dynamic_cast<ControlLibrary::IBridgeToVO*>(rect_)->GetImpl()->IsDirty();
    }

    // When each blink was due: the time of the pass that raised it.
    std::vector<uint64_t> blinks; // ms
    const uint64_t* passMs = nullptr;

private:
    ControlLibrary::IRectVO* rect_ = nullptr;
    TimeLibrary::ITimeObject* timer_ = nullptr;
    bool on_ = false;
};

class UpdateHold : public KernelTest {
protected:
    UpdateHold() : clock_(1'000'000), useClock_(clock_) { blinker_.passMs = &passMs_; }

    uint64_t NowMs() { return clock_.NowMicroseconds() / 1000; }

    KernelLibrary::MainApp& Start()
    {
        game.onStart = [this] { blinker_.Show(); };
        EXPECT_TRUE(KernelLibrary::StartKernel(nullptr, &game, false));
        KernelLibrary::MainApp& application = *KernelLibrary::GetApplication();
        application.BeginSteppedRun();
        nextPass_ = clock_.NowMicroseconds();
        for (int i = 0; i < 100000 && !(application.GetBridge() && application.GetBridge()->IsStarted()); ++i)
            Step(application);
        EXPECT_TRUE(application.GetBridge() && application.GetBridge()->IsStarted());
        return application;
    }

    // One loop step, then the passes of the time the step took. The loop
    // sleeps whole milliseconds and polls through the last fraction of one:
    // after a few steps that did not move the clock, it moves by 1 ms, as
    // real time would meanwhile.
    void Step(KernelLibrary::MainApp& application)
    {
        const uint64_t before = clock_.NowMicroseconds();
        application.RunLoopStep(nullptr);
        stillSteps_ = clock_.NowMicroseconds() == before ? stillSteps_ + 1 : 0;
        if (stillSteps_ >= 8) {
            clock_.Set(clock_.NowMicroseconds() + 1000);
            stillSteps_ = 0;
        }
        TimeLibrary::TimeSystem_impl* time = TimeLibrary::GetTimeSystem();
        while (clock_.NowMicroseconds() >= nextPass_) {
            passMs_ = nextPass_ / 1000;
            time->TickAll();
            nextPass_ += kPassMicros;
        }
    }

    // Runs the loop for about `ms` and counts the updates it ran, taken at
    // the beginnings of two sleeps: a loop only sleeps when every update due
    // has run, so there the count must match the time. `each` runs after
    // every step.
    struct Count {
        uint64_t ms = 0;
        int updates = 0;
        int sleeps = 0;
    };
    Count Run(KernelLibrary::MainApp& application, uint64_t ms, const std::function<void()>& each = {})
    {
        uint64_t firstAt = 0, lastAt = 0;
        int firstUpdates = -1, lastUpdates = 0, firstSleeps = 0, lastSleeps = 0;
        const uint64_t end = NowMs() + ms;
        for (int guard = 0; guard < 1'000'000 && (NowMs() < end || firstUpdates < 0); ++guard) {
            const uint64_t at = NowMs();
            const int updates = application.UpdateCount();
            const int sleeps = application.SleepCount();
            Step(application);
            if (each)
                each();
            if (application.SleepCount() == sleeps)
                continue;
            if (firstUpdates < 0) {
                firstAt = at;
                firstUpdates = updates;
                firstSleeps = sleeps;
            }
            lastAt = at;
            lastUpdates = updates;
            lastSleeps = sleeps;
        }
        return Count{lastAt - firstAt, lastUpdates - firstUpdates, lastSleeps - firstSleeps};
    }

    void End(KernelLibrary::MainApp& application)
    {
        blinker_.Release();
        application.EndSteppedRun();
    }

    test_support::InterruptingClock clock_;
    platform::ScopedClock useClock_;
    Blinker blinker_;
    uint64_t nextPass_ = 0;
    int stillSteps_ = 0;
    uint64_t passMs_ = 0;
};

} // namespace

TEST_F(UpdateHold, ABlinkingScreenSleepsThroughUpdatesYetRunsThemAllAndPaintsEachBlinkInTime)
{
    KernelLibrary::MainApp& application = Start();
    Run(application, 2000); // settled: the first blinks are behind
    const size_t blinksBefore = blinker_.blinks.size();

    std::vector<uint64_t> delays; // from each blink to its paint
    bool waiting = false;
    size_t seen = blinksBefore;
    const Count count = Run(application, 10'000, [&] {
        if (blinker_.blinks.size() != seen)
            waiting = true;
        seen = blinker_.blinks.size();
        if (waiting && !blinker_.Unpainted()) {
            delays.push_back(NowMs() - blinker_.blinks.back());
            waiting = false;
        }
    });

    ASSERT_GE(blinker_.blinks.size() - blinksBefore, 19u);
    ASSERT_GE(delays.size(), 19u);
    for (size_t i = 0; i < delays.size(); ++i)
        EXPECT_LE(delays[i], 10u) << "blink " << i << " was painted after the update that followed it";
    // Every update of the ten seconds ran: one per 10 ms, as with no hold.
    EXPECT_NEAR(count.updates, int(count.ms / 10), 1) << count.ms << " ms";
    // A loop that never holds sleeps before each of the 1000 updates; this
    // one sleeps a few times per blink.
    EXPECT_LT(count.sleeps, 20 * 8);
    End(application);
}

TEST_F(UpdateHold, WithNoTimerRunningTheLoopHoldsAsLongAsItMayAndLosesNoUpdate)
{
    KernelLibrary::MainApp& application = Start();
    blinker_.StopBlinking();
    Run(application, 2000);
    const Count count = Run(application, 10'000);
    EXPECT_NEAR(count.updates, int(count.ms / 10), 1) << count.ms << " ms";
    // Holds until the still screen's present, once a second: far longer
    // than the 200 ms of catching up the timing keeps after a stall.
    EXPECT_LE(count.sleeps, 12);
    EXPECT_GE(count.sleeps, 8);
    End(application);
}

// The toolkit asks for a repaint when a still scene changes, from whatever
// thread changed it: a loop holding its updates wakes and paints it within
// a frame, not at the end of the hold.
TEST_F(UpdateHold, AnObjectChangedFromAnotherThreadDuringAHoldIsPaintedWithinAFrame)
{
    KernelLibrary::MainApp& application = Start();
    blinker_.StopBlinking();
    Run(application, 2000);
    clock_.Arm(3, [&] { std::thread([&] { blinker_.OnTimerTick(0); }).join(); });
    const uint64_t end = NowMs() + 3000;
    while ((clock_.eventAtMs == 0 || blinker_.Unpainted()) && NowMs() < end)
        Step(application);
    ASSERT_NE(clock_.eventAtMs, 0u);
    EXPECT_FALSE(blinker_.Unpainted());
    EXPECT_LE(NowMs(), clock_.eventAtMs + 10);
    End(application);
}
