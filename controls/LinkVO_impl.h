// A one-line text that takes its hover colour under the mouse and opens its
// web address in the browser when pressed.
#pragma once

#include "controls/VisibleObject_impl.h"

#include <string>

namespace ControlLibrary {

class IFont;

class LinkVO_impl final : public VisibleObject_impl {
public:
    LinkVO_impl(Factory_impl& factory, uint32_t id);
    ~LinkVO_impl() override;

    void Draw() override;
    void DrawClipped(const std::vector<Rect>& rects) override;
    void CollectDirtyRects(std::vector<Rect>& rects) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnMouseDown(int32_t x, int32_t y, int32_t button, int32_t clicks) override;

    void SetFont(IFont* font);
    void SetText(const std::string& text);
    void GetText(std::string& out) const;
    void SetUrl(const std::string& url);
    void SetHoverColour(const RGB& colour);

private:
    IFont* font_ = nullptr;
    std::string text_;
    std::string url_;
    RGB hoverColour_{0, 0, 0};
};

} // namespace ControlLibrary
