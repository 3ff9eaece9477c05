#include "platform/core/Process.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Clock.h"
#include "platform/core/DescendantProcesses.h"
#include "platform/core/Testing.h"
#include "tests/support/PlatformTesting.h"
#include "tests/platform/core/WaitingProcesses.h"
#include "tests/support/WaitUntil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <pwd.h>
#include <unistd.h>

using namespace platform;
using platform::testing::Gone;
using platform::testing::ListedPids;
using platform::testing::ReadTestFile;
using platform::testing::StartWaitingChild;
using platform::testing::ScopedTempFolder;

namespace {
// Sets environment variables for one test and restores them afterwards.
class ScopedEnvironment {
public:
    void Set(const std::string& name, const std::optional<std::string>& value)
    {
        saved_.emplace_back(name, GetEnvironmentVariable(name));
        SetEnvironmentVariable(name, value);
    }
    ~ScopedEnvironment()
    {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            SetEnvironmentVariable(it->first, it->second);
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

void ArgumentsOf(std::vector<const char*> argv) { SetCommandLineArguments(static_cast<int>(argv.size()), argv.data()); }

// Declared before what it watches: finds, once that is gone, any
// descriptor it left open.
class NoDescriptorLeft {
public:
    ~NoDescriptorLeft() { EXPECT_EQ(Count(), before_) << "a descriptor was left open"; }

private:
    static size_t Count()
    {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
    }
    size_t before_ = Count();
};
} // namespace

TEST(Process, ExitCanBeInterceptedByATest)
{
    platform::testing::ScopedExitInterception intercept;
    try {
        ExitProcess(3);
        FAIL() << "ExitProcess returned";
    } catch (const platform::testing::ProcessExit& exit) {
        EXPECT_EQ(exit.code, 3u);
    }
}

TEST(Process, ExitWithoutInterceptionEndsTheProcessWithTheCode)
{
    EXPECT_EXIT(ExitProcess(7), ::testing::ExitedWithCode(7), "");
}

// A fatal error met while the program starts ends it from deep inside the
// start-up: tearing down the program's static objects there would run its
// shutdown on a half-made state (and did hang). Buffered output still
// reaches its file.
TEST(Process, ExitAndTerminateFlushOutputButDestroyNoStaticObject)
{
    struct Noisy {
        ~Noisy() { std::fputs(" destroyed", stderr); }
    };
    for (void (*end)(UINT) : {&ExitProcess, &TerminateProcess}) {
        EXPECT_EXIT(
            {
                static Noisy noisy;
                static char buffer[256];
                std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer);
                std::fputs("flushed", stderr);
                // The test main's watch for an end before the verdict is told the code.
                platform::testing::WatchProcessEnd([](UINT code) { std::fprintf(stderr, " watched %u", code); });
                end(5);
            },
            ::testing::ExitedWithCode(5), ::testing::StrEq("flushed watched 5"));
    }
}

TEST(Process, CommandLineQuotesLikeWindows)
{
    std::vector<std::string> saved = GetArguments();
    ArgumentsOf({"/opt/My Game/pellucor", "-play", "-demofile=C:\\demos\\a b.dmo", "", "say \"hi\"", "trail\\"});
    EXPECT_EQ(GetArguments().size(), 6u);
    EXPECT_EQ(GetArguments()[2], "-demofile=C:\\demos\\a b.dmo");
    EXPECT_EQ(GetCommandLine(),
              "\"/opt/My Game/pellucor\" -play \"-demofile=C:\\demos\\a b.dmo\" \"\" \"say \\\"hi\\\"\" trail\\");
    ArgumentsOf({"p", "with space\\"});
    EXPECT_EQ(GetCommandLine(), "p \"with space\\\\\""); // a closing quote must not be escaped
    ArgumentsOf({"p", "a\\\"b c"}); // a\"b c: the backslash before a quote is doubled, the quote escaped
    EXPECT_EQ(GetCommandLine(), "p \"a\\\\\\\"b c\"");
    std::vector<const char*> restore;
    for (const std::string& s : saved)
        restore.push_back(s.c_str());
    ArgumentsOf(restore);
}

// Installed deep in folders too: this test runs once more from a path longer
// than the first guess at its length.
TEST(Process, ProgramPathNamesThisTestProgram)
{
    std::string path = GetProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(GetProgramFolder() + "/" + path.substr(path.find_last_of('/') + 1), path);
    const std::string& started = GetArguments().at(0);
    if (started.size() > 300) {
        EXPECT_EQ(path, started);
        return;
    }
    ScopedTempFolder root;
    const std::string deep = root / (std::string(100, 'd') + "/" + std::string(100, 'e') + "/" + std::string(100, 'f'));
    MakeDirectories(deep);
    const std::string copy = deep + "/program";
    if (link(path.c_str(), copy.c_str()) != 0)
        std::filesystem::copy_file(path, copy);
    std::FILE* run = popen((copy + " --gtest_filter=Process.ProgramPathNamesThisTestProgram 2>&1").c_str(), "r");
    ASSERT_NE(run, nullptr);
    std::string output;
    for (int c; (c = std::fgetc(run)) != EOF;)
        output += static_cast<char>(c);
    EXPECT_EQ(pclose(run), 0) << output;
}

TEST(Process, UserDataFolderFollowsXdgDataHomeElseHome)
{
    ScopedEnvironment env;
    env.Set("XDG_DATA_HOME", "/data/home");
    env.Set("HOME", "/home/player");
    EXPECT_EQ(GetUserDataFolder(), "/data/home");
    env.Set("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(GetUserDataFolder(), "/home/player/.local/share");
    env.Set("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(GetUserDataFolder(), "/home/player/.local/share");
    env.Set("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(GetConfigFolder(), "/home/player/.config");
    // A home that is no absolute path, or none, is the account's own.
    const passwd* account = getpwuid(getuid());
    ASSERT_NE(account, nullptr);
    const std::string own = account->pw_dir;
    env.Set("HOME", "relative/home");
    EXPECT_EQ(GetUserDataFolder(), own + "/.local/share");
    env.Set("HOME", std::nullopt);
    EXPECT_EQ(GetUserDataFolder(), own + "/.local/share");

    // Names the environment cannot hold are refused; a value is set and
    // taken away.
    EXPECT_FALSE(GetEnvironmentVariable(""));
    EXPECT_FALSE(GetEnvironmentVariable("HOME=x"));
    env.Set("PELLUCOR_A", std::string("B=C"));
    EXPECT_FALSE(GetEnvironmentVariable("PELLUCOR_A=B")) << "read as the variable PELLUCOR_A";
    EXPECT_FALSE(SetEnvironmentVariable("", std::string("1")));
    EXPECT_FALSE(SetEnvironmentVariable("PELLUCOR_A=B", std::string("1")));
    env.Set("PELLUCOR_A", std::nullopt);
    EXPECT_FALSE(GetEnvironmentVariable("PELLUCOR_A"));
    env.Set("PELLUCOR_PROCESS_TEST", std::nullopt);
    EXPECT_TRUE(SetEnvironmentVariable("PELLUCOR_PROCESS_TEST", std::string("one")));
    EXPECT_EQ(GetEnvironmentVariable("PELLUCOR_PROCESS_TEST"), "one");
    EXPECT_TRUE(SetEnvironmentVariable("PELLUCOR_PROCESS_TEST", std::nullopt));
    EXPECT_FALSE(GetEnvironmentVariable("PELLUCOR_PROCESS_TEST"));
}

// The lock keeps one copy per data folder: the runtime folder (which two
// logins of one user need not share) plays no part, and copies over
// separate data folders never refuse each other.
TEST(SingleInstance, OneCopyPerDataFolderWhateverTheRuntimeFolder)
{
    ScopedTempFolder root;
    ScopedEnvironment env;
    MakeDirectories(root / "ann");
    MakeDirectories(root / "bob");
    env.Set("XDG_RUNTIME_DIR", root / "run-1");
    SingleInstance first(root / "ann", "Pellucor 1.5Mutex");
    ASSERT_TRUE(first.Acquire());
    EXPECT_EQ(first.LockFilePath(), root / "ann/Pellucor_1.5Mutex.lock");
    EXPECT_EQ(SingleInstance(root / "ann//", ".az AZ09/-~").LockFilePath(), root / "ann/_az_AZ09_-_.lock")
        << "a plain name of its own, never hidden";
    EXPECT_EQ(SingleInstance("a/", "Game").LockFilePath(), "a/Game.lock");
    EXPECT_THAT(SingleInstance("/", "Game").LockFilePath(), ::testing::StartsWith("/")) << "the root stays itself";
    EXPECT_EQ(SingleInstance("", "").LockFilePath(), "./product.lock");
    EXPECT_TRUE(first.Acquire()) << "held already";
    env.Set("XDG_RUNTIME_DIR", root / "run-2");
    SingleInstance second(root / "ann/", "Pellucor 1.5Mutex");
    EXPECT_FALSE(second.Acquire());
    SingleInstance elsewhere(root / "bob", "Pellucor 1.5Mutex");
    EXPECT_TRUE(elsewhere.Acquire());
    struct stat lockFile {};
    ASSERT_EQ(stat(first.LockFilePath().c_str(), &lockFile), 0);
    EXPECT_EQ(lockFile.st_mode & 0777, 0600u) << "another account could hold the lock";
    // Locks of other names over the same folder are apart, long names too.
    const std::string longName(70, 'x');
    std::vector<std::unique_ptr<SingleInstance>> others;
    for (const std::string& name : std::vector<std::string>{"a" + longName, "b" + longName, "v1.0", "v2.0", "v3.0",
                                                            "v4.0", "v5.0"}) {
        others.push_back(std::make_unique<SingleInstance>(root / "ann", name));
        EXPECT_TRUE(others.back()->Acquire()) << name;
    }
    first.Release();
    EXPECT_TRUE(second.Acquire()) << "the lock is free again";
}

// Where no lock file can be made (a read-only data folder, a lock file that
// cannot be opened: here a folder in its place, which refuses root too),
// the rule still holds and the knock still reaches the first; a copy that
// can take no lock of any kind goes on but says that it cannot tell.
TEST(SingleInstance, OneCopyEvenWhereNoLockFileCanBeMade)
{
    ScopedTempFolder root;
    NoDescriptorLeft leftOpen;
    MakeDirectories(root / "data");
    ASSERT_EQ(symlink((root / "data").c_str(), (root / "link").c_str()), 0);
    SingleInstance first(root / "data", "Game");
    MakeDirectories(first.LockFilePath());
    ASSERT_TRUE(first.Acquire());
    EXPECT_EQ(first.Doubt(), "");
    SingleInstance second(root / "link", "Game");
    EXPECT_FALSE(second.Acquire()) << "two copies over one folder";
    ASSERT_TRUE(second.NotifyFirstInstance());
    EXPECT_EQ(first.TakeNotifications(), 1);
    first.Release();
    EXPECT_TRUE(second.Acquire()) << "the lock is free again";
    second.Release();

    platform::testing::FailNext("SingleInstance.Claim", EMFILE);
    ASSERT_TRUE(first.Acquire());
    EXPECT_THAT(first.Doubt(), ::testing::HasSubstr(first.LockFilePath() + " (Is a directory)"));
    EXPECT_THAT(first.Doubt(), ::testing::HasSubstr("Too many open files"));
    first.Release();
    EXPECT_EQ(first.Doubt(), "");
    // A folder that cannot be looked at is known by its path.
    const std::string longName(70, 'x');
    SingleInstance missing(root / ("a" + longName), "Game"), again(root / ("a" + longName), "Game");
    SingleInstance otherMissing(root / ("b" + longName), "Game");
    ASSERT_TRUE(missing.Acquire());
    EXPECT_EQ(missing.Doubt(), "");
    EXPECT_FALSE(again.Acquire());
    EXPECT_TRUE(otherMissing.Acquire());

    platform::testing::FailNext("SingleInstance.Claim", EMFILE);
    SingleInstance plain(root.Path(), "Game");
    platform::testing::FailNext("SingleInstance.LockFile", EROFS);
    ASSERT_TRUE(plain.Acquire());
    EXPECT_THAT(plain.Doubt(), ::testing::HasSubstr("(Read-only file system)"));
    plain.Release();
}

// Without a lock file the name alone keeps a second copy out: a first that
// cannot be asked whose it is for a moment (no socket to knock with) is not
// taken for a stranger's program.
TEST(SingleInstance, AFirstThatCannotBeAskedForAMomentStillKeepsASecondCopyOut)
{
    ScopedTempFolder root;
    NoDescriptorLeft leftOpen;
    SingleInstance first(root.Path(), "Game");
    MakeDirectories(first.LockFilePath());
    ASSERT_TRUE(first.Acquire());
    SingleInstance second(root.Path(), "Game");
    platform::testing::FailNext("SingleInstance.Knock", EMFILE);
    EXPECT_FALSE(second.Acquire()) << "two copies over one folder";
    EXPECT_EQ(second.PassedOver(), "");
    EXPECT_FALSE(second.IsFirst());
    first.Release();
    EXPECT_TRUE(second.Acquire()) << "the name is free again";
    second.Release();
}

// What a copy passed over is said of the hold it met: once the name is its
// own, nothing was passed over.
TEST(SingleInstance, WhatWasPassedOverIsForgottenOnceTheNameIsThisCopysOwn)
{
    ScopedTempFolder root;
    SingleInstance holder(root.Path(), "Game"), mine(root.Path(), "Game");
    platform::testing::FailNext("SingleInstance.LockFile", EROFS);
    ASSERT_TRUE(holder.Acquire());
    platform::testing::FailEveryCall("SingleInstance.HolderIsAnotherUser", 65534);
    ASSERT_TRUE(mine.Acquire());
    EXPECT_NE(mine.PassedOver(), "");
    platform::testing::StopFailing("SingleInstance.HolderIsAnotherUser");
    mine.Release();
    holder.Release();
    ASSERT_TRUE(mine.Acquire());
    EXPECT_EQ(mine.PassedOver(), "") << "a hold that is gone is still said to be passed over";
    mine.Release();
}

// Copies that do not share the system's names (each in a network namespace
// of its own) are kept apart by the lock file alone.
TEST(SingleInstance, TheLockFileAloneKeepsOneCopy)
{
    ScopedTempFolder root;
    NoDescriptorLeft leftOpen;
    SingleInstance first(root.Path(), "Game"), second(root.Path(), "Game");
    platform::testing::FailNext("SingleInstance.Claim", EMFILE);
    ASSERT_TRUE(first.Acquire());
    EXPECT_EQ(first.Doubt(), "");
    EXPECT_FALSE(second.Acquire());
    first.Release();
    EXPECT_TRUE(second.Acquire());
}

// A program started with its standard input closed may be given descriptor
// 0 for its claim, its lock file or its knock: each is held, let go and
// closed as any other.
TEST(SingleInstance, DescriptorZeroIsHeldAndLetGoAsAnyOther)
{
    ScopedTempFolder root;
    EXPECT_EXIT(
        {
            close(0);
            SingleInstance first(root.Path(), "Game");
            SingleInstance second(root.Path(), "Game");
            if (!first.Acquire() || !first.Doubt().empty()) // the lock file is 0
                _exit(10);
            platform::testing::FailNext("SingleInstance.LockFile", EROFS);
            if (second.Acquire())
                _exit(11);
            platform::testing::ClearFailures(); // refused by the name the first holds
            if (!second.NotifyFirstInstance() || !second.NotifyFirstInstance() || first.TakeNotifications() != 2)
                _exit(12);
            first.AnswerNotifications();
            if (!second.AwaitAnswer(0))
                _exit(13);
            PrepareAbruptEnd();
            platform::testing::FailNext("SingleInstance.LockFile", EROFS);
            if (!second.Acquire()) // the claim let go at an abrupt end
                _exit(14);
            second.Release();
            first.Release();

            platform::testing::FailNext("SingleInstance.Claim", EMFILE);
            if (!first.Acquire() || !first.Doubt().empty()) // the lock file is 0
                _exit(15);
            if (second.Acquire())
                _exit(16);
            PrepareAbruptEnd();
            if (!second.Acquire()) // the lock file let go at an abrupt end
                _exit(17);
            second.Release();
            first.Release();

            platform::testing::FailNext("SingleInstance.Claim", EMFILE);
            platform::testing::FailNext("SingleInstance.LockFile", EROFS);
            if (!first.Acquire() || first.Doubt().empty()) // the lock file at 0 refused: neither lock, told
                _exit(26);
            first.Release();

            const int placeholder = open("/dev/null", O_RDONLY);
            platform::testing::FailNext("SingleInstance.Claim", EMFILE);
            if (placeholder != 0 || !first.Acquire())
                _exit(18);
            close(placeholder);
            if (second.Acquire()) // its lock file is 0, and refused
                _exit(19);
            first.Release();
            if (!second.Acquire())
                _exit(20);
            second.Release();

            platform::testing::FailNext("SingleInstance.LockFile", EROFS);
            if (!first.Acquire() || !first.Doubt().empty()) // the claim alone, at 0
                _exit(21);
            first.Release();
            if (open("/dev/null", O_RDONLY) != 0 || !first.Acquire())
                _exit(22);
            close(0);
            {
                SingleInstance later(root.Path(), "Game"); // its own socket is 0
                if (!later.NotifyFirstInstance() || !later.NotifyFirstInstance() || first.TakeNotifications() != 2)
                    _exit(23);
                first.AnswerNotifications();
                if (!later.AwaitAnswer(0))
                    _exit(24);
            }
            _exit(fcntl(0, F_GETFD) == -1 ? 0 : 25);
        },
        ::testing::ExitedWithCode(0), "");
}

// The claim is a name of the system's, which leaves no file anywhere, made
// from the user and the folder's device and inode; a folder that cannot be
// looked at is named by its path.
TEST(SingleInstance, TheClaimIsTheSystemsNameForTheFolder)
{
    ScopedTempFolder root;
    struct stat folder {};
    ASSERT_EQ(stat(root.Path().c_str(), &folder), 0);
    SingleInstance here(root.Path(), "Game"), missing(root / "missing", "Game");
    ASSERT_TRUE(here.Acquire());
    ASSERT_TRUE(missing.Acquire());
    char name[96];
    std::snprintf(name, sizeof name, "@pellucor-instance-u%lu-%llx-%llx-[0-9a-f]{16}",
                  static_cast<unsigned long>(geteuid()), static_cast<unsigned long long>(folder.st_dev),
                  static_cast<unsigned long long>(folder.st_ino));
    EXPECT_THAT(here.ClaimName(), ::testing::MatchesRegex(name));
    const std::string sockets = ReadTestFile("/proc/net/unix");
    EXPECT_THAT(sockets, ::testing::HasSubstr(" " + here.ClaimName() + "\n"));
    EXPECT_THAT(missing.ClaimName(), ::testing::MatchesRegex("@pellucor-instance-u[0-9]+-path-[0-9a-f]{16}-[0-9a-f]{16}"));
    EXPECT_THAT(sockets, ::testing::HasSubstr(" " + missing.ClaimName() + "\n"));
}

// A copy that knocks hears back only once the first's window is in front;
// copies that reach the data folder by another path knock at the same door.
TEST(SingleInstance, AKnockIsAnsweredOnceTheWindowIsInFront)
{
    ScopedTempFolder root;
    NoDescriptorLeft leftOpen;
    MakeDirectories(root / "data");
    ASSERT_EQ(symlink((root / "data").c_str(), (root / "link").c_str()), 0);
    SingleInstance first(root / "data", "Game");
    SingleInstance second(root / "link", "Game");
    SingleInstance stranger(root.Path(), "Game");
    ASSERT_TRUE(first.Acquire());
    ASSERT_TRUE(stranger.Acquire());
    ASSERT_FALSE(second.Acquire());

    EXPECT_EQ(first.TakeNotifications(), 0);
    ASSERT_TRUE(second.NotifyFirstInstance());
    EXPECT_FALSE(second.AwaitAnswer(0));
    EXPECT_EQ(first.TakeNotifications(), 1);
    EXPECT_EQ(stranger.TakeNotifications(), 0);
    EXPECT_FALSE(second.AwaitAnswer(0)) << "knock taken, window not in front yet";
    first.AnswerNotifications();
    EXPECT_TRUE(second.AwaitAnswer(0));
    EXPECT_EQ(first.TakeNotifications(), 0);
    first.AnswerNotifications();
    EXPECT_FALSE(second.AwaitAnswer(0)) << "answered once";
    EXPECT_EQ(second.TakeNotifications(), 0) << "not the first";
    EXPECT_FALSE(SingleInstance(root.Path(), "Game").AwaitAnswer(0)) << "no knock, no answer";

    // A knock taken by a first that then let go is not answered later.
    ASSERT_TRUE(second.NotifyFirstInstance());
    EXPECT_EQ(first.TakeNotifications(), 1);
    first.Release();
    ASSERT_TRUE(first.Acquire());
    first.AnswerNotifications();
    EXPECT_FALSE(second.AwaitAnswer(0));

    SingleInstance third(root / "link", "Game");
    platform::testing::FailNext("SingleInstance.Knock", EMFILE);
    EXPECT_FALSE(third.NotifyFirstInstance()) << "no socket of its own to hear the answer on";
    EXPECT_TRUE(third.NotifyFirstInstance());

    first.Release();
    EXPECT_FALSE(second.NotifyFirstInstance()) << "nobody listens any more";
}

// A crowd of copies knocking at once are answered, up to sixteen: the first
// keeps no more, whatever a flood of knocks.
TEST(SingleInstance, ACrowdOfKnocksIsAnsweredUpToABound)
{
    ScopedTempFolder root;
    SingleInstance first(root.Path(), "Game");
    ASSERT_TRUE(first.Acquire());
    std::vector<std::unique_ptr<SingleInstance>> crowd;
    for (int i = 0; i < 20; ++i) {
        crowd.push_back(std::make_unique<SingleInstance>(root.Path(), "Game"));
        ASSERT_TRUE(crowd.back()->NotifyFirstInstance());
        first.TakeNotifications();
    }
    first.AnswerNotifications();
    int answered = 0;
    for (const auto& copy : crowd)
        answered += copy->AwaitAnswer(0) ? 1 : 0;
    EXPECT_EQ(answered, 16);
}

// A later copy's course: a first that answers sends it away with its
// window in front; one that is ending lets go, and the later copy starts;
// one that holds on without answering is not said to have come forward.
TEST(SingleInstance, ALaterCopyIsToldTheTruthAboutTheFirst)
{
    ScopedTempFolder root;
    platform::ManualClock clock;
    platform::ScopedClock useClock(clock);
    auto first = std::make_unique<SingleInstance>(root.Path(), "Game");
    ASSERT_TRUE(first->Acquire());

    clock.Set(3600000000u); // the patience counts from the start, not from zero
    SingleInstance silent(root.Path(), "Game");
    EXPECT_EQ(silent.HandOverToFirst(5000), SingleInstance::HandOver::NoAnswer);
    EXPECT_GE(clock.NowMicroseconds(), 3605000000u) << "the patience was spent";
    EXPECT_FALSE(silent.AwaitAnswer(5000));
    EXPECT_GE(clock.NowMicroseconds(), 3610000000u) << "the wait for an answer was spent";

    SingleInstance answered(root.Path(), "Game");
    ASSERT_TRUE(answered.NotifyFirstInstance());
    EXPECT_EQ(first->TakeNotifications(), 2);
    first->AnswerNotifications();
    EXPECT_EQ(answered.HandOverToFirst(5000), SingleInstance::HandOver::BroughtToFront);

    first.reset();
    SingleInstance successor(root.Path(), "Game");
    EXPECT_EQ(successor.HandOverToFirst(5000), SingleInstance::HandOver::Acquired);
    EXPECT_TRUE(successor.IsFirst());
}

// An end without the orderly course takes along what the program started
// (the child that ignores SIGTERM, and that child's own) and lets go of the
// single-copy lock, which a forked child shares; a process that made a
// session of its own (as the crash report viewer does) outlives it.
TEST(ProcessAbruptEnd, EndsTheProgramsProcessesAndLetsGoOfTheLock)
{
    ScopedTempFolder root;
    const std::string pids = root / "pids";
    EXPECT_EXIT(
        {
            SingleInstance lock(root.Path(), "Game");
            if (!lock.Acquire())
                _exit(10);
            std::ofstream out(pids);
            // The box's process keeps the lock it shares.
            const pid_t stubborn = StartWaitingChild(true, false, lock.LockFilePath());
            out << stubborn << ' ' << StartWaitingChild(false, false) << ' ' << StartWaitingChild(false, true) << ' ';
            out.flush();
            // A grandchild, started by a child that then waits.
            const pid_t parent = fork();
            if (parent == 0) {
                std::ofstream(pids, std::ios::app) << StartWaitingChild(false, false) << ' ' << getpid() << std::flush;
                closefrom(3);
                for (;;)
                    pause();
            }
            if (!test_support::WaitUntil([&] { return ListedPids(pids).size() == 5; }))
                _exit(11);
            EndProcessAbruptly(3);
        },
        ::testing::ExitedWithCode(3), "");
    const std::vector<pid_t> listed = ListedPids(pids);
    ASSERT_EQ(listed.size(), 5u) << ReadTestFile(pids);
    const pid_t stubborn = listed[0], plain = listed[1], apart = listed[2], grandchild = listed[3], child = listed[4];
    for (pid_t pid : {stubborn, plain, grandchild, child})
        EXPECT_TRUE(test_support::WaitUntil([&] { return Gone(pid); })) << "process " << pid << " outlived the program";
    EXPECT_FALSE(Gone(apart)) << "a process in a session of its own is left";
    kill(apart, SIGKILL);
    SingleInstance next(root.Path(), "Game");
    EXPECT_TRUE(next.Acquire()) << "the lock was let go";
}

// An end under way (a termination signal, a lost display) lets a new copy
// start at once, however often it is begun, and closes nothing else the
// program has open.
TEST(ProcessAbruptEnd, AnEndUnderWayLetsANewCopyInAndClosesNothingElse)
{
    ScopedTempFolder root;
    EXPECT_EXIT(
        {
            const int input = open("/dev/null", O_RDONLY);
            if (input < 0 || dup2(input, 0) != 0)
                _exit(10);
            PrepareAbruptEnd(); // nothing held yet
            SingleInstance ending(root.Path(), "Game");
            if (!ending.Acquire())
                _exit(11);
            PrepareAbruptEnd();
            PrepareAbruptEnd();
            if (fcntl(0, F_GETFD) == -1)
                _exit(12);
            SingleInstance next(root.Path(), "Game");
            if (!next.Acquire())
                _exit(13);
            // Let go in the orderly way: the numbers it had go to other files.
            next.Release();
            const int one = open("/dev/null", O_RDONLY);
            const int two = open("/dev/null", O_RDONLY);
            next.Release(); // as its destructor does
            PrepareAbruptEnd();
            _exit(fcntl(0, F_GETFD) == -1 || fcntl(one, F_GETFD) == -1 || fcntl(two, F_GETFD) == -1 ? 14 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}

// A box that a library shows in a process it starts itself (SDL's own box),
// forked while the program waits for its answer: a SIGKILL of the program,
// which no handler of ours sees, ends the box's process too. A process the
// program starts on another thread meanwhile is left as it was.
TEST(ProcessAbruptEnd, AKilledProgramTakesTheBoxsProcessAlong)
{
    ScopedTempFolder root;
    const std::string pids = root / "pids";
    const pid_t program = fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        const ChildrenEndWithThisThread boxEndsWithProgram;
        pid_t other = 0;
        std::thread([&] { other = StartWaitingChild(false, false); }).join();
        const pid_t box = StartWaitingChild(true, false);
        std::ofstream(pids) << box << ' ' << other << std::flush;
        waitpid(box, nullptr, 0); // as SDL waits for its box's answer
        _exit(0);
    }
    ASSERT_TRUE(test_support::WaitUntil([&] { return ListedPids(pids).size() == 2; })) << ReadTestFile(pids);
    const pid_t box = ListedPids(pids)[0], other = ListedPids(pids)[1];
    const int followed = platform::testing::EndsWithItsProgram(program, box);
    ASSERT_NE(followed, -1) << "the box ended before its program";
    EXPECT_EQ(followed, 1) << "the box's process " << box << " outlived its program";
    EXPECT_FALSE(Gone(other)) << "a process started on another thread was ended too";
    kill(box, SIGKILL);
    kill(other, SIGKILL);
}

// The tie holds only while its guard stands: a process the same thread
// starts afterwards (a browser opened for a link, say) is the player's to
// keep once the program ends.
TEST(ProcessAbruptEnd, OnlyWhileTheGuardStandsAreTheThreadsChildrenTiedToIt)
{
    // What the child was told to get at its parent's end (0: nothing).
    auto deathSignalOfAChild = [] {
        const pid_t child = fork();
        if (child == 0) {
            int signal = -1;
            prctl(PR_GET_PDEATHSIG, &signal);
            _exit(signal);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    {
        const ChildrenEndWithThisThread boxEndsWithProgram;
        EXPECT_EQ(deathSignalOfAChild(), SIGKILL);
    }
    EXPECT_EQ(deathSignalOfAChild(), 0) << "a child started after the box is tied to the thread";
}
