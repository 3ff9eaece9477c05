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

#include <algorithm>
#include <cmath>

namespace ControlLibrary {

namespace {

Zolt::Color ToColor(const RGB& c)
{
    return Zolt::Color(c.r, c.g, c.b);
}

void SetFour(int32_t (&out)[4], int32_t a, int32_t b, int32_t c, int32_t d)
{
    out[0] = a;
    out[1] = b;
    out[2] = c;
    out[3] = d;
}

double FarthestCorner(int32_t width, int32_t height, Point centre)
{
    double farthest = 0;
    for (int32_t cx : {0, width}) {
        for (int32_t cy : {0, height})
            farthest = std::max(farthest, std::hypot(double(cx - centre.x), double(cy - centre.y)));
    }
    return farthest;
}

} // namespace

bool Factory_impl::RecordPass(bool everyObjectWhole)
{
    pass_.Clear();
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
        if (full || everyObjectWhole)
            layerTable_[i]->Draw();
        else
            layerTable_[i]->DrawClipped(dirtyList_);
        layerTable_[i]->GetImpl()->ClearDirty();
    }
    dirtyList_.clear();
    DrawCursorAndToolTip();
    return full;
}

void Factory_impl::DrawAll(Zolt::Graphics* g)
{
    if (!g)
        return;
    platform::CriticalSectionLock lock(lock_);
    graphics_ = g;
    RecordPass(false);
    DrawRecorded(g);
    KeepPassForComparison();
    graphics_ = nullptr;
}

bool Factory_impl::DrawChanges(Zolt::Graphics* g, std::vector<Zolt::Rect>& changed)
{
    if (!g)
        return false;
    platform::CriticalSectionLock lock(lock_);
    graphics_ = g;
    // Every object is recorded whole, so that the steps alone make the
    // picture and two passes' steps can be compared: drawn whole, an object
    // that did not change leaves the pixels it left before.
    const bool full = RecordPass(true);
    const bool compared = !full && lastPassKnown_;
    if (compared) {
        for (const Zolt::Rect& place : DrawingRecord::Differences(lastPass_, pass_)) {
            DrawRecordedInside(g, place);
            const Zolt::Rect inDestination =
                Zolt::Rect(static_cast<int32_t>(g->translateX) + place.x, static_cast<int32_t>(g->translateY) + place.y,
                           place.width, place.height)
                    .Intersection(g->GetClip());
            if (inDestination.width > 0 && inDestination.height > 0)
                changed.push_back(inDestination);
        }
    } else {
        DrawRecorded(g);
    }
    KeepPassForComparison();
    graphics_ = nullptr;
    return compared;
}

void Factory_impl::KeepPassForComparison()
{
    lastPass_.Swap(pass_);
    pass_.Clear();
    lastPassKnown_ = true;
}

void Factory_impl::DrawRecorded(Zolt::Graphics* g)
{
    graphics_ = g;
    for (const DrawingStep& step : pass_.Steps())
        DrawStep(step);
}

void Factory_impl::DrawRecordedInside(Zolt::Graphics* g, const Zolt::Rect& place)
{
    Zolt::Graphics clipped(*g);
    clipped.NarrowClip(place.x, place.y, place.width, place.height);
    graphics_ = &clipped;
    for (const DrawingStep& step : pass_.Steps()) {
        if (Overlaps(step.reach, place))
            DrawStep(step);
    }
    graphics_ = g;
}

void Factory_impl::DrawStep(const DrawingStep& step)
{
    Zolt::Graphics& g = *graphics_;
    const int32_t* d = step.destination;
    switch (step.kind) {
    case DrawingStep::Kind::Outline:
        g.SetColor(ToColor(step.colour));
        g.OutlineRectangle(d[0], d[1], d[2], d[3]);
        break;
    case DrawingStep::Kind::Fill:
        g.SetColor(ToColor(step.colour));
        g.FillRectangle(d[0], d[1], d[2], d[3]);
        break;
    case DrawingStep::Kind::Line:
        g.SetColor(ToColor(step.colour));
        g.DrawLineSegment(d[0], d[1], d[2], d[3]);
        break;
    case DrawingStep::Kind::Image: {
        const int32_t* s = step.source;
        g.PaintImageStretched(step.image, Zolt::Rect(d[0], d[1], d[2], d[3]), Zolt::Rect(s[0], s[1], s[2], s[3]));
        break;
    }
    case DrawingStep::Kind::RotatedImage: {
        const int32_t* s = step.source;
        const Zolt::Rect source(s[0], s[1], s[2], s[3]);
        g.PaintImageRotated(step.image, d[0], d[1], step.angle, step.centre.x, step.centre.y, &source);
        break;
    }
    case DrawingStep::Kind::Text:
        g.SetColor(ToColor(step.colour));
        g.SetFont(step.font);
        g.RenderText(step.text, d[0], d[1]);
        break;
    }
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
    DrawingStep step;
    step.kind = DrawingStep::Kind::Outline;
    step.colour = colour;
    SetFour(step.destination, rect.x, rect.y, rect.w, rect.h);
    // An outline covers one pixel more than its size each way.
    step.reach = Zolt::Rect(rect.x, rect.y, rect.w + 1, rect.h + 1);
    pass_.Add(std::move(step));
}

void Factory_impl::FillRect(const Rect& rect, const RGB& colour)
{
    if (!graphics_)
        return;
    DrawingStep step;
    step.kind = DrawingStep::Kind::Fill;
    step.colour = colour;
    SetFour(step.destination, rect.x, rect.y, rect.w, rect.h);
    step.reach = Zolt::Rect(rect.x, rect.y, rect.w, rect.h);
    pass_.Add(std::move(step));
}

void Factory_impl::DrawLine(Point from, Point to, const RGB& colour)
{
    if (!graphics_)
        return;
    DrawingStep step;
    step.kind = DrawingStep::Kind::Line;
    step.colour = colour;
    SetFour(step.destination, from.x, from.y, to.x, to.y);
    const int32_t left = std::min(from.x, to.x);
    const int32_t top = std::min(from.y, to.y);
    step.reach = Zolt::Rect(left - 1, top - 1, std::max(from.x, to.x) - left + 3, std::max(from.y, to.y) - top + 3);
    step.clipsExactly = false;
    pass_.Add(std::move(step));
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
    DrawingStep step;
    step.kind = DrawingStep::Kind::Image;
    step.image = image;
    step.resource = images_[static_cast<size_t>(handle)]->serial;
    SetFour(step.source, src.x, src.y, src.width, src.height);
    SetFour(step.destination, dest.x, dest.y, dest.width, dest.height);
    step.clipsExactly = dest.width == src.width && dest.height == src.height;
    // A stretched picture's filter may reach a pixel past its edges.
    const int32_t margin = step.clipsExactly ? 0 : 1;
    step.reach = Zolt::Rect(dest.x - margin, dest.y - margin, dest.width + 2 * margin, dest.height + 2 * margin);
    pass_.Add(std::move(step));
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
    DrawingStep step;
    step.kind = DrawingStep::Kind::RotatedImage;
    step.image = image;
    step.resource = images_[static_cast<size_t>(handle)]->serial;
    SetFour(step.source, src.x, src.y, src.width, src.height);
    const int32_t x = destination.x + offset.x;
    const int32_t y = destination.y + offset.y;
    SetFour(step.destination, x, y, 0, 0);
    step.angle = angle;
    step.centre = centre;
    // Turned about its centre, the picture stays inside the circle through
    // its corner farthest from that centre, whether the centre is taken
    // from the given place or the place is where the centre goes.
    const double far = FarthestCorner(src.width, src.height, centre);
    const int32_t radius = static_cast<int32_t>(std::ceil(far)) + 2;
    const Zolt::Rect aroundCentre(x + centre.x - radius, y + centre.y - radius, 2 * radius, 2 * radius);
    const Zolt::Rect aroundPlace(x - radius, y - radius, 2 * radius, 2 * radius);
    step.reach = aroundCentre.Joined(aroundPlace);
    step.clipsExactly = false;
    pass_.Add(std::move(step));
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
    // (Alignment 2 is the toolkit's contract; no text of the game is right-aligned.)
    else if (hAlign == 2)
        at.x -= width;
    if (vAlign == 1)
        at.y -= height / 2;
    else if (vAlign == 2)
        at.y -= height;
    DrawingStep step;
    step.kind = DrawingStep::Kind::Text;
    step.colour = colour;
    step.font = zfont;
    step.resource = fonts_[static_cast<size_t>(handle->GetIndex())]->serial;
    step.text = text;
    SetFour(step.destination, at.x, at.y + height, 0, 0);
    // Glyphs may lean past the measured width and hang below the line: a
    // line's height on every side holds them.
    const int32_t slack = std::max<int32_t>(height, 1);
    step.reach = Zolt::Rect(at.x - slack, at.y - slack, std::max(width, 0) + 2 * slack, 3 * slack);
    pass_.Add(std::move(step));
}

} // namespace ControlLibrary
