// What the kernel asks of a game. The game implements it, hands it to
// RunKernel and never touches the application framework itself: everything
// it needs from the application comes through the ISysApp it is given.
//
// Threads: every call comes from the main thread.
#pragma once

#include <string>

namespace KernelLibrary {

class ISysApp;

class IGame {
public:
    virtual ~IGame() = default;
    // After the framework's initialisation, before any other call but the
    // three string reads below. The application outlives the game's use of it.
    virtual void SetSysApp(ISysApp* sysApp) = 0;
    // Once loading has finished: load data and build the screens.
    virtual void Initialize() = 0;
    // When the application closes: release the screens and save.
    virtual void Shutdown() = 0;
    // Show the first screen (right after Initialize).
    virtual void Start() = 0;
    // Hide what Start showed (right before Shutdown).
    virtual void Stop() = 0;
    // Read before the framework initialises: window caption and product name.
    virtual void GetTitle(std::string* out) = 0;
    virtual void GetVersion(std::string* out) = 0;
    // The key below "SOFTWARE\" under which the application keeps its settings.
    virtual void GetRegistryKey(std::string* out) = 0;
    // The user asked to close the window. The program only ends when the game
    // answers with ISysApp::Quit (now or later, say after a confirmation).
    virtual void OnCloseRequest() = 0;
    // The window was minimised (true) or came back (false), between Start and
    // Stop. Nobody sees the game meanwhile: what runs by itself should wait.
    virtual void OnWindowMinimized(bool minimized) { (void)minimized; }
};

// Optional second interface of a game object: work that has to run on the
// main thread once per frame update (draining what the time thread queued,
// for instance). The bridge widget looks for it on the game and calls it from
// its per-frame update while the game is started.
class IFrameUpdate {
public:
    virtual ~IFrameUpdate() = default;
    virtual void OnFrameUpdate() = 0;
};

} // namespace KernelLibrary
