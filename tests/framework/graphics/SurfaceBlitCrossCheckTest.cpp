// The same scenes drawn by the surface blitters into each surface layout and
// by the memory image's blitters into ARGB pixels agree, up to what the
// surface arithmetic loses: the source is premultiplied and cut to the
// channel's width before blending (up to 1 step), 16-bit blends use 5-bit
// weights (up to 1 more step), and the memory result is itself cut to the
// channel's width when compared (up to 1 step).
#include "SurfaceBlitTestSupport.h"

#include "framework/graphics/StretchMapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace surfacetest;
using Zolt::Color;
using Zolt::MemoryImage;
using Zolt::Rect;
namespace SB = Zolt::SurfaceBlit;

namespace {

constexpr int kW = 40;
constexpr int kH = 30;

// A source with every alpha class in runs of varied length.
std::vector<uint32_t> MixedSprite(int w, int h)
{
    return Pattern(w, h, 7, [](int x, int y) -> uint32_t {
        if (x < 2 || y == 0)
            return 0;
        if ((x + y) % 7 < 2)
            return static_cast<uint32_t>(1 + (x * 37 + y * 11) % 254);
        return 255;
    });
}

std::vector<uint32_t> KeyedSprite(int w, int h)
{
    return Pattern(w, h, 9, [](int x, int y) -> uint32_t { return (x + 2 * y) % 5 == 0 ? 0 : 255; });
}

std::vector<uint32_t> Background(int w, int h)
{
    return Pattern(w, h, 3, [](int, int) -> uint32_t { return 255; });
}

struct Scene {
    // Draws on the memory destination.
    std::function<void(MemoryImage& dest)> memory;
    // Draws on the surface; the source's forms are made for `display`.
    std::function<void(const Zolt::SurfaceView& dest, Zolt::NativeDisplay& display, const Zolt::SaturationTables& t)>
        surface;
};

// Runs one scene in every layout; returns the worst channel distance seen
// per layout, after checking that nothing outside the pixels was written.
void ExpectAgreement(const char* what, const Scene& scene, int tolerance16, int tolerance32)
{
    for (const NamedFormat& nf : AllFormats()) {
        SCOPED_TRACE(std::string(what) + " on " + nf.name);
        TestSurface surface(nf.format, kW, kH);
        const std::vector<uint32_t> background = Background(kW, kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                surface.SetArgb(x, y, background[static_cast<size_t>(y) * kW + x]);
        // Both start from the same (already quantised) picture.
        auto memory = Image(kW, kH, surface.ArgbPixels());

        Zolt::NativeDisplay display = DisplayOf(nf.format);
        Zolt::SaturationTableSet tables(nf.format);
        scene.surface(surface.View(), display, tables.View());
        scene.memory(*memory);

        const uint32_t* expected = memory->RequireBits();
        int worst = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                worst = std::max(worst, ChannelDistance(nf.format, surface.Get(x, y),
                                                        nf.format.FromArgb(expected[static_cast<size_t>(y) * kW + x])));
        EXPECT_LE(worst, nf.format.bitsPerPixel == 16 ? tolerance16 : tolerance32);
        EXPECT_TRUE(surface.GuardsIntact());
    }
}

} // namespace

TEST(SurfaceBlitCrossCheck, OpaqueAndKeyedCopiesMatchExactly)
{
    auto opaque = Image(17, 13, Background(17, 13));
    auto keyed = Image(17, 13, KeyedSprite(17, 13));
    for (MemoryImage* src : {opaque.get(), keyed.get()}) {
        src->DropDerivedData();
        ExpectAgreement(
            src == keyed.get() ? "keyed copy" : "opaque copy",
            {[&](MemoryImage& d) { d.BlitImage(src, 5, 4, Rect(0, 0, 17, 13), Color::White, 0); },
             [&](const Zolt::SurfaceView& v, Zolt::NativeDisplay& nd, const Zolt::SaturationTables&) {
                 src->DropDerivedData();
                 SB::CopyNative(v, NativeOf(*src, nd), src->HasTransparency(), 5, 4, Rect(0, 0, 17, 13));
                 src->DropDerivedData();
             }},
            0, 0);
    }
}

TEST(SurfaceBlitCrossCheck, TranslucentRunsTintsAndVolatileBlendsStayWithinTheQuantisation)
{
    auto sprite = Image(30, 20, MixedSprite(30, 20));
    const Color tints[] = {Color::White, Color(128, 128, 128, 255), Color(200, 90, 30, 180), Color(255, 255, 255, 128)};
    for (const Color& tint : tints) {
        ExpectAgreement(
            "run blit",
            {[&](MemoryImage& d) { d.BlitImage(sprite.get(), 6, 5, Rect(0, 0, 30, 20), tint, 0); },
             [&](const Zolt::SurfaceView& v, Zolt::NativeDisplay& nd, const Zolt::SaturationTables&) {
                 sprite->DropDerivedData();
                 SB::BlendRuns(v, NativeOf(*sprite, nd), sprite->RequireRLAlpha(), 6, 5, Rect(0, 0, 30, 20), tint,
                               false);
                 sprite->DropDerivedData();
             }},
            // A 5-bit weight drops up to 7/256 of the destination: almost
            // two steps of a 6-bit green.
            3, 2);
    }
    ExpectAgreement("volatile blend",
                    {[&](MemoryImage& d) { d.BlitImage(sprite.get(), -3, 12, Rect(0, 0, 30, 20), Color::White, 0); },
                     [&](const Zolt::SurfaceView& v, Zolt::NativeDisplay&, const Zolt::SaturationTables&) {
                         SB::BlendArgb(v, ArgbOf(*sprite), -3, 12, Rect(0, 0, 30, 20), RgbOrderOf(v.format));
                     }},
                    // The blue-first layout scales the colour before it weighs it.
                    2, 2);
}

TEST(SurfaceBlitCrossCheck, AdditiveBlitsSaturateLikeTheMemoryImage)
{
    // Transparent pixels are black here: the memory image adds the colour of
    // transparent pixels of an untranslucent source, the surface's
    // premultiplied copy never does.
    auto sprite = Image(30, 20, MixedSprite(30, 20));
    for (const Color& tint : {Color::White, Color(255, 120, 40, 200)}) {
        ExpectAgreement(
            "additive blit",
            {[&](MemoryImage& d) { d.BlitImage(sprite.get(), 4, 3, Rect(0, 0, 30, 20), tint, 1); },
             [&](const Zolt::SurfaceView& v, Zolt::NativeDisplay& nd, const Zolt::SaturationTables& t) {
                 sprite->DropDerivedData();
                 SB::AddRuns(v, t, NativeOf(*sprite, nd), sprite->RequireRLAdditive(&nd), 4, 3, Rect(0, 0, 30, 20),
                             tint, false);
                 sprite->DropDerivedData();
             }},
            2, 2);
    }
}

TEST(SurfaceBlitCrossCheck, FillsAndLinesMatchTheMemoryImage)
{
    for (const Color& c : {Color(255, 255, 255, 255), Color(10, 200, 90, 255), Color(250, 20, 130, 77)}) {
        ExpectAgreement("fill",
                        {[&](MemoryImage& d) { d.FillRectangle(Rect(3, 4, 20, 9), c, 0); },
                         [&](const Zolt::SurfaceView& v, Zolt::NativeDisplay&, const Zolt::SaturationTables&) {
                             SB::FillNormal(v, Rect(3, 4, 20, 9), c);
                         }},
                        1, 1);
        ExpectAgreement("line",
                        {[&](MemoryImage& d) { d.DrawLineSegment(2.5, 3.2, 31.7, 21.9, c, 0); },
                         [&](const Zolt::SurfaceView& v, Zolt::NativeDisplay&, const Zolt::SaturationTables&) {
                             SB::LineNormal(v, 2.5, 3.2, 31.7, 21.9, c);
                         }},
                        1, 1);
        ExpectAgreement("additive line",
                        {[&](MemoryImage& d) { d.DrawLineSegment(30.2, 2.0, 4.9, 25.5, c, 1); },
                         [&](const Zolt::SurfaceView& v, Zolt::NativeDisplay&, const Zolt::SaturationTables& t) {
                             SB::LineAdditive(v, t, 30.2, 2.0, 4.9, 25.5, c);
                         }},
                        1, 1);
        // The memory line steps by the slope of the truncated end points, the
        // surface line by that of the exact ones: whole-pixel ends make them
        // the same line. On 16 bits the colour is cut (v x M >> 8) and the
        // weights are 5-bit (at most 31/32 of the colour): four green steps.
        ExpectAgreement("smooth line",
                        {[&](MemoryImage& d) { d.DrawLineSegmentSmooth(1.0, 2.0, 35.0, 17.0, c, 0); },
                         [&](const Zolt::SurfaceView& v, Zolt::NativeDisplay&, const Zolt::SaturationTables&) {
                             SB::LineSmoothNormal(v, 1.0, 2.0, 35.0, 17.0, c);
                         }},
                        4, 2);
    }
}

TEST(SurfaceBlitCrossCheck, NearestStretchMatchesTheMemoryQuickStretch)
{
    // Scales whose 16.16 step is exact: elsewhere the truncated step makes
    // the surface sample lag the memory image's by one source pixel at some
    // block edges.
    auto sprite = Image(24, 18, MixedSprite(24, 18));
    const Rect clip(0, 0, kW, kH);
    struct Case {
        Rect source;
        Rect dest;
    };
    for (const Case& c : {Case{Rect(0, 0, 12, 9), Rect(1, 3, 24, 18)}, Case{Rect(2, 2, 20, 16), Rect(5, 4, 10, 8)},
                          Case{Rect(0, 0, 24, 18), Rect(-8, -6, 48, 36)}}) {
        ExpectAgreement(
            "stretch",
            {[&](MemoryImage& d) { d.BlitImageStretched(sprite.get(), c.dest, c.source, clip, Color::White, 0, true); },
             [&](const Zolt::SurfaceView& v, Zolt::NativeDisplay& nd, const Zolt::SaturationTables& t) {
                 Zolt::DoubleRect area;
                 Rect clipped;
                 ASSERT_TRUE(Zolt::MapStretchRects(c.source, clip, c.dest, area, clipped));
                 sprite->DropDerivedData();
                 SB::StretchNearest(v, t, NativeOf(*sprite, nd), c.source, area, clipped, Color::White, 0, false);
                 sprite->DropDerivedData();
             }},
            3, 2);
    }
}

TEST(SurfaceBlitCrossCheck, RotatedBlitMatchesTheMemoryImageAwayFromItsEdges)
{
    // Both sample bilinearly in 16.16; they differ in which edge samples they
    // visit, so only pixels whose four neighbours lie well inside the source
    // are compared.
    auto sprite = Image(24, 18, Background(24, 18));
    const double angles[] = {0.0, 0.4, -1.1, 2.5};
    for (double angle : angles) {
        for (int mode : {0, 1}) {
            for (const NamedFormat& nf : AllFormats()) {
                SCOPED_TRACE(std::string(nf.name) + " angle " + std::to_string(angle) + " mode " + std::to_string(mode));
                TestSurface surface(nf.format, kW, kH);
                for (int y = 0; y < kH; ++y)
                    for (int x = 0; x < kW; ++x)
                        surface.SetArgb(x, y, Background(kW, kH)[static_cast<size_t>(y) * kW + x]);
                auto memory = Image(kW, kH, surface.ArgbPixels());
                Zolt::SaturationTableSet tables(nf.format);
                const float x = 8.5f, y = 6.25f, cx = 12.0f, cy = 9.0f;
                SB::Rotate(surface.View(), tables.View(), ArgbOf(*sprite), x, y, Rect(0, 0, 24, 18),
                           Rect(0, 0, kW, kH), Color::White, mode, angle, cx, cy, RgbOrderOf(nf.format));
                memory->BlitImageRotated(sprite.get(), x, y, Rect(0, 0, 24, 18), Rect(0, 0, kW, kH), Color::White,
                                         mode, angle, cx, cy);
                const uint32_t* expected = memory->RequireBits();
                int worst = 0;
                for (int py = 0; py < kH; ++py)
                    for (int px = 0; px < kW; ++px) {
                        const double dx = px - x - cx, dy = py - y - cy;
                        const double u = dx * std::cos(angle) - dy * std::sin(angle) + cx;
                        const double v = dx * std::sin(angle) + dy * std::cos(angle) + cy;
                        if (u < 2 || v < 2 || u > 24 - 3 || v > 18 - 3)
                            continue;
                        worst = std::max(worst, ChannelDistance(nf.format, surface.Get(px, py),
                                                                nf.format.FromArgb(expected[py * kW + px])));
                    }
                // The memory image replaces a pixel whose weights reach 251,
                // the surface still adds the destination's last 2/256.
                EXPECT_LE(worst, 3);
                EXPECT_TRUE(surface.GuardsIntact());
            }
        }
    }
}
