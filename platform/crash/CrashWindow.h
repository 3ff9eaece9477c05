// The crash window: the report shown to the user after a crash, in the
// viewer process (never in the crashed one), with "Close Now" and, when a
// report server is configured, "Send Report".
//
// What shows it is one of two back ends, picked on first use
// (platform::IsHeadless) and kept for the run: the desktop's
// (DesktopCrashWindow: a 400 x 300 window with the report in a scrolling
// box, the report on the terminal as well), or the headless one of tests
// (HeadlessCrashWindow: keeps what it was asked to show, and answers as the
// test scripted).
//
// Threads: the viewer's main thread.
#pragma once

#include <string>

namespace platform {

enum class CrashWindowChoice { CloseNow, SendReport };

class CrashWindowBackend {
public:
    virtual ~CrashWindowBackend() = default;
    // Shows the report (line ends "\r\n") under the heading and waits for
    // the user's choice; "Send Report" is offered only with `offerSend`.
    virtual CrashWindowChoice Show(const std::string& caption, const std::string& heading, const std::string& report,
                                   bool offerSend) = 0;
};

// The back end in force (made on first use).
CrashWindowBackend& GetCrashWindowBackend();

inline CrashWindowChoice ShowCrashWindow(const std::string& caption, const std::string& heading,
                                         const std::string& report, bool offerSend)
{
    return GetCrashWindowBackend().Show(caption, heading, report, offerSend);
}

// Test hooks of the headless back end.
namespace testing {
struct ShownCrashWindow {
    int count = 0;
    std::string caption;
    std::string heading;
    std::string report;
    bool offeredSend = false;
};
// What the headless crash window last showed, and how many times (nothing
// when the desktop's is in force).
ShownCrashWindow LastCrashWindow();
void ForgetCrashWindows();
} // namespace testing

} // namespace platform
