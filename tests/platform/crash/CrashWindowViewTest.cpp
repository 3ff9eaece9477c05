// The crash window's layout and input, without a window: its parts stay in
// the 400 x 300 client area whatever the report, and a long report scrolls
// in its box instead of growing the window.
#include "platform/crash/CrashWindowView.h"

#include "platform/window/VirtualKeys.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using platform::CrashWindowChoice;
using platform::CrashWindowPart;
using platform::CrashWindowView;
using platform::PixelArea;

constexpr int kCharWidth = 7;
constexpr int kLineHeight = 13;

CrashWindowView ViewOf(const std::string& report, bool offerSend = false)
{
    return CrashWindowView(report, offerSend, kLineHeight,
                           [](const std::string& text) { return static_cast<int>(text.size()) * kCharWidth; });
}

// A report as long as a real one: frame lines wider than the box among
// short ones.
std::string LongReport()
{
    std::string report = "Exception: Access Violation (code 0xc0000005) at address 00005581A2C01234 in thread 2F1A\r\n";
    for (int i = 0; i < 120; ++i)
        report += "000055D0C0FFEE" + std::to_string(i) + " 00007FFD12345678 Zolt::ZoltAppBase::RunLoopStep()+1C "
                  "(pellucor+ABCDEF)\r\n\r\n";
    return report + "Modules:";
}

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

bool Inside(const PixelArea& inner, const PixelArea& outer)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

TEST(CrashWindowView, EveryPartLiesInTheClientAreaWhereTheWindowAlwaysHadIt)
{
    const PixelArea client{0, 0, CrashWindowView::kWidth, CrashWindowView::kHeight};
    for (const bool send : {false, true}) {
        const CrashWindowView view = ViewOf(LongReport(), send);
        const PixelArea box = CrashWindowView::ReportBox();
        for (const PixelArea& part : {CrashWindowView::Heading(), box, view.CloseNowButton()})
            EXPECT_TRUE(Inside(part, client));
        for (const PixelArea& part : {view.TextArea(), view.UpArrow(), view.DownArrow(), view.Track(), view.Thumb()})
            EXPECT_TRUE(Inside(part, box)) << part.x << "," << part.y << " " << part.width << "x" << part.height;
        EXPECT_LE(view.TextArea().x + view.TextArea().width, view.Track().x);
        const PixelArea close = view.CloseNowButton();
        EXPECT_EQ(close.y, 268);
        EXPECT_EQ(close.height, 24);
        if (send) {
            const PixelArea sendButton = view.SendReportButton();
            EXPECT_EQ(sendButton.x, 8);
            EXPECT_EQ(sendButton.width, close.width);
            EXPECT_EQ(close.x + close.width, 392);
            EXPECT_EQ(close.x - (sendButton.x + sendButton.width), CrashWindowView::kButtonGap);
        } else {
            EXPECT_TRUE(view.SendReportButton().Empty());
            EXPECT_EQ(close.x, 8);
            EXPECT_EQ(close.width, 384);
        }
    }
}

TEST(CrashWindowView, LongReportWrapsToTheBoxAndScrollsToItsEndByKeysWheelBarAndThumb)
{
    const std::string report = LongReport();
    CrashWindowView view = ViewOf(report);
    std::string joined;
    for (const std::string& line : view.Lines()) {
        EXPECT_LE(static_cast<int>(line.size()) * kCharWidth, view.TextArea().width) << line;
        joined += line + "\n";
    }
    EXPECT_EQ(Words(joined), Words(report)) << "wrapping lost or added text";
    EXPECT_EQ(view.VisibleLines(), view.TextArea().height / kLineHeight);
    ASSERT_TRUE(view.CanScroll());

    view.Key(platform::VK_END);
    EXPECT_EQ(view.FirstLine() + view.VisibleLines(), static_cast<int>(view.Lines().size()));
    EXPECT_EQ(view.Thumb().y + view.Thumb().height, view.Track().y + view.Track().height);
    view.Wheel(1);
    EXPECT_EQ(view.FirstLine(), view.LastFirstLine() - CrashWindowView::kWheelLines);
    view.Key(platform::VK_HOME);
    EXPECT_EQ(view.Thumb().y, view.Track().y);

    // The track below the thumb pages; the arrows step one line.
    const PixelArea track = view.Track();
    view.MouseDown(track.x + 4, track.y + track.height - 2);
    EXPECT_FALSE(view.MouseUp(track.x + 4, track.y + track.height - 2));
    EXPECT_EQ(view.FirstLine(), view.VisibleLines());
    view.MouseDown(view.UpArrow().x + 4, view.UpArrow().y + 4);
    view.MouseUp(view.UpArrow().x + 4, view.UpArrow().y + 4);
    EXPECT_EQ(view.FirstLine(), view.VisibleLines() - 1);

    // The thumb follows the pointer that drags it, to either end.
    const PixelArea thumb = view.Thumb();
    view.MouseDown(thumb.x + 4, thumb.y + 2);
    view.MouseMove(thumb.x + 4, track.y + track.height + 50);
    EXPECT_EQ(view.FirstLine(), view.LastFirstLine());
    view.MouseMove(thumb.x + 4, track.y - 50);
    EXPECT_EQ(view.FirstLine(), 0);
    view.MouseUp(thumb.x + 4, track.y);
}

TEST(CrashWindowView, ButtonsActOnlyWhenReleasedOverThemAndKeysChooseTheFocusedOne)
{
    CrashWindowView view = ViewOf("Exception: Breakpoint\r\n", true);
    EXPECT_FALSE(view.CanScroll());
    EXPECT_TRUE(view.Thumb().Empty());
    EXPECT_EQ(view.HitTest(view.DownArrow().x + 4, view.DownArrow().y + 4), CrashWindowPart::None);

    const PixelArea close = view.CloseNowButton();
    const PixelArea send = view.SendReportButton();
    view.MouseDown(close.x + 4, close.y + 4);
    EXPECT_FALSE(view.MouseUp(send.x + 4, send.y + 4)) << "released over the other button";
    view.MouseDown(send.x + 4, send.y + 4);
    EXPECT_EQ(view.MouseUp(send.x + 4, send.y + 4), CrashWindowChoice::SendReport);

    EXPECT_EQ(view.Key(platform::VK_RETURN), CrashWindowChoice::SendReport); // focus stayed on it
    view.Key(platform::VK_TAB);
    EXPECT_EQ(view.Key(platform::VK_RETURN), CrashWindowChoice::CloseNow);
    EXPECT_EQ(view.Key(platform::VK_ESCAPE), CrashWindowChoice::CloseNow);
    EXPECT_EQ(ViewOf("x").Key(platform::VK_RETURN), CrashWindowChoice::CloseNow);
}

} // namespace
