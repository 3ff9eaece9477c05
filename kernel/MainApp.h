// The application object of the game: the framework's application with the
// game's titles, key and 1024 x 768 window, the game's ISysApp, and the
// owner of the full-window bridge widget that carries the whole game.
//
// Threads: main thread (the framework calls the overrides from its loop),
// except ISysApp::Quit, which the game may call from any thread: from
// another thread it posts the close and returns. Quit is the framework's
// close path: the first close of the window only asks the game
// (IGame::OnCloseRequest); once the game called ISysApp::Quit the close
// removes the bridge (game stopped and shut down) and ends the loop. The
// end of the session is such a quit, as if the game had asked: it saves
// what quitting saves and asks nothing; so is the window's close while a
// demo plays. The quit request is atomic.
#pragma once

#include "framework/app/ZoltAppBase.h"
#include "kernel/IGame.h"
#include "kernel/ISysApp.h"

#include <atomic>
#include <memory>

namespace KernelLibrary {

class IGameBridge;

namespace detail {

// ISysApp::Quit and the framework's Quit share one name and signature; these
// shims give each its own body in MainApp.
class SysAppQuitShim : public ISysApp {
public:
    void Quit() final { QuitFromGame(); }

protected:
    virtual void QuitFromGame() = 0;
};

class FrameworkQuitShim : public Zolt::ZoltAppBase {
public:
    void Quit() final { QuitFromFramework(); }

protected:
    virtual void QuitFromFramework() = 0;
};

} // namespace detail

class MainApp : public detail::SysAppQuitShim, public detail::FrameworkQuitShim {
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

    // Reads the game's title, version and registry key; the game must exist.
    explicit MainApp(IGame* game);
    ~MainApp() override;

    // ---- ISysApp ----
    void GetSize(Size* out) override;
    void SetSize(const Size& size) override;
    void SetFullScreen(bool fullScreen) override;
    bool ReadRegistryValue(const std::string& path, uint32_t* type, uint8_t* data, uint32_t* length,
                           platform::HKEY rootKey) override;
    bool WriteRegistryValue(const std::string& path, uint32_t type, const uint8_t* data, uint32_t length) override;
    // Also the display's question (D3DHost); the framework's own stays.
    using ZoltAppBase::IsPlayingDemo;
    bool IsPlayingDemo() override { return ZoltAppBase::IsPlayingDemo(); }

    // ---- Framework ----
    // The framework's start-up, then the game gets its ISysApp.
    void Initialize() override;
    // Adds the bridge (and so starts the game) unless start-up failed.
    void OnBackgroundLoadDone() override;
    // Until the next notice of the game's time objects: the update after it
    // must handle what it queued and paint what it changed.
    int UpdateHoldLimitMs() override;
    // While a demo is recorded or played, each update first advances the
    // game's time objects by its frame time, in 5 ms passes on this thread.
    void UpdateOnce() override;

    // A demo is recorded or played (known once initialised): the game's time
    // objects advance with the logic updates (DrivesTimeFromUpdates), not on
    // the time thread, which is not started. What the table's timers and the
    // effects do then comes at the same update in playback as in the
    // recording, whatever the speed, pauses and stalls of either.
    bool DrivesTimeFromUpdates() const { return IsRecordingDemo() || IsPlayingDemo(); }

    // A run driven from outside, one loop step at a time (RunLoopStep), by a
    // caller that started the kernel with StartKernel: BeginSteppedRun does
    // what Run does before its loop and EndSteppedRun what it does after.
    // The loading is over before the first step and no cursor thread is
    // started (its 10 ms polls would move a manual clock by themselves), so
    // a stepped run on a manual clock takes the same course every time.
    void BeginSteppedRun();
    void EndSteppedRun();

    IGame* GetGame() const { return game_; }
    IGameBridge* GetBridge() const { return bridge_.get(); }
    bool IsQuitRequested() const { return quitRequested_; }

protected:
    void QuitFromGame() override;
    void QuitFromFramework() override;
    void OnSessionEnding() override;
    // Told to the game once it has started.
    void OnWindowMinimized(bool minimized) override;

private:
    IGame* game_;
    std::unique_ptr<IGameBridge> bridge_;
    std::atomic<bool> quitRequested_{false};
    // Frame time not yet passed on to the time objects (under 5 ms).
    int passTimeOwed_ = 0;
};

} // namespace KernelLibrary
