// Test double: a manual clock on which a yield costs time too. Sleep(n) moves
// the clock by n ms, and Sleep(0) by 1/8 ms, the smallest wait the time
// thread ever makes, so a paced loop driven only by its own sleeps ends each
// period exactly on time and never spins.
#pragma once

#include "platform/core/Clock.h"

#include <atomic>

namespace TimeLibrary::testing {

class YieldingClock final : public platform::Clock {
public:
    static constexpr uint64_t kYieldMicroseconds = 125;
    uint64_t NowMicroseconds() override { return now_.load(); }
    void SleepMicroseconds(uint64_t us) override
    {
        sleeps_.fetch_add(1);
        now_.fetch_add(us == 0 ? kYieldMicroseconds : us);
    }
    void Advance(uint64_t us) { now_.fetch_add(us); }
    int Sleeps() const { return sleeps_.load(); }

private:
    std::atomic<int> sleeps_{0};
    std::atomic<uint64_t> now_{0};
};

} // namespace TimeLibrary::testing
