// Work a fork must not cut, and the quiet a fork waits for: the quiet waits
// for work under way on other threads and holds off work about to begin
// there, never waits for its own thread's work, and the file layer's error
// words (which read the C library's message catalogue under its locale
// lock) are such work. Real threads: each wait is for another thread to get
// as far as its hold or its wait, never a guessed time.
#include "platform/core/BlockedWait.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ForkQuiet.h"
#include "platform/core/Testing.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

namespace platform {
namespace {

using test_support::WaitUntil;

class ForkQuietTest : public ::testing::Test {
protected:
    // Nothing stays held for a test after this one.
    void TearDown() override { testing::ReleaseForkUnsafeWork(); }

    // A held work a quiet failed to let go is let go before its thread is
    // joined: a failure, not a test that never ends.
    static void Join(std::thread& thread)
    {
        testing::ReleaseForkUnsafeWork();
        thread.join();
    }
};

TEST_F(ForkQuietTest, WaitsForWorkUnderWayOnAnotherThread)
{
    testing::HoldForkUnsafeWork("probe");
    std::atomic<bool> workEnded{false};
    std::thread worker([&] {
        const ForkUnsafeWork work("probe");
        workEnded = true; // the last thing inside the work
    });
    ASSERT_TRUE(WaitUntil([] { return testing::ForkUnsafeWorkHeld(); })) << "the work never reached its hold";
    {
        const ForkQuiet quiet;
        EXPECT_TRUE(workEnded) << "the quiet began in the middle of the work";
    }
    Join(worker);
}

TEST_F(ForkQuietTest, WorkAboutToBeginWaitsUntilTheQuietGoes)
{
    std::optional<ForkQuiet> quiet(std::in_place);
    std::atomic<bool> began{false};
    const int blockedBefore = testing::BlockedThreads();
    std::thread late([&] {
        const ForkUnsafeWork work("late");
        began = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return began || testing::BlockedThreads() > blockedBefore; }));
    EXPECT_FALSE(began) << "the work began while the quiet stood";
    quiet.reset();
    late.join();
    EXPECT_TRUE(began);
}

// A quiet made inside the thread's own work, work begun under the thread's
// own quiet, and work nested in work a quiet waits for: none waits for what
// it stands in (each would otherwise wait forever).
TEST_F(ForkQuietTest, NoWorkOrQuietWaitsForItsOwnThread)
{
    {
        const ForkUnsafeWork outer("the forking thread's own");
        const ForkQuiet quiet;
        const ForkUnsafeWork inner("under its own quiet");
    }
    testing::HoldForkUnsafeWork("outer");
    std::atomic<bool> innerBegan{false};
    std::thread worker([&] {
        const ForkUnsafeWork outer("outer");
        const ForkUnsafeWork inner("inner");
        innerBegan = true;
    });
    ASSERT_TRUE(WaitUntil([] { return testing::ForkUnsafeWorkHeld(); }));
    {
        const ForkQuiet quiet; // lets the outer work go, and waits for it
        EXPECT_TRUE(innerBegan);
    }
    Join(worker);
}

TEST_F(ForkQuietTest, TheFileLayersErrorWordsAreWorkAQuietWaitsFor)
{
    testing::HoldForkUnsafeWork("ErrnoText");
    std::atomic<bool> said{false};
    std::string words;
    std::thread reporter([&] {
        words = DescribeOpenError(ENOENT);
        said = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return said || testing::ForkUnsafeWorkHeld(); }));
    EXPECT_FALSE(said) << "the words were made outside work a fork must not cut";
    {
        const ForkQuiet quiet;
    }
    Join(reporter);
    EXPECT_EQ(words, std::strerror(ENOENT));
}

} // namespace
} // namespace platform
