// The program from its first start to its end, as a player walks it: the
// start screen comes up on a machine without profiles, closing the window
// there quits at once, and closing it at the table asks first (once,
// however often the window is closed), "No" playing on and "Yes" quitting.
#include "controls/IButtonVO.h"
#include "game/shell/GameImpl.h"
#include "game/shell/Profile.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ProgramInfo.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/table/GameMgr.h"
#include "platform/core/Testing.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowTesting.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

namespace {

using walk::Caption;
using walk::ScriptedPlayer;
using walk::sights::kExitQuestion;
using walk::sights::kHomePage;
using walk::sights::kNo;
using walk::sights::kYes;

// Straight through the module flow to a table (the walks of the start and
// set-up screens go the player's way): the start screen finishes, then the
// set-up.
void SitDownAtATable(ScriptedPlayer& player)
{
    Gamespace::GameImpl& game = player.Game();
    game.OnModuleDone(Gamespace::StartMgr::kModuleId);
    ASSERT_TRUE(game.GetSetupRulesMgr().IsActive());
    game.GetSetupRulesMgr().OnSetupDone(0);
    ASSERT_TRUE(player.WaitUntil([&] { return game.GetGameMgr()->IsActive(); }, ScriptedPlayer::kPromptMs,
                                 "the table"));
    // The table at work: it has drawn for the dealer.
    ASSERT_TRUE(player.WaitUntil([&] { return game.GetGameMgr()->IsDealerChosen(); }, 20000, "the dealer draw"));
}

int ShownExitQuestions()
{
    int shown = 0;
    for (const walk::Seen& seen : walk::LookAtScreen())
        shown += seen.Matches(kExitQuestion) ? 1 : 0;
    return shown;
}

} // namespace

TEST(ExitWalk, FirstStartShowsTheStartScreenAndClosingTheWindowQuits)
{
    ScriptedPlayer player;
    player.Launch();
    Gamespace::GameImpl& game = player.Game();
    EXPECT_TRUE(game.GetStartMgr().IsActive());
    EXPECT_FALSE(game.GetSetupRulesMgr().IsActive());
    EXPECT_FALSE(game.GetGameMgr()->IsActive());
    EXPECT_EQ(ProfileList::Instance()->Count(), 0u);
    // The home-page button sits at (52, 49), 68 x 68.
    std::optional<walk::Seen> home = player.Find(kHomePage);
    ASSERT_TRUE(home.has_value()) << walk::DescribeScreen();
    EXPECT_EQ(home->CentreX(), 52);
    EXPECT_EQ(home->CentreY(), 49);
    player.Screenshot("start screen");

    player.CloseWindow();
    EXPECT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

TEST(ExitWalk, TheHomePageButtonOpensTheMakersPage)
{
    ScriptedPlayer player;
    Profile ann = walk::KnownPlayer("Ann", false);
    walk::PutProfile(player, ann);
    player.Launch();
    // On the real back end the address is not handed to a browser.
    if (player.GetBackend() == ScriptedPlayer::Backend::Sdl)
        platform::testing::FailNext("OpenUrl", 0);
    player.Click(kHomePage);
    if (player.GetBackend() == ScriptedPlayer::Backend::Headless) {
        EXPECT_EQ(platform::testing::OpenedUrls(), std::vector<std::string>{Gamespace::kHomePageAddress});
    }
    EXPECT_TRUE(player.IsRunning());
    EXPECT_TRUE(player.Game().GetStartMgr().IsActive());
}

TEST(ExitWalk, ClosingAtTheTableAsksOnceNoPlaysOnAndYesQuits)
{
    ScriptedPlayer player;
    player.Launch();
    SitDownAtATable(player);
    Gamespace::GameMgr& table = *player.Game().GetGameMgr();
    EXPECT_FALSE(player.Sees(kHomePage));
    player.Screenshot("table");

    player.CloseWindow();
    ASSERT_TRUE(player.WaitToSee(kExitQuestion));
    EXPECT_TRUE(table.IsPaused());
    player.Screenshot("exit question");
    player.CloseWindow();
    EXPECT_EQ(ShownExitQuestions(), 1);
    EXPECT_TRUE(player.IsRunning());

    player.Click(kNo);
    EXPECT_FALSE(player.Sees(kExitQuestion));
    EXPECT_FALSE(table.IsPaused());
    EXPECT_TRUE(table.IsActive());
    player.Wait(1000);
    EXPECT_TRUE(player.IsRunning());

    player.CloseWindow();
    ASSERT_TRUE(player.WaitToSee(kExitQuestion));
    player.Click(kYes);
    EXPECT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

TEST(ExitWalk, EscapeAnswersNoAndReturnAnswersYes)
{
    ScriptedPlayer player;
    player.Launch();
    SitDownAtATable(player);
    Gamespace::GameMgr& table = *player.Game().GetGameMgr();

    player.CloseWindow();
    ASSERT_TRUE(player.WaitToSee(kExitQuestion));
    player.Press(platform::VK_ESCAPE);
    EXPECT_FALSE(player.Sees(kExitQuestion));
    EXPECT_FALSE(table.IsPaused());
    EXPECT_TRUE(player.IsRunning());
    // Keys while the question is not shown do nothing.
    player.Press(platform::VK_RETURN);
    EXPECT_TRUE(player.IsRunning());

    player.CloseWindow();
    ASSERT_TRUE(player.WaitToSee(kExitQuestion));
    player.Press(platform::VK_RETURN);
    EXPECT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}
