// The effect system: a fixed table of 2048 effect entries (entry 0 never
// used, so ids run 1..2047), the effects' creators and destroyers, and the
// process-wide instance the kernel creates and destroys.
//
// Threads and locks: creation and destruction come from the main thread and
// from notices on the time thread. `tableLock` guards the table and the
// entries held for effects under construction; it is a leaf lock, never held
// while an effect, the time system or the toolkit is called, so it fits
// anywhere in the order time thread life lock -> time system table lock ->
// time object lock -> toolkit lock. An effect is taken out of the table
// under it and stopped and freed after it is released; freeing destroys the
// effect's time object through the time system, which waits out a pass of
// the time thread that may be running one of its notices.
//
// The life calls (SetTimeSystem, SetFactory, DestroyAllEffects, the
// destructor) come from the kernel on the main thread.
#pragma once

#include "controls/IFactory.h"
#include "effects/IEffectSystem.h"
#include "timing/ITimeSystem.h"

#include <array>
#include <atomic>
#include <bitset>
#include <cstdint>
#include <memory>
#include <mutex>

namespace EffectLibrary {

class AnimationEffectImpl;

class EffectSystem_impl final : public IEffectSystem {
public:
    static constexpr uint32_t kTableSize = 2048;

    EffectSystem_impl() = default;
    // Frees every effect that is left.
    ~EffectSystem_impl() override;
    EffectSystem_impl(const EffectSystem_impl&) = delete;
    EffectSystem_impl& operator=(const EffectSystem_impl&) = delete;

    // The time system every new effect takes its time object from; until it
    // is set the creators return null.
    void SetTimeSystem(TimeLibrary::ITimeSystem* timeSystem) { timeSystem_.store(timeSystem); }
    TimeLibrary::ITimeSystem* GetTimeSystem() const { return timeSystem_.load(); }
    // The control factory that makes the animations' image objects and takes
    // back the objects the moves held; without one an animation cannot load
    // a script.
    void SetFactory(ControlLibrary::IFactory* factory) { factory_.store(factory); }

    IState2MoveEffect* CreateState2MoveEffect(EffectMessageObserver* owner, ControlLibrary::IVisibleObject* object,
                                              int durationMs) override;
    void DestroyEffect(IState2MoveEffect* effect) override { Destroy(effect); }
    void DestroyEffect(ITimerEffect* effect) override { Destroy(effect); }
    void DestroyEffect(ISwitcherVoEffect* effect) override { Destroy(effect); }
    void DestroyEffect(IAnimationEffect* effect) override { Destroy(effect); }
    ITimerEffect* CreateTimerEffect(EffectMessageObserver* owner, ControlLibrary::IStringVO* text,
                                    int durationMs) override;
    ISwitcherVoEffect* CreateSwitcherEffect(EffectMessageObserver* owner) override;
    IAnimationEffect* CreateAnimationEffect(EffectMessageObserver* owner) override;

    // Frees every effect, without stopping it first and without a notice.
    // The kernel calls it once the time thread has stopped.
    void DestroyAllEffects();
    // A new animation in the first free entry with a copy of `source`; null
    // when no entry is free or no object could be had.
    IAnimationEffect* CloneAnimation(AnimationEffectImpl& source);
    // The effects in the table.
    size_t CountEffects();

private:
    // The first free entry (1..2047), held for the caller until Install or
    // Unreserve; 0 when all are taken.
    uint16_t FindFreeSlot();
    void Install(uint16_t entry, std::unique_ptr<IEffect> effect);
    void Unreserve(uint16_t entry);
    // Builds an effect in a free entry; null when there is none, when memory
    // runs out or when the effect got no time object.
    template <class Effect, class... Args> Effect* Create(EffectMessageObserver* owner, Args... args);
    // Stops a running effect and frees it; an effect not in the table (null,
    // already destroyed, or another system's) is left alone.
    void Destroy(IEffect* effect);

    std::mutex tableLock_;
    std::array<std::unique_ptr<IEffect>, kTableSize> table_;
    std::bitset<kTableSize> reserved_;
    std::atomic<TimeLibrary::ITimeSystem*> timeSystem_{nullptr};
    std::atomic<ControlLibrary::IFactory*> factory_{nullptr};
};

// The one effect system of the process. Creating a new one first destroys the
// one that exists, so a second start of the kernel never leaks the first.
// Null when no memory is left.
EffectSystem_impl* CreateEffectSystem();
// Null before CreateEffectSystem and after DestroyEffectSystem.
EffectSystem_impl* GetEffectSystem();
// Frees the system and every effect left in it.
void DestroyEffectSystem();

} // namespace EffectLibrary
