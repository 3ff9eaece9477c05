#include "platform/crash/CrashReportText.h"

#include "platform/core/Testing.h"
#include "platform/crash/ModuleMap.h"
#include "platform/crash/SymbolLookup.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
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

namespace {

bool Failed(int* error, int code)
{
    if (error)
        *error = code;
    return false;
}

// One write, as the system does it; tests make it take only half of what it
// is given (code 0) or fail with the code before it writes anything.
ssize_t WriteSome(int fd, const char* p, size_t n)
{
    int64_t injected = 0;
    if (!testing::ShouldFail("CrashReport.Write", &injected))
        return ::write(fd, p, n);
    if (injected == 0)
        return ::write(fd, p, n > 1 ? n / 2 : n);
    errno = static_cast<int>(injected);
    return -1;
}

// Writes everything or says why not. A write may take only part of what it
// is given (a signal, a file system of its own kind): the rest follows.
int WriteAll(int fd, const ByteSpan* spans, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const char* p = static_cast<const char*>(spans[i].data);
        size_t n = spans[i].size;
        while (n > 0) {
            const ssize_t done = WriteSome(fd, p, n);
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                return done < 0 ? errno : EIO;
            p += done;
            n -= static_cast<size_t>(done);
        }
    }
    return 0;
}

} // namespace

int WriteFully(int fd, const char* text, size_t length)
{
    const ByteSpan span{text, length};
    return WriteAll(fd, &span, 1);
}

namespace {

// Flushes the file to the disk; 0 or why not. A file system that cannot
// (EINVAL) has nothing to flush.
int Flush(int fd)
{
    int64_t injected = 0;
    const bool fails = testing::ShouldFail("CrashReport.Sync", &injected);
    if (fails)
        errno = static_cast<int>(injected);
    if ((fails || ::fsync(fd) != 0) && errno != EINVAL)
        return errno;
    return 0;
}

// Opens a file of a fresh name beside `path`: "<path>.tmp-<pid>-<n>" with
// the first n whose name is free. O_EXCL makes the file anew: whatever else
// has the name (a link, a pipe, another writer's file) makes the open fail,
// and the next number is tried. -1 with errno set when none could be made
// (EEXIST when every name was taken).
int OpenTemporary(const char* path, SafeText& temp)
{
    const auto pid = static_cast<int64_t>(::getpid());
    for (int n = 0; n < kTemporaryNames; ++n) {
        temp.Clear();
        temp.Append(path).Append(".tmp-").Decimal(pid).Char('-').Decimal(n);
        if (temp.Truncated()) {
            errno = ENAMETOOLONG;
            return -1;
        }
        const int fd =
            ::open(temp.Data(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
        if (fd >= 0 || (errno != EEXIST && errno != EINTR))
            return fd;
    }
    return -1; // errno as the last name left it: taken
}

// A temporary file beside `path` holding the spans, flushed; its name in
// `temp`. 0, or the errno of the step that failed (and no file).
int WriteTemporary(const char* path, const ByteSpan* spans, size_t count, SafeText& temp)
{
    const int fd = OpenTemporary(path, temp);
    if (fd < 0)
        return errno;
    int error = WriteAll(fd, spans, count);
    if (error == 0)
        error = Flush(fd);
    ::close(fd); // what it could say, the flush said
    if (error != 0)
        ::unlink(temp.Data());
    return error;
}

// What stands at `path`: 0 for nothing or a file (or a link, which a rename
// replaces without touching what it points to); the errno to fail with for
// anything else.
int ReplaceableAt(const char* path, bool* exists)
{
    struct stat st;
    *exists = ::lstat(path, &st) == 0;
    if (!*exists)
        return errno == ENOENT ? 0 : errno;
    if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))
        return 0;
    return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
}

// Moves the file at `path` to the first free "<path>.earlier[N]", never
// over another: the new report then takes its place. Should the new one
// fail after this, the earlier one is still there, under its new name.
int KeepEarlier(const char* path)
{
    char buffer[1024];
    SafeText name(buffer, sizeof buffer);
    for (int n = 0; n < kMaxEarlierReports; ++n) {
        name.Clear();
        name.Append(path).Append(".earlier");
        if (n > 0)
            name.Decimal(n);
        if (name.Truncated())
            return ENAMETOOLONG;
        if (::renameat2(AT_FDCWD, path, AT_FDCWD, name.Data(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

bool WriteWhole(const char* path, const ByteSpan* spans, size_t count, bool keepEarlier, int* error)
{
    if (!path || SafeLength(path) == 0)
        return Failed(error, ENOENT);
    bool exists = false;
    if (const int refused = ReplaceableAt(path, &exists))
        return Failed(error, refused);
    char tempName[1024];
    SafeText temp(tempName, sizeof tempName);
    if (const int failed = WriteTemporary(path, spans, count, temp))
        return Failed(error, failed);
    if (keepEarlier && exists) {
        if (const int failed = KeepEarlier(path)) {
            ::unlink(temp.Data());
            return Failed(error, failed);
        }
    }
    if (::rename(temp.Data(), path) != 0) {
        const int failed = errno;
        ::unlink(temp.Data());
        return Failed(error, failed);
    }
    if (error)
        *error = 0;
    return true;
}

} // namespace

bool WriteSpansToFile(const char* path, const ByteSpan* spans, size_t count, int* error)
{
    return WriteWhole(path, spans, count, false, error);
}

bool WriteReportFile(const char* path, const char* text, size_t length, int* error)
{
    const ByteSpan spans[] = {{text, length}, {"\n", 1}};
    return WriteWhole(path, spans, 2, true, error);
}

} // namespace platform
