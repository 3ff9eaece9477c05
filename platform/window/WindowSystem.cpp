#include "platform/window/WindowSystem.h"

#include "platform/core/Clock.h"
#include "platform/core/Testing.h"
#include "platform/core/Thread.h"
#include "platform/window/Cursor.h"
#include "platform/window/Desktop.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowTesting.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace detail {

namespace {

std::unique_ptr<WindowSystem>& Slot()
{
    static std::unique_ptr<WindowSystem> system = std::make_unique<WindowSystem>();
    return system;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

WindowSystem& System() { return *Slot(); }

void ResetSystem() { Slot() = std::make_unique<WindowSystem>(); }

uint64_t NowMs() { return GetClock().NowMicroseconds() / 1000; }

WindowData* WindowSystem::Find(HWND window)
{
    auto it = windows.find(FromHandle(window));
    return it == windows.end() ? nullptr : it->second.get();
}

WindowData* WindowSystem::ScaledScreenWindow()
{
    for (auto& [handle, w] : windows) {
        if (w->coversMonitor && w->scaling.IsValid())
            return w.get();
    }
    return nullptr;
}

POINT WindowSystem::RealToScreen(POINT real)
{
    WindowData* w = ScaledScreenWindow();
    if (!w)
        return real;
    return w->scaling.ToScreen(POINT{real.x - w->nativeArea.left, real.y - w->nativeArea.top});
}

POINT WindowSystem::ScreenToReal(POINT screen)
{
    WindowData* w = ScaledScreenWindow();
    if (!w)
        return screen;
    const POINT native = w->scaling.ToNative(screen);
    return POINT{native.x + w->nativeArea.left, native.y + w->nativeArea.top};
}

ThreadQueue& WindowSystem::Queue(DWORD thread)
{
    auto& q = queues[thread];
    if (!q)
        q = std::make_unique<ThreadQueue>();
    return *q;
}

HWND WindowSystem::WindowForNative(uint32_t nativeId)
{
    std::lock_guard<std::mutex> lock(mutex);
    for (auto& [handle, w] : windows) {
        if (w->native == nativeId && nativeId != 0)
            return ToHandle(handle);
    }
    return nullptr;
}

HWND WindowSystem::FocusWindow()
{
    std::lock_guard<std::mutex> lock(mutex);
    return focus;
}

HWND WindowSystem::CaptureWindow()
{
    std::lock_guard<std::mutex> lock(mutex);
    return capture;
}

POINT WindowSystem::ClientOrigin(HWND window)
{
    std::lock_guard<std::mutex> lock(mutex);
    WindowData* w = Find(window);
    return w ? POINT{w->x, w->y} : POINT{0, 0};
}

POINT WindowSystem::NativeToScreen(HWND window, int x, int y, bool* inMargin)
{
    std::lock_guard<std::mutex> lock(mutex);
    WindowData* w = Find(window);
    *inMargin = false;
    if (!w)
        return POINT{x, y};
    if (w->coversMonitor && w->scaling.IsValid()) {
        const POINT screen = w->scaling.ToScreen(POINT{x, y});
        *inMargin = !w->scaling.Contains(screen);
        return screen;
    }
    return POINT{w->x + x, w->y + y};
}

UINT WindowSystem::ClassStyle(HWND window)
{
    std::lock_guard<std::mutex> lock(mutex);
    WindowData* w = Find(window);
    return w ? w->classStyle : 0;
}

DWORD WindowSystem::Now() { return GetTickCount(); }

bool WindowSystem::TakesInput(HWND window)
{
    std::lock_guard<std::mutex> lock(mutex);
    for (WindowData* w = Find(window); w; w = Find(w->parent))
        if (!w->enabled)
            return false;
    return true;
}

LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool dispatched)
{
    WNDPROC proc = nullptr;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w)
            return 0;
        proc = w->proc;
    }
    testing::RecordMessage(dispatched ? testing::MessageLog::Route::Dispatched : testing::MessageLog::Route::Sent,
                           window, message, wParam, lParam);
    return proc ? proc(window, message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

namespace {

// Top-level windows of the calling thread, in z-order.
std::vector<HWND> ThreadTopLevels()
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    std::vector<HWND> result;
    const DWORD me = CurrentThreadId();
    for (uintptr_t h : s.zOrder) {
        WindowData* w = s.Find(ToHandle(h));
        if (w && !w->parent && w->thread == me && !w->destroying)
            result.push_back(ToHandle(h));
    }
    return result;
}

void RaiseToTop(WindowSystem& s, HWND window)
{
    auto it = std::find(s.zOrder.begin(), s.zOrder.end(), FromHandle(window));
    if (it != s.zOrder.end())
        s.zOrder.erase(it);
    s.zOrder.insert(s.zOrder.begin(), FromHandle(window));
}

} // namespace

void Activate(HWND window)
{
    HWND old;
    HWND oldFocus;
    uint32_t native = 0;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w || s.active == window)
            return;
        old = s.active;
        oldFocus = s.focus;
        s.active = window;
        s.focus = window;
        native = w->native;
        RaiseToTop(s, window);
    }
    if (old) {
        if (oldFocus)
            CallProcedure(oldFocus, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0, false);
        CallProcedure(old, WM_NCACTIVATE, FALSE, 0, false);
        CallProcedure(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window), false);
    } else {
        for (HWND top : ThreadTopLevels())
            CallProcedure(top, WM_ACTIVATEAPP, TRUE, 0, false);
    }
    CallProcedure(window, WM_NCACTIVATE, TRUE, 0, false);
    CallProcedure(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old), false);
    CallProcedure(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(oldFocus), 0, false);
    if (native)
        GetWindowBackend().RaiseNative(native);
}

void Deactivate()
{
    HWND old;
    HWND oldFocus;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.active)
            return;
        old = s.active;
        oldFocus = s.focus;
        s.active = nullptr;
        s.focus = nullptr;
    }
    System().translator.ReleaseAll();
    if (oldFocus)
        CallProcedure(oldFocus, WM_KILLFOCUS, 0, 0, false);
    CallProcedure(old, WM_NCACTIVATE, FALSE, 0, false);
    CallProcedure(old, WM_ACTIVATE, WA_INACTIVE, 0, false);
    for (HWND top : ThreadTopLevels())
        CallProcedure(top, WM_ACTIVATEAPP, FALSE, 0, false);
}

HWND FirstVisibleTopLevel()
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (uintptr_t h : s.zOrder) {
        WindowData* w = s.Find(ToHandle(h));
        if (w && w->visible && !w->parent)
            return ToHandle(h);
    }
    return nullptr;
}

void SendSize(HWND window, WPARAM kind)
{
    RECT r{};
    GetClientRect(window, &r);
    CallProcedure(window, WM_SIZE, kind, kind == SIZE_MINIMIZED ? 0 : MAKELPARAM(r.right, r.bottom), false);
}

} // namespace detail

using namespace detail;

namespace {

NativeWindowSpec SpecFor(const WindowData& w)
{
    NativeWindowSpec spec;
    spec.title = Windows1252ToUtf8(w.title);
    spec.x = w.x;
    spec.y = w.y;
    spec.width = std::max(w.width, 1);
    spec.height = std::max(w.height, 1);
    if (w.coversMonitor) {
        spec.x = w.nativeArea.left;
        spec.y = w.nativeArea.top;
        spec.width = std::max<int>(w.nativeArea.right - w.nativeArea.left, 1);
        spec.height = std::max<int>(w.nativeArea.bottom - w.nativeArea.top, 1);
    }
    spec.decorated = !w.coversMonitor && ((w.style & WS_CAPTION) == WS_CAPTION || (w.style & WS_THICKFRAME));
    spec.topmost = (w.exStyle & WS_EX_TOPMOST) != 0;
    return spec;
}

// Makes the native window of a window about to be shown; returns its id.
uint32_t EnsureNative(HWND window)
{
    NativeWindowSpec spec;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w)
            return 0;
        if (w->native)
            return w->native;
        spec = SpecFor(*w);
    }
    const uint32_t id = GetWindowBackend().CreateNativeWindow(spec);
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(window);
    if (!w) {
        return 0;
    }
    w->native = id;
    return id;
}

} // namespace

ATOM RegisterClassA(const WNDCLASSA* windowClass)
{
    if (!windowClass || !windowClass->lpszClassName || !*windowClass->lpszClassName)
        return 0;
    if (testing::ShouldFail("RegisterClass"))
        return 0;
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (const ClassRecord& c : s.classes) {
        if (SameName(c.name, windowClass->lpszClassName))
            return 0; // already registered
    }
    ClassRecord record;
    record.name = windowClass->lpszClassName;
    record.wc = *windowClass;
    record.wc.lpszClassName = nullptr;
    record.wc.lpszMenuName = nullptr;
    s.classes.push_back(std::move(record));
    return static_cast<ATOM>(kFirstRegisteredMessage + s.classes.size());
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE)
{
    if (!className)
        return FALSE;
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (auto& [handle, w] : s.windows) {
        if (SameName(w->className, className))
            return FALSE; // still in use
    }
    auto it = std::find_if(s.classes.begin(), s.classes.end(),
                           [&](const ClassRecord& c) { return SameName(c.name, className); });
    if (it == s.classes.end())
        return FALSE;
    s.classes.erase(it);
    return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, void* param)
{
    if (!className || testing::ShouldFail("CreateWindowEx"))
        return nullptr;
    HWND window;
    CREATESTRUCTA create{};
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        auto cls = std::find_if(s.classes.begin(), s.classes.end(),
                                [&](const ClassRecord& c) { return SameName(c.name, className); });
        if (cls == s.classes.end())
            return nullptr;
        if (parent && !s.Find(parent))
            return nullptr;
        if (x == CW_USEDEFAULT) {
            x = 64;
            y = 64;
        }
        if (width == CW_USEDEFAULT) {
            width = 640;
            height = 480;
        }
        auto w = std::make_unique<WindowData>();
        w->handle = s.nextHandle;
        s.nextHandle += 4;
        w->className = cls->name;
        w->classStyle = cls->wc.style;
        w->classCursor = cls->wc.hCursor;
        w->proc = cls->wc.lpfnWndProc;
        w->style = style & ~WS_VISIBLE;
        w->exStyle = exStyle;
        w->instance = instance;
        w->parent = parent;
        w->id = reinterpret_cast<intptr_t>(menu);
        w->title = windowName ? windowName : "";
        const FrameInsets f = FrameInsetsForStyle(style);
        w->x = x + f.left;
        w->y = y + f.top;
        w->width = std::max(0, width - f.left - f.right);
        w->height = std::max(0, height - f.top - f.bottom);
        w->thread = CurrentThreadId();
        w->enabled = (style & WS_DISABLED) == 0;
        if (!s.uiThread)
            s.uiThread = w->thread;
        window = ToHandle(w->handle);
        create = CREATESTRUCTA{param, instance, menu, parent, height, width, y, x,
                               static_cast<LONG>(style), nullptr, nullptr, exStyle};
        s.windows.emplace(w->handle, std::move(w));
        s.zOrder.insert(s.zOrder.begin(), FromHandle(window));
    }
    create.lpszName = windowName;
    create.lpszClass = className;
    if (!CallProcedure(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create), false)) {
        DestroyWindow(window);
        return nullptr;
    }
    if (CallProcedure(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create), false) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    RECT client{};
    POINT origin{};
    GetClientRect(window, &client);
    ClientToScreen(window, &origin);
    CallProcedure(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom), false);
    CallProcedure(window, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y), false);
    if (style & WS_VISIBLE)
        ShowWindow(window, SW_SHOW);
    return IsWindow(window) ? window : nullptr;
}

BOOL DestroyWindow(HWND window)
{
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w || w->destroying)
            return FALSE;
        w->destroying = true;
    }
    bool wasActive = false;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        wasActive = s.active == window;
    }
    if (wasActive)
        Deactivate();
    if (GetCapture() == window)
        ReleaseCapture();
    // Children go first, as they do on Windows.
    std::vector<HWND> children;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        for (auto& [handle, w] : s.windows) {
            if (w->parent == window)
                children.push_back(ToHandle(handle));
        }
    }
    for (HWND child : children)
        DestroyWindow(child);
    CallProcedure(window, WM_DESTROY, 0, 0, false);
    CallProcedure(window, WM_NCDESTROY, 0, 0, false);

    uint32_t native = 0;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w)
            return TRUE;
        native = w->native;
        ThreadQueue& q = s.Queue(w->thread);
        std::erase_if(q.posted, [&](const MSG& m) { return m.hwnd == window; });
        std::erase_if(q.timers, [&](const Timer& t) { return t.window == window; });
        for (auto& [thread, queue] : s.queues) {
            for (auto& sent : queue->sent) {
                if (sent->msg.hwnd == window) {
                    sent->done = true;
                    sent->cv.notify_all();
                }
            }
            std::erase_if(queue->sent, [&](const std::shared_ptr<SentMessage>& m) { return m->msg.hwnd == window; });
        }
        if (s.focus == window)
            s.focus = nullptr;
        if (s.active == window)
            s.active = nullptr;
        if (s.capture == window)
            s.capture = nullptr;
        std::erase(s.zOrder, FromHandle(window));
        s.windows.erase(FromHandle(window));
    }
    if (native)
        GetWindowBackend().DestroyNativeWindow(native);
    return TRUE;
}

BOOL IsWindow(HWND window)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.Find(window) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(window);
    return w && w->visible ? TRUE : FALSE;
}

BOOL IsIconic(HWND window)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(window);
    return w && w->minimized ? TRUE : FALSE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text)
{
    uint32_t native = 0;
    std::string title = text ? text : "";
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w)
            return FALSE;
        w->title = title;
        native = w->native;
    }
    if (native)
        GetWindowBackend().SetNativeTitle(native, Windows1252ToUtf8(title));
    return TRUE;
}

intptr_t GetWindowLongPtrA(HWND window, int index)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(window);
    if (!w)
        return 0;
    switch (index) {
    case GWL_USERDATA: return w->userData;
    case GWL_STYLE: return static_cast<LONG>(w->style | (w->visible ? WS_VISIBLE : 0) | (w->minimized ? WS_MINIMIZE : 0));
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWL_ID: return w->id;
    case GWL_WNDPROC: return reinterpret_cast<intptr_t>(w->proc);
    case GWL_HINSTANCE: return reinterpret_cast<intptr_t>(w->instance);
    default: return 0;
    }
}

intptr_t SetWindowLongPtrA(HWND window, int index, intptr_t value)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(window);
    if (!w)
        return 0;
    intptr_t previous = 0;
    switch (index) {
    case GWL_USERDATA:
        previous = w->userData;
        w->userData = value;
        break;
    case GWL_STYLE:
        previous = static_cast<LONG>(w->style);
        w->style = static_cast<DWORD>(value) & ~(WS_VISIBLE | WS_MINIMIZE);
        break;
    case GWL_EXSTYLE:
        previous = static_cast<LONG>(w->exStyle);
        w->exStyle = static_cast<DWORD>(value);
        break;
    case GWL_ID:
        previous = w->id;
        w->id = value;
        break;
    case GWL_WNDPROC:
        previous = reinterpret_cast<intptr_t>(w->proc);
        w->proc = reinterpret_cast<WNDPROC>(value);
        break;
    default: break;
    }
    return previous;
}

LONG GetWindowLongA(HWND window, int index) { return static_cast<LONG>(GetWindowLongPtrA(window, index)); }

LONG SetWindowLongA(HWND window, int index, LONG value)
{
    return static_cast<LONG>(SetWindowLongPtrA(window, index, value));
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
    case WM_QUERYOPEN:
    case WM_QUERYENDSESSION: return TRUE;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: ValidateRect(window, nullptr); return 0;
    case WM_NCACTIVATE: return TRUE;
    case WM_SETCURSOR: {
        HCURSOR cursor = nullptr;
        {
            WindowSystem& s = System();
            std::lock_guard<std::mutex> lock(s.mutex);
            WindowData* w = s.Find(window);
            cursor = w ? w->classCursor : nullptr;
        }
        if (cursor && LOWORD(static_cast<uintptr_t>(lParam)) == 1) {
            SetCursor(cursor);
            return TRUE;
        }
        return FALSE;
    }
    case WM_SYSKEYDOWN:
        if (wParam == static_cast<WPARAM>(VK_F4) && (static_cast<uintptr_t>(lParam) & (1u << 29)))
            PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE: return SendMessageA(window, WM_CLOSE, 0, 0);
        case SC_MINIMIZE: ShowWindow(window, SW_MINIMIZE); return 0;
        case SC_RESTORE: ShowWindow(window, SW_RESTORE); return 0;
        case SC_MAXIMIZE: ShowWindow(window, SW_MAXIMIZE); return 0;
        default: return 0;
        }
    default: return 0;
    }
}

namespace {

// Sets the window's show state; a window that comes into view is to be
// painted (and erased) afresh.
void SetShowState(HWND window, bool visible, bool minimized, bool maximized)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(window);
    if (!w)
        return;
    const bool appears = visible && !minimized && (!w->visible || w->minimized || w->maximized != maximized);
    w->visible = visible;
    w->minimized = minimized;
    w->maximized = maximized;
    if (appears) {
        w->needsPaint = true;
        w->erase = true;
    }
}

BOOL HideWindow(HWND window, bool wasVisible, bool wasMinimized)
{
    if (!wasVisible)
        return FALSE;
    CallProcedure(window, WM_SHOWWINDOW, FALSE, 0, false);
    SetShowState(window, false, wasMinimized, false);
    const uint32_t native = NativeWindowId(window);
    if (native)
        GetWindowBackend().ShowNative(native, false);
    // The activation passes to the topmost window still shown.
    if (GetActiveWindow() == window) {
        if (HWND next = FirstVisibleTopLevel())
            Activate(next);
        else
            Deactivate();
    }
    return TRUE;
}

BOOL MinimizeWindow(HWND window, int command, bool wasVisible, bool wasMinimized)
{
    if (!wasVisible)
        CallProcedure(window, WM_SHOWWINDOW, TRUE, 0, false);
    SetShowState(window, true, true, false);
    const uint32_t native = EnsureNative(window);
    if (native) {
        GetWindowBackend().ShowNative(native, true);
        GetWindowBackend().MinimizeNative(native);
    }
    if (!wasMinimized)
        SendSize(window, SIZE_MINIMIZED);
    if (command == SW_MINIMIZE && GetActiveWindow() == window)
        Deactivate();
    else if (command == SW_SHOWMINIMIZED)
        Activate(window);
    return wasVisible ? TRUE : FALSE;
}

// The showing commands: shown (restored from minimised, or maximised) and,
// unless asked not to, activated.
BOOL ShowNormallyOrMaximized(HWND window, int command, bool wasVisible, bool wasMinimized)
{
    const bool maximize = command == SW_MAXIMIZE;
    if (!wasVisible)
        CallProcedure(window, WM_SHOWWINDOW, TRUE, 0, false);
    SetShowState(window, true, false, maximize);
    const uint32_t native = EnsureNative(window);
    if (native) {
        GetWindowBackend().ShowNative(native, true);
        if (wasMinimized)
            GetWindowBackend().RestoreNative(native);
    }
    if (wasMinimized || maximize)
        SendSize(window, maximize ? SIZE_MAXIMIZED : SIZE_RESTORED);
    const bool activate = command != SW_SHOWNOACTIVATE && command != SW_SHOWNA;
    if (activate)
        Activate(window);
    return wasVisible ? TRUE : FALSE;
}

} // namespace

BOOL ShowWindow(HWND window, int command)
{
    bool wasVisible;
    bool wasMinimized;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w)
            return FALSE;
        wasVisible = w->visible;
        wasMinimized = w->minimized;
    }
    switch (command) {
    case SW_HIDE: return HideWindow(window, wasVisible, wasMinimized);
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE: return MinimizeWindow(window, command, wasVisible, wasMinimized);
    default: return ShowNormallyOrMaximized(window, command, wasVisible, wasMinimized);
    }
}

BOOL UpdateWindow(HWND window)
{
    bool paint;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w)
            return FALSE;
        paint = w->needsPaint && w->visible;
    }
    if (paint)
        CallProcedure(window, WM_PAINT, 0, 0, false);
    return TRUE;
}

BOOL SetForegroundWindow(HWND window)
{
    if (!IsWindow(window))
        return FALSE;
    Activate(window);
    return TRUE;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

HWND GetActiveWindow()
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.active;
}

HWND SetActiveWindow(HWND window)
{
    HWND previous = GetActiveWindow();
    if (window && IsWindow(window))
        Activate(window);
    return previous;
}

HWND SetFocus(HWND window)
{
    HWND previous;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (window && !s.Find(window))
            return nullptr;
        previous = s.focus;
        if (previous == window)
            return previous;
    }
    if (window) {
        // Focusing a window of an inactive top level activates it first.
        HWND top = window;
        for (;;) {
            WindowSystem& s = System();
            std::lock_guard<std::mutex> lock(s.mutex);
            WindowData* w = s.Find(top);
            if (!w || !w->parent)
                break;
            top = w->parent;
        }
        if (GetActiveWindow() != top)
            Activate(top);
    }
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        previous = s.focus;
        s.focus = window;
    }
    if (previous && previous != window)
        CallProcedure(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0, false);
    if (window && previous != window)
        CallProcedure(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0, false);
    return previous;
}

HWND GetFocus()
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.focus;
}

BOOL EnableWindow(HWND window, BOOL enable)
{
    bool wasDisabled;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w)
            return FALSE;
        wasDisabled = !w->enabled;
        if (w->enabled == (enable != FALSE))
            return wasDisabled ? TRUE : FALSE;
        w->enabled = enable != FALSE;
    }
    CallProcedure(window, WM_ENABLE, enable ? TRUE : FALSE, 0, false);
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND window)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(window);
    return w && w->enabled ? TRUE : FALSE;
}

UINT GetDoubleClickTime() { return 500; }

uint32_t NativeWindowId(HWND window)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(window);
    return w ? w->native : 0;
}

uint32_t EnsureNativeWindow(HWND window) { return EnsureNative(window); }

HWND WindowForNativeId(uint32_t nativeId) { return System().WindowForNative(nativeId); }

DWORD GetCurrentThreadId() { return CurrentThreadId(); }

} // namespace platform
