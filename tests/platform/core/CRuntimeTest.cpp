// The C library's own headers come first on purpose: ours must not clash
// with their macros.
#include <cstdlib>
#include <ctime>

#include "platform/core/CRuntime.h"

#include "platform/core/Clock.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>
#include <vector>

using namespace platform;

namespace {
std::vector<int> Draw(int count)
{
    std::vector<int> values;
    for (int i = 0; i < count; ++i)
        values.push_back(platform::rand());
    return values;
}
} // namespace

TEST(CRuntime, UnseededThreadGivesTheWindowsSequence)
{
    // Run on a fresh thread so that no earlier test has moved the state.
    std::vector<int> values;
    std::thread([&] { values = Draw(5); }).join();
    EXPECT_EQ(values, (std::vector<int>{41, 18467, 6334, 26500, 19169}));
}

TEST(CRuntime, SrandRestartsTheSequenceAndSeedOneEqualsUnseeded)
{
    platform::srand(1);
    EXPECT_EQ(Draw(5), (std::vector<int>{41, 18467, 6334, 26500, 19169}));
    platform::srand(12345);
    std::vector<int> first = Draw(20);
    platform::srand(12345);
    EXPECT_EQ(Draw(20), first);
    // Seed 12345: state 12345 * 214013 + 2531011 = 2644526596 -> bits 16..30.
    platform::srand(12345);
    EXPECT_EQ(platform::rand(), static_cast<int>((2644526596u >> 16) & 0x7FFF));
    for (int v : first) {
        EXPECT_GE(v, 0);
        EXPECT_LE(v, kRandMax);
    }
}

TEST(CRuntime, EachThreadHasItsOwnState)
{
    platform::srand(777);
    platform::rand();
    int secondOf777 = platform::rand();

    platform::srand(777);
    platform::rand();
    std::vector<int> other;
    // This thread's seed does not reach another thread...
    std::thread([&] { other = Draw(3); }).join();
    EXPECT_EQ(other, (std::vector<int>{41, 18467, 6334}));
    // ...and the other thread's draws did not move this thread's state.
    EXPECT_EQ(platform::rand(), secondOf777);
}

TEST(CRuntime, ClockCountsMillisecondsOfTheManualClock)
{
    ManualClock manual(5'000'000);
    ScopedClock scoped(manual);
    ResetProcessClock();
    EXPECT_EQ(platform::clock(), 0);
    manual.Advance(999); // under a millisecond
    EXPECT_EQ(platform::clock(), 0);
    manual.Advance(1);
    EXPECT_EQ(platform::clock(), 1);
    platform::Sleep(250);
    EXPECT_EQ(platform::clock(), 251);
}

TEST(CRuntime, ClockDoesNotJumpWhenAClockIsInstalled)
{
    long before = platform::clock();
    ManualClock manual(0); // an origin far before the real clock's "now"
    {
        ScopedClock scoped(manual);
        long during = platform::clock();
        EXPECT_GE(during, before);
        EXPECT_LT(during, before + 1000);
        manual.AdvanceMilliseconds(40);
        EXPECT_EQ(platform::clock(), during + 40);
    }
    // Back on the real clock, time goes on from where the manual one left it.
    EXPECT_GE(platform::clock(), before + 40);
}

// A played demo gives its main thread the recorded readings; other threads
// read the clock itself.
TEST(CRuntime, AClockRelayAnswersForTheThreadThatInstalledItOnly)
{
    ManualClock manual(5'000'000);
    ScopedClock scoped(manual);
    ResetProcessClock();
    manual.AdvanceMilliseconds(30);
    static long heard = -1;
    SetClockRelay([](long reading) {
        heard = reading;
        return 1234L;
    });
    EXPECT_EQ(platform::clock(), 1234);
    EXPECT_EQ(heard, 30);
    long elsewhere = -1;
    std::thread([&] { elsewhere = platform::clock(); }).join();
    EXPECT_EQ(elsewhere, 30);
    SetClockRelay(nullptr);
    EXPECT_EQ(platform::clock(), 30);
}

TEST(CRuntime, StricmpIgnoresTheCaseOfAsciiLettersOnly)
{
    EXPECT_EQ(platform::stricmp("R+B", "r+b"), 0);
    EXPECT_EQ(platform::stricmp("", ""), 0);
    EXPECT_LT(platform::stricmp("rb", "rbx"), 0) << "a prefix orders first";
    EXPECT_GT(platform::stricmp("Rt", "rb"), 0);
    EXPECT_LT(platform::stricmp("[", "a"), 0) << "letters compare lowered, so '[' sorts before 'a'";
    EXPECT_NE(platform::stricmp("\xC9", "\xE9"), 0) << "bytes above ASCII keep their case";
}

TEST(CRuntime, LocaltimeSConvertsAndRefusesNulls)
{
    const std::time_t noon = 12 * 3600;
    std::tm local{};
    ASSERT_EQ(platform::localtime_s(&local, &noon), 0);
    EXPECT_EQ(local.tm_year, 70);
    EXPECT_EQ(local.tm_sec, 0) << "time zones differ by whole minutes";
    EXPECT_EQ(platform::localtime_s(&local, nullptr), EINVAL);
    EXPECT_EQ(local.tm_year, 0) << "a refused conversion leaves no stale fields";
    EXPECT_EQ(platform::localtime_s(nullptr, &noon), EINVAL);
}
