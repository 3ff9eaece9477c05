// Counts the threads that are blocked in a platform wait for another thread:
// on a critical section another thread holds, in a join, on an event, in a
// message queue, in a socket select. A test of real threads waits until the
// thread it means has got that far (platform::testing::BlockedThreads)
// instead of sleeping a guessed time and hoping it has.
//
// Threads: any; one process-wide atomic count.
#pragma once

#include <atomic>

namespace platform {

namespace detail {
inline std::atomic<int> gBlockedThreads{0};
} // namespace detail

// Counts the calling thread as blocked for the guard's scope.
class BlockedWait {
public:
    BlockedWait() { detail::gBlockedThreads.fetch_add(1); }
    ~BlockedWait() { detail::gBlockedThreads.fetch_sub(1); }
    BlockedWait(const BlockedWait&) = delete;
    BlockedWait& operator=(const BlockedWait&) = delete;
};

namespace testing {
// How many threads are blocked in a platform wait right now.
inline int BlockedThreads() { return detail::gBlockedThreads.load(); }
} // namespace testing

} // namespace platform
