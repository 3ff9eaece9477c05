#include "kernel/IGameBridge.h"

#include "controls/IInputAndPaint.h"
#include "framework/widgets/WidgetManager.h"
#include "kernel/IGame.h"
#include "kernel/MainApp.h"

namespace KernelLibrary {

IGameBridge::IGameBridge(MainApp* app, IGame* game) : IGameBridge(app, game, nullptr) {}

IGameBridge::IGameBridge(MainApp* app, IGame* game, ControlLibrary::IInputAndPaint* toolkit)
    : app_(app ? static_cast<Zolt::ZoltAppBase*>(app) : nullptr),
      game_(game),
      frameUpdate_(dynamic_cast<IFrameUpdate*>(game)),
      toolkit_(toolkit)
{
}

IGameBridge::~IGameBridge() = default;

ControlLibrary::IInputAndPaint* IGameBridge::Toolkit() const
{
    // The control factory is made after the bridge's application and goes
    // before it: the process's toolkit is looked up at every call.
    return toolkit_ ? toolkit_ : ControlLibrary::GetInputAndPaint();
}

void IGameBridge::NotifyFullRepaint()
{
    if (ControlLibrary::IInputAndPaint* toolkit = Toolkit())
        toolkit->NotifyFullRepaint();
}

void IGameBridge::OnAttached(Zolt::WidgetManager* manager)
{
    Widget::OnAttached(manager);
    if (manager)
        manager->GiveFocus(this);
    if (!game_)
        return;
    game_->Initialize();
    game_->Start();
    started_ = true;
}

void IGameBridge::OnDetached(Zolt::WidgetManager* manager)
{
    Widget::OnDetached(manager);
    if (!game_)
        return;
    game_->Stop();
    game_->Shutdown();
}

void IGameBridge::Tick()
{
    if (started_ && frameUpdate_)
        frameUpdate_->OnFrameUpdate();
}

void IGameBridge::TickSmooth(float)
{
    if (!game_ || !started_)
        return;
    ControlLibrary::IInputAndPaint* toolkit = Toolkit();
    if (toolkit && toolkit->TakeRepaintRequest())
        SetDirty(true);
}

void IGameBridge::Paint(Zolt::Graphics* g)
{
    if (app_ && app_->suppressGameDrawing)
        return;
    ControlLibrary::IInputAndPaint* toolkit = Toolkit();
    if (!toolkit)
        return;
    // Where the screen still shows the scene's last paint, the scene draws
    // only what differs from it, and says where, so that only that is shown.
    Zolt::WidgetManager* manager = GetManager();
    if (manager && app_ && manager->ScreenHoldsLastPaintOf(this) && app_->ScreenKeepsItsPicture()) {
        std::vector<Zolt::Rect> changed;
        if (toolkit->DrawChanges(g, changed))
            manager->ReportPaintedAreas(changed);
        return;
    }
    toolkit->DrawAll(g);
}

void IGameBridge::OnChar(char c)
{
    if (ControlLibrary::IInputAndPaint* toolkit = Toolkit())
        toolkit->DispatchChar(c);
}

void IGameBridge::OnKeyDown(int key)
{
    if (ControlLibrary::IInputAndPaint* toolkit = Toolkit())
        toolkit->DispatchKeyDown(uint32_t(key));
}

void IGameBridge::OnKeyUp(int key)
{
    if (ControlLibrary::IInputAndPaint* toolkit = Toolkit())
        toolkit->DispatchKeyUp(uint32_t(key));
}

void IGameBridge::OnMouseEnter() {}

void IGameBridge::OnMouseMove(int x, int y)
{
    if (ControlLibrary::IInputAndPaint* toolkit = Toolkit())
        toolkit->DispatchMouseMove(x, y);
}

void IGameBridge::OnMouseButtonDown(int x, int y, int button, int clickCount)
{
    if (ControlLibrary::IInputAndPaint* toolkit = Toolkit())
        toolkit->DispatchMouseDown(x, y, button, clickCount);
}

void IGameBridge::OnMouseButtonUp(int x, int y, int button, int clickCount)
{
    if (ControlLibrary::IInputAndPaint* toolkit = Toolkit())
        toolkit->DispatchMouseUp(x, y, button, clickCount);
}

void IGameBridge::OnMouseUp(int x, int y, int clickCode)
{
    if (ControlLibrary::IInputAndPaint* toolkit = Toolkit())
        toolkit->DispatchMouseUp(x, y, 0, clickCode);
}

} // namespace KernelLibrary
