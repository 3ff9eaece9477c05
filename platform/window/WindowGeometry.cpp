// Geometry, client/screen mapping, hit testing, capture, the pointer and
// painting of the window service.
#include "platform/window/WindowSystem.h"

#include "platform/core/Thread.h"
#include "platform/window/Desktop.h"
#include "platform/window/FullScreenWindow.h"

#include <algorithm>

namespace platform {

using namespace detail;

namespace {

// Runs `use` on the window's data under the system lock; FALSE for a window
// that does not exist.
template <class Use>
BOOL WithWindow(HWND window, Use use)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(window);
    if (!w)
        return FALSE;
    use(*w);
    return TRUE;
}

// The window's outer rectangle, frame included, in screen coordinates.
RECT OuterRect(const WindowData& w)
{
    const FrameInsets f = FrameInsetsForStyle(w.style);
    return RECT{w.x - f.left, w.y - f.top, w.x + w.width + f.right, w.y + w.height + f.bottom};
}

} // namespace

BOOL GetWindowRect(HWND window, RECT* rect)
{
    if (!rect)
        return FALSE;
    return WithWindow(window, [&](WindowData& w) { *rect = OuterRect(w); });
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    if (!rect)
        return FALSE;
    return WithWindow(window, [&](WindowData& w) { *rect = RECT{0, 0, w.width, w.height}; });
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint)
{
    bool resized;
    bool moved;
    uint32_t native;
    int cx, cy, cw, ch;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w)
            return FALSE;
        const FrameInsets f = FrameInsetsForStyle(w->style);
        cx = x + f.left;
        cy = y + f.top;
        cw = std::max(0, width - f.left - f.right);
        ch = std::max(0, height - f.top - f.bottom);
        resized = cw != w->width || ch != w->height;
        moved = cx != w->x || cy != w->y;
        w->x = cx;
        w->y = cy;
        w->width = cw;
        w->height = ch;
        if (repaint && resized)
            w->needsPaint = true;
        native = w->native;
    }
    if (native && (resized || moved))
        GetWindowBackend().SetNativeBounds(native, cx, cy, std::max(cw, 1), std::max(ch, 1));
    if (resized)
        CallProcedure(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cw, ch), false);
    if (moved)
        CallProcedure(window, WM_MOVE, 0, MAKELPARAM(cx, cy), false);
    return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL, DWORD)
{
    if (!rect)
        return FALSE;
    const FrameInsets f = FrameInsetsForStyle(style);
    rect->left -= f.left;
    rect->top -= f.top;
    rect->right += f.right;
    rect->bottom += f.bottom;
    return TRUE;
}

BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu) { return AdjustWindowRectEx(rect, style, menu, 0); }

BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement)
{
    if (!placement)
        return FALSE;
    RECT outer{};
    if (!GetWindowRect(window, &outer))
        return FALSE;
    return WithWindow(window, [&](WindowData& w) {
        placement->flags = 0;
        placement->showCmd = w.minimized ? SW_SHOWMINIMIZED : w.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
        placement->ptMinPosition = POINT{-1, -1};
        placement->ptMaxPosition = POINT{-1, -1};
        // The work area's origin is (0, 0) on our desktops, so screen and
        // work-area coordinates agree.
        placement->rcNormalPosition = outer;
    });
}

BOOL ClientToScreen(HWND window, POINT* point)
{
    if (!point)
        return FALSE;
    return WithWindow(window, [&](WindowData& w) {
        point->x += w.x;
        point->y += w.y;
    });
}

BOOL ScreenToClient(HWND window, POINT* point)
{
    if (!point)
        return FALSE;
    return WithWindow(window, [&](WindowData& w) {
        point->x -= w.x;
        point->y -= w.y;
    });
}

HWND WindowFromPoint(POINT point)
{
    HWND found = nullptr;
    uint32_t native = 0;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        for (uintptr_t h : s.zOrder) {
            WindowData* w = s.Find(ToHandle(h));
            if (!w || !w->visible || w->minimized || w->parent)
                continue;
            const RECT outer = OuterRect(*w);
            if (point.x >= outer.left && point.x < outer.right && point.y >= outer.top && point.y < outer.bottom) {
                found = ToHandle(h);
                native = w->native;
                break;
            }
        }
    }
    if (found && native && !GetWindowBackend().PointerOver(native))
        return nullptr;
    return found;
}

HWND SetCapture(HWND window)
{
    HWND previous;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.Find(window))
            return nullptr;
        previous = s.capture;
        s.capture = window;
    }
    GetWindowBackend().CapturePointer(true);
    if (previous && previous != window)
        CallProcedure(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window), false);
    return previous;
}

BOOL ReleaseCapture()
{
    HWND previous;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        previous = s.capture;
        s.capture = nullptr;
    }
    if (previous) {
        GetWindowBackend().CapturePointer(false);
        CallProcedure(previous, WM_CAPTURECHANGED, 0, 0, false);
    }
    return TRUE;
}

HWND GetCapture()
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.capture;
}

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    // The system is asked only on the thread that pumps its events; other
    // threads (the cursor thread) get the last position the events gave, as
    // does everyone when the back end has no pointer of its own (headless).
    bool onUiThread;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        onUiThread = s.uiThread == CurrentThreadId();
    }
    if (onUiThread) {
        if (auto global = GetWindowBackend().GlobalPointer()) {
            WindowSystem& s = System();
            std::lock_guard<std::mutex> lock(s.mutex);
            *point = s.RealToScreen(*global);
            return TRUE;
        }
    }
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    *point = s.pointer;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    POINT real{};
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        s.pointer = POINT{x, y};
        real = s.ScreenToReal(s.pointer);
    }
    GetWindowBackend().WarpPointer(real.x, real.y);
    return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL erase)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!window) {
        for (auto& [handle, w] : s.windows) {
            w->needsPaint = true;
            w->erase = w->erase || erase;
        }
        return TRUE;
    }
    WindowData* w = s.Find(window);
    if (!w)
        return FALSE;
    w->needsPaint = true;
    w->erase = w->erase || erase;
    return TRUE;
}

BOOL ValidateRect(HWND window, const RECT*)
{
    return WithWindow(window, [](WindowData& w) {
        w.needsPaint = false;
        w.erase = false;
    });
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint)
{
    bool erase;
    RECT client{};
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w || !paint)
            return nullptr;
        erase = w->erase;
        w->needsPaint = false;
        w->erase = false;
        client = RECT{0, 0, w->width, w->height};
    }
    if (erase)
        CallProcedure(window, WM_ERASEBKGND, 0, 0, false);
    *paint = PAINTSTRUCT{};
    // A device context is only a token here: drawing goes through the
    // display service, not through GDI.
    paint->hdc = reinterpret_cast<HDC>(window);
    paint->rcPaint = client;
    return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT*) { return IsWindow(window); }

} // namespace platform

namespace platform {

bool CoverMonitor(HWND window)
{
    const DesktopMode desktop = GetDesktopMode();
    const RECT monitor{0, 0, desktop.width, desktop.height};
    uint32_t native = 0;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w)
            return false;
        if (w->coversMonitor)
            return true;
        w->coversMonitor = true;
        w->nativeArea = monitor;
        w->scaling = ScreenScaling{};
        native = w->native;
    }
    // A window not made yet is made there (SpecFor).
    if (native)
        GetWindowBackend().CoverMonitorWith(native, monitor);
    return true;
}

void UncoverMonitor(HWND window)
{
    uint32_t native = 0;
    RECT client{};
    bool decorated = false;
    {
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w || !w->coversMonitor)
            return;
        w->coversMonitor = false;
        w->scaling = ScreenScaling{};
        w->needsPaint = true;
        native = w->native;
        client = RECT{w->x, w->y, w->x + std::max(w->width, 1), w->y + std::max(w->height, 1)};
        decorated = (w->style & WS_CAPTION) == WS_CAPTION || (w->style & WS_THICKFRAME);
    }
    if (native)
        GetWindowBackend().UncoverMonitorWith(native, client, decorated);
}

bool CoveringSize(HWND window, int& width, int& height)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(window);
    if (!w || !w->coversMonitor)
        return false;
    width = w->nativeArea.right - w->nativeArea.left;
    height = w->nativeArea.bottom - w->nativeArea.top;
    return true;
}

void ShowScreenScaled(HWND window, const ScreenScaling& scaling)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(window);
    if (w && w->coversMonitor)
        w->scaling = scaling;
}

std::optional<ScreenScaling> ScalingOf(HWND window)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(window);
    if (!w || !w->coversMonitor || !w->scaling.IsValid())
        return std::nullopt;
    return w->scaling;
}

} // namespace platform
