// The rules page: a full-screen page with the title "Game rules.", the rules
// of the game in a text box, and an OK button that closes it. The in-game
// menu opens it. It takes no keys.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"

namespace ControlLibrary {
class IButtonVO;
class IStringVO;
class ITextBoxVO;
} // namespace ControlLibrary

namespace Gamespace {

class RulesDlg final : public BaseDialogImpl {
public:
    static constexpr char kBackground[] = "images/game_fon/fon_game_rules.jpg";
    static constexpr char kTitle[] = "Game rules.";

    explicit RulesDlg(ControlLibrary::DialogMessageObserver* owner);

    void LayoutControls() override;

    ControlLibrary::IButtonVO* OkButton() const { return okButton_; }
    ControlLibrary::ITextBoxVO* TextBox() const { return textBox_; }

private:
    ControlLibrary::IButtonVO* okButton_ = nullptr;
    ControlLibrary::IStringVO* title_ = nullptr;
    ControlLibrary::ITextBoxVO* textBox_ = nullptr;
};

} // namespace Gamespace
