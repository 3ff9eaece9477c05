#include "platform/core/DebugOutput.h"
#include "platform/core/Types.h"
#include "platform/core/Testing.h"

#include <gtest/gtest.h>

#include <thread>

using namespace platform;

TEST(TestingHooks, FailNextIsUsedUpByTheNamedOperationOnly)
{
    platform::testing::FailNext("CreateSurface", static_cast<int64_t>(E_OUTOFMEMORY), 2);
    int64_t code = 0;
    EXPECT_FALSE(platform::testing::ShouldFail("OpenKey", &code));
    EXPECT_TRUE(platform::testing::ShouldFail("CreateSurface", &code));
    EXPECT_EQ(code, E_OUTOFMEMORY);
    EXPECT_EQ(platform::testing::PendingFailures("CreateSurface"), 1);
    EXPECT_TRUE(platform::testing::ShouldFail("CreateSurface"));
    EXPECT_FALSE(platform::testing::ShouldFail("CreateSurface"));

    platform::testing::FailNext("OpenKey", 2, 5);
    platform::testing::ClearFailures();
    EXPECT_FALSE(platform::testing::ShouldFail("OpenKey"));
}

TEST(TestingHooks, AFailureOnEveryCallLastsUntilStopped)
{
    platform::testing::FailEveryCall("WriteFileAtomic.Write", 28);
    for (int call = 0; call < 50; ++call) {
        int64_t code = 0;
        ASSERT_TRUE(platform::testing::ShouldFail("WriteFileAtomic.Write", &code));
        ASSERT_EQ(code, 28);
    }
    EXPECT_EQ(platform::testing::PendingFailures("WriteFileAtomic.Write"), -1);
    platform::testing::StopFailing("WriteFileAtomic.Write");
    EXPECT_FALSE(platform::testing::ShouldFail("WriteFileAtomic.Write"));
}

TEST(TestingHooks, ScriptedAnswersComeBackInOrderPerKey)
{
    platform::testing::ScriptAnswer("MessageBox", 6);
    platform::testing::ScriptAnswer("TextEntry", platform::testing::ScriptedAnswer{1, "Player One"});
    platform::testing::ScriptAnswer("MessageBox", 7);
    platform::testing::ScriptedAnswer answer;
    ASSERT_TRUE(platform::testing::TakeScriptedAnswer("MessageBox", &answer));
    EXPECT_EQ(answer.value, 6);
    ASSERT_TRUE(platform::testing::TakeScriptedAnswer("TextEntry", &answer));
    EXPECT_EQ(answer.text, "Player One");
    ASSERT_TRUE(platform::testing::TakeScriptedAnswer("MessageBox", &answer));
    EXPECT_EQ(answer.value, 7);
    EXPECT_FALSE(platform::testing::TakeScriptedAnswer("MessageBox", &answer));
    EXPECT_EQ(platform::testing::PendingAnswers("TextEntry"), 0u);
}

TEST(TestingHooks, TestsRunHeadlessByDefault)
{
    // The test main chooses the back end; PELLUCOR_PLATFORM=sdl would not be
    // set under ctest.
    EXPECT_TRUE(IsHeadless());
}

TEST(DebugOutput, CaptureSeesTextFromEveryThread)
{
    platform::testing::DebugOutputCapture capture;
    OutputDebugString("Resource Loading Time: 12\r\n");
    std::thread([] { OutputDebugString("DESTROYED HWND: 1\r\n"); }).join();
    EXPECT_EQ(capture.Text(), "Resource Loading Time: 12\r\nDESTROYED HWND: 1\r\n");
    capture.Clear();
    SetDebugOutputEnabled(false);
    OutputDebugString("quiet");
    EXPECT_EQ(capture.Text(), "quiet"); // captured even with stderr output off
}
