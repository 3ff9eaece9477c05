// The kernel's entry points: the whole life of the application around a
// game, and the game's only ways to the toolkit's three singletons.
//
// Threads: RunKernel and ShutdownKernel run on the main thread; the three
// getters may be called from any thread (they read atomic singletons).
#pragma once

#include "platform/window/WindowTypes.h"

namespace ControlLibrary {
class IFactory;
}
namespace EffectLibrary {
class IEffectSystem;
}
namespace TimeLibrary {
class ITimeSystem;
}

namespace KernelLibrary {

class IGame;
class MainApp;

// Creates the time system, the application for `game` (1024 x 768), runs its
// initialisation, creates the control factory and the effect system, starts
// the time thread and runs the main loop until the game quits. False, before
// any effect system, time thread or main loop exists, when there is no game
// or the factory could not be made. A second call first tears down what the
// first one left. The caller keeps `game` alive until after ShutdownKernel.
bool RunKernel(platform::HINSTANCE instance, IGame* game);
// RunKernel short of its main loop, for a caller that runs the loop itself
// (MainApp::BeginSteppedRun and the loop's steps). With `startTimeThread`
// false no time thread runs either: the caller advances the time system
// itself (TimeSystem_impl::TickAll), so that a run on a manual clock takes
// the same course every time.
bool StartKernel(platform::HINSTANCE instance, IGame* game, bool startTimeThread);
// Tears down in reverse order (time thread, effects, time objects, effect
// system, factory, time system, application); nothing without an application.
void ShutdownKernel(platform::HINSTANCE instance);

// Null before RunKernel made them and after ShutdownKernel.
ControlLibrary::IFactory* GetFactory();
EffectLibrary::IEffectSystem* GetEffectSystem();
TimeLibrary::ITimeSystem* GetTimeSystem();

// The running application; null when none exists.
MainApp* GetApplication();
// The instance handle RunKernel was last given.
platform::HINSTANCE GetInstanceHandle();

} // namespace KernelLibrary
