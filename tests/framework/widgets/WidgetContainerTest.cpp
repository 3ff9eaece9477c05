// The widget tree itself: z-order bands, the tick walk, invalidation
// spreading, lifetime links and the number strip.
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
using Names = std::vector<std::string>;

namespace {
Names Order(const WidgetContainer& container)
{
    Names names;
    for (Widget* w : container.GetChildren())
        names.push_back(static_cast<ProbeWidget*>(w)->Name());
    return names;
}
} // namespace

TEST(WidgetOrder, ZOrderBandsHoldWhateverTheOrderOfAddingOrMoving)
{
    WidgetScene scene;
    ProbeWidget high1("high1", nullptr), high2("high2", nullptr), low("low", nullptr);
    high1.SetZOrder(1);
    high2.SetZOrder(1);
    scene.manager.AddChild(&high1);
    scene.manager.AddChild(&low);
    scene.manager.AddChild(&high2);
    scene.manager.AddChild(&low);
    EXPECT_EQ(Order(scene.manager), (Names{"low", "high1", "high2"}));
    scene.manager.BringChildToFront(&low);
    EXPECT_EQ(Order(scene.manager), (Names{"low", "high1", "high2"}));
    scene.manager.SendChildToBack(&high2);
    EXPECT_EQ(Order(scene.manager), (Names{"low", "high2", "high1"}));
    scene.manager.PlaceChildBehind(&high1, &low);
    EXPECT_EQ(Order(scene.manager), (Names{"low", "high1", "high2"}));
    // The walk meets a parent before its children, both before later siblings.
    ProbeWidget& child = scene.Add("child", Rect(0, 0, 5, 5), &low);
    EXPECT_TRUE(scene.manager.IsBehind(&low, &child));
    EXPECT_TRUE(scene.manager.IsBehind(&child, &high1));
    EXPECT_FALSE(scene.manager.IsBehind(&high2, &high1));
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

TEST(WidgetTick, EveryWidgetIsTickedOnceEvenWhenTheWalkIsReordered)
{
    WidgetScene scene;
    ProbeWidget& a = scene.Add("a", Rect(0, 0, 10, 10));
    ProbeWidget& b = scene.Add("b", Rect(0, 0, 10, 10));
    ProbeWidget& c = scene.Add("c", Rect(0, 0, 10, 10));
    ProbeWidget& d = scene.Add("d", Rect(0, 0, 10, 10));
    a.onTick = [&] { scene.manager.BringChildToFront(&a); };
    b.onTick = [&] { scene.manager.RemoveChild(&b); };
    d.SetShown(false);
    scene.manager.TickWidgets();
    EXPECT_EQ(a.ticks + b.ticks + c.ticks + d.ticks, 4);
    EXPECT_EQ(Order(scene.manager), (Names{"c", "d", "a"}));
}

TEST(WidgetInvalidation, AnOpaqueWidgetSpreadsToOverlappingWidgetsInFront)
{
    WidgetScene scene;
    ProbeWidget& back = scene.Add("back", Rect(0, 0, 100, 100));
    ProbeWidget& opaque = scene.Add("opaque", Rect(10, 10, 20, 20));
    ProbeWidget& overlapping = scene.Add("overlapping", Rect(29, 29, 20, 20));
    ProbeWidget& touching = scene.Add("touching", Rect(30, 10, 10, 10));
    scene.ClearDirty();
    scene.manager.InvalidateChild(&opaque);
    EXPECT_TRUE(overlapping.IsDirty());
    EXPECT_FALSE(touching.IsDirty());
    EXPECT_FALSE(back.IsDirty());
    EXPECT_TRUE(scene.manager.IsDirty());
    // Hiding a widget repaints what lay behind it.
    opaque.SetShown(false);
    EXPECT_TRUE(back.IsDirty());
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
    EXPECT_TRUE(seeThrough.IsDirty()); // overlaps, but never counts as a cover
    EXPECT_TRUE(cover.IsDirty());
    EXPECT_FALSE(bottom.IsDirty());
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
    for (Widget* role : {scene.manager.GetCapturedWidget(), scene.manager.GetFocusWidget(),
                         scene.manager.GetOverWidget(), scene.manager.GetModalBarrier(),
                         scene.manager.GetCtrlTabWidget()})
        EXPECT_EQ(role, nullptr);
    // Nothing left to reach a deleted widget (ASan watches).
    scene.manager.HandleMouseUp(5, 5, 1);
    scene.manager.HandleChar('\t');

    auto* parent = new ProbeWidget("parent", nullptr);
    parent->AddChild(new ProbeWidget("child", nullptr));
    scene.manager.AddChild(parent);
    scene.manager.RemoveAllChildren(true, true);
    EXPECT_TRUE(scene.manager.GetChildren().empty());

    // A manager that goes first leaves its widgets unlinked, not dangling.
    ProbeWidget survivor("survivor", nullptr);
    auto manager = std::make_unique<WidgetManager>(nullptr);
    manager->AddChild(&survivor);
    manager.reset();
    EXPECT_EQ(survivor.GetManager(), nullptr);
    EXPECT_EQ(survivor.GetParent(), nullptr);
}

TEST(WidgetNumbers, DigitsAreCountedAndDrawnFromTheStrip)
{
    ProbeWidget w("w", nullptr);
    EXPECT_EQ(w.CountDigits(0), 1);
    EXPECT_EQ(w.CountDigits(10), 2);
    EXPECT_EQ(w.CountDigits(-123), 3);

    // Ten 2-pixel digits, digit d in blue level d, onto an opaque target.
    MemoryImage strip(nullptr), target(nullptr);
    strip.MakeBlank(20, 1);
    for (int i = 0; i < 20; ++i)
        strip.RequireBits()[i] = 0xFF000000u | static_cast<uint32_t>(i / 2);
    strip.MarkBitsChanged();
    strip.ScanAlpha();
    const uint32_t bg = 0xFF0000FFu;
    target.MakeBlank(10, 1);
    std::fill_n(target.RequireBits(), 10, bg);
    target.MarkBitsChanged();
    target.ScanAlpha();
    Graphics g(&target);

    w.DrawNumberFromStrip(&g, 0, 0, 0, &strip, 0);
    w.DrawNumberFromStrip(&g, 42, 4, 0, &strip, 1);
    const uint32_t* out = target.RequireBits();
    const uint32_t d0 = 0xFF000000u, d4 = 0xFF000004u, d2 = 0xFF000002u;
    EXPECT_EQ(std::vector<uint32_t>(out, out + 10), (std::vector<uint32_t>{d0, d0, bg, bg, d4, d4, bg, d2, d2, bg}));
}
