// Plain, keyed, translucent, tinted, additive and mirrored blits onto locked
// surfaces.
#include "SurfaceBlitTestSupport.h"

#include <gtest/gtest.h>

using namespace surfacetest;
using Zolt::Color;
using Zolt::Rect;
namespace SB = Zolt::SurfaceBlit;

namespace {

struct Source {
    std::unique_ptr<Zolt::MemoryImage> image;
    Zolt::NativeDisplay display;

    Source(const SurfaceFormat& f, int w, int h, const std::vector<uint32_t>& argb)
        : image(Image(w, h, argb)), display(DisplayOf(f))
    {
    }
    Zolt::SourcePixels Native() { return NativeOf(*image, display); }
    const uint8_t* AlphaRuns() { return image->RequireRLAlpha(); }
    const uint8_t* AdditiveRuns() { return image->RequireRLAdditive(&display); }
};

void Paint(TestSurface& s, uint32_t raw)
{
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            s.Set(x, y, raw);
}

} // namespace

TEST(SurfaceCopy, OpaqueSourceCopiesItsNativePixelsAndKeyedOneSkipsTransparentOnes)
{
    TestSurface s(Format565(), 6, 2);
    Paint(s, 0x1111);
    Source src(Format565(), 3, 2, {0xFF123456, 0xFFFFFFFF, 0xFF808080, 0x00FFFFFF, 0xFF0000FF, 0x00000000});
    const Zolt::SourcePixels native = src.Native();
    SB::CopyNative(s.View(), native, true, 2, 0, Rect(0, 0, 3, 2));
    EXPECT_EQ(s.Get(2, 0), native.words[0] & 0xFFFF);
    EXPECT_EQ(s.Get(3, 0), 0xFFFFu);
    EXPECT_EQ(s.Get(2, 1), 0x1111u);
    EXPECT_EQ(s.Get(3, 1), native.words[4] & 0xFFFF);
    EXPECT_EQ(s.Get(4, 1), 0x1111u);
    SB::CopyNative(s.View(), native, false, 2, 0, Rect(0, 0, 3, 2));
    EXPECT_EQ(s.Get(2, 1), 0u); // unkeyed: the transparent pixel's (black) colour lands
    EXPECT_TRUE(s.GuardsIntact());
}

TEST(SurfaceCopy, PalettisedSourceDrawsLikeItsBits)
{
    const std::vector<uint32_t> px = Pattern(9, 5, 4, [](int x, int y) -> uint32_t { return (x * y) % 3 ? 255 : 0; });
    for (const NamedFormat& nf : AllFormats()) {
        SCOPED_TRACE(nf.name);
        TestSurface plain(nf.format, 12, 7), indexed(nf.format, 12, 7);
        Source a(nf.format, 9, 5, px), b(nf.format, 9, 5, px);
        ASSERT_TRUE(b.image->ConvertToPalette());
        const Zolt::SourcePixels pal{b.image->RequireNativeAlpha(&b.display), b.image->GetIndices(), 9, 5};
        SB::CopyNative(plain.View(), a.Native(), true, 1, 1, Rect(0, 0, 9, 5));
        SB::CopyNative(indexed.View(), pal, true, 1, 1, Rect(0, 0, 9, 5));
        SB::BlendRuns(plain.View(), a.Native(), a.AlphaRuns(), 3, 2, Rect(1, 1, 8, 4), Color(90, 200, 30, 200), true);
        SB::BlendRuns(indexed.View(), pal, b.AlphaRuns(), 3, 2, Rect(1, 1, 8, 4), Color(90, 200, 30, 200), true);
        EXPECT_EQ(plain.ArgbPixels(), indexed.ArgbPixels());
    }
}

TEST(SurfaceCopy, TranslucentRunPixelHalvesEach565Field)
{
    TestSurface s(Format565(), 2, 1);
    Paint(s, 0xFFFF);
    Source src(Format565(), 1, 1, {0x80000000});
    SB::BlendRuns(s.View(), src.Native(), src.AlphaRuns(), 0, 0, Rect(0, 0, 1, 1), Color::White, false);
    EXPECT_EQ(s.Get(0, 0), (15u << 11) | (31u << 5) | 15u);
    EXPECT_EQ(s.Get(1, 0), 0xFFFFu);
}

TEST(SurfaceCopy, RunsLongerThanTheClippedRowStopAtItsEnd)
{
    for (const NamedFormat& nf : AllFormats()) {
        SCOPED_TRACE(nf.name);
        TestSurface s(nf.format, 8, 2);
        // One opaque run of 6, then a translucent run of 6, per row.
        std::vector<uint32_t> px;
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 6; ++x)
                px.push_back(0xFFFFFFFF);
            for (int x = 0; x < 6; ++x)
                px.push_back(0x80FFFFFF);
        }
        Source src(nf.format, 12, 2, px);
        Zolt::SaturationTableSet tables(nf.format);
        SB::BlendRuns(s.View(), src.Native(), src.AlphaRuns(), 0, 0, Rect(3, 0, 9, 2), Color::White, false);
        SB::BlendRuns(s.View(), src.Native(), src.AlphaRuns(), 5, 0, Rect(0, 0, 9, 2), Color::White, true);
        SB::AddRuns(s.View(), tables.View(), src.Native(), src.AdditiveRuns(), 6, 1, Rect(0, 0, 12, 2),
                    Color::White, false);
        EXPECT_TRUE(s.GuardsIntact());
        // Opaque run cut to three pixels, then translucent pixels from x = 3.
        EXPECT_EQ(s.GetArgb(2, 0), s.Format().ToArgb(s.Format().FromArgb(0xFFFFFFFF)));
        EXPECT_NE(s.Get(4, 0), s.Get(2, 0));
    }
}

TEST(SurfaceCopy, MirroredBlitFlipsTheRowInsideTheSameRectangle)
{
    TestSurface s(FormatRgb32(), 16, 1);
    Source src(FormatRgb32(), 3, 1, {0xFF0000AA, 0xFF0000BB, 0xFF0000CC});
    SB::BlendRuns(s.View(), src.Native(), src.AlphaRuns(), 10, 0, Rect(0, 0, 3, 1), Color::White, true);
    EXPECT_EQ(s.Get(10, 0) & 0xFF, 0xCCu);
    EXPECT_EQ(s.Get(11, 0) & 0xFF, 0xBBu);
    EXPECT_EQ(s.Get(12, 0) & 0xFF, 0xAAu);
    // Partly off the left edge: the right end of the source is cut.
    Source five(FormatRgb32(), 5, 1, {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004, 0xFF000005});
    Zolt::SaturationTableSet tables(FormatRgb32());
    SB::BlendRuns(s.View(), five.Native(), five.AlphaRuns(), -2, 0, Rect(0, 0, 5, 1), Color::White, true);
    EXPECT_EQ(s.Get(0, 0) & 0xFF, 3u);
    EXPECT_EQ(s.Get(1, 0) & 0xFF, 2u);
    EXPECT_EQ(s.Get(2, 0) & 0xFF, 1u);
    // Off the right edge: the left end of the source is cut.
    SB::AddRuns(s.View(), tables.View(), five.Native(), five.AdditiveRuns(), 14, 0, Rect(0, 0, 5, 1), Color::White,
                true);
    EXPECT_EQ(s.Get(15, 0) & 0xFF, 4u);
    EXPECT_EQ(s.Get(14, 0) & 0xFF, 5u);
    EXPECT_TRUE(s.GuardsIntact());
}

TEST(SurfaceCopy, TranslucentPixelUnderATranslucentTintOfTheSameAlphaStillBlends)
{
    // Only a fully opaque pixel under a fully opaque tint replaces the
    // destination; equal alphas below 255 blend like any other pixel.
    TestSurface s(FormatRgb32(), 2, 1);
    Paint(s, 0x00FFFFFF);
    Source src(FormatRgb32(), 2, 1, {0x80000000, 0xFF000000});
    SB::BlendRuns(s.View(), src.Native(), src.AlphaRuns(), 0, 0, Rect(0, 0, 2, 1), Color(255, 255, 255, 128), false);
    // a' = 128 x 128 / 255 = 64: three quarters of the white stay.
    EXPECT_EQ(s.Get(0, 0), 0x00BFBFBFu);
    // The opaque pixel under the half tint blends by 128.
    EXPECT_EQ(s.Get(1, 0), 0x007F7F7Fu);
}

TEST(SurfaceCopy, AdditiveBlitSkipsBlackRunsAndSaturatesWhite)
{
    for (const NamedFormat& nf : AllFormats()) {
        SCOPED_TRACE(nf.name);
        TestSurface s(nf.format, 4, 1);
        Zolt::SaturationTableSet tables(nf.format);
        s.SetArgb(0, 0, 0xFF336699);
        s.SetArgb(1, 0, 0xFF336699);
        s.SetArgb(2, 0, 0xFFFFFFFF);
        s.SetArgb(3, 0, 0xFF102030);
        const uint32_t before = s.Get(0, 0);
        Source src(nf.format, 4, 1, {0xFF000000, 0x00000000, 0xFFFFFFFF, 0xFF404040});
        SB::AddRuns(s.View(), tables.View(), src.Native(), src.AdditiveRuns(), 0, 0, Rect(0, 0, 4, 1), Color::White,
                    false);
        EXPECT_EQ(s.Get(0, 0), before);
        EXPECT_EQ(s.Get(1, 0), before);
        EXPECT_EQ(s.Get(2, 0), s.Format().FromArgb(0xFFFFFFFF));
        EXPECT_EQ(s.GetArgb(3, 0), s.Format().ToArgb(s.Format().FromArgb(0xFF102030) + s.Format().FromArgb(0xFF404040)));
    }
}

TEST(SurfaceCopy, UnusableSurfacesAndMissingFormsDrawNothing)
{
    TestSurface s(Format565(), 4, 4);
    Source src(Format565(), 2, 2, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF});
    Zolt::SurfaceView odd = s.View();
    odd.pitch = 7; // not a whole number of pixels
    SB::CopyNative(odd, src.Native(), false, 0, 0, Rect(0, 0, 2, 2));
    Zolt::SurfaceView deep = s.View();
    deep.format = SurfaceFormat::FromMasks(24, 0xFF0000, 0xFF00, 0xFF);
    SB::BlendRuns(deep, src.Native(), src.AlphaRuns(), 0, 0, Rect(0, 0, 2, 2), Color::White, false);
    SB::BlendRuns(s.View(), src.Native(), nullptr, 0, 0, Rect(0, 0, 2, 2), Color::White, false);
    Zolt::SaturationTables none;
    SB::AddRuns(s.View(), none, src.Native(), src.AdditiveRuns(), 0, 0, Rect(0, 0, 2, 2), Color::White, false);
    EXPECT_EQ(s.Get(0, 0), 0u);
    EXPECT_TRUE(s.GuardsIntact());
}

TEST(SurfaceCopy, AdditiveBlitClampsEveryChannelOnItsOwn)
{
    for (const NamedFormat& nf : AllFormats()) {
        SCOPED_TRACE(nf.name);
        const int w = 64, h = 16;
        std::vector<uint32_t> px = Pattern(w, h, 21, [](int, int) -> uint32_t { return 255; });
        Source src(nf.format, w, h, px);
        TestSurface s(nf.format, w, h);
        const std::vector<uint32_t> bg = Pattern(w, h, 33, [](int, int) -> uint32_t { return 255; });
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                s.SetArgb(x, y, bg[static_cast<size_t>(y) * w + x]);
        Zolt::SaturationTableSet tables(nf.format);
        SB::AddRuns(s.View(), tables.View(), src.Native(), src.AdditiveRuns(), 0, 0, Rect(0, 0, w, h), Color::White,
                    false);
        const SurfaceFormat& f = nf.format;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t a = f.FromArgb(px[static_cast<size_t>(y) * w + x]);
                const uint32_t b = f.FromArgb(bg[static_cast<size_t>(y) * w + x]);
                uint32_t expected = 0;
                for (int c = 0; c < 3; ++c)
                    expected |= std::min((a & f.masks[c]) + (b & f.masks[c]), f.masks[c]);
                ASSERT_EQ(s.Get(x, y), expected) << x << "," << y;
            }
    }
}
