// Scenario builders for the application tests: a clean machine (folders,
// registry, windows, display, desktop), a manual clock, and an application
// that records its hooks and never changes the test's working folder.
#pragma once

#include "framework/app/ProblemReporter.h"
#include "framework/app/ZoltAppBase.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/core/BlockedWait.h"
#include "platform/core/Clock.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/registry/Registry.h"
#include "platform/window/Desktop.h"
#include "platform/window/Window.h"
#include "platform/window/WindowTesting.h"
#include "platform/core/DebugOutput.h"
#include "tests/support/InterruptingClock.h"
#include "tests/support/PlatformTesting.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

// Music that remembers the volume it was last given.
class SpyMusic : public Zolt::MusicInterface {
public:
    explicit SpyMusic(double* volume) : volume_(volume) {}
    void SetOverallVolume(double volume) override { *volume_ = volume; }
    bool IsFading() override { return fading; }

    bool fading = false;

private:
    double* volume_;
};

class TestApp : public Zolt::ZoltAppBase {
public:
    TestApp()
    {
        productName = "PellucorTest";
        companyName = "Tovrelly";
        windowTitle = "Pellucor Test";
        registryKey = "Tovrelly\\PellucorTest";
        width = 640;
        height = 480;
        colorDepth = 32;
    }

    // The test's working folder stays as it is, unless the test asks for
    // the framework's own change into the start folder.
    bool OnChangeDirectory(const std::string&) override { return !entersStartFolder; }
    Zolt::MusicInterface* MakeMusicPlayer(platform::HWND window) override
    {
        if (realMusic)
            return ZoltAppBase::MakeMusicPlayer(window);
        return new SpyMusic(&heardMusicVolume);
    }
    void BackgroundLoad() override
    {
        if (loadBody)
            loadBody();
    }
    void OnBackgroundLoadDone() override
    {
        ++loadDoneCalls;
        if (loadDone)
            loadDone();
    }
    int UpdateHoldLimitMs() override { return holdLimit ? holdLimit() : holdLimitMs; }
    void BringToFront(platform::WPARAM code, platform::LPARAM extra) override
    {
        ++broughtToFront;
        broughtAtUpdate.push_back(UpdateCount());
        ZoltAppBase::BringToFront(code, extra);
    }
    void OnWindowMinimized(bool minimized) override { minimizedTold.push_back(minimized); }
    void OnButtonClicked(int id) override { clicked.push_back(id); }
    void OnButtonDown(int id) override { pressed.push_back(id); }
    bool OnDeveloperKey(int key) override
    {
        developerKeys.push_back(key);
        return consumeDeveloperKeys;
    }
    bool RedrawIfNeeded() override
    {
        ++redrawCalls;
        const bool presented = ZoltAppBase::RedrawIfNeeded();
        if (afterRedraw)
            afterRedraw();
        return presented;
    }
    // An application may refuse a close (the game asks the player first).
    void Quit() override
    {
        if (!refuseQuit)
            ZoltAppBase::Quit();
    }
    void ApplyStartOption(const std::string& name, const std::string& value) override
    {
        options.push_back(name + "=" + value);
        if (!recordOptionsOnly)
            ZoltAppBase::ApplyStartOption(name, value);
    }

    using ZoltAppBase::JoinLoaderThread;
    using ZoltAppBase::LaunchLoaderThread;

    std::function<void()> loadBody;
    // Runs when the loading completion is applied.
    std::function<void()> loadDone;
    int loadDoneCalls = 0;
    int broughtToFront = 0;
    // What OnWindowMinimized was told, in order.
    std::vector<bool> minimizedTold;
    // The update count at each BringToFront.
    std::vector<int> broughtAtUpdate;
    // What UpdateHoldLimitMs answers: how long a still screen may hold updates.
    int holdLimitMs = 0;
    // When set, answers instead of holdLimitMs.
    std::function<int()> holdLimit;
    int redrawCalls = 0;
    // Runs after each draw pass.
    std::function<void()> afterRedraw;
    double heardMusicVolume = -1.0;
    // The framework's own choice of music back end instead of the spy.
    bool realMusic = false;
    bool consumeDeveloperKeys = false;
    bool recordOptionsOnly = false;
    bool entersStartFolder = false;
    bool refuseQuit = false;
    std::vector<int> clicked;
    std::vector<int> pressed;
    std::vector<int> developerKeys;
    std::vector<std::string> options;
};

// A clean machine for each test: its own data, settings and runtime folders,
// an empty registry, no windows, a 1920 x 1080 desktop, the headless display
// and a manual clock that starts at 1 s.
class AppTest : public ::testing::Test {
protected:
    AppTest() : clock_(1'000'000), scopedClock_(clock_)
    {
        platform::SetEnvironmentVariable("XDG_DATA_HOME", folder_ / "data");
        platform::SetEnvironmentVariable("XDG_CONFIG_HOME", folder_ / "config");
        platform::SetEnvironmentVariable("XDG_RUNTIME_DIR", folder_.Path());
        platform::testing::ResetRegistry();
        Zolt::ProblemReporter::Instance().Reset();
        platform::testing::ResetWindowSystem();
        platform::testing::ResetDesktop();
        platform::ddraw::testing::ResetDisplay();
        platform::testing::SetDesktopMode(platform::DesktopMode{1920, 1080, 32, 60});
        platform::testing::ClearFailures();
        platform::testing::ClearScriptedAnswers();
        platform::testing::ClearModuleHiding();
        SetArguments({});
    }

    ~AppTest() override
    {
        app.reset();
        platform::testing::ClearModuleHiding();
        platform::testing::ClearFailures();
    }

    static void SetArguments(const std::vector<std::string>& extra)
    {
        static std::vector<std::string> keep;
        keep = extra;
        keep.insert(keep.begin(), "pellucor");
        std::vector<const char*> argv;
        for (const std::string& a : keep)
            argv.push_back(a.c_str());
        platform::SetCommandLineArguments(int(argv.size()), argv.data());
    }

    TestApp& Make()
    {
        app = std::make_unique<TestApp>();
        return *app;
    }

    // Initialised, shown and active, with its (empty) loading done: what
    // Run has made of it when its loop begins.
    TestApp& StartApp()
    {
        Make().Initialize();
        platform::ShowWindow(app->GetMainWindow(), platform::SW_SHOW);
        platform::SetFocus(app->GetMainWindow());
        app->LaunchLoaderThread();
        StepUntilTheLoadingIsApplied();
        EXPECT_EQ(app->loadDoneCalls, 1);
        return *app;
    }

    // Waits for the loading thread itself, then steps the loop until it has
    // applied the loading's completion. Every step moves the manual clock:
    // stepping while the thread still ran would let a slow thread see the
    // clock pass a time-out of the program's (the screen saver's, at 58 s)
    // before its work was done, and the test's verdict would then hang on
    // the machine's load.
    void StepUntilTheLoadingIsApplied()
    {
        app->JoinLoaderThread();
        for (int step = 0; step < 10'000 && app->loadDoneCalls == 0; ++step)
            app->RunLoopStep(nullptr);
    }

    // Runs loop steps until `ms` of clock time have passed.
    void RunFor(uint64_t ms)
    {
        const uint64_t end = clock_.NowMicroseconds() + ms * 1000;
        int guard = 0;
        while (clock_.NowMicroseconds() < end && ++guard < 1'000'000)
            app->RunLoopStep(nullptr);
    }

    // Steps the loop until the queued input has been applied.
    void Pump(int steps = 20)
    {
        for (int i = 0; i < steps; ++i)
            app->RunLoopStep(nullptr);
    }

    platform::testing::ScopedTempFolder folder_;
    platform::ManualClock clock_;
    platform::ScopedClock scopedClock_;
    std::unique_ptr<TestApp> app;
};

// Runs `body`, which must end the process; returns the exit code.
inline int ExitCodeOf(const std::function<void()>& body)
{
    platform::testing::ScopedExitInterception intercept;
    try {
        body();
    } catch (const platform::testing::ProcessExit& exit) {
        return int(exit.code);
    }
    ADD_FAILURE() << "the process did not end";
    return -1;
}

} // namespace apptest
