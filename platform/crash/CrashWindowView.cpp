#include "platform/crash/CrashWindowView.h"

#include "platform/window/TextWrap.h"
#include "platform/window/VirtualKeys.h"

#include <algorithm>

namespace platform {

CrashWindowView::CrashWindowView(const std::string& report, bool offerSend, int lineHeight, const Measure& measure)
    : offerSend_(offerSend), lineHeight_(std::max(1, lineHeight))
{
    // As a multi-line edit box without a horizontal bar.
    WrapRule rule;
    rule.width = TextArea().width;
    rule.measure = measure;
    lines_ = WrapText(report, rule);
}

PixelArea CrashWindowView::TextArea() const
{
    const PixelArea box = ReportBox();
    const int inset = kBorder + kTextMargin;
    return {box.x + inset, box.y + inset, box.width - 2 * inset - kScrollBarWidth, box.height - 2 * inset};
}

PixelArea CrashWindowView::UpArrow() const
{
    const PixelArea box = ReportBox();
    return {box.x + box.width - kBorder - kScrollBarWidth, box.y + kBorder, kScrollBarWidth, kScrollBarWidth};
}

PixelArea CrashWindowView::DownArrow() const
{
    const PixelArea box = ReportBox();
    return {box.x + box.width - kBorder - kScrollBarWidth, box.y + box.height - kBorder - kScrollBarWidth, kScrollBarWidth,
            kScrollBarWidth};
}

PixelArea CrashWindowView::Track() const
{
    const PixelArea up = UpArrow();
    const PixelArea down = DownArrow();
    return {up.x, up.y + up.height, up.width, down.y - (up.y + up.height)};
}

int CrashWindowView::VisibleLines() const { return std::max(1, TextArea().height / lineHeight_); }

int CrashWindowView::LastFirstLine() const { return std::max(0, static_cast<int>(lines_.size()) - VisibleLines()); }

int CrashWindowView::ThumbHeight() const
{
    const int track = Track().height;
    const int total = static_cast<int>(lines_.size());
    return std::min(track, std::max(kMinThumb, total > 0 ? track * VisibleLines() / total : track));
}

PixelArea CrashWindowView::Thumb() const
{
    if (!CanScroll())
        return {};
    const PixelArea track = Track();
    const int height = ThumbHeight();
    const int top = track.y + (track.height - height) * first_ / LastFirstLine();
    return {track.x, top, track.width, height};
}

int CrashWindowView::FirstLineForThumbAt(int thumbTop) const
{
    const PixelArea track = Track();
    const int room = track.height - ThumbHeight();
    if (room <= 0)
        return 0;
    // To the nearest line, so that the thumb stays under the pointer.
    return ((thumbTop - track.y) * LastFirstLine() * 2 + room) / (2 * room);
}

PixelArea CrashWindowView::SendReportButton() const
{
    if (!offerSend_)
        return {};
    return {8, 268, (384 - kButtonGap) / 2, 24};
}

PixelArea CrashWindowView::CloseNowButton() const
{
    if (!offerSend_)
        return {8, 268, 384, 24};
    const int half = (384 - kButtonGap) / 2;
    return {8 + 384 - half, 268, half, 24};
}

CrashWindowPart CrashWindowView::HitTest(int x, int y) const
{
    if (CloseNowButton().Holds(x, y))
        return CrashWindowPart::CloseNow;
    if (SendReportButton().Holds(x, y))
        return CrashWindowPart::SendReport;
    if (TextArea().Holds(x, y))
        return CrashWindowPart::Text;
    if (!CanScroll())
        return CrashWindowPart::None; // a disabled bar answers nothing
    if (UpArrow().Holds(x, y))
        return CrashWindowPart::LineUp;
    if (DownArrow().Holds(x, y))
        return CrashWindowPart::LineDown;
    const PixelArea thumb = Thumb();
    if (thumb.Holds(x, y))
        return CrashWindowPart::Thumb;
    if (Track().Holds(x, y))
        return y < thumb.y ? CrashWindowPart::PageUp : CrashWindowPart::PageDown;
    return CrashWindowPart::None;
}

void CrashWindowView::ScrollTo(int firstLine) { first_ = std::clamp(firstLine, 0, LastFirstLine()); }

void CrashWindowView::MouseDown(int x, int y)
{
    pressed_ = HitTest(x, y);
    switch (pressed_) {
    case CrashWindowPart::LineUp: ScrollBy(-1); break;
    case CrashWindowPart::LineDown: ScrollBy(1); break;
    case CrashWindowPart::PageUp: ScrollBy(-VisibleLines()); break;
    case CrashWindowPart::PageDown: ScrollBy(VisibleLines()); break;
    case CrashWindowPart::Thumb: dragGrip_ = y - Thumb().y; break;
    case CrashWindowPart::SendReport:
    case CrashWindowPart::CloseNow: focused_ = pressed_; break;
    default: break;
    }
}

void CrashWindowView::MouseMove(int, int y)
{
    if (pressed_ == CrashWindowPart::Thumb)
        ScrollTo(FirstLineForThumbAt(y - dragGrip_));
}

std::optional<CrashWindowChoice> CrashWindowView::MouseUp(int x, int y)
{
    const CrashWindowPart pressed = pressed_;
    pressed_ = CrashWindowPart::None;
    // A button acts when the mouse comes up over the one it went down on.
    if (HitTest(x, y) != pressed)
        return std::nullopt;
    if (pressed == CrashWindowPart::CloseNow)
        return CrashWindowChoice::CloseNow;
    if (pressed == CrashWindowPart::SendReport)
        return CrashWindowChoice::SendReport;
    return std::nullopt;
}

std::optional<CrashWindowChoice> CrashWindowView::Key(int vk)
{
    switch (vk) {
    case VK_UP: ScrollBy(-1); break;
    case VK_DOWN: ScrollBy(1); break;
    case VK_PRIOR: ScrollBy(-VisibleLines()); break;
    case VK_NEXT: ScrollBy(VisibleLines()); break;
    case VK_HOME: ScrollTo(0); break;
    case VK_END: ScrollTo(LastFirstLine()); break;
    case VK_TAB:
        if (offerSend_)
            focused_ = focused_ == CrashWindowPart::CloseNow ? CrashWindowPart::SendReport : CrashWindowPart::CloseNow;
        break;
    case VK_RETURN:
    case VK_SPACE:
        return focused_ == CrashWindowPart::SendReport ? CrashWindowChoice::SendReport : CrashWindowChoice::CloseNow;
    case VK_ESCAPE: return CrashWindowChoice::CloseNow;
    default: break;
    }
    return std::nullopt;
}

} // namespace platform
