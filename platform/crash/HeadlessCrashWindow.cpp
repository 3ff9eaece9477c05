#include "platform/crash/HeadlessCrashWindow.h"

#include "platform/core/Testing.h"

namespace platform {

CrashWindowChoice HeadlessCrashWindow::Show(const std::string& caption, const std::string& heading,
                                            const std::string& report, bool offerSend)
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        ++shown_.count;
        shown_.caption = caption;
        shown_.heading = heading;
        shown_.report = report;
        shown_.offeredSend = offerSend;
    }
    testing::ScriptedAnswer answer;
    const bool send = testing::TakeScriptedAnswer("CrashWindow", &answer) && answer.value == 1;
    return send && offerSend ? CrashWindowChoice::SendReport : CrashWindowChoice::CloseNow;
}

testing::ShownCrashWindow HeadlessCrashWindow::LastShown()
{
    std::lock_guard<std::mutex> guard(mutex_);
    return shown_;
}

void HeadlessCrashWindow::Forget()
{
    std::lock_guard<std::mutex> guard(mutex_);
    shown_ = testing::ShownCrashWindow{};
}

namespace testing {

ShownCrashWindow LastCrashWindow()
{
    auto* headless = dynamic_cast<HeadlessCrashWindow*>(&GetCrashWindowBackend());
    return headless ? headless->LastShown() : ShownCrashWindow{};
}

void ForgetCrashWindows()
{
    if (auto* headless = dynamic_cast<HeadlessCrashWindow*>(&GetCrashWindowBackend()))
        headless->Forget();
}

} // namespace testing

} // namespace platform
