#include "game/shell/DeletePlayerDialog.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "game/shell/ButtonSheets.h"
#include "controls/IStringVO.h"
#include "game/shell/ProfileDialogLooks.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ProfileSaving.h"

namespace Gamespace {

DeletePlayerDialog::DeletePlayerDialog(ControlLibrary::DialogMessageObserver* owner) : YesNoDialog(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(380, 250);
    ControlLibrary::IFont* captionFont = LoadFont(profile_looks::kCaptionFont);
    ControlLibrary::IButtonVO* remove = AddButton(captionFont, ControlLibrary::Point{0, -5}, button_sheets::kDelete);
    ControlLibrary::IButtonVO* cancel = AddButton(captionFont, ControlLibrary::Point{0, -5}, button_sheets::kCancel);
    for (ControlLibrary::IButtonVO* button : {remove, cancel})
        if (button)
            profile_looks::Silence(*button);
    SetAnswerButtons(remove, cancel);
    name_ = AddString(LoadFont(profile_looks::kNameFont), profile_looks::kCurrentNameColour,
                      profile_looks::kTextLayer);
    LayoutControls();
}

void DeletePlayerDialog::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (DeleteButton())
        DeleteButton()->SetPosition(centre.x + 60, centre.y + 60);
    if (CancelButton())
        CancelButton()->SetPosition(centre.x - 60, centre.y + 60);
    if (name_)
        name_->SetPosition(centre.x, centre.y + 15);
}

void DeletePlayerDialog::OnDialogShown(uint32_t /*dialogId*/, bool /*shown*/)
{
    if (name_)
        name_->SetText(ProfileList::CurrentProfile()->name);
}

void DeletePlayerDialog::OnAnswer(bool remove)
{
    if (!remove)
        return;
    // A player whose file cannot be deleted stays (and the player is told).
    DeleteCurrentProfile();
}

void DeletePlayerDialog::OnSysKeyUp(uint32_t key)
{
    if (key == kEscapeKey)
        DialogObject().SetVisible(false);
}

} // namespace Gamespace
