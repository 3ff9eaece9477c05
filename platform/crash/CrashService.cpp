#include "platform/crash/CrashService.h"

#include "platform/crash/SafeText.h"
#include "platform/crash/StackUnwinder.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <cxxabi.h>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <algorithm>
#include <cstring>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <fcntl.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr size_t kSignalCount = sizeof kSignals / sizeof kSignals[0];
constexpr size_t kAltStackBytes = 256 * 1024;
constexpr size_t kMaxEnvironment = 1024;

// The settings as the handler reads them: built whole in normal context,
// published through one atomic pointer and never changed afterwards. Older
// blocks stay alive until the process ends, since a handler on another
// thread may still be reading one.
struct Published {
    CrashServiceSettings settings;
    std::string reportVariable;
    std::vector<char*> argv;
    std::vector<const char*> extraEnvironment;
};

std::atomic<Published*> gPublished{nullptr};
std::mutex gConfigMutex; // normal context only: Install, Uninstall, settings copies
std::vector<std::unique_ptr<Published>>& Retired()
{
    static auto* blocks = new std::vector<std::unique_ptr<Published>>();
    return *blocks;
}

bool gInstalled = false;
struct sigaction gPrevious[kSignalCount];
std::terminate_handler gPreviousTerminate = nullptr;

// Handler state: one thread reports at a time.
std::atomic<uint32_t> gOwner{0};
FaultRecord gFault;
char gReport[256 * 1024];
const char* gEnvironment[kMaxEnvironment];

uint32_t KernelThreadId() { return static_cast<uint32_t>(::syscall(SYS_gettid)); }

// ---- Fault codes ----

DWORD CodeForSignal(int signal, int code, uintptr_t dataAddress, uintptr_t stackPointer)
{
    switch (signal) {
    case SIGSEGV:
        // A touch just below or at the stack pointer is the guard page under
        // the stack: the stack has run out.
        if (stackPointer != 0 && dataAddress + 65536 >= stackPointer && dataAddress < stackPointer + 4096)
            return EXCEPTION_STACK_OVERFLOW;
        return EXCEPTION_ACCESS_VIOLATION;
    case SIGBUS:
        return code == BUS_ADRALN ? EXCEPTION_DATATYPE_MISALIGNMENT : EXCEPTION_IN_PAGE_ERROR;
    case SIGFPE:
        switch (code) {
        case FPE_INTDIV: return EXCEPTION_INT_DIVIDE_BY_ZERO;
        case FPE_INTOVF: return EXCEPTION_INT_OVERFLOW;
        case FPE_FLTDIV: return EXCEPTION_FLT_DIVIDE_BY_ZERO;
        case FPE_FLTOVF: return EXCEPTION_FLT_OVERFLOW;
        case FPE_FLTUND: return EXCEPTION_FLT_UNDERFLOW;
        case FPE_FLTRES: return EXCEPTION_FLT_INEXACT_RESULT;
        case FPE_FLTSUB: return EXCEPTION_ARRAY_BOUNDS_EXCEEDED;
        default: return EXCEPTION_FLT_INVALID_OPERATION;
        }
    case SIGILL:
        return (code == ILL_PRVOPC || code == ILL_PRVREG) ? EXCEPTION_PRIV_INSTRUCTION
                                                          : EXCEPTION_ILLEGAL_INSTRUCTION;
    case SIGABRT:
        return STATUS_FATAL_APP_EXIT;
    default:
        return EXCEPTION_ACCESS_VIOLATION;
    }
}

// ---- Registers ----

void AddRegister(FaultRecord& f, const char* name, uint64_t value, int digits)
{
    if (f.registerCount < FaultRecord::kMaxRegisters)
        f.registers[f.registerCount++] = FaultRecord::Register{name, value, digits};
}

void LineBreak(FaultRecord& f) { AddRegister(f, nullptr, 0, 0); }

void FillRegisters(FaultRecord& f, const ucontext_t* context, uintptr_t* pc, uintptr_t* sp, uintptr_t* fp)
{
    f.registerCount = 0;
#if defined(__x86_64__)
    const greg_t* g = context->uc_mcontext.gregs;
    auto r = [&](int index) { return static_cast<uint64_t>(g[index]); };
    AddRegister(f, "RAX", r(REG_RAX), 16);
    AddRegister(f, "RBX", r(REG_RBX), 16);
    AddRegister(f, "RCX", r(REG_RCX), 16);
    AddRegister(f, "RDX", r(REG_RDX), 16);
    LineBreak(f);
    AddRegister(f, "RSI", r(REG_RSI), 16);
    AddRegister(f, "RDI", r(REG_RDI), 16);
    AddRegister(f, "R8", r(REG_R8), 16);
    AddRegister(f, "R9", r(REG_R9), 16);
    LineBreak(f);
    AddRegister(f, "R10", r(REG_R10), 16);
    AddRegister(f, "R11", r(REG_R11), 16);
    AddRegister(f, "R12", r(REG_R12), 16);
    AddRegister(f, "R13", r(REG_R13), 16);
    LineBreak(f);
    AddRegister(f, "R14", r(REG_R14), 16);
    AddRegister(f, "R15", r(REG_R15), 16);
    LineBreak(f);
    AddRegister(f, "RIP", r(REG_RIP), 16);
    AddRegister(f, "RSP", r(REG_RSP), 16);
    AddRegister(f, " RBP", r(REG_RBP), 16); // two blanks before the frame pointer
    LineBreak(f);
    const uint64_t segments = r(REG_CSGSFS);
    AddRegister(f, "CS", segments & 0xFFFF, 4);
    AddRegister(f, "GS", (segments >> 16) & 0xFFFF, 4);
    AddRegister(f, "FS", (segments >> 32) & 0xFFFF, 4);
    AddRegister(f, "SS", (segments >> 48) & 0xFFFF, 4);
    LineBreak(f);
    AddRegister(f, "Flags", r(REG_EFL), 8);
    *pc = static_cast<uintptr_t>(r(REG_RIP));
    *sp = static_cast<uintptr_t>(r(REG_RSP));
    *fp = static_cast<uintptr_t>(r(REG_RBP));
#else
    (void)context;
    *pc = 0;
    *sp = 0;
    *fp = 0;
#endif
}

// ---- Frames ----

// The registers of a context in the numbering the unwinder reads.
UnwindRegisters UnwindStartOf(const ucontext_t* context)
{
    UnwindRegisters regs;
#if defined(__x86_64__)
    const greg_t* g = context->uc_mcontext.gregs;
    constexpr int kOrder[UnwindRegisters::kCount] = {REG_RAX, REG_RDX, REG_RCX, REG_RBX, REG_RSI, REG_RDI,
                                                     REG_RBP, REG_RSP, REG_R8,  REG_R9,  REG_R10, REG_R11,
                                                     REG_R12, REG_R13, REG_R14, REG_R15, REG_RIP};
    for (int n = 0; n < UnwindRegisters::kCount; ++n)
        regs.Set(n, static_cast<uint64_t>(g[kOrder[n]]));
#else
    (void)context;
#endif
    return regs;
}

void WalkStack(FaultRecord& f, const ucontext_t* context)
{
    f.frameCount = context ? UnwindStack(UnwindStartOf(context), f.frames, FaultRecord::kMaxFrames) : 0;
}

// ---- Reporting ----

void LaunchViewer(const Published* p, const UnsavedReport& unsaved);

void ReportAndLaunch(FaultRecord& f)
{
    const Published* p = gPublished.load(std::memory_order_acquire);
    if (!p)
        return;
    SafeText text(gReport, sizeof gReport);
    FormatCrashReport(f, text, p->settings.details, p->settings.detailsContext);
    const UnsavedReport saved = SaveCrashReport(p->settings.reportFile.c_str(), text.Data(), text.Length());
    if (p->settings.attachments)
        p->settings.attachments(p->settings.attachmentsContext);
    LaunchViewer(p, saved);
}

void WriteToStandardError(const char* text, size_t length)
{
    WriteFully(STDERR_FILENO, text, length);
}

// The report that could not be saved, into a pipe whose reading end becomes
// the viewer's standard input. The pipe is made large enough to hold it and
// filled without waiting before the viewer starts, and its writing end is
// closed: neither process ever waits for the other. -1 when no pipe could be
// made.
int HandOver(const UnsavedReport& unsaved)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return -1;
    ::fcntl(ends[1], F_SETPIPE_SZ, static_cast<int>(unsaved.length < (1u << 30) ? unsaved.length : (1u << 30)));
    ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
    // Full: the rest is on standard error only.
    WriteFully(ends[1], unsaved.text, unsaved.length);
    ::close(ends[1]);
    return ends[0];
}

// True when both entries ("NAME=value") name the same variable.
bool SameName(const char* a, const char* b)
{
    for (; *a && *a != '='; ++a, ++b)
        if (*a != *b)
            return false;
    return *a == '=' && *b == '=';
}

// The entry is replaced by one of ours (a stale value from an earlier crash
// must not win: the first of two equal names is the one read).
bool Overridden(const char* entry, const Published* p)
{
    for (const char* extra : p->extraEnvironment)
        if (SameName(entry, extra))
            return true;
    return false;
}

int64_t MonotonicMilliseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Waits until the viewer lets this process go: a byte on `release` (its
// window is about to show, and may stay long after this process), or every
// writing end closed (it ended, having written all it writes where this
// process's output goes; it is then reaped, so that not one of its
// descriptors outlives this process). Closes `release`.
void WaitForViewer(pid_t viewer, int release)
{
    const int64_t giveUpAt = MonotonicMilliseconds() + kCrashViewerPatienceMs;
    char released = 0;
    ssize_t got = -1;
    for (int64_t left = kCrashViewerPatienceMs; left > 0; left = giveUpAt - MonotonicMilliseconds()) {
        pollfd end{release, POLLIN, 0};
        const int ready = ::poll(&end, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        got = ::read(release, &released, 1);
        if (got < 0 && errno == EINTR)
            continue;
        break;
    }
    ::close(release);
    if (got != 0)
        return; // let go, or not heard from in time
    while (MonotonicMilliseconds() < giveUpAt) {
        const pid_t reaped = ::waitpid(viewer, nullptr, WNOHANG);
        if (reaped == viewer || (reaped < 0 && errno != EINTR))
            return;
        timespec pause{0, 2 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
}

void LaunchViewer(const Published* p, const UnsavedReport& unsaved)
{
    if (!p || p->argv.size() < 2)
        return;
    // The pipe through which the viewer lets this process go; without one
    // the viewer is not waited for.
    int release[2] = {-1, -1};
    const bool waits = ::pipe2(release, O_CLOEXEC) == 0;
    // The environment: ours less the variables the extras set (and the
    // saving error and the release, which are this report's own), then the
    // extras.
    static char unsavedEntry[64];
    SafeText entry(unsavedEntry, sizeof unsavedEntry);
    entry.Append(kCrashUnsavedVariable).Char('=').Decimal(unsaved.error);
    static char releaseEntry[64];
    SafeText releaseText(releaseEntry, sizeof releaseEntry);
    releaseText.Append(kCrashReleaseVariable).Char('=').Decimal(waits ? release[1] : 0);
    size_t n = 0;
    for (char** e = environ; e && *e && n + p->extraEnvironment.size() + 3 < kMaxEnvironment; ++e) {
        if (Overridden(*e, p) || SameName(*e, unsavedEntry) || SameName(*e, releaseEntry))
            continue;
        gEnvironment[n++] = *e;
    }
    for (const char* extra : p->extraEnvironment)
        gEnvironment[n++] = extra;
    if (unsaved.error != 0)
        gEnvironment[n++] = unsavedEntry;
    if (waits)
        gEnvironment[n++] = releaseEntry;
    gEnvironment[n] = nullptr;
    const int input = unsaved.error != 0 ? HandOver(unsaved) : -1;

    const pid_t child = ::_Fork();
    if (child != 0) {
        if (input >= 0)
            ::close(input);
        if (waits) {
            ::close(release[1]);
            if (child > 0)
                WaitForViewer(child, release[0]);
            else
                ::close(release[0]);
        }
        return; // the parent (or a failed fork) goes on to end the process
    }
    // The child leaves the crashed process's group of signals behind: the
    // handler blocked them, and exec keeps a blocked mask.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::setsid(); // outlive the crashed process and its terminal's signals
    if (input >= 0)
        ::dup2(input, STDIN_FILENO); // the copy is kept across exec
    if (waits) {
        ::close(release[0]);
        ::fcntl(release[1], F_SETFD, 0); // the viewer's to keep
    }
    ::execve(p->argv[0], p->argv.data(), const_cast<char* const*>(gEnvironment));
    ::_exit(127);
}

[[noreturn]] void EndWith(int signal)
{
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}

// Another thread is writing the report: give it time, then end.
[[noreturn]] void WaitForReporter(int signal)
{
    for (int i = 0; i < 200; ++i) {
        struct timespec pause {0, 50 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
    EndWith(signal);
}

void OnFault(int signal, siginfo_t* info, void* context)
{
    const uint32_t self = KernelThreadId();
    uint32_t expected = 0;
    if (!gOwner.compare_exchange_strong(expected, self)) {
        if (expected == self)
            EndWith(signal); // a fault while this thread was reporting
        WaitForReporter(signal);
    }
    FaultRecord& f = gFault;
    f = FaultRecord{};
    f.signal = signal;
    f.signalCode = info ? info->si_code : 0;
    f.threadId = self;
    uintptr_t pc = 0, sp = 0, fp = 0;
    if (context)
        FillRegisters(f, static_cast<const ucontext_t*>(context), &pc, &sp, &fp);
    f.address = pc;
    f.dataAddress = info ? reinterpret_cast<uintptr_t>(info->si_addr) : 0;
    // abort() and kill() carry no fault address; a signal sent by a process
    // is not a fault of an instruction either.
    const bool sent = info && info->si_code <= 0;
    f.code = sent ? CodeForSignal(signal, 0, 0, 0) : CodeForSignal(signal, f.signalCode, f.dataAddress, sp);
    if (signal == SIGSEGV || signal == SIGBUS) {
        if (!sent && f.address == 0)
            f.address = f.dataAddress; // a jump to nowhere faults on its own address
    }
    (void)fp;
    WalkStack(f, static_cast<const ucontext_t*>(context));
    ReportAndLaunch(f);
    EndWith(signal);
}

void OnTerminate()
{
    const uint32_t self = KernelThreadId();
    uint32_t expected = 0;
    if (!gOwner.compare_exchange_strong(expected, self)) {
        if (expected == self)
            EndWith(SIGABRT);
        WaitForReporter(SIGABRT);
    }
    // An exception escaping is reported with the code it carries on Windows;
    // terminate without one is the runtime giving up, as abort().
    const DWORD code = abi::__cxa_current_exception_type() ? EXCEPTION_CPLUSPLUS : STATUS_FATAL_APP_EXIT;
    CaptureCurrentThread(gFault, code, 2); // from the caller of this handler on
    ReportAndLaunch(gFault);
    EndWith(SIGABRT);
}

std::unique_ptr<Published> BuildPublished(const CrashServiceSettings& settings)
{
    auto p = std::make_unique<Published>();
    p->settings = settings;
    p->reportVariable = std::string(kCrashReportVariable) + "=";
    p->settings.viewerEnvironment.push_back(p->reportVariable + settings.reportFile);
    for (std::string& arg : p->settings.viewerCommand)
        p->argv.push_back(arg.data());
    p->argv.push_back(nullptr);
    for (const std::string& e : p->settings.viewerEnvironment)
        p->extraEnvironment.push_back(e.c_str());
    return p;
}

} // namespace

bool PrepareCrashStackForThisThread()
{
    stack_t current{};
    if (::sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE) && current.ss_size >= kAltStackBytes)
        return true;
    // A guard page below keeps an overflow of the handler itself from
    // running into other memory.
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    void* memory = ::mmap(nullptr, kAltStackBytes + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return false;
    ::mprotect(memory, page, PROT_NONE);
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(memory) + page;
    stack.ss_size = kAltStackBytes;
    stack.ss_flags = 0;
    if (::sigaltstack(&stack, nullptr) != 0) {
        ::munmap(memory, kAltStackBytes + page);
        return false;
    }
    return true; // kept for the thread's life; a thread ending leaves it to the process
}

bool InstallCrashService(const CrashServiceSettings& settings)
{
    std::lock_guard<std::mutex> guard(gConfigMutex);
    auto block = BuildPublished(settings);
    gPublished.store(block.get(), std::memory_order_release);
    Retired().push_back(std::move(block));
    if (gInstalled)
        return true;
    PrepareCrashStackForThisThread();
    // The module map and the symbol reader are first used here, so that a
    // missing /proc shows up at start rather than in the handler.
    struct sigaction action {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals)
        sigaddset(&action.sa_mask, s);
    bool ok = true;
    for (size_t i = 0; i < kSignalCount; ++i)
        if (::sigaction(kSignals[i], &action, &gPrevious[i]) != 0)
            ok = false;
    gPreviousTerminate = std::set_terminate(OnTerminate);
    gInstalled = true;
    return ok;
}

void UninstallCrashService()
{
    std::lock_guard<std::mutex> guard(gConfigMutex);
    if (!gInstalled)
        return;
    for (size_t i = 0; i < kSignalCount; ++i)
        ::sigaction(kSignals[i], &gPrevious[i], nullptr);
    std::set_terminate(gPreviousTerminate);
    gInstalled = false;
    gPublished.store(nullptr, std::memory_order_release);
}

bool IsCrashServiceInstalled()
{
    std::lock_guard<std::mutex> guard(gConfigMutex);
    return gInstalled;
}

CrashServiceSettings CrashServiceSettingsInForce()
{
    std::lock_guard<std::mutex> guard(gConfigMutex);
    const Published* p = gPublished.load();
    if (!p)
        return {};
    CrashServiceSettings copy = p->settings;
    if (!copy.viewerEnvironment.empty())
        copy.viewerEnvironment.pop_back(); // the report variable we added
    return copy;
}

__attribute__((noinline)) void CaptureCurrentThread(FaultRecord& fault, DWORD code, int skipFrames)
{
    fault = FaultRecord{};
    fault.code = code;
    fault.threadId = KernelThreadId();
    ucontext_t context;
    uintptr_t pc = 0, sp = 0, fp = 0;
    const bool captured = ::getcontext(&context) == 0;
    if (captured)
        FillRegisters(fault, &context, &pc, &sp, &fp);
    WalkStack(fault, captured ? &context : nullptr);
    // The innermost entries are the reporting functions themselves.
    size_t drop = skipFrames > 0 ? static_cast<size_t>(skipFrames) : 0;
    if (drop >= fault.frameCount)
        drop = fault.frameCount > 0 ? fault.frameCount - 1 : 0;
    for (size_t i = drop; i < fault.frameCount; ++i)
        fault.frames[i - drop] = fault.frames[i];
    fault.frameCount -= drop;
    fault.address = fault.frameCount > 0 ? fault.frames[0].pc : pc;
}

UnsavedReport SaveCrashReport(const char* path, const char* text, size_t length)
{
    UnsavedReport outcome{text, length, 0};
    if (WriteReportFile(path, text, length, &outcome.error))
        return outcome;
    // Not lost: where the user or whoever started the program can see it.
    char line[1200];
    SafeText why(line, sizeof line);
    why.Append("The crash report could not be saved as ").Append(path).Append(" (");
    const char* words = ::strerrordesc_np(outcome.error);
    if (words)
        why.Append(words);
    else
        why.Append("error ").Decimal(outcome.error);
    why.Append("). Here it is:\n");
    WriteToStandardError(why.Data(), why.Length());
    WriteToStandardError(text, length);
    WriteToStandardError("\n", 1);
    return outcome;
}

bool LaunchCrashViewer(const UnsavedReport& unsaved)
{
    const Published* p = gPublished.load(std::memory_order_acquire);
    if (!p || p->argv.size() < 2)
        return false;
    LaunchViewer(p, unsaved);
    return true;
}

void ReleaseCrashedProcess()
{
    const char* value = std::getenv(kCrashReleaseVariable);
    if (!value)
        return;
    char* end = nullptr;
    const long fd = std::strtol(value, &end, 10);
    const bool whole = end != value && *end == '\0';
    // Once: the descriptor is closed below, and its number may come back
    // for anything else.
    ::unsetenv(kCrashReleaseVariable);
    // Only the writing end of a pipe, as the crash handler hands it over:
    // never one of the standard three, nor anything else a stale variable
    // could name.
    struct stat st;
    if (!whole || fd <= STDERR_FILENO || static_cast<int>(fd) != fd || ::fstat(static_cast<int>(fd), &st) != 0 ||
        !S_ISFIFO(st.st_mode) || (::fcntl(static_cast<int>(fd), F_GETFL) & O_ACCMODE) != O_WRONLY)
        return;
    const char go = 1;
    while (::write(static_cast<int>(fd), &go, 1) < 0 && errno == EINTR) {
    }
    ::close(static_cast<int>(fd));
}

std::string ReportFileToView()
{
    const char* value = std::getenv(kCrashReportVariable);
    return value ? std::string(value) : std::string();
}

int ReportSaveError()
{
    const char* value = std::getenv(kCrashUnsavedVariable);
    return value ? std::atoi(value) : 0;
}

std::string ReadHandedOverReport(size_t maxBytes)
{
    // Only the pipe the crash handler made: never a terminal, which would
    // wait for the user.
    struct stat st;
    if (::fstat(STDIN_FILENO, &st) != 0 || !S_ISFIFO(st.st_mode))
        return std::string();
    const int flags = ::fcntl(STDIN_FILENO, F_GETFL);
    if (flags < 0 || ::fcntl(STDIN_FILENO, F_SETFL, flags | O_NONBLOCK) != 0)
        return std::string();
    std::string text;
    char chunk[65536];
    while (text.size() < maxBytes) {
        const ssize_t n = ::read(STDIN_FILENO, chunk, std::min(sizeof chunk, maxBytes - text.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // its end, or a writer still there that has nothing more now
        text.append(chunk, static_cast<size_t>(n));
    }
    return text;
}

namespace testing {

namespace {
// Kept from being folded away by the optimiser.
volatile int gZero = 0;
volatile uintptr_t gNowhere = 0;

// The processor's own fault is wanted here, not the undefined-behaviour
// checker's report of it.
// Both operands come from memory, or the compiler turns 1 / b into a compare.
__attribute__((noinline, no_sanitize("undefined"))) int Divide(int a, int b)
{
    volatile int dividend = a;
    volatile int divisor = b;
    return dividend / divisor;
}

volatile bool gKeepGoing = true;

[[gnu::noinline]] int Recurse(int depth)
{
    volatile char pad[4096];
    pad[0] = static_cast<char>(depth);
    if (!gKeepGoing)
        return pad[0];
    return Recurse(depth + 1) + pad[0];
}
} // namespace

void RaiseFault(const std::string& kind)
{
    if (kind == "null") {
        *reinterpret_cast<volatile int*>(gNowhere + 16) = 1;
    } else if (kind == "segv") {
        // Inside the program's own code: writing to it is refused.
        *reinterpret_cast<volatile unsigned char*>(reinterpret_cast<uintptr_t>(&RaiseFault)) = 0xCC;
    } else if (kind == "fpe") {
        gZero = Divide(1, gZero);
    } else if (kind == "ill") {
        __builtin_trap();
    } else if (kind == "abort") {
        std::abort();
    } else if (kind == "overflow") {
        gZero = Recurse(0);
    } else if (kind == "bus") {
        // A mapping of a file that has since been cut short.
        char name[] = "/tmp/pellucor-bus-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd >= 0 && ::ftruncate(fd, 4096) == 0) {
            void* page = ::mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0);
            ::unlink(name);
            if (page != MAP_FAILED && ::ftruncate(fd, 0) == 0)
                gZero = *static_cast<volatile char*>(page);
        }
    } else if (kind == "terminate") {
        // An exception leaving a thread's body ends the program.
        std::thread([] { throw std::runtime_error("nobody catches this"); }).join();
    }
    std::abort();
}

} // namespace testing

} // namespace platform
