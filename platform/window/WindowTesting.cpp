#include "platform/window/WindowTesting.h"

#include "platform/window/Cursor.h"
#include "platform/window/FullScreenWindow.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/SessionEndSignals.h"
#include "platform/window/Window.h"
#include "platform/window/WindowSystem.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <functional>
#include <mutex>

namespace platform {

namespace {

struct Records {
    std::mutex mutex;
    std::vector<InputEvent> injected;            // guarded by mutex
    std::vector<testing::MessageLog*> logs;      // guarded by mutex
    std::vector<testing::RecordedBox> boxes;     // guarded by mutex
    std::vector<std::string> urls;               // guarded by mutex
    std::optional<std::string> clipboard;        // guarded by mutex
    std::function<void()> whileNextBoxIsUp;      // guarded by mutex
    std::atomic<bool> pointerOver{true};
    std::atomic<bool> anyLog{false};
};

Records& State()
{
    static Records records;
    return records;
}

} // namespace

namespace detail {

void RecordBox(const testing::RecordedBox& box)
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.boxes.push_back(box);
}

void RecordUrl(const std::string& url)
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.urls.push_back(url);
}

bool PointerOverSetting() { return State().pointerOver.load(); }

void SetHeadlessClipboard(const std::string& utf8)
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.clipboard = utf8;
}

std::optional<std::string> GetHeadlessClipboard()
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.clipboard;
}

void TakeInjectedEvents(std::vector<InputEvent>* events)
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    events->insert(events->end(), r.injected.begin(), r.injected.end());
    r.injected.clear();
}

bool HasInjectedEvents()
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    return !r.injected.empty();
}

void RunWhileTheBoxIsUp()
{
    std::function<void()> action;
    {
        Records& r = State();
        std::lock_guard<std::mutex> lock(r.mutex);
        action.swap(r.whileNextBoxIsUp);
    }
    if (action)
        action();
}

void ResetHeadlessRecords()
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.whileNextBoxIsUp = nullptr;
    r.injected.clear();
    r.boxes.clear();
    r.urls.clear();
    r.clipboard.reset();
    r.pointerOver = true;
}

} // namespace detail

namespace testing {

void InjectInput(const InputEvent& event)
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.injected.push_back(event);
}

namespace {

InputEvent EventFor(HWND window, InputEvent::Kind kind)
{
    InputEvent e;
    e.kind = kind;
    e.window = NativeWindowId(window);
    return e;
}

// The system reports positions in the native window's pixels: a client
// position of a window that shows a scaled screen goes to the native pixel
// that shows it.
void PlaceInNative(HWND window, int x, int y, InputEvent& e)
{
    e.x = x;
    e.y = y;
    if (std::optional<ScreenScaling> scaling = ScalingOf(window)) {
        POINT screen{x, y};
        ClientToScreen(window, &screen);
        const POINT native = scaling->ToNative(screen);
        e.x = native.x;
        e.y = native.y;
    }
}

} // namespace

void InjectMouseMove(HWND window, int x, int y)
{
    InputEvent e = EventFor(window, InputEvent::Kind::MouseMove);
    PlaceInNative(window, x, y, e);
    InjectInput(e);
}

void InjectMouseButton(HWND window, int button, bool down, int x, int y)
{
    InputEvent e = EventFor(window, down ? InputEvent::Kind::MouseDown : InputEvent::Kind::MouseUp);
    e.button = button;
    PlaceInNative(window, x, y, e);
    InjectInput(e);
}

void InjectMouseWheel(HWND window, int notches)
{
    InputEvent e = EventFor(window, InputEvent::Kind::MouseWheel);
    e.wheel = notches;
    InjectInput(e);
}

void InjectKey(HWND window, int vk, bool down, bool repeat)
{
    InputEvent e = EventFor(window, down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp);
    e.vk = vk;
    e.repeat = repeat;
    InjectInput(e);
}

void InjectText(HWND window, const std::string& utf8)
{
    InputEvent e = EventFor(window, InputEvent::Kind::Text);
    e.text = utf8;
    InjectInput(e);
}

void InjectWindowEvent(HWND window, InputEvent::Kind kind, int x, int y)
{
    InputEvent e = EventFor(window, kind);
    e.x = x;
    e.y = y;
    InjectInput(e);
}

bool InjectedInputPending() { return detail::HasInjectedEvents(); }

void RaiseSessionEndSignal(SessionEndSignal which)
{
    switch (which) {
    case SessionEndSignal::Terminate: std::raise(SIGTERM); break;
    case SessionEndSignal::Hangup: std::raise(SIGHUP); break;
    case SessionEndSignal::Interrupt: std::raise(SIGINT); break;
    }
}

void ForgetSessionEndSignals() { detail::WatchSessionEndSignals(); }

MessageLog::MessageLog()
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.logs.push_back(this);
    r.anyLog = true;
}

MessageLog::~MessageLog()
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::erase(r.logs, this);
    r.anyLog = !r.logs.empty();
}

std::vector<MessageLog::Entry> MessageLog::Entries() const
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    return entries_;
}

std::vector<MessageLog::Entry> MessageLog::Filter(Route route, UINT message) const
{
    std::vector<Entry> result;
    for (const Entry& e : Entries()) {
        if (e.route == route && (message == 0 || e.message == message))
            result.push_back(e);
    }
    return result;
}

void MessageLog::Clear()
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    entries_.clear();
}

void RecordMessage(MessageLog::Route route, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Records& r = State();
    if (!r.anyLog.load(std::memory_order_relaxed))
        return;
    std::lock_guard<std::mutex> lock(r.mutex);
    for (MessageLog* log : r.logs)
        log->entries_.push_back(MessageLog::Entry{route, window, message, wParam, lParam});
}

void SetPointerOverWindow(bool over) { State().pointerOver = over; }

void WhileTheNextBoxIsUp(std::function<void()> action)
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.whileNextBoxIsUp = std::move(action);
}

std::vector<RecordedBox> RecordedBoxes()
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.boxes;
}

std::vector<std::string> OpenedUrls()
{
    Records& r = State();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.urls;
}

std::string HeadlessClipboard() { return detail::GetHeadlessClipboard().value_or(""); }

std::vector<NativeWindowState> NativeWindows()
{
    auto* headless = dynamic_cast<HeadlessBackend*>(&GetWindowBackend());
    return headless ? headless->Windows() : std::vector<NativeWindowState>{};
}

bool PointerCaptured()
{
    auto* headless = dynamic_cast<HeadlessBackend*>(&GetWindowBackend());
    return headless && headless->Captured();
}

void ResetWindowSystem()
{
    detail::ResetSystem();
    ResetCursors();
    ResetWindowBackend();
    detail::ResetHeadlessRecords();
}

} // namespace testing

} // namespace platform
