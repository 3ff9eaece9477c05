#include "platform/core/CRuntime.h"

#include "platform/core/Clock.h"

#include <atomic>
#include <cstdint>

namespace platform {

namespace {
thread_local uint32_t tRandState = 1;
std::atomic<uint64_t> gProcessStartMicroseconds{GetClock().NowMicroseconds()};
} // namespace

int rand()
{
    tRandState = tRandState * 214013u + 2531011u;
    return static_cast<int>((tRandState >> 16) & 0x7FFF);
}

void srand(unsigned int seed) { tRandState = seed; }

long clock()
{
    uint64_t now = GetClock().NowMicroseconds();
    uint64_t start = gProcessStartMicroseconds.load();
    return now >= start ? static_cast<long>((now - start) / 1000) : 0;
}

void ResetProcessClock() { gProcessStartMicroseconds.store(GetClock().NowMicroseconds()); }

} // namespace platform
