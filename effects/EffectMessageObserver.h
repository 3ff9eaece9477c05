// The callbacks of an effect's owner. Each receives the effect's id, never a
// pointer; every callback does nothing unless overridden.
//
// Threads: raised on the time thread from the effect's time object, while the
// time system's table lock and that time object's lock are held.
#pragma once

#include <cstdint>

namespace EffectLibrary {

class EffectMessageObserver {
public:
    virtual ~EffectMessageObserver() = default;
    virtual void OnEffectStart(uint32_t /*id*/) {}
    virtual void OnEffectSpare(uint32_t /*id*/) {}
    virtual void OnEffectFinish(uint32_t /*id*/) {}
    virtual void OnEffectStep(uint32_t /*id*/) {}
    virtual void OnEffectBlocked(uint32_t /*id*/) {}
};

} // namespace EffectLibrary
