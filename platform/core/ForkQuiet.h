// Work of ours that a fork must not cut in the middle, and the quiet that a
// fork whose child goes on in a library's code waits for.
//
// A fork copies the C library's locks as they stand, with only the thread
// that forked going on in the child. glibc's fork makes its allocator, its
// streams and its name-service tables safe for the child, but not the
// locale's lock: a child that calls setlocale waits for it forever when
// another thread held it at the fork. Error words take that lock (strerror
// and its kin read the message catalogue under it), and so does a library
// that translates what it meets, as SDL's sound back ends do dozens of
// times while they probe for a sound server. SDL shows its own message box
// in a child it forks, and calls setlocale there first: a fork in the
// middle of such work leaves the box's process waiting forever, and the
// program waiting for the box. So such work on our threads stands under a
// ForkUnsafeWork, and such a fork is made under a ForkQuiet. (A child that
// only calls exec needs no quiet: it takes no lock of the library.)
//
// Threads: any. One mutex guards the counts of work and of quiets. A
// ForkUnsafeWork is a leaf: nothing of ours is waited for while one stands
// (a second one on the same thread included), so a ForkQuiet always gets its
// quiet. Work that would begin on another thread while a ForkQuiet stands
// waits until it goes: an error told meanwhile is told after the box, and
// sound that was not yet being opened opens after it.
#pragma once

#include <string_view>

namespace platform {

// While one stands on a thread, no ForkQuiet of another thread begins: one
// standing already makes this wait until it goes. `name` is what a test
// holds the work by (testing::HoldForkUnsafeWork).
class ForkUnsafeWork {
public:
    explicit ForkUnsafeWork(std::string_view name);
    ~ForkUnsafeWork();
    ForkUnsafeWork(const ForkUnsafeWork&) = delete;
    ForkUnsafeWork& operator=(const ForkUnsafeWork&) = delete;
};

// While one stands, no ForkUnsafeWork of another thread runs: it waits for
// the work under way to end, and work about to begin waits until it goes.
// The thread's own work neither waits nor is waited for.
class ForkQuiet {
public:
    ForkQuiet();
    ~ForkQuiet();
    ForkQuiet(const ForkQuiet&) = delete;
    ForkQuiet& operator=(const ForkQuiet&) = delete;
};

} // namespace platform
