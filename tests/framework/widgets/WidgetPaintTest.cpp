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
// Queues an overlay of itself while it paints, and notes the stretch mode.
class OverlayProbe : public ProbeWidget {
public:
    OverlayProbe(std::string name, Log* log, int priority) : ProbeWidget(std::move(name), log), priority_(priority) {}
    void Paint(Graphics* g) override
    {
        quickStretch = g->quickStretch;
        GetManager()->RequestOverlay(this, priority_);
    }
    bool quickStretch = false;

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
    EXPECT_FALSE(scene.manager.PaintDirtyWidgets());
    back.SetDirty(true);
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(scene.Pixel(25, 25), Opaque(0xFF0000));
    EXPECT_EQ(front.paints, 1);
    EXPECT_EQ(scene.host.locks, 3);
    EXPECT_EQ(scene.host.unlocks, 3);
}

TEST(WidgetPaint, ChildrenArePaintedInTheirParentsClipUnlessItStopsClipping)
{
    WidgetScene scene;
    ProbeWidget& panel = scene.Add("panel", Rect(10, 10, 30, 30));
    ProbeWidget& child = scene.Add("child", Rect(20, 20, 40, 40), &panel);
    child.fill = Color(0, 0, 255);
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(scene.Pixel(35, 35), Opaque(0x0000FF));
    EXPECT_EQ(scene.Pixel(40, 40), Opaque(0));
    EXPECT_FALSE(child.IsDirty());
    panel.SetClipsChildren(false);
    panel.SetDirty(true);
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(scene.Pixel(45, 45), Opaque(0x0000FF));
}

TEST(WidgetPaint, WidgetsBehindTheBarrierOrOfAnInactiveApplicationGetAdjustedFlags)
{
    WidgetScene scene;
    ProbeWidget& game = scene.Add("game", Rect(0, 0, 200, 150));
    ProbeWidget& dialog = scene.Add("dialog", Rect(50, 50, 40, 40));
    scene.manager.PushModalBarrier(&dialog, FlagAdjust(0, TreeFlags::Tick | TreeFlags::Paint));
    scene.manager.TickWidgets();
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(game.ticks, 0);
    EXPECT_EQ(game.paints, 0);
    EXPECT_EQ(dialog.ticks, 1);
    EXPECT_EQ(dialog.paints, 1);
    scene.manager.PopModalBarrier(&dialog);
    scene.manager.TickWidgets();
    EXPECT_EQ(game.ticks, 1);

    scene.manager.SetLostFocusAdjust(FlagAdjust(TreeFlags::Invalidate, TreeFlags::Tick));
    scene.manager.HandleAppFocusLost();
    scene.ClearDirty();
    scene.manager.TickWidgets();
    EXPECT_EQ(game.ticks, 1);
    EXPECT_TRUE(game.IsDirty());
}

TEST(WidgetPaint, OverlaysFollowTheTreeInPriorityOrderAndStretchFollowsThe3DMode)
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
    EXPECT_TRUE(high.quickStretch);

    // A widget of a higher overlay priority is painted after lower overlays.
    ProbeWidget& dialogLike = scene.Add("dialogLike", Rect(0, 0, 10, 10));
    dialogLike.SetOverlayPriority(3);
    dialogLike.onPaint = [&] { scene.log.push_back("dialogLike:paint"); };
    scene.host.in3D = true;
    high.SetDirty(true);
    low.SetDirty(true);
    scene.manager.PaintDirtyWidgets();
    EXPECT_EQ(scene.TakeLog(), (Log{"low:overlay2", "dialogLike:paint", "high:overlay5"}));
    EXPECT_FALSE(high.quickStretch);
}
