// A question the player answers yes or no: the exit question, the
// delete-player question, the re-buy and add-on question. It stands on any
// dialog of the shell that answers keys (a KeyDialog, or the table's
// banner), which gives it its look; the two answer buttons are that look's,
// named by SetAnswerButtons.
//
// A click on either plays the click, hands the answer to the dialog
// (OnAnswer: what the answer does, or what it keeps for its owner) and
// closes it; Return clicks yes and Escape clicks no unless the dialog says
// otherwise. The owner learns of the answer when it hears that the dialog
// closed.
//
// Threads: the main thread.
#pragma once

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"

#include <cstdint>

namespace Gamespace {

template <class Look> class YesNoDialog : public Look {
public:
    uint32_t YesButtonId() const { return yes_ ? yes_->GetId() : 0; }
    uint32_t NoButtonId() const { return no_ ? no_->GetId() : 0; }

    // Yes or no answers and closes; any other id does nothing.
    void OnMouseUp(uint32_t id, int32_t /*button*/) override
    {
        if (id == 0 || (id != YesButtonId() && id != NoButtonId()))
            return;
        this->PlayClick();
        OnAnswer(id == YesButtonId());
        this->DialogObject().SetVisible(false);
    }

protected:
    using Look::Look;

    // The look's buttons that answer (either may be null: it could not be made).
    void SetAnswerButtons(ControlLibrary::IButtonVO* yes, ControlLibrary::IButtonVO* no)
    {
        yes_ = yes;
        no_ = no;
    }
    ControlLibrary::IButtonVO* YesButton() const { return yes_; }
    ControlLibrary::IButtonVO* NoButton() const { return no_; }

    // Called on every answer, before the dialog closes.
    virtual void OnAnswer(bool yes) = 0;

    uint32_t ReturnButtonId() const override { return YesButtonId(); }
    uint32_t EscapeButtonId() const override { return NoButtonId(); }

private:
    ControlLibrary::IButtonVO* yes_ = nullptr;
    ControlLibrary::IButtonVO* no_ = nullptr;
};

} // namespace Gamespace
