// A profile read back as the player left it: a tournament's numbers that
// no table makes are mended without touching what a table does make, and a
// file named after its player is his own whatever the letter case of its
// name on the disk.
#include "game/shell/Profile.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"
#include "game/table/GameMgr.h"
#include "game/table/SavedGame.h"
#include "tests/game/shell/ProfileTestSupport.h"

#include <filesystem>
#include <memory>
#include <string>

namespace {

using ProfileRecordRepair = ProfileFolderTest;

// Sit & Go P, at its third level, every seat taken.
std::unique_ptr<SavedGame> TournamentAtLevelThree()
{
    auto game = std::make_unique<SavedGame>();
    game->newGame = 0;
    game->tournamentId = 5;
    game->inUse = 1;
    game->current = 1;
    game->minBet = 40.0;
    game->level = 3;
    game->startChips = 1500.0;
    for (size_t i = 0; i < game->seats.size(); ++i) {
        SeatRecord& seat = game->seats[i];
        seat.active = 1;
        seat.seatNumber = static_cast<uint16_t>(i + 1);
        seat.chips = 1000.0;
        seat.name = Gamespace::GameMgr::OpponentNames()[i];
    }
    return game;
}

TEST_F(ProfileRecordRepair, ABetBelowZeroBecomesNothingAndEveryNameATableGivesIsKept)
{
    Profile fay;
    fay.name = "Fay";
    auto game = TournamentAtLevelThree();
    game->seats[0].bet = -20.0;
    game->seats[1].bet = 10.0;
    // The longest name a computer player is given.
    std::string longest;
    for (const std::string& name : Gamespace::GameMgr::OpponentNames())
        if (name.size() > longest.size())
            longest = name;
    game->seats[2].name = longest;
    fay.savedGames.push_back(std::move(game));
    ASSERT_TRUE(SaveProfile(fay));

    Profile loaded;
    std::string error;
    ASSERT_TRUE(LoadProfile(loaded, "save/Fay_.usr", &error));
    ASSERT_EQ(loaded.savedGames.size(), 1u) << error;
    const SavedGame& mended = *loaded.savedGames[0];
    EXPECT_EQ(mended.seats[0].bet, 0.0);
    EXPECT_EQ(mended.seats[1].bet, 10.0);
    EXPECT_EQ(mended.seats[2].name, longest);
    EXPECT_EQ(mended.seats[3].name, Gamespace::GameMgr::OpponentNames()[3]);
    EXPECT_EQ(mended.level, 3u);
    EXPECT_NE(error.find("tournament 1 holds amounts below zero, set to 0"), std::string::npos) << error;
    EXPECT_EQ(error.find("seat name"), std::string::npos) << error;
}

TEST_F(ProfileRecordRepair, AFileNamedAfterItsPlayerInOtherLetterCaseOutranksACopyListedBeforeIt)
{
    Profile ann;
    ann.name = "Ann";
    ann.money[0] = 700.0;
    ASSERT_TRUE(SaveProfile(ann));
    std::filesystem::rename("save/Ann_.usr", "save/ann_.usr");
    // A copy made by hand, listed before it.
    ann.money[0] = 5.0;
    ann.file = "save/Aaron_.usr";
    ASSERT_TRUE(SaveProfile(ann));

    const std::vector<KernelLibrary::Problem> problems = LoadAllProfiles(*ProfileList::Instance());
    ASSERT_EQ(ProfileList::Instance()->Count(), 1u);
    const Profile& listed = *ProfileList::Instance()->At(0);
    EXPECT_EQ(listed.FilePath(), "save/ann_.usr");
    EXPECT_EQ(listed.money[0], 700.0);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].path, "save/Aaron_.usr");
}

} // namespace
