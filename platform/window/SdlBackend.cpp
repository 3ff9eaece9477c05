#include "platform/window/SdlBackend.h"

#include "platform/core/DebugOutput.h"
#include "platform/window/Cursor.h"
#include "platform/window/DisplayConnectionWait.h"
#include "platform/window/DisplayPresence.h"
#include "platform/window/DrawnMessageBox.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/HelperProgram.h"
#include "platform/window/SdlDrawnWindow.h"
#include "platform/window/SdlKeys.h"
#include "platform/window/SdlSystemBox.h"
#include "platform/window/VirtualKeys.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <thread>

namespace platform {

namespace {

void TranslateKey(const SDL_KeyboardEvent& key, std::vector<InputEvent>* events)
{
    const int physical = PhysicalVirtualKey(key.keysym.scancode);
    if (!physical)
        return;
    const int vk = VirtualKeyOf(key.keysym);
    InputEvent e;
    e.kind = key.type == SDL_KEYDOWN ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
    e.window = key.windowID;
    e.vk = vk;
    ScanCode scan = ScanCodeForVirtualKey(physical);
    if (key.keysym.scancode == SDL_SCANCODE_KP_ENTER)
        scan = ScanCode{0x1C, true};
    e.scanCode = scan.code;
    e.extended = scan.extended;
    e.repeat = key.repeat != 0;
    events->push_back(e);
}

void TranslateWindowEvent(const SDL_WindowEvent& w, std::vector<InputEvent>* events)
{
    InputEvent e;
    e.window = w.windowID;
    switch (w.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED: e.kind = InputEvent::Kind::FocusGained; break;
    case SDL_WINDOWEVENT_FOCUS_LOST: e.kind = InputEvent::Kind::FocusLost; break;
    case SDL_WINDOWEVENT_CLOSE: e.kind = InputEvent::Kind::CloseRequested; break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        e.kind = InputEvent::Kind::Resized;
        e.x = w.data1;
        e.y = w.data2;
        break;
    case SDL_WINDOWEVENT_MINIMIZED: e.kind = InputEvent::Kind::Minimized; break;
    case SDL_WINDOWEVENT_MAXIMIZED: e.kind = InputEvent::Kind::Maximized; break;
    case SDL_WINDOWEVENT_RESTORED: e.kind = InputEvent::Kind::Restored; break;
    case SDL_WINDOWEVENT_MOVED:
        e.kind = InputEvent::Kind::Moved;
        e.x = w.data1;
        e.y = w.data2;
        break;
    case SDL_WINDOWEVENT_EXPOSED: e.kind = InputEvent::Kind::Exposed; break;
    default: return;
    }
    events->push_back(e);
}

// How long an X display that does not answer is waited for at start-up.
constexpr int kDisplayPatienceSeconds = 5;

// SDL's video drivers that make windows in memory only.
bool IsDriverWithoutScreen(const char* driver)
{
    return std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
}

void TrimNewline(std::string* text)
{
    while (!text->empty() && (text->back() == '\n' || text->back() == '\r'))
        text->pop_back();
}

// Starts SDL's video on a driver with a screen. Where no display can be
// reached, SDL settles for a driver that shows nothing: the program would
// run where nobody sees it, its boxes unanswerable; such a driver serves
// only when asked for by name. An X display that does not answer yet (a
// server still starting, or slow on a loaded machine) is given a few
// seconds; then the reason is told.
bool StartVideoOnAScreen(std::string* failure)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point giveUpAt = Clock::now() + std::chrono::seconds(kDisplayPatienceSeconds);
    bool waiting = false;
    for (;;) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            *failure = SDL_GetError();
            return false;
        }
        const char* driver = SDL_GetCurrentVideoDriver();
        const char* asked = std::getenv("SDL_VIDEODRIVER");
        if (!driver || !IsDriverWithoutScreen(driver) || (asked && strcasecmp(asked, driver) == 0))
            return true;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) {
            *failure = "no display: DISPLAY is not set";
            return false;
        }
        std::string why = detail::WhyTheXDisplayCannotBeOpened();
        if (why.empty())
            why = "it opens, but SDL's X11 driver would not use it";
        if (!waiting) {
            OutputDebugString("The display " + std::string(display) + " does not answer yet (" + why +
                              "): waiting for it.\n");
            waiting = true;
        }
        if (Clock::now() >= giveUpAt) {
            *failure = "no display can be reached at DISPLAY=" + std::string(display) + ": " + why + ", for " +
                       std::to_string(kDisplayPatienceSeconds) + " s";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

} // namespace

std::unique_ptr<SdlBackend> SdlBackend::Open(std::string* error)
{
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // The window service watches the termination signals itself: SDL would
    // make a window close of them, which may ask a question.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    std::string failure;
    if (!StartVideoOnAScreen(&failure)) {
        if (error)
            *error = failure;
        return nullptr;
    }
    detail::EndWhenTheDisplayGoes(SDL_GetCurrentVideoDriver());
    SDL_StartTextInput();
    return std::unique_ptr<SdlBackend>(new SdlBackend);
}

SdlBackend::SdlBackend()
    : connectionWait_(std::make_unique<DisplayConnectionWait>()), videoThread_(std::this_thread::get_id())
{
}

SdlBackend::~SdlBackend()
{
    for (auto& [cursor, native] : cursors_)
        SDL_FreeCursor(native);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

uint32_t SdlBackend::CreateNativeWindow(const NativeWindowSpec& spec)
{
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (!spec.decorated)
        flags |= SDL_WINDOW_BORDERLESS;
    if (spec.topmost)
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    SDL_Window* window = SDL_CreateWindow(spec.title.c_str(), spec.x, spec.y, spec.width, spec.height, flags);
    connectionWait_->Attach(window);
    if (!window)
        return 0;
    const uint32_t id = SDL_GetWindowID(window);
    if (spec.decorated)
        PlaceWhenFramed(id, spec.x, spec.y);
    return id;
}

void SdlBackend::PlaceWhenFramed(uint32_t id, int x, int y)
{
    // A window manager puts a new frame's corner where the bare window's
    // corner was asked to be, so the window itself lands lower and further
    // right by the frame's size; SDL can place it by its own corner only
    // once the manager has said how large the frame is. Left alone, a
    // window made again where the last one was (each return from full
    // screen) crept down and right by a frame at every return.
    placements_[id] = Placement{x, y, SDL_GetTicks64() + kPlacementMs, 2};
}

void SdlBackend::SettlePlacements(std::vector<InputEvent>* events)
{
    for (auto it = placements_.begin(); it != placements_.end();) {
        SDL_Window* w = SDL_GetWindowFromID(it->first);
        int x = 0;
        int y = 0;
        if (w)
            SDL_GetWindowPosition(w, &x, &y);
        int top = 0;
        int left = 0;
        const bool framed = w && SDL_GetWindowBordersSize(w, &top, &left, nullptr, nullptr) == 0 && (top > 0 || left > 0);
        Placement& p = it->second;
        if (!w || (x == p.x && y == p.y) || SDL_GetTicks64() > p.giveUpAt) {
            it = placements_.erase(it);
            continue;
        }
        // Without a frame (no manager, or none yet) there is nothing to put right.
        if (framed && (SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN)) {
            SDL_SetWindowPosition(w, p.x, p.y);
            // SDL takes the new place as its own and says nothing of it.
            InputEvent moved;
            moved.kind = InputEvent::Kind::Moved;
            moved.window = it->first;
            SDL_GetWindowPosition(w, &moved.x, &moved.y);
            events->push_back(moved);
            if (--p.tries == 0) {
                it = placements_.erase(it);
                continue;
            }
        }
        ++it;
    }
}

void SdlBackend::DestroyNativeWindow(uint32_t id)
{
    placements_.erase(id);
    if (SDL_Window* w = SDL_GetWindowFromID(id))
        SDL_DestroyWindow(w);
}

void SdlBackend::SetNativeTitle(uint32_t id, const std::string& title)
{
    if (SDL_Window* w = SDL_GetWindowFromID(id))
        SDL_SetWindowTitle(w, title.c_str());
}

void SdlBackend::SetNativeBounds(uint32_t id, int x, int y, int width, int height)
{
    if (SDL_Window* w = SDL_GetWindowFromID(id)) {
        SDL_SetWindowPosition(w, x, y);
        SDL_SetWindowSize(w, width, height);
    }
}

void SdlBackend::ShowNative(uint32_t id, bool visible)
{
    if (SDL_Window* w = SDL_GetWindowFromID(id)) {
        if (visible)
            SDL_ShowWindow(w);
        else
            SDL_HideWindow(w);
    }
}

void SdlBackend::MinimizeNative(uint32_t id)
{
    if (SDL_Window* w = SDL_GetWindowFromID(id))
        SDL_MinimizeWindow(w);
}

void SdlBackend::RestoreNative(uint32_t id)
{
    if (SDL_Window* w = SDL_GetWindowFromID(id))
        SDL_RestoreWindow(w);
}

void SdlBackend::RaiseNative(uint32_t id)
{
    if (SDL_Window* w = SDL_GetWindowFromID(id))
        SDL_RaiseWindow(w);
}

void SdlBackend::CoverMonitorWith(uint32_t id, const RECT& monitor)
{
    // Placed and sized by hand rather than by SDL's full-screen switch: that
    // one asks the window manager, and without one SDL takes the window for
    // the monitor's size while it keeps its own, so only its top-left corner
    // would show. A window manager that moves it elsewhere says so through
    // the events, and the picture follows.
    SDL_Window* w = SDL_GetWindowFromID(id);
    if (!w)
        return;
    SDL_SetWindowBordered(w, SDL_FALSE);
    SDL_SetWindowAlwaysOnTop(w, SDL_TRUE);
    SDL_SetWindowPosition(w, monitor.left, monitor.top);
    SDL_SetWindowSize(w, monitor.right - monitor.left, monitor.bottom - monitor.top);
    SDL_RaiseWindow(w);
}

void SdlBackend::UncoverMonitorWith(uint32_t id, const RECT& client, bool decorated)
{
    SDL_Window* w = SDL_GetWindowFromID(id);
    if (!w)
        return;
    SDL_SetWindowAlwaysOnTop(w, SDL_FALSE);
    SDL_SetWindowSize(w, client.right - client.left, client.bottom - client.top);
    SDL_SetWindowPosition(w, client.left, client.top);
    SDL_SetWindowBordered(w, decorated ? SDL_TRUE : SDL_FALSE);
    if (decorated)
        PlaceWhenFramed(id, client.left, client.top);
}

bool SdlBackend::WaitForEvents(DWORD milliseconds)
{
    if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
        return true;
    if (connectionWait_->IsActive())
        return connectionWait_->Wait(milliseconds);
    // SDL only peeks: the event stays queued for PumpEvents.
    return SDL_WaitEventTimeout(nullptr, int(std::min<DWORD>(milliseconds, INT32_MAX))) == 1;
}

void SdlBackend::WakeWaiter()
{
    connectionWait_->Wake();
    // An event pushed from another thread ends SDL's own wait; one of a type
    // of our own, which PumpEvents passes over.
    static const Uint32 wakeType = SDL_RegisterEvents(1);
    if (wakeType == Uint32(-1))
        return;
    SDL_Event wake{};
    wake.type = wakeType;
    SDL_PushEvent(&wake);
}

void SdlBackend::PumpEvents(std::vector<InputEvent>* events)
{
    // The loop pumps several times between two updates, and SDL's pump
    // reads the display connection a dozen times. So it runs at most once a
    // millisecond, and only when the connection has news or 100 ms have
    // passed; what comes meanwhile ends the next wait at once, so nothing is
    // taken later than the next pump.
    const Uint64 now = SDL_GetTicks64();
    const bool due = now - lastPump_ >= 100 || !connectionWait_->IsActive();
    if (now != lastPump_ && (due || connectionWait_->HasNews())) {
        lastPump_ = now;
        SDL_PumpEvents();
    }
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
        InputEvent e;
        switch (event.type) {
        case SDL_MOUSEMOTION:
            e.kind = InputEvent::Kind::MouseMove;
            e.window = event.motion.windowID;
            e.x = event.motion.x;
            e.y = event.motion.y;
            events->push_back(e);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            e.kind = event.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Kind::MouseDown : InputEvent::Kind::MouseUp;
            e.window = event.button.windowID;
            e.button = event.button.button;
            e.x = event.button.x;
            e.y = event.button.y;
            events->push_back(e);
            break;
        case SDL_MOUSEWHEEL: {
            e.kind = InputEvent::Kind::MouseWheel;
            e.window = event.wheel.windowID;
            e.wheel = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
            events->push_back(e);
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: TranslateKey(event.key, events); break;
        case SDL_TEXTINPUT:
            e.kind = InputEvent::Kind::Text;
            e.window = event.text.windowID;
            e.text = event.text.text;
            events->push_back(e);
            break;
        case SDL_WINDOWEVENT: TranslateWindowEvent(event.window, events); break;
        case SDL_QUIT:
            e.kind = InputEvent::Kind::CloseRequested;
            events->push_back(e);
            break;
        case SDL_DISPLAYEVENT:
            e.kind = InputEvent::Kind::DisplayChanged;
            events->push_back(e);
            break;
        default: break;
        }
    }
    if (!placements_.empty())
        SettlePlacements(events);
    // Input a test injected while the real back end runs.
    detail::TakeInjectedEvents(events);
}

std::optional<POINT> SdlBackend::GlobalPointer()
{
    int x = 0;
    int y = 0;
    // Over one of our windows the position is known from its own pointer
    // events; only elsewhere is the display asked (a round trip).
    if (SDL_Window* focus = SDL_GetMouseFocus()) {
        int left = 0;
        int top = 0;
        SDL_GetWindowPosition(focus, &left, &top);
        SDL_GetMouseState(&x, &y);
        return POINT{left + x, top + y};
    }
    SDL_GetGlobalMouseState(&x, &y);
    return POINT{x, y};
}

void SdlBackend::WarpPointer(int x, int y) { SDL_WarpMouseGlobal(x, y); }

void SdlBackend::CapturePointer(bool capture) { SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE); }

bool SdlBackend::PointerOver(uint32_t id)
{
    SDL_Window* focus = SDL_GetMouseFocus();
    return focus && SDL_GetWindowID(focus) == id;
}

SDL_Cursor* SdlBackend::NativeCursor(const CursorObject* cursor)
{
    if (auto it = cursors_.find(cursor); it != cursors_.end())
        return it->second;
    SDL_Cursor* native = nullptr;
    if (cursor->systemId) {
        SDL_SystemCursor shape = SDL_SYSTEM_CURSOR_ARROW;
        switch (cursor->systemId) {
        case IDC_IBEAM: shape = SDL_SYSTEM_CURSOR_IBEAM; break;
        case IDC_WAIT: shape = SDL_SYSTEM_CURSOR_WAIT; break;
        case IDC_CROSS: shape = SDL_SYSTEM_CURSOR_CROSSHAIR; break;
        case IDC_APPSTARTING: shape = SDL_SYSTEM_CURSOR_WAITARROW; break;
        case IDC_SIZENWSE: shape = SDL_SYSTEM_CURSOR_SIZENWSE; break;
        case IDC_SIZENESW: shape = SDL_SYSTEM_CURSOR_SIZENESW; break;
        case IDC_SIZEWE: shape = SDL_SYSTEM_CURSOR_SIZEWE; break;
        case IDC_SIZENS: shape = SDL_SYSTEM_CURSOR_SIZENS; break;
        case IDC_SIZEALL: shape = SDL_SYSTEM_CURSOR_SIZEALL; break;
        case IDC_NO: shape = SDL_SYSTEM_CURSOR_NO; break;
        case IDC_HAND: shape = SDL_SYSTEM_CURSOR_HAND; break;
        default: break;
        }
        native = SDL_CreateSystemCursor(shape);
    } else {
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<uint32_t*>(cursor->pixels.data()), cursor->width, cursor->height, 32, cursor->width * 4,
            SDL_PIXELFORMAT_ARGB8888);
        if (surface) {
            native = SDL_CreateColorCursor(surface, cursor->hotX, cursor->hotY);
            SDL_FreeSurface(surface);
        }
    }
    if (native)
        cursors_[cursor] = native;
    return native;
}

void SdlBackend::ApplyCursor(const CursorObject* cursor, bool visible)
{
    SDL_Cursor* native = cursor ? NativeCursor(cursor) : nullptr;
    if (native)
        SDL_SetCursor(native);
    SDL_ShowCursor(native && visible ? SDL_ENABLE : SDL_DISABLE);
}

void SdlBackend::ForgetCursor(const CursorObject* cursor)
{
    if (auto it = cursors_.find(cursor); it != cursors_.end()) {
        if (SDL_GetCursor() == it->second)
            SDL_SetCursor(SDL_GetDefaultCursor());
        SDL_FreeCursor(it->second);
        cursors_.erase(it);
    }
}

bool SdlBackend::SetClipboardText(const std::string& utf8) { return SDL_SetClipboardText(utf8.c_str()) == 0; }

std::optional<std::string> SdlBackend::GetClipboardText()
{
    char* text = SDL_GetClipboardText();
    if (!text)
        return std::nullopt;
    std::string result = text;
    SDL_free(text);
    return result;
}

std::optional<int> SdlBackend::ShowDrawn(DrawnMessageBox& box, uint32_t owner)
{
    // SDL's windows belong to the thread that started its video; and its
    // drivers without a screen make windows nobody sees or answers.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (std::this_thread::get_id() != videoThread_ || !driver || IsDriverWithoutScreen(driver))
        return std::nullopt;
    DrawnWindowLook look;
    look.captionUtf8 = box.Caption();
    look.owner = owner;
    switch (RunSdlDrawnWindow(box, look, *connectionWait_)) {
    case DrawnWindowEnd::NoWindow: return std::nullopt;
    case DrawnWindowEnd::Done: return box.Answer();
    default: return box.AnswerOrClose();
    }
}

std::optional<int> SdlBackend::ShowSystemBox(const SystemBoxRequest& request)
{
    // SDL waits for its box's process here, and nothing reads the game's X
    // connection meanwhile: a window manager's force-quit (the server closing
    // the connection) must still end the program, and the box with it.
    const detail::EndWhenTheConnectionCloses forceQuitEndsTheProgram(
        std::this_thread::get_id() == videoThread_ ? connectionWait_->Connection() : nullptr);
    return ShowSdlSystemBox(request);
}

int SdlBackend::ShowMessageBox(const std::string& text, const std::string& caption, UINT flags, uint32_t owner)
{
    // The program's own box wherever it can show: it goes with the program.
    if (std::unique_ptr<DrawnMessageBox> box = DrawnMessageBox::Make(text, caption, flags))
        if (const std::optional<int> answer = ShowDrawn(*box, owner))
            return *answer;
    return ShowSystemBox(SystemBoxForMessage(text, caption, flags)).value_or(0);
}

int SdlBackend::ChooseFromList(const std::string& caption, const std::vector<std::string>& items, uint32_t owner)
{
    std::vector<std::string> args = {"zenity", "--list", "--title=" + caption, "--column=#", "--column=" + caption,
                                     "--hide-column=1", "--print-column=1", "--width=420", "--height=360"};
    for (size_t i = 0; i < items.size(); ++i) {
        args.push_back(std::to_string(i));
        args.push_back(items[i]);
    }
    if (std::optional<HelperResult> out = RunHelperProgram(args)) {
        TrimNewline(&out->output);
        if (out->exitCode != 0 || out->output.empty())
            return -1;
        char* end = nullptr;
        const long index = std::strtol(out->output.c_str(), &end, 10);
        return (end && *end == '\0' && index >= 0 && index < static_cast<long>(items.size())) ? static_cast<int>(index)
                                                                                              : -1;
    }
    // No helper: one button per entry (the first ten) and Cancel.
    std::vector<MessageBoxButton> buttons;
    for (size_t i = 0; i < items.size() && i < 10; ++i)
        buttons.push_back({static_cast<int>(i), items[i]});
    buttons.push_back({-1, "Cancel"});
    if (std::unique_ptr<DrawnMessageBox> box = DrawnMessageBox::MakeChoice(caption, caption, buttons, -1))
        if (const std::optional<int> answer = ShowDrawn(*box, owner))
            return *answer;
    SystemBoxRequest request;
    request.caption = caption;
    request.text = caption;
    request.buttons = buttons;
    request.returnAnswer = buttons.front().id;
    request.escapeAnswer = -1;
    request.closedAnswer = -1;
    return ShowSystemBox(request).value_or(-1);
}

std::optional<std::string> SdlBackend::EnterText(const std::string& caption, const std::string& initial,
                                                 size_t maxLength, uint32_t owner)
{
    const std::vector<std::string> args = {"zenity", "--entry", "--title=" + caption, "--text=" + caption,
                                           "--entry-text=" + initial};
    std::optional<HelperResult> out = RunHelperProgram(args);
    if (!out) {
        ShowMessageBox("Text entry needs the zenity program, which is not installed.", caption,
                       MB_OK | MB_ICONWARNING, owner);
        return std::nullopt;
    }
    if (out->exitCode != 0)
        return std::nullopt;
    TrimNewline(&out->output);
    if (out->output.size() > maxLength)
        out->output.resize(maxLength);
    return out->output;
}

bool SdlBackend::OpenUrl(const std::string& url) { return SDL_OpenURL(url.c_str()) == 0; }

DesktopMode SdlBackend::Desktop()
{
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return DesktopMode{};
    DesktopMode result;
    result.width = mode.w;
    result.height = mode.h;
    result.refresh = mode.refresh_rate;
    // A 24-bit colour stored in 32-bit pixels is what Windows calls 32 bits.
    result.depth = SDL_BYTESPERPIXEL(mode.format) == 4 ? 32 : static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    return result;
}

RECT SdlBackend::WorkArea()
{
    SDL_Rect r{};
    if (SDL_GetDisplayUsableBounds(0, &r) != 0) {
        const DesktopMode mode = Desktop();
        return RECT{0, 0, mode.width, mode.height};
    }
    return RECT{r.x, r.y, r.x + r.w, r.y + r.h};
}

} // namespace platform
