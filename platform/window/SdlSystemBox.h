// SDL's own message box, which the program shows only where it cannot draw
// one itself (no font to draw with, a box asked for on another thread than
// the windows'), so it is the last resort. On X11 it runs in a process SDL
// starts for it, which the system ends with the program, however that
// ends. Its text is fitted first (TextWrap's FitForSystemBox): SDL's box
// grows past the screen with a long line or many lines.
//
// Threads: any (SDL allows its box on any thread). While SDL starts the
// box's process no fork-unsafe work runs on another thread (ForkQuiet.h):
// the box waits for work under way, and work about to begin waits for the
// box.
#pragma once

#include "platform/core/Types.h"
#include "platform/window/DrawnMessageBox.h"

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct SystemBoxRequest {
    std::string caption; // UTF-8
    std::string text;    // UTF-8
    std::vector<MessageBoxButton> buttons;
    // The answers of Return, of Escape, and of the box closed from its
    // frame (which SDL cannot refuse).
    int returnAnswer = 0;
    std::optional<int> escapeAnswer;
    int closedAnswer = 0;
    UINT icon = 0; // MB_ICON*
};

// A message box of these MB_ flags as SDL's box shows it: its buttons,
// Return on the default one, Escape on Cancel (or on the one button; a
// question has none), and the box closed from its frame, which SDL cannot
// refuse, answered as Escape, else No to a Yes/No question, else as Return.
SystemBoxRequest SystemBoxForMessage(const std::string& text, const std::string& caption, UINT flags);

// The keys that choose the request's button `id`.
struct SystemBoxKeys {
    bool returnKey = false;
    bool escapeKey = false;
};
SystemBoxKeys SystemBoxKeysFor(const SystemBoxRequest& request, int id);

// The kind of box SDL shows for the request's MB_ICON* (the picture on it).
enum class SystemBoxKind { Information, Warning, Error };
SystemBoxKind SystemBoxKindFor(const SystemBoxRequest& request);

// The answer for the button SDL reports chosen: -1, or any id the request's
// buttons do not have, is the box closed from its frame.
int SystemBoxAnswer(const SystemBoxRequest& request, int chosen);

// The answer chosen; nothing when the box could not show.
std::optional<int> ShowSdlSystemBox(const SystemBoxRequest& request);

} // namespace platform
