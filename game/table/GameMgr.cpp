#include "game/table/GameMgr.h"

#include "game/table/BoardDisplay.h"
#include "game/table/FinishDlg.h"
#include "game/table/ITableShell.h"
#include "game/table/PlayerComp.h"
#include "game/table/PlayerHuman.h"
#include "game/table/SavedGame.h"
#include "game/table/SeatDisplay.h"
#include "game/table/TableDialogs.h"
#include "game/table/TableScreen.h"
#include "common/RandomHelpers.h"
#include "controls/IFactory.h"
#include "timing/ITimeObject.h"
#include "timing/ITimeSystem.h"

#include <algorithm>

namespace Gamespace {

namespace {
constexpr int kTableTimerMs = 10;
constexpr int kShuffleMs = 1650;
constexpr int kLevelTickMs = 1000;

} // namespace

GameMgr::GameMgr(GameModuleObserver* observer, uint32_t id, const TableServices& services)
    : GameModule(observer, id), services_(services)
{
    services_.events = &events_;
}

GameMgr::~GameMgr()
{
    Release();
}

const std::vector<std::string>& GameMgr::OpponentNames()
{
    static const std::vector<std::string> names = {
        "Jacob",   "Michael", "Ethan",   "Joshua",   "Daniel",  "Christopher", "Anthony", "William",
        "Matthew", "Andrew",  "Conor",   "James",    "Luke",    "Jamie",       "David",   "Joseph",
        "Noah",    "Samuel",  "Emily",   "Isabella", "Emma",    "Ava",         "Madison", "Sophia",
        "Olivia",  "Abigail", "Hannah",  "Elizabeth", "Sarah",  "Katie",       "Grace",   "Ella"};
    return names;
}

bool GameMgr::IsSeatName(const std::string& name)
{
    static const size_t longest = [] {
        size_t length = 0;
        for (const std::string& known : OpponentNames())
            length = std::max(length, known.size());
        return length;
    }();
    return name.size() <= longest && std::all_of(name.begin(), name.end(), [](char c) {
               return c == ' ' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
}

void GameMgr::Create()
{
    if (created_)
        return;
    created_ = true;
    ITableShell& shell = *services_.shell;
    screen_ = std::make_unique<TableScreen>(services_.factory, this);
    boardDisplay_ = std::make_unique<BoardDisplay>(services_.factory);
    menuDlg_ = shell.CreateMenuDlg(this);
    finishDlg_ = shell.CreateFinishDlg(this, *boardDisplay_);
    dealerDlg_ = shell.CreateDealerSelectDlg(this);
    trnInfoDlg_ = shell.CreateTrnInfoDlg(this);
    trnPlayersDlg_ = shell.CreateTrnPlayersDlg(this);
    bankruptDlg_ = shell.CreateBankruptDlg(this);
    stageDlg_ = shell.CreateStageDlg(this);
    trnFinishDlg_ = shell.CreateTrnFinishDlg(this);
    TimeLibrary::ITimeSystem* time = services_.timeSystem;
    tableTimer_ = time->CreateTimeObject(this, kTableTimerMs, kTableTimerMs);
    levelTimer_ = time->CreateTimeObject(this, kLevelTickMs, kLevelTickMs);
    shuffleTimer_ = time->CreateTimeObject(this, kShuffleMs, kShuffleMs);
    shell.AddOptionObserver(this);
    // The table hears the keyboard for as long as it exists; it takes keys
    // only while it is shown (IsSysInputEnabled).
    if (services_.factory != nullptr)
        services_.factory->AddSysObserver(this);
}

void GameMgr::Release()
{
    if (!created_)
        return;
    created_ = false;
    if (services_.factory != nullptr)
        services_.factory->RemoveSysObserver(this);
    for (auto& seat : seats_)
        seat.reset();
    deck_.Clear();
    TimeLibrary::ITimeSystem* time = services_.timeSystem;
    for (TimeLibrary::ITimeObject** timer : {&tableTimer_, &levelTimer_, &shuffleTimer_}) {
        if (*timer != nullptr)
            time->DestroyTimeObject(*timer);
        *timer = nullptr;
    }
    events_.Purge(this);
    menuDlg_.reset();
    finishDlg_.reset();
    dealerDlg_.reset();
    trnInfoDlg_.reset();
    trnPlayersDlg_.reset();
    bankruptDlg_.reset();
    stageDlg_.reset();
    trnFinishDlg_.reset();
    boardDisplay_.reset();
    screen_.reset();
}

void GameMgr::ShowBoard()
{
    if (boardDisplay_)
        boardDisplay_->Show(deck_);
}

size_t GameMgr::ProcessEvents()
{
    // A paused table takes no step, not even one its timers asked for just
    // before they were paused: those wait in the queue for the table to go
    // on, so nothing it does (a dialog shown over the menu or the exit
    // question) can come between the pause and the resume.
    const size_t done = paused_ != 0 ? 0 : events_.DispatchAll();
    if (progressToKeep_)
        KeepProgress();
    return done;
}

PlayerI* GameMgr::GetPlayer(uint16_t seat) const
{
    return seat < kSeatCount ? seats_[seat].get() : nullptr;
}

std::vector<PlayerI*> GameMgr::GetSeatList() const
{
    std::vector<PlayerI*> list;
    for (const auto& seat : seats_)
        list.push_back(seat.get());
    return list;
}

PlayerHuman* GameMgr::GetHumanPlayer() const
{
    return dynamic_cast<PlayerHuman*>(seats_[0].get());
}

void GameMgr::GetTableState(TableState& out)
{
    out = State();
}

TableState GameMgr::State() const
{
    TableState out;
    out.boardStage = boardStage_;
    out.actingOrder = actingOrder_;
    out.board = boardCards_;
    out.gameType = gameType_;
    out.minBet = minBet_;
    betting_.FillTableState(out);
    return out;
}

BetOutcome GameMgr::PlaceBet(uint16_t seat, BetMove move, double amount)
{
    return betting_.Place(seat, move, amount);
}

void GameMgr::GetSeatLayout(SeatLayout& out, uint16_t seat)
{
    out = seat < kSeatCount ? TableSeatLayout(seat) : SeatLayout{};
}

Card GameMgr::DrawCard()
{
    return deck_.DrawCard();
}

uint16_t GameMgr::GetActionDelay()
{
    // The option comes from the registry unchecked; keep the pace sane.
    uint16_t speed = std::min<uint16_t>(services_.shell->GetGameSpeed(), 10);
    return static_cast<uint16_t>((11 - speed) * 100);
}

void GameMgr::StartTableTimer(uint32_t delay)
{
    if (tableTimer_ != nullptr)
        tableTimer_->Start(paused_ != 0, static_cast<uint16_t>(std::min<uint32_t>(delay, 65535)));
}

void GameMgr::OnTimerFinish(uint32_t id)
{
    events_.Post(this, id, TimerNotice::Finish);
}

void GameMgr::OnTimerTick(uint32_t id)
{
    // Read nothing of the table here: this is the time thread.
    events_.Post(this, id, TimerNotice::Tick);
}

void GameMgr::OnQueuedTimer(uint32_t id, TimerNotice notice)
{
    if (!active_)
        return;
    if (notice == TimerNotice::Tick) {
        if (levelTimer_ == nullptr || id != levelTimer_->GetId())
            return;
        if (levelSecondsLeft_ > 0) {
            --levelSecondsLeft_;
            ShowLevelTime();
        }
        return;
    }
    if (tableTimer_ != nullptr && id == tableTimer_->GetId()) {
        switch (tableState_) {
        case kTableWaiting:
            StartHand();
            break;
        case kTableFirstCard:
        case kTableSecondCard:
            ArmPlayerSteps();
            break;
        case kTableBetting:
            BettingStep();
            break;
        default:
            break;
        }
    }
    if (shuffleTimer_ != nullptr && id == shuffleTimer_->GetId())
        StartHand();
    if (levelTimer_ != nullptr && id == levelTimer_->GetId())
        levelExpired_ = 1;
}

void GameMgr::PassTurn(uint16_t position, uint32_t delay)
{
    uint16_t next = betting_.NextToAct(position);
    if (next < actingOrder_.size() && actingOrder_[next] != nullptr)
        actingOrder_[next]->SetHighlighted(true);
    lastActor_ = position;
    StartTableTimer(delay);
}

void GameMgr::ClearDealerButtons()
{
    for (auto& seat : seats_)
        if (seat)
            seat->SetDealer(false);
}

uint16_t GameMgr::LastSeatedSeat() const
{
    for (int seat = kSeatCount - 1; seat > 0; --seat)
        if (seats_[seat])
            return static_cast<uint16_t>(seat);
    return 0;
}

int GameMgr::LastInHandPosition() const
{
    for (int q = static_cast<int>(actingOrder_.size()) - 1; q >= 0; --q)
        if (actingOrder_[q] != nullptr && actingOrder_[q]->IsInHand())
            return q;
    return -1;
}

void GameMgr::ResetSeatsForNewHand()
{
    double minBet = GetMinBet();
    for (auto& seat : seats_) {
        if (!seat)
            continue;
        betting_.DealIn(seat->GetSeat(), minBet);
        seat->ResetForNewHand();
    }
    if (screen_)
        screen_->ClearPotLabel();
}

void GameMgr::BuildActingOrder(uint16_t dealerSeat)
{
    std::vector<PlayerI*> order;
    for (uint16_t seat = dealerSeat + 1; seat < kSeatCount; ++seat)
        if (seats_[seat])
            order.push_back(seats_[seat].get());
    for (uint16_t seat = 0; seat <= dealerSeat && seat < kSeatCount; ++seat)
        if (seats_[seat])
            order.push_back(seats_[seat].get());
    SetActingOrder(std::move(order));
}

void GameMgr::SetActingOrder(std::vector<PlayerI*> players)
{
    std::vector<uint16_t> seats;
    for (const PlayerI* player : players)
        seats.push_back(player->GetSeat());
    betting_.SetActingOrder(std::move(seats));
    actingOrder_ = std::move(players);
}

void GameMgr::NumberPositions()
{
    for (size_t q = 0; q < actingOrder_.size(); ++q)
        actingOrder_[q]->SetPosition(static_cast<uint16_t>(q));
}

void GameMgr::StartDealerDraw()
{
    tableState_ = kTableDealerDraw;
    ResetSeatsForNewHand();
    deck_.DealNewHand();
    ShowBoard();
    ArmPlayerSteps();
}

void GameMgr::ArmPlayerSteps()
{
    if (dealerChosen_ == 0) {
        for (auto& seat : seats_)
            if (seat)
                seat->ArmStepTimer(false);
        return;
    }
    // Only the players dealt in draw cards; the table waits for the last.
    for (PlayerI* player : actingOrder_)
        if (player->IsInHand())
            player->ArmStepTimer(true);
}

void GameMgr::OnPlayerStepDone(uint16_t seat, uint16_t position)
{
    if (dealerChosen_ != 0) {
        if (static_cast<int>(position) != LastInHandPosition())
            return;
    } else if (seat != LastSeatedSeat()) {
        return;
    }
    switch (tableState_) {
    case kTableDealerDraw:
        ChooseDealer();
        return;
    case kTableFirstCard:
        tableState_ = kTableSecondCard;
        StartTableTimer(GetActionDelay());
        return;
    case kTableSecondCard:
        boardStage_ = 0;
        tableState_ = kTableBetting;
        PassTurn(bigBlindPosition_, GetActionDelay());
        return;
    default:
        return;
    }
}

void GameMgr::ChooseDealer()
{
    // The first drawn card is the best so far, so even a lone two of spades
    // takes the button.
    PlayerI* dealer = nullptr;
    Card best;
    for (auto& seat : seats_) {
        if (!seat)
            continue;
        Card card = seat->GetDealerDrawCard();
        if (card.IsNone())
            continue;
        if (dealer == nullptr || card.rank > best.rank || (card.rank == best.rank && card.suit > best.suit)) {
            best = card;
            dealer = seat.get();
        }
    }
    if (dealer == nullptr)
        dealer = seats_[0] ? seats_[0].get() : nullptr;
    ClearDealerButtons();
    if (dealer == nullptr)
        return;
    dealer->SetDealer(true);
    dealerChosen_ = 1;
    buttonPlaced_ = true;
    BuildActingOrder(dealer->GetSeat());
    NumberPositions();
    // The draw is kept at once: a program ended before the first hand is
    // over resumes with the dealer the player saw drawn.
    if (IsTournament()) {
        SaveTournamentState();
        services_.shell->KeepDraw();
    }
    if (dealerDlg_) {
        dealerDlg_->SetDealer(*dealer);
        dealerDlg_->Show(true);
    }
}

void GameMgr::StartHand()
{
    if (shufflePending_ != 0) {
        shufflePending_ = 0;
        uint32_t variant = RandomInRange(0, 3);
        if (screen_)
            screen_->PlayShuffleSound(variant);
        if (shuffleTimer_ != nullptr)
            shuffleTimer_->Start(paused_ != 0, 0);
        return;
    }
    shufflePending_ = 1;
    if (SavedGame* saved = IsTournament() ? CurrentSavedGame() : nullptr)
        RunTournamentClock(*saved);

    boardStage_ = 0;
    pots_.clear();
    potSharesUnknown_ = false;
    handSettled_ = false;
    ResetSeatsForNewHand();
    // The panel lists the players dealt into this hand, so it is filled once
    // the seats are: a player who was short when the last hand ended and
    // then re-bought or bought the add-on is dealt in only here.
    if (trnPlayersDlg_ && IsTournament())
        trnPlayersDlg_->FillPlayerList(GetSeatList());
    if (screen_) {
        screen_->UpdateStageImages(0);
        screen_->ShowPotLabel(false);
    }
    deck_.DealNewHand();
    ShowBoard();
    boardCards_.clear();
    betting_.StartHand();
    minBet_ = GetMinBet();
    ++handsStarted_;
    StartBlinds();
}

void GameMgr::RunTournamentClock(SavedGame& saved)
{
    if (levelClockStarted_ == 0) {
        levelClockStarted_ = 1;
        levelExpired_ = 0;
        if (trnInfoDlg_)
            trnInfoDlg_->SetLevel(GetLevel());
        StartLevelTimer(GetLevelTime());
    } else if (levelExpired_ != 0) {
        levelExpired_ = 0;
        saved.level += 1;
        if (trnInfoDlg_) {
            trnInfoDlg_->SetLevel(GetLevel());
            trnInfoDlg_->SetMinBet(GetMinBet());
        }
        StartLevelTimer(GetLevelTime());
    }
    saved.boardStage = 0;
}

std::vector<uint16_t> GameMgr::DealtInPositions() const
{
    std::vector<uint16_t> dealtIn;
    for (size_t q = 0; q < actingOrder_.size(); ++q)
        if (actingOrder_[q]->IsInHand() || !actingOrder_[q]->GetHoleCards().empty())
            dealtIn.push_back(static_cast<uint16_t>(q));
    return dealtIn;
}

void GameMgr::StartBlinds()
{
    // The blinds come from the first two players dealt in; a player out of
    // the hand posts none.
    std::vector<uint16_t> dealtIn = DealtInPositions();
    if (dealtIn.size() < 2) {
        // Nobody to play against: settle as if the hand had been shown down.
        handSettled_ = true;
        buttonPlaced_ = false;
        OnHandResultClosed();
        return;
    }
    bigBlindPosition_ = dealtIn[1];
    actingOrder_[dealtIn[0]]->StartSmallBlindTimer();
    betting_.MarkBigBlind(actingOrder_[dealtIn[1]]->GetSeat());
    actingOrder_[dealtIn[1]]->StartBigBlindTimer();
}

void GameMgr::OnPlayerAction(uint16_t position, uint32_t code, double /*amount*/)
{
    // The move itself was placed on the betting unit already.
    if (code == kActionBlindsPosted) {
        betting_.OpenBetting(GetMinBet());
        tableState_ = kTableFirstCard;
        StartTableTimer(GetActionDelay());
        return;
    }
    if (position < actingOrder_.size())
        actingOrder_[position]->SetHighlighted(false);
    PassTurn(position, GetActionDelay());
}

void GameMgr::BettingStep()
{
    if (handSettled_)
        return;
    switch (betting_.Status()) {
    case RoundStatus::OnePlayerLeft:
        EndOfHand();
        return;
    case RoundStatus::RoundComplete:
        if (boardStage_ >= 3)
            EndOfHand();
        else
            EndOfRound();
        return;
    case RoundStatus::AwaitingAction:
        actingOrder_[betting_.NextToAct(lastActor_)]->TakeTurn();
        return;
    }
}

void GameMgr::RefreshPotLabel()
{
    if (!screen_)
        return;
    screen_->SetPot(betting_.TotalPot());
    screen_->ShowPotLabel(true);
}

void GameMgr::ResetAllForNewRound()
{
    betting_.StartNextRound();
    for (PlayerI* player : actingOrder_)
        player->ResetForNewRound();
}

void GameMgr::EndOfRound()
{
    betting_.CollectBets();
    bool announce = services_.shell->AnnouncesStages() && stageDlg_ != nullptr;
    uint16_t last = static_cast<uint16_t>(actingOrder_.empty() ? 0 : actingOrder_.size() - 1);
    if (!announce) {
        RefreshPotLabel();
        ResetAllForNewRound();
        AdvanceStage(last);
        return;
    }
    if (screen_)
        screen_->ShowPotLabel(true);
    stageDialogPending_ = 1;
    pendingPosition_ = last;
    static const char* const kStageNames[] = {"Flop", "Turn", "River"};
    stageDlg_->SetCaption(kStageNames[std::min<uint32_t>(boardStage_, 2)]);
    stageDlg_->Show(true);
}

void GameMgr::AdvanceStage(uint16_t fromPosition)
{
    boardStage_ += 1;
    if (screen_)
        screen_->UpdateStageImages(boardStage_);
    std::vector<Card> revealed;
    deck_.RevealBoardCards(boardStage_ == 1 ? 3 : 1, revealed);
    for (size_t card = 0; card < revealed.size() && boardDisplay_; ++card)
        boardDisplay_->PlayCardSound();
    ShowBoard();
    boardCards_.insert(boardCards_.end(), revealed.begin(), revealed.end());
    PassTurn(fromPosition, 2u * GetActionDelay());
}

void GameMgr::EndOfHand()
{
    for (PlayerI* player : actingOrder_)
        player->RevealHoleCards();
    betting_.CollectBets();
    // The whole pot shows while the hand result pays it, even when the hand
    // ended before any board card was turned.
    RefreshPotLabel();
    Showdown();
}

} // namespace Gamespace
