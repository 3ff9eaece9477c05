#include "platform/crash/CrashWindowView.h"

#include <algorithm>

namespace platform {

namespace {

// The longest start of `line` that fits `width`; at least one character, so
// that a box narrower than a character still moves on.
size_t FittingLength(const std::string& line, int width, const CrashWindowView::Measure& measure)
{
    size_t lo = 1, hi = line.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo + 1) / 2;
        if (measure(line.substr(0, mid)) <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

std::string ExpandTabs(const std::string& line)
{
    std::string out;
    for (char c : line) {
        if (c == '\t')
            out.append(8 - out.size() % 8, ' ');
        else
            out += c;
    }
    return out;
}

} // namespace

CrashWindowView::CrashWindowView(const std::string& report, bool offerSend, int lineHeight, const Measure& measure)
    : offerSend_(offerSend), lineHeight_(std::max(1, lineHeight))
{
    Wrap(report, measure);
}

// As a multi-line edit box without a horizontal bar: a line too long for the
// box breaks after its last blank that fits, or where it must.
void CrashWindowView::Wrap(const std::string& report, const Measure& measure)
{
    const int width = TextArea().w;
    size_t start = 0;
    while (start <= report.size()) {
        size_t end = report.find('\n', start);
        if (end == std::string::npos)
            end = report.size();
        std::string line = report.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        line = ExpandTabs(line);
        bool broken = false;
        while (!line.empty() && measure(line) > width) {
            size_t cut = FittingLength(line, width, measure);
            const size_t blank = line.rfind(' ', cut);
            if (blank != std::string::npos && blank > 0 && blank <= cut)
                cut = blank + 1;
            lines_.push_back(line.substr(0, cut));
            line.erase(0, cut);
            broken = true;
        }
        if (!line.empty() || !broken)
            lines_.push_back(line);
        if (end == report.size())
            break;
        start = end + 1;
    }
}

CrashWindowBox CrashWindowView::TextArea() const
{
    const CrashWindowBox box = ReportBox();
    const int inset = kBorder + kTextMargin;
    return {box.x + inset, box.y + inset, box.w - 2 * inset - kScrollBarWidth, box.h - 2 * inset};
}

CrashWindowBox CrashWindowView::UpArrow() const
{
    const CrashWindowBox box = ReportBox();
    return {box.x + box.w - kBorder - kScrollBarWidth, box.y + kBorder, kScrollBarWidth, kScrollBarWidth};
}

CrashWindowBox CrashWindowView::DownArrow() const
{
    const CrashWindowBox box = ReportBox();
    return {box.x + box.w - kBorder - kScrollBarWidth, box.y + box.h - kBorder - kScrollBarWidth, kScrollBarWidth,
            kScrollBarWidth};
}

CrashWindowBox CrashWindowView::Track() const
{
    const CrashWindowBox up = UpArrow();
    const CrashWindowBox down = DownArrow();
    return {up.x, up.y + up.h, up.w, down.y - (up.y + up.h)};
}

int CrashWindowView::VisibleLines() const { return std::max(1, TextArea().h / lineHeight_); }

int CrashWindowView::LastFirstLine() const { return std::max(0, static_cast<int>(lines_.size()) - VisibleLines()); }

int CrashWindowView::ThumbHeight() const
{
    const int track = Track().h;
    const int total = static_cast<int>(lines_.size());
    return std::min(track, std::max(kMinThumb, total > 0 ? track * VisibleLines() / total : track));
}

CrashWindowBox CrashWindowView::Thumb() const
{
    if (!CanScroll())
        return {};
    const CrashWindowBox track = Track();
    const int height = ThumbHeight();
    const int top = track.y + (track.h - height) * first_ / LastFirstLine();
    return {track.x, top, track.w, height};
}

int CrashWindowView::FirstLineForThumbAt(int thumbTop) const
{
    const CrashWindowBox track = Track();
    const int room = track.h - ThumbHeight();
    if (room <= 0)
        return 0;
    // To the nearest line, so that the thumb stays under the pointer.
    return ((thumbTop - track.y) * LastFirstLine() * 2 + room) / (2 * room);
}

CrashWindowBox CrashWindowView::SendReportButton() const
{
    if (!offerSend_)
        return {};
    return {8, 268, (384 - kButtonGap) / 2, 24};
}

CrashWindowBox CrashWindowView::CloseNowButton() const
{
    if (!offerSend_)
        return {8, 268, 384, 24};
    const int half = (384 - kButtonGap) / 2;
    return {8 + 384 - half, 268, half, 24};
}

CrashWindowPart CrashWindowView::HitTest(int x, int y) const
{
    if (CloseNowButton().Contains(x, y))
        return CrashWindowPart::CloseNow;
    if (SendReportButton().Contains(x, y))
        return CrashWindowPart::SendReport;
    if (TextArea().Contains(x, y))
        return CrashWindowPart::Text;
    if (!CanScroll())
        return CrashWindowPart::None; // a disabled bar answers nothing
    if (UpArrow().Contains(x, y))
        return CrashWindowPart::LineUp;
    if (DownArrow().Contains(x, y))
        return CrashWindowPart::LineDown;
    const CrashWindowBox thumb = Thumb();
    if (thumb.Contains(x, y))
        return CrashWindowPart::Thumb;
    if (Track().Contains(x, y))
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

std::optional<CrashWindowChoice> CrashWindowView::Key(CrashWindowKey key)
{
    switch (key) {
    case CrashWindowKey::Up: ScrollBy(-1); break;
    case CrashWindowKey::Down: ScrollBy(1); break;
    case CrashWindowKey::PageUp: ScrollBy(-VisibleLines()); break;
    case CrashWindowKey::PageDown: ScrollBy(VisibleLines()); break;
    case CrashWindowKey::Home: ScrollTo(0); break;
    case CrashWindowKey::End: ScrollTo(LastFirstLine()); break;
    case CrashWindowKey::Tab:
        if (offerSend_)
            focused_ = focused_ == CrashWindowPart::CloseNow ? CrashWindowPart::SendReport : CrashWindowPart::CloseNow;
        break;
    case CrashWindowKey::Return:
        return focused_ == CrashWindowPart::SendReport ? CrashWindowChoice::SendReport : CrashWindowChoice::CloseNow;
    case CrashWindowKey::Escape: return CrashWindowChoice::CloseNow;
    }
    return std::nullopt;
}

} // namespace platform
