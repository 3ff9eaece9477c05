// The two tournament panels beside the table: the information panel's
// values, and the players panel's standings switching between names and
// chips on its own timer.
#include "controls/IDialogVO.h"
#include "game/shell/TrnInfoDlgImpl.h"
#include "game/shell/TrnPlayersDlgImpl.h"
#include "tests/game/shell/TableDialogScene.h"
#include "tests/support/KeptScene.h"
#include "tests/support/VirtualTimeSystem.h"

#include <string>
#include <vector>

namespace Gamespace {
namespace {

using ControlLibrary::Point;
using ControlLibrary::Rect;
using ControlLibrary::RGB;

constexpr RGB kGold{248, 208, 87};
constexpr RGB kGreen{25, 250, 25};

class TrnInfoPanel : public TableDialogScene {
protected:
    TrnInfoPanel() : panel_(nullptr) { panel_.Show(true); }
    TrnInfoDlgImpl panel_;
};

TEST_F(TrnInfoPanel, SitsInTheTopLeftCornerWithItsLabelsEndingOnOneColumn)
{
    EXPECT_EQ(panel_.DialogObject().GetScreenRect(), (Rect{0, 0, 139, 170}));
    int32_t y = 85 - 30;
    for (const char* label : {"Min bet: ", "Level: ", "Level time: ", "Total pot: "}) {
        SCOPED_TRACE(label);
        ControlLibrary::IStringVO* text = ShownText(label);
        ASSERT_NE(text, nullptr);
        const Rect area = text->GetScreenRect();
        EXPECT_EQ(area.x + area.w, 69 + 20);
        EXPECT_EQ(area.y + area.h / 2, y);
        EXPECT_EQ(text->GetColour(), kGold);
        y += 30;
    }
}

TEST_F(TrnInfoPanel, AFilledPanelLooksAsKept)
{
    panel_.SetCaption("Sit & Go");
    panel_.SetMinBet(1.5);
    panel_.SetLevel(3);
    panel_.SetLevelTime(12, 30);
    panel_.SetTotalPot(1500);
    testing_support::ExpectKeptScene(testing_support::DescribeShownScene(), "game/shell/scenes/tournament-info.txt");
}

TEST_F(TrnInfoPanel, ValuesStayEmptyUntilSetAndReadAsTheTableGivesThem)
{
    for (size_t row = 0; row <= TrnInfoDlgImpl::kRowCount; ++row)
        EXPECT_EQ(panel_.Value(static_cast<TrnInfoDlgImpl::Row>(row)), "") << "and none past the rows";
    panel_.SetCaption("Sit & Go");
    panel_.SetMinBet(1.5);
    panel_.SetLevel(3);
    panel_.SetLevelTime(3, 5);
    panel_.SetTotalPot(1500);
    EXPECT_EQ(panel_.Caption(), "Sit & Go");
    EXPECT_EQ(panel_.Value(TrnInfoDlgImpl::kMinBetRow), "$1.5");
    EXPECT_EQ(panel_.Value(TrnInfoDlgImpl::kLevelRow), "3");
    EXPECT_EQ(panel_.Value(TrnInfoDlgImpl::kLevelTimeRow), "3:5");
    EXPECT_EQ(panel_.Value(TrnInfoDlgImpl::kTotalPotRow), "$1500");
    EXPECT_EQ(Middle(*ShownText("Sit & Go")), (Point{69, 85 - 60}));
    EXPECT_EQ(Middle(*ShownText("$1500")), (Point{69 + 40, 85 + 60}));

    panel_.SetLevelTime(0, 0);
    EXPECT_EQ(panel_.Value(TrnInfoDlgImpl::kLevelTimeRow), "0:0");
    panel_.SetLevelTime(12, 30);
    EXPECT_EQ(panel_.Value(TrnInfoDlgImpl::kLevelTimeRow), "12:30");
    // A prize pool past what six digits or 16 bits hold.
    panel_.SetTotalPot(2500000);
    EXPECT_EQ(panel_.Value(TrnInfoDlgImpl::kTotalPotRow), "$2500000");
    panel_.SetTotalPot(65536);
    EXPECT_EQ(panel_.Value(TrnInfoDlgImpl::kTotalPotRow), "$65536");
}

class TrnPlayersPanel : public TableDialogScene {
protected:
    TrnPlayersPanel() : panel_(nullptr, &time_) { panel_.Show(true); }

    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        for (size_t row = 0; row < TrnPlayersDlgImpl::kRows; ++row)
            rows.push_back(panel_.RowText(row));
        return rows;
    }

    testing_support::VirtualTimeSystem time_;
    TrnPlayersDlgImpl panel_;
};

TEST_F(TrnPlayersPanel, SitsInTheTopRightCornerUnderItsTitle)
{
    EXPECT_EQ(panel_.DialogObject().GetScreenRect(), (Rect{1024 - 139, 0, 139, 170}));
    ASSERT_NE(ShownText("Players"), nullptr);
    EXPECT_EQ(Middle(*ShownText("Players")), (Point{1024 - 139 + 69, 85 - 70}));
    Seat(0, "Ann", 500);
    panel_.FillPlayerList(Seats());
    const Rect first = ShownText("1.   Ann")->GetScreenRect();
    EXPECT_EQ(first.x, 1024 - 139 + 69 - 50);
    EXPECT_EQ(first.y + first.h / 2, 85 - 35);
}

TEST_F(TrnPlayersPanel, AFullPanelLooksAsKeptWithNamesAndWithChips)
{
    const char* names[] = {"Ann", "Jacob", "Ethan", "Ava", "Grace", "Noah", "Sarah"};
    for (uint16_t seat = 0; seat < 7; ++seat)
        Seat(seat, names[seat], seat == 0 ? 10 : 1000 - 10 * seat);
    panel_.FillPlayerList(Seats());
    testing_support::ExpectKeptScene(testing_support::DescribeShownScene(), "game/shell/scenes/tournament-players.txt");
    time_.Advance(TrnPlayersDlgImpl::kSwitchMs);
    testing_support::ExpectKeptScene(testing_support::DescribeShownScene(),
                                     "game/shell/scenes/tournament-players-chips.txt");
}

TEST_F(TrnPlayersPanel, LeadersByChipsWithEqualChipsInSeatOrderAndEmptyRowsBelow)
{
    Seat(0, "Ann", 300);
    Seat(4, "Luke", 900);
    Seat(7, "Emma", 300);
    panel_.FillPlayerList(Seats());
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1.   Luke", "2.   Ann", "3.   Emma", "", ""}));
    EXPECT_EQ(panel_.RowColour(1), kGreen);
    EXPECT_EQ(panel_.RowColour(0), kGold);
    EXPECT_EQ(panel_.RowColour(TrnPlayersDlgImpl::kRows), RGB{}) << "no row past the last";
    EXPECT_EQ(panel_.RowText(TrnPlayersDlgImpl::kRows), "");

    time_.Advance(TrnPlayersDlgImpl::kSwitchMs);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1.     $900", "2.     $300", "3.     $300", "", ""}));
    time_.Advance(TrnPlayersDlgImpl::kSwitchMs);
    EXPECT_EQ(Rows()[0], "1.   Luke");
}

TEST_F(TrnPlayersPanel, OnlyTheHumansRowOfTheLatestFillIsLit)
{
    auto colours = [&] {
        std::vector<ControlLibrary::RGB> lit;
        for (size_t row = 0; row < TrnPlayersDlgImpl::kRows; ++row)
            lit.push_back(panel_.RowColour(row));
        return lit;
    };
    Seat(0, "Ann", 300);
    Seat(4, "Luke", 900);
    Seat(7, "Emma", 100);
    panel_.FillPlayerList(Seats());
    EXPECT_EQ(colours(), (std::vector<ControlLibrary::RGB>{kGold, kGreen, kGold, kGold, kGold}));
    Seat(0, "Ann", 1000);
    panel_.FillPlayerList(Seats());
    EXPECT_EQ(colours(), (std::vector<ControlLibrary::RGB>{kGreen, kGold, kGold, kGold, kGold}));
}

TEST_F(TrnPlayersPanel, AHumanBelowTheFifthPlaceTakesTheLastRowAfterAGap)
{
    const char* names[] = {"Ann", "Jacob", "Ethan", "Ava", "Grace", "Noah", "Sarah", "Ella"};
    for (uint16_t seat = 0; seat < 8; ++seat)
        Seat(seat, names[seat], seat == 0 ? 10 : 1000 - 10 * seat);
    panel_.FillPlayerList(Seats());
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1.   Jacob", "2.   Ethan", "3.   Ava", "  ...", "8.   Ann"}));
    EXPECT_EQ(panel_.RowColour(4), kGreen);
    EXPECT_EQ(panel_.RowColour(3), kGold);
    time_.Advance(TrnPlayersDlgImpl::kSwitchMs);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1.     $990", "2.     $980", "3.     $970", "  ...", "8.     $10"}));
}

TEST_F(TrnPlayersPanel, TheHumanSixthOfSevenTakesTheLastRowAfterAGapAndTheFifthKeepsItsOwn)
{
    const char* names[] = {"Ann", "Jacob", "Ethan", "Ava", "Grace", "Noah", "Sarah"};
    auto fill = [&](double humanChips) {
        for (uint16_t seat = 0; seat < 7; ++seat)
            Seat(seat, names[seat], seat == 0 ? humanChips : 1000 - 10 * seat);
        panel_.FillPlayerList(Seats());
    };
    // The others hold 990 down to 940 in steps of 10.
    fill(945); // sixth, above Sarah
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1.   Jacob", "2.   Ethan", "3.   Ava", "  ...", "6.   Ann"}));
    EXPECT_EQ(panel_.RowColour(4), kGreen);
    EXPECT_EQ(panel_.RowColour(3), kGold);
    time_.Advance(TrnPlayersDlgImpl::kSwitchMs);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1.     $990", "2.     $980", "3.     $970", "  ...", "6.     $945"}));

    fill(955); // fifth: every row a place, no gap
    std::vector<std::string> rows = Rows();
    for (std::string& row : rows)
        row = row.substr(0, 2);
    EXPECT_EQ(rows, (std::vector<std::string>{"1.", "2.", "3.", "4.", "5."}));
    EXPECT_EQ(panel_.RowColour(4), kGreen);
    EXPECT_EQ(panel_.RowColour(3), kGold);
}

TEST_F(TrnPlayersPanel, ChipsReadExactlyAsAtTheSeats)
{
    // Half a dollar is left behind by a small blind of half an odd bet; the
    // panel shows it, as the seat's plate does, however many digits it takes.
    Seat(0, "Ann", 41212.5);
    Seat(3, "Luke", 2500000.75);
    Seat(5, "Emma", 2.5);
    panel_.FillPlayerList(Seats());
    time_.Advance(TrnPlayersDlgImpl::kSwitchMs);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1.     $2500000.75", "2.     $41212.5", "3.     $2.5", "", ""}));
}

TEST_F(TrnPlayersPanel, ANameTooLongForThePanelIsCutShort)
{
    // The test font sets 6 pixels a character; 110 are there after the
    // row's left edge.
    Seat(0, "Maximilian Long", 50);
    Seat(1, "Christopher", 40);
    panel_.FillPlayerList(Seats());
    EXPECT_EQ(panel_.RowText(0), "1.   Maximilian...");
    EXPECT_EQ(panel_.RowText(1), "2.   Christopher");
}

TEST_F(TrnPlayersPanel, OnlyPlayersDealtIntoTheHandAreListedUnlessEverySeatIsAskedFor)
{
    Seat(0, "Ann", 50);
    Seat(2, "Short", 1); // below the minimum bet of 2: sits out the hand
    Seat(6, "Noah", 80);
    panel_.FillPlayerList(Seats());
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1.   Noah", "2.   Ann", "", "", ""}));
    // A resumed tournament or the final standings: every seated player.
    panel_.FillSeatedPlayers(Seats());
    time_.Advance(TrnPlayersDlgImpl::kSwitchMs);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1.   Noah", "2.   Ann", "3.   Short", "", ""}));
    EXPECT_EQ(panel_.RowColour(1), kGreen);
}

TEST_F(TrnPlayersPanel, PausingHoldsThePhaseAndAFreshShowEmptiesTheRows)
{
    Seat(0, "Ann", 50);
    panel_.FillPlayerList(Seats());
    panel_.SetPaused(true);
    time_.Advance(3 * TrnPlayersDlgImpl::kSwitchMs);
    EXPECT_EQ(panel_.RowText(0), "1.   Ann");
    panel_.SetPaused(false);
    time_.Advance(TrnPlayersDlgImpl::kSwitchMs);
    EXPECT_EQ(panel_.RowText(0), "1.     $50");

    // A fill keeps the phase it finds: chips now, then names.
    panel_.FillPlayerList(Seats());
    EXPECT_EQ(panel_.RowText(0), "1.   Ann");

    panel_.Show(false);
    panel_.Show(true);
    EXPECT_EQ(Rows(), std::vector<std::string>(5));
    time_.Advance(TrnPlayersDlgImpl::kSwitchMs);
    EXPECT_EQ(Rows(), std::vector<std::string>(5));
}

TEST_F(TrnPlayersPanel, TheTimerGoesWithThePanel)
{
    EXPECT_EQ(time_.CountObjects(), 1u);
    {
        TrnPlayersDlgImpl second(nullptr, &time_);
        EXPECT_EQ(time_.CountObjects(), 2u);
    }
    EXPECT_EQ(time_.CountObjects(), 1u);
}

} // namespace
} // namespace Gamespace
