// One line of text in a font, with an optional drop shadow. Its text is
// guarded by the factory lock, since timer callbacks change labels while the
// main thread draws them.
#pragma once

#include "controls/TextVO_impl.h"

#include <string>

namespace ControlLibrary {

class StringVO_impl final : public TextVO_impl {
public:
    StringVO_impl(Factory_impl& factory, uint32_t id);

    void Draw() override;
    void CollectDirtyRects(std::vector<Rect>& rects) override;

    void SetText(const std::string& text);
    void SetShadow(bool shadow) { shadow_ = shadow; }
    void SetShadowOffset(uint16_t dx, uint16_t dy);
    void SetShadowColour(const RGB& colour) { shadowColour_ = colour; }

private:
    void FitToFont(Size size) override;

    bool shadow_ = false;
    RGB shadowColour_{0, 0, 0};
    int32_t shadowDx_ = 0;
    int32_t shadowDy_ = 0;
};

} // namespace ControlLibrary
