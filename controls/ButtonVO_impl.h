// A push button: four visual states (normal, hover, pressed, disabled), each
// an image or a colour fill, a centred caption and enter/down/up sounds.
#pragma once

#include "controls/ButtonFace_impl.h"

namespace ControlLibrary {

class ButtonVO_impl final : public ButtonFace_impl {
public:
    ButtonVO_impl(Factory_impl& factory, uint32_t id);

    void Draw() override;
    void DrawClipped(const std::vector<Rect>& rects) override;
    void CollectDirtyRects(std::vector<Rect>& rects) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnMouseDown(int32_t x, int32_t y, int32_t button, int32_t clicks) override;
    void OnMouseUp(int32_t x, int32_t y, int32_t button, int32_t clicks) override;

    void SetImages(const std::array<std::string, 4>& names);
    void SetTextColours(const std::array<RGB, 5>& colours);
    void SetCaption(const std::string& caption);
    void PerformClick();
};

} // namespace ControlLibrary
