#include "platform/window/WindowBackend.h"

#include "platform/core/DebugOutput.h"
#include "platform/core/Testing.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/SdlBackend.h"
#include "platform/window/SessionEndSignals.h"

#include <cstdio>
#include <mutex>

namespace platform {

namespace {

struct BackendSlot {
    std::mutex mutex;
    std::unique_ptr<WindowBackend> backend; // guarded by mutex
};

BackendSlot& Slot()
{
    static BackendSlot slot;
    return slot;
}

} // namespace

WindowBackend& GetWindowBackend()
{
    BackendSlot& slot = Slot();
    std::lock_guard<std::mutex> lock(slot.mutex);
    if (!slot.backend) {
        if (!IsHeadless()) {
            std::string error;
            slot.backend = SdlBackend::Open(&error);
            if (!slot.backend) {
                const std::string message =
                    "The window system could not be opened (" + error + "); running without a window.\n";
                OutputDebugString(message);
                std::fputs(message.c_str(), stderr);
            }
        }
        if (!slot.backend)
            slot.backend = std::make_unique<HeadlessBackend>();
        detail::WatchSessionEndSignals();
    }
    return *slot.backend;
}

void ResetWindowBackend()
{
    BackendSlot& slot = Slot();
    std::lock_guard<std::mutex> lock(slot.mutex);
    slot.backend.reset();
}

} // namespace platform
