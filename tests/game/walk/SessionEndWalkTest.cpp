// The program ended by the system rather than by the player: a termination
// signal (the desktop session ends, the terminal goes away, Ctrl+C) ends it
// as quitting does, whatever screen shows, asking nothing, and loses no
// player and no tournament, on a machine whose profile folder is not made
// yet too.
#include "game/shell/GameImpl.h"
#include "game/shell/Profile.h"
#include "game/shell/ProfileList.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "platform/core/FileSystem.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowTesting.h"
#include "tests/game/shell/ProfileTestSupport.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

namespace {

using platform::testing::RaiseSessionEndSignal;
using platform::testing::SessionEndSignal;
using walk::ScriptedPlayer;
using walk::sights::kChooser;
using walk::sights::kNewPlayer;
using walk::sights::kOk;

// Big game L, four players, from level 7.
constexpr uint16_t kBigGameL = 9;

} // namespace

TEST(SessionEndWalk, APlayerNamedOnAFreshMachineOutlivesATerminationSignal)
{
    ScriptedPlayer player;
    ASSERT_FALSE(platform::DirectoryExists(player.SaveFolder()));
    player.Launch();
    ASSERT_TRUE(player.WaitToSee(kNewPlayer));
    player.Type("Ann");
    player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.Sees(kChooser));
    player.Click(kOk);
    EXPECT_FALSE(player.Sees(kChooser));

    RaiseSessionEndSignal(SessionEndSignal::Terminate);
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    const std::string ann = walk::ProfileBytes(player, "Ann");
    ASSERT_EQ(ann.size(), 59u);
    EXPECT_EQ(ann.substr(0, 7), std::string("\x01\x01\x00\x00" "Ann", 7));
}

TEST(SessionEndWalk, AnInterruptOnASetUpScreenEndsAtOnceAndSavesWhatChanged)
{
    ScriptedPlayer player;
    Profile ann = walk::KnownPlayer("Ann");
    walk::PutProfile(player, ann);
    player.Launch();
    ProfileList::CurrentProfile()->announceStages = 0;
    player.Game().GetStartMgr().Finish(0);
    ASSERT_EQ(walk::ShownModules(player.Game()), "set-up");

    RaiseSessionEndSignal(SessionEndSignal::Interrupt);
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(walk::ProfileBytes(player, "Ann")[1], 0) << "the change made during the run was not saved";
}

TEST(SessionEndWalk, AHangupAtATournamentTableAsksNothingAndKeepsTheTournamentAsQuittingDoes)
{
    ScriptedPlayer player;
    player.Launch();
    Profile& alice = AddActiveProfile("Alice");
    walk::PlayedTable::EnterTournament(alice, kBigGameL, 4, 7);
    walk::PlayedTable table(player);
    table.SitDown();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());

    // The exit question would wait for an answer nobody gives: the program
    // would not end.
    RaiseSessionEndSignal(SessionEndSignal::Hangup);
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    std::unique_ptr<Profile> saved = walk::ProfileOnDisk(player, "Alice");
    ASSERT_EQ(saved->savedGames.size(), 1u);
    EXPECT_EQ(saved->savedGames[0]->tournamentId, kBigGameL);
    EXPECT_EQ(saved->savedGames[0]->level, 7u);
    EXPECT_EQ(saved->savedGames[0]->current, 1);
}
