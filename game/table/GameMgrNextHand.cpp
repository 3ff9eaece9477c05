// Between two hands: who stays, who deals, who buys more chips, whether the
// game goes on; and a tournament saved when the table is left and resumed
// when it is shown again.
#include "game/table/GameMgr.h"

#include "game/table/FinishDlg.h"
#include "game/table/ITableShell.h"
#include "game/table/PlayerComp.h"
#include "game/table/PlayerHuman.h"
#include "game/table/SavedGame.h"
#include "game/table/TableDialogs.h"
#include "game/table/TableScreen.h"
#include "game/table/Tournament.h"
#include "timing/ITimeObject.h"

#include <algorithm>

namespace Gamespace {

void GameMgr::OnHandResultClosed(bool moveButton)
{
    if (!active_)
        return;
    deck_.Clear();
    ShowBoard();
    bool tournament = IsTournament();
    awaitingRebuy_ = false;
    if (tournament) {
        SavedGame* saved = CurrentSavedGame();
        saved->handOver = 0;
        double startBet = GetMinBet() / std::max<uint32_t>(saved->level, 1);
        double coming = startBet * saved->level + (levelExpired_ != 0 ? startBet : 0.0);
        size_t able = 0;
        for (const auto& seat : seats_)
            if (seat && seat->GetChips() >= coming && seat->GetChips() != 0.0)
                ++able;
        if (able < 3) {
            FinishTournament();
            return;
        }
        if (IsHumanShort()) {
            PlayerHuman* human = GetHumanPlayer();
            if (human == nullptr || !human->OfferRebuy()) {
                FinishTournament();
                return;
            }
            awaitingRebuy_ = true;
        }
    }
    PrepareNextHand(moveButton);
    if (tournament) {
        bool wait = awaitingRebuy_;
        for (PlayerI* player : actingOrder_) {
            if (player->IsHuman() && awaitingRebuy_)
                continue;
            if (player->OfferAddOn())
                wait = true;
        }
        if (wait)
            return;
    }
    if (!IsHumanShort()) {
        bool opponents = std::any_of(seats_.begin() + 1, seats_.end(), [](const auto& seat) { return seat != nullptr; });
        if (!tournament && !opponents) {
            FinishCashTable();
            return;
        }
        ScheduleNextHand();
        return;
    }
    if (!tournament) {
        FinishCashTable();
        return;
    }
    FinishTournament();
}

void GameMgr::RemovePlayer(uint16_t seat)
{
    PlayerI* player = seats_[seat].get();
    if (player == nullptr)
        return;
    if (auto* comp = dynamic_cast<PlayerComp*>(player); comp != nullptr && comp->GetSavedSeat() != nullptr)
        comp->GetSavedSeat()->active = 0;
    betting_.Unseat(seat);
    seats_[seat].reset();
}

void GameMgr::PrepareNextHand(bool moveButton)
{
    uint16_t oldDealer = actingOrder_.empty() ? 0 : actingOrder_.back()->GetSeat();
    ClearDealerButtons();
    SetActingOrder({});
    double minBet = GetMinBet();
    for (uint16_t seat = 1; seat < kSeatCount; ++seat)
        if (seats_[seat] && seats_[seat]->GetChips() < minBet)
            RemovePlayer(seat);
    int dealer = !moveButton && seats_[oldDealer] ? oldDealer : -1;
    for (uint16_t seat = oldDealer + 1; seat < kSeatCount && dealer < 0; ++seat)
        if (seats_[seat])
            dealer = seat;
    for (uint16_t seat = 0; seat < oldDealer && dealer < 0; ++seat)
        if (seats_[seat])
            dealer = seat;
    if (dealer >= 0)
        seats_[dealer]->SetDealer(true);
    BuildActingOrder(static_cast<uint16_t>(std::max(dealer, 0)));
    NumberPositions();
    ResetSeatsForNewHand();
    buttonPlaced_ = true;
}

void GameMgr::FinishTournament()
{
    SavedGame* saved = CurrentSavedGame();
    if (saved != nullptr)
        saved->inUse = 0;
    if (levelTimer_ != nullptr)
        levelTimer_->Stop();
    // The panel was filled as the last hand began; it ranks the players as
    // the standings do, by the chips they finished with.
    if (trnPlayersDlg_)
        trnPlayersDlg_->FillSeatedPlayers(GetSeatList());
    if (trnFinishDlg_) {
        trnFinishDlg_->ShowStandings(GetSeatList(), saved != nullptr ? saved->totalBuyIns : 0.0);
        trnFinishDlg_->Show(true);
    }
}

void GameMgr::FinishCashTable()
{
    // The human is out of chips, or nobody is left to play against.
    if (bankruptDlg_)
        bankruptDlg_->Show(true);
    else
        Finish(1);
}

void GameMgr::SaveTournamentState()
{
    SavedGame* saved = IsTournament() ? CurrentSavedGame() : nullptr;
    if (saved == nullptr)
        return;
    // Only a hand in its betting can be resumed as it stood; anything else
    // (between hands, the shuffle, the dealer draw, the deal, a shown-down
    // hand) resumes with a fresh hand, and bets not yet in a pot go back.
    bool inPlay = tableState_ == kTableBetting && !handSettled_;
    // A round whose betting is over waits only for its next stage (or, after
    // the river, the showdown); who has acted is not kept, and the bets of a
    // round left this way would make it look unfinished. It is kept as a
    // round waiting for its stage announcement is: the bets in the pot.
    bool roundOver =
        inPlay && stageDialogPending_ == 0 && betting_.Status() == RoundStatus::RoundComplete && !actingOrder_.empty();
    bool pending = inPlay && (stageDialogPending_ != 0 || roundOver);
    saved->newGame = 0;
    saved->levelTimeLeft =
        static_cast<uint16_t>(std::min<uint32_t>(levelClockStarted_ != 0 ? levelSecondsLeft_ : GetLevelTime(), 65535));
    saved->board.fill(Card::None());
    if (inPlay) {
        const std::vector<Card>& board = deck_.GetBoard();
        for (size_t i = 0; i < board.size() && i < saved->board.size(); ++i)
            saved->board[i] = board[i];
        saved->totalPot = betting_.TotalPot() + (roundOver ? betting_.RoundPot() : 0.0);
        saved->boardStage = static_cast<uint16_t>(boardStage_);
        saved->betMade = betting_.BetMade() ? 1 : 0;
        saved->currentBet = betting_.CurrentBet();
        saved->raiseCount = betting_.RaiseCount();
        saved->stageDialogPending = pending ? 1 : 0;
        saved->handOver = 0;
        // The next stage's turn goes round from the last position.
        uint16_t last = static_cast<uint16_t>(actingOrder_.size() - 1);
        saved->resumePosition = roundOver ? last : pending ? pendingPosition_ : lastActor_;
    } else {
        saved->totalPot = 0.0;
        saved->boardStage = 0;
        saved->betMade = 0;
        saved->currentBet = 0.0;
        saved->raiseCount = 0.0;
        saved->stageDialogPending = 0;
        // A hand that was not played (the dealer just drawn or moved on, the
        // cards being dealt) leaves the button where it is: it is dealt
        // afresh by the same dealer, and the record says so as a hand not
        // over with nobody in it.
        saved->handOver = buttonPlaced_ ? 0 : 1;
        saved->resumePosition = 0;
    }
    // What each seat put in is kept with its bet: the pots of a hand left
    // with players all-in are built from it when the hand is shown down. A
    // hand resumed without it still does without.
    saved->contributionsKnown = inPlay && potSharesUnknown_ ? 0 : 1;
    for (const auto& seat : seats_)
        if (seat)
            SaveSeat(*saved, *seat, inPlay, pending);
}

void GameMgr::SaveSeat(SavedGame& saved, const PlayerI& player, bool inPlay, bool pending)
{
    bool inHand = inPlay && player.IsInHand();
    double refund = (!inPlay && !handSettled_) ? player.GetHandContribution() : 0.0;
    double chips = player.GetChips() + refund;
    // A bet already moved to the pot (a folded player's, or every bet
    // once the round is over) is not a bet any more.
    double bet = (inHand && !pending) ? player.GetBet() : 0.0;
    // Folded or not, a seat's chips stay in the pot they went into.
    double contribution = inPlay ? player.GetHandContribution() : 0.0;
    std::array<Card, 2> cards = {Card::None(), Card::None()};
    if (inPlay)
        for (size_t i = 0; i < 2; ++i)
            cards[i] = player.GetHoleCard(i);
    if (player.IsHuman()) {
        saved.humanDealer = player.IsDealer() ? 1 : 0;
        saved.humanInHand = inHand ? 1 : 0;
        saved.startChips = chips;
        saved.humanBet = bet;
        saved.humanContribution = contribution;
        saved.tableCards = cards;
        return;
    }
    auto* comp = dynamic_cast<const PlayerComp*>(&player);
    SeatRecord* record = comp != nullptr ? comp->GetSavedSeat() : nullptr;
    if (record == nullptr)
        return;
    record->dealer = player.IsDealer() ? 1 : 0;
    record->inHand = inHand ? 1 : 0;
    record->chips = chips;
    record->bet = bet;
    record->contribution = contribution;
    record->styleCode = static_cast<uint8_t>(player.GetStyle() + 1);
    record->cards = cards;
    // A busted player is not seated again.
    record->active = (chips > 0.0 || inHand) ? 1 : 0;
    record->seatNumber = player.GetSeat();
    record->name = player.GetName();
}

void GameMgr::RestoreBoard(const SavedGame& saved)
{
    // The deck is dealt again without the cards in the players' hands; the
    // board gets its cards back, those turned over face up and the rest face
    // down, so that the hand goes on to the cards it would have shown. A
    // board card that is no longer in the deck (a damaged record giving a
    // card twice) is drawn afresh.
    deck_.ShuffleOnly();
    for (PlayerI* player : actingOrder_)
        for (const Card& card : player->GetHoleCards())
            deck_.RemoveCard(card);
    uint32_t stage = std::min<uint32_t>(saved.boardStage, 3);
    size_t shown = stage == 0 ? 0 : stage + 2;
    boardCards_.clear();
    for (size_t i = 0; i < shown; ++i) {
        const Card& card = saved.board[i];
        if (!card.IsReal())
            continue;
        deck_.RemoveCard(card);
        deck_.PlaceBoardCard(card);
        boardCards_.push_back(card);
    }
    for (size_t i = shown; i < saved.board.size(); ++i)
        if (deck_.RemoveCard(saved.board[i]))
            deck_.PlaceFaceDownBoardCard(saved.board[i]);
    deck_.FillBoard();
    ShowBoard();
    boardStage_ = static_cast<uint32_t>(boardCards_.size() >= 3 ? boardCards_.size() - 2 : 0);
}

void GameMgr::RestoreTournament(SavedGame& saved)
{
    uint16_t dealerSeat = 0;
    bool dealerKept = false;
    for (const auto& seat : seats_)
        if (seat && seat->IsDealer()) {
            dealerSeat = seat->GetSeat();
            dealerKept = true;
            break;
        }
    dealerChosen_ = 1;
    BuildActingOrder(dealerSeat);
    NumberPositions();

    // The players take back their saved cards, bets and places in the hand.
    ResetSeatsForNewHand();
    RestoreBoard(saved);
    betting_.RestoreRound(saved.betMade != 0, saved.currentBet, saved.totalPot, saved.raiseCount);
    // Parts of the pot that do not make the pot (a record an earlier build
    // kept, or a damaged one) cannot build side pots that add up.
    potSharesUnknown_ = saved.contributionsKnown == 0 || !betting_.ContributionsAddUp();
    stageDialogPending_ = saved.stageDialogPending;
    if (screen_)
        screen_->UpdateStageImages(boardStage_);
    size_t inHand = std::count_if(actingOrder_.begin(), actingOrder_.end(),
                                  [](const PlayerI* player) { return player->IsInHand(); });
    // The table keeps a hand over, in play with its players dealt in, or not
    // yet played with its dealer in place. A record that holds none of them
    // was kept by an earlier build as the tournament was entered, with no
    // time on a level clock that had not yet started: its first level is
    // still whole.
    const bool notPlayed = saved.handOver == 0 && inHand == 0;
    const bool neverPlayed = notPlayed && !dealerKept;
    levelClockStarted_ = 1;
    if (saved.levelTimeLeft > 0 || neverPlayed)
        StartLevelTimer(saved.levelTimeLeft > 0 ? saved.levelTimeLeft : GetLevelTime());
    else
        levelExpired_ = 1;
    if (boardStage_ > 0)
        RefreshPotLabel();
    tableState_ = kTableBetting;
    handSettled_ = false;

    if (saved.handOver != 0 || inHand == 0 || actingOrder_.empty()) {
        handSettled_ = true;
        OnHandResultClosed(!(notPlayed && dealerKept));
        ListStandings();
        return;
    }
    ListStandings();
    ResumeBetting(static_cast<uint16_t>(std::min<size_t>(saved.resumePosition, actingOrder_.size() - 1)));
}

void GameMgr::ResumeBetting(uint16_t position)
{
    if (stageDialogPending_ == 0) {
        const RoundMarks marks = ResumedRoundMarks(position);
        if (marks.bigBlind != RoundMarks::kNobody)
            bigBlindPosition_ = marks.bigBlind;
        betting_.ResumeStanding(marks);
        PassTurn(position, 4u * GetActionDelay());
        return;
    }
    // The round's betting was over.
    if (boardStage_ >= 3) {
        stageDialogPending_ = 0;
        EndOfHand();
        return;
    }
    pendingPosition_ = position;
    if (services_.shell->AnnouncesStages() && stageDlg_) {
        static const char* const kStageNames[] = {"Flop", "Turn", "River"};
        stageDlg_->SetCaption(kStageNames[std::min<uint32_t>(boardStage_, 2)]);
        stageDlg_->Show(true);
        return;
    }
    stageDialogPending_ = 0;
    RefreshPotLabel();
    ResetAllForNewRound();
    AdvanceStage(position);
}

RoundMarks GameMgr::ResumedRoundMarks(uint16_t lastActor)
{
    RoundMarks marks;
    marks.preFlop = boardStage_ == 0;
    marks.lastActor = lastActor;
    marks.minBet = GetMinBet();
    // The blinds were posted by the first two players dealt in.
    std::vector<uint16_t> dealtIn = DealtInPositions();
    if (dealtIn.size() >= 2) {
        marks.smallBlind = dealtIn[0];
        marks.bigBlind = dealtIn[1];
    }
    return marks;
}

void GameMgr::ListStandings()
{
    // Between hands nobody is dealt in yet, and the seats of a resumed hand
    // are dealt in or out as the hand stood: the panel lists everyone still
    // in the tournament until the next hand begins and lists its players.
    if (trnPlayersDlg_ && IsTournament())
        trnPlayersDlg_->FillSeatedPlayers(GetSeatList());
}

} // namespace Gamespace
