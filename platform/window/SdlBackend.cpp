#include "platform/window/SdlBackend.h"

#include "platform/core/DebugOutput.h"
#include "platform/window/Cursor.h"
#include "platform/window/DisplayConnectionWait.h"
#include "platform/window/DisplayPresence.h"
#include "platform/window/DrawnMessageBox.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/SdlDrawnBoxWindow.h"
#include "platform/window/VirtualKeys.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

// The virtual key of a physical key on a US layout.
int PhysicalVirtualKey(SDL_Scancode code)
{
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z)
        return 'A' + (code - SDL_SCANCODE_A);
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9)
        return '1' + (code - SDL_SCANCODE_1);
    if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12)
        return VK_F1 + (code - SDL_SCANCODE_F1);
    if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9)
        return VK_NUMPAD0 + 1 + (code - SDL_SCANCODE_KP_1);
    switch (code) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS: return VK_OEM_PLUS;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_4;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_6;
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH: return VK_OEM_5;
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    case SDL_SCANCODE_GRAVE: return VK_OEM_3;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_NONUSBACKSLASH: return VK_OEM_102;
    case SDL_SCANCODE_CAPSLOCK: return VK_CAPITAL;
    case SDL_SCANCODE_PRINTSCREEN: return VK_SNAPSHOT;
    case SDL_SCANCODE_SCROLLLOCK: return VK_SCROLL;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_APPLICATION: return VK_APPS;
    case SDL_SCANCODE_LCTRL: return VK_LCONTROL;
    case SDL_SCANCODE_RCTRL: return VK_RCONTROL;
    case SDL_SCANCODE_LSHIFT: return VK_LSHIFT;
    case SDL_SCANCODE_RSHIFT: return VK_RSHIFT;
    case SDL_SCANCODE_LALT: return VK_LMENU;
    case SDL_SCANCODE_RALT: return VK_RMENU;
    case SDL_SCANCODE_LGUI: return VK_LWIN;
    case SDL_SCANCODE_RGUI: return VK_RWIN;
    default: return 0;
    }
}

void TranslateKey(const SDL_KeyboardEvent& key, std::vector<InputEvent>* events)
{
    const int physical = PhysicalVirtualKey(key.keysym.scancode);
    if (!physical)
        return;
    int vk = physical;
    // Letters and digits follow the layout, as Windows' virtual keys do.
    const SDL_Keycode sym = key.keysym.sym;
    if (sym >= SDLK_a && sym <= SDLK_z)
        vk = 'A' + (sym - SDLK_a);
    else if (sym >= SDLK_0 && sym <= SDLK_9 && !(physical >= VK_NUMPAD0 && physical <= VK_NUMPAD9))
        vk = '0' + (sym - SDLK_0);
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

// Runs a helper program with an argument vector and collects what it
// prints. Nothing when it cannot be started; `status` gets its exit code.
std::optional<std::string> RunHelper(const std::vector<std::string>& args, int* status)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return std::nullopt;
    }
    std::string output;
    char buffer[512];
    for (;;) {
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0)
            output.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(pipeFds[0]);
    int waitStatus = 0;
    while (waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    *status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
    if (*status == 127)
        return std::nullopt; // the helper is not installed
    return output;
}

// How long an X display that does not answer is waited for at start-up.
constexpr int kDisplayPatienceSeconds = 5;

// SDL's video drivers that make windows in memory only.
bool IsDriverWithoutScreen(const char* driver)
{
    return std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
}

// SDL's box grows with its longest line and its count of lines, past the
// screen's edges: lines are broken between words (inside a word too long
// for one) and a long text keeps its first lines, ending in "..." (the whole
// of it went to standard error).
std::string FitForSystemBox(const std::string& text)
{
    constexpr size_t kLineLength = 80;
    constexpr size_t kMaxLines = 24;
    std::vector<std::string> lines;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        while (line.size() > kLineLength) {
            size_t cut = line.rfind(' ', kLineLength);
            if (cut == std::string::npos || cut == 0)
                cut = kLineLength;
            // Never inside a UTF-8 sequence.
            while (cut > 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
                --cut;
            lines.push_back(line.substr(0, cut));
            line.erase(0, line[cut] == ' ' ? cut + 1 : cut);
        }
        lines.push_back(line);
    }
    if (lines.size() > kMaxLines) {
        lines.resize(kMaxLines);
        lines.back() = "...";
    }
    std::string fitted;
    for (const std::string& line : lines)
        fitted += (fitted.empty() ? "" : "\n") + line;
    return fitted;
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
    detail::EndWhenTheDisplayGoes();
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

int SdlBackend::ShowMessageBox(const std::string& text, const std::string& caption, UINT flags)
{
    const std::vector<MessageBoxButton> set = MessageBoxButtonsFor(flags);
    const int defaultAnswer = DefaultMessageBoxAnswer(flags);
    const std::optional<int> closeAnswer = MessageBoxCloseAnswer(flags);
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (const MessageBoxButton& button : set) {
        Uint32 buttonFlags = 0;
        if (button.id == defaultAnswer)
            buttonFlags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (closeAnswer == button.id)
            buttonFlags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons.push_back(SDL_MessageBoxButtonData{buttonFlags, button.id, button.label});
    }
    Uint32 boxFlags = SDL_MESSAGEBOX_INFORMATION;
    switch (flags & MB_ICONMASK) {
    case MB_ICONERROR: boxFlags = SDL_MESSAGEBOX_ERROR; break;
    case MB_ICONWARNING: boxFlags = SDL_MESSAGEBOX_WARNING; break;
    default: break;
    }
    const std::string fitted = FitForSystemBox(text);
    const SDL_MessageBoxData data{
        boxFlags, nullptr, caption.c_str(), fitted.c_str(), static_cast<int>(buttons.size()), buttons.data(), nullptr};
    int chosen = -1;
    if (SDL_ShowMessageBox(&data, &chosen) != 0)
        return 0;
    if (chosen < 0) // the box was closed from its frame, which SDL cannot refuse
        return closeAnswer.value_or((flags & MB_TYPEMASK) == MB_YESNO ? IDNO : defaultAnswer);
    return chosen;
}

int SdlBackend::ShowDrawnMessageBox(DrawnMessageBox& box, uint32_t owner)
{
    // SDL's windows belong to the thread that started its video; a box
    // asked for on another thread stays on standard error.
    if (std::this_thread::get_id() != videoThread_)
        return 0;
    // SDL's drivers without a screen make windows nobody sees or answers.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || IsDriverWithoutScreen(driver))
        return 0;
    return RunDrawnBoxWindow(box, owner, *connectionWait_);
}

int SdlBackend::ChooseFromList(const std::string& caption, const std::vector<std::string>& items)
{
    std::vector<std::string> args = {"zenity", "--list", "--title=" + caption, "--column=#", "--column=" + caption,
                                     "--hide-column=1", "--print-column=1", "--width=420", "--height=360"};
    for (size_t i = 0; i < items.size(); ++i) {
        args.push_back(std::to_string(i));
        args.push_back(items[i]);
    }
    int status = 0;
    if (std::optional<std::string> out = RunHelper(args, &status)) {
        TrimNewline(&*out);
        if (status != 0 || out->empty())
            return -1;
        char* end = nullptr;
        const long index = std::strtol(out->c_str(), &end, 10);
        return (end && *end == '\0' && index >= 0 && index < static_cast<long>(items.size())) ? static_cast<int>(index)
                                                                                              : -1;
    }
    // No helper: one button per entry (the first ten) and Cancel.
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (size_t i = 0; i < items.size() && i < 10; ++i)
        buttons.push_back(SDL_MessageBoxButtonData{0, static_cast<int>(i), items[i].c_str()});
    buttons.push_back(SDL_MessageBoxButtonData{SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, -1, "Cancel"});
    const SDL_MessageBoxData data{SDL_MESSAGEBOX_INFORMATION, nullptr, caption.c_str(), caption.c_str(),
                                  static_cast<int>(buttons.size()), buttons.data(), nullptr};
    int chosen = -1;
    if (SDL_ShowMessageBox(&data, &chosen) != 0)
        return -1;
    return chosen;
}

std::optional<std::string> SdlBackend::EnterText(const std::string& caption, const std::string& initial,
                                                 size_t maxLength)
{
    const std::vector<std::string> args = {"zenity", "--entry", "--title=" + caption, "--text=" + caption,
                                           "--entry-text=" + initial};
    int status = 0;
    std::optional<std::string> out = RunHelper(args, &status);
    if (!out) {
        ShowMessageBox("Text entry needs the zenity program, which is not installed.", caption,
                       MB_OK | MB_ICONWARNING);
        return std::nullopt;
    }
    if (status != 0)
        return std::nullopt;
    TrimNewline(&*out);
    if (out->size() > maxLength)
        out->resize(maxLength);
    return out;
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
