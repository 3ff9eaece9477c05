#include "game/shell/RebuyAddonDlgImpl.h"

#include "controls/IDialogVO.h"
#include "game/shell/MoneyText.h"
#include "game/shell/ProfileList.h"
#include "game/table/Tournament.h"

namespace Gamespace {

namespace {

enum : size_t { kYes, kNo };

} // namespace

RebuyAddonDlgImpl::RebuyAddonDlgImpl(ControlLibrary::DialogMessageObserver* owner)
    : YesNoDialog(owner, ControlLibrary::Point{512, 350}, {{"Yes", 100}, {"No", -100}})
{
    SetAnswerButtons(Button(kYes), Button(kNo));
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
    if (dialogId == GetId())
        SetText(Question(mode_));
}

} // namespace Gamespace
