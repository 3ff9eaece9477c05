#include "game/shell/TournamentEntry.h"

#include "game/shell/Profile.h"
#include "game/table/Tournament.h"

#include <algorithm>

namespace Gamespace {

namespace {

// The computer players' names until the table gives them their own.
constexpr char kSeatName[] = "Test pl";

void ClearCurrent(Profile& profile)
{
    for (auto& game : profile.savedGames)
        if (game)
            game->current = 0;
}

} // namespace

GameType TournamentGameType(uint32_t kind)
{
    return kind <= 2 ? kGameLimitTournament + kind : kGameNoLimitTournament;
}

SavedGame* FindResumableTournament(const Profile& profile, uint32_t tournamentId)
{
    for (const auto& game : profile.savedGames)
        if (game && game->tournamentId == tournamentId && game->inUse != 0)
            return game.get();
    return nullptr;
}

SavedGame& StartTournament(Profile& profile, const Tournament& record)
{
    profile.gameType = TournamentGameType(record.kind);
    auto& games = profile.savedGames;
    auto same = std::find_if(games.begin(), games.end(),
                             [&](const auto& game) { return game && game->tournamentId == record.id; });
    if (same != games.end())
        games.erase(same);
    ClearCurrent(profile);

    auto game = std::make_unique<SavedGame>();
    const double startChips = record.price * record.chipsPerDollar;
    game->newGame = 1;
    game->tournamentId = static_cast<uint16_t>(record.id);
    game->inUse = 1;
    game->current = 1;
    game->minBet = record.startBet;
    game->level = 1;
    game->totalBuyIns = double(record.players) * record.price * record.tables;
    game->buyIn = record.price;
    game->startChips = startChips;
    // The human takes one of the tournament's places; a table has no more
    // computer seats than the record has room for.
    const size_t computerSeats = std::min<size_t>(record.players > 0 ? record.players - 1u : 0u,
                                                  SavedGame::kComputerSeats);
    for (size_t k = 0; k < SavedGame::kComputerSeats; ++k) {
        SeatRecord& seat = game->seats[k];
        seat.active = k < computerSeats ? 1 : 0;
        if (k >= computerSeats)
            continue;
        seat.chips = startChips;
        seat.seatNumber = static_cast<uint16_t>(k + 1);
        seat.name = kSeatName;
    }
    games.push_back(std::move(game));
    return *games.back();
}

bool ContinueTournament(Profile& profile, const Tournament& record)
{
    profile.gameType = TournamentGameType(record.kind);
    ClearCurrent(profile);
    SavedGame* game = FindResumableTournament(profile, record.id);
    if (!game)
        return false;
    game->current = 1;
    game->newGame = 0;
    return true;
}

} // namespace Gamespace
