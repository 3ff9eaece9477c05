// What the poker table needs of the game shell: the current profile, the
// game speed option, the option observers, and its dialogs. The game object
// gives the table one; tests give it a scripted one.
//
// Threads: the main thread.
#pragma once

#include <cstdint>
#include <memory>

struct Profile;

namespace ControlLibrary {
class DialogMessageObserver;
}

namespace Gamespace {

class BankruptDlg;
class DealerSelectDlg;
class FinishDlg;
class HumanActionDlg;
class HumanActionMessageObserver;
class IOptionObserver;
class MenuDlg;
class RebuyAddonDlg;
class StageDlg;
class TrnFinishDlg;
class TrnInfoDlg;
class TrnPlayersDlg;

class ITableShell {
public:
    virtual ~ITableShell() = default;

    // The active profile (a default one when none is active).
    virtual Profile& CurrentProfile() = 0;
    // 0..10; a value outside that range is the caller's to clamp.
    virtual uint16_t GetGameSpeed() = 0;
    virtual void AddOptionObserver(IOptionObserver* observer) = 0;

    // Each dialog reports its closing to `owner`.
    virtual std::unique_ptr<MenuDlg> CreateMenuDlg(ControlLibrary::DialogMessageObserver* owner) = 0;
    virtual std::unique_ptr<FinishDlg> CreateFinishDlg(ControlLibrary::DialogMessageObserver* owner) = 0;
    virtual std::unique_ptr<DealerSelectDlg> CreateDealerSelectDlg(ControlLibrary::DialogMessageObserver* owner) = 0;
    virtual std::unique_ptr<TrnInfoDlg> CreateTrnInfoDlg(ControlLibrary::DialogMessageObserver* owner) = 0;
    virtual std::unique_ptr<TrnPlayersDlg> CreateTrnPlayersDlg(ControlLibrary::DialogMessageObserver* owner) = 0;
    virtual std::unique_ptr<BankruptDlg> CreateBankruptDlg(ControlLibrary::DialogMessageObserver* owner) = 0;
    virtual std::unique_ptr<StageDlg> CreateStageDlg(ControlLibrary::DialogMessageObserver* owner) = 0;
    virtual std::unique_ptr<TrnFinishDlg> CreateTrnFinishDlg(ControlLibrary::DialogMessageObserver* owner) = 0;
    virtual std::unique_ptr<HumanActionDlg> CreateHumanActionDlg(ControlLibrary::DialogMessageObserver* owner,
                                                                 HumanActionMessageObserver* player) = 0;
    virtual std::unique_ptr<RebuyAddonDlg> CreateRebuyAddonDlg(ControlLibrary::DialogMessageObserver* owner) = 0;
};

} // namespace Gamespace
