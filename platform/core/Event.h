// A Win32-style event: manual-reset (stays set until Reset) or auto-reset
// (one waiter is released and the event clears itself). Waits are measured in
// real time even under a manual clock: they guard thread hand-overs, not game
// timing.
#pragma once

#include "platform/core/Types.h"

#include <condition_variable>
#include <mutex>

namespace platform {

class Event {
public:
    explicit Event(bool manualReset = false, bool initiallySet = false)
        : manualReset_(manualReset), set_(initiallySet) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // True when the event was set within the timeout (INFINITE waits forever).
    bool Wait(DWORD timeoutMilliseconds = INFINITE);
    bool IsSet();

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    const bool manualReset_;
    bool set_;
};

} // namespace platform
