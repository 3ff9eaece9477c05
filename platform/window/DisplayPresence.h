// The X display's presence as the program sees it: why it cannot be opened,
// as the start-up tells the player, and its going away.
//
// A display that goes away (its X server ended, crashed or restarted, a
// remote display dropped) ends the program at once. Xlib's own answer is to
// call exit(), whose handlers then tear the program down through the dead
// connection (and hang there, or report a crash); nothing of the program
// needs that teardown: the player's files are saved as they change. So the
// program says why on standard error and ends at once with exit code 1,
// ending what it started and letting go of its single-copy lock
// (EndProcessAbruptly), so that a new start on another display is not
// refused. Xlib's handler serves every connection of the process, SDL's
// included; with another video driver (Wayland, none) nothing is installed.
//
// Threads: both on the thread that starts SDL's video; the handler runs on
// whichever thread met the broken connection.
#pragma once

#include <string>

namespace platform::detail {

// Why the X display that DISPLAY names cannot be opened now ("" when it
// can): a connection of a moment, opened and closed again.
std::string WhyTheXDisplayCannotBeOpened();

// Installs the handler when `videoDriver` (SDL's current one, null before
// its video starts) is X's (again is harmless).
void EndWhenTheDisplayGoes(const char* videoDriver);

} // namespace platform::detail
