#include "game/table/PlayerI.h"

#include "game/table/OpponentStrategy.h"
#include "game/table/PlayerMgrI.h"
#include "common/TextHelpers.h"
#include "timing/ITimeObject.h"
#include "timing/ITimeSystem.h"

#include <algorithm>
#include <iterator>

namespace Gamespace {

namespace {
constexpr int kPlayerTimerMs = 10;
// How long a seat's news of a re-buy or an add-on stays up.
constexpr int kNewsMs = 4000;
}

PlayerI::PlayerI(PlayerMgrI* table, const TableServices& services, bool human)
    : table_(table), services_(services),
      display_(std::make_unique<SeatDisplay>(services.factory, human))
{
    TimeLibrary::ITimeSystem* time = services_.timeSystem;
    stepTimer_ = time->CreateTimeObject(this, kPlayerTimerMs, kPlayerTimerMs);
    smallBlindTimer_ = time->CreateTimeObject(this, kPlayerTimerMs, kPlayerTimerMs);
    bigBlindTimer_ = time->CreateTimeObject(this, kPlayerTimerMs, kPlayerTimerMs);
    newsTimer_ = time->CreateTimeObject(this, kNewsMs, kNewsMs);
}

PlayerI::~PlayerI()
{
    // Destroying a time object waits for a running tick pass, so once they
    // are gone no notice of ours can be posted any more; then drop the ones
    // still waiting.
    TimeLibrary::ITimeSystem* time = services_.timeSystem;
    for (TimeLibrary::ITimeObject* timer : {stepTimer_, smallBlindTimer_, bigBlindTimer_, newsTimer_})
        if (timer != nullptr)
            time->DestroyTimeObject(timer);
    if (services_.events != nullptr)
        services_.events->Purge(this);
}

void PlayerI::OnTimerFinish(uint32_t id)
{
    if (services_.events != nullptr)
        services_.events->Post(this, id, TimerNotice::Finish);
}

void PlayerI::OnQueuedTimer(uint32_t id, TimerNotice notice)
{
    if (notice != TimerNotice::Finish)
        return;
    if (stepTimer_ != nullptr && id == stepTimer_->GetId()) {
        OnStepTimer();
    } else if (smallBlindTimer_ != nullptr && id == smallBlindTimer_->GetId()) {
        PostBlind(table_->GetMinBet() * 0.5);
    } else if (bigBlindTimer_ != nullptr && id == bigBlindTimer_->GetId()) {
        PostBlind(table_->GetMinBet());
        table_->OnPlayerAction(position_, kActionBlindsPosted, 0.0);
    } else if (newsTimer_ != nullptr && id == newsTimer_->GetId()) {
        Display().HideNews();
    }
}

void PlayerI::OnStepTimer()
{
    Card card = table_->DrawCard();
    if (holeCards_.size() < 2 && !card.IsNone()) {
        holeCards_.push_back(card);
        Display().PlayCardSound();
        ShowDrawnCard(holeCards_.size() - 1);
    }
    // Reported even without a card (an exhausted deck), so the table never
    // waits for a step that will not come.
    table_->OnPlayerStepDone(seat_, position_);
}

void PlayerI::ShowDrawnCard(size_t index)
{
    Display().ShowHoleCard(index, holeCards_[index], IsHuman() || table_->IsSelectingDealer());
}

void PlayerI::Show(bool on)
{
    SeatLayout layout;
    table_->GetSeatLayout(layout, seat_);
    Display().Layout(layout, seat_);
    Display().SetName(name_);
    Display().Show(on, dealer_ != 0);
    if (on) {
        RefreshBetDisplay();
        for (size_t i = 0; i < holeCards_.size(); ++i)
            ShowDrawnCard(i);
    }
}

void PlayerI::ResetForNewGame()
{
    SetDealer(false);
    ResetSeatDisplay();
}

void PlayerI::ResetForNewHand()
{
    ResetSeatDisplay();
}

void PlayerI::ResetSeatDisplay()
{
    Display().ResetForHand(dealer_ != 0);
    holeCards_.clear();
    handGroups_.clear();
    handCategory_ = kHighCard;
    if (savedCards_.empty())
        return;
    // A restored hand: the table has put the bet back already.
    for (const Card& card : savedCards_) {
        if (!card.IsReal())
            continue;
        holeCards_.push_back(card);
        if (IsInHand())
            ShowDrawnCard(holeCards_.size() - 1);
    }
    savedCards_.clear();
    RefreshBetDisplay();
}

void PlayerI::ArmStepTimer(bool byPosition)
{
    uint16_t delay = table_->GetActionDelay();
    uint32_t step = static_cast<uint32_t>(delay - delay / 3) * (byPosition ? position_ : seat_);
    if (stepTimer_ != nullptr)
        stepTimer_->Start(table_->IsPaused(), static_cast<uint16_t>(std::min<uint32_t>(step, 65535)));
}

void PlayerI::StartSmallBlindTimer()
{
    if (smallBlindTimer_ != nullptr)
        smallBlindTimer_->Start(table_->IsPaused(), table_->GetActionDelay());
}

void PlayerI::StartBigBlindTimer()
{
    uint32_t delay = 2u * table_->GetActionDelay();
    if (bigBlindTimer_ != nullptr)
        bigBlindTimer_->Start(table_->IsPaused(), static_cast<uint16_t>(std::min<uint32_t>(delay, 65535)));
}

void PlayerI::TakeTurn()
{
    RunComputerTurn(*this, *table_);
}

const SeatStake& PlayerI::Stake() const
{
    return table_->GetBetting().Stake(seat_);
}

void PlayerI::BuyChips(double chips)
{
    table_->BuyChips(seat_, chips);
}

void PlayerI::PostBlind(double amount)
{
    if (table_->PlaceBet(seat_, BetMove::Blind, amount).chipsIn) {
        Display().PlayChipsSound();
        RefreshBetDisplay();
    }
}

void PlayerI::Act(BetMove move, double amount)
{
    static const SeatIcon kIcons[] = {kIconCheck, kIconCheck, kIconOpen, kIconCall, kIconRaise, kIconFold, kIconAllIn};
    BetOutcome outcome = table_->PlaceBet(seat_, move, amount);
    if (outcome.action == kActionFold)
        Display().HideHoleCards();
    if (outcome.chipsIn)
        Display().PlayChipsSound();
    Display().ShowIcon(kIcons[outcome.action < std::size(kIcons) ? outcome.action : kActionCheck]);
    table_->OnPlayerAction(position_, outcome.action, outcome.bet);
}

void PlayerI::Check()
{
    Act(BetMove::Check, 0.0);
}

void PlayerI::Open(double amount)
{
    Act(BetMove::Open, amount);
}

void PlayerI::Call()
{
    Act(BetMove::Call, 0.0);
}

void PlayerI::Raise(double amount)
{
    Act(BetMove::Raise, amount);
}

void PlayerI::Fold()
{
    Act(BetMove::Fold, 0.0);
}

void PlayerI::AllIn()
{
    Act(BetMove::AllIn, 0.0);
}

void PlayerI::SetPaused(bool paused)
{
    for (TimeLibrary::ITimeObject* timer : {stepTimer_, smallBlindTimer_, bigBlindTimer_, newsTimer_})
        if (timer != nullptr)
            timer->SetPaused(paused);
}

void PlayerI::PauseAndHide()
{
    SetPaused(true);
    Show(false);
}

Card PlayerI::GetHoleCard(size_t index) const
{
    return index < holeCards_.size() ? holeCards_[index] : Card::None();
}

uint32_t PlayerI::UpdateBestHand()
{
    TableState state;
    table_->GetTableState(state);
    std::vector<Card> cards = {GetHoleCard(0), GetHoleCard(1)};
    cards.insert(cards.end(), state.board.begin(), state.board.end());
    handCategory_ = EvaluateSortedHand(cards, handGroups_);
    return handCategory_;
}

void PlayerI::TakeWinnings(double /*amount*/)
{
    Display().ShowWinnerBadge(true);
    Display().HideIcons();
    RefreshBetDisplay();
    Display().HideChips();
    size_t taken = 0;
    for (const HandGroup& group : handGroups_) {
        for (const Card& card : group.cards) {
            if (taken++ >= 5)
                return;
            for (size_t i = 0; i < holeCards_.size(); ++i)
                if (holeCards_[i] == card)
                    Display().HideMask(i);
        }
    }
}

void PlayerI::SetHighlighted(bool on)
{
    Display().SetHighlighted(on);
}

void PlayerI::DimHoleCards()
{
    Display().ShowMasks(true);
    Display().ShowWinnerBadge(false);
}

void PlayerI::AnnouncePurchase(const char* what, double price, double chips)
{
    ShowStatus(std::string(what) + " $" + AmountToString(price) + " (" + AmountToString(chips) + " chips)");
}

void PlayerI::ShowStatus(const std::string& text)
{
    // Later news replaces earlier and is given its full time.
    Display().ShowNews(text);
    if (newsTimer_ != nullptr)
        newsTimer_->Start(table_->IsPaused(), 0);
}

void PlayerI::RevealHoleCards()
{
    Display().RevealHoleCards(holeCards_);
}

void PlayerI::ResetForNewRound()
{
    SetHighlighted(false);
    Display().HideChips();
    Display().HideIcons();
    RefreshBetDisplay();
}

void PlayerI::SetDealer(bool on)
{
    dealer_ = on ? 1 : 0;
    Display().SetDealer(on);
}

void PlayerI::SetName(const std::string& name)
{
    name_ = name;
    Display().SetName(name);
}

void PlayerI::AddSavedCard(uint32_t rank, uint32_t suit)
{
    savedCards_.emplace_back(rank, suit);
}

void PlayerI::RefreshBetDisplay()
{
    Display().RefreshBet(GetBet(), GetChips());
}

} // namespace Gamespace
