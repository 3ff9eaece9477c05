// The operations the window service needs from the system beneath it: one
// small table, with the SDL back end and the headless back end beside each
// other. The service picks one the first time it needs it
// (platform::IsHeadless) and keeps it for the run.
//
// Native windows are named by the back end's own 32-bit ids. Input comes
// back as InputEvents, which the window service turns into Win32 messages,
// so the translation is the same whichever back end produced the event.
//
// Threads: the back end is called by the window service with its own lock
// released, from the thread that owns the windows (the main thread), except
// the desktop queries, which any thread may make.
#pragma once

#include "platform/window/WindowTypes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One event from the system, already in Windows terms where that is cheap:
// keys carry virtual-key codes (side-specific for the modifiers), positions
// are client coordinates of `window` (a wheel turns where the pointer is).
struct InputEvent {
    enum class Kind {
        MouseMove,
        MouseDown,
        MouseUp,
        MouseWheel,
        KeyDown,
        KeyUp,
        Text,          // typed characters, UTF-8
        FocusGained,   // the window got the keyboard focus (the program became active)
        FocusLost,
        CloseRequested,
        Resized,       // x, y = new client size
        Minimized,
        Maximized,
        Restored,
        Moved,         // x, y = client origin on the screen
        Exposed,       // needs repainting
        DisplayChanged,
        SessionEnding, // the system ends the program (a termination signal)
    };
    Kind kind = Kind::MouseMove;
    uint32_t window = 0; // native id; 0 = whichever window has the focus
    int x = 0;
    int y = 0;
    int button = 0;      // 1 left, 2 middle, 3 right
    int wheel = 0;       // notches, positive away from the user
    int vk = 0;
    int scanCode = 0;    // 0: taken from ScanCodeForVirtualKey(vk)
    bool extended = false;
    bool repeat = false; // an auto-repeated key down
    std::string text;
};

struct DesktopMode {
    int width = 1920;
    int height = 1080;
    int depth = 32;   // bits per pixel: 8, 16, 24 or 32
    int refresh = 60; // Hz; 0 when the system cannot tell
};

struct NativeWindowSpec {
    std::string title; // UTF-8
    int x = 0;         // client area on the screen
    int y = 0;
    int width = 0;
    int height = 0;
    bool decorated = true; // has a caption / frame
    bool topmost = false;
};

struct CursorObject;

class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    // 0 when the window cannot be made.
    virtual uint32_t CreateNativeWindow(const NativeWindowSpec& spec) = 0;
    virtual void DestroyNativeWindow(uint32_t id) = 0;
    virtual void SetNativeTitle(uint32_t id, const std::string& title) = 0;
    virtual void SetNativeBounds(uint32_t id, int x, int y, int width, int height) = 0;
    virtual void ShowNative(uint32_t id, bool visible) = 0;
    virtual void MinimizeNative(uint32_t id) = 0;
    virtual void RestoreNative(uint32_t id) = 0;
    virtual void RaiseNative(uint32_t id) = 0;
    // The native window covers `monitor` (screen coordinates) without a
    // frame, above the others; and back to `client` (its own frame again
    // when `decorated`). The system reports where it really went with
    // Moved and Resized events.
    virtual void CoverMonitorWith(uint32_t id, const RECT& monitor) = 0;
    virtual void UncoverMonitorWith(uint32_t id, const RECT& client, bool decorated) = 0;

    // Drains what the system reported since the last call.
    virtual void PumpEvents(std::vector<InputEvent>* events) = 0;
    // On the thread that pumps: blocks until the system has something to
    // report, WakeWaiter is called, or `milliseconds` have passed; true when
    // something is there to report.
    virtual bool WaitForEvents(DWORD milliseconds) = 0;
    // From any thread: ends a WaitForEvents in progress (or the next one).
    virtual void WakeWaiter() = 0;

    virtual std::optional<POINT> GlobalPointer() = 0;
    virtual void WarpPointer(int x, int y) = 0;
    virtual void CapturePointer(bool capture) = 0;
    // True when the pointer is over the native window itself (not over some
    // other program's window covering it).
    virtual bool PointerOver(uint32_t id) = 0;
    // The pointer image (null: none); `visible` follows the ShowCursor count.
    virtual void ApplyCursor(const CursorObject* cursor, bool visible) = 0;
    // The cursor is being destroyed: drop anything made for it.
    virtual void ForgetCursor(const CursorObject* cursor) = 0;

    virtual bool SetClipboardText(const std::string& utf8) = 0;
    virtual std::optional<std::string> GetClipboardText() = 0;

    // The boxes and dialogs stand in front of the native window `owner` (0:
    // whichever of ours has the focus) and block until answered; input to
    // the program's other windows meanwhile is left to the window service
    // (which drops it, as the windows are disabled).
    // A box with the buttons of the MB_ type; returns the ID* of the button
    // chosen, 0 when no box could be shown.
    virtual int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags, uint32_t owner) = 0;
    // A list to pick one entry from: its index, or -1 when cancelled.
    virtual int ChooseFromList(const std::string& caption, const std::vector<std::string>& items, uint32_t owner) = 0;
    // A text entry: the text when confirmed, nothing when cancelled.
    virtual std::optional<std::string> EnterText(const std::string& caption, const std::string& initial,
                                                 size_t maxLength, uint32_t owner) = 0;
    // Hands an http(s) URL to the desktop's browser; false when it could not.
    virtual bool OpenUrl(const std::string& url) = 0;

    virtual DesktopMode Desktop() = 0;
    // The part of the desktop not taken by panels and task bars.
    virtual RECT WorkArea() = 0;
};

// The back end in force (made on first use).
WindowBackend& GetWindowBackend();
// Why the window system could not be opened when the program wanted one (no
// display to reach), so that it runs on the headless back end, unseen; ""
// when it was opened or the headless back end was asked for.
// FailNext("OpenWindowSystem") refuses it once, before the back end is made.
std::string WindowSystemFailure();
// Drops the back end (tests: the next use makes a fresh one).
void ResetWindowBackend();

} // namespace platform
