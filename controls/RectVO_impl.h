// An outlined (style 0) or filled (style 1) rectangle in the object's colour.
#pragma once

#include "controls/VisibleObject_impl.h"

namespace ControlLibrary {

class RectVO_impl final : public VisibleObject_impl {
public:
    RectVO_impl(Factory_impl& factory, uint32_t id);
    void Draw() override;
    void DrawClipped(const std::vector<Rect>& rects) override;
    void SetStyle(uint32_t style);

private:
    uint32_t style_ = 0;
};

} // namespace ControlLibrary
