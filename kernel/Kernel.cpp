#include "kernel/Kernel.h"

#include "controls/AppFactoryHost.h"
#include "controls/Factory_impl.h"
#include "effects/EffectSystem_impl.h"
#include "kernel/MainApp.h"
#include "timing/TimeSystem_impl.h"

#include <memory>

namespace KernelLibrary {

namespace {

// Main thread only.
platform::HINSTANCE gInstance = nullptr;
bool gKernelStarted = false;
std::unique_ptr<MainApp> gApplication;

} // namespace

bool RunKernel(platform::HINSTANCE instance, IGame* game)
{
    if (!StartKernel(instance, game, true))
        return false;
    static_cast<Zolt::ZoltAppBase*>(gApplication.get())->Run();
    return true;
}

bool StartKernel(platform::HINSTANCE instance, IGame* game, bool startTimeThread)
{
    if (gKernelStarted)
        ShutdownKernel(instance);
    // The application asks the game for its names while it is constructed.
    if (!game)
        return false;

    gInstance = instance;
    gKernelStarted = true;
    TimeLibrary::TimeSystem_impl* timeSystem = TimeLibrary::CreateTimeSystem();

    gApplication = std::make_unique<MainApp>(game);
    gApplication->Initialize();

    ControlLibrary::CreateFactory(static_cast<Zolt::ZoltAppBase*>(gApplication.get()), timeSystem);
    ControlLibrary::IFactory* factory = GetFactory();
    if (!factory)
        return false;

    if (EffectLibrary::EffectSystem_impl* effects = EffectLibrary::CreateEffectSystem()) {
        effects->SetTimeSystem(timeSystem);
        // Animations make their image objects through the factory.
        effects->SetFactory(factory);
    }
    // A recorded or played demo advances the time objects from its updates.
    if (timeSystem && startTimeThread && !gApplication->DrivesTimeFromUpdates())
        timeSystem->StartTicking();
    return true;
}

void ShutdownKernel(platform::HINSTANCE)
{
    if (!gApplication)
        return;
    // The time thread goes first so that no timer callback reaches a
    // singleton that is being taken apart.
    TimeLibrary::TimeSystem_impl* timeSystem = TimeLibrary::GetTimeSystem();
    if (timeSystem)
        timeSystem->StopTicking();
    if (EffectLibrary::EffectSystem_impl* effects = EffectLibrary::GetEffectSystem())
        effects->DestroyAllEffects();
    if (timeSystem)
        timeSystem->DestroyAllTimeObjects();
    EffectLibrary::DestroyEffectSystem();
    ControlLibrary::DestroyFactory();
    TimeLibrary::DestroyTimeSystem();
    gApplication.reset();
}

ControlLibrary::IFactory* GetFactory() { return ControlLibrary::GetFactory(); }

EffectLibrary::IEffectSystem* GetEffectSystem() { return EffectLibrary::GetEffectSystem(); }

TimeLibrary::ITimeSystem* GetTimeSystem() { return TimeLibrary::GetTimeSystem(); }

MainApp* GetApplication() { return gApplication.get(); }

platform::HINSTANCE GetInstanceHandle() { return gInstance; }

} // namespace KernelLibrary
