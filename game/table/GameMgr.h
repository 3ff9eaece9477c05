// The card table: ten seats (seat 0 the human, the others computer players),
// driven as a state machine whose steps are fired by the table's time objects
// and by its dialogs closing. The players act on it through PlayerMgrI.
// Its money is its BettingRound's, which it asks who acts next and whether a
// round is settled, and from which it builds the pots at the showdown; its
// deck holds the cards and its BoardDisplay shows the board.
//
// Threads: every step runs on the main thread. The time objects of the table
// and of its players notify on the time thread; their observers only post to
// the table's event queue, which the main thread drains once a frame through
// ProcessEvents (see TableEventQueue). Clicks and dialog answers arrive on the
// main thread too, so the table's state is never touched by two threads and
// the table needs no lock of its own.
//
// States: 0 no game, 1 dealer draw, 2 waiting for the next hand, 3 blinds
// posted and first hole card dealt, 4 second hole card, 5 betting (and after
// the showdown until the next hand is scheduled).
#pragma once

#include "controls/DialogMessageObserver.h"
#include "controls/KeybdSysMessageObserver.h"
#include "controls/MouseMessageObserver.h"
#include "effects/EffectMessageObserver.h"
#include "game/table/Deck.h"
#include "game/table/GameModule.h"
#include "game/table/IOptionObserver.h"
#include "game/table/PlayerMgrI.h"
#include "game/table/Pot.h"
#include "game/table/TableEventQueue.h"
#include "game/table/TableServices.h"
#include "timing/TimeObjectMessageObserver.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

struct SavedGame;
struct StakeRow;
namespace TimeLibrary {
class ITimeObject;
}

namespace Gamespace {

class BankruptDlg;
class BoardDisplay;
class DealerSelectDlg;
class FinishDlg;
class MenuDlg;
class PlayerI;
class PlayerHuman;
class StageDlg;
class TableScreen;
class TrnFinishDlg;
class TrnInfoDlg;
class TrnPlayersDlg;

enum TableStateCode : uint32_t {
    kTableIdle = 0,
    kTableDealerDraw = 1,
    kTableWaiting = 2,
    kTableFirstCard = 3,
    kTableSecondCard = 4,
    kTableBetting = 5,
};

class GameMgr : public GameModule,
                public ControlLibrary::MouseMessageObserver,
                public ControlLibrary::DialogMessageObserver,
                public EffectLibrary::EffectMessageObserver,
                public TimeLibrary::TimeObjectMessageObserver,
                public IOptionObserver,
                public ControlLibrary::KeybdSysMessageObserver,
                public PlayerMgrI,
                public TimerTarget {
public:
    static constexpr uint16_t kSeatCount = 10;
    static constexpr uint32_t kModuleId = 2;

    GameMgr(GameModuleObserver* observer, uint32_t id, const TableServices& services);
    ~GameMgr() override;
    GameMgr(const GameMgr&) = delete;
    GameMgr& operator=(const GameMgr&) = delete;

    // GameModule
    void Create() override;
    void Release() override;
    // Sits down at a new table, or resumes the current saved tournament.
    void Show() override;
    // Leaves the table, saving a tournament in progress.
    void Hide() override;
    virtual double GetBuyIn();

    // Main thread, once a frame: runs the steps the timers asked for, unless
    // the table is paused (they then wait for it to go on); then, when a
    // hand was paid out or chips were bought since, brings the tournament's
    // record up to date and has the shell keep it (ITableShell::KeepProgress).
    size_t ProcessEvents();
    TableEventQueue& Events() { return events_; }

    void SetPaused(bool paused);

    // PlayerMgrI
    void GetSeatLayout(SeatLayout& out, uint16_t seat) override;
    Card DrawCard() override;
    uint16_t GetActionDelay() override;
    void OnPlayerStepDone(uint16_t seat, uint16_t position) override;
    bool IsPaused() override { return paused_ != 0; }
    bool IsSelectingDealer() override { return tableState_ == kTableDealerDraw; }
    double GetMinBet() override;
    uint16_t GetBoardStage() override { return static_cast<uint16_t>(boardStage_); }
    void GetTableState(TableState& out) override;
    const BettingRound& GetBetting() override { return betting_; }
    BetOutcome PlaceBet(uint16_t seat, BetMove move, double amount) override;
    void BuyChips(uint16_t seat, double chips) override { betting_.Buy(seat, chips); }
    void OnPlayerAction(uint16_t position, uint32_t code, double amount) override;
    void ResumeAfterRebuy(bool rebought) override;
    void ScheduleNextHand() override;
    void AddToPrizePool(double amount) override;

    // Time thread: queue the notice. Main thread: run it.
    void OnTimerFinish(uint32_t id) override;
    void OnTimerTick(uint32_t id) override;
    void OnQueuedTimer(uint32_t id, TimerNotice notice) override;

    void OnMouseUp(uint32_t id, int32_t button) override;
    void OnDialogShown(uint32_t dialogId, bool shown) override;
    bool IsSysInputEnabled() override { return active_; }
    void OnSpeedChanged() override {}

    // What the table's tests and tools look at.
    uint32_t GetTableStateCode() const { return tableState_; }
    // A copy of the public block, as GetTableState gives it.
    TableState State() const;
    // The money at the table (tests and tools may change it).
    BettingRound& Betting() { return betting_; }
    PlayerI* GetPlayer(uint16_t seat) const;
    std::vector<PlayerI*> GetSeatList() const;
    PlayerHuman* GetHumanPlayer() const;
    const std::vector<Pot>& GetPots() const { return pots_; }
    // The pots the hand would be paid in if it were shown down now, in its
    // betting (the round's bets not yet collected).
    std::vector<Pot> PotsAsTheyStand() const;
    // The showdown of the current hand has paid its pots (and no hand has
    // begun since).
    bool IsHandSettled() const { return handSettled_; }
    bool IsDealerChosen() const { return dealerChosen_ != 0; }
    uint64_t GetHandsStarted() const { return handsStarted_; }
    uint64_t GetHandsShownDown() const { return handsShownDown_; }
    // Chips that entered the table for money, and chips that left it with
    // a removed player, since the table was shown.
    double GetChipsBought() const { return betting_.ChipsBought(); }
    double GetChipsRemoved() const { return betting_.ChipsRemoved(); }
    uint32_t GetLevelSecondsLeft() const { return levelSecondsLeft_; }
    bool IsLevelExpired() const { return levelExpired_ != 0; }
    // Tests and tools: the level clock runs out now, as its timer would at
    // the end of the level (the next hand raises the level).
    void RunOutLevelClock();
    TableScreen* Screen() const { return screen_.get(); }
    Deck& GetDeck() { return deck_; }
    BoardDisplay* GetBoardDisplay() const { return boardDisplay_.get(); }
    FinishDlg* GetFinishDlg() const { return finishDlg_.get(); }
    StageDlg* GetStageDlg() const { return stageDlg_.get(); }
    DealerSelectDlg* GetDealerSelectDlg() const { return dealerDlg_.get(); }
    MenuDlg* GetMenuDlg() const { return menuDlg_.get(); }
    BankruptDlg* GetBankruptDlg() const { return bankruptDlg_.get(); }
    TrnFinishDlg* GetTrnFinishDlg() const { return trnFinishDlg_.get(); }
    TrnPlayersDlg* GetTrnPlayersDlg() const { return trnPlayersDlg_.get(); }

    // The computer players' first names.
    static const std::vector<std::string>& OpponentNames();
    // A name a saved computer seat can hold: none yet, or one no longer than
    // the longest of those names, of letters, digits and spaces only (the
    // names a tournament's seats hold until the table names them have a
    // space).
    static bool IsSeatName(const std::string& name);

private:
    // Hand flow (GameMgr.cpp).
    void StartDealerDraw();
    void ChooseDealer();
    void BuildActingOrder(uint16_t dealerSeat);
    void SetActingOrder(std::vector<PlayerI*> players);
    void NumberPositions();
    void ArmPlayerSteps();
    void StartHand();
    // A tournament hand: the players' panel, the level clock and the level.
    void RunTournamentClock(SavedGame& saved);
    void StartBlinds();
    // The positions of the players dealt into the hand: in it, or holding
    // cards (a player who folded keeps his).
    std::vector<uint16_t> DealtInPositions() const;
    void PassTurn(uint16_t position, uint32_t delay);
    void BettingStep();
    void EndOfRound();
    void AdvanceStage(uint16_t fromPosition);
    void EndOfHand();
    void ResetSeatsForNewHand();
    void ClearDealerButtons();
    uint16_t LastSeatedSeat() const;
    int LastInHandPosition() const;
    void StartTableTimer(uint32_t delay);
    // Shows the deck's board as it now stands.
    void ShowBoard();

    // Money (GameMgrShowdown.cpp).
    // The hand's pots from what each seat put in, `total` being every chip
    // of the hand.
    std::vector<Pot> BuildHandPots(double total) const;
    void Showdown();
    void PayAndReport(const std::vector<Pot>& pots);

    // Between hands and tournaments (GameMgrSession.cpp).
    // `moveButton` false: the button already sits with the player who deals
    // the coming hand (a sitting resumed before that hand was dealt).
    void OnHandResultClosed(bool moveButton = true);
    void PrepareNextHand(bool moveButton);
    void FinishTournament();
    void FinishCashTable();
    bool IsTournament() const;
    bool IsHumanShort();
    SavedGame* CurrentSavedGame() const;
    bool GetCurrentStakeRow(StakeRow& out) const;
    uint32_t GetLevelTime() const;
    uint32_t GetLevel() const;
    void ShowTournamentInfo(bool show);
    void ShowLevelTime();
    void StartLevelTimer(uint32_t seconds);
    void SeatPlayers();
    void SeatTournamentPlayers(SavedGame& saved);
    void SeatCashPlayers();
    std::string PickOpponentName() const;
    void SetUpTable();
    void RestoreTournament(SavedGame& saved);
    // Gives the turn back where a resumed hand was left: its next stage or
    // showdown when its round was over, else the next player to act.
    void ResumeBetting(uint16_t position);
    // Where a resumed round stood, for its betting unit.
    RoundMarks ResumedRoundMarks(uint16_t lastActor);
    // Fills the players panel with every seated player of the tournament and
    // his chips as they stand: at a resume, once a hand's pots are paid, and
    // after a purchase between hands.
    void ListStandings();
    void SaveTournamentState();
    void KeepProgress();
    // One seat's part of the saved tournament; `inPlay`: a hand in its
    // betting is saved as it stands, `pending` with its stage announcement.
    void SaveSeat(SavedGame& saved, const PlayerI& player, bool inPlay, bool pending);
    void RestoreBoard(const SavedGame& saved);
    void RemovePlayer(uint16_t seat);
    void RefreshPotLabel();
    void ResetAllForNewRound();

    TableServices services_;
    TableEventQueue events_;
    std::unique_ptr<TableScreen> screen_;
    Deck deck_;
    std::unique_ptr<BoardDisplay> boardDisplay_;
    TimeLibrary::ITimeObject* tableTimer_ = nullptr;
    TimeLibrary::ITimeObject* levelTimer_ = nullptr;
    TimeLibrary::ITimeObject* shuffleTimer_ = nullptr;
    uint8_t paused_ = 1;
    std::unique_ptr<MenuDlg> menuDlg_;
    std::unique_ptr<FinishDlg> finishDlg_;
    std::unique_ptr<DealerSelectDlg> dealerDlg_;
    std::unique_ptr<BankruptDlg> bankruptDlg_;
    std::unique_ptr<StageDlg> stageDlg_;
    uint8_t stageDialogPending_ = 0;
    uint16_t pendingPosition_ = 0;
    std::unique_ptr<TrnFinishDlg> trnFinishDlg_;
    std::unique_ptr<TrnInfoDlg> trnInfoDlg_;
    uint32_t levelSecondsLeft_ = 0;
    uint8_t levelClockStarted_ = 0;
    uint8_t levelExpired_ = 0;
    std::unique_ptr<TrnPlayersDlg> trnPlayersDlg_;
    std::array<std::unique_ptr<PlayerI>, kSeatCount> seats_;
    uint8_t dealerChosen_ = 0;
    // The public block's own fields; its betting figures are the betting
    // unit's, filled in when the block is copied out.
    uint32_t boardStage_ = 0;
    std::vector<PlayerI*> actingOrder_;
    std::vector<Card> boardCards_;
    uint32_t gameType_ = 0;
    double minBet_ = 0.0;
    BettingRound betting_;
    uint32_t tableState_ = kTableIdle;
    std::vector<Pot> pots_;
    uint8_t shufflePending_ = 1;
    // The table timer's user value: the position that acted last.
    uint16_t lastActor_ = 0;
    // Who posted the big blind this hand; the first turn goes to the next.
    uint16_t bigBlindPosition_ = 1;
    // The showdown of the current hand has paid its pots.
    bool handSettled_ = true;
    // The dealer button sits with the player who deals the coming hand:
    // drawn for the first hand, moved on for each later one. A sitting left
    // before that hand is played resumes with the same dealer.
    bool buttonPlaced_ = false;
    // The hand was restored from a saved tournament that does not know what
    // each seat put in (an earlier build kept it): every player left shares
    // one pot.
    bool potSharesUnknown_ = false;
    // The human was offered a re-buy and the table waits for the answer.
    bool awaitingRebuy_ = false;
    // A hand was paid out or chips were bought: the profile is to be kept
    // at the end of the frame's steps.
    bool progressToKeep_ = false;
    bool created_ = false;
    uint64_t handsStarted_ = 0;
    uint64_t handsShownDown_ = 0;
};

} // namespace Gamespace
