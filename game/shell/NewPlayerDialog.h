// Asks a new player's name and makes the profile: only letters and digits,
// at most ten of them. OK (or Return in the name) adds the profile to the
// list and makes it the current one; a name the list refuses (the same as
// an existing player's) brings up the error dialog and touches no file.
// Cancel is offered only when some profile exists: the first player cannot
// skip it.
//
// The profiles dialog owns it; it owns its error dialog. The profile file is
// written by whoever saves the profiles next (the profiles dialog, as soon
// as this dialog closes).
//
// Threads: the main thread.
#pragma once

#include "controls/IEditBoxMsgObserver.h"
#include "controls/KeybdMessageObserver.h"
#include "game/shell/BaseDialogImpl.h"

#include <memory>

namespace ControlLibrary {
class IButtonVO;
class IEditBoxVO;
class IStringVO;
} // namespace ControlLibrary

namespace Gamespace {

class ErrorDialog;

class NewPlayerDialog final : public BaseDialogImpl,
                              public ControlLibrary::IEditBoxMsgObserver,
                              public ControlLibrary::KeybdMessageObserver {
public:
    static constexpr char kBackground[] = "images/dialog/profiles/new_player.png";
    static constexpr char kPrompt[] = "Enter your name:";

    explicit NewPlayerDialog(ControlLibrary::DialogMessageObserver* owner);
    ~NewPlayerDialog() override;

    void LayoutControls() override;
    void OnMouseUp(uint32_t id, int32_t button) override;
    // Shown, or back from the error dialog: an empty name to type, OK off.
    void OnDialogShown(uint32_t dialogId, bool shown) override;

    // ---- the name entry ----
    void OnTextChanged(uint32_t id) override;
    // Letters and digits, and only while the dialog is the one in front.
    bool AcceptChar(char character) override;
    // Return confirms as OK does, when OK is on.
    void OnKeyDown(uint32_t id, uint32_t key) override;

    ControlLibrary::IButtonVO* OkButton() const { return okButton_; }
    ControlLibrary::IButtonVO* CancelButton() const { return cancelButton_; }
    ControlLibrary::IEditBoxVO* NameEntry() const { return nameEntry_; }
    // Made at the first call.
    ErrorDialog& GetErrorDialog();
    void CloseErrorDialog();

private:
    void Confirm();
    // Visible, and no dialog (its error dialog) in front of it.
    bool InFront() const;

    ControlLibrary::IButtonVO* okButton_ = nullptr;
    ControlLibrary::IButtonVO* cancelButton_ = nullptr;
    ControlLibrary::IStringVO* prompt_ = nullptr;
    ControlLibrary::IEditBoxVO* nameEntry_ = nullptr;
    std::unique_ptr<ErrorDialog> errorDialog_;
};

} // namespace Gamespace
