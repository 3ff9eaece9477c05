// The table's own screen objects: where its pictures, pot texts and menu
// button stand, what showing and leaving the table does with them, and its
// music and shuffle sounds.
#include "controls/MouseMessageObserver.h"
#include "game/table/BoardDisplay.h"
#include "game/table/Deck.h"
#include "game/table/SeatDisplay.h"
#include "game/table/TableScreen.h"
#include "tests/game/shell/ShellDialogScene.h"
#include "tests/support/KeptScene.h"
#include "tests/support/RecordingFactory.h"

#include <gtest/gtest.h>

#include <set>

namespace Gamespace {
namespace {

using testing_support::RecordedObject;
using testing_support::RecordingFactory;

class MenuClicks : public ControlLibrary::MouseMessageObserver {
public:
    void OnMouseUp(uint32_t id, int32_t) override { clicked.push_back(id); }
    std::vector<uint32_t> clicked;
};

class TableScreenTest : public ::testing::Test {
protected:
    TableScreenTest()
    {
        // The pictures at their sizes in the game's archive.
        factory.SetImageSize("images/game_fon/redtable.jpg", {1024, 768});
        factory.SetImageSize("images/main_pot.png", {150, 60});
        for (const char* stage : kStages)
            factory.SetImageSize(stage, {200, 60});
        for (const char* card : {"images/cards/mask1.png", "images/cards/mask2.png", "images/cards/back2.png"})
            factory.SetImageSize(card, {70, 98});
        screen = std::make_unique<TableScreen>(&factory, &menu);
    }

    RecordedObject& Image(const std::string& file)
    {
        for (RecordedObject* image : factory.ObjectsOfKind("Image"))
            if (image->image == file)
                return *image;
        ADD_FAILURE() << "no picture " << file;
        static RecordedObject none;
        return none;
    }
    // The background is the one picture without a file until the table is set up.
    RecordedObject& Background() { return *factory.ObjectsOfKind("Image").front(); }
    RecordedObject& PotCaption() { return *factory.ObjectsOfKind("String")[0]; }
    RecordedObject& PotLabel() { return *factory.ObjectsOfKind("String")[1]; }
    RecordedObject& MenuButton() { return *factory.ObjectsOfKind("Button").front(); }
    std::vector<std::string> Shown()
    {
        std::vector<std::string> shown;
        for (RecordedObject* object : factory.Objects())
            if (object->visible)
                shown.push_back(object->kind + ":" + (object->image.empty() ? object->text : object->image));
        return shown;
    }

    static constexpr const char* kStages[3] = {"images/stages/flop.png", "images/stages/turn.png",
                                               "images/stages/river.png"};
    RecordingFactory factory;
    MenuClicks menu;
    std::unique_ptr<TableScreen> screen;
};

// The kernel's own control factory, with every picture of the game at its
// size: the table as a player sees it.
class TableScene : public ShellDialogScene {
protected:
    MenuClicks menu;
};

// The whole table as it stands in a hand: its pictures and pot, every seat
// with what a seat can show (each seat shows a different part of it), and
// the board.
TEST_F(TableScene, TheTableInAHandLooksAsKept)
{
    TableScreen screen(&Factory(), &menu);
    screen.ShowTable(true);
    screen.UpdateStageImages(2);
    screen.SetPot(1234.5);
    screen.ShowPotLabel(true);
    std::vector<std::unique_ptr<SeatDisplay>> seats;
    for (uint16_t number = 0; number < 10; ++number) {
        auto& seat = *seats.emplace_back(std::make_unique<SeatDisplay>(&Factory(), number == 0));
        seat.Layout(TableSeatLayout(number), number);
        seat.SetName("Player " + std::to_string(number));
        seat.Show(number != 9, number == 3);
        seat.ShowHoleCard(0, ::Card(12, number % 4), number == 0);
        seat.ShowHoleCard(1, ::Card(number, 1), number == 0);
        seat.RefreshBet(number * 37.5, 1000 + number);
        seat.ShowIcon(static_cast<SeatIcon>(number % kIconCount));
        seat.SetHighlighted(number == 4);
        seat.ShowNews(number % 2 != 0 ? "Re-Buy $100" : "Add-On $150 (15000 chips)");
    }
    seats[6]->RevealHoleCards({::Card(12, 2), ::Card(11, 2)});
    seats[6]->HideMask(1);
    seats[6]->ShowWinnerBadge(true);
    // The turn: four cards on the board.
    BoardDisplay board(&Factory());
    Deck deck;
    deck.Clear();
    for (const ::Card& card : {::Card(0, 0), ::Card(5, 1), ::Card(7, 2), ::Card(9, 3)})
        deck.PlaceBoardCard(card);
    board.Show(deck);
    testing_support::ExpectKeptScene(testing_support::DescribeShownScene(), "game/table/scenes/table.txt");

    // The menu button is the table's way to its menu.
    ClickOn(screen.MenuButtonId());
    EXPECT_NE(screen.MenuButtonId(), 0u);
    EXPECT_EQ(menu.clicked, std::vector<uint32_t>{screen.MenuButtonId()}) << "the table hears the menu button";
}

TEST_F(TableScreenTest, SittingDownShowsTheTableAndLeavingTakesEveryPictureAndTextAway)
{
    EXPECT_TRUE(Shown().empty());
    screen->ShowTable(true);
    EXPECT_TRUE(Background().visible && Image("images/main_pot.png").visible && MenuButton().visible &&
                PotCaption().visible);
    EXPECT_FALSE(PotLabel().visible) << "no pot before the first bet";
    EXPECT_FALSE(Image(kStages[0]).visible || Image(kStages[1]).visible || Image(kStages[2]).visible);

    for (uint32_t stage = 0; stage <= 4; ++stage) {
        screen->UpdateStageImages(stage);
        for (uint32_t i = 0; i < 3; ++i)
            EXPECT_EQ(Image(kStages[i]).visible, stage == i + 1) << "stage " << stage;
        EXPECT_TRUE(PotCaption().visible) << "the stages touch nothing else";
    }
    screen->UpdateStageImages(3);
    screen->SetPot(1234.5);
    screen->ShowPotLabel(true);
    EXPECT_EQ(PotLabel().text, "$1234.5");
    EXPECT_EQ(screen->GetPotText(), "$1234.5");
    EXPECT_TRUE(PotLabel().visible);

    screen->ShowTable(false);
    EXPECT_TRUE(Shown().empty()) << Shown().front();
    screen->SetPot(-5);
    EXPECT_EQ(PotLabel().text, "$0") << "a pot is never below nothing";
    screen->ClearPotLabel();
    EXPECT_EQ(PotLabel().text, "");
    EXPECT_EQ(screen->GetPotText(), "");
}

TEST_F(TableScreenTest, TheMusicLoopsWhileSeatedAndEachShuffleIsOneOfFiveVariants)
{
    screen->PlayMusic(true);
    int music = 0;
    for (const auto& sound : factory.Sounds()) {
        // The table's sounds follow the sound volume, as its cards do; the
        // buttons' click follows the effects volume.
        EXPECT_EQ(sound->IsMusic(), sound->file == "sounds/click.wav") << sound->file;
        if (sound->file == "sounds/main.ogg") {
            ++music;
            EXPECT_TRUE(sound->playing && sound->looping && sound->plays == 1);
        } else {
            EXPECT_EQ(sound->plays, 0) << sound->file;
        }
    }
    EXPECT_EQ(music, 1);
    screen->PlayMusic(false);
    for (const auto& sound : factory.Sounds())
        EXPECT_FALSE(sound->playing) << sound->file;

    // Three variants are drawn once for each table: over many tables every
    // one of the five is heard, and nothing else.
    std::set<std::string> shuffles;
    for (int table = 0; table < 40; ++table) {
        RecordingFactory other;
        TableScreen screen(&other, nullptr);
        for (uint32_t i = 0; i < 4; ++i)
            screen.PlayShuffleSound(i);
        int plays = 0;
        for (const auto& sound : other.Sounds())
            if (sound->file.rfind("sounds/table/card_deck_mix", 0) == 0) {
                shuffles.insert(sound->file);
                EXPECT_EQ(sound->plays, 1) << "each variant once, the fourth asked for is none";
                EXPECT_FALSE(sound->looping);
                plays += sound->plays;
            }
        EXPECT_EQ(plays, 3);
    }
    EXPECT_EQ(shuffles, (std::set<std::string>{"sounds/table/card_deck_mix0.ogg", "sounds/table/card_deck_mix1.ogg",
                                               "sounds/table/card_deck_mix2.ogg", "sounds/table/card_deck_mix3.ogg",
                                               "sounds/table/card_deck_mix4.ogg"}));
}

// A factory that can make nothing leaves a table that still plays: it only
// shows nothing, and no click is taken for the menu button's.
TEST(TableScreenWithoutObjects, ShowsNothingAndHearsNoMenuClick)
{
    RecordingFactory factory;
    factory.FailNextCreations(1000);
    TableScreen screen(&factory, nullptr);
    screen.ShowTable(true);
    screen.UpdateStageImages(2);
    screen.SetPot(10);
    screen.ShowPotLabel(true);
    EXPECT_EQ(screen.GetPotText(), "$10");
    screen.ClearPotLabel();
    screen.ShowTable(false);
    EXPECT_EQ(screen.MenuButtonId(), 0u);
    EXPECT_EQ(factory.LiveObjectCount(), 0u);
}

} // namespace
} // namespace Gamespace
