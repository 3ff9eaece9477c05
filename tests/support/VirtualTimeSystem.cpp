#include "tests/support/VirtualTimeSystem.h"

#include "timing/ITimeObject.h"

#include <algorithm>
#include <limits>

namespace testing_support {

namespace {
constexpr uint64_t kStep = 5;
constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

uint64_t RoundUp(int64_t ms)
{
    if (ms <= 0)
        return 0;
    return (static_cast<uint64_t>(ms) + kStep - 1) / kStep * kStep;
}
} // namespace

class VirtualTimeObject final : public TimeLibrary::ITimeObject {
public:
    VirtualTimeObject(uint32_t id, TimeLibrary::TimeObjectMessageObserver* observer, int duration, int interval)
        : id_(id), observer_(observer), duration_(duration), interval_(interval)
    {
    }

    uint32_t GetId() override { return id_; }
    void SetTimes(int durationMs, int intervalMs) override
    {
        duration_ = durationMs;
        interval_ = intervalMs;
    }
    void SetDuration(int ms) override { duration_ = ms; }
    void SetInterval(int ms) override { interval_ = ms; }
    void SetEndless(bool endless) override { endless_ = endless; }
    bool Start(bool paused, uint16_t delayMs) override
    {
        if (interval_ <= 0 || (duration_ < 1 && !endless_))
            return false;
        running_ = true;
        paused_ = paused;
        delayLeft_ = RoundUp(delayMs);
        elapsed_ = 0;
        sinceTick_ = 0;
        if (!paused && observer_ != nullptr)
            observer_->OnTimerStart(id_);
        return true;
    }
    bool IsRunning() override { return running_; }
    void SetPaused(bool paused) override { paused_ = paused; }
    bool IsPaused() override { return paused_; }
    void Stop() override { running_ = false; }
    int GetDuration() override { return duration_; }
    int GetInterval() override { return interval_; }
    bool IsEndless() override { return endless_; }

    bool Active() const { return running_ && !paused_; }

    uint64_t TimeToNotice() const
    {
        if (!Active())
            return kNever;
        if (delayLeft_ > 0)
            return delayLeft_;
        uint64_t tick = RoundUp(interval_);
        uint64_t toTick = tick > sinceTick_ ? tick - sinceTick_ : 0;
        uint64_t toFinish = kNever;
        if (!endless_) {
            uint64_t duration = std::max<uint64_t>(RoundUp(duration_), kStep);
            toFinish = duration > elapsed_ ? duration - elapsed_ : 0;
        }
        return std::max<uint64_t>(std::min(toTick, toFinish), kStep);
    }

    void Move(uint64_t ms)
    {
        if (!Active())
            return;
        if (delayLeft_ > 0) {
            delayLeft_ -= std::min(delayLeft_, ms);
            delayEnded_ = delayLeft_ == 0;
            return;
        }
        elapsed_ += ms;
        sinceTick_ += ms;
    }

    void RaiseDue()
    {
        if (!Active())
            return;
        if (delayEnded_) {
            delayEnded_ = false;
            if (observer_ != nullptr)
                observer_->OnTimerStart(id_);
            return;
        }
        bool finished = !endless_ && elapsed_ >= std::max<uint64_t>(RoundUp(duration_), kStep);
        if (finished) {
            running_ = false;
            if (observer_ != nullptr) {
                observer_->OnTimerTick(id_);
                observer_->OnTimerFinish(id_);
            }
            return;
        }
        if (sinceTick_ >= RoundUp(interval_)) {
            sinceTick_ = 0;
            if (observer_ != nullptr)
                observer_->OnTimerTick(id_);
        }
    }

private:
    uint32_t id_;
    TimeLibrary::TimeObjectMessageObserver* observer_;
    int duration_;
    int interval_;
    bool endless_ = false;
    bool running_ = false;
    bool paused_ = false;
    bool delayEnded_ = false;
    uint64_t delayLeft_ = 0;
    uint64_t elapsed_ = 0;
    uint64_t sinceTick_ = 0;
};

VirtualTimeSystem::VirtualTimeSystem(platform::ManualClock* clock) : clock_(clock) {}

VirtualTimeSystem::~VirtualTimeSystem() = default;

TimeLibrary::ITimeObject* VirtualTimeSystem::CreateTimeObject(TimeLibrary::TimeObjectMessageObserver* observer,
                                                              int durationMs, int intervalMs)
{
    for (uint32_t id = 1; id < kTableSize; ++id) {
        if (!table_[id]) {
            table_[id] = std::make_unique<VirtualTimeObject>(id, observer, durationMs, intervalMs);
            highWater_ = std::max(highWater_, id + 1);
            return table_[id].get();
        }
    }
    return nullptr;
}

void VirtualTimeSystem::DestroyTimeObject(TimeLibrary::ITimeObject* object)
{
    if (object == nullptr)
        return;
    uint32_t id = object->GetId();
    if (id < kTableSize && table_[id].get() == object)
        table_[id].reset();
}

void VirtualTimeSystem::MoveTime(uint64_t ms)
{
    now_ += ms;
    if (clock_ != nullptr)
        clock_->AdvanceMilliseconds(ms);
    for (uint32_t id = 1; id < highWater_; ++id)
        if (table_[id])
            table_[id]->Move(ms);
}

bool VirtualTimeSystem::AdvanceToNextNotice(uint64_t limitMs)
{
    uint64_t next = kNever;
    for (uint32_t id = 1; id < highWater_; ++id)
        if (table_[id])
            next = std::min(next, table_[id]->TimeToNotice());
    if (next == kNever || next > limitMs)
        return false;
    MoveTime(next);
    for (uint32_t id = 1; id < highWater_; ++id)
        if (table_[id])
            table_[id]->RaiseDue();
    return true;
}

void VirtualTimeSystem::Advance(uint64_t ms)
{
    uint64_t end = now_ + ms;
    while (now_ < end) {
        if (!AdvanceToNextNotice(end - now_)) {
            MoveTime(end - now_);
            break;
        }
    }
}

size_t VirtualTimeSystem::CountRunning() const
{
    return static_cast<size_t>(
        std::count_if(table_.begin(), table_.end(), [](const auto& object) { return object && object->Active(); }));
}

size_t VirtualTimeSystem::CountObjects() const
{
    return static_cast<size_t>(
        std::count_if(table_.begin(), table_.end(), [](const auto& object) { return object != nullptr; }));
}

} // namespace testing_support
