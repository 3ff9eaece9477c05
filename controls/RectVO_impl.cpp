#include "controls/RectVO_impl.h"

#include "controls/Factory_impl.h"

namespace ControlLibrary {

RectVO_impl::RectVO_impl(Factory_impl& factory, uint32_t id) : VisibleObject_impl(factory, id)
{
    size_ = Size{20, 20};
    colour_ = RGB{255, 255, 255};
}

void RectVO_impl::SetStyle(uint32_t style)
{
    if (style == style_)
        return;
    style_ = style;
    SetDirty();
}

void RectVO_impl::Draw()
{
    if (!visible_)
        return;
    if (style_ == 0)
        factory_.DrawRect(GetScreenRect(), colour_);
    else if (style_ == 1)
        factory_.FillRect(GetScreenRect(), colour_);
}

void RectVO_impl::DrawClipped(const std::vector<Rect>&)
{
    Draw();
}

} // namespace ControlLibrary
