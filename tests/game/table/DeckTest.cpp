// CRuntime.h first: it declares a RAND_MAX of its own, which the C library's
// macro of that name (pulled in by the standard headers) would break.
#include "platform/core/CRuntime.h"

#include "game/table/Deck.h"
#include "platform/core/Clock.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {

std::string Names(const std::vector<Card>& cards)
{
    std::ostringstream out;
    for (size_t i = 0; i < cards.size(); ++i)
        out << (i ? " " : "") << cards[i].Name();
    return out.str();
}

// A deck with the process clock fixed at a chosen millisecond, so that every
// shuffle is the same.
class DeckTest : public ::testing::Test {
protected:
    void SetUp() override { SetClockMilliseconds(12345); }

    void SetClockMilliseconds(uint64_t ms)
    {
        clock.Set(0);
        platform::ResetProcessClock();
        clock.AdvanceMilliseconds(ms);
    }
    std::string Visible() const
    {
        std::vector<Card> visible;
        deck.GetVisibleBoardCards(visible);
        return Names(visible);
    }

    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    Deck deck;
};

const char* const kDeckAt12345 =
    "8c Qc Qb Kd 5d Jc 6b 3b 4s 7b 3s Jd 9b 9c Ab 2b 6d 3d Qd 9d 9s 7d 5b As 0b 0c 7c Kb 0d 6s 4b 5s 8s "
    "Ks 2d 0s 8b 5c 4c Ad 4d 2c Qs 7s Jb Kc Js 6c Ac 8d 2s 3c";

} // namespace

TEST_F(DeckTest, ShuffleAtAKnownClockGivesAKnownDeck)
{
    deck.Shuffle();
    EXPECT_EQ(Names(deck.GetCards()), kDeckAt12345);
    // Reshuffling within the same millisecond reseeds identically.
    deck.Shuffle();
    EXPECT_EQ(Names(deck.GetCards()), kDeckAt12345);
}

TEST_F(DeckTest, FirstDrawOfAPassCountsEvenWhenItSwapsNothing)
{
    // At clock 0 the second pass opens with a draw of two equal places.
    SetClockMilliseconds(0);
    deck.Shuffle();
    EXPECT_EQ(Names(deck.GetCards()),
              "3c Ad 2c 4b Qb 7b Qs Ab 4c Jd 8s 5s 6b 5c 9c 8b Jb 6c 7c 3d 0d 5b 0s 7s 9d 9s 9b Kc 5d 0c Js 8d "
              "Ks 7d Jc As 2s 3s Ac 6s Qc 3b Qd 4s 8c 2b Kd Kb 6d 0b 4d 2d");
}

TEST_F(DeckTest, DealNewHandDrawsTheBoardFirstFaceDown)
{
    deck.DealNewHand();
    EXPECT_EQ(Names(deck.GetBoard()), "8c Qc Qb Kd 5d");
    EXPECT_EQ(deck.GetCards().size(), 47u);
    EXPECT_EQ(deck.DrawCard().Name(), "Jc");
    EXPECT_EQ(deck.FaceUpCount(), 0u);
    EXPECT_EQ(Visible(), "");
}

TEST_F(DeckTest, RevealTurnsOverFlopTurnAndRiverThenNothing)
{
    deck.DealNewHand();
    std::vector<Card> out;
    deck.RevealBoardCards(3, out);
    EXPECT_EQ(Names(out), "8c Qc Qb");
    deck.RevealBoardCards(1, out);
    deck.RevealBoardCards(1, out);
    EXPECT_EQ(Names(out), "8c Qc Qb Kd 5d");
    deck.RevealBoardCards(1, out);
    EXPECT_EQ(out.size(), 5u);
    EXPECT_EQ(Visible(), "8c Qc Qb Kd 5d");
}

TEST_F(DeckTest, RevealBeyondTheDealtBoardAddsNothing)
{
    deck.ShuffleOnly();
    std::vector<Card> out;
    deck.RevealBoardCards(3, out);
    EXPECT_TRUE(out.empty());
    deck.PlaceBoardCard(Card(12, 0));
    deck.RevealBoardCards(3, out);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(Visible(), "As");
}

TEST_F(DeckTest, RestoringAHandCardByCard)
{
    deck.ShuffleOnly();
    EXPECT_TRUE(deck.GetBoard().empty());
    const Card ace(12, 3);
    deck.RemoveCard(ace);
    EXPECT_EQ(deck.GetCards().size(), 51u);
    deck.RemoveCard(ace);
    deck.RemoveCard(Card::None());
    EXPECT_EQ(deck.GetCards().size(), 51u);

    deck.PlaceBoardCard(ace);
    deck.PlaceBoardCard(Card::None());
    deck.PlaceBoardCard(Card(20, 1));
    deck.PlaceBoardCard(Card(0, 1));
    EXPECT_EQ(Names(deck.GetBoard()), "Ab 2c");
    EXPECT_EQ(Visible(), "Ab 2c");

    deck.FillBoard();
    EXPECT_EQ(deck.GetBoard().size(), 5u);
    EXPECT_EQ(Visible(), "Ab 2c");

    std::vector<Card> turned;
    deck.RevealBoardCards(1, turned);
    ASSERT_EQ(turned.size(), 1u);
    EXPECT_EQ(turned[0], deck.GetBoard()[2]);
    EXPECT_EQ(deck.FaceUpCount(), 3u);
}

TEST_F(DeckTest, AFullBoardTakesNoSixthCard)
{
    deck.DealNewHand();
    const std::vector<Card> board = deck.GetBoard();
    deck.PlaceBoardCard(Card(5, 2));
    EXPECT_EQ(deck.GetBoard(), board);
}

TEST_F(DeckTest, AnEmptyDeckGivesTheNoCard)
{
    deck.Shuffle();
    for (int i = 0; i < 52; ++i)
        EXPECT_TRUE(deck.DrawCard().IsReal());
    const Card none = deck.DrawCard();
    EXPECT_EQ(none.rank, 14u);
    EXPECT_EQ(none.suit, 5u);
    EXPECT_TRUE(none.IsNone());
    EXPECT_EQ(none.Name(), "");
}

