// A single-line text field with a blinking caret, typed into while it has the
// keyboard focus.
#pragma once

#include "controls/IVisibleObject.h"

#include <array>
#include <cstdint>
#include <string>

namespace ControlLibrary {

class IEditBoxMsgObserver;
class IFont;

// One frame piece's image name; the second member is carried but not read.
struct FrameImageEntry {
    std::string name;
    std::string spare;
};

class IEditBoxVO : public IVisibleObject {
public:
    // Appended unless already registered.
    virtual void AddEditObserver(IEditBoxMsgObserver* observer) = 0;
    virtual void SetFont(IFont* font) = 0;
    // Observers are not told.
    virtual void SetText(const std::string& text) = 0;
    virtual void GetText(std::string& out) const = 0;
    // Stored as SetText stores it, but as a proposal the player takes or
    // types over: the first character the box lets in replaces it, as does a
    // paste; Backspace edits it as any text. Any change ends the proposal.
    virtual void ProposeText(const std::string& text) = 0;
    // Whether the text is still a proposal: the first edit observer's
    // AcceptChar then judges the character as the whole new text.
    virtual bool IsTextProposed() const = 0;
    virtual void SetTextOffset(int16_t x, int16_t y) = 0;
    virtual void SetTextColour(const RGB& colour) = 0;
    // 65535 (any value from 32768 up) means no limit.
    virtual void SetMaxLength(uint16_t length) = 0;
    virtual void SetAltLook(bool alternative) = 0;
    virtual void SetCaretColour(const RGB& colour) = 0;
    // Left, middle and right pieces: the normal look, then the alternative one.
    virtual void SetFrameImages(const std::array<FrameImageEntry, 3>& normal,
                                const std::array<FrameImageEntry, 3>& alternative) = 0;
    virtual void SetFrameRects(const std::array<Rect, 3>& sources) = 0;
    virtual void SetFaceHidden(bool hidden) = 0;
};

} // namespace ControlLibrary
