#include "timing/TimeObject_impl.h"

#include <climits>

namespace TimeLibrary {

namespace {

// Counters grow by one step per pass; an endless timer left running for
// weeks, or an interval near INT_MAX, must stop at the top rather than wrap.
int AddStep(int value)
{
    return value > INT_MAX - TimeObject_impl::kStepMs ? INT_MAX : value + TimeObject_impl::kStepMs;
}

} // namespace

TimeObject_impl::TimeObject_impl(uint32_t id, TimeObjectMessageObserver* observer, int durationMs, int intervalMs,
                                 platform::CriticalSection& tableLock, platform::Event& stepsWanted)
    : tableLock_(tableLock), stepsWanted_(stepsWanted), id_(id), observer_(observer), interval_(intervalMs), duration_(durationMs)
{
}

void TimeObject_impl::SetTimes(int durationMs, int intervalMs)
{
    duration_.store(durationMs, std::memory_order_relaxed);
    interval_.store(intervalMs, std::memory_order_relaxed);
}

bool TimeObject_impl::Notify(void (TimeObjectMessageObserver::*notice)(uint32_t))
{
    if (destroyed_)
        return false;
    if (observer_) {
        ++callbackDepth_;
        (observer_->*notice)(id_);
        --callbackDepth_;
    }
    return !destroyed_;
}

bool TimeObject_impl::Start(bool paused, uint16_t delayMs)
{
    // The table lock first: the notice below may create or destroy time
    // objects, and taking only our own lock here would invert the order the
    // time thread uses while it advances this same object.
    platform::CriticalSectionLock table(tableLock_);
    platform::CriticalSectionLock hold(lock_);
    if (interval_.load(std::memory_order_relaxed) <= 0)
        return false;
    if (duration_.load(std::memory_order_relaxed) < 1 && !endless_.load(std::memory_order_relaxed))
        return false;

    intervalCounter_ = 0;
    elapsed_ = -1;
    if (!paused)
        Notify(&TimeObjectMessageObserver::OnTimerStart);
    running_.store(true, std::memory_order_relaxed);
    paused_.store(paused, std::memory_order_relaxed);
    startDelay_ = delayMs;
    if (!paused)
        stepsWanted_.Set();
    return true;
}

void TimeObject_impl::SetPaused(bool paused)
{
    paused_.store(paused, std::memory_order_relaxed);
    if (!paused && IsRunning())
        stepsWanted_.Set();
}

void TimeObject_impl::Stop()
{
    platform::CriticalSectionLock hold(lock_);
    running_.store(false, std::memory_order_relaxed);
}

void TimeObject_impl::Advance()
{
    platform::CriticalSectionLock hold(lock_);
    // Looked at again under the lock: a Stop from another thread may have come
    // between the pass's look and this step.
    if (destroyed_ || !IsRunning() || IsPaused())
        return;

    if (startDelay_ > 0) {
        startDelay_ -= kStepMs;
        if (startDelay_ <= 0)
            Notify(&TimeObjectMessageObserver::OnTimerStart);
        return;
    }

    if (elapsed_ == -1)
        elapsed_ = 0;
    elapsed_ = AddStep(elapsed_);
    if (elapsed_ >= GetDuration() && !IsEndless()) {
        running_.store(false, std::memory_order_relaxed);
        if (Notify(&TimeObjectMessageObserver::OnTimerTick))
            Notify(&TimeObjectMessageObserver::OnTimerFinish);
        return;
    }

    intervalCounter_ = AddStep(intervalCounter_);
    if (intervalCounter_ >= GetInterval()) {
        intervalCounter_ = 0;
        Notify(&TimeObjectMessageObserver::OnTimerTick);
    }
}

} // namespace TimeLibrary
