// The processes this one started (a message box's process, a dialog
// helper) and the ones they started, as the system's process table
// (/proc) tells them by their parents; only those still in this process's
// session: one that made a session of its own means to outlive it.
//
// Used where the program ends without its orderly course, so everything
// here is async-signal-safe: system calls on fixed buffers, no allocation,
// no lock. Threads: any; one call at a time (a second one while another
// runs finds nothing and ends nothing).
#pragma once

#include <cstddef>
#include <sys/types.h>

namespace platform {

// Writes up to `capacity` process ids into `pids`; returns how many.
size_t FindDescendantProcesses(pid_t* pids, size_t capacity);

// Asks each descendant to end (SIGTERM), gives them `graceMilliseconds` to
// do so, then ends those left (SIGKILL). A process that has ended but was
// not yet reaped counts as ended.
void EndDescendantProcesses(int graceMilliseconds);

} // namespace platform
