// A table played through the screen by a scripted player: the action strip
// clicked on the human's turns, amounts typed into the open and raise
// dialogs, the announcements and the hand result closed, the re-buy and
// add-on questions answered. Every step checks what the table holds after
// it: the chips the human put in, his standing in the hand, and the books
// (every chip bought is in front of a player or in the hand).
//
// On the real back end the table goes on while a click is being done (the
// player takes a screenshot after every action), so the checks read what
// stays put until the next hand: what the human put in, not his chips.
//
//     walk::PlayedTable table(player);
//     walk::PlayedTable::ChooseCashTable(AddActiveProfile("Alice"), kGameLimit, 4);
//     table.SitDown();
//     while (table.PlayOnToTurnOrResult())
//         table.Act(Gamespace::kHumanFold);
//     table.FinishHand();
//
// Threads: the test's thread, which is the program's main thread.
#pragma once

#include "game/table/GameType.h"
#include "tests/support/ScreenSight.h"

#include <cstdint>
#include <set>
#include <string>

struct Profile;
struct SavedGame;

namespace Gamespace {
class BaseDialog;
class GameMgr;
class PlayerHuman;
} // namespace Gamespace

namespace walk {

class ScriptedPlayer;

class PlayedTable {
public:
    // The strip's buttons, by the human's action code, and their names.
    static const Sight kActions[6];
    static const char* const kActionNames[6];
    static const Sight kClose;
    static const Sight kOpenDialog;
    static const Sight kRaiseDialog;
    static const Sight kMenuButton;
    // The menu's leave button, at a cash table and in a tournament.
    static const Sight kLeaveTable;
    static const Sight kLeaveTournament;

    explicit PlayedTable(ScriptedPlayer& player) : player_(player) {}

    // The profile plays a cash table of `type` with `players` seats at the
    // $4 stake, or a fresh tournament of the catalogue with `players` seats
    // at `level`.
    static void ChooseCashTable(Profile& profile, GameType type, uint16_t players);
    static SavedGame& EnterTournament(Profile& profile, uint16_t id, uint16_t players, uint32_t level);

    Gamespace::GameMgr& Table() const;
    Gamespace::PlayerHuman& Human() const;

    // Through the module flow to the table (the start and set-up screens
    // have walks of their own), the dealer drawn and announced.
    void SitDown();
    // Plays on until the table has drawn for the dealer, and closes the draw.
    void CloseTheDealerDraw();
    // Any button of the strip enabled; the button of `code` enabled.
    bool HumansTurn() const;
    bool Enabled(uint32_t code) const;
    // Plays on until the human's turn (true) or the hand result (false),
    // closing the stage announcements on the way; the first turn of the walk
    // with board cards out is photographed.
    bool PlayOnToTurnOrResult();
    // Closes the dealer or stage announcement with its Close button (the
    // first stage announcement of the walk is photographed first).
    void Dismiss(Gamespace::BaseDialog& dialog);
    // The chips in front of the players and, until the hand is shown down,
    // in this hand's bets.
    double ChipsAtTable() const;
    // Every chip bought is at the table (ChipsAtTable).
    void CheckBooks() const;
    // At the human's turn: the buttons of the legal actions are enabled
    // (all-in but at a limit cash table) and the seat shows the chips.
    void CheckTurn() const;
    // One click on the strip (check, call, fold, all-in; open and raise in
    // a limit game).
    void Act(uint32_t code);
    // Open or raise in a limit game: one unit, doubled from the turn on.
    void ActFixed(uint32_t code);
    // Open or raise with `x` typed into its dialog as it opens (over the
    // minimum bet it offers): the bet of an open, or by how much a raise
    // raises; a screenshot `shot` of the dialog.
    void ActTyped(uint32_t code, uint64_t x, const std::string& shot = "");
    // The amount dialog of `code` closed with Escape, after Escape answered
    // the exit question above it: the turn stays.
    void CancelTyped(uint32_t code);
    // Plays the hand to its result, checking when checking is free and
    // folding otherwise.
    void FoldToTheResult();
    // The hand result is up: the books balance, and Close pages through the
    // pots until the dialog goes.
    void FinishHand();
    // Close pages through the hand result until it goes (a question that
    // comes after it, if any, shows).
    void CloseResult();
    // A tool: the human's chips go to the first opponent still seated, at
    // once (behind the seats' backs: their labels keep showing the chips as
    // they were).
    void HandHumansChipsToAnOpponent();
    // The human's re-buy or add-on question is up.
    bool RebuyQuestionShown() const;
    // Waits for a hand to be dealt after the `started`-th (GetHandsStarted).
    bool NextHandStarts(uint64_t started);
    // Closes the window and answers the exit question with Return.
    void LeaveGame();

    const std::set<uint32_t>& Done() const { return done_; }
    int Hands() const { return hands_; }

private:
    ScriptedPlayer& player_;
    std::set<uint32_t> done_;
    int hands_ = 0;
    bool stagePhotographed_ = false;
    bool boardPhotographed_ = false;
};

} // namespace walk
