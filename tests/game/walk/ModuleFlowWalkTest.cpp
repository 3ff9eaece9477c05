// The screens taking turns, and what the game object keeps across a run:
// which module follows which, where the home-page button shows, and that
// quitting away from the table leaves a tournament in progress as it was.
#include "game/shell/GameImpl.h"
#include "game/shell/Options.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/table/GameMgr.h"
#include "platform/core/FileSystem.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/ScriptedPlayer.h"
#include "tests/support/ScriptedShell.h"

#include <gtest/gtest.h>

namespace {

using walk::ScriptedPlayer;
using walk::ShownModules;
using walk::sights::kHomePage;

// A profile file as the game writes it, in the program's "save/" folder.
std::string WriteProfileWithATournament(const ScriptedPlayer& player)
{
    Profile ann = walk::KnownPlayer("Ann");
    SavedGame& saved = testing_support::AddFreshTournament(ann, 2, 6);
    saved.levelTimeLeft = 321;
    saved.level = 3;
    return walk::PutProfile(player, ann);
}

TEST(ModuleFlow, EachModuleHandsOverToTheNextAndTheHomePageButtonStaysOffTheTable)
{
    ScriptedPlayer player;
    player.Launch();
    Gamespace::GameImpl& game = player.Game();
    EXPECT_EQ(ShownModules(game), "start");
    EXPECT_TRUE(player.Sees(kHomePage));

    game.GetStartMgr().Finish(0);
    EXPECT_EQ(ShownModules(game), "set-up");
    EXPECT_TRUE(player.Sees(kHomePage));
    // Back from the set-up screens: any result but 0.
    game.GetSetupRulesMgr().OnSetupDone(1);
    EXPECT_EQ(ShownModules(game), "start");

    game.GetStartMgr().Finish(0);
    game.GetSetupRulesMgr().OnSetupDone(0);
    EXPECT_EQ(ShownModules(game), "table");
    player.Wait(100);
    EXPECT_FALSE(player.Sees(kHomePage));

    game.GetGameMgr()->Finish(1);
    EXPECT_EQ(ShownModules(game), "set-up");
    EXPECT_TRUE(player.WaitToSee(kHomePage));
    // Away from the table the window closes without a question.
    player.CloseWindow();
    EXPECT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

TEST(ModuleFlow, ProfilesAreLoadedAtStartAndSavedAtTheEnd)
{
    ScriptedPlayer player;
    const std::string before = WriteProfileWithATournament(player);
    player.Launch();
    ASSERT_EQ(ProfileList::Instance()->Count(), 1u);
    EXPECT_EQ(ProfileList::CurrentProfile()->name, "Ann");
    ProfileList::CurrentProfile()->announceStages = 0;
    player.CloseWindow();
    EXPECT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);

    std::string after;
    ASSERT_TRUE(platform::ReadWholeFile(player.SaveFolder() + "/Ann_.usr", &after));
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[1], 0) << "the change made during the run was not saved";
}

TEST(ModuleFlow, QuittingAwayFromTheTableLeavesATournamentInProgressAsItWas)
{
    // From the start screen, and from the set-up screen the tournaments
    // were chosen for on the start screen.
    for (const bool toSetUp : {false, true}) {
        SCOPED_TRACE(toSetUp ? "set-up" : "start");
        ScriptedPlayer player;
        const std::string before = WriteProfileWithATournament(player);
        player.Launch();
        if (toSetUp) {
            ProfileList::CurrentProfile()->gameType = kGameNoLimitTournament;
            player.Game().GetStartMgr().Finish(0);
        }
        EXPECT_EQ(ShownModules(player.Game()), toSetUp ? "set-up" : "start");
        player.CloseWindow();
        EXPECT_TRUE(player.WaitForExit());
        EXPECT_EQ(player.Finish(), 0);

        std::string after;
        ASSERT_TRUE(platform::ReadWholeFile(player.SaveFolder() + "/Ann_.usr", &after));
        EXPECT_EQ(after, before);
    }
}

TEST(ModuleFlow, OptionsAreWrittenBackAtTheEnd)
{
    ScriptedPlayer player;
    player.WriteRegistryNumber("Options\\Speed", 9);
    player.WriteRegistryNumber("Options\\SoundVol", 35);
    player.Launch();
    EXPECT_EQ(Gamespace::GetGameSpeed(), 9);
    Gamespace::SetGameSpeed(3);
    player.CloseWindow();
    EXPECT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\Speed"), 3u);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\SoundVol"), 35u);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\SoundEffVol"), 60u);
}

} // namespace
