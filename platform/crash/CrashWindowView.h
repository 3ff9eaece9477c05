// What the crash window shows and how it answers input, without drawing
// and without a window system: the client area of 400 x 300 with the
// heading at (8, 8, 384, 84), the report in a bordered box with a vertical
// scroll bar at (8, 92, 384, 168) and the button row at (8, 268, 384, 24)
// ("Close Now" across it, or "Send Report" on the left and "Close Now" on
// the right, each half the row less the gap). The report's lines are
// wrapped to the box as every box wraps its text (TextWrap); the box
// scrolls by the bar's arrows, its track, its thumb, the wheel and the keys
// (virtual-key codes). CrashWindowContent paints it in a window of the
// drawn-window kit and feeds it the window's input; tests drive it alone.
//
// Threads: one (the viewer's main thread).
#pragma once

#include "platform/crash/CrashWindow.h"
#include "platform/window/DrawnCanvas.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class CrashWindowPart { None, Text, LineUp, LineDown, PageUp, PageDown, Thumb, SendReport, CloseNow };

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

    static PixelArea Heading() { return {8, 8, 384, 84}; }
    static PixelArea ReportBox() { return {8, 92, 384, 168}; }
    PixelArea TextArea() const;
    PixelArea UpArrow() const;
    PixelArea DownArrow() const;
    PixelArea Track() const;
    // Empty while everything fits (the bar is then disabled).
    PixelArea Thumb() const;
    PixelArea SendReportButton() const; // empty when not offered
    PixelArea CloseNowButton() const;

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
    // The arrows, Page Up and Down, Home and End scroll; Tab moves the
    // focus; Return and Space press the focused button; Escape closes.
    std::optional<CrashWindowChoice> Key(int vk);

private:
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
