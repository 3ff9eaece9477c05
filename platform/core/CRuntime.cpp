#include "platform/core/CRuntime.h"

#include "platform/core/Clock.h"

#include <cerrno>
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
