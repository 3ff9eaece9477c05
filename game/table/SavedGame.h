// A tournament in progress as the player's profile keeps it between two
// sittings: the tournament's own progress, the hand that was being played
// when the table was left, the human's seat and the nine computer seats.
//
// The table writes it when it is left (GameMgr::Hide) and reads it back when
// it is shown; the game shell stores it in the profile file, field by field
// in an order the file fixes, so the order of the fields here is free.
//
// Threads: the main thread (the table's steps and the shell's file code).
#pragma once

#include "game/table/Card.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// One computer seat of a saved tournament.
struct SeatRecord {
    uint8_t active = 0;        // the seat is taken
    uint16_t seatNumber = 0;   // 1..9
    std::string name;
    double chips = 0.0;
    uint8_t rebuysTaken = 0;
    uint8_t addOnTaken = 0;    // the seat bought its one add-on
    uint8_t styleCode = 0;     // the play style + 1; 0 before the seat was first played
    // The hand being played when the table was left.
    uint8_t dealer = 0;        // the seat held the dealer button
    uint8_t inHand = 0;        // the seat was dealt in and had not folded
    double bet = 0.0;          // the seat's bet in the betting round
    // The seat's part of the pot: every chip it put in during the hand, its
    // bet included. The side pots are built from these at the showdown.
    double contribution = 0.0;
    std::array<Card, 2> cards{};
};

// One tournament in progress.
struct SavedGame {
    static constexpr size_t kComputerSeats = 9;

    // The tournament.
    uint8_t newGame = 1;       // not begun yet (never stored: every loaded game has begun)
    uint16_t tournamentId = 1;
    uint8_t inUse = 0;         // the record holds a game; only records in use are stored
    uint8_t current = 0;       // the record the table plays
    double minBet = 0.0;       // the start bet of level 1
    uint32_t level = 1;
    double totalBuyIns = 0.0;  // the prize pool
    double buyIn = 0.0;        // what the human paid: buy-in, re-buys and add-ons
    uint16_t levelTimeLeft = 0;
    uint32_t rebuysTaken = 0;  // the human's re-buys

    // The hand being played when the table was left.
    // The hand was over: the next sitting moves the button on and deals a
    // new one. Not over with nobody in it: the hand the button was placed
    // for was not played yet, and the next sitting deals it from that seat.
    uint8_t handOver = 0;
    uint16_t boardStage = 0;   // 0 before the flop .. 3 river
    uint8_t betMade = 0;       // a bet was made in the betting round
    double currentBet = 0.0;   // the highest bet of the betting round
    double totalPot = 0.0;     // the chips already collected from the bets
    // The betting round was over and its next board stage (after the river,
    // the showdown) had not come yet, announced or not; the bets are in the
    // pot.
    uint8_t stageDialogPending = 0;
    // The position that acted last (the round's opening position when
    // nobody has yet): the turn goes to the first able player after it.
    // Who else has acted, and the big blind's option, are worked out from
    // it and the bets (BettingRound::ResumeStanding).
    uint16_t resumePosition = 0;
    double raiseCount = 0.0;   // raises made in the betting round
    // Every seat's part of the pot (the contributions) is known, and every
    // amount of the hand is exact. Records kept by earlier builds, and files
    // without the amounts' own block, know only the bets and a truncated
    // pot: such a hand is shown down as one pot for the players left in it.
    uint8_t contributionsKnown = 0;
    // The five board cards, those not yet turned over included.
    std::array<Card, 5> board{};

    // The human's seat.
    double startChips = 0.0;   // the human's chips (at the start, every player's)
    uint8_t humanDealer = 0;
    uint8_t humanInHand = 0;
    double humanBet = 0.0;
    double humanContribution = 0.0;
    std::array<Card, 2> tableCards{}; // the human's hole cards

    std::array<SeatRecord, kComputerSeats> seats{};
};
