// The machine one scripted run of the program lives on, as a fresh process
// would find it (the options at their start values, no profiles loaded): a
// fresh folder with
// the run's home, data, settings and runtime folders (set in the
// environment), an empty registry, and the program's working folder with
// links to the game's archives of the build; the command line names that
// folder ("-changedir"), and may say more (SetExtraArguments). The game keeps its
// players in "save/" of its data folder, which it makes itself. Headless, the window
// system, desktop and display start afresh, and a manual clock is in force.
// Whatever the run writes to the debug output is kept, and a path that would
// end the process ends the run instead (ScopedExitInterception).
//
// Threads: made and used on the test's thread, before and after the
// program's own threads run.
#pragma once

#include "platform/core/DebugOutput.h"
#include "platform/core/Process.h"
#include "tests/support/PlatformTesting.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class ManualClock;
class ScopedClock;
} // namespace platform

namespace testing_support {
class CapturingPresenter;
}

namespace walk {

class WalkMachine {
public:
    // The build folder, where the archives and the test artefacts are.
    static std::string BuildFolder();

    // `folder`: the machine's folder, kept afterwards (a machine an earlier
    // process left, such as a program killed on it); empty: a fresh one of
    // its own, deleted with it.
    explicit WalkMachine(bool headless, const std::string& folder = "");
    ~WalkMachine();
    // What the next process on this machine finds: the files and the saved
    // registry as the last run left them, the options at their start values,
    // no profiles loaded (and, headless, a fresh window system and display).
    void Restart();
    WalkMachine(const WalkMachine&) = delete;
    WalkMachine& operator=(const WalkMachine&) = delete;

    // The options the next program started here gets after its
    // "-changedir" ("-record", "-play", ...).
    void SetExtraArguments(const std::vector<std::string>& options);
    // Null with the real clock.
    platform::ManualClock* Clock() const { return clock_.get(); }
    testing_support::CapturingPresenter& Presenter() const { return *presenter_; }
    std::string Output() const { return output_.Text(); }
    const std::string& ProgramFolder() const { return programFolder_; }
    // The game's own folder in the data folder, and the players' in it.
    std::string DataFolder() const;
    std::string SaveFolder() const { return DataFolder() + "/save"; }

private:
    void MakeFolders();
    void ResetProcessState();
    void ResetHeadlessServices();
    // Puts a capturing presenter in front of the back end's own.
    void InstallPresenter();

    std::string At(const std::string& relative) const;

    std::optional<platform::testing::ScopedTempFolder> temporary_;
    std::string root_;
    std::string programFolder_;
    std::unique_ptr<platform::ManualClock> clock_;
    std::unique_ptr<platform::ScopedClock> clockGuard_;
    bool headless_;
    platform::testing::DebugOutputCapture output_;
    platform::testing::ScopedExitInterception exitInterception_;
    testing_support::CapturingPresenter* presenter_ = nullptr;
};

} // namespace walk
