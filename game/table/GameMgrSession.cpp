// The table as a screen module: sitting down, leaving, pausing, the dialogs'
// answers, and what happens between two hands.
#include "game/table/GameMgr.h"

#include "game/table/FinishDlg.h"
#include "game/table/ITableShell.h"
#include "game/table/PlayerComp.h"
#include "game/table/PlayerHuman.h"
#include "game/table/SavedGame.h"
#include "game/table/StakeRow.h"
#include "game/table/TableDialogs.h"
#include "game/table/TableScreen.h"
#include "game/table/Tournament.h"
#include "common/RandomHelpers.h"
#include "timing/ITimeObject.h"

#include <algorithm>

namespace Gamespace {

SavedGame* GameMgr::CurrentSavedGame() const
{
    return services_.shell->GetCurrentSavedGame();
}

bool GameMgr::IsTournament() const
{
    // A tournament needs its saved record; without one the table plays cash.
    return IsTournamentGameType(services_.shell->GetGameType()) && CurrentSavedGame() != nullptr;
}

bool GameMgr::GetCurrentStakeRow(StakeRow& out) const
{
    // A damaged profile's index gives the first row instead of a stray read.
    return FindStakeRow(services_.shell->GetTableChoice().tableIndex, out);
}

double GameMgr::GetBuyIn()
{
    StakeRow row;
    GetCurrentStakeRow(row);
    return row.buyIn;
}

uint32_t GameMgr::GetLevel() const
{
    SavedGame* saved = CurrentSavedGame();
    return saved != nullptr ? saved->level : 1;
}

uint32_t GameMgr::GetLevelTime() const
{
    SavedGame* saved = CurrentSavedGame();
    Tournament record;
    if (saved == nullptr || !FindTournament(saved->tournamentId, record))
        return 0;
    return record.levelTime;
}

double GameMgr::GetMinBet()
{
    if (IsTournament()) {
        SavedGame* saved = CurrentSavedGame();
        double start = saved->minBet;
        Tournament record;
        if (start <= 0.0 && FindTournament(saved->tournamentId, record))
            start = record.startBet;
        return start * std::max<uint32_t>(saved->level, 1);
    }
    StakeRow row;
    GetCurrentStakeRow(row);
    return row.bet;
}

bool GameMgr::IsHumanShort()
{
    return !seats_[0] || seats_[0]->GetChips() < GetMinBet();
}

void GameMgr::ShowLevelTime()
{
    if (trnInfoDlg_)
        trnInfoDlg_->SetLevelTime(levelSecondsLeft_ / 60, levelSecondsLeft_ % 60);
}

void GameMgr::StartLevelTimer(uint32_t seconds)
{
    levelSecondsLeft_ = seconds;
    ShowLevelTime();
    if (levelTimer_ == nullptr)
        return;
    levelTimer_->SetDuration(static_cast<int>(seconds * 1000));
    levelTimer_->SetInterval(1000);
    levelTimer_->Start(paused_ != 0, 0);
}

void GameMgr::RunOutLevelClock()
{
    if (levelTimer_ != nullptr)
        levelTimer_->Stop();
    levelSecondsLeft_ = 0;
    ShowLevelTime();
    levelExpired_ = 1;
}

void GameMgr::ShowTournamentInfo(bool show)
{
    if (show) {
        SavedGame* saved = CurrentSavedGame();
        Tournament record;
        bool known = saved != nullptr && FindTournament(saved->tournamentId, record);
        if (trnInfoDlg_ && saved != nullptr) {
            trnInfoDlg_->SetCaption(known ? record.name : std::string());
            trnInfoDlg_->SetMinBet(GetMinBet());
            trnInfoDlg_->SetLevel(saved->level);
            trnInfoDlg_->SetTotalPot(saved->totalBuyIns);
            if (saved->newGame != 0)
                trnInfoDlg_->SetLevelTime(record.levelTime / 60, record.levelTime % 60);
        }
    }
    if (trnInfoDlg_ && trnInfoDlg_->IsVisible() != show)
        trnInfoDlg_->Show(show);
    if (trnPlayersDlg_ && trnPlayersDlg_->IsVisible() != show)
        trnPlayersDlg_->Show(show);
}

std::string GameMgr::PickOpponentName() const
{
    const std::vector<std::string>& names = OpponentNames();
    auto taken = [this](const std::string& name) {
        for (const auto& seat : seats_)
            if (seat && seat->GetName() == name)
                return true;
        return false;
    };
    for (int attempt = 0; attempt < 256; ++attempt) {
        const std::string& name = names[RandomInRange(0, static_cast<uint32_t>(names.size()))];
        if (!taken(name))
            return name;
    }
    for (const std::string& name : names)
        if (!taken(name))
            return name;
    return names.front();
}

void GameMgr::SeatPlayers()
{
    for (auto& seat : seats_)
        seat.reset();
    SetActingOrder({});
    auto human = std::make_unique<PlayerHuman>(this, services_);
    human->SetSeat(0);
    human->SetName(services_.shell->GetPlayerName());
    seats_[0] = std::move(human);
    SavedGame* saved = IsTournament() ? CurrentSavedGame() : nullptr;
    if (saved != nullptr)
        SeatTournamentPlayers(*saved);
    else
        SeatCashPlayers();
    for (auto& seat : seats_)
        if (seat)
            seat->Show(true);
}

void GameMgr::SeatCashPlayers()
{
    uint16_t players = std::clamp<uint16_t>(services_.shell->GetTableChoice().players, 2, kSeatCount);
    uint32_t styleOption = services_.shell->GetComputerStyle();
    StakeRow row;
    GetCurrentStakeRow(row);
    seats_[0]->BuyChips(row.buyIn);
    for (uint16_t seat = 1; seat < players; ++seat) {
        auto comp = std::make_unique<PlayerComp>(this, services_, PlayerComp::StyleForOption(styleOption), nullptr);
        comp->SetSeat(seat);
        comp->SetName(PickOpponentName());
        seats_[seat] = std::move(comp);
        seats_[seat]->BuyChips(row.buyIn);
    }
}

void GameMgr::SeatTournamentPlayers(SavedGame& saved)
{
    uint32_t styleOption = services_.shell->GetComputerStyle();
    bool fresh = saved.newGame != 0;
    Tournament record;
    double startChips = 0.0;
    if (FindTournament(saved.tournamentId, record))
        startChips = record.price * record.chipsPerDollar;
    for (SeatRecord& seatRecord : saved.seats) {
        if (seatRecord.active == 0)
            continue;
        uint16_t seat = seatRecord.seatNumber;
        if (seat < 1 || seat >= kSeatCount || seats_[seat])
            continue;
        uint32_t style = seatRecord.styleCode;
        style = (style >= 1 && style <= 3) ? style - 1 : PlayerComp::StyleForOption(styleOption);
        auto comp = std::make_unique<PlayerComp>(this, services_, style, &seatRecord);
        comp->SetSeat(seat);
        PlayerComp* player = comp.get();
        seats_[seat] = std::move(comp);
        if (fresh || seatRecord.name.empty())
            seatRecord.name = PickOpponentName();
        player->SetName(seatRecord.name);
        double chips = seatRecord.chips;
        if (fresh) {
            seatRecord.rebuysTaken = 0;
            seatRecord.styleCode = static_cast<uint8_t>(style + 1);
            if (chips <= 0.0)
                chips = saved.startChips > 0.0 ? saved.startChips : startChips;
        }
        player->BuyChips(chips);
        if (!fresh) {
            player->SetDealer(seatRecord.dealer != 0);
            for (const Card& card : seatRecord.cards)
                player->AddSavedCard(card.rank, card.suit);
            betting_.SetRestore(seat, seatRecord.bet, seatRecord.inHand != 0, seatRecord.contribution);
        }
    }
    PlayerI& human = *seats_[0];
    double humanChips = saved.startChips;
    if (fresh && humanChips <= 0.0)
        humanChips = startChips;
    human.BuyChips(humanChips);
    if (!fresh) {
        human.SetDealer(saved.humanDealer != 0);
        for (const Card& card : saved.tableCards)
            human.AddSavedCard(card.rank, card.suit);
        betting_.SetRestore(0, saved.humanBet, saved.humanInHand != 0, saved.humanContribution);
    }
}

void GameMgr::Show()
{
    active_ = true;
    paused_ = 0;
    dealerChosen_ = 0;
    levelClockStarted_ = 0;
    levelExpired_ = 0;
    shufflePending_ = 1;
    stageDialogPending_ = 0;
    awaitingRebuy_ = false;
    progressToKeep_ = false;
    handSettled_ = true;
    buttonPlaced_ = false;
    potSharesUnknown_ = false;
    betting_.Clear();
    pots_.clear();
    boardStage_ = 0;
    boardCards_.clear();
    minBet_ = 0.0;
    gameType_ = services_.shell->GetGameType();
    if (SavedGame* saved = IsTournament() ? CurrentSavedGame() : nullptr) {
        // A damaged profile: play the first tournament's rules rather than
        // the rules of none.
        Tournament record;
        if (!FindTournament(saved->tournamentId, record))
            saved->tournamentId = 1;
        saved->level = std::max<uint32_t>(saved->level, 1);
    }
    ShowTournamentInfo(IsTournament());
    SeatPlayers();
    SetUpTable();
    if (screen_)
        screen_->PlayMusic(true);
}

void GameMgr::SetUpTable()
{
    if (screen_) {
        screen_->ShowTable(true);
        screen_->UpdateStageImages(0);
    }
    minBet_ = GetMinBet();
    SavedGame* saved = IsTournament() ? CurrentSavedGame() : nullptr;
    if (saved != nullptr && saved->newGame == 0) {
        RestoreTournament(*saved);
        return;
    }
    StartDealerDraw();
    // The shell keeps a tournament from the moment it is entered, before
    // its first hand ends: the record then says so as the table stands,
    // with the whole first level still to play, so that a program ended in
    // that hand resumes at level 1.
    SaveTournamentState();
}

void GameMgr::Hide()
{
    if (!active_)
        return;
    if (screen_)
        screen_->PlayMusic(false);
    SaveTournamentState();
    // Closing the dialogs below must not drive the game on.
    active_ = false;
    ShowTournamentInfo(false);
    for (BaseDialog* dialog : std::initializer_list<BaseDialog*>{menuDlg_.get(), finishDlg_.get(), bankruptDlg_.get(),
                                                                 dealerDlg_.get(), stageDlg_.get(),
                                                                 trnFinishDlg_.get()})
        if (dialog != nullptr && dialog->IsVisible())
            dialog->Show(false);
    for (TimeLibrary::ITimeObject* timer : {tableTimer_, levelTimer_, shuffleTimer_})
        if (timer != nullptr)
            timer->Stop();
    if (screen_)
        screen_->ShowTable(false);
    deck_.Clear();
    ShowBoard();
    SetActingOrder({});
    for (auto& seat : seats_)
        seat.reset();
    // Nobody is at the table any more.
    betting_.Clear();
    events_.Purge(this);
    tableState_ = kTableIdle;
}

void GameMgr::SetPaused(bool paused)
{
    if (!active_)
        return;
    // The open menu holds the table until it is closed itself: a pause and
    // resume that come and go under it (the exit question answered No) leave
    // the table paused, its timers and its queued steps waiting.
    if (menuDlg_ && menuDlg_->IsVisible()) {
        if (paused)
            paused_ = 1;
        return;
    }
    paused_ = paused ? 1 : 0;
    for (auto& seat : seats_)
        if (seat)
            seat->SetPaused(paused);
    for (TimeLibrary::ITimeObject* timer : {tableTimer_, levelTimer_, shuffleTimer_})
        if (timer != nullptr)
            timer->SetPaused(paused);
    if (trnPlayersDlg_)
        trnPlayersDlg_->SetPaused(paused);
}

void GameMgr::OnMouseUp(uint32_t id, int32_t /*button*/)
{
    if (!active_ || !screen_ || id == 0 || id != screen_->MenuButtonId())
        return;
    screen_->PlayClick();
    SetPaused(true);
    if (menuDlg_)
        menuDlg_->Show(true);
}

void GameMgr::OnDialogShown(uint32_t dialogId, bool shown)
{
    if (shown || !active_)
        return;
    if (menuDlg_ && dialogId == menuDlg_->GetId()) {
        if (menuDlg_->LeaveRequested())
            Finish(1);
        else if (menuDlg_->ExitRequested())
            observer_ != nullptr ? observer_->RequestExit() : void();
        else
            SetPaused(false);
    } else if (finishDlg_ && dialogId == finishDlg_->GetId()) {
        if (handSettled_ && tableState_ == kTableBetting)
            OnHandResultClosed();
    } else if (bankruptDlg_ && dialogId == bankruptDlg_->GetId()) {
        if (IsTournament())
            FinishTournament();
        else
            Finish(1);
    } else if (trnFinishDlg_ && dialogId == trnFinishDlg_->GetId()) {
        Finish(1);
    } else if (dealerDlg_ && dialogId == dealerDlg_->GetId()) {
        if (tableState_ != kTableDealerDraw)
            return;
        ResetSeatsForNewHand();
        tableState_ = kTableWaiting;
        StartTableTimer(GetActionDelay());
    } else if (stageDlg_ && dialogId == stageDlg_->GetId()) {
        if (stageDialogPending_ == 0)
            return;
        stageDialogPending_ = 0;
        RefreshPotLabel();
        ResetAllForNewRound();
        AdvanceStage(pendingPosition_);
    }
}

void GameMgr::ScheduleNextHand()
{
    if (!active_)
        return;
    tableState_ = kTableWaiting;
    StartTableTimer(2u * GetActionDelay());
}

void GameMgr::ResumeAfterRebuy(bool rebought)
{
    if (!active_)
        return;
    awaitingRebuy_ = false;
    if (rebought) {
        ScheduleNextHand();
        return;
    }
    if (IsTournament())
        FinishTournament();
    else if (bankruptDlg_)
        bankruptDlg_->Show(true);
}

void GameMgr::AddToPrizePool(double amount)
{
    SavedGame* saved = IsTournament() ? CurrentSavedGame() : nullptr;
    if (saved == nullptr)
        return;
    saved->totalBuyIns += amount;
    if (trnInfoDlg_)
        trnInfoDlg_->SetTotalPot(saved->totalBuyIns);
    // A purchase between hands changes the standings the panel shows; one
    // in a hand (a computer's re-buy at its turn) waits for the hand's end,
    // as the chips the others put in do.
    if (handSettled_)
        ListStandings();
    // Kept once the buyer has booked the purchase too (the human's answer
    // books it after this), at the end of the frame's steps.
    progressToKeep_ = true;
}

void GameMgr::KeepProgress()
{
    progressToKeep_ = false;
    if (!active_)
        return;
    SaveTournamentState();
    services_.shell->KeepProgress();
}

} // namespace Gamespace
