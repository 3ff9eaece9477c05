// The loading thread on its own: one launch, the flags the loop reads while
// the body runs, the completion, and the fraction shown on a loading screen.
#include "framework/app/BackgroundLoader.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

using Zolt::BackgroundLoader;

TEST(BackgroundLoader, BodyRunsOnceOnItsOwnThreadAndIsWaitedForAtTheCompletion)
{
    BackgroundLoader loader;
    std::promise<std::thread::id> ranOn;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    int runs = 0;
    ASSERT_TRUE(loader.Launch([&] {
        ++runs;
        ranOn.set_value(std::this_thread::get_id());
        released.wait();
    }));
    EXPECT_NE(ranOn.get_future().get(), std::this_thread::get_id());
    EXPECT_TRUE(loader.HasStarted());
    EXPECT_TRUE(loader.IsRunning());
    EXPECT_FALSE(loader.HasFinished()) << "the body is still held";
    EXPECT_FALSE(loader.Launch([&] { ++runs; })) << "launched once only";

    release.set_value();
    loader.Join();
    EXPECT_TRUE(loader.HasFinished());
    EXPECT_TRUE(loader.IsRunning()) << "running until the loop applied the completion";
    loader.MarkCompletionApplied();
    EXPECT_FALSE(loader.IsRunning());
    EXPECT_TRUE(loader.IsCompletionApplied());
    EXPECT_EQ(runs, 1);
}

TEST(BackgroundLoader, FractionIsZeroBeforeTheStartAtMostOneAndOneOnceApplied)
{
    BackgroundLoader loader;
    EXPECT_DOUBLE_EQ(loader.Fraction(3, 4), 0.0) << "not started";
    loader.Launch([] {});
    loader.Join();
    EXPECT_DOUBLE_EQ(loader.Fraction(3, 4), 0.75);
    EXPECT_DOUBLE_EQ(loader.Fraction(3, 0), 0.0) << "no total yet";
    EXPECT_DOUBLE_EQ(loader.Fraction(9, 4), 1.0);
    loader.MarkCompletionApplied();
    EXPECT_DOUBLE_EQ(loader.Fraction(0, 4), 1.0);
}
