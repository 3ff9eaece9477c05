// The crash window: the report shown to the user after a crash, in the
// viewer process (never in the crashed one), with "Close Now" and, when a
// report server is configured, "Send Report".
//
// Real back end: a scrollable text window through the desktop's zenity
// program; without it, a message box with the start of the report. Headless:
// the answer comes from platform::testing::ScriptAnswer("CrashWindow",
// value) (1 = Send Report; anything else or nothing = Close Now), and the
// window's caption and text are kept for the test.
//
// Threads: the viewer's main thread.
#pragma once

#include <string>

namespace platform {

enum class CrashWindowChoice { CloseNow, SendReport };

CrashWindowChoice ShowCrashWindow(const std::string& caption, const std::string& heading, const std::string& report,
                                  bool offerSend);

namespace testing {
struct ShownCrashWindow {
    int count = 0;
    std::string caption;
    std::string heading;
    std::string report;
    bool offeredSend = false;
};
// What the headless back end last showed, and how many times.
ShownCrashWindow LastCrashWindow();
void ForgetCrashWindows();
} // namespace testing

} // namespace platform
