// What the crash window shows and how it answers input, without drawing
// and without a window system: the client area of 400 x 300 with the
// heading at (8, 8, 384, 84), the report in a bordered box with a vertical
// scroll bar at (8, 92, 384, 168) and the button row at (8, 268, 384, 24)
// ("Close Now" across it, or "Send Report" on the left and "Close Now" on
// the right, each half the row less the gap). The report's lines are
// wrapped to the box; the box scrolls by the bar's arrows, its track, its
// thumb, the wheel and the keys. DesktopCrashWindow paints it and feeds it
// the window's input; tests drive it alone.
//
// Threads: one (the viewer's main thread).
#pragma once

#include "platform/crash/CrashWindow.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct CrashWindowBox {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool Contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
    bool Empty() const { return w <= 0 || h <= 0; }
};

enum class CrashWindowPart { None, Text, LineUp, LineDown, PageUp, PageDown, Thumb, SendReport, CloseNow };

enum class CrashWindowKey { Up, Down, PageUp, PageDown, Home, End, Tab, Return, Escape };

class CrashWindowView {
public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;
    static constexpr int kBorder = 2;         // the report box's sunken edge
    static constexpr int kTextMargin = 2;     // between the edge and the text
    static constexpr int kScrollBarWidth = 16;
    static constexpr int kMinThumb = 8;
    static constexpr int kWheelLines = 3;
    static constexpr int kButtonGap = 8;

    // The width in pixels of a run of the report's text.
    using Measure = std::function<int(const std::string&)>;

    CrashWindowView(const std::string& report, bool offerSend, int lineHeight, const Measure& measure);

    static CrashWindowBox Heading() { return {8, 8, 384, 84}; }
    static CrashWindowBox ReportBox() { return {8, 92, 384, 168}; }
    CrashWindowBox TextArea() const;
    CrashWindowBox UpArrow() const;
    CrashWindowBox DownArrow() const;
    CrashWindowBox Track() const;
    // Empty while everything fits (the bar is then disabled).
    CrashWindowBox Thumb() const;
    CrashWindowBox SendReportButton() const; // empty when not offered
    CrashWindowBox CloseNowButton() const;

    // The report as the box shows it: one entry per line on screen.
    const std::vector<std::string>& Lines() const { return lines_; }
    int LineHeight() const { return lineHeight_; }
    int FirstLine() const { return first_; }
    int VisibleLines() const;
    int LastFirstLine() const;
    bool CanScroll() const { return LastFirstLine() > 0; }

    CrashWindowPart HitTest(int x, int y) const;
    // The part the mouse went down on (None when up), and the button the
    // keyboard would press.
    CrashWindowPart Pressed() const { return pressed_; }
    CrashWindowPart Focused() const { return focused_; }

    void ScrollTo(int firstLine);
    void ScrollBy(int lines) { ScrollTo(first_ + lines); }

    // Input; a choice ends the window.
    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    std::optional<CrashWindowChoice> MouseUp(int x, int y);
    // Notches away from the user (positive) scroll back toward the start.
    void Wheel(int notches) { ScrollBy(-notches * kWheelLines); }
    std::optional<CrashWindowChoice> Key(CrashWindowKey key);

private:
    void Wrap(const std::string& report, const Measure& measure);
    int ThumbHeight() const;
    int FirstLineForThumbAt(int thumbTop) const;

    bool offerSend_;
    int lineHeight_;
    std::vector<std::string> lines_;
    int first_ = 0;
    CrashWindowPart pressed_ = CrashWindowPart::None;
    CrashWindowPart focused_ = CrashWindowPart::CloseNow;
    int dragGrip_ = 0; // where in the thumb it was taken
};

} // namespace platform
