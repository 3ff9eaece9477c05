// The bilinear rotated blit onto locked surfaces.
#include "SurfaceBlitTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace surfacetest;
using Zolt::Color;
using Zolt::Rect;
namespace SB = Zolt::SurfaceBlit;

namespace {

void Rotate(TestSurface& s, Zolt::MemoryImage& src, float x, float y, const Rect& sourceRect, const Rect& clip,
            const Color& tint, int mode, double angle, float cx, float cy, bool rgbOrder)
{
    Zolt::SaturationTableSet tables(s.Format());
    SB::Rotate(s.View(), tables.View(), ArgbOf(src), x, y, sourceRect, clip, tint, mode, angle, cx, cy, rgbOrder);
}

} // namespace

TEST(SurfaceRotate, AngleZeroDrawsTheInnerColumnsOfAllButTheLastRow)
{
    const int w = 6, h = 4;
    auto src = Image(w, h, std::vector<uint32_t>(w * h, 0xFFFFFFFF));
    TestSurface s(FormatRgb32(), 12, 8);
    Rotate(s, *src, 3.0f, 2.0f, Rect(0, 0, w, h), Rect(0, 0, 12, 8), Color::White, 0, 0.0, 0.0f, 0.0f, true);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool drawn = x >= 3 + 1 && x <= 3 + w - 2 && y >= 2 && y <= 2 + h - 2;
            EXPECT_EQ(s.Get(x, y) != 0, drawn) << x << "," << y;
        }
    // The sample's own weight is 254 of 256, so white over black gives
    // 255 x 254 >> 8 = 253 in each byte.
    EXPECT_EQ(s.Get(5, 3), 0x00FDFDFDu);
}

TEST(SurfaceRotate, BoxOutsideTheClipDrawsNothing)
{
    auto src = Image(4, 4, std::vector<uint32_t>(16, 0xFFFFFFFF));
    TestSurface s(Format565(), 10, 10);
    Rotate(s, *src, 2.0f, 2.0f, Rect(0, 0, 4, 4), Rect(8, 8, 2, 2), Color::White, 0, 0.3, 2.0f, 2.0f, true);
    Rotate(s, *src, 50.0f, 2.0f, Rect(0, 0, 4, 4), Rect(0, 0, 10, 10), Color::White, 1, 1.0, 2.0f, 2.0f, true);
    for (uint32_t p : s.ArgbPixels())
        EXPECT_EQ(p, 0xFF000000u);
    EXPECT_FALSE(SB::RotatedBoxVisible(10, 10, 2.0f, 2.0f, Rect(0, 0, 4, 4), Rect(8, 8, 2, 2), 0.3, 2.0f, 2.0f));
}

TEST(SurfaceRotate, AdditiveBlitScalesByTheTintFactorsEvenWhenWhite)
{
    auto src = Image(4, 3, std::vector<uint32_t>(12, 0xFFFFFFFF));
    TestSurface s(FormatRgb32(), 8, 6);
    Rotate(s, *src, 1.0f, 1.0f, Rect(0, 0, 4, 3), Rect(0, 0, 8, 6), Color::White, 1, 0.0, 0.0f, 0.0f, true);
    // Red: (255 x 254 x 65536 >> 24) x 255 >> 8 = 252; green and blue the same.
    EXPECT_EQ(s.Get(2, 1), 0x00FCFCFCu);
}

TEST(SurfaceRotate, PackedAndGenericLoopsAgree)
{
    auto src = Image(9, 7, Pattern(9, 7, 11, [](int x, int y) -> uint32_t { return (x * 31 + y * 17) % 256; }));
    for (const NamedFormat& nf : AllFormats()) {
        SCOPED_TRACE(nf.name);
        TestSurface packed(nf.format, 16, 16), generic(nf.format, 16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                packed.SetArgb(x, y, 0xFF000000 | (x * 7919 + y * 104729));
                generic.SetArgb(x, y, 0xFF000000 | (x * 7919 + y * 104729));
            }
        Rotate(packed, *src, 3.3f, 2.7f, Rect(0, 0, 9, 7), Rect(0, 0, 16, 16), Color::White, 0, 0.7, 4.5f, 3.5f, true);
        Rotate(generic, *src, 3.3f, 2.7f, Rect(0, 0, 9, 7), Rect(0, 0, 16, 16), Color::White, 0, 0.7, 4.5f, 3.5f,
               false);
        int worst = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                worst = std::max(worst, ChannelDistance(nf.format, packed.Get(x, y), generic.Get(x, y)));
        // The packed 16-bit loops weigh the destination in 5-bit steps.
        EXPECT_LE(worst, nf.format.bitsPerPixel == 16 ? 2 : 1);
    }
}

TEST(SurfaceRotate, RandomTurnsNeverReadOrWriteOutside)
{
    // Sources are their own allocation, so the sanitizer sees any read past
    // them; the surface's guards show any write past it.
    std::mt19937 rng(7);
    auto r = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
    for (int i = 0; i < 400; ++i) {
        const NamedFormat nf = AllFormats()[i % 4];
        const int w = 2 + i % 7, h = 2 + (i / 7) % 5;
        auto src = Image(w, h, Pattern(w, h, i, [](int x, int y) -> uint32_t { return (x * 50 + y * 70) % 256; }));
        TestSurface s(nf.format, 13, 11);
        const Rect source(static_cast<int>(r(-2, w)), static_cast<int>(r(-2, h)), static_cast<int>(r(0, w + 3)),
                          static_cast<int>(r(0, h + 3)));
        const Rect clip(static_cast<int>(r(-5, 5)), static_cast<int>(r(-5, 5)), static_cast<int>(r(0, 25)),
                        static_cast<int>(r(0, 25)));
        const Color tint = i % 3 ? Color::White : Color(120, 240, 30, 200);
        Rotate(s, *src, static_cast<float>(r(-8, 14)), static_cast<float>(r(-8, 12)), source, clip, tint, i % 3,
               r(-7, 7), static_cast<float>(r(-5, 10)), static_cast<float>(r(-5, 10)), i % 2 == 0);
        ASSERT_TRUE(s.GuardsIntact()) << i;
    }
}
