// A stopwatch on the performance counter, in milliseconds.
//
// Threads: one thread uses a given stopwatch; it takes no lock.
#pragma once

#include <cstdint>

namespace Zolt {

class PerfTimer {
public:
    PerfTimer() = default;

    void Start();
    // Fixes the duration; no effect when not running.
    void Stop();
    // While running, the time so far (the stopwatch keeps running).
    double GetDuration();
    bool IsRunning() const { return running_; }

private:
    void UpdateDuration();

    int64_t startCount_ = 0; // performance-counter ticks
    double duration_ = 0.0;  // milliseconds
    bool running_ = false;
};

} // namespace Zolt
