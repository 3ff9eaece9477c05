#include "game/shell/AmountDlg.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IEditBoxVO.h"
#include "controls/IFactory.h"
#include "common/TextHelpers.h"

#include <limits>

namespace Gamespace {

namespace {

constexpr char kFont[] = "fonts/a_BosaNova14.txt";
constexpr uint16_t kEntryLayer = 150;

} // namespace

AmountDlg::AmountDlg(ControlLibrary::DialogMessageObserver* owner, const Look& look) : KeyDialog(owner), look_(look)
{
    DialogObject().SetBackgroundImage(look_.background);
    DialogObject().SetSize(look_.width, look_.height);
    font_ = LoadFont(kFont);
    confirmButton_ = AddCaptionButton(font_, look_.confirmCaption);
    cancelButton_ = AddCaptionButton(font_, look_.cancelCaption);
    entry_ = Factory().CreateEditBoxVO();
    if (entry_) {
        entry_->SetLayer(kEntryLayer);
        entry_->AddEditObserver(this);
        entry_->SetSize(150, 40);
        entry_->SetAlignment(1, 1);
        if (font_)
            entry_->SetFont(font_);
        // The background has the field.
        entry_->SetFaceHidden(true);
        entry_->SetTextColour(look_.entryColour);
        AddChild(entry_);
    }
}

void AmountDlg::SetLimits(double cap, double currentBet, double minBet)
{
    cap_ = cap;
    currentBet_ = currentBet;
    minBet_ = minBet;
}

void AmountDlg::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (entry_)
        entry_->SetPosition(centre.x + look_.entry.x, centre.y + look_.entry.y);
    if (confirmButton_)
        confirmButton_->SetPosition(centre.x + look_.confirm.x, centre.y + look_.confirm.y);
    if (cancelButton_)
        cancelButton_->SetPosition(centre.x + look_.cancel.x, centre.y + look_.cancel.y);
    LayoutLabels(centre);
}

uint16_t AmountDlg::DigitCount(double cap)
{
    uint16_t digits = 1;
    for (int64_t whole = WholeDollars(cap); whole >= 10; whole /= 10)
        ++digits;
    return digits;
}

uint64_t AmountDlg::DigitsValue(const std::string& text)
{
    constexpr uint64_t kMost = std::numeric_limits<uint64_t>::max();
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (kMost - digit) / 10)
            return kMost;
        value = value * 10 + digit;
    }
    return value;
}

uint64_t AmountDlg::Typed() const
{
    std::string text;
    if (entry_)
        entry_->GetText(text);
    return DigitsValue(text);
}

double AmountDlg::Room() const
{
    return cap_ - currentBet_;
}

void AmountDlg::OnDialogShown(uint32_t dialogId, bool shown)
{
    if (dialogId != GetId() || !shown || !entry_)
        return;
    entry_->SetFocus(true);
    amount_ = 0.0;
    confirmed_ = false;
    // As many digits as the cap's whole part has: "%g" text of a cap of a
    // million or more ("1e+06") would allow too few, one with a fraction too
    // many.
    entry_->SetMaxLength(DigitCount(cap_));
    // Offered, not imposed: the first digit typed replaces it.
    entry_->ProposeText(minBet_ <= cap_ ? std::to_string(WholeDollars(minBet_)) : look_.startBeyondCap);
    OnTextChanged(entry_->GetId());
}

bool AmountDlg::AcceptChar(char character)
{
    if (character < '0' || character > '9' || !entry_)
        return false;
    std::string text;
    if (!entry_->IsTextProposed())
        entry_->GetText(text);
    return static_cast<double>(DigitsValue(text + character)) <= Room();
}

void AmountDlg::OnTextChanged(uint32_t /*id*/)
{
    const uint64_t x = Typed();
    if (confirmButton_)
        confirmButton_->SetEnabled(x > 0 && static_cast<double>(x) <= Room());
    ShowTyped(x);
}

void AmountDlg::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    if (id == 0)
        return;
    if (id == ConfirmButtonId()) {
        if (!confirmButton_->IsEnabled())
            return;
        PlayClick();
        confirmed_ = true;
        amount_ = AmountFor(Typed());
        DialogObject().SetVisible(false);
    } else if (id == CancelButtonId()) {
        PlayClick();
        DialogObject().SetVisible(false);
    }
}

uint32_t AmountDlg::ConfirmButtonId() const
{
    return confirmButton_ ? confirmButton_->GetId() : 0;
}

uint32_t AmountDlg::CancelButtonId() const
{
    return cancelButton_ ? cancelButton_->GetId() : 0;
}

} // namespace Gamespace
