// The developer overlay on its own: the frame counter on the manual clock,
// the mouse-position kind, and where the read-outs land on the screen.
#include "framework/app/DeveloperOverlay.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/core/Clock.h"
#include "tests/support/WidgetDoubles.h"

#include <gtest/gtest.h>

using Zolt::DeveloperOverlay;

namespace {

class DeveloperOverlayTest : public ::testing::Test {
protected:
    DeveloperOverlay::FontMaker Fonts()
    {
        return [this] {
            ++fontsMade;
            return std::make_unique<widget_testing::BlockFont>();
        };
    }

    // A 200 x 150 screen of one opaque colour.
    std::unique_ptr<Zolt::MemoryImage> Screen()
    {
        auto screen = std::make_unique<Zolt::MemoryImage>(nullptr);
        screen->MakeBlank(200, 150);
        Zolt::Graphics g(screen.get());
        g.SetColor(Zolt::Color(40, 80, 120));
        g.FillRectangle(0, 0, 200, 150);
        return screen;
    }

    static uint32_t Pixel(Zolt::MemoryImage& image, int x, int y)
    {
        return image.RequireBits()[size_t(y) * size_t(image.GetWidth()) + size_t(x)] & 0xFFFFFF;
    }

    platform::ManualClock clock_{1'000'000};
    platform::ScopedClock scopedClock_{clock_};
    DeveloperOverlay overlay;
    int fontsMade = 0;
};

constexpr uint32_t kScreenColour = 0x285078;

} // namespace

TEST_F(DeveloperOverlayTest, FrameCounterReadsZeroAfterARestartThenFramesPerSecond)
{
    overlay.Toggle();
    ASSERT_TRUE(overlay.IsOn());
    overlay.CountFrame();
    EXPECT_EQ(overlay.Text(0, 0), "FPS: 0");
    for (int i = 0; i < 50; ++i) {
        clock_.AdvanceMilliseconds(20);
        overlay.CountFrame();
    }
    EXPECT_EQ(overlay.Text(0, 0), "FPS: 50");
    clock_.AdvanceMilliseconds(500);
    overlay.CountFrame();
    EXPECT_EQ(overlay.Text(0, 0), "FPS: 50") << "read out once a second only";

    overlay.Toggle();
    overlay.Toggle(); // on again: the counter starts over
    overlay.CountFrame();
    EXPECT_EQ(overlay.Text(0, 0), "FPS: 0");
}

TEST_F(DeveloperOverlayTest, NextKindSwitchesOnAndCyclesBetweenRateAndMousePosition)
{
    overlay.NextKind();
    EXPECT_TRUE(overlay.IsOn());
    EXPECT_EQ(overlay.GetKind(), DeveloperOverlay::kMousePosition);
    EXPECT_EQ(overlay.Text(12, -3), "12,-3");
    overlay.Toggle();
    EXPECT_FALSE(overlay.IsOn());
    EXPECT_EQ(overlay.GetKind(), DeveloperOverlay::kMousePosition) << "switching off keeps the kind";
    overlay.NextKind();
    EXPECT_EQ(overlay.GetKind(), DeveloperOverlay::kFrameCounter);
}

TEST_F(DeveloperOverlayTest, ReadOutsSitInTheBottomRightCornerWithTheDemoTimeAbove)
{
    auto screen = Screen();
    overlay.Draw(screen.get(), 200, 150, false);
    EXPECT_EQ(Pixel(*screen, 185, 135), kScreenColour) << "nothing before it is switched on";

    overlay.Toggle();
    const std::string demoTime = "00:01:00";
    overlay.Refresh(nullptr, Fonts(), 0, 0, &demoTime);
    overlay.Draw(screen.get(), 200, 150, true);
    // BlockFont is 10 high: images of 50 x 14, 10 in from the corner, the
    // demo time 5 above the overlay.
    EXPECT_EQ(Pixel(*screen, 140, 126), 0u) << "the overlay's black, top left";
    EXPECT_EQ(Pixel(*screen, 189, 139), 0u) << "the overlay's black, bottom right";
    EXPECT_EQ(Pixel(*screen, 190, 139), kScreenColour);
    EXPECT_EQ(Pixel(*screen, 189, 140), kScreenColour);
    EXPECT_EQ(Pixel(*screen, 189, 107), 0u) << "the demo time's black, top";
    EXPECT_EQ(Pixel(*screen, 189, 120), 0u) << "the demo time's black, bottom";
    EXPECT_EQ(Pixel(*screen, 189, 123), kScreenColour) << "the gap between them";
    EXPECT_EQ(fontsMade, 1);

    overlay.Refresh(nullptr, Fonts(), 0, 0, nullptr);
    EXPECT_EQ(fontsMade, 1) << "the font is made once";
    overlay.Drop();
    overlay.Refresh(nullptr, Fonts(), 0, 0, nullptr);
    EXPECT_EQ(fontsMade, 2) << "and again after the display went";
}
