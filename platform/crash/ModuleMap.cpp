#include "platform/crash/ModuleMap.h"

#include "platform/crash/SafeText.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

bool ParseHex(const char*& p, const char* end, uint64_t* out)
{
    uint64_t value = 0;
    const char* start = p;
    while (p < end) {
        const char c = *p;
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = value * 16 + static_cast<uint64_t>(digit);
        ++p;
    }
    *out = value;
    return p != start;
}

void SkipBlanks(const char*& p, const char* end)
{
    while (p < end && *p == ' ')
        ++p;
}

void SkipField(const char*& p, const char* end)
{
    while (p < end && *p != ' ')
        ++p;
    SkipBlanks(p, end);
}

// One line: "start-end perms offset dev inode   path". `line` is writable so
// the path can be terminated in place.
bool ParseLine(char* line, size_t length, MemoryMapping* m)
{
    const char* p = line;
    const char* end = line + length;
    uint64_t start = 0, stop = 0, offset = 0;
    if (!ParseHex(p, end, &start) || p >= end || *p != '-')
        return false;
    ++p;
    if (!ParseHex(p, end, &stop))
        return false;
    SkipBlanks(p, end);
    if (end - p < 4)
        return false;
    m->readable = p[0] == 'r';
    m->writable = p[1] == 'w';
    m->executable = p[2] == 'x';
    SkipField(p, end);
    if (!ParseHex(p, end, &offset))
        return false;
    SkipBlanks(p, end);
    SkipField(p, end); // device
    SkipField(p, end); // inode
    m->start = static_cast<uintptr_t>(start);
    m->end = static_cast<uintptr_t>(stop);
    m->fileOffset = offset;
    line[length] = '\0';
    m->path = p;
    return true;
}

} // namespace

bool ForEachMapping(bool (*visit)(const MemoryMapping& mapping, void* context), void* context)
{
    int fd;
    do
        fd = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    // A line longer than the buffer (a path beyond 4 KiB) is skipped whole.
    char buffer[8192];
    size_t filled = 0;
    bool skipping = false;
    bool go = true;
    while (go) {
        const ssize_t got = ::read(fd, buffer + filled, sizeof buffer - 1 - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += static_cast<size_t>(got);
        size_t consumed = 0;
        for (size_t i = 0; i < filled && go; ++i) {
            if (buffer[i] != '\n')
                continue;
            if (!skipping) {
                MemoryMapping m;
                if (ParseLine(buffer + consumed, i - consumed, &m))
                    go = visit(m, context);
            }
            skipping = false;
            consumed = i + 1;
        }
        if (consumed == 0 && filled == sizeof buffer - 1) {
            skipping = true; // no line end in a full buffer
            filled = 0;
            continue;
        }
        for (size_t i = consumed; i < filled; ++i)
            buffer[i - consumed] = buffer[i];
        filled -= consumed;
    }
    ::close(fd);
    return true;
}

namespace {

struct FindState {
    uintptr_t address;
    ModuleLocation* out;
    char currentPath[512];
    uintptr_t currentBase;
    int currentSegment;
    bool found;
};

bool IsFileBacked(const char* path) { return path[0] == '/'; }

bool VisitForModule(const MemoryMapping& m, void* context)
{
    auto* s = static_cast<FindState*>(context);
    if (!IsFileBacked(m.path)) {
        // Anonymous memory between a module's mappings (its .bss) does not
        // end the module; only another file does.
        if (m.start <= s->address && s->address < m.end)
            return false;
        return true;
    }
    const size_t length = SafeLength(m.path);
    const bool sameModule =
        s->currentSegment > 0 && length < sizeof s->currentPath && SafeEqual(m.path, s->currentPath, length + 1);
    if (!sameModule || m.fileOffset == 0) {
        // A new module starts where a file is mapped from its beginning.
        SafeText path(s->currentPath, sizeof s->currentPath);
        path.Append(m.path, length);
        s->currentBase = m.start;
        s->currentSegment = 0;
    }
    ++s->currentSegment;
    if (m.start <= s->address && s->address < m.end) {
        SafeText path(s->out->path, sizeof s->out->path);
        path.Append(s->currentPath);
        s->out->base = s->currentBase;
        s->out->segmentStart = m.start;
        s->out->segment = s->currentSegment;
        s->out->executable = m.executable;
        s->found = true;
        return false;
    }
    return m.start <= s->address;
}

struct ReadableState {
    uintptr_t next; // first byte not yet known readable
    uintptr_t end;
    bool ok;
};

bool VisitForReadable(const MemoryMapping& m, void* context)
{
    auto* s = static_cast<ReadableState*>(context);
    if (m.end <= s->next)
        return true;
    if (m.start > s->next || !m.readable)
        return false; // a hole or an unreadable mapping
    s->next = m.end;
    if (s->next >= s->end) {
        s->ok = true;
        return false;
    }
    return true;
}

} // namespace

bool FindModule(uintptr_t address, ModuleLocation* out)
{
    FindState state{};
    state.address = address;
    state.out = out;
    if (!ForEachMapping(VisitForModule, &state))
        return false;
    return state.found;
}

bool IsReadableRange(uintptr_t address, size_t bytes)
{
    if (bytes == 0)
        return true;
    if (address + bytes < address)
        return false;
    ReadableState state{address, address + bytes, false};
    ForEachMapping(VisitForReadable, &state);
    return state.ok;
}

} // namespace platform
