#include "platform/window/SystemDialogs.h"

#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/window/SessionEndSignals.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/Window.h"
#include "platform/window/WindowBackend.h"
#include "platform/window/WindowSystem.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

// "program: caption: text" on one line per line of the text, as a terminal
// program says what went wrong.
void WriteToStandardError(const std::string& text, const std::string& caption)
{
    const std::vector<std::string>& arguments = GetArguments();
    std::string program = arguments.empty() ? std::string() : arguments[0];
    program = program.substr(program.find_last_of('/') + 1);
    std::string line = (program.empty() ? std::string() : program + ": ") + caption + ": ";
    for (char c : text)
        if (c != '\r')
            line += c;
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    line += '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

// A box is modal, as the other platform's: the program's windows it
// stands for (its owner, and every top-level window of the thread asking)
// are disabled while it is up, so that the clicks, keys and close requests
// made on them meanwhile are dropped rather than carried out after it; what
// the system reported meanwhile is taken, and so dropped, before they are
// enabled again.
class ModalBox {
public:
    explicit ModalBox(HWND owner)
    {
        {
            detail::WindowSystem& s = detail::System();
            std::lock_guard<std::mutex> lock(s.mutex);
            const DWORD me = GetCurrentThreadId();
            for (auto& [handle, w] : s.windows) {
                const bool mine = !w->parent && w->thread == me;
                if (w->enabled && !w->destroying && (mine || detail::ToHandle(handle) == owner))
                    disabled_.push_back(detail::ToHandle(handle));
            }
        }
        for (HWND window : disabled_)
            EnableWindow(window, FALSE);
    }
    ~ModalBox()
    {
        // A session that ends is told by the next pump of the program's own.
        if (!detail::SessionEndPending())
            detail::PumpInput();
        for (HWND window : disabled_)
            EnableWindow(window, TRUE);
    }
    ModalBox(const ModalBox&) = delete;
    ModalBox& operator=(const ModalBox&) = delete;

private:
    std::vector<HWND> disabled_;
};

// The native window a box stands in front of: its owner's, or, for a box
// that names none (a damaged profile's), the program's window in front.
uint32_t NativeOwner(HWND owner)
{
    if (!owner)
        owner = detail::FirstVisibleTopLevel();
    return owner ? NativeWindowId(owner) : 0;
}

int ShowBox(HWND owner, const std::string& text, const std::string& caption, UINT flags)
{
    // Whoever started the program from a terminal reads every box there
    // too, at once: a box may wait long for its answer, and may not show.
    WriteToStandardError(text, caption);
    if (testing::ShouldFail("MessageBox"))
        return 0;
    ModalBox modal(owner);
    return GetWindowBackend().ShowMessageBox(text, caption, flags, NativeOwner(owner));
}

} // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags)
{
    return ShowBox(owner, Windows1252ToUtf8(text ? text : ""), Windows1252ToUtf8(caption ? caption : "Error"), flags);
}

int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags)
{
    return ShowBox(owner, WideToUtf8(text ? text : L""), WideToUtf8(caption ? caption : L"Error"), flags);
}

int ChooseFromList(HWND owner, const std::string& caption, const std::vector<std::string>& items)
{
    std::vector<std::string> shown;
    shown.reserve(items.size());
    for (const std::string& item : items)
        shown.push_back(Windows1252ToUtf8(item));
    ModalBox modal(owner);
    const int chosen = GetWindowBackend().ChooseFromList(Windows1252ToUtf8(caption), shown, NativeOwner(owner));
    return chosen >= 0 && chosen < static_cast<int>(items.size()) ? chosen : -1;
}

std::optional<std::string> EnterText(HWND owner, const std::string& caption, const std::string& initial,
                                     size_t maxLength)
{
    ModalBox modal(owner);
    std::optional<std::string> text = GetWindowBackend().EnterText(Windows1252ToUtf8(caption),
                                                                   Windows1252ToUtf8(initial), maxLength,
                                                                   NativeOwner(owner));
    if (!text)
        return std::nullopt;
    std::string narrow = Utf8ToWindows1252(*text);
    if (narrow.size() > maxLength)
        narrow.resize(maxLength);
    return narrow;
}

bool IsOpenableUrl(const std::string& url)
{
    size_t rest;
    if (StartsWithNoCase(url, "http://"))
        rest = 7;
    else if (StartsWithNoCase(url, "https://"))
        rest = 8;
    else
        return false;
    if (url.size() == rest || url[rest] == '/')
        return false; // no host
    for (char c : url) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F)
            return false;
    }
    return true;
}

bool OpenUrl(const std::string& url)
{
    if (!IsOpenableUrl(url))
        return false;
    if (testing::ShouldFail("OpenUrl"))
        return false;
    return GetWindowBackend().OpenUrl(url);
}

HINSTANCE ShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, int)
{
    auto result = [](int code) { return reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(code)); };
    if (!file || (verb && std::strcmp(verb, "open") != 0))
        return result(SE_ERR_NOASSOC);
    const std::string url = file;
    if (!IsOpenableUrl(url))
        return result(SE_ERR_NOASSOC);
    return OpenUrl(url) ? result(42) : result(SE_ERR_FNF);
}

} // namespace platform
