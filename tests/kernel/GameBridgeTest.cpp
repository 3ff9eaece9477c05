// The bridge widget: the game starts when it is attached and stops when it
// is removed; the factory's repaint request becomes the widget's dirty flag
// on the smooth tick; drawing and input go through to the factory. Then the
// bridge over a recording toolkit of its own, and with no toolkit at all.
#include "tests/kernel/KernelTestSupport.h"

#include "controls/IInputAndPaint.h"
#include "controls/IRectVO.h"
#include "controls/KeybdSysMessageObserver.h"
#include "controls/MouseMessageObserver.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/support/WidgetDoubles.h"

#include <algorithm>
#include <utility>

using namespace kerneltest;

class GameBridge : public KernelTest {};

namespace {

struct InputLog : ControlLibrary::MouseMessageObserver, ControlLibrary::KeybdSysMessageObserver {
    void OnMouseDown(uint32_t, int32_t b) override { entries.push_back("down:" + std::to_string(b)); }
    void OnMouseUp(uint32_t, int32_t b) override { entries.push_back("up:" + std::to_string(b)); }
    void OnMouseEnter(uint32_t) override { entries.push_back("enter"); }
    void OnSysKeyDown(uint32_t k) override { entries.push_back("key:" + std::to_string(k)); }
    void OnSysKeyUp(uint32_t k) override { entries.push_back("keyup:" + std::to_string(k)); }
    bool IsSysInputEnabled() override { return true; }
    std::vector<std::string> entries;
};

// A shown red 20 x 20 square at (10, 10), given back to the factory at the end.
struct RedSquare {
    explicit RedSquare(ControlLibrary::Factory_impl& f) : factory(f), rect(f.CreateRectVO())
    {
        rect->SetStyle(1);
        rect->SetPosition(10, 10);
        rect->SetSize(20, 20);
        rect->SetColour(ControlLibrary::RGB{255, 0, 0});
        rect->SetVisible(true);
    }
    ~RedSquare() { factory.ReleaseVO(rect); }
    ControlLibrary::Factory_impl& factory;
    ControlLibrary::IRectVO* rect;
};

} // namespace

TEST_F(GameBridge, StartsTheGameWithFocusWhenAttachedAndStopsItWhenRemoved)
{
    BringUp();
    KernelLibrary::IGameBridge* bridge = app->GetBridge();
    ASSERT_NE(bridge, nullptr);
    EXPECT_EQ(std::vector<std::string>(game.log.end() - 2, game.log.end()),
              (std::vector<std::string>{"Initialize", "Start"}));
    EXPECT_TRUE(bridge->IsStarted());
    EXPECT_EQ(app->widgetManager->GetFocusWidget(), bridge);
    EXPECT_EQ(bridge->GetPickRank(), Zolt::Widget::kDefaultPickRank);

    app->widgetManager->RemoveChild(bridge);
    EXPECT_EQ(std::vector<std::string>(game.log.end() - 2, game.log.end()),
              (std::vector<std::string>{"Stop", "Shutdown"}));
}

TEST_F(GameBridge, TakesTheRepaintRequestOnlyOnceTheGameHasStarted)
{
    BringUp();
    RedSquare square(Factory());
    Factory().OnTimerTick(0); // the factory's dirty poll
    ASSERT_TRUE(Factory().NeedsRepaint());

    KernelLibrary::IGameBridge idle(app.get(), &game);
    idle.TickSmooth(0.5f);
    EXPECT_FALSE(idle.IsDirty());
    EXPECT_TRUE(Factory().NeedsRepaint()); // still waiting for the started bridge

    KernelLibrary::IGameBridge* bridge = app->GetBridge();
    bridge->SetDirty(false);
    bridge->TickSmooth(0.5f);
    EXPECT_TRUE(bridge->IsDirty());
    EXPECT_FALSE(Factory().NeedsRepaint());

    // Once the scene is drawn nothing is dirty: the next frame's poll finds
    // nothing to repaint.
    Zolt::MemoryImage screen(nullptr);
    screen.MakeBlank(64, 64);
    Zolt::Graphics g(&screen);
    bridge->Paint(&g);
    bridge->SetDirty(false);
    bridge->TickSmooth(0.5f);
    EXPECT_FALSE(bridge->IsDirty());
}

TEST_F(GameBridge, PaintsTheSceneUnlessTheFrameworkSuppressesGameDrawing)
{
    BringUp();
    RedSquare square(Factory());
    Zolt::MemoryImage screen(nullptr);
    screen.MakeBlank(64, 64);
    uint32_t* bits = screen.RequireBits();
    std::fill(bits, bits + 64 * 64, 0xFF000000u);
    screen.MarkBitsChanged();
    Zolt::Graphics g(&screen);
    auto pixel = [&] { return screen.GetBits()[15 * 64 + 15] | 0xFF000000u; };

    app->suppressGameDrawing = true;
    app->GetBridge()->Paint(&g);
    EXPECT_EQ(pixel(), 0xFF000000u);

    app->suppressGameDrawing = false;
    app->GetBridge()->Paint(&g);
    EXPECT_EQ(pixel(), 0xFFFF0000u);
}

TEST_F(GameBridge, ForwardsInputAndAReleaseArrivesAsButtonZero)
{
    BringUp();
    InputLog log;
    RedSquare square(Factory());
    square.rect->AddMouseObserver(&log);
    Factory().AddSysObserver(&log);
    KernelLibrary::IGameBridge* bridge = app->GetBridge();

    bridge->OnMouseEnter();
    EXPECT_TRUE(log.entries.empty());
    bridge->OnMouseMove(15, 15);
    bridge->OnMouseButtonDown(15, 15, 1, 1);
    bridge->OnMouseUp(15, 15, -1); // a right release as the framework sends it
    bridge->OnMouseButtonUp(15, 15, 2, 1);
    bridge->OnKeyDown(65);
    bridge->OnKeyUp(65);
    EXPECT_EQ(log.entries,
              (std::vector<std::string>{"enter", "down:1", "up:0", "up:2", "key:65", "keyup:65"}));
    Factory().RemoveSysObserver(&log);
}

TEST_F(GameBridge, RunsTheGamesFrameUpdateOnlyWhileStarted)
{
    BringUp();
    KernelLibrary::IGameBridge idle(app.get(), &game);
    idle.Tick();
    EXPECT_EQ(game.frameUpdates, 0);
    app->GetBridge()->Tick();
    app->GetBridge()->Tick();
    EXPECT_EQ(game.frameUpdates, 2);
    EXPECT_EQ(app->GetBridge()->GetTickCount(), 0);
}

// ---- The bridge over a toolkit of its own ----

namespace {

// Records what the bridge asks of the toolkit.
struct RecordingToolkit : ControlLibrary::IInputAndPaint {
    bool TakeRepaintRequest() override
    {
        calls.push_back("take");
        return std::exchange(repaintWanted, false);
    }
    void NotifyFullRepaint() override { calls.push_back("full"); }
    void DrawAll(Zolt::Graphics*) override { calls.push_back("draw"); }
    bool DrawChanges(Zolt::Graphics*, std::vector<Zolt::Rect>& changed) override
    {
        calls.push_back("draw changes");
        changed = changes;
        return true;
    }
    void DispatchMouseMove(int32_t x, int32_t y) override { Log("move", x, y); }
    void DispatchMouseDown(int32_t x, int32_t y, int32_t b, int32_t n) override { Log("down", x, y, b, n); }
    void DispatchMouseUp(int32_t x, int32_t y, int32_t b, int32_t n) override { Log("up", x, y, b, n); }
    void DispatchChar(char c) override { calls.push_back(std::string("char ") + c); }
    void DispatchKeyDown(uint32_t key) override { calls.push_back("key down " + std::to_string(key)); }
    void DispatchKeyUp(uint32_t key) override { calls.push_back("key up " + std::to_string(key)); }

    void Log(const std::string& what, int x, int y) { calls.push_back(what + " " + Pair(x, y)); }
    void Log(const std::string& what, int x, int y, int b, int n)
    {
        calls.push_back(what + " " + Pair(x, y) + " " + Pair(b, n));
    }
    static std::string Pair(int a, int b) { return std::to_string(a) + "," + std::to_string(b); }

    std::vector<std::string> calls;
    std::vector<Zolt::Rect> changes;
    bool repaintWanted = false;
};

} // namespace

TEST(GameBridgeAlone, PassesInputAndPaintToItsToolkitAndAReleaseAsButtonZero)
{
    RecordingToolkit toolkit;
    KernelLibrary::IGameBridge bridge(nullptr, nullptr, &toolkit);
    bridge.OnMouseEnter();
    bridge.OnMouseMove(5, 6);
    bridge.OnMouseButtonDown(5, 6, 1, 2);
    bridge.OnMouseButtonUp(5, 6, 1, 2);
    bridge.OnMouseUp(5, 6, -1);
    bridge.OnChar('q');
    bridge.OnKeyDown(65);
    bridge.OnKeyUp(65);
    bridge.NotifyFullRepaint();
    bridge.Paint(nullptr);
    EXPECT_EQ(toolkit.calls, (std::vector<std::string>{"move 5,6", "down 5,6 1,2", "up 5,6 1,2", "up 5,6 0,-1",
                                                        "char q", "key down 65", "key up 65", "full", "draw"}));
}

TEST(GameBridgeAlone, RepaintRequestIsTakenOnlyByTheBridgeOfAStartedGame)
{
    RecordingToolkit toolkit;
    RecordingGame game;
    toolkit.repaintWanted = true;
    KernelLibrary::IGameBridge bridge(nullptr, &game, &toolkit);
    bridge.SetDirty(false);
    bridge.TickSmooth(1.0f);
    EXPECT_TRUE(toolkit.calls.empty()) << "not started: the request waits";
    widget_testing::WidgetScene scene;
    scene.manager.AddChild(&bridge);
    ASSERT_TRUE(bridge.IsStarted());
    bridge.SetDirty(false);
    bridge.TickSmooth(1.0f);
    EXPECT_TRUE(bridge.IsDirty());
    EXPECT_FALSE(toolkit.repaintWanted);
    scene.manager.RemoveChild(&bridge);
}

TEST(GameBridgeAlone, WithoutAToolkitOnlyTheGamesOwnPartsRun)
{
    ASSERT_EQ(ControlLibrary::GetInputAndPaint(), nullptr);
    RecordingGame game;
    KernelLibrary::IGameBridge bridge(nullptr, &game);
    widget_testing::WidgetScene scene;
    scene.manager.AddChild(&bridge);
    bridge.Tick();
    bridge.TickSmooth(1.0f);
    bridge.Paint(nullptr);
    bridge.OnMouseMove(1, 1);
    bridge.OnKeyDown(13);
    EXPECT_EQ(game.frameUpdates, 1);
    scene.manager.RemoveChild(&bridge);
    EXPECT_EQ(std::vector<std::string>(game.log.end() - 2, game.log.end()),
              (std::vector<std::string>{"Stop", "Shutdown"}));
}

TEST_F(GameBridge, DrawsOnlyWhatChangedWhereTheScreenKeepsItsPictureAndTheWholeSceneElsewhere)
{
    BringUp();
    RecordingToolkit toolkit;
    KernelLibrary::IGameBridge bridge(app.get(), nullptr, &toolkit);
    Zolt::WidgetManager& manager = *app->widgetManager;
    manager.AddChild(&bridge);
    // Passes in which the bridge paints alone, as the game's only widget does.
    auto paintAlone = [&] {
        app->GetBridge()->SetDirty(false);
        bridge.SetDirty(true);
        manager.PaintDirtyWidgets();
        return toolkit.calls.back();
    };
    EXPECT_EQ(paintAlone(), "draw") << "the first pass knows no earlier picture";
    ASSERT_TRUE(app->ScreenKeepsItsPicture());
    EXPECT_EQ(paintAlone(), "draw changes");

    // Full screen, the picture goes out whole at every frame: each pass
    // draws the whole scene, though the bridge painted the last one alone.
    app->SetWindowed(false);
    ASSERT_FALSE(app->ScreenKeepsItsPicture());
    paintAlone();
    EXPECT_EQ(paintAlone(), "draw");
    manager.RemoveChild(&bridge);
}
