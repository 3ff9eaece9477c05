// SDL's own message box, which the program shows only where it cannot draw
// one itself (no font to draw with, a box asked for on another thread than
// the windows'), so it is the last resort. On X11 it runs in a process SDL
// starts for it, which the system ends with the program, however that
// ends. Its text is fitted first (TextWrap's FitForSystemBox): SDL's box
// grows past the screen with a long line or many lines.
//
// Threads: any (SDL allows its box on any thread).
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

// The answer chosen; nothing when the box could not show.
std::optional<int> ShowSdlSystemBox(const SystemBoxRequest& request);

} // namespace platform
