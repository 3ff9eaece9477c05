#include "platform/window/SessionEndSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <unistd.h>

namespace platform::detail {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

std::atomic<bool> requested{false};
std::atomic<int> wakeDescriptor{-1};

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");

void NoteSessionEnd(int)
{
    const int saved = errno;
    requested.store(true);
    const int fd = wakeDescriptor.load();
    if (fd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t put = write(fd, &one, sizeof one);
    }
    errno = saved;
}

} // namespace

void WatchSessionEndSignals()
{
    requested.store(false);
    for (int signal : kSignals) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = NoteSessionEnd;
        sigemptyset(&action.sa_mask);
        // Once: the next one takes the default course (the program ends).
        // No SA_RESTART: a wait the signal interrupts returns, so the UI
        // thread looks at once.
        action.sa_flags = SA_RESETHAND;
        sigaction(signal, &action, nullptr);
    }
}

bool TakeSessionEndRequest() { return requested.exchange(false); }

bool SessionEndPending() { return requested.load(); }

void WakeOnSessionEnd(int eventDescriptor) { wakeDescriptor.store(eventDescriptor); }

} // namespace platform::detail
