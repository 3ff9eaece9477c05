// The per-thread message queues: posting, sending (within and across
// threads), peeking and getting (with WM_PAINT and WM_TIMER made on demand),
// translating and dispatching, timers, registered messages, and the pump
// that turns the back end's events into messages.
#include "platform/window/WindowSystem.h"

#include "platform/core/BlockedWait.h"
#include "platform/core/Clock.h"
#include "platform/core/Testing.h"
#include "platform/core/Thread.h"
#include "platform/window/Desktop.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/SessionEndSignals.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowTesting.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace platform {

using namespace detail;

namespace {

bool InRange(UINT message, UINT filterMin, UINT filterMax)
{
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

bool Matches(const MSG& m, HWND window, UINT filterMin, UINT filterMax)
{
    return (!window || m.hwnd == window) && InRange(m.message, filterMin, filterMax);
}

MSG MakeMsg(HWND window, UINT message, WPARAM wParam, LPARAM lParam, POINT pt)
{
    return MSG{window, message, wParam, lParam, GetTickCount(), pt};
}

// Handles the messages other threads sent to this one.
void ProcessIncomingSent()
{
    const DWORD me = CurrentThreadId();
    for (;;) {
        std::shared_ptr<SentMessage> sent;
        {
            WindowSystem& s = System();
            std::lock_guard<std::mutex> lock(s.mutex);
            ThreadQueue& q = s.Queue(me);
            if (q.sent.empty())
                return;
            sent = q.sent.front();
            q.sent.pop_front();
        }
        const LRESULT result = CallProcedure(sent->msg.hwnd, sent->msg.message, sent->msg.wParam, sent->msg.lParam, false);
        WindowSystem& s = System();
        std::lock_guard<std::mutex> lock(s.mutex);
        sent->result = result;
        sent->done = true;
        sent->cv.notify_all();
    }
}

// Posts an input message; a mouse move replaces one still waiting at the
// end of the queue for the same window, as the system coalesces them.
void PostInput(const MSG& m)
{
    testing::RecordMessage(testing::MessageLog::Route::Posted, m.hwnd, m.message, m.wParam, m.lParam);
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(m.hwnd);
    if (!w)
        return;
    ThreadQueue& q = s.Queue(w->thread);
    if (m.message == WM_MOUSEMOVE && !q.posted.empty() && q.posted.back().message == WM_MOUSEMOVE &&
        q.posted.back().hwnd == m.hwnd) {
        q.posted.back() = m;
    } else {
        q.posted.push_back(m);
    }
    q.cv.notify_all();
}

// The top-level windows, front to back: who hears a message broadcast.
// Taken under the service's lock and handed on without it, since each
// window's answer may create or destroy windows.
std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> tops;
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (uintptr_t h : s.zOrder) {
        WindowData* w = s.Find(ToHandle(h));
        if (w && !w->parent)
            tops.push_back(ToHandle(h));
    }
    return tops;
}

// Sends `message` to every top-level window, as the system does.
void SendToTopLevels(UINT message, WPARAM wParam, LPARAM lParam)
{
    for (HWND top : TopLevelWindows())
        CallProcedure(top, message, wParam, lParam, false);
}

// Every top-level window hears of a new desktop mode.
void BroadcastDisplayChange()
{
    const DesktopMode mode = GetDesktopMode();
    SendToTopLevels(WM_DISPLAYCHANGE, static_cast<WPARAM>(mode.depth), MAKELPARAM(mode.width, mode.height));
}

// Runs `change` on the window's record under the service's lock; false when
// the window is gone, else what `change` says (whether something changed).
template <typename Change>
bool ChangeWindow(HWND window, Change change)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    WindowData* w = s.Find(window);
    return w && change(*w);
}

void ApplyResized(HWND window, const InputEvent& e)
{
    bool maximized = false;
    const bool changed = ChangeWindow(window, [&](WindowData& w) {
        if (w.coversMonitor) {
            // The native window's own size; the client keeps the mode's.
            w.nativeArea.right = w.nativeArea.left + std::max(0, e.x);
            w.nativeArea.bottom = w.nativeArea.top + std::max(0, e.y);
            w.needsPaint = true;
            return false;
        }
        const bool sizeChanged = w.width != e.x || w.height != e.y;
        w.width = std::max(0, e.x);
        w.height = std::max(0, e.y);
        w.needsPaint = true;
        maximized = w.maximized;
        return sizeChanged;
    });
    if (changed)
        SendSize(window, maximized ? SIZE_MAXIMIZED : SIZE_RESTORED);
}

void ApplyShowState(HWND window, InputEvent::Kind kind)
{
    const bool minimized = kind == InputEvent::Kind::Minimized;
    const bool maximized = kind == InputEvent::Kind::Maximized;
    const bool changed = ChangeWindow(window, [&](WindowData& w) {
        const bool stateChanged = w.minimized != minimized || w.maximized != maximized;
        w.minimized = minimized;
        w.maximized = maximized;
        if (!minimized)
            w.needsPaint = true;
        return stateChanged;
    });
    if (changed)
        SendSize(window, minimized ? SIZE_MINIMIZED : maximized ? SIZE_MAXIMIZED : SIZE_RESTORED);
}

void ApplyMoved(HWND window, const InputEvent& e)
{
    const bool changed = ChangeWindow(window, [&](WindowData& w) {
        if (w.coversMonitor) {
            const LONG width = w.nativeArea.right - w.nativeArea.left;
            const LONG height = w.nativeArea.bottom - w.nativeArea.top;
            w.nativeArea = RECT{e.x, e.y, e.x + width, e.y + height};
            return false;
        }
        const bool moved = w.x != e.x || w.y != e.y;
        w.x = e.x;
        w.y = e.y;
        return moved;
    });
    if (changed)
        CallProcedure(window, WM_MOVE, 0, MAKELPARAM(e.x, e.y), false);
}

void HandleWindowEvent(const InputEvent& e)
{
    HWND window = e.window ? WindowForNativeId(e.window) : FirstVisibleTopLevel();
    if (e.kind == InputEvent::Kind::FocusLost) {
        Deactivate();
        return;
    }
    if (e.kind == InputEvent::Kind::DisplayChanged) {
        BroadcastDisplayChange();
        return;
    }
    if (e.kind == InputEvent::Kind::SessionEnding) {
        // Not a close: nobody is there to answer a question.
        SendToTopLevels(WM_ENDSESSION, TRUE, 0);
        return;
    }
    if (!window)
        return;
    switch (e.kind) {
    case InputEvent::Kind::FocusGained: Activate(window); break;
    case InputEvent::Kind::CloseRequested:
        // Not while a box stands in front of it (the window is disabled).
        if (System().TakesInput(window))
            CallProcedure(window, WM_SYSCOMMAND, SC_CLOSE, 0, false);
        break;
    case InputEvent::Kind::Resized: ApplyResized(window, e); break;
    case InputEvent::Kind::Minimized:
    case InputEvent::Kind::Maximized:
    case InputEvent::Kind::Restored: ApplyShowState(window, e.kind); break;
    case InputEvent::Kind::Moved: ApplyMoved(window, e); break;
    case InputEvent::Kind::Exposed: InvalidateRect(window, nullptr, TRUE); break;
    default: break;
    }
}

// Under the system's lock: a message for `thread` ends the UI thread's wait
// in the back end (a condition variable cannot: it waits on the display).
void WakeIfWaiting(WindowSystem& s, DWORD thread)
{
    if (thread == s.uiThread && s.uiWaiting)
        GetWindowBackend().WakeWaiter();
}

// Under the system's lock: whether `thread` has a message waiting of the
// kinds in `wakeMask` (posted, sent and input messages always count); if
// not, `wait` is cut to the time until its next timer.
bool HasMessageFor(WindowSystem& s, DWORD thread, DWORD wakeMask, uint64_t& wait)
{
    ThreadQueue& q = s.Queue(thread);
    if (!q.posted.empty() || !q.sent.empty() || q.quit)
        return true;
    if (wakeMask & QS_PAINT) {
        for (auto& [handle, w] : s.windows) {
            if (w->thread == thread && w->needsPaint && w->visible && !w->minimized)
                return true;
        }
    }
    if (!(wakeMask & QS_TIMER))
        return false;
    const uint64_t now = NowMs();
    for (const Timer& t : q.timers) {
        if (t.dueMs <= now)
            return true;
        wait = std::min(wait, t.dueMs - now);
    }
    return false;
}

} // namespace

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD milliseconds, DWORD wakeMask)
{
    if (count != 0)
        return WAIT_FAILED;
    ProcessIncomingSent();
    WindowSystem& s = System();
    const DWORD me = CurrentThreadId();
    uint64_t wait = milliseconds;
    bool onUiThread = false;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (HasMessageFor(s, me, wakeMask, wait))
            return WAIT_OBJECT_0;
        onUiThread = s.uiThread == me;
        s.uiWaiting = onUiThread;
    }
    // Input a test injected is taken by the UI thread's next pump.
    if (onUiThread && detail::HasInjectedEvents())
        return WAIT_OBJECT_0;
    if (wait == 0)
        return WAIT_TIMEOUT;
    bool reported = false;
    if (onUiThread) {
        reported = GetWindowBackend().WaitForEvents(static_cast<DWORD>(wait));
        std::lock_guard<std::mutex> lock(s.mutex);
        s.uiWaiting = false;
    } else if (dynamic_cast<ManualClock*>(&GetClock())) {
        platform::Sleep(static_cast<DWORD>(wait));
    } else {
        std::unique_lock<std::mutex> lock(s.mutex);
        ThreadQueue& q = s.Queue(me);
        BlockedWait blocked;
        q.cv.wait_for(lock, std::chrono::milliseconds(wait),
                      [&] { return !q.posted.empty() || !q.sent.empty() || q.quit; });
    }
    uint64_t unused = 0;
    std::lock_guard<std::mutex> lock(s.mutex);
    return reported || HasMessageFor(s, me, wakeMask, unused) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

namespace detail {

void PumpInput()
{
    WindowSystem& s = System();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.uiThread != CurrentThreadId())
            return;
    }
    std::vector<InputEvent> events;
    GetWindowBackend().PumpEvents(&events);
    if (TakeSessionEndRequest()) {
        InputEvent ending;
        ending.kind = InputEvent::Kind::SessionEnding;
        events.push_back(ending);
    }
    bool closed = false;
    for (const InputEvent& e : events) {
        switch (e.kind) {
        case InputEvent::Kind::MouseMove:
        case InputEvent::Kind::MouseDown:
        case InputEvent::Kind::MouseUp:
        case InputEvent::Kind::MouseWheel:
        case InputEvent::Kind::KeyDown:
        case InputEvent::Kind::KeyUp:
        case InputEvent::Kind::Text: {
            std::vector<TranslatedMessage> messages;
            s.translator.Translate(e, s, &messages);
            const POINT pt = s.translator.PointerOnScreen();
            {
                std::lock_guard<std::mutex> lock(s.mutex);
                s.pointer = pt;
                s.lastInputTick = GetTickCount();
            }
            for (const TranslatedMessage& t : messages) {
                if (t.setCursorFirst)
                    CallProcedure(t.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(t.window), MAKELPARAM(1, t.message), false);
                PostInput(MakeMsg(t.window, t.message, t.wParam, t.lParam, pt));
            }
            break;
        }
        case InputEvent::Kind::CloseRequested:
            // The system may report one close twice (window and application).
            if (!closed)
                HandleWindowEvent(e);
            closed = true;
            break;
        default: HandleWindowEvent(e); break;
        }
    }
}

} // namespace detail

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == HWND_BROADCAST) {
        for (HWND top : TopLevelWindows())
            PostMessageA(top, message, wParam, lParam);
        return TRUE;
    }
    testing::RecordMessage(testing::MessageLog::Route::Posted, window, message, wParam, lParam);
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    DWORD thread = CurrentThreadId();
    if (window) {
        WindowData* w = s.Find(window);
        if (!w)
            return FALSE;
        thread = w->thread;
    }
    ThreadQueue& q = s.Queue(thread);
    q.posted.push_back(MSG{window, message, wParam, lParam, GetTickCount(), s.pointer});
    q.cv.notify_all();
    WakeIfWaiting(s, thread);
    return TRUE;
}

BOOL PostThreadMessageA(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (thread == 0)
        return FALSE;
    testing::RecordMessage(testing::MessageLog::Route::Posted, nullptr, message, wParam, lParam);
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    ThreadQueue& q = s.Queue(thread);
    q.posted.push_back(MSG{nullptr, message, wParam, lParam, GetTickCount(), s.pointer});
    q.cv.notify_all();
    WakeIfWaiting(s, thread);
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == HWND_BROADCAST) {
        for (HWND top : TopLevelWindows())
            SendMessageA(top, message, wParam, lParam);
        return 0;
    }
    const DWORD me = CurrentThreadId();
    auto sent = std::make_shared<SentMessage>();
    WindowSystem& s = System();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        WindowData* w = s.Find(window);
        if (!w)
            return 0;
        if (w->thread != me) {
            sent->msg = MSG{window, message, wParam, lParam, GetTickCount(), s.pointer};
            ThreadQueue& q = s.Queue(w->thread);
            q.sent.push_back(sent);
            q.cv.notify_all();
            WakeIfWaiting(s, w->thread);
        }
    }
    if (!sent->msg.hwnd)
        return CallProcedure(window, message, wParam, lParam, false);
    // Wait for the owner, still answering what others send to us meanwhile
    // so that two threads sending to each other do not lock up.
    BlockedWait blocked;
    for (;;) {
        ProcessIncomingSent();
        std::unique_lock<std::mutex> lock(s.mutex);
        if (sent->done)
            return sent->result;
        if (!s.Find(window))
            return 0;
        sent->cv.wait_for(lock, std::chrono::milliseconds(5));
        if (sent->done)
            return sent->result;
    }
}

void PostQuitMessage(int exitCode)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    ThreadQueue& q = s.Queue(CurrentThreadId());
    q.quit = true;
    q.quitCode = exitCode;
    q.cv.notify_all();
}

BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (!msg)
        return FALSE;
    const bool remove = (removeFlags & PM_REMOVE) != 0;
    ProcessIncomingSent();
    PumpInput();
    ProcessIncomingSent();

    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    const DWORD me = CurrentThreadId();
    ThreadQueue& q = s.Queue(me);
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
        if (Matches(*it, window, filterMin, filterMax)) {
            *msg = *it;
            if (remove)
                q.posted.erase(it);
            return TRUE;
        }
    }
    if (q.quit && InRange(WM_QUIT, filterMin, filterMax)) {
        *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, GetTickCount(), s.pointer};
        if (remove)
            q.quit = false;
        return TRUE;
    }
    if (InRange(WM_PAINT, filterMin, filterMax)) {
        for (auto& [handle, w] : s.windows) {
            if (w->thread == me && w->needsPaint && w->visible && !w->minimized && (!window || ToHandle(handle) == window)) {
                // WM_PAINT stays until the window is validated.
                *msg = MSG{ToHandle(handle), WM_PAINT, 0, 0, GetTickCount(), s.pointer};
                return TRUE;
            }
        }
    }
    if (InRange(WM_TIMER, filterMin, filterMax)) {
        const uint64_t now = NowMs();
        for (Timer& t : q.timers) {
            if (t.dueMs <= now && (!window || t.window == window)) {
                *msg = MSG{t.window, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), GetTickCount(), s.pointer};
                if (remove)
                    t.dueMs = now + t.elapse;
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax)
{
    if (!msg)
        return -1;
    if (window && !IsWindow(window))
        return -1;
    for (;;) {
        if (PeekMessageA(msg, window, filterMin, filterMax, PM_REMOVE))
            return msg->message == WM_QUIT ? FALSE : TRUE;
        if (window && !IsWindow(window))
            return -1; // destroyed while we waited: nothing will ever come
        uint64_t wait = 10;
        bool timerWaiting = false;
        {
            WindowSystem& s = System();
            std::lock_guard<std::mutex> lock(s.mutex);
            const uint64_t now = NowMs();
            for (const Timer& t : s.Queue(CurrentThreadId()).timers) {
                if (!window || t.window == window) {
                    wait = std::min(wait, t.dueMs > now ? t.dueMs - now : 0);
                    timerWaiting = InRange(WM_TIMER, filterMin, filterMax);
                }
            }
        }
        if (timerWaiting && dynamic_cast<ManualClock*>(&GetClock())) {
            // A manual clock only moves when someone sleeps: waiting for a
            // timer is sleeping until it is due.
            platform::Sleep(static_cast<DWORD>(std::max<uint64_t>(wait, 1)));
            continue;
        }
        WindowSystem& s = System();
        std::unique_lock<std::mutex> lock(s.mutex);
        ThreadQueue& q = s.Queue(CurrentThreadId());
        if (q.posted.empty() && q.sent.empty() && !q.quit) {
            BlockedWait blocked;
            q.cv.wait_for(lock, std::chrono::milliseconds(std::max<uint64_t>(wait, 1)));
        }
    }
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || msg->message != WM_KEYDOWN)
        return FALSE;
    const int vk = static_cast<int>(msg->wParam);
    int character = 0;
    switch (vk) {
    case VK_BACK: character = 8; break;
    case VK_TAB: character = 9; break;
    case VK_RETURN: character = 13; break;
    case VK_ESCAPE: character = 27; break;
    default:
        if (vk >= 'A' && vk <= 'Z' && System().translator.IsKeyDown(VK_CONTROL) && !System().translator.IsKeyDown(VK_MENU))
            character = vk - 'A' + 1;
        break;
    }
    if (!character)
        return FALSE;
    PostInput(MakeMsg(msg->hwnd, WM_CHAR, static_cast<WPARAM>(character), msg->lParam, msg->pt));
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (!msg || !msg->hwnd)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    return CallProcedure(msg->hwnd, msg->message, msg->wParam, msg->lParam, true);
}

UINT RegisterWindowMessageA(LPCSTR name)
{
    if (!name || !*name)
        return 0;
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    const std::string_view wanted(name);
    for (size_t i = 0; i < s.registeredMessages.size(); ++i) {
        const std::string& known = s.registeredMessages[i];
        if (known.size() == wanted.size() &&
            std::equal(known.begin(), known.end(), wanted.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return kFirstRegisteredMessage + static_cast<UINT>(i);
    }
    if (kFirstRegisteredMessage + s.registeredMessages.size() > kLastRegisteredMessage)
        return 0;
    s.registeredMessages.emplace_back(wanted);
    return kFirstRegisteredMessage + static_cast<UINT>(s.registeredMessages.size() - 1);
}

uintptr_t SetTimer(HWND window, uintptr_t id, UINT elapse, TIMERPROC proc)
{
    if (testing::ShouldFail("SetTimer"))
        return 0;
    // The system's shortest timer period.
    elapse = std::max<UINT>(elapse, 10);
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    DWORD thread = CurrentThreadId();
    if (window) {
        WindowData* w = s.Find(window);
        if (!w)
            return 0;
        thread = w->thread;
    } else {
        id = s.nextTimerId++;
    }
    ThreadQueue& q = s.Queue(thread);
    const uint64_t due = NowMs() + elapse;
    for (Timer& t : q.timers) {
        if (t.window == window && t.id == id) {
            t.elapse = elapse;
            t.dueMs = due;
            t.proc = proc;
            return window ? (id ? id : 1) : id;
        }
    }
    q.timers.push_back(Timer{window, id, elapse, due, proc});
    return window ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND window, uintptr_t id)
{
    WindowSystem& s = System();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (auto& [thread, q] : s.queues) {
        auto it = std::find_if(q->timers.begin(), q->timers.end(),
                               [&](const Timer& t) { return t.window == window && t.id == id; });
        if (it != q->timers.end()) {
            q->timers.erase(it);
            // A WM_TIMER already taken but not dispatched is the caller's;
            // nothing more comes.
            return TRUE;
        }
    }
    return FALSE;
}

} // namespace platform
