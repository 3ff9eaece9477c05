// Screen-wide keyboard and mouse-move listener, not tied to an object;
// registered with IFactory::AddSysObserver. Called on the main thread.
#pragma once

#include "controls/Point.h"

#include <cstdint>

namespace ControlLibrary {

class KeybdSysMessageObserver {
public:
    virtual ~KeybdSysMessageObserver() = default;
    virtual void OnSysKeyDown(uint32_t /*virtualKey*/) {}
    virtual void OnSysKeyUp(uint32_t /*virtualKey*/) {}
    virtual void OnSysMouseMove(Point /*position*/) {}
    // Asked before keys and moves are passed on; false keeps them away.
    virtual bool IsSysInputEnabled() { return true; }
};

} // namespace ControlLibrary
