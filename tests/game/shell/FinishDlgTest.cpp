// The hand result: one pot at a time, its winners line, the board lit round
// the winner's best cards, the chip sound, paging by the button and by
// Return, and money the dialog never touches.
#include "controls/IDialogVO.h"
#include "game/shell/AnnouncementDlgImpl.h"
#include "game/shell/FinishDlgImpl.h"
#include "game/table/BoardDisplay.h"
#include "game/table/Deck.h"
#include "tests/game/shell/TableDialogScene.h"
#include "tests/support/KeptScene.h"
#include "tests/support/RecordingFactory.h"

#include <set>
#include <string>
#include <vector>

namespace Gamespace {
namespace {

using testing_support::RecordedObject;

class HandResult : public TableDialogScene {
protected:
    HandResult() : board_(&boardFactory_), dialog_(&owner_, board_)
    {
        dialog_.DialogObject().SetModeless(1);
        // The board: 2s 7c 9d Jb Kb, all turned over.
        deck_.Clear();
        for (const Card& card : {Card(0, 0), Card(5, 1), Card(7, 2), Card(9, 3), Card(11, 3)})
            deck_.PlaceBoardCard(card);
        board_.Show(deck_);
    }
    // Seats shown on the board's factory go before it.
    ~HandResult() override
    {
        for (auto& player : players_)
            player.reset();
    }

    // A winner whose best hand holds these board places (0..4).
    PlayerI& Winner(uint16_t seat, const std::string& name, std::vector<size_t> places)
    {
        PlayerI& player = Seat(seat, name, 100);
        HandGroup group;
        for (size_t place : places)
            group.cards.push_back(deck_.GetBoard()[place]);
        player.SetHandRecord(kPair, {group});
        return player;
    }

    // "M" for each board place dimmed, "-" for each lit.
    std::string BoardMasks()
    {
        std::string masks;
        std::vector<RecordedObject*> images = boardFactory_.ObjectsOfKind("Image");
        for (size_t place = 0; place < BoardDisplay::kPlaces; ++place)
            masks += images[2 * place + 1]->visible ? 'M' : '-';
        return masks;
    }

    void PressClose() { ClickOn(Shown<ControlLibrary::IButtonVO>().at(0)->GetId()); }

    // A hand of two pots shown: the first player's pair takes "Pot 1", the
    // second's flush the main pot.
    void ShowTwoPots(PlayerI& pair, PlayerI& flush)
    {
        dialog_.AddPot("Pot 1");
        dialog_.AddWinner(&pair, 40, "Pair");
        dialog_.AddPot("Main pot");
        dialog_.AddWinner(&flush, 75, "Flush");
        dialog_.Show(true);
    }

    // Whether each seat shown on the board's factory is lit as a winner (its
    // turn highlight and its badge), in the order the seats were made.
    std::vector<bool> LitSeats()
    {
        std::vector<bool> highlights, badges;
        for (RecordedObject* image : boardFactory_.ObjectsOfKind("Image")) {
            if (image->image == "images/player/back_h.png")
                highlights.push_back(image->visible);
            if (image->image == "images/player/winner.png")
                badges.push_back(image->visible);
        }
        EXPECT_EQ(highlights, badges);
        return highlights;
    }

    // How often each of the chip sounds started.
    size_t ChipSoundStarts()
    {
        size_t starts = 0;
        for (const auto& start : host_->music.starts)
            starts += host_->music.loaded[start.id].rfind("sounds/table/chips_finish", 0) == 0 ? 1 : 0;
        return starts;
    }

    class Owner : public ControlLibrary::DialogMessageObserver {
    public:
        void OnDialogShown(uint32_t, bool shown) override { closes += shown ? 0 : 1; }
        int closes = 0;
    } owner_;
    testing_support::RecordingFactory boardFactory_;
    BoardDisplay board_;
    Deck deck_;
    FinishDlgImpl dialog_;
};

TEST_F(HandResult, OnePotOneWinnerReadsNameAmountAndHandAndOneCloseEndsIt)
{
    dialog_.ClearPots();
    dialog_.AddPot("Main pot");
    dialog_.AddWinner(&Winner(2, "Ava", {1, 3}), 120, "Full House");
    dialog_.Show(true);
    ASSERT_NE(ShownText("Main pot"), nullptr);
    ASSERT_NE(ShownText("Ava win $120 with Full House"), nullptr);
    EXPECT_EQ(Middle(*ShownText("Main pot")), (ControlLibrary::Point{520, 430 - 45}));
    EXPECT_EQ(Middle(*ShownText("Ava win $120 with Full House")), (ControlLibrary::Point{520, 430}));
    EXPECT_EQ(Middle(*Shown<ControlLibrary::IButtonVO>().at(0)), (ControlLibrary::Point{520, 430 + 45}));
    EXPECT_FALSE(DrawsItsFace(*Shown<ControlLibrary::IButtonVO>().at(0))) << "the background carries its bed";
    EXPECT_EQ(BoardMasks(), "M-M-M");

    PressClose();
    EXPECT_FALSE(dialog_.IsVisible());
    EXPECT_EQ(owner_.closes, 1);
    EXPECT_TRUE(dialog_.Pots().empty());
}

TEST_F(HandResult, ASplitPotLooksAsKept)
{
    dialog_.AddPot("Pot 2");
    dialog_.AddWinner(&Winner(2, "Ava", {1, 3}), 60.5, "Flush");
    dialog_.AddWinner(&Winner(5, "Noah", {1, 3}), 60.5, "Flush");
    dialog_.Show(true);
    testing_support::ExpectKeptScene(testing_support::DescribeShownScene(), "game/shell/scenes/hand-result.txt");
}

TEST_F(HandResult, EachCloseShowsTheNextPotAndLightsItsWinnerUntilTheLastClosesTheDialog)
{
    PlayerI& ava = Winner(2, "Ava", {0, 1});
    PlayerI& noah = Winner(5, "Noah", {4});
    ShowTwoPots(ava, noah);
    EXPECT_EQ(dialog_.Title(), "Pot 1");
    EXPECT_EQ(BoardMasks(), "--MMM");

    PressClose();
    EXPECT_TRUE(dialog_.IsVisible());
    EXPECT_EQ(dialog_.Title(), "Main pot");
    EXPECT_EQ(dialog_.Text(), "Noah win $75 with Flush");
    EXPECT_EQ(BoardMasks(), "MMMM-");
    EXPECT_EQ(owner_.closes, 0);

    PressClose();
    EXPECT_FALSE(dialog_.IsVisible());
    EXPECT_EQ(owner_.closes, 1);
    // Every button of the dialog clicks.
    EXPECT_EQ(Clicks() - ChipSoundStarts(), 2u);
}

TEST_F(HandResult, EachHandsResultOpensOnItsOwnFirstPotWhereverTheLastWasLeft)
{
    // The first hand's result is paged through its two pots; the second's
    // opens on its one pot, with its winner lit, as the first did.
    PlayerI& ava = Winner(2, "Ava", {0, 1});
    PlayerI& noah = Winner(5, "Noah", {4});
    ShowTwoPots(ava, noah);
    PressClose();
    PressClose();
    ASSERT_FALSE(dialog_.IsVisible());

    dialog_.AddPot("Main pot");
    dialog_.AddWinner(&ava, 90, "Two Pair");
    dialog_.Show(true);
    EXPECT_NE(ShownText("Main pot"), nullptr);
    EXPECT_NE(ShownText("Ava win $90 with Two Pair"), nullptr);
    EXPECT_EQ(BoardMasks(), "--MMM");
    PressClose();
    EXPECT_FALSE(dialog_.IsVisible());
    EXPECT_EQ(owner_.closes, 2);
}

TEST_F(HandResult, OnlyTheWinnersOfThePotShownAreLit)
{
    table_.services.factory = &boardFactory_;
    PlayerI& ava = Winner(2, "Ava", {0, 1});
    PlayerI& noah = Winner(5, "Noah", {4});
    PlayerI& luke = Winner(7, "Luke", {4});
    for (PlayerI* seat : {&ava, &noah, &luke})
        seat->Show(true);
    dialog_.AddPot("Pot 1");
    dialog_.AddWinner(&ava, 40, "Pair");
    dialog_.AddPot("Pot 2");
    dialog_.AddWinner(&noah, 30, "Flush");
    dialog_.AddWinner(&luke, 30, "Flush");
    dialog_.AddPot("Main pot");
    dialog_.AddWinner(&luke, 75, "Flush");
    dialog_.Show(true);
    EXPECT_EQ(LitSeats(), (std::vector<bool>{true, false, false}));
    PressClose();
    EXPECT_EQ(LitSeats(), (std::vector<bool>{false, true, true}));
    PressClose();
    EXPECT_EQ(LitSeats(), (std::vector<bool>{false, false, true}));
}

TEST_F(HandResult, AmountsReadExactlyAndAnUnevenSplitReadsAsThePotSplit)
{
    // The first winner takes the odd dollar: nobody else won $51.
    FinishDlgImpl::Pot split{{{&Seat(1, "Ella", 0), "Straight", 51}, {&Seat(2, "Luke", 0), "Straight", 50}},
                             "Main pot"};
    EXPECT_EQ(FinishDlgImpl::WinnersLine(split), "2 players split $101");
    split.winners[0].amount = 50;
    EXPECT_EQ(FinishDlgImpl::WinnersLine(split), "2 players win $50 each");
    FinishDlgImpl::Pot odd{{{&Seat(3, "Jamie", 0), "Pair", 12.75}}, "Pot 2"};
    EXPECT_EQ(FinishDlgImpl::WinnersLine(odd), "Jamie win $12.75 with Pair");
    // Beyond what 16 bits hold, and beyond 32.
    odd.winners[0].amount = 70000;
    EXPECT_EQ(FinishDlgImpl::WinnersLine(odd), "Jamie win $70000 with Pair");
    odd.winners[0].amount = 6e9;
    EXPECT_EQ(FinishDlgImpl::WinnersLine(odd), "Jamie win $6000000000 with Pair");
}

TEST_F(HandResult, ThreeChipSoundsAreLoadedAndExactlyOnePlaysWhenTheDialogOpens)
{
    size_t chipSounds = 0;
    for (const auto& [track, file] : host_->music.loaded)
        chipSounds += (file == "sounds/table/chips_finish0.ogg" || file == "sounds/table/chips_finish1.ogg" ||
                       file == "sounds/table/chips_finish2.ogg")
                           ? 1
                           : 0;
    EXPECT_EQ(chipSounds, 3u);
    dialog_.AddPot("Main pot");
    dialog_.AddWinner(&Winner(2, "Ava", {0}), 10, "Pair");
    dialog_.Show(true);
    EXPECT_EQ(ChipSoundStarts(), 1u);

    // Each opening plays one of the three at random, and each dialog draws
    // its three from the variants at random: over many, all are heard.
    std::set<int> played;
    for (int hand = 0; hand < 30; ++hand) {
        dialog_.Show(false);
        dialog_.AddPot("Main pot");
        dialog_.AddWinner(&Winner(2, "Ava", {0}), 10, "Pair");
        dialog_.Show(true);
        for (const auto& start : host_->music.starts)
            if (host_->music.loaded[start.id].rfind("sounds/table/chips_finish", 0) == 0)
                played.insert(start.id);
    }
    EXPECT_EQ(played.size(), 3u);
    std::set<std::string> variants;
    for (int hand = 0; hand < 30; ++hand) {
        FinishDlgImpl another(&owner_, board_);
        for (const auto& [track, file] : host_->music.loaded)
            if (file.rfind("sounds/table/chips_finish", 0) == 0)
                variants.insert(file);
    }
    EXPECT_EQ(variants.size(), 3u);
}

TEST_F(HandResult, NeitherShowingNorClosingEarlyMovesAChip)
{
    // The table credited the pots at the showdown; the dialog only shows them.
    PlayerI& ava = Winner(2, "Ava", {0});
    PlayerI& noah = Winner(5, "Noah", {1});
    const double before = ChipsAtTheTable();
    dialog_.AddPot("Pot 1");
    dialog_.AddWinner(&ava, 300, "Pair");
    dialog_.AddPot("Main pot");
    dialog_.AddWinner(&noah, 500, "Pair");
    dialog_.Show(true);
    EXPECT_EQ(ChipsAtTheTable(), before);
    // The table is left with the second pot still to show.
    dialog_.Show(false);
    EXPECT_EQ(ChipsAtTheTable(), before);
    EXPECT_TRUE(dialog_.Pots().empty());
    EXPECT_EQ(owner_.closes, 1);
}

TEST_F(HandResult, ReturnPagesOnlyWhileNoModalDialogCoversTheResult)
{
    dialog_.AddPot("Pot 1");
    dialog_.AddWinner(&Winner(2, "Ava", {0}), 40, "Pair");
    dialog_.AddPot("Main pot");
    dialog_.AddWinner(&Winner(3, "Noah", {1}), 60, "Pair");
    dialog_.Show(true);
    BankruptDlgImpl modal(nullptr);
    modal.Show(true);
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(modal.IsVisible());
    EXPECT_EQ(dialog_.Title(), "Pot 1");

    PressKey(KeyDialog::kReturnKey);
    EXPECT_EQ(dialog_.Title(), "Main pot");
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(dialog_.IsVisible());
}

TEST_F(HandResult, AWinnerWithoutAPotIsDroppedAndAnEmptyResultClosesOnTheFirstClose)
{
    dialog_.AddWinner(&Winner(2, "Ava", {0}), 40, "Pair");
    EXPECT_TRUE(dialog_.Pots().empty());
    dialog_.Show(true);
    EXPECT_EQ(dialog_.Title(), "");
    EXPECT_EQ(dialog_.Text(), "");
    PressClose();
    EXPECT_FALSE(dialog_.IsVisible());
}

} // namespace
} // namespace Gamespace
