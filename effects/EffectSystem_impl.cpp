#include "effects/EffectSystem_impl.h"

#include "effects/AnimationEffectImpl.h"
#include "effects/State2MoveEffectImpl.h"
#include "effects/SwitcherEffectImpl.h"
#include "effects/TimerEffectImpl.h"

#include <new>
#include <vector>

namespace EffectLibrary {

namespace {

std::atomic<EffectSystem_impl*> gEffectSystem{nullptr};

} // namespace

EffectSystem_impl::~EffectSystem_impl() { DestroyAllEffects(); }

uint16_t EffectSystem_impl::FindFreeSlot()
{
    std::lock_guard hold(tableLock_);
    for (uint16_t entry = 1; entry < kTableSize; ++entry) {
        if (!table_[entry] && !reserved_[entry]) {
            reserved_[entry] = true;
            return entry;
        }
    }
    return 0;
}

void EffectSystem_impl::Install(uint16_t entry, std::unique_ptr<IEffect> effect)
{
    std::lock_guard hold(tableLock_);
    reserved_[entry] = false;
    table_[entry] = std::move(effect);
}

void EffectSystem_impl::Unreserve(uint16_t entry)
{
    std::lock_guard hold(tableLock_);
    reserved_[entry] = false;
}

template <class Effect, class... Args> Effect* EffectSystem_impl::Create(EffectMessageObserver* owner, Args... args)
{
    const uint16_t entry = FindFreeSlot();
    if (entry == 0)
        return nullptr;
    std::unique_ptr<Effect> effect(new (std::nothrow) Effect(entry, owner, timeSystem_.load(), args...));
    if (!effect || !effect->HasTimeObject()) {
        // Freed before the entry is given up, so its id is never seen twice.
        effect.reset();
        Unreserve(entry);
        return nullptr;
    }
    Effect* raw = effect.get();
    Install(entry, std::move(effect));
    return raw;
}

IState2MoveEffect* EffectSystem_impl::CreateState2MoveEffect(EffectMessageObserver* owner,
                                                             ControlLibrary::IVisibleObject* object, int durationMs)
{
    return Create<State2MoveEffectImpl>(owner, factory_.load(), object, durationMs);
}

ITimerEffect* EffectSystem_impl::CreateTimerEffect(EffectMessageObserver* owner, ControlLibrary::IStringVO* text,
                                                   int durationMs)
{
    return Create<TimerEffectImpl>(owner, text, durationMs);
}

ISwitcherVoEffect* EffectSystem_impl::CreateSwitcherEffect(EffectMessageObserver* owner)
{
    return Create<SwitcherEffectImpl>(owner);
}

IAnimationEffect* EffectSystem_impl::CreateAnimationEffect(EffectMessageObserver* owner)
{
    return Create<AnimationEffectImpl>(owner, factory_.load(), this);
}

IAnimationEffect* EffectSystem_impl::CloneAnimation(AnimationEffectImpl& source)
{
    const uint16_t entry = FindFreeSlot();
    if (entry == 0)
        return nullptr;
    std::unique_ptr<AnimationEffectImpl> clone(new (std::nothrow) AnimationEffectImpl(
        entry, source.Owner(), source.TimeSystem(), factory_.load(), this));
    if (!clone || !clone->HasTimeObject() || !clone->CopyFrom(source)) {
        clone.reset();
        Unreserve(entry);
        return nullptr;
    }
    AnimationEffectImpl* raw = clone.get();
    Install(entry, std::move(clone));
    return raw;
}

void EffectSystem_impl::Destroy(IEffect* effect)
{
    if (effect == nullptr)
        return;
    std::unique_ptr<IEffect> owned;
    {
        std::lock_guard hold(tableLock_);
        // Found by identity rather than by asking the effect its id, so a
        // pointer to an effect destroyed before is never read.
        for (uint32_t entry = 1; entry < kTableSize; ++entry) {
            if (table_[entry].get() == effect) {
                owned = std::move(table_[entry]);
                break;
            }
        }
    }
    if (!owned)
        return;
    if (owned->IsRunning())
        owned->Stop();
    owned.reset();
}

void EffectSystem_impl::DestroyAllEffects()
{
    std::vector<std::unique_ptr<IEffect>> all;
    {
        std::lock_guard hold(tableLock_);
        for (uint32_t entry = 1; entry < kTableSize; ++entry) {
            if (table_[entry])
                all.push_back(std::move(table_[entry]));
        }
    }
    all.clear();
}

size_t EffectSystem_impl::CountEffects()
{
    std::lock_guard hold(tableLock_);
    size_t count = 0;
    for (const auto& effect : table_)
        count += effect ? 1 : 0;
    return count;
}

EffectSystem_impl* CreateEffectSystem()
{
    DestroyEffectSystem();
    EffectSystem_impl* system = new (std::nothrow) EffectSystem_impl();
    gEffectSystem.store(system);
    return system;
}

EffectSystem_impl* GetEffectSystem() { return gEffectSystem.load(); }

void DestroyEffectSystem() { delete gEffectSystem.exchange(nullptr); }

} // namespace EffectLibrary
