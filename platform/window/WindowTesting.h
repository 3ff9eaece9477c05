// Test hooks of the window service, on top of platform/core/Testing.h
// (FailNext for the named operations, ScriptAnswer for boxes and dialogs):
// input as the system would report it, a log of the messages that reach the
// windows, and what the headless back end was asked to show.
//
// Input injected here is taken by the next PeekMessage / GetMessage of the
// thread that owns the windows, exactly as SDL events would be, so it goes
// through the same translation. With the SDL back end the injected events
// are merged with the real ones.
//
// Threads: tests call these from their main thread; the log and the records
// are guarded by the service's own mutexes.
#pragma once

#include "platform/window/WindowBackend.h"
#include "platform/window/WindowTypes.h"

#include <functional>
#include <string>
#include <vector>

namespace platform::testing {

void InjectInput(const InputEvent& event);
// Shorthands; positions are client coordinates of `window`.
void InjectMouseMove(HWND window, int x, int y);
void InjectMouseButton(HWND window, int button, bool down, int x, int y); // 1 left, 2 middle, 3 right
void InjectMouseWheel(HWND window, int notches);
void InjectKey(HWND window, int vk, bool down, bool repeat = false);
void InjectText(HWND window, const std::string& utf8);
void InjectWindowEvent(HWND window, InputEvent::Kind kind, int x = 0, int y = 0);
// Whether input injected here still waits for the next pump.
bool InjectedInputPending();
// Raises a real termination signal in this process, as the system sends it
// when the session ends (the handler of the window service must be in
// place: the window service has been used).
enum class SessionEndSignal { Terminate, Hangup, Interrupt };
void RaiseSessionEndSignal(SessionEndSignal which);
// A run of the program that follows another in the same process starts as
// a new process does: no termination signal noted yet (the first of a kind
// asks the program to end, a second one ends it at once).
void ForgetSessionEndSignals();

// Every message that reaches a window while the log lives: posted into a
// queue (by anyone, input included), sent (straight to the procedure) or
// dispatched (taken from the queue and handed to the procedure).
class MessageLog {
public:
    enum class Route { Posted, Sent, Dispatched };
    struct Entry {
        Route route;
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    MessageLog();
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    std::vector<Entry> Entries() const;
    // Entries of one route, optionally one message only (0: all).
    std::vector<Entry> Filter(Route route, UINT message = 0) const;
    void Clear();

private:
    friend void RecordMessage(Route, HWND, UINT, WPARAM, LPARAM);
    std::vector<Entry> entries_; // guarded by the log mutex
};
void RecordMessage(MessageLog::Route route, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether the real pointer is over our window (not covered by another
// program); true by default. Read by WindowFromPoint.
void SetPointerOverWindow(bool over);

// The headless back end runs `action` while the next box or dialog it
// shows is up (before it is answered), as a person acting meanwhile: input
// injected there reaches the program as it would under a real box.
void WhileTheNextBoxIsUp(std::function<void()> action);

// What the headless back end was asked to show.
struct RecordedBox {
    std::string kind;    // "MessageBox", "ListDialog", "TextDialog"
    std::string caption; // UTF-8
    std::string text;    // message text, or the initial text of an entry
    std::vector<std::string> items; // list entries
    UINT flags = 0;
    int answer = 0;
    // A message box as the program draws it where no window manager frames
    // it (its caption on it): width x height pixels 0xAARRGGBB; empty
    // without a font.
    int width = 0;
    int height = 0;
    std::vector<uint32_t> picture{};
};
std::vector<RecordedBox> RecordedBoxes();
std::vector<std::string> OpenedUrls();
// The headless clipboard as UTF-8.
std::string HeadlessClipboard();
// Native windows the headless back end holds, with their visibility.
struct NativeWindowState {
    uint32_t id = 0;
    std::string title;
    int x = 0, y = 0, width = 0, height = 0;
    bool visible = false;
    bool minimized = false;
    bool topmost = false;
    bool decorated = true;
};
std::vector<NativeWindowState> NativeWindows();
bool PointerCaptured();

// Forgets every window, class, queue, timer, registered message, cursor and
// back end, as at process start (between tests in one process).
void ResetWindowSystem();

} // namespace platform::testing
