// Window classes, windows and their per-thread message queues, shaped as the
// Win32 calls the framework makes. A window belongs to the thread that made
// it; messages posted to it wait in that thread's queue until the thread
// peeks or gets them. Input comes from the back end (SDL, or the headless
// one that tests drive) and is translated into Win32 messages when the
// owning thread pumps its queue (PeekMessage / GetMessage).
//
// Handles are never reused within a run, so a stale handle is detected
// (IsWindow false, calls fail) instead of reaching another window.
//
// Failure injection (platform::testing::FailNext): "RegisterClass",
// "CreateWindowEx", "SetTimer".
//
// Threads: PostMessage, SendMessage, IsWindow and the geometry queries may be
// called from any thread; a SendMessage from another thread waits until the
// owner thread dispatches it inside PeekMessage / GetMessage (or the window
// goes). Everything else belongs to the window's own thread. One mutex guards
// the tables of classes, windows, queues and timers; window procedures are
// always called without it held.
#pragma once

#include "platform/window/WindowTypes.h"

#include <string>

namespace platform {

// Window classes: registered by name (compared without case) and procedure.
ATOM RegisterClassA(const WNDCLASSA* windowClass);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);

// Sends WM_NCCREATE and WM_CREATE (returning -1 from WM_CREATE, or FALSE
// from WM_NCCREATE, fails the creation), then WM_SIZE and WM_MOVE; with
// WS_VISIBLE the window is shown and activated as by ShowWindow(SW_SHOW).
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
// Sends WM_DESTROY and WM_NCDESTROY; pending messages, timers, capture and
// focus of the window go with it.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL IsWindowVisible(HWND window);
BOOL IsIconic(HWND window);
BOOL SetWindowTextA(HWND window, LPCSTR text);

LONG GetWindowLongA(HWND window, int index);
LONG SetWindowLongA(HWND window, int index, LONG value);
// Pointer-sized variants (the user data holds an object pointer).
intptr_t GetWindowLongPtrA(HWND window, int index);
intptr_t SetWindowLongPtrA(HWND window, int index, intptr_t value);

// The default handling the framework falls back on: WM_CLOSE destroys the
// window; WM_SYSCOMMAND SC_CLOSE sends WM_CLOSE, SC_MINIMIZE / SC_RESTORE
// change the show state; Alt+F4 (WM_SYSKEYDOWN VK_F4) posts SC_CLOSE;
// WM_PAINT validates; WM_ERASEBKGND answers 1; WM_QUERYOPEN and
// WM_QUERYENDSESSION answer TRUE; WM_NCCREATE answers TRUE; the rest 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Message queue of the calling thread.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam); // HWND_BROADCAST: every top-level window
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Posts a message of no window to the queue of `thread` (from any thread),
// ending a wait of that thread for messages; DispatchMessage passes it over.
BOOL PostThreadMessageA(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Sent messages from other threads are handled first; then posted and input
// messages in order; then WM_QUIT, WM_PAINT for a window needing paint, and
// due timers (one WM_TIMER per timer, however late). `window` null takes
// every window of the thread; a filter range of 0, 0 takes every message.
BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// Waits for a message; FALSE for WM_QUIT, -1 for an invalid window.
BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
// Sleeps until the calling thread has a message (input, a posted or sent
// message, WM_QUIT; WM_PAINT and due timers when `wakeMask` holds QS_PAINT
// and QS_TIMER) or `milliseconds` have passed:
// WAIT_OBJECT_0 for a message, WAIT_TIMEOUT. Only the form without objects
// to wait for (count 0) is offered; any other gives WAIT_FAILED. The message
// itself stays in the queue for PeekMessage. Under a manual clock the wait is
// a Sleep of the whole time, as the clock moves only when told.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                DWORD wakeMask);
// Posts WM_CHAR for the keys that produce a control character (Backspace,
// Tab, Enter, Escape, Ctrl+letter); typed text itself arrives from the back
// end as WM_CHAR (or WM_SYSCHAR with Alt held) in Windows-1252.
BOOL TranslateMessage(const MSG* msg);
// Calls the window's procedure; a WM_TIMER with a timer procedure in lParam
// calls that instead.
LRESULT DispatchMessageA(const MSG* msg);
// Unique per name (without case) for the whole process, 0xC000..0xFFFF.
UINT RegisterWindowMessageA(LPCSTR name);
DWORD GetCurrentThreadId();

// Timers of the platform clock: WM_TIMER with wParam = id once every
// `elapse` ms while the thread pumps. Setting an existing id restarts it.
uintptr_t SetTimer(HWND window, uintptr_t id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND window, uintptr_t id);

// Mouse capture: every mouse message goes to the capture window (with
// client coordinates that may lie outside it) until ReleaseCapture.
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();

// Screen coordinates of the pointer. Off the thread that pumps input (the
// cursor thread), the last position the input events reported.
BOOL GetCursorPos(POINT* point);
BOOL SetCursorPos(int x, int y);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);
// The topmost visible window of this process under a screen point, when the
// pointer is really over it (no other program's window in front).
HWND WindowFromPoint(POINT point);

// Show states and activation.
BOOL ShowWindow(HWND window, int command);
BOOL UpdateWindow(HWND window);
BOOL SetForegroundWindow(HWND window);
HWND GetForegroundWindow();
HWND GetActiveWindow();
HWND SetActiveWindow(HWND window);
HWND SetFocus(HWND window);
HWND GetFocus();
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);

// Geometry. Window rectangles include the frame that the style implies
// (AdjustWindowRect); client rectangles start at (0, 0).
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);

// Painting: WM_PAINT comes while a window's area is invalid.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// The double-click time in milliseconds (500, as Windows' default).
UINT GetDoubleClickTime();

// The back end's id of a window (the SDL window id; 0 when it has none: a
// window gets its system window when first shown).
uint32_t NativeWindowId(HWND window);
// Makes the system window now, still hidden, for a service that must attach
// to it before the window is shown (the display); returns its id, 0 when the
// window is gone or the system refuses.
uint32_t EnsureNativeWindow(HWND window);
// Our window for a back-end id (null when none).
HWND WindowForNativeId(uint32_t nativeId);

} // namespace platform
