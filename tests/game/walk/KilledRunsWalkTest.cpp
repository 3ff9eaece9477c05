// The program killed (SIGKILL) at random moments of a tournament played at
// the fastest speed, and started again each time: after every restart the
// player's profile is whole and holds every hand that was finished before
// the kill; at most the hand in play is lost.
//
// The test runs the game in processes of its own (the helper program
// tests/programs/KilledRunChild.cpp on a machine folder it is given); each
// reports on a pipe every program step, every hand paid out and every new
// content of the profile file with the number of hands paid out when it
// appeared. After the kill the file's content names the hands it holds.
//
// ./check plays some 24 hands (6 in the sanitizers' build, where a hand
// costs five times the time, and what the kills test is the file layer's
// renames, not memory); bench/killed_runs.sh plays 300 and more
// (PELLUCOR_KILLED_RUN_HANDS, PELLUCOR_KILLED_RUN_SEED).
#include "game/shell/Profile.h"
#include "game/shell/ProfileFile.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "tests/game/walk/KilledRun.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using killed_run::Fingerprint;
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
#else
constexpr int kHandsInTheSuite = 24;
#endif

int NumberFromEnvironment(const char* name, int otherwise)
{
    const std::optional<std::string> value = platform::GetEnvironmentVariable(name);
    return value && !value->empty() ? std::stoi(*value) : otherwise;
}

// One run of the game in a process of its own, and what it reported.
class KilledRun {
public:
    explicit KilledRun(const std::string& machine)
    {
        int pipeEnds[2];
        EXPECT_EQ(pipe(pipeEnds), 0);
        const std::string child = PELLUCOR_KILLED_RUN_CHILD;
        const std::string log = machine + "/run.log";
        char* argv[] = {const_cast<char*>(child.c_str()), const_cast<char*>(machine.c_str()), nullptr};
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
            execv(child.c_str(), argv);
            _exit(127);
        }
        close(pipeEnds[1]);
        from_ = pipeEnds[0];
    }
    ~KilledRun()
    {
        Kill();
        close(from_);
    }
    KilledRun(const KilledRun&) = delete;
    KilledRun& operator=(const KilledRun&) = delete;

    // Reads the reports until `steps` steps were reported; false when the
    // run ended or fell silent first.
    bool RunSteps(int steps)
    {
        while (steps_ < steps) {
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
            } else if (what == "saved") {
                std::string fingerprint;
                uint64_t paid = 0;
                words >> fingerprint >> paid;
                saves_.push_back({fingerprint, paid});
            }
        }
        return true;
    }
    void Kill()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }

    // Hands paid out that the run reported.
    uint64_t Paid() const { return paid_; }
    // The hands paid out when the file last held `fingerprint`; nothing
    // when the run never reported it.
    std::optional<uint64_t> PaidWhenSaved(const std::string& fingerprint) const
    {
        for (auto save = saves_.rbegin(); save != saves_.rend(); ++save)
            if (save->first == fingerprint)
                return save->second;
        return std::nullopt;
    }

private:
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
    std::vector<std::pair<std::string, uint64_t>> saves_;
};

} // namespace

TEST(KilledRuns, EveryRestartFindsThePlayerWholeWithEveryFinishedHand)
{
    if (!platform::IsHeadless())
        GTEST_SKIP() << "its moments are the steps of headless runs";
    const int hands = NumberFromEnvironment("PELLUCOR_KILLED_RUN_HANDS", kHandsInTheSuite);
    std::mt19937 random(uint32_t(NumberFromEnvironment("PELLUCOR_KILLED_RUN_SEED", 7)));
    platform::testing::ScopedTempFolder machine;
    const std::string path = ProfilePathIn(machine.Path());
    {
        // Ann, the player of an earlier run, sits at no table yet.
        Profile ann = walk::KnownPlayer("Ann");
        ASSERT_TRUE(platform::MakeDirectories(path.substr(0, path.rfind('/'))));
        SetProfileFolder(path.substr(0, path.rfind('/') + 1));
        ASSERT_TRUE(SaveProfile(ann));
        SetProfileFolder("save/");
    }

    uint64_t played = 0;
    int kills = 0;
    int unreported = 0;
    uint64_t mostLost = 0;
    while (played < uint64_t(hands)) {
        std::string before;
        ASSERT_TRUE(platform::ReadWholeFile(path, &before));
        KilledRun run(machine.Path());
        // Anywhere from the sitting down to some six hands later (a hand
        // takes some 350 steps at the fastest speed).
        const int steps = std::uniform_int_distribution<int>(1, 2000)(random);
        const bool ran = run.RunSteps(steps);
        run.Kill();
        if (!ran) {
            std::string log;
            platform::ReadWholeFile(machine / "run.log", &log);
            FAIL() << "the run ended or hung before it was killed:\n" << log.substr(log.size() > 4000 ? log.size() - 4000 : 0);
        }
        ++kills;

        std::string after;
        ASSERT_TRUE(platform::ReadWholeFile(path, &after)) << "the profile is gone after kill " << kills;
        Profile loaded;
        std::string problems;
        ASSERT_TRUE(LoadProfile(loaded, path, &problems)) << problems;
        EXPECT_EQ(problems, "") << "the profile is not whole after kill " << kills;
        const std::optional<uint64_t> held = after == before ? std::optional<uint64_t>(0)
                                                             : run.PaidWhenSaved(Fingerprint(after));
        // A save the run made in the step it was killed in holds every hand
        // it reported, and more.
        if (!held)
            ++unreported;
        const uint64_t lost = held && run.Paid() > *held ? run.Paid() - *held : 0;
        EXPECT_EQ(lost, 0u) << "hands finished and lost at kill " << kills << " (" << run.Paid()
                            << " paid out, the file holds " << held.value_or(0) << ")";
        mostLost = std::max(mostLost, lost);
        played += run.Paid();
    }
    std::printf("%d runs killed at random moments over %llu hands paid out: at most %llu finished hands lost "
                "(beside the hand in play); %d kills came in the step of a save\n",
                kills, static_cast<unsigned long long>(played), static_cast<unsigned long long>(mostLost),
                unreported);
}
