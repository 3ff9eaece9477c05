// The process's memory map as the kernel lists it (/proc/self/maps), read
// with plain system calls into fixed buffers so that a signal handler may use
// it: which module (program or shared library) holds an address, where that
// module was loaded, and whether a range of memory can be read.
//
// A module's "segment" is one of its mappings, numbered from 1 in address
// order; a logical address is that number and the offset into the mapping.
//
// Threads: any thread; every call reads the map afresh.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

struct MemoryMapping {
    uintptr_t start = 0;
    uintptr_t end = 0;
    uint64_t fileOffset = 0;
    bool readable = false;
    bool writable = false;
    bool executable = false;
    const char* path = ""; // valid only during the callback; "" for anonymous memory
};

// Calls `visit` for each mapping in address order until it returns false.
// False when the map could not be read.
bool ForEachMapping(bool (*visit)(const MemoryMapping& mapping, void* context), void* context);

struct ModuleLocation {
    char path[512] = {};
    uintptr_t base = 0;         // start of the module's first mapping
    uintptr_t segmentStart = 0; // start of the mapping holding the address
    int segment = 0;            // 1-based among the module's mappings
    bool executable = false;    // the mapping holding the address is code
};

// The file-backed module whose mapping holds `address`; false for anonymous
// memory, the stack, or an address mapped nowhere.
bool FindModule(uintptr_t address, ModuleLocation* out);

// True when every byte of [address, address + bytes) lies in readable mappings.
bool IsReadableRange(uintptr_t address, size_t bytes);

} // namespace platform
