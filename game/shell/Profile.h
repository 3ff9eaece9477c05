// A player profile: the player's choices, money totals and tournaments in
// progress (SavedGame, kept and interpreted by the poker table). Profiles live in
// ProfileList (game/shell/ProfileList.h) and in files read and written by
// game/shell/ProfileFile.h.
//
// Threads: read and written on the main thread (the table's steps run there
// too, see Gamespace::GameMgr).
#pragma once

#include "game/table/GameType.h"
#include "game/table/SavedGame.h"
#include "game/table/StakeRow.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
struct FileError;
}

struct Profile {
    // The longest name a profile file can hold.
    static constexpr size_t kMaxNameLength = 15;

    uint8_t active = 0;
    std::string name;
    // The customize dialog's yes/no: whether a stage announcement is shown
    // before each board stage. Stored in the file, so the choice the player
    // makes is the one the table reads in every later game.
    uint8_t announceStages = 1;
    uint32_t computerStyle = 0;   // 0 a random style per seat, 1..3 a fixed style
    GameType gameType = kGameNoLimit;   // not stored in the file
    TableChoice limit;
    TableChoice potLimit;
    TableChoice noLimit;
    std::vector<std::unique_ptr<SavedGame>> savedGames;
    // Buy-in and cash-out totals: limit, no-limit, pot-limit pairs in turn.
    std::array<double, 6> money{};
    // The file the profile was read from; empty for a profile made in this
    // run, which is saved under its name. A file may hold another name than
    // its own (copied or renamed by hand): when the player it names has no
    // file of his own, it is still the one saved to, so that it never
    // overwrites the file of the profile it names.
    std::string file;
    // The bytes its file holds as last read or saved: a save that would
    // write them again writes nothing (empty: not known, always written).
    std::string storedBytes;

    // Makes this profile the only active one of the list (or, with false,
    // leaves no profile of the list active).
    void SetActive(bool value);
    // Deletes this profile's file when there is one; false (with the reason
    // in `error`) when it is there and stays. In ProfileFile.cpp, with the
    // other file operations.
    bool RemoveFile(platform::FileError* error = nullptr) const;
    // The file it was read from, else name + "_.usr" in the profile folder
    // (ProfileFolder, ProfileFile.h); empty when the name cannot name a file.
    std::string FilePath() const;

    // The cash-table choice of the betting structure of `type`.
    const TableChoice& TableChoiceFor(GameType type) const
    {
        uint32_t structure = BettingStructure(type);
        return structure == kGameLimit ? limit : (structure == kGamePotLimit ? potLimit : noLimit);
    }

    // The first saved tournament marked current, or null.
    SavedGame* GetCurrentSavedGame() const
    {
        for (const auto& game : savedGames)
            if (game && game->current != 0)
                return game.get();
        return nullptr;
    }
};
