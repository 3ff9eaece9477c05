// The back end without a window system: native windows are records, input
// is what tests inject (platform/window/WindowTesting.h), message boxes and
// dialogs take their answers from platform::testing::ScriptAnswer under the
// keys "MessageBox", "ListDialog" and "TextDialog" and record what they were
// asked (a message box with its picture as the program draws it), URLs are
// recorded instead of opened, and the clipboard is a string. While a box is
// up it runs what the test gave WhileTheNextBoxIsUp.
//
// Without a scripted answer a message box answers with its default button,
// a list dialog is cancelled (-1) and a text dialog is cancelled.
//
// Threads: one mutex guards the records; any thread may call.
#pragma once

#include "platform/window/WindowBackend.h"
#include "platform/window/WindowTesting.h"

#include <map>
#include <mutex>

namespace platform {

class HeadlessBackend final : public WindowBackend {
public:
    uint32_t CreateNativeWindow(const NativeWindowSpec& spec) override;
    void DestroyNativeWindow(uint32_t id) override;
    void SetNativeTitle(uint32_t id, const std::string& title) override;
    void SetNativeBounds(uint32_t id, int x, int y, int width, int height) override;
    void ShowNative(uint32_t id, bool visible) override;
    void MinimizeNative(uint32_t id) override;
    void RestoreNative(uint32_t id) override;
    void RaiseNative(uint32_t id) override;
    void CoverMonitorWith(uint32_t id, const RECT& monitor) override;
    void UncoverMonitorWith(uint32_t id, const RECT& client, bool decorated) override;
    void PumpEvents(std::vector<InputEvent>* events) override;
    bool WaitForEvents(DWORD milliseconds) override;
    void WakeWaiter() override;
    std::optional<POINT> GlobalPointer() override;
    void WarpPointer(int x, int y) override;
    void CapturePointer(bool capture) override;
    bool PointerOver(uint32_t id) override;
    void ApplyCursor(const CursorObject* cursor, bool visible) override;
    void ForgetCursor(const CursorObject* cursor) override;
    bool SetClipboardText(const std::string& utf8) override;
    std::optional<std::string> GetClipboardText() override;
    int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags, uint32_t owner) override;
    int ChooseFromList(const std::string& caption, const std::vector<std::string>& items, uint32_t owner) override;
    std::optional<std::string> EnterText(const std::string& caption, const std::string& initial, size_t maxLength,
                                         uint32_t owner) override;
    bool OpenUrl(const std::string& url) override;
    DesktopMode Desktop() override;
    RECT WorkArea() override;

    std::vector<testing::NativeWindowState> Windows();
    bool Captured();

private:
    // The native window at `area`, with or without its frame.
    void Place(uint32_t id, const RECT& area, bool decorated);
    std::mutex mutex_;
    std::map<uint32_t, testing::NativeWindowState> windows_; // guarded by mutex_
    uint32_t nextId_ = 1;                                     // guarded by mutex_
    bool captured_ = false;                                   // guarded by mutex_
};

// The default button of a box with these MB_ flags (the answer when no
// choice is made), and whether `answer` is one of its buttons.
int DefaultMessageBoxAnswer(UINT flags);
bool IsMessageBoxButton(UINT flags, int answer);

namespace detail {
// Records shared by the headless back end and the test hooks.
void RecordBox(const testing::RecordedBox& box);
void RecordUrl(const std::string& url);
bool PointerOverSetting();
void SetHeadlessClipboard(const std::string& utf8);
std::optional<std::string> GetHeadlessClipboard();
void TakeInjectedEvents(std::vector<InputEvent>* events);
// Runs (once) what the test asked to do while the next box is up.
void RunWhileTheBoxIsUp();
// Input injected and not yet taken: it ends a wait for messages at once, as
// the display's events do when they come.
bool HasInjectedEvents();
void ResetHeadlessRecords();
} // namespace detail

} // namespace platform
