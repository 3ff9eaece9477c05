#include "game/shell/TableShell.h"

#include "controls/IDialogVO.h"
#include "game/shell/AnnouncementDlgImpl.h"
#include "game/shell/FinishDlgImpl.h"
#include "game/shell/HumanActionDlgImpl.h"
#include "game/shell/MenuDlgImpl.h"
#include "game/shell/RebuyAddonDlgImpl.h"
#include "game/shell/TrnFinishDlgImpl.h"
#include "game/shell/TrnInfoDlgImpl.h"
#include "game/shell/TrnPlayersDlgImpl.h"

namespace Gamespace {

namespace {

// The table's panels and its hand result and dealer announcement leave the
// rest of the table working while they show.
template <typename Dialog>
std::unique_ptr<Dialog> Modeless(std::unique_ptr<Dialog> dialog)
{
    dialog->DialogObject().SetModeless(1);
    return dialog;
}

} // namespace

std::unique_ptr<MenuDlg> TableShell::CreateMenuDlg(ControlLibrary::DialogMessageObserver* owner)
{
    return std::make_unique<MenuDlgImpl>(owner);
}

std::unique_ptr<FinishDlg> TableShell::CreateFinishDlg(ControlLibrary::DialogMessageObserver* owner,
                                                       BoardDisplay& board)
{
    return Modeless(std::make_unique<FinishDlgImpl>(owner, board));
}

std::unique_ptr<DealerSelectDlg> TableShell::CreateDealerSelectDlg(ControlLibrary::DialogMessageObserver* owner)
{
    return Modeless(std::make_unique<DealerSelectDlgImpl>(owner));
}

std::unique_ptr<TrnInfoDlg> TableShell::CreateTrnInfoDlg(ControlLibrary::DialogMessageObserver* owner)
{
    return Modeless(std::make_unique<TrnInfoDlgImpl>(owner));
}

std::unique_ptr<TrnPlayersDlg> TableShell::CreateTrnPlayersDlg(ControlLibrary::DialogMessageObserver* owner)
{
    return Modeless(std::make_unique<TrnPlayersDlgImpl>(owner));
}

std::unique_ptr<BankruptDlg> TableShell::CreateBankruptDlg(ControlLibrary::DialogMessageObserver* owner)
{
    return std::make_unique<BankruptDlgImpl>(owner);
}

std::unique_ptr<StageDlg> TableShell::CreateStageDlg(ControlLibrary::DialogMessageObserver* owner)
{
    return std::make_unique<StageDlgImpl>(owner);
}

std::unique_ptr<TrnFinishDlg> TableShell::CreateTrnFinishDlg(ControlLibrary::DialogMessageObserver* owner)
{
    return std::make_unique<TrnFinishDlgImpl>(owner);
}

std::unique_ptr<HumanActionDlg> TableShell::CreateHumanActionDlg(ControlLibrary::DialogMessageObserver* owner,
                                                                 HumanActionMessageObserver* player)
{
    return std::make_unique<HumanActionDlgImpl>(owner, player);
}

std::unique_ptr<RebuyAddonDlg> TableShell::CreateRebuyAddonDlg(ControlLibrary::DialogMessageObserver* owner)
{
    return std::make_unique<RebuyAddonDlgImpl>(owner);
}

} // namespace Gamespace
