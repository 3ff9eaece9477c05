// The call frames of a thread, found from its registers the way a debugger
// finds them in a program built without frame pointers: by the unwind tables
// that every module carries for exceptions (.eh_frame, reached through its
// search table .eh_frame_hdr). The module of an address comes from the
// dynamic loader's _dl_find_object, which takes no lock; a frame without a
// table entry is stepped over by its frame pointer.
//
// Every read of the stack is checked against the stack's own mapping first,
// so a smashed stack ends the walk instead of faulting inside the crash
// handler. Nothing is allocated and no lock is taken: signal-safe.
//
// Threads: any thread; the caller owns the output.
#pragma once

#include "platform/crash/FaultRecord.h"

#include <cstddef>
#include <cstdint>

namespace platform {

// A thread's registers in the numbering of the unwind tables (x86-64: 0 RAX,
// 1 RDX, 2 RCX, 3 RBX, 4 RSI, 5 RDI, 6 RBP, 7 RSP, 8..15 R8..R15, 16 the
// return address, i.e. the instruction pointer).
struct UnwindRegisters {
    static constexpr int kCount = 17;
    static constexpr int kFramePointer = 6;
    static constexpr int kStackPointer = 7;
    static constexpr int kProgramCounter = 16;

    uint64_t value[kCount] = {};
    uint32_t known = 0; // bit n: value[n] holds the register

    void Set(int n, uint64_t v)
    {
        value[n] = v;
        known |= 1u << n;
    }
    bool Has(int n) const { return (known >> n) & 1u; }
};

// Fills `frames` from the innermost frame (the instruction the registers
// stand at) outward until the stack's end (the entry point, whose table says
// it has no caller), a frame that cannot be stepped over, or `maxFrames`.
// Each frame's `frame` is its canonical frame address (the stack pointer
// just before the call into it). Returns the number of frames.
size_t UnwindStack(const UnwindRegisters& start, FaultFrame* frames, size_t maxFrames);

} // namespace platform
