// The simple kinds: image, text, link, rectangle, button and check box.
#include "controls/BaseVO_bridge.h"
#include "controls/Factory_impl.h"
#include "controls/IDialogVO.h"
#include "controls/KeybdSysMessageObserver.h"
#include "controls/MouseMessageObserver.h"
#include "platform/window/WindowTesting.h"
#include "tests/support/ControlTestHost.h"

#include <gtest/gtest.h>

using namespace ControlLibrary;
using testing_support::ControlScene;
using testing_support::kFontAdvance;
using testing_support::kFontHeight;
using testing_support::Opaque;

namespace {

struct Clicks : MouseMessageObserver {
    void OnMouseDown(uint32_t, int32_t) override { ++downs; }
    void OnMouseUp(uint32_t, int32_t) override { ++ups; }
    int downs = 0;
    int ups = 0;
};

} // namespace

TEST(Kinds, TextSizesToItsFontWithAMarginOnlyAfterATextChange)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IStringVO* label = f.CreateStringVO();
    label->SetText("abcd");
    EXPECT_EQ(label->GetSize(), (Size{0, 0}));
    label->SetFont(scene.Font());
    EXPECT_EQ(label->GetSize(), (Size{4u * kFontAdvance, kFontHeight}));
    label->SetText("abc");
    EXPECT_EQ(label->GetSize(), (Size{3u * kFontAdvance + 2, kFontHeight + 4}));
    std::string text;
    label->GetText(text);
    EXPECT_EQ(text, "abc");
    f.ReleaseVO(label);
}

TEST(Kinds, RotatedImageIgnoresItsSourceRectangle)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    scene.Host().AddImage("images/arrow.png", 10, 10, 0xFF00FF00);
    IImageVO* arrow = f.CreateImageVO();
    ASSERT_TRUE(arrow->SetImage("images/arrow.png", true));
    arrow->SetSourceRect(Rect{0, 0, 2, 2});
    arrow->SetPosition(40, 40);
    arrow->SetRotation(3.14159265358979, Point{5, 5});
    arrow->SetVisible(true);
    scene.Draw();
    int lit = 0;
    for (int y = 20; y < 70; ++y)
        for (int x = 20; x < 70; ++x)
            lit += (scene.Pixel(x, y) & 0x0000FF00u) > 0x00008000u;
    EXPECT_GT(lit, 60) << "the whole 10 x 10 picture is drawn, not the 2 x 2 source";
    f.ReleaseVO(arrow);

    // A full turn of a picture wider than tall, or taller than wide, covers
    // what it covers unturned.
    scene.Host().AddImage("images/wide.png", 30, 10, 0xFF00FF00);
    scene.Host().AddImage("images/tall.png", 10, 30, 0xFF00FF00);
    for (const bool wide : {true, false}) {
        IImageVO* bar = f.CreateImageVO();
        ASSERT_TRUE(bar->SetImage(wide ? "images/wide.png" : "images/tall.png", true));
        bar->SetPosition(100, 40);
        bar->SetRotation(2 * 3.14159265358979, wide ? Point{15, 5} : Point{5, 15});
        bar->SetVisible(true);
        scene.Paint(Opaque(0, 0, 0));
        f.InvalidateAll();
        scene.Draw();
        // Green, not the white an undrawn picture's fill would give.
        EXPECT_EQ(scene.Pixel(wide ? 127 : 105, wide ? 45 : 67) & 0xFFFF00FFu, 0xFF000000u) << wide;
        EXPECT_GT(scene.Pixel(wide ? 127 : 105, wide ? 45 : 67) & 0x0000FF00u, 0x0000F000u) << wide;
        EXPECT_EQ(scene.Pixel(wide ? 105 : 127, wide ? 67 : 45), Opaque(0, 0, 0)) << wide;
        f.ReleaseVO(bar);
    }
}

TEST(Kinds, LinkOpensItsAddressOnlyWhenEnabledAndSet)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    ILinkVO* link = f.CreateLinkVO();
    link->SetFont(scene.Font());
    link->SetText("home");
    EXPECT_EQ(link->GetSize(), (Size{4u * kFontAdvance, kFontHeight}));
    link->SetVisible(true);
    const size_t before = platform::testing::OpenedUrls().size();
    f.DispatchMouseMove(2, 2);
    f.DispatchMouseDown(2, 2, 1, 1);
    link->SetUrl("http://example.com/");
    link->SetEnabled(false);
    f.DispatchMouseDown(2, 2, 1, 1);
    EXPECT_EQ(platform::testing::OpenedUrls().size(), before);
    link->SetEnabled(true);
    f.DispatchMouseDown(2, 2, 1, 1);
    ASSERT_EQ(platform::testing::OpenedUrls().size(), before + 1);
    EXPECT_EQ(platform::testing::OpenedUrls().back(), "http://example.com/");

    link->SetHoverColour(RGB{255, 0, 0});
    link->SetColour(RGB{0, 0, 255});
    scene.Draw();
    EXPECT_EQ(scene.Pixel(1, 3), Opaque(255, 0, 0)) << "hovered links take the hover colour";
    f.DispatchMouseMove(100, 100);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(1, 3), Opaque(0, 0, 255)) << "and give it up when the pointer leaves";
    f.ReleaseVO(link);
}

TEST(Kinds, RectangleStylesOutlineFillOrNothing)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IRectVO* r = f.CreateRectVO();
    r->SetPosition(10, 10);
    r->SetVisible(true);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(10, 10), Opaque(255, 255, 255));
    EXPECT_EQ(scene.Pixel(30, 30), Opaque(255, 255, 255)) << "an outline covers w + 1 by h + 1";
    EXPECT_EQ(scene.Pixel(20, 20), Opaque(0, 0, 0));
    scene.Draw(); // repaints the place it left at creation
    r->SetStyle(2);
    scene.Paint(Opaque(0, 0, 255));
    scene.Draw();
    EXPECT_EQ(scene.Pixel(20, 20), Opaque(0, 0, 0)) << "its area is cleared, nothing drawn";
    EXPECT_EQ(scene.Pixel(10, 10), Opaque(0, 0, 0));
    f.ReleaseVO(r);
}

TEST(Kinds, ButtonWithOnlyANormalImageShowsItInEveryState)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    scene.Host().AddImage("images/button.png", 30, 10, 0xFF00FF00);
    IButtonVO* button = f.CreateButtonVO();
    button->SetImages({"images/button.png", "", "", ""});
    EXPECT_EQ(f.GetImageRefCount(0), 4);
    button->SetSize(30, 10);
    button->SetVisible(true);
    button->SetEnabled(false);
    scene.Draw();
    EXPECT_GT(scene.Pixel(5, 5) & 0x0000FF00u, 0x0000F000u);
    f.ReleaseVO(button);
    EXPECT_EQ(f.GetImageRefCount(0), 0);
}

TEST(Kinds, ButtonFacesAndCaptionFollowTheStateWithTheFirstFontEverywhere)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IButtonVO* button = f.CreateButtonVO();
    button->SetSize(40, 20);
    button->SetFonts({scene.Font(), nullptr, nullptr, nullptr});
    button->SetCaption("OK");
    button->SetVisible(true);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(1, 1), Opaque(128, 64, 0));
    // Caption centred: 12 wide at x 14..25, block rows 6..13 of the line 5..15.
    EXPECT_EQ(scene.Pixel(14, 8), Opaque(248, 208, 87));
    f.DispatchMouseMove(1, 1);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(1, 1), Opaque(248, 208, 87));
    EXPECT_EQ(scene.Pixel(14, 8), Opaque(128, 64, 0));
    f.DispatchMouseDown(1, 1, 1, 1);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(1, 1), Opaque(252, 133, 133));
    EXPECT_EQ(scene.Pixel(14, 8), Opaque(25, 25, 250));
    f.DispatchMouseUp(1, 1, 0, 1);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(1, 1), Opaque(248, 208, 87)) << "released, still under the pointer";
    f.DispatchMouseMove(60, 60);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(1, 1), Opaque(128, 64, 0)) << "left";
    EXPECT_EQ(scene.Pixel(14, 8), Opaque(248, 208, 87)) << "the caption as before the pointer came";

    // Right-aligned in a dialog: the caption is centred where the button is.
    IDialogVO* dialog = f.CreateDialogVO();
    dialog->SetPosition(100, 50);
    dialog->SetSize(100, 60);
    dialog->AddChild(button);
    button->SetVisible(false);
    button->SetAlignment(2, 0);
    button->SetPosition(60, 30); // on screen 120..159, 80..99
    dialog->SetVisible(true);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(134, 88), Opaque(248, 208, 87));
    EXPECT_EQ(scene.Pixel(133, 88), Opaque(128, 64, 0));
    f.ReleaseVO(button);
    f.ReleaseVO(dialog);
}

TEST(Kinds, PerformClickReachesButtonObserversWhereverTheMouseIs)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    Clicks clicks;
    IButtonVO* button = f.CreateButtonVO();
    button->AddMouseObserver(&clicks);
    button->SetVisible(true);
    button->PerformClick();
    EXPECT_EQ(clicks.downs, 1);
    EXPECT_EQ(clicks.ups, 1);
    EXPECT_EQ(f.GetFocusedId(), button->GetId()) << "the press takes the focus";

    Clicks boxClicks;
    ICheckBoxVO* box = f.CreateCheckBoxVO();
    box->AddMouseObserver(&boxClicks);
    box->SetSize(20, 20);
    box->SetPosition(0, 50);
    box->SetVisible(true);
    f.DispatchMouseMove(5, 55);
    f.DispatchMouseMove(50, 55); // hovered once, not now
    box->PerformClick();
    EXPECT_TRUE(box->IsChecked());
    EXPECT_EQ(boxClicks.downs, 1);
    EXPECT_EQ(boxClicks.ups, 0) << "the box is not hovered";
    f.ReleaseVO(button);
    f.ReleaseVO(box);
}

// A key that presses a button (as Return or Space press a screen's start
// button) leaves it drawn as the pointer finds it: hovered only under it.
TEST(Kinds, AButtonPressedFromTheKeyboardDoesNotStayDrawnAsHovered)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    Clicks clicks;
    IButtonVO* button = f.CreateButtonVO();
    button->SetSize(40, 20);
    button->SetFonts({scene.Font(), nullptr, nullptr, nullptr});
    button->SetCaption("OK");
    button->AddMouseObserver(&clicks);
    button->SetVisible(true);
    struct ReturnPresses : KeybdSysMessageObserver {
        void OnSysKeyDown(uint32_t key) override
        {
            if (key == 13)
                button->PerformClick();
        }
        IButtonVO* button = nullptr;
    } keys;
    keys.button = button;
    f.AddSysObserver(&keys);

    auto pressReturn = [&] {
        f.DispatchKeyDown(13);
        f.DispatchKeyUp(13);
    };
    // The face's colour at its corner, drawn now.
    auto face = [&] {
        scene.Draw();
        return scene.Pixel(1, 1);
    };
    f.DispatchMouseMove(60, 60);
    pressReturn();
    ASSERT_EQ(clicks.ups, 1);
    EXPECT_EQ(face(), Opaque(128, 64, 0)) << "the pointer is away: the normal face";
    EXPECT_EQ(scene.Pixel(14, 8), Opaque(248, 208, 87)) << "the normal caption";
    f.DispatchMouseMove(61, 61);
    EXPECT_EQ(face(), Opaque(128, 64, 0)) << "nor does it light up later";

    // Under the pointer it stays hovered, as it was before the key.
    f.DispatchMouseMove(1, 1);
    pressReturn();
    EXPECT_EQ(clicks.ups, 2);
    EXPECT_EQ(face(), Opaque(248, 208, 87));
    f.DispatchMouseMove(60, 60);
    EXPECT_EQ(face(), Opaque(128, 64, 0)) << "left after the key";
    f.RemoveSysObserver(&keys);
    f.ReleaseVO(button);
}

TEST(Kinds, CheckBoxCaptionSitsRightOfTheBoxOrAtFourPixelsWithoutIt)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    ICheckBoxVO* box = f.CreateCheckBoxVO();
    box->SetSize(100, 20);
    box->SetFonts({scene.Font(), nullptr, nullptr, nullptr});
    box->SetCaption("I");
    box->SetVisible(true);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(2, 2), Opaque(252, 133, 133)) << "unchecked box";
    EXPECT_EQ(scene.Pixel(24, 8), Opaque(25, 25, 250)) << "caption at box width + 4";
    // The pointer over the box lights its caption; gone, it leaves the
    // caption as it found it, checked or not.
    f.DispatchMouseMove(50, 10);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(24, 8), Opaque(128, 64, 0)) << "hovered";
    f.DispatchMouseMove(150, 10);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(24, 8), Opaque(25, 25, 250)) << "left";
    f.DispatchMouseMove(50, 10);
    f.DispatchMouseDown(50, 10, 1, 1);
    f.DispatchMouseUp(50, 10, 0, 1);
    f.DispatchMouseMove(150, 10);
    scene.Draw();
    EXPECT_EQ(scene.Pixel(24, 8), Opaque(248, 208, 87)) << "left checked";
    box->SetChecked(false);
    box->SetFaceHidden(true);
    scene.Paint(Opaque(0, 0, 0));
    f.InvalidateAll();
    scene.Draw();
    EXPECT_EQ(scene.Pixel(2, 2), Opaque(0, 0, 0));
    EXPECT_EQ(scene.Pixel(4, 8), Opaque(25, 25, 250));
    f.ReleaseVO(box);
}

TEST(Kinds, DisabledCheckBoxKeepsItsStateWhenPressed)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    ICheckBoxVO* box = f.CreateCheckBoxVO();
    box->SetSize(20, 20);
    box->SetVisible(true);
    f.DispatchMouseMove(5, 5);
    f.DispatchMouseDown(5, 5, 1, 1);
    EXPECT_TRUE(box->IsChecked());
    box->SetEnabled(false);
    f.DispatchMouseDown(5, 5, 1, 1);
    EXPECT_TRUE(box->IsChecked());
    f.ReleaseVO(box);
}
