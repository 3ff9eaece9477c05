#include "timing/TimeObject_impl.h"

#include <algorithm>
#include <climits>

namespace TimeLibrary {

namespace {

// Counters grow by one step per pass; an endless timer left running for
// weeks, or an interval near INT_MAX, must stop at the top rather than wrap.
int AddSteps(int value, int64_t steps)
{
    const int64_t sum = value + steps * TimeObject_impl::kStepMs;
    return sum > INT_MAX ? INT_MAX : static_cast<int>(sum);
}

int AddStep(int value) { return AddSteps(value, 1); }

// The steps a counter at `value` takes to reach `limit`, at least one.
int64_t StepsToReach(int value, int limit)
{
    const int64_t gap = static_cast<int64_t>(limit) - value;
    return gap <= TimeObject_impl::kStepMs ? 1 : (gap + TimeObject_impl::kStepMs - 1) / TimeObject_impl::kStepMs;
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
    stepsWanted_.Set();
}

void TimeObject_impl::SetDuration(int ms)
{
    duration_.store(ms, std::memory_order_relaxed);
    stepsWanted_.Set();
}

void TimeObject_impl::SetInterval(int ms)
{
    interval_.store(ms, std::memory_order_relaxed);
    stepsWanted_.Set();
}

void TimeObject_impl::SetEndless(bool endless)
{
    endless_.store(endless, std::memory_order_relaxed);
    stepsWanted_.Set();
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
    inDoze_ = false;
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
    // A pause wakes a dozing thread too, so that it books only the steps
    // that came before the pause.
    if (IsRunning())
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

int64_t TimeObject_impl::QuietSteps()
{
    platform::CriticalSectionLock hold(lock_);
    if (startDelay_ > 0)
        return StepsToReach(0, startDelay_) - 1;
    const int elapsed = elapsed_ == -1 ? 0 : elapsed_;
    int64_t steps = StepsToReach(intervalCounter_, GetInterval());
    if (!IsEndless())
        steps = std::min(steps, StepsToReach(elapsed, GetDuration()));
    return steps - 1;
}

void TimeObject_impl::SkipQuietSteps(int64_t steps)
{
    platform::CriticalSectionLock hold(lock_);
    if (steps <= 0)
        return;
    if (startDelay_ > 0) {
        startDelay_ -= static_cast<int>(steps * kStepMs);
        return;
    }
    elapsed_ = AddSteps(elapsed_ == -1 ? 0 : elapsed_, steps);
    intervalCounter_ = AddSteps(intervalCounter_, steps);
}

} // namespace TimeLibrary
