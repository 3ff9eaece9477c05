// The message that a new player's name cannot be used, over the new-player
// dialog that owns it. Its Ok button closes it; the owner then clears the
// name and lets the player try again.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"

namespace ControlLibrary {
class IButtonVO;
class IStringVO;
} // namespace ControlLibrary

namespace Gamespace {

class ErrorDialog final : public BaseDialogImpl {
public:
    static constexpr char kBackground[] = "images/dialog_add_del.png";
    static constexpr char kMessage[] = "Player with this name already exist!";

    explicit ErrorDialog(ControlLibrary::DialogMessageObserver* owner);

    void LayoutControls() override;

    ControlLibrary::IButtonVO* OkButton() const { return okButton_; }

private:
    ControlLibrary::IButtonVO* okButton_ = nullptr;
    ControlLibrary::IStringVO* message_ = nullptr;
};

} // namespace Gamespace
