// The per-frame walks and the draw pass: which widgets are ticked and
// painted, clipping, barrier flags and overlays.
#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/WidgetDoubles.h"

#include <gtest/gtest.h>

using namespace Zolt;
using widget_testing::Opaque;
using widget_testing::ProbeWidget;
using widget_testing::WidgetScene;
using Log = std::vector<std::string>;

namespace {

// Records the stretch and blend settings of the Graphics it is painted with.
class SettingsProbe : public ProbeWidget {
public:
    using ProbeWidget::ProbeWidget;
    void Paint(Graphics* g) override
    {
        quickStretch = g->quickStretch;
        blendHint = g->blendHint;
    }
    bool quickStretch = false;
    bool blendHint = true;
};

// Queues an overlay of itself while it paints.
class OverlayProbe : public ProbeWidget {
public:
    OverlayProbe(std::string name, std::vector<std::string>* log, int priority) : ProbeWidget(std::move(name), log), priority_(priority)
    {
    }
    void Paint(Graphics* g) override
    {
        ProbeWidget::Paint(g);
        GetManager()->RequestOverlay(this, priority_);
    }

private:
    int priority_;
};

} // namespace

TEST(WidgetPaint, OnlyDirtyShownTopLevelWidgetsAreDrawnEvenOverAnotherDirtyOne)
{
    WidgetScene scene;
    ProbeWidget& back = scene.Add("back", Rect(0, 0, 100, 100));
    back.fill = Color(255, 0, 0);
    ProbeWidget& front = scene.Add("front", Rect(20, 20, 20, 20));
    front.fill = Color(0, 255, 0);
    ProbeWidget& hidden = scene.Add("hidden", Rect(60, 60, 20, 20));
    hidden.fill = Color(0, 0, 255);
    hidden.SetShown(false);

    EXPECT_TRUE(scene.manager.PaintDirtyWidgets());
    EXPECT_EQ(scene.Pixel(5, 5), Opaque(0xFF0000));
    EXPECT_EQ(scene.Pixel(25, 25), Opaque(0x00FF00));
    EXPECT_EQ(scene.Pixel(65, 65), Opaque(0xFF0000));
    EXPECT_FALSE(back.IsDirty());
    EXPECT_FALSE(scene.manager.PaintDirtyWidgets());

    // A widget that is not dirty is not drawn, even over a dirty one.
    back.SetDirty(true);
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(scene.Pixel(25, 25), Opaque(0xFF0000));
    EXPECT_EQ(front.paints, 1);
}

TEST(WidgetPaint, ChildrenArePaintedInTheirParentsClipAndPlace)
{
    WidgetScene scene;
    ProbeWidget& panel = scene.Add("panel", Rect(10, 10, 30, 30));
    ProbeWidget& child = scene.Add("child", Rect(20, 20, 40, 40), &panel);
    child.fill = Color(0, 0, 255);
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(scene.Pixel(35, 35), Opaque(0x0000FF));
    EXPECT_EQ(scene.Pixel(40, 40), Opaque(0)); // outside the panel
    EXPECT_FALSE(child.IsDirty());

    panel.SetClipsChildren(false);
    panel.SetDirty(true);
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(scene.Pixel(45, 45), Opaque(0x0000FF));
}

TEST(WidgetPaint, TheScreenIsLockedAroundThePassAndStretchFollowsThe3DMode)
{
    WidgetScene scene;
    SettingsProbe probe("probe", nullptr);
    probe.SetBounds(0, 0, 10, 10);
    scene.manager.AddChild(&probe);
    scene.manager.PaintDirtyWidgets();
    EXPECT_TRUE(probe.quickStretch);
    EXPECT_FALSE(probe.blendHint);
    EXPECT_EQ(scene.host.locks, 1);
    EXPECT_EQ(scene.host.unlocks, 1);
    EXPECT_EQ(scene.manager.GetCurrentGraphics(), nullptr);

    scene.host.in3D = true;
    probe.SetDirty(true);
    scene.manager.PaintDirtyWidgets();
    EXPECT_FALSE(probe.quickStretch);
    EXPECT_TRUE(probe.blendHint);
}

TEST(WidgetPaint, AFlagAdjustThatRemovesPaintSkipsTheWidgetButNotItsChildren)
{
    WidgetScene scene;
    ProbeWidget& panel = scene.Add("panel", Rect(0, 0, 50, 50));
    ProbeWidget& child = scene.Add("child", Rect(0, 0, 10, 10), &panel);
    panel.SetFlagAdjust(FlagAdjust(0, TreeFlags::Paint));
    child.SetFlagAdjust(FlagAdjust(TreeFlags::Paint, 0));
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(panel.paints, 0);
    EXPECT_EQ(child.paints, 1);
}

TEST(WidgetPaint, WidgetsBehindTheBarrierGetTheBehindFlags)
{
    WidgetScene scene;
    ProbeWidget& game = scene.Add("game", Rect(0, 0, 200, 150));
    ProbeWidget& dialog = scene.Add("dialog", Rect(50, 50, 40, 40));
    // A barrier that stops ticking behind it.
    scene.manager.PushModalBarrier(&dialog, FlagAdjust(0, TreeFlags::Tick));
    scene.manager.TickWidgets();
    EXPECT_EQ(game.ticks, 0);
    EXPECT_EQ(dialog.ticks, 1);
    scene.manager.PopModalBarrier(&dialog);
    scene.manager.TickWidgets();
    EXPECT_EQ(game.ticks, 1);

    // With the application inactive a lost-focus adjust applies to all.
    scene.manager.SetLostFocusAdjust(FlagAdjust(0, TreeFlags::Tick));
    scene.manager.HandleAppFocusLost();
    scene.manager.TickWidgets();
    EXPECT_EQ(game.ticks, 1);
}

TEST(WidgetPaint, TheInvalidateFlagDirtiesEveryTickAndTheManagerReportsIt)
{
    WidgetScene scene;
    ProbeWidget& w = scene.Add("w", Rect(0, 0, 10, 10));
    scene.ClearDirty();
    w.SetFlagAdjust(FlagAdjust(TreeFlags::Invalidate, 0));
    scene.manager.TickWidgets();
    EXPECT_TRUE(w.IsDirty());
    EXPECT_TRUE(scene.manager.TickWidgetsSmooth(0.5f));
}

TEST(WidgetPaint, OverlaysArePaintedInPriorityOrderAfterTheTree)
{
    WidgetScene scene;
    OverlayProbe high("high", &scene.log, 5);
    high.SetBounds(0, 0, 10, 10);
    OverlayProbe low("low", &scene.log, 2);
    low.SetBounds(10, 0, 10, 10);
    scene.manager.AddChild(&high);
    scene.manager.AddChild(&low);
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(scene.TakeLog(), (Log{"low:overlay2", "high:overlay5"}));
    EXPECT_EQ(scene.manager.GetLowestQueuedPriority(), WidgetManager::kNoPriority);
}

TEST(WidgetPaint, AWidgetWithAHigherOverlayPriorityIsPaintedAfterTheLowerOverlays)
{
    WidgetScene scene;
    OverlayProbe first("first", &scene.log, 0);
    first.SetBounds(0, 0, 10, 10);
    scene.manager.AddChild(&first);
    ProbeWidget& dialogLike = scene.Add("dialogLike", Rect(0, 0, 10, 10));
    dialogLike.SetOverlayPriority(1);
    dialogLike.fill = Color(0, 0, 255);
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(scene.TakeLog(), (Log{"first:overlay0"}));
    EXPECT_EQ(dialogLike.paints, 1);
}
