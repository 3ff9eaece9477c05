#include "platform/window/WindowBackend.h"

#include "platform/core/DebugOutput.h"
#include "platform/core/Testing.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/SdlBackend.h"
#include "platform/window/SessionEndSignals.h"

#include <mutex>

namespace platform {

namespace {

struct BackendSlot {
    std::mutex mutex;
    std::unique_ptr<WindowBackend> backend; // guarded by mutex
    std::string failure;                    // guarded by mutex
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
        slot.failure.clear();
        if (testing::ShouldFail("OpenWindowSystem")) {
            slot.failure = "refused by a test";
        } else if (!IsHeadless()) {
            slot.backend = SdlBackend::Open(&slot.failure);
            // The program says it (WindowSystemFailure) as it ends.
            if (!slot.backend)
                OutputDebugString("The window system could not be opened (" + slot.failure + ").\n");
        }
        if (!slot.backend)
            slot.backend = std::make_unique<HeadlessBackend>();
        detail::WatchSessionEndSignals();
    }
    return *slot.backend;
}

std::string WindowSystemFailure()
{
    GetWindowBackend();
    BackendSlot& slot = Slot();
    std::lock_guard<std::mutex> lock(slot.mutex);
    return slot.failure;
}

void ResetWindowBackend()
{
    BackendSlot& slot = Slot();
    std::lock_guard<std::mutex> lock(slot.mutex);
    slot.backend.reset();
    slot.failure.clear();
}

} // namespace platform
