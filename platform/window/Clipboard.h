// The clipboard in the Win32 shape the program uses: open, empty, set or get
// text in global memory blocks, close. Texts are CF_TEXT / CF_OEMTEXT
// (Windows-1252 bytes) or CF_UNICODETEXT (the native wchar_t, as the
// program's wide strings); CF_LOCALE is accepted and ignored. The system
// clipboard holds UTF-8, converted on the way in and out.
//
// Threads: one thread opens the clipboard at a time (OpenClipboard fails for
// others until CloseClipboard); one mutex guards the open state and the
// blocks handed out by GetClipboardData.
#pragma once

#include "platform/window/WindowTypes.h"

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

// Global memory blocks: a handle whose memory GlobalLock returns.
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
void* GlobalLock(HGLOBAL block);
BOOL GlobalUnlock(HGLOBAL block);
size_t GlobalSize(HGLOBAL block);
HGLOBAL GlobalFree(HGLOBAL block); // null on success, as Windows

BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
// Takes ownership of `data` on success (the clipboard frees it when it is
// next emptied); the same block may be given for several formats.
HANDLE SetClipboardData(UINT format, HANDLE data);
// A block owned by the clipboard, valid until CloseClipboard.
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);

// The same without the ceremony (for the crash report).
bool PutClipboardText(const std::string& windows1252);
std::optional<std::string> TakeClipboardText(); // Windows-1252

} // namespace platform
