#include "framework/app/PerfTimer.h"

#include "platform/core/Clock.h"

namespace Zolt {

namespace {

int64_t CounterNow()
{
    platform::LARGE_INTEGER count{};
    platform::QueryPerformanceCounter(&count);
    return count.QuadPart;
}

} // namespace

void PerfTimer::Start()
{
    running_ = true;
    startCount_ = CounterNow();
}

void PerfTimer::Stop()
{
    if (running_) {
        UpdateDuration();
        running_ = false;
    }
}

double PerfTimer::GetDuration()
{
    if (running_) {
        UpdateDuration();
    }
    return duration_;
}

void PerfTimer::UpdateDuration()
{
    platform::LARGE_INTEGER frequency{};
    if (!platform::QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) {
        // Without a counter rate there is no duration to give.
        duration_ = 0.0;
        return;
    }
    const int64_t elapsed = CounterNow() - startCount_;
    duration_ = static_cast<double>(elapsed) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

} // namespace Zolt
