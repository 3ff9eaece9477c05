// A two-state box with a caption to its right; a press toggles it.
#pragma once

#include "controls/ButtonFace_impl.h"

namespace ControlLibrary {

class CheckBoxVO_impl final : public ButtonFace_impl {
public:
    CheckBoxVO_impl(Factory_impl& factory, uint32_t id);

    void Draw() override;
    void DrawClipped(const std::vector<Rect>& rects) override;
    void OnMouseEnter() override;
    void OnMouseDown(int32_t x, int32_t y, int32_t button, int32_t clicks) override;
    void OnMouseUp(int32_t x, int32_t y, int32_t button, int32_t clicks) override;

    void SetImages(const std::array<std::string, 4>& names) { LoadImages(names); }
    void SetTextColours(const std::array<RGB, 5>& colours) { text_ = colours; }
    void SetBoxSize(uint32_t w, uint32_t h);
    void PerformClick();
    void SetChecked(bool checked);
    bool IsChecked() const { return checked_; }

private:
    uint32_t boxW_ = 20;
    uint32_t boxH_ = 20;
    bool checked_ = false;
};

} // namespace ControlLibrary
