// Sleeping on the X display connection itself. SDL's own wait and pump ask
// the connection for news with a dozen reads each time, which an idle
// program running a hundred updates a second pays for on every update; this
// waits with one poll on the connection and a wake-up descriptor, and tells
// the back end whether a pump can find anything at all. Without an X display
// (another video driver) it is inactive and the back end uses SDL's calls.
//
// Threads: Wait and HasNews on the thread that pumps SDL's events; Wake from
// any thread (it only writes to the wake-up descriptor).
#pragma once

#include "platform/core/Types.h"

#include <atomic>

struct SDL_Window;
struct _XDisplay;

namespace platform {

class DisplayConnectionWait {
public:
    DisplayConnectionWait();
    ~DisplayConnectionWait();
    DisplayConnectionWait(const DisplayConnectionWait&) = delete;
    DisplayConnectionWait& operator=(const DisplayConnectionWait&) = delete;

    // Takes the connection of `window` when it is an X window (once).
    void Attach(SDL_Window* window);
    bool IsActive() const { return display_ != nullptr; }
    // The connection taken (null before, or on another video driver).
    _XDisplay* Connection() const { return display_; }

    // True when the connection has events read or waiting to be read, or a
    // wake-up or a signal came since the last pump; without blocking.
    bool HasNews();
    // Blocks up to `milliseconds` for news (see HasNews); true when some came.
    bool Wait(DWORD milliseconds);
    // Ends a Wait in progress, or the next one.
    void Wake();

private:
    bool Poll(int timeoutMilliseconds);

    _XDisplay* display_ = nullptr;
    int connection_ = -1;
    int wakeFd_ = -1;
    // A signal interrupted a wait (SessionEndSignals noted it), or a
    // wake-up came: the next pump must run.
    std::atomic<bool> news_{false};
};

} // namespace platform
