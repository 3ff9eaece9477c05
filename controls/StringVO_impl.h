// One line of text in a font, with an optional drop shadow. Its text is
// guarded by the factory lock, since timer callbacks change labels while the
// main thread draws them.
#pragma once

#include "controls/VisibleObject_impl.h"

#include <string>

namespace ControlLibrary {

class IFont;

class StringVO_impl final : public VisibleObject_impl {
public:
    StringVO_impl(Factory_impl& factory, uint32_t id);
    ~StringVO_impl() override;

    void Draw() override;
    void DrawClipped(const std::vector<Rect>& rects) override;
    void CollectDirtyRects(std::vector<Rect>& rects) override;

    void SetFont(IFont* font);
    void SetText(const std::string& text);
    void GetText(std::string& out) const;
    void SetShadow(bool shadow) { shadow_ = shadow; }
    void SetShadowOffset(uint16_t dx, uint16_t dy);
    void SetShadowColour(const RGB& colour) { shadowColour_ = colour; }

private:
    IFont* font_ = nullptr;
    bool shadow_ = false;
    std::string text_;
    RGB shadowColour_{0, 0, 0};
    int32_t shadowDx_ = 0;
    int32_t shadowDy_ = 0;
};

} // namespace ControlLibrary
