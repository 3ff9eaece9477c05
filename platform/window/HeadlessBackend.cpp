#include "platform/window/HeadlessBackend.h"

#include "platform/core/Clock.h"
#include "platform/core/Testing.h"
#include "platform/window/DrawnMessageBox.h"

#include <algorithm>

namespace platform {

int DefaultMessageBoxAnswer(UINT flags)
{
    static constexpr int kButtons[6][3] = {
        {IDOK, 0, 0},      {IDOK, IDCANCEL, 0},   {IDABORT, IDRETRY, IDIGNORE},
        {IDYES, IDNO, IDCANCEL}, {IDYES, IDNO, 0}, {IDRETRY, IDCANCEL, 0},
    };
    UINT type = flags & MB_TYPEMASK;
    if (type > 5)
        type = 0;
    const UINT which = (flags & MB_DEFMASK) >> 8;
    const int answer = which < 3 ? kButtons[type][which] : 0;
    return answer ? answer : kButtons[type][0];
}

bool IsMessageBoxButton(UINT flags, int answer)
{
    switch (flags & MB_TYPEMASK) {
    case MB_OK: return answer == IDOK;
    case MB_OKCANCEL: return answer == IDOK || answer == IDCANCEL;
    case MB_ABORTRETRYIGNORE: return answer == IDABORT || answer == IDRETRY || answer == IDIGNORE;
    case MB_YESNOCANCEL: return answer == IDYES || answer == IDNO || answer == IDCANCEL;
    case MB_YESNO: return answer == IDYES || answer == IDNO;
    case MB_RETRYCANCEL: return answer == IDRETRY || answer == IDCANCEL;
    default: return answer == IDOK;
    }
}

uint32_t HeadlessBackend::CreateNativeWindow(const NativeWindowSpec& spec)
{
    std::lock_guard<std::mutex> lock(mutex_);
    testing::NativeWindowState state;
    state.id = nextId_++;
    state.title = spec.title;
    state.x = spec.x;
    state.y = spec.y;
    state.width = spec.width;
    state.height = spec.height;
    state.topmost = spec.topmost;
    state.decorated = spec.decorated;
    windows_[state.id] = state;
    return state.id;
}

void HeadlessBackend::DestroyNativeWindow(uint32_t id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    windows_.erase(id);
}

void HeadlessBackend::SetNativeTitle(uint32_t id, const std::string& title)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = windows_.find(id); it != windows_.end())
        it->second.title = title;
}

void HeadlessBackend::SetNativeBounds(uint32_t id, int x, int y, int width, int height)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = windows_.find(id); it != windows_.end()) {
        it->second.x = x;
        it->second.y = y;
        it->second.width = width;
        it->second.height = height;
    }
}

void HeadlessBackend::ShowNative(uint32_t id, bool visible)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = windows_.find(id); it != windows_.end())
        it->second.visible = visible;
}

void HeadlessBackend::MinimizeNative(uint32_t id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = windows_.find(id); it != windows_.end())
        it->second.minimized = true;
}

void HeadlessBackend::RestoreNative(uint32_t id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = windows_.find(id); it != windows_.end())
        it->second.minimized = false;
}

void HeadlessBackend::RaiseNative(uint32_t) {}

void HeadlessBackend::CoverMonitorWith(uint32_t id, const RECT& monitor) { Place(id, monitor, false); }

void HeadlessBackend::UncoverMonitorWith(uint32_t id, const RECT& client, bool decorated)
{
    Place(id, client, decorated);
}

void HeadlessBackend::Place(uint32_t id, const RECT& area, bool decorated)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = windows_.find(id); it != windows_.end()) {
        it->second.x = area.left;
        it->second.y = area.top;
        it->second.width = area.right - area.left;
        it->second.height = area.bottom - area.top;
        it->second.decorated = decorated;
    }
}

void HeadlessBackend::PumpEvents(std::vector<InputEvent>* events) { detail::TakeInjectedEvents(events); }

// Input here is injected by the test between loop steps, so there is nothing
// to wake for: the wait is a sleep on the clock in force, which a manual
// clock turns into moving time on.
bool HeadlessBackend::WaitForEvents(DWORD milliseconds)
{
    platform::Sleep(milliseconds);
    // Input a test injected meanwhile is news, as the real back end's is.
    return detail::HasInjectedEvents();
}

void HeadlessBackend::WakeWaiter() {}

std::optional<POINT> HeadlessBackend::GlobalPointer() { return std::nullopt; }

void HeadlessBackend::WarpPointer(int, int) {}

void HeadlessBackend::CapturePointer(bool capture)
{
    std::lock_guard<std::mutex> lock(mutex_);
    captured_ = capture;
}

bool HeadlessBackend::PointerOver(uint32_t) { return detail::PointerOverSetting(); }

void HeadlessBackend::ApplyCursor(const CursorObject*, bool) {}

void HeadlessBackend::ForgetCursor(const CursorObject*) {}

bool HeadlessBackend::SetClipboardText(const std::string& utf8)
{
    if (testing::ShouldFail("SetClipboardText"))
        return false;
    detail::SetHeadlessClipboard(utf8);
    return true;
}

std::optional<std::string> HeadlessBackend::GetClipboardText() { return detail::GetHeadlessClipboard(); }

int HeadlessBackend::ShowMessageBox(const std::string& text, const std::string& caption, UINT flags, uint32_t)
{
    detail::RunWhileTheBoxIsUp();
    testing::RecordedBox box{"MessageBox", caption, text, {}, flags, 0};
    if (std::unique_ptr<DrawnMessageBox> drawn = DrawnMessageBox::Make(text, caption, flags)) {
        const std::unique_ptr<CaptionBand> band = CaptionBand::Make(caption);
        const DrawnWindowPicture picture(*drawn, band.get());
        box.width = picture.Width();
        box.height = picture.Height();
        box.picture = picture.Pixels();
    }
    testing::ScriptedAnswer scripted;
    box.answer = DefaultMessageBoxAnswer(flags);
    if (testing::TakeScriptedAnswer("MessageBox", &scripted))
        box.answer = static_cast<int>(scripted.value);
    detail::RecordBox(box);
    return box.answer;
}

int HeadlessBackend::ChooseFromList(const std::string& caption, const std::vector<std::string>& items, uint32_t)
{
    detail::RunWhileTheBoxIsUp();
    testing::RecordedBox box{"ListDialog", caption, {}, items, 0, -1};
    testing::ScriptedAnswer scripted;
    if (testing::TakeScriptedAnswer("ListDialog", &scripted))
        box.answer = static_cast<int>(scripted.value);
    if (box.answer < -1 || box.answer >= static_cast<int>(items.size()))
        box.answer = -1;
    detail::RecordBox(box);
    return box.answer;
}

std::optional<std::string> HeadlessBackend::EnterText(const std::string& caption, const std::string& initial,
                                                      size_t maxLength, uint32_t)
{
    detail::RunWhileTheBoxIsUp();
    testing::RecordedBox box{"TextDialog", caption, initial, {}, 0, IDCANCEL};
    testing::ScriptedAnswer scripted;
    std::optional<std::string> result;
    if (testing::TakeScriptedAnswer("TextDialog", &scripted) && scripted.value == IDOK) {
        box.answer = IDOK;
        result = scripted.text.substr(0, maxLength);
    }
    detail::RecordBox(box);
    return result;
}

bool HeadlessBackend::OpenUrl(const std::string& url)
{
    detail::RecordUrl(url);
    return true;
}

DesktopMode HeadlessBackend::Desktop() { return DesktopMode{}; }

RECT HeadlessBackend::WorkArea()
{
    const DesktopMode mode = Desktop();
    return RECT{0, 0, mode.width, mode.height - 40};
}

std::vector<testing::NativeWindowState> HeadlessBackend::Windows()
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<testing::NativeWindowState> result;
    for (auto& [id, state] : windows_)
        result.push_back(state);
    return result;
}

bool HeadlessBackend::Captured()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return captured_;
}

} // namespace platform
