// The betting unit in the situations of real hands: whose turn it is, when a
// round is settled, where a fold's chips go, and the pots built from it.
#include "game/table/BettingRound.h"
#include "game/table/PotBuilder.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace Gamespace {
namespace {

// A hand at a table with a minimum bet of 2: the stacks are given in acting
// order (position 0 posts the small blind, position 1 the big blind) and seat
// number = position.
class Hand {
public:
    explicit Hand(std::initializer_list<double> stacks, double minBet = 2.0) : minBet_(minBet)
    {
        std::vector<uint16_t> order;
        for (double chips : stacks) {
            uint16_t seat = static_cast<uint16_t>(order.size());
            betting.Buy(seat, chips);
            order.push_back(seat);
        }
        betting.SetActingOrder(order);
        betting.StartHand();
        for (uint16_t seat : order)
            betting.DealIn(seat, minBet_);
    }

    // Both blinds in; the big blind's option is open.
    Hand& Blinds()
    {
        betting.MarkBigBlind(1);
        betting.Place(0, BetMove::Blind, minBet_ * 0.5);
        betting.Place(1, BetMove::Blind, minBet_);
        betting.OpenBetting(minBet_);
        return *this;
    }
    BetOutcome Move(uint16_t position, BetMove move, double amount = 0.0)
    {
        last_ = position;
        return betting.Place(position, move, amount);
    }
    // Whose turn it is after the last move.
    uint16_t Next() const { return betting.NextToAct(last_); }
    uint16_t Last() const { return last_; }
    RoundStatus Status() const { return betting.Status(); }
    // The round is over; the next one goes round from position 0.
    Hand& NextRound()
    {
        betting.CollectBets();
        betting.StartNextRound();
        preFlop_ = false;
        last_ = static_cast<uint16_t>(betting.ActingOrder().size() - 1);
        return *this;
    }

    // The hand as a saved tournament keeps it (the chips, the bets and
    // places of the players, the round's bet and pot, who acted last), taken
    // up by a fresh betting unit, the blinds posted at `smallBlind` and
    // `bigBlind`.
    BettingRound Resumed(uint16_t smallBlind = 0, uint16_t bigBlind = 1) const
    {
        BettingRound back;
        for (uint16_t seat : betting.ActingOrder()) {
            const SeatStake& stake = betting.Stake(seat);
            back.Buy(seat, stake.chips);
            back.SetRestore(seat, stake.inHand ? stake.bet : 0.0, stake.inHand, stake.contribution);
        }
        back.SetActingOrder(betting.ActingOrder());
        back.StartHand();
        for (uint16_t seat : betting.ActingOrder())
            back.DealIn(seat, minBet_);
        back.RestoreRound(betting.BetMade(), betting.CurrentBet(), betting.TotalPot(), betting.RaiseCount());
        RoundMarks marks;
        marks.preFlop = preFlop_;
        marks.smallBlind = smallBlind;
        marks.bigBlind = bigBlind;
        marks.lastActor = last_;
        marks.minBet = minBet_;
        back.ResumeStanding(marks);
        return back;
    }

    // The pots of a showdown now, players standing for their seats.
    std::vector<Pot> Pots() const
    {
        std::vector<PotEntrant> entrants;
        for (uint16_t seat : betting.ActingOrder()) {
            const SeatStake& stake = betting.Stake(seat);
            entrants.push_back(PotEntrant{Player(seat), stake.contribution, stake.inHand, stake.allIn});
        }
        return BuildPots(entrants, betting.TotalPot(), 0);
    }
    static PlayerI* Player(uint16_t seat) { return reinterpret_cast<PlayerI*>(0x100 + 0x10 * seat); }

    BettingRound betting;

private:
    double minBet_;
    uint16_t last_ = 1;
    bool preFlop_ = true;
};

// The resumed round stands as the played one: the same players still to
// act (whether a player out of the betting acted decides nothing), the same
// big blind's option, the same status and the same next player.
void ExpectStandsAsPlayed(const Hand& played, const BettingRound& back)
{
    for (uint16_t seat : played.betting.ActingOrder()) {
        const SeatStake& was = played.betting.Stake(seat);
        const SeatStake& is = back.Stake(seat);
        EXPECT_EQ(is.bigBlindPending, was.bigBlindPending) << "seat " << seat;
        if (was.inHand && !was.allIn) {
            EXPECT_EQ(is.acted, was.acted) << "seat " << seat;
        }
    }
    EXPECT_EQ(back.Status(), played.Status());
    if (played.Status() == RoundStatus::AwaitingAction) {
        EXPECT_EQ(back.NextToAct(played.Last()), played.Next());
    }
}

TEST(BettingRound, HeadsUpTheSmallBlindActsFirstAndTheBigBlindClosesTheRound)
{
    Hand hand({100, 100});
    hand.Blinds();
    EXPECT_EQ(hand.Next(), 0) << "after the big blind the turn wraps to the small blind";
    EXPECT_EQ(hand.Move(0, BetMove::Call).bet, 2.0);
    EXPECT_EQ(hand.Status(), RoundStatus::AwaitingAction) << "the bets are even but the big blind has not acted";
    EXPECT_EQ(hand.Next(), 1);
    hand.Move(1, BetMove::Check);
    EXPECT_EQ(hand.Status(), RoundStatus::RoundComplete);

    hand.betting.CollectBets();
    hand.betting.StartNextRound();
    EXPECT_DOUBLE_EQ(hand.betting.TotalPot(), 4.0);
    EXPECT_DOUBLE_EQ(hand.betting.RoundPot(), 0.0);
    EXPECT_FALSE(hand.betting.BetMade());
    EXPECT_EQ(hand.betting.NextToAct(1), 0) << "after the flop the first player after the dealer acts first";
    EXPECT_EQ(hand.Status(), RoundStatus::AwaitingAction);
}

TEST(BettingRound, TheBigBlindHasHisOptionAndARaiseOpensTheRoundAgain)
{
    Hand hand({100, 100, 100});
    hand.Blinds();
    EXPECT_EQ(hand.Next(), 2);
    hand.Move(2, BetMove::Call);
    hand.Move(0, BetMove::Call);
    EXPECT_TRUE(hand.betting.Stake(1).bigBlindPending);
    EXPECT_EQ(hand.Status(), RoundStatus::AwaitingAction);
    EXPECT_EQ(hand.Next(), 1);
    BetOutcome raise = hand.Move(1, BetMove::Raise, 6);
    EXPECT_EQ(raise.action, kActionRaise);
    EXPECT_DOUBLE_EQ(hand.betting.CurrentBet(), 8.0);
    EXPECT_EQ(hand.Status(), RoundStatus::AwaitingAction) << "the callers acted, but their bets are short now";
    EXPECT_EQ(hand.Next(), 2);
    hand.Move(2, BetMove::Call);
    hand.Move(0, BetMove::Call);
    EXPECT_EQ(hand.Status(), RoundStatus::RoundComplete);
    EXPECT_DOUBLE_EQ(hand.betting.RoundPot(), 24.0);
}

TEST(BettingRound, AReRaiseGivesTheTurnBackToEveryoneBehindIt)
{
    Hand hand({200, 200, 200, 200});
    hand.Blinds();
    hand.Move(2, BetMove::Raise, 10);
    hand.Move(3, BetMove::Raise, 30);
    hand.Move(0, BetMove::Fold);
    hand.Move(1, BetMove::Fold);
    EXPECT_EQ(hand.Status(), RoundStatus::AwaitingAction);
    EXPECT_EQ(hand.Next(), 2) << "the first raiser must answer the re-raise";
    hand.Move(2, BetMove::Raise, 40);
    EXPECT_EQ(hand.Next(), 3);
    hand.Move(3, BetMove::Call);
    EXPECT_EQ(hand.Status(), RoundStatus::RoundComplete);
    EXPECT_DOUBLE_EQ(hand.betting.Stake(2).bet, 50.0);
    EXPECT_DOUBLE_EQ(hand.betting.Stake(3).bet, 50.0);
}

TEST(BettingRound, ACallShorterThanTheBetIsAnAllInAndMakesASidePot)
{
    Hand hand({100, 20, 100});
    hand.Blinds();
    hand.Move(2, BetMove::Raise, 50);
    hand.Move(0, BetMove::Call);
    BetOutcome shortCall = hand.Move(1, BetMove::Call);
    EXPECT_EQ(shortCall.action, kActionAllIn);
    EXPECT_DOUBLE_EQ(shortCall.bet, 20.0);
    EXPECT_DOUBLE_EQ(hand.betting.Stake(1).chips, 0.0);
    EXPECT_DOUBLE_EQ(hand.betting.CurrentBet(), 50.0) << "a short all-in does not lower the bet";
    EXPECT_EQ(hand.Status(), RoundStatus::RoundComplete) << "an all-in below the bet counts as settled";
    EXPECT_EQ(hand.betting.NextToAct(2), 0) << "the all-in player is passed over";

    hand.betting.CollectBets();
    std::vector<Pot> pots = hand.Pots();
    ASSERT_EQ(pots.size(), 2u);
    EXPECT_DOUBLE_EQ(pots[0].amount, 60.0);
    EXPECT_EQ(pots[0].eligible.size(), 3u);
    EXPECT_DOUBLE_EQ(pots[1].amount, 60.0);
    EXPECT_EQ(pots[1].eligible, (std::vector<PlayerI*>{Hand::Player(0), Hand::Player(2)}));
}

TEST(BettingRound, WhenEveryoneFoldsTheLastPlayerTakesAPotOfEveryFoldedChip)
{
    Hand hand({100, 100, 100, 100});
    hand.Blinds();
    hand.Move(2, BetMove::Raise, 6);
    hand.Move(3, BetMove::Call);
    EXPECT_EQ(hand.Move(0, BetMove::Fold).bet, 1.0) << "a fold reports the bet it leaves behind";
    EXPECT_DOUBLE_EQ(hand.betting.TotalPot(), 1.0) << "a fold's bet goes to the pot at once";
    hand.Move(1, BetMove::Fold);
    hand.Move(3, BetMove::Fold);
    EXPECT_EQ(hand.Status(), RoundStatus::OnePlayerLeft);
    EXPECT_DOUBLE_EQ(hand.betting.RoundPot(), 6.0) << "only the bet of the player still in the hand";
    hand.betting.CollectBets();
    EXPECT_DOUBLE_EQ(hand.betting.TotalPot(), 15.0);
    std::vector<Pot> pots = hand.Pots();
    ASSERT_EQ(pots.size(), 1u);
    EXPECT_DOUBLE_EQ(pots[0].amount, 15.0);
    EXPECT_EQ(pots[0].eligible, (std::vector<PlayerI*>{Hand::Player(2)}));
}

TEST(BettingRound, RaisesAreCountedButNeverCapped)
{
    // In a limit game the players hold back after three raises; the table
    // itself accepts every raise and only counts them.
    Hand hand({500, 500});
    hand.Blinds();
    for (int raise = 0; raise < 5; ++raise)
    {
        uint16_t position = raise % 2 == 0 ? 0 : 1;
        hand.Move(position, BetMove::Raise, hand.betting.CurrentBet() + 4 - hand.betting.Stake(position).bet);
    }
    EXPECT_DOUBLE_EQ(hand.betting.RaiseCount(), 5.0);
    EXPECT_EQ(hand.Status(), RoundStatus::AwaitingAction);
    hand.Move(1, BetMove::Call);
    EXPECT_EQ(hand.Status(), RoundStatus::RoundComplete);
    hand.betting.StartNextRound();
    EXPECT_DOUBLE_EQ(hand.betting.RaiseCount(), 0.0);
}

TEST(BettingRound, BetsOfAllTheChipsAreAllIns)
{
    Hand hand({100, 100, 30, 5});
    hand.Blinds();
    BetOutcome open = hand.Move(2, BetMove::Raise, 30);
    EXPECT_EQ(open.action, kActionAllIn);
    EXPECT_TRUE(hand.betting.Stake(2).allIn);
    BetOutcome call = hand.Move(3, BetMove::Call);
    EXPECT_EQ(call.action, kActionAllIn) << "a call with no more than the chips to call";
    EXPECT_DOUBLE_EQ(call.bet, 5.0);
    EXPECT_TRUE(call.chipsIn);
    EXPECT_EQ(hand.betting.NextToAct(3), 0);
}

TEST(BettingRound, AShortStackSitsOutAndABlindBeyondTheChipsIsAnAllIn)
{
    Hand hand({1.5, 100, 1});
    EXPECT_TRUE(hand.betting.Stake(2).isShort);
    EXPECT_FALSE(hand.betting.Stake(2).inHand);
    EXPECT_FALSE(hand.betting.Stake(0).inHand) << "below the minimum bet of 2";
    hand.betting.SetChips(0, 2);
    hand.betting.DealIn(0, 2);
    hand.Blinds();
    EXPECT_DOUBLE_EQ(hand.betting.Stake(0).bet, 1.0);
    EXPECT_FALSE(hand.betting.Place(2, BetMove::Blind, 1).chipsIn) << "a player out of the hand posts nothing";
    EXPECT_EQ(hand.betting.NextToAct(1), 0) << "the short seat is passed over";

    Hand dealt({100, 100, 100});
    dealt.betting.SetChips(1, 1.5);
    dealt.Blinds();
    EXPECT_TRUE(dealt.betting.Stake(1).allIn);
    EXPECT_DOUBLE_EQ(dealt.betting.Stake(1).bet, 1.5) << "the whole stack, not the blind of 2";
    EXPECT_DOUBLE_EQ(dealt.betting.Stake(1).chips, 0.0);
}

TEST(BettingRound, ARestoredSeatTakesBackItsBetAndPlace)
{
    Hand hand({100, 0, 100});
    hand.betting.SetRestore(1, 40, true, 90);
    hand.betting.SetRestore(2, 0, false, 10);
    for (uint16_t seat = 0; seat < 3; ++seat)
        hand.betting.DealIn(seat, 2);
    EXPECT_DOUBLE_EQ(hand.betting.Stake(1).bet, 40.0);
    EXPECT_DOUBLE_EQ(hand.betting.Stake(1).contribution, 90.0) << "what it put in before this round counts";
    EXPECT_DOUBLE_EQ(hand.betting.Stake(2).contribution, 10.0) << "a folded seat's chips stay in the pot";
    EXPECT_TRUE(hand.betting.Stake(1).allIn) << "in the hand with no chips left";
    EXPECT_FALSE(hand.betting.Stake(2).inHand);
    EXPECT_TRUE(hand.betting.Stake(2).isShort);
    hand.betting.RestoreRound(true, 40, 120);
    EXPECT_DOUBLE_EQ(hand.betting.RoundPot(), 40.0);
    EXPECT_EQ(hand.betting.NextToAct(1), 0);
    // The restore is used once.
    hand.betting.DealIn(1, 2);
    EXPECT_DOUBLE_EQ(hand.betting.Stake(1).bet, 0.0);
}

TEST(BettingRound, TheBooksCountEveryChipBoughtAndEveryChipThatLeft)
{
    BettingRound betting;
    betting.Buy(0, 200);
    betting.Buy(3, 200);
    betting.Buy(3, 50);
    betting.Credit(0, 30);
    betting.SetChips(3, 220);
    betting.Unseat(3);
    EXPECT_DOUBLE_EQ(betting.ChipsBought(), 450.0);
    EXPECT_DOUBLE_EQ(betting.ChipsRemoved(), 220.0);
    EXPECT_DOUBLE_EQ(betting.Stake(3).chips, 0.0);
    EXPECT_DOUBLE_EQ(betting.Stake(12).chips, 0.0) << "no seat 12";
    betting.Buy(12, 5);
    EXPECT_DOUBLE_EQ(betting.ChipsBought(), 450.0);
    betting.Clear();
    EXPECT_DOUBLE_EQ(betting.ChipsBought(), 0.0);
}

// A hand resumed from its saved figures stands as it did at every move
// before the flop: the callers have acted, the small blind has not until he
// puts in more than his blind, the big blind keeps his option until he has
// raised or closed the round, and a raise leaves him to answer it.
TEST(BettingRound, AResumedRoundBeforeTheFlopKnowsWhoActedAndTheBigBlindsOption)
{
    Hand hand({100, 100, 100, 100});
    hand.Blinds();
    ExpectStandsAsPlayed(hand, hand.Resumed());
    hand.Move(2, BetMove::Call);
    ExpectStandsAsPlayed(hand, hand.Resumed());
    hand.Move(3, BetMove::Fold);
    hand.Move(0, BetMove::Call);
    BettingRound back = hand.Resumed();
    ExpectStandsAsPlayed(hand, back);
    EXPECT_TRUE(back.Stake(1).bigBlindPending);
    EXPECT_FALSE(back.Stake(1).acted);
    EXPECT_EQ(back.NextToAct(0), 1) << "the option is the big blind's";
    hand.Move(1, BetMove::Check);
    EXPECT_EQ(hand.Resumed().Status(), RoundStatus::RoundComplete) << "his check closed the round";

    Hand raised({100, 100, 100, 100});
    raised.Blinds();
    raised.Move(2, BetMove::Raise, 6);
    ExpectStandsAsPlayed(raised, raised.Resumed());
    raised.Move(3, BetMove::Call);
    raised.Move(0, BetMove::Fold);
    ExpectStandsAsPlayed(raised, raised.Resumed());
    raised.Move(1, BetMove::Raise, 12);
    ExpectStandsAsPlayed(raised, raised.Resumed());
    raised.Move(2, BetMove::Call);
    ExpectStandsAsPlayed(raised, raised.Resumed());
    raised.Move(3, BetMove::Call);
    EXPECT_EQ(raised.Resumed().Status(), RoundStatus::RoundComplete);
}

TEST(BettingRound, AResumedHeadsUpRoundGivesTheBigBlindHisOptionAfterTheSmallBlindsCall)
{
    Hand hand({100, 100});
    hand.Blinds();
    ExpectStandsAsPlayed(hand, hand.Resumed());
    hand.Move(0, BetMove::Call);
    BettingRound back = hand.Resumed();
    ExpectStandsAsPlayed(hand, back);
    EXPECT_EQ(back.NextToAct(0), 1);
    hand.Move(1, BetMove::Check);
    EXPECT_EQ(hand.Resumed().Status(), RoundStatus::RoundComplete);
}

TEST(BettingRound, AResumedRoundWithABlindAllInOrASeatOutPutsTheBlindsWhereTheyWere)
{
    // The big blind's stack is his blind: he is all-in and has no option.
    Hand allIn({100, 2, 100});
    allIn.Blinds();
    ASSERT_TRUE(allIn.betting.Stake(1).allIn);
    allIn.Move(2, BetMove::Call);
    ExpectStandsAsPlayed(allIn, allIn.Resumed());
    allIn.Move(0, BetMove::Call);
    EXPECT_EQ(allIn.Resumed().Status(), RoundStatus::RoundComplete);

    // A seat dealt out of the hand: the blinds are the next two dealt in.
    Hand out({1, 100, 100, 100});
    out.betting.MarkBigBlind(2);
    out.betting.Place(1, BetMove::Blind, 1);
    out.betting.Place(2, BetMove::Blind, 2);
    out.betting.OpenBetting(2);
    out.Move(3, BetMove::Call);
    out.Move(1, BetMove::Call);
    BettingRound back = out.Resumed(1, 2);
    ExpectStandsAsPlayed(out, back);
    EXPECT_TRUE(back.Stake(2).bigBlindPending);
    EXPECT_EQ(back.NextToAct(1), 2);
}

// After the flop the turn goes round from position 0: those up to the last
// actor have acted, and once a bet has gone round, everybody has.
TEST(BettingRound, AResumedRoundAfterTheFlopKnowsWhoHasHadHisTurn)
{
    Hand hand({100, 100, 100, 100});
    hand.Blinds();
    hand.Move(2, BetMove::Call);
    hand.Move(3, BetMove::Call);
    hand.Move(0, BetMove::Call);
    hand.Move(1, BetMove::Check);
    hand.NextRound();
    BettingRound opened = hand.Resumed();
    ExpectStandsAsPlayed(hand, opened);
    EXPECT_EQ(opened.NextToAct(3), 0);
    hand.Move(0, BetMove::Check);
    hand.Move(1, BetMove::Check);
    ExpectStandsAsPlayed(hand, hand.Resumed());
    hand.Move(2, BetMove::Open, 4);
    ExpectStandsAsPlayed(hand, hand.Resumed());
    hand.Move(3, BetMove::Call);
    hand.Move(0, BetMove::Call);
    BettingRound lapped = hand.Resumed();
    ExpectStandsAsPlayed(hand, lapped);
    EXPECT_TRUE(lapped.Stake(1).acted) << "he checked before the bet";
    EXPECT_EQ(lapped.NextToAct(0), 1);
    hand.Move(1, BetMove::Raise, 8);
    ExpectStandsAsPlayed(hand, hand.Resumed());
    hand.Move(2, BetMove::Fold);
    hand.Move(3, BetMove::Call);
    hand.Move(0, BetMove::Call);
    EXPECT_EQ(hand.Resumed().Status(), RoundStatus::RoundComplete);

    // The dealer opens: the first lap is over with him.
    hand.NextRound();
    hand.Move(0, BetMove::Check);
    hand.Move(1, BetMove::Check);
    hand.Move(3, BetMove::Open, 4);
    BettingRound dealerBet = hand.Resumed();
    ExpectStandsAsPlayed(hand, dealerBet);
    EXPECT_EQ(dealerBet.NextToAct(3), 0);
}

} // namespace
} // namespace Gamespace
