// Told about an edit box's text and focus; callbacks get the box's id.
// Called on the main thread.
#pragma once

#include <cstdint>

namespace ControlLibrary {

class IEditBoxMsgObserver {
public:
    virtual ~IEditBoxMsgObserver() = default;
    virtual void OnTextChanged(uint32_t /*id*/) {}
    virtual void OnFocusGained(uint32_t /*id*/) {}
    virtual void OnFocusLost(uint32_t /*id*/) {}
    // Only the first observer of a box is asked; false drops the character.
    // An accepted one follows the box's text, or replaces it while the text
    // is a proposal (IEditBoxVO::IsTextProposed).
    virtual bool AcceptChar(char /*character*/) { return true; }
};

} // namespace ControlLibrary
