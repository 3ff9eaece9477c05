// What a seat shows: hole cards at the showdown, money beyond sixteen bits,
// and the status text by the screen's sides.
#include "game/table/SeatDisplay.h"
#include "tests/support/RecordingFactory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace Gamespace {
namespace {

using testing_support::RecordedObject;
using testing_support::RecordingFactory;

// A computer's seat at the place of seat 2 (by the left edge of the screen).
class SeatDisplayTest : public ::testing::Test {
protected:
    SeatDisplayTest() : seat(&factory, nullptr, false)
    {
        seat.Layout(SeatLayout{150, 480, -80, 0, -34, 38, -36, -24, 55, -40}, 2);
        seat.Show(true, false);
    }

    std::vector<RecordedObject*> ImagesAtLayer(uint16_t layer)
    {
        std::vector<RecordedObject*> found;
        for (RecordedObject* image : factory.ObjectsOfKind("Image"))
            if (image->layer == layer)
                found.push_back(image);
        return found;
    }
    RecordedObject* CardImage(size_t index) { return ImagesAtLayer(index == 0 ? 500 : 510).front(); }
    RecordedObject* Mask(size_t index) { return ImagesAtLayer(index == 0 ? 505 : 515).front(); }
    // The four texts in the order the seat makes them: name, chips, bet, status.
    RecordedObject* Text(size_t index) { return factory.ObjectsOfKind("String")[index]; }
    std::vector<std::string> ChipsShown()
    {
        std::vector<std::string> chips;
        for (RecordedObject* image : factory.ObjectsOfKind("Image"))
            if (image->visible && image->image.find("/chips/") != std::string::npos)
                chips.push_back(image->image);
        return chips;
    }

    RecordingFactory factory;
    SeatDisplay seat;
};

TEST_F(SeatDisplayTest, AtTheShowdownCardsOnTheTableTurnUpDimmedAndAFoldedHandStaysHidden)
{
    const ::Card ace(12, 0), king(11, 2);
    seat.ShowHoleCard(0, ace, false);
    seat.ShowHoleCard(1, king, false);
    EXPECT_EQ(CardImage(0)->image, "images/cards/back2.png");
    seat.RevealHoleCards({ace, king});
    EXPECT_EQ(CardImage(0)->image, "images/cards/set2/As.png");
    EXPECT_EQ(CardImage(1)->image, "images/cards/set2/Kd.png");
    EXPECT_TRUE(CardImage(0)->visible && Mask(0)->visible);
    EXPECT_TRUE(CardImage(1)->visible && Mask(1)->visible);
    // A win lights the cards of the best hand.
    seat.HideMask(0);
    EXPECT_FALSE(Mask(0)->visible);

    seat.ResetForHand(false);
    seat.ShowHoleCard(0, ace, false);
    seat.ShowHoleCard(1, king, false);
    seat.HideHoleCards(); // folded
    seat.RevealHoleCards({ace, king});
    EXPECT_FALSE(CardImage(0)->visible || CardImage(1)->visible) << "a folded hand is never shown";
    EXPECT_FALSE(Mask(0)->visible || Mask(1)->visible);
}

TEST_F(SeatDisplayTest, BetsAndChipsBeyondSixteenBitsShowInFull)
{
    seat.RefreshBet(70000, 5000000000.0);
    EXPECT_EQ(Text(2)->text, "$ 70 000");
    EXPECT_EQ(Text(1)->text, "$ 5 000 000 000");
    EXPECT_EQ(ChipsShown(), std::vector<std::string>(14, "images/player/chips/5000.png"));
    seat.RefreshBet(0, 12);
    EXPECT_FALSE(Text(2)->visible);
    EXPECT_TRUE(ChipsShown().empty());
}

TEST_F(SeatDisplayTest, TheStatusTextIsMovedInFromTheScreensSideToBeReadWhole)
{
    const std::string news = "Re-Buy $150 (22500 chips)";
    seat.ShowStatus(news);
    RecordedObject* status = Text(3);
    EXPECT_TRUE(status->visible);
    const int32_t half = static_cast<int32_t>(7 * news.size() / 2);
    EXPECT_GE(status->position.x - half, 0) << "cut by the screen's left edge";
    EXPECT_EQ(status->position.y, 480 + 34) << "it starts on the chips line";
    // A short one stays where the chips label is.
    seat.ShowStatus("Hi");
    EXPECT_EQ(status->position.x, 150 - 80 - 5);
}

} // namespace
} // namespace Gamespace
