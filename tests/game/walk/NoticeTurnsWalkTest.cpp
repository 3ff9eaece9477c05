// What waits for the "Player files" notice gets its turn once, and only
// once: a close at the table asks after the notice and not again after a
// later notice, and away from the table a later notice's Ok does not quit.
// (The chooser that waited for a notice, and a refused delete asked again,
// are PlayerFilesWalk's.)
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
    walk::SitAnnAtATournament(player, kSitAndGoP);
    Gamespace::GameImpl& game = player.Game();
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

} // namespace
