#include "game/shell/ProfilesDialog.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "game/shell/ButtonSheets.h"
#include "game/shell/DeletePlayerDialog.h"
#include "game/shell/NewPlayerDialog.h"
#include "game/shell/ProfileDialogLooks.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ProfileSaving.h"

#include <algorithm>

namespace Gamespace {

namespace {

constexpr char kNameImage[] = "images/dialog/pl_name_cover.png";
using ControlLibrary::RGB;

constexpr RGB kOtherNameColour{255, 255, 255};
constexpr ControlLibrary::RGB kHoverColour{255, 255, 128};
constexpr ControlLibrary::RGB kPressedColour{203, 203, 192};
constexpr ControlLibrary::RGB kBlack{0, 0, 0};
// From the dialog's middle.
constexpr std::array<int32_t, ProfilesDialog::kNameButtons> kNameDy{-133, -75, -15, 42};

} // namespace

ProfilesDialog::ProfilesDialog(ControlLibrary::DialogMessageObserver* owner) : KeyDialog(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    ControlLibrary::IFont* captionFont = LoadFont(profile_looks::kCaptionFont);
    newButton_ = AddButton(captionFont, ControlLibrary::Point{0, -5}, button_sheets::kNew);
    deleteButton_ = AddButton(captionFont, ControlLibrary::Point{0, -5}, button_sheets::kDelete);
    okButton_ = AddButton(captionFont, ControlLibrary::Point{0, -5}, button_sheets::kOk);
    ControlLibrary::IFont* nameFont = LoadFont(profile_looks::kNameFont);
    for (ControlLibrary::IButtonVO*& button : nameButtons_) {
        button = AddButton(captionFont, ControlLibrary::Point{0, -5}, kNameImage, Frames(0, {0, 0, 0, 0}, 250, 30),
                           250, 30);
        if (button)
            button->SetFonts({nameFont, nullptr, nullptr, nullptr});
    }
    newPlayerDialog_ = std::make_unique<NewPlayerDialog>(this);
    // The question before deleting a player is made when first asked.
}

ProfilesDialog::~ProfilesDialog() = default;

DeletePlayerDialog& ProfilesDialog::GetDeletePlayerDialog()
{
    if (!deletePlayerDialog_)
        deletePlayerDialog_ = std::make_unique<DeletePlayerDialog>(this);
    return *deletePlayerDialog_;
}

void ProfilesDialog::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    const int32_t bottom = int32_t(DialogObject().GetScreenRect().h);
    for (size_t i = 0; i < nameButtons_.size(); ++i)
        if (nameButtons_[i])
            nameButtons_[i]->SetPosition(centre.x, centre.y + kNameDy[i]);
    if (deleteButton_)
        deleteButton_->SetPosition(centre.x - 70, centre.y + 125);
    if (newButton_)
        newButton_->SetPosition(centre.x + 70, centre.y + 125);
    if (okButton_)
        okButton_->SetPosition(centre.x, bottom - 25);
}

void ProfilesDialog::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    const auto named = std::find_if(nameButtons_.begin(), nameButtons_.end(),
                                     [id](ControlLibrary::IButtonVO* b) { return b && b->GetId() == id; });
    const bool known = named != nameButtons_.end() || (newButton_ && id == newButton_->GetId()) ||
                       (deleteButton_ && id == deleteButton_->GetId()) || (okButton_ && id == okButton_->GetId());
    if (!known)
        return;
    PlayClick();
    if (newButton_ && id == newButton_->GetId()) {
        newPlayerDialog_->Show(true);
    } else if (deleteButton_ && id == deleteButton_->GetId()) {
        GetDeletePlayerDialog().Show(true);
    } else if (okButton_ && id == okButton_->GetId()) {
        DialogObject().SetVisible(false);
    } else if (Profile* chosen = ProfileList::Instance()->At(size_t(named - nameButtons_.begin()))) {
        chosen->SetActive(true);
        ColourNames();
    }
}

uint32_t ProfilesDialog::ReturnButtonId() const
{
    return okButton_ ? okButton_->GetId() : 0;
}

void ProfilesDialog::OnDialogShown(uint32_t dialogId, bool shown)
{
    if (closing_)
        return;
    const bool opened = dialogId == GetId() && shown;
    const bool backFromDialog =
        !shown && (dialogId == newPlayerDialog_->GetId() ||
                   (deletePlayerDialog_ && dialogId == deletePlayerDialog_->GetId()));
    if (opened || backFromDialog)
        Rebuild();
}

void ProfilesDialog::Close()
{
    // From the top down, as the modal dialogs stand; none of them asks for
    // a new player on the way.
    closing_ = true;
    newPlayerDialog_->CloseErrorDialog();
    newPlayerDialog_->Show(false);
    if (deletePlayerDialog_)
        deletePlayerDialog_->Show(false);
    Show(false);
    closing_ = false;
}

void ProfilesDialog::Rebuild()
{
    ProfileList& list = *ProfileList::Instance();
    SaveAllProfiles(list);
    // The names go first: the last player deleted must not stay listed
    // behind the new-player dialog.
    for (size_t i = 0; i < nameButtons_.size(); ++i) {
        ControlLibrary::IButtonVO* button = nameButtons_[i];
        if (!button)
            continue;
        const Profile* profile = i < list.Count() ? list.At(i) : nullptr;
        button->SetEnabled(profile != nullptr);
        button->SetCaption(profile ? profile->name : std::string());
    }
    if (list.Count() == 0) {
        newPlayerDialog_->Show(true);
        return;
    }
    ColourNames();
    if (newButton_)
        newButton_->SetEnabled(list.Count() < kNameButtons);
}

void ProfilesDialog::ColourNames()
{
    const ProfileList& list = *ProfileList::Instance();
    for (size_t i = 0; i < nameButtons_.size() && i < list.Count(); ++i)
        if (nameButtons_[i]) {
            const RGB name = list.At(i)->active != 0 ? profile_looks::kCurrentNameColour : kOtherNameColour;
            // A name is disabled only while a dialog stands over the chooser;
            // it keeps its colour, black on the dark slot could not be read.
            nameButtons_[i]->SetTextColours({name, kHoverColour, kPressedColour, name, kBlack});
        }
}

} // namespace Gamespace
