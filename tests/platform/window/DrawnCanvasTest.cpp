// The painter of the drawn windows, pixel by pixel: fills clipped to the
// canvas, frames and edges inside their area, soft discs, arrows, the
// canvas below a band; nothing written past a row's width.
#include "platform/window/DrawnCanvas.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform {
namespace {

constexpr int kWidth = 12, kHeight = 12, kPitch = 16;
constexpr uint32_t kOutside = 0x12345678;
constexpr uint32_t kUnder = 0xFF202020;

class Surface {
public:
    Surface() : pixels_(size_t(kPitch) * kHeight, kOutside)
    {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                At(x, y) = kUnder;
    }
    DrawnCanvas Canvas() { return DrawnCanvas(pixels_.data(), kWidth, kHeight, kPitch); }
    uint32_t& At(int x, int y) { return pixels_[size_t(y) * kPitch + size_t(x)]; }
    // The columns past the width are no canvas's.
    bool PaddingUntouched() const
    {
        for (int y = 0; y < kHeight; ++y)
            for (int x = kWidth; x < kPitch; ++x)
                if (pixels_[size_t(y) * kPitch + size_t(x)] != kOutside)
                    return false;
        return true;
    }

private:
    std::vector<uint32_t> pixels_;
};

TEST(DrawnCanvas, EachShapeCoversItsOwnPixelsOnlyAndNothingPastTheCanvas)
{
    Surface fill;
    DrawnCanvas canvas = fill.Canvas();
    canvas.Fill({-2, -2, 4, 4}, 0x0000FF);
    EXPECT_EQ(fill.At(1, 1), 0xFF0000FFu);
    EXPECT_EQ(fill.At(2, 2), kUnder);
    canvas.Fill({10, 10, 5, 5}, 0x00FF00);
    EXPECT_EQ(fill.At(11, 11), 0xFF00FF00u);
    canvas.Below(3).Fill({0, 0, 1, 1}, 0xFF0000);
    EXPECT_EQ(fill.At(0, 3), 0xFFFF0000u) << "below a band of three rows";
    EXPECT_EQ(canvas.Below(3).Height(), kHeight - 3);
    EXPECT_EQ(canvas.Below(20).Height(), 0);
    EXPECT_TRUE(fill.PaddingUntouched());

    Surface edge;
    edge.Canvas().Edge({1, 1, 5, 4}, 0xFFFFFF, 0x000000);
    EXPECT_EQ(edge.At(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(edge.At(1, 3), 0xFFFFFFFFu) << "the left side";
    EXPECT_EQ(edge.At(3, 4), 0xFF000000u) << "the bottom";
    EXPECT_EQ(edge.At(5, 2), 0xFF000000u) << "the right side";
    EXPECT_EQ(edge.At(3, 2), kUnder) << "inside";
    EXPECT_EQ(edge.At(6, 2), kUnder);
    EXPECT_EQ(edge.At(3, 5), kUnder);
    edge.Canvas().Frame({0, 6, 6, 6}, 0x00FF00, 2);
    EXPECT_EQ(edge.At(1, 7), 0xFF00FF00u);
    EXPECT_EQ(edge.At(4, 10), 0xFF00FF00u);
    EXPECT_EQ(edge.At(2, 11), 0xFF00FF00u) << "the bottom";
    EXPECT_EQ(edge.At(5, 8), 0xFF00FF00u) << "the right side";
    EXPECT_EQ(edge.At(2, 8), kUnder) << "two pixels of frame";
    EXPECT_EQ(edge.At(3, 9), kUnder);

    // Arrows of four rows, one pixel wide at the point.
    Surface arrows;
    arrows.Canvas().Arrow({0, 0, 9, 8}, true, 0xFFFFFF);
    EXPECT_EQ(arrows.At(4, 2), 0xFFFFFFFFu);
    EXPECT_EQ(arrows.At(3, 2), kUnder);
    EXPECT_EQ(arrows.At(1, 5), 0xFFFFFFFFu);
    EXPECT_EQ(arrows.At(7, 5), 0xFFFFFFFFu);
    EXPECT_EQ(arrows.At(0, 5), kUnder);
    EXPECT_EQ(arrows.At(8, 5), kUnder);
    EXPECT_EQ(arrows.At(4, 6), kUnder);
    arrows.Canvas().Arrow({0, 4, 9, 8}, false, 0x0000FF);
    EXPECT_EQ(arrows.At(1, 6), 0xFF0000FFu) << "pointing down, wide at the top";
    EXPECT_EQ(arrows.At(4, 9), 0xFF0000FFu);
    EXPECT_EQ(arrows.At(3, 9), kUnder);
}

TEST(DrawnCanvas, ADiscIsSolidInsideSoftAtItsRimAndClippedAtEverySide)
{
    Surface disc;
    disc.Canvas().Disc(2, 2, 8, 0xA0A0A0);
    EXPECT_EQ(disc.At(6, 6), 0xFFA0A0A0u) << "the middle";
    EXPECT_EQ(disc.At(2, 2), kUnder) << "the square's corner";
    // At the rim 96 % of the way from what was there: 32 + 128 * 0.964.
    EXPECT_EQ(disc.At(2, 6), 0xFF9B9B9Bu);

    // Discs over each side draw their part inside and nothing else.
    Surface clipped;
    clipped.Canvas().Disc(-4, -4, 8, 0xFFFFFF);
    clipped.Canvas().Disc(8, 8, 8, 0xFFFFFF);
    clipped.Canvas().Disc(8, -4, 8, 0xFFFFFF);
    EXPECT_EQ(clipped.At(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(clipped.At(11, 11), 0xFFFFFFFFu);
    EXPECT_EQ(clipped.At(11, 0), 0xFFFFFFFFu);
    EXPECT_EQ(clipped.At(6, 6), kUnder);
    EXPECT_TRUE(clipped.PaddingUntouched());
    // A canvas of the surface's first eight rows: nothing below them.
    DrawnCanvas(&clipped.At(0, 0), kWidth, 8, kPitch).Disc(4, 4, 8, 0xFFFFFF);
    EXPECT_EQ(clipped.At(8, 7), 0xFFFFFFFFu);
    EXPECT_EQ(clipped.At(8, 8), kUnder);
}

} // namespace
} // namespace platform
