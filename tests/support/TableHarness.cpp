#include "tests/support/TableHarness.h"

#include "game/table/PlayerI.h"
#include "game/table/TableServices.h"
#include "game/table/TableState.h"
#include "platform/core/CRuntime.h"

#include <algorithm>

namespace testing_support {

TableHarness::TableHarness(uint32_t seed, ControlLibrary::IFactory* factory)
    : clock(1000000), time(&clock), random(seed)
{
    clockGuard_ = std::make_unique<platform::ScopedClock>(clock);
    platform::ResetProcessStart();
    platform::srand(seed);
    Gamespace::TableServices services;
    services.shell = &shell;
    services.timeSystem = &time;
    services.factory = factory;
    table = std::make_unique<Gamespace::GameMgr>(this, Gamespace::GameMgr::kModuleId, services);
    humanPolicy = [this](Gamespace::HumanActionMessageObserver& human) { DefaultHumanAction(human); };
    rebuyPolicy = [this](uint8_t) { return random() % 10 < 7; };
    UseCashTable(2, 10);
}

TableHarness::~TableHarness()
{
    table.reset();
}

void TableHarness::UseCashTable(uint32_t gameType, uint16_t players, uint16_t row)
{
    shell.profile.gameType = gameType;
    TableChoice choice{row, players};
    shell.profile.limit = choice;
    shell.profile.potLimit = choice;
    shell.profile.noLimit = choice;
    for (auto& game : shell.profile.savedGames)
        game->current = 0;
    tournamentId = 0;
}

SavedGame& TableHarness::UseTournament(uint16_t id, uint16_t players)
{
    tournamentId = id;
    tournamentPlayers = players;
    return AddFreshTournament(shell.profile, id, players);
}

void TableHarness::Start()
{
    if (!created_) {
        table->Create();
        created_ = true;
    }
    table->Show();
}

void TableHarness::OnModuleDone(uint32_t /*moduleId*/)
{
    ++modulesDone;
    restartPending_ = restartWhenDone;
}

void TableHarness::CallOrCheck(Gamespace::HumanActionMessageObserver& human)
{
    human.PerformHumanAction(human.GetCurrentBet() > human.GetBet() ? Gamespace::kHumanCall : Gamespace::kHumanCheck, 0);
}

void TableHarness::DefaultHumanAction(Gamespace::HumanActionMessageObserver& human)
{
    std::vector<uint32_t> actions;
    human.GetAvailableActions(actions);
    bool limit = shell.profile.gameType == 0 || shell.profile.gameType == 3;
    double unit = human.GetMinBet() * (limit && human.GetBoardStage() >= 2 ? 2.0 : 1.0);
    uint32_t roll = random() % 100;
    auto has = [&actions](uint32_t code) { return std::find(actions.begin(), actions.end(), code) != actions.end(); };
    uint32_t code = actions.empty() ? Gamespace::kHumanFold : actions[random() % actions.size()];
    if (roll < 45 && (has(Gamespace::kHumanCheck) || has(Gamespace::kHumanCall)))
        code = has(Gamespace::kHumanCheck) ? Gamespace::kHumanCheck : Gamespace::kHumanCall;
    else if (roll < 60 && has(Gamespace::kHumanFold))
        code = Gamespace::kHumanFold;
    else if (roll < 95 && has(Gamespace::kHumanOpen))
        code = Gamespace::kHumanOpen;
    else if (roll < 95 && has(Gamespace::kHumanRaise))
        code = Gamespace::kHumanRaise;
    double amount = 0.0;
    if (code == Gamespace::kHumanOpen)
        amount = unit;
    else if (code == Gamespace::kHumanRaise)
        amount = human.GetCurrentBet() - human.GetBet() + unit;
    human.PerformHumanAction(code, amount);
}

bool TableHarness::AnswerDialogs()
{
    if (closeAnnouncements) {
        if (shell.stage != nullptr && shell.stage->IsVisible()) {
            shell.stage->Show(false);
            return true;
        }
        if (shell.dealer != nullptr && shell.dealer->IsVisible()) {
            shell.dealer->Show(false);
            return true;
        }
    }
    if (shell.rebuy != nullptr && shell.rebuy->IsVisible()) {
        shell.rebuy->Answer(rebuyPolicy(shell.rebuy->mode));
        return true;
    }
    if (closeResults && shell.finish != nullptr && shell.finish->IsVisible()) {
        shell.finish->Show(false);
        return true;
    }
    if (shell.bankrupt != nullptr && shell.bankrupt->IsVisible()) {
        shell.bankrupt->Show(false);
        return true;
    }
    if (shell.trnFinish != nullptr && shell.trnFinish->IsVisible()) {
        shell.trnFinish->Show(false);
        return true;
    }
    if (shell.menu != nullptr && shell.menu->IsVisible()) {
        shell.menu->Show(false);
        return true;
    }
    if (shell.humanAction != nullptr && shell.humanAction->actionsShown && humanPolicy) {
        humanPolicy(*shell.humanAction->player);
        return true;
    }
    return false;
}

bool TableHarness::Step()
{
    // A frame that ran steps is a turn of its own: what they showed is
    // answered in the next one.
    if (table->ProcessEvents() > 0)
        return true;
    if (restartPending_) {
        restartPending_ = false;
        table->Hide();
        if (tournamentId != 0)
            UseTournament(tournamentId, tournamentPlayers);
        table->Show();
        return true;
    }
    if (AnswerDialogs())
        return true;
    return time.AdvanceToNextNotice();
}

bool TableHarness::RunUntil(const std::function<bool()>& done, uint64_t maxSteps)
{
    for (uint64_t step = 0; step < maxSteps; ++step) {
        if (done())
            return true;
        if (!Step())
            return done();
    }
    return done();
}

} // namespace testing_support
