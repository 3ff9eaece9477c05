// The X display's presence as the program sees it: why it cannot be opened,
// as the start-up tells the player, and its going away.
//
// A display that goes away (its X server ended, crashed or restarted, a
// remote display dropped, or the server closed the program's connection
// because the window manager force-quit it) ends the program at once. Xlib's
// own answer is to call exit(), whose handlers then tear the program down
// through the dead connection (and hang there, or report a crash); nothing
// of the program needs that teardown: the player's files are saved as they
// change. So the program says so on standard error, once and with the
// reason, and ends at once with exit code 1, ending what it started and
// letting go of its single-copy lock (EndProcessAbruptly), so that a new
// start on another display is not refused. Xlib's handler serves every
// connection of the process, SDL's included; with another video driver
// (Wayland, none) nothing is installed. A process forked from the program
// that keeps its handler (SDL's own box runs in one, on a connection of its
// own) ends quietly when its connection goes: the program speaks for the
// display, and meets the loss itself. A loss met by a write to the
// connection is said the same way: the broken pipe's signal is taken and
// dropped, so the write fails and Xlib calls the handler.
//
// Threads: WhyTheXDisplayCannotBeOpened and EndWhenTheDisplayGoes on the
// thread that starts SDL's video; the handler runs on whichever thread met
// the broken connection. EndWhenTheConnectionCloses is made and dropped on
// one thread; its watch runs on a thread of its own.
#pragma once

#include <string>
#include <thread>

struct _XDisplay;

namespace platform::detail {

// Why the X display that DISPLAY names cannot be opened now ("" when it
// can): a connection of a moment, opened and closed again.
std::string WhyTheXDisplayCannotBeOpened();

// Installs the handler when `videoDriver` (SDL's current one, null before
// its video starts) is X's (again is harmless).
void EndWhenTheDisplayGoes(const char* videoDriver);

// While one stands, the program ends as on a lost display the moment the X
// server closes `display`'s connection. For the time the thread that reads
// that connection cannot look at it: SDL's own box keeps it waiting for the
// box's process, and a force-quit of the game's window (the server closing
// its connection, as xkill has it do) would leave the game and its box on
// the screen, holding the single-copy lock. The watch waits for the
// connection's hang-up alone and reads nothing from it, so Xlib, whose
// connection it is, never misses a byte. Null: nothing is watched.
class EndWhenTheConnectionCloses {
public:
    explicit EndWhenTheConnectionCloses(_XDisplay* display);
    ~EndWhenTheConnectionCloses();
    EndWhenTheConnectionCloses(const EndWhenTheConnectionCloses&) = delete;
    EndWhenTheConnectionCloses& operator=(const EndWhenTheConnectionCloses&) = delete;

private:
    // Its name and descriptor are read on the thread that made the watch.
    void Watch(const char* name, int connection) const;

    int stopFd_ = -1; // an eventfd: written when the watch is to end
    std::thread watch_;
};

} // namespace platform::detail
