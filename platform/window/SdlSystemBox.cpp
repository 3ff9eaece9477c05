#include "platform/window/SdlSystemBox.h"

#include "platform/core/DescendantProcesses.h"
#include "platform/window/TextWrap.h"
#include "platform/window/WindowTypes.h"

#include <SDL.h>

namespace platform {

std::optional<int> ShowSdlSystemBox(const SystemBoxRequest& request)
{
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (const MessageBoxButton& button : request.buttons) {
        Uint32 flags = 0;
        if (button.id == request.returnAnswer)
            flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (request.escapeAnswer == button.id)
            flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons.push_back(SDL_MessageBoxButtonData{flags, button.id, button.label.c_str()});
    }
    Uint32 boxFlags = SDL_MESSAGEBOX_INFORMATION;
    switch (request.icon & MB_ICONMASK) {
    case MB_ICONERROR: boxFlags = SDL_MESSAGEBOX_ERROR; break;
    case MB_ICONWARNING: boxFlags = SDL_MESSAGEBOX_WARNING; break;
    default: break;
    }
    const std::string fitted = FitForSystemBox(request.text);
    const SDL_MessageBoxData data{boxFlags,     nullptr, request.caption.c_str(), fitted.c_str(),
                                  static_cast<int>(buttons.size()), buttons.data(), nullptr};
    // SDL answers -1 for a box closed from its frame (unless a button has
    // that id).
    int chosen = -1;
    // SDL shows the box in a process it starts for it, which would outlive
    // a program that is killed or crashes: a frozen box, and a process
    // that holds the program's descriptors (its single-copy lock among
    // them), so that the next start finds a copy that never answers.
    const ChildrenEndWithThisThread boxEndsWithProgram;
    if (SDL_ShowMessageBox(&data, &chosen) != 0)
        return std::nullopt;
    for (const MessageBoxButton& button : request.buttons)
        if (button.id == chosen)
            return chosen;
    return request.closedAnswer;
}

} // namespace platform
