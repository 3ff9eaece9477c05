#include "framework/app/Profiler.h"

#include "framework/base/StringUtils.h"
#include "platform/core/Clock.h"
#include "platform/core/TimeStampCounter.h"

#include <mutex>

namespace {

int64_t CounterNow()
{
    platform::LARGE_INTEGER count{};
    platform::QueryPerformanceCounter(&count);
    return count.QuadPart;
}

// Guards the profiler's state below.
std::mutex gProfilerMutex;
uint64_t gStartStamp = 0;
double gTotalMilliseconds = 0.0;
bool gRunning = false;

} // namespace

int64_t MeasureCpuTicksPerSecond()
{
    platform::LARGE_INTEGER frequency{};
    if (!platform::QueryPerformanceFrequency(&frequency) || frequency.QuadPart < 0) {
        frequency.QuadPart = 0;
    }
    const int64_t start = CounterNow();
    const int64_t target = start + frequency.QuadPart / 100;
    const uint64_t stampStart = platform::ReadTimeStampCounter();
    // Waiting through the clock's Sleep rather than spinning keeps a test's
    // manual clock moving; the rate is taken over the interval that really
    // passed, so overshooting the 10 ms costs no accuracy.
    int64_t now = CounterNow();
    while (now < target) {
        platform::Sleep(1);
        now = CounterNow();
    }
    const uint64_t stamps = platform::ReadTimeStampCounter() - stampStart;
    const int64_t elapsed = now - start;
    if (elapsed <= 0 || frequency.QuadPart == 0) {
        return 0;
    }
    const long double rate = static_cast<long double>(stamps) * frequency.QuadPart / elapsed;
    return static_cast<int64_t>(rate);
}

int64_t CpuTicksPerSecond()
{
    static const int64_t cached = [] {
        const int64_t measured = MeasureCpuTicksPerSecond();
        return measured > 0 ? measured : int64_t{1};
    }();
    return cached;
}

void ProfilerStart(bool keepStopped)
{
    std::lock_guard<std::mutex> lock(gProfilerMutex);
    if (!keepStopped) {
        gRunning = true;
    }
    gStartStamp = platform::ReadTimeStampCounter();
}

void ProfilerStop()
{
    // The stop moment is taken first: the first call also measures the
    // counter rate, which takes 10 ms that belong to no profile.
    const uint64_t stopStamp = platform::ReadTimeStampCounter();
    const int64_t ticksPerSecond = CpuTicksPerSecond();
    std::lock_guard<std::mutex> lock(gProfilerMutex);
    gRunning = false;
    const uint64_t stamps = stopStamp - gStartStamp;
    gTotalMilliseconds = static_cast<double>(stamps) * 1000.0 / static_cast<double>(ticksPerSecond);
}

bool ProfilerIsRunning()
{
    std::lock_guard<std::mutex> lock(gProfilerMutex);
    return gRunning;
}

std::string ProfilerResults()
{
    std::lock_guard<std::mutex> lock(gProfilerMutex);
    return FormatString("Total Time: %.2f\n", gTotalMilliseconds);
}
