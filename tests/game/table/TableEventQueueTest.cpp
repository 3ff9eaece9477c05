// The hand-over of timer notices from the time thread to the main thread.
#include "game/table/TableEventQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace Gamespace {
namespace {

struct Target final : TimerTarget {
    explicit Target(std::string name, std::string& log) : name(std::move(name)), log(log) {}
    void OnQueuedTimer(uint32_t id, TimerNotice notice) override
    {
        log += name + std::to_string(id) + (notice == TimerNotice::Tick ? "t " : "f ");
        if (then)
            then();
    }
    std::string name;
    std::string& log;
    std::function<void()> then;
};

TEST(TableEventQueue, NoticesArriveInOrderAndThoseOfAGoneOwnerAreDropped)
{
    std::string log;
    TableEventQueue queue;
    Target a("a", log), b("b", log);
    queue.Post(&a, 1, TimerNotice::Finish);
    queue.Post(&b, 1, TimerNotice::Tick);
    queue.Post(&a, 2, TimerNotice::Finish);
    // A player removed between hands takes its waiting notices with it, so a
    // reused timer number never reaches the wrong player.
    queue.Purge(&a);
    EXPECT_EQ(queue.DispatchAll(), 1u);
    EXPECT_EQ(log, "b1t ");
    EXPECT_TRUE(queue.Empty());
}

TEST(TableEventQueue, AQueuePurgedEmptyTakesNewNoticesAgain)
{
    std::string log;
    TableEventQueue queue;
    Target a("a", log), b("b", log);
    EXPECT_FALSE(queue.DispatchOne());
    queue.Post(&a, 1, TimerNotice::Tick);
    queue.Purge(&a);
    EXPECT_FALSE(queue.DispatchOne());
    EXPECT_EQ(queue.Size(), 0u);
    queue.Post(&b, 2, TimerNotice::Finish);
    EXPECT_TRUE(queue.DispatchOne());
    EXPECT_FALSE(queue.DispatchOne());
    EXPECT_EQ(log, "b2f ");
}

TEST(TableEventQueue, AStepMayPurgeNoticesThatWereWaitingBehindIt)
{
    std::string log;
    TableEventQueue queue;
    Target a("a", log), b("b", log);
    a.then = [&] { queue.Purge(&b); queue.Post(&a, 9, TimerNotice::Finish); a.then = nullptr; };
    queue.Post(&a, 1, TimerNotice::Finish);
    queue.Post(&b, 2, TimerNotice::Finish);
    EXPECT_EQ(queue.DispatchAll(), 2u);
    EXPECT_EQ(log, "a1f a9f ");
}

TEST(TableEventQueue, NoticesPostedFromAnotherThreadAllArrive)
{
    std::string log;
    TableEventQueue queue;
    Target a("a", log);
    std::thread poster([&] {
        for (uint32_t i = 0; i < 1000; ++i)
            queue.Post(&a, i, TimerNotice::Finish);
    });
    size_t delivered = 0;
    while (delivered < 1000)
        delivered += queue.DispatchAll();
    poster.join();
    EXPECT_EQ(delivered, 1000u);
    EXPECT_EQ(log.substr(0, 8), "a0f a1f ");
}

} // namespace
} // namespace Gamespace
