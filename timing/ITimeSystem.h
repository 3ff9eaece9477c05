// The owner of every time object. Game code reaches the one instance through
// the kernel and holds time objects by pointer, observers by id.
//
// Threads: any thread; creation and destruction take the table lock, so they
// never overlap a pass of the time thread.
#pragma once

#include "timing/ITimeObject.h"
#include "timing/TimeObjectMessageObserver.h"

#include <cstdint>

namespace TimeLibrary {

class ITimeSystem {
public:
    virtual ~ITimeSystem() = default;
    // Milliseconds counted by the time thread since it started, in steps of 5.
    virtual uint64_t GetTime() = 0;
    // A new idle time object in the first free table entry; null when all
    // 2047 entries are taken (the table is then unchanged). The observer is
    // not owned and must outlive the object.
    virtual ITimeObject* CreateTimeObject(TimeObjectMessageObserver* observer, int durationMs, int intervalMs) = 0;
    // Frees the object and its entry, without a notice. Null, or an object
    // that is no longer in the table, is ignored. The pointer is dead after.
    virtual void DestroyTimeObject(ITimeObject* object) = 0;
};

} // namespace TimeLibrary
