// The question whether to leave the game while a table runs. Its background
// carries the question; a yes and a no button answer it, and so do Return
// (yes) and Escape (no). The dialog only records the answer and closes; its
// owner, the game object, reads AnswerYes when it hears that the dialog
// closed. Each answer replaces the one before: a yes does not always quit
// (a player who cannot be saved is told so first and plays on), and a no
// after it is a no.
//
// Threads: the main thread.
#pragma once

#include "game/shell/KeyDialog.h"
#include "game/shell/YesNoDialog.h"

namespace Gamespace {

class ExitDialog final : public YesNoDialog<KeyDialog> {
public:
    static constexpr char kBackground[] = "images/dialog/exit_window.png";

    explicit ExitDialog(ControlLibrary::DialogMessageObserver* owner);

    void LayoutControls() override;

    bool AnswerYes() const { return answerYes_; }

private:
    void OnAnswer(bool yes) override { answerYes_ = yes; }

    bool answerYes_ = false;
};

} // namespace Gamespace
