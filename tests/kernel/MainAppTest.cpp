// The game's application: what it takes from the game before the framework
// starts, the ISysApp the game gets, and the close path that asks the game
// first and only ends the run once the game quit.
#include "tests/kernel/KernelTestSupport.h"

#include "framework/widgets/WidgetManager.h"
#include "platform/core/BlockedWait.h"
#include "platform/window/Window.h"
#include "tests/support/WaitUntil.h"

#include <atomic>
#include <thread>

using namespace kerneltest;

class MainApp : public KernelTest {};
using KernelLibrary::Size;

namespace {

std::vector<std::string> After(const std::vector<std::string>& log, const std::string& call)
{
    auto it = std::find(log.begin(), log.end(), call);
    return it == log.end() ? std::vector<std::string>{} : std::vector<std::string>(it + 1, log.end());
}

} // namespace

TEST_F(MainApp, TakesTheGamesNamesBeforeTheFrameworkStartsAndHandsItselfOverAfter)
{
    app = std::make_unique<KernelLibrary::MainApp>(&game);
    EXPECT_EQ(game.log, (std::vector<std::string>{"GetTitle", "GetVersion", "GetTitle", "GetRegistryKey"}));
    EXPECT_EQ(app->productName, "Pellucor 1.5");
    EXPECT_EQ(app->windowTitle, "Pellucor 1.5");
    EXPECT_EQ(app->productVersion, "1.5");
    EXPECT_EQ(app->registryKey, "Tovrelly\\PellucorKernelTest");
    EXPECT_TRUE(app->refreshPaced);
    EXPECT_TRUE(app->windowedWanted);
    EXPECT_FALSE(app->fullScreenRequested);
    Size size;
    app->GetSize(&size);
    EXPECT_EQ(size, (Size{1024, 768}));

    app->Initialize();
    EXPECT_EQ(game.log.back(), "SetSysApp");
    EXPECT_EQ(game.sysApp, static_cast<KernelLibrary::ISysApp*>(app.get()));
    EXPECT_NE(app->GetMainWindow(), nullptr);
    EXPECT_EQ(app->GetBridge(), nullptr);
}

TEST_F(MainApp, ResizesTheBridgeOnlyOnceItExists)
{
    game.onSetSysApp = [&] { game.sysApp->SetSize(Size{800, 600}); };
    BringUp();
    KernelLibrary::IGameBridge* bridge = app->GetBridge();
    ASSERT_NE(bridge, nullptr);
    // The size stored before loading ended is the one the bridge starts with.
    EXPECT_EQ(bridge->Width(), 800);
    EXPECT_EQ(bridge->Height(), 600);

    game.sysApp->SetSize(Size{1024, 768});
    EXPECT_EQ(bridge->X(), 0);
    EXPECT_EQ(bridge->Width(), 1024);
    EXPECT_EQ(bridge->Height(), 768);
    Size size;
    game.sysApp->GetSize(&size);
    EXPECT_EQ(size, (Size{1024, 768}));
}

TEST_F(MainApp, RegistryValuesRoundTripBelowTheGamesKey)
{
    BringUp();
    const uint32_t speed = 3;
    ASSERT_TRUE(game.sysApp->WriteRegistryValue("Options\\Speed", platform::REG_DWORD,
                                                reinterpret_cast<const uint8_t*>(&speed), sizeof speed));
    uint32_t type = 0, value = 0, length = sizeof value;
    ASSERT_TRUE(game.sysApp->ReadRegistryValue("Options\\Speed", &type, reinterpret_cast<uint8_t*>(&value),
                                               &length, platform::HKEY_CURRENT_USER));
    EXPECT_EQ(type, uint32_t(platform::REG_DWORD));
    EXPECT_EQ(value, 3u);
    EXPECT_FALSE(game.sysApp->ReadRegistryValue("Options\\Missing", &type, reinterpret_cast<uint8_t*>(&value),
                                                &length, platform::HKEY_CURRENT_USER));
}

TEST_F(MainApp, ClosingTheWindowAsksTheGameAndKeepsRunningUntilTheGameQuits)
{
    BringUp();
    platform::PostMessageA(app->GetMainWindow(), platform::WM_CLOSE, 0, 0);
    platform::MSG msg;
    while (platform::PeekMessageA(&msg, nullptr, 0, 0, platform::PM_REMOVE))
        platform::DispatchMessageA(&msg);
    Pump();
    EXPECT_EQ(After(game.log, "Start"), (std::vector<std::string>{"OnCloseRequest"}));
    EXPECT_NE(app->GetBridge(), nullptr);
    EXPECT_FALSE(app->IsQuitting());

    game.sysApp->Quit();
    Pump();
    EXPECT_EQ(After(game.log, "OnCloseRequest"), (std::vector<std::string>{"Stop", "Shutdown"}));
    EXPECT_EQ(app->GetBridge(), nullptr);
    EXPECT_TRUE(app->IsQuitting());
}

TEST_F(MainApp, QuitFromTheCloseRequestItselfEndsTheRunWithoutAskingAgain)
{
    game.onCloseRequest = [&] { game.sysApp->Quit(); };
    BringUp();
    static_cast<Zolt::ZoltAppBase&>(*app).Quit();
    Pump();
    EXPECT_EQ(After(game.log, "Start"), (std::vector<std::string>{"OnCloseRequest", "Stop", "Shutdown"}));
    EXPECT_TRUE(app->IsQuitting());
}

TEST_F(MainApp, QuitFromAGameThreadPostsTheCloseAndReturnsWithoutWaitingForTheMainThread)
{
    BringUp();
    std::atomic<bool> returned{false};
    std::thread gameThread([&] {
        game.sysApp->Quit();
        returned = true;
    });
    // The main thread takes no message meanwhile: a Quit that waits for it
    // would be blocked for good.
    const bool came = test_support::WaitUntil([&] { return returned || platform::testing::BlockedThreads() > 0; });
    EXPECT_TRUE(came);
    EXPECT_TRUE(returned) << "Quit waits for the main thread";
    // Whatever happened, the main thread now takes its messages, so the
    // game thread ends either way.
    platform::MSG msg;
    while (!returned)
        while (platform::PeekMessageA(&msg, nullptr, 0, 0, platform::PM_REMOVE))
            platform::DispatchMessageA(&msg);
    gameThread.join();

    while (platform::PeekMessageA(&msg, nullptr, 0, 0, platform::PM_REMOVE))
        platform::DispatchMessageA(&msg);
    Pump();
    EXPECT_EQ(After(game.log, "Start"), (std::vector<std::string>{"Stop", "Shutdown"})) << "the game is not asked";
    EXPECT_TRUE(app->IsQuitting());
}

TEST_F(MainApp, FailedStartUpNeverStartsTheGameAndStillQuits)
{
    TimeLibrary::TimeSystem_impl* time = TimeLibrary::CreateTimeSystem();
    app = std::make_unique<KernelLibrary::MainApp>(&game);
    app->Initialize();
    ControlLibrary::CreateFactory(static_cast<Zolt::ZoltAppBase*>(app.get()), time);
    app->startupFailed = true;
    app->OnBackgroundLoadDone();
    EXPECT_EQ(app->GetBridge(), nullptr);
    EXPECT_EQ(std::count(game.log.begin(), game.log.end(), "Initialize"), 0);

    // Without a bridge there is nothing to stop: the quit goes straight on.
    game.sysApp->Quit();
    Pump();
    EXPECT_TRUE(app->IsQuitting());
    EXPECT_EQ(std::count(game.log.begin(), game.log.end(), "Stop"), 0);
}
