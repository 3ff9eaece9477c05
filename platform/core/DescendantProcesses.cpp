#include "platform/core/DescendantProcesses.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

namespace {

struct ProcessEntry {
    pid_t pid;
    pid_t parent;
    pid_t session;
    char state;
};

// The process table as last read, and the descendants found in it: static,
// since the callers may run in a signal handler on a small stack.
constexpr size_t kMaxProcesses = 8192;
ProcessEntry gTable[kMaxProcesses];
std::atomic_flag gBusy = ATOMIC_FLAG_INIT;

bool ParseNumber(const char*& at, const char* end, long* value)
{
    bool negative = false;
    if (at < end && *at == '-') {
        negative = true;
        ++at;
    }
    const char* start = at;
    long n = 0;
    while (at < end && *at >= '0' && *at <= '9')
        n = n * 10 + (*at++ - '0');
    *value = negative ? -n : n;
    return at != start;
}

// "pid (name) state parent group session ...": the name may hold blanks
// and brackets, so the fields are read from after its last ')'.
bool ReadEntry(pid_t pid, ProcessEntry* entry)
{
    char path[32] = "/proc/";
    char digits[16];
    int length = 0;
    for (long n = pid; n > 0 && length < 15; n /= 10)
        digits[length++] = static_cast<char>('0' + n % 10);
    int at = 6;
    while (length > 0)
        path[at++] = digits[--length];
    const char tail[] = "/stat";
    for (const char c : tail)
        path[at++] = c;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char text[512];
    const ssize_t got = ::read(fd, text, sizeof text);
    ::close(fd);
    if (got <= 0)
        return false;
    const char* end = text + got;
    const char* close = nullptr;
    for (const char* c = text; c < end; ++c)
        if (*c == ')')
            close = c;
    if (!close || end - close < 4)
        return false;
    const char* field = close + 2;
    entry->pid = pid;
    entry->state = *field;
    field += 2;
    long parent = 0;
    long group = 0;
    long session = 0;
    if (!ParseNumber(field, end, &parent) || ++field >= end || !ParseNumber(field, end, &group) || ++field >= end ||
        !ParseNumber(field, end, &session))
        return false;
    entry->parent = static_cast<pid_t>(parent);
    entry->session = static_cast<pid_t>(session);
    return true;
}

size_t ReadTable()
{
    const int dir = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return 0;
    size_t count = 0;
    alignas(8) char buffer[4096];
    for (;;) {
        const long got = ::syscall(SYS_getdents64, dir, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (long at = 0; at < got;) {
            // The kernel's record: inode (8), offset (8), length (2), type (1), name.
            unsigned short recordLength = 0;
            __builtin_memcpy(&recordLength, buffer + at + 16, sizeof recordLength);
            const char* name = buffer + at + 19;
            at += recordLength;
            long pid = 0;
            const char* digits = name;
            const char* nameEnd = name;
            while (*nameEnd)
                ++nameEnd;
            if (!ParseNumber(digits, nameEnd, &pid) || digits != nameEnd || pid <= 0)
                continue;
            if (count < kMaxProcesses && ReadEntry(static_cast<pid_t>(pid), &gTable[count]))
                ++count;
        }
    }
    ::close(dir);
    return count;
}

bool Contains(const pid_t* pids, size_t count, pid_t pid)
{
    for (size_t i = 0; i < count; ++i)
        if (pids[i] == pid)
            return true;
    return false;
}

size_t FindLocked(pid_t* pids, size_t capacity)
{
    const size_t entries = ReadTable();
    const pid_t self = ::getpid();
    const pid_t session = ::getsid(0);
    size_t found = 0;
    // Children first, then theirs, until a round finds nobody new.
    for (bool grew = true; grew && found < capacity;) {
        grew = false;
        for (size_t i = 0; i < entries && found < capacity; ++i) {
            const ProcessEntry& e = gTable[i];
            if (e.session != session || e.pid == self || Contains(pids, found, e.pid))
                continue;
            if (e.parent == self || Contains(pids, found, e.parent)) {
                pids[found++] = e.pid;
                grew = true;
            }
        }
    }
    return found;
}

// Ended: gone from the table, or a zombie waiting for its parent.
bool HasEnded(pid_t pid)
{
    ProcessEntry entry{};
    return !ReadEntry(pid, &entry) || entry.state == 'Z' || entry.state == 'X';
}

void Nap(int milliseconds)
{
    timespec rest{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (::nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

// How many guards stand on this thread, and its process's id as it forks:
// the fork handlers below run on the forking thread, in the parent just
// before and in the child just after.
thread_local int tGuards = 0;
thread_local pid_t tForkingProcess = 0;

void NoteForkingProcess()
{
    if (tGuards > 0)
        tForkingProcess = ::getpid();
}

// In the child, where only async-signal-safe calls may be made.
void TieChildToThread()
{
    if (tGuards == 0)
        return;
    tGuards = 0; // what the child starts in turn is its own affair
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != tForkingProcess)
        ::_exit(127); // the program ended before the line above
}

} // namespace

ChildrenEndWithThisThread::ChildrenEndWithThisThread()
{
    static std::once_flag installed;
    std::call_once(installed, [] { ::pthread_atfork(NoteForkingProcess, nullptr, TieChildToThread); });
    ++tGuards;
}

ChildrenEndWithThisThread::~ChildrenEndWithThisThread() { --tGuards; }

size_t FindDescendantProcesses(pid_t* pids, size_t capacity)
{
    if (gBusy.test_and_set())
        return 0;
    const size_t found = FindLocked(pids, capacity);
    gBusy.clear();
    return found;
}

void EndDescendantProcesses(int graceMilliseconds)
{
    if (gBusy.test_and_set())
        return;
    const int saved = errno;
    static pid_t pids[256];
    const size_t count = FindLocked(pids, sizeof pids / sizeof pids[0]);
    for (size_t i = 0; i < count; ++i)
        ::kill(pids[i], SIGTERM);
    constexpr int kStep = 10;
    for (int waited = 0; waited < graceMilliseconds; waited += kStep) {
        bool allEnded = true;
        for (size_t i = 0; i < count && allEnded; ++i)
            allEnded = HasEnded(pids[i]);
        if (allEnded)
            break;
        Nap(kStep);
    }
    for (size_t i = 0; i < count; ++i)
        if (!HasEnded(pids[i]))
            ::kill(pids[i], SIGKILL);
    errno = saved;
    gBusy.clear();
}

} // namespace platform
