// One run of the game that KilledRuns.EveryRestartFindsThePlayerWholeWith-
// EveryFinishedHand (tests/game/walk/KilledRunsWalkTest.cpp) kills: on the
// headless back end, on the machine folder it is given, Ann plays her
// tournament at the fastest speed (a new one when none is in progress, and
// the next when one ends) until the process is killed. It reports on
// descriptor 3 as tests/game/walk/KilledRun.h says; what fails goes to
// standard output, and ends it with status 1.
//
//   killed_run_child MACHINE_FOLDER
#include "game/shell/GameImpl.h"
#include "game/shell/Profile.h"
#include "game/shell/ProfileList.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/shell/TournamentEntry.h"
#include "game/table/FinishDlg.h"
#include "game/table/GameMgr.h"
#include "game/table/HumanActionMessageObserver.h"
#include "game/table/PlayerHuman.h"
#include "game/table/RebuyAddonDlg.h"
#include "game/table/TableDialogs.h"
#include "game/table/Tournament.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/window/VirtualKeys.h"
#include "tests/game/walk/KilledRun.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

using walk::PlayedTable;
using walk::ScriptedPlayer;

// Big game N: ten players, ten-minute levels, three re-buys: a long game.
constexpr uint16_t kBigGameN = 3;

void Say(const std::string& line)
{
    const std::string text = line + "\n";
    // A parent that went away ends this process (SIGPIPE).
    if (write(killed_run::kReportDescriptor, text.data(), text.size()) < 0)
        _exit(1);
}

// Sits Ann down at her tournament: the one in progress, or a new one.
void GoToTheTable(ScriptedPlayer& player)
{
    Profile& ann = *ProfileList::CurrentProfile();
    Tournament record;
    ASSERT_TRUE(FindTournament(kBigGameN, record));
    if (!Gamespace::ContinueTournament(ann, record))
        Gamespace::StartTournament(ann, record);
    player.Game().OnModuleDone(Gamespace::StartMgr::kModuleId);
    player.Game().GetSetupRulesMgr().OnSetupDone(0);
    ASSERT_TRUE(player.Game().GetGameMgr()->IsActive());
}

// The human checks or folds, buys whatever he is offered and closes every
// announcement; a tournament that ends is followed by the next.
void PlayUntilKilled(const std::string& machine)
{
    ScriptedPlayer player(machine);
    player.WriteRegistryNumber("Options\\Speed", 10);
    player.Launch();
    GoToTheTable(player);
    if (::testing::Test::HasFatalFailure())
        return;
    Gamespace::GameMgr& table = *player.Game().GetGameMgr();
    const std::string path = killed_run::ProfilePathIn(machine);
    // The file as the run found it is reported with the first step.
    std::string bytes;
    uint64_t paid = 0;
    // After every step of the program: what it has done.
    const auto report = [&] {
        Say("step");
        std::string now;
        if (platform::ReadWholeFile(path, &now) && now != bytes) {
            bytes = now;
            Say("saved " + killed_run::Fingerprint(bytes) + " " + std::to_string(table.GetHandsShownDown()));
        }
        if (table.GetHandsShownDown() != paid) {
            paid = table.GetHandsShownDown();
            Say("hand " + std::to_string(paid));
        }
    };
    const auto waiting = [&]() -> const walk::Sight* {
        for (const walk::Sight* action : {&PlayedTable::kActions[Gamespace::kHumanCheck],
                                          &PlayedTable::kActions[Gamespace::kHumanFold]})
            if (std::optional<walk::Seen> seen = player.Find(*action); seen && seen->enabled)
                return action;
        return nullptr;
    };
    for (;;) {
        const bool moved = player.WaitUntil(
            [&] {
                report();
                return waiting() != nullptr || table.GetFinishDlg()->IsVisible() ||
                       table.GetStageDlg()->IsVisible() || table.GetDealerSelectDlg()->IsVisible() ||
                       table.GetTrnFinishDlg()->IsVisible() || table.GetHumanPlayer()->GetRebuyDialog().IsVisible();
            },
            3'600'000, "something to answer");
        if (!moved || ::testing::Test::HasFailure())
            return;
        if (table.GetHumanPlayer()->GetRebuyDialog().IsVisible()) {
            player.Press(platform::VK_RETURN);
        } else if (table.GetTrnFinishDlg()->IsVisible()) {
            player.Click(PlayedTable::kClose);
            GoToTheTable(player);
        } else if (const walk::Sight* action = waiting()) {
            player.Click(*action);
        } else {
            player.Click(PlayedTable::kClose);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s MACHINE_FOLDER\n", argv[0]);
        return 2;
    }
    platform::UseHeadlessBackend(true);
    PlayUntilKilled(argv[1]);
    return 1;
}
