// One run of the game that the killed-runs walks
// (tests/game/walk/KilledRunsWalkTest.cpp) kill, on the headless back end,
// on the machine folder it is given. It reports on descriptor 3 as
// tests/game/walk/KilledRun.h says; what fails goes to standard output, and
// ends it with status 1.
//
//   killed_run_child plays MACHINE_FOLDER TOURNAMENT NEW_GAME
//       Ann plays the tournament (0: Big game N, the harness's long game) at
//       the fastest speed, the one in progress or, with NEW_GAME 1, a new
//       one; the next when one ends; until the process is killed.
//   killed_run_child chooses MACHINE_FOLDER SEED
//       Opens the options on the start screen and clicks their buttons at
//       random, saying before each click which option it changes and after
//       it what the program holds.
#include "game/shell/GameImpl.h"
#include "game/shell/Options.h"
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
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

using walk::PlayedTable;
using walk::ScriptedPlayer;

void Say(const std::string& line)
{
    const std::string text = line + "\n";
    // A parent that went away ends this process (SIGPIPE).
    if (write(killed_run::kReportDescriptor, text.data(), text.size()) < 0)
        _exit(1);
}

// Sits Ann down at her tournament: the one in progress, or a new one (and
// always a new one when `enter`).
void GoToTheTable(ScriptedPlayer& player, uint16_t tournamentId, bool enter)
{
    Profile& ann = *ProfileList::CurrentProfile();
    Tournament record;
    ASSERT_TRUE(FindTournament(tournamentId, record));
    if (enter || !Gamespace::ContinueTournament(ann, record))
        Gamespace::StartTournament(ann, record);
    player.Game().OnModuleDone(Gamespace::StartMgr::kModuleId);
    player.Game().GetSetupRulesMgr().OnSetupDone(0);
    ASSERT_TRUE(player.Game().GetGameMgr()->IsActive());
}

// The human checks or folds, buys whatever he is offered and closes every
// announcement; a tournament that ends is followed by the next.
void PlayUntilKilled(const std::string& machine, uint16_t tournamentId, bool enter)
{
    ScriptedPlayer player(machine);
    player.WriteRegistryNumber("Options\\Speed", 10);
    player.Launch();
    GoToTheTable(player, tournamentId, enter);
    if (::testing::Test::HasFatalFailure())
        return;
    Gamespace::GameMgr& table = *player.Game().GetGameMgr();
    const auto level = [] { return std::to_string(ProfileList::CurrentProfile()->GetCurrentSavedGame()->level); };
    Say("seated " + level() + " " + std::to_string(table.GetLevelSecondsLeft()));
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
            Say("hand " + std::to_string(paid) + " " + level());
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
            GoToTheTable(player, tournamentId, false);
        } else if (const walk::Sight* action = waiting()) {
            player.Click(*action);
        } else {
            player.Click(PlayedTable::kClose);
        }
    }
}

void ChooseOptionsUntilKilled(const std::string& machine, uint32_t seed)
{
    ScriptedPlayer player(machine);
    player.AfterEachStep([] { Say("step"); });
    player.Launch();
    player.Click(walk::sights::kOptionsButton);
    if (!player.Sees(walk::sights::kOptionsDialog)) {
        ADD_FAILURE() << "the options did not open";
        return;
    }
    std::mt19937 random(seed);
    for (;;) {
        // 0..2 a row's minus, 3..5 its plus, 6 the screen mode.
        const int choice = std::uniform_int_distribution<int>(0, 6)(random);
        Say("click " + std::string(killed_run::kOptionValues[choice < 6 ? choice % 3 : 3]));
        if (choice < 6)
            walk::ClickRow(player, choice < 3 ? walk::sights::kMinus : walk::sights::kPlus, size_t(choice % 3));
        else
            player.Click(player.Sees(walk::sights::kToWindow) ? walk::sights::kToWindow : walk::sights::kToFullScreen);
        if (::testing::Test::HasFailure())
            return;
        Say("chose " + killed_run::OptionsText(Gamespace::GetSoundVolume(), Gamespace::GetSoundEffVolume(),
                                               Gamespace::GetGameSpeed(), Gamespace::IsFullScreenOption()));
    }
}

int Usage(const char* program)
{
    std::fprintf(stderr, "usage: %s %s MACHINE_FOLDER TOURNAMENT NEW_GAME\n       %s %s MACHINE_FOLDER SEED\n",
                 program, killed_run::kPlays, program, killed_run::kChooses);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    platform::UseHeadlessBackend(true);
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == killed_run::kPlays && argc == 5) {
        const long tournament = std::strtol(argv[3], nullptr, 10);
        PlayUntilKilled(argv[2], tournament > 0 ? uint16_t(tournament) : killed_run::kBigGameN,
                        std::string(argv[4]) == "1");
    } else if (what == killed_run::kChooses && argc == 4) {
        ChooseOptionsUntilKilled(argv[2], uint32_t(std::strtoul(argv[3], nullptr, 10)));
    } else {
        return Usage(argv[0]);
    }
    return 1;
}
