// How a player enters a tournament from the tournament set-up screen: a new
// start, written into the profile as a fresh saved game, or the return to a
// tournament of the profile that is still in progress. Both make the game
// the profile's current one and set the profile's game type to the
// tournament's kind, so the table finds everything in the profile when it
// opens.
//
// Threads: the main thread (the profile's).
#pragma once

#include "game/table/GameType.h"

#include <cstdint>

struct Profile;
struct SavedGame;
struct Tournament;

namespace Gamespace {

// The game type of a tournament of `kind` (0 limit, 1 pot limit, 2 no
// limit); a kind outside those plays no limit.
GameType TournamentGameType(uint32_t kind);

// The saved game of tournament `tournamentId` that is still in progress, or
// null.
SavedGame* FindResumableTournament(const Profile& profile, uint32_t tournamentId);

// Starts `record` anew: a saved game of the same tournament is replaced by a
// fresh one at level 1 with the tournament's prize pool, the human's buy-in
// and start chips, and one computer seat fewer than the tournament has
// players (seats 1 and up, each with the start chips). The new game is the
// only current one.
SavedGame& StartTournament(Profile& profile, const Tournament& record);

// Makes the game of `record` that is still in progress the current one, to be
// resumed where it was left; false (and no game current) when there is none.
bool ContinueTournament(Profile& profile, const Tournament& record);

} // namespace Gamespace
