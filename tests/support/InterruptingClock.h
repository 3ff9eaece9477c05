// A manual clock that lets something happen while the program's main
// thread sleeps, as another thread or the user would.
//
// Threads: the sleeping thread runs the event; the clock is read by any.
#pragma once

#include "platform/core/Clock.h"
#include "platform/window/Window.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <utility>

namespace test_support {

// A manual clock on which the first long sleep after Arm (a hold, or the
// wait of a stopped loop) is interrupted `afterMs` into it: `event` runs
// there, as something another thread does while the loop sleeps. When a
// message or input then waits for the sleeping thread the sleep ends there,
// as a real wait is woken; otherwise it runs its whole time.
class InterruptingClock final : public platform::Clock {
public:
    explicit InterruptingClock(uint64_t now) : now_(now) {}
    uint64_t NowMicroseconds() override { return now_.load(); }
    void SleepMicroseconds(uint64_t us) override
    {
        if (!event || us < kLongSleepUs) {
            now_ += us;
            return;
        }
        now_ += afterMs * 1000;
        eventAtMs = now_.load() / 1000;
        std::exchange(event, {})();
        if (platform::MsgWaitForMultipleObjects(0, nullptr, platform::FALSE, 0, platform::QS_ALLINPUT) !=
            platform::WAIT_OBJECT_0)
            now_ += us - afterMs * 1000;
    }
    void Arm(uint64_t ms, std::function<void()> what)
    {
        afterMs = ms;
        event = std::move(what);
    }
    uint64_t NowMs() const { return now_.load() / 1000; }
    void Set(uint64_t us) { now_.store(us); }

    static constexpr uint64_t kLongSleepUs = 100'000;
    uint64_t afterMs = 0;
    uint64_t eventAtMs = 0;
    std::function<void()> event;

private:
    std::atomic<uint64_t> now_;
};

} // namespace test_support
