// The call frames of a thread, found from its registers the way a debugger
// finds them in a program built without frame pointers: by the unwind tables
// that every module carries for exceptions (.eh_frame, reached through its
// search table .eh_frame_hdr; see EhFrameTable.h). For each frame the
// call-frame instructions of its entry build the row of rules that says
// where the caller's registers were saved, some of them as location
// expressions; the two small interpreters of those are here. The module of
// an address comes from the dynamic loader's _dl_find_object, which takes no
// lock; a frame without a table entry is stepped over by its frame pointer.
//
// Every read of the stack is checked against the stack's own mapping first,
// so a smashed stack ends the walk instead of faulting inside the crash
// handler; every read of a table stays inside its module, and an instruction
// or operation the walk does not know, a loop, or a value out of range ends
// it too: a malformed table ends the walk, never the process. Nothing is
// allocated and no lock is taken: signal-safe.
//
// Threads: any thread; the caller owns the output.
#pragma once

#include "platform/crash/EhFrameTable.h"
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
    // False for a number past the registers held (what a table may name).
    bool Has(uint64_t n) const { return n < kCount && ((known >> n) & 1u); }
};

// The memory saved registers may be read from: [low, high).
struct StackRange {
    uint64_t low = 0;
    uint64_t high = 0;
};

// One step outward: the registers of the caller of a frame.
struct UnwindStep {
    UnwindRegisters caller;
    uint64_t frameAddress = 0; // the frame's canonical frame address (CFA)
    bool signalFrame = false;  // the caller's pc is exact, not a return address
    bool outermost = false;    // the tables say there is no caller
};

// The caller of the frame the registers stand in, by the entry of the
// module's tables that covers its pc. `exactPc`: the pc is the instruction
// itself (the innermost frame, or one a signal interrupted), not a return
// address. False when no entry covers it or the entry cannot be followed.
bool StepByTables(const ModuleTables& module, const UnwindRegisters& regs, bool exactPc, const StackRange& stack,
                  UnwindStep* step);

// What a walk reads of a process.
struct UnwindSource {
    // False when no module holds `pc` (it is no code); otherwise true, with
    // the module's tables (their searchTable null when it has none).
    bool (*findModule)(uint64_t pc, ModuleTables* tables, void* context) = nullptr;
    void* context = nullptr;
    StackRange stack;
};

// Fills `frames` from the innermost frame (the instruction the registers
// stand at) outward until the stack's end (the entry point, whose table says
// it has no caller), a frame that cannot be stepped over, or `maxFrames`.
// Each frame's `frame` is its canonical frame address (the stack pointer
// just before the call into it). Returns the number of frames.
size_t UnwindStack(const UnwindSource& source, const UnwindRegisters& start, FaultFrame* frames, size_t maxFrames);
// The same in this process: its loaded modules and the stack that holds the
// start's stack pointer.
size_t UnwindStack(const UnwindRegisters& start, FaultFrame* frames, size_t maxFrames);

} // namespace platform
