// Blits of the memory image: plain (normal and additive), stretched and
// rotated, on small images with hand-worked results.
#include "TestImageHost.h"

#include "framework/graphics/StretchMapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Zolt {
namespace {

using testing::MakeFilled;
using testing::MakeImage;
using testing::PixelAt;

std::vector<uint32_t> Row(MemoryImage& image, int y = 0)
{
    const uint32_t* p = image.RequireBits() + static_cast<size_t>(y) * image.GetWidth();
    return std::vector<uint32_t>(p, p + image.GetWidth());
}

const Rect kWhole3(0, 0, 3, 1);

TEST(MemoryImageBlit, OpaqueDestinationCopiesSkipsAndBlendsRuns)
{
    auto source = MakeImage(3, 1, {0xFF112233, 0x00FFFFFF, 0x80FFFFFF});
    auto dest = MakeFilled(3, 1, 0xFF000000);
    dest->BlitImage(source.get(), 0, 0, kWhole3, Color::White, DrawMode::Normal);
    EXPECT_EQ(Row(*dest), (std::vector<uint32_t>{0xFF112233, 0xFF000000, 0xFF7F7F7F}));
    EXPECT_TRUE(source->IsDrawnFrom());
}

TEST(MemoryImageBlit, TranslucentDestinationCombinesAlpha)
{
    auto source = MakeImage(3, 1, {0xFF112233, 0x00FFFFFF, 0x80FFFFFF});
    auto dest = MakeFilled(3, 1, 0);
    dest->BlitImage(source.get(), 0, 0, kWhole3, Color::White, DrawMode::Normal);
    EXPECT_EQ(Row(*dest), (std::vector<uint32_t>{0xFF102132, 0, 0x80FEFEFE}));
}

TEST(MemoryImageBlit, GreyTintScalesRedBlueWordAndGreenSeparately)
{
    auto source = MakeFilled(1, 1, 0xFFFFFFFF);
    auto dest = MakeFilled(1, 1, 0xFF000000);
    dest->BlitImage(source.get(), 0, 0, Rect(0, 0, 1, 1), Color(128, 128, 128), DrawMode::Normal);
    EXPECT_EQ(PixelAt(*dest, 0, 0), 0xFF7E7F7Eu);
}

TEST(MemoryImageBlit, ColourTintScalesEachChannel)
{
    auto source = MakeFilled(1, 1, 0xFFFFFFFF);
    auto dest = MakeFilled(1, 1, 0xFF000000);
    dest->BlitImage(source.get(), 0, 0, Rect(0, 0, 1, 1), Color(255, 0, 0), DrawMode::Normal);
    EXPECT_EQ(PixelAt(*dest, 0, 0), 0xFFFD0000u);
    dest->BlitImage(source.get(), 0, 0, Rect(0, 0, 1, 1), Color(255, 255, 255, 0), DrawMode::Normal);
    EXPECT_EQ(PixelAt(*dest, 0, 0), 0xFFFD0000u); // tint alpha 0: nothing
}

TEST(MemoryImageBlit, PalettisedSourceDrawsLikeItsBits)
{
    const std::vector<uint32_t> pixels = {0xFF112233, 0x00FFFFFF, 0x80FFFFFF};
    auto plain = MakeImage(3, 1, pixels);
    auto paletted = MakeImage(3, 1, pixels);
    ASSERT_TRUE(paletted->ConvertToPalette());
    for (const Color& tint : {Color::White, Color(10, 200, 30, 128)}) {
        auto a = MakeFilled(3, 1, 0xFF405060);
        auto b = MakeFilled(3, 1, 0xFF405060);
        a->BlitImage(plain.get(), 0, 0, kWhole3, tint, DrawMode::Normal);
        b->BlitImage(paletted.get(), 0, 0, kWhole3, tint, DrawMode::Normal);
        EXPECT_EQ(Row(*a), Row(*b));
    }
    EXPECT_EQ(paletted->GetBits(), nullptr); // read through the palette
}

TEST(MemoryImageBlit, PartOutsideEitherImageIsCut)
{
    auto source = MakeFilled(2, 2, 0xFF0000FF);
    auto dest = MakeFilled(3, 3, 0xFF000000);
    dest->BlitImage(source.get(), 2, 2, Rect(-1, 0, 5, 5), Color::White, DrawMode::Normal);
    EXPECT_EQ(PixelAt(*dest, 2, 2), 0xFF000000u); // source column -1 lands there: nothing
    dest->BlitImage(source.get(), 2, 2, Rect(0, 0, 5, 5), Color::White, DrawMode::Normal);
    EXPECT_EQ(PixelAt(*dest, 2, 2), 0xFF0000FFu);
    EXPECT_EQ(dest->GetBits()[9], MemoryImage::kGuardWord);
}

TEST(MemoryImageBlitAdditive, OpaqueSourceAddsEvenItsTransparentPixels)
{
    auto source = MakeImage(2, 1, {0xFF102030, 0x00050505});
    source->ForceAlphaFlags(true, false);
    auto dest = MakeFilled(2, 1, 0x40F0F0F0);
    dest->BlitImage(source.get(), 0, 0, Rect(0, 0, 2, 1), Color::White, DrawMode::Additive);
    EXPECT_EQ(Row(*dest), (std::vector<uint32_t>{0x40FFFFFF, 0x40F5F5F5}));
}

TEST(MemoryImageBlitAdditive, TranslucentSourceIsScaledByItsAlpha)
{
    auto source = MakeImage(1, 1, {0x80FF0000});
    auto dest = MakeFilled(1, 1, 0xFF000000);
    dest->BlitImage(source.get(), 0, 0, Rect(0, 0, 1, 1), Color::White, DrawMode::Additive);
    EXPECT_EQ(PixelAt(*dest, 0, 0), 0xFF7F0000u);

    auto tinted = MakeFilled(1, 1, 0);
    tinted->BlitImage(source.get(), 0, 0, Rect(0, 0, 1, 1), Color(255, 255, 255, 128), DrawMode::Additive);
    // 255 x 128 x 128 / 65536 = 63
    EXPECT_EQ(PixelAt(*tinted, 0, 0), 0x003F0000u);
}

TEST(MemoryImageBlitAdditive, TintIsScaledByItsAlpha)
{
    auto source = MakeFilled(1, 1, 0xFF804020);
    auto dest = MakeFilled(1, 1, 0);
    dest->BlitImage(source.get(), 0, 0, Rect(0, 0, 1, 1), Color(255, 255, 255, 128), DrawMode::Additive);
    EXPECT_EQ(PixelAt(*dest, 0, 0), 0x00402010u);
}

TEST(MemoryImageBlit, UnknownModeOrForeignSourceLeavesEverything)
{
    auto source = MakeFilled(1, 1, 0xFFFFFFFF);
    auto dest = MakeFilled(1, 1, 0xFF000000);
    const int before = dest->GetChangeCount();
    dest->BlitImage(source.get(), 0, 0, Rect(0, 0, 1, 1), Color::White, 2);
    EXPECT_EQ(dest->GetChangeCount(), before);
    EXPECT_TRUE(source->IsDrawnFrom());
    Image foreign;
    dest->BlitImage(&foreign, 0, 0, Rect(0, 0, 1, 1), Color::White, DrawMode::Normal);
    EXPECT_TRUE(foreign.IsDrawnFrom());
    EXPECT_EQ(PixelAt(*dest, 0, 0), 0xFF000000u);
}

TEST(StretchMapping, ClipMovesTheSourceAreaByTheScale)
{
    DoubleRect s;
    Rect d;
    ASSERT_TRUE(MapStretchRects(Rect(0, 0, 10, 10), Rect(5, 5, 100, 100), Rect(0, 0, 20, 20), s, d));
    EXPECT_EQ(d, Rect(5, 5, 15, 15));
    EXPECT_DOUBLE_EQ(s.x, 2.5);
    EXPECT_DOUBLE_EQ(s.width, 7.5);
    ASSERT_TRUE(MapStretchRectsMirrored(Rect(0, 0, 10, 10), Rect(5, 5, 100, 100), Rect(0, 0, 20, 20), s, d));
    EXPECT_DOUBLE_EQ(s.x, 0.0);
    EXPECT_FALSE(MapStretchRects(Rect(0, 0, 10, 10), Rect(50, 50, 10, 10), Rect(0, 0, 20, 20), s, d));

    // Stretched four times down but only twice across: each axis by its own.
    ASSERT_TRUE(MapStretchRects(Rect(0, 0, 10, 10), Rect(4, 8, 100, 100), Rect(0, 0, 20, 40), s, d));
    EXPECT_EQ(d, Rect(4, 8, 16, 32));
    EXPECT_DOUBLE_EQ(s.x, 2.0);
    EXPECT_DOUBLE_EQ(s.y, 2.0);
    EXPECT_DOUBLE_EQ(s.width, 8.0);
    EXPECT_DOUBLE_EQ(s.height, 8.0);
}

TEST(MemoryImageStretch, QuickStretchRepeatsNearestPixelsAndRefusesTints)
{
    auto source = MakeImage(2, 1, {0xFFFF0000, 0xFF0000FF});
    auto dest = MakeFilled(4, 1, 0);
    dest->BlitImageStretched(source.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1),
                             Color(255, 0, 0), DrawMode::Normal, true);
    EXPECT_EQ(Row(*dest), std::vector<uint32_t>(4, 0));
    dest->BlitImageStretched(source.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), Color::White,
                             DrawMode::Normal, true);
    EXPECT_EQ(Row(*dest), (std::vector<uint32_t>{0xFFFE0000, 0xFFFE0000, 0xFF0000FE, 0xFF0000FE}));
}

TEST(MemoryImageStretch, FilteredEnlargeInterpolatesAndIgnoresTint)
{
    auto source = MakeImage(2, 1, {0xFFFF0000, 0xFF0000FF});
    const std::vector<uint32_t> expected = {0xFFFE0000, 0xFFA90054, 0xFF5300AA, 0xFF0000FE};
    for (const Color& tint : {Color::White, Color(0, 255, 0)}) {
        auto dest = MakeFilled(4, 1, 0);
        dest->BlitImageStretched(source.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), tint,
                                 DrawMode::Additive, false);
        EXPECT_EQ(Row(*dest), expected);
    }
}

TEST(MemoryImageStretch, FilteredReduceAveragesBoxes)
{
    auto source = MakeImage(4, 1, {0xFFFF0000, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF});
    auto dest = MakeFilled(2, 1, 0);
    dest->BlitImageStretched(source.get(), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Color::White,
                             DrawMode::Normal, false);
    EXPECT_EQ(Row(*dest), (std::vector<uint32_t>{0xFFFE0000, 0xFF0000FE}));

    auto tall = MakeImage(1, 4, {0xFF00FF00, 0xFF00FF00, 0xFF000000, 0xFF000000});
    auto half = MakeFilled(1, 2, 0xFF000000);
    half->BlitImageStretched(tall.get(), Rect(0, 0, 1, 2), Rect(0, 0, 1, 4), Rect(0, 0, 1, 2), Color::White,
                             DrawMode::Normal, false);
    EXPECT_EQ(PixelAt(*half, 0, 0), 0xFF00FE00u);
    EXPECT_EQ(PixelAt(*half, 0, 1), 0xFF000000u);
}

TEST(MemoryImageStretch, FilterReadsOnlyTheSourceArea)
{
    // A palettised source: a read past its last index would leave the
    // index array (caught by the address sanitizer).
    auto source = MakeImage(2, 2, {0xFFFF0000, 0xFF0000FF, 0xFFFF0000, 0xFF0000FF});
    ASSERT_TRUE(source->ConvertToPalette());
    auto dest = MakeFilled(9, 7, 0);
    dest->BlitImageStretched(source.get(), Rect(0, 0, 9, 7), Rect(0, 0, 2, 2), Rect(0, 0, 9, 7), Color::White,
                             DrawMode::Normal, false);
    EXPECT_EQ(PixelAt(*dest, 8, 6), 0xFF0000FEu);
    // A source rect reaching past the image is cut to it.
    dest->BlitImageStretched(source.get(), Rect(0, 0, 9, 7), Rect(1, 1, 5, 5), Rect(0, 0, 9, 7), Color::White,
                             DrawMode::Normal, true);
    dest->BlitImageStretched(source.get(), Rect(0, 0, 9, 7), Rect(1, 1, 5, 5), Rect(0, 0, 9, 7), Color::White,
                             DrawMode::Normal, false);
    EXPECT_EQ(dest->GetBits()[63], MemoryImage::kGuardWord);
}

TEST(MemoryImageRotate, AngleZeroAtWholePixelsIsOpaqueAndDropsTheLastEdge)
{
    auto source = MakeFilled(3, 3, 0xFFFFFFFF);
    auto dest = MakeFilled(5, 5, 0);
    dest->BlitImageRotated(source.get(), 1, 1, Rect(0, 0, 3, 3), Rect(0, 0, 5, 5), Color::White, DrawMode::Normal,
                           0.0, 0, 0);
    // Weight 254 of the sample's own pixel: at least 251, so stored opaque
    // as 254 x 255 >> 8 = 253.
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool drawn = x >= 1 && x <= 2 && y >= 1 && y <= 2;
            EXPECT_EQ(PixelAt(*dest, x, y), drawn ? 0xFFFDFDFDu : 0u) << x << "," << y;
        }
}

TEST(MemoryImageRotate, UnknownModesDrawAdditively)
{
    auto source = MakeFilled(3, 3, 0xFFFFFFFF);
    auto dest = MakeFilled(3, 3, 0x80101010);
    dest->BlitImageSubpixel(source.get(), 0, 0, Rect(0, 0, 3, 3), Rect(0, 0, 3, 3), Color::White, 5);
    EXPECT_EQ(PixelAt(*dest, 0, 0), 0x80FFFFFFu);
    EXPECT_EQ(PixelAt(*dest, 2, 2), 0x80101010u);
}

TEST(MemoryImageRotate, PositiveAngleTurnsCounterClockwise)
{
    // Left half red, right half blue; a quarter turn brings the right half
    // to the top.
    std::vector<uint32_t> pixels(64);
    for (int i = 0; i < 64; ++i)
        pixels[static_cast<size_t>(i)] = (i % 8) < 4 ? 0xFFFF0000 : 0xFF0000FF;
    auto source = MakeImage(8, 8, pixels);
    auto dest = MakeFilled(8, 8, 0);
    dest->BlitImageRotated(source.get(), 0, 0, Rect(0, 0, 8, 8), Rect(0, 0, 8, 8), Color::White, DrawMode::Normal,
                           std::acos(0.0), 4, 4);
    const uint32_t top = PixelAt(*dest, 4, 2), bottom = PixelAt(*dest, 4, 6);
    EXPECT_GT(top & 0xFF, 200u);
    EXPECT_LT((top >> 16) & 0xFF, 50u);
    EXPECT_GT((bottom >> 16) & 0xFF, 200u);
}

TEST(MemoryImageRotate, TranslucentResultCombinesWithDestinationAlpha)
{
    auto source = MakeFilled(3, 3, 0x80FFFFFF);
    auto dest = MakeFilled(3, 3, 0);
    dest->BlitImageSubpixel(source.get(), 0, 0, Rect(0, 0, 3, 3), Rect(0, 0, 3, 3), Color::White, DrawMode::Normal);
    // Weight 65534 x 128 >> 16 = 127; A = 256 - (256 x 129 >> 8) = 127;
    // colour = 255 x 127 / 127.
    EXPECT_EQ(PixelAt(*dest, 0, 0), 0x7EFFFFFFu);
}

TEST(MemoryImageUndrawn, TransformedBlitAndTrianglesOnlyCountAChange)
{
    auto source = MakeFilled(2, 2, 0xFFFFFFFF);
    auto dest = MakeFilled(2, 2, 0xFF000000);
    const int before = dest->GetChangeCount();
    const float matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    dest->BlitImageTransformed(source.get(), 0, 0, matrix, Rect(0, 0, 2, 2), Color::White, 0, Rect(0, 0, 2, 2), false);
    dest->DrawTexturedTriangles(source.get(), nullptr, 0, Rect(0, 0, 2, 2), Color::White, 0, 0, 0, false);
    EXPECT_EQ(dest->GetChangeCount(), before + 2);
    EXPECT_EQ(Row(*dest), (std::vector<uint32_t>{0xFF000000, 0xFF000000}));
    EXPECT_TRUE(source->IsDrawnFrom());
}

} // namespace
} // namespace Zolt
