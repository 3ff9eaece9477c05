// Nearest-sample stretches onto locked surfaces.
#include "SurfaceBlitTestSupport.h"

#include "framework/graphics/StretchMapping.h"

#include <gtest/gtest.h>

#include <random>

using namespace surfacetest;
using Zolt::Color;
using Zolt::Rect;
namespace SB = Zolt::SurfaceBlit;

namespace {

// Maps and draws one stretch the way the display image does.
void Stretch(TestSurface& s, Zolt::MemoryImage& src, const Rect& sourceRect, const Rect& destRect, const Rect& clip,
             const Color& tint, int mode, bool mirrored)
{
    Zolt::NativeDisplay display = DisplayOf(s.Format());
    Zolt::SaturationTableSet tables(s.Format());
    Zolt::DoubleRect area;
    Rect clipped;
    const bool ok = mirrored ? Zolt::MapStretchRectsMirrored(sourceRect, clip, destRect, area, clipped)
                             : Zolt::MapStretchRects(sourceRect, clip, destRect, area, clipped);
    if (!ok)
        return;
    src.DropDerivedData();
    SB::StretchNearest(s.View(), tables.View(), NativeOf(src, display), sourceRect, area, clipped, tint, mode,
                       mirrored);
}

} // namespace

TEST(SurfaceStretch, DoublingRepeatsEachSourcePixelInATwoByTwoBlock)
{
    auto src = Image(2, 2, {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF});
    for (const NamedFormat& nf : AllFormats()) {
        SCOPED_TRACE(nf.name);
        TestSurface s(nf.format, 6, 6);
        Stretch(s, *src, Rect(0, 0, 2, 2), Rect(1, 1, 4, 4), Rect(0, 0, 6, 6), Color::White, 0, false);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(s.GetArgb(1 + x, 1 + y),
                          s.Format().ToArgb(s.Format().FromArgb(src->RequireBits()[(y / 2) * 2 + x / 2])));
        EXPECT_EQ(s.Get(0, 0), 0u);
        EXPECT_EQ(s.Get(5, 5), 0u);
        EXPECT_TRUE(s.GuardsIntact());
    }
}

TEST(SurfaceStretch, MirroredStretchReversesTheRow)
{
    auto src = Image(3, 1, {0xFF0000AA, 0xFF0000BB, 0xFF0000CC});
    TestSurface s(FormatRgb32(), 5, 1);
    Stretch(s, *src, Rect(0, 0, 3, 1), Rect(1, 0, 3, 1), Rect(0, 0, 5, 1), Color::White, 0, true);
    EXPECT_EQ(s.Get(1, 0) & 0xFF, 0xCCu);
    EXPECT_EQ(s.Get(2, 0) & 0xFF, 0xBBu);
    EXPECT_EQ(s.Get(3, 0) & 0xFF, 0xAAu);
    // Clipped on the right: the left end of the source is what goes.
    TestSurface t(FormatRgb32(), 5, 1);
    Stretch(t, *src, Rect(0, 0, 3, 1), Rect(1, 0, 3, 1), Rect(0, 0, 3, 1), Color::White, 0, true);
    EXPECT_EQ(t.Get(1, 0) & 0xFF, 0xCCu);
    EXPECT_EQ(t.Get(2, 0) & 0xFF, 0xBBu);
    EXPECT_EQ(t.Get(3, 0), 0u);
}

TEST(SurfaceStretch, EmptySamplesLeaveTheDestinationAndOtherModesAdd)
{
    auto src = Image(2, 1, {0x00000000, 0xFF404040});
    for (const NamedFormat& nf : AllFormats()) {
        SCOPED_TRACE(nf.name);
        TestSurface s(nf.format, 4, 1);
        for (int x = 0; x < 4; ++x)
            s.SetArgb(x, 0, 0xFF808080);
        const uint32_t before = s.Get(0, 0);
        // Mode 7 is not a defined mode: the stretch draws it additively.
        Stretch(s, *src, Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), Rect(0, 0, 4, 1), Color::White, 7, false);
        EXPECT_EQ(s.Get(0, 0), before);
        EXPECT_EQ(s.Get(1, 0), before);
        EXPECT_EQ(s.GetArgb(2, 0), s.Format().ToArgb(s.Format().FromArgb(0xFF808080) + s.Format().FromArgb(0xFF404040)));
        Stretch(s, *src, Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), Rect(0, 0, 4, 1), Color(255, 0, 0, 255), 0, false);
        EXPECT_EQ(s.Get(0, 0), before);
        EXPECT_EQ(s.Get(3, 0) & s.Format().masks[1], 0u); // green scaled to 0 by the tint
    }
}

TEST(SurfaceStretch, RandomStretchesNeverTouchAnythingOutside)
{
    std::mt19937 rng(42);
    auto src = Image(13, 7, Pattern(13, 7, 2, [](int x, int y) -> uint32_t { return (x * 40 + y * 9) % 256; }));
    for (int i = 0; i < 300; ++i) {
        const NamedFormat nf = AllFormats()[i % 4];
        TestSurface s(nf.format, 11, 9);
        auto r = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        // Source rectangles may reach past the image; clips past the surface.
        const Rect source(r(-3, 10), r(-3, 5), r(0, 16), r(0, 10));
        const Rect dest(r(-20, 15), r(-20, 15), r(-5, 40), r(-5, 40));
        const Rect clip(r(-5, 5), r(-5, 5), r(0, 30), r(0, 30));
        const Color tint = i % 3 ? Color::White : Color(200, 100, 50, 180);
        Stretch(s, *src, source, dest, clip, tint, i % 2, i % 5 == 0);
        ASSERT_TRUE(s.GuardsIntact()) << i;
    }
}
