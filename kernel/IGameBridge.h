// The whole game as one widget of the framework: it covers the window and
// passes each frame's drawing and every mouse and keyboard event to the
// control toolkit through its input-and-paint interface. Attaching it
// initialises and starts the game, detaching it stops the game and shuts it
// down.
//
// Threads: main thread (the widget manager calls every hook). The toolkit's
// repaint request is raised by changes of the scene on any thread and by its
// dirty poll, which runs on this thread when the smooth tick takes the
// request; the toolkit guards both, so no lock is needed here.
#pragma once

#include "framework/widgets/Widget.h"

namespace Zolt {
class ZoltAppBase;
}

namespace ControlLibrary {
class IInputAndPaint;
}

namespace KernelLibrary {

class IFrameUpdate;
class IGame;
class MainApp;

class IGameBridge : public Zolt::Widget {
public:
    // Talks to the toolkit of the process (none while no control factory
    // exists: then the hooks only run the game's own parts).
    IGameBridge(MainApp* app, IGame* game);
    // Talks to `toolkit` instead (not owned; it must outlive the bridge).
    IGameBridge(MainApp* app, IGame* game, ControlLibrary::IInputAndPaint* toolkit);
    ~IGameBridge() override;

    void NotifyFullRepaint() override;
    void OnAttached(Zolt::WidgetManager* manager) override;
    void OnDetached(Zolt::WidgetManager* manager) override;
    // The per-frame update: the game's own main-thread work when it has any;
    // the bridge keeps no tick count.
    void Tick() override;
    // Moves the toolkit's repaint request into this widget's dirty flag.
    void TickSmooth(float fraction) override;
    void Paint(Zolt::Graphics* g) override;
    void OnChar(char c) override;
    void OnKeyDown(int key) override;
    void OnKeyUp(int key) override;
    void OnMouseEnter() override;
    void OnMouseMove(int x, int y) override;
    void OnMouseButtonDown(int x, int y, int button, int clickCount) override;
    void OnMouseButtonUp(int x, int y, int button, int clickCount) override;
    // The framework's way of delivering a release: button 0, the click code
    // in the count's place.
    void OnMouseUp(int x, int y, int clickCode) override;

    bool IsStarted() const { return started_; }

private:
    // The toolkit to talk to now, or null.
    ControlLibrary::IInputAndPaint* Toolkit() const;

    Zolt::ZoltAppBase* app_;
    IGame* game_;
    // The game's per-frame hook, when the game has one.
    IFrameUpdate* frameUpdate_;
    // A toolkit of its own; null to look up the process's at each call.
    ControlLibrary::IInputAndPaint* toolkit_ = nullptr;
    bool started_ = false;
};

} // namespace KernelLibrary
