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

namespace {

// Pixels of every kind, in a fixed scatter: opaque, transparent with a
// colour left in them, and translucent at many levels.
std::vector<uint32_t> MixedPixels(int count, bool translucent)
{
    std::vector<uint32_t> px(static_cast<size_t>(count));
    uint32_t seed = 12345;
    for (uint32_t& p : px) {
        seed = seed * 1103515245u + 12345u;
        const uint32_t colour = (seed >> 8) & 0xFFFFFF;
        const uint32_t pick = (seed >> 28) & 3;
        const uint32_t alpha = pick == 0 ? 0 : (pick == 1 || !translucent ? 255 : 1 + (seed & 0xFD));
        p = (alpha << 24) | colour;
    }
    return px;
}

std::vector<uint32_t> ScreenPixels(Zolt::DDImage& screen)
{
    const uint32_t* bits = screen.RequireBits();
    return std::vector<uint32_t>(bits, bits + static_cast<size_t>(screen.GetWidth()) * screen.GetHeight());
}

} // namespace

TEST_F(SurfaceBlitters, APictureStretchedToItsOwnSizeIsCopiedWithoutASurfaceOfItsOwn)
{
    for (const DesktopLayout& layout : Layouts()) {
        SCOPED_TRACE(layout.name);
        Zolt::DDImage* screen = Screen(layout);
        ASSERT_NE(screen, nullptr);
        const int w = screen->GetWidth();
        const Color ground(30, 60, 90, 255);
        screen->FillRectangle(Rect(0, 0, w, screen->GetHeight()), ground, 0);
        for (const bool keyed : {false, true}) {
            SCOPED_TRACE(keyed ? "keyed" : "opaque");
            std::vector<uint32_t> px = MixedPixels(40 * 30, false);
            if (!keyed)
                for (uint32_t& p : px)
                    p |= 0xFF000000u;
            auto picture = displaytest::MakeImage(display.get(), 40, 30, px);
            // Drawn whole at its size, then a part of it cut by the clip.
            const int top = keyed ? 100 : 0;
            screen->BlitImageStretched(picture.get(), Rect(10, top, 40, 30), Rect(0, 0, 40, 30), Rect(0, 0, w, 768),
                                       Color::White, 0, true);
            screen->BlitImageStretched(picture.get(), Rect(100, top, 30, 20), Rect(5, 4, 30, 20),
                                       Rect(110, top + 3, 12, 9), Color::White, 0, true);
            EXPECT_EQ(picture->GetSurface(), nullptr);
            if (layout.format.bitsPerPixel == 32 && !layout.bgr32) {
                EXPECT_EQ(picture->GetNativeAlpha(), nullptr); // its own pixels are the screen's form
            }
            const std::vector<uint32_t> shown = ScreenPixels(*screen);
            auto at = [&](int x, int y) { return shown[static_cast<size_t>(y) * w + x]; };
            const uint32_t background = at(190, 190);
            auto expected = [&](int sx, int sy) {
                const uint32_t p = px[static_cast<size_t>(sy) * 40 + sx];
                return (p >> 24) == 0 ? background : layout.format.ToArgb(layout.format.FromArgb(p));
            };
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x)
                    ASSERT_EQ(at(10 + x, top + y), expected(x, y)) << x << "," << y;
            for (int y = top; y < top + 20; ++y)
                for (int x = 100; x < 130; ++x) {
                    const bool inside = x >= 110 && x < 122 && y >= top + 3 && y < top + 12;
                    ASSERT_EQ(at(x, y), inside ? expected(x - 95, y - top + 4) : background) << x << "," << y;
                }
        }
        display.reset();
    }
}

TEST_F(SurfaceBlitters, AStretchDrawsFromThePicturesOwnPixelsWhatTheConvertedCopyWouldDraw)
{
    struct Draw {
        const char* name;
        Rect dest, source, clip;
        Color tint;
        int mode;
        bool mirrored;
    };
    const Draw draws[] = {
        {"own size", Rect(3, 2, 24, 18), Rect(0, 0, 24, 18), Rect(0, 0, 200, 200), Color::White, 0, false},
        {"own size, clipped", Rect(3, 2, 24, 18), Rect(0, 0, 24, 18), Rect(8, 5, 9, 7), Color::White, 0, false},
        {"grown", Rect(1, 1, 61, 43), Rect(2, 1, 20, 15), Rect(0, 0, 200, 200), Color::White, 0, false},
        {"shrunk", Rect(5, 7, 9, 6), Rect(0, 0, 24, 18), Rect(0, 0, 200, 200), Color::White, 0, false},
        {"tinted", Rect(0, 0, 48, 36), Rect(0, 0, 24, 18), Rect(0, 0, 200, 200), Color(200, 90, 40, 160), 0, false},
        {"additive", Rect(0, 0, 48, 36), Rect(0, 0, 24, 18), Rect(0, 0, 200, 200), Color::White, 1, false},
        {"additive tinted", Rect(0, 0, 30, 30), Rect(0, 0, 24, 18), Rect(0, 0, 200, 200), Color(90, 200, 30, 255), 1,
         false},
        {"mirrored", Rect(4, 4, 40, 25), Rect(1, 1, 22, 16), Rect(0, 0, 200, 200), Color::White, 0, true},
    };
    for (const DesktopLayout& layout : Layouts()) {
        SCOPED_TRACE(layout.name);
        Zolt::DDImage* screen = Screen(layout);
        ASSERT_NE(screen, nullptr);
        const std::vector<uint32_t> px = MixedPixels(24 * 18, true);
        for (const Draw& draw : draws) {
            SCOPED_TRACE(draw.name);
            // The same picture drawn twice on the same ground: once with
            // nothing but its ARGB pixels, once with the display-format copy
            // made beforehand.
            std::vector<uint32_t> shown[2];
            for (int withCopy = 0; withCopy < 2; ++withCopy) {
                screen->FillRectangle(Rect(0, 0, 200, 200), Color(120, 40, 200, 255), 0);
                Zolt::MemoryImage picture(nullptr);
                picture.AssignBits(px.data(), 24, 18, true);
                if (withCopy)
                    picture.RequireNativeAlpha(display.get());
                if (draw.mirrored)
                    screen->BlitImageStretchedMirrored(&picture, draw.dest, draw.source, draw.clip, draw.tint,
                                                       draw.mode, true);
                else
                    screen->BlitImageStretched(&picture, draw.dest, draw.source, draw.clip, draw.tint, draw.mode,
                                               true);
                if (!withCopy) {
                    EXPECT_EQ(picture.GetNativeAlpha(), nullptr);
                }
                shown[withCopy] = ScreenPixels(*screen);
            }
            ASSERT_TRUE(shown[0] == shown[1]);
        }
        display.reset();
    }
}

TEST_F(SurfaceBlitters, APictureAtItsOwnSizeIsDrawnAsEveryOtherStretch)
{
    const DesktopLayout rgb32 = Layouts()[2];
    Zolt::DDImage* screen = Screen(rgb32);
    ASSERT_NE(screen, nullptr);
    const Rect everywhere(0, 0, 1024, 768);
    // Half-transparent red that the owner declared free of alpha: the
    // stretch blends it over blue at 2:1, and so must the same picture at 1:1.
    screen->FillRectangle(everywhere, Color(0, 0, 255, 255), 0);
    const std::vector<uint32_t> halfRed(4, 0x80FF0000u);
    auto declared = std::make_unique<Zolt::MemoryImage>(nullptr);
    declared->AssignBits(halfRed.data(), 2, 2, true);
    declared->ForceAlphaFlags(false, false);
    screen->BlitImageStretched(declared.get(), Rect(0, 0, 2, 2), Rect(0, 0, 2, 2), everywhere, Color::White, 0, true);
    screen->BlitImageStretched(declared.get(), Rect(10, 0, 4, 4), Rect(0, 0, 2, 2), everywhere, Color::White, 0, true);
    std::vector<uint32_t> shown = ScreenPixels(*screen);
    EXPECT_EQ(shown[10], 0xFF80007Fu);
    EXPECT_EQ(shown[0], shown[10]);
    EXPECT_EQ(shown[1025], shown[1035]);

    // Stretches draw on the screen image kept in video memory, at any size.
    display->RebuildScreenImage(true);
    screen = display->GetScreenImage();
    ASSERT_TRUE(screen->IsVideoMemoryScreen());
    auto red = displaytest::MakeSolid(display.get(), 3, 3, 0xFFFF0000u);
    screen->BlitImageStretched(red.get(), Rect(0, 0, 3, 3), Rect(0, 0, 3, 3), everywhere, Color::White, 0, true);
    screen->BlitImageStretched(red.get(), Rect(10, 0, 6, 6), Rect(0, 0, 3, 3), everywhere, Color::White, 0, true);
    platform::DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(screen->GetSurface()->Lock(nullptr, &desc, platform::DDLOCK_WAIT, nullptr), platform::DD_OK);
    auto at = [&](int x, int y) {
        return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(desc.lpSurface) + y * desc.lPitch)[x];
    };
    EXPECT_EQ(at(12, 2) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(at(2, 2) & 0xFFFFFFu, 0xFF0000u);
    screen->GetSurface()->Unlock(nullptr);
    display.reset();
}
