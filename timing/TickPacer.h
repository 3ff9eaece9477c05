// The time thread's timekeeping: how long to sleep within a pass, and how an
// overrun is paid back. Periods are 5 ms on average; a pass that runs late
// leaves a debt that later periods repay by at most 1/8 ms each, so a stall is
// followed by slightly quicker passes rather than a burst of back-to-back
// ticks. All amounts are in performance-counter units.
//
// Threads: used only by the thread that runs the tick loop; no lock.
#pragma once

#include <cstdint>

namespace TimeLibrary {

class TickPacer {
public:
    // `countsPerSecond` is the performance-counter frequency (at least 1000).
    explicit TickPacer(int64_t countsPerSecond);

    // The length the current pass should have.
    int64_t Period() const { return period_; }
    // The counts still to wait when `elapsed` counts of the period have
    // passed: the rest of the period, or 0 when less than 1/8 ms is left,
    // which is not worth a sleep.
    int64_t RestOfPeriod(int64_t elapsed) const;
    // A number of counts in microseconds.
    int64_t MicrosecondsIn(int64_t counts) const { return counts * 1000 / perMs_; }
    // Books a pass that took `total` counts and sets the next period.
    void EndPass(int64_t total);
    // Overrun still to be repaid.
    uint64_t Debt() const { return debt_; }

private:
    int64_t perMs_;
    int64_t eighth_;
    int64_t full_;
    int64_t period_;
    uint64_t debt_ = 0;
};

} // namespace TimeLibrary
