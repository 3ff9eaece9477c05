// The desktop's dialog helpers (zenity) run as children of the program:
// they answer through what they print, and never outlive it.
#include "platform/window/HelperProgram.h"

#include "platform/window/SessionEndSignals.h"
#include "tests/platform/core/WaitingProcesses.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

TEST(HelperProgram, SaysWhatTheHelperPrintedAndHowItEndedOrThatThereIsNone)
{
    const std::optional<HelperResult> chosen = RunHelperProgram({"sh", "-c", "echo 3; exit 0"});
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->output, "3\n");
    EXPECT_EQ(chosen->exitCode, 0);
    EXPECT_FALSE(chosen->interrupted);
    const std::optional<HelperResult> cancelled = RunHelperProgram({"sh", "-c", "exit 1"});
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(cancelled->exitCode, 1);
    EXPECT_FALSE(RunHelperProgram({"no-such-helper-program"}));
}

TEST(HelperProgram, TheSessionEndingEndsTheHelperAndGivesUpItsAnswer)
{
    testing::ScopedTempFolder folder;
    const std::string pidFile = folder.Path() + "/helper.pid";
    // The helper itself asks the program to end, as the session would, and
    // then waits for ever.
    detail::WatchSessionEndSignals();
    const std::optional<HelperResult> result =
        RunHelperProgram({"sh", "-c", "echo $$ > '" + pidFile + "'; kill -TERM $PPID; echo 2; exec sleep 120"});
    EXPECT_TRUE(detail::TakeSessionEndRequest());
    detail::WatchSessionEndSignals(); // the handler took itself away (a second signal ends at once)
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->interrupted);
    std::ifstream in(pidFile);
    pid_t helper = 0;
    ASSERT_TRUE(in >> helper);
    EXPECT_EQ(kill(helper, 0), -1) << "the helper " << helper << " is still there";
    EXPECT_EQ(errno, ESRCH);
}

TEST(HelperProgram, TheHelperEndsWithTheProgramHoweverTheProgramEnds)
{
    // A program (a child of this test) starts a helper and is killed while
    // the helper is up; the helper writes its own id where the test reads.
    int ids[2];
    ASSERT_EQ(pipe(ids), 0);
    const pid_t program = fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        dup2(ids[1], STDERR_FILENO);
        RunHelperProgram({"sh", "-c", "echo $$ >&2; exec sleep 120"});
        _exit(0);
    }
    close(ids[1]);
    char text[32] = {};
    ASSERT_GT(read(ids[0], text, sizeof text - 1), 0);
    close(ids[0]);
    const pid_t helper = static_cast<pid_t>(std::atoi(text));
    ASSERT_GT(helper, 0);
    const int followed = platform::testing::EndsWithItsProgram(program, helper);
    ASSERT_NE(followed, -1) << "the helper ended before its program";
    EXPECT_EQ(followed, 1) << "the helper outlived its program";
}

} // namespace
} // namespace platform
