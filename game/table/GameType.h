// The kind of game a profile plays: three cash-table betting structures and
// the same three as tournaments.
#pragma once

#include <cstdint>

using GameType = uint32_t;

constexpr GameType kGameLimit = 0;
constexpr GameType kGamePotLimit = 1;
constexpr GameType kGameNoLimit = 2;
constexpr GameType kGameLimitTournament = 3;
constexpr GameType kGamePotLimitTournament = 4;
constexpr GameType kGameNoLimitTournament = 5;

constexpr bool IsTournamentGameType(GameType type) { return type >= 3 && type <= 5; }

// The betting structure of a game type: 0 limit, 1 pot limit, 2 no limit.
// Limit is 0 and 3, pot limit 1 and 4; every other value plays no limit.
constexpr uint32_t BettingStructure(GameType type)
{
    if (type == kGameLimit || type == kGameLimitTournament)
        return kGameLimit;
    if (type == kGamePotLimit || type == kGamePotLimitTournament)
        return kGamePotLimit;
    return kGameNoLimit;
}
