// The tournament's final standings: the order, the prizes, the rows shown
// with the human's own place, and the money booked in the profile.
#include "controls/IDialogVO.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/TrnFinishDlgImpl.h"
#include "tests/game/shell/ProfileTestSupport.h"
#include "tests/game/shell/TableDialogScene.h"

#include <string>
#include <vector>

namespace Gamespace {
namespace {

using ControlLibrary::RGB;

constexpr RGB kGreen{25, 250, 25};
constexpr RGB kGold{248, 208, 87};
constexpr RGB kYellow{255, 255, 10};

const char* const kNames[] = {"Ann", "Jacob", "Ethan", "Ava", "Grace", "Noah", "Sarah", "Ella", "Luke", "Emma"};

class TrnFinish : public TableDialogScene {
protected:
    TrnFinish() : dialog_(nullptr)
    {
        auto profile = std::make_unique<Profile>();
        profile->name = "Ann";
        profile_ = profile.get();
        ProfileList::Instance()->Add(profile.release());
        profile_->SetActive(true);
    }

    // Ten players; the human holds place `humanPlace` (1-based).
    void TenPlayersWithTheHumanAt(size_t humanPlace) { PlayersWithTheHumanAt(10, humanPlace); }
    void PlayersWithTheHumanAt(size_t players, size_t humanPlace)
    {
        double chips = 1000;
        uint16_t computer = 1;
        for (size_t place = 1; place <= players; ++place, chips -= 50) {
            if (place == humanPlace)
                Seat(0, kNames[0], chips);
            else
                Seat(computer, kNames[computer], chips), ++computer;
        }
    }

    SavedGame& Tournament(GameType type, double buyIn)
    {
        auto saved = std::make_unique<SavedGame>();
        saved->current = 1;
        saved->buyIn = buyIn;
        profile_->gameType = type;
        profile_->savedGames.push_back(std::move(saved));
        return *profile_->savedGames.back();
    }

    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        for (size_t row = 0; row < TrnFinishDlgImpl::kRows; ++row)
            rows.push_back(dialog_.NameText(row) + " | " + dialog_.AmountText(row));
        return rows;
    }

    ScopedProfileFolder folder_;
    Profile* profile_ = nullptr;
    TrnFinishDlgImpl dialog_;
};

TEST_F(TrnFinish, TheHumanThirdOfTenSeesTheFirstFivePlacesWithTheOwnRowInGreen)
{
    TenPlayersWithTheHumanAt(3);
    dialog_.ShowStandings(Seats(), 1000);
    dialog_.Show(true);
    EXPECT_EQ(dialog_.Heading(), "Congratulations!");
    EXPECT_EQ(dialog_.PlaceLine(), "You are at the 3 place!");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1. Jacob | $500", "2. Ethan | $300", "3. Ann | $200", "4. Ava | $0",
                                                "5. Grace | $0"}));
    EXPECT_EQ(dialog_.NameColour(2), kGreen);
    EXPECT_EQ(dialog_.AmountColour(2), kGreen);
    EXPECT_EQ(dialog_.NameColour(0), kGold);
    EXPECT_EQ(dialog_.AmountColour(0), kYellow);
}

TEST_F(TrnFinish, RowsAndLinesStandWhereTheDialogPutsThem)
{
    TenPlayersWithTheHumanAt(1);
    dialog_.ShowStandings(Seats(), 1000);
    dialog_.Show(true);
    // 500 x 500 around (520, 410): its corner is (270, 160).
    EXPECT_EQ(dialog_.DialogObject().GetScreenRect(), (ControlLibrary::Rect{270, 160, 500, 500}));
    EXPECT_EQ(Middle(*ShownText("Congratulations!")), (ControlLibrary::Point{520, 160 + 50}));
    EXPECT_EQ(Middle(*ShownText("You are at the 1 place!")), (ControlLibrary::Point{520, 160 + 80}));
    EXPECT_EQ(Middle(*Shown<ControlLibrary::IButtonVO>().at(0)), (ControlLibrary::Point{520, 660 - 50}));
    const ControlLibrary::Rect first = ShownText("1. Ann")->GetScreenRect();
    EXPECT_EQ(first.x, 520 - 95);
    EXPECT_EQ(first.y + first.h / 2, 410 - 100);
    const ControlLibrary::Rect prize = ShownText("$500")->GetScreenRect();
    EXPECT_EQ(prize.x, 520 + 115);
    EXPECT_EQ(prize.y + prize.h / 2, 410 - 100);
}

TEST_F(TrnFinish, TheHumanSeventhShowsAfterTheFirstThreeAndAGap)
{
    TenPlayersWithTheHumanAt(7);
    dialog_.ShowStandings(Seats(), 1000);
    EXPECT_EQ(dialog_.PlaceLine(), "You are at the 7 place!");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1. Jacob | $500", "2. Ethan | $300", "3. Ava | $200", "... | ",
                                                "7. Ann | $0"}));
    EXPECT_EQ(dialog_.NameColour(4), kGreen);
    EXPECT_EQ(dialog_.NameColour(3), kGold);
}

// Just below the rows shown, and on the last of them: the own place is in
// sight either way, with a gap only where places are left out.
TEST_F(TrnFinish, TheHumanSixthOfSevenSeesTheOwnPlaceAfterAGapAndTheFifthWithout)
{
    PlayersWithTheHumanAt(7, 6);
    dialog_.ShowStandings(Seats(), 1000);
    EXPECT_EQ(dialog_.PlaceLine(), "You are at the 6 place!");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1. Jacob | $500", "2. Ethan | $300", "3. Ava | $200", "... | ",
                                                "6. Ann | $0"}));
    EXPECT_EQ(dialog_.NameColour(4), kGreen);
    EXPECT_EQ(dialog_.AmountColour(4), kGreen);
    EXPECT_EQ(dialog_.NameColour(3), kGold);

    PlayersWithTheHumanAt(7, 5);
    dialog_.ShowStandings(Seats(), 1000);
    EXPECT_EQ(dialog_.PlaceLine(), "You are at the 5 place!");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1. Jacob | $500", "2. Ethan | $300", "3. Ava | $200",
                                                "4. Grace | $0", "5. Ann | $0"}));
    EXPECT_EQ(dialog_.NameColour(4), kGreen);
    EXPECT_EQ(dialog_.NameColour(3), kGold);
}

TEST_F(TrnFinish, EqualChipsKeepSeatOrderAndPrizesAreCutToWholeDollars)
{
    Seat(0, "Ann", 100);
    Seat(3, "Emma", 300);
    Seat(5, "Noah", 300);
    dialog_.ShowStandings(Seats(), 999);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1. Emma | $499", "2. Noah | $299", "3. Ann | $199", " | ", " | "}));
    EXPECT_EQ(TrnFinishDlgImpl::Prizes(1000, 10), (std::vector<int64_t>{500, 300, 200}));
    // Fewer than three players: only the places there are get paid.
    EXPECT_EQ(TrnFinishDlgImpl::Prizes(1000, 2), (std::vector<int64_t>{500, 300}));
}

TEST_F(TrnFinish, APrizePastSixteenBitsShowsAndIsBookedInFull)
{
    SavedGame& saved = Tournament(kGameNoLimitTournament, 5000);
    TenPlayersWithTheHumanAt(1);
    dialog_.ShowStandings(Seats(), 1000000);
    EXPECT_EQ(dialog_.AmountText(0), "$500000");
    EXPECT_EQ(profile_->money[2], saved.buyIn);
    EXPECT_EQ(profile_->money[3], 500000);
}

TEST_F(TrnFinish, EachKindOfTournamentBooksItsBuyInAndTheShownPrizeInItsOwnPair)
{
    struct Case {
        GameType type;
        size_t pair;
    };
    for (const Case& kind : {Case{kGameLimitTournament, 0}, Case{kGameNoLimitTournament, 1},
                             Case{kGamePotLimitTournament, 2}}) {
        SCOPED_TRACE(kind.type);
        profile_->money = {};
        profile_->savedGames.clear();
        Tournament(kind.type, 30);
        TenPlayersWithTheHumanAt(2);
        dialog_.ShowStandings(Seats(), 400);
        std::array<double, 6> expected{};
        expected[2 * kind.pair] = 30;
        // The prize the human sees for second place, not the chips held.
        expected[2 * kind.pair + 1] = 120;
        EXPECT_EQ(profile_->money, expected);
    }
}

TEST_F(TrnFinish, BelowThePaidPlacesNothingIsCashedAndWithoutATournamentNothingIsBooked)
{
    Tournament(kGameLimitTournament, 30);
    TenPlayersWithTheHumanAt(4);
    dialog_.ShowStandings(Seats(), 400);
    EXPECT_EQ(profile_->money, (std::array<double, 6>{30, 0, 0, 0, 0, 0}));

    profile_->savedGames.clear();
    dialog_.ShowStandings(Seats(), 400);
    EXPECT_EQ(profile_->money, (std::array<double, 6>{30, 0, 0, 0, 0, 0}));
}

TEST_F(TrnFinish, TheBookedTotalsAreSavedAtOnce)
{
    Tournament(kGameLimitTournament, 30);
    TenPlayersWithTheHumanAt(1);
    dialog_.ShowStandings(Seats(), 400);
    Profile loaded;
    ASSERT_TRUE(LoadProfile(loaded, "save/Ann_.usr"));
    EXPECT_EQ(loaded.money[0], 30);
    EXPECT_EQ(loaded.money[1], 200);
}

TEST_F(TrnFinish, ASecondTournamentsStandingsReplaceTheFirstsTextsAndColours)
{
    TenPlayersWithTheHumanAt(7);
    dialog_.ShowStandings(Seats(), 1000);
    for (auto& player : players_)
        player.reset();
    Seat(0, "Ann", 10);
    Seat(1, "Noah", 20);
    Seat(2, "Luke", 30);
    dialog_.ShowStandings(Seats(), 600);
    EXPECT_EQ(dialog_.PlaceLine(), "You are at the 3 place!");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1. Luke | $300", "2. Noah | $180", "3. Ann | $120", " | ", " | "}));
    EXPECT_EQ(dialog_.NameColour(4), kGold);
    EXPECT_EQ(dialog_.AmountColour(4), kYellow);
    EXPECT_EQ(dialog_.NameColour(2), kGreen);
}

TEST_F(TrnFinish, CloseAndReturnCloseTheStandingsWithAClick)
{
    class Owner : public ControlLibrary::DialogMessageObserver {
    public:
        void OnDialogShown(uint32_t, bool shown) override { closes += shown ? 0 : 1; }
        int closes = 0;
    } owner;
    TrnFinishDlgImpl dialog(&owner);
    dialog.Show(true);
    PressKey(KeyDialog::kReturnKey);
    EXPECT_FALSE(dialog.IsVisible());
    dialog.Show(true);
    ClickOn(Shown<ControlLibrary::IButtonVO>().at(0)->GetId());
    EXPECT_FALSE(dialog.IsVisible());
    EXPECT_EQ(owner.closes, 2);
    EXPECT_EQ(Clicks(), 2u);
}

} // namespace
} // namespace Gamespace
