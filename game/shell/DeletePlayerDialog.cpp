#include "game/shell/DeletePlayerDialog.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "game/shell/ButtonSheets.h"
#include "controls/IStringVO.h"
#include "game/shell/ProfileDialogLooks.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"

namespace Gamespace {

DeletePlayerDialog::DeletePlayerDialog(ControlLibrary::DialogMessageObserver* owner) : KeyDialog(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(380, 250);
    ControlLibrary::IFont* captionFont = LoadFont(profile_looks::kCaptionFont);
    deleteButton_ = AddButton(captionFont, ControlLibrary::Point{0, -5}, button_sheets::kDelete);
    cancelButton_ = AddButton(captionFont, ControlLibrary::Point{0, -5}, button_sheets::kCancel);
    for (ControlLibrary::IButtonVO* button : {deleteButton_, cancelButton_})
        if (button)
            profile_looks::Silence(*button);
    name_ = AddString(LoadFont(profile_looks::kNameFont), profile_looks::kCurrentNameColour,
                      profile_looks::kTextLayer);
    LayoutControls();
}

void DeletePlayerDialog::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (deleteButton_)
        deleteButton_->SetPosition(centre.x + 60, centre.y + 60);
    if (cancelButton_)
        cancelButton_->SetPosition(centre.x - 60, centre.y + 60);
    if (name_)
        name_->SetPosition(centre.x, centre.y + 15);
}

void DeletePlayerDialog::OnDialogShown(uint32_t /*dialogId*/, bool /*shown*/)
{
    if (name_)
        name_->SetText(ProfileList::CurrentProfile()->name);
}

void DeletePlayerDialog::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    const bool remove = deleteButton_ && id == deleteButton_->GetId();
    if (!remove && !(cancelButton_ && id == cancelButton_->GetId()))
        return;
    PlayClick();
    if (remove) {
        Profile* current = ProfileList::CurrentProfile();
        if (!ProfileList::IsDefaultProfile(current))
            DeleteProfile(ProfileList::Instance()->Remove(current));
    }
    DialogObject().SetVisible(false);
}

void DeletePlayerDialog::OnSysKeyUp(uint32_t key)
{
    if (key == kEscapeKey)
        DialogObject().SetVisible(false);
}

} // namespace Gamespace
