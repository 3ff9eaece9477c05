// A tournament played with the real time thread ticking the timers while the
// test's thread plays the main thread's part: it drains the table's queue
// each frame, closes the dialogs and lets the human act. Run under
// ThreadSanitizer, it shows that the table's state is only ever touched by
// the main thread and that the queue's lock and the time system's locks never
// form a cycle.
#include "game/table/GameMgr.h"
#include "game/table/PlayerI.h"
#include "platform/core/CRuntime.h"
#include "platform/core/Clock.h"
#include "tests/support/ScriptedShell.h"
#include "tests/timing/YieldingClock.h"
#include "timing/TimeSystem_impl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace Gamespace {
namespace {

class Observer final : public GameModuleObserver {
public:
    void OnModuleDone(uint32_t) override { done = true; }
    bool done = false;
};

TEST(ThreadedTournament, TimeThreadAndMainThreadNeverShareTheTable)
{
    TimeLibrary::testing::YieldingClock clock;
    platform::ScopedClock useClock(clock);
    platform::srand(99);
    TimeLibrary::TimeSystem_impl time;
    testing_support::ScriptedShell shell;
    shell.logging = false;
    shell.speed = 10;
    testing_support::AddFreshTournament(shell.profile, 2, 8);
    Observer observer;
    TableServices services;
    services.shell = &shell;
    services.timeSystem = &time;
    auto table = std::make_unique<GameMgr>(&observer, GameMgr::kModuleId, services);
    table->Create();
    table->Show();
    ASSERT_TRUE(time.StartTicking());

    int hands = 0;
    bool faulty = false;
    shell.finish->onShown = [&] {
        ++hands;
        double chips = table->GetChipsRemoved();
        for (PlayerI* player : table->GetSeatList())
            if (player != nullptr)
                chips += player->GetChips();
        if (std::abs(chips - (table->GetChipsBought())) > 1e-6)
            faulty = true;
    };

    // A stall is a minute without a finished hand; a slow or busy machine
    // (sanitizers, two cores shared with other tests) only makes it longer.
    using SteadyClock = std::chrono::steady_clock;
    auto lastProgress = SteadyClock::now();
    int handsSeen = 0;
    int tournaments = 1;
    // At least a hundred hands and a second tournament begun, so that a
    // table hidden and shown again while the timers tick is covered too.
    while ((hands < 100 || tournaments < 2) && SteadyClock::now() - lastProgress < std::chrono::seconds(60)) {
        if (hands != handsSeen) {
            handsSeen = hands;
            lastProgress = SteadyClock::now();
        }
        table->ProcessEvents();
        if (observer.done) {
            // The next tournament, with the timers still ticking.
            observer.done = false;
            table->Hide();
            testing_support::AddFreshTournament(shell.profile, 2, 8);
            table->Show();
            ++tournaments;
            continue;
        }
        if (shell.stage->IsVisible())
            shell.stage->Show(false);
        else if (shell.dealer->IsVisible())
            shell.dealer->Show(false);
        else if (shell.finish->IsVisible())
            shell.finish->Show(false);
        else if (shell.rebuy != nullptr && shell.rebuy->IsVisible())
            shell.rebuy->Answer(true);
        else if (shell.trnFinish->IsVisible())
            shell.trnFinish->Show(false);
        else if (shell.humanAction != nullptr && shell.humanAction->actionsShown) {
            HumanActionMessageObserver& human = *shell.humanAction->player;
            std::vector<uint32_t> actions;
            human.GetAvailableActions(actions);
            human.PerformHumanAction(actions[static_cast<size_t>(hands) % actions.size()], human.GetMinBet());
        } else
            std::this_thread::yield();
    }
    time.StopTicking();
    table->ProcessEvents();
    EXPECT_GE(hands, 100) << "the table stalled";
    EXPECT_FALSE(faulty);
    EXPECT_GT(tournaments, 1);
    table->Hide();
    table.reset();
}

} // namespace
} // namespace Gamespace
