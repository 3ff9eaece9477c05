// The boxes and small dialogs the program puts in front of the user, and
// handing a web address to the browser.
//  - MessageBoxA / MessageBoxW: the MB_ button sets, icons and default
//    buttons; the answer is an ID* value (0 when no box could be shown).
//    Every box is first written to standard error, so that a person who
//    started the program from a terminal reads it there at once. The box
//    itself is the one the program draws (DrawnMessageBox), in front of its
//    window and with the keyboard; the system's only where that cannot show.
//  - ChooseFromList: a modal list to pick one entry from (the demo player's
//    marker list).
//  - EnterText: a modal one-line text entry with Ok and Cancel, opened with
//    a text that is all selected (the demo player's jump-to-time entry).
//  - ShellExecuteA with the "open" verb and OpenUrl: only http and https
//    addresses, handed over without a shell.
// Boxes and dialogs are modal: while one is up, the owner and every
// top-level window of the calling thread are disabled (WM_ENABLE), and the
// clicks, keys and close requests made on them meanwhile are dropped.
// Narrow texts are Windows-1252, as the program writes them.
//
// Headless: answers come from platform::testing::ScriptAnswer under
// "MessageBox", "ListDialog" (value: the index, -1 to cancel) and
// "TextDialog" (value IDOK with the text, or IDCANCEL), and every box is
// recorded (platform::testing::RecordedBoxes); input a test injects while
// one is up (WhileTheNextBoxIsUp) meets disabled windows.
// FailNext("MessageBox") makes a box fail to show (0); FailNext("OpenUrl")
// makes a launch fail.
//
// Threads: the main thread; a box blocks its caller until answered.
#pragma once

#include "platform/window/WindowTypes.h"

#include <optional>
#include <string>
#include <vector>

namespace platform {

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);
int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);

// The index chosen, or -1 when the dialog was closed without a choice.
int ChooseFromList(HWND owner, const std::string& caption, const std::vector<std::string>& items);
// The text confirmed with Ok (at most maxLength characters), or nothing.
std::optional<std::string> EnterText(HWND owner, const std::string& caption, const std::string& initial,
                                     size_t maxLength);

// True for an absolute http:// or https:// address without blanks or control
// characters: the only kind the program hands to the browser.
bool IsOpenableUrl(const std::string& url);
bool OpenUrl(const std::string& url);
// "open" of an openable URL: a value above 32 on success; SE_ERR_NOASSOC for
// anything else, SE_ERR_FNF when the browser could not be started.
HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, int show);

} // namespace platform
