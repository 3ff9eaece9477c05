#include "game/table/BettingRound.h"

#include <algorithm>
#include <cmath>

namespace Gamespace {

namespace {
const SeatStake kNoStake{};
}

void BettingRound::Clear()
{
    *this = BettingRound{};
}

SeatStake* BettingRound::Find(uint16_t seat)
{
    return seat < kSeats ? &stakes_[seat] : nullptr;
}

const SeatStake& BettingRound::Stake(uint16_t seat) const
{
    return seat < kSeats ? stakes_[seat] : kNoStake;
}

void BettingRound::Buy(uint16_t seat, double chips)
{
    if (SeatStake* stake = Find(seat)) {
        stake->chips += chips;
        stake->bought += chips;
    }
}

void BettingRound::Credit(uint16_t seat, double amount)
{
    if (SeatStake* stake = Find(seat))
        stake->chips += amount;
}

void BettingRound::SetChips(uint16_t seat, double chips)
{
    if (SeatStake* stake = Find(seat))
        stake->chips = chips;
}

void BettingRound::Unseat(uint16_t seat)
{
    SeatStake* stake = Find(seat);
    if (stake == nullptr)
        return;
    chipsRemoved_ += stake->chips;
    boughtByRemoved_ += stake->bought;
    *stake = SeatStake{};
    restores_[seat] = Restore{};
}

double BettingRound::ChipsBought() const
{
    double bought = boughtByRemoved_;
    for (const SeatStake& stake : stakes_)
        bought += stake.bought;
    return bought;
}

uint16_t BettingRound::SeatAt(uint16_t position) const
{
    return position < order_.size() ? order_[position] : kSeats;
}

void BettingRound::StartHand()
{
    totalPot_ = 0.0;
    betMade_ = false;
    currentBet_ = 0.0;
    raiseCount_ = 0.0;
}

void BettingRound::DealIn(uint16_t seat, double minBet)
{
    SeatStake* stake = Find(seat);
    if (stake == nullptr)
        return;
    stake->isShort = stake->chips < minBet;
    stake->inHand = stake->chips >= minBet && stake->chips > 0.0;
    stake->bet = 0.0;
    stake->contribution = 0.0;
    stake->allIn = false;
    stake->acted = false;
    stake->bigBlindPending = false;
    Restore& restore = restores_[seat];
    if (!restore.pending)
        return;
    restore.pending = false;
    stake->bet = restore.bet;
    stake->contribution = restore.contribution;
    stake->inHand = restore.inHand;
    // Only a player dealt out of the hand is passed over.
    stake->isShort = !stake->inHand;
    stake->allIn = stake->inHand && stake->chips <= 0.0;
}

void BettingRound::SetRestore(uint16_t seat, double bet, bool inHand, double contribution)
{
    if (seat < kSeats)
        restores_[seat] = Restore{true, bet, inHand, contribution};
}

void BettingRound::RestoreRound(bool betMade, double currentBet, double totalPot, double raiseCount)
{
    betMade_ = betMade;
    currentBet_ = currentBet;
    raiseCount_ = raiseCount;
    totalPot_ = totalPot;
}

bool BettingRound::ContributionsAddUp() const
{
    // Amounts are sums of halves of whole bets, which doubles hold exactly;
    // the margin only forgives amounts typed with more decimals.
    constexpr double kMargin = 1e-6;
    double sum = 0.0;
    for (uint16_t seat : order_) {
        const SeatStake& stake = Stake(seat);
        const double out = stake.inHand ? stake.bet : 0.0;
        if (!std::isfinite(stake.contribution) || stake.contribution < out - kMargin)
            return false;
        sum += stake.contribution;
    }
    return std::fabs(sum - (totalPot_ + RoundPot())) <= kMargin;
}

void BettingRound::ResumeStanding(const RoundMarks& marks)
{
    for (size_t q = 0; q < order_.size(); ++q) {
        SeatStake* stake = Find(order_[q]);
        if (stake == nullptr)
            continue;
        auto position = static_cast<uint16_t>(q);
        stake->bigBlindPending = marks.preFlop && position == marks.bigBlind;
        // Whether a player out of the betting (folded or all-in) has acted
        // decides nothing any more.
        stake->acted = stake->inHand && !stake->allIn &&
                       (marks.preFlop ? ActedBeforeFlop(position, marks) : ActedAfterFlop(position, marks));
    }
}

bool BettingRound::ActedBeforeFlop(uint16_t position, const RoundMarks& marks) const
{
    // Only a blind goes in without a turn: more than his blind is a call or
    // a raise, and whoever has acted without putting chips in has folded.
    double blind = position == marks.bigBlind     ? marks.minBet
                   : position == marks.smallBlind ? marks.minBet * 0.5
                                                  : 0.0;
    if (Stake(SeatAt(position)).bet > blind)
        return true;
    // The big blind acts last when nobody raised; with him the last to act
    // and every bet level, his check (or call of nothing) closed the round.
    return position == marks.bigBlind && marks.lastActor == marks.bigBlind && BetsLevel();
}

bool BettingRound::ActedAfterFlop(uint16_t position, const RoundMarks& marks) const
{
    if (Stake(SeatAt(position)).bet > 0.0)
        return true;
    // The round opens after the last position and goes round from position
    // 0. Back at the last position, either nobody has acted yet, or a bet
    // was made and its first lap is over.
    if (static_cast<size_t>(marks.lastActor) + 1 >= order_.size())
        return betMade_;
    if (position <= marks.lastActor)
        return true;
    // Someone past the last actor with chips in put them in on a lap before
    // this one: everybody has had a turn.
    for (size_t q = static_cast<size_t>(marks.lastActor) + 1; q < order_.size(); ++q)
        if (Stake(order_[q]).inHand && Stake(order_[q]).bet > 0.0)
            return true;
    return false;
}

void BettingRound::MarkBigBlind(uint16_t seat)
{
    if (SeatStake* stake = Find(seat))
        stake->bigBlindPending = true;
}

void BettingRound::OpenBetting(double minBet)
{
    betMade_ = true;
    currentBet_ = minBet;
    raiseCount_ = 0.0;
}

void BettingRound::PutIn(SeatStake& stake, double amount)
{
    stake.chips -= amount;
    stake.bet += amount;
    stake.contribution += amount;
}

BetOutcome BettingRound::PostBlind(SeatStake& stake, double amount)
{
    BetOutcome outcome;
    outcome.action = kActionBlindsPosted;
    if (stake.inHand && amount > 0.0) {
        if (amount >= stake.chips) {
            stake.allIn = true;
            amount = stake.chips;
        }
        PutIn(stake, amount);
        outcome.moved = amount;
        outcome.chipsIn = true;
    }
    outcome.bet = stake.bet;
    return outcome;
}

BetMove BettingRound::WhatItComesTo(const SeatStake& stake, BetMove move, double amount) const
{
    bool everyChip = ((move == BetMove::Open || move == BetMove::Raise) && amount >= stake.chips) ||
                     (move == BetMove::Call && stake.chips - (currentBet_ - stake.bet) <= 0.0);
    return everyChip ? BetMove::AllIn : move;
}

BetOutcome BettingRound::Place(uint16_t seat, BetMove move, double amount)
{
    static const uint32_t kActions[] = {kActionBlindsPosted, kActionCheck, kActionOpen, kActionCall,
                                        kActionRaise,        kActionFold,  kActionAllIn};
    SeatStake* stake = Find(seat);
    if (stake == nullptr)
        return BetOutcome{};
    if (move == BetMove::Blind)
        return PostBlind(*stake, amount);
    move = WhatItComesTo(*stake, move, amount);
    BetOutcome outcome;
    outcome.action = kActions[static_cast<size_t>(move)];
    stake->acted = true;
    if (move == BetMove::Fold) {
        // The folded bet leaves the round with the player: into the pot.
        stake->inHand = false;
        totalPot_ += stake->bet;
    } else if (move != BetMove::Check) {
        if (move == BetMove::Call)
            outcome.moved = std::max(currentBet_ - stake->bet, 0.0);
        else if (move == BetMove::AllIn)
            outcome.moved = std::max(stake->chips, 0.0);
        else
            outcome.moved = std::max(amount, 0.0);
        PutIn(*stake, outcome.moved);
        if (move == BetMove::AllIn) {
            stake->allIn = true;
            stake->chips = 0.0;
        }
        outcome.chipsIn = true;
        betMade_ = true;
        currentBet_ = std::max(currentBet_, stake->bet);
        if (move == BetMove::Raise)
            raiseCount_ += 1.0;
    }
    outcome.bet = stake->bet;
    return outcome;
}

uint16_t BettingRound::NextToAct(uint16_t position) const
{
    auto able = [this](size_t q) {
        const SeatStake& stake = Stake(order_[q]);
        return stake.inHand && !stake.isShort && !stake.allIn;
    };
    for (size_t q = static_cast<size_t>(position) + 1; q < order_.size(); ++q)
        if (able(q))
            return static_cast<uint16_t>(q);
    for (size_t q = 0; q < order_.size(); ++q)
        if (able(q))
            return static_cast<uint16_t>(q);
    return 0;
}

bool BettingRound::BetsLevel() const
{
    return std::none_of(order_.begin(), order_.end(), [this](uint16_t seat) {
        const SeatStake& stake = Stake(seat);
        return stake.inHand && (stake.bet > currentBet_ || (stake.bet < currentBet_ && !stake.allIn));
    });
}

RoundStatus BettingRound::Status() const
{
    size_t inHand = 0;
    size_t done = 0;
    for (uint16_t seat : order_) {
        const SeatStake& stake = Stake(seat);
        if (!stake.inHand)
            continue;
        ++inHand;
        if (stake.acted || stake.allIn)
            ++done;
    }
    if (inHand <= 1)
        return RoundStatus::OnePlayerLeft;
    return BetsLevel() && done == inHand ? RoundStatus::RoundComplete : RoundStatus::AwaitingAction;
}

double BettingRound::RoundPot() const
{
    double pot = 0.0;
    for (uint16_t seat : order_)
        if (Stake(seat).inHand)
            pot += Stake(seat).bet;
    return pot;
}

void BettingRound::CollectBets()
{
    totalPot_ += RoundPot();
}

void BettingRound::StartNextRound()
{
    for (uint16_t seat : order_) {
        if (SeatStake* stake = Find(seat)) {
            stake->bet = 0.0;
            stake->acted = false;
            stake->bigBlindPending = false;
        }
    }
    betMade_ = false;
    currentBet_ = 0.0;
    raiseCount_ = 0.0;
}

void BettingRound::FillTableState(TableState& out) const
{
    out.betMade = betMade_ ? 1 : 0;
    out.currentBet = currentBet_;
    out.roundPot = RoundPot();
    out.raiseCount = raiseCount_;
    out.totalPot = totalPot_;
}

} // namespace Gamespace
