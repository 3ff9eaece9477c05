#include "controls/ButtonVO_impl.h"

#include "controls/Factory_impl.h"

namespace ControlLibrary {

ButtonVO_impl::ButtonVO_impl(Factory_impl& factory, uint32_t id) : ButtonFace_impl(factory, id)
{
    back_ = {RGB{128, 64, 0}, RGB{248, 208, 87}, RGB{252, 133, 133}, RGB{203, 203, 192}, RGB{25, 25, 250}};
    text_ = {RGB{248, 208, 87}, RGB{128, 64, 0}, RGB{25, 25, 250}, RGB{0, 0, 0}, RGB{252, 133, 133}};
}

void ButtonVO_impl::SetImages(const std::array<std::string, 4>& names)
{
    LoadImages(names);
    SetDirty();
}

void ButtonVO_impl::SetTextColours(const std::array<RGB, 5>& colours)
{
    text_ = colours;
    SetDirty();
}

void ButtonVO_impl::SetCaption(const std::string& caption)
{
    ButtonFace_impl::SetCaption(caption);
    SetDirty();
}

void ButtonVO_impl::PerformClick()
{
    const bool wasHovered = hovered_;
    hovered_ = true;
    OnMouseDown(0, 0, 0, 0);
    OnMouseUp(0, 0, 0, 0);
    hovered_ = wasHovered;
}

void ButtonVO_impl::Draw()
{
    if (!visible_)
        return;
    if (!faceHidden_) {
        int state;
        if (!enabled_)
            state = 3;
        else if (!hovered_)
            state = 0;
        else if (pressed_)
            state = 2;
        else
            state = 1;
        DrawFace(GetScreenRect(), state, back_[static_cast<size_t>(state)]);
    }
    size_t look;
    if (enabled_ && hovered_ && pressed_)
        look = 2;
    else if (enabled_ && hovered_)
        look = 1;
    else if (enabled_)
        look = 0;
    else
        look = 3;
    if (!fonts_[look] || caption_.empty())
        return;
    Point at = GetScreenCentre();
    at.x += captionOffset_.x;
    at.y += captionOffset_.y;
    factory_.DrawString(fonts_[look], caption_, at, text_[look], 1, 1);
}

void ButtonVO_impl::DrawClipped(const std::vector<Rect>&)
{
    Draw();
}

void ButtonVO_impl::CollectDirtyRects(std::vector<Rect>& rects)
{
    const Size repaint = GetRepaintSize();
    AppendRect(rects, MakeRect(screen_.x, screen_.y, repaint.w + 1, repaint.h + 1));
}

void ButtonVO_impl::OnMouseEnter()
{
    PlayOnce(sounds_.enter);
    VisibleObject_impl::OnMouseEnter();
    SetDirty();
}

void ButtonVO_impl::OnMouseLeave()
{
    VisibleObject_impl::OnMouseLeave();
    SetDirty();
}

void ButtonVO_impl::OnMouseDown(int32_t x, int32_t y, int32_t button, int32_t clicks)
{
    PlayOnce(sounds_.down);
    VisibleObject_impl::OnMouseDown(x, y, button, clicks);
    SetDirty();
}

void ButtonVO_impl::OnMouseUp(int32_t x, int32_t y, int32_t button, int32_t clicks)
{
    PlayOnce(sounds_.up);
    VisibleObject_impl::OnMouseUp(x, y, button, clicks);
    SetDirty();
}

} // namespace ControlLibrary
