#include "controls/StringVO_impl.h"

#include "controls/Factory_impl.h"
#include "controls/IFont.h"

namespace ControlLibrary {

StringVO_impl::StringVO_impl(Factory_impl& factory, uint32_t id) : TextVO_impl(factory, id) {}

void StringVO_impl::FitToFont(Size size)
{
    ResizeForced(size);
}

void StringVO_impl::SetText(const std::string& text)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    text_ = text;
    if (!font_)
        return;
    const uint16_t w = static_cast<uint16_t>(font_->GetStringWidth(text_) + 2);
    const uint16_t h = static_cast<uint16_t>(font_->GetHeight() + 4);
    ResizeForced(Size{w, h});
    SetDirty();
}

void StringVO_impl::SetShadowOffset(uint16_t dx, uint16_t dy)
{
    shadowDx_ = dx;
    shadowDy_ = dy;
}

void StringVO_impl::Draw()
{
    if (!visible_ || !font_ || text_.empty())
        return;
    if (shadow_)
        factory_.DrawString(font_, text_, Point{screen_.x + shadowDx_, screen_.y + shadowDy_}, shadowColour_, 0, 0);
    factory_.DrawString(font_, text_, screen_, colour_, 0, 0);
}

void StringVO_impl::CollectDirtyRects(std::vector<Rect>& rects)
{
    const Size repaint = GetRepaintSize();
    for (OldPlace& old : oldPlaces_) {
        if (!old.valid)
            continue;
        Rect r = MakeRect(old.x, old.y, repaint.w, repaint.h);
        AlignAndClip(r, hAlign_, vAlign_);
        r.w = static_cast<int16_t>(r.w + 1);
        r.h = static_cast<int16_t>(r.h + 1);
        AppendRect(rects, r);
        old.valid = false;
    }
    Rect current = MakeRect(position_.x, position_.y, repaint.w + 1, repaint.h + 1);
    AlignAndClip(current, hAlign_, vAlign_);
    if (parent_) {
        const Rect parentRect = parent_->GetScreenRect();
        current.x += parentRect.x;
        current.y += parentRect.y;
        current.w = static_cast<int16_t>(current.w + 1);
        current.h = static_cast<int16_t>(current.h + 1);
    }
    AppendRect(rects, current);
}

} // namespace ControlLibrary
