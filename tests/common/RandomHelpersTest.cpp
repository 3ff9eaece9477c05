#include "common/RandomHelpers.h"

#include "platform/core/CRuntime.h"
#include "platform/core/Clock.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(RandomHelpers, RangeEdges)
{
    platform::srand(1);
    EXPECT_EQ(RandomInRange(5, 5), 5u);
    EXPECT_EQ(RandomInRange(6, 5), 0u);
    // Neither edge case draws from the generator: the first draw of seed 1 is 41.
    EXPECT_EQ(RandomInRange(0, 52), 41u);
    for (int i = 0; i < 10000; ++i) {
        const uint32_t v = RandomInRange(10, 62);
        ASSERT_GE(v, 10u);
        ASSERT_LT(v, 62u);
    }
    // A range wider than the generator never reaches its upper part.
    for (int i = 0; i < 10000; ++i)
        ASSERT_LT(RandomInRange(0, 100000), 32768u);
}

TEST(RandomHelpers, SeedingInTheSameMillisecondRepeatsTheSequence)
{
    platform::ManualClock clock;
    platform::ScopedClock scoped(clock);
    platform::ResetProcessClock();
    clock.AdvanceMilliseconds(777);
    auto draw = [] {
        std::vector<uint32_t> values;
        for (int i = 0; i < 20; ++i)
            values.push_back(RandomInRange(0, 52));
        return values;
    };
    SeedRandom();
    const std::vector<uint32_t> first = draw();
    clock.Advance(900); // still within the same millisecond
    SeedRandom();
    EXPECT_EQ(draw(), first);
    clock.AdvanceMilliseconds(1);
    SeedRandom();
    EXPECT_NE(draw(), first);
}

TEST(RandomHelpers, EachThreadHasItsOwnGenerator)
{
    platform::srand(12345);
    const uint32_t here = RandomInRange(0, 32768);
    uint32_t there = 0;
    std::thread other([&] { there = RandomInRange(0, 32768); });
    other.join();
    // A thread that never seeded starts from state 1.
    EXPECT_EQ(there, 41u);
    platform::srand(12345);
    EXPECT_EQ(RandomInRange(0, 32768), here);
}
