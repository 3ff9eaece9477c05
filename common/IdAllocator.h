// Hands out the smallest free id above a base value and takes ids back. The
// control factory numbers its visible objects and its sounds with two of
// these (base 1, so their first id is 2).
//
// Threads: the main thread and the time thread (timer callbacks create and
// release objects) may both call it. Every allocator of the process shares one
// lock, so any Allocate or Release is atomic with respect to all others.
#pragma once

#include <cstdint>
#include <vector>

class IdAllocator {
public:
    IdAllocator();
    ~IdAllocator();
    IdAllocator(const IdAllocator&) = delete;
    IdAllocator& operator=(const IdAllocator&) = delete;

    // The smallest id above `base` not in use, now marked in use. 0 when no id
    // is left above the base (0 is never a valid id).
    uint32_t Allocate();
    // Gives an id back; an id that is not in use is ignored.
    void Release(uint32_t id);

    // Every id given out is greater than this; the owner sets it directly.
    uint32_t base = 0;

private:
    // Ids in use, kept in ascending order so the first gap is found in one walk.
    std::vector<uint32_t> inUse_;
};
