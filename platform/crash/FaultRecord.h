// What the crash service captures of a fault: the Windows exception code the
// report prints for it, where it happened, the processor registers and the
// call frames. A plain record with fixed arrays, because it is filled inside
// a signal handler, where nothing may be allocated.
#pragma once

#include "platform/core/Types.h"

#include <cstddef>
#include <cstdint>

namespace platform {

// The exception codes of the report, with their Windows values.
constexpr DWORD EXCEPTION_ACCESS_VIOLATION = 0xC0000005u;
constexpr DWORD EXCEPTION_DATATYPE_MISALIGNMENT = 0x80000002u;
constexpr DWORD EXCEPTION_BREAKPOINT = 0x80000003u;
constexpr DWORD EXCEPTION_SINGLE_STEP = 0x80000004u;
constexpr DWORD EXCEPTION_IN_PAGE_ERROR = 0xC0000006u;
constexpr DWORD EXCEPTION_ILLEGAL_INSTRUCTION = 0xC000001Du;
constexpr DWORD EXCEPTION_ARRAY_BOUNDS_EXCEEDED = 0xC000008Cu;
constexpr DWORD EXCEPTION_FLT_DIVIDE_BY_ZERO = 0xC000008Eu;
constexpr DWORD EXCEPTION_FLT_INEXACT_RESULT = 0xC000008Fu;
constexpr DWORD EXCEPTION_FLT_INVALID_OPERATION = 0xC0000090u;
constexpr DWORD EXCEPTION_FLT_OVERFLOW = 0xC0000091u;
constexpr DWORD EXCEPTION_FLT_UNDERFLOW = 0xC0000093u;
constexpr DWORD EXCEPTION_INT_DIVIDE_BY_ZERO = 0xC0000094u;
constexpr DWORD EXCEPTION_INT_OVERFLOW = 0xC0000095u;
constexpr DWORD EXCEPTION_PRIV_INSTRUCTION = 0xC0000096u;
constexpr DWORD EXCEPTION_STACK_OVERFLOW = 0xC00000FDu;
// What the Windows runtime reports for abort(), and the code a C++ exception
// carries when it escapes: neither has a name in the report's table.
constexpr DWORD STATUS_FATAL_APP_EXIT = 0x40000015u;
constexpr DWORD EXCEPTION_CPLUSPLUS = 0xE06D7363u;

// The report's name of an exception code; null for a code it does not name.
const char* ExceptionName(DWORD code);

// One call frame: the return (or faulting) address and the frame it belongs
// to (the canonical frame address where the unwinder knows it, else the
// frame pointer; 0 when unknown).
struct FaultFrame {
    uintptr_t pc = 0;
    uintptr_t frame = 0;
};

struct FaultRecord {
    static constexpr size_t kMaxFrames = 64;
    static constexpr size_t kMaxRegisters = 32;

    DWORD code = 0;
    int signal = 0;   // 0 when no signal was involved (terminate, a requested report)
    int signalCode = 0;
    uintptr_t address = 0;      // where it happened (the faulting instruction)
    uintptr_t dataAddress = 0;  // the address the instruction touched, for memory faults
    uint32_t threadId = 0;      // the kernel's id of the faulting thread

    // Registers by name, in the order the report lists them; a name of null
    // ends a line of the listing.
    struct Register {
        const char* name = nullptr;
        uint64_t value = 0;
        int digits = 0; // hex digits to print
    };
    Register registers[kMaxRegisters];
    size_t registerCount = 0;

    FaultFrame frames[kMaxFrames];
    size_t frameCount = 0;
};

} // namespace platform
