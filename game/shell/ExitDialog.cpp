#include "game/shell/ExitDialog.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "game/shell/ButtonSheets.h"

namespace Gamespace {

namespace {

constexpr char kCaptionFont[] = "fonts/MonotypeCorsiva14Italics.txt";
constexpr char kTextFont[] = "fonts/Pristina18.txt";

} // namespace

ExitDialog::ExitDialog(ControlLibrary::DialogMessageObserver* owner) : KeyDialog(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(380, 250);
    ControlLibrary::IFont* captionFont = LoadFont(kCaptionFont);
    yesButton_ = AddButton(captionFont, ControlLibrary::Point{0, -5}, 108, 27);
    noButton_ = AddButton(captionFont, ControlLibrary::Point{0, -5}, 108, 27);
    if (yesButton_)
        SetButtonLook(*yesButton_, button_sheets::kYes);
    if (noButton_)
        SetButtonLook(*noButton_, button_sheets::kNo);
    LoadFont(kTextFont);
    LayoutControls();
}

void ExitDialog::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (yesButton_)
        yesButton_->SetPosition(centre.x + 80, centre.y + 55);
    if (noButton_)
        noButton_->SetPosition(centre.x - 80, centre.y + 55);
}

void ExitDialog::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    PlayClick();
    if (id == YesButtonId())
        answerYes_ = true;
    DialogObject().SetVisible(false);
}

uint32_t ExitDialog::YesButtonId() const
{
    return yesButton_ ? yesButton_->GetId() : 0;
}

uint32_t ExitDialog::NoButtonId() const
{
    return noButton_ ? noButton_->GetId() : 0;
}

} // namespace Gamespace
