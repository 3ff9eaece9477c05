// The application and the system's screensaver, both ways round.
//
// Running as the screensaver ("-screensaver"), the filter sees every window
// message first: it swallows the system commands that would switch away and
// the first three mouse moves (a nudged mouse is no reason to stop), and
// ends the screensaver on a fourth move, a button or a key, or the window
// losing activation, by posting a close. Within a second of a monitor power
// request, moves, closes and activation changes do not count.
//
// Running in a window beside the system's screensaver, the idle check (once
// a second from the draw pass) holds the application still once the user
// has been idle for the screensaver's time-out less two seconds, so the
// system's screensaver can start; the hold lifts when input comes again.
// While held, the loop neither updates nor draws.
//
// There is no password check on this system: any of the ending events ends
// the screensaver.
//
// Threads: main thread only (the window procedure and the loop); no lock.
#pragma once

#include "platform/window/WindowTypes.h"

#include <cstdint>

namespace Zolt {

class ScreenSaverWatch {
public:
    // ---- As the screensaver ----
    // True when the message is swallowed.
    bool Filter(platform::HWND window, platform::UINT message, platform::WPARAM wParam,
                platform::HWND mainWindow);
    bool IsEnding() const { return ending_; }

    // ---- Beside it ----
    // The user's last input (timer-tick time of the input).
    void NoteInput(uint32_t time) { lastInput_ = time; }
    void NoteMonitorPower(uint32_t now) { monitorPowerStamp_ = now; }
    // Once per 1000 ms of `now`: true when the idle check is due.
    bool TakeIdleCheckTurn(uint32_t now);
    // Re-reads the screensaver's settings every ten seconds; `systemLastInput`
    // is the system's own last-input time when it can tell. True when the
    // hold was lifted (the caller repaints everything).
    bool IdleCheck(uint32_t now, const uint32_t* systemLastInput);
    bool IsHolding() const { return holding_; }

private:
    // The filter: where the mouse was, and how often it moved since.
    bool haveStart_ = false;
    platform::POINT start_{0, 0};
    int moves_ = 0;
    bool ending_ = false;
    uint32_t monitorPowerStamp_ = 0;
    // The idle check.
    uint32_t lastInput_ = 0;
    uint32_t lastIdleCheck_ = 0;
    uint32_t lastSettingsRead_ = 0;
    bool saverActive_ = false;
    uint32_t threshold_ = 0;
    bool holding_ = false;
};

} // namespace Zolt
