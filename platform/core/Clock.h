// The one source of time for the whole program. Tick counts, timeGetTime,
// the performance counter, Sleep and the C runtime's clock() all read the
// current Clock, so that tests can replace it with a ManualClock and drive
// the main loop, the 5 ms time system and the table's timers exactly.
//
// Threads: any thread may read the clock or sleep. Installing a clock
// (SetClock / ScopedClock) is done by a test's main thread while no other
// thread of the program runs.
#pragma once

#include "platform/core/Types.h"

#include <atomic>
#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Microseconds since an arbitrary fixed origin; never goes back.
    virtual uint64_t NowMicroseconds() = 0;
    // Blocks the calling thread (or, for a manual clock, advances time).
    virtual void SleepMicroseconds(uint64_t us) = 0;
};

// Monotonic system time; Sleep really sleeps.
class RealClock final : public Clock {
public:
    uint64_t NowMicroseconds() override;
    void SleepMicroseconds(uint64_t us) override;
};

// Time that moves only when told: Advance() moves it, and a Sleep(n) from any
// thread advances it by n and returns at once.
class ManualClock final : public Clock {
public:
    explicit ManualClock(uint64_t startMicroseconds = 0) : now_(startMicroseconds) {}
    uint64_t NowMicroseconds() override { return now_.load(); }
    void SleepMicroseconds(uint64_t us) override { now_.fetch_add(us); }
    void Advance(uint64_t us) { now_.fetch_add(us); }
    void AdvanceMilliseconds(uint64_t ms) { now_.fetch_add(ms * 1000); }
    void Set(uint64_t us) { now_.store(us); }

private:
    std::atomic<uint64_t> now_;
};

// The clock in force (a RealClock unless a test installed another).
Clock& GetClock();
// Installs `clock` (not owned); null restores the real clock. The time since
// process start (ProcessMicroseconds, the C runtime's clock()) carries on
// from where it was rather than jumping to the new clock's origin.
void SetClock(Clock* clock);

// Microseconds since the process started, read from the clock in force.
uint64_t ProcessMicroseconds();
// Makes "now" the process start (tests that want clock() to start from 0).
void ResetProcessStart();

// Installs a clock for the lifetime of the guard.
class ScopedClock {
public:
    explicit ScopedClock(Clock& clock) { SetClock(&clock); }
    ~ScopedClock() { SetClock(nullptr); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};

// Win32-shaped readings of the clock.
DWORD GetTickCount();                 // milliseconds, wraps at 2^32
DWORD timeGetTime();                  // milliseconds, wraps at 2^32
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency); // counts per second
void Sleep(DWORD milliseconds);
// The multimedia timer resolution requests; recorded so tests can check that
// every begin is paired with an end.
UINT timeBeginPeriod(UINT milliseconds);
UINT timeEndPeriod(UINT milliseconds);
int TimerPeriodRequests();

} // namespace platform
