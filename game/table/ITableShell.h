// What the poker table needs of the game shell: the player's choices in the
// current profile, the tournament in progress, the game speed option, the
// option observers, and its dialogs. The table asks afresh each time, so a
// choice made on a set-up screen counts at once. The game object gives the
// table one; tests give it a scripted one.
//
// Threads: the main thread.
#pragma once

#include "game/table/GameType.h"
#include "game/table/StakeRow.h"

#include <cstdint>
#include <memory>
#include <string>

struct SavedGame;

namespace ControlLibrary {
class DialogMessageObserver;
}

namespace Gamespace {

class BankruptDlg;
class BoardDisplay;
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

    // Of the current profile (a default one when none is active):
    virtual std::string GetPlayerName() = 0;
    virtual GameType GetGameType() = 0;
    // The cash table chosen for the betting structure of GetGameType().
    virtual TableChoice GetTableChoice() = 0;
    // 0: a random play style for every computer seat; 1..3 one fixed style.
    virtual uint32_t GetComputerStyle() = 0;
    // The coming board stage is announced before it is dealt.
    virtual bool AnnouncesStages() = 0;
    // The tournament marked current, or null. It stays the profile's; the
    // table keeps it up to date while it plays it.
    virtual SavedGame* GetCurrentSavedGame() = 0;
    // The game moved on for good (a hand was paid out, chips were bought)
    // and the table has brought the current tournament up to date: the
    // profile is to be kept as it is now, so that however the program ends
    // next it loses at most the hand in play.
    virtual void KeepProgress() = 0;
    // The dealer was drawn and the table has written the draw into the
    // current tournament: the profile is to be kept, so that a program ended
    // before the first hand is over resumes with the dealer the player saw
    // drawn. A failure told at the tournament's entry a moment before is
    // not told again unless its reason changed.
    virtual void KeepDraw() = 0;

    // 0..10; a value outside that range is the caller's to clamp.
    virtual uint16_t GetGameSpeed() = 0;
    virtual void AddOptionObserver(IOptionObserver* observer) = 0;

    // Each dialog reports its closing to `owner`.
    virtual std::unique_ptr<MenuDlg> CreateMenuDlg(ControlLibrary::DialogMessageObserver* owner) = 0;
    // `board`: the table's, on which the dialog lights a winner's best cards.
    virtual std::unique_ptr<FinishDlg> CreateFinishDlg(ControlLibrary::DialogMessageObserver* owner,
                                                       BoardDisplay& board) = 0;
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
