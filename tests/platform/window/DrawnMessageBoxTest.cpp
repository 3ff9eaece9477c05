#include "platform/window/DrawnMessageBox.h"

#include "platform/fonts/SystemFontFace.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace platform {
namespace {

std::unique_ptr<DrawnMessageBox> Box(UINT flags, const std::string& text = "Keep it?")
{
    std::unique_ptr<DrawnMessageBox> box = DrawnMessageBox::Make(text, "Question", flags);
    EXPECT_TRUE(box) << "no font to draw a box with";
    return box;
}

// The centre of a button, where a player clicks.
std::pair<int, int> Centre(const DrawnMessageBox& box, size_t button)
{
    const PixelArea a = box.ButtonArea(button);
    return {a.x + a.width / 2, a.y + a.height / 2};
}

TEST(DrawnMessageBox, KeysAnswerAsTheSystemBoxDoes)
{
    struct Case {
        UINT flags;
        std::vector<int> keys;
        std::optional<int> answer;
    };
    const Case cases[] = {
        {MB_OK, {VK_ESCAPE}, IDOK},
        {MB_OKCANCEL, {VK_RETURN}, IDOK},
        {MB_OKCANCEL, {VK_ESCAPE}, IDCANCEL},
        {MB_YESNO | MB_DEFBUTTON2, {VK_RETURN}, IDNO},
        {MB_YESNO, {VK_ESCAPE}, std::nullopt}, // a question must be answered
        {MB_YESNO, {'N'}, IDNO},
        {MB_YESNOCANCEL, {VK_TAB, VK_TAB, VK_SPACE}, IDCANCEL},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, {VK_RIGHT, VK_RETURN}, IDYES}, // the focus goes round
        {MB_ABORTRETRYIGNORE, {'I'}, IDIGNORE},
        {MB_RETRYCANCEL, {'Y', VK_ESCAPE}, IDCANCEL}, // Y is no button here
    };
    for (const Case& c : cases) {
        std::unique_ptr<DrawnMessageBox> box = Box(c.flags);
        ASSERT_TRUE(box);
        for (int key : c.keys)
            box->KeyDown(key, false);
        EXPECT_EQ(box->Answer(), c.answer) << "flags " << c.flags << ", first key " << c.keys[0];
    }
    std::unique_ptr<DrawnMessageBox> box = Box(MB_YESNO);
    box->CloseRequested();
    EXPECT_FALSE(box->Answer()) << "the close button does not answer a question";
    box->KeyDown(VK_TAB, true);
    box->KeyDown(VK_RETURN, false);
    EXPECT_EQ(box->Answer(), IDNO) << "Shift+Tab goes back, round to the last button";
}

TEST(DrawnMessageBox, AClickChoosesTheButtonPressedAndReleasedOn)
{
    std::unique_ptr<DrawnMessageBox> box = Box(MB_YESNOCANCEL);
    ASSERT_EQ(box->ButtonCount(), 3u);
    const auto [yesX, yesY] = Centre(*box, 0);
    const auto [noX, noY] = Centre(*box, 1);
    box->PointerDown(yesX, yesY);
    box->PointerUp(noX, noY);
    EXPECT_FALSE(box->Answer()) << "a press taken off its button chooses nothing";
    box->PointerDown(noX - 20, 5);
    box->PointerUp(noX - 20, 5);
    EXPECT_FALSE(box->Answer()) << "a click beside the buttons chooses nothing";
    box->PointerMove(noX, noY);
    box->PointerDown(noX, noY);
    EXPECT_EQ(box->FocusedButton(), 1u);
    box->PointerUp(noX, noY);
    EXPECT_EQ(box->Answer(), IDNO);
}

TEST(DrawnMessageBox, DrawsItsTextWrappedInsideTheBoxAndItsCaptionOnABandWhereNoFrameShowsOne)
{
    const std::string longLine(60, 'w');
    std::string text = "Some player profiles were damaged.\n" + longLine + " " + longLine + "\n";
    for (int i = 0; i < 40; ++i)
        text += "save/Player" + std::to_string(i) + "_.usr was cut short\n";
    std::unique_ptr<DrawnMessageBox> box = Box(MB_OK | MB_ICONWARNING, text);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Lines()[0], "Some player profiles were damaged.");
    EXPECT_GE(box->Lines().size(), 5u) << "a word wider than a line is broken";
    EXPECT_LE(box->Height(), 700) << "a long text is cut to fit a small screen";
    EXPECT_EQ(box->Lines().size(), 24u) << "a long text is cut to fit a small screen";
    EXPECT_EQ(box->Lines().back().back(), '\x85') << "and says so";
    EXPECT_LE(box->Width(), 600);

    const std::unique_ptr<CaptionBand> band = CaptionBand::Make("Damaged Profiles");
    ASSERT_TRUE(band);
    const DrawnWindowPicture picture(*box, band.get());
    ASSERT_EQ(picture.Height(), box->Height() + band->Height());
    const std::vector<uint32_t> pixels = picture.Pixels();
    // Dark ink on the light face in the text's rows, light ink on the dark
    // caption band, and every pixel opaque.
    auto count = [&](int top, int bottom, auto test) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < picture.Width(); ++x)
                n += test(pixels[size_t(y) * size_t(picture.Width()) + size_t(x)]);
        return n;
    };
    const auto dark = [](uint32_t p) { return (p & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60; };
    const auto light = [](uint32_t p) { return (p & 0xFF) > 0xC0 && ((p >> 16) & 0xFF) > 0xC0; };
    const auto inBand = [](uint32_t p) { return (p & 0xFFFFFF) == drawn_colour::kBand; };
    EXPECT_GT(count(1, band->Height() - 1, inBand), picture.Width() * (band->Height() - 2) * 3 / 4);
    EXPECT_GT(count(1, band->Height() - 1, light), 100) << "the caption is written on its band";
    const PixelArea ok = box->ButtonArea(0);
    const int below = band->Height();
    EXPECT_GT(count(below + 40, below + ok.y, dark), 2000);
    EXPECT_GT(count(below + ok.y + 6, below + ok.y + ok.height - 6, dark), 20) << "the button has its label";
    EXPECT_EQ(count(0, picture.Height(), [](uint32_t p) { return p >> 24 != 0xFF; }), 0);
    EXPECT_EQ(picture.ContentY(below + ok.y), ok.y) << "the pointer is read below the band";
}

TEST(DrawnMessageBox, ButtonsTooManyForOneRowStandOneAboveTheOtherInsideTheBox)
{
    std::vector<MessageBoxButton> buttons;
    for (int i = 0; i < 10; ++i)
        buttons.push_back({i, "Marker " + std::to_string(i) + " at the showdown of hand " + std::to_string(i * 7) +
                                  (i == 3 ? std::string(" and a note") + std::string(80, 'w') : "")});
    buttons.push_back({-1, "Cancel"});
    std::unique_ptr<DrawnMessageBox> box = DrawnMessageBox::MakeChoice("Marker List", "Marker List", buttons, -1);
    ASSERT_TRUE(box);
    ASSERT_EQ(box->ButtonCount(), 11u);
    for (size_t i = 0; i < box->ButtonCount(); ++i) {
        const PixelArea a = box->ButtonArea(i);
        EXPECT_GE(a.x, 16);
        EXPECT_LE(a.x + a.width + 16, box->Width()) << "a margin on either side";
        EXPECT_LE(a.y + a.height, box->Height());
        if (i > 0) {
            EXPECT_EQ(a.y, box->ButtonArea(i - 1).y + box->ButtonArea(i - 1).height + 4) << "button " << i;
        }
    }
    // A label too long for its button is cut to leave room at its ends.
    std::vector<uint32_t> pixels(size_t(box->Width()) * size_t(box->Height()), 0);
    DrawnCanvas canvas(pixels.data(), box->Width(), box->Height(), box->Width());
    box->Draw(canvas);
    const PixelArea longest = box->ButtonArea(3);
    for (int y = longest.y + 2; y < longest.y + longest.height - 2; ++y)
        for (int x : {longest.x + 2, longest.x + 5, longest.x + longest.width - 6, longest.x + longest.width - 3}) {
            ASSERT_EQ(pixels[size_t(y) * size_t(box->Width()) + size_t(x)] & 0xFFFFFF, drawn_colour::kButton) << x;
        }
    const PixelArea last = box->ButtonArea(box->ButtonCount() - 1);
    EXPECT_LE(box->Height() - (last.y + last.height), 16) << "no more than a margin below the last";
    // Two answers wider than the text keep the margin too.
    std::unique_ptr<DrawnMessageBox> row = DrawnMessageBox::MakeChoice(
        "?", "Q", {{1, "The first answer of some length"}, {2, "The second answer of some length"}}, 1);
    ASSERT_TRUE(row);
    EXPECT_LE(row->ButtonArea(1).x + row->ButtonArea(1).width + 16, row->Width());
    const std::unique_ptr<fonts::SystemFontFace> face = fonts::SystemFontFace::Open({"Tahoma", 15});
    ASSERT_TRUE(face);
    std::unique_ptr<DrawnMessageBox> pair = DrawnMessageBox::MakeChoice("?", "Q", {{1, "Keep the profile"}, {2, "No"}}, 1);
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->ButtonArea(0).width, std::max(84, face->MeasureText("Keep the profile") + 24))
        << "a label wider than the least button has 12 pixels either side";
    EXPECT_EQ(pair->ButtonArea(1).width, 84);
    EXPECT_EQ(pair->ButtonArea(1).x, pair->ButtonArea(0).x + pair->ButtonArea(0).width + 8) << "8 pixels apart";
    EXPECT_EQ(pair->ButtonArea(1).x + 84 + 16, pair->Width()) << "on the right, a margin from the edge";
    EXPECT_EQ(box->ButtonId(box->FocusedButton()), 0) << "the first entry has the focus";
    box->KeyDown('N', false);
    EXPECT_FALSE(box->Answer()) << "letters choose only the buttons of a system box";
    box->KeyDown(VK_DOWN, false);
    box->KeyDown(VK_RETURN, false);
    EXPECT_EQ(box->Answer(), 1);
    std::unique_ptr<DrawnMessageBox> closed = DrawnMessageBox::MakeChoice("Marker List", "Marker List", buttons, -1);
    closed->CloseRequested();
    EXPECT_EQ(closed->Answer(), -1);
}

TEST(DrawnMessageBox, ThePointerRedrawsOnlyAsItCrossesAButtonAndEachIconWearsItsColour)
{
    std::unique_ptr<DrawnMessageBox> box = Box(MB_OKCANCEL | MB_ICONERROR);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->ButtonArea(0).height, 28);
    const auto [x, y] = Centre(*box, 0);
    box->TakeRedraw();
    box->PointerMove(x, y);
    EXPECT_TRUE(box->TakeRedraw()) << "onto the button";
    box->PointerMove(x + 1, y);
    EXPECT_FALSE(box->TakeRedraw()) << "about on the same button";
    box->PointerMove(2, 2);
    EXPECT_TRUE(box->TakeRedraw()) << "off it";
    box->KeyDown(VK_TAB, false);
    EXPECT_TRUE(box->TakeRedraw()) << "the focus moved";

    // The icon's disc in the colour of its kind, its mark in the middle of
    // it and the text beside it; without an icon the text starts at the
    // margin.
    struct Icon {
        UINT flags;
        uint32_t disc, mark;
    };
    const Icon icons[] = {{MB_ICONERROR, 0xC62828, 0xFFFFFF},
                          {MB_ICONWARNING, 0xE6A100, 0x1E1E1E},
                          {MB_ICONQUESTION, 0x2F6FD0, 0xFFFFFF},
                          {0, 0, 0}};
    for (const Icon& icon : icons) {
        std::unique_ptr<DrawnMessageBox> shown = Box(MB_OK | icon.flags);
        ASSERT_TRUE(shown);
        const int width = shown->Width();
        std::vector<uint32_t> pixels(size_t(width) * size_t(shown->Height()), 0);
        DrawnCanvas canvas(pixels.data(), width, shown->Height(), width);
        shown->Draw(canvas);
        // Where the mark's ink lies, left of where the text of a box with an
        // icon starts (16 + 32 + 14).
        int left = width, right = -1, top = shown->Height(), bottom = -1;
        for (int y = 0; y < shown->ButtonArea(0).y; ++y)
            for (int x = 0; x < 62; ++x)
                if (const uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
                    icon.disc ? p == (0xFF000000u | icon.mark) : (p & 0xFF) < 0x80) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        ASSERT_GE(right, 0) << std::hex << icon.mark;
        if (!icon.disc) {
            EXPECT_LT(left, 20) << "no icon: the text at the margin";
            continue;
        }
        EXPECT_GT(std::count(pixels.begin(), pixels.end(), 0xFF000000u | icon.disc), 300) << std::hex << icon.disc;
        EXPECT_GE(left, 16 + 4);
        EXPECT_LE(right, 16 + 32 - 4);
        EXPECT_GE(top, 16 + 4);
        EXPECT_LE(bottom, 16 + 32 - 4);
        EXPECT_LE(std::abs((left + right) - 2 * 32), 4) << "the mark in the middle of its disc, " << std::hex << icon.mark;
    }

    // The focused button wears a frame two pixels wide, the others one.
    std::vector<uint32_t> pixels(size_t(box->Width()) * size_t(box->Height()), 0);
    DrawnCanvas canvas(pixels.data(), box->Width(), box->Height(), box->Width());
    box->Draw(canvas);
    auto at = [&](int x, int y) { return pixels[size_t(y) * size_t(box->Width()) + size_t(x)] & 0xFFFFFF; };
    const PixelArea focused = box->ButtonArea(box->FocusedButton());
    const PixelArea other = box->ButtonArea(1 - box->FocusedButton());
    EXPECT_EQ(at(focused.x + 1, focused.y + focused.height / 2), drawn_colour::kFocusEdge);
    EXPECT_NE(at(focused.x + 2, focused.y + focused.height / 2), drawn_colour::kFocusEdge);
    EXPECT_EQ(at(other.x, other.y + other.height / 2), drawn_colour::kButtonEdge);
    EXPECT_EQ(at(other.x + 1, other.y + other.height / 2), drawn_colour::kButton);
}

} // namespace
} // namespace platform
