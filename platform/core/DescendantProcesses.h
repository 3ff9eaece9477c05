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

// While one stands, every process that the thread which made it starts
// (with fork, as a library may do behind its call: SDL shows its own box
// in a process it starts so) is ended by the system the moment that thread
// ends, and so with the program however it ends (SIGKILL, a crash, a
// force-quit), which no handler of ours would see; one started as the
// program is already ending ends at once. Nothing else of it changes.
//
// Threads: made and dropped on one thread; other threads' children are
// left as they are.
class ChildrenEndWithThisThread {
public:
    ChildrenEndWithThisThread();
    ~ChildrenEndWithThisThread();
    ChildrenEndWithThisThread(const ChildrenEndWithThisThread&) = delete;
    ChildrenEndWithThisThread& operator=(const ChildrenEndWithThisThread&) = delete;
};

} // namespace platform
