// The framework's lock: one recursive critical section, and a guard that
// holds it for a scope. Which data a given lock guards is said where it is
// declared.
#pragma once

#include "platform/core/CriticalSection.h"

namespace Zolt {

class CriticalSection {
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { section_.Enter(); }
    bool TryEnter() { return section_.TryEnter(); }
    void Leave() { section_.Leave(); }

    // For std::lock_guard and std::unique_lock.
    void lock() { Enter(); }
    bool try_lock() { return TryEnter(); }
    void unlock() { Leave(); }

private:
    platform::CriticalSection section_;
};

// Enters on construction, leaves on destruction.
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~CriticalSectionLock() { section_.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& section_;
};

} // namespace Zolt
