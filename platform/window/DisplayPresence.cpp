#include "platform/window/DisplayPresence.h"

#include "platform/core/Process.h"

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace platform::detail {

namespace {

void Say(const char* text)
{
    [[maybe_unused]] const ssize_t put = write(2, text, std::strlen(text));
}

int OnDisplayGone(Display* display)
{
    Say("The display ");
    if (const char* name = display ? XDisplayString(display) : nullptr)
        Say(name);
    Say(" went away; the program ends.\n");
    EndProcessAbruptly(1);
}

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
    if (videoDriver && std::strcmp(videoDriver, "x11") == 0)
        XSetIOErrorHandler(&OnDisplayGone);
}

} // namespace platform::detail
