#include "platform/crash/CrashReportText.h"

#include "platform/crash/ModuleMap.h"
#include "platform/crash/SymbolLookup.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace platform {

namespace {

struct NamedCode {
    DWORD code;
    const char* name;
};

constexpr NamedCode kExceptionNames[] = {
    {0x40000005u, "Segment Notification"},
    {0x80000003u, "Breakpoint"},
    {0x80000004u, "Single step"},
    {0x00000000u, "Wait 0"},
    {0x00000080u, "Abandoned Wait 0"},
    {0x000000C0u, "User APC"},
    {0x00000102u, "Timeout"},
    {0x00000103u, "Pending"},
    {0x80000001u, "Guard Page Violation"},
    {0x80000002u, "Data Type Misalignment"},
    {0xC0000005u, "Access Violation"},
    {0xC0000006u, "In Page Error"},
    {0xC0000017u, "No Memory"},
    {0xC000001Du, "Illegal Instruction"},
    {0xC0000025u, "Noncontinuable Exception"},
    {0xC0000026u, "Invalid Disposition"},
    {0xC000008Cu, "Array Bounds Exceeded"},
    {0xC000008Du, "Float Denormal Operand"},
    {0xC000008Eu, "Divide by Zero"},
    {0xC000008Fu, "Float Inexact Result"},
    {0xC0000090u, "Float Invalid Operation"},
    {0xC0000091u, "Float Overflow"},
    {0xC0000092u, "Float Stack Check"},
    {0xC0000093u, "Float Underflow"},
    {0xC0000094u, "Integer Divide by Zero"},
    {0xC0000095u, "Integer Overflow"},
    {0xC0000096u, "Privileged Instruction"},
    {0xC00000FDu, "Stack Overflow"},
    {0xC000013Au, "Ctrl+C Exit"},
};

constexpr int kAddressDigits = 8;

void AppendLocation(SafeText& out, uintptr_t pc)
{
    ModuleLocation where;
    if (FindModule(pc, &where)) {
        out.Hex(static_cast<uint64_t>(where.segment), 4).Char(':').Hex(pc - where.segmentStart, 8).Char(' ');
        out.Append(SafeBaseName(where.path));
    } else {
        out.Append("0000:").Hex(0, 8).Char(' ');
    }
}

void AppendFrames(const FaultRecord& fault, SafeText& out)
{
    for (size_t i = 0; i < fault.frameCount; ++i) {
        const FaultFrame& f = fault.frames[i];
        out.Hex(f.pc, kAddressDigits).Char(' ').Hex(f.frame, kAddressDigits).Char(' ');
        ModuleLocation where;
        char symbol[1024]; // templates make long names
        uintptr_t displacement = 0;
        // A return address points after its call: look the caller up by the
        // byte before it, so a call at a function's very end names that
        // function and not the next one.
        const uintptr_t probe = (i == 0 || f.pc == 0) ? f.pc : f.pc - 1;
        if (FindModule(f.pc, &where) &&
            FindSymbol(where.path, where.base, probe, symbol, sizeof symbol, &displacement)) {
            if (probe != f.pc)
                ++displacement;
            out.Append(symbol).Char('+').Hex(displacement, 1);
            // Where the module holds it, for a symbol reader of the same file.
            out.Append(" (").Append(SafeBaseName(where.path)).Char('+').Hex(f.pc - where.base, 1).Char(')');
        } else {
            AppendLocation(out, f.pc);
        }
        out.Append("\r\n\r\n");
    }
}

void AppendRegisters(const FaultRecord& fault, SafeText& out)
{
    if (fault.registerCount == 0) {
        out.Append("Registers: not captured\r\n");
        return;
    }
    bool lineOpen = false;
    for (size_t i = 0; i < fault.registerCount; ++i) {
        const FaultRecord::Register& r = fault.registers[i];
        if (!r.name) {
            out.Append("\r\n");
            lineOpen = false;
            continue;
        }
        if (lineOpen)
            out.Char(' ');
        out.Append(r.name).Char(':').Hex(r.value, r.digits);
        lineOpen = true;
    }
    if (lineOpen)
        out.Append("\r\n");
}

void AppendSystem(SafeText& out)
{
    struct utsname names;
    out.Append("OS Ver: ");
    if (::uname(&names) == 0) {
        out.Append(names.sysname).Char(' ').Append(names.release).Char(' ').Append(names.version).Char(' ');
        out.Append(names.machine);
    } else {
        out.Append("unknown");
    }
    out.Append("\r\n");
}

struct ModuleListState {
    SafeText* out;
    char lastPath[512];
};

bool VisitModuleForList(const MemoryMapping& m, void* context)
{
    auto* s = static_cast<ModuleListState*>(context);
    if (m.path[0] != '/' || m.fileOffset != 0)
        return true;
    const size_t length = SafeLength(m.path);
    if (length < sizeof s->lastPath && SafeEqual(m.path, s->lastPath, length + 1))
        return true;
    SafeText last(s->lastPath, sizeof s->lastPath);
    last.Append(m.path, length);
    s->out->Hex(m.start, kAddressDigits).Char(' ').Append(m.path).Append("\r\n");
    return true;
}

} // namespace

const char* ExceptionName(DWORD code)
{
    for (const NamedCode& entry : kExceptionNames)
        if (entry.code == code)
            return entry.name;
    return nullptr;
}

void FormatExceptionLine(const FaultRecord& fault, SafeText& out)
{
    if (const char* name = ExceptionName(fault.code))
        out.Append("Exception: ").Append(name).Append(" (code 0x");
    else
        out.Append("Unknown exception: (code 0x");
    out.LowerHex(fault.code).Append(") at address ").Hex(fault.address, kAddressDigits);
    out.Append(" in thread ").Hex(fault.threadId).Append("\r\n");
}

void FormatCrashReport(const FaultRecord& fault, SafeText& out, CrashDetailsWriter details, void* detailsContext)
{
    FormatExceptionLine(fault, out);
    if (fault.signal == SIGSEGV || fault.signal == SIGBUS)
        out.Append("Data Address: ").Hex(fault.dataAddress, kAddressDigits).Append("\r\n");

    ModuleLocation where;
    const bool named = FindModule(fault.address, &where);
    out.Append("Module: ").Append(named ? SafeBaseName(where.path) : "").Append("\r\n");
    out.Append("Logical Address: ");
    if (named)
        out.Hex(static_cast<uint64_t>(where.segment), 4).Char(':').Hex(fault.address - where.segmentStart, 8);
    else
        out.Append("0000:00000000");
    out.Append("\r\n\r\n");

    AppendFrames(fault, out);
    out.Append("\r\n");
    AppendRegisters(fault, out);
    out.Append("\r\n");
    AppendSystem(out);
    if (details)
        details(out, detailsContext);
    out.Append("\r\nModules:\r\n");
    ModuleListState state{&out, {}};
    ForEachMapping(VisitModuleForList, &state);
}

bool WriteReportFile(const char* path, const char* text, size_t length)
{
    const ByteSpan spans[] = {{text, length}, {"\n", 1}};
    return WriteSpansToFile(path, spans, 2);
}

bool WriteSpansToFile(const char* path, const ByteSpan* spans, size_t count)
{
    char temp[1024];
    SafeText name(temp, sizeof temp);
    name.Append(path).Append(".tmp");
    if (name.Truncated() || SafeLength(path) == 0)
        return false;
    int fd;
    do
        fd = ::open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    bool ok = true;
    auto put = [&](const void* data, size_t n) {
        const char* p = static_cast<const char*>(data);
        while (ok && n > 0) {
            const ssize_t done = ::write(fd, p, n);
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0) {
                ok = false;
                break;
            }
            p += done;
            n -= static_cast<size_t>(done);
        }
    };
    for (size_t i = 0; i < count; ++i)
        put(spans[i].data, spans[i].size);
    if (ok && ::fsync(fd) != 0 && errno != EINVAL)
        ok = false;
    if (::close(fd) != 0)
        ok = false;
    if (ok && ::rename(temp, path) != 0)
        ok = false;
    if (!ok)
        ::unlink(temp);
    return ok;
}

} // namespace platform
