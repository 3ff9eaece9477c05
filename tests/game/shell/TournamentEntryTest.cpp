// Entering a tournament from the set-up screen: a fresh start written into
// the profile, or the return to a game in progress.
#include "game/shell/Profile.h"
#include "game/shell/TournamentEntry.h"
#include "game/table/Tournament.h"

#include <gtest/gtest.h>

namespace Gamespace {
namespace {

Tournament Record(uint16_t id)
{
    Tournament record;
    EXPECT_TRUE(FindTournament(id, record));
    return record;
}

TEST(TournamentEntry, AStartWritesTheTournamentsMoneyAndOneComputerSeatPerOtherPlayer)
{
    Profile profile;
    SavedGame& satellite = StartTournament(profile, Record(1));
    EXPECT_EQ(profile.gameType, kGameNoLimitTournament);
    EXPECT_EQ(satellite.tournamentId, 1);
    EXPECT_EQ(satellite.newGame, 1);
    EXPECT_EQ(satellite.inUse, 1);
    EXPECT_EQ(satellite.current, 1);
    EXPECT_EQ(satellite.level, 1u);
    EXPECT_DOUBLE_EQ(satellite.minBet, 8.0);
    EXPECT_DOUBLE_EQ(satellite.totalBuyIns, 200.0);
    EXPECT_DOUBLE_EQ(satellite.buyIn, 20.0);
    EXPECT_DOUBLE_EQ(satellite.startChips, 1000.0);
    for (size_t k = 0; k < SavedGame::kComputerSeats; ++k) {
        const SeatRecord& seat = satellite.seats[k];
        EXPECT_EQ(seat.active, 1);
        EXPECT_EQ(seat.seatNumber, k + 1);
        EXPECT_EQ(seat.name, "Test pl");
        EXPECT_DOUBLE_EQ(seat.chips, 1000.0);
    }

    // Sit & Go N has eight players: seven computer seats.
    SavedGame& sitAndGo = StartTournament(profile, Record(2));
    EXPECT_EQ(satellite.current, 0) << "only the new game is current";
    size_t active = 0;
    for (const SeatRecord& seat : sitAndGo.seats)
        active += seat.active;
    EXPECT_EQ(active, 7u);
    EXPECT_EQ(sitAndGo.seats[7].seatNumber, 0);
    EXPECT_EQ(StartTournament(profile, Record(8)).minBet, 8.0);
    EXPECT_EQ(profile.gameType, kGameLimitTournament) << "Sit & Go L";
}

TEST(TournamentEntry, AStartReplacesTheGameOfTheSameTournamentAndKeepsTheOthers)
{
    Profile profile;
    StartTournament(profile, Record(4)).level = 6;
    StartTournament(profile, Record(5));
    SavedGame& again = StartTournament(profile, Record(4));
    ASSERT_EQ(profile.savedGames.size(), 2u);
    EXPECT_EQ(profile.savedGames[0]->tournamentId, 5);
    EXPECT_EQ(profile.savedGames[1].get(), &again);
    EXPECT_EQ(again.level, 1u);
    EXPECT_EQ(profile.gameType, kGamePotLimitTournament);
}

TEST(TournamentEntry, ContinuingMakesTheGameInProgressCurrentAndFailsWithoutOne)
{
    Profile profile;
    StartTournament(profile, Record(3)).level = 4;
    StartTournament(profile, Record(9));
    ASSERT_TRUE(ContinueTournament(profile, Record(3)));
    SavedGame* current = profile.GetCurrentSavedGame();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->tournamentId, 3);
    EXPECT_EQ(current->level, 4u);
    EXPECT_EQ(current->newGame, 0) << "resumed where it was, not dealt afresh";
    EXPECT_EQ(current->current, 1) << "a flag, kept in the file as one byte 0 or 1";
    EXPECT_EQ(profile.gameType, kGameNoLimitTournament);

    // A finished tournament is no game to continue.
    current->inUse = 0;
    EXPECT_EQ(FindResumableTournament(profile, 3), nullptr);
    EXPECT_FALSE(ContinueTournament(profile, Record(3)));
    EXPECT_EQ(profile.GetCurrentSavedGame(), nullptr);
    EXPECT_FALSE(ContinueTournament(profile, Record(6)));
    EXPECT_EQ(profile.gameType, kGamePotLimitTournament);
}

} // namespace
} // namespace Gamespace
