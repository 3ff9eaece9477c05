// Asks whether to delete the current player: shows the name, and Delete
// removes the profile from the list (the first remaining one becomes
// current) and deletes its file. Cancel and Escape leave everything as it
// was. Only a listed profile is ever deleted: while none is current, the
// stand-in default profile is, and Delete then only closes the dialog.
//
// Threads: the main thread.
#pragma once

#include "game/shell/KeyDialog.h"
#include "game/shell/YesNoDialog.h"

namespace ControlLibrary {
class IButtonVO;
class IStringVO;
} // namespace ControlLibrary

namespace Gamespace {

class DeletePlayerDialog final : public YesNoDialog<KeyDialog> {
public:
    static constexpr char kBackground[] = "images/dialog/profiles/del_player.png";

    explicit DeletePlayerDialog(ControlLibrary::DialogMessageObserver* owner);

    void LayoutControls() override;
    // Every show or close: the name shown is the current player's.
    void OnDialogShown(uint32_t dialogId, bool shown) override;
    // Escape (on release) closes without a click and without deleting.
    void OnSysKeyUp(uint32_t key) override;

    ControlLibrary::IButtonVO* DeleteButton() const { return YesButton(); }
    ControlLibrary::IButtonVO* CancelButton() const { return NoButton(); }
    ControlLibrary::IStringVO* NameText() const { return name_; }

protected:
    // Neither key clicks an answer: Return does nothing, Escape closes
    // (OnSysKeyUp).
    uint32_t ReturnButtonId() const override { return 0; }
    uint32_t EscapeButtonId() const override { return 0; }

private:
    void OnAnswer(bool remove) override;

    ControlLibrary::IStringVO* name_ = nullptr;
};

} // namespace Gamespace
