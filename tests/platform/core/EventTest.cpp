#include "platform/core/Event.h"

#include "platform/core/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

using namespace platform;

TEST(Event, AutoResetReleasesOneWaitAndClears)
{
    Event event(false, false);
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    EXPECT_TRUE(event.IsSet());
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(10)); // times out: nobody set it again
}

TEST(Event, ManualResetStaysSetUntilReset)
{
    Event event(true, true);
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

TEST(Event, AutoResetWakesExactlyOneOfTwoWaiters)
{
    Event event(false, false);
    std::atomic<int> woken{0};
    auto waiter = [&] {
        if (event.Wait(2000))
            ++woken;
    };
    std::thread a(waiter), b(waiter);
    event.Set();
    // The second waiter needs a second Set; wait for the first to pass.
    while (woken.load() == 0)
        std::this_thread::yield();
    EXPECT_EQ(woken.load(), 1);
    event.Set();
    a.join();
    b.join();
    EXPECT_EQ(woken.load(), 2);
}

TEST(Event, ManualResetWakesEveryWaiter)
{
    Event event(true, false);
    std::atomic<int> woken{0};
    std::thread a([&] { woken += event.Wait(INFINITE); });
    std::thread b([&] { woken += event.Wait(INFINITE); });
    event.Set();
    a.join();
    b.join();
    EXPECT_EQ(woken.load(), 2);
    EXPECT_TRUE(event.IsSet());
}

TEST(Event, SetFromAnotherThreadEndsAnInfiniteWait)
{
    Event event;
    Thread setter;
    ASSERT_TRUE(setter.Start([&] { event.Set(); }));
    EXPECT_TRUE(event.Wait(INFINITE));
    setter.Join();
    EXPECT_TRUE(setter.Finished());
}

TEST(Event, WaiterMayDestroyTheEventAsSoonAsItIsReleased)
{
    for (int round = 0; round < 200; ++round) {
        auto event = std::make_unique<Event>();
        std::thread setter([raw = event.get()] { raw->Set(); });
        EXPECT_TRUE(event->Wait(5000));
        event.reset(); // the setter may still be inside Set
        setter.join();
    }
}
