// The viewer lets its crashed process go through the one descriptor the
// crash handler handed it: the writing end of a pipe, named in the
// environment. A variable left over from elsewhere never makes it write to,
// or close, anything else (standard error above all), and it acts once.
#include "platform/crash/CrashService.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

bool Waiting(int readEnd)
{
    pollfd fd{readEnd, POLLIN, 0};
    return ::poll(&fd, 1, 0) == 1;
}

bool IsOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

void Release(const std::string& value)
{
    ::setenv(platform::kCrashReleaseVariable, value.c_str(), 1);
    platform::ReleaseCrashedProcess();
}

TEST(CrashRelease, StandardErrorIsNeverTakenForTheReleaseEvenWhereItIsAPipe)
{
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    const int savedError = ::dup(STDERR_FILENO);
    ASSERT_GE(savedError, 0);
    ::dup2(ends[1], STDERR_FILENO);
    Release(std::to_string(STDERR_FILENO));
    const bool stillOpen = IsOpen(STDERR_FILENO);
    ::dup2(savedError, STDERR_FILENO);
    ::close(savedError);
    EXPECT_TRUE(stillOpen) << "standard error was closed";
    EXPECT_FALSE(Waiting(ends[0])) << "a byte went to standard error";
    EXPECT_EQ(std::getenv(platform::kCrashReleaseVariable), nullptr);
    ::close(ends[0]);
    ::close(ends[1]);
}

TEST(CrashRelease, OnlyAPipesWritingEndIsUsedAndOnlyOnce)
{
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    for (const std::string& stale : {std::to_string(ends[0]), std::to_string(ends[1]) + "x", std::string()}) {
        Release(stale);
        EXPECT_TRUE(IsOpen(ends[0]) && IsOpen(ends[1])) << "'" << stale << "'";
        EXPECT_FALSE(Waiting(ends[0])) << "'" << stale << "'";
    }
    Release(std::to_string(ends[1]));
    ASSERT_TRUE(Waiting(ends[0]));
    char said[2];
    EXPECT_EQ(::read(ends[0], said, 2), 1);
    EXPECT_FALSE(IsOpen(ends[1])) << "the viewer's end stays open";
    EXPECT_EQ(std::getenv(platform::kCrashReleaseVariable), nullptr);
    platform::ReleaseCrashedProcess();
    EXPECT_EQ(::read(ends[0], said, 2), 0) << "said twice";
    ::close(ends[0]);
}

} // namespace
