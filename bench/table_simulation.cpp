// Simulated hands per second: a table of ten seats all played by the
// computer's decisions (the human's seat answers its turns with the same
// routine), every dialog closed at once, on the manual clock. Two ways of
// moving time: the test's virtual time system, which jumps from one timer
// notice to the next, and the real time system stepped pass by pass, as the
// time thread would step it every 5 ms.
//
// The scripted shell, the virtual time system and the table harness of the
// test suite are compiled in here: a benchmark links only the program's own
// libraries.
#include "tests/support/ScriptedShell.cpp"
#include "tests/support/TableHarness.cpp"
#include "tests/support/VirtualTimeSystem.cpp"

#include "game/table/OpponentStrategy.h"
#include "game/table/PlayerHuman.h"
#include "platform/core/CRuntime.h"
#include "timing/TimeSystem_impl.h"

#include <benchmark/benchmark.h>

namespace {

using Gamespace::GameMgr;
using Gamespace::HumanActionMessageObserver;
using Gamespace::PlayerHuman;

// The human's seat plays as a computer would.
void PlayAsComputer(GameMgr& table, HumanActionMessageObserver& seat)
{
    auto* human = dynamic_cast<PlayerHuman*>(&seat);
    Gamespace::RunComputerTurn(*human, table);
    human->GetActionDialog().ShowActions(false);
}

void BM_HandsOnVirtualTime(benchmark::State& state)
{
    testing_support::TableHarness harness(42);
    harness.shell.logging = false;
    harness.UseCashTable(static_cast<uint32_t>(state.range(0)), 10, 2);
    harness.humanPolicy = [&](HumanActionMessageObserver& seat) { PlayAsComputer(*harness.table, seat); };
    harness.Start();
    uint64_t hands = 0;
    for (auto _ : state) {
        uint64_t target = harness.table->GetHandsShownDown() + 1;
        if (!harness.RunUntil([&] { return harness.table->GetHandsShownDown() >= target; })) {
            state.SkipWithError("the table stalled");
            break;
        }
        ++hands;
    }
    state.SetItemsProcessed(static_cast<int64_t>(hands));
    state.counters["hands/s"] = benchmark::Counter(static_cast<double>(hands), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HandsOnVirtualTime)->Arg(0)->Arg(1)->Arg(2)->ArgName("game type");

// The real time system, one 5 ms pass at a time, the main thread's frame
// after every pass.
void BM_HandsOnTimeSystemPasses(benchmark::State& state)
{
    platform::ManualClock clock(1000000);
    platform::ScopedClock useClock(clock);
    platform::srand(42);
    TimeLibrary::TimeSystem_impl time;
    testing_support::ScriptedShell shell;
    shell.logging = false;
    shell.profile.gameType = 2;
    shell.profile.noLimit = TableChoice{2, 10};
    Gamespace::TableServices services;
    services.shell = &shell;
    services.timeSystem = &time;
    struct Restart final : Gamespace::GameModuleObserver {
        void OnModuleDone(uint32_t) override { pending = true; }
        bool pending = false;
    } restart;
    GameMgr table(&restart, GameMgr::kModuleId, services);
    table.Create();
    table.Show();
    uint64_t passes = 0;
    uint64_t hands = 0;
    for (auto _ : state) {
        uint64_t target = table.GetHandsShownDown() + 1;
        while (table.GetHandsShownDown() < target) {
            time.TickAll();
            clock.AdvanceMilliseconds(5);
            ++passes;
            table.ProcessEvents();
            if (restart.pending) {
                restart.pending = false;
                table.Hide();
                table.Show();
            }
            for (testing_support::ScriptedShell* s : {&shell}) {
                if (s->stage->IsVisible())
                    s->stage->Show(false);
                if (s->dealer->IsVisible())
                    s->dealer->Show(false);
                if (s->finish->IsVisible())
                    s->finish->Show(false);
                if (s->bankrupt->IsVisible())
                    s->bankrupt->Show(false);
                if (s->humanAction != nullptr && s->humanAction->actionsShown)
                    PlayAsComputer(table, *s->humanAction->player);
            }
        }
        ++hands;
    }
    table.Hide();
    state.SetItemsProcessed(static_cast<int64_t>(hands));
    state.counters["hands/s"] = benchmark::Counter(static_cast<double>(hands), benchmark::Counter::kIsRate);
    state.counters["passes/hand"] = hands > 0 ? static_cast<double>(passes) / static_cast<double>(hands) : 0.0;
}
BENCHMARK(BM_HandsOnTimeSystemPasses);

} // namespace
