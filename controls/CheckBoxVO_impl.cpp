#include "controls/CheckBoxVO_impl.h"

#include "controls/Factory_impl.h"

namespace ControlLibrary {

CheckBoxVO_impl::CheckBoxVO_impl(Factory_impl& factory, uint32_t id) : ButtonFace_impl(factory, id)
{
    back_ = {RGB{255, 255, 255}, RGB{252, 133, 133}, RGB{248, 208, 87}, RGB{203, 203, 192}, RGB{25, 25, 250}};
    text_ = {RGB{248, 208, 87}, RGB{25, 25, 250}, RGB{128, 64, 0}, RGB{0, 0, 0}, RGB{252, 133, 133}};
}

void CheckBoxVO_impl::SetBoxSize(uint32_t w, uint32_t h)
{
    boxW_ = static_cast<uint16_t>(w);
    boxH_ = static_cast<uint16_t>(h);
}

void CheckBoxVO_impl::SetChecked(bool checked)
{
    if (checked == checked_)
        return;
    checked_ = checked;
    SetDirty();
}

void CheckBoxVO_impl::PerformClick()
{
    OnMouseDown(0, 0, 0, 0);
    OnMouseUp(0, 0, 0, 0);
}

void CheckBoxVO_impl::Draw()
{
    if (!visible_)
        return;
    if (!faceHidden_) {
        const Rect box = MakeRect(screen_.x, screen_.y, boxW_, boxH_);
        if (enabled_ && checked_)
            DrawFace(box, 0, back_[0]);
        else if (enabled_)
            DrawFace(box, 1, back_[1]);
        else if (checked_)
            DrawFace(box, 2, back_[3]);
        else
            DrawFace(box, 3, back_[3]);
    }
    size_t look;
    if (enabled_ && hovered_)
        look = 2;
    else if (enabled_ && checked_)
        look = 0;
    else if (enabled_)
        look = 1;
    else
        look = 3;
    if (!fonts_[look] || caption_.empty())
        return;
    const Point at{screen_.x + (faceHidden_ ? 0 : static_cast<int32_t>(boxW_)) + 4 + captionOffset_.x,
                   screen_.y + static_cast<int32_t>(size_.h / 2) + captionOffset_.y};
    factory_.DrawString(fonts_[look], caption_, at, text_[look], 0, 1);
}

void CheckBoxVO_impl::DrawClipped(const std::vector<Rect>&)
{
    Draw();
}

void CheckBoxVO_impl::OnMouseEnter()
{
    PlayOnce(sounds_.enter);
    VisibleObject_impl::OnMouseEnter();
}

void CheckBoxVO_impl::OnMouseDown(int32_t x, int32_t y, int32_t button, int32_t clicks)
{
    PlayOnce(sounds_.down);
    // A disabled box (one behind a modal dialog, say) keeps its state.
    if (enabled_)
        SetChecked(!checked_);
    VisibleObject_impl::OnMouseDown(x, y, button, clicks);
}

void CheckBoxVO_impl::OnMouseUp(int32_t x, int32_t y, int32_t button, int32_t clicks)
{
    PlayOnce(sounds_.up);
    VisibleObject_impl::OnMouseUp(x, y, button, clicks);
}

} // namespace ControlLibrary
