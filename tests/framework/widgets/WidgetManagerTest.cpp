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

TEST(WidgetHitTest, PickRankThenFrontMostDecideAndAChildFurtherBackBeatsACandidate)
{
    WidgetScene scene;
    ProbeWidget& back = scene.Add("back", Rect(0, 0, 100, 100));
    ProbeWidget& child = scene.Add("child", Rect(80, 80, 10, 10), &back);
    ProbeWidget& front = scene.Add("front", Rect(20, 20, 80, 80));
    Point local;
    EXPECT_EQ(scene.manager.PickWidget(30, 30, &local), &front);
    EXPECT_EQ(local.x, 10);
    EXPECT_EQ(scene.manager.PickWidget(85, 85, &local), &child);
    EXPECT_EQ(local.x, 5);
    back.SetPickRank(600);
    EXPECT_EQ(scene.manager.PickWidget(30, 30, nullptr), &back);
    front.SetPickRank(0xFFFF); // ranks compare unsigned
    EXPECT_EQ(scene.manager.PickWidget(30, 30, nullptr), &front);
}

TEST(WidgetHitTest, RefusedPointsMarginsHiddenAndDisabledWidgetsAreNotHit)
{
    WidgetScene scene;
    ProbeWidget& back = scene.Add("back", Rect(0, 0, 100, 100));
    ProbeWidget& refusing = scene.Add("refusing", Rect(0, 0, 100, 100));
    refusing.acceptsPoint = [](int x, int) { return x >= 50; };
    refusing.SetMouseMargins(Margins{0, 0, 30, 0});
    EXPECT_EQ(scene.manager.PickWidget(10, 10, nullptr), &back);
    EXPECT_EQ(scene.manager.PickWidget(60, 10, nullptr), &refusing);
    EXPECT_EQ(scene.manager.PickWidget(75, 10, nullptr), &back);
    refusing.SetShown(false);
    EXPECT_EQ(scene.manager.PickWidget(60, 10, nullptr), &back);
    // A disabled widget hides nothing behind it but is no target either.
    ProbeWidget& disabled = scene.Add("disabled", Rect(0, 0, 50, 50));
    disabled.SetDisabledState(true);
    scene.TakeLog();
    scene.manager.HandleMouseDown(10, 10, 1);
    EXPECT_EQ(scene.manager.GetCapturedWidget(), nullptr);
    EXPECT_EQ(scene.TakeLog(), Log{});
}

TEST(WidgetHover, OverRoleFollowsMovesShowingAndTheHandCursor)
{
    WidgetScene scene;
    ProbeWidget& a = scene.Add("a", Rect(0, 0, 50, 50));
    scene.Add("b", Rect(50, 0, 50, 50)).SetWantsHandCursor(true);
    scene.manager.HandleMouseMove(10, 10);
    scene.manager.HandleMouseMove(10, 10);
    scene.manager.HandleMouseMove(60, 5);
    scene.manager.HandleMouseExit(60, 5);
    EXPECT_EQ(scene.TakeLog(), (Log{"a:enter", "a:move 10,10", "a:leave", "b:enter", "b:move 10,5", "b:leave"}));
    EXPECT_EQ(scene.host.cursors, (std::vector<int>{1, 0}));

    scene.manager.HandleMouseMove(10, 10);
    ProbeWidget& popup = scene.Add("popup", Rect(0, 0, 20, 20));
    EXPECT_EQ(scene.manager.GetOverWidget(), &popup);
    EXPECT_FALSE(a.IsOver());
}

TEST(WidgetCapture, TheReleaseGoesToThePressedWidgetWhileHoverFollowsTheMouse)
{
    WidgetScene scene;
    ProbeWidget& button = scene.Add("button", Rect(10, 10, 30, 30));
    scene.manager.HandleMouseMove(20, 20);
    scene.manager.HandleMouseDown(20, 20, 1);
    EXPECT_TRUE(button.IsDown());
    scene.TakeLog();
    scene.manager.HandleMouseMove(100, 100);
    scene.manager.HandleMouseMove(25, 25);
    scene.manager.HandleMouseMove(100, 100);
    scene.manager.HandleMouseUp(100, 100, 1);
    EXPECT_EQ(scene.TakeLog(), (Log{"button:drag 90,90", "button:leave", "button:drag 15,15", "button:enter",
                                    "button:drag 90,90", "button:leave", "button:up 90,90 1"}));
    EXPECT_EQ(scene.manager.GetCapturedWidget(), nullptr);
    EXPECT_FALSE(button.IsDown());
}

TEST(WidgetCapture, ASecondButtonGoesToTheCapturedWidgetInItsOwnCoordinatesUntilAllAreUp)
{
    WidgetScene scene;
    ProbeWidget& panel = scene.Add("panel", Rect(100, 0, 80, 40));
    scene.Add("inner", Rect(10, 5, 20, 20), &panel);
    scene.Add("other", Rect(0, 0, 50, 50));
    scene.manager.HandleMouseDown(115, 10, 1);
    scene.manager.HandleMouseDrag(20, 10);
    scene.manager.HandleMouseDown(20, 10, -1);
    scene.manager.HandleMouseUp(20, 10, 1);
    EXPECT_EQ(scene.manager.LastClickButton(), -1);
    EXPECT_NE(scene.manager.GetCapturedWidget(), nullptr);
    scene.manager.HandleMouseUp(20, 10, -1);
    EXPECT_EQ(scene.manager.GetCapturedWidget(), nullptr);
    EXPECT_EQ(scene.TakeLog(), (Log{"inner:enter", "inner:move 5,5", "inner:down 5,5 1", "inner:drag -90,5",
                                    "inner:leave", "inner:down -90,5 -1", "inner:up -90,5 1",
                                    "inner:up -90,5 -1"}));
}

TEST(WidgetFocus, APressFocusesAndTabFollowsTheNeighboursKeysThenReachTheListener)
{
    struct Listener : KeyListener {
        void OnKeyDown(int key) override { log.push_back("keydown " + std::to_string(key)); }
        void OnKeyUp(int key) override { log.push_back("keyup " + std::to_string(key)); }
        void OnChar(char c) override { log.push_back(std::string("char ") + c); }
        Log log;
    } listener;
    WidgetScene scene;
    ProbeWidget& first = scene.Add("first", Rect(0, 0, 50, 50));
    ProbeWidget& second = scene.Add("second", Rect(50, 0, 50, 50));
    first.SetWantsFocus(true);
    first.SetTabNext(&second);
    second.SetTabPrevious(&first);
    scene.manager.SetKeyListener(&listener);
    scene.manager.HandleMouseDown(10, 10, 1);
    EXPECT_EQ(scene.manager.GetFocusWidget(), &first);
    scene.manager.HandleKeyDown(Widget::kKeyTab);
    EXPECT_TRUE(second.HasFocus());
    EXPECT_FALSE(first.HasFocus());
    scene.TakeLog();
    scene.manager.HandleChar('a');
    scene.manager.HandleMouseWheel(-2);
    scene.manager.HandleKeyDown(Widget::kKeyShift);
    scene.manager.HandleKeyDown(Widget::kKeyTab);
    EXPECT_EQ(scene.manager.GetFocusWidget(), &first);
    EXPECT_EQ(scene.TakeLog(), (Log{"second:char a", "second:wheel -2", "second:keydown 16", "second:keydown 9",
                                    "second:blur", "first:focus"}));
    EXPECT_EQ(listener.log, (Log{"keydown 9", "char a", "keydown 16", "keydown 9"}));
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

TEST(WidgetFocus, LosingTheApplicationReleasesHeldKeysAndOddKeyCodesAreNeverRecorded)
{
    WidgetScene scene;
    ProbeWidget& w = scene.Add("w", Rect(0, 0, 50, 50));
    scene.manager.GiveFocus(&w);
    for (int key : {65, -1, -1000, 255, 100000})
        scene.manager.HandleKeyDown(key);
    for (int key : {-1, 255, 100000})
        EXPECT_FALSE(scene.manager.IsKeyDown(key));
    scene.TakeLog();
    scene.manager.HandleAppFocusLost();
    scene.manager.HandleAppFocusLost();
    EXPECT_EQ(scene.TakeLog(), (Log{"w:keyup 65", "w:blur"}));
    // While the application is away a new focus widget is not told.
    ProbeWidget& other = scene.Add("other", Rect(50, 0, 50, 50));
    scene.manager.GiveFocus(&other);
    EXPECT_FALSE(other.HasFocus());
    scene.manager.HandleAppFocusGained();
    EXPECT_TRUE(other.HasFocus());
}

TEST(WidgetBarrier, PushingReleasesWhatIsBehindAndPoppingRestoresFocus)
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
    EXPECT_EQ(scene.manager.PickWidget(10, 10, nullptr), nullptr);
    EXPECT_EQ(scene.manager.PickWidget(60, 60, nullptr), &dialog);

    // A second barrier, popped out of turn, changes nothing.
    ProbeWidget& inner = scene.Add("inner", Rect(0, 0, 10, 10));
    scene.manager.PushModalBarrier(&inner);
    scene.manager.PopModalBarrier(&dialog);
    EXPECT_EQ(scene.manager.GetModalBarrier(), &inner);
    scene.manager.PopModalBarrier(&inner);
    // Focus restored while the application is away is only told on return.
    scene.manager.HandleAppFocusLost();
    scene.manager.PopModalBarrier(&dialog);
    EXPECT_EQ(scene.manager.GetModalBarrier(), nullptr);
    EXPECT_EQ(scene.manager.GetFocusWidget(), &game);
    EXPECT_FALSE(game.HasFocus());
    scene.manager.HandleAppFocusGained();
    EXPECT_TRUE(game.HasFocus());
    EXPECT_EQ(scene.manager.PickWidget(10, 10, nullptr), &game);
}

TEST(WidgetMapping, WindowPointsScaleAndAZeroSourceAxisIsLeftAlone)
{
    WidgetScene scene;
    auto map = [&](int x, int y) {
        scene.manager.MapWindowToWidgetCoords(x, y);
        return std::make_pair(x, y);
    };
    scene.manager.SetInputMapping(Rect(0, 0, 800, 600), Rect(0, 0, 1600, 1200));
    EXPECT_EQ(map(801, 3), std::make_pair(400, 1));
    scene.manager.SetInputMapping(Rect(112, 0, 800, 600), Rect(0, 0, 800, 600));
    EXPECT_EQ(scene.manager.Width(), 1024);
    EXPECT_EQ(map(-10, 5), std::make_pair(102, 5));
    scene.manager.SetInputMapping(Rect(0, 0, 0, 0), Rect(0, 0, 0, 0));
    EXPECT_EQ(map(37, -4), std::make_pair(37, -4));
    scene.manager.SetInputMapping(Rect(0, 0, 800, 600), Rect(0, 0, 400, 0));
    EXPECT_EQ(map(10, 9), std::make_pair(20, 9));
}
