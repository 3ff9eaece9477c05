// Scenario builders for the kernel's tests: a clean headless machine, a game
// that writes every call it gets into a shared log (with hooks for the calls
// a test wants to act on), and an application brought up the way RunKernel
// brings it up, short of running the main loop.
#pragma once

#include "controls/AppFactoryHost.h"
#include "controls/Factory_impl.h"
#include "effects/EffectSystem_impl.h"
#include "kernel/IGame.h"
#include "kernel/IGameBridge.h"
#include "kernel/ISysApp.h"
#include "kernel/Kernel.h"
#include "kernel/MainApp.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/registry/Registry.h"
#include "platform/window/Desktop.h"
#include "platform/window/WindowTesting.h"
#include "tests/support/PlatformTesting.h"
#include "timing/TimeSystem_impl.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kerneltest {

class RecordingGame : public KernelLibrary::IGame, public KernelLibrary::IFrameUpdate {
public:
    void SetSysApp(KernelLibrary::ISysApp* app) override
    {
        sysApp = app;
        Record("SetSysApp");
        if (onSetSysApp)
            onSetSysApp();
    }
    void Initialize() override { Record("Initialize"); }
    void Shutdown() override { Record("Shutdown"); }
    void Start() override
    {
        Record("Start");
        if (onStart)
            onStart();
    }
    void Stop() override { Record("Stop"); }
    void GetTitle(std::string* out) override
    {
        Record("GetTitle");
        *out = "Pellucor 1.5";
    }
    void GetVersion(std::string* out) override
    {
        Record("GetVersion");
        *out = "1.5";
    }
    void GetRegistryKey(std::string* out) override
    {
        Record("GetRegistryKey");
        *out = "Tovrelly\\PellucorKernelTest";
    }
    void OnCloseRequest() override
    {
        Record("OnCloseRequest");
        if (onCloseRequest)
            onCloseRequest();
    }
    void OnFrameUpdate() override { ++frameUpdates; }

    // Appends `call` and, when a probe is set, what the probe says then.
    void Record(const std::string& call) { log.push_back(probe ? call + probe() : call); }

    KernelLibrary::ISysApp* sysApp = nullptr;
    std::vector<std::string> log;
    int frameUpdates = 0;
    std::function<std::string()> probe;
    std::function<void()> onSetSysApp;
    std::function<void()> onStart;
    std::function<void()> onCloseRequest;
};

// A clean machine for each test: its own data and settings folders, an empty
// registry, no windows, the headless display; whatever a test left of the
// kernel is torn down afterwards.
class KernelTest : public ::testing::Test {
protected:
    KernelTest()
    {
        platform::SetEnvironmentVariable("XDG_DATA_HOME", folder_ / "data");
        platform::SetEnvironmentVariable("XDG_CONFIG_HOME", folder_ / "config");
        platform::SetEnvironmentVariable("XDG_RUNTIME_DIR", folder_.Path());
        platform::testing::ResetRegistry();
        platform::testing::ResetWindowSystem();
        platform::testing::ResetDesktop();
        platform::ddraw::testing::ResetDisplay();
        platform::testing::SetDesktopMode(platform::DesktopMode{1920, 1080, 32, 60});
        platform::testing::ClearFailures();
        platform::testing::ClearScriptedAnswers();
        static const char* const argv[] = {"pellucor"};
        platform::SetCommandLineArguments(1, argv);
    }

    ~KernelTest() override
    {
        KernelLibrary::ShutdownKernel(nullptr);
        app.reset();
        EffectLibrary::DestroyEffectSystem();
        ControlLibrary::DestroyFactory();
        TimeLibrary::DestroyTimeSystem();
    }

    // What RunKernel does before its main loop, then the end of loading: the
    // bridge is attached and the game started. No time thread runs; the test
    // steps the factory's poll itself.
    KernelLibrary::MainApp& BringUp()
    {
        TimeLibrary::TimeSystem_impl* time = TimeLibrary::CreateTimeSystem();
        app = std::make_unique<KernelLibrary::MainApp>(&game);
        app->Initialize();
        EXPECT_NE(ControlLibrary::CreateFactory(static_cast<Zolt::ZoltAppBase*>(app.get()), time), nullptr);
        app->OnBackgroundLoadDone();
        return *app;
    }

    // Applies what the window procedure queued (a close, for instance).
    void Pump()
    {
        for (int i = 0; i < 5; ++i)
            app->ProcessQueuedInput(false);
    }

    static ControlLibrary::Factory_impl& Factory() { return *ControlLibrary::GetFactoryImpl(); }

    platform::testing::ScopedTempFolder folder_;
    RecordingGame game;
    std::unique_ptr<KernelLibrary::MainApp> app;
};

} // namespace kerneltest
