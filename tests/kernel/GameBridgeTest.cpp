// The bridge widget: the game starts when it is attached and stops when it
// is removed; the factory's repaint request becomes the widget's dirty flag
// on the smooth tick; drawing and input go through to the factory.
#include "tests/kernel/KernelTestSupport.h"

#include "controls/IRectVO.h"
#include "controls/KeybdSysMessageObserver.h"
#include "controls/MouseMessageObserver.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

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
