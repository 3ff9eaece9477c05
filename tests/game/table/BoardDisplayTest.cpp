// What the board shows of the deck: card faces, masks and the card sounds.
#include "platform/core/CRuntime.h"

#include "game/table/BoardDisplay.h"
#include "game/table/Deck.h"
#include "platform/core/Clock.h"
#include "tests/support/RecordingFactory.h"

#include <gtest/gtest.h>

#include <memory>

namespace Gamespace {
namespace {

using testing_support::RecordedObject;
using testing_support::RecordingFactory;

// A board display on a recording factory and a deck dealt at a fixed clock:
// the board is 8c Qc Qb Kd 5d.
class BoardDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::ResetProcessClock();
        clock.AdvanceMilliseconds(12345);
        board = std::make_unique<BoardDisplay>(&factory);
        images = factory.ObjectsOfKind("Image");
        ASSERT_EQ(images.size(), 10u);
        deck.DealNewHand();
    }

    // Card images and masks were created in pairs, place by place.
    RecordedObject* CardImage(int k) { return images[static_cast<size_t>(2 * k)]; }
    RecordedObject* Mask(int k) { return images[static_cast<size_t>(2 * k + 1)]; }
    std::string Pattern(bool masks)
    {
        std::string pattern;
        for (int k = 0; k < 5; ++k)
            pattern += (masks ? Mask(k) : CardImage(k))->visible ? (masks ? 'M' : 'C') : '-';
        return pattern;
    }
    int SoundPlays()
    {
        int plays = 0;
        for (const auto& sound : factory.Sounds())
            plays += sound->plays;
        return plays;
    }
    void Reveal(uint16_t count)
    {
        std::vector<Card> out;
        deck.RevealBoardCards(count, out);
        board->Show(deck);
    }

    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    RecordingFactory factory;
    std::unique_ptr<BoardDisplay> board;
    std::vector<RecordedObject*> images;
    Deck deck;
};

TEST_F(BoardDisplayTest, ObjectsAreLaidOutHiddenAtTheirLayers)
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

TEST_F(BoardDisplayTest, ShowsTheDealtBoardFaceDownThenEachStageFaceUp)
{
    board->ShowMasks(true);
    board->Show(deck);
    EXPECT_EQ(Pattern(false), "-----");
    EXPECT_EQ(Pattern(true), "-----");
    EXPECT_EQ(CardImage(0)->image, "images/cards/set1/8c.png");
    EXPECT_EQ(CardImage(3)->image, "images/cards/set1/Kd.png");
    Reveal(3);
    EXPECT_EQ(Pattern(false), "CCC--");
    Reveal(1);
    Reveal(1);
    EXPECT_EQ(Pattern(false), "CCCCC");
    deck.Clear();
    board->Show(deck);
    EXPECT_EQ(Pattern(false), "-----");
}

TEST_F(BoardDisplayTest, EachCardSoundIsOneOfTheThree)
{
    for (int i = 0; i < 5; ++i)
        board->PlayCardSound();
    EXPECT_EQ(SoundPlays(), 5);
    for (const auto& sound : factory.Sounds())
        EXPECT_FALSE(sound->looping);
}

TEST_F(BoardDisplayTest, HighlightLeavesOnlyTheWinningBoardCardsBright)
{
    Reveal(5);
    // Queens with ace, king and eight: a sixth card in the record (5d) is
    // beyond the five that make the hand and stays dimmed.
    std::vector<HandGroup> best = {
        {kPair, {Card(10, 1), Card(10, 3)}},
        {kHighCard, {Card(12, 0), Card(11, 2), Card(6, 1), Card(3, 2)}},
    };
    board->HighlightBestHandBoardCards(best);
    EXPECT_EQ(Pattern(true), "----M");

    // Only four places turned over: no mask is left over the fifth, though
    // its card (5d, dealt but not shown) is no part of the hand.
    deck.DealNewHand();
    Reveal(4);
    best[1].cards = {Card(12, 0), Card(11, 2)};
    board->HighlightBestHandBoardCards(best);
    EXPECT_EQ(Pattern(true), "M----");
}

TEST_F(BoardDisplayTest, EveryObjectIsGivenBackOnceWhenItGoes)
{
    board.reset();
    EXPECT_EQ(factory.LiveObjectCount(), 0u);
    EXPECT_EQ(factory.LiveSoundCount(), 0u);
    EXPECT_TRUE(factory.Faults().empty()) << factory.Faults().front();
}

TEST_F(BoardDisplayTest, WorksWithoutSomeOrAllOfItsObjects)
{
    BoardDisplay headless(nullptr);
    headless.Show(deck);
    headless.PlayCardSound();
    headless.HighlightBestHandBoardCards({{kPair, {Card(10, 1)}}});

    factory.FailNextCreations(3);
    {
        BoardDisplay partial(&factory);
        Reveal(5);
        partial.Show(deck);
        partial.PlayCardSound();
    }
    EXPECT_TRUE(factory.Faults().empty()) << factory.Faults().front();
}

} // namespace
} // namespace Gamespace
