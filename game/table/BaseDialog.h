// What the table and the players need of a game dialog: show or close it, and
// tell it apart from the others by the id of its dialog object, which is what
// ControlLibrary::DialogMessageObserver::OnDialogShown brings to its owner.
// The shell's dialogs implement it over a ControlLibrary::IDialogVO, once for
// all of them, so the dialog interfaces derive from it virtually.
//
// Threads: the main thread.
#pragma once

#include "controls/DialogMessageObserver.h"
#include "controls/MouseMessageObserver.h"

#include <cstdint>

namespace Gamespace {

class BaseDialog : public ControlLibrary::MouseMessageObserver, public ControlLibrary::DialogMessageObserver {
public:
    ~BaseDialog() override = default;
    // Lays the dialog out and shows it, or closes it; either way the owner is
    // told through OnDialogShown(GetId(), show).
    virtual void Show(bool show) = 0;
    virtual bool IsVisible() const = 0;
    // The id of the dialog's visible object.
    virtual uint32_t GetId() const = 0;
};

} // namespace Gamespace
