#include "platform/window/SessionEndSignals.h"

#include "platform/core/Process.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr size_t kKinds = sizeof kSignals / sizeof kSignals[0];

std::atomic<bool> requested{false};
std::atomic<bool> noted[kKinds];
std::atomic<int> wakeDescriptor{-1};

// The deadline: a timer made by EndSessionWithin, started by the first
// signal, whose own signal ends the program.
timer_t deadlineTimer;
std::atomic<bool> deadlineMade{false};
std::atomic<bool> deadlineStarted{false};
std::atomic<long> deadlineMs{0};

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free &&
                  std::atomic<long>::is_always_lock_free,
              "the signal handlers may only touch lock-free atomics");

void Say(const char* text)
{
    size_t length = 0;
    while (text[length])
        ++length;
    [[maybe_unused]] const ssize_t put = write(2, text, length);
}

void StartDeadline()
{
    if (!deadlineMade.load() || deadlineStarted.exchange(true))
        return;
    const long ms = deadlineMs.load();
    itimerspec when{};
    when.it_value.tv_sec = ms / 1000;
    when.it_value.tv_nsec = (ms % 1000) * 1000000L;
    timer_settime(deadlineTimer, 0, &when, nullptr);
}

void NoteSessionEnd(int signal)
{
    const int saved = errno;
    for (size_t i = 0; i < kKinds; ++i) {
        if (kSignals[i] != signal || !noted[i].exchange(true))
            continue;
        // The second of its kind: whoever sends it will not wait any more.
        PrepareAbruptEnd();
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        sigaction(signal, &fallback, nullptr);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
        raise(signal);
        _exit(128 + signal);
    }
    requested.store(true);
    const int fd = wakeDescriptor.load();
    if (fd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t put = write(fd, &one, sizeof one);
    }
    StartDeadline();
    errno = saved;
}

void EndAtDeadline(int)
{
    Say("The program did not end in time after a termination signal; it is ended now.\n");
    EndProcessAbruptly(0);
}

} // namespace

void EndSessionWithin(DWORD milliseconds)
{
    deadlineMs.store(static_cast<long>(milliseconds));
    if (deadlineMade.load())
        return;
    // A real-time signal of its own: nothing else in the program uses one.
    const int signal = SIGRTMAX;
    struct sigaction action {};
    action.sa_handler = EndAtDeadline;
    sigemptyset(&action.sa_mask);
    if (sigaction(signal, &action, nullptr) != 0)
        return;
    sigevent event{};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = signal;
    if (timer_create(CLOCK_MONOTONIC, &event, &deadlineTimer) == 0)
        deadlineMade.store(true);
}

namespace detail {

void WatchSessionEndSignals()
{
    requested.store(false);
    for (size_t i = 0; i < kKinds; ++i) {
        noted[i].store(false);
        struct sigaction current {};
        if (sigaction(kSignals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = NoteSessionEnd;
        sigemptyset(&action.sa_mask);
        // No SA_RESTART: a wait the signal interrupts returns, so the UI
        // thread looks at once.
        action.sa_flags = 0;
        sigaction(kSignals[i], &action, nullptr);
    }
}

bool TakeSessionEndRequest() { return requested.exchange(false); }

bool SessionEndPending() { return requested.load(); }

void WakeOnSessionEnd(int eventDescriptor) { wakeDescriptor.store(eventDescriptor); }

} // namespace detail

} // namespace platform
