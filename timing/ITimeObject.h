// A timer owned by the time system: counts milliseconds in steps of 5 and
// tells its observer when it starts, at every interval, and when its duration
// has run out (never, when endless).
//
// Threads: any thread. Start and Stop take the object's lock (Start also the
// time system's table lock, so that its OnTimerStart notice runs in the same
// lock order as the time thread's notices); the setters and getters take no
// lock and are seen by the time thread at its next step.
#pragma once

#include <cstdint>

namespace TimeLibrary {

class ITimeObject {
public:
    virtual ~ITimeObject() = default;
    // The object's number in the time system's table, 1..2047.
    virtual uint32_t GetId() = 0;
    virtual void SetTimes(int durationMs, int intervalMs) = 0;
    virtual void SetDuration(int ms) = 0;
    virtual void SetInterval(int ms) = 0;
    // An endless object never finishes on its own.
    virtual void SetEndless(bool endless) = 0;
    // Starts counting from zero. Not paused: OnTimerStart at once, and again
    // when a given delay has run out. Paused: OnTimerStart only when a given
    // delay runs out after the object was unpaused. False (and nothing
    // changes) when the interval is not positive, or the duration is below
    // 1 ms on an object that is not endless.
    virtual bool Start(bool paused, uint16_t delayMs) = 0;
    virtual bool IsRunning() = 0;
    // A paused object keeps all its counters; the time thread skips it.
    virtual void SetPaused(bool paused) = 0;
    virtual bool IsPaused() = 0;
    // Stops without a notice; the object can be started again.
    virtual void Stop() = 0;
    virtual int GetDuration() = 0;
    virtual int GetInterval() = 0;
    virtual bool IsEndless() = 0;
};

} // namespace TimeLibrary
