// Paragraphs of text, each in its own font, colour and alignment, wrapped to
// the box's width and shown one box-height page at a time.
#pragma once

#include "controls/IVisibleObject.h"

#include <cstdint>
#include <string>

namespace ControlLibrary {

class IFont;

class ITextBoxVO : public IVisibleObject {
public:
    // Ignored for a null font. Alignment 0 left, 1 centre, 2 right.
    virtual void AddText(const std::string& text, IFont* font, uint32_t alignment,
                         const RGB& colour) = 0;
    // The page shown.
    virtual void SetFirstLine(uint16_t page) = 0;
    virtual void Clear() = 0;
    virtual bool ScrollDown() = 0;
    virtual bool ScrollUp() = 0;
    virtual bool CanScrollDown() = 0;
    virtual bool CanScrollUp() = 0;
};

} // namespace ControlLibrary
