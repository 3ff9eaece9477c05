// A dialog that answers keys without having the keyboard focus: it is one of
// the factory's system-input observers for as long as it lives, and Return
// acts as a click on its Return button (the close button unless the dialog
// says otherwise), Escape as a click on its Escape button (none unless the
// dialog names one).
//
// Only the dialog on top answers: it must be shown and enabled (a modal
// dialog shown above it disables it) and no other shown key dialog may lie
// above it. The factory asks every observer before it hands a key to any,
// so Return on a modal dialog never also confirms or pages the dialog it
// covers, even when closing the top one enables the covered one again.
//
// Threads: the main thread (the key dialogs alive are listed without a lock).
#pragma once

#include "controls/KeybdSysMessageObserver.h"
#include "game/shell/BaseDialogImpl.h"

namespace Gamespace {

class KeyDialog : public BaseDialogImpl, public ControlLibrary::KeybdSysMessageObserver {
public:
    static constexpr uint32_t kReturnKey = 13;
    static constexpr uint32_t kEscapeKey = 27;

    explicit KeyDialog(ControlLibrary::DialogMessageObserver* owner);
    ~KeyDialog() override;

    bool IsSysInputEnabled() final;
    // Return clicks the Return button, Escape the Escape button; other keys
    // do nothing.
    void OnSysKeyDown(uint32_t key) override;

protected:
    virtual uint32_t ReturnButtonId() const { return CloseButtonId(); }
    virtual uint32_t EscapeButtonId() const { return 0; }

private:
    // Shown, enabled, and no other shown key dialog above it.
    bool IsTopKeyDialog() const;
};

} // namespace Gamespace
