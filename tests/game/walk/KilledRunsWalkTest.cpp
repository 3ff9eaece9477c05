// The program killed (SIGKILL) at random moments of a tournament played at
// the fastest speed, and started again each time: after every restart the
// player's profile is whole and holds every hand that was finished before
// the kill; at most the hand in play is lost.
//
// The test runs the game in processes of its own (the helper program
// tests/programs/KilledRunChild.cpp on a machine folder it is given); each
// reports on a pipe every program step, every hand paid out and every
// new content of the profile file with the number of hands paid out when it
// appeared. After the kill the file's content names the hands it holds.
//
// ./check plays some 24 hands (6 in the sanitizers' build, where a hand
// costs five times the time, and what the kills test is the file layer's
// renames, not memory); bench/killed_runs.sh plays 300 and more
// (PELLUCOR_KILLED_RUN_HANDS, PELLUCOR_KILLED_RUN_SEED).
//
// A second walk kills each tournament of the catalogue in the first hand of
// a new game, then again once the resumed game has paid its first hand:
// the resume is at level 1 with the level's whole time, and no finished
// hand is lost (PELLUCOR_KILLED_RUN_FIRST_HANDS new games; 9 in ./check).
//
// A third kills runs right after the player changed an option on the start
// screen (the helper program's "chooses", which reports every option it
// clicks and the options the program then holds): every option
// chosen before the kill is in the settings file
// (PELLUCOR_KILLED_RUN_OPTION_KILLS runs; 12 in ./check).
#include "game/shell/Options.h"
#include "game/shell/Profile.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ProgramInfo.h"
#include "game/shell/TournamentEntry.h"
#include "game/table/Tournament.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/registry/RegistryFile.h"
#include "tests/game/walk/KilledRun.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using killed_run::Fingerprint;
using killed_run::kOptionValues;
using killed_run::OptionsText;
using killed_run::ProfilePathIn;

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELLUCOR_KILLED_RUNS_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PELLUCOR_KILLED_RUNS_SANITIZED 1
#endif
#ifdef PELLUCOR_KILLED_RUNS_SANITIZED
constexpr int kHandsInTheSuite = 6;
constexpr int kNewGamesInTheSuite = 3;
#else
constexpr int kHandsInTheSuite = 24;
constexpr int kNewGamesInTheSuite = 9;
#endif
constexpr int kOptionKillsInTheSuite = 12;

int NumberFromEnvironment(const char* name, int otherwise)
{
    const std::optional<std::string> value = platform::GetEnvironmentVariable(name);
    return value && !value->empty() ? std::stoi(*value) : otherwise;
}

// One run of the game in a process of its own, and what it reported.
class KilledRun {
public:
    // A run that plays. `tournamentId` 0: the harness's long game, resumed
    // where there is one.
    explicit KilledRun(const std::string& machine, uint16_t tournamentId = 0, bool newGame = false)
    {
        Start(machine, {killed_run::kPlays, machine, std::to_string(tournamentId), newGame ? "1" : "0"});
    }
    // A run that chooses options, drawing its clicks from `seed`.
    KilledRun(const std::string& machine, uint32_t seed)
    {
        Start(machine, {killed_run::kChooses, machine, std::to_string(seed)});
    }
    ~KilledRun()
    {
        Kill();
        close(from_);
    }
    KilledRun(const KilledRun&) = delete;
    KilledRun& operator=(const KilledRun&) = delete;

    // Reads the reports until `steps` steps were reported (or, when
    // `untilPaid`, a hand was paid out); false when the run ended or fell
    // silent first.
    bool RunSteps(int steps, bool untilPaid = false)
    {
        return RunUntil([&] { return steps_ >= steps || (untilPaid && paid_ > 0); });
    }
    // The same until `choices` options were chosen.
    bool RunChoices(int choices)
    {
        return RunUntil([&] { return choices_ >= choices; });
    }
    // Kills the run, then reads what it reported up to its end: the run
    // goes on while the reports wait in the pipe, and on a busy machine it
    // may be many steps (a click, a save) past the last one read when the
    // kill comes. What the run had done is then known whatever the speed of
    // either process.
    void Kill()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        RunUntil([] { return false; });
    }

    int Steps() const { return steps_; }
    // Hands paid out that the run reported.
    uint64_t Paid() const { return paid_; }
    // The level and its seconds left when the run sat down at the table.
    uint32_t SeatedLevel() const { return seatedLevel_; }
    uint32_t SeatedSecondsLeft() const { return seatedSecondsLeft_; }
    // The level the run's first hand paid out was played at (0: none).
    uint32_t FirstPaidLevel() const { return firstPaidLevel_; }
    // The hands paid out when the file last held `fingerprint`; nothing
    // when the run never reported it.
    std::optional<uint64_t> PaidWhenSaved(const std::string& fingerprint) const
    {
        for (auto save = saves_.rbegin(); save != saves_.rend(); ++save)
            if (save->first == fingerprint)
                return save->second;
        return std::nullopt;
    }
    // The options the run held after its last click ("" before any), and
    // the option of a click it began and did not finish ("" when none).
    const std::string& LastChoice() const { return lastChoice_; }
    const std::string& Clicking() const { return clicking_; }

private:
    // Starts the helper program with `arguments` (after its own name).
    void Start(const std::string& machine, std::vector<std::string> arguments)
    {
        int pipeEnds[2];
        EXPECT_EQ(pipe(pipeEnds), 0);
        std::string child = PELLUCOR_KILLED_RUN_CHILD;
        const std::string log = machine + "/run.log";
        std::vector<char*> argv{child.data()};
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            // The report's end is moved to its place first, out of the way
            // of what the other descriptors become.
            close(pipeEnds[0]);
            const int report = fcntl(pipeEnds[1], F_DUPFD, 10);
            const int output = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(output, 1);
            dup2(output, 2);
            dup2(report, killed_run::kReportDescriptor);
            execv(child.c_str(), argv.data());
            _exit(127);
        }
        close(pipeEnds[1]);
        from_ = pipeEnds[0];
    }

    bool RunUntil(const std::function<bool()>& done)
    {
        while (!done()) {
            std::string line;
            if (!ReadLine(line))
                return false;
            std::istringstream words(line);
            std::string what;
            words >> what;
            if (what == "step") {
                ++steps_;
            } else if (what == "hand") {
                words >> paid_;
                if (firstPaidLevel_ == 0)
                    words >> firstPaidLevel_;
            } else if (what == "seated") {
                words >> seatedLevel_ >> seatedSecondsLeft_;
            } else if (what == "saved") {
                std::string fingerprint;
                uint64_t paid = 0;
                words >> fingerprint >> paid;
                saves_.push_back({fingerprint, paid});
            } else if (what == "click") {
                words >> clicking_;
            } else if (what == "chose") {
                std::getline(words >> std::ws, lastChoice_);
                clicking_.clear();
                ++choices_;
            }
        }
        return true;
    }

    bool ReadLine(std::string& line)
    {
        for (;;) {
            const size_t end = pending_.find('\n');
            if (end != std::string::npos) {
                line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                return true;
            }
            // A deadline for a run that hangs, not a pause: the run reports
            // many times a second.
            pollfd wait{from_, POLLIN, 0};
            if (poll(&wait, 1, 120'000) <= 0)
                return false;
            char buffer[4096];
            const ssize_t got = read(from_, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            pending_.append(buffer, size_t(got));
        }
    }

    pid_t pid_ = -1;
    int from_ = -1;
    std::string pending_;
    int steps_ = 0;
    uint64_t paid_ = 0;
    uint32_t seatedLevel_ = 0;
    uint32_t seatedSecondsLeft_ = 0;
    uint32_t firstPaidLevel_ = 0;
    std::vector<std::pair<std::string, uint64_t>> saves_;
    int choices_ = 0;
    std::string lastChoice_;
    std::string clicking_;
};

} // namespace

namespace {

// The machine folder of a killed-runs walk, with Ann, the player of an
// earlier run, sitting at no table yet.
std::string PutAnnOnTheMachine(const std::string& machine)
{
    const std::string path = ProfilePathIn(machine);
    Profile ann = walk::KnownPlayer("Ann");
    EXPECT_TRUE(platform::MakeDirectories(path.substr(0, path.rfind('/'))));
    SetProfileFolder(path.substr(0, path.rfind('/') + 1));
    EXPECT_TRUE(SaveProfile(ann));
    SetProfileFolder("save/");
    return path;
}

// What a kill left, against the profile file as the run found it.
struct AfterTheKill {
    uint64_t lost = 0;          // finished hands the file does not hold
    bool inASavesStep = false;  // the last save came in the step of the kill
};

// What a run that was killed left: the end of its log.
std::string LogOf(const std::string& machine)
{
    std::string log;
    platform::ReadWholeFile(machine + "/run.log", &log);
    return log.substr(log.size() > 4000 ? log.size() - 4000 : 0);
}

// Runs `run` for `steps` steps (or to its first hand paid out, when
// `untilPaid`), kills it, and checks that the profile is whole and holds
// every hand the run finished.
AfterTheKill KillAndLook(KilledRun& run, int steps, bool untilPaid, const std::string& machine,
                         const std::string& before, int kill)
{
    AfterTheKill result;
    const bool ran = run.RunSteps(steps, untilPaid);
    run.Kill();
    if (!ran) {
        ADD_FAILURE() << "the run ended or hung before it was killed:\n" << LogOf(machine);
        return result;
    }
    const std::string path = ProfilePathIn(machine);
    std::string after;
    EXPECT_TRUE(platform::ReadWholeFile(path, &after)) << "the profile is gone after kill " << kill;
    Profile loaded;
    std::string problems;
    EXPECT_TRUE(LoadProfile(loaded, path, &problems)) << problems;
    EXPECT_EQ(problems, "") << "the profile is not whole after kill " << kill;
    const std::optional<uint64_t> held =
        after == before ? std::optional<uint64_t>(0) : run.PaidWhenSaved(Fingerprint(after));
    // A save the run made in the step it was killed in holds every hand
    // it reported, and more.
    result.inASavesStep = !held;
    result.lost = held && run.Paid() > *held ? run.Paid() - *held : 0;
    EXPECT_EQ(result.lost, 0u) << "hands finished and lost at kill " << kill << " (" << run.Paid()
                               << " paid out, the file holds " << held.value_or(0) << ")";
    return result;
}

std::string FileNow(const std::string& path)
{
    std::string bytes;
    EXPECT_TRUE(platform::ReadWholeFile(path, &bytes));
    return bytes;
}

// The options as the settings file on the machine holds them (the program's
// defaults for those it does not hold), in the form of OptionsText; false
// when the file is not whole.
bool StoredOptions(const std::string& machine, std::string& options)
{
    std::string text;
    platform::registry::Key root;
    std::string error;
    if (platform::ReadWholeFile(machine + "/config/pellucor/registry.txt", &text) &&
        !platform::registry::Parse(text, &root, &error)) {
        ADD_FAILURE() << "the settings file is damaged: " << error;
        return false;
    }
    const platform::registry::Key* key = &root;
    const std::string path = std::string("SOFTWARE\\") + Gamespace::kRegistryKey + "\\Options";
    for (size_t start = 0; key && start <= path.size();) {
        const size_t end = std::min(path.find('\\', start), path.size());
        const auto sub = key->subKeys.find(path.substr(start, end - start));
        key = sub == key->subKeys.end() ? nullptr : sub->second.get();
        start = end + 1;
    }
    uint32_t values[] = {Gamespace::kDefaultSoundVolume, Gamespace::kDefaultSoundEffVolume,
                         Gamespace::kDefaultGameSpeed, 0};
    for (size_t i = 0; key && i < std::size(values); ++i)
        if (const auto value = key->values.find(kOptionValues[i]);
            value != key->values.end() && value->second.data.size() == sizeof values[i])
            std::memcpy(&values[i], value->second.data.data(), sizeof values[i]);
    options = OptionsText(values[0], values[1], values[2], values[3]);
    return true;
}

} // namespace

TEST(KilledRuns, EveryRestartFindsThePlayerWholeWithEveryFinishedHand)
{
    if (!platform::IsHeadless())
        GTEST_SKIP() << "its moments are the steps of headless runs";
    const int hands = NumberFromEnvironment("PELLUCOR_KILLED_RUN_HANDS", kHandsInTheSuite);
    std::mt19937 random(uint32_t(NumberFromEnvironment("PELLUCOR_KILLED_RUN_SEED", 7)));
    platform::testing::ScopedTempFolder machine;
    const std::string path = PutAnnOnTheMachine(machine.Path());
    ASSERT_FALSE(::testing::Test::HasFailure());

    uint64_t played = 0;
    int kills = 0;
    int unreported = 0;
    uint64_t mostLost = 0;
    while (played < uint64_t(hands)) {
        const std::string before = FileNow(path);
        KilledRun run(machine.Path());
        // Anywhere from the sitting down to some six hands later (a hand
        // takes some 350 steps at the fastest speed).
        const int steps = std::uniform_int_distribution<int>(1, 2000)(random);
        const AfterTheKill after = KillAndLook(run, steps, false, machine.Path(), before, ++kills);
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        if (::testing::Test::HasFailure())
            break;
        unreported += after.inASavesStep ? 1 : 0;
        mostLost = std::max(mostLost, after.lost);
        played += run.Paid();
    }
    std::printf("%d runs killed at random moments over %llu hands paid out: at most %llu finished hands lost "
                "(beside the hand in play); %d kills came in the step of a save\n",
                kills, static_cast<unsigned long long>(played), static_cast<unsigned long long>(mostLost),
                unreported);
}

TEST(KilledRuns, ANewTournamentKilledInItsFirstHandResumesAtItsWholeFirstLevel)
{
    if (!platform::IsHeadless())
        GTEST_SKIP() << "its moments are the steps of headless runs";
    const int games = NumberFromEnvironment("PELLUCOR_KILLED_RUN_FIRST_HANDS", kNewGamesInTheSuite);
    std::mt19937 random(uint32_t(NumberFromEnvironment("PELLUCOR_KILLED_RUN_SEED", 7)));
    platform::testing::ScopedTempFolder machine;
    const std::string path = PutAnnOnTheMachine(machine.Path());
    ASSERT_FALSE(::testing::Test::HasFailure());
    std::vector<Tournament> catalogue;
    GetTournamentCatalogue(catalogue);
    ASSERT_FALSE(catalogue.empty());

    int kills = 0;
    int entered = 0;
    int inTheFirstHand = 0;
    uint64_t mostLost = 0;
    for (int game = 0; game < games && !::testing::Test::HasFailure(); ++game, ++entered) {
        const Tournament& record = catalogue[size_t(game) % catalogue.size()];
        const uint16_t id = uint16_t(record.id);
        // Killed anywhere from the entry to the first hand's payout (the
        // draw for the button and the first hand take 450 steps and more).
        bool killedInTheFirstHand = false;
        {
            const std::string before = FileNow(path);
            KilledRun run(machine.Path(), id, true);
            const int steps = std::uniform_int_distribution<int>(1, 450)(random);
            const AfterTheKill after = KillAndLook(run, steps, true, machine.Path(), before, ++kills);
            mostLost = std::max(mostLost, after.lost);
            if (::testing::Test::HasFailure())
                break;
            killedInTheFirstHand = run.Paid() == 0;
            inTheFirstHand += killedInTheFirstHand ? 1 : 0;
        }
        // Sat at again: level 1, with the whole level when nothing of it was
        // kept played, else what the first hand left; killed once it has
        // paid its first hand out.
        const std::string before = FileNow(path);
        KilledRun resumed(machine.Path(), id, false);
        const AfterTheKill after = KillAndLook(resumed, 100'000, true, machine.Path(), before, ++kills);
        mostLost = std::max(mostLost, after.lost);
        EXPECT_EQ(resumed.SeatedLevel(), 1u) << record.name;
        if (killedInTheFirstHand) {
            EXPECT_EQ(resumed.SeatedSecondsLeft(), record.levelTime) << record.name;
        } else {
            EXPECT_LT(resumed.SeatedSecondsLeft(), record.levelTime) << record.name;
            EXPECT_GT(resumed.SeatedSecondsLeft(), 0u) << record.name;
        }
        EXPECT_EQ(resumed.FirstPaidLevel(), 1u) << record.name << ": the first hand back was not played at level 1";
    }
    ASSERT_GT(inTheFirstHand, 0) << "no kill came in a first hand";
    std::printf("%d new tournaments killed (%d in their first hand, the others as it was paid out), and again "
                "after the first hand back: at most %llu finished hands lost\n",
                entered, inTheFirstHand, static_cast<unsigned long long>(mostLost));
}

TEST(KilledRuns, EveryOptionChosenBeforeAKillIsInTheSettingsFile)
{
    if (!platform::IsHeadless())
        GTEST_SKIP() << "its moments are the steps of headless runs";
    const int kills = NumberFromEnvironment("PELLUCOR_KILLED_RUN_OPTION_KILLS", kOptionKillsInTheSuite);
    std::mt19937 random(uint32_t(NumberFromEnvironment("PELLUCOR_KILLED_RUN_SEED", 7)));
    platform::testing::ScopedTempFolder machine;
    PutAnnOnTheMachine(machine.Path());
    ASSERT_FALSE(::testing::Test::HasFailure());
    int lost = 0;
    int inTheClick = 0;
    int choices = 0;
    for (int kill = 1; kill <= kills; ++kill) {
        KilledRun run(machine.Path(), uint32_t(random() % 1'000'000'000));
        // Right after a choice: as it is told, or a step or two later.
        const int chosen = std::uniform_int_distribution<int>(1, 6)(random);
        bool ran = run.RunChoices(chosen);
        ran = ran && run.RunSteps(run.Steps() + std::uniform_int_distribution<int>(0, 2)(random));
        run.Kill();
        if (!ran)
            FAIL() << "the run ended or hung before it was killed:\n" << LogOf(machine.Path());
        choices += chosen;
        std::string stored;
        ASSERT_TRUE(StoredOptions(machine.Path(), stored)) << "kill " << kill;
        if (stored == run.LastChoice())
            continue;
        // Killed in the middle of the next click: that option may already
        // be kept; the others must be as chosen.
        const auto clicking = std::find_if(std::begin(kOptionValues), std::end(kOptionValues),
                                           [&](const char* name) { return run.Clicking() == name; });
        std::istringstream storedWords(stored), chosenWords(run.LastChoice());
        bool othersKept = clicking != std::end(kOptionValues);
        for (const char* const& option : kOptionValues) {
            std::string kept, chose;
            storedWords >> kept;
            chosenWords >> chose;
            othersKept = othersKept && (&option == clicking || kept == chose);
        }
        if (othersKept) {
            ++inTheClick;
            continue;
        }
        ++lost;
        ADD_FAILURE() << "kill " << kill << ": chosen " << run.LastChoice() << ", kept " << stored;
    }
    EXPECT_EQ(lost, 0);
    std::printf("%d runs killed right after %d options chosen: %d choices lost; %d kills came in the step of "
                "a click that was kept\n",
                kills, choices, lost, inTheClick);
}
