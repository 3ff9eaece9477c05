// Turns the back end's input events into the Win32 messages the program
// expects: mouse messages with signed 16-bit client coordinates packed into
// lParam and MK_* flags in wParam, double clicks for classes that ask for
// them (CS_DBLCLKS) within the double-click time and distance, wheel
// messages in multiples of WHEEL_DELTA, key messages with the folded
// modifier codes and the repeat count, scan code, extended, context and
// transition bits in lParam, WM_SYSKEYDOWN/UP while Alt is held (without
// Ctrl) and for F10, and typed text as WM_CHAR (WM_SYSCHAR with Alt) in
// Windows-1252. Input meant for a disabled window makes no message.
//
// Threads: used by the window service on the thread that pumps input, under
// no lock of its own; the context answers from the service's tables.
#pragma once

#include "platform/window/WindowBackend.h"
#include "platform/window/WindowTypes.h"

#include <array>
#include <vector>

namespace platform {

class InputContext {
public:
    virtual ~InputContext() = default;
    virtual HWND WindowForNative(uint32_t nativeId) = 0;
    virtual HWND FocusWindow() = 0;
    virtual HWND CaptureWindow() = 0;
    // Screen position of the window's client origin.
    virtual POINT ClientOrigin(HWND window) = 0;
    // Screen position of a point of the window's native window (its own
    // pixels): the client origin plus the point, or, while the window shows
    // a scaled screen, the screen position the point shows; `inMargin` is
    // set when the point lies in a margin beside that screen.
    virtual POINT NativeToScreen(HWND window, int x, int y, bool* inMargin) = 0;
    virtual UINT ClassStyle(HWND window) = 0;
    virtual DWORD Now() = 0;
    // False while the window or one it belongs to is disabled (a box stands
    // in front of it): the clicks, keys and text made on it are dropped, and
    // a click there is no first half of a double click.
    virtual bool TakesInput(HWND window) = 0;
};

struct TranslatedMessage {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool setCursorFirst = false; // send WM_SETCURSOR to the window before posting
};

class InputTranslator {
public:
    // Appends the messages for one event (none for events it does not own).
    void Translate(const InputEvent& event, InputContext& context, std::vector<TranslatedMessage>* out);

    // The last pointer position seen, in screen coordinates.
    POINT PointerOnScreen() const { return pointer_; }
    void SetPointerOnScreen(POINT p) { pointer_ = p; }
    bool IsKeyDown(int vk) const { return vk >= 0 && vk < 256 && keys_[vk]; }
    WPARAM ButtonFlags() const;
    // Forget held keys and buttons (the program lost the focus).
    void ReleaseAll();

private:
    void Mouse(const InputEvent& event, InputContext& context, std::vector<TranslatedMessage>* out);
    void Key(const InputEvent& event, InputContext& context, std::vector<TranslatedMessage>* out);
    void Text(const InputEvent& event, InputContext& context, std::vector<TranslatedMessage>* out);

    std::array<bool, 256> keys_{};
    bool buttons_[4] = {false, false, false, false}; // indexed by InputEvent::button
    POINT pointer_{0, 0};
    LPARAM lastKeyLParam_ = 1;

    // The press that may become the first half of a double click.
    struct Click {
        HWND window = nullptr;
        int button = 0;
        DWORD time = 0;
        POINT at{0, 0};
    } lastClick_;
};

} // namespace platform
