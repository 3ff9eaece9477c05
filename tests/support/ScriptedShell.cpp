#include "tests/support/ScriptedShell.h"

#include "game/table/BoardDisplay.h"
#include "game/table/PlayerI.h"
#include "game/table/Tournament.h"

#include <algorithm>

namespace testing_support {

template <typename Base>
ScriptedDialog<Base>::ScriptedDialog(ScriptedShell& shell, ControlLibrary::DialogMessageObserver* owner,
                                     std::string name)
    : shell_(shell), owner_(owner), name_(std::move(name)), id_(shell.NextId())
{
}

template <typename Base>
void ScriptedDialog<Base>::Show(bool show)
{
    if (visible_ == show)
        return;
    visible_ = show;
    if (show) {
        ++timesShown_;
        shell_.Log(name_ + " shown");
        OnShown();
    } else {
        shell_.Log(name_ + " closed");
    }
    if (owner_ != nullptr)
        owner_->OnDialogShown(id_, show);
}

template class ScriptedDialog<Gamespace::MenuDlg>;
template class ScriptedDialog<Gamespace::FinishDlg>;
template class ScriptedDialog<Gamespace::StageDlg>;
template class ScriptedDialog<Gamespace::BankruptDlg>;
template class ScriptedDialog<Gamespace::DealerSelectDlg>;
template class ScriptedDialog<Gamespace::TrnInfoDlg>;
template class ScriptedDialog<Gamespace::TrnPlayersDlg>;
template class ScriptedDialog<Gamespace::TrnFinishDlg>;
template class ScriptedDialog<Gamespace::HumanActionDlg>;
template class ScriptedDialog<Gamespace::RebuyAddonDlg>;

void ScriptedStageDlg::OnShown()
{
    shell_.Log("stage " + caption);
}

void ScriptedDealerSelectDlg::SetDealer(Gamespace::PlayerI& player)
{
    caption = player.GetName() + " is the dealer.";
}

void ScriptedFinishDlg::AddWinner(Gamespace::PlayerI* winner, double amount, const std::string& handName)
{
    if (pots.empty())
        pots.push_back(ShownPot{"", {}});
    pots.back().rows.push_back(ShownPot::Row{winner, amount, handName});
}

double ScriptedFinishDlg::Total() const
{
    double total = 0.0;
    for (const ShownPot& pot : pots)
        for (const ShownPot::Row& row : pot.rows)
            total += row.amount;
    return total;
}

void ScriptedFinishDlg::OnShown()
{
    for (const ShownPot& pot : pots) {
        for (const ShownPot::Row& row : pot.rows) {
            row.player->TakeWinnings(row.amount);
            row.player->SetHighlighted(true);
            std::vector<HandGroup> bestHand;
            row.player->GetBestHandGroups(bestHand);
            board_.HighlightBestHandBoardCards(bestHand);
        }
    }
    if (onShown)
        onShown();
}

namespace {

// The names of `seats` (those dealt into the hand when `inHandOnly`), most
// chips first, equal chips in seat order.
std::vector<std::string> RankedNames(const std::vector<Gamespace::PlayerI*>& seats, bool inHandOnly)
{
    std::vector<const Gamespace::PlayerI*> ranked;
    for (const Gamespace::PlayerI* player : seats)
        if (player != nullptr && (!inHandOnly || player->IsInHand()))
            ranked.push_back(player);
    std::stable_sort(ranked.begin(), ranked.end(), [](const Gamespace::PlayerI* a, const Gamespace::PlayerI* b) {
        return a->GetChips() > b->GetChips();
    });
    std::vector<std::string> names;
    for (const Gamespace::PlayerI* player : ranked)
        names.push_back(player->GetName());
    return names;
}

} // namespace

void ScriptedTrnPlayersDlg::FillPlayerList(const std::vector<Gamespace::PlayerI*>& seats)
{
    ++fills;
    listed = RankedNames(seats, true);
}

void ScriptedTrnPlayersDlg::FillSeatedPlayers(const std::vector<Gamespace::PlayerI*>& seats)
{
    ++fills;
    listed = RankedNames(seats, false);
}

void ScriptedTrnFinishDlg::ShowStandings(const std::vector<Gamespace::PlayerI*>& /*seats*/, double prizePool)
{
    ++standingsShown;
    prize = prizePool;
    shell_.Log("standings");
}

ScriptedHumanActionDlg::ScriptedHumanActionDlg(ScriptedShell& shell, ControlLibrary::DialogMessageObserver* owner,
                                               Gamespace::HumanActionMessageObserver* human)
    : ScriptedDialog(shell, owner, "action"), player(human)
{
}

ScriptedHumanActionDlg::~ScriptedHumanActionDlg()
{
    if (shell_.humanAction == this)
        shell_.humanAction = nullptr;
}

ScriptedRebuyAddonDlg::~ScriptedRebuyAddonDlg()
{
    if (shell_.rebuy == this)
        shell_.rebuy = nullptr;
}

void ScriptedHumanActionDlg::ShowActions(bool show)
{
    if (show && !actionsShown)
        shell_.Log("human turn");
    actionsShown = show;
}

void ScriptedRebuyAddonDlg::Answer(bool yes)
{
    answer = yes ? 1 : 0;
    Show(false);
}

ScriptedShell::ScriptedShell()
{
    profile.name = "Tester";
}

ScriptedShell::~ScriptedShell() = default;

void ScriptedShell::KeepProgress()
{
    const SavedGame* saved = profile.GetCurrentSavedGame();
    kept.push_back(saved ? *saved : SavedGame{});
}

void ScriptedShell::AddOptionObserver(Gamespace::IOptionObserver* observer)
{
    for (Gamespace::IOptionObserver* known : optionObservers)
        if (known == observer)
            return;
    optionObservers.push_back(observer);
}

void ScriptedShell::Log(const std::string& entry)
{
    if (logging)
        log.push_back(entry);
}

std::unique_ptr<Gamespace::MenuDlg> ScriptedShell::CreateMenuDlg(ControlLibrary::DialogMessageObserver* owner)
{
    auto dialog = std::make_unique<ScriptedMenuDlg>(*this, owner, "menu");
    menu = dialog.get();
    return dialog;
}

std::unique_ptr<Gamespace::FinishDlg> ScriptedShell::CreateFinishDlg(ControlLibrary::DialogMessageObserver* owner,
                                                                     Gamespace::BoardDisplay& board)
{
    auto dialog = std::make_unique<ScriptedFinishDlg>(*this, owner, board);
    finish = dialog.get();
    return dialog;
}

std::unique_ptr<Gamespace::DealerSelectDlg> ScriptedShell::CreateDealerSelectDlg(
    ControlLibrary::DialogMessageObserver* owner)
{
    auto dialog = std::make_unique<ScriptedDealerSelectDlg>(*this, owner, "dealer");
    dealer = dialog.get();
    return dialog;
}

std::unique_ptr<Gamespace::TrnInfoDlg> ScriptedShell::CreateTrnInfoDlg(ControlLibrary::DialogMessageObserver* owner)
{
    auto dialog = std::make_unique<ScriptedTrnInfoDlg>(*this, owner, "info");
    trnInfo = dialog.get();
    return dialog;
}

std::unique_ptr<Gamespace::TrnPlayersDlg> ScriptedShell::CreateTrnPlayersDlg(
    ControlLibrary::DialogMessageObserver* owner)
{
    auto dialog = std::make_unique<ScriptedTrnPlayersDlg>(*this, owner, "players");
    trnPlayers = dialog.get();
    return dialog;
}

std::unique_ptr<Gamespace::BankruptDlg> ScriptedShell::CreateBankruptDlg(ControlLibrary::DialogMessageObserver* owner)
{
    if (!bankruptDialog)
        return nullptr;
    auto dialog = std::make_unique<ScriptedBankruptDlg>(*this, owner, "bankrupt");
    dialog->caption = "You have finished this game.";
    bankrupt = dialog.get();
    return dialog;
}

std::unique_ptr<Gamespace::StageDlg> ScriptedShell::CreateStageDlg(ControlLibrary::DialogMessageObserver* owner)
{
    auto dialog = std::make_unique<ScriptedStageDlg>(*this, owner, "stage");
    stage = dialog.get();
    return dialog;
}

std::unique_ptr<Gamespace::TrnFinishDlg> ScriptedShell::CreateTrnFinishDlg(
    ControlLibrary::DialogMessageObserver* owner)
{
    auto dialog = std::make_unique<ScriptedTrnFinishDlg>(*this, owner, "standings");
    trnFinish = dialog.get();
    return dialog;
}

std::unique_ptr<Gamespace::HumanActionDlg> ScriptedShell::CreateHumanActionDlg(
    ControlLibrary::DialogMessageObserver* owner, Gamespace::HumanActionMessageObserver* player)
{
    auto dialog = std::make_unique<ScriptedHumanActionDlg>(*this, owner, player);
    humanAction = dialog.get();
    return dialog;
}

std::unique_ptr<Gamespace::RebuyAddonDlg> ScriptedShell::CreateRebuyAddonDlg(
    ControlLibrary::DialogMessageObserver* owner)
{
    auto dialog = std::make_unique<ScriptedRebuyAddonDlg>(*this, owner, "rebuy");
    rebuy = dialog.get();
    return dialog;
}

SavedGame& AddFreshTournament(Profile& profile, uint16_t tournamentId, uint16_t players)
{
    Tournament record;
    FindTournament(tournamentId, record);
    for (auto& game : profile.savedGames)
        game->current = 0;
    auto saved = std::make_unique<SavedGame>();
    saved->tournamentId = tournamentId;
    saved->inUse = 1;
    saved->current = 1;
    saved->minBet = record.startBet;
    saved->level = 1;
    double chips = record.price * record.chipsPerDollar;
    saved->startChips = chips;
    saved->buyIn = record.price;
    saved->totalBuyIns = record.price * players;
    for (uint16_t i = 0; i + 1 < players && i < SavedGame::kComputerSeats; ++i) {
        SeatRecord& seat = saved->seats[i];
        seat.active = 1;
        seat.seatNumber = static_cast<uint16_t>(i + 1);
        seat.chips = chips;
    }
    profile.gameType = 3 + record.kind;
    profile.savedGames.push_back(std::move(saved));
    return *profile.savedGames.back();
}

} // namespace testing_support
