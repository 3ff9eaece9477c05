#include "kernel/IGameBridge.h"

#include "controls/Factory_impl.h"
#include "framework/widgets/WidgetManager.h"
#include "kernel/IGame.h"
#include "kernel/MainApp.h"

namespace KernelLibrary {

IGameBridge::IGameBridge(MainApp* app, IGame* game)
    : app_(app ? static_cast<Zolt::ZoltAppBase*>(app) : nullptr),
      game_(game),
      frameUpdate_(dynamic_cast<IFrameUpdate*>(game))
{
}

IGameBridge::~IGameBridge() = default;

void IGameBridge::NotifyFullRepaint()
{
    if (ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactoryImpl())
        factory->NotifyFullRepaint();
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
    ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactoryImpl();
    if (factory && factory->TakeRepaintRequest())
        SetDirty(true);
}

void IGameBridge::Paint(Zolt::Graphics* g)
{
    if (app_ && app_->suppressGameDrawing)
        return;
    if (ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactoryImpl())
        factory->DrawAll(g);
}

void IGameBridge::OnChar(char c)
{
    if (ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactoryImpl())
        factory->DispatchChar(c);
}

void IGameBridge::OnKeyDown(int key)
{
    if (ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactoryImpl())
        factory->DispatchKeyDown(uint32_t(key));
}

void IGameBridge::OnKeyUp(int key)
{
    if (ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactoryImpl())
        factory->DispatchKeyUp(uint32_t(key));
}

void IGameBridge::OnMouseEnter() {}

void IGameBridge::OnMouseMove(int x, int y)
{
    if (ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactoryImpl())
        factory->DispatchMouseMove(x, y);
}

void IGameBridge::OnMouseButtonDown(int x, int y, int button, int clickCount)
{
    if (ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactoryImpl())
        factory->DispatchMouseDown(x, y, button, clickCount);
}

void IGameBridge::OnMouseButtonUp(int x, int y, int button, int clickCount)
{
    if (ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactoryImpl())
        factory->DispatchMouseUp(x, y, button, clickCount);
}

void IGameBridge::OnMouseUp(int x, int y, int clickCode)
{
    if (ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactoryImpl())
        factory->DispatchMouseUp(x, y, 0, clickCode);
}

} // namespace KernelLibrary
