// What the open and the raise amount dialogs share: in pot-limit and
// no-limit games the human types the amount of an opening bet (OpenDlg) or
// of a raise (OpenRaiseDlg). The owner, the human action strip, gives the
// limits (SetAmounts), shows the dialog, and when it hears that the dialog
// closed with its confirm button reads the amount.
//
// The entry takes digits only. The typed number x may run from 1 to the cap
// less the table's current bet; a digit that would carry it further is
// refused, and the entry holds no more digits than the cap has. Every show
// proposes the table's minimum bet afresh: the first digit typed takes its
// place, Backspace edits it. Return confirms (while the confirm button is
// enabled), Escape closes; the dialog is modal, so it is the one key dialog
// that answers while it is shown.
//
// Threads: the main thread.
#pragma once

#include "controls/IEditBoxMsgObserver.h"
#include "controls/RGB.h"
#include "game/shell/KeyDialog.h"

#include <cstdint>
#include <string>

namespace ControlLibrary {
class IButtonVO;
class IEditBoxVO;
class IFont;
} // namespace ControlLibrary

namespace Gamespace {

class AmountDlg : public KeyDialog, public ControlLibrary::IEditBoxMsgObserver {
public:
    // Where and how one of the twins shows itself.
    struct Look {
        uint32_t width;
        uint32_t height;
        const char* background;
        ControlLibrary::Point entry;    // from the middle
        ControlLibrary::Point confirm;
        ControlLibrary::Point cancel;
        ControlLibrary::RGB entryColour;
        const char* confirmCaption;
        const char* cancelCaption;
        // The entry's start when the minimum bet lies beyond the cap.
        const char* startBeyondCap;
    };

    // Set by the confirm button just before the dialog closes; false after
    // any other close.
    bool IsConfirmed() const { return confirmed_; }
    // What the owner reports: the open's whole bet or the chips a raise puts in.
    double GetAmount() const { return amount_; }
    // The highest total the human may reach, as the owner gave it.
    double GetCap() const { return cap_; }

    void OnMouseUp(uint32_t id, int32_t button) override;
    void OnDialogShown(uint32_t dialogId, bool shown) override;
    void OnTextChanged(uint32_t id) override;
    bool AcceptChar(char character) override;

    uint32_t ConfirmButtonId() const;
    uint32_t CancelButtonId() const;
    ControlLibrary::IEditBoxVO* Entry() const { return entry_; }
    // How many decimal digits the whole part of `cap` has (1 for 0 and below).
    static uint16_t DigitCount(double cap);
    // The whole number the digits of `text` make, saturating.
    static uint64_t DigitsValue(const std::string& text);

protected:
    AmountDlg(ControlLibrary::DialogMessageObserver* owner, const Look& look);

    // Return: confirm (while the button is enabled); Escape: close.
    uint32_t ReturnButtonId() const override { return ConfirmButtonId(); }
    uint32_t EscapeButtonId() const override { return CancelButtonId(); }

    void LayoutControls() override;
    // The twins' own children, placed from the dialog's middle.
    virtual void LayoutLabels(ControlLibrary::Point /*centre*/) {}
    // The typed number changed to `x`.
    virtual void ShowTyped(uint64_t /*x*/) {}
    // What the confirm reports for the typed number `x`.
    virtual double AmountFor(uint64_t x) const = 0;

    ControlLibrary::IFont* DialogFont() const { return font_; }
    void SetLimits(double cap, double currentBet, double minBet);
    double CurrentBet() const { return currentBet_; }

private:
    uint64_t Typed() const;
    // The highest number the entry may hold: the cap less the current bet.
    double Room() const;

    Look look_;
    ControlLibrary::IFont* font_ = nullptr;
    ControlLibrary::IButtonVO* confirmButton_ = nullptr;
    ControlLibrary::IButtonVO* cancelButton_ = nullptr;
    ControlLibrary::IEditBoxVO* entry_ = nullptr;
    double cap_ = 0.0;
    double currentBet_ = 0.0;
    double minBet_ = 0.0;
    double amount_ = 0.0;
    bool confirmed_ = false;
};

} // namespace Gamespace
