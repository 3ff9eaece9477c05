// Input routing of the widget manager: hit test, hover, capture, focus,
// keys, modal barriers and the window-to-widget mapping.
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/WidgetDoubles.h"

#include <gtest/gtest.h>

using namespace Zolt;
using widget_testing::ProbeWidget;
using widget_testing::WidgetScene;
using Log = std::vector<std::string>;

namespace {

Widget* Pick(WidgetScene& scene, int x, int y, Point* local = nullptr)
{
    return scene.manager.PickWidget(x, y, local);
}

} // namespace

TEST(WidgetHitTest, FrontWinsOnEqualRanksAndAHigherRankWinsFromBehind)
{
    WidgetScene scene;
    ProbeWidget& back = scene.Add("back", Rect(0, 0, 50, 50));
    ProbeWidget& front = scene.Add("front", Rect(20, 20, 50, 50));
    Point local;
    EXPECT_EQ(Pick(scene, 30, 30, &local), &front);
    EXPECT_EQ(local.x, 10);
    EXPECT_EQ(local.y, 10);
    back.SetPickRank(600);
    EXPECT_EQ(Pick(scene, 30, 30), &back);
    // Ranks compare unsigned: the largest 16-bit rank beats 600.
    front.SetPickRank(0xFFFF);
    EXPECT_EQ(Pick(scene, 30, 30), &front);
}

TEST(WidgetHitTest, AChildFurtherBackBeatsAFrontSiblingThatIsOnlyACandidate)
{
    WidgetScene scene;
    ProbeWidget& parent = scene.Add("parent", Rect(0, 0, 100, 100));
    ProbeWidget& child = scene.Add("child", Rect(10, 10, 20, 20), &parent);
    scene.Add("front", Rect(0, 0, 100, 100));
    Point local;
    EXPECT_EQ(Pick(scene, 15, 15, &local), &child);
    EXPECT_EQ(local.x, 5);
    EXPECT_EQ(local.y, 5);
}

TEST(WidgetHitTest, RefusedPointsMarginsHiddenAndMouseInvisibleWidgetsFallThrough)
{
    WidgetScene scene;
    ProbeWidget& back = scene.Add("back", Rect(0, 0, 100, 100));
    ProbeWidget& refusing = scene.Add("refusing", Rect(0, 0, 100, 100));
    refusing.acceptsPoint = [](int x, int) { return x >= 50; };
    EXPECT_EQ(Pick(scene, 10, 10), &back);
    EXPECT_EQ(Pick(scene, 60, 10), &refusing);

    refusing.SetMouseMargins(Margins{0, 0, 30, 0});
    EXPECT_EQ(Pick(scene, 75, 10), &back);

    ProbeWidget& ghost = scene.Add("ghost", Rect(0, 0, 100, 100));
    ghost.SetMouseVisible(false);
    ProbeWidget& inGhost = scene.Add("inGhost", Rect(80, 80, 10, 10), &ghost);
    EXPECT_EQ(Pick(scene, 85, 85), &inGhost);
    EXPECT_EQ(Pick(scene, 60, 10), &refusing);
    ghost.SetShown(false);
    EXPECT_EQ(Pick(scene, 85, 85), &back);
}

TEST(WidgetHitTest, APressOnADisabledWidgetHasNoTargetAndNoCapture)
{
    WidgetScene scene;
    scene.Add("back", Rect(0, 0, 100, 100));
    ProbeWidget& disabled = scene.Add("disabled", Rect(0, 0, 50, 50));
    disabled.SetDisabledState(true);
    scene.manager.HandleMouseDown(10, 10, 1);
    EXPECT_EQ(scene.manager.GetCapturedWidget(), nullptr);
    EXPECT_EQ(scene.TakeLog(), Log{});
}

TEST(WidgetHover, MovingAcrossWidgetsEntersAndLeavesOnce)
{
    WidgetScene scene;
    scene.Add("a", Rect(0, 0, 50, 50));
    scene.Add("b", Rect(50, 0, 50, 50));
    scene.manager.HandleMouseMove(10, 10);
    scene.manager.HandleMouseMove(10, 10);
    scene.manager.HandleMouseMove(12, 10);
    scene.manager.HandleMouseMove(60, 5);
    scene.manager.HandleMouseExit(60, 5);
    EXPECT_EQ(scene.TakeLog(), (Log{"a:enter", "a:move 10,10", "a:move 12,10", "a:leave", "b:enter",
                                    "b:move 10,5", "b:leave"}));
}

TEST(WidgetHover, HandCursorFollowsTheWidgetThatWantsIt)
{
    WidgetScene scene;
    ProbeWidget& link = scene.Add("link", Rect(0, 0, 50, 50));
    link.SetWantsHandCursor(true);
    scene.manager.HandleMouseMove(10, 10);
    scene.manager.HandleMouseMove(100, 100);
    EXPECT_EQ(scene.host.cursors, (std::vector<int>{1, 0}));
}

TEST(WidgetHover, ShowingAWidgetUnderTheStillMouseMovesTheOverRole)
{
    WidgetScene scene;
    ProbeWidget& back = scene.Add("back", Rect(0, 0, 100, 100));
    ProbeWidget& popup = scene.Add("popup", Rect(0, 0, 50, 50));
    popup.SetShown(false);
    scene.manager.HandleMouseMove(10, 10);
    EXPECT_EQ(scene.manager.GetOverWidget(), &back);
    popup.SetShown(true);
    EXPECT_EQ(scene.manager.GetOverWidget(), &popup);
    EXPECT_FALSE(back.IsOver());
}

TEST(WidgetCapture, TheReleaseGoesToThePressedWidgetAndHoverFollowsTheMouse)
{
    WidgetScene scene;
    ProbeWidget& button = scene.Add("button", Rect(10, 10, 30, 30));
    scene.manager.HandleMouseMove(20, 20);
    scene.manager.HandleMouseDown(20, 20, 1);
    EXPECT_TRUE(button.IsDown());
    scene.TakeLog();

    scene.manager.HandleMouseMove(100, 100);
    EXPECT_FALSE(button.IsOver());
    scene.manager.HandleMouseMove(25, 25);
    EXPECT_TRUE(button.IsOver());
    scene.manager.HandleMouseMove(100, 100);
    scene.manager.HandleMouseUp(100, 100, 1);
    EXPECT_EQ(scene.TakeLog(), (Log{"button:drag 90,90", "button:leave", "button:drag 15,15", "button:enter",
                                    "button:drag 90,90", "button:leave", "button:up 90,90 1"}));
    EXPECT_EQ(scene.manager.GetCapturedWidget(), nullptr);
    EXPECT_FALSE(button.IsDown());
}

TEST(WidgetCapture, ARightPressWhileLeftIsHeldGoesToTheCapturedWidgetUntilBothAreUp)
{
    WidgetScene scene;
    ProbeWidget& a = scene.Add("a", Rect(0, 0, 50, 50));
    scene.Add("b", Rect(50, 0, 50, 50));
    scene.manager.HandleMouseDown(10, 10, 1);
    scene.manager.HandleMouseDrag(60, 10);
    scene.manager.HandleMouseDown(60, 10, -1);
    scene.manager.HandleMouseUp(60, 10, 1);
    EXPECT_EQ(scene.manager.GetCapturedWidget(), &a);
    EXPECT_EQ(scene.manager.LastClickButton(), -1);
    scene.manager.HandleMouseUp(60, 10, -1);
    EXPECT_EQ(scene.manager.GetCapturedWidget(), nullptr);
    Log log = scene.TakeLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "a:down 60,10 -1"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "a:up 60,10 -1"), 1);
    for (const std::string& entry : log)
        EXPECT_NE(entry.rfind("b:down", 0), 0u) << entry;
}

TEST(WidgetCapture, ANestedWidgetGetsItsReleaseInItsOwnCoordinates)
{
    WidgetScene scene;
    ProbeWidget& panel = scene.Add("panel", Rect(100, 100, 80, 40));
    scene.Add("inner", Rect(10, 5, 20, 20), &panel);
    scene.manager.HandleMouseDown(115, 110, 1);
    scene.manager.HandleMouseUp(116, 111, 1);
    Log log = scene.TakeLog();
    EXPECT_NE(std::find(log.begin(), log.end(), "inner:down 5,5 1"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "inner:up 6,6 1"), log.end());
}

TEST(WidgetCapture, DisablingTheCapturedWidgetSendsSyntheticReleases)
{
    WidgetScene scene;
    ProbeWidget& a = scene.Add("a", Rect(0, 0, 50, 50));
    scene.manager.HandleMouseDown(10, 10, 1);
    scene.manager.HandleMouseDown(10, 10, 3);
    scene.TakeLog();
    a.SetDisabledState(true);
    EXPECT_EQ(scene.TakeLog(), (Log{"a:leave", "a:up 10,10 1", "a:up 10,10 3"}));
    EXPECT_EQ(scene.manager.CaptureMask(), 0);
}

TEST(WidgetFocus, APressFocusesAWidgetThatWantsItAndTabFollowsTheNeighbours)
{
    WidgetScene scene;
    ProbeWidget& first = scene.Add("first", Rect(0, 0, 50, 50));
    ProbeWidget& second = scene.Add("second", Rect(50, 0, 50, 50));
    first.SetWantsFocus(true);
    first.SetTabNext(&second);
    second.SetTabPrevious(&first);
    scene.manager.HandleMouseDown(10, 10, 1);
    scene.manager.HandleMouseUp(10, 10, 1);
    EXPECT_EQ(scene.manager.GetFocusWidget(), &first);

    scene.manager.HandleKeyDown(Widget::kKeyTab);
    EXPECT_EQ(scene.manager.GetFocusWidget(), &second);
    EXPECT_TRUE(second.HasFocus());
    EXPECT_FALSE(first.HasFocus());
    scene.manager.HandleKeyDown(Widget::kKeyShift);
    scene.manager.HandleKeyDown(Widget::kKeyTab);
    EXPECT_EQ(scene.manager.GetFocusWidget(), &first);
}

TEST(WidgetFocus, KeysCharactersAndTheWheelGoToTheFocusWidgetThenTheListener)
{
    struct Listener : KeyListener {
        void OnKeyDown(int key) override { log.push_back("listener:keydown " + std::to_string(key)); }
        void OnKeyUp(int key) override { log.push_back("listener:keyup " + std::to_string(key)); }
        void OnChar(char c) override { log.push_back(std::string("listener:char ") + c); }
        Log log;
    } listener;
    WidgetScene scene;
    ProbeWidget& w = scene.Add("w", Rect(0, 0, 50, 50));
    scene.manager.GiveFocus(&w);
    scene.manager.SetKeyListener(&listener);
    scene.TakeLog();
    scene.manager.HandleKeyDown(65);
    scene.manager.HandleChar('a');
    scene.manager.HandleKeyUp(65);
    scene.manager.HandleMouseWheel(-2);
    EXPECT_EQ(scene.TakeLog(), (Log{"w:keydown 65", "w:char a", "w:keyup 65", "w:wheel -2"}));
    EXPECT_EQ(listener.log, (Log{"listener:keydown 65", "listener:char a", "listener:keyup 65"}));
}

TEST(WidgetFocus, CtrlTabReachesOnlyTheCtrlTabWidget)
{
    WidgetScene scene;
    ProbeWidget& focus = scene.Add("focus", Rect(0, 0, 50, 50));
    ProbeWidget& switcher = scene.Add("switcher", Rect(50, 0, 50, 50));
    scene.manager.GiveFocus(&focus);
    scene.manager.SetCtrlTabWidget(&switcher);
    scene.manager.HandleKeyDown(Widget::kKeyControl);
    scene.TakeLog();
    scene.manager.HandleKeyDown(Widget::kKeyTab);
    scene.manager.HandleChar('\t');
    scene.manager.HandleKeyUp(Widget::kKeyTab);
    EXPECT_EQ(scene.TakeLog(), (Log{"focus:keydown 9", "switcher:char \t"}));
}

TEST(WidgetFocus, LosingTheApplicationFocusReleasesHeldKeysAndRegainingRestoresFocus)
{
    WidgetScene scene;
    ProbeWidget& w = scene.Add("w", Rect(0, 0, 50, 50));
    scene.manager.GiveFocus(&w);
    scene.manager.HandleKeyDown(65);
    scene.manager.HandleKeyDown(66);
    scene.manager.HandleKeyDown(300); // passed on, not recorded
    scene.TakeLog();
    scene.manager.HandleAppFocusLost();
    EXPECT_EQ(scene.TakeLog(), (Log{"w:keyup 65", "w:keyup 66", "w:blur"}));
    EXPECT_EQ(scene.manager.GetFocusWidget(), &w);
    scene.manager.HandleAppFocusLost();
    scene.manager.HandleAppFocusGained();
    EXPECT_EQ(scene.TakeLog(), (Log{"w:focus"}));
}

TEST(WidgetFocus, KeyCodesOutsideTheTableArePassedOnButNeverRecorded)
{
    WidgetScene scene;
    ProbeWidget& w = scene.Add("w", Rect(0, 0, 50, 50));
    scene.manager.GiveFocus(&w);
    scene.TakeLog();
    for (int key : {-1, -1000, 255, 256, 100000}) {
        scene.manager.HandleKeyDown(key);
        EXPECT_FALSE(scene.manager.IsKeyDown(key));
        scene.manager.HandleKeyUp(key);
    }
    EXPECT_EQ(scene.TakeLog().size(), 10u);
    scene.manager.HandleKeyDown(254);
    EXPECT_TRUE(scene.manager.IsKeyDown(254));
}

TEST(WidgetFocus, AnAppFocusedWidgetOnlyHearsOfFocusWhileTheApplicationHasIt)
{
    WidgetScene scene;
    ProbeWidget& w = scene.Add("w", Rect(0, 0, 50, 50));
    scene.manager.HandleAppFocusLost();
    scene.manager.GiveFocus(&w);
    EXPECT_FALSE(w.HasFocus());
    scene.manager.HandleAppFocusGained();
    EXPECT_TRUE(w.HasFocus());
    ProbeWidget detached("detached", nullptr);
    scene.manager.GiveFocus(&detached);
    EXPECT_EQ(scene.manager.GetFocusWidget(), nullptr);
}

TEST(WidgetBarrier, PushingABarrierReleasesACapturedWidgetBehindItAndPoppingRestoresFocus)
{
    WidgetScene scene;
    ProbeWidget& game = scene.Add("game", Rect(0, 0, 200, 150));
    scene.manager.GiveFocus(&game);
    scene.manager.HandleMouseDown(100, 100, 1);
    scene.manager.HandleMouseDown(100, 100, -1);
    ProbeWidget& dialog = scene.Add("dialog", Rect(50, 50, 40, 40));
    scene.TakeLog();

    scene.manager.PushModalBarrier(&dialog);
    EXPECT_EQ(scene.TakeLog(), (Log{"game:leave", "game:up 100,100 1", "game:up 100,100 -1", "game:blur"}));
    EXPECT_EQ(scene.manager.GetCapturedWidget(), nullptr);

    // Behind the barrier the game can be neither hit nor focused.
    EXPECT_EQ(Pick(scene, 10, 10), nullptr);
    EXPECT_EQ(Pick(scene, 60, 60), &dialog);
    scene.manager.HandleMouseDown(10, 10, 1);
    scene.manager.HandleMouseUp(10, 10, 1);
    EXPECT_EQ(scene.TakeLog(), Log{});

    scene.manager.PopModalBarrier(&dialog);
    EXPECT_EQ(scene.manager.GetModalBarrier(), nullptr);
    EXPECT_EQ(scene.manager.GetFocusWidget(), &game);
    EXPECT_EQ(Pick(scene, 10, 10), &game);
}

TEST(WidgetBarrier, PoppingForAWidgetThatIsNotTheNewestDoesNothing)
{
    WidgetScene scene;
    ProbeWidget& first = scene.Add("first", Rect(0, 0, 50, 50));
    ProbeWidget& second = scene.Add("second", Rect(50, 0, 50, 50));
    scene.manager.PushModalBarrier(&first);
    scene.manager.PushModalBarrier(&second);
    scene.manager.PopModalBarrier(&first);
    EXPECT_EQ(scene.manager.GetModalBarrier(), &second);
    EXPECT_EQ(scene.manager.ModalDepth(), 2u);
    scene.manager.PopModalBarrier(&second);
    EXPECT_EQ(scene.manager.GetModalBarrier(), &first);
    // A removed barrier is forgotten by the state saved above it.
    scene.manager.PushModalBarrier(&second);
    scene.manager.RemoveChild(&first);
    scene.manager.PopModalBarrier(&second);
    EXPECT_EQ(scene.manager.GetModalBarrier(), nullptr);
}

TEST(WidgetPopup, APressOutsideThePopupClosesIt)
{
    WidgetScene scene;
    scene.Add("back", Rect(0, 0, 200, 150));
    ProbeWidget& popup = scene.Add("popup", Rect(10, 10, 30, 30));
    scene.manager.SetPopupWidget(&popup);
    scene.manager.HandleMouseDown(20, 20, 1);
    scene.manager.HandleMouseUp(20, 20, 1);
    EXPECT_EQ(popup.GetParent(), &scene.manager);
    scene.manager.HandleMouseDown(100, 100, 1);
    EXPECT_EQ(popup.GetParent(), nullptr);
    EXPECT_EQ(scene.manager.GetPopupWidget(), nullptr);
}

TEST(WidgetMapping, WindowPointsScaleIntoWidgetCoordinates)
{
    WidgetScene scene;
    scene.manager.SetInputMapping(Rect(0, 0, 800, 600), Rect(0, 0, 1600, 1200));
    int x = 801, y = 3;
    scene.manager.MapWindowToWidgetCoords(x, y);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 1);
    EXPECT_EQ(scene.manager.Width(), 800);

    scene.manager.SetInputMapping(Rect(112, 0, 800, 600), Rect(0, 0, 800, 600));
    EXPECT_EQ(scene.manager.Width(), 1024);
    x = -10;
    y = 5;
    scene.manager.MapWindowToWidgetCoords(x, y);
    EXPECT_EQ(x, 102);
    EXPECT_EQ(y, 5);
}

TEST(WidgetMapping, AZeroSourceSizeMapsAsTheIdentity)
{
    WidgetScene scene;
    scene.manager.SetInputMapping(Rect(0, 0, 0, 0), Rect(0, 0, 0, 0));
    int x = 37, y = -4;
    scene.manager.MapWindowToWidgetCoords(x, y);
    EXPECT_EQ(x, 37);
    EXPECT_EQ(y, -4);
    scene.manager.SetInputMapping(Rect(0, 0, 800, 600), Rect(0, 0, 400, 0));
    x = 10;
    y = 9;
    scene.manager.MapWindowToWidgetCoords(x, y);
    EXPECT_EQ(x, 20);
    EXPECT_EQ(y, 9);
}
