// The window of a box the program draws itself (DrawnMessageBox), on SDL:
// a small window of its own in front of the program's window (transient for
// it, so a window manager keeps it above, full screen included), drawn on
// the window's surface and answered with the pointer and the keys. While it
// is up it takes SDL's events: its own drive the box, input meant for the
// program's other windows is dropped (they wait, as behind the system's
// box), and their window events are queued again afterwards; a request to
// end the session (SIGTERM) takes the box away unanswered. It sleeps on
// the display connection, never in SDL's own wait: that one names a window
// for other threads to wake it through, and a wake-up sent to the box's
// window just as it goes is an X error that ends the program.
//
// Threads: the thread that started SDL's video (the main thread).
#pragma once

#include <cstdint>

namespace platform {

class DisplayConnectionWait;
class DrawnMessageBox;

// Shows the box until it is answered, in front of the SDL window `owner`
// (0: the window with the keyboard focus, if any), sleeping on `connection`
// between events; its answer (the close answer, or 0, when the session
// ended first), 0 when no window could be made.
int RunDrawnBoxWindow(DrawnMessageBox& box, uint32_t owner, DisplayConnectionWait& connection);

} // namespace platform
