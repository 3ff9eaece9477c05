#include "timing/TickPacer.h"

namespace TimeLibrary {

TickPacer::TickPacer(int64_t countsPerSecond)
{
    const int64_t perMs = countsPerSecond / 1000;
    eighth_ = perMs >> 3;
    oneAndHalf_ = perMs * 15 / 10;
    two_ = perMs * 2;
    three_ = perMs * 3;
    full_ = perMs * 5;
    period_ = full_;
}

int TickPacer::SleepSliceFor(int64_t remaining) const
{
    if (remaining > three_)
        return 4;
    if (remaining > two_)
        return 3;
    if (remaining > oneAndHalf_)
        return 2;
    if (remaining >= eighth_)
        return 0;
    return -1;
}

void TickPacer::EndPass(int64_t total)
{
    // The limit and the amount owed are measured against the full period even
    // when this pass was a shortened one: only time beyond 5 ms is overrun.
    if (total > full_ + eighth_)
        debt_ += static_cast<uint64_t>(total - full_);

    const uint64_t eighth = static_cast<uint64_t>(eighth_);
    if (debt_ == 0) {
        period_ = full_;
    } else if (debt_ > eighth) {
        period_ = full_ - eighth_;
        debt_ -= eighth;
    } else {
        period_ = full_ - static_cast<int64_t>(debt_);
        debt_ = 0;
    }
}

} // namespace TimeLibrary
