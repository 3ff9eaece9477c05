#include "game/shell/HumanActionDlgImpl.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "game/shell/OpenDlg.h"
#include "game/shell/OpenRaiseDlg.h"
#include "game/shell/ProfileList.h"
#include "game/table/HumanActionMessageObserver.h"

#include <algorithm>
#include <vector>

namespace Gamespace {

namespace {

constexpr char kFont[] = "fonts/MonotypeCorsiva14Italics.txt";
constexpr int16_t kButtonHeight = 37;

// Each button's column of the sheet and its place from the strip's middle,
// by HumanAction code.
struct ActionButtonLook {
    int16_t sheetX;
    int16_t width;
    int32_t dx;
};
constexpr ActionButtonLook kLooks[HumanActionDlgImpl::kActionCount] = {
    {0, 78, -210},  // check
    {155, 70, -90}, // open
    {284, 64, 30},  // fold
    {224, 60, 150}, // call
    {78, 76, 270},  // raise
    {347, 65, 390}, // all-in
};

std::array<ControlLibrary::Rect, 4> ActionFrames(const ActionButtonLook& look)
{
    // Normal, hover, pressed and disabled rows; the disabled one is shorter.
    return {ControlLibrary::Rect{look.sheetX, 0, look.width, kButtonHeight},
            ControlLibrary::Rect{look.sheetX, 38, look.width, kButtonHeight},
            ControlLibrary::Rect{look.sheetX, 75, look.width, kButtonHeight},
            ControlLibrary::Rect{look.sheetX, 114, look.width, 35}};
}

} // namespace

HumanActionDlgImpl::HumanActionDlgImpl(ControlLibrary::DialogMessageObserver* owner,
                                       HumanActionMessageObserver* player)
    : BaseDialogImpl(owner), player_(player)
{
    DialogObject().SetModeless(1);
    DialogObject().SetSize(700, 60);
    DialogObject().SetPosition(512, 730);
    DialogObject().SetFaceHidden(true);
    DialogObject().SetBackgroundImage("images/dialog/rules/dlg.png");
    ControlLibrary::IFont* font = LoadFont(kFont);
    for (uint32_t code = 0; code < kActionCount; ++code) {
        buttons_[code] = AddButton(font, ControlLibrary::Point{-2, -5}, 94, 26);
        if (buttons_[code])
            SetButtonLook(*buttons_[code], kButtonSheet, ActionFrames(kLooks[code]), uint32_t(kLooks[code].width),
                          kButtonHeight);
    }
    raiseDlg_ = std::make_unique<OpenRaiseDlg>(this);
    openDlg_ = std::make_unique<OpenDlg>(this);
}

HumanActionDlgImpl::~HumanActionDlgImpl()
{
    // The amount dialogs go first: they report to this one.
    raiseDlg_.reset();
    openDlg_.reset();
}

ControlLibrary::IButtonVO* HumanActionDlgImpl::Button(uint32_t code) const
{
    return code < kActionCount ? buttons_[code] : nullptr;
}

GameType HumanActionDlgImpl::CurrentGameType()
{
    return ProfileList::CurrentProfile()->gameType;
}

void HumanActionDlgImpl::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    for (uint32_t code = 0; code < kActionCount; ++code)
        if (buttons_[code])
            buttons_[code]->SetPosition(centre.x + kLooks[code].dx, centre.y);
}

void HumanActionDlgImpl::ShowActions(bool show)
{
    for (ControlLibrary::IButtonVO* button : buttons_)
        if (button)
            button->SetEnabled(false);
    if (!show || !player_)
        return;
    std::vector<uint32_t> legal;
    player_->GetAvailableActions(legal);
    for (uint32_t code : legal) {
        if (code >= kActionCount || !buttons_[code])
            continue;
        buttons_[code]->SetEnabled(code != kHumanAllIn || AllowsAllIn(CurrentGameType()));
    }
}

void HumanActionDlgImpl::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    if (id == 0 || !player_)
        return;
    const auto found = std::find_if(buttons_.begin(), buttons_.end(), [id](const ControlLibrary::IButtonVO* button) {
        return button && button->GetId() == id;
    });
    if (found == buttons_.end())
        return;
    PlayClick();
    const uint32_t code = static_cast<uint32_t>(found - buttons_.begin());
    if (code == kHumanOpen)
        Open();
    else if (code == kHumanRaise)
        Raise();
    else
        player_->PerformHumanAction(code, 0.0);
}

double HumanActionDlgImpl::LimitUnit() const
{
    const double minBet = player_->GetMinBet();
    return player_->GetBoardStage() > 1 ? 2.0 * minBet : minBet;
}

double HumanActionDlgImpl::PotAfterCall() const
{
    return player_->GetRoundPot() + player_->GetTotalPot() + (player_->GetCurrentBet() - player_->GetBet());
}

void HumanActionDlgImpl::Open()
{
    const double chips = player_->GetChips();
    const double minBet = player_->GetMinBet();
    const double currentBet = player_->GetCurrentBet();
    switch (BettingStructure(CurrentGameType())) {
    case kGameLimit:
        player_->PerformHumanAction(kHumanOpen, LimitUnit());
        return;
    case kGamePotLimit:
        openDlg_->SetAmounts(std::min(2.0 * PotAfterCall(), chips), currentBet, minBet);
        break;
    default:
        openDlg_->SetAmounts(chips, currentBet, minBet);
        break;
    }
    openDlg_->Show(true);
}

void HumanActionDlgImpl::Raise()
{
    const double chips = player_->GetChips();
    const double minBet = player_->GetMinBet();
    const double currentBet = player_->GetCurrentBet();
    const double ownBet = player_->GetBet();
    switch (BettingStructure(CurrentGameType())) {
    case kGameLimit:
        // The call and one unit more.
        player_->PerformHumanAction(kHumanRaise, currentBet + LimitUnit() - ownBet);
        return;
    case kGamePotLimit:
        raiseDlg_->SetAmounts(std::min(2.0 * PotAfterCall() + ownBet + (currentBet - ownBet), chips), ownBet,
                              currentBet, minBet);
        break;
    default:
        raiseDlg_->SetAmounts(chips, ownBet, currentBet, minBet);
        break;
    }
    raiseDlg_->Show(true);
}

void HumanActionDlgImpl::OnDialogShown(uint32_t dialogId, bool shown)
{
    if (dialogId == GetId()) {
        if (!shown) {
            openDlg_->Show(false);
            raiseDlg_->Show(false);
        } else if (buttons_[kHumanAllIn]) {
            buttons_[kHumanAllIn]->SetEnabled(AllowsAllIn(CurrentGameType()));
        }
    } else if (!shown && dialogId == raiseDlg_->GetId()) {
        if (raiseDlg_->IsConfirmed() && player_)
            player_->PerformHumanAction(kHumanRaise, raiseDlg_->GetAmount());
    } else if (!shown && dialogId == openDlg_->GetId()) {
        if (openDlg_->IsConfirmed() && player_)
            player_->PerformHumanAction(kHumanOpen, openDlg_->GetAmount());
    }
}

} // namespace Gamespace
