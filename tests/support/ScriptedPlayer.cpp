#include "tests/support/ScriptedPlayer.h"

#include "controls/Factory_impl.h"
#include "controls/IFactory.h"
#include "controls/IImageVO.h"
#include "effects/EffectSystem_impl.h"
#include "game/shell/GameImpl.h"
#include "game/shell/ProgramInfo.h"
#include "kernel/IGameBridge.h"
#include "kernel/Kernel.h"
#include "kernel/MainApp.h"
#include "pak/PakFileFunctions.h"
#include "pak/PakInterface.h"
#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Testing.h"
#include "platform/registry/Registry.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/Window.h"
#include "platform/window/WindowTesting.h"
#include "tests/support/CapturingPresenter.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/StepWatch.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/WalkMachine.h"
#include "timing/TimeSystem_impl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <map>

namespace walk {

namespace {

constexpr uint64_t kPassMicros = 5000;
// Program time after an input for the factory's dirty poll, the repaint and
// the present that follow it (the input itself is waited for: Settle).
constexpr uint64_t kSettleMs = 60;
// At least one present a second, even of an unchanged screen.
constexpr uint64_t kFreshFrameMs = 2500;
// A real machine under load (sanitizers, several test programs at once, a
// build beside them, two cores) is slower than the program's own time: a
// wait on the real clock gives up only after this many times its time.
// Waits end as soon as what they wait for comes, so the slack costs a walk
// nothing unless it fails.
constexpr uint64_t kRealTimeSlack = 8;
// Loop steps without a sleep after which the player moves the manual clock
// on by 1 ms, as real time moves while a loop runs: the loop waits for the
// rest of its frame by sleeping whole milliseconds and polls through the
// last fraction of one, which on a clock that only sleeps move would never
// end. A loop iteration takes four steps.
constexpr int kStillSteps = 8;
// The time objects the toolkit itself keeps for its whole life (the
// factory's dirty poll).
constexpr size_t kToolkitTimeObjects = 1;

// The markers of what the toolkit and the fonts report when something
// cannot be drawn as asked.
constexpr const char* kDrawingFaults[] = {"Failed to load image:", "Failed to load font:",
                                          "Image drawn off its bounds:", "Font Descriptor Error"};

std::string ShotFolderFor(ScriptedPlayer::Backend backend)
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "walk";
    // The same walk run side by side on other screens (ctest runs them at
    // once) keeps its pictures apart: each clears its folder as it starts.
    if (const char* variant = std::getenv("PELLUCOR_WALK_VARIANT"); variant && *variant)
        name += "." + std::string(variant);
    for (char& c : name)
        if (c == '/')
            c = '_';
    // A test that runs the program again (a restart) keeps the first run's
    // pictures: each later player of the test has a folder of its own.
    static std::map<std::string, int> players;
    if (const int run = ++players[name]; run > 1)
        name += ".run" + std::to_string(run);
    const std::string folder = WalkMachine::BuildFolder() + "/tests/walk/" +
                               (backend == ScriptedPlayer::Backend::Sdl ? "sdl/" : "headless/") + name;
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return folder;
}

std::string KeyName(int virtualKey)
{
    switch (virtualKey) {
    case platform::VK_RETURN:
        return "Return";
    case platform::VK_ESCAPE:
        return "Escape";
    case platform::VK_SPACE:
        return "Space";
    case platform::VK_TAB:
        return "Tab";
    case platform::VK_BACK:
        return "Backspace";
    default:
        return "key " + std::to_string(virtualKey);
    }
}

// The registry key of the program and the value's own name.
std::pair<std::string, std::string> SplitValueName(const std::string& valueName)
{
    std::string key = std::string("SOFTWARE\\") + Gamespace::kRegistryKey;
    const size_t slash = valueName.rfind('\\');
    if (slash == std::string::npos)
        return {key, valueName};
    return {key + "\\" + valueName.substr(0, slash), valueName.substr(slash + 1)};
}

} // namespace

ScriptedPlayer::ScriptedPlayer(const std::string& machine)
    : backend_(platform::IsHeadless() ? Backend::Headless : Backend::Sdl),
      machine_(std::make_unique<WalkMachine>(backend_ == Backend::Headless, machine)),
      shotFolder_(ShotFolderFor(backend_))
{
    // Headless, nothing of the program waits for a person: a box takes its
    // scripted answer at once.
    if (backend_ == Backend::Sdl)
        stepWatch_ = std::make_unique<StepWatch>();
}

void ScriptedPlayer::Awaiting(const std::string& what, uint64_t deadline)
{
    if (!stepWatch_)
        return;
    const uint64_t now = Now();
    stepWatch_->Await(what, StepWatch::Clock::now() + std::chrono::milliseconds(deadline > now ? deadline - now : 0));
}

template <class Part>
void ScriptedPlayer::Watched(Part&& part)
{
    if (!stepWatch_) {
        part();
        return;
    }
    struct Inside {
        StepWatch& watch;
        explicit Inside(StepWatch& w) : watch(w) { watch.Enter(); }
        ~Inside() { watch.Leave(); }
    };
    {
        const Inside inside(*stepWatch_);
        part();
    }
    if (const std::string report = stepWatch_->TakeReport(); !report.empty()) {
        ADD_FAILURE() << report;
        endedByTheWatch_ = true;
    }
}

ScriptedPlayer::~ScriptedPlayer()
{
    if (app_ && !finished_) {
        if (!ended_)
            EndProgram();
        if (ended_)
            Finish();
        else
            ADD_FAILURE() << "the program would not end; it is left as it is";
    }
    // Boxes a walk expecting a fatal end did not take fail it now.
    fatalEndExpected_ = false;
    CheckDrawing();
}

void ScriptedPlayer::EndProgram()
{
    static_cast<KernelLibrary::ISysApp*>(app_)->Quit();
    const uint64_t deadline = Deadline(kPromptMs);
    Awaiting("the program to quit", deadline);
    while (IsRunning() && Now() <= deadline)
        Step();
}

ScriptedPlayer& ScriptedPlayer::Launch()
{
    StartProgram();
    // The start-up is over once what it writes to the settings is written
    // too (its in-progress note is written beside it, and waited for after
    // the first picture): a walk that fills the disk next does not meet it.
    if (app_)
        WaitUntil(
            [this] { return app_->GetBridge() && app_->GetBridge()->IsStarted() && app_->StartWarningsTaken(); },
            kPromptMs, "the game to start, and its start-up's settings to be written");
    CheckDrawing();
    return *this;
}

ScriptedPlayer& ScriptedPlayer::LaunchExpectingAFatalEnd()
{
    fatalEndExpected_ = true;
    StartProgram();
    return *this;
}

void ScriptedPlayer::StartProgram()
{
    // The archives an earlier program of this process added go: this one
    // finds only its own, as a program of a process of its own does.
    GetProcessPakInterface()->RemoveArchives();
    game_ = Gamespace::CreateGameObject();
    Gamespace::WebPages pages = Gamespace::WebPages::On(
        webServer_.empty() ? "http://127.0.0.1:" + std::to_string(platform::testing::LoopbackHttpServer::UnusedPort())
                           : webServer_);
    pages.timeouts = webTimeouts_;
    game_->SetWebPages(pages);
    launchMicros_ = ClockMicroseconds();
    endedByTheWatch_ = false;
    Awaiting("the program to start", Deadline(kPromptMs));
    bool started = false;
    Watched([&] { started = KernelLibrary::StartKernel(nullptr, game_.get(), backend_ == Backend::Sdl); });
    if (!started) {
        ADD_FAILURE() << "the kernel did not start";
        return;
    }
    app_ = KernelLibrary::GetApplication();
    launchMicros_ = ClockMicroseconds();
    nextTickMicros_ = launchMicros_ + kPassMicros;
    Watched([this] { app_->BeginSteppedRun(); });
}

void ScriptedPlayer::SetOptions(const std::vector<std::string>& options)
{
    machine_->SetExtraArguments(options);
}

ScriptedPlayer& ScriptedPlayer::Relaunch()
{
    return RestartMachine() ? Launch() : *this;
}

ScriptedPlayer& ScriptedPlayer::RelaunchExpectingAFatalEnd()
{
    return RestartMachine() ? LaunchExpectingAFatalEnd() : *this;
}

bool ScriptedPlayer::RestartMachine()
{
    if (app_ && !finished_) {
        ADD_FAILURE() << "the program still runs; it cannot be started again";
        return false;
    }
    machine_->Restart();
    app_ = nullptr;
    ended_ = false;
    finished_ = false;
    fatalEndExpected_ = false;
    exitCode_ = 0;
    exitedMidRun_ = false;
    // A headless machine's restart forgot the boxes shown: the next
    // program's are counted from none.
    boxesChecked_ = platform::testing::RecordedBoxes().size();
    return true;
}

bool ScriptedPlayer::IsRunning() const
{
    return app_ && !ended_;
}

int ScriptedPlayer::Finish()
{
    if (!app_ || finished_)
        return exitCode_;
    if (!ended_) {
        ADD_FAILURE() << "the program is still running: the player ends it";
        EndProgram();
    }
    // The toolkit is not taken apart under a program that still runs.
    if (!ended_)
        return -1;
    finished_ = true;
    if (exitedMidRun_)
        ShutDownAfterAnExit();
    Awaiting("the program's shutdown", Deadline(kPromptMs));
    Watched([this] { app_->EndSteppedRun(); });
    const Leftovers left = CountHeld();
    EXPECT_EQ(left, Leftovers{}) << "the game left behind " << left.objects << " objects, " << left.timeObjects
                                 << " time objects, " << left.effects << " effects and " << left.sounds << " sounds";
    // The rest of the program's main entry.
    Awaiting("the program's shutdown", Deadline(kPromptMs));
    Watched([] { KernelLibrary::ShutdownKernel(nullptr); });
    game_.reset();
    CheckDrawing();
    return exitCode_;
}

void ScriptedPlayer::ShutDownAfterAnExit()
{
    // The process would end here and take the game with it. This one goes
    // on to the next test: the game is shut down as a quit does, so that
    // the toolkit is not taken apart under its objects, and what it gives
    // back is counted as after any run.
    static_cast<KernelLibrary::ISysApp*>(app_)->Quit();
    Awaiting("the game to shut down after the program's exit", Deadline(kPromptMs));
    try {
        for (int step = 0; step < 100'000 && !app_->IsQuitting(); ++step)
            Watched([this] { app_->RunLoopStep(nullptr); });
    } catch (const platform::testing::ProcessExit& exit) {
        ADD_FAILURE() << "the program ended the process again, with code " << exit.code;
    }
    EXPECT_TRUE(app_->IsQuitting()) << "the game after the exit would not shut down";
}

ScriptedPlayer::Leftovers ScriptedPlayer::CountHeld()
{
    Leftovers left;
    // Ids are handed out in rising order: a new object's id bounds every
    // object made before it.
    if (ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactoryImpl()) {
        ControlLibrary::IImageVO* probe = factory->CreateImageVO();
        const uint32_t last = probe ? probe->GetId() : 0;
        factory->ReleaseVO(probe);
        for (uint32_t id = 1; id < last; ++id)
            left.objects += factory->FindObject(id) != nullptr ? 1 : 0;
        left.sounds = factory->CountSounds();
    }
    // Time objects: the free entries are counted by taking them all; the
    // factory's own poll holds one.
    if (TimeLibrary::TimeSystem_impl* time = TimeLibrary::GetTimeSystem()) {
        TimeLibrary::TimeObjectMessageObserver silent;
        std::vector<TimeLibrary::ITimeObject*> probes;
        while (TimeLibrary::ITimeObject* probe = time->CreateTimeObject(&silent, 1, 1))
            probes.push_back(probe);
        for (TimeLibrary::ITimeObject* probe : probes)
            time->DestroyTimeObject(probe);
        const size_t entries = TimeLibrary::TimeSystem_impl::kTableSize - 1;
        left.timeObjects = entries - probes.size() - kToolkitTimeObjects;
    }
    if (EffectLibrary::EffectSystem_impl* effects = EffectLibrary::GetEffectSystem())
        left.effects = effects->CountEffects();
    return left;
}

Gamespace::GameImpl& ScriptedPlayer::Game() const
{
    return *game_;
}

KernelLibrary::MainApp& ScriptedPlayer::App() const
{
    return *app_;
}

std::string ScriptedPlayer::ProgramFolder() const
{
    return machine_->ProgramFolder();
}

std::string ScriptedPlayer::DataFolder() const
{
    return machine_->DataFolder();
}

std::string ScriptedPlayer::SaveFolder() const
{
    return machine_->SaveFolder();
}


uint64_t ScriptedPlayer::ClockMicroseconds() const
{
    return platform::GetClock().NowMicroseconds();
}

uint64_t ScriptedPlayer::Now() const
{
    return (ClockMicroseconds() - launchMicros_) / 1000;
}

void ScriptedPlayer::Step()
{
    if (!IsRunning())
        return;
    platform::ManualClock* clock = machine_->Clock();
    const uint64_t before = ClockMicroseconds();
    try {
        Watched([this] { app_->RunLoopStep(nullptr); });
    } catch (const platform::testing::ProcessExit& exit) {
        if (!fatalEndExpected_)
            ADD_FAILURE() << "the program ended the process with code " << exit.code;
        exitCode_ = int(exit.code);
        ended_ = true;
        exitedMidRun_ = app_->GetBridge() != nullptr;
        return;
    }
    if (app_->IsQuitting())
        ended_ = true;
    if (watch_ && !ended_)
        watch_();
    if (!clock)
        return;
    stillSteps_ = ClockMicroseconds() == before ? stillSteps_ + 1 : 0;
    if (stillSteps_ >= kStillSteps) {
        clock->Advance(1000);
        stillSteps_ = 0;
    }
    // The time thread's part: one pass for every 5 ms the loop's sleeps
    // moved the clock, on this thread, in the same order every run. A
    // recorded or played demo's updates make the passes themselves.
    TimeLibrary::TimeSystem_impl* time = TimeLibrary::GetTimeSystem();
    while (time && !app_->DrivesTimeFromUpdates() && ClockMicroseconds() >= nextTickMicros_ && !ended_) {
        time->TickAll();
        nextTickMicros_ += kPassMicros;
    }
}

namespace {

// On the real clock, a still screen lets the program sleep until its next
// work, up to a second: a wait of the player's ends its sleep on time with a
// message, as the player's next input would.
class WakeOnTime {
public:
    WakeOnTime(platform::DWORD thread, uint64_t ms)
        : thread_(thread), waker_([this, ms] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return over_; }))
                  platform::PostThreadMessageA(thread_, platform::WM_NULL, 0, 0);
          })
    {
    }
    ~WakeOnTime()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            over_ = true;
        }
        done_.notify_all();
        waker_.join();
    }

private:
    const platform::DWORD thread_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool over_ = false;
    std::thread waker_;
};

} // namespace

ScriptedPlayer& ScriptedPlayer::Wait(uint64_t ms)
{
    const uint64_t until = Now() + ms;
    Awaiting(std::to_string(ms) + " ms of the program's time to pass", until + (Deadline(kPromptMs) - Now()));
    std::optional<WakeOnTime> wake;
    if (backend_ == Backend::Sdl && IsRunning())
        wake.emplace(platform::GetCurrentThreadId(), ms);
    while (IsRunning() && Now() < until)
        Step();
    return *this;
}

uint64_t ScriptedPlayer::Deadline(uint64_t ms) const
{
    return Now() + (backend_ == Backend::Sdl ? ms * kRealTimeSlack : ms);
}

bool ScriptedPlayer::WaitUntil(const std::function<bool()>& condition, uint64_t deadlineMs, const std::string& what)
{
    const uint64_t deadline = Deadline(deadlineMs);
    Awaiting(what, deadline);
    // The condition is asked again whenever program time has moved on: the
    // loop takes several steps per frame, and nothing changes between them
    // that a frame would not show. A program the step watch ended has let
    // its game go under a walk that did not expect it: the condition, which
    // may look at the game, is not asked of it.
    const auto mayAsk = [this] { return IsRunning() || !endedByTheWatch_; };
    uint64_t askedAt = Now();
    bool met = condition();
    while (IsRunning() && !met && Now() <= deadline) {
        Step();
        if (mayAsk() && Now() != askedAt) {
            askedAt = Now();
            met = condition();
        }
    }
    if (met || (mayAsk() && condition()))
        return true;
    ADD_FAILURE() << "waited in vain " << deadlineMs << " ms for " << what
                  << (IsRunning() ? "" : " (the program has ended)") << "; the screen shows:\n"
                  << DescribeScreen();
    return false;
}

bool ScriptedPlayer::WaitToSee(const Sight& sight, uint64_t deadlineMs)
{
    return WaitUntil([&] { return Sees(sight); }, deadlineMs, "the screen to show " + sight.Describe());
}

bool ScriptedPlayer::WaitForExit(uint64_t deadlineMs)
{
    const uint64_t deadline = Deadline(deadlineMs);
    Awaiting("the program to end", deadline);
    while (IsRunning() && Now() <= deadline)
        Step();
    EXPECT_FALSE(IsRunning()) << "the program did not end; the screen shows:\n" << DescribeScreen();
    return !IsRunning();
}

bool ScriptedPlayer::WaitForOtherThread(const std::function<bool()>& condition, const std::string& what)
{
    if (test_support::WaitUntil(condition))
        return true;
    ADD_FAILURE() << "waited in vain for " << what << " (real time; the program's loop held still)";
    return false;
}

std::optional<Seen> ScriptedPlayer::Require(const Sight& sight, const std::string& action)
{
    std::optional<Seen> seen = Find(sight);
    if (!seen)
        ADD_FAILURE() << "cannot " << action << " " << sight.Describe() << ": the screen shows:\n"
                      << DescribeScreen();
    return seen;
}

void ScriptedPlayer::Settle()
{
    Wait(kSettleMs);
    // On a loaded machine the loop may not have come round to its pump in
    // that time: the input is waited for until the program has taken it
    // all, whatever the time.
    const auto taken = [this] {
        return !platform::testing::InjectedInputPending() && app_->QueuedInputCount() == 0;
    };
    const uint64_t deadline = Deadline(kPromptMs);
    Awaiting("the program to take the input", deadline);
    while (IsRunning() && !taken() && Now() <= deadline)
        Step();
    if (IsRunning() && !taken())
        ADD_FAILURE() << "the program did not take the input within " << kPromptMs << " ms";
}

ScriptedPlayer& ScriptedPlayer::MoveTo(const Sight& sight)
{
    if (std::optional<Seen> seen = Require(sight, "point at")) {
        platform::testing::InjectMouseMove(app_->GetMainWindow(), seen->CentreX(), seen->CentreY());
        Settle();
    }
    return *this;
}

ScriptedPlayer& ScriptedPlayer::Click(const Sight& sight)
{
    if (std::optional<Seen> seen = Require(sight, "click"))
        ClickAt(seen->CentreX(), seen->CentreY(), sight.Describe());
    return *this;
}

ScriptedPlayer& ScriptedPlayer::ClickAt(int32_t x, int32_t y, const std::string& what)
{
    if (!IsRunning())
        return *this;
    const platform::HWND window = app_->GetMainWindow();
    platform::testing::InjectMouseMove(window, x, y);
    Settle();
    platform::testing::InjectMouseButton(window, 1, true, x, y);
    Settle();
    platform::testing::InjectMouseButton(window, 1, false, x, y);
    Settle();
    AfterAction("click " + what);
    return *this;
}

ScriptedPlayer& ScriptedPlayer::Press(int virtualKey)
{
    if (!IsRunning())
        return *this;
    const platform::HWND window = app_->GetMainWindow();
    platform::testing::InjectKey(window, virtualKey, true);
    Settle();
    platform::testing::InjectKey(window, virtualKey, false);
    Settle();
    AfterAction("press " + KeyName(virtualKey));
    return *this;
}

ScriptedPlayer& ScriptedPlayer::Type(const std::string& text)
{
    if (!IsRunning())
        return *this;
    platform::testing::InjectText(app_->GetMainWindow(), text);
    Settle();
    AfterAction("type " + text);
    return *this;
}

ScriptedPlayer& ScriptedPlayer::CloseWindow()
{
    if (!IsRunning())
        return *this;
    platform::testing::InjectWindowEvent(app_->GetMainWindow(), platform::InputEvent::Kind::CloseRequested);
    Settle();
    AfterAction("close the window");
    return *this;
}

void ScriptedPlayer::AfterAction(const std::string& what)
{
    CheckDrawing();
    if (backend_ == Backend::Sdl && IsRunning())
        Screenshot(what);
}

ScriptedPlayer::Picture ScriptedPlayer::FreshPicture()
{
    WaitForFreshPicture();
    testing_support::CapturingPresenter::Frame frame = machine_->Presenter().LastFrame();
    return Picture{frame.width, frame.height, std::move(frame.pixels)};
}

void ScriptedPlayer::WaitForFreshPicture()
{
    // The window shows what the scene is now once the program has painted
    // and presented it: two presents from now on (the first may show what
    // was painted before). The scene is repainted whole before each, so an
    // unchanged screen need not wait for its once-a-second present.
    const testing_support::CapturingPresenter& presenter = machine_->Presenter();
    const int wanted = presenter.FrameCount() + 2;
    const uint64_t deadline = Deadline(kFreshFrameMs);
    Awaiting("a fresh picture of the program", deadline);
    int asked = -1;
    while (IsRunning() && presenter.FrameCount() < wanted && Now() <= deadline) {
        if (presenter.FrameCount() != asked) {
            asked = presenter.FrameCount();
            if (ControlLibrary::IFactory* factory = KernelLibrary::GetFactory())
                factory->InvalidateAll();
        }
        Step();
    }
    if (IsRunning() && presenter.FrameCount() < wanted)
        ADD_FAILURE() << "the program presented no fresh picture within " << kFreshFrameMs << " ms";
}

std::string ScriptedPlayer::Screenshot(const std::string& name)
{
    WaitForFreshPicture();
    const testing_support::CapturingPresenter& presenter = machine_->Presenter();
    std::string file;
    for (char c : name)
        file += std::isalnum(static_cast<unsigned char>(c)) ? c : '-';
    char number[16];
    std::snprintf(number, sizeof number, "%02d-", ++shots_);
    // The test's own file, whatever the walk arranged for the program's.
    platform::testing::ScopedFailuresOff ownFile;
    platform::MakeDirectories(shotFolder_);
    const std::string path = shotFolder_ + "/" + number + file + ".png";
    if (!presenter.SavePng(path)) {
        ADD_FAILURE() << "no picture to save as " << path;
        return std::string();
    }
    return path;
}

void ScriptedPlayer::CheckDrawing()
{
    const std::string output = machine_->Output();
    size_t lineStart = outputChecked_;
    while (lineStart < output.size()) {
        size_t lineEnd = output.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            break;
        const std::string line = output.substr(lineStart, lineEnd - lineStart);
        for (const char* fault : kDrawingFaults)
            if (line.find(fault) != std::string::npos)
                ADD_FAILURE() << "drawing fault: " << line;
        lineStart = lineEnd + 1;
    }
    outputChecked_ = lineStart;
    if (backend_ != Backend::Headless || fatalEndExpected_)
        return;
    const std::vector<platform::testing::RecordedBox> boxes = platform::testing::RecordedBoxes();
    for (size_t i = boxesChecked_; i < boxes.size(); ++i)
        ADD_FAILURE() << "the program showed a " << boxes[i].kind << " \"" << boxes[i].caption
                      << "\": " << boxes[i].text;
    boxesChecked_ = boxes.size();
}

std::vector<platform::testing::RecordedBox> ScriptedPlayer::TakeBoxes()
{
    std::vector<platform::testing::RecordedBox> boxes = platform::testing::RecordedBoxes();
    boxes.erase(boxes.begin(), boxes.begin() + std::ptrdiff_t(std::min(boxesChecked_, boxes.size())));
    boxesChecked_ += boxes.size();
    return boxes;
}

std::optional<uint32_t> ScriptedPlayer::ReadRegistryNumber(const std::string& valueName) const
{
    const auto [keyPath, name] = SplitValueName(valueName);
    platform::HKEY key = nullptr;
    if (platform::RegOpenKeyExA(platform::HKEY_CURRENT_USER, keyPath.c_str(), 0, platform::KEY_READ, &key) !=
        platform::ERROR_SUCCESS)
        return std::nullopt;
    platform::DWORD type = 0;
    uint32_t value = 0;
    platform::DWORD size = sizeof value;
    const platform::LSTATUS status =
        platform::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<platform::BYTE*>(&value), &size);
    platform::RegCloseKey(key);
    if (status != platform::ERROR_SUCCESS || type != platform::REG_DWORD)
        return std::nullopt;
    return value;
}

void ScriptedPlayer::WriteRegistryNumber(const std::string& valueName, uint32_t value)
{
    const auto [keyPath, name] = SplitValueName(valueName);
    platform::HKEY key = nullptr;
    ASSERT_EQ(platform::RegCreateKeyExA(platform::HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0,
                                        platform::KEY_ALL_ACCESS, nullptr, &key, nullptr),
              platform::ERROR_SUCCESS);
    EXPECT_EQ(platform::RegSetValueExA(key, name.c_str(), 0, platform::REG_DWORD,
                                       reinterpret_cast<const platform::BYTE*>(&value), sizeof value),
              platform::ERROR_SUCCESS);
    platform::RegCloseKey(key);
}

} // namespace walk
