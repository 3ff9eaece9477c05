#include "platform/crash/CrashWindow.h"

#include "platform/core/Testing.h"
#include "platform/crash/DesktopCrashWindow.h"
#include "platform/crash/HeadlessCrashWindow.h"

#include <memory>
#include <mutex>

namespace platform {

CrashWindowBackend& GetCrashWindowBackend()
{
    static std::once_flag picked;
    static std::unique_ptr<CrashWindowBackend> backend;
    std::call_once(picked, [] {
        if (IsHeadless())
            backend = std::make_unique<HeadlessCrashWindow>();
        else
            backend = std::make_unique<DesktopCrashWindow>();
    });
    return *backend;
}

} // namespace platform
