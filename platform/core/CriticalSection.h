// A recursive lock, as the Win32 critical section: the owning thread may enter
// again, and must leave as often as it entered. It is the one lock of the
// program above the platform (the framework names it Zolt::CriticalSection):
// take it for data that several threads share and that calls out to other
// code while it is held, since such a call may come back and take it again.
//
// A plain std::mutex is right instead for a leaf lock: one that guards a few
// fields of one class, is held only for a short stretch that calls nothing
// outside that class, and so can never be taken twice by one thread (the
// platform's own services use such locks inside their implementations).
#pragma once

#include "platform/core/BlockedWait.h"

#include <mutex>

namespace platform {

class CriticalSection {
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter()
    {
        if (mutex_.try_lock())
            return;
        BlockedWait blocked; // another thread holds it
        mutex_.lock();
    }
    bool TryEnter() { return mutex_.try_lock(); }
    void Leave() { mutex_.unlock(); }

    // For std::lock_guard / std::unique_lock.
    void lock() { Enter(); }
    bool try_lock() { return TryEnter(); }
    void unlock() { Leave(); }

private:
    std::recursive_mutex mutex_;
};

// Holds a critical section for the guard's scope.
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& cs) : cs_(cs) { cs_.Enter(); }
    ~CriticalSectionLock() { cs_.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& cs_;
};

} // namespace platform
