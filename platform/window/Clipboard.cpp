#include "platform/window/Clipboard.h"

#include "platform/core/Thread.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowBackend.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

struct GlobalObject {
    std::vector<unsigned char> bytes;
    int locks = 0;
};

namespace {

struct ClipboardState {
    std::mutex mutex;
    uint32_t openBy = 0;                                  // thread id; 0 = closed
    std::vector<std::unique_ptr<GlobalObject>> handedOut; // freed at close
    // Blocks given to SetClipboardData belong to the clipboard until it is
    // emptied; one block may be given for several formats.
    std::vector<std::unique_ptr<GlobalObject>> owned;
};

void TakeOwnership(ClipboardState& s, HGLOBAL block)
{
    for (const auto& b : s.owned) {
        if (b.get() == block)
            return;
    }
    s.owned.emplace_back(block);
}

ClipboardState& State()
{
    static ClipboardState state;
    return state;
}

bool OpenedByMe(ClipboardState& s) { return s.openBy != 0 && s.openBy == CurrentThreadId(); }

HGLOBAL HandOut(ClipboardState& s, const void* data, size_t size)
{
    auto block = std::make_unique<GlobalObject>();
    block->bytes.assign(static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + size);
    HGLOBAL handle = block.get();
    s.handedOut.push_back(std::move(block));
    return handle;
}

} // namespace

HGLOBAL GlobalAlloc(UINT, size_t bytes)
{
    auto* block = new GlobalObject;
    block->bytes.assign(bytes > 0 ? bytes : 1, 0);
    return block;
}

void* GlobalLock(HGLOBAL block)
{
    if (!block)
        return nullptr;
    ++block->locks;
    return block->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL block)
{
    if (!block || block->locks == 0)
        return FALSE;
    --block->locks;
    return block->locks > 0 ? TRUE : FALSE;
}

size_t GlobalSize(HGLOBAL block) { return block ? block->bytes.size() : 0; }

HGLOBAL GlobalFree(HGLOBAL block)
{
    delete block;
    return nullptr;
}

BOOL OpenClipboard(HWND)
{
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.openBy != 0 && s.openBy != CurrentThreadId())
        return FALSE;
    s.openBy = CurrentThreadId();
    return TRUE;
}

BOOL CloseClipboard()
{
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!OpenedByMe(s))
        return FALSE;
    s.openBy = 0;
    s.handedOut.clear();
    return TRUE;
}

BOOL EmptyClipboard()
{
    {
        ClipboardState& s = State();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!OpenedByMe(s))
            return FALSE;
        s.owned.clear();
    }
    GetWindowBackend().SetClipboardText("");
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data)
{
    auto* block = static_cast<HGLOBAL>(data);
    {
        ClipboardState& s = State();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!OpenedByMe(s) || !block)
            return nullptr;
    }
    std::string utf8;
    if (format == CF_TEXT || format == CF_OEMTEXT) {
        const auto* chars = reinterpret_cast<const char*>(block->bytes.data());
        utf8 = Windows1252ToUtf8(std::string_view(chars, strnlen(chars, block->bytes.size())));
    } else if (format == CF_UNICODETEXT) {
        const size_t count = block->bytes.size() / sizeof(wchar_t);
        std::wstring wide(count, L'\0');
        std::memcpy(wide.data(), block->bytes.data(), count * sizeof(wchar_t));
        wide.resize(std::wcslen(wide.c_str()));
        utf8 = WideToUtf8(wide);
    } else if (format != CF_LOCALE) {
        return nullptr;
    }
    if (format != CF_LOCALE && !GetWindowBackend().SetClipboardText(utf8))
        return nullptr;
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    TakeOwnership(s, block);
    return data;
}

HANDLE GetClipboardData(UINT format)
{
    {
        ClipboardState& s = State();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!OpenedByMe(s))
            return nullptr;
    }
    const std::optional<std::string> text = GetWindowBackend().GetClipboardText();
    if (!text || text->empty())
        return nullptr;
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (format == CF_TEXT || format == CF_OEMTEXT) {
        const std::string narrow = Utf8ToWindows1252(*text);
        return HandOut(s, narrow.c_str(), narrow.size() + 1);
    }
    if (format == CF_UNICODETEXT) {
        const std::wstring wide = Utf8ToWide(*text);
        return HandOut(s, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    }
    return nullptr;
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    if (format != CF_TEXT && format != CF_OEMTEXT && format != CF_UNICODETEXT)
        return FALSE;
    const std::optional<std::string> text = GetWindowBackend().GetClipboardText();
    return text && !text->empty() ? TRUE : FALSE;
}

bool PutClipboardText(const std::string& windows1252)
{
    return GetWindowBackend().SetClipboardText(Windows1252ToUtf8(windows1252));
}

std::optional<std::string> TakeClipboardText()
{
    const std::optional<std::string> text = GetWindowBackend().GetClipboardText();
    if (!text)
        return std::nullopt;
    return Utf8ToWindows1252(*text);
}

} // namespace platform
