// One line of text in a font, with an optional drop shadow.
#pragma once

#include "controls/IVisibleObject.h"

#include <cstdint>
#include <string>

namespace ControlLibrary {

class IFont;

class IStringVO : public IVisibleObject {
public:
    // Holds a reference to the font; sizes the object to the text.
    virtual void SetFont(IFont* font) = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void GetText(std::string& out) const = 0;
    virtual void SetShadow(bool shadow) = 0;
    virtual void SetShadowOffset(uint16_t dx, uint16_t dy) = 0;
    virtual void SetShadowColour(const RGB& colour) = 0;
};

} // namespace ControlLibrary
