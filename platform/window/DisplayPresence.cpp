#include "platform/window/DisplayPresence.h"

#include "platform/core/Process.h"

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace platform::detail {

namespace {

// The process that installed the handler: the program. A process forked
// from it without a program of its own keeps the handler.
std::atomic<pid_t> gProgramProcess{0};
// Set by the first thread that meets the loss; another one (the watch and
// Xlib's handler may meet it together) leaves the saying to it.
std::atomic<bool> gEnding{false};

void Say(const char* text)
{
    [[maybe_unused]] const ssize_t put = write(2, text, std::strlen(text));
}

// What the program can tell of its connection's end (its descriptor, -1
// for none): the server closed its side (it ended, or it put the program
// out), or the connection broke.
const char* WhyTheConnectionEnded(int connection)
{
    pollfd end{connection, POLLRDHUP, 0};
    if (connection >= 0 && poll(&end, 1, 0) > 0 && (end.revents & (POLLRDHUP | POLLHUP)) != 0)
        return "the X server closed the connection";
    return "the connection to it broke";
}

// Says why the program ends, once, and ends it; `name` is the display's
// (null: unknown).
[[noreturn]] void EndForTheLostDisplay(const char* name, int connection)
{
    const pid_t program = gProgramProcess.load();
    if (program != 0 && getpid() != program)
        _exit(1);
    if (gEnding.exchange(true)) {
        for (;;)
            pause(); // the thread that came first ends the process
    }
    Say("The display ");
    if (name)
        Say(name);
    Say(" went away (");
    Say(WhyTheConnectionEnded(connection));
    Say("); the program ends.\n");
    EndProcessAbruptly(1);
}

int OnDisplayGone(Display* display)
{
    EndForTheLostDisplay(display ? XDisplayString(display) : nullptr, display ? ConnectionNumber(display) : -1);
}

// Taken and dropped: a write to a connection whose other end went fails
// with EPIPE instead.
void DropBrokenPipe(int) {}

} // namespace

std::string WhyTheXDisplayCannotBeOpened()
{
    int screen = 0;
    errno = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    const int failure = xcb_connection_has_error(connection);
    const int error = errno;
    xcb_disconnect(connection);
    switch (failure) {
    case 0: return "";
    case XCB_CONN_ERROR:
        // The socket's own error where there was one; otherwise the server
        // ended the connection as it began.
        return error != 0 ? std::strerror(error) : "the X server closed the connection at once";
    case XCB_CONN_CLOSED_PARSE_ERR: return "the display's name cannot be read";
    case XCB_CONN_CLOSED_INVALID_SCREEN: return "the X server has no such screen";
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT: return "out of memory";
    default: return "the connection failed (error " + std::to_string(failure) + ")";
    }
}

void EndWhenTheDisplayGoes(const char* videoDriver)
{
    if (videoDriver && std::strcmp(videoDriver, "x11") == 0) {
        gProgramProcess.store(getpid());
        XSetIOErrorHandler(&OnDisplayGone);
        // The loss is often met by a write (the window raised as SDL's box
        // goes, a picture sent): the broken pipe's signal would end the
        // program there, before Xlib meets the failed write and calls the
        // handler, which says so. A handler of our own rather than ignoring
        // it: the programs started from here get the signal's default back.
        // One already chosen (ignored by whoever started us) is kept.
        struct sigaction current {};
        if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            struct sigaction drop {};
            drop.sa_handler = DropBrokenPipe;
            sigemptyset(&drop.sa_mask);
            drop.sa_flags = SA_RESTART;
            sigaction(SIGPIPE, &drop, nullptr);
        }
    }
}

EndWhenTheConnectionCloses::EndWhenTheConnectionCloses(Display* display)
{
    if (!display)
        return;
    stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd_ < 0)
        return;
    // The signals sent to the program stay with its other threads, which
    // answer them as they did before the watch; a fault stays with the
    // thread that made it.
    sigset_t blocked;
    sigset_t previous;
    sigfillset(&blocked);
    for (const int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        sigdelset(&blocked, fault);
    pthread_sigmask(SIG_SETMASK, &blocked, &previous);
    try {
        watch_ = std::thread([this, name = XDisplayString(display), connection = ConnectionNumber(display)] {
            Watch(name, connection);
        });
    } catch (const std::system_error&) {
        // No thread to spare: the box shows unwatched, as before.
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

EndWhenTheConnectionCloses::~EndWhenTheConnectionCloses()
{
    if (watch_.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t put = write(stopFd_, &one, sizeof one);
        watch_.join();
    }
    if (stopFd_ >= 0)
        close(stopFd_);
}

void EndWhenTheConnectionCloses::Watch(const char* name, int connection) const
{
    // Asked for the hang-up only: the events the server sends meanwhile
    // wake nothing here, and stay for Xlib to read.
    pollfd fds[2] = {{connection, POLLRDHUP, 0}, {stopFd_, POLLIN, 0}};
    for (;;) {
        const int ready = poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || (fds[1].revents & POLLIN) != 0 || (fds[0].revents & POLLNVAL) != 0)
            return;
        if ((fds[0].revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0)
            EndForTheLostDisplay(name, connection);
    }
}

} // namespace platform::detail
