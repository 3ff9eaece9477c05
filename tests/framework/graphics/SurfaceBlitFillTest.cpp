// Fills and lines on locked surfaces.
#include "SurfaceBlitTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

using namespace surfacetest;
using Zolt::Color;
using Zolt::Rect;
namespace SB = Zolt::SurfaceBlit;

TEST(SurfaceFill, OpaqueWhiteFillsTheWholeFieldOn16BitsButStores254On32Bits)
{
    TestSurface rgb(FormatRgb32(), 8, 4), s565(Format565(), 8, 4), s555(Format555(), 8, 4);
    SB::FillNormal(rgb.View(), Rect(1, 1, 3, 2), Color(255, 255, 255, 255));
    SB::FillNormal(s565.View(), Rect(1, 1, 3, 2), Color(255, 255, 255, 255));
    SB::FillNormal(s555.View(), Rect(1, 1, 3, 2), Color(255, 255, 255, 255));
    EXPECT_EQ(rgb.Get(1, 1), 0x00FEFEFEu);
    EXPECT_EQ(s565.Get(3, 2), 0xFFFFu);
    EXPECT_EQ(s555.Get(3, 2), 0x7FFFu);
    EXPECT_EQ(rgb.Get(0, 1), 0u);
    EXPECT_EQ(s565.Get(4, 2), 0u);
    EXPECT_TRUE(rgb.GuardsIntact() && s565.GuardsIntact() && s555.GuardsIntact());
}

TEST(SurfaceFill, TranslucentFillBlendsAndATransparentOneChangesNothing)
{
    TestSurface s(Format565(), 4, 2);
    s.Set(0, 0, 0xFFFF);
    SB::FillNormal(s.View(), Rect(0, 0, 4, 2), Color(0, 0, 0, 128));
    // Each field halved; the mask term adds only M / 256 before the cut.
    EXPECT_EQ(s.Get(0, 0), (15u << 11) | (31u << 5) | 15u);
    s.Set(1, 1, 0x1234);
    SB::FillNormal(s.View(), Rect(0, 0, 4, 2), Color(255, 0, 0, 0));
    EXPECT_EQ(s.Get(1, 1), 0x1234u);

    TestSurface wide(FormatBgr32(), 4, 2);
    wide.Set(2, 1, 0x00FFFFFF);
    SB::FillNormal(wide.View(), Rect(0, 0, 4, 2), Color(255, 0, 0, 64));
    // Red is the low byte on this layout: 255 x 192 / 256 + the colour's share.
    const uint32_t v = wide.Get(2, 1);
    EXPECT_EQ(v & 0xFF, 191u + (((255 * 64 + 127) >> 8) + 1) * 255 / 256);
    EXPECT_EQ((v >> 8) & 0xFF, 191u);
}

TEST(SurfaceFill, RectanglesReachingPastTheSurfaceAreCut)
{
    for (const NamedFormat& nf : AllFormats()) {
        SCOPED_TRACE(nf.name);
        TestSurface s(nf.format, 5, 4);
        Zolt::SaturationTableSet tables(nf.format);
        SB::FillNormal(s.View(), Rect(-3, -2, 100, 100), Color(10, 20, 30, 255));
        SB::FillNormal(s.View(), Rect(3, 1, std::numeric_limits<int32_t>::max(), 2), Color(10, 20, 30, 99));
        SB::FillAdditive(s.View(), tables.View(), Rect(-7, 2, 9, 50), Color(200, 200, 200, 255));
        SB::FillNormal(s.View(), Rect(6, 0, 2, 2), Color(255, 255, 255, 255));
        EXPECT_TRUE(s.GuardsIntact());
        EXPECT_NE(s.Get(4, 3), 0u);
    }
}

TEST(SurfaceFill, AdditiveFillSaturatesEachChannelOnItsOwn)
{
    for (const NamedFormat& nf : AllFormats()) {
        SCOPED_TRACE(nf.name);
        TestSurface s(nf.format, 3, 1);
        Zolt::SaturationTableSet tables(nf.format);
        s.SetArgb(0, 0, 0xFFFFFFFF);
        s.SetArgb(1, 0, 0xFFF00000);
        SB::FillAdditive(s.View(), tables.View(), Rect(0, 0, 3, 1), Color(255, 0, 0, 255));
        EXPECT_EQ(s.GetArgb(0, 0), s.Format().ToArgb(s.Format().FromArgb(0xFFFFFFFF)));
        // Red saturates; nothing carries into green.
        EXPECT_EQ(s.Get(1, 0), s.Format().masks[0]);
        EXPECT_EQ(s.Get(2, 0), s.Format().masks[0]);
    }
}

TEST(SurfaceFill, ColourComponentsOutsideTheByteAreClamped)
{
    // An unclamped 1000 would index the saturation tables past their end.
    TestSurface s(Format565(), 2, 1), reference(Format565(), 2, 1);
    Zolt::SaturationTableSet tables(Format565());
    SB::FillAdditive(s.View(), tables.View(), Rect(0, 0, 2, 1), Color(1000, -50, 255, 4000));
    SB::FillAdditive(reference.View(), tables.View(), Rect(0, 0, 2, 1), Color(255, 0, 255, 255));
    EXPECT_EQ(s.Get(0, 0), reference.Get(0, 0));
    SB::LineAdditive(s.View(), tables.View(), 0.0, 0.0, 1.0, 0.5, Color(1000, 1000, 1000, 1000));
    EXPECT_TRUE(s.GuardsIntact());
}

TEST(SurfaceLine, WalkFollowsTheBresenhamStepsAndStaysInTheBox)
{
    TestSurface s(FormatRgb32(), 8, 5);
    SB::LineNormal(s.View(), 0.0, 0.0, 6.0, 2.0, Color(255, 255, 255, 255));
    std::vector<std::pair<int, int>> lit;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x)
            if (s.Get(x, y) != 0)
                lit.emplace_back(x, y);
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 2}};
    EXPECT_EQ(lit, expected);
    // An opaque line stores (v x M + M / 2) >> 8: 254 for 255 on 8 bits.
    EXPECT_EQ(s.Get(3, 1), 0x00FEFEFEu);
}

TEST(SurfaceLine, TranslucentAndAdditiveLinesBlendWithTheDestination)
{
    TestSurface s(Format565(), 6, 6);
    Zolt::SaturationTableSet tables(Format565());
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            s.Set(x, y, 0xFFFF);
    SB::LineNormal(s.View(), 0.0, 0.0, 5.0, 5.0, Color(0, 0, 0, 128));
    EXPECT_EQ(s.Get(2, 2), (15u << 11) | (31u << 5) | 15u);
    EXPECT_EQ(s.Get(3, 2), 0xFFFFu);
    SB::LineAdditive(s.View(), tables.View(), 0.0, 5.0, 5.0, 0.0, Color(255, 255, 255, 255));
    EXPECT_EQ(s.Get(1, 4), 0xFFFFu);
}

TEST(SurfaceLine, LinesOffTheSurfaceOrWithoutFiniteEndsWriteNothingOutside)
{
    for (const NamedFormat& nf : AllFormats()) {
        SCOPED_TRACE(nf.name);
        TestSurface s(nf.format, 6, 4);
        Zolt::SaturationTableSet tables(nf.format);
        const Color c(200, 100, 50, 255);
        SB::LineNormal(s.View(), -10.5, -3.0, 20.0, 9.7, c);
        SB::LineAdditive(s.View(), tables.View(), 50.0, 2.0, -40.0, 3.0, c);
        SB::LineSmoothNormal(s.View(), -3.2, 7.0, 9.9, -2.0, Color(200, 100, 50, 90));
        SB::LineSmoothNormal(s.View(), 5.9, 3.9, 0.0, 0.0, c);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        SB::LineNormal(s.View(), nan, 0.0, 3.0, 3.0, c);
        SB::LineSmoothNormal(s.View(), 0.0, inf, 3.0, 3.0, c);
        SB::LineAdditive(s.View(), tables.View(), 0.0, 0.0, 1e300, 2.0, c);
        EXPECT_TRUE(s.GuardsIntact());
    }
}

TEST(SurfaceLine, SmoothLineOnTheLastRowDrawsNoNeighbourBelowIt)
{
    TestSurface s(FormatRgb32(), 10, 3);
    // Nearly flat along the bottom row: every step has a partial neighbour
    // in the row below, which does not exist.
    SB::LineSmoothNormal(s.View(), 0.0, 2.0, 9.0, 2.9, Color(255, 255, 255, 255));
    EXPECT_TRUE(s.GuardsIntact());
    EXPECT_NE(s.Get(4, 2), 0u);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(s.Get(x, 1), 0u);
}

TEST(SurfaceLine, SmoothLineWithBothEndsInOnePixelDrawsThatPixel)
{
    TestSurface s(Format555(), 4, 4);
    SB::LineSmoothNormal(s.View(), 2.1, 1.2, 2.8, 1.9, Color(255, 255, 255, 255));
    int lit = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            lit += s.Get(x, y) != 0;
    EXPECT_EQ(lit, 1);
    EXPECT_NE(s.Get(2, 1), 0u);
}
