// Leaving the game while a player cannot be saved, as a player meets it: the
// notice says, in the words of the way the player left, what quits without
// the save, and that way quits: the window closed again (also while the
// notice shows), or the menu's Exit chosen again. The program then ends with
// status 0 and the player's file as it was. Ended by a signal, it asks
// nothing and says that what was not saved is lost. Every notice is written
// to standard error as well. A close that waited for a notice and was then
// answered No is over: no later notice brings the question back.
#include "game/shell/GameImpl.h"
#include "game/shell/MenuDlgImpl.h"
#include "game/shell/PlayerFilesNotice.h"
#include "game/shell/Profile.h"
#include "game/shell/ProfileList.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/table/GameMgr.h"
#include "platform/core/Testing.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowTesting.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>

namespace {

using namespace walk::sights;
using walk::Caption;
using walk::Image;
using walk::PlayedTable;
using walk::ScriptedPlayer;

const walk::Sight kMenuExit = Image(Gamespace::MenuDlgImpl::kExitButton).Named("the menu's Exit");
const walk::Sight kCloseAgain = Caption("Close again to quit without it.");
const walk::Sight kExitAgain = Caption("Choose Exit again to quit without it.");

// Ann, the current player, in a file she has marked read-only: a change to
// her cannot be saved. The file's bytes.
std::string PutReadOnlyAnn(ScriptedPlayer& player)
{
    Profile ann = walk::KnownPlayer("Ann");
    const std::string bytes = walk::PutProfile(player, ann);
    EXPECT_EQ(chmod(walk::ProfilePath(player, "Ann").c_str(), 0444), 0);
    return bytes;
}

// The program started and taken to a limit table with the read-only Ann,
// whose choice of table cannot be saved: that is told as the table opens,
// and read; the dealer is drawn.
void SitDownUnsaved(ScriptedPlayer& player)
{
    player.Launch();
    PlayedTable::ChooseCashTable(*ProfileList::CurrentProfile(), kGameLimit, 4);
    Gamespace::GameImpl& game = player.Game();
    game.OnModuleDone(Gamespace::StartMgr::kModuleId);
    game.GetSetupRulesMgr().OnSetupDone(0);
    ASSERT_TRUE(player.WaitToSee(Caption("It is kept and saved again later.")));
    player.Click(kProblemOk);
    PlayedTable(player).CloseTheDealerDraw();
}

// Ann, whose file can be written, taken to a limit table at the fastest
// speed as the disk fills: the table's opening is told unsaved, and the
// notice is up.
void SitDownAsTheDiskFills(ScriptedPlayer& player)
{
    player.WriteRegistryNumber("Options\\Speed", 10);
    Profile ann = walk::KnownPlayer("Ann");
    walk::PutProfile(player, ann);
    player.Launch();
    platform::testing::FailEveryCall("WriteFileAtomic.Write", ENOSPC);
    PlayedTable::ChooseCashTable(*ProfileList::CurrentProfile(), kGameLimit, 4);
    Gamespace::GameImpl& game = player.Game();
    game.OnModuleDone(Gamespace::StartMgr::kModuleId);
    game.GetSetupRulesMgr().OnSetupDone(0);
    ASSERT_TRUE(player.WaitToSee(Caption("the disk is full.")));
}

void ChooseExitInTheMenu(ScriptedPlayer& player)
{
    player.Click(PlayedTable::kMenuButton);
    ASSERT_TRUE(player.WaitToSee(kMenu));
    player.Click(kMenuExit);
    ASSERT_TRUE(player.WaitToSee(kExitQuestion));
    player.Click(kYes);
}

void EndsWithTheFileAsItWas(ScriptedPlayer& player, const std::string& bytes)
{
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(walk::ProfileBytes(player, "Ann"), bytes);
}

} // namespace

TEST(LeavingUnsavedWalk, TheWindowClosedWhileTheNoticeSaysCloseAgainQuitsWithoutTheSave)
{
    // On the start screen, where a close quits at once.
    {
        ScriptedPlayer player;
        const std::string bytes = PutReadOnlyAnn(player);
        player.Launch();
        ProfileList::CurrentProfile()->announceStages = 0;
        ::testing::internal::CaptureStderr();
        player.CloseWindow();
        const bool told = player.WaitToSee(kCloseAgain);
        const std::string said = ::testing::internal::GetCapturedStderr();
        ASSERT_TRUE(told);
        EXPECT_NE(said.find("Close again to quit without it."), std::string::npos) << said;
        player.Screenshot("close again, on the start screen");
        player.CloseWindow();
        EndsWithTheFileAsItWas(player, bytes);
    }
    // At the table, where the close asks first: the failure was told as
    // the table opened, and the quit's notice is told all the same, on
    // screen and on standard error; the table stays held under it.
    {
        ScriptedPlayer player;
        const std::string bytes = PutReadOnlyAnn(player);
        SitDownUnsaved(player);
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        ::testing::internal::CaptureStderr();
        player.CloseWindow();
        const bool asked = player.WaitToSee(kExitQuestion);
        if (asked)
            player.Click(kYes);
        const bool told = asked && player.WaitToSee(kCloseAgain);
        const std::string said = ::testing::internal::GetCapturedStderr();
        ASSERT_TRUE(told);
        EXPECT_NE(said.find("Close again to quit without it."), std::string::npos) << said;
        EXPECT_TRUE(player.Game().GetGameMgr()->IsPaused()) << "the table went on under the notice";
        player.Screenshot("close again, at the table");
        player.CloseWindow();
        EndsWithTheFileAsItWas(player, bytes);
    }
}

TEST(LeavingUnsavedWalk, LeavingByTheMenusExitSaysToChooseItAgainAndThatQuits)
{
    ScriptedPlayer player;
    const std::string bytes = PutReadOnlyAnn(player);
    SitDownUnsaved(player);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    ::testing::internal::CaptureStderr();
    ChooseExitInTheMenu(player);
    const bool told = player.WaitToSee(kExitAgain);
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(told);
    EXPECT_NE(said.find("Choose Exit again to quit without it."), std::string::npos) << said;
    EXPECT_FALSE(player.Sees(kCloseAgain)) << "the player closed nothing";
    player.Screenshot("choose Exit again");

    // Read: the table goes on; the question asked again and answered No
    // plays on (the Yes before it is over), until Exit is chosen again.
    player.Click(kProblemOk);
    EXPECT_FALSE(player.Sees(kNotice));
    Gamespace::GameMgr& table = *player.Game().GetGameMgr();
    EXPECT_TRUE(player.WaitUntil([&] { return !table.IsPaused(); }, ScriptedPlayer::kPromptMs, "the table going on"));
    player.CloseWindow();
    ASSERT_TRUE(player.WaitToSee(kExitQuestion));
    player.Click(kNo);
    player.Wait(500);
    ASSERT_TRUE(player.IsRunning()) << "No quit the game";
    EXPECT_FALSE(table.IsPaused());
    ChooseExitInTheMenu(player);
    EndsWithTheFileAsItWas(player, bytes);
}

TEST(LeavingUnsavedWalk, ATerminationSignalAsksNothingAndTellsThatWhatWasNotSavedIsLost)
{
    ScriptedPlayer player;
    if (player.GetBackend() == ScriptedPlayer::Backend::Sdl)
        GTEST_SKIP() << "the box would wait for a person; the real program's end under a box is "
                        "ui.TerminationSignalUnderEachBox's";
    const std::string bytes = PutReadOnlyAnn(player);
    player.Launch();
    ProfileList::CurrentProfile()->announceStages = 0;
    ::testing::internal::CaptureStderr();
    platform::testing::RaiseSessionEndSignal(platform::testing::SessionEndSignal::Terminate);
    const bool ended = player.WaitForExit();
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(ended);
    // Nobody is there to leave again: the last save's failure says what
    // becomes of the change, in a box, the game's notice being gone.
    const std::vector<platform::testing::RecordedBox> boxes = player.TakeBoxes();
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(walk::ProfileBytes(player, "Ann"), bytes);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Player files");
    EXPECT_NE(boxes[0].text.find("The player Ann was not saved:"), std::string::npos) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("What was not saved is lost."), std::string::npos) << boxes[0].text;
    EXPECT_NE(said.find("What was not saved is lost."), std::string::npos) << said;
    EXPECT_EQ(said.find("again"), std::string::npos) << said;
}

TEST(LeavingUnsavedWalk, ACloseThatWaitedForANoticeAndWasAnsweredNoIsOverForEveryLaterNotice)
{
    ScriptedPlayer player;
    // The disk fills as the table opens: that is told, and the window is
    // closed while it shows; the question follows it and is answered No.
    SitDownAsTheDiskFills(player);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    Gamespace::GameImpl& game = player.Game();
    player.CloseWindow();
    player.Click(kProblemOk);
    ASSERT_TRUE(player.WaitToSee(kExitQuestion));
    player.Click(kNo);
    PlayedTable table(player);
    table.CloseTheDealerDraw();

    // At the table, a hand's end failing for another reason: its Ok lets
    // the table go on, and asks nothing.
    platform::testing::FailEveryCall("WriteFileAtomic.Write", EDQUOT);
    table.FoldToTheResult();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    ASSERT_TRUE(player.WaitUntil([&] { return player.Sees(Caption("the disk quota is used up.")); },
                                 ScriptedPlayer::kPromptMs, "the hand told unsaved"));
    player.Click(kProblemOk);
    player.Wait(500);
    EXPECT_FALSE(player.Sees(kExitQuestion)) << "the question answered No came back";

    // Away from the table, leaving it failing for yet another reason: the
    // notice's Ok leaves the player on the set-up screen.
    platform::testing::FailEveryCall("WriteFileAtomic.Write", EIO);
    table.CloseResult();
    player.Click(PlayedTable::kMenuButton);
    ASSERT_TRUE(player.WaitToSee(kMenu));
    player.Click(PlayedTable::kLeaveTable);
    ASSERT_TRUE(player.WaitToSee(Caption("the disk could not be written.")));
    EXPECT_TRUE(game.GetSetupRulesMgr().IsActive());
    player.Click(kProblemOk);
    player.Wait(500);
    EXPECT_TRUE(player.IsRunning()) << "the notice's Ok quit the game";
    EXPECT_FALSE(player.Sees(kNotice));
    EXPECT_TRUE(game.GetSetupRulesMgr().IsActive());
    platform::testing::StopFailing("WriteFileAtomic.Write");
    player.CloseWindow();
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

// What the player was told of a quit holds while nothing is saved: once a
// save goes through, a later quit that cannot save is told again.
TEST(LeavingUnsavedWalk, ASaveThatGoesThroughAfterTheQuitWasToldMakesTheNextQuitTellAgain)
{
    ScriptedPlayer player;
    SitDownAsTheDiskFills(player);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    player.Click(kProblemOk);
    PlayedTable table(player);
    table.CloseTheDealerDraw();
    ChooseExitInTheMenu(player);
    ASSERT_TRUE(player.WaitToSee(kExitAgain));
    player.Click(kProblemOk);

    // The disk has room again: the hand's end is saved.
    platform::testing::StopFailing("WriteFileAtomic.Write");
    const std::string before = walk::ProfileBytes(player, "Ann");
    table.FoldToTheResult();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    ASSERT_TRUE(player.WaitUntil([&] { return walk::ProfileBytes(player, "Ann") != before; },
                                 ScriptedPlayer::kPromptMs, "the hand saved"));
    table.CloseResult();

    // Full again, and a change to Ann is not saved at the next hand's end:
    // leaving is told as the first time was, not taken as the leave the
    // player was told of then.
    platform::testing::FailEveryCall("WriteFileAtomic.Write", ENOSPC);
    ProfileList::CurrentProfile()->announceStages = 0;
    table.FoldToTheResult();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    ASSERT_TRUE(player.WaitUntil([&] { return player.Sees(Caption("the disk is full.")); },
                                 ScriptedPlayer::kPromptMs, "the hand told unsaved"));
    player.Click(kProblemOk);
    table.CloseResult();
    ChooseExitInTheMenu(player);
    ASSERT_TRUE(player.WaitToSee(kExitAgain)) << "quit without a word after a save went through";
    EXPECT_TRUE(player.IsRunning());

    // With room again, leaving saves what was kept.
    platform::testing::StopFailing("WriteFileAtomic.Write");
    const std::string unsaved = walk::ProfileBytes(player, "Ann");
    player.Click(kProblemOk);
    ChooseExitInTheMenu(player);
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_NE(walk::ProfileBytes(player, "Ann"), unsaved);
}
