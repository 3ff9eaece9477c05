// The table as the players see it: every change a player makes to the hand
// goes through these operations. The players' money is kept in the table's
// BettingRound: they read it there and move chips only through PlaceBet and
// BuyChips.
//
// Threads: the main thread (the table's event queue delivers the timer steps
// there, see TableEventQueue).
#pragma once

#include "game/table/BettingRound.h"
#include "game/table/Card.h"
#include "game/table/TableState.h"

#include <cstdint>

namespace Gamespace {

class PlayerMgrI {
public:
    virtual ~PlayerMgrI() = default;
    // The screen places of seat 0..9; all zero for any other seat.
    virtual void GetSeatLayout(SeatLayout& out, uint16_t seat) = 0;
    // The next card of the deck.
    virtual Card DrawCard() = 0;
    // (11 - game speed) x 100 ms: every table delay is a multiple of it.
    virtual uint16_t GetActionDelay() = 0;
    // A player's timed step (a drawn card) is done.
    virtual void OnPlayerStepDone(uint16_t seat, uint16_t position) = 0;
    virtual bool IsPaused() = 0;
    virtual bool IsSelectingDealer() = 0;
    virtual double GetMinBet() = 0;
    virtual uint16_t GetBoardStage() = 0;
    virtual void GetTableState(TableState& out) = 0;
    // Every seat's chips and bets, and the round's figures.
    virtual const BettingRound& GetBetting() = 0;
    // The player at `seat` moves chips: a blind or one of the six actions.
    virtual BetOutcome PlaceBet(uint16_t seat, BetMove move, double amount) = 0;
    // Chips the player at `seat` paid for: a re-buy or an add-on.
    virtual void BuyChips(uint16_t seat, double chips) = 0;
    // After the move, the player reports it: `code` is the TableAction it came
    // to, `amount` the player's bet after it.
    virtual void OnPlayerAction(uint16_t position, uint32_t code, double amount) = 0;
    // The human's answer to a re-buy the table asked for.
    virtual void ResumeAfterRebuy(bool rebought) = 0;
    // The table waited for an add-on answer: deal the next hand.
    virtual void ScheduleNextHand() = 0;
    // A re-buy or add-on payment into the tournament's prize pool.
    virtual void AddToPrizePool(double amount) = 0;
};

} // namespace Gamespace
