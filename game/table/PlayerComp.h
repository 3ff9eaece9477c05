// A seat the computer plays: a fixed play style, its own re-buy and add-on
// decisions in tournaments, and the opponent decisions of OpponentStrategy
// whenever the table gives it the turn.
//
// Threads: the main thread (see PlayerI).
#pragma once

#include "game/table/PlayerI.h"

struct SavedGame;
struct SeatRecord;
struct Tournament;

namespace Gamespace {

class PlayerComp : public PlayerI {
public:
    // `style` 0..2; `savedSeat` the tournament seat record that counts its
    // re-buys (null at a cash table).
    PlayerComp(PlayerMgrI* table, const TableServices& services, uint32_t style, SeatRecord* savedSeat);
    ~PlayerComp() override;

    // Decides a re-buy first, then the action.
    void TakeTurn() override;
    // Buys at once when allowed and short; the table never waits for it.
    bool OfferRebuy() override;
    bool OfferAddOn() override;

    SeatRecord* GetSavedSeat() const { return savedSeat_; }
    uint32_t GetRebuyCount() const;

    // The style for the profile's option: 1..3 pick 0..2, anything else a
    // random style for every player.
    static uint32_t StyleForOption(uint32_t option);

private:
    // The catalogue record of the tournament being played, when there is one.
    bool CurrentTournament(::Tournament& out, ::SavedGame*& saved) const;

    SeatRecord* savedSeat_;
};

} // namespace Gamespace
