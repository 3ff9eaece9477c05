// The program ends when the session does, whatever holds it: the orderly
// end is asked for by the first termination signal (the window service's
// own tests see it delivered as WM_ENDSESSION); these see the program ended
// where it cannot answer, each in a process of its own standing for the
// program, with a child of its own standing for a box's process.
#include "platform/window/SessionEndSignals.h"

#include "tests/platform/core/WaitingProcesses.h"
#include "tests/support/PlatformTesting.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform::testing {
namespace {

// In the program's process: starts the box's stand-in, which ignores
// SIGTERM, and writes its id into `file`.
void StartBoxProcess(const std::string& file) { std::ofstream(file) << StartWaitingChild(true, false) << std::flush; }

// The program held for good, as by a box nobody answers: ends with 42 if
// nothing ends it first.
[[noreturn]] void HoldForHalfAMinute()
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    _exit(42);
}

void ExpectEnded(const std::string& file)
{
    const std::vector<pid_t> box = ListedPids(file);
    ASSERT_EQ(box.size(), 1u);
    EXPECT_TRUE(test_support::WaitUntil([&] { return Gone(box[0]); })) << "the box's process outlived the program";
    kill(box[0], SIGKILL);
}

TEST(SessionEnd, AProgramHeldPastItsDeadlineIsEndedAsQuittingEndsIt)
{
    ScopedTempFolder folder;
    const std::string file = folder / "box";
    EXPECT_EXIT(
        {
            // A whole second: its split into seconds and the rest is exact.
            EndSessionWithin(1000);
            detail::WatchSessionEndSignals();
            StartBoxProcess(file);
            std::raise(SIGTERM);
            if (!detail::SessionEndPending())
                _exit(40);
            // The deadline runs from the first signal: neither a later one of
            // another kind nor a new allowance moves it.
            EndSessionWithin(3600 * 1000);
            std::raise(SIGHUP);
            HoldForHalfAMinute();
        },
        ::testing::ExitedWithCode(0),
        "(^|\n)The program did not end in time after a termination signal; it is ended now\\.\n");
    ExpectEnded(file);
}

// The deadline's own signal held back, so the process sees when it comes:
// never before the whole allowance has passed since the first signal (the
// timer cannot fire early, so no load makes this fail).
TEST(SessionEnd, TheDeadlineComesNoSoonerThanItsWholeLengthAfterTheFirstSignal)
{
    EXPECT_EXIT(
        {
            sigset_t deadline;
            sigemptyset(&deadline);
            for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
                sigaddset(&deadline, signal);
            pthread_sigmask(SIG_BLOCK, &deadline, nullptr);
            EndSessionWithin(1500);
            detail::WatchSessionEndSignals();
            const auto start = std::chrono::steady_clock::now();
            std::raise(SIGTERM);
            timespec patience{};
            patience.tv_sec = 30;
            if (sigtimedwait(&deadline, nullptr, &patience) < 0)
                _exit(41);
            if (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1500))
                _exit(42);
            _exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(SessionEnd, ASecondSignalOfTheSameKindEndsTheProgramAtOnceWithWhatItStarted)
{
    ScopedTempFolder folder;
    const std::string file = folder / "box";
    EXPECT_EXIT(
        {
            detail::WatchSessionEndSignals();
            StartBoxProcess(file);
            std::raise(SIGHUP);
            std::raise(SIGINT);
            if (!detail::TakeSessionEndRequest())
                _exit(40);
            std::raise(SIGHUP);
            HoldForHalfAMinute();
        },
        ::testing::KilledBySignal(SIGHUP), "");
    ExpectEnded(file);
}

// What a noted signal leaves for the UI thread, in a process of its own
// standing for the program: each step that goes wrong ends it with a code
// of its own.
TEST(SessionEnd, ANotedSignalWakesTheWaitAndANewWatchForgetsItButAnIgnoredOneIsNeverNoted)
{
    EXPECT_EXIT(
        {
            // Descriptor 0 is a descriptor like any other; until it is given
            // as the one to wake, nothing is written to it.
            close(0);
            const int wake = eventfd(0, EFD_NONBLOCK);
            uint64_t count = 0;
            detail::WatchSessionEndSignals();
            std::raise(SIGTERM);
            if (read(wake, &count, sizeof count) >= 0)
                _exit(46);
            detail::WakeOnSessionEnd(wake);
            detail::WatchSessionEndSignals();
            std::raise(SIGTERM);
            if (read(wake, &count, sizeof count) != sizeof count || count != 1)
                _exit(41);
            detail::WatchSessionEndSignals();
            if (detail::SessionEndPending())
                _exit(42);
            // Started with hangups ignored (nohup): they stay so.
            std::signal(SIGHUP, SIG_IGN);
            detail::WatchSessionEndSignals();
            std::raise(SIGHUP);
            std::raise(SIGHUP);
            if (detail::SessionEndPending())
                _exit(43);
            // The first termination signal is noted, the second of its kind
            // ends the program at once.
            std::raise(SIGTERM);
            if (!detail::TakeSessionEndRequest())
                _exit(44);
            std::raise(SIGTERM);
            _exit(45);
        },
        ::testing::KilledBySignal(SIGTERM), "");
}

} // namespace
} // namespace platform::testing
