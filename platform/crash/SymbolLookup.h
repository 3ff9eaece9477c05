// Function names for addresses, read from a module's own ELF symbol tables
// with open/pread/close only, so that a signal handler may use it. Names are
// given as the linker keeps them (not demangled: demangling allocates).
//
// Threads: any thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// The symbol of the module at `modulePath` (loaded with its first mapping at
// `moduleBase`) that holds `address`: its name (cut to nameSize - 1 bytes)
// and the distance of the address from its start. False when the file has
// no readable 64-bit symbol table or no symbol covers the address.
bool FindSymbol(const char* modulePath, uintptr_t moduleBase, uintptr_t address, char* name, size_t nameSize,
                uintptr_t* displacement);

} // namespace platform
