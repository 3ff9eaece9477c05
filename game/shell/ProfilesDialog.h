// The start screen's player chooser: up to four players by name, the current
// one in gold; a click on a name makes that player the current one. New
// opens the new-player dialog, Delete the delete-player dialog; OK, Return
// and Escape close it.
//
// Each time it is shown, and each time one of its two dialogs closes, every
// profile is saved to its file and the names are listed afresh; with no
// profile at all, the new-player dialog opens by itself. A fifth profile (a
// file put in the profile folder by hand) is kept but has no name button here.
//
// Threads: the main thread.
#pragma once

#include "game/shell/KeyDialog.h"

#include <array>
#include <memory>

namespace ControlLibrary {
class IButtonVO;
}

namespace Gamespace {

class DeletePlayerDialog;
class NewPlayerDialog;

class ProfilesDialog final : public KeyDialog {
public:
    static constexpr char kBackground[] = "images/dialog/profiles/profiles.png";
    static constexpr size_t kNameButtons = 4;

    // The owner gives the dialog its size.
    explicit ProfilesDialog(ControlLibrary::DialogMessageObserver* owner);
    ~ProfilesDialog() override;

    void LayoutControls() override;
    void OnMouseUp(uint32_t id, int32_t button) override;
    void OnDialogShown(uint32_t dialogId, bool shown) override;
    // Closes its own dialogs first, then itself, without asking for a new
    // player on the way (the owner leaves the screen).
    void Close();

    ControlLibrary::IButtonVO* NewButton() const { return newButton_; }
    ControlLibrary::IButtonVO* DeleteButton() const { return deleteButton_; }
    ControlLibrary::IButtonVO* OkButton() const { return okButton_; }
    ControlLibrary::IButtonVO* NameButton(size_t i) const { return nameButtons_[i]; }
    NewPlayerDialog& GetNewPlayerDialog() const { return *newPlayerDialog_; }
    // Made at the first call.
    DeletePlayerDialog& GetDeletePlayerDialog();

protected:
    // Return and Escape: OK.
    uint32_t ReturnButtonId() const override;
    uint32_t EscapeButtonId() const override { return ReturnButtonId(); }

private:
    // Saves every profile, then lists the names (or asks for the first).
    void Rebuild();
    void ColourNames();

    ControlLibrary::IButtonVO* newButton_ = nullptr;
    ControlLibrary::IButtonVO* deleteButton_ = nullptr;
    ControlLibrary::IButtonVO* okButton_ = nullptr;
    std::array<ControlLibrary::IButtonVO*, kNameButtons> nameButtons_{};
    std::unique_ptr<NewPlayerDialog> newPlayerDialog_;
    std::unique_ptr<DeletePlayerDialog> deletePlayerDialog_;
    bool closing_ = false;
};

} // namespace Gamespace
