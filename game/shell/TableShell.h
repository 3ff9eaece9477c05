// The shell the table runs with in the game: the answers about the player
// and the options that ProfileTableShell gives, and the shell's own dialogs.
//
// Threads: the main thread.
#pragma once

#include "game/shell/ProfileTableShell.h"

namespace Gamespace {

class TableShell final : public ProfileTableShell {
public:
    std::unique_ptr<MenuDlg> CreateMenuDlg(ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<FinishDlg> CreateFinishDlg(ControlLibrary::DialogMessageObserver* owner,
                                               BoardDisplay& board) override;
    std::unique_ptr<DealerSelectDlg> CreateDealerSelectDlg(ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<TrnInfoDlg> CreateTrnInfoDlg(ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<TrnPlayersDlg> CreateTrnPlayersDlg(ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<BankruptDlg> CreateBankruptDlg(ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<StageDlg> CreateStageDlg(ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<TrnFinishDlg> CreateTrnFinishDlg(ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<HumanActionDlg> CreateHumanActionDlg(ControlLibrary::DialogMessageObserver* owner,
                                                         HumanActionMessageObserver* player) override;
    std::unique_ptr<RebuyAddonDlg> CreateRebuyAddonDlg(ControlLibrary::DialogMessageObserver* owner) override;
};

} // namespace Gamespace
