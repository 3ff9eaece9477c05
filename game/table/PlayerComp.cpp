#include "game/table/PlayerComp.h"

#include "game/table/ITableShell.h"
#include "game/table/PlayerMgrI.h"
#include "game/table/SavedGame.h"
#include "game/table/Tournament.h"
#include "common/RandomHelpers.h"

#include <cmath>

namespace Gamespace {

PlayerComp::PlayerComp(PlayerMgrI* table, const TableServices& services, uint32_t style, SeatRecord* savedSeat)
    : PlayerI(table, services, false), savedSeat_(savedSeat)
{
    style_ = style > 2 ? 0 : style;
}

PlayerComp::~PlayerComp() = default;

uint32_t PlayerComp::StyleForOption(uint32_t option)
{
    if (option >= 1 && option <= 3)
        return option - 1;
    return RandomInRange(0, 3);
}

uint32_t PlayerComp::GetRebuyCount() const
{
    return savedSeat_ != nullptr ? savedSeat_->rebuysTaken : 0;
}

void PlayerComp::TakeTurn()
{
    OfferRebuy();
    PlayerI::TakeTurn();
}

bool PlayerComp::CurrentTournament(Tournament& out, SavedGame*& saved) const
{
    if (!IsTournamentGameType(services_.shell->GetGameType()))
        return false;
    saved = services_.shell->GetCurrentSavedGame();
    if (saved == nullptr)
        return false;
    return FindTournament(saved->tournamentId, out);
}

bool PlayerComp::OfferRebuy()
{
    Tournament record;
    SavedGame* saved = nullptr;
    if (!CurrentTournament(record, saved))
        return false;
    double chipsBought = record.price * record.chipsPerDollar;
    if (saved->level <= record.rebuyLastLevel && GetRebuyCount() < record.maxRebuys && GetChips() < chipsBought / 2.0) {
        AnnouncePurchase("Re-Buy", record.price, chipsBought);
        if (savedSeat_ != nullptr)
            savedSeat_->rebuysTaken = static_cast<uint8_t>(GetRebuyCount() + 1);
        BuyChips(chipsBought);
        table_->AddToPrizePool(record.price);
        RefreshBetDisplay();
    }
    return false;
}

bool PlayerComp::OfferAddOn()
{
    Tournament record;
    SavedGame* saved = nullptr;
    if (!CurrentTournament(record, saved))
        return false;
    // One add-on a player: the seat's record keeps, with the tournament,
    // whether it was bought.
    if (savedSeat_ == nullptr || savedSeat_->addOnTaken != 0 || !IsAddOnOffered(record, saved->level))
        return false;
    double chipsBought = record.price * record.chipsPerDollar;
    if (GetChips() < chipsBought) {
        AnnouncePurchase("Add-On", record.price, chipsBought);
        savedSeat_->addOnTaken = 1;
        BuyChips(chipsBought);
        RefreshBetDisplay();
        table_->AddToPrizePool(record.price);
    }
    return false;
}

} // namespace Gamespace
