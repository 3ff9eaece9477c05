// A table for tests of single players: it records what the players report
// and answers their questions from fields the test sets and from a betting
// unit of its own, with the services
// (scripted shell, virtual time) a player needs to exist, and a deck to draw from.
//
// Threads: one thread (the test's).
#pragma once

#include "game/table/Deck.h"
#include "game/table/PlayerMgrI.h"
#include "game/table/TableServices.h"
#include "tests/support/ScriptedShell.h"
#include "tests/support/VirtualTimeSystem.h"

#include <string>
#include <vector>

namespace Gamespace {
class PlayerI;
}

namespace testing_support {

class FakeTable final : public Gamespace::PlayerMgrI {
public:
    FakeTable();

    void GetSeatLayout(Gamespace::SeatLayout& out, uint16_t /*seat*/) override { out = layout; }
    Card DrawCard() override { return deck.DrawCard(); }
    uint16_t GetActionDelay() override { return actionDelay; }
    void OnPlayerStepDone(uint16_t seat, uint16_t position) override;
    bool IsPaused() override { return false; }
    bool IsSelectingDealer() override { return false; }
    double GetMinBet() override { return minBet; }
    uint16_t GetBoardStage() override { return static_cast<uint16_t>(state.boardStage); }
    // `state` with the betting unit's figures.
    void GetTableState(Gamespace::TableState& out) override;
    const Gamespace::BettingRound& GetBetting() override { return betting; }
    Gamespace::BetOutcome PlaceBet(uint16_t seat, Gamespace::BetMove move, double amount) override
    {
        return betting.Place(seat, move, amount);
    }
    void BuyChips(uint16_t seat, double chips) override { betting.Buy(seat, chips); }
    void OnPlayerAction(uint16_t position, uint32_t code, double amount) override;
    void ResumeAfterRebuy(bool rebought) override { actions.push_back(rebought ? "resume yes" : "resume no"); }
    void ScheduleNextHand() override { actions.push_back("schedule"); }
    void AddToPrizePool(double amount) override { prizePool += amount; }

    // Deals `player` the two cards and puts him in the hand with `bet`
    // (taken from nowhere: his chips stay as they were).
    void Deal(Gamespace::PlayerI& player, Card first, Card second, double bet = 0.0);
    // The round's bet so far, as if the players before had made it.
    void SetCurrentBet(double currentBet) { betting.RestoreRound(currentBet > 0.0, currentBet, betting.TotalPot()); }

    Gamespace::TableServices services;
    ScriptedShell shell;
    VirtualTimeSystem time;
    Deck deck;
    Gamespace::TableState state;
    Gamespace::BettingRound betting;
    // Every seat's screen places.
    Gamespace::SeatLayout layout;
    double minBet = 2.0;
    uint16_t actionDelay = 100;
    double prizePool = 0.0;
    // "code amount" of every OnPlayerAction, and the other calls.
    std::vector<std::string> actions;
};

} // namespace testing_support
