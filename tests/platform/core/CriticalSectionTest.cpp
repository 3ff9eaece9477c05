#include "platform/core/CriticalSection.h"

#include "platform/core/BlockedWait.h"
#include "platform/core/Event.h"
#include "platform/core/Thread.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

using namespace platform;

TEST(CriticalSection, OwnerMayEnterAgainButOthersWaitUntilFullyLeft)
{
    CriticalSection cs;
    cs.Enter();
    cs.Enter(); // recursive: no deadlock
    std::atomic<bool> otherGotIn{false};
    Event tried(true);
    Thread other;
    ASSERT_TRUE(other.Start([&] {
        otherGotIn = cs.TryEnter();
        if (otherGotIn)
            cs.Leave();
        tried.Set();
    }));
    ASSERT_TRUE(tried.Wait(5000));
    other.Join();
    EXPECT_FALSE(otherGotIn.load());

    cs.Leave(); // still held once
    tried.Reset();
    ASSERT_TRUE(other.Start([&] {
        otherGotIn = cs.TryEnter();
        if (otherGotIn)
            cs.Leave();
        tried.Set();
    }));
    ASSERT_TRUE(tried.Wait(5000));
    other.Join();
    EXPECT_FALSE(otherGotIn.load());

    cs.Leave(); // now free
    Thread third;
    ASSERT_TRUE(third.Start([&] {
        CriticalSectionLock lock(cs);
        otherGotIn = true;
    }));
    third.Join();
    EXPECT_TRUE(otherGotIn.load());
}

TEST(CriticalSection, GuardsACounterAcrossThreads)
{
    CriticalSection cs;
    long counter = 0; // guarded by cs
    auto work = [&] {
        for (int i = 0; i < 10000; ++i) {
            CriticalSectionLock outer(cs);
            CriticalSectionLock inner(cs);
            ++counter;
        }
    };
    Thread a, b;
    ASSERT_TRUE(a.Start(work));
    ASSERT_TRUE(b.Start(work));
    a.Join();
    b.Join();
    EXPECT_EQ(counter, 20000);
}

// What tests of real threads wait for instead of sleeping: a thread that
// waits for a lock, an event or another thread counts as blocked until it
// gets what it waits for; one that gets it at once never does.
TEST(BlockedThreads, CountsAThreadWhileItWaitsForALockAnEventOrAJoin)
{
    using platform::testing::BlockedThreads;
    CriticalSection cs;
    Event go(true);
    cs.Enter();
    Thread locker, waiter;
    ASSERT_TRUE(locker.Start([&] { CriticalSectionLock lock(cs); }));
    EXPECT_TRUE(test_support::WaitUntil([] { return BlockedThreads() == 1; }));
    ASSERT_TRUE(waiter.Start([&] { go.Wait(); }));
    EXPECT_TRUE(test_support::WaitUntil([] { return BlockedThreads() == 2; }));
    cs.Leave();
    locker.Join();
    EXPECT_EQ(BlockedThreads(), 1) << "the lock was had";

    Thread joiner;
    ASSERT_TRUE(joiner.Start([&] { waiter.Join(); }));
    EXPECT_TRUE(test_support::WaitUntil([] { return BlockedThreads() == 2; }));
    go.Set();
    joiner.Join();
    EXPECT_EQ(BlockedThreads(), 0);

    CriticalSectionLock free(cs);
    EXPECT_TRUE(go.Wait(0));
    EXPECT_EQ(BlockedThreads(), 0) << "no wait, no count";
}

TEST(Thread, CanBeStartedAgainAfterItFinished)
{
    Thread thread;
    int runs = 0;
    ASSERT_TRUE(thread.Start([&] { ++runs; }, ThreadPriority::AboveNormal, "first"));
    thread.Join();
    EXPECT_EQ(thread.GetPriority(), ThreadPriority::AboveNormal);
    ASSERT_TRUE(thread.Start([&] { ++runs; }));
    thread.Join();
    EXPECT_EQ(runs, 2);
}

TEST(Thread, RefusesASecondStartWhileRunning)
{
    Event release(true);
    Thread thread;
    ASSERT_TRUE(thread.Start([&] { release.Wait(); }));
    EXPECT_FALSE(thread.Start([] {}));
    release.Set();
    thread.Join();
}

TEST(Thread, AThreadMayDeleteItsOwnThreadObject)
{
    Event started(true), done(true);
    auto* owner = new Thread;
    ASSERT_TRUE(owner->Start([&] {
        started.Wait();
        delete owner; // must neither join itself nor abort
        done.Set();
    }));
    started.Set(); // Start has returned: the object is complete
    EXPECT_TRUE(done.Wait(5000));
}
