// A scripted player: drives the real program (the game object, the kernel,
// the framework) through the platform's input injection, the way a person
// would, and looks at what the screen shows.
//
//     walk::ScriptedPlayer player;
//     player.Launch();
//     player.Click(walk::Caption("Close"));
//     EXPECT_TRUE(player.WaitToSee(walk::Image(ExitDialog::kBackground)));
//     player.Press(platform::VK_RETURN);
//     EXPECT_TRUE(player.WaitForExit());
//     EXPECT_EQ(player.Finish(), 0);
//
// Each player runs the program on a machine of its own: a fresh folder with
// its own home, data and settings folders, an empty registry, and a program
// folder (the program's working folder, with the game's archives) given to
// the program as "-changedir". The game keeps the players' profiles in
// "save/" of its own data folder (SaveFolder).
//
// Two back ends, one script:
// - headless (the default, in ./check): no window; a manual clock that
//   moves only as the program's own loop sleeps; the program's loop is run
//   one step at a time on the test's thread, and after each step the time
//   system is advanced by hand, one 5 ms pass for every 5 ms the clock
//   moved. No other thread of the program runs, so a script takes exactly
//   the same course on every run, and as fast as the machine draws. (The
//   start screen's news worker is the exception: a walk that waits for it
//   uses WaitForOtherThread, never a deadline in program time.)
// - SDL (PELLUCOR_PLATFORM=sdl, under an X server): the real window and the
//   real clock; the time thread ticks as in the program; waits have real
//   deadlines (with some slack for a busy machine), and a screenshot of the
//   window's picture is saved after every action.
//
// A long walk (a whole tournament) sets the game speed option to its fastest
// before Launch: WriteRegistryNumber("Options\\Speed", 10); the table then
// waits 100 ms per step, and a headless player runs some 180 times faster
// than real time.
//
// Every action and every check of the drawing fails the test when something
// could not be drawn as asked: an image or font that did not load, a part of
// an image asked for outside it, or (headless) a message box the program
// raised, such as a font descriptor error.
//
// On the real back end a step of the program that does not come back (a box
// of the program waiting for a person, a program that hangs) is watched
// from a thread of its own (StepWatch): some seconds past the deadline of
// the wait it belongs to, the walk fails naming what it waited for, and the
// program is asked to end as at a session's end; a walk never waits for the
// test suite's own limit.
//
// Threads: the test's thread is the program's main thread.
#pragma once

#include "game/shell/HttpGet.h"
#include "platform/window/WindowTesting.h"
#include "tests/support/ScreenSight.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Gamespace {
class GameImpl;
}
namespace KernelLibrary {
class MainApp;
}

namespace walk {

class StepWatch;
class WalkMachine;

class ScriptedPlayer {
public:
    enum class Backend { Headless, Sdl };
    // A wait for something the program does by itself at once (an answer to
    // a click, a dialog shown) should take less than this.
    static constexpr uint64_t kPromptMs = 2000;

    // Sets up the machine; the back end is the test program's. `machine`:
    // the folder of a machine an earlier process left (WalkMachine), to go
    // on with; empty: a fresh machine.
    explicit ScriptedPlayer(const std::string& machine = "");
    // Ends a program still running (the test failed on the way) as Finish
    // does, then checks the drawing one last time.
    ~ScriptedPlayer();
    ScriptedPlayer(const ScriptedPlayer&) = delete;
    ScriptedPlayer& operator=(const ScriptedPlayer&) = delete;

    // ---- The program ----
    // Where the start screen fetches its version and news pages from
    // ("http://127.0.0.1:port"; before Launch), and how long each step of a
    // fetch may wait in program time (which runs fast on the headless back
    // end). Unless a walk serves them, they are asked of a loopback port
    // where nothing listens: a walk never reaches an outside address.
    void ServeWebPagesFrom(const std::string& server, const Gamespace::HttpTimeouts& timeouts = {})
    {
        webServer_ = server;
        webTimeouts_ = timeouts;
    }
    // Options on the program's command line from the next Launch on
    // ("-record", "-play", "-demofile=..."), after the program folder's.
    void SetOptions(const std::vector<std::string>& options);
    // What the program's main entry does, up to its first screen: the game
    // object is made and handed to the kernel, and the program runs until
    // the game has started and what its start-up writes to the settings is
    // written (a disk the walk fills next does not meet the start-up).
    ScriptedPlayer& Launch();
    // For a program that is to stop itself at start-up with a fatal error:
    // the game object is made and handed to the kernel, and nothing is
    // awaited. Its end (WaitForExit) is then what the walk expects, not a
    // failure; the boxes it showed are the walk's to look at (TakeBoxes).
    ScriptedPlayer& LaunchExpectingAFatalEnd();
    // After Finish: the program started again on the same machine, which
    // keeps its files and its saved registry.
    ScriptedPlayer& Relaunch();
    // Relaunch for a program that is to stop itself with a fatal error, at
    // its start or later, as LaunchExpectingAFatalEnd.
    ScriptedPlayer& RelaunchExpectingAFatalEnd();
    // The program runs (it has not quit).
    bool IsRunning() const;
    // After the program quit: the rest of its main entry (the kernel's
    // teardown, the game object deleted); its exit code. A program still
    // running fails the test and is ended first; one that will not end is
    // left as it is (-1).
    int Finish();
    Gamespace::GameImpl& Game() const;
    KernelLibrary::MainApp& App() const;
    Backend GetBackend() const { return backend_; }
    // The program's working folder.
    std::string ProgramFolder() const;
    // The game's folder in the data folder, and the profiles' folder in it
    // (made by the game when it first saves).
    std::string DataFolder() const;
    std::string SaveFolder() const;


    // ---- Time ----
    // Milliseconds of program time since Launch.
    uint64_t Now() const;
    ScriptedPlayer& Wait(uint64_t ms);
    // Runs the program until `condition` holds. False (and the test fails,
    // with what the screen shows) when `deadlineMs` passes first or the
    // program ends.
    bool WaitUntil(const std::function<bool()>& condition, uint64_t deadlineMs, const std::string& what);
    bool WaitToSee(const Sight& sight, uint64_t deadlineMs = kPromptMs);
    bool WaitForExit(uint64_t deadlineMs = kPromptMs);
    // Waits for what a thread of the program other than its loop does in
    // real time (the news worker's fetch, as a test server sees it). The
    // loop does not run meanwhile: program time stands still, so none of
    // that thread's time-outs, which it measures on the program's clock,
    // runs out because a loaded machine is slow to schedule it. The deadline
    // is real time and generous. False (and the test fails) when it passes.
    bool WaitForOtherThread(const std::function<bool()>& condition, const std::string& what);

    // Runs after every step of the program's loop (null: nothing).
    void AfterEachStep(std::function<void()> watch) { watch_ = std::move(watch); }

    // ---- Seeing ----
    std::optional<Seen> Find(const Sight& sight) const { return FindOnScreen(sight); }
    bool Sees(const Sight& sight) const { return Find(sight).has_value(); }

    // ---- Acting ----
    // Each fails the test when what it acts on is not on the screen. The
    // click goes to the middle of the topmost object that shows the sight;
    // what it hits there is the program's own hit test.
    ScriptedPlayer& MoveTo(const Sight& sight);
    ScriptedPlayer& Click(const Sight& sight);
    ScriptedPlayer& ClickAt(int32_t x, int32_t y, const std::string& what);
    // A key pressed and let go (a virtual key, platform/window/VirtualKeys.h).
    ScriptedPlayer& Press(int virtualKey);
    ScriptedPlayer& Type(const std::string& text);
    // The window's close box.
    ScriptedPlayer& CloseWindow();

    // ---- Artefacts and checks ----
    // Saves what the window shows now as "NN-name.png" in the test's
    // screenshot folder (in the build folder); the file's path, "" when no
    // picture was shown yet.
    std::string Screenshot(const std::string& name);
    // What the window shows now, once the program has presented the scene
    // as it is (0xAARRGGBB rows).
    struct Picture {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
    };
    Picture FreshPicture();
    std::string ShotFolder() const { return shotFolder_; }
    // Fails the test for every drawing fault since the last check.
    void CheckDrawing();
    // The boxes the program showed since the last check, which then fails
    // the test on none of them.
    std::vector<platform::testing::RecordedBox> TakeBoxes();
    // What the toolkit's tables hold beyond the toolkit's own: visible
    // objects, time objects, effects and sounds.
    struct Leftovers {
        size_t objects = 0;
        size_t timeObjects = 0;
        size_t effects = 0;
        size_t sounds = 0;
        bool operator==(const Leftovers&) const = default;
    };
    // Counted now. Once the game has shut down, Finish counts what it did
    // not give back, before the toolkit is taken apart, and fails the test
    // unless that is nothing.
    static Leftovers CountHeld();
    // A number below the program's registry key ("Options\Speed").
    std::optional<uint32_t> ReadRegistryNumber(const std::string& valueName) const;
    void WriteRegistryNumber(const std::string& valueName, uint32_t value);

private:
    // The game object made and handed to the kernel, its loop begun.
    void StartProgram();
    // After Finish: the machine as the next process finds it (false, and
    // the test fails, while the program still runs).
    bool RestartMachine();
    // After the program ended its process with the game running.
    void ShutDownAfterAnExit();
    // One step of the program's loop (and, headless, of the time system).
    void Step();
    // Asks the program to quit, as the game does, and runs it until it has.
    void EndProgram();
    // From now on the walk waits for `what` until `deadline` (program
    // time): said to the step watch, on the real back end.
    void Awaiting(const std::string& what, uint64_t deadline);
    // Runs `part` of the program (a step of its loop, its start or its
    // shutdown) under the step watch, and fails the walk for what the
    // watch found meanwhile.
    template <class Part>
    void Watched(Part&& part);
    // Lets the program take the input just injected.
    void Settle();
    void WaitForFreshPicture();
    // After an action: the drawing check, and on SDL a screenshot.
    void AfterAction(const std::string& what);
    std::optional<Seen> Require(const Sight& sight, const std::string& action);
    uint64_t Deadline(uint64_t ms) const;
    uint64_t ClockMicroseconds() const;

    Backend backend_;
    std::unique_ptr<WalkMachine> machine_;
    std::unique_ptr<StepWatch> stepWatch_; // on the real back end
    std::unique_ptr<Gamespace::GameImpl> game_;
    std::string webServer_;
    Gamespace::HttpTimeouts webTimeouts_;
    KernelLibrary::MainApp* app_ = nullptr;
    uint64_t launchMicros_ = 0;
    uint64_t nextTickMicros_ = 0;
    int stillSteps_ = 0;
    std::function<void()> watch_;
    bool ended_ = false;
    bool fatalEndExpected_ = false;
    // The program ended its process while the game ran.
    bool exitedMidRun_ = false;
    // The step watch asked the program to end (the walk failed).
    bool endedByTheWatch_ = false;
    bool finished_ = false;
    int exitCode_ = 0;
    int shots_ = 0;
    std::string shotFolder_;
    size_t outputChecked_ = 0;
    size_t boxesChecked_ = 0;
};

} // namespace walk
