#include "platform/core/CRuntime.h"

#include "platform/core/Clock.h"

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <thread>

namespace platform {

namespace {
thread_local uint32_t tRandState = 1;

struct InstalledRelay {
    ClockRelay relay = nullptr;
    std::thread::id thread;
};
std::mutex gRelayLock;
InstalledRelay gRelay;
} // namespace

int rand()
{
    tRandState = tRandState * 214013u + 2531011u;
    return static_cast<int>((tRandState >> 16) & 0x7FFF);
}

void srand(unsigned int seed) { tRandState = seed; }

unsigned int testing::RandState() { return tRandState; }

long clock()
{
    const long reading = static_cast<long>(ProcessMicroseconds() / 1000);
    ClockRelay relay = nullptr;
    {
        std::lock_guard<std::mutex> lock(gRelayLock);
        if (gRelay.relay && gRelay.thread == std::this_thread::get_id())
            relay = gRelay.relay;
    }
    return relay ? relay(reading) : reading;
}

void SetClockRelay(ClockRelay relay)
{
    std::lock_guard<std::mutex> lock(gRelayLock);
    gRelay = InstalledRelay{relay, std::this_thread::get_id()};
}

void ResetProcessClock() { ResetProcessStart(); }

int stricmp(const char* a, const char* b)
{
    auto lower = [](char c) -> int {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
    };
    for (;; ++a, ++b) {
        const int difference = lower(*a) - lower(*b);
        if (difference != 0 || *a == '\0')
            return difference;
    }
}

int localtime_s(std::tm* out, const std::time_t* time)
{
    if (!out)
        return EINVAL;
    *out = std::tm{};
    if (!time || !::localtime_r(time, out))
        return EINVAL;
    return 0;
}

} // namespace platform
