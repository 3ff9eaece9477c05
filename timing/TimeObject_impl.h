// One timer in the time system's table. The time thread advances it by one
// 5 ms step per pass; intervals and durations therefore act in whole steps
// (an interval of 12 ms ticks every 15 ms).
//
// Threads and locks: `lock` guards the step counters (elapsed, interval
// counter, start delay) and is held while Start, Stop and a step run. Start
// and the step also run under the time system's table lock, always taken
// first, so every notice is raised in the one order table lock -> object
// lock, whichever thread raises it. The settings and flags are atomics that
// the setters and getters use without a lock. `callbackDepth`, `destroyed`
// and `inDoze` are touched only by the holder of the table lock.
#pragma once

#include "platform/core/CriticalSection.h"
#include "platform/core/Event.h"
#include "timing/ITimeObject.h"
#include "timing/TimeObjectMessageObserver.h"

#include <atomic>
#include <cstdint>

namespace TimeLibrary {

class TimeObject_impl final : public ITimeObject {
public:
    static constexpr int kStepMs = 5;

    // `tableLock` is the owning time system's table lock; `stepsWanted` is
    // the system's event that wakes a time thread resting while no object
    // ran: this object sets it whenever it starts or is unpaused.
    TimeObject_impl(uint32_t id, TimeObjectMessageObserver* observer, int durationMs, int intervalMs,
                    platform::CriticalSection& tableLock, platform::Event& stepsWanted);
    ~TimeObject_impl() override = default;
    TimeObject_impl(const TimeObject_impl&) = delete;
    TimeObject_impl& operator=(const TimeObject_impl&) = delete;

    uint32_t GetId() override { return id_; }
    // The setters wake a dozing time thread: the next notice may have moved.
    void SetTimes(int durationMs, int intervalMs) override;
    void SetDuration(int ms) override;
    void SetInterval(int ms) override;
    void SetEndless(bool endless) override;
    bool Start(bool paused, uint16_t delayMs) override;
    bool IsRunning() override { return running_.load(std::memory_order_relaxed); }
    void SetPaused(bool paused) override;
    bool IsPaused() override { return paused_.load(std::memory_order_relaxed); }
    void Stop() override;
    int GetDuration() override { return duration_.load(std::memory_order_relaxed); }
    int GetInterval() override { return interval_.load(std::memory_order_relaxed); }
    bool IsEndless() override { return endless_.load(std::memory_order_relaxed); }

    // One 5 ms step; the time system's advance pass calls it under the table
    // lock for a running, unpaused object.
    void Advance();

    // The steps from now on that would raise no notice: the next notice
    // comes with step QuietSteps() + 1.
    int64_t QuietSteps();
    // Books `steps` steps at once, as if Advance had run that often without
    // a notice; the time thread's doze calls it with at most QuietSteps()
    // as counted when the doze began.
    void SkipQuietSteps(int64_t steps);
    // Under the table lock: the time thread dozes over this object's quiet
    // steps (it was running unpaused when the doze began, and has not been
    // started again since).
    bool IsInDoze() const { return inDoze_; }
    void SetInDoze(bool inDoze) { inDoze_ = inDoze; }

    // Under the table lock: true while one of this object's notices runs.
    bool InCallback() const { return callbackDepth_ > 0; }
    // Under the table lock: the object left the table while a notice of its
    // own runs; it raises no further notice and is freed after the notice.
    void MarkDestroyed() { destroyed_ = true; }

private:
    // Raises one notice; false when the observer destroyed this object in it.
    bool Notify(void (TimeObjectMessageObserver::*notice)(uint32_t));

    platform::CriticalSection lock_;
    platform::CriticalSection& tableLock_;
    platform::Event& stepsWanted_;
    const uint32_t id_;
    TimeObjectMessageObserver* const observer_;
    std::atomic<bool> running_{false};
    std::atomic<bool> paused_{false};
    std::atomic<bool> endless_{false};
    int intervalCounter_ = 0;
    std::atomic<int> interval_;
    int elapsed_ = -1; // -1: not started counting yet
    std::atomic<int> duration_;
    int startDelay_ = 0;
    int callbackDepth_ = 0;
    bool destroyed_ = false;
    bool inDoze_ = false;
};

} // namespace TimeLibrary
