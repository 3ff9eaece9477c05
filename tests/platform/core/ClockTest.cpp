#include "platform/core/Clock.h"

#include <gtest/gtest.h>

#include <thread>

using namespace platform;

TEST(Clock, SleepOnAManualClockAdvancesTimeAndReturnsAtOnce)
{
    ManualClock manual(1'000'000);
    ScopedClock scoped(manual);
    DWORD start = GetTickCount();
    Sleep(5);
    EXPECT_EQ(GetTickCount() - start, 5u);
    // A sleep from another thread advances the same clock.
    std::thread([] { Sleep(10); }).join();
    EXPECT_EQ(timeGetTime() - start, 15u);
}

TEST(Clock, PerformanceCounterAgreesWithTheTickCount)
{
    ManualClock manual(0);
    ScopedClock scoped(manual);
    LARGE_INTEGER frequency, before, after;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    ASSERT_TRUE(QueryPerformanceCounter(&before));
    manual.AdvanceMilliseconds(20);
    ASSERT_TRUE(QueryPerformanceCounter(&after));
    EXPECT_EQ((after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart, 20);
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
    EXPECT_FALSE(QueryPerformanceFrequency(nullptr));
}

TEST(Clock, TickCountWrapsAt32Bits)
{
    ManualClock manual((uint64_t(0xFFFFFFFFu) - 2) * 1000);
    ScopedClock scoped(manual);
    DWORD start = GetTickCount();
    EXPECT_EQ(start, 0xFFFFFFFDu);
    manual.AdvanceMilliseconds(5);
    EXPECT_EQ(GetTickCount(), 2u);
    EXPECT_EQ(GetTickCount() - start, 5u); // unsigned differences still work
}

TEST(Clock, RemovingAClockRestoresRealTime)
{
    ManualClock manual(0);
    {
        ScopedClock scoped(manual);
        EXPECT_EQ(&GetClock(), &manual);
    }
    EXPECT_NE(&GetClock(), &manual);
    uint64_t a = GetClock().NowMicroseconds();
    Sleep(2);
    EXPECT_GE(GetClock().NowMicroseconds() - a, 2000u);
}
