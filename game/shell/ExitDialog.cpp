#include "game/shell/ExitDialog.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"

namespace Gamespace {

namespace {

constexpr char kButtonImage[] = "images/btn_yes_no.png";
constexpr char kCaptionFont[] = "fonts/MonotypeCorsiva14Italics.txt";
constexpr char kTextFont[] = "fonts/Pristina18.txt";

using ControlLibrary::Rect;

constexpr std::array<Rect, 4> kYesParts{{{0, 0, 70, 50}, {0, 51, 70, 50}, {0, 102, 70, 50}, {0, 154, 70, 50}}};
constexpr std::array<Rect, 4> kNoParts{{{71, 0, 58, 50}, {71, 51, 58, 50}, {71, 102, 58, 50}, {71, 154, 58, 50}}};

} // namespace

ExitDialog::ExitDialog(ControlLibrary::DialogMessageObserver* owner) : KeyDialog(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(380, 250);
    ControlLibrary::IFont* captionFont = LoadFont(kCaptionFont);
    yesButton_ = AddButton(captionFont, ControlLibrary::Point{0, -5}, 108, 27);
    noButton_ = AddButton(captionFont, ControlLibrary::Point{0, -5}, 108, 27);
    if (yesButton_)
        SetButtonLook(*yesButton_, kButtonImage, kYesParts, 70, 50);
    if (noButton_)
        SetButtonLook(*noButton_, kButtonImage, kNoParts, 58, 50);
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

void ExitDialog::OnSysKeyDown(uint32_t key)
{
    if (key == kReturnKey)
        OnMouseUp(YesButtonId(), 1);
    else if (key == kEscapeKey)
        OnMouseUp(NoButtonId(), 1);
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
