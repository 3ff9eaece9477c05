#include "common/IdAllocator.h"

#include "platform/core/CriticalSection.h"

#include <algorithm>

namespace {

// The one lock of all allocators. It is created on first use and never
// destroyed, so an allocator that lives in a static object destroyed late at
// exit still finds it.
platform::CriticalSection& SharedLock()
{
    static platform::CriticalSection* lock = new platform::CriticalSection;
    return *lock;
}

} // namespace

IdAllocator::IdAllocator() { SharedLock(); }

IdAllocator::~IdAllocator() = default;

uint32_t IdAllocator::Allocate()
{
    platform::CriticalSectionLock guard(SharedLock());
    if (base == UINT32_MAX)
        return 0;
    uint32_t candidate = base + 1;
    auto it = std::lower_bound(inUse_.begin(), inUse_.end(), candidate);
    while (it != inUse_.end() && *it == candidate) {
        if (candidate == UINT32_MAX)
            return 0;
        ++candidate;
        ++it;
    }
    inUse_.insert(it, candidate);
    return candidate;
}

void IdAllocator::Release(uint32_t id)
{
    platform::CriticalSectionLock guard(SharedLock());
    auto it = std::lower_bound(inUse_.begin(), inUse_.end(), id);
    if (it != inUse_.end() && *it == id)
        inUse_.erase(it);
}
