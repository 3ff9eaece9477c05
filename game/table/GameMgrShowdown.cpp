// The table's money at the end of a hand: the pots, their winners, the pay.
#include "game/table/GameMgr.h"

#include "game/table/FinishDlg.h"
#include "game/table/HandComparison.h"
#include "game/table/PlayerI.h"
#include "game/table/PotBuilder.h"
#include "game/table/SavedGame.h"
#include "game/table/TableScreen.h"

namespace Gamespace {

std::vector<Pot> GameMgr::BuildHandPots(double total) const
{
    // The pots come from what the betting unit says every seat put in.
    std::vector<PotEntrant> entrants;
    for (PlayerI* player : actingOrder_) {
        const SeatStake& stake = betting_.Stake(player->GetSeat());
        // A hand restored without what each seat put in: rather than shut an
        // all-in player out, everybody left shares one pot.
        entrants.push_back(PotEntrant{player, stake.contribution, stake.inHand, stake.allIn && !potSharesUnknown_});
    }
    return BuildPots(entrants, total, boardStage_);
}

std::vector<Pot> GameMgr::PotsAsTheyStand() const
{
    return BuildHandPots(betting_.TotalPot() + betting_.RoundPot());
}

void GameMgr::Showdown()
{
    for (PlayerI* player : actingOrder_)
        if (player->IsInHand())
            player->UpdateBestHand();
    pots_ = BuildHandPots(betting_.TotalPot());
    PayAndReport(pots_);
    // The panel was filled as the hand began: it ranks the chips won now.
    ListStandings();
    if (screen_)
        screen_->UpdateStageImages(0);
    SavedGame* saved = IsTournament() ? CurrentSavedGame() : nullptr;
    if (saved != nullptr)
        saved->handOver = 1;
    ++handsShownDown_;
    if (finishDlg_)
        finishDlg_->Show(true);
}

void GameMgr::PayAndReport(const std::vector<Pot>& pots)
{
    // Every row is credited here, once: the dialog only shows the wins, so a
    // dialog closed before it has shown every pot loses nothing.
    handSettled_ = true;
    buttonPlaced_ = false;
    if (finishDlg_)
        finishDlg_->ClearPots();
    for (const Pot& pot : pots) {
        std::vector<Contender> contenders;
        for (PlayerI* player : pot.eligible)
            contenders.push_back(Contender{player, HandRecord{player->GetHandCategory(), [player] {
                                                                  std::vector<HandGroup> groups;
                                                                  player->GetBestHandGroups(groups);
                                                                  return groups;
                                                              }()}});
        std::vector<WinnerRow> rows = AwardPot(pot.amount, std::move(contenders));
        bool shown = false;
        for (const WinnerRow& row : rows) {
            betting_.Credit(row.player->GetSeat(), row.amount);
            if (row.amount == 0.0 || !finishDlg_)
                continue;
            if (!shown) {
                finishDlg_->AddPot(pot.name);
                shown = true;
            }
            finishDlg_->AddWinner(row.player, row.amount, row.handName);
        }
    }
    // The hand is over for good: a program ended from now on must not undo it.
    progressToKeep_ = true;
}

} // namespace Gamespace
