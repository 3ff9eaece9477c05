// The signals by which the system asks a program to end: SIGTERM (the
// desktop session ends, or someone asks with `kill`), SIGHUP (the terminal
// or session the program belonged to went away) and SIGINT (Ctrl+C). A
// Windows program learns the same from WM_ENDSESSION; the window service
// delivers these so, and the program ends as it always does, saving what it
// saves at its end. A signal nobody can answer must not ask anything.
//
// A second signal of the same kind after the first was noted ends the
// program at once, as it would have without the handler: a program whose
// orderly end hangs can still be stopped.
//
// Threads: Watch and Take on the thread that owns the windows; the handler
// runs on whichever thread the system picks and touches only lock-free
// atomics and write(2).
#pragma once

namespace platform::detail {

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

} // namespace platform::detail
