#include "common/IdAllocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>
#include <vector>

TEST(IdAllocator, SmallestFreeIdAboveTheBase)
{
    IdAllocator ids;
    EXPECT_EQ(ids.Allocate(), 1u);
    EXPECT_EQ(ids.Allocate(), 2u);
    EXPECT_EQ(ids.Allocate(), 3u);
    ids.Release(2);
    EXPECT_EQ(ids.Allocate(), 2u);
    EXPECT_EQ(ids.Allocate(), 4u);
    ids.Release(99);
    ids.Release(1);
    ids.Release(1);
    EXPECT_EQ(ids.Allocate(), 1u);
    EXPECT_EQ(ids.Allocate(), 5u);

    IdAllocator objects;
    objects.base = 1;
    EXPECT_EQ(objects.Allocate(), 2u);
    EXPECT_EQ(objects.Allocate(), 3u);
}

TEST(IdAllocator, NoIdIsLeftAboveTheTopOfTheRange)
{
    IdAllocator ids;
    ids.base = 0xFFFFFFFEu;
    EXPECT_EQ(ids.Allocate(), 0xFFFFFFFFu);
    EXPECT_EQ(ids.Allocate(), 0u);
    ids.base = 0xFFFFFFFFu;
    EXPECT_EQ(ids.Allocate(), 0u);
}

TEST(IdAllocator, ThreadsNeverReceiveTheSameId)
{
    IdAllocator shared;
    IdAllocator other;
    constexpr int kPerThread = 2000;
    std::vector<std::vector<uint32_t>> got(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < got.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                got[t].push_back(shared.Allocate());
                // Churn another allocator under the same lock meanwhile.
                other.Release(other.Allocate());
                if (i % 3 == 0) {
                    shared.Release(got[t].back());
                    got[t].pop_back();
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    std::set<uint32_t> all;
    size_t total = 0;
    for (const auto& ids : got) {
        all.insert(ids.begin(), ids.end());
        total += ids.size();
    }
    EXPECT_EQ(all.size(), total);
    EXPECT_EQ(other.Allocate(), 1u);
}
