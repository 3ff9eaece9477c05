// The crash window of tests and CI: nothing is shown. It keeps what it was
// asked to show, and answers as the test scripted with
// platform::testing::ScriptAnswer("CrashWindow", value): 1 is "Send Report"
// (when offered); anything else, or no script, is "Close Now".
//
// Threads: the viewer's main thread shows; the test may read from any
// thread. One mutex guards what was shown.
#pragma once

#include "platform/crash/CrashWindow.h"

#include <mutex>

namespace platform {

class HeadlessCrashWindow final : public CrashWindowBackend {
public:
    CrashWindowChoice Show(const std::string& caption, const std::string& heading, const std::string& report,
                           bool offerSend) override;

    testing::ShownCrashWindow LastShown();
    void Forget();

private:
    std::mutex mutex_;
    testing::ShownCrashWindow shown_; // guarded by mutex_
};

} // namespace platform
