#include "platform/window/InputTranslator.h"

#include "platform/window/VirtualKeys.h"

#include <cstdlib>

namespace platform {

namespace {

// Windows' default double-click rectangle is 4 x 4 pixels around the first
// press.
constexpr int kDoubleClickHalfWidth = 2;
constexpr int kDoubleClickHalfHeight = 2;
constexpr DWORD kDoubleClickTime = 500;

UINT DownMessage(int button)
{
    return button == 1 ? WM_LBUTTONDOWN : button == 3 ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
}

} // namespace

WPARAM InputTranslator::ButtonFlags() const
{
    WPARAM flags = 0;
    if (buttons_[1])
        flags |= MK_LBUTTON;
    if (buttons_[3])
        flags |= MK_RBUTTON;
    if (buttons_[2])
        flags |= MK_MBUTTON;
    if (keys_[VK_SHIFT])
        flags |= MK_SHIFT;
    if (keys_[VK_CONTROL])
        flags |= MK_CONTROL;
    return flags;
}

void InputTranslator::ReleaseAll()
{
    keys_.fill(false);
    for (bool& b : buttons_)
        b = false;
    lastClick_ = Click{};
}

void InputTranslator::Translate(const InputEvent& event, InputContext& context, std::vector<TranslatedMessage>* out)
{
    switch (event.kind) {
    case InputEvent::Kind::MouseMove:
    case InputEvent::Kind::MouseDown:
    case InputEvent::Kind::MouseUp:
    case InputEvent::Kind::MouseWheel: Mouse(event, context, out); break;
    case InputEvent::Kind::KeyDown:
    case InputEvent::Kind::KeyUp: Key(event, context, out); break;
    case InputEvent::Kind::Text: Text(event, context, out); break;
    default: break;
    }
}

void InputTranslator::Mouse(const InputEvent& event, InputContext& context, std::vector<TranslatedMessage>* out)
{
    HWND source = event.window ? context.WindowForNative(event.window) : context.FocusWindow();
    bool inMargin = false;
    if (event.kind == InputEvent::Kind::MouseWheel) {
        // The wheel turns where the pointer already is.
    } else if (source) {
        pointer_ = context.NativeToScreen(source, event.x, event.y, &inMargin);
    } else if (event.window) {
        return; // a window we no longer know
    } else {
        pointer_ = POINT{event.x, event.y};
    }

    if (event.kind == InputEvent::Kind::MouseWheel) {
        HWND target = context.FocusWindow();
        if (!target)
            target = source;
        if (!target || event.wheel == 0 || !context.TakesInput(target))
            return;
        // Screen coordinates, as Windows gives them with the wheel.
        out->push_back({target, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(ButtonFlags()), event.wheel * WHEEL_DELTA),
                        MAKELPARAM(pointer_.x, pointer_.y), false});
        return;
    }

    const bool isButton = event.kind != InputEvent::Kind::MouseMove;
    if (isButton && (event.button < 1 || event.button > 3))
        return;
    HWND capture = context.CaptureWindow();
    // A margin beside a scaled screen is no part of any window: only the
    // window holding the capture hears of the pointer there.
    if (inMargin && !capture)
        return;
    if (isButton)
        buttons_[event.button] = event.kind == InputEvent::Kind::MouseDown;

    HWND target = capture ? capture : source;
    if (!target || !context.TakesInput(target))
        return;
    const POINT origin = context.ClientOrigin(target);
    const int x = pointer_.x - origin.x;
    const int y = pointer_.y - origin.y;
    const LPARAM lParam = MAKELPARAM(x, y);

    UINT message = WM_MOUSEMOVE;
    if (event.kind == InputEvent::Kind::MouseDown) {
        message = DownMessage(event.button);
        const DWORD now = context.Now();
        const bool doubled = (context.ClassStyle(target) & CS_DBLCLKS) != 0 && lastClick_.window == target &&
                             lastClick_.button == event.button && now - lastClick_.time <= kDoubleClickTime &&
                             std::abs(pointer_.x - lastClick_.at.x) <= kDoubleClickHalfWidth &&
                             std::abs(pointer_.y - lastClick_.at.y) <= kDoubleClickHalfHeight;
        if (doubled) {
            message += 2; // WM_xBUTTONDBLCLK follows WM_xBUTTONUP
            lastClick_ = Click{};
        } else {
            lastClick_ = Click{target, event.button, now, pointer_};
        }
    } else if (event.kind == InputEvent::Kind::MouseUp) {
        message = DownMessage(event.button) + 1;
    }
    out->push_back({target, message, ButtonFlags(), lParam, capture == nullptr});
}

void InputTranslator::Key(const InputEvent& event, InputContext& context, std::vector<TranslatedMessage>* out)
{
    if (event.vk <= 0 || event.vk > 254)
        return;
    const bool down = event.kind == InputEvent::Kind::KeyDown;
    const int folded = FoldModifierKey(event.vk);
    const bool wasDown = keys_[event.vk];

    keys_[event.vk] = down;
    if (folded != event.vk) {
        // The folded code is down while either side is.
        const int left = folded == VK_SHIFT ? VK_LSHIFT : folded == VK_CONTROL ? VK_LCONTROL : VK_LMENU;
        keys_[folded] = keys_[left] || keys_[left + 1];
    }

    ScanCode scan = ScanCodeForVirtualKey(event.vk);
    if (event.scanCode != 0)
        scan = ScanCode{event.scanCode, event.extended};

    const bool alt = keys_[VK_MENU] || (folded == VK_MENU && !down);
    const bool ctrl = keys_[VK_CONTROL];
    const bool system = (alt && !ctrl) || folded == VK_F10;

    uint32_t bits = 1u; // repeat count
    bits |= static_cast<uint32_t>(scan.code & 0xFF) << 16;
    if (scan.extended)
        bits |= 1u << 24;
    if (alt && !(folded == VK_MENU && !down))
        bits |= 1u << 29; // context code: Alt is down
    if (down) {
        if (wasDown || event.repeat)
            bits |= 1u << 30;
    } else {
        bits |= (1u << 30) | (1u << 31);
    }
    const LPARAM lParam = static_cast<LPARAM>(static_cast<int32_t>(bits));
    if (down)
        lastKeyLParam_ = lParam;

    HWND target = context.FocusWindow();
    if (!target && event.window)
        target = context.WindowForNative(event.window);
    if (!target || !context.TakesInput(target))
        return;
    UINT message = down ? WM_KEYDOWN : WM_KEYUP;
    if (system)
        message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
    out->push_back({target, message, static_cast<WPARAM>(folded), lParam, false});
}

void InputTranslator::Text(const InputEvent& event, InputContext& context, std::vector<TranslatedMessage>* out)
{
    HWND target = context.FocusWindow();
    if (!target && event.window)
        target = context.WindowForNative(event.window);
    if (!target || !context.TakesInput(target))
        return;
    const bool system = keys_[VK_MENU] && !keys_[VK_CONTROL];
    for (char c : Utf8ToWindows1252(event.text)) {
        out->push_back({target, system ? WM_SYSCHAR : WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)),
                        lastKeyLParam_, false});
    }
}

} // namespace platform
