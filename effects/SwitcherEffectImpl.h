// Shows a list of visible objects one after another: every interval it hides
// the object shown and shows the next, going round the list for as long as
// it runs.
//
// Threads: the switching runs on the time thread in the time object's
// notices; objects may be added from the main thread meanwhile. `listLock`
// guards the list and the current index; it is a leaf lock, never held while
// an object, the owner or the time system is called.
#pragma once

#include "controls/IVisibleObject.h"
#include "effects/EffectBase.h"
#include "effects/IEffect.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace EffectLibrary {

class SwitcherEffectImpl final : public EffectBase<ISwitcherVoEffect> {
public:
    SwitcherEffectImpl(uint32_t id, EffectMessageObserver* owner, TimeLibrary::ITimeSystem* timeSystem);
    // The objects are not released: the switcher never referenced them.
    ~SwitcherEffectImpl() override;

    // IEffect
    // A switcher runs until stopped; it has no duration.
    void SetDuration(int) override {}
    // Begins at the first object, without showing it. False with no interval
    // or no objects.
    bool Start(bool paused, uint16_t delayMs) override;
    void Stop() override { timeObject_->Stop(); }
    // True shows the current object (the switching is not resumed); false
    // pauses the switching and hides it.
    void SetVisible(bool visible) override;

    // ISwitcherVoEffect
    // Null entries are kept in their place and skipped when shown or hidden.
    void AddObject(ControlLibrary::IVisibleObject* object) override;
    void SetInterval(uint16_t ms) override { interval_.store(ms); }
    void SetHideOnFinish(bool hide) override { hideOnFinish_.store(hide); }

    void OnTimerStart(uint32_t id) override;
    void OnTimerTick(uint32_t id) override;
    void OnTimerFinish(uint32_t id) override;

private:
    ControlLibrary::IVisibleObject* Current();

    std::mutex listLock_;
    std::vector<ControlLibrary::IVisibleObject*> objects_;
    std::atomic<int> interval_{-1};
    std::atomic<bool> hideOnFinish_{true};
    uint16_t current_ = 0;
};

} // namespace EffectLibrary
