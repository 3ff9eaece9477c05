// Fills, lines and coverage spans of the memory image, on small images whose
// results are worked out by hand.
#include "TestImageHost.h"

#include <gtest/gtest.h>

#include <vector>

namespace Zolt {
namespace {

using testing::MakeFilled;
using testing::MakeImage;
using testing::PixelAt;

std::vector<uint32_t> Pixels(MemoryImage& image)
{
    const uint32_t* p = image.RequireBits();
    return std::vector<uint32_t>(p, p + image.GetWidth() * image.GetHeight());
}

TEST(MemoryImageFill, OpaqueFillStoresTheColourInsideTheRectOnly)
{
    auto image = MakeFilled(3, 3, 0);
    image->FillRectangle(Rect(1, 1, 5, 5), Color(10, 20, 30), DrawMode::Normal);
    EXPECT_EQ(PixelAt(*image, 0, 0), 0u);
    EXPECT_EQ(PixelAt(*image, 1, 1), 0xFF0A141Eu);
    EXPECT_EQ(PixelAt(*image, 2, 2), 0xFF0A141Eu);
}

TEST(MemoryImageFill, TranslucentFillBlendsByDestinationAlpha)
{
    auto image = MakeImage(2, 1, {0xFF000000, 0x00000000});
    image->FillRectangle(Rect(0, 0, 2, 1), Color(255, 255, 255, 128), DrawMode::Normal);
    EXPECT_EQ(PixelAt(*image, 0, 0), 0xFF7F7F7Fu); // weight 128 over opaque
    EXPECT_EQ(PixelAt(*image, 1, 0), 0x80FEFEFEu); // alpha 128, weight 255 over nothing
}

TEST(MemoryImageFill, TranslucentFillBlendsRedWithBlueInOneWord)
{
    // Red keeps the carry out of its fraction; blue's fraction is shifted
    // out, so blue ends lower than a per-channel blend would give.
    auto image = MakeFilled(1, 1, 0xFF010101);
    image->FillRectangle(Rect(0, 0, 1, 1), Color(1, 1, 1, 128), DrawMode::Normal);
    EXPECT_EQ(PixelAt(*image, 0, 0), 0xFF010100u);
}

TEST(MemoryImageFill, AdditiveFillIsANormalFillAndAlphaZeroDrawsNothing)
{
    auto image = MakeFilled(2, 1, 0xFF050000);
    image->FillRectangle(Rect(0, 0, 1, 1), Color(10, 0, 0), DrawMode::Additive);
    image->FillRectangle(Rect(1, 0, 1, 1), Color(10, 0, 0, 0), DrawMode::Normal);
    EXPECT_EQ(PixelAt(*image, 0, 0), 0xFF0A0000u);
    EXPECT_EQ(PixelAt(*image, 1, 0), 0xFF050000u);
    const int before = image->GetChangeCount();
    image->ClearRectangle(Rect(0, 0, 1, 1));
    EXPECT_EQ(PixelAt(*image, 0, 0), 0u);
    EXPECT_GT(image->GetChangeCount(), before);
}

TEST(MemoryImageLine, HorizontalLineIsARectangleFillInEveryMode)
{
    auto image = MakeFilled(12, 5, 0);
    image->DrawLineSegment(9, 3, 5, 3, Color(255, 0, 0), DrawMode::Additive);
    for (int x = 0; x < 12; ++x)
        EXPECT_EQ(PixelAt(*image, x, 3), x >= 5 && x <= 9 ? 0xFFFF0000u : 0u) << x;
}

TEST(MemoryImageLine, OpaqueDiagonalStoresTwoFiftyFourAndStepsTheMajorAxis)
{
    auto image = MakeFilled(5, 3, 0);
    image->DrawLineSegment(0, 0, 4, 2, Color::White, DrawMode::Normal);
    const uint32_t W = 0xFFFEFEFE;
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{W, W, 0, 0, 0, //
                                                     0, 0, W, W, 0, //
                                                     0, 0, 0, 0, W}));

    auto steep = MakeFilled(2, 4, 0);
    steep->DrawLineSegment(0, 0, 1, 3, Color::White, DrawMode::Normal);
    EXPECT_EQ(Pixels(*steep), (std::vector<uint32_t>{W, 0, W, 0, 0, W, 0, W}));
}

TEST(MemoryImageLine, TranslucentLineRoundsBothTermsAndStoresOpaque)
{
    auto image = MakeFilled(2, 2, 0x400000FF);
    image->DrawLineSegment(0, 0, 1, 1, Color(200, 0, 0, 128), DrawMode::Normal);
    EXPECT_EQ(PixelAt(*image, 0, 0), 0xFF64007Fu);
    EXPECT_EQ(PixelAt(*image, 1, 0), 0x400000FFu);
}

TEST(MemoryImageLine, AdditiveLineAddsTheAlphaScaledColour)
{
    auto image = MakeFilled(2, 2, 0x10C80000);
    image->DrawLineSegment(0, 0, 1, 1, Color(100, 50, 0, 255), DrawMode::Additive);
    EXPECT_EQ(PixelAt(*image, 0, 0), 0xFFFF3200u);
    image->DrawLineSegment(1, 0, 0, 1, Color(100, 50, 0, 128), DrawMode::Additive);
    EXPECT_EQ(PixelAt(*image, 0, 1), 0xFFFA1900u); // 200 + 50, 0 + 25
}

TEST(MemoryImageLine, UnknownModeDrawsNothingButCountsAChange)
{
    auto image = MakeFilled(3, 3, 0);
    const int before = image->GetChangeCount();
    image->DrawLineSegment(0, 0, 2, 1, Color::White, 7);
    EXPECT_EQ(Pixels(*image), std::vector<uint32_t>(9, 0));
    EXPECT_EQ(image->GetChangeCount(), before + 1);
}

TEST(MemoryImageLine, LineReachingOutsideTheImageWritesOnlyInside)
{
    auto image = MakeFilled(4, 4, 0);
    image->DrawLineSegment(-3, -2, 9, 7, Color::White, DrawMode::Normal);
    image->DrawLineSegment(9, -2, -3, 7, Color::White, DrawMode::Additive);
    image->DrawLineSegmentSmooth(-5, -5, 20, 10, Color::White, DrawMode::Normal);
    image->DrawLineSegmentSmooth(20, -5, -5, 10, Color::White, DrawMode::Normal);
    EXPECT_EQ(image->GetBits()[16], MemoryImage::kGuardWord);
}

TEST(MemoryImageSmoothLine, WeightsFollowTheAccumulatorAndZeroWeightLeavesPixels)
{
    auto image = MakeFilled(5, 3, 0);
    image->DrawLineSegmentSmooth(0, 0, 4, 2, Color::White, DrawMode::Normal);
    const uint32_t full = 0xFFFEFEFE, half = 0x7FFEFEFE, side = 0x80FEFEFE;
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{full, half, 0, 0, 0, //
                                                     0, side, full, half, 0, //
                                                     0, 0, 0, side, half}));
}

TEST(MemoryImageSmoothLine, BothEndsOnOnePixelDrawItOnce)
{
    auto image = MakeFilled(3, 3, 0);
    image->DrawLineSegmentSmooth(1.2, 1.3, 1.7, 1.9, Color::White, DrawMode::Normal);
    // acc = 0.3 x 0.2 x 65536 = 3932 -> weight 240; a second draw would
    // have raised the alpha to 254.
    EXPECT_EQ(PixelAt(*image, 1, 1), 0xF0FEFEFEu);
    EXPECT_EQ(PixelAt(*image, 2, 1), 0u);
}

TEST(MemoryImageSmoothLine, NeighbourLeftOfColumnZeroIsNotWrappedIntoThePreviousRow)
{
    auto image = MakeFilled(4, 6, 0);
    image->DrawLineSegmentSmooth(1.99, 0.99, 0, 5, Color::White, DrawMode::Normal);
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(PixelAt(*image, 3, y), 0u) << y;
}

TEST(MemoryImageSmoothLine, AdditiveModeDrawsNothing)
{
    auto image = MakeFilled(3, 3, 0);
    image->DrawLineSegmentSmooth(0, 0, 2, 1, Color::White, DrawMode::Additive);
    EXPECT_EQ(Pixels(*image), std::vector<uint32_t>(9, 0));
}

TEST(MemoryImageCoverage, ZeroCoverageSkipsOnlyItsOwnPixel)
{
    auto image = MakeFilled(3, 2, 0);
    const uint8_t coverage[] = {255, 0, 255, 0, 0, 0};
    const Span span{0, 0, 3};
    image->FillSpansWithCoverage(&span, 1, Color(255, 0, 0), DrawMode::Additive, coverage, 0, 0, 3, 2);
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0xFFFE0000, 0, 0xFFFE0000, 0, 0, 0}));
}

TEST(MemoryImageCoverage, SpansOutsideTheBufferOrImageAreIgnored)
{
    auto image = MakeFilled(2, 2, 0);
    const uint8_t coverage[] = {255, 255};
    const Span spans[] = {{5, 0, 2}, {0, -3, 10}};
    image->FillSpansWithCoverage(spans, 2, Color::White, 0, coverage, 0, 0, 2, 1);
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0xFFFEFEFE, 0xFFFEFEFE, 0, 0}));
}

} // namespace
} // namespace Zolt
