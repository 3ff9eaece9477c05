#include "game/table/PlayerHuman.h"

#include "controls/IButtonVO.h"
#include "controls/IFactory.h"
#include "game/table/ClickSound.h"
#include "game/table/HumanActionDlg.h"
#include "game/table/ITableShell.h"
#include "game/table/PlayerMgrI.h"
#include "game/table/RebuyAddonDlg.h"
#include "game/table/SavedGame.h"
#include "game/table/Tournament.h"

namespace Gamespace {

PlayerHuman::PlayerHuman(PlayerMgrI* table, const TableServices& services) : PlayerI(table, services, true)
{
    actionDialog_ = services_.shell->CreateHumanActionDlg(this, this);
    rebuyDialog_ = services_.shell->CreateRebuyAddonDlg(this);
    if (services_.factory == nullptr)
        return;
    rebuyButton_ = services_.factory->CreateButtonVO();
    if (rebuyButton_ != nullptr) {
        rebuyButton_->SetSize(31, 31);
        rebuyButton_->SetLayer(500);
        // The badge has a frame for each state, one below the other, so a
        // button the turn has not enabled looks it.
        rebuyButton_->SetImages({"images/player/rebuy.png", "", "", ""});
        rebuyButton_->SetSourceRects({ControlLibrary::Rect{0, 0, 31, 31}, ControlLibrary::Rect{0, 31, 31, 31},
                                      ControlLibrary::Rect{0, 62, 31, 31}, ControlLibrary::Rect{0, 93, 31, 31}});
        rebuyButton_->AddMouseObserver(this);
    }
    click_ = std::make_unique<ClickSound>(services_.factory);
}

PlayerHuman::~PlayerHuman()
{
    if (rebuyButton_ != nullptr)
        services_.factory->ReleaseVO(rebuyButton_);
    click_.reset();
}

bool PlayerHuman::InTournament(Tournament& record, SavedGame*& saved) const
{
    if (!IsTournamentGameType(services_.shell->GetGameType()))
        return false;
    saved = services_.shell->GetCurrentSavedGame();
    return saved != nullptr && FindTournament(saved->tournamentId, record);
}

bool PlayerHuman::RebuyAllowed() const
{
    Tournament record;
    SavedGame* saved = nullptr;
    if (!InTournament(record, saved))
        return false;
    return saved->level < record.rebuyLastLevel && saved->rebuysTaken < record.maxRebuys;
}

void PlayerHuman::UpdateRebuyButton()
{
    if (rebuyButton_ == nullptr)
        return;
    bool allowed = RebuyAllowed();
    rebuyButton_->SetVisible(allowed);
    rebuyButton_->SetEnabled(allowed);
}

void PlayerHuman::Show(bool on)
{
    if (actionDialog_) {
        actionDialog_->Show(on);
        actionDialog_->ShowActions(false);
    }
    if (rebuyDialog_ && rebuyDialog_->IsVisible())
        rebuyDialog_->Show(false);
    bool tournament = IsTournamentGameType(services_.shell->GetGameType());
    if (rebuyButton_ != nullptr)
        rebuyButton_->SetVisible(on && tournament);
    PlayerI::Show(on);
    if (rebuyButton_ != nullptr) {
        SeatLayout layout;
        table_->GetSeatLayout(layout, seat_);
        rebuyButton_->SetPosition(layout.anchorX + layout.cardsDx - 100, layout.anchorY + layout.cardsDy + 14);
    }
    if (tournament)
        RefreshBetDisplay();
}

void PlayerHuman::ResetSeatDisplay()
{
    PlayerI::ResetSeatDisplay();
    if (rebuyButton_ != nullptr)
        rebuyButton_->SetEnabled(false);
}

void PlayerHuman::TakeTurn()
{
    UpdateRebuyButton();
    Display().HideIcons();
    if (actionDialog_)
        actionDialog_->ShowActions(true);
}

double PlayerHuman::GetCurrentBet()
{
    TableState state;
    table_->GetTableState(state);
    return state.currentBet;
}

double PlayerHuman::GetRoundPot()
{
    TableState state;
    table_->GetTableState(state);
    return state.roundPot;
}

double PlayerHuman::GetTotalPot()
{
    TableState state;
    table_->GetTableState(state);
    return state.totalPot;
}

double PlayerHuman::GetMinBet()
{
    return table_->GetMinBet();
}

uint16_t PlayerHuman::GetBoardStage()
{
    return table_->GetBoardStage();
}

void PlayerHuman::GetAvailableActions(std::vector<uint32_t>& out)
{
    out.clear();
    TableState state;
    table_->GetTableState(state);
    if (state.betMade == 0) {
        out = {kHumanCheck, kHumanOpen, kHumanFold, kHumanAllIn};
        return;
    }
    out.push_back(kHumanFold);
    const SeatStake& stake = Stake();
    bool call = (!stake.bigBlindPending && stake.chips + stake.bet > state.currentBet) || state.currentBet > stake.bet;
    out.push_back(call ? kHumanCall : kHumanCheck);
    if (state.currentBet < stake.chips + stake.bet)
        out.push_back(kHumanRaise);
    out.push_back(kHumanAllIn);
}

void PlayerHuman::PerformHumanAction(uint32_t code, double amount)
{
    switch (code) {
    case kHumanCheck:
        Check();
        break;
    case kHumanOpen:
        Open(amount);
        break;
    case kHumanFold:
        Fold();
        break;
    case kHumanCall:
        Call();
        break;
    case kHumanRaise:
        Raise(amount);
        break;
    case kHumanAllIn:
        AllIn();
        break;
    default:
        break;
    }
    RefreshBetDisplay();
    if (actionDialog_)
        actionDialog_->ShowActions(false);
    if (rebuyButton_ != nullptr)
        rebuyButton_->SetEnabled(false);
}

bool PlayerHuman::OfferRebuy()
{
    if (!RebuyAllowed() || !rebuyDialog_)
        return false;
    rebuyOffered_ = 1;
    rebuyDialog_->SetMode(RebuyAddonDlg::kRebuy);
    rebuyDialog_->Show(true);
    return true;
}

bool PlayerHuman::OfferAddOn()
{
    Tournament record;
    SavedGame* saved = nullptr;
    if (!InTournament(record, saved) || !rebuyDialog_)
        return false;
    // One add-on a tournament, asked once a sitting: a "no" stands until the
    // table is left.
    if (!IsAddOnOffered(record, saved->level) || addOnAsked_ || AddOnBought(record, *saved))
        return false;
    // A re-buy question still waiting for its answer keeps its words; the
    // add-on is offered again after the next hand.
    if (rebuyDialog_->IsVisible() && rebuyDialog_->GetMode() == RebuyAddonDlg::kRebuy)
        return false;
    addOnAsked_ = true;
    rebuyDialog_->SetMode(RebuyAddonDlg::kAddOn);
    rebuyDialog_->Show(true);
    return true;
}

bool PlayerHuman::AddOnBought(const Tournament& record, const SavedGame& saved)
{
    // What the human paid is the buy-in, each re-buy and the add-on, all at
    // the tournament's price, and the record keeps it with the re-buys
    // counted: anything beyond them was the add-on, however long ago.
    return saved.buyIn >= record.price * (2.0 + saved.rebuysTaken);
}

void PlayerHuman::Buy(const char* what)
{
    Tournament record;
    SavedGame* saved = nullptr;
    if (!InTournament(record, saved))
        return;
    double chipsBought = record.price * record.chipsPerDollar;
    AnnouncePurchase(what, record.price, chipsBought);
    BuyChips(chipsBought);
    table_->AddToPrizePool(record.price);
    saved->buyIn += record.price;
    RefreshBetDisplay();
}

void PlayerHuman::OnDialogShown(uint32_t dialogId, bool shown)
{
    if (shown || !rebuyDialog_ || dialogId != rebuyDialog_->GetId())
        return;
    bool yes = rebuyDialog_->GetAnswer() == 1;
    if (rebuyDialog_->GetMode() == RebuyAddonDlg::kAddOn) {
        if (yes)
            Buy("Add-On");
        table_->ScheduleNextHand();
    } else if (!yes) {
        if (rebuyOffered_ != 0) {
            rebuyOffered_ = 0;
            table_->ResumeAfterRebuy(false);
        }
    } else {
        Tournament record;
        SavedGame* saved = nullptr;
        // A second answer for a re-buy already used up buys nothing.
        if (RebuyAllowed() && InTournament(record, saved)) {
            Buy("Re-Buy");
            saved->rebuysTaken += 1;
        }
        if (rebuyOffered_ != 0) {
            rebuyOffered_ = 0;
            table_->ResumeAfterRebuy(true);
        }
    }
    UpdateRebuyButton();
}

void PlayerHuman::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    if (rebuyButton_ == nullptr || id != rebuyButton_->GetId() || !rebuyDialog_)
        return;
    if (click_ != nullptr)
        click_->Play();
    rebuyDialog_->SetMode(RebuyAddonDlg::kRebuy);
    rebuyDialog_->Show(true);
}

} // namespace Gamespace
