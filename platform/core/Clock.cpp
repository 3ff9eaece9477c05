#include "platform/core/Clock.h"

#include <chrono>
#include <thread>

namespace platform {

namespace {
RealClock gRealClock;
std::atomic<Clock*> gClock{&gRealClock};
std::atomic<int> gTimerPeriodRequests{0};
constexpr int64_t kPerformanceFrequency = 1000000; // the counter counts microseconds
} // namespace

uint64_t RealClock::NowMicroseconds()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

void RealClock::SleepMicroseconds(uint64_t us)
{
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

Clock& GetClock() { return *gClock.load(); }

void SetClock(Clock* clock) { gClock.store(clock ? clock : &gRealClock); }

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
