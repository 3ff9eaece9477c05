#include "TestImageHost.h"

#include "framework/graphics/Color.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/ImageAnimation.h"
#include "framework/graphics/Rect.h"
#include "framework/graphics/SharedImage.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <vector>

namespace Zolt {
namespace {

using testing::ScopedImageHost;
using testing::TestImageHost;

TEST(Color, PackedValueWithZeroAlphaIsOpaque)
{
    const Color opaque(0x00102030u);
    EXPECT_EQ(opaque, Color(0x10, 0x20, 0x30, 255));
    EXPECT_EQ(Color(0x80102030u).alpha, 128);
    EXPECT_EQ(Color(1, 2, 3, 4).ToPacked(), 0x04010203u);
}

TEST(Color, OnlyExactWhiteIsTheNoTintColour)
{
    EXPECT_NE(Color(255, 255, 255, 254), Color::White);
    EXPECT_EQ(Color(0xFFFFFFFFu), Color::White);
    EXPECT_EQ(Color::OpaqueOf(Color(1, 2, 3, 9)), Color(1, 2, 3, 255));
}

TEST(Rect, IntersectionOfDisjointRectsIsEmptyButTouchingKeepsZeroSize)
{
    EXPECT_EQ(Rect(0, 0, 10, 10).Intersection(Rect(5, 5, 10, 10)), Rect(5, 5, 5, 5));
    EXPECT_EQ(Rect(0, 0, 10, 10).Intersection(Rect(20, 3, 5, 5)), Rect(0, 0, 0, 0));
    // Edge to edge: zero width, position kept.
    EXPECT_EQ(Rect(0, 0, 10, 10).Intersection(Rect(10, 2, 5, 5)), Rect(10, 2, 0, 5));
}

TEST(Rect, JoinedHoldsBothAndAnEmptyRectAddsNothing)
{
    EXPECT_EQ(Rect(0, 0, 10, 10).Joined(Rect(20, 5, 5, 10)), Rect(0, 0, 25, 15));
    EXPECT_EQ(Rect(-5, -5, 2, 2).Joined(Rect(3, 3, 2, 2)), Rect(-5, -5, 10, 10));
    EXPECT_EQ(Rect(5, 5, 2, 2).Joined(Rect(0, 0, 10, 10)), Rect(0, 0, 10, 10));
    // An empty rectangle, wherever it lies, does not pull the box to itself.
    EXPECT_EQ(Rect(100, 100, 0, 5).Joined(Rect(0, 0, 4, 4)), Rect(0, 0, 4, 4));
    EXPECT_EQ(Rect(0, 0, 4, 4).Joined(Rect(-50, -50, 5, -1)), Rect(0, 0, 4, 4));
    EXPECT_TRUE(Rect().Joined(Rect(7, 7, 0, 0)).IsEmpty());
}

// Records the rectangles the base operations pass on.
class FillRecorder : public Image {
public:
    void FillRectangle(const Rect& r, const Color&, int) override { fills.push_back(r); }
    std::vector<Rect> fills;
};

TEST(ImageBase, OutlineIsFourFillsCoveringOneMorePixelEachWay)
{
    FillRecorder image;
    image.OutlineRectangle(Rect(10, 10, 5, 3), Color::Black, 0);
    const std::vector<Rect> expected = {Rect(10, 10, 6, 1), Rect(10, 13, 6, 1), Rect(10, 11, 1, 2), Rect(15, 11, 1, 2)};
    EXPECT_EQ(image.fills, expected);

    image.fills.clear();
    image.OutlineRectangle(Rect(0, 0, 4, 0), Color::Black, 0);
    ASSERT_EQ(image.fills.size(), 4u);
    EXPECT_EQ(image.fills[2].height, -1);
}

TEST(ImageBase, FillPolygonIsNotHandledAndSpansBecomeRows)
{
    FillRecorder image;
    EXPECT_FALSE(image.FillPolygon(nullptr, 0, Rect(), Color::Black, 0, 0, 0, false));
    const Span spans[] = {{3, 1, 4}, {4, 2, 2}};
    image.FillSpans(spans, 2, Color::Black, 0);
    const std::vector<Rect> expected = {Rect(1, 3, 4, 1), Rect(2, 4, 2, 1)};
    EXPECT_EQ(image.fills, expected);
}

TEST(ImageBase, CelGridOfZeroRowsOrColumnsIsRefused)
{
    Image image;
    EXPECT_FALSE(image.SetCelRows(0));
    EXPECT_FALSE(image.SetCelCols(-2));
    EXPECT_EQ(image.GetCelRows(), 1);
    EXPECT_EQ(image.GetCelCols(), 1);
    EXPECT_TRUE(image.SetCelCols(4));
    EXPECT_EQ(image.GetCelCols(), 4);
}

TEST(ImageBase, CopyTakesGridAndAnimationButNotPath)
{
    Image a;
    a.SetPath("cards.png");
    a.SetCelRows(2);
    a.SetCelCols(3);
    auto anim = std::make_unique<ImageAnimation>();
    anim->frameDelay = 7;
    a.SetAnimation(std::move(anim));
    a.SetDrawnFrom(true);

    Image b(a);
    EXPECT_EQ(b.GetPath(), "");
    EXPECT_FALSE(b.IsDrawnFrom());
    EXPECT_EQ(b.GetCelRows(), 2);
    EXPECT_EQ(b.GetCelCols(), 3);
    ASSERT_NE(b.GetAnimation(), nullptr);
    EXPECT_NE(b.GetAnimation(), a.GetAnimation());
    EXPECT_EQ(b.GetAnimation()->frameDelay, 7);

    Image c;
    c.CopyAnimationFrom(a);
    EXPECT_EQ(c.GetCelRows(), 2);
    EXPECT_EQ(c.GetCelCols(), 3);
    ASSERT_NE(c.GetAnimation(), nullptr);
    EXPECT_EQ(c.GetAnimation()->frameDelay, 7);
    c.SetAnimation(std::make_unique<ImageAnimation>());
    c.CopyAnimationFrom(Image());
    EXPECT_EQ(c.GetAnimation(), nullptr);
    c.CopyAnimationFrom(c); // from itself: keeps what it has
}

TEST(ImageAnimation, PingPongBuildsFrameMapFromTwoFrames)
{
    ImageAnimation one;
    one.type = ImageAnimation::PingPong;
    one.Prepare(1, 0, 0);
    EXPECT_TRUE(one.frameMap.empty());

    ImageAnimation two;
    two.type = ImageAnimation::PingPong;
    two.Prepare(2, 0, 0);
    EXPECT_EQ(two.frameMap, (std::vector<int32_t>{0, 1}));

    ImageAnimation four;
    four.type = ImageAnimation::PingPong;
    four.Prepare(4, 0, 0);
    EXPECT_EQ(four.frameMap, (std::vector<int32_t>{0, 1, 2, 3, 2, 1}));

    ImageAnimation three;
    three.type = ImageAnimation::PingPong;
    three.Prepare(3, 0, 0);
    EXPECT_EQ(three.frameCount, 4);
}

TEST(ImageAnimation, TotalTimeOfHugeDelaysStopsAtTheLargestInt)
{
    ImageAnimation a;
    a.perFrameDelays = {INT32_MAX, INT32_MAX, 5};
    a.Prepare(3, 0, 0);
    EXPECT_EQ(a.totalTime, INT32_MAX);

    ImageAnimation b;
    b.frameDelay = INT32_MAX;
    b.Prepare(4, 0, 0);
    EXPECT_EQ(b.totalTime, INT32_MAX);
}

TEST(ImageAnimation, TotalTimeUsesFrameDelayForUnsetSteps)
{
    ImageAnimation a;
    a.frameDelay = 2;
    a.perFrameDelays = {5, 0, 7};
    a.Prepare(3, 0, 0);
    EXPECT_EQ(a.totalTime, 14);

    ImageAnimation b;
    b.frameDelay = 2;
    b.Prepare(3, 0, 0);
    EXPECT_EQ(b.totalTime, 6);

    ImageAnimation c;
    c.frameDelay = 2;
    c.Prepare(3, 9, 0);
    EXPECT_EQ(c.perFrameDelays, (std::vector<int32_t>{9, 0, 0}));
    EXPECT_EQ(c.totalTime, 9 + 2 * 2);

    ImageAnimation d;
    d.frameDelay = 0;
    d.Prepare(0, 0, 4);
    EXPECT_EQ(d.frameCount, 1);
    EXPECT_EQ(d.frameDelay, 1);
    EXPECT_EQ(d.totalTime, 4);
}

TEST(SharedImageHandle, LastReleaseKeepsRecordAndOnlyAsksForCleanup)
{
    TestImageHost host;
    ScopedImageHost scoped(&host);
    MemoryImage image(&host);
    SharedImage record;
    record.image = &image;
    {
        SharedImageHandle a(&record);
        SharedImageHandle b(a);
        EXPECT_EQ(record.refCount, 2);
        EXPECT_EQ(b.GetImage(), &image);
        b.Release();
        EXPECT_EQ(host.cleanupRequests, 0);
    }
    EXPECT_EQ(record.refCount, 0);
    EXPECT_EQ(host.cleanupRequests, 1);
    EXPECT_EQ(record.image, &image);
    EXPECT_EQ(host.live.count(&image), 1u);
}

TEST(SharedImageHandle, SelfAssignmentKeepsTheImage)
{
    TestImageHost host;
    ScopedImageHost scoped(&host);
    SharedImage record;
    MemoryImage image(nullptr);
    record.image = &image;
    SharedImageHandle a(&record);
    SharedImageHandle& alias = a;
    a = alias;
    EXPECT_EQ(record.refCount, 1);
    EXPECT_EQ(a.GetImage(), &image);
    EXPECT_EQ(host.cleanupRequests, 0);

    SharedImageHandle owner;
    owner = new MemoryImage(nullptr);
    owner.SetOwnsPlainImage(true);
    MemoryImage* plain = owner.GetImage();
    owner = plain; // the same plain image again: must not be deleted
    EXPECT_EQ(owner.GetImage(), plain);
}

TEST(SharedImageHandle, CopyNeverOwnsThePlainImage)
{
    auto* plain = new MemoryImage(nullptr);
    SharedImageHandle owner;
    owner = plain;
    owner.SetOwnsPlainImage(true);
    {
        SharedImageHandle copy(owner);
        EXPECT_EQ(copy.GetImage(), plain);
        EXPECT_FALSE(copy.OwnsPlainImage());
    }
    // The copy is gone and the image is still usable.
    EXPECT_EQ(owner.GetImage()->GetWidth(), 0);
    SharedImageHandle assigned;
    assigned = owner; // assignment takes the record only, not the plain image
    EXPECT_EQ(assigned.GetImage(), nullptr);
}

} // namespace
} // namespace Zolt
