// The crash window on a desktop: the report in a scrollable text window of
// the desktop's zenity program (run without a shell); without zenity, an
// SDL message box with the start of the report; without any window at all,
// the report on the standard error the viewer inherited.
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
