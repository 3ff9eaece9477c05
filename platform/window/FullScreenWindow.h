// The program's full-screen window in a display mode the monitor does not
// have: the display service asks the window service to let the window's
// native window cover its whole monitor, without a frame and above the
// others, while the window itself keeps its place and size in the program's
// screen (the mode's). The presenter then reports where in the native
// window it shows the mode's screen, and from then on pointer positions are
// read in that screen (ScreenScaling.h) until the window goes back.
//
// Where the system will not let the window cover the monitor (no window
// manager moves it, or one refuses), the native window keeps the size it
// has, the presenter draws the picture at that size, and the mapping follows
// what it drew.
//
// Threads: the thread that owns the window (the display service calls these
// with the display's lock held; the window service never calls back into
// the display service).
#pragma once

#include "platform/window/ScreenScaling.h"
#include "platform/window/WindowTypes.h"

#include <optional>

namespace platform {

// The native window of `window` covers the monitor, now or when it is made.
// False for a window the window service does not know.
bool CoverMonitor(HWND window);
// Back to the window's own place and size; the screen is no longer scaled.
void UncoverMonitor(HWND window);
// The native window's size as the system last reported it; false when the
// window does not cover the monitor.
bool CoveringSize(HWND window, int& width, int& height);
// Where the covering window shows the mode's screen, as the presenter drew it.
void ShowScreenScaled(HWND window, const ScreenScaling& scaling);
// The scaling in force for the window, if it shows a scaled screen.
std::optional<ScreenScaling> ScalingOf(HWND window);

} // namespace platform
