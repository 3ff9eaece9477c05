#include "platform/core/Event.h"

#include "platform/core/BlockedWait.h"

#include <chrono>
#include <optional>

namespace platform {

void Event::Set()
{
    // Notify under the lock: a woken waiter may destroy the event as soon as
    // its wait returns (a thread signalling "done" to its owner), so Set must
    // not touch the condition variable after the waiter can run.
    std::lock_guard<std::mutex> lock(mutex_);
    set_ = true;
    if (manualReset_)
        cv_.notify_all();
    else
        cv_.notify_one();
}

void Event::Reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    set_ = false;
}

bool Event::IsSet()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return set_;
}

bool Event::Wait(DWORD timeoutMilliseconds)
{
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [this] { return set_; };
    std::optional<BlockedWait> blocked;
    if (!set_ && timeoutMilliseconds != 0)
        blocked.emplace();
    if (timeoutMilliseconds == INFINITE)
        cv_.wait(lock, ready);
    else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMilliseconds), ready))
        return false;
    if (!manualReset_)
        set_ = false;
    return true;
}

} // namespace platform
