// Feeds arbitrary unwind tables and stacks to the stack walker (the crash
// handler runs it inside its signal handler, where a stray read ends the
// report): the walk must end, within its frame limit, having read the
// tables only inside their bytes (the rest of their block is poisoned for
// the address checker, and a guard page follows it) and the stack only
// inside its range. The input's layout is in StackWalkInput.h.
#include "platform/crash/StackUnwinder.h"
#include "tests/fuzz/StackWalkInput.h"

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define PELLUCOR_POISON(address, size) __asan_poison_memory_region(address, size)
#define PELLUCOR_UNPOISON(address, size) __asan_unpoison_memory_region(address, size)
#endif
#endif
#ifndef PELLUCOR_POISON
#define PELLUCOR_POISON(address, size) ((void)(address), (void)(size))
#define PELLUCOR_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

namespace {

using namespace stack_walk_input;

// A block of `size` bytes followed by an inaccessible page, at `wanted` when
// that place is free, else wherever the system puts it.
uint8_t* MapWithGuard(uint64_t wanted, size_t size)
{
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    void* at = ::mmap(reinterpret_cast<void*>(wanted), size + page, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (at == MAP_FAILED)
        at = ::mmap(nullptr, size + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (at == MAP_FAILED)
        __builtin_trap();
    ::mprotect(static_cast<uint8_t*>(at) + size, page, PROT_NONE);
    return static_cast<uint8_t*>(at);
}

uint8_t* gTables = nullptr;
uint8_t* gStack = nullptr;
size_t gTableBytes = 0;

// Code lies in the tables' block: its first half in a module with the
// tables, its second half in one without any.
bool FindModule(uint64_t pc, platform::ModuleTables* tables, void*)
{
    const auto base = reinterpret_cast<uint64_t>(gTables);
    if (pc < base || pc - base >= kMaxTableBytes)
        return false;
    tables->low = gTables;
    tables->limit = gTables + gTableBytes;
    tables->searchTable = pc - base < kCodeWithoutTables ? gTables : nullptr;
    return true;
}

uint64_t Read(const uint8_t* p, int bytes)
{
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= uint64_t(p[i]) << (8 * i);
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!gTables) {
        gTables = MapWithGuard(kTablesAt, kMaxTableBytes);
        gStack = MapWithGuard(kStackAt, kMaxStackBytes);
    }
    if (size < kHeaderBytes)
        return 0;
    const size_t tableBytes = Read(data, 2);
    const uint64_t spOffset = Read(data + 2, 2);
    const uint64_t pcOffset = Read(data + 4, 4);
    if (tableBytes > size - kHeaderBytes)
        return 0;
    const size_t stackBytes = size - kHeaderBytes - tableBytes;
    if (stackBytes > kMaxStackBytes)
        return 0;

    // The tables end where their poisoned rest begins: a read past them shows.
    PELLUCOR_UNPOISON(gTables, kMaxTableBytes);
    std::memcpy(gTables, data + kHeaderBytes, tableBytes);
    PELLUCOR_POISON(gTables + tableBytes, kMaxTableBytes - tableBytes);
    gTableBytes = tableBytes;
    std::memcpy(gStack, data + kHeaderBytes + tableBytes, stackBytes);

    const auto stack = reinterpret_cast<uint64_t>(gStack);
    platform::UnwindRegisters start;
    for (int r = 0; r < platform::UnwindRegisters::kProgramCounter; ++r)
        start.Set(r, stack + 8 * uint64_t(r));
    start.Set(platform::UnwindRegisters::kStackPointer, stack + spOffset);
    start.Set(platform::UnwindRegisters::kProgramCounter, reinterpret_cast<uint64_t>(gTables) + pcOffset);

    platform::UnwindSource source;
    source.findModule = FindModule;
    source.stack = {stack, stack + stackBytes};
    platform::FaultFrame frames[platform::FaultRecord::kMaxFrames];
    const size_t count = platform::UnwindStack(source, start, frames, platform::FaultRecord::kMaxFrames);
    if (count == 0 || count > platform::FaultRecord::kMaxFrames || frames[0].pc != start.value[platform::UnwindRegisters::kProgramCounter])
        __builtin_trap(); // the first frame is always the one the walk starts in
    return 0;
}
