// Tests that end their process before their verdict, in the ways code under
// test can: early_end.sh runs each alone and expects it reported as failed.
// Beside them, tests whose process ends as it should, which must still pass.
#include "platform/core/Process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

TEST(EndsEarly, ThroughAFatalExitWithStatusZero) { platform::ExitProcess(0); }

TEST(EndsEarly, ThroughAFatalExitOnAnotherThread)
{
    std::thread([] { platform::ExitProcess(0); }).join();
}

TEST(EndsEarly, ThroughExit) { std::exit(0); }

TEST(EndsEarly, ThroughTerminateWithAStatusWhoseLowByteIsZero) { platform::TerminateProcess(0x100); }

TEST(EndsAsAsked, ADeathTestChildEndsWithTheStatusItChose)
{
    EXPECT_EXIT(platform::ExitProcess(0), ::testing::ExitedWithCode(0), "");
}

TEST(EndsAsAsked, AnInterceptedExitEndsNothing)
{
    platform::testing::ScopedExitInterception intercepted;
    EXPECT_THROW(platform::ExitProcess(0), platform::testing::ProcessExit);
}
