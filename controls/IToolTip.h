// A small captioned box drawn beside the mouse while its object is hovered.
#pragma once

#include "common/RefObj.h"
#include "controls/Point.h"
#include "controls/RGB.h"

#include <cstdint>
#include <string>

namespace ControlLibrary {

class IFont;

class IToolTip : public CommonLibrary::RefObj {
public:
    ~IToolTip() override = default;
    virtual void SetText(const std::string& text) = 0;
    // Holds a reference to the font while it keeps it.
    virtual void SetFont(IFont* font) = 0;
    virtual void SetTextColour(const RGB& colour) = 0;
    // SetText, SetFont and SetTextColour in that order.
    virtual void Setup(const std::string& text, IFont* font, const RGB& colour) = 0;
    virtual void SetBackColour(const RGB& colour) = 0;
    virtual void Reserved(uint32_t a, uint32_t b, uint32_t c) = 0;
    // The box size: w from x, h from y.
    virtual void SetOffset(const Point& boxSize) = 0;
    // True: no background fill.
    virtual void SetTransparent(bool transparent) = 0;
};

} // namespace ControlLibrary
