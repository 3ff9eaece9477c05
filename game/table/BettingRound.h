// The betting at the table, and the one place its money is kept: every
// seat's chips, what each has put in during the betting round and during the
// hand, its standing in the hand (dealt in, short, all-in, acted, owing the
// big blind's option), and the pot collected from the bets so far.
//
// It knows no timers, screens or players: the table moves chips only through
// it and asks it who acts next and whether the round is settled; the players
// read their money from it and place their bets through the table. The round
// pot is what the players still in the hand have bet in this round; a fold's
// bet goes straight to the collected pot, and the hand's pots are built at the
// showdown from what every seat put in (PotBuilder).
//
// It checks neither the legality nor the size of a bet: it keeps the highest
// bet and counts raises, and the players decide limits and raise caps from
// what it shows them.
//
// Threads: the main thread (the table's steps). Pure: no lock.
#pragma once

#include "game/table/TableState.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Gamespace {

// What a player does with chips.
enum class BetMove : uint8_t { Blind, Check, Open, Call, Raise, Fold, AllIn };

struct BetOutcome {
    // The table action the move came to: an open, call or raise of all the
    // chips or more is an all-in. A blind gives kActionBlindsPosted.
    uint32_t action = kActionCheck;
    double bet = 0.0;      // the seat's bet in the round afterwards
    double moved = 0.0;    // chips that went from the stack into the bet
    bool chipsIn = false;  // chips were put in (the chips sound plays), even none
};

// One seat's money and standing.
struct SeatStake {
    double chips = 0.0;         // in front of the player
    double bet = 0.0;           // put in during this betting round
    double contribution = 0.0;  // put in during the whole hand
    double bought = 0.0;        // chips paid for with money: buy-in, re-buys, add-ons
    bool inHand = false;        // dealt in and not folded
    bool isShort = false;       // below the minimum bet when dealt: passed over
    bool allIn = false;
    bool acted = false;         // acted in this betting round
    bool bigBlindPending = false; // posted the big blind; its option is open
};

// Where a restored betting round stood, as far as a saved hand tells: the
// positions in the acting order of the blinds (before the flop) and of the
// player who acted last (the round's opening position when nobody has yet),
// and the minimum bet the blinds were posted at.
struct RoundMarks {
    static constexpr uint16_t kNobody = 0xFFFF;
    bool preFlop = false;
    uint16_t smallBlind = kNobody;
    uint16_t bigBlind = kNobody;
    uint16_t lastActor = 0;
    double minBet = 0.0;
};

enum class RoundStatus {
    OnePlayerLeft,   // the hand is over: one player (or none) is still in it
    RoundComplete,   // every player in the hand acted or is all-in, and the bets are even
    AwaitingAction,  // someone still has to act
};

class BettingRound {
public:
    static constexpr uint16_t kSeats = 10;

    // Nobody at the table and nothing in the books.
    void Clear();

    // Seats and their money. A seat outside 0..9 has nothing and takes nothing.
    const SeatStake& Stake(uint16_t seat) const;
    // Chips paid for with money.
    void Buy(uint16_t seat, double chips);
    // Chips won at the showdown.
    void Credit(uint16_t seat, double amount);
    // For tests and tools: chips that came from nowhere.
    void SetChips(uint16_t seat, double chips);
    // The player leaves the table with his chips; the stake is emptied.
    void Unseat(uint16_t seat);
    // Every chip bought since Clear, and every chip that left with a player.
    double ChipsBought() const;
    double ChipsRemoved() const { return chipsRemoved_; }

    // The seats in acting order: from the first after the dealer to the
    // dealer. A position is an index into it.
    void SetActingOrder(std::vector<uint16_t> seats) { order_ = std::move(seats); }
    const std::vector<uint16_t>& ActingOrder() const { return order_; }
    uint16_t SeatAt(uint16_t position) const;

    // A new hand: nothing collected, no bet made.
    void StartHand();
    // Deals `seat` into a new hand: in it with at least the minimum bet (and
    // some chips), short below it; no bet, no flag. A restore set for the
    // seat takes effect here instead.
    void DealIn(uint16_t seat, double minBet);
    // The seat's bet, its part of the pot and its place in a hand restored
    // from a saved tournament, for its next DealIn: in the hand, it is all-in
    // when it has no chips.
    void SetRestore(uint16_t seat, double bet, bool inHand, double contribution);
    // The round of a restored hand: its bet, the pot collected before it and
    // the raises made in it.
    void RestoreRound(bool betMade, double currentBet, double totalPot, double raiseCount = 0.0);
    // Every seat's part of the pot is at least its bet, and together they
    // make the pot collected and the bets still out: true of every hand
    // played here, and of a restored one only when its parts are known.
    bool ContributionsAddUp() const;
    // What a saved hand does not keep of its round, worked out from what it
    // does (the bets, who is in the hand, the round's bet, who acted last):
    // who has acted, and the big blind's option before the flop. Call it
    // after RestoreRound, once every seat is dealt in again.
    void ResumeStanding(const RoundMarks& marks);
    // The seat posts the big blind this hand, and has the option after it.
    void MarkBigBlind(uint16_t seat);
    // Both blinds are in: the first round's bet is the minimum bet.
    void OpenBetting(double minBet);

    // Carries out a move of the player at `seat`; `amount` counts for a
    // blind, an open and a raise (the chips put in, not the new bet). Every
    // move but a blind marks the seat as having acted.
    BetOutcome Place(uint16_t seat, BetMove move, double amount = 0.0);

    // The first position after `position`, wrapping, whose player is in the
    // hand, not short and not all-in; 0 when there is none.
    uint16_t NextToAct(uint16_t position) const;
    RoundStatus Status() const;
    // The round is over: the bets of the players in the hand go to the pot.
    void CollectBets();
    // A new betting round: no bets, nobody has acted, no bet made.
    void StartNextRound();

    bool BetMade() const { return betMade_; }
    double CurrentBet() const { return currentBet_; }
    double RaiseCount() const { return raiseCount_; }
    // What the players still in the hand have bet in this round.
    double RoundPot() const;
    // The chips collected from the bets so far.
    double TotalPot() const { return totalPot_; }
    // Writes the betting figures into the table's public block.
    void FillTableState(TableState& out) const;

private:
    struct Restore {
        bool pending = false;
        double bet = 0.0;
        bool inHand = false;
        double contribution = 0.0;
    };
    SeatStake* Find(uint16_t seat);
    // Moves `amount` from the stack into the bet.
    static void PutIn(SeatStake& stake, double amount);
    static BetOutcome PostBlind(SeatStake& stake, double amount);
    // An open, call or raise that takes every chip is an all-in.
    BetMove WhatItComesTo(const SeatStake& stake, BetMove move, double amount) const;
    // Every player in the hand has the round's bet, or is all-in below it.
    bool BetsLevel() const;
    // Whether the player at `position` of a restored round has acted in it.
    bool ActedBeforeFlop(uint16_t position, const RoundMarks& marks) const;
    bool ActedAfterFlop(uint16_t position, const RoundMarks& marks) const;

    std::array<SeatStake, kSeats> stakes_{};
    std::array<Restore, kSeats> restores_{};
    std::vector<uint16_t> order_;
    bool betMade_ = false;
    double currentBet_ = 0.0;
    double raiseCount_ = 0.0;
    double totalPot_ = 0.0;
    double boughtByRemoved_ = 0.0;
    double chipsRemoved_ = 0.0;
};

} // namespace Gamespace
