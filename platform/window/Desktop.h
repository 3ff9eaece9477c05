// The desktop as the program measures it: its mode (size, depth, refresh),
// the work area, the system metrics and parameters the program reads, and
// the frame sizes our windows' styles imply. The SDL back end reports the
// real desktop; tests set the desktop they need, and that setting wins over
// either back end so the display service sees the same desktop.
//
// Threads: any thread; one mutex guards the test settings.
#pragma once

#include "platform/window/WindowBackend.h"
#include "platform/window/WindowTypes.h"

#include <optional>

namespace platform {

DesktopMode GetDesktopMode();
RECT GetWorkArea();

int GetSystemMetrics(int index);
// SPI_GETWORKAREA fills a RECT; SPI_GETSCREENSAVETIMEOUT an int (seconds);
// SPI_GETSCREENSAVEACTIVE and SPI_GETSCREENSAVERRUNNING a BOOL;
// SPI_SETSCREENSAVERRUNNING is accepted and remembered. Others fail.
BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* pvParam, UINT winIni);

// The frame our windows draw around their client area for a style.
struct FrameInsets {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
FrameInsets FrameInsetsForStyle(DWORD style);

constexpr int kCaptionHeight = 22;
constexpr int kFixedFrame = 3;
constexpr int kSizingFrame = 4;

namespace testing {
// The desktop every service sees from now on (until ResetDesktop).
void SetDesktopMode(const DesktopMode& mode);
// The work area; by default the desktop less a 40-pixel task bar at the
// bottom when a desktop mode was set, else what the back end reports.
void SetWorkArea(const RECT& area);
void SetScreenSaver(bool active, int timeoutSeconds);
void SetTabletPc(bool tablet);
void ResetDesktop();
} // namespace testing

} // namespace platform
