// Told about the mouse over one visible object; every callback gets the id of
// the object first. Called on the main thread by the factory's input routing.
#pragma once

#include <cstdint>

namespace ControlLibrary {

class MouseMessageObserver {
public:
    virtual ~MouseMessageObserver() = default;
    virtual void OnMouseDown(uint32_t /*id*/, int32_t /*button*/) {}
    // The click the game reacts to: a release over the hovered object while
    // it is enabled.
    virtual void OnMouseUp(uint32_t /*id*/, int32_t /*button*/) {}
    virtual void OnMouseEnter(uint32_t /*id*/) {}
    virtual void OnMouseMove(uint32_t /*id*/, int32_t /*x*/, int32_t /*y*/) {}
    virtual void OnMouseLeave(uint32_t /*id*/) {}
};

} // namespace ControlLibrary
