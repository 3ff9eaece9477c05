// The start screen as a player walks it: the first start asks for a name,
// the options change and survive a restart, the player chooser makes, picks
// and deletes players and refuses a taken name, the version and news lines
// come from the web server and take turns, and a game mode leads to the
// set-up screens. After each step the walk checks what the program keeps:
// the files in "save/", the registry, the module shown.
#include "controls/IButtonVO.h"
#include "controls/ITextBoxVO.h"
#include "game/shell/DeletePlayerDialog.h"
#include "game/shell/ErrorDialog.h"
#include "game/shell/GameImpl.h"
#include "game/shell/NewPlayerDialog.h"
#include "game/shell/NewsFetcher.h"
#include "game/shell/Options.h"
#include "game/shell/OptionsDialog.h"
#include "game/shell/Profile.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ProfilesDialog.h"
#include "game/shell/ProgramInfo.h"
#include "game/shell/RulesDlg.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "kernel/MainApp.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Testing.h"
#include "platform/window/SystemDialogs.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowTesting.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace {

using namespace walk::sights;
using walk::Caption;
using walk::ClickRow;
using walk::Image;
using walk::IsEnabled;
using walk::ScriptedPlayer;
using walk::Sight;

const Sight kError = Caption(Gamespace::ErrorDialog::kMessage).Named("the taken-name message");

// The start screen starts its fetch a moment after it shows (program
// time); from then on the worker and the loopback server run in real time,
// and the walk waits for them with the program's clock standing still.
bool WaitForTheFetch(ScriptedPlayer& player, const std::function<bool()>& condition, const std::string& what)
{
    const Gamespace::NewsFetcher& fetcher = *player.Game().GetStartMgr().GetNewsFetcher();
    return player.WaitUntil([&] { return fetcher.Running() || fetcher.Fetched(); }, ScriptedPlayer::kPromptMs,
                            "the fetch to start") &&
           player.WaitForOtherThread(condition, what);
}

} // namespace

TEST(StartScreenWalk, FirstStartNameOptionsThatSurviveARestartAndAGameMode)
{
    ScriptedPlayer player;
    player.Launch();
    Gamespace::GameImpl& game = player.Game();

    // No player yet: the name is asked for at once, and cannot be skipped.
    ASSERT_TRUE(player.WaitToSee(kNewPlayer));
    EXPECT_EQ(walk::ShownModules(game), "start");
    EXPECT_FALSE(IsEnabled(kCancel));
    EXPECT_FALSE(IsEnabled(kOk));
    EXPECT_TRUE(walk::SavedFiles(player).empty());
    player.Screenshot("first start asks for a name");

    player.Type("Ann");
    EXPECT_TRUE(player.Sees(Caption("Ann")));
    player.Click(kOk);
    EXPECT_FALSE(player.Sees(kNewPlayer));
    ASSERT_TRUE(player.Sees(kChooser));
    // Saved when the name was taken: 59 bytes, the current player.
    EXPECT_EQ(walk::SavedFiles(player), std::vector<std::string>{"Ann_.usr"});
    const std::string ann = walk::ProfileBytes(player, "Ann");
    ASSERT_EQ(ann.size(), 59u);
    EXPECT_EQ(ann.substr(0, 7), std::string("\x01\x01\x00\x00" "Ann", 7));
    EXPECT_EQ(ProfileList::CurrentProfile()->name, "Ann");
    player.Screenshot("the chooser lists Ann");

    player.Click(kOk);
    EXPECT_FALSE(player.Sees(kChooser));
    EXPECT_TRUE(player.Sees(PlayerLine("Ann")));
    EXPECT_FALSE(player.Sees(kCloseButton)) << "a window has its own close box";
    player.Screenshot("start screen");

    // Every option once: the music volume up, the effects down, the speed
    // up, and on to the full screen.
    player.Click(kOptionsButton);
    ASSERT_TRUE(player.Sees(kOptionsDialog));
    EXPECT_TRUE(player.Sees(Caption("20 %")));
    EXPECT_TRUE(player.Sees(Caption("60 %")));
    EXPECT_TRUE(player.Sees(Caption("6")));
    player.Screenshot("options");
    ClickRow(player, kPlus, 0);
    ClickRow(player, kMinus, 1);
    ClickRow(player, kPlus, 2);
    player.Click(kToFullScreen);
    EXPECT_TRUE(player.Sees(Caption("30 %")));
    EXPECT_TRUE(player.Sees(Caption("50 %")));
    EXPECT_TRUE(player.Sees(Caption("7")));
    EXPECT_TRUE(player.Sees(kToWindow));
    EXPECT_FALSE(player.Sees(kToFullScreen));
    EXPECT_FALSE(player.App().isWindowed);
    player.Screenshot("options changed");
    player.Click(kOptionsOk);
    EXPECT_FALSE(player.Sees(kOptionsDialog));
    // In full screen the start screen offers its own close button, and that
    // ends the program, which writes the options.
    ASSERT_TRUE(player.Sees(kCloseButton));
    player.Screenshot("full screen start screen");
    player.Click(kCloseButton);
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\SoundVol"), 30u);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\SoundEffVol"), 50u);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\Speed"), 7u);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\FullScreen"), 1u);
    EXPECT_EQ(walk::SavedFiles(player), std::vector<std::string>{"Ann_.usr"});

    // Started again: Ann is known, the options are as they were left, and
    // the game starts in full screen.
    player.Relaunch();
    Gamespace::GameImpl& again = player.Game();
    EXPECT_TRUE(player.Sees(PlayerLine("Ann")));
    player.Wait(100);
    EXPECT_FALSE(player.Sees(kNewPlayer));
    EXPECT_EQ(Gamespace::GetSoundVolume(), 30);
    EXPECT_EQ(Gamespace::GetSoundEffVolume(), 50);
    EXPECT_EQ(Gamespace::GetGameSpeed(), 7);
    EXPECT_TRUE(Gamespace::IsFullScreenOption());
    EXPECT_FALSE(player.App().isWindowed);
    EXPECT_TRUE(player.Sees(kCloseButton));
    player.Click(kOptionsButton);
    EXPECT_TRUE(player.Sees(Caption("30 %")));
    EXPECT_TRUE(player.Sees(Caption("7")));
    player.Click(kToWindow);
    player.Click(kOptionsOk);
    EXPECT_FALSE(player.Sees(kCloseButton));

    // A game mode is written into the current player and leads on.
    player.Click(kLimit);
    EXPECT_EQ(walk::ShownModules(again), "set-up");
    EXPECT_EQ(ProfileList::CurrentProfile()->gameType, kGameLimit);
    EXPECT_FALSE(player.Sees(kStartScreen));
    player.CloseWindow();
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\FullScreen"), 0u);
}

TEST(StartScreenWalk, TheChooserRefusesATakenNameMakesPicksAndDeletesPlayers)
{
    ScriptedPlayer player;
    Profile ann = walk::KnownPlayer("Ann");
    Profile bob = walk::KnownPlayer("Bob", false);
    walk::PutProfile(player, ann);
    walk::PutProfile(player, bob);
    const std::string annBefore = walk::ProfileBytes(player, "Ann");
    player.Launch();
    ASSERT_TRUE(player.WaitToSee(PlayerLine("Ann")));
    player.Wait(100);
    EXPECT_FALSE(player.Sees(kNewPlayer)) << "known players are not asked for a name";

    player.Click(PlayerLine("Ann"));
    ASSERT_TRUE(player.Sees(kChooser));
    EXPECT_TRUE(player.Sees(Caption("Ann")));
    EXPECT_TRUE(player.Sees(Caption("Bob")));
    player.Screenshot("the chooser with two players");

    // A name already taken (letter case aside) is refused.
    player.Click(kNew);
    ASSERT_TRUE(player.Sees(kNewPlayer));
    EXPECT_TRUE(IsEnabled(kCancel));
    EXPECT_FALSE(IsEnabled(kOk)) << "no name, no OK";
    player.Press(platform::VK_RETURN);
    EXPECT_TRUE(player.Sees(kNewPlayer)) << "Return with no name confirms nothing";
    EXPECT_FALSE(player.Sees(kError));
    player.Type("aNN");
    player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.Sees(kError));
    player.Screenshot("a taken name");
    EXPECT_EQ(walk::SavedFiles(player), (std::vector<std::string>{"Ann_.usr", "Bob_.usr"}));
    EXPECT_EQ(walk::ProfileBytes(player, "Ann"), annBefore);
    player.Click(Caption("Ok"));
    EXPECT_FALSE(player.Sees(kError));
    EXPECT_FALSE(player.Sees(Caption("aNN"))) << "the name is cleared for another try";

    // Blanks and punctuation do not go in; Cid becomes the current player.
    player.Type("C i-d!");
    player.Press(platform::VK_RETURN);
    EXPECT_FALSE(player.Sees(kNewPlayer));
    EXPECT_TRUE(player.Sees(Caption("Cid")));
    EXPECT_EQ(ProfileList::CurrentProfile()->name, "Cid");
    EXPECT_EQ(walk::SavedFiles(player), (std::vector<std::string>{"Ann_.usr", "Bob_.usr", "Cid_.usr"}));

    // Bob is chosen, then deleted; Escape first leaves him be.
    player.Click(Caption("Bob"));
    EXPECT_EQ(ProfileList::CurrentProfile()->name, "Bob");
    player.Click(kDelete);
    ASSERT_TRUE(player.Sees(kDeletePlayer));
    EXPECT_TRUE(player.Sees(Caption("Bob")));
    player.Screenshot("delete Bob?");
    player.Press(platform::VK_ESCAPE);
    EXPECT_FALSE(player.Sees(kDeletePlayer));
    EXPECT_TRUE(player.Sees(kChooser));
    EXPECT_EQ(walk::SavedFiles(player).size(), 3u);
    player.Click(kDelete);
    player.Click(kDelete); // the dialog's, on top
    EXPECT_FALSE(player.Sees(kDeletePlayer));
    EXPECT_FALSE(player.Sees(Caption("Bob")));
    EXPECT_EQ(walk::SavedFiles(player), (std::vector<std::string>{"Ann_.usr", "Cid_.usr"}));
    EXPECT_EQ(ProfileList::CurrentProfile()->name, "Ann") << "the first remaining player";

    player.Press(platform::VK_ESCAPE);
    EXPECT_FALSE(player.Sees(kChooser));
    EXPECT_TRUE(player.Sees(PlayerLine("Ann")));
    player.CloseWindow();
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(walk::SavedFiles(player), (std::vector<std::string>{"Ann_.usr", "Cid_.usr"}));
    EXPECT_EQ(walk::ProfileBytes(player, "Ann")[0], 1) << "Ann is the current player on disk";
    EXPECT_EQ(walk::ProfileBytes(player, "Cid")[0], 0);
}

TEST(StartScreenWalk, DeletingTheLastPlayerAsksForANewOne)
{
    ScriptedPlayer player;
    if (player.GetBackend() == ScriptedPlayer::Backend::Sdl)
        GTEST_SKIP() << "no screen here that the other walks do not show";
    Profile ann = walk::KnownPlayer("Ann");
    walk::PutProfile(player, ann);
    player.Launch();
    player.Click(PlayerLine("Ann"));
    player.Click(kDelete);
    player.Click(kDelete);
    ASSERT_TRUE(player.Sees(kNewPlayer));
    EXPECT_FALSE(IsEnabled(kCancel));
    EXPECT_TRUE(walk::SavedFiles(player).empty());
    player.Type("Dee");
    player.Click(kOk);
    player.Click(kOk);
    EXPECT_TRUE(player.Sees(PlayerLine("Dee")));
    EXPECT_EQ(walk::SavedFiles(player), std::vector<std::string>{"Dee_.usr"});
}

TEST(StartScreenWalk, TheVersionNoteAndTheNewsTakeTurnsAndTheNewsLinkOpens)
{
    platform::testing::LoopbackHttpServer server(
        {platform::testing::LoopbackHttpServer::Reply("HTTP/1.0 200 OK\r\n\r\ngame_ver: 1.6\r\n"),
         platform::testing::LoopbackHttpServer::Reply(
             "HTTP/1.0 200 OK\r\n\r\ntovrelly_text: Spring cup on Friday\r\ntovrelly_link: http://news.example/cup\r\n")});
    ScriptedPlayer player;
    Profile ann = walk::KnownPlayer("Ann");
    walk::PutProfile(player, ann);
    player.ServeWebPagesFrom(server.Url(""));
    player.Launch();
    const Sight note = Caption(Gamespace::kNewVersionText).Named("the version note");
    const Sight news = Caption("Spring cup on Friday").Named("the news line");
    const Gamespace::NewsFetcher& fetcher = *player.Game().GetStartMgr().GetNewsFetcher();
    ASSERT_TRUE(WaitForTheFetch(player, [&] { return fetcher.Fetched(); }, "both pages"));
    ASSERT_TRUE(player.WaitToSee(note));
    EXPECT_EQ(server.Requests().size(), 2u);
    player.Screenshot("the version note");
    ASSERT_TRUE(player.WaitToSee(news, 6000));
    EXPECT_FALSE(player.Sees(note));
    player.Screenshot("the news line");

    if (player.GetBackend() == ScriptedPlayer::Backend::Sdl)
        platform::testing::FailNext("OpenUrl", 0);
    // The line turns every five seconds of the real clock, which a loaded
    // machine's screenshot may take: the news are clicked once they show.
    ASSERT_TRUE(player.WaitToSee(news, 6000));
    player.Click(news);
    if (player.GetBackend() == ScriptedPlayer::Backend::Headless) {
        EXPECT_EQ(platform::testing::OpenedUrls(), std::vector<std::string>{"http://news.example/cup"});
    }
    ASSERT_TRUE(player.WaitToSee(note, 6000));

    // Away from the start screen the line goes; back, it is there again
    // without a second fetch.
    player.Click(kTournaments);
    EXPECT_EQ(walk::ShownModules(player.Game()), "set-up");
    EXPECT_FALSE(player.Sees(note));
    player.Game().GetSetupRulesMgr().OnSetupDone(1);
    EXPECT_TRUE(player.Sees(note));
    EXPECT_EQ(server.Served(), 2);
}

TEST(StartScreenWalk, LeavingTheScreenOrQuittingCancelsAFetchUnderWay)
{
    // The server reads each request and then says nothing for a long while.
    platform::testing::LoopbackHttpServer::Answer stalled;
    stalled.holdOpenMs = 30000;
    platform::testing::LoopbackHttpServer server({stalled, stalled}, 60000);
    ScriptedPlayer player;
    if (player.GetBackend() == ScriptedPlayer::Backend::Sdl)
        GTEST_SKIP() << "no screen here that the other walks do not show";
    Profile ann = walk::KnownPlayer("Ann");
    walk::PutProfile(player, ann);
    player.ServeWebPagesFrom(server.Url(""));
    player.Launch();
    Gamespace::NewsFetcher& fetcher = *player.Game().GetStartMgr().GetNewsFetcher();
    ASSERT_TRUE(WaitForTheFetch(player, [&] { return server.Requests().size() == 1; }, "the version request"));
    EXPECT_TRUE(fetcher.Running());

    player.Click(kLimit);
    EXPECT_FALSE(fetcher.Running()) << "cancelled and joined when the screen was left";
    EXPECT_FALSE(fetcher.Fetched());
    player.Game().GetSetupRulesMgr().OnSetupDone(1);
    ASSERT_TRUE(WaitForTheFetch(player, [&] { return server.Requests().size() == 2; }, "the fetch to start again"));
    EXPECT_TRUE(fetcher.Running());
    EXPECT_EQ(server.Requests()[1], server.Requests()[0]) << "the version page again";

    // Quitting while the worker waits for the silent server: the program
    // ends at once, not when the server gives up.
    player.CloseWindow();
    EXPECT_TRUE(player.WaitForExit());
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10));
}

TEST(StartScreenWalk, TheRulesPageShowsAllItsTextAndOkClosesIt)
{
    // The rules are the in-game menu's page; here it is shown over the start
    // screen to be looked at.
    ScriptedPlayer player;
    Profile ann = walk::KnownPlayer("Ann");
    walk::PutProfile(player, ann);
    player.Launch();
    Gamespace::RulesDlg rules(nullptr);
    rules.Show(true);
    ASSERT_TRUE(player.WaitToSee(kRulesPage));
    EXPECT_TRUE(player.Sees(Caption(Gamespace::RulesDlg::kTitle)));
    EXPECT_FALSE(rules.TextBox()->CanScrollDown()) << "the whole text on its one page";
    player.Screenshot("rules");
    player.Click(kOk);
    EXPECT_FALSE(player.Sees(kRulesPage));
    EXPECT_TRUE(player.Sees(PlayerLine("Ann")));
}
