#include "platform/window/SdlSystemBox.h"

#include "platform/core/DescendantProcesses.h"
#include "platform/core/ForkQuiet.h"
#include "platform/window/HeadlessBackend.h"
#include "platform/window/TextWrap.h"
#include "platform/window/WindowTypes.h"

#include <SDL.h>

namespace platform {

SystemBoxRequest SystemBoxForMessage(const std::string& text, const std::string& caption, UINT flags)
{
    SystemBoxRequest request;
    request.caption = caption;
    request.text = text;
    request.buttons = MessageBoxButtonsFor(flags);
    request.returnAnswer = DefaultMessageBoxAnswer(flags);
    request.escapeAnswer = MessageBoxCloseAnswer(flags);
    request.closedAnswer = request.escapeAnswer.value_or((flags & MB_TYPEMASK) == MB_YESNO ? IDNO : request.returnAnswer);
    request.icon = flags & MB_ICONMASK;
    return request;
}

SystemBoxKeys SystemBoxKeysFor(const SystemBoxRequest& request, int id)
{
    return SystemBoxKeys{id == request.returnAnswer, request.escapeAnswer == id};
}

SystemBoxKind SystemBoxKindFor(const SystemBoxRequest& request)
{
    switch (request.icon & MB_ICONMASK) {
    case MB_ICONERROR: return SystemBoxKind::Error;
    case MB_ICONWARNING: return SystemBoxKind::Warning;
    default: return SystemBoxKind::Information;
    }
}

int SystemBoxAnswer(const SystemBoxRequest& request, int chosen)
{
    for (const MessageBoxButton& button : request.buttons)
        if (button.id == chosen)
            return chosen;
    return request.closedAnswer;
}

std::optional<int> ShowSdlSystemBox(const SystemBoxRequest& request)
{
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (const MessageBoxButton& button : request.buttons) {
        const SystemBoxKeys keys = SystemBoxKeysFor(request, button.id);
        Uint32 flags = 0;
        if (keys.returnKey)
            flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (keys.escapeKey)
            flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons.push_back(SDL_MessageBoxButtonData{flags, button.id, button.label.c_str()});
    }
    Uint32 boxFlags = SDL_MESSAGEBOX_INFORMATION;
    switch (SystemBoxKindFor(request)) {
    case SystemBoxKind::Error: boxFlags = SDL_MESSAGEBOX_ERROR; break;
    case SystemBoxKind::Warning: boxFlags = SDL_MESSAGEBOX_WARNING; break;
    case SystemBoxKind::Information: break;
    }
    const std::string fitted = FitForSystemBox(request.text);
    const SDL_MessageBoxData data{boxFlags,     nullptr, request.caption.c_str(), fitted.c_str(),
                                  static_cast<int>(buttons.size()), buttons.data(), nullptr};
    // SDL answers -1 for a box closed from its frame (unless a button has
    // that id).
    int chosen = -1;
    // SDL forks the box's process and goes on there in its own code,
    // setlocale first: a lock of the C library that another thread of ours
    // held at the fork (opening the sound device, making error words) would
    // never be let go there, and the program would wait for the box
    // forever. No such work runs while the box is made (ForkQuiet.h).
    const ForkQuiet noWorkOfOursAtTheFork;
    // SDL shows the box in a process it starts for it, which would outlive
    // a program that is killed or crashes: a frozen box, and a process
    // that holds the program's descriptors (its single-copy lock among
    // them), so that the next start finds a copy that never answers.
    const ChildrenEndWithThisThread boxEndsWithProgram;
    if (SDL_ShowMessageBox(&data, &chosen) != 0)
        return std::nullopt;
    return SystemBoxAnswer(request, chosen);
}

} // namespace platform
