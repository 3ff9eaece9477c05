// For the few tests that must run real threads or processes against each
// other: waits until `condition` holds, looking again every millisecond, for
// at most `deadline` (generous, because a loaded machine may be slow). True
// when it came to hold. Time inside the program goes by a manual clock
// instead; and to know that another thread has got as far as a wait of its
// own, ask platform::testing::BlockedThreads (platform/core/BlockedWait.h)
// rather than sleeping.
#pragma once

#include <chrono>
#include <thread>

namespace test_support {

template <class Condition>
bool WaitUntil(Condition&& condition, std::chrono::milliseconds deadline = std::chrono::seconds(30))
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace test_support
