// The common base of the human's player and the computer's players: a seated
// player's money, bet, cards and hand record. It draws its cards when the
// table arms its step timer, posts blinds on its own timers, and carries out
// the six betting actions, each reported to the table through PlayerMgrI.
// What the seat shows is its SeatDisplay's.
//
// Threads: the main thread only. The player's three time objects notify it
// on the time thread; it passes those notices to the table's event queue
// (OnTimerFinish) and acts on them when the main thread delivers them
// (OnQueuedTimer). No lock is needed beyond the queue's own.
#pragma once

#include "effects/EffectMessageObserver.h"
#include "game/table/Card.h"
#include "game/table/HandEvaluator.h"
#include "game/table/SeatDisplay.h"
#include "game/table/TableEventQueue.h"
#include "game/table/TableServices.h"
#include "timing/TimeObjectMessageObserver.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace TimeLibrary {
class ITimeObject;
}

namespace Gamespace {

class PlayerMgrI;

class PlayerI : public TimeLibrary::TimeObjectMessageObserver,
                public EffectLibrary::EffectMessageObserver,
                public TimerTarget {
public:
    PlayerI(PlayerMgrI* table, const TableServices& services, bool human);
    ~PlayerI() override;
    PlayerI(const PlayerI&) = delete;
    PlayerI& operator=(const PlayerI&) = delete;

    // Time thread: queue the notice for the main thread.
    void OnTimerFinish(uint32_t id) override;
    // Main thread: a time object of this player finished.
    void OnQueuedTimer(uint32_t id, TimerNotice notice) override;

    virtual void Show(bool on);
    virtual void ResetForNewGame();
    virtual void ResetForNewHand();
    // Starts the card-drawing step, staggered by position or seat.
    virtual void ArmStepTimer(bool byPosition);
    // The table gives this player the turn.
    virtual void TakeTurn();
    virtual bool IsHuman() const { return false; }
    // Tournament re-buy and add-on questions; true while the table must wait
    // for the answer.
    virtual bool OfferRebuy() { return false; }
    virtual bool OfferAddOn() { return false; }
    // Puts `amount` in as a blind; a blind of all the chips or more is an
    // all-in for what is there. A player out of the hand posts nothing.
    virtual void PostBlind(double amount);
    virtual void ResetSeatDisplay();

    // The action primitives; each ends with the table's OnPlayerAction.
    void Check();
    // An open or raise of at least the chips becomes all-in.
    void Open(double amount);
    void Call();
    void Raise(double amount);
    void Fold();
    void AllIn();

    void StartSmallBlindTimer();
    void StartBigBlindTimer();
    void SetPaused(bool paused);
    void PauseAndHide();

    Card GetHoleCard(size_t index) const;
    const std::vector<Card>& GetHoleCards() const { return holeCards_; }
    Card GetDealerDrawCard() const { return GetHoleCard(0); }
    void GetBestHandGroups(std::vector<HandGroup>& out) const { out = handGroups_; }
    // Rates the hole cards with the board as it stands; returns the category.
    uint32_t UpdateBestHand();
    uint32_t GetHandCategory() const { return handCategory_; }
    // The record a computer decision rated.
    void SetHandRecord(uint32_t category, std::vector<HandGroup> groups)
    {
        handCategory_ = category;
        handGroups_ = std::move(groups);
    }
    SeatDisplay& Display() { return *display_; }

    // Shows a win of `amount`: badge, labels, and the hole cards of the best
    // hand undimmed. The chips were credited by the table at the showdown.
    void TakeWinnings(double amount);
    // The table's credit of won chips.
    void CreditChips(double amount);
    void SetHighlighted(bool on);
    void DimHoleCards();
    void ShowStatus(const std::string& text);
    void RevealHoleCards();
    // The end of a betting round: the bet went to the pot.
    void ResetForNewRound();
    void SetDealer(bool on);
    void SetName(const std::string& name);
    // A saved hand to restore at the next reset.
    void AddSavedCard(uint32_t rank, uint32_t suit);
    void SetRestore(double savedBet, bool savedInHand);
    void RefreshBetDisplay();

    const std::string& GetName() const { return name_; }
    double GetChips() const { return chips_; }
    void SetChips(double chips) { chips_ = chips; }
    // Chips paid for with money: a buy-in, a re-buy or an add-on.
    void BuyChips(double chips)
    {
        chips_ += chips;
        chipsBought_ += chips;
    }
    double GetChipsBought() const { return chipsBought_; }
    double GetBet() const { return bet_; }
    // What the player put in during the whole hand.
    double GetHandContribution() const { return contribution_; }
    uint16_t GetSeat() const { return seat_; }
    void SetSeat(uint16_t seat) { seat_ = seat; }
    uint16_t GetPosition() const { return position_; }
    void SetPosition(uint16_t position) { position_ = position; }
    bool IsShort() const { return short_ != 0; }
    bool IsDealer() const { return dealer_ != 0; }
    bool IsInHand() const { return inHand_ != 0; }
    bool HasActed() const { return acted_ != 0; }
    void SetActed(bool acted) { acted_ = acted ? 1 : 0; }
    bool IsAllIn() const { return allIn_ != 0; }
    bool IsBigBlindPending() const { return bigBlindPending_ != 0; }
    // A restored hand leaves only the players in it able to act.
    void SetShort(bool isShort) { short_ = isShort ? 1 : 0; }
    uint32_t GetStyle() const { return style_; }

protected:
    // Moves `amount` from the chips into the bet and the round pot.
    void PutIn(double amount);
    void ShowDrawnCard(size_t index);

    PlayerMgrI* table_;
    TableServices services_;
    uint32_t style_ = 0;
    std::string name_;
    double chips_ = 0.0;
    double bet_ = 0.0;
    double savedBet_ = 0.0;
    double contribution_ = 0.0;
    double chipsBought_ = 0.0;
    uint16_t seat_ = 0;
    uint16_t position_ = 0;
    uint8_t short_ = 0;
    uint8_t dealer_ = 0;
    uint8_t inHand_ = 0;
    uint8_t acted_ = 0;
    uint8_t allIn_ = 0;
    uint8_t bigBlindPending_ = 0;
    uint32_t handCategory_ = kHighCard;
    std::vector<HandGroup> handGroups_;
    std::vector<Card> holeCards_;
    std::vector<Card> savedCards_;
    uint8_t restorePending_ = 0;
    uint8_t savedInHand_ = 0;

private:
    void OnStepTimer();
    std::unique_ptr<SeatDisplay> display_;
    TimeLibrary::ITimeObject* stepTimer_ = nullptr;
    TimeLibrary::ITimeObject* smallBlindTimer_ = nullptr;
    TimeLibrary::ITimeObject* bigBlindTimer_ = nullptr;
};

} // namespace Gamespace
