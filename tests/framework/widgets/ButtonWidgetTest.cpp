// Push buttons: the plain bevelled face, image states, fading, and the
// listener's view of presses, clicks, holds and hovering.
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/WidgetDoubles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace Zolt;
using widget_testing::Opaque;
using widget_testing::WidgetScene;
using Log = std::vector<std::string>;

namespace {

struct RecordingListener : ButtonListener {
    void OnButtonDown(int id, int count) override { Add("down", id, count); }
    void OnButtonClicked(int id) override { Add("clicked", id); }
    void OnButtonHeldTick(int id) override { Add("held", id); }
    void OnButtonHoverStart(int id) override { Add("hover", id); }
    void OnButtonHoverEnd(int id) override { Add("unhover", id); }
    void OnButtonHoverMove(int id, int x, int) override { Add("at", id, x); }
    void Add(const std::string& what, int id, int n = -1)
    {
        log.push_back(what + " " + std::to_string(id) + (n >= 0 ? " " + std::to_string(n) : ""));
    }
    Log log;
};

std::unique_ptr<MemoryImage> SolidImage(int width, int height, uint32_t rgb)
{
    auto image = std::make_unique<MemoryImage>(nullptr);
    image->MakeBlank(width, height);
    std::fill_n(image->RequireBits(), width * height, Opaque(rgb));
    image->MarkBitsChanged();
    image->ScanAlpha();
    return image;
}

// A 40 x 20 button at (10, 10) with a recording listener.
struct ButtonScene {
    ButtonScene() : button(7, &listener)
    {
        button.SetBounds(10, 10, 40, 20);
        scene.manager.AddChild(&button);
    }
    uint32_t At(int x, int y) { return scene.Pixel(10 + x, 10 + y); }
    void Paint()
    {
        button.SetDirty(true);
        scene.manager.PaintDirtyWidgets();
    }
    void MoveTo(int x, int y) { scene.manager.HandleMouseMove(x, y); }
    void Press(int code = 1) { scene.manager.HandleMouseDown(scene.manager.LastX(), scene.manager.LastY(), code); }
    void Release() { scene.manager.HandleMouseUp(scene.manager.LastX(), scene.manager.LastY(), 1); }

    WidgetScene scene;
    RecordingListener listener;
    ButtonWidget button;
};

constexpr uint32_t kFace = 0xD4D4D4, kWhite = 0xFFFFFF, kBlack = 0x000000, kShadow = 0x848484;

} // namespace

TEST(ButtonFace, APlainButtonHasARaisedBevelThatInvertsWhilePressedOverIt)
{
    ButtonScene s;
    s.button.SetLabel("OK");
    s.Paint();
    EXPECT_EQ(s.At(5, 0), Opaque(kWhite));
    EXPECT_EQ(s.At(0, 5), Opaque(kWhite));
    EXPECT_EQ(s.At(5, 19), Opaque(kBlack));
    EXPECT_EQ(s.At(39, 5), Opaque(kBlack));
    EXPECT_EQ(s.At(5, 18), Opaque(kShadow));
    EXPECT_EQ(s.At(5, 5), Opaque(kFace));
    // "OK" is 12 wide: x = 14; baseline (8 + 20 - 1 - 1) / 2 = 13.
    EXPECT_EQ(s.At(14, 5), Opaque(kBlack));
    EXPECT_EQ(s.At(13, 5), Opaque(kFace));
    EXPECT_EQ(s.scene.host.fonts, (Log{"Arial Unicode MS/10/0"}));

    s.MoveTo(20, 20);
    s.Press();
    s.Paint();
    EXPECT_EQ(s.At(5, 0), Opaque(kBlack));
    EXPECT_EQ(s.At(39, 5), Opaque(kWhite));
    EXPECT_EQ(s.At(5, 1), Opaque(kShadow));
    EXPECT_EQ(s.At(14, 5), Opaque(kFace));
    EXPECT_EQ(s.At(15, 6), Opaque(kBlack));

    s.MoveTo(100, 100); // held but off the button: raised again
    s.Paint();
    EXPECT_EQ(s.At(5, 0), Opaque(kWhite));
    s.button.pressedLookInverted = true;
    s.Paint();
    EXPECT_EQ(s.At(5, 0), Opaque(kBlack));
}

TEST(ButtonFace, ImageStatesFollowHoverPressAndDisabling)
{
    ButtonScene s;
    auto normal = SolidImage(40, 20, 0x112233);
    auto over = SolidImage(40, 20, 0x445566);
    auto disabled = SolidImage(40, 20, 0x778899);
    s.button.normalImage = normal.get();
    s.button.overImage = over.get();
    s.button.disabledImage = disabled.get();
    s.Paint();
    EXPECT_EQ(s.At(0, 0), Opaque(0x112233));
    s.MoveTo(20, 20);
    s.Paint();
    EXPECT_EQ(s.At(0, 0), Opaque(0x445566));
    // Pressed without a down image: the over image one pixel further in.
    s.scene.ResetScreen();
    s.Press();
    s.Paint();
    EXPECT_EQ(s.At(0, 0), Opaque(kBlack));
    EXPECT_EQ(s.At(1, 1), Opaque(0x445566));
    s.Release();
    s.button.SetDisabledState(true);
    s.Paint();
    EXPECT_EQ(s.At(0, 0), Opaque(0x778899));
}

TEST(ButtonListenerEvents, AClickIsAReleaseOverTheButtonWhileTheApplicationHasFocus)
{
    ButtonScene s;
    s.MoveTo(20, 20);
    s.Press(2);
    s.scene.manager.TickWidgets();
    s.Release();
    EXPECT_EQ(s.listener.log, (Log{"hover 7", "at 7 10", "down 7 2", "held 7", "clicked 7"}));
    s.listener.log.clear();

    s.Press();
    s.MoveTo(100, 100);
    s.scene.manager.TickWidgets();
    s.Release();
    s.MoveTo(20, 20);
    s.Press();
    s.scene.manager.HandleAppFocusLost();
    s.Release();
    EXPECT_EQ(s.listener.log, (Log{"down 7 1", "unhover 7", "hover 7", "at 7 10", "down 7 1"}));
}

TEST(ButtonFade, TheOverImageFadesOutAfterLeavingAndInWhileOver)
{
    ButtonScene s;
    auto normal = SolidImage(40, 20, 0x000000);
    auto over = SolidImage(40, 20, 0xFFFFFF);
    s.button.normalImage = normal.get();
    s.button.overImage = over.get();
    s.button.fadeOutStep = 0.25;
    s.MoveTo(20, 20);
    s.MoveTo(100, 100);
    EXPECT_DOUBLE_EQ(s.button.overFade, 1.0);
    s.scene.manager.TickWidgets();
    s.scene.manager.TickWidgets();
    EXPECT_DOUBLE_EQ(s.button.overFade, 0.5);
    s.Paint();
    const uint32_t blue = s.At(0, 0) & 0xFF;
    EXPECT_GT(blue, 0x60u);
    EXPECT_LT(blue, 0xA0u);
    for (int i = 0; i < 3; ++i)
        s.scene.manager.TickWidgets();
    EXPECT_DOUBLE_EQ(s.button.overFade, 0.0);

    s.button.fadeInStep = 0.4;
    s.MoveTo(20, 20);
    for (int i = 0; i < 3; ++i)
        s.scene.manager.TickWidgets();
    EXPECT_DOUBLE_EQ(s.button.overFade, 1.0);
}

TEST(ButtonFace, ADialogButtonStretchesItsComponentAndShiftsWhilePressed)
{
    WidgetScene scene;
    auto component = SolidImage(30, 30, 0x336699);
    DialogButton button(component.get(), 1000, nullptr);
    button.SetBounds(0, 0, 60, 24);
    button.SetLabel("OK");
    scene.manager.AddChild(&button);
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(scene.Pixel(0, 0), Opaque(0x336699));
    EXPECT_EQ(scene.Pixel(59, 23), Opaque(0x336699));
    EXPECT_EQ(scene.host.fonts, (Log{"Arial Unicode MS/12/1"}));

    scene.ResetScreen();
    scene.manager.HandleMouseMove(50, 20);
    scene.manager.HandleMouseDown(50, 20, 1);
    button.SetDirty(true);
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(scene.Pixel(0, 0), Opaque(kBlack));
    EXPECT_EQ(scene.Pixel(1, 1), Opaque(0x336699));
}
