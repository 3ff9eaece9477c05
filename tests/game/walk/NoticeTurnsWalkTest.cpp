// What waits for the "Player files" notice gets its turn once, and only
// once: a close at the table asks after the notice and not again after a
// later notice, the chooser that waited opens once and stays closed when
// answered, and a failure the player meets again by asking again is shown
// again.
#include "game/shell/GameImpl.h"
#include "game/shell/Options.h"
#include "game/shell/Profile.h"
#include "game/shell/ProfileList.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/table/GameMgr.h"
#include "platform/core/Testing.h"
#include "platform/window/VirtualKeys.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace {

using namespace walk::sights;
using walk::Caption;
using walk::PlayedTable;
using walk::ScriptedPlayer;

// Sit & Go P: ten players.
constexpr uint16_t kSitAndGoP = 5;

const walk::Sight kProblemOk = Caption("Ok").Named("the message's Ok");
const walk::Sight kSettingsNotKept = Caption("The settings could not be kept as they should be:");

// The settings file turned into a folder: the next save of an option fails.
std::string SettingsMadeUnwritable(const ScriptedPlayer& player)
{
    const std::string settings = player.DataFolder() + "/../../config/pellucor/registry.txt";
    std::filesystem::remove(settings);
    EXPECT_TRUE(std::filesystem::create_directory(settings));
    return settings;
}

TEST(NoticeTurnsWalk, ACloseAnsweredNoAfterTheNoticeIsNotAskedAgainByALaterNotice)
{
    ScriptedPlayer player;
    player.WriteRegistryNumber("Options\\Speed", 10);
    Profile ann = walk::KnownPlayer("Ann");
    walk::PutProfile(player, ann);
    player.Launch();
    PlayedTable::EnterTournament(*ProfileList::CurrentProfile(), kSitAndGoP, 10, 1);
    Gamespace::GameImpl& game = player.Game();
    game.OnModuleDone(Gamespace::StartMgr::kModuleId);
    game.GetSetupRulesMgr().OnSetupDone(0);
    PlayedTable table(player);
    table.CloseTheDealerDraw();

    const std::string settings = SettingsMadeUnwritable(player);
    Gamespace::SaveOptions();
    ASSERT_TRUE(player.WaitToSee(kSettingsNotKept));
    player.CloseWindow();
    player.Wait(300);
    ASSERT_FALSE(player.Sees(kExitQuestion));
    player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.WaitToSee(kExitQuestion));
    player.Click(kNo);
    EXPECT_FALSE(player.Sees(kExitQuestion));
    Gamespace::GameMgr& mgr = *game.GetGameMgr();
    EXPECT_FALSE(mgr.IsPaused());

    // Another problem, told in its own words: its Ok closes it, nothing more.
    std::filesystem::remove(settings);
    platform::testing::FailEveryCall("WriteFileAtomic.Open", EACCES);
    table.FoldToTheResult();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    ASSERT_TRUE(player.WaitUntil([&] { return player.Sees(Caption("Ann's tournament was not saved:")); },
                                 ScriptedPlayer::kPromptMs, "the hand told unsaved"));
    platform::testing::StopFailing("WriteFileAtomic.Open");
    player.Press(platform::VK_RETURN);
    player.Wait(300);
    EXPECT_FALSE(player.Sees(kProblemOk));
    EXPECT_FALSE(player.Sees(kExitQuestion)) << "the close answered No was asked again";
    EXPECT_TRUE(player.IsRunning());

    player.CloseWindow();
    ASSERT_TRUE(player.WaitToSee(kExitQuestion));
    player.Click(kYes);
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

TEST(NoticeTurnsWalk, AwayFromTheTableALaterNoticeDoesNotQuitTheGame)
{
    ScriptedPlayer player;
    Profile ann = walk::KnownPlayer("Ann");
    walk::PutProfile(player, ann);
    player.Launch();
    ASSERT_TRUE(player.WaitToSee(PlayerLine("Ann")));
    player.Wait(1000);
    const std::string settings = SettingsMadeUnwritable(player);
    for (int notice = 0; notice < 2; ++notice) {
        Gamespace::SaveOptions();
        ASSERT_TRUE(player.WaitToSee(kSettingsNotKept));
        player.Press(platform::VK_RETURN);
        player.Wait(300);
        EXPECT_FALSE(player.Sees(kProblemOk));
        ASSERT_TRUE(player.IsRunning()) << "the notice's Ok quit the game";
        // Saved again in between: the same failure is news once more.
        std::filesystem::remove(settings);
        Gamespace::SaveOptions();
        player.Wait(100);
        std::filesystem::remove(settings);
        ASSERT_TRUE(std::filesystem::create_directory(settings));
    }
    std::filesystem::remove(settings);
    player.CloseWindow();
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

TEST(NoticeTurnsWalk, TheChooserThatWaitedForTheNoticeOpensOnceAndStaysClosedWhenAnswered)
{
    ScriptedPlayer player;
    walk::PutProfileBytes(player, "Bob", "not a profile at all");
    player.Launch();
    ASSERT_TRUE(player.WaitToSee(Caption("The profile Bob_.usr was not loaded:")));
    player.Wait(1000);
    EXPECT_FALSE(player.Sees(kNewPlayer));
    player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.WaitToSee(kNewPlayer));
    player.Type("Ann");
    player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.WaitToSee(kChooser));
    player.Click(kOk);
    player.Wait(500);
    EXPECT_FALSE(player.Sees(kChooser)) << "the chooser came back";
    EXPECT_FALSE(player.Sees(kNewPlayer));
    EXPECT_TRUE(player.Sees(PlayerLine("Ann")));
    player.CloseWindow();
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

TEST(NoticeTurnsWalk, ADeleteThatFailsAgainWhenAskedAgainIsShownAgain)
{
    ScriptedPlayer player;
    Profile ann = walk::KnownPlayer("Ann");
    Profile bob = walk::KnownPlayer("Bob", false);
    walk::PutProfile(player, ann);
    walk::PutProfile(player, bob);
    player.Launch();
    player.Click(PlayerLine("Ann"));
    ASSERT_TRUE(player.Sees(kChooser));
    player.Click(Caption("Bob"));
    platform::testing::FailEveryCall("DeleteFile", EACCES);
    for (int asked = 0; asked < 2; ++asked) {
        SCOPED_TRACE(asked == 0 ? "first delete" : "second delete");
        player.Click(kDelete);
        ASSERT_TRUE(player.Sees(kDeletePlayer));
        player.Click(kDelete);
        ASSERT_TRUE(player.Sees(Caption("The player Bob was not deleted:")));
        player.Press(platform::VK_RETURN);
        EXPECT_FALSE(player.Sees(kProblemOk));
        EXPECT_TRUE(player.Sees(Caption("Bob")));
    }
    platform::testing::StopFailing("DeleteFile");
    player.Press(platform::VK_ESCAPE);
    player.CloseWindow();
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

} // namespace
