// The display image drawing through the surface blitters on a headless
// display of each desktop layout.
#include "DisplayTestSupport.h"
#include "SurfaceBlitTestSupport.h"

#include <gtest/gtest.h>

using namespace displaytest;
using Zolt::Color;
using Zolt::Rect;

namespace {

struct DesktopLayout {
    const char* name;
    int depth;
    bool rgb555;
    bool bgr32;
    Zolt::SurfaceFormat format;
};

std::vector<DesktopLayout> Layouts()
{
    return {{"565", 16, false, false, surfacetest::Format565()},
            {"555", 16, true, false, surfacetest::Format555()},
            {"RGB32", 32, false, false, surfacetest::FormatRgb32()},
            {"BGR32", 32, false, true, surfacetest::FormatBgr32()}};
}

class SurfaceBlitters : public DisplayFixture {
protected:
    // A windowed display on a desktop of the layout; its screen image.
    Zolt::DDImage* Screen(const DesktopLayout& layout)
    {
        SetDesktop(1024, 768, layout.depth, 60);
        DisplayMachine::Instance().SetChannelOrder(layout.rgb555, layout.bgr32);
        MakeDisplay();
        if (InitWindowed() != Zolt::DDInterface::RESULT_OK)
            return nullptr;
        return display->GetScreenImage();
    }

    static uint32_t Quantised(const Zolt::SurfaceFormat& f, uint32_t argb) { return f.ToArgb(f.FromArgb(argb)); }
};

} // namespace

TEST_F(SurfaceBlitters, OpaqueKeyedAndTranslucentSpritesLandOnTheScreenInEveryLayout)
{
    for (const DesktopLayout& layout : Layouts()) {
        SCOPED_TRACE(layout.name);
        Zolt::DDImage* screen = Screen(layout);
        ASSERT_NE(screen, nullptr);
        const int w = screen->GetWidth();
        screen->FillRectangle(Rect(0, 0, w, screen->GetHeight()), Color(40, 80, 120, 255), 0);
        // A memory sprite: one transparent, one opaque and one half pixel.
        Zolt::MemoryImage sprite(nullptr);
        const uint32_t px[3] = {0x00FFFFFF, 0xFFC08040, 0x80FFFFFF};
        sprite.AssignBits(px, 3, 1, true);
        screen->BlitImage(&sprite, 10, 5, Rect(0, 0, 3, 1), Color::White, 0);
        // Drawing on the surface dropped the memory copies; reading the
        // pixels brings them back from the surface.
        EXPECT_EQ(screen->GetBits(), nullptr);
        const uint32_t* bits = screen->RequireBits();
        ASSERT_NE(bits, nullptr);
        const uint32_t background = bits[static_cast<size_t>(5) * w + 2];
        EXPECT_EQ(bits[static_cast<size_t>(5) * w + 10], background);
        EXPECT_EQ(bits[static_cast<size_t>(5) * w + 11], Quantised(layout.format, 0xFFC08040));
        const uint32_t half = bits[static_cast<size_t>(5) * w + 12];
        for (int shift : {0, 8, 16}) {
            const int expected = static_cast<int>(((background >> shift) & 0xFF) + 255) / 2;
            EXPECT_NEAR(static_cast<int>((half >> shift) & 0xFF), expected, 10);
        }
        display.reset();
    }
}

TEST_F(SurfaceBlitters, UndefinedModesDrawNothingInPlainBlitsButAddInStretchesAndTurns)
{
    for (const DesktopLayout& layout : Layouts()) {
        SCOPED_TRACE(layout.name);
        Zolt::DDImage* screen = Screen(layout);
        ASSERT_NE(screen, nullptr);
        const int w = screen->GetWidth();
        screen->FillRectangle(Rect(0, 0, w, screen->GetHeight()), Color(16, 16, 16, 255), 0);
        Zolt::MemoryImage sprite(nullptr);
        const std::vector<uint32_t> px(16, 0xFF404040);
        sprite.AssignBits(px.data(), 4, 4, true);
        screen->BlitImage(&sprite, 0, 0, Rect(0, 0, 4, 4), Color::White, 5);
        screen->BlitImageStretched(&sprite, Rect(10, 0, 8, 8), Rect(0, 0, 4, 4), Rect(0, 0, w, 100), Color::White, 5,
                                   true);
        screen->BlitImageRotated(&sprite, 30.0f, 0.0f, Rect(0, 0, 4, 4), Rect(0, 0, w, 100), Color::White, 5, 0.0,
                                 0.0f, 0.0f);
        const uint32_t* bits = screen->RequireBits();
        ASSERT_NE(bits, nullptr);
        const uint32_t background = bits[static_cast<size_t>(50) * w + 50];
        EXPECT_EQ(bits[1], background);
        const Zolt::SurfaceFormat& f = layout.format;
        EXPECT_EQ(bits[static_cast<size_t>(3) * w + 13], f.ToArgb(f.FromArgb(background) + f.FromArgb(0xFF404040)));
        EXPECT_GT(bits[static_cast<size_t>(1) * w + 32] & 0xFF, background & 0xFF);
        display.reset();
    }
}

TEST_F(SurfaceBlitters, SmoothStretchOntoTheScreenTintsOnce)
{
    Zolt::DDImage* screen = Screen(Layouts()[2]);
    ASSERT_NE(screen, nullptr);
    screen->FillRectangle(Rect(0, 0, 64, 64), Color(0, 0, 0, 255), 0);
    Zolt::MemoryImage sprite(nullptr);
    const std::vector<uint32_t> px(16, 0xFFFFFFFF);
    sprite.AssignBits(px.data(), 4, 4, true);
    screen->BlitImageStretched(&sprite, Rect(0, 0, 16, 16), Rect(0, 0, 4, 4), Rect(0, 0, 64, 64),
                               Color(128, 128, 128, 255), 0, false);
    const uint32_t centre = screen->RequireBits()[static_cast<size_t>(8) * screen->GetWidth() + 8];
    // Half of white once (not a quarter, as tinting twice would give).
    EXPECT_NEAR(static_cast<int>(centre & 0xFF), 127, 3);
}
