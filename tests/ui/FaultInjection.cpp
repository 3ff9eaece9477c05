// Linked into a test build of the program only (pellucor_fault_probe): a real
// fault on purpose, for the end-to-end test of the crash handler. When
// PELLUCOR_FAULT_TRIGGER names a file, a thread waits for that file to
// appear and then posts every window of the program a timer message whose
// procedure writes through a null pointer: the main thread dispatches it in
// the middle of its loop and faults there, as a bug in the program would.
#include "platform/window/Window.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

void WriteThroughNull(platform::HWND, platform::UINT, uintptr_t, platform::DWORD)
{
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

struct FaultOnTrigger {
    FaultOnTrigger()
    {
        const char* trigger = std::getenv("PELLUCOR_FAULT_TRIGGER");
        if (!trigger || !*trigger)
            return;
        std::thread([path = std::string(trigger)] {
            while (!std::filesystem::exists(path))
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            platform::PostMessageA(platform::HWND_BROADCAST, platform::WM_TIMER, 1,
                                   reinterpret_cast<platform::LPARAM>(&WriteThroughNull));
        }).detach();
    }
} gFaultOnTrigger;

} // namespace
