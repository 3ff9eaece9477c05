#include "RecordingImage.h"
#include "TestImageHost.h"

#include "framework/graphics/Graphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Zolt {
namespace {

using testing::RecordingImage;

TEST(GraphicsState, NewContextClipsToItsDestination)
{
    RecordingImage dest(40, 30);
    Graphics g(&dest);
    EXPECT_EQ(g.GetClip(), Rect(0, 0, 40, 30));
    EXPECT_EQ(g.GetColor(), Color(0, 0, 0, 255));
    Graphics none(nullptr);
    EXPECT_EQ(none.GetDestination(), Graphics::BlankImage());
    EXPECT_EQ(none.GetClip(), Rect(0, 0, 0, 0));
    none.FillRectangle(0, 0, 5, 5); // draws into the blank image: nothing
}

TEST(GraphicsState, SavedStatesNestAndCopiesStartWithoutThem)
{
    RecordingImage dest(10, 10);
    Graphics g(&dest);
    g.SetColor(Color(1, 2, 3));
    g.SaveState();
    g.SetColor(Color(4, 5, 6));
    g.MoveOrigin(3, 3);
    g.SaveState();
    g.SetColor(Color(7, 8, 9));
    Graphics copy(g);
    copy.RestoreState();
    EXPECT_EQ(copy.GetColor(), Color(7, 8, 9));
    g.RestoreState();
    EXPECT_EQ(g.GetColor(), Color(4, 5, 6));
    g.RestoreState();
    EXPECT_EQ(g.GetColor(), Color(1, 2, 3));
    EXPECT_EQ(g.translateX, 0.0f);
    g.RestoreState(); // empty: nothing
    EXPECT_EQ(g.GetColor(), Color(1, 2, 3));
    auto dup = g.Duplicate();
    EXPECT_EQ(dup->GetColor(), Color(1, 2, 3));
}

TEST(GraphicsState, NarrowClipIsTranslatedAndNeverWidens)
{
    RecordingImage dest(50, 50);
    Graphics g(&dest);
    g.MoveOrigin(10, 5);
    g.NarrowClip(0, 0, 100, 10);
    EXPECT_EQ(g.GetClip(), Rect(10, 5, 40, 10));
    Graphics inner(g);
    inner.NarrowClip(-10, -5, 15, 15);
    EXPECT_EQ(inner.GetClip(), Rect(10, 5, 5, 10));
    EXPECT_EQ(g.GetClip(), Rect(10, 5, 40, 10));
}

TEST(GraphicsFill, TranslationIsTruncatedNotRounded)
{
    RecordingImage dest(10, 10);
    Graphics g(&dest);
    g.translateX = 0.5f;
    g.translateY = 0.9f;
    g.FillRectangle(0, 0, 2, 2);
    g.SetColor(Color(0, 0, 0, 0));
    g.FillRectangle(0, 0, 2, 2);
    g.OutlineRectangle(0, 0, 2, 2);
    ASSERT_EQ(dest.fills.size(), 1u);
    EXPECT_EQ(dest.fills[0], Rect(0, 0, 2, 2));
    EXPECT_TRUE(dest.outlines.empty());
}

TEST(GraphicsFill, TranslationFarOutsideTheIntRangeDrawsNothing)
{
    RecordingImage dest(10, 10);
    Graphics g(&dest);
    g.translateX = 3.0e9f;
    g.FillRectangle(0, 0, 2, 2);
    g.translateX = -3.0e9f;
    g.FillRectangle(0, 0, 2, 2);
    g.translateX = std::nanf("");
    g.FillRectangle(0, 0, 2, 2); // a NaN position reads as 0
    ASSERT_EQ(dest.fills.size(), 3u);
    EXPECT_EQ(dest.fills[0].width * dest.fills[0].height, 0);
    EXPECT_EQ(dest.fills[1].width * dest.fills[1].height, 0);
    EXPECT_EQ(dest.fills[2], Rect(0, 0, 2, 2));
}

TEST(GraphicsFill, OutlineGoesWholeOnlyWhenTheClipKeepsAllOfIt)
{
    RecordingImage dest(11, 11);
    Graphics g(&dest);
    g.OutlineRectangle(0, 0, 10, 10);
    ASSERT_EQ(dest.outlines.size(), 1u);
    EXPECT_EQ(dest.outlines[0], Rect(0, 0, 10, 10));
    EXPECT_TRUE(dest.fills.empty());

    g.NarrowClip(0, 0, 10, 10);
    g.OutlineRectangle(0, 0, 10, 10);
    const std::vector<Rect> expected = {Rect(0, 0, 10, 1), Rect(0, 10, 10, 0), Rect(0, 1, 1, 9), Rect(10, 1, 0, 9)};
    EXPECT_EQ(dest.fills, expected);
}

TEST(GraphicsLine, LinesAreClippedWithInclusiveLeftAndPulledInRightEdges)
{
    RecordingImage dest(10, 10);
    Graphics g(&dest);
    g.DrawLineSegment(-5, 5, 15, 5);
    g.DrawLineSegment(-10, -10, 20, 20);
    g.DrawLineSegment(5, 20, 5, -20); // written back upper end first
    g.DrawLineSegment(-5, -5, -1, 20); // entirely left of the clip
    ASSERT_EQ(dest.lines.size(), 3u);
    EXPECT_DOUBLE_EQ(dest.lines[0].x1, 0);
    EXPECT_DOUBLE_EQ(dest.lines[0].x2, 9);
    EXPECT_DOUBLE_EQ(dest.lines[1].y1, 0);
    EXPECT_DOUBLE_EQ(dest.lines[1].x2, 9);
    EXPECT_DOUBLE_EQ(dest.lines[1].y2, 9);
    EXPECT_DOUBLE_EQ(dest.lines[2].y1, 0);
    EXPECT_DOUBLE_EQ(dest.lines[2].y2, 9);
}

TEST(GraphicsImage, WholeImageIsClippedIntoItsSourceRect)
{
    RecordingImage dest(10, 10);
    RecordingImage picture(4, 4);
    Graphics g(&dest);
    g.MoveOrigin(-1, -1);
    g.PaintImage(&picture, 0, 0);
    ASSERT_EQ(dest.blits.size(), 1u);
    EXPECT_EQ(dest.blits[0].x, 0);
    EXPECT_EQ(dest.blits[0].src, Rect(1, 1, 3, 3));
    EXPECT_EQ(dest.blits[0].tint, Color::White);
    g.PaintImage(&picture, 20, 0); // outside: nothing
    EXPECT_EQ(dest.blits.size(), 1u);
}

TEST(GraphicsImage, PartReachingOutsideTheImageOnEitherSideDrawsNothing)
{
    RecordingImage dest(20, 20);
    RecordingImage picture(8, 8);
    Graphics g(&dest);
    g.PaintImagePart(&picture, 0, 0, Rect(4, 0, 5, 2));
    g.PaintImagePart(&picture, 0, 0, Rect(-1, 0, 3, 2));
    g.PaintImagePart(&picture, 0, 0, Rect(0, -2, 3, 2));
    EXPECT_TRUE(dest.blits.empty());
    g.SetTintImages(true);
    g.SetColor(Color(9, 8, 7));
    g.PaintImagePart(&picture, 18, 3, Rect(4, 0, 4, 2));
    ASSERT_EQ(dest.blits.size(), 1u);
    EXPECT_EQ(dest.blits[0].src, Rect(4, 0, 2, 2));
    EXPECT_EQ(dest.blits[0].tint, Color(9, 8, 7));
}

TEST(GraphicsImage, ScaledPartBecomesAStretch)
{
    RecordingImage dest(100, 100);
    RecordingImage picture(8, 8);
    Graphics g(&dest);
    g.scaleX = 2;
    g.scaleY = 1.5f;
    g.scaleOriginX = 1;
    g.SetQuickStretch(true);
    g.PaintImagePart(&picture, 3, 4, Rect(0, 0, 5, 3));
    ASSERT_EQ(dest.stretches.size(), 1u);
    EXPECT_EQ(dest.stretches[0].dest, Rect(5, 6, 10, 5));
    EXPECT_TRUE(dest.stretches[0].quick);
}

TEST(GraphicsImage, StretchedAndRotatedAreTranslatedButNotScaled)
{
    RecordingImage dest(100, 100);
    RecordingImage picture(8, 6);
    Graphics g(&dest);
    g.MoveOrigin(10, 20);
    g.scaleX = 3;
    g.PaintImageStretched(&picture, Rect(1, 2, 30, 40), Rect(0, 0, 8, 6));
    ASSERT_EQ(dest.stretches.size(), 1u);
    EXPECT_EQ(dest.stretches[0].dest, Rect(11, 22, 30, 40));
    EXPECT_FALSE(dest.stretches[0].quick);
    g.PaintImageRotated(&picture, 1, 2, 0.5, 4, 3, nullptr);
    ASSERT_EQ(dest.rotations.size(), 1u);
    EXPECT_FLOAT_EQ(dest.rotations[0].x, 11);
    EXPECT_FLOAT_EQ(dest.rotations[0].y, 22);
    EXPECT_EQ(dest.rotations[0].src, Rect(0, 0, 8, 6));
    EXPECT_FLOAT_EQ(dest.rotations[0].cx, 4);
}

int TopTiles(const RecordingImage& dest, int* lastWidth)
{
    int n = 0;
    for (const auto& b : dest.blits)
        if (b.y == 0 && b.src.y == 0 && b.src.x == 10) {
            ++n;
            *lastWidth = b.src.width;
        }
    return n;
}

TEST(GraphicsFrame, EdgesTileAndTheLastTileIsCutByTheNarrowedClip)
{
    RecordingImage picture(30, 30);
    RecordingImage wide(200, 100);
    Graphics g(&wide);
    g.PaintImageFrame(Rect(0, 0, 105, 50), &picture);
    int last = 0;
    EXPECT_EQ(TopTiles(wide, &last), 9);
    EXPECT_EQ(last, 5);
    // Corners unscaled at the four ends.
    EXPECT_EQ(wide.blits[1].x, 95);
    EXPECT_EQ(wide.blits[1].src, Rect(20, 0, 10, 10));

    RecordingImage exact(200, 100);
    Graphics h(&exact);
    h.PaintImageFrame(Rect(0, 0, 30, 30), Rect(0, 0, 100, 50), &picture);
    EXPECT_EQ(TopTiles(exact, &last), 8);
    EXPECT_EQ(last, 10);
}

TEST(GraphicsFrame, EachCornerEdgeAndTheMiddleComeFromTheirOwnPartOfTheSource)
{
    // A 3 x 3 source of one colour per part, framed into 50 x 40: the
    // corners stay in the corners, the edges run along their sides and the
    // middle fills the rest.
    const uint32_t parts[9] = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004, 0xFF000005,
                               0xFF000006, 0xFF000007, 0xFF000008, 0xFF000009};
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            pixels.push_back(parts[y * 3 + x]);
    auto source = testing::MakeImage(3, 3, pixels);
    auto dest = testing::MakeFilled(50, 40, 0xFF000000);
    Graphics g(dest.get());
    g.PaintImageFrame(Rect(0, 0, 50, 40), source.get());
    auto part = [&](int x, int y) { return testing::PixelAt(*dest, x, y); };
    EXPECT_EQ(part(0, 0), parts[0]);
    EXPECT_EQ(part(25, 0), parts[1]);
    EXPECT_EQ(part(49, 0), parts[2]);
    EXPECT_EQ(part(0, 20), parts[3]);
    EXPECT_EQ(part(25, 20), parts[4]);
    EXPECT_EQ(part(49, 20), parts[5]);
    EXPECT_EQ(part(0, 39), parts[6]);
    EXPECT_EQ(part(25, 39), parts[7]);
    EXPECT_EQ(part(49, 39), parts[8]);
}

TEST(GraphicsFrame, EmptySourceDrawsNothing)
{
    RecordingImage picture(30, 30);
    RecordingImage dest(200, 100);
    Graphics g(&dest);
    g.PaintImageFrame(Rect(0, 0, 0, 30), Rect(0, 0, 100, 50), &picture);
    g.PaintImageFrame(Rect(0, 0, 30, 30), Rect(0, 0, 10, 10), &picture); // smaller than the corners
    for (const auto& b : dest.blits)
        EXPECT_EQ(b.src.width, 10); // corners only
    EXPECT_EQ(dest.blits.size(), 4u);
}

} // namespace
} // namespace Zolt
