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
using widget_testing::BlockFont;
using widget_testing::Opaque;
using widget_testing::WidgetScene;
using Log = std::vector<std::string>;

namespace {

struct RecordingListener : ButtonListener {
    void OnButtonDown(int id, int count) override
    {
        log.push_back("down " + std::to_string(id) + " " + std::to_string(count));
    }
    void OnButtonClicked(int id) override { log.push_back("clicked " + std::to_string(id)); }
    void OnButtonHeldTick(int id) override { log.push_back("held " + std::to_string(id)); }
    void OnButtonHoverStart(int id) override { log.push_back("hover " + std::to_string(id)); }
    void OnButtonHoverEnd(int id) override { log.push_back("unhover " + std::to_string(id)); }
    void OnButtonHoverMove(int id, int x, int y) override
    {
        log.push_back("at " + std::to_string(id) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    Log log;
};

// A solid opaque image of one colour.
std::unique_ptr<MemoryImage> SolidImage(int width, int height, uint32_t rgb)
{
    auto image = std::make_unique<MemoryImage>(nullptr);
    image->MakeBlank(width, height);
    std::fill_n(image->RequireBits(), width * height, Opaque(rgb));
    image->MarkBitsChanged();
    image->ScanAlpha();
    return image;
}

// A button of 40 x 20 at (10, 10) in a scene, with a recording listener.
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
    EXPECT_EQ(s.At(38, 5), Opaque(kShadow));
    EXPECT_EQ(s.At(5, 5), Opaque(kFace));
    // "OK" is 12 wide: x = 14; baseline (8 + 20 - 1 - 1) / 2 = 13, so the
    // first block covers (14..18, 5..12).
    EXPECT_EQ(s.At(14, 5), Opaque(kBlack));
    EXPECT_EQ(s.At(13, 5), Opaque(kFace));

    s.scene.manager.HandleMouseMove(20, 20);
    s.scene.manager.HandleMouseDown(20, 20, 1);
    s.Paint();
    EXPECT_EQ(s.At(5, 0), Opaque(kBlack));
    EXPECT_EQ(s.At(0, 5), Opaque(kBlack));
    EXPECT_EQ(s.At(5, 19), Opaque(kWhite));
    EXPECT_EQ(s.At(39, 5), Opaque(kWhite));
    EXPECT_EQ(s.At(5, 1), Opaque(kShadow));
    EXPECT_EQ(s.At(14, 5), Opaque(kFace));
    EXPECT_EQ(s.At(15, 6), Opaque(kBlack));
    EXPECT_EQ(s.At(19, 13), Opaque(kBlack));

    // Dragged off while held: the raised face returns.
    s.scene.manager.HandleMouseMove(100, 100);
    s.Paint();
    EXPECT_EQ(s.At(5, 0), Opaque(kWhite));
    EXPECT_EQ(s.scene.host.fonts, (Log{"Arial Unicode MS/10/0"}));
}

TEST(ButtonFace, AnInvertedPressedLookAndAHiddenFace)
{
    ButtonScene s;
    s.button.pressedLookInverted = true;
    s.Paint();
    EXPECT_EQ(s.At(5, 0), Opaque(kBlack));
    s.button.hiddenFace = true;
    s.scene.ResetScreen();
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
    s.scene.manager.HandleMouseMove(20, 20);
    s.Paint();
    EXPECT_EQ(s.At(0, 0), Opaque(0x445566));
    // Pressed without a down image: the over image moved by one pixel.
    s.scene.manager.HandleMouseDown(20, 20, 1);
    s.Paint();
    EXPECT_EQ(s.At(1, 1), Opaque(0x445566));
    EXPECT_EQ(s.At(0, 0), Opaque(0x445566)); // left from the previous paint
    s.scene.manager.HandleMouseUp(20, 20, 1);
    s.button.SetDisabledState(true);
    s.Paint();
    EXPECT_EQ(s.At(0, 0), Opaque(0x778899));
}

TEST(ButtonFace, SourceRectsCutStatesFromTheNormalImage)
{
    ButtonScene s;
    auto sheet = std::make_unique<MemoryImage>(nullptr);
    sheet->MakeBlank(80, 20);
    uint32_t* bits = sheet->RequireBits();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 80; ++x)
            bits[y * 80 + x] = Opaque(x < 40 ? 0x0000AA : 0x00AA00);
    sheet->MarkBitsChanged();
    sheet->ScanAlpha();
    s.button.normalImage = sheet.get();
    s.button.normalRect = Rect(0, 0, 40, 20);
    s.button.overRect = Rect(40, 0, 40, 20);
    EXPECT_TRUE(s.button.HasStateImage(nullptr, s.button.overRect));
    s.Paint();
    EXPECT_EQ(s.At(39, 19), Opaque(0x0000AA));
    s.scene.manager.HandleMouseMove(20, 20);
    s.Paint();
    EXPECT_EQ(s.At(0, 0), Opaque(0x00AA00));
}

TEST(ButtonListenerEvents, AClickIsAReleaseOverTheButtonWhileTheApplicationHasFocus)
{
    ButtonScene s;
    s.scene.manager.HandleMouseMove(20, 20);
    s.scene.manager.HandleMouseDown(20, 20, 2);
    s.scene.manager.HandleMouseUp(21, 20, 1);
    EXPECT_EQ(s.listener.log, (Log{"hover 7", "at 7 10,10", "down 7 2", "clicked 7", "at 7 11,10"}));
    s.listener.log.clear();

    // Released outside: no click.
    s.scene.manager.HandleMouseDown(21, 20, 1);
    s.scene.manager.HandleMouseMove(100, 100);
    s.scene.manager.HandleMouseUp(100, 100, 1);
    EXPECT_EQ(std::count(s.listener.log.begin(), s.listener.log.end(), "clicked 7"), 0);

    // Released over it while the application lacks the focus: no click.
    s.scene.manager.HandleMouseMove(20, 20);
    s.scene.manager.HandleMouseDown(20, 20, 1);
    s.scene.manager.HandleAppFocusLost();
    s.scene.manager.HandleMouseUp(20, 20, 1);
    EXPECT_EQ(std::count(s.listener.log.begin(), s.listener.log.end(), "clicked 7"), 0);
}

TEST(ButtonListenerEvents, HoldingTheButtonTicksOnlyWhileTheMouseIsOverIt)
{
    ButtonScene s;
    s.scene.manager.HandleMouseMove(20, 20);
    s.scene.manager.HandleMouseDown(20, 20, 1);
    s.listener.log.clear();
    s.scene.manager.TickWidgets();
    s.scene.manager.TickWidgets();
    s.scene.manager.HandleMouseMove(100, 100);
    s.scene.manager.TickWidgets();
    EXPECT_EQ(s.listener.log, (Log{"held 7", "held 7", "unhover 7"}));
}

TEST(ButtonListenerEvents, TheFirstDownOverloadPassesOnToTheIdOnlyOne)
{
    struct IdOnly : ButtonListener {
        void OnButtonDown(int id) override { ids.push_back(id); }
        std::vector<int> ids;
    } listener;
    ButtonListener& base = listener;
    base.OnButtonDown(3, 2);
    EXPECT_EQ(listener.ids, (std::vector<int>{3}));
}

TEST(ButtonFade, TheOverImageFadesOutAfterLeavingAndInWhileOver)
{
    ButtonScene s;
    auto normal = SolidImage(40, 20, 0x000000);
    auto over = SolidImage(40, 20, 0xFFFFFF);
    s.button.normalImage = normal.get();
    s.button.overImage = over.get();
    s.button.fadeOutStep = 0.25;
    s.scene.manager.HandleMouseMove(20, 20);
    s.scene.manager.HandleMouseMove(100, 100);
    EXPECT_DOUBLE_EQ(s.button.overFade, 1.0);
    s.scene.manager.TickWidgets();
    s.scene.manager.TickWidgets();
    EXPECT_DOUBLE_EQ(s.button.overFade, 0.5);
    s.Paint();
    const uint32_t half = s.At(0, 0) & 0xFF;
    EXPECT_GT(half, 0x60u);
    EXPECT_LT(half, 0xA0u);
    s.scene.manager.TickWidgets();
    s.scene.manager.TickWidgets();
    s.scene.manager.TickWidgets();
    EXPECT_DOUBLE_EQ(s.button.overFade, 0.0);

    s.button.fadeInStep = 0.4;
    s.scene.manager.HandleMouseMove(20, 20);
    s.scene.manager.TickWidgets();
    EXPECT_DOUBLE_EQ(s.button.overFade, 0.4);
    s.scene.manager.TickWidgets();
    s.scene.manager.TickWidgets();
    EXPECT_DOUBLE_EQ(s.button.overFade, 1.0);
}

TEST(ButtonFonts, TheLabelFontIsACopyAndDialogButtonsAskForTheirOwnDefault)
{
    ButtonScene s;
    BlockFont font(5, 7);
    s.button.SetLabelFont(&font);
    ASSERT_NE(s.button.GetLabelFont(), nullptr);
    EXPECT_NE(s.button.GetLabelFont(), &font);
    EXPECT_EQ(s.button.GetLabelFont()->QueryAscent(), 5);
    s.button.SetLabelFont(nullptr);
    EXPECT_EQ(s.button.GetLabelFont(), nullptr);

    DialogButton dialogButton(nullptr, 1000, nullptr);
    dialogButton.SetBounds(0, 0, 50, 20);
    dialogButton.SetLabel("OK");
    s.scene.manager.AddChild(&dialogButton);
    s.scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(s.scene.host.fonts.back(), "Arial Unicode MS/12/1");
    EXPECT_TRUE(dialogButton.WantsHandCursor());
}

TEST(ButtonFace, ADialogButtonStretchesItsComponentImageAndShiftsWhilePressed)
{
    WidgetScene scene;
    auto component = SolidImage(30, 30, 0x336699);
    DialogButton button(component.get(), 1000, nullptr);
    button.SetBounds(0, 0, 60, 24);
    scene.manager.AddChild(&button);
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(scene.Pixel(0, 0), Opaque(0x336699));
    EXPECT_EQ(scene.Pixel(59, 23), Opaque(0x336699));

    scene.ResetScreen();
    scene.manager.HandleMouseMove(10, 10);
    scene.manager.HandleMouseDown(10, 10, 1);
    button.SetDirty(true);
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(scene.Pixel(0, 0), Opaque(kBlack));
    EXPECT_EQ(scene.Pixel(1, 1), Opaque(0x336699));
}
