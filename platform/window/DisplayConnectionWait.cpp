#include "platform/window/DisplayConnectionWait.h"

#include "platform/window/SessionEndSignals.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {

DisplayConnectionWait::DisplayConnectionWait() : wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

DisplayConnectionWait::~DisplayConnectionWait()
{
    if (display_)
        detail::WakeOnSessionEnd(-1);
    if (wakeFd_ >= 0)
        close(wakeFd_);
}

void DisplayConnectionWait::Attach(SDL_Window* window)
{
    if (display_ || !window || wakeFd_ < 0)
        return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11 || !info.info.x11.display)
        return;
    display_ = info.info.x11.display;
    connection_ = ConnectionNumber(display_);
    // A signal taken by another thread interrupts no wait here.
    detail::WakeOnSessionEnd(wakeFd_);
}

bool DisplayConnectionWait::HasNews()
{
    if (news_.exchange(false))
        return true;
    // Events Xlib has already read (while waiting for some reply) need no
    // read of the connection to be found.
    if (XEventsQueued(display_, QueuedAlready) > 0)
        return true;
    return Poll(0);
}

bool DisplayConnectionWait::Wait(DWORD milliseconds)
{
    if (news_.load() || XEventsQueued(display_, QueuedAlready) > 0)
        return true;
    // What was drawn or asked for goes out before the sleep.
    XFlush(display_);
    const int timeout = milliseconds > 0x7FFFFFFF ? -1 : static_cast<int>(milliseconds);
    return Poll(timeout);
}

bool DisplayConnectionWait::Poll(int timeoutMilliseconds)
{
    pollfd fds[2] = {{connection_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const int ready = poll(fds, 2, timeoutMilliseconds);
    if (ready < 0) {
        // A signal: its handler has noted it, the next pump passes it on.
        news_.store(errno == EINTR);
        return errno == EINTR;
    }
    if (fds[1].revents & POLLIN) {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = read(wakeFd_, &count, sizeof count);
    }
    return ready > 0;
}

void DisplayConnectionWait::Wake()
{
    news_.store(true);
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t put = write(wakeFd_, &one, sizeof one);
}

} // namespace platform
