#include "platform/core/Clock.h"

#include "platform/core/Testing.h"

#include <chrono>
#include <thread>

namespace platform {

namespace {
RealClock gRealClock;
std::atomic<Clock*> gClock{&gRealClock};
std::atomic<int> gTimerPeriodRequests{0};
constexpr int64_t kPerformanceFrequency = 1000000; // the counter counts microseconds

// The process start, in the time base of the clock in force. Signed: after a
// switch to a manual clock that starts at 0 it lies before that clock's 0.
std::atomic<int64_t>& ProcessOrigin()
{
    static std::atomic<int64_t> origin{static_cast<int64_t>(gClock.load()->NowMicroseconds())};
    return origin;
}
// Taken during static initialisation, so that "process start" is the start.
[[maybe_unused]] const bool gOriginTaken = (ProcessOrigin(), true);
} // namespace

uint64_t RealClock::NowMicroseconds()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

void RealClock::SleepMicroseconds(uint64_t us)
{
    // Sleep(0) gives up the time slice. On an idle Linux machine a bare
    // yield returns at once, so the 5 ms timing loop, which ends its waits
    // with Sleep(0), would spin a core; a very short real sleep keeps it
    // within its eighth of a millisecond without burning the processor.
    if (us == 0)
        us = 50;
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

Clock& GetClock() { return *gClock.load(); }

void SetClock(Clock* clock)
{
    int64_t elapsed = static_cast<int64_t>(ProcessMicroseconds());
    Clock* next = clock ? clock : &gRealClock;
    gClock.store(next);
    ProcessOrigin().store(static_cast<int64_t>(next->NowMicroseconds()) - elapsed);
}

uint64_t ProcessMicroseconds()
{
    int64_t elapsed = static_cast<int64_t>(GetClock().NowMicroseconds()) - ProcessOrigin().load();
    return elapsed > 0 ? static_cast<uint64_t>(elapsed) : 0;
}

void ResetProcessStart() { ProcessOrigin().store(static_cast<int64_t>(GetClock().NowMicroseconds())); }

DWORD GetTickCount() { return static_cast<DWORD>(GetClock().NowMicroseconds() / 1000); }

DWORD timeGetTime() { return GetTickCount(); }

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (!count)
        return FALSE;
    count->QuadPart = static_cast<int64_t>(GetClock().NowMicroseconds());
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (!frequency)
        return FALSE;
    int64_t code = 0;
    if (testing::ShouldFail("QueryPerformanceFrequency", &code)) {
        // Hardware without a counter answers FALSE with a rate of 0.
        frequency->QuadPart = 0;
        return FALSE;
    }
    frequency->QuadPart = kPerformanceFrequency;
    return TRUE;
}

void Sleep(DWORD milliseconds) { GetClock().SleepMicroseconds(uint64_t(milliseconds) * 1000); }

UINT timeBeginPeriod(UINT)
{
    ++gTimerPeriodRequests;
    return 0;
}

UINT timeEndPeriod(UINT)
{
    --gTimerPeriodRequests;
    return 0;
}

int TimerPeriodRequests() { return gTimerPeriodRequests.load(); }

} // namespace platform
