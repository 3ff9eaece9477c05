#include "game/shell/RebuyAddonDlgImpl.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IStringVO.h"
#include "game/shell/MoneyText.h"
#include "game/shell/ProfileList.h"
#include "game/shell/YesNoSheet.h"
#include "game/table/Tournament.h"

namespace Gamespace {

namespace {

constexpr char kButtonFont[] = "fonts/a_BosaNova14.txt";
constexpr char kQuestionFont[] = "fonts/a_BosaNova20.txt";
const ControlLibrary::RGB kQuestionColour{255, 255, 10};

} // namespace

RebuyAddonDlgImpl::RebuyAddonDlgImpl(ControlLibrary::DialogMessageObserver* owner) : KeyDialog(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(500, 90);
    DialogObject().SetPosition(512, 350);
    ControlLibrary::IFont* buttonFont = LoadFont(kButtonFont);
    yesButton_ = AddButton(buttonFont, ControlLibrary::Point{-2, -5}, 94, 26);
    noButton_ = AddButton(buttonFont, ControlLibrary::Point{-2, -5}, 94, 26);
    // Only the captions are drawn: the background carries the buttons' bed.
    if (yesButton_) {
        SetButtonLook(*yesButton_, YesNoSheet::kImage, YesNoSheet::kYesFrames, YesNoSheet::kYesWidth,
                      YesNoSheet::kHeight);
        yesButton_->SetCaption("Yes");
        yesButton_->SetFaceHidden(true);
    }
    if (noButton_) {
        SetButtonLook(*noButton_, YesNoSheet::kImage, YesNoSheet::kNoFrames, YesNoSheet::kNoWidth,
                      YesNoSheet::kHeight);
        noButton_->SetCaption("No");
        noButton_->SetFaceHidden(true);
    }
    question_ = AddString(LoadFont(kQuestionFont), kQuestionColour, kChildLayer);
}

void RebuyAddonDlgImpl::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (question_)
        question_->SetPosition(centre.x, centre.y - 25);
    if (yesButton_)
        yesButton_->SetPosition(centre.x + 100, centre.y + 25);
    if (noButton_)
        noButton_->SetPosition(centre.x - 100, centre.y + 25);
}

std::string RebuyAddonDlgImpl::Question(uint8_t mode)
{
    const SavedGame* saved = ProfileList::CurrentProfile()->GetCurrentSavedGame();
    Tournament record;
    if (!saved || !FindTournament(saved->tournamentId, record))
        return std::string();
    const double price = record.price;
    const double chips = record.chipsPerDollar * price;
    return std::string(mode == kRebuy ? "Re-Buy " : "Add-On ") + AmountText(chips) + " chips for $" +
           AmountText(price) + "?";
}

void RebuyAddonDlgImpl::OnDialogShown(uint32_t dialogId, bool /*shown*/)
{
    if (dialogId == GetId() && question_)
        question_->SetText(Question(mode_));
}

void RebuyAddonDlgImpl::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    if (id == 0 || (id != YesButtonId() && id != NoButtonId()))
        return;
    PlayClick();
    answer_ = id == YesButtonId() ? 1 : 0;
    DialogObject().SetVisible(false);
}

uint32_t RebuyAddonDlgImpl::YesButtonId() const
{
    return yesButton_ ? yesButton_->GetId() : 0;
}

uint32_t RebuyAddonDlgImpl::NoButtonId() const
{
    return noButton_ ? noButton_->GetId() : 0;
}

} // namespace Gamespace
