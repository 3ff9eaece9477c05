#include "controls/LinkVO_impl.h"

#include "controls/Factory_impl.h"
#include "controls/IFont.h"
#include "platform/window/SystemDialogs.h"
#include "platform/window/WindowTypes.h"

namespace ControlLibrary {

LinkVO_impl::LinkVO_impl(Factory_impl& factory, uint32_t id) : TextVO_impl(factory, id) {}

void LinkVO_impl::FitToFont(Size size)
{
    SetSize(size);
}

void LinkVO_impl::SetText(const std::string& text)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    text_ = text;
    if (font_)
        SetSize(TextSize(*font_));
}

void LinkVO_impl::SetUrl(const std::string& url)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    url_ = url;
}

void LinkVO_impl::SetHoverColour(const RGB& colour)
{
    if (colour == hoverColour_)
        return;
    hoverColour_ = colour;
    SetDirty();
}

void LinkVO_impl::Draw()
{
    if (!visible_ || !font_ || text_.empty())
        return;
    factory_.DrawString(font_, text_, screen_, hovered_ ? hoverColour_ : colour_, 0, 0);
}

void LinkVO_impl::CollectDirtyRects(std::vector<Rect>& rects)
{
    const Size repaint = GetRepaintSize();
    AppendRect(rects, MakeRect(screen_.x, screen_.y, repaint.w + 1, repaint.h + 1));
}

void LinkVO_impl::OnMouseEnter()
{
    VisibleObject_impl::OnMouseEnter();
    SetDirty();
}

void LinkVO_impl::OnMouseLeave()
{
    VisibleObject_impl::OnMouseLeave();
    SetDirty();
}

void LinkVO_impl::OnMouseDown(int32_t x, int32_t y, int32_t button, int32_t clicks)
{
    VisibleObject_impl::OnMouseDown(x, y, button, clicks);
    std::string url;
    {
        platform::CriticalSectionLock lock(factory_.Lock());
        url = url_;
    }
    if (enabled_ && !url.empty())
        platform::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, platform::SW_SHOWNORMAL);
}

} // namespace ControlLibrary
