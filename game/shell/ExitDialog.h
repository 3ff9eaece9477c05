// The question whether to leave the game while a table runs. Its background
// carries the question; a yes and a no button answer it, and so do Return
// (yes) and Escape (no). The dialog only records the answer and closes; its
// owner, the game object, reads AnswerYes when it hears that the dialog
// closed. Once yes was chosen the game quits, so the answer is never reset.
//
// Threads: the main thread.
#pragma once

#include "game/shell/KeyDialog.h"

namespace ControlLibrary {
class IButtonVO;
}

namespace Gamespace {

class ExitDialog final : public KeyDialog {
public:
    static constexpr char kBackground[] = "images/dialog/exit_window.png";

    explicit ExitDialog(ControlLibrary::DialogMessageObserver* owner);

    void LayoutControls() override;
    void OnMouseUp(uint32_t id, int32_t button) override;

    bool AnswerYes() const { return answerYes_; }
    uint32_t YesButtonId() const;
    uint32_t NoButtonId() const;

protected:
    // Return: yes; Escape: no.
    uint32_t ReturnButtonId() const override { return YesButtonId(); }
    uint32_t EscapeButtonId() const override { return NoButtonId(); }

private:
    ControlLibrary::IButtonVO* yesButton_ = nullptr;
    ControlLibrary::IButtonVO* noButton_ = nullptr;
    bool answerYes_ = false;
};

} // namespace Gamespace
