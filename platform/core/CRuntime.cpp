#include "platform/core/CRuntime.h"

#include "platform/core/Clock.h"

#include <cstdint>

namespace platform {

namespace {
thread_local uint32_t tRandState = 1;
} // namespace

int rand()
{
    tRandState = tRandState * 214013u + 2531011u;
    return static_cast<int>((tRandState >> 16) & 0x7FFF);
}

void srand(unsigned int seed) { tRandState = seed; }

long clock() { return static_cast<long>(ProcessMicroseconds() / 1000); }

void ResetProcessClock() { ResetProcessStart(); }

} // namespace platform
