// Told about keys that reach the focused visible object; every callback gets
// the id of the object first. Called on the main thread.
#pragma once

#include <cstdint>

namespace ControlLibrary {

class KeybdMessageObserver {
public:
    virtual ~KeybdMessageObserver() = default;
    virtual void OnChar(uint32_t /*id*/, char /*character*/) {}
    virtual void OnKeyDown(uint32_t /*id*/, uint32_t /*virtualKey*/) {}
    virtual void OnKeyUp(uint32_t /*id*/, uint32_t /*virtualKey*/) {}
};

} // namespace ControlLibrary
