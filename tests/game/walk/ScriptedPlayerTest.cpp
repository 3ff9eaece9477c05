// The scripted player itself: a script takes the same course every time on
// the headless back end, typed text and keys reach the program, what
// could not be drawn as asked, or a click on something the screen does not
// show, fails the walk, and what the program holds is counted.
#include "controls/IEditBoxMsgObserver.h"
#include "controls/IEditBoxVO.h"
#include "controls/IFactory.h"
#include "controls/IFont.h"
#include "controls/IImageVO.h"
#include "game/shell/GameImpl.h"
#include "game/shell/Profile.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "kernel/Kernel.h"
#include "kernel/MainApp.h"
#include "platform/core/Testing.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowTesting.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/ScriptedPlayer.h"
#include "timing/ITimeSystem.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

using walk::ScriptedPlayer;

// To the table, the dealer drawn and announced, and some of the first hand:
// what the screen shows then, object by object.
std::vector<std::string> PlayAWhileAndLook()
{
    ScriptedPlayer player;
    player.Launch();
    player.Game().GetStartMgr().Finish(0);
    player.Game().GetSetupRulesMgr().OnSetupDone(0);
    EXPECT_TRUE(player.WaitToSee(walk::Caption("Close"), 20000));
    player.Click(walk::Caption("Close"));
    player.Wait(30000);
    std::vector<std::string> scene;
    for (const walk::Seen& seen : walk::LookAtScreen())
        scene.push_back(seen.Describe());
    scene.push_back("at " + std::to_string(player.Now()) + " ms");
    return scene;
}

class PrintableOnly : public ControlLibrary::IEditBoxMsgObserver {
public:
    bool AcceptChar(char c) override { return static_cast<unsigned char>(c) >= 32; }
};

// A picture of the game's archives that the factory can show.
ControlLibrary::IImageVO* ShowImage(const std::string& file, ControlLibrary::Rect part)
{
    ControlLibrary::IImageVO* image = KernelLibrary::GetFactory()->CreateImageVO();
    image->SetImage(file, true);
    image->SetSourceRect(part);
    image->SetPosition(300, 300);
    image->SetVisible(true);
    return image;
}

TEST(ScriptedPlayer, OneScriptTakesTheSameCourseOnEveryRun)
{
    if (!platform::IsHeadless())
        GTEST_SKIP() << "the real clock runs as it will";
    const std::vector<std::string> first = PlayAWhileAndLook();
    const std::vector<std::string> second = PlayAWhileAndLook();
    EXPECT_GT(first.size(), 40u);
    EXPECT_EQ(first, second);
}

TEST(ScriptedPlayer, AnImageThatDoesNotLoadFailsTheWalk)
{
    ScriptedPlayer player;
    player.Launch();
    ControlLibrary::IImageVO* image = ShowImage("images/no_such_picture.png", {});
    EXPECT_NONFATAL_FAILURE(player.CheckDrawing(), "Failed to load image: images/no_such_picture.png");
    KernelLibrary::GetFactory()->ReleaseVO(image);
}

TEST(ScriptedPlayer, APartDrawnOffItsImageFailsTheWalk)
{
    ScriptedPlayer player;
    player.Launch();
    // The main pot's picture is 150 x 44.
    ControlLibrary::IImageVO* image = ShowImage("images/main_pot.png", {100, 0, 100, 44});
    player.Wait(100);
    EXPECT_NONFATAL_FAILURE(player.CheckDrawing(), "Image drawn off its bounds: images/main_pot.png");
    KernelLibrary::GetFactory()->ReleaseVO(image);
}

TEST(ScriptedPlayer, TypedCharactersAndKeysReachTheObjectClickedInto)
{
    ScriptedPlayer player;
    // A player known already: no name is asked for over the entry.
    Profile ann = walk::KnownPlayer("Ann", false);
    walk::PutProfile(player, ann);
    player.Launch();
    ControlLibrary::IFactory& factory = *KernelLibrary::GetFactory();
    ControlLibrary::IFont* font = factory.CreateFont();
    font->Load("fonts/a_BosaNova14.txt");
    ControlLibrary::IEditBoxVO* entry = factory.CreateEditBoxVO();
    // As the game's name entries do, it takes no control characters.
    PrintableOnly filter;
    entry->AddEditObserver(&filter);
    entry->SetFont(font);
    entry->SetSize(200, 30);
    entry->SetPosition(400, 400);
    entry->SetLayer(600); // above the start screen
    entry->SetVisible(true);
    player.Wait(100);

    player.ClickAt(500, 415, "the entry");
    player.Type("Ann 7");
    player.Press(platform::VK_BACK);
    std::string text;
    entry->GetText(text);
    EXPECT_EQ(text, "Ann ");
    EXPECT_TRUE(player.Sees(walk::Caption("Ann ")));
    factory.ReleaseVO(entry);
    factory.ReleaseFont(font);
}

TEST(ScriptedPlayer, WhatTheProgramHoldsIsCountedOneByOne)
{
    ScriptedPlayer player;
    player.Launch();
    const ScriptedPlayer::Leftovers before = ScriptedPlayer::CountHeld();
    EXPECT_GT(before.objects, 0u) << "the start screen's";
    ControlLibrary::IImageVO* image = KernelLibrary::GetFactory()->CreateImageVO();
    TimeLibrary::TimeObjectMessageObserver silent;
    TimeLibrary::ITimeObject* timer = KernelLibrary::GetTimeSystem()->CreateTimeObject(&silent, 10, 10);
    ScriptedPlayer::Leftovers more = before;
    ++more.objects;
    ++more.timeObjects;
    EXPECT_EQ(ScriptedPlayer::CountHeld(), more);
    KernelLibrary::GetFactory()->ReleaseVO(image);
    KernelLibrary::GetTimeSystem()->DestroyTimeObject(timer);
    EXPECT_EQ(ScriptedPlayer::CountHeld(), before);
}

// What the start-up writes to the settings (the first run's in-progress
// note, beside the start-up) is written by the time Launch returns: a walk
// that fills the disk next does not meet the start-up, which would tell
// the failure in a box (on the real back end, one that waits for a person).
TEST(ScriptedPlayer, LaunchReturnsOnceTheStartUpHasWrittenItsSettings)
{
    ScriptedPlayer player;
    player.Launch();
    EXPECT_TRUE(player.App().StartWarningsTaken()) << "Launch returned while the start-up still wrote its settings";
    platform::testing::FailEveryCall("WriteFileAtomic.Write", ENOSPC);
    player.Wait(1000);
    platform::testing::StopFailing("WriteFileAtomic.Write");
    player.CheckDrawing();
}

// On the real back end a box of the program waits for a person, whom a walk
// does not have: a box nobody answers (here the settings the start-up could
// not write, the disk being full from the start) holds a wait no longer
// than its deadline and a few seconds. The walk fails naming what it waited
// for, and the program, asked to end as at a session's end, ends; the
// walk's next wait does not ask its condition (which may look at the game)
// of the program that let its game go.
TEST(ScriptedPlayer, ABoxNobodyAnswersHoldsAWaitNoLongerThanItsDeadline)
{
    ScriptedPlayer player;
    if (player.GetBackend() != ScriptedPlayer::Backend::Sdl)
        GTEST_SKIP() << "headless, a box takes its scripted answer at once";
    platform::testing::FailEveryCall("WriteFileAtomic.Write", ENOSPC);
    ::testing::TestPartResultArray failures;
    {
        const ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        player.Launch();
    }
    platform::testing::StopFailing("WriteFileAtomic.Write");
    std::string said;
    for (int i = 0; i < failures.size(); ++i)
        said += failures.GetTestPartResult(i).message() + std::string("\n");
    EXPECT_NE(said.find("waited in vain for the game to start, and its start-up's settings to be written: a step "
                        "of the program had not come back"),
              std::string::npos)
        << said;
    int askedOfTheEndedProgram = 0;
    {
        ::testing::TestPartResultArray waited;
        const ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &waited);
        player.WaitUntil(
            [&] {
                askedOfTheEndedProgram += player.IsRunning() ? 0 : 1;
                return false;
            },
            ScriptedPlayer::kPromptMs, "the dealer draw");
    }
    EXPECT_FALSE(player.IsRunning()) << "the program asked to end did not end";
    EXPECT_EQ(askedOfTheEndedProgram, 0) << "a wait asked its condition of the program the watch ended";
    EXPECT_EQ(player.Finish(), 0);
}

// Each run of the program in the walk's process starts as a new process
// does: a termination signal asks it to end, whatever an earlier run was
// asked to end by (a second signal of a kind in one run ends it at once).
TEST(ScriptedPlayer, EachRunIsAskedToEndByItsFirstTerminationSignal)
{
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ScriptedPlayer player;
        player.Launch();
        platform::testing::RaiseSessionEndSignal(platform::testing::SessionEndSignal::Terminate);
        ASSERT_TRUE(player.WaitForExit());
        EXPECT_EQ(player.Finish(), 0);
    }
}

TEST(ScriptedPlayer, AClickOnWhatTheScreenDoesNotShowFailsWithWhatItShows)
{
    ScriptedPlayer player;
    player.Launch();
    EXPECT_NONFATAL_FAILURE(player.Click(walk::Caption("Deal me in")),
                            "cannot click \"Deal me in\": the screen shows:\n  button #");
}

} // namespace
