#include "timing/TickPacer.h"

namespace TimeLibrary {

TickPacer::TickPacer(int64_t countsPerSecond)
{
    perMs_ = countsPerSecond / 1000;
    eighth_ = perMs_ >> 3;
    full_ = perMs_ * 5;
    period_ = full_;
}

int64_t TickPacer::RestOfPeriod(int64_t elapsed) const
{
    const int64_t rest = period_ - elapsed;
    return rest >= eighth_ ? rest : 0;
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
