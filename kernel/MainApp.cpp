#include "kernel/MainApp.h"

#include "framework/widgets/WidgetManager.h"
#include "kernel/IGameBridge.h"
#include "platform/window/Window.h"
#include "timing/TimeSystem_impl.h"

#include <algorithm>
#include <cstdint>

namespace KernelLibrary {

MainApp::MainApp(IGame* game) : game_(game)
{
    // The framework names its window, registry key and process-wide objects
    // from these, so they are read before it initialises.
    std::string title;
    game_->GetTitle(&title);
    productName = title;
    game_->GetVersion(&productVersion);
    game_->GetTitle(&windowTitle);
    fullTitle = windowTitle;
    game_->GetRegistryKey(&registryKey);

    width = kWidth;
    height = kHeight;
    refreshPaced = true;
    windowedWanted = true;
    isWindowed = true;
    fullScreenRequested = false;
    // No automatic 3D capability test at start-up: the game draws in 2D
    // unless the user switched 3D on.
    autoEnable3D = false;
    test3D = false;
}

MainApp::~MainApp()
{
    // The close path normally removed the bridge already. If the loop ended
    // some other way the toolkit may be gone by now, so the bridge only
    // leaves the tree here; the game is not called again.
    bridge_.reset();
}

void MainApp::GetSize(Size* out)
{
    if (out)
        *out = Size{width, height};
}

void MainApp::SetSize(const Size& size)
{
    width = size.width;
    height = size.height;
    if (bridge_)
        bridge_->SetBoundsRect(Zolt::Rect(0, 0, width, height));
}

void MainApp::SetFullScreen(bool fullScreen)
{
    windowedWanted = !fullScreen;
    fullScreenRequested = fullScreen;
}

bool MainApp::ReadRegistryValue(const std::string& path, uint32_t* type, uint8_t* data, uint32_t* length,
                                platform::HKEY rootKey)
{
    return RegReadValueAt(path, type, data, length, rootKey);
}

bool MainApp::WriteRegistryValue(const std::string& path, uint32_t type, const uint8_t* data, uint32_t length)
{
    return RegWriteValue(path, type, data, length);
}

void MainApp::Initialize()
{
    ZoltAppBase::Initialize();
    game_->SetSysApp(static_cast<ISysApp*>(this));
}

void MainApp::OnBackgroundLoadDone()
{
    ZoltAppBase::OnBackgroundLoadDone();
    if (startupFailed.load() || bridge_ || !widgetManager)
        return;
    bridge_ = std::make_unique<IGameBridge>(this, game_);
    bridge_->SetBoundsRect(Zolt::Rect(0, 0, width, height));
    // Attaching gives the game its Initialize and Start.
    widgetManager->AddChild(bridge_.get());
}

void MainApp::BeginSteppedRun()
{
    BeginRun(false);
    JoinLoaderThread();
}

void MainApp::EndSteppedRun()
{
    EndRun();
}

void MainApp::QuitFromGame()
{
    quitRequested_ = true;
    platform::HWND window = GetMainWindow();
    if (!window)
        return;
    // A sent message waits for the main thread to take it; a game thread
    // that the main thread is itself waiting for would never get it back.
    if (mainThreadId_ != 0 && platform::GetCurrentThreadId() != mainThreadId_)
        platform::PostMessageA(window, platform::WM_CLOSE, 0, 0);
    else
        platform::SendMessageA(window, platform::WM_CLOSE, 0, 0);
}

void MainApp::OnSessionEnding()
{
    // The close this sends is taken by the loop like any other, so the game
    // is not torn down inside the pump that brought the news.
    QuitFromGame();
}

void MainApp::OnWindowMinimized(bool minimized)
{
    if (bridge_ && bridge_->IsStarted())
        game_->OnWindowMinimized(minimized);
}

void MainApp::QuitFromFramework()
{
    // While a demo plays, the window takes no input of the player's: a
    // question the close would ask could be answered only by the demo. The
    // window's close ends the play at once, as if the game had asked; a
    // close the demo holds asks the game, as it did when recorded.
    if (closedByWindow_ && IsPlayingDemo())
        quitRequested_ = true;
    if (!quitRequested_) {
        game_->OnCloseRequest();
        return;
    }
    if (bridge_) {
        // Detaching stops the game and shuts it down.
        if (widgetManager)
            widgetManager->RemoveChild(bridge_.get());
        bridge_.reset();
    }
    ZoltAppBase::Quit();
}

void MainApp::UpdateOnce()
{
    TimeLibrary::TimeSystem_impl* time = TimeLibrary::GetTimeSystem();
    if (time && DrivesTimeFromUpdates() && !time->IsTicking()) {
        passTimeOwed_ += frameTime;
        for (; passTimeOwed_ >= TimeLibrary::TimeSystem_impl::kPassMs;
             passTimeOwed_ -= TimeLibrary::TimeSystem_impl::kPassMs)
            time->TickAll();
    }
    ZoltAppBase::UpdateOnce();
}

int MainApp::UpdateHoldLimitMs()
{
    // The game's own work outside the loop is its time objects' notices:
    // they change the screen, or queue what the game's next frame update
    // handles. The loop holds updates no longer than until the next one.
    TimeLibrary::TimeSystem_impl* time = TimeLibrary::GetTimeSystem();
    if (!time)
        return kHoldWithoutLimit;
    const int64_t due = time->MillisecondsToNextNotice();
    if (due == TimeLibrary::TimeSystem_impl::kNoNoticeDue)
        return kHoldWithoutLimit;
    return static_cast<int>(std::min<int64_t>(due, INT32_MAX));
}

} // namespace KernelLibrary
