// Frames per second and CPU use of the whole program at the table, on the
// real (SDL) back end with the real clock, the time thread and the cursor
// thread running, as a player's program runs:
//   - the start screen left alone (the reference of the run);
//   - a ten-seat no-limit table animating whole hands at the fastest game
//     speed (the human folds at once, every result is closed at once);
//   - the same table waiting for the human to act.
// CPU is the process's CPU time (every thread) per wall second: 1.0 is one
// core kept busy. Frames are the pictures presented to the window. Wake-ups
// are each thread's context switches (voluntary and not) per wall second,
// read from /proc: every one is a time the thread was put back to work.
//
// Run it under an X server, beside the game's archives (bench/table_frames.sh
// does both):
//   bench_table_frames [BUILD_FOLDER] [SECONDS_PER_PHASE (20)]
#include "controls/IButtonVO.h"
#include "game/shell/GameImpl.h"
#include "game/shell/HumanActionDlgImpl.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ProgramInfo.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/table/FinishDlg.h"
#include "game/table/GameMgr.h"
#include "game/table/PlayerHuman.h"
#include "game/table/TableDialogs.h"
#include "kernel/IGameBridge.h"
#include "kernel/Kernel.h"
#include "kernel/MainApp.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/DisplayMachine.h"
#include "platform/ddraw/SdlPresenter.h"
#include "platform/registry/Registry.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Passes every frame on to the window and counts them.
class CountingPresenter final : public platform::ddraw::DisplayPresenter {
public:
    explicit CountingPresenter(std::unique_ptr<platform::ddraw::DisplayPresenter> inner) : inner_(std::move(inner)) {}
    bool GetClientArea(platform::HWND window, platform::RECT& area) override
    {
        return inner_->GetClientArea(window, area);
    }
    void SetFullScreen(platform::HWND window, bool fullScreen, int width, int height) override
    {
        inner_->SetFullScreen(window, fullScreen, width, height);
    }
    void Present(platform::HWND window, const platform::ddraw::SurfaceView& primary, const platform::RECT& source,
                 bool fullScreen) override
    {
        inner_->Present(window, primary, source, fullScreen);
        frames_.fetch_add(1);
    }
    // The program's own ways to the window, counted the same: a frame
    // straight from the draw surface, or only the part of it that changed.
    bool PresentDirect(platform::HWND window, const platform::ddraw::SurfaceView& pixels,
                       const platform::RECT& from, const platform::RECT& area) override
    {
        if (!inner_->PresentDirect(window, pixels, from, area))
            return false;
        frames_.fetch_add(1);
        return true;
    }
    bool PresentDirectPart(platform::HWND window, const platform::ddraw::SurfaceView& pixels,
                           const platform::RECT& from, const platform::RECT& part, const platform::RECT& area) override
    {
        if (!inner_->PresentDirectPart(window, pixels, from, part, area))
            return false;
        frames_.fetch_add(1);
        return true;
    }
    bool ShowAgain(platform::HWND window, const platform::RECT& area) override
    {
        if (!inner_->ShowAgain(window, area))
            return false;
        frames_.fetch_add(1);
        return true;
    }
    bool ReadShown(platform::HWND window, const platform::RECT& area, uint32_t* out) override
    {
        return inner_->ReadShown(window, area, out);
    }
    long Frames() const { return frames_.load(); }

private:
    std::unique_ptr<platform::ddraw::DisplayPresenter> inner_;
    std::atomic<long> frames_{0};
};

// Context switches so far of each thread of this process, by thread id.
struct ThreadSwitches {
    std::string name;
    unsigned long long switches = 0;
};

unsigned long long StatusField(const std::string& status, const std::string& key)
{
    const size_t at = status.find("\n" + key + ":");
    return at == std::string::npos ? 0 : std::stoull(status.substr(at + key.size() + 2));
}

std::map<std::string, ThreadSwitches> ReadThreadSwitches()
{
    std::map<std::string, ThreadSwitches> threads;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::ifstream statusFile(task.path() / "status");
        std::stringstream status;
        status << statusFile.rdbuf();
        ThreadSwitches figures;
        std::getline(comm, figures.name);
        figures.switches = StatusField(status.str(), "voluntary_ctxt_switches") +
                           StatusField(status.str(), "nonvoluntary_ctxt_switches");
        threads[task.path().filename().string()] = figures;
    }
    return threads;
}

struct Sample {
    double wall = 0.0;
    double cpu = 0.0;
    long frames = 0;
    // Wake-ups per thread name over the sample.
    std::map<std::string, unsigned long long> wakeups;
};

class Program {
public:
    Program(CountingPresenter& presenter) : presenter_(presenter) {}

    bool Launch()
    {
        game_ = Gamespace::CreateGameObject();
        if (!game_ || !KernelLibrary::StartKernel(nullptr, game_.get(), true))
            return false;
        app_ = KernelLibrary::GetApplication();
        // What Run does before its loop, the cursor thread included.
        app_->BeginRun(true);
        return RunUntil([&] { return app_->GetBridge() && app_->GetBridge()->IsStarted(); }, 20.0);
    }
    void End()
    {
        if (!app_)
            return;
        static_cast<KernelLibrary::ISysApp*>(app_)->Quit();
        RunUntil([&] { return app_->IsQuitting(); }, 10.0);
        app_->EndRun();
        KernelLibrary::ShutdownKernel(nullptr);
        game_.reset();
        app_ = nullptr;
    }

    // Runs the program's loop until `done` holds or `seconds` pass.
    bool RunUntil(const std::function<bool()>& done, double seconds)
    {
        const Clock::time_point until =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        while (!done()) {
            if (Clock::now() > until || app_->IsQuitting())
                return false;
            app_->RunLoopStep(nullptr);
        }
        return true;
    }
    // Runs the loop for `seconds`, doing `each` after every step; what it cost.
    Sample Measure(double seconds, const std::function<void()>& each)
    {
        const long frames = presenter_.Frames();
        const std::map<std::string, ThreadSwitches> switches = ReadThreadSwitches();
        const std::clock_t cpu = std::clock();
        const Clock::time_point start = Clock::now();
        RunUntil(
            [&] {
                each();
                return false;
            },
            seconds);
        Sample sample;
        sample.wall = std::chrono::duration<double>(Clock::now() - start).count();
        sample.cpu = double(std::clock() - cpu) / CLOCKS_PER_SEC;
        sample.frames = presenter_.Frames() - frames;
        for (const auto& [tid, now] : ReadThreadSwitches()) {
            const auto then = switches.find(tid);
            sample.wakeups[now.name] += now.switches - (then == switches.end() ? 0 : then->second.switches);
        }
        return sample;
    }

    Gamespace::GameImpl& Game() { return *game_; }
    Gamespace::GameMgr& Table() { return *game_->GetGameMgr(); }

private:
    CountingPresenter& presenter_;
    std::unique_ptr<Gamespace::GameImpl> game_;
    KernelLibrary::MainApp* app_ = nullptr;
};

void WriteSpeedOption(uint32_t speed)
{
    const std::string key = std::string("SOFTWARE\\") + Gamespace::kRegistryKey + "\\Options";
    platform::HKEY handle = nullptr;
    if (platform::RegCreateKeyExA(platform::HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, platform::KEY_ALL_ACCESS,
                                  nullptr, &handle, nullptr) != platform::ERROR_SUCCESS)
        return;
    platform::RegSetValueExA(handle, "Speed", 0, platform::REG_DWORD, reinterpret_cast<const platform::BYTE*>(&speed),
                             sizeof speed);
    platform::RegCloseKey(handle);
}

// A program folder of its own beside the build's archives.
std::string MakeProgramFolder(const std::filesystem::path& build)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "pellucor-table-frames";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "save");
    for (const char* archive : {"main.pak", "data.pak"})
        std::filesystem::create_symlink(std::filesystem::absolute(build / archive), folder / archive);
    return folder.string();
}

bool HumansTurn(Gamespace::GameMgr& table)
{
    Gamespace::PlayerHuman* human = table.GetHumanPlayer();
    auto* strip = human ? dynamic_cast<Gamespace::HumanActionDlgImpl*>(&human->GetActionDialog()) : nullptr;
    return strip && strip->Button(Gamespace::kHumanFold)->IsEnabled();
}

// What a patient player does between hands: closes the dealer draw and the
// hand result at once.
void CloseWhatIsShown(Gamespace::GameMgr& table)
{
    for (Gamespace::BaseDialog* dialog : {static_cast<Gamespace::BaseDialog*>(table.GetDealerSelectDlg()),
                                          static_cast<Gamespace::BaseDialog*>(table.GetFinishDlg())})
        if (dialog->IsVisible())
            dialog->Show(false);
}

void Report(const char* what, const Sample& sample, const Sample* reference)
{
    const double cpu = sample.cpu / sample.wall;
    std::printf("%-34s %7.1f frames/s  %8.4f CPU s per s (%6.2f%% of a core)", what, sample.frames / sample.wall, cpu,
                100.0 * cpu);
    if (reference && reference->cpu > 0.0)
        std::printf("  %6.2f x the idle start screen", cpu / (reference->cpu / reference->wall));
    std::printf("\n");
    double total = 0.0;
    for (const auto& [name, wakes] : sample.wakeups)
        total += double(wakes) / sample.wall;
    std::printf("%-34s %7.1f wake-ups/s:", "", total);
    for (const auto& [name, wakes] : sample.wakeups)
        if (wakes > 0)
            std::printf("  %s %.1f", name.c_str(), double(wakes) / sample.wall);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    platform::SetCommandLineArguments(argc, argv);
    platform::UseHeadlessBackend(false);
    const std::filesystem::path build =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::absolute(argv[0]).parent_path().parent_path();
    const double seconds = argc > 2 ? std::atof(argv[2]) : 20.0;
    if (!std::filesystem::exists(build / "data.pak")) {
        std::fprintf(stderr, "no data.pak in %s: build the game first, or name the build folder\n",
                     build.string().c_str());
        return 2;
    }
    const std::string folder = MakeProgramFolder(build);
    const char* arguments[] = {"pellucor", nullptr};
    const std::string changeDir = "-changedir=" + folder;
    arguments[1] = changeDir.c_str();
    platform::SetCommandLineArguments(2, arguments);
    WriteSpeedOption(10);

    auto counting = std::make_unique<CountingPresenter>(
        std::make_unique<platform::ddraw::SdlPresenter>(nullptr, KernelLibrary::MainApp::kWidth,
                                                        KernelLibrary::MainApp::kHeight));
    CountingPresenter& presenter = *counting;
    platform::ddraw::DisplayMachine::Instance().InstallPresenter(std::move(counting));

    Program program(presenter);
    if (!program.Launch()) {
        std::fprintf(stderr, "the program did not start (is there an X server?)\n");
        return 1;
    }
    program.Measure(2.0, [] {}); // start-up is not idle time
    const Sample idle = program.Measure(seconds, [] {});

    // A ten-seat no-limit table, the stages dealt without announcements.
    Profile* profile = ProfileList::CurrentProfile();
    profile->name = "Bench";
    profile->gameType = kGameNoLimit;
    profile->noLimit = TableChoice{2, 10};
    profile->announceStages = 0;
    program.Game().OnModuleDone(Gamespace::StartMgr::kModuleId);
    program.Game().GetSetupRulesMgr().OnSetupDone(0);
    Gamespace::GameMgr& table = program.Table();

    // Whole hands: the human folds when his turn comes.
    const uint64_t handsBefore = table.GetHandsShownDown();
    const Sample animating = program.Measure(seconds, [&] {
        CloseWhatIsShown(table);
        if (HumansTurn(table))
            table.GetHumanPlayer()->PerformHumanAction(Gamespace::kHumanFold, 0.0);
    });
    const uint64_t hands = table.GetHandsShownDown() - handsBefore;

    // The human's turn, left waiting.
    program.RunUntil(
        [&] {
            CloseWhatIsShown(table);
            return HumansTurn(table);
        },
        60.0);
    const Sample waiting = program.Measure(seconds, [] {});
    const bool stillWaiting = HumansTurn(table);
    program.End();

    std::printf("game speed 10, %.0f s per phase\n", seconds);
    Report("start screen, left alone", idle, nullptr);
    Report("table animating hands", animating, &idle);
    std::printf("%-34s %llu hands shown down\n", "", static_cast<unsigned long long>(hands));
    Report("table waiting for the human", waiting, &idle);
    if (!stillWaiting)
        std::printf("(the human's turn ended while it was measured: the figures are not of a waiting table)\n");
    std::filesystem::remove_all(folder);
    return 0;
}
