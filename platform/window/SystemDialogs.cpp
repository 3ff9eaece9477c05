#include "platform/window/SystemDialogs.h"

#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/window/DrawnMessageBox.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/Window.h"
#include "platform/window/WindowBackend.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

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

int ShowBox(HWND owner, const std::string& text, const std::string& caption, UINT flags)
{
    // Whoever started the program from a terminal reads every box there
    // too, at once: a box may wait long for its answer, and may not show.
    WriteToStandardError(text, caption);
    WindowBackend& backend = GetWindowBackend();
    if (!testing::ShouldFail("MessageBox"))
        if (const int answer = backend.ShowMessageBox(text, caption, flags))
            return answer;
    // The system's box could not be shown (SDL's box wants an X core font,
    // the desktop's dialog program may be missing): the program draws one
    // itself, in front of its window, so that a player who started it from
    // a menu still reads it.
    if (testing::ShouldFail("DrawnMessageBox"))
        return 0;
    std::unique_ptr<DrawnMessageBox> box = DrawnMessageBox::Make(text, caption, flags);
    return box ? backend.ShowDrawnMessageBox(*box, owner ? NativeWindowId(owner) : 0) : 0;
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

int ChooseFromList(HWND, const std::string& caption, const std::vector<std::string>& items)
{
    std::vector<std::string> shown;
    shown.reserve(items.size());
    for (const std::string& item : items)
        shown.push_back(Windows1252ToUtf8(item));
    const int chosen = GetWindowBackend().ChooseFromList(Windows1252ToUtf8(caption), shown);
    return chosen >= 0 && chosen < static_cast<int>(items.size()) ? chosen : -1;
}

std::optional<std::string> EnterText(HWND, const std::string& caption, const std::string& initial, size_t maxLength)
{
    std::optional<std::string> text =
        GetWindowBackend().EnterText(Windows1252ToUtf8(caption), Windows1252ToUtf8(initial), maxLength);
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
