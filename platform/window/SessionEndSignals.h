// The signals by which the system asks a program to end: SIGTERM (the
// desktop session ends, or someone asks with `kill`), SIGHUP (the terminal
// or session the program belonged to went away) and SIGINT (Ctrl+C). A
// Windows program learns the same from WM_ENDSESSION; the window service
// delivers these so, and the program ends as it always does, saving what it
// saves at its end. A signal nobody can answer must not ask anything.
//
// The program also ends when its orderly course cannot: a second signal of
// the same kind after the first was noted ends it at once, and where the
// program asked for a deadline (EndSessionWithin), so does the deadline's
// passing, whatever holds the program (a box, a helper program it waits
// for, a display that stopped answering). Either way what it started in its
// session ends with it and its single-copy lock is let go
// (PrepareAbruptEnd).
//
// Threads: Watch and Take on the thread that owns the windows; the handlers
// run on whichever thread the system picks and touch only lock-free atomics
// and async-signal-safe calls.
#pragma once

#include "platform/core/Types.h"

namespace platform {

// After a termination signal the program has `milliseconds` to end in its
// own way; then it is ended (exit code 0, as quitting gives). Called once
// by the program's entry point; the deadline is armed by the first signal.
void EndSessionWithin(DWORD milliseconds);

namespace detail {

// Installs the handlers (again: a new run starts without a request
// pending). A signal the program was started with ignored (nohup) stays
// ignored.
void WatchSessionEndSignals();
// True once for each noted request.
bool TakeSessionEndRequest();
// True while a noted request waits to be taken (a box gives up for it).
bool SessionEndPending();
// A descriptor that the handler writes an eight-byte 1 to, ending the UI
// thread's wait when the signal went to another thread (-1: none).
void WakeOnSessionEnd(int eventDescriptor);

} // namespace detail

} // namespace platform
