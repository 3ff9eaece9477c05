#include "game/shell/NewPlayerDialog.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "game/shell/ButtonSheets.h"
#include "controls/IEditBoxVO.h"
#include "controls/IFactory.h"
#include "controls/IStringVO.h"
#include "game/shell/ErrorDialog.h"
#include "game/shell/ProfileDialogLooks.h"
#include "game/shell/ProfileList.h"

namespace Gamespace {

namespace {

constexpr uint32_t kReturnKey = 13;
constexpr ControlLibrary::RGB kWhite{255, 255, 255};

} // namespace

NewPlayerDialog::NewPlayerDialog(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(365, 215);
    ControlLibrary::IFont* captionFont = LoadFont(profile_looks::kCaptionFont);
    okButton_ = AddButton(captionFont, ControlLibrary::Point{0, -5}, button_sheets::kOk);
    cancelButton_ = AddButton(captionFont, ControlLibrary::Point{0, -5}, button_sheets::kCancel);
    uint16_t tag = 1;
    for (ControlLibrary::IButtonVO* button : {okButton_, cancelButton_})
        if (button) {
            profile_looks::Silence(*button);
            button->SetTag(tag++);
        }
    // The background carries the prompt; the text stays hidden behind it.
    prompt_ = AddString(LoadFont(profile_looks::kPromptFont), profile_looks::kPromptColour, profile_looks::kTextLayer);
    if (prompt_) {
        prompt_->SetText(kPrompt);
        prompt_->SetShowWithDialog(false);
    }
    nameEntry_ = Factory().CreateEditBoxVO();
    if (nameEntry_) {
        nameEntry_->SetFont(LoadFont(profile_looks::kNameFont));
        nameEntry_->SetAlignment(1, 1);
        nameEntry_->SetLayer(profile_looks::kTextLayer);
        nameEntry_->SetColour(kWhite);
        nameEntry_->SetTextColour(profile_looks::kCurrentNameColour);
        nameEntry_->AddEditObserver(this);
        nameEntry_->AddKeybdObserver(this);
        nameEntry_->SetCaretColour(profile_looks::kCurrentNameColour);
        AddChild(nameEntry_);
        nameEntry_->SetSize(310, 33);
        nameEntry_->SetTextOffset(0, -5);
        nameEntry_->SetMaxLength(uint16_t(kMaxProfileNameLength));
        nameEntry_->SetFaceHidden(true);
    }
    // The error dialog is made when a name is first refused.
    LayoutControls();
}

NewPlayerDialog::~NewPlayerDialog() = default;

ErrorDialog& NewPlayerDialog::GetErrorDialog()
{
    if (!errorDialog_)
        errorDialog_ = std::make_unique<ErrorDialog>(this);
    return *errorDialog_;
}

void NewPlayerDialog::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    const int32_t bottom = int32_t(DialogObject().GetScreenRect().h);
    if (okButton_)
        okButton_->SetPosition(centre.x + 70, bottom - 50);
    if (cancelButton_)
        cancelButton_->SetPosition(centre.x - 70, bottom - 50);
    if (prompt_)
        prompt_->SetPosition(centre.x, centre.y - 50);
    if (nameEntry_)
        nameEntry_->SetPosition(centre.x, centre.y + 15);
}

void NewPlayerDialog::OnDialogShown(uint32_t dialogId, bool shown)
{
    const bool opened = dialogId == GetId() && shown;
    const bool backFromError = errorDialog_ && dialogId == errorDialog_->GetId() && !shown;
    if (!opened && !backFromError)
        return;
    if (nameEntry_) {
        nameEntry_->SetText("");
        nameEntry_->SetFocus(true);
    }
    if (cancelButton_)
        cancelButton_->SetEnabled(ProfileList::Instance()->Count() > 0);
    if (okButton_)
        okButton_->SetEnabled(false);
}

void NewPlayerDialog::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    if (okButton_ && id == okButton_->GetId()) {
        PlayClick();
        Confirm();
    } else if (cancelButton_ && id == cancelButton_->GetId()) {
        PlayClick();
        DialogObject().SetVisible(false);
    }
}

void NewPlayerDialog::Confirm()
{
    std::string name;
    if (nameEntry_)
        nameEntry_->GetText(name);
    auto profile = std::make_unique<Profile>();
    profile->name = name;
    if (!ProfileList::Instance()->Add(profile.get())) {
        GetErrorDialog().Show(true);
        return;
    }
    profile.release()->SetActive(true);
    DialogObject().SetVisible(false);
}

void NewPlayerDialog::OnTextChanged(uint32_t /*id*/)
{
    std::string name;
    if (nameEntry_)
        nameEntry_->GetText(name);
    if (okButton_)
        okButton_->SetEnabled(!name.empty());
}

bool NewPlayerDialog::AcceptChar(char character)
{
    return InFront() && IsProfileNameCharacter(character);
}

void NewPlayerDialog::OnKeyDown(uint32_t id, uint32_t key)
{
    // The entry keeps the keyboard while the error dialog stands in front:
    // Return then belongs to that dialog, not to OK again.
    if (!nameEntry_ || id != nameEntry_->GetId() || key != kReturnKey || !InFront())
        return;
    if (okButton_ && okButton_->IsEnabled())
        okButton_->PerformClick();
}

void NewPlayerDialog::CloseErrorDialog()
{
    if (errorDialog_)
        errorDialog_->Show(false);
}

bool NewPlayerDialog::InFront() const
{
    return IsVisible() && DialogObject().IsEnabled() && !(errorDialog_ && errorDialog_->IsVisible());
}

} // namespace Gamespace
