#include "game/shell/MenuDlgImpl.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IStringVO.h"
#include "game/shell/OptionsDialog.h"
#include "game/shell/ProfileList.h"
#include "game/shell/RulesDlg.h"

namespace Gamespace {

struct MenuDlgImpl::ButtonLook {
    const char* image;
    int16_t x;
    std::array<int32_t, 4> tops;
    int16_t w;
    int16_t h;
};

namespace {

using ControlLibrary::RGB;

using ButtonLook = MenuDlgImpl::ButtonLook;

const ButtonLook kLooks[MenuDlgImpl::kButtonCount] = {
    {MenuDlgImpl::kButtons, 0, {4, 60, 117, 167}, 134, 50},
    {MenuDlgImpl::kButtons, 134, {4, 60, 117, 167}, 102, 50},
    {MenuDlgImpl::kButtons, 464, {7, 61, 116, 165}, 130, 50},
    {MenuDlgImpl::kButtons, 236, {8, 63, 117, 167}, 228, 50},
    {MenuDlgImpl::kExitButton, 0, {0, 54, 109, 163}, 80, 56},
};
const ButtonLook kTournamentLeaveLook = {MenuDlgImpl::kTournamentLeave, 0, {7, 63, 120, 167}, 103, 50};

constexpr int32_t kButtonRows[MenuDlgImpl::kButtonCount] = {-140, -80, -30, 80, 170};

} // namespace

MenuDlgImpl::MenuDlgImpl(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(300, 450);
    ControlLibrary::IFont* font = LoadFont(kFont);
    for (size_t i = 0; i < kButtonCount; ++i) {
        ControlLibrary::IButtonVO* button = AddButton(font, ControlLibrary::Point{0, -5}, 94, 26);
        buttons_[i] = button;
        if (!button)
            continue;
        // The make-up the menu's description gives each button: a tag that
        // nothing reads, text colours and a caption offset for a caption it
        // does not have, and a size the look replaces.
        button->SetTag(static_cast<uint16_t>(i + 1));
        button->SetTextColours({RGB{25, 25, 250}, RGB{0, 0, 0}, RGB{0, 0, 0}, RGB{0, 0, 0}, RGB{0, 0, 0}});
        ApplyLook(*button, kLooks[i]);
    }
    label_ = AddString(font, RGB{255, 255, 255}, kChildLayer);
    rules_ = std::make_unique<RulesDlg>(this);
    options_ = std::make_unique<OptionsDialog>(nullptr);
}

MenuDlgImpl::~MenuDlgImpl() = default;

uint32_t MenuDlgImpl::ButtonId(Button button) const
{
    return button < kButtonCount && buttons_[button] ? buttons_[button]->GetId() : 0;
}

void MenuDlgImpl::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    for (size_t i = 0; i < kButtonCount; ++i)
        if (buttons_[i])
            buttons_[i]->SetPosition(centre.x, centre.y + kButtonRows[i]);
    if (label_)
        label_->SetPosition(centre.x, centre.y);
}

void MenuDlgImpl::OnDialogShown(uint32_t dialogId, bool shown)
{
    if (shown && dialogId == GetId())
        ShowLeaveButtonFor(IsTournament());
}

void MenuDlgImpl::ApplyLook(ControlLibrary::IButtonVO& button, const ButtonLook& look)
{
    SetButtonLook(button, look.image, Frames(look.x, look.tops, look.w, look.h), static_cast<uint32_t>(look.w),
                  static_cast<uint32_t>(look.h));
}

void MenuDlgImpl::ShowLeaveButtonFor(bool tournament)
{
    if (buttons_[kLeave])
        ApplyLook(*buttons_[kLeave], tournament ? kTournamentLeaveLook : kLooks[kLeave]);
}

void MenuDlgImpl::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    size_t chosen = kButtonCount;
    for (size_t i = 0; i < kButtonCount; ++i)
        if (id != 0 && id == ButtonId(static_cast<Button>(i)))
            chosen = i;
    if (chosen == kButtonCount)
        return;
    PlayClick();
    switch (chosen) {
    case kResume:
        Choose(false, false);
        break;
    case kRules:
        rules_->Show(true);
        break;
    case kOptions:
        options_->Show(true);
        break;
    case kLeave:
        Choose(true, false);
        break;
    case kExit:
        Choose(false, true);
        break;
    default:
        break;
    }
}

void MenuDlgImpl::Choose(bool leave, bool exit)
{
    leaveRequested_ = leave;
    exitRequested_ = exit;
    DialogObject().SetVisible(false);
}

} // namespace Gamespace
