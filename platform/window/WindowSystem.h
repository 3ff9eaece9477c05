// The window service's shared tables (classes, windows, thread queues,
// timers, activation, capture) behind the Win32-shaped calls of Window.h.
// Internal to platform/window.
//
// Threads: `mutex` guards every member below it; window procedures and the
// back end are called with it released. Condition variables of the queues
// and of sent messages wait on `mutex`.
#pragma once

#include "platform/core/Clock.h"
#include "platform/window/InputTranslator.h"
#include "platform/window/ScreenScaling.h"
#include "platform/window/Window.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform::detail {

struct WindowData {
    uintptr_t handle = 0;
    std::string className;
    UINT classStyle = 0;
    HCURSOR classCursor = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    intptr_t userData = 0;
    intptr_t id = 0;
    HINSTANCE instance = nullptr;
    HWND parent = nullptr;
    std::string title;
    // The client area in screen coordinates.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool visible = false;
    bool minimized = false;
    bool maximized = false;
    bool enabled = true;
    bool needsPaint = false;
    bool erase = false;
    bool destroying = false;
    DWORD thread = 0;
    uint32_t native = 0;
    // The native window covers its monitor (full screen in a display mode
    // the monitor does not have): it has a place and size of its own, on the
    // real desktop, and shows the mode's screen as `scaling` says (once the
    // presenter has shown it). The client keeps its place in that screen.
    bool coversMonitor = false;
    RECT nativeArea{0, 0, 0, 0};
    ScreenScaling scaling;
};

struct Timer {
    HWND window = nullptr;
    uintptr_t id = 0;
    UINT elapse = 0;
    uint64_t dueMs = 0;
    TIMERPROC proc = nullptr;
};

struct SentMessage {
    MSG msg{};
    LRESULT result = 0;
    bool done = false;
    std::condition_variable cv;
};

struct ThreadQueue {
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::vector<Timer> timers;
    bool quit = false;
    int quitCode = 0;
    std::condition_variable cv;
};

struct ClassRecord {
    std::string name;
    WNDCLASSA wc{};
};

class WindowSystem final : public InputContext {
public:
    std::mutex mutex;
    std::vector<ClassRecord> classes;
    std::map<uintptr_t, std::unique_ptr<WindowData>> windows;
    std::vector<uintptr_t> zOrder; // topmost first
    std::map<DWORD, std::unique_ptr<ThreadQueue>> queues;
    std::vector<std::string> registeredMessages;
    uintptr_t nextHandle = 0x20000;
    uintptr_t nextTimerId = 0x7F00;
    HWND active = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
    POINT pointer{0, 0};
    DWORD lastInputTick = GetTickCount(); // the last keyboard or mouse input
    DWORD uiThread = 0; // the thread that made the first window: it pumps the back end
    bool uiWaiting = false; // the UI thread is in the back end's WaitForEvents
    InputTranslator translator; // used by the ui thread only

    // Under the lock.
    WindowData* Find(HWND window);
    // The window showing a scaled screen, if any.
    WindowData* ScaledScreenWindow();
    // Real desktop positions and the program's screen positions: the same,
    // but over a window that shows a scaled screen.
    POINT RealToScreen(POINT real);
    POINT ScreenToReal(POINT screen);
    ThreadQueue& Queue(DWORD thread);

    // InputContext, called by the translator without the lock held.
    HWND WindowForNative(uint32_t nativeId) override;
    HWND FocusWindow() override;
    HWND CaptureWindow() override;
    POINT ClientOrigin(HWND window) override;
    POINT NativeToScreen(HWND window, int x, int y, bool* inMargin) override;
    UINT ClassStyle(HWND window) override;
    DWORD Now() override;
    bool TakesInput(HWND window) override;
};

WindowSystem& System();
void ResetSystem();

inline HWND ToHandle(uintptr_t value) { return reinterpret_cast<HWND>(value); }
inline uintptr_t FromHandle(HWND window) { return reinterpret_cast<uintptr_t>(window); }

// Calls the window's procedure without the lock (0 for a window that is gone).
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool dispatched);
// Activation as the system does it, sending the messages it sends.
void Activate(HWND window);
void Deactivate();
// The topmost visible top-level window, or null.
HWND FirstVisibleTopLevel();
// WM_SIZE of the given kind with the client size (none when minimised).
void SendSize(HWND window, WPARAM kind);
// Takes the back end's events and turns them into messages (ui thread only).
void PumpInput();
// Milliseconds of the platform clock, 64-bit.
uint64_t NowMs();

} // namespace platform::detail
