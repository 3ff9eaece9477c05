// The factory's drawing pass and the drawing helpers the objects use.
#include "controls/ControlHandles.h"
#include "controls/Factory_impl.h"
#include "controls/IBridgeToVO.h"
#include "controls/VisibleObject_impl.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Rect.h"

namespace ControlLibrary {

namespace {

Zolt::Color ToColor(const RGB& c)
{
    return Zolt::Color(c.r, c.g, c.b);
}

} // namespace

void Factory_impl::DrawAll(Zolt::Graphics* g)
{
    if (!g)
        return;
    platform::CriticalSectionLock lock(lock_);
    graphics_ = g;
    // Places left behind (by objects hidden or moved since the last pass)
    // are cleared in a full pass as well: drawing every shown object whole
    // does not cover them.
    for (size_t i = 0; i < layerCount_; ++i)
        layerTable_[i]->CollectDirtyRects(dirtyList_);
    for (const Rect& r : dirtyList_)
        FillRect(r, RGB{0, 0, 0});
    // Both requests are for one full pass: a full-repaint notice left set
    // would repaint the whole scene for every later change, however small.
    const bool fullRepaintAsked = fullRedraw_.exchange(false);
    const bool full = invalidateAll_.exchange(false) || fullRepaintAsked;
    for (size_t i = 0; i < layerCount_; ++i) {
        if (full)
            layerTable_[i]->Draw();
        else
            layerTable_[i]->DrawClipped(dirtyList_);
        layerTable_[i]->GetImpl()->ClearDirty();
    }
    dirtyList_.clear();
    DrawCursorAndToolTip();
    graphics_ = nullptr;
}

void Factory_impl::DrawCursorAndToolTip()
{
    Point mouse;
    if (!host_->GetMousePosition(mouse))
        return;
    auto* cursor = dynamic_cast<Cursor_impl*>(currentCursor_);
    if (cursor)
        cursor->Draw(mouse);
    if (auto* toolTip = dynamic_cast<ToolTip_impl*>(currentToolTip_)) {
        Size offset{16, 16};
        if (cursor)
            offset = cursor->GetCursorSize();
        toolTip->Draw(Point{mouse.x + static_cast<int32_t>(offset.w), mouse.y + static_cast<int32_t>(offset.h)});
    }
}

void Factory_impl::DrawRect(const Rect& rect, const RGB& colour)
{
    if (!graphics_)
        return;
    graphics_->SetColor(ToColor(colour));
    graphics_->OutlineRectangle(rect.x, rect.y, rect.w, rect.h);
}

void Factory_impl::FillRect(const Rect& rect, const RGB& colour)
{
    if (!graphics_)
        return;
    graphics_->SetColor(ToColor(colour));
    graphics_->FillRectangle(rect.x, rect.y, rect.w, rect.h);
}

void Factory_impl::DrawLine(Point from, Point to, const RGB& colour)
{
    if (!graphics_)
        return;
    graphics_->SetColor(ToColor(colour));
    graphics_->DrawLineSegment(from.x, from.y, to.x, to.y);
}

namespace {

// The source area: as given when both sides are set, else the whole image.
Zolt::Rect SourceOf(Zolt::Image* image, const Rect& source)
{
    if (source.w != 0 && source.h != 0)
        return Zolt::Rect(source.x, source.y, source.w, source.h);
    return Zolt::Rect(source.x, source.y, image->GetWidth(), image->GetHeight());
}

bool InsideImage(Zolt::Image* image, const Zolt::Rect& area)
{
    return area.x >= 0 && area.y >= 0 && area.width >= 0 && area.height >= 0 &&
           int64_t(area.x) + area.width <= image->GetWidth() && int64_t(area.y) + area.height <= image->GetHeight();
}

} // namespace

void Factory_impl::CheckSourceArea(int32_t handle, Zolt::Image* image, const Zolt::Rect& area)
{
    if (InsideImage(image, area))
        return;
    ReportResourceFault("Image drawn off its bounds: " + images_[static_cast<size_t>(handle)]->name + " area " +
                        std::to_string(area.x) + "," + std::to_string(area.y) + " " + std::to_string(area.width) +
                        "x" + std::to_string(area.height) + " of " + std::to_string(image->GetWidth()) + "x" +
                        std::to_string(image->GetHeight()));
}

bool Factory_impl::DrawImage(int32_t handle, const Rect& source, const Rect& destination)
{
    Zolt::Image* image = ImageAt(handle);
    if (!image)
        return false;
    if (!graphics_)
        return true;
    const Zolt::Rect src = SourceOf(image, source);
    CheckSourceArea(handle, image, src);
    Zolt::Rect dest(destination.x, destination.y, destination.w, destination.h);
    if (destination.w == 0 || destination.h == 0) {
        dest.width = source.w != 0 ? source.w : image->GetWidth();
        dest.height = source.h != 0 ? source.h : image->GetHeight();
    }
    graphics_->PaintImageStretched(image, dest, src);
    return true;
}

bool Factory_impl::DrawImageRotated(int32_t handle, const Rect& source, const Rect& destination, double angle,
                                    Point centre, Point offset)
{
    Zolt::Image* image = ImageAt(handle);
    if (!image)
        return false;
    if (!graphics_)
        return true;
    const Zolt::Rect src = SourceOf(image, source);
    CheckSourceArea(handle, image, src);
    graphics_->PaintImageRotated(image, destination.x + offset.x, destination.y + offset.y, angle, centre.x, centre.y,
                                 &src);
    return true;
}

void Factory_impl::DrawString(IFont* font, const std::string& text, Point at, const RGB& colour, uint32_t hAlign,
                              uint32_t vAlign)
{
    if (!graphics_ || !font || text.empty())
        return;
    auto* handle = dynamic_cast<Font_impl*>(font);
    if (!handle)
        return;
    Zolt::Font* zfont = FontAt(handle->GetIndex());
    if (!zfont)
        return;
    const int32_t width = static_cast<int16_t>(zfont->MeasureText(text));
    const int32_t height = static_cast<int16_t>(zfont->QueryHeight());
    if (hAlign == 1)
        at.x -= width / 2;
    else if (hAlign == 2)
        at.x -= width;
    if (vAlign == 1)
        at.y -= height / 2;
    else if (vAlign == 2)
        at.y -= height;
    graphics_->SetColor(ToColor(colour));
    graphics_->SetFont(zfont);
    graphics_->RenderText(text, at.x, at.y + height);
}

} // namespace ControlLibrary
