// The owner of every effect, in a table of 2048 numbered entries (entry 0 is
// never given out). Game code reaches the one instance through the kernel.
//
// Threads: any thread; see IEffect.
#pragma once

#include "effects/EffectMessageObserver.h"
#include "effects/IEffect.h"

namespace EffectLibrary {

class IEffectSystem {
public:
    virtual ~IEffectSystem() = default;
    // Null when the table is full or no time object could be had.
    virtual IState2MoveEffect* CreateState2MoveEffect(EffectMessageObserver* owner,
                                                      ControlLibrary::IVisibleObject* object, int durationMs) = 0;
    // Stops a running effect and frees it; null is ignored.
    virtual void DestroyEffect(IState2MoveEffect* effect) = 0;
    virtual void DestroyEffect(ITimerEffect* effect) = 0;
    virtual void DestroyEffect(ISwitcherVoEffect* effect) = 0;
    virtual void DestroyEffect(IAnimationEffect* effect) = 0;
    virtual ITimerEffect* CreateTimerEffect(EffectMessageObserver* owner, ControlLibrary::IStringVO* text,
                                            int durationMs) = 0;
    virtual ISwitcherVoEffect* CreateSwitcherEffect(EffectMessageObserver* owner) = 0;
    virtual IAnimationEffect* CreateAnimationEffect(EffectMessageObserver* owner) = 0;
};

} // namespace EffectLibrary
