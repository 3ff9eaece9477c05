// What every effect kind shares: its number, its owner, the time object it
// owns and observes, and the owner's free value.
//
// Threads: the effect's work runs in the time object's notices on the time
// thread (under the time system's table lock and the time object's lock);
// the operations come from the main thread or from other notices.
//
// An owner may destroy the effect from any notice, its own included. The time
// system then parks the time object until the notice has returned, and the
// effect's memory is gone at once: so every notice handler raises at most one
// owner notice, as the last thing it does, and touches nothing of the effect
// after it. The same holds for an owner notice raised from inside an
// operation (OnEffectStart from a start that is not paused).
//
// Each kind's destructor must call ReleaseTimeObject first: destroying the
// time object takes the time system's table lock, which waits out a pass of
// the time thread that may be running one of the kind's notices, before any
// field of the kind is torn down.
#pragma once

#include "effects/EffectMessageObserver.h"
#include "timing/ITimeSystem.h"

#include <atomic>
#include <cstdint>

namespace EffectLibrary {

template <class Interface> class EffectBase : public Interface, public TimeLibrary::TimeObjectMessageObserver {
public:
    // The time object starts with duration -1 and interval 0, idle; null
    // when the time system has no entry left (see HasTimeObject).
    EffectBase(uint32_t id, EffectMessageObserver* owner, TimeLibrary::ITimeSystem* timeSystem)
        : owner_(owner), timeSystem_(timeSystem), id_(id)
    {
        if (timeSystem_ != nullptr)
            timeObject_ = timeSystem_->CreateTimeObject(this, -1, 0);
    }
    ~EffectBase() override { ReleaseTimeObject(); }
    EffectBase(const EffectBase&) = delete;
    EffectBase& operator=(const EffectBase&) = delete;

    // False when the effect could not get a time object; the effect system
    // then discards it.
    bool HasTimeObject() const { return timeObject_ != nullptr; }

    uint32_t GetId() override { return id_; }
    void SetPaused(bool paused) override { timeObject_->SetPaused(paused); }
    bool IsRunning() override { return timeObject_->IsRunning(); }
    void SetUserValue(uint32_t value) override { userValue_.store(value, std::memory_order_relaxed); }
    uint32_t GetUserValue() override { return userValue_.load(std::memory_order_relaxed); }

    void OnTimerSpare(uint32_t) override { Tell(&EffectMessageObserver::OnEffectSpare); }

    EffectMessageObserver* Owner() const { return owner_; }
    TimeLibrary::ITimeSystem* TimeSystem() const { return timeSystem_; }
    TimeLibrary::ITimeObject* TimeObject() const { return timeObject_; }

protected:
    // Raises one notice to the owner, when there is one. Must be the last
    // thing a handler does (see above).
    void Tell(void (EffectMessageObserver::*notice)(uint32_t)) const
    {
        if (owner_ != nullptr)
            (owner_->*notice)(id_);
    }

    void ReleaseTimeObject()
    {
        if (timeObject_ != nullptr && timeSystem_ != nullptr)
            timeSystem_->DestroyTimeObject(timeObject_);
        timeObject_ = nullptr;
    }

    EffectMessageObserver* const owner_;
    TimeLibrary::ITimeSystem* const timeSystem_;
    const uint32_t id_;
    TimeLibrary::ITimeObject* timeObject_ = nullptr;

private:
    std::atomic<uint32_t> userValue_{0};
};

} // namespace EffectLibrary
