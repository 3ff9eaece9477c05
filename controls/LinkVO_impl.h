// A one-line text that takes its hover colour under the mouse and opens its
// web address in the browser when pressed.
#pragma once

#include "controls/TextVO_impl.h"

#include <string>

namespace ControlLibrary {

class LinkVO_impl final : public TextVO_impl {
public:
    LinkVO_impl(Factory_impl& factory, uint32_t id);

    void Draw() override;
    void CollectDirtyRects(std::vector<Rect>& rects) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnMouseDown(int32_t x, int32_t y, int32_t button, int32_t clicks) override;

    void SetText(const std::string& text);
    void SetUrl(const std::string& url);
    void SetHoverColour(const RGB& colour);
    RGB GetHoverColour() const { return hoverColour_; }

private:
    void FitToFont(Size size) override;

    std::string url_;
    RGB hoverColour_{0, 0, 0};
};

} // namespace ControlLibrary
