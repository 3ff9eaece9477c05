// The game shell as the table's tests need it: a profile, a game speed, and
// dialogs that record what the table did with them and let a test (or the
// TableHarness) answer them as a player would.
//
// Dialogs behave like the real ones where the table can tell: showing or
// closing tells the owner through OnDialogShown (only when visibility really
// changes), ids are unique, and the hand-result dialog lays out its rows when
// shown (TakeWinnings and the highlight for each row).
//
// Threads: one thread (the test's).
#pragma once

#include "game/shell/Profile.h"
#include "game/table/FinishDlg.h"
#include "game/table/HumanActionDlg.h"
#include "game/table/HumanActionMessageObserver.h"
#include "game/table/ITableShell.h"
#include "game/table/RebuyAddonDlg.h"
#include "game/table/TableDialogs.h"

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

class ScriptedShell;

template <typename Base>
class ScriptedDialog : public Base {
public:
    ScriptedDialog(ScriptedShell& shell, ControlLibrary::DialogMessageObserver* owner, std::string name);
    void Show(bool show) override;
    bool IsVisible() const override { return visible_; }
    uint32_t GetId() const override { return id_; }
    const std::string& Name() const { return name_; }
    int TimesShown() const { return timesShown_; }

    ScriptedShell& Shell() { return shell_; }

protected:
    ScriptedShell& shell_;
    // Called after the dialog became visible, before the owner hears of it.
    virtual void OnShown() {}

private:
    ControlLibrary::DialogMessageObserver* owner_;
    std::string name_;
    uint32_t id_;
    bool visible_ = false;
    int timesShown_ = 0;
};

class ScriptedMenuDlg final : public ScriptedDialog<Gamespace::MenuDlg> {
public:
    using ScriptedDialog::ScriptedDialog;
    bool LeaveRequested() const override { return leave; }
    bool ExitRequested() const override { return exit; }
    bool leave = false;
    bool exit = false;
};

template <typename Base>
class ScriptedAnnouncement : public ScriptedDialog<Base> {
public:
    using ScriptedDialog<Base>::ScriptedDialog;
    void SetCaption(const std::string& text) override { caption = text; }
    std::string caption = "Winner";
};

class ScriptedStageDlg final : public ScriptedAnnouncement<Gamespace::StageDlg> {
public:
    using ScriptedAnnouncement::ScriptedAnnouncement;
protected:
    void OnShown() override;
};

class ScriptedBankruptDlg final : public ScriptedAnnouncement<Gamespace::BankruptDlg> {
public:
    using ScriptedAnnouncement::ScriptedAnnouncement;
};

class ScriptedDealerSelectDlg final : public ScriptedAnnouncement<Gamespace::DealerSelectDlg> {
public:
    using ScriptedAnnouncement::ScriptedAnnouncement;
    void SetDealer(Gamespace::PlayerI& player) override;
};

struct ShownPot {
    std::string name;
    struct Row {
        Gamespace::PlayerI* player;
        double amount;
        std::string hand;
    };
    std::vector<Row> rows;
};

class ScriptedFinishDlg final : public ScriptedDialog<Gamespace::FinishDlg> {
public:
    ScriptedFinishDlg(ScriptedShell& shell, ControlLibrary::DialogMessageObserver* owner, Gamespace::BoardDisplay& board)
        : ScriptedDialog(shell, owner, "result"), board_(board)
    {
    }
    void ClearPots() override { pots.clear(); }
    void AddPot(const std::string& potName) override { pots.push_back(ShownPot{potName, {}}); }
    void AddWinner(Gamespace::PlayerI* winner, double amount, const std::string& handName) override;
    double Total() const;
    std::vector<ShownPot> pots;
    // Called each time the dialog is shown, after its rows were laid out.
    std::function<void()> onShown;

protected:
    void OnShown() override;

private:
    Gamespace::BoardDisplay& board_;
};

class ScriptedTrnInfoDlg final : public ScriptedDialog<Gamespace::TrnInfoDlg> {
public:
    using ScriptedDialog::ScriptedDialog;
    void SetCaption(const std::string& name) override { caption = name; }
    void SetMinBet(double value) override { minBet = value; }
    void SetLevel(uint32_t value) override { level = value; }
    void SetLevelTime(uint32_t m, uint32_t s) override
    {
        minutes = m;
        seconds = s;
    }
    void SetTotalPot(double pot) override { totalPot = pot; }
    std::string caption;
    double minBet = 0.0;
    uint32_t level = 0;
    uint32_t minutes = 0;
    uint32_t seconds = 0;
    double totalPot = 0.0;
};

class ScriptedTrnPlayersDlg final : public ScriptedDialog<Gamespace::TrnPlayersDlg> {
public:
    using ScriptedDialog::ScriptedDialog;
    void FillPlayerList(const std::vector<Gamespace::PlayerI*>& seats) override;
    void FillSeatedPlayers(const std::vector<Gamespace::PlayerI*>& seats) override;
    void SetPaused(bool value) override { paused = value; }
    int fills = 0;
    bool paused = false;
    // The names the last fill listed, most chips first (equal chips in seat
    // order), as the panel ranks them.
    std::vector<std::string> listed;
};

class ScriptedTrnFinishDlg final : public ScriptedDialog<Gamespace::TrnFinishDlg> {
public:
    using ScriptedDialog::ScriptedDialog;
    void ShowStandings(const std::vector<Gamespace::PlayerI*>& seats, double prizePool) override;
    int standingsShown = 0;
    double prize = 0.0;
};

class ScriptedHumanActionDlg final : public ScriptedDialog<Gamespace::HumanActionDlg> {
public:
    ScriptedHumanActionDlg(ScriptedShell& shell, ControlLibrary::DialogMessageObserver* owner,
                           Gamespace::HumanActionMessageObserver* player);
    ~ScriptedHumanActionDlg() override;
    void ShowActions(bool show) override;
    // The human's turn: the actions are enabled.
    bool actionsShown = false;
    Gamespace::HumanActionMessageObserver* player;
};

class ScriptedRebuyAddonDlg final : public ScriptedDialog<Gamespace::RebuyAddonDlg> {
public:
    using ScriptedDialog::ScriptedDialog;
    ~ScriptedRebuyAddonDlg() override;
    void SetMode(uint8_t value) override { mode = value; }
    uint8_t GetMode() const override { return mode; }
    uint8_t GetAnswer() const override { return answer; }
    // Closes the dialog with the given answer.
    void Answer(bool yes);
    uint8_t mode = kRebuy;
    uint8_t answer = 0;
};

class ScriptedShell final : public Gamespace::ITableShell {
public:
    ScriptedShell();
    ~ScriptedShell() override;

    std::string GetPlayerName() override { return profile.name; }
    GameType GetGameType() override { return profile.gameType; }
    TableChoice GetTableChoice() override { return profile.TableChoiceFor(profile.gameType); }
    uint32_t GetComputerStyle() override { return profile.computerStyle; }
    bool AnnouncesStages() override { return profile.announceStages != 0; }
    SavedGame* GetCurrentSavedGame() override { return profile.GetCurrentSavedGame(); }
    // Keeps a copy of the current tournament as the table handed it over.
    void KeepProgress() override;
    void KeepDraw() override { KeepProgress(); }
    uint16_t GetGameSpeed() override { return speed; }
    void AddOptionObserver(Gamespace::IOptionObserver* observer) override;

    std::unique_ptr<Gamespace::MenuDlg> CreateMenuDlg(ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<Gamespace::FinishDlg> CreateFinishDlg(ControlLibrary::DialogMessageObserver* owner,
                                                          Gamespace::BoardDisplay& board) override;
    std::unique_ptr<Gamespace::DealerSelectDlg> CreateDealerSelectDlg(
        ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<Gamespace::TrnInfoDlg> CreateTrnInfoDlg(ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<Gamespace::TrnPlayersDlg> CreateTrnPlayersDlg(
        ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<Gamespace::BankruptDlg> CreateBankruptDlg(ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<Gamespace::StageDlg> CreateStageDlg(ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<Gamespace::TrnFinishDlg> CreateTrnFinishDlg(ControlLibrary::DialogMessageObserver* owner) override;
    std::unique_ptr<Gamespace::HumanActionDlg> CreateHumanActionDlg(
        ControlLibrary::DialogMessageObserver* owner, Gamespace::HumanActionMessageObserver* player) override;
    std::unique_ptr<Gamespace::RebuyAddonDlg> CreateRebuyAddonDlg(
        ControlLibrary::DialogMessageObserver* owner) override;

    // Appends to the step log when logging is on.
    void Log(const std::string& entry);
    uint32_t NextId() { return nextId_++; }

    Profile profile;
    uint16_t speed = 10;
    // False: the shell has no dialog for a finished cash game.
    bool bankruptDialog = true;
    bool logging = true;
    std::vector<std::string> log;
    std::vector<Gamespace::IOptionObserver*> optionObservers;
    // The current tournament at each KeepProgress and KeepDraw (an empty
    // record when there was none).
    std::vector<SavedGame> kept;

    // The dialogs made last of each kind (the table's and the human's).
    ScriptedMenuDlg* menu = nullptr;
    ScriptedFinishDlg* finish = nullptr;
    ScriptedDealerSelectDlg* dealer = nullptr;
    ScriptedTrnInfoDlg* trnInfo = nullptr;
    ScriptedTrnPlayersDlg* trnPlayers = nullptr;
    ScriptedBankruptDlg* bankrupt = nullptr;
    ScriptedStageDlg* stage = nullptr;
    ScriptedTrnFinishDlg* trnFinish = nullptr;
    ScriptedHumanActionDlg* humanAction = nullptr;
    ScriptedRebuyAddonDlg* rebuy = nullptr;

private:
    uint32_t nextId_ = 100;
};

// A saved tournament at its start, as the set-up screen makes it: `players`
// seats in all (the human included), every computer at `startChips`.
SavedGame& AddFreshTournament(Profile& profile, uint16_t tournamentId, uint16_t players);

} // namespace testing_support
