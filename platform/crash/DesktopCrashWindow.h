// The crash window on a desktop: a window of the drawn-window kit
// (SdlDrawnWindow), 400 x 300 as the crash window always was, with the
// report in a scrolling box (CrashWindowContent), placed at (64, 64) or, on
// a screen too small for that, where it fits; it goes when the session ends
// or the display is lost. The report also goes to the standard error the
// viewer inherited, as every fatal error does, so a terminal keeps it after
// the window closes. Without the system's fonts the start of the report
// shows in SDL's box; without any window at all the terminal has it.
//
// Threads: the viewer's main thread.
#pragma once

#include "platform/crash/CrashWindow.h"

namespace platform {

class DesktopCrashWindow final : public CrashWindowBackend {
public:
    CrashWindowChoice Show(const std::string& caption, const std::string& heading, const std::string& report,
                           bool offerSend) override;
};

} // namespace platform
