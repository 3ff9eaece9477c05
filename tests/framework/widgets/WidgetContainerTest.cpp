// The widget tree itself: child order and z-order bands, the tick walk,
// invalidation spreading, lifetime links, colours and the number strip.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/WidgetDoubles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace Zolt;
using widget_testing::ProbeWidget;
using widget_testing::WidgetScene;

namespace {

std::vector<std::string> Order(const WidgetContainer& container)
{
    std::vector<std::string> names;
    for (Widget* w : container.GetChildren())
        names.push_back(static_cast<ProbeWidget*>(w)->Name());
    return names;
}

using Names = std::vector<std::string>;

} // namespace

TEST(WidgetOrder, ZOrderBandsHoldWhateverTheOrderOfAdding)
{
    WidgetScene scene;
    ProbeWidget high1("high1", nullptr), high2("high2", nullptr), low("low", nullptr);
    high1.SetZOrder(1);
    high2.SetZOrder(1);
    scene.manager.AddChild(&high1);
    scene.manager.AddChild(&low);
    scene.manager.AddChild(&high2);
    EXPECT_EQ(Order(scene.manager), (Names{"low", "high1", "high2"}));

    scene.manager.BringChildToFront(&low);
    EXPECT_EQ(Order(scene.manager), (Names{"low", "high1", "high2"}));
    scene.manager.SendChildToBack(&high2);
    EXPECT_EQ(Order(scene.manager), (Names{"low", "high2", "high1"}));
    scene.manager.PlaceChildBehind(&high1, &low);
    EXPECT_EQ(Order(scene.manager), (Names{"low", "high1", "high2"}));
}

TEST(WidgetOrder, AddingTwiceKeepsOneEntryAndRemovingAStrangerDoesNothing)
{
    WidgetScene scene;
    ProbeWidget& a = scene.Add("a", Rect(0, 0, 10, 10));
    scene.manager.AddChild(&a);
    ProbeWidget stranger("stranger", nullptr);
    scene.manager.RemoveChild(&stranger);
    EXPECT_EQ(Order(scene.manager), (Names{"a"}));
}

TEST(WidgetOrder, AddingToASecondParentMovesTheWidget)
{
    WidgetScene scene;
    ProbeWidget& first = scene.Add("first", Rect(0, 0, 50, 50));
    ProbeWidget& second = scene.Add("second", Rect(50, 0, 50, 50));
    ProbeWidget& child = scene.Add("child", Rect(0, 0, 5, 5), &first);
    second.AddChild(&child);
    EXPECT_TRUE(first.GetChildren().empty());
    EXPECT_EQ(child.GetParent(), &second);
}

TEST(WidgetOrder, PlaceInFrontAndIsBehindFollowTheWalk)
{
    WidgetScene scene;
    ProbeWidget& a = scene.Add("a", Rect(0, 0, 10, 10));
    ProbeWidget& b = scene.Add("b", Rect(0, 0, 10, 10));
    ProbeWidget& c = scene.Add("c", Rect(0, 0, 10, 10));
    ProbeWidget& aChild = scene.Add("aChild", Rect(0, 0, 5, 5), &a);
    scene.manager.PlaceChildInFront(&c, &a);
    EXPECT_EQ(Order(scene.manager), (Names{"a", "c", "b"}));
    // A parent comes before its children, and both before later siblings.
    EXPECT_TRUE(scene.manager.IsBehind(&a, &aChild));
    EXPECT_TRUE(scene.manager.IsBehind(&aChild, &c));
    EXPECT_FALSE(scene.manager.IsBehind(&b, &c));
    ProbeWidget stranger("s", nullptr), other("o", nullptr);
    EXPECT_FALSE(scene.manager.IsBehind(&stranger, &other));
}

TEST(WidgetTick, RemovingTheVisitedChildFromItsOwnTickSkipsNoOne)
{
    WidgetScene scene;
    ProbeWidget& a = scene.Add("a", Rect(0, 0, 10, 10));
    ProbeWidget& b = scene.Add("b", Rect(0, 0, 10, 10));
    ProbeWidget& c = scene.Add("c", Rect(0, 0, 10, 10));
    b.onTick = [&] { scene.manager.RemoveChild(&b); };
    scene.manager.TickWidgets();
    EXPECT_EQ(a.ticks, 1);
    EXPECT_EQ(b.ticks, 1);
    EXPECT_EQ(c.ticks, 1);
    EXPECT_EQ(Order(scene.manager), (Names{"a", "c"}));
}

TEST(WidgetTick, AWidgetIsTickedOncePerUpdateEvenWhenMovedToTheFront)
{
    WidgetScene scene;
    ProbeWidget& a = scene.Add("a", Rect(0, 0, 10, 10));
    ProbeWidget& b = scene.Add("b", Rect(0, 0, 10, 10));
    a.onTick = [&] { scene.manager.BringChildToFront(&a); };
    scene.manager.TickWidgets();
    EXPECT_EQ(a.ticks, 1);
    EXPECT_EQ(b.ticks, 1);
    scene.manager.TickWidgets();
    EXPECT_EQ(a.ticks, 2);
}

TEST(WidgetTick, HiddenWidgetsAreStillTicked)
{
    WidgetScene scene;
    ProbeWidget& a = scene.Add("a", Rect(0, 0, 10, 10));
    a.SetShown(false);
    scene.manager.TickWidgets();
    EXPECT_EQ(a.ticks, 1);
}

TEST(WidgetInvalidation, TouchingRectanglesDoNotOverlap)
{
    WidgetScene scene;
    ProbeWidget& a = scene.Add("a", Rect(0, 0, 10, 10));
    ProbeWidget& b = scene.Add("b", Rect(10, 0, 10, 10));
    ProbeWidget& c = scene.Add("c", Rect(9, 9, 10, 10));
    EXPECT_FALSE(a.Overlaps(&b));
    EXPECT_TRUE(a.Overlaps(&c));
}

TEST(WidgetInvalidation, AnOpaqueWidgetSpreadsToOverlappingWidgetsInFront)
{
    WidgetScene scene;
    ProbeWidget& back = scene.Add("back", Rect(0, 0, 100, 100));
    ProbeWidget& opaque = scene.Add("opaque", Rect(10, 10, 20, 20));
    ProbeWidget& overlapping = scene.Add("overlapping", Rect(25, 25, 20, 20));
    ProbeWidget& apart = scene.Add("apart", Rect(60, 60, 10, 10));
    scene.ClearDirty();
    scene.manager.InvalidateChild(&opaque);
    EXPECT_TRUE(opaque.IsDirty());
    EXPECT_TRUE(overlapping.IsDirty());
    EXPECT_FALSE(apart.IsDirty());
    EXPECT_FALSE(back.IsDirty());
    EXPECT_TRUE(scene.manager.IsDirty());
}

TEST(WidgetInvalidation, ATranslucentWidgetRepaintsBehindDownToTheFirstFullCover)
{
    WidgetScene scene;
    ProbeWidget& bottom = scene.Add("bottom", Rect(0, 0, 200, 150));
    ProbeWidget& cover = scene.Add("cover", Rect(0, 0, 100, 100));
    ProbeWidget& seeThrough = scene.Add("seeThrough", Rect(5, 5, 50, 50));
    seeThrough.SetTransparentAreas(true);
    ProbeWidget& translucent = scene.Add("translucent", Rect(10, 10, 30, 30));
    translucent.SetHasAlpha(true);
    scene.ClearDirty();
    scene.manager.InvalidateChild(&translucent);
    EXPECT_TRUE(translucent.IsDirty());
    EXPECT_TRUE(seeThrough.IsDirty()); // overlaps, but does not count as a cover
    EXPECT_TRUE(cover.IsDirty());      // opaque and covers: the walk stops here
    EXPECT_FALSE(bottom.IsDirty());
}

TEST(WidgetInvalidation, HidingAWidgetRepaintsWhatLayBehindIt)
{
    WidgetScene scene;
    ProbeWidget& back = scene.Add("back", Rect(0, 0, 100, 100));
    ProbeWidget& front = scene.Add("front", Rect(10, 10, 20, 20));
    scene.ClearDirty();
    front.SetShown(false);
    EXPECT_TRUE(back.IsDirty());
}

TEST(WidgetLifetime, DeletingAnAttachedWidgetDropsEveryRoleAndLink)
{
    WidgetScene scene;
    auto doomed = std::make_unique<ProbeWidget>("doomed", nullptr);
    doomed->SetBounds(0, 0, 50, 50);
    doomed->SetWantsFocus(true);
    scene.manager.AddChild(doomed.get());
    scene.manager.HandleMouseMove(5, 5);
    scene.manager.HandleMouseDown(5, 5, 1);
    scene.manager.SetCtrlTabWidget(doomed.get());
    scene.manager.PushModalBarrier(doomed.get());
    ASSERT_EQ(scene.manager.GetCapturedWidget(), doomed.get());

    doomed.reset();
    EXPECT_TRUE(scene.manager.GetChildren().empty());
    EXPECT_EQ(scene.manager.GetCapturedWidget(), nullptr);
    EXPECT_EQ(scene.manager.GetFocusWidget(), nullptr);
    EXPECT_EQ(scene.manager.GetOverWidget(), nullptr);
    EXPECT_EQ(scene.manager.GetModalBarrier(), nullptr);
    EXPECT_EQ(scene.manager.GetCtrlTabWidget(), nullptr);
    scene.manager.HandleMouseUp(5, 5, 1);
    scene.manager.HandleChar('\t');
}

TEST(WidgetLifetime, RemoveAllChildrenDeletesTheWholeSubtreeWhenAsked)
{
    WidgetScene scene;
    auto* parent = new ProbeWidget("parent", nullptr);
    auto* child = new ProbeWidget("child", nullptr);
    parent->AddChild(child);
    scene.manager.AddChild(parent);
    EXPECT_EQ(child->GetManager(), &scene.manager);
    scene.manager.RemoveAllChildren(true, true); // ASan proves both are gone
    EXPECT_TRUE(scene.manager.GetChildren().empty());
}

TEST(WidgetColors, GrowWithBlackAndAnswerBlackPastTheEnd)
{
    ProbeWidget w("w", nullptr);
    w.SetColorAt(2, Color(1, 2, 3));
    EXPECT_EQ(w.CountColors(), 3u);
    EXPECT_EQ(w.GetColorAt(0), Color(0, 0, 0, 255));
    EXPECT_EQ(w.GetColorAt(7), Color(0, 0, 0, 255));
    EXPECT_EQ(w.GetColorOr(7, Color(9, 9, 9)), Color(9, 9, 9));
    const int32_t rgba[] = {10, 20, 30, 40, 50, 60, 70, 80};
    w.SetColorsRgba(rgba, 2);
    EXPECT_EQ(w.CountColors(), 2u);
    EXPECT_EQ(w.GetColorAt(1), Color(50, 60, 70, 80));
}

TEST(WidgetNumbers, DigitsAreCountedAndDrawnFromTheStrip)
{
    ProbeWidget w("w", nullptr);
    EXPECT_EQ(w.CountDigits(0), 1);
    EXPECT_EQ(w.CountDigits(10), 2);
    EXPECT_EQ(w.CountDigits(-123), 3);

    // A strip of ten 2-pixel digits, digit d in grey level d.
    MemoryImage strip(nullptr);
    strip.MakeBlank(20, 1);
    uint32_t* bits = strip.RequireBits();
    for (int i = 0; i < 20; ++i)
        bits[i] = 0xFF000000u | static_cast<uint32_t>(i / 2);
    strip.MarkBitsChanged();
    strip.ScanAlpha();
    MemoryImage target(nullptr);
    target.MakeBlank(10, 1);
    // An opaque background, so the blits copy pixels exactly.
    const uint32_t kBackground = 0xFF0000FFu;
    std::fill_n(target.RequireBits(), 10, kBackground);
    target.MarkBitsChanged();
    target.ScanAlpha();
    Graphics g(&target);

    w.DrawNumberFromStrip(&g, 0, 0, 0, &strip, 0);
    w.DrawNumberFromStrip(&g, 42, 4, 0, &strip, 1);
    const uint32_t* out = target.RequireBits();
    EXPECT_EQ(out[0], 0xFF000000u);
    EXPECT_EQ(out[1], 0xFF000000u);
    EXPECT_EQ(out[2], kBackground);
    EXPECT_EQ(out[4], 0xFF000004u);
    EXPECT_EQ(out[5], 0xFF000004u);
    EXPECT_EQ(out[6], kBackground); // the spacing
    EXPECT_EQ(out[7], 0xFF000002u);
    EXPECT_EQ(out[8], 0xFF000002u);
    EXPECT_EQ(out[9], kBackground);
}
