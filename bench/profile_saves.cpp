// What keeping the player's profile after every hand costs: the bytes one
// save writes and the time it takes (the whole file written to a temporary
// file beside it, flushed to the disk and renamed over it), for a profile
// with a tournament of ten players in progress, set against the time a hand
// takes at the fastest game speed.
//
// BM_SaveAfterEveryHand reports "bytes" (per save) and "share_of_a_hand":
// the time of a save over the program time of an average hand at speed 10
// (measured first on the manual clock, hands of a ten-seat tournament).
// The saves go to $PELLUCOR_BENCH_FOLDER when it is set (to measure the disk
// the player's data folder is on), else to a folder in the system's
// temporary folder.
//
// The scripted shell, the virtual time system and the table harness of the
// test suite are compiled in here: a benchmark links only the program's own
// libraries.
#include "tests/support/ScriptedShell.cpp"
#include "tests/support/TableHarness.cpp"
#include "tests/support/VirtualTimeSystem.cpp"

#include "game/shell/Profile.h"
#include "game/shell/ProfileFile.h"
#include "game/table/HumanActionMessageObserver.h"
#include "platform/core/Clock.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

// Program seconds per hand of a ten-seat tournament at speed 10, whose human
// checks or folds.
double SecondsPerHand()
{
    testing_support::TableHarness harness(5);
    harness.shell.logging = false;
    harness.shell.speed = 10;
    harness.restartWhenDone = false;
    harness.humanPolicy = [](Gamespace::HumanActionMessageObserver& human) {
        human.PerformHumanAction(human.GetCurrentBet() > human.GetBet() ? Gamespace::kHumanFold
                                                                        : Gamespace::kHumanCheck,
                                 0);
    };
    harness.UseTournament(3, 10);
    harness.Start();
    const uint64_t start = harness.clock.NowMicroseconds();
    constexpr uint64_t kHands = 40;
    harness.RunUntil([&] { return harness.table->GetHandsShownDown() >= kHands; });
    return double(harness.clock.NowMicroseconds() - start) / 1e6 / double(harness.table->GetHandsShownDown());
}

void BM_SaveAfterEveryHand(benchmark::State& state)
{
    const double handSeconds = SecondsPerHand();
    const char* chosen = std::getenv("PELLUCOR_BENCH_FOLDER");
    const std::filesystem::path folder =
        (chosen ? std::filesystem::path(chosen) : std::filesystem::temp_directory_path()) /
        ("pellucor-save-bench-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    SetProfileFolder(folder.string() + "/");
    Profile ann;
    ann.name = "Ann";
    ann.active = 1;
    testing_support::AddFreshTournament(ann, 3, 10);

    const auto begin = std::chrono::steady_clock::now();
    for (auto _ : state) {
        ann.savedGames[0]->levelTimeLeft = static_cast<uint16_t>(state.iterations());
        if (!SaveProfile(ann)) {
            state.SkipWithError("the profile could not be saved");
            break;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const double perSave = seconds / double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["bytes"] = double(std::filesystem::file_size(folder / "Ann_.usr"));
    state.counters["hand_seconds"] = handSeconds;
    state.counters["share_of_a_hand"] = perSave / handSeconds;
    SetProfileFolder("save/");
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SaveAfterEveryHand)->Unit(benchmark::kMicrosecond);

} // namespace
