// The common base of the human's player and the computer's players: a seated
// player's cards and hand record. It draws its cards when the table arms its
// step timer, posts blinds on its own timers, and carries out the six betting
// actions, each placed on the table and reported to it through PlayerMgrI.
// Its money (chips, bets, standing in the hand) is kept by the table's
// BettingRound under its seat; the getters below read it there. What the seat
// shows is its SeatDisplay's.
//
// Threads: the main thread only. The player's three time objects notify it
// on the time thread; it passes those notices to the table's event queue
// (OnTimerFinish) and acts on them when the main thread delivers them
// (OnQueuedTimer). No lock is needed beyond the queue's own.
#pragma once

#include "effects/EffectMessageObserver.h"
#include "game/table/BettingRound.h"
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
    // (The table marks the big blind's option on its betting unit.)
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
    void SetHighlighted(bool on);
    void DimHoleCards();
    void ShowStatus(const std::string& text);
    void RevealHoleCards();
    // The end of a betting round: the bet went to the pot (the table has
    // cleared it already); the seat shows no bet.
    void ResetForNewRound();
    void SetDealer(bool on);
    void SetName(const std::string& name);
    // A hole card of a saved hand, given back at the next reset (the table
    // restores the seat's bet and place in the hand with it).
    void AddSavedCard(uint32_t rank, uint32_t suit);
    void RefreshBetDisplay();

    const std::string& GetName() const { return name_; }
    // Chips paid for with money: a buy-in, a re-buy or an add-on.
    void BuyChips(double chips);
    // The seat's money, as the table's betting unit keeps it.
    const SeatStake& Stake() const;
    double GetChips() const { return Stake().chips; }
    double GetChipsBought() const { return Stake().bought; }
    double GetBet() const { return Stake().bet; }
    // What the player put in during the whole hand.
    double GetHandContribution() const { return Stake().contribution; }
    bool IsShort() const { return Stake().isShort; }
    bool IsInHand() const { return Stake().inHand; }
    bool HasActed() const { return Stake().acted; }
    bool IsAllIn() const { return Stake().allIn; }
    bool IsBigBlindPending() const { return Stake().bigBlindPending; }
    uint16_t GetSeat() const { return seat_; }
    void SetSeat(uint16_t seat) { seat_ = seat; }
    uint16_t GetPosition() const { return position_; }
    void SetPosition(uint16_t position) { position_ = position; }
    bool IsDealer() const { return dealer_ != 0; }
    uint32_t GetStyle() const { return style_; }

protected:
    // The seat's news of a re-buy or add-on (`what`): "Re-Buy $150 (15000
    // chips)".
    void AnnouncePurchase(const char* what, double price, double chips);
    // Places the move on the table, shows it at the seat and reports it.
    void Act(BetMove move, double amount);
    void ShowDrawnCard(size_t index);

    PlayerMgrI* table_;
    TableServices services_;
    uint32_t style_ = 0;
    std::string name_;
    uint16_t seat_ = 0;
    uint16_t position_ = 0;
    uint8_t dealer_ = 0;
    uint32_t handCategory_ = kHighCard;
    std::vector<HandGroup> handGroups_;
    std::vector<Card> holeCards_;
    std::vector<Card> savedCards_;

private:
    void OnStepTimer();
    std::unique_ptr<SeatDisplay> display_;
    TimeLibrary::ITimeObject* stepTimer_ = nullptr;
    TimeLibrary::ITimeObject* smallBlindTimer_ = nullptr;
    TimeLibrary::ITimeObject* bigBlindTimer_ = nullptr;
    // Takes the seat's news down.
    TimeLibrary::ITimeObject* newsTimer_ = nullptr;
};

} // namespace Gamespace
