// The callbacks of a time object's owner. Each receives the time object's id,
// never a pointer, so an owner that keeps several timers tells them apart by
// number. Every callback does nothing unless overridden.
//
// Threads: OnTimerTick, OnTimerFinish and a delayed OnTimerStart arrive on the
// time thread while it holds the time system's table lock and the time
// object's own lock; an undelayed OnTimerStart arrives on the thread that
// called ITimeObject::Start, under the same two locks. Both locks are
// recursive, so a callback may create, start, stop or destroy time objects,
// its own included (a time object destroyed from its own callback is freed
// once the callback has returned).
#pragma once

#include <cstdint>

namespace TimeLibrary {

class TimeObjectMessageObserver {
public:
    virtual ~TimeObjectMessageObserver() = default;
    virtual void OnTimerStart(uint32_t /*id*/) {}
    // Part of the interface for owners that relay it; the time system itself
    // never raises it.
    virtual void OnTimerSpare(uint32_t /*id*/) {}
    virtual void OnTimerFinish(uint32_t /*id*/) {}
    virtual void OnTimerTick(uint32_t /*id*/) {}
};

} // namespace TimeLibrary
