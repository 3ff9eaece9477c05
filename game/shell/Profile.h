// A player profile: the player's choices, money totals and tournaments in
// progress. Several fields of a saved tournament are kept and interpreted by
// the poker table only; their meaning is given next to each. Profiles live in
// ProfileList (game/shell/ProfileList.h) and in files read and written by
// game/shell/ProfileFile.h.
//
// Threads: read and written on the main thread (the table's steps run there
// too, see Gamespace::GameMgr).
#pragma once

#include "game/table/Card.h"
#include "game/table/GameType.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One computer seat of a saved tournament.
struct SeatRecord {
    uint8_t flagA = 0;        // table: the player holds the dealer button
    uint8_t flagB = 0;        // table: the player is in the hand
    double chips = 0.0;
    double amount = 0.0;      // table: the player's bet in the betting round
    uint32_t value = 0;       // table: re-buys taken (low byte), play style + 1 (second byte; 0: none)
    std::array<Card, 2> cards{};
    uint8_t active = 0;       // the seat is taken
    uint16_t seatNumber = 0;
    std::string name;
};

// One tournament in progress.
struct SavedGame {
    static constexpr size_t kComputerSeats = 9;

    uint8_t newGame = 1;       // not begun yet
    uint16_t tournamentId = 1;
    uint8_t inUse = 0;
    uint8_t current = 0;
    double minBet = 0.0;       // the start bet of level 1
    uint32_t level = 1;
    double totalBuyIns = 0.0;  // the prize pool
    double buyIn = 0.0;        // what the human paid: buy-in, re-buys and add-ons
    uint16_t levelTimeLeft = 0;
    uint16_t valueB = 0;       // table: board stage
    uint8_t flagC = 0;         // table: a bet was made in the betting round
    uint16_t valueD = 0;       // table: position whose turn the table resumes after
    double amountE = 0.0;      // table: the hand's total pot
    double amountF = 0.0;      // table: the current bet of the round
    uint8_t flagG = 0;         // table: a stage announcement was showing
    uint8_t flagH = 0;         // table: the hand was over; a new one is to be dealt
    std::array<Card, 5> board{};
    uint8_t flagI = 0;         // table: the human holds the dealer button
    uint8_t flagJ = 0;         // table: the human is in the hand
    double startChips = 0.0;   // the human's chips (at the start, every player's)
    double amountK = 0.0;      // table: the human's bet in the betting round
    uint32_t rebuysTaken = 0;  // the human's re-buys
    std::array<Card, 2> tableCards{}; // table: the human's hole cards
    std::array<SeatRecord, kComputerSeats> seats{};
};

struct TableChoice {
    uint16_t tableIndex = 0;  // stake row 0..5
    uint16_t players = 10;    // 2..10
};

struct Profile {
    // The longest name a profile file can hold.
    static constexpr size_t kMaxNameLength = 15;

    uint8_t active = 0;
    std::string name;
    uint8_t customOption = 1;
    uint32_t computerStyle = 0;   // 0 a random style per seat, 1..3 a fixed style
    GameType gameType = kGameNoLimit;   // not stored in the file
    TableChoice limit;
    TableChoice potLimit;
    TableChoice noLimit;
    // A stage announcement is shown before each board stage (not stored in
    // the file).
    uint8_t stageDialog = 1;
    std::vector<std::unique_ptr<SavedGame>> savedGames;
    // Buy-in and cash-out totals: limit, no-limit, pot-limit pairs in turn.
    std::array<double, 6> money{};

    // Makes this profile the only active one of the list (or, with false,
    // leaves no profile of the list active).
    void SetActive(bool value);
    // Deletes this profile's file when there is one.
    void RemoveFile() const;
    // "save/" + name + "_.usr"; empty when the name cannot name a file.
    std::string FilePath() const;

    // The first saved tournament marked current, or null.
    SavedGame* GetCurrentSavedGame() const
    {
        for (const auto& game : savedGames)
            if (game && game->current != 0)
                return game.get();
        return nullptr;
    }
};
