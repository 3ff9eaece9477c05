// Wide random images through the blitters' fast paths, checked pixel for
// pixel against the arithmetic written out plainly here.
#include "TestImageHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace Zolt {
namespace {

using testing::MakeImage;

constexpr int kW = 37, kH = 5;

std::vector<uint32_t> Random(uint32_t seed, bool opaque, bool mixAlpha)
{
    std::mt19937 rng(seed);
    std::vector<uint32_t> v(kW * kH);
    for (auto& p : v) {
        p = rng();
        if (opaque)
            p |= 0xFF000000;
        else if (mixAlpha) {
            const uint32_t pick = rng() % 4;
            if (pick == 0)
                p &= 0x00FFFFFF;
            else if (pick == 1)
                p |= 0xFF000000;
        }
    }
    return v;
}

uint32_t PairBlend(uint32_t d, uint32_t s, uint32_t w)
{
    const uint32_t rb = ((((d & 0xFF00FF) * (256 - w)) >> 8) + (((s & 0xFF00FF) * w) >> 8)) & 0xFF00FF;
    const uint32_t g = ((((d & 0xFF00) * (256 - w)) >> 8) + (((s & 0xFF00) * w) >> 8)) & 0xFF00;
    return rb | g;
}

std::vector<uint32_t> Bits(MemoryImage& image)
{
    const uint32_t* p = image.RequireBits();
    return std::vector<uint32_t>(p, p + kW * kH);
}

TEST(BlitterReference, TranslucentFillOverOpaqueAndMixedDestinations)
{
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        auto dst = Random(seed, seed != 3, true);
        auto image = MakeImage(kW, kH, dst);
        const Color c(17, 200, 99, 77);
        image->FillRectangle(Rect(1, 0, kW - 2, kH), c, DrawMode::Normal);
        std::vector<uint32_t> expected = dst;
        for (int y = 0; y < kH; ++y)
            for (int x = 1; x < kW - 1; ++x) {
                uint32_t& d = expected[y * kW + x];
                const uint32_t dA = d >> 24;
                const uint32_t outA = dA + (255 - dA) * 77 / 255;
                d = (outA << 24) | PairBlend(d, c.ToPacked(), 77 * 255 / outA);
            }
        EXPECT_EQ(Bits(*image), expected) << seed;
    }
}

TEST(BlitterReference, AlphaBlitOntoOpaqueDestination)
{
    auto src = Random(7, false, true);
    auto dst = Random(8, true, false);
    auto source = MakeImage(kW, kH, src);
    auto image = MakeImage(kW, kH, dst);
    image->BlitImage(source.get(), 0, 0, Rect(0, 0, kW, kH), Color::White, DrawMode::Normal);
    std::vector<uint32_t> expected = dst;
    for (size_t i = 0; i < expected.size(); ++i) {
        const uint32_t a = src[i] >> 24;
        if (a == 255)
            expected[i] = src[i];
        else if (a != 0)
            expected[i] = 0xFF000000 | PairBlend(expected[i], src[i], a);
    }
    EXPECT_EQ(Bits(*image), expected);
}

TEST(BlitterReference, AdditiveBlitWithAndWithoutSourceTranslucency)
{
    for (bool translucent : {false, true}) {
        auto src = Random(11, false, false);
        auto dst = Random(12, false, false);
        auto source = MakeImage(kW, kH, src);
        source->ForceAlphaFlags(false, translucent);
        auto image = MakeImage(kW, kH, dst);
        image->BlitImage(source.get(), 0, 0, Rect(0, 0, kW, kH), Color::White, DrawMode::Additive);
        std::vector<uint32_t> expected = dst;
        for (size_t i = 0; i < expected.size(); ++i) {
            uint32_t out = expected[i] & 0xFF000000;
            for (int shift = 0; shift <= 16; shift += 8) {
                uint32_t s = (src[i] >> shift) & 0xFF;
                if (translucent)
                    s = (s * (src[i] >> 24)) >> 8;
                out |= std::min<uint32_t>(((expected[i] >> shift) & 0xFF) + s, 255) << shift;
            }
            expected[i] = out;
        }
        EXPECT_EQ(Bits(*image), expected) << translucent;
    }
}

} // namespace
} // namespace Zolt

namespace Zolt {
namespace {

// The rotated blit reads a palettised source pixel by pixel and a plain one
// through its fast path; both must give the same pixels.
TEST(BlitterReference, RotatedBlitOfBitsMatchesItsPalettisedTwin)
{
    std::mt19937 rng(5);
    std::vector<uint32_t> colours(40);
    for (auto& c : colours) {
        c = rng();
        if (rng() % 3 == 0)
            c |= 0xFF000000;
    }
    std::vector<uint32_t> pixels(29 * 23);
    for (auto& p : pixels)
        p = colours[rng() % colours.size()];
    auto plain = testing::MakeImage(29, 23, pixels);
    auto paletted = testing::MakeImage(29, 23, pixels);
    ASSERT_TRUE(paletted->ConvertToPalette());
    for (int mode : {DrawMode::Normal, DrawMode::Additive}) {
        for (double angle : {0.0, 0.3, 2.0}) {
            auto a = testing::MakeImage(40, 40, std::vector<uint32_t>(1600, 0x80306090));
            auto b = testing::MakeImage(40, 40, std::vector<uint32_t>(1600, 0x80306090));
            a->BlitImageRotated(plain.get(), 5.5f, 4.25f, Rect(0, 0, 29, 23), Rect(0, 0, 40, 40), Color::White, mode,
                                angle, 14, 11);
            b->BlitImageRotated(paletted.get(), 5.5f, 4.25f, Rect(0, 0, 29, 23), Rect(0, 0, 40, 40), Color::White,
                                mode, angle, 14, 11);
            const uint32_t* pa = a->RequireBits();
            const uint32_t* pb = b->RequireBits();
            EXPECT_TRUE(std::equal(pa, pa + 1600, pb)) << mode << " " << angle;
        }
    }
}

} // namespace
} // namespace Zolt

namespace Zolt {
namespace {

// The filtered stretch has a fast path for plain sources enlarged both ways;
// a palettised twin takes the general one. Odd sizes, clipping and a
// translucent destination included.
TEST(BlitterReference, FilteredStretchOfBitsMatchesItsPalettisedTwin)
{
    std::mt19937 rng(9);
    std::vector<uint32_t> colours(60);
    for (auto& c : colours)
        c = rng() | (rng() % 2 ? 0xFF000000u : 0u);
    std::vector<uint32_t> pixels(13 * 11);
    for (auto& p : pixels)
        p = colours[rng() % colours.size()];
    auto plain = testing::MakeImage(13, 11, pixels);
    auto paletted = testing::MakeImage(13, 11, pixels);
    ASSERT_TRUE(paletted->ConvertToPalette());
    const Rect dests[] = {Rect(1, 2, 31, 27), Rect(-3, 0, 40, 23), Rect(0, 0, 6, 30), Rect(2, 1, 29, 5),
                          Rect(3, 2, 6, 5),   Rect(-1, 0, 7, 4),   Rect(0, 0, 1, 1)};
    for (const Rect& dest : dests) {
        auto a = testing::MakeImage(33, 31, std::vector<uint32_t>(33 * 31, 0x60402010));
        auto b = testing::MakeImage(33, 31, std::vector<uint32_t>(33 * 31, 0x60402010));
        const Rect src(1, 1, 11, 9), clip(0, 0, 30, 29);
        a->BlitImageStretched(plain.get(), dest, src, clip, Color::White, DrawMode::Normal, false);
        b->BlitImageStretched(paletted.get(), dest, src, clip, Color::White, DrawMode::Normal, false);
        const uint32_t* pa = a->RequireBits();
        const uint32_t* pb = b->RequireBits();
        EXPECT_TRUE(std::equal(pa, pa + 33 * 31, pb)) << dest.width << "x" << dest.height;
    }
}

} // namespace
} // namespace Zolt
