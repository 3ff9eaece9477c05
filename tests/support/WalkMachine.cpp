#include "tests/support/WalkMachine.h"

#include "game/shell/Options.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ProfileSaving.h"
#include "game/shell/ProgramInfo.h"
#include "framework/app/ProblemReporter.h"
#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/ddraw/HeadlessPresenter.h"
#include "platform/ddraw/SdlPresenter.h"
#include "platform/registry/Registry.h"
#include "platform/window/Desktop.h"
#include "platform/window/WindowTesting.h"
#include "tests/support/CapturingPresenter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace walk {

namespace {

// The manual clock starts away from 0, as a machine's clock does.
constexpr uint64_t kClockStartMicros = 1'000'000;
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

void SetArguments(const std::vector<std::string>& arguments)
{
    static std::vector<std::string> kept;
    kept = arguments;
    std::vector<const char*> argv;
    for (const std::string& a : kept)
        argv.push_back(a.c_str());
    platform::SetCommandLineArguments(int(argv.size()), argv.data());
}

} // namespace

std::string WalkMachine::BuildFolder()
{
    if (std::optional<std::string> dir = platform::GetEnvironmentVariable("PELLUCOR_BINARY_DIR"))
        return *dir;
#ifdef PELLUCOR_BUILD_DIR
    return PELLUCOR_BUILD_DIR;
#else
    return ".";
#endif
}

WalkMachine::WalkMachine(bool headless, const std::string& folder) : headless_(headless)
{
    if (folder.empty())
        temporary_.emplace();
    root_ = folder.empty() ? temporary_->Path() : folder;
    MakeFolders();
    ResetProcessState();
    if (headless) {
        ResetHeadlessServices();
        clock_ = std::make_unique<platform::ManualClock>(kClockStartMicros);
        clockGuard_ = std::make_unique<platform::ScopedClock>(*clock_);
        // Process time (the C runtime's clock(), which seeds the shuffles)
        // starts with the run, so every run deals the same cards.
        platform::ResetProcessStart();
    }
    InstallPresenter();
    SetExtraArguments({});
}

void WalkMachine::SetExtraArguments(const std::vector<std::string>& options)
{
    std::vector<std::string> arguments{"pellucor", "-changedir=" + programFolder_};
    arguments.insert(arguments.end(), options.begin(), options.end());
    SetArguments(arguments);
}

std::string WalkMachine::At(const std::string& relative) const
{
    return root_ + "/" + relative;
}

std::string WalkMachine::DataFolder() const
{
    return At("data/" + std::string(Gamespace::kProductName) + " " + Gamespace::kProductVersion);
}

WalkMachine::~WalkMachine()
{
    clockGuard_.reset();
    platform::testing::ClearFailures();
}

void WalkMachine::MakeFolders()
{
    for (const char* name : {"home", "data", "config", "runtime", "program"})
        platform::MakeDirectories(At(name));
    platform::SetEnvironmentVariable("HOME", At("home"));
    platform::SetEnvironmentVariable("XDG_DATA_HOME", At("data"));
    platform::SetEnvironmentVariable("XDG_CONFIG_HOME", At("config"));
    platform::SetEnvironmentVariable("XDG_RUNTIME_DIR", At("runtime"));
    programFolder_ = At("program");
    const std::filesystem::path build = BuildFolder();
    for (const char* archive : {"main.pak", "data.pak"}) {
        const std::string link = programFolder_ + "/" + archive;
        std::error_code error;
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(link, error)))
            continue; // a machine an earlier process left
        std::filesystem::create_symlink(std::filesystem::absolute(build / archive), link, error);
        EXPECT_FALSE(error) << "cannot link " << (build / archive) << ": " << error.message();
    }
}

void WalkMachine::Restart()
{
    ResetProcessState();
    if (!headless_)
        return;
    // The fresh display comes with a presenter of its own, which would show
    // the next run's frames to nobody.
    ResetHeadlessServices();
    InstallPresenter();
}

void WalkMachine::InstallPresenter()
{
    if (headless_)
        presenter_ =
            testing_support::CapturingPresenter::Install(std::make_unique<platform::ddraw::HeadlessPresenter>());
    else
        presenter_ = testing_support::CapturingPresenter::Install(
            std::make_unique<platform::ddraw::SdlPresenter>(nullptr, kScreenWidth, kScreenHeight));
}

void WalkMachine::ResetProcessState()
{
    // What a fresh process has: the options at their start values, no
    // profiles loaded, the registry as its file holds it.
    Gamespace::ResetOptions();
    ProfileList::Free();
    SetProfileFolder("save/");
    HoldProfileWrites(false);
    Zolt::ProblemReporter::Instance().Reset();
    platform::testing::ResetRegistry();
    platform::testing::ClearFailures();
    platform::testing::ClearScriptedAnswers();
    // A signal an earlier run was asked to end by (a walk's, or the step
    // watch's) is not this run's second.
    platform::testing::ForgetSessionEndSignals();
}

void WalkMachine::ResetHeadlessServices()
{
    platform::testing::ResetWindowSystem();
    platform::testing::ResetDesktop();
    platform::ddraw::testing::ResetDisplay();
    platform::testing::SetDesktopMode(platform::DesktopMode{1920, 1080, 32, 60});
}

} // namespace walk
