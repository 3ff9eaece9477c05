// CRuntime.h first: it declares a RAND_MAX of its own, which the C library's
// macro of that name (pulled in by the standard headers) would break.
#include "platform/core/CRuntime.h"

#include "game/table/Deck.h"
#include "platform/core/Clock.h"
#include "tests/support/RecordingFactory.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

using testing_support::RecordedObject;
using testing_support::RecordingFactory;

namespace {

std::string Names(const std::vector<Card>& cards)
{
    std::ostringstream out;
    for (size_t i = 0; i < cards.size(); ++i)
        out << (i ? " " : "") << cards[i].Name();
    return out.str();
}

// A deck on a recording factory, with the process clock fixed at a chosen
// millisecond so that every shuffle is the same.
class DeckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::ResetProcessClock();
        SetClockMilliseconds(12345);
        deck = std::make_unique<Deck>(&factory);
        images = factory.ObjectsOfKind("Image");
        ASSERT_EQ(images.size(), 10u);
    }

    void SetClockMilliseconds(uint64_t ms)
    {
        clock.Set(0);
        platform::ResetProcessClock();
        clock.AdvanceMilliseconds(ms);
    }

    // Card images and masks were created in pairs, place by place.
    RecordedObject* CardImage(int k) { return images[static_cast<size_t>(2 * k)]; }
    RecordedObject* Mask(int k) { return images[static_cast<size_t>(2 * k + 1)]; }
    std::string MaskPattern()
    {
        std::string pattern;
        for (int k = 0; k < 5; ++k)
            pattern += Mask(k)->visible ? 'M' : '-';
        return pattern;
    }
    int SoundPlays()
    {
        int plays = 0;
        for (const auto& sound : factory.Sounds())
            plays += sound->plays;
        return plays;
    }

    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    RecordingFactory factory;
    std::unique_ptr<Deck> deck;
    std::vector<RecordedObject*> images;
};

const char* const kDeckAt12345 =
    "8c Qc Qb Kd 5d Jc 6b 3b 4s 7b 3s Jd 9b 9c Ab 2b 6d 3d Qd 9d 9s 7d 5b As 0b 0c 7c Kb 0d 6s 4b 5s 8s "
    "Ks 2d 0s 8b 5c 4c Ad 4d 2c Qs 7s Jb Kc Js 6c Ac 8d 2s 3c";

} // namespace

TEST_F(DeckTest, BoardObjectsAreLaidOutHiddenAtTheirLayers)
{
    for (int k = 0; k < 5; ++k) {
        for (RecordedObject* image : {CardImage(k), Mask(k)}) {
            EXPECT_EQ(image->position, (ControlLibrary::Point{312 + 94 * k, 305}));
            EXPECT_EQ(image->hAlign, 1u);
            EXPECT_EQ(image->vAlign, 1u);
            EXPECT_TRUE(image->alwaysRepaint);
            EXPECT_FALSE(image->visible);
        }
        EXPECT_EQ(CardImage(k)->layer, 150);
        EXPECT_EQ(Mask(k)->layer, 155);
        EXPECT_EQ(Mask(k)->image, "images/cards/mask1.png");
    }
    ASSERT_EQ(factory.Sounds().size(), 3u);
    for (const auto& sound : factory.Sounds()) {
        EXPECT_TRUE(sound->file == "sounds/cards/0.ogg" || sound->file == "sounds/cards/1.ogg" ||
                    sound->file == "sounds/cards/2.ogg")
            << sound->file;
        EXPECT_FALSE(sound->IsMusic());
    }
}

TEST_F(DeckTest, ShuffleAtAKnownClockGivesAKnownDeck)
{
    deck->Shuffle();
    EXPECT_EQ(Names(deck->GetCards()), kDeckAt12345);
    // Reshuffling within the same millisecond reseeds identically.
    deck->Shuffle();
    EXPECT_EQ(Names(deck->GetCards()), kDeckAt12345);
}

TEST_F(DeckTest, FirstDrawOfAPassCountsEvenWhenItSwapsNothing)
{
    // At clock 0 the second pass opens with a draw of two equal places.
    SetClockMilliseconds(0);
    deck->Shuffle();
    EXPECT_EQ(Names(deck->GetCards()),
              "3c Ad 2c 4b Qb 7b Qs Ab 4c Jd 8s 5s 6b 5c 9c 8b Jb 6c 7c 3d 0d 5b 0s 7s 9d 9s 9b Kc 5d 0c Js 8d "
              "Ks 7d Jc As 2s 3s Ac 6s Qc 3b Qd 4s 8c 2b Kd Kb 6d 0b 4d 2d");
}

TEST_F(DeckTest, DealNewHandDrawsTheBoardFirstFaceDown)
{
    deck->ShowMasks(true);
    deck->DealNewHand();
    EXPECT_EQ(Names(deck->GetBoard()), "8c Qc Qb Kd 5d");
    EXPECT_EQ(deck->GetCards().size(), 47u);
    EXPECT_EQ(deck->DrawCard().Name(), "Jc");
    for (int k = 0; k < 5; ++k)
        EXPECT_FALSE(CardImage(k)->visible);
    EXPECT_EQ(CardImage(0)->image, "images/cards/set1/8c.png");
    EXPECT_EQ(CardImage(3)->image, "images/cards/set1/Kd.png");
    EXPECT_EQ(MaskPattern(), "-----");
    std::vector<Card> visible;
    deck->GetVisibleBoardCards(visible);
    EXPECT_TRUE(visible.empty());
}

TEST_F(DeckTest, RevealTurnsOverFlopTurnAndRiverThenNothing)
{
    deck->DealNewHand();
    std::vector<Card> out;
    deck->RevealBoardCards(3, out);
    EXPECT_EQ(Names(out), "8c Qc Qb");
    deck->RevealBoardCards(1, out);
    deck->RevealBoardCards(1, out);
    EXPECT_EQ(Names(out), "8c Qc Qb Kd 5d");
    EXPECT_EQ(SoundPlays(), 5);
    deck->RevealBoardCards(1, out);
    EXPECT_EQ(out.size(), 5u);
    EXPECT_EQ(SoundPlays(), 5);
    for (int k = 0; k < 5; ++k)
        EXPECT_TRUE(CardImage(k)->visible);
    std::vector<Card> visible;
    deck->GetVisibleBoardCards(visible);
    EXPECT_EQ(Names(visible), "8c Qc Qb Kd 5d");
}

TEST_F(DeckTest, RevealBeyondTheDealtBoardAddsNothing)
{
    deck->ShuffleOnly();
    std::vector<Card> out;
    deck->RevealBoardCards(3, out);
    EXPECT_TRUE(out.empty());
    deck->PlaceBoardCard(Card(12, 0));
    deck->RevealBoardCards(3, out);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(SoundPlays(), 0);
}

TEST_F(DeckTest, RestoringAHandCardByCard)
{
    deck->ShuffleOnly();
    EXPECT_TRUE(deck->GetBoard().empty());
    const Card ace(12, 3);
    deck->RemoveCard(ace);
    EXPECT_EQ(deck->GetCards().size(), 51u);
    deck->RemoveCard(ace);
    deck->RemoveCard(Card::None());
    EXPECT_EQ(deck->GetCards().size(), 51u);

    deck->PlaceBoardCard(ace);
    deck->PlaceBoardCard(Card::None());
    deck->PlaceBoardCard(Card(20, 1));
    deck->PlaceBoardCard(Card(0, 1));
    EXPECT_EQ(Names(deck->GetBoard()), "Ab 2c");
    EXPECT_TRUE(CardImage(0)->visible);
    EXPECT_TRUE(CardImage(1)->visible);
    EXPECT_EQ(CardImage(1)->image, "images/cards/set1/2c.png");

    deck->FillBoard();
    EXPECT_EQ(deck->GetBoard().size(), 5u);
    EXPECT_FALSE(CardImage(2)->visible);
    std::vector<Card> visible;
    deck->GetVisibleBoardCards(visible);
    EXPECT_EQ(Names(visible), "Ab 2c");

    std::vector<Card> turned;
    deck->RevealBoardCards(1, turned);
    ASSERT_EQ(turned.size(), 1u);
    EXPECT_EQ(turned[0], deck->GetBoard()[2]);
}

TEST_F(DeckTest, AFullBoardTakesNoSixthCard)
{
    deck->DealNewHand();
    const std::vector<Card> board = deck->GetBoard();
    deck->PlaceBoardCard(Card(5, 2));
    EXPECT_EQ(deck->GetBoard(), board);
}

TEST_F(DeckTest, AnEmptyDeckGivesTheNoCard)
{
    deck->Shuffle();
    for (int i = 0; i < 52; ++i)
        EXPECT_TRUE(deck->DrawCard().IsReal());
    const Card none = deck->DrawCard();
    EXPECT_EQ(none.rank, 14u);
    EXPECT_EQ(none.suit, 5u);
    EXPECT_TRUE(none.IsNone());
    EXPECT_EQ(none.Name(), "");
}

TEST_F(DeckTest, HighlightLeavesOnlyTheWinningBoardCardsBright)
{
    deck->DealNewHand(); // board 8c Qc Qb Kd 5d
    std::vector<Card> out;
    deck->RevealBoardCards(5, out);
    // Queens with ace, king and eight: a sixth card in the record (5d) is
    // beyond the five that make the hand and stays dimmed.
    std::vector<HandGroup> best = {
        {kPair, {Card(10, 1), Card(10, 3)}},
        {kHighCard, {Card(12, 0), Card(11, 2), Card(6, 1), Card(3, 2)}},
    };
    deck->HighlightBestHandBoardCards(best);
    EXPECT_EQ(MaskPattern(), "----M");

    // Only four places turned over: no mask is left over the fifth.
    deck->DealNewHand();
    deck->RevealBoardCards(4, out);
    best[1].cards = {Card(12, 0), Card(3, 2)};
    deck->HighlightBestHandBoardCards(best);
    EXPECT_EQ(MaskPattern(), "M--M-");
}

TEST_F(DeckTest, ReleaseGivesEveryObjectBackOnce)
{
    deck->DealNewHand();
    deck->Release();
    EXPECT_EQ(factory.LiveObjectCount(), 0u);
    EXPECT_EQ(factory.LiveSoundCount(), 0u);
    deck->Release();
    // The deck still deals after its screen objects are gone.
    deck->DealNewHand();
    std::vector<Card> out;
    deck->RevealBoardCards(3, out);
    EXPECT_EQ(out.size(), 3u);
    EXPECT_TRUE(factory.Faults().empty()) << factory.Faults().front();
}

TEST_F(DeckTest, DealsWithoutScreenObjects)
{
    Deck headless(nullptr);
    headless.DealNewHand();
    std::vector<Card> out;
    headless.RevealBoardCards(3, out);
    headless.RevealBoardCards(1, out);
    EXPECT_EQ(Names(out), "8c Qc Qb Kd");
    std::vector<Card> visible;
    headless.GetVisibleBoardCards(visible);
    EXPECT_EQ(visible, out);

    factory.FailNextCreations(3);
    Deck partial(&factory);
    partial.DealNewHand();
    partial.RevealBoardCards(5, out);
    EXPECT_EQ(out.size(), 9u);
    partial.Release();
}
