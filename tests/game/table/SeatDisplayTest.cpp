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
    SeatDisplayTest() : seat(&factory, false)
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

// A player who leaves at the showdown leaves an empty place: nothing of his
// hand (the cards, their dimming), his bet or his plate stays on the table.
TEST_F(SeatDisplayTest, ASeatThatEmptiesAtTheShowdownShowsNothing)
{
    const ::Card ace(12, 0), king(11, 2);
    seat.ShowHoleCard(0, ace, false);
    seat.ShowHoleCard(1, king, false);
    seat.RevealHoleCards({ace, king});
    seat.RefreshBet(30, 12);
    seat.Show(false, false);
    for (const RecordedObject* object : factory.Objects())
        EXPECT_FALSE(object->visible) << object->kind << " " << object->image << object->text;
}

TEST_F(SeatDisplayTest, BetsAndChipsBeyondSixteenBitsShowInFull)
{
    seat.RefreshBet(70000, 5000000000.0);
    EXPECT_EQ(Text(2)->text, "$ 70 000");
    EXPECT_EQ(Text(1)->text, "$ 5 000 000 000");
    EXPECT_EQ(ChipsShown(), std::vector<std::string>(14, "images/player/chips/5000.png"));
    seat.RefreshBet(30, 12);
    EXPECT_EQ(ChipsShown(), (std::vector<std::string>{"images/player/chips/25.png", "images/player/chips/5.png"}))
        << "a smaller bet leaves no chip of the larger one";
    seat.RefreshBet(0, 12);
    EXPECT_FALSE(Text(2)->visible);
    EXPECT_TRUE(ChipsShown().empty());
}

// The screen area a recorded text covers, in the test font's metrics.
ControlLibrary::Rect TextArea(const RecordedObject& text)
{
    const int32_t w = static_cast<int32_t>(7 * text.text.size());
    const int32_t h = 12;
    return ControlLibrary::Rect{text.position.x - static_cast<int32_t>(text.hAlign) * w / 2,
                                text.position.y - static_cast<int32_t>(text.vAlign) * h / 2, int16_t(w), int16_t(h)};
}

bool Overlap(const ControlLibrary::Rect& a, const ControlLibrary::Rect& b)
{
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

// The news of a re-buy or an add-on is read whole on the screen and crosses
// neither the seat's plate (drawn, lit, in the lower half of its picture) nor
// its cards; it stays until it is taken down, and goes with the seat.
TEST(SeatNews, EverySeatsNewsStandsOnTheScreenClearOfItsPlateAndCards)
{
    const std::string news = "Add-On $150 (15000 chips)";
    for (uint16_t number = 0; number < 10; ++number) {
        RecordingFactory factory;
        SeatDisplay seat(&factory, false);
        const SeatLayout at = TableSeatLayout(number);
        seat.Layout(at, number);
        seat.Show(true, false);
        seat.ShowNews(news);
        const RecordedObject& text = *factory.ObjectsOfKind("String")[3];
        ASSERT_TRUE(text.visible) << number;
        const ControlLibrary::Rect area = TextArea(text);
        EXPECT_TRUE(area.x >= 0 && area.y >= 0 && area.x + area.w <= 1024 && area.y + area.h <= 768) << number;
        const int32_t plateX = at.anchorX + at.cardsDx, plateY = at.anchorY + at.cardsDy;
        EXPECT_FALSE(Overlap(area, ControlLibrary::Rect{plateX - 65, plateY - 4, 130, 54})) << "plate of " << number;
        for (int32_t cardDx : {-52, -14})
            EXPECT_FALSE(Overlap(area, ControlLibrary::Rect{at.anchorX + cardDx - 35, at.anchorY - 108, 70, 98}))
                << "cards of " << number;

        seat.HideNews();
        EXPECT_FALSE(text.visible);
        seat.ShowNews(news);
        seat.Show(false, false);
        EXPECT_FALSE(text.visible) << "the news goes with the seat";
    }
}

} // namespace
} // namespace Gamespace
