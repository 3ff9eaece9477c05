// The player's files as a player meets them: kept in the player's own data
// folder (what an earlier build left beside the program taken over once,
// nothing lost), saved as the game goes with every failed save and delete
// told on screen (a delete refused again told again) and nothing lost once
// the disk takes writes again, and left as they are while a demo plays back.
#include "game/shell/ErrorDialog.h"
#include "game/shell/FinishDlgImpl.h"
#include "game/shell/GameImpl.h"
#include "game/shell/Options.h"
#include "game/shell/PlayerFilesNotice.h"
#include "game/shell/Profile.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/table/GameMgr.h"
#include "game/table/PlayerHuman.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Testing.h"
#include "platform/window/VirtualKeys.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PlatformTesting.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>

namespace {

using namespace walk::sights;
using walk::Caption;
using walk::Image;
using walk::PlayedTable;
using walk::ScriptedPlayer;

// Sit & Go P: ten players.
constexpr uint16_t kSitAndGoP = 5;


// Saves `profile` beside the program, where an earlier build kept players.
std::string PutProfileBesideTheProgram(const ScriptedPlayer& player, Profile& profile)
{
    const std::string folder = player.ProgramFolder() + "/save/";
    EXPECT_TRUE(platform::MakeDirectories(folder));
    const std::string previous = ProfileFolder();
    SetProfileFolder(folder);
    EXPECT_TRUE(SaveProfile(profile));
    SetProfileFolder(previous);
    std::string bytes;
    EXPECT_TRUE(platform::ReadWholeFile(folder + profile.name + "_.usr", &bytes));
    return bytes;
}

std::string Launched(ScriptedPlayer& player, bool again)
{
    ::testing::internal::CaptureStderr();
    again ? player.Relaunch() : player.Launch();
    return ::testing::internal::GetCapturedStderr();
}

void Quit(ScriptedPlayer& player)
{
    player.CloseWindow();
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

// Every file under `folder` with its bytes and the time it was last written.
std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> FilesUnder(const std::string& folder)
{
    std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        std::string bytes;
        platform::ReadWholeFile(entry.path().string(), &bytes);
        files[entry.path().string()] = {bytes, entry.last_write_time()};
    }
    return files;
}

// The lines the notice shows, top to bottom, joined by blanks.
std::string NoticeText(const ScriptedPlayer& player)
{
    const std::optional<walk::Seen> notice = player.Find(Image(Gamespace::PlayerFilesNotice::kBackground));
    if (!notice)
        return "(no notice)";
    std::vector<walk::Seen> lines;
    for (const walk::Seen& seen : walk::LookAtScreen()) {
        const ControlLibrary::Rect& a = seen.area;
        if (seen.kind == "text" && !seen.caption.empty() && a.x >= notice->area.x && a.y >= notice->area.y &&
            a.x + a.w <= notice->area.x + notice->area.w && a.y + a.h <= notice->area.y + notice->area.h)
            lines.push_back(seen);
    }
    std::sort(lines.begin(), lines.end(), [](const walk::Seen& a, const walk::Seen& b) { return a.area.y < b.area.y; });
    std::string text;
    for (const walk::Seen& line : lines)
        text += (text.empty() ? "" : " ") + line.caption;
    return text;
}

// Ann, the current player, and Bob, with the player chooser open.
void LaunchToTheChooserWithAnnAndBob(ScriptedPlayer& player)
{
    Profile ann = walk::KnownPlayer("Ann");
    Profile bob = walk::KnownPlayer("Bob", false);
    walk::PutProfile(player, ann);
    walk::PutProfile(player, bob);
    player.Launch();
    player.Click(PlayerLine("Ann"));
    ASSERT_TRUE(player.Sees(kChooser));
}

} // namespace

TEST(PlayerFilesWalk, PlayersLeftBesideTheProgramAreTakenOverOnceAndNoneIsLost)
{
    ScriptedPlayer player;
    // As an earlier build left them: Ann and Bob beside the program; and a
    // Bob this build made in the player's own folder.
    Profile ann = walk::KnownPlayer("Ann");
    Profile bobBeside = walk::KnownPlayer("Bob", false);
    bobBeside.computerStyle = 1;
    const std::string annBytes = PutProfileBesideTheProgram(player, ann);
    const std::string bobBesideBytes = PutProfileBesideTheProgram(player, bobBeside);
    Profile bob = walk::KnownPlayer("Bob", false);
    bob.computerStyle = 2;
    const std::string bobBytes = walk::PutProfile(player, bob);
    // And a file of the player's own there, which is no profile.
    const std::string notes = player.ProgramFolder() + "/save/notes.txt";
    platform::testing::WriteTestFile(notes, "the player's notes");

    const std::string said = Launched(player, false);
    EXPECT_NE(said.find("save/Ann_.usr (beside the program) was moved to " + walk::ProfilePath(player, "Ann")),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("kept as " + walk::ProfilePath(player, "Bob") + ".earlier"), std::string::npos) << said;
    // The player reads why the Bob beside the program is not the one played.
    ASSERT_TRUE(player.Sees(Caption("Bob_.usr of an earlier build was kept aside:")));
    EXPECT_TRUE(player.Sees(Caption("It was kept as Bob_.usr.earlier.")));
    player.Screenshot("an earlier build's player kept aside");
    player.Press(platform::VK_RETURN);
    EXPECT_FALSE(player.Sees(Caption("It was kept as Bob_.usr.earlier.")));
    ASSERT_EQ(ProfileList::Instance()->Count(), 2u);
    EXPECT_EQ(ProfileList::CurrentProfile()->name, "Ann");
    ASSERT_NE(ProfileList::Instance()->FindByName("Bob"), nullptr);
    EXPECT_EQ(ProfileList::Instance()->FindByName("Bob")->computerStyle, 2u) << "the player's own Bob";
    EXPECT_EQ(walk::SavedFiles(player), (std::vector<std::string>{"Ann_.usr", "Bob_.usr", "Bob_.usr.earlier"}));
    EXPECT_EQ(walk::ProfileBytes(player, "Ann"), annBytes);
    std::string kept;
    EXPECT_TRUE(platform::ReadWholeFile(walk::ProfilePath(player, "Bob") + ".earlier", &kept));
    EXPECT_EQ(kept, bobBesideBytes);
    EXPECT_EQ(platform::testing::ReadTestFile(notes), "the player's notes") << "only profiles are taken over";
    EXPECT_FALSE(platform::FileExists(player.DataFolder() + "/save/notes.txt"));
    Quit(player);
    EXPECT_EQ(walk::ProfileBytes(player, "Bob"), bobBytes);

    // Once: the next start finds nothing to take over, and says nothing.
    EXPECT_EQ(Launched(player, true).find("beside the program"), std::string::npos);
    EXPECT_EQ(ProfileList::Instance()->Count(), 2u);
    Quit(player);
}

TEST(PlayerFilesWalk, AnUnwritableSaveFolderThenAFullDiskAreToldAndNothingIsLostOnceItIsWritable)
{
    ScriptedPlayer player;
    player.WriteRegistryNumber("Options\\Speed", 10);
    player.Launch();
    // A save folder the program may not write: the platform's hook, since
    // whoever runs the test may write any folder (set once the program has
    // started, which keeps its settings, whose failure is told otherwise).
    platform::testing::FailEveryCall("WriteFileAtomic.Open", EACCES);

    // The first player, named on a machine where nothing can be saved: told,
    // and still a player.
    ASSERT_TRUE(player.WaitToSee(kNewPlayer));
    player.Type("Ann");
    player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.Sees(Caption("The player Ann was not saved:")));
    EXPECT_TRUE(player.Sees(Caption("the folder cannot be written.")));
    EXPECT_TRUE(player.Sees(Caption("It is kept and saved again later.")));
    player.Screenshot("a new player not saved");
    player.Click(kProblemOk);
    EXPECT_FALSE(player.Sees(Caption("The player Ann was not saved:")));
    EXPECT_TRUE(player.Sees(kChooser));
    EXPECT_TRUE(player.Sees(Caption("Ann")));
    EXPECT_TRUE(walk::SavedFiles(player).empty());
    player.Click(kOk);

    // Then the disk is full: the tournament entered is told unsaved; its
    // first hand, failing the same way, is not told again (the hand's result
    // stands), the next, failing for another reason, is.
    platform::testing::StopFailing("WriteFileAtomic.Open");
    platform::testing::FailEveryCall("WriteFileAtomic.Write", ENOSPC);
    Profile& ann = *ProfileList::CurrentProfile();
    PlayedTable::EnterTournament(ann, kSitAndGoP, 10, 1);
    Gamespace::GameImpl& game = player.Game();
    game.OnModuleDone(Gamespace::StartMgr::kModuleId);
    game.GetSetupRulesMgr().OnSetupDone(0);
    ASSERT_TRUE(player.Sees(Caption("Ann's tournament was not saved:")));
    EXPECT_TRUE(player.Sees(Caption("the disk is full.")));
    player.Screenshot("a tournament not saved on a full disk");
    player.Click(kProblemOk);
    PlayedTable table(player);
    table.CloseTheDealerDraw();
    table.FoldToTheResult();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    EXPECT_FALSE(player.Sees(Caption("Ann's tournament was not saved:")));
    platform::testing::FailEveryCall("WriteFileAtomic.Write", EDQUOT);
    table.CloseResult();
    table.FoldToTheResult();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    ASSERT_TRUE(player.WaitUntil([&] { return player.Sees(Caption("Ann's tournament was not saved:")); },
                                 ScriptedPlayer::kPromptMs, "the hand told unsaved"));
    EXPECT_TRUE(player.Sees(Caption("the disk quota is used up.")));
    player.Screenshot("a hand not saved on a full disk");
    EXPECT_TRUE(walk::SavedFiles(player).empty());
    // The notice holds the table, the tournament's level clock too.
    const Gamespace::GameMgr& mgr = *game.GetGameMgr();
    const uint32_t clock = mgr.GetLevelSecondsLeft();
    ASSERT_GT(clock, 5u);
    player.Wait(3000);
    EXPECT_EQ(mgr.GetLevelSecondsLeft(), clock) << "the level clock ran on under the notice";
    player.Screenshot("the clock held under the notice");

    // Room again: Return closes the notice, the clock goes on, and the next
    // hand's end saves everything that was kept.
    platform::testing::StopFailing("WriteFileAtomic.Write");
    player.Press(platform::VK_RETURN);
    EXPECT_FALSE(player.Sees(Caption("Ann's tournament was not saved:")));
    EXPECT_TRUE(player.WaitUntil([&] { return mgr.GetLevelSecondsLeft() < clock; }, ScriptedPlayer::kPromptMs,
                                 "the level clock going on"));
    table.CloseResult();
    table.FoldToTheResult();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    EXPECT_FALSE(player.Sees(Caption("Ann's tournament was not saved:")));
    ASSERT_EQ(walk::SavedFiles(player), std::vector<std::string>{"Ann_.usr"});
    std::unique_ptr<Profile> onDisk = walk::ProfileOnDisk(player, "Ann");
    ASSERT_EQ(onDisk->savedGames.size(), 1u);
    EXPECT_EQ(onDisk->savedGames[0]->tournamentId, kSitAndGoP);
    EXPECT_DOUBLE_EQ(onDisk->savedGames[0]->startChips, std::trunc(table.Human().GetChips()))
        << "the human's chips as the hand left them";
    table.LeaveGame();
}

TEST(PlayerFilesWalk, AtTheTableTheNoticeLeavesTheHandsResultInSightAndTheExitQuestionFollowsIt)
{
    ScriptedPlayer player;
    walk::SitAnnAtATournament(player, kSitAndGoP);
    PlayedTable table(player);
    table.CloseTheDealerDraw();
    ASSERT_FALSE(player.Sees(kProblemOk)) << "the tournament was saved as it was entered";

    // The disk fills during the hand: its end is told unsaved with its result.
    platform::testing::FailEveryCall("WriteFileAtomic.Write", ENOSPC);
    table.FoldToTheResult();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    ASSERT_TRUE(player.WaitUntil([&] { return player.Sees(Caption("Ann's tournament was not saved:")); },
                                 ScriptedPlayer::kPromptMs, "the hand told unsaved"));
    player.Screenshot("the notice over the hand's result");
    const std::optional<walk::Seen> notice = player.Find(Image(Gamespace::PlayerFilesNotice::kBackground));
    const std::optional<walk::Seen> result = player.Find(Image(Gamespace::FinishDlgImpl::kBackground));
    ASSERT_TRUE(notice && result);
    EXPECT_LE(notice->area.y + notice->area.h, result->area.y) << "the notice covers the hand's result";

    // Closing the window asks only once the notice is read.
    player.CloseWindow();
    player.Wait(500);
    ASSERT_FALSE(player.Sees(kExitQuestion)) << "the question stands over the notice";
    EXPECT_TRUE(player.Sees(kProblemOk));
    platform::testing::StopFailing("WriteFileAtomic.Write");
    player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.WaitToSee(kExitQuestion));
    EXPECT_FALSE(player.Sees(kProblemOk));
    player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

TEST(PlayerFilesWalk, SettingsThatCannotBeKeptAreToldWithTheirWholeReasonInAWindowAndInFullScreen)
{
    for (const bool fullScreen : {false, true}) {
        SCOPED_TRACE(fullScreen ? "full screen" : "window");
        ScriptedPlayer player;
        Profile ann = walk::KnownPlayer("Ann");
        walk::PutProfile(player, ann);
        if (fullScreen)
            player.WriteRegistryNumber("Options\\FullScreen", 1);
        player.Launch();
        ASSERT_TRUE(player.WaitToSee(PlayerLine("Ann")));
        // Past the start, whose problems are told in a box.
        player.Wait(1000);
        // The settings file became a folder since the start; its long path
        // leaves little room for the reason.
        const std::string settings = player.DataFolder() + "/../../config/pellucor/registry.txt";
        std::filesystem::remove(settings);
        ASSERT_TRUE(std::filesystem::create_directory(settings));
        Gamespace::SaveOptions();
        ASSERT_TRUE(player.WaitToSee(Caption("The settings could not be kept as they should be:")));
        const std::string told = NoticeText(player);
        EXPECT_NE(told.find("registry.txt"), std::string::npos) << told;
        EXPECT_NE(told.find("nothing was replaced"), std::string::npos) << told;
        EXPECT_NE(told.find("the change was not saved."), std::string::npos) << told;
        EXPECT_EQ(told.find("..."), std::string::npos) << told;
        player.Screenshot("settings not kept");
        player.Press(platform::VK_RETURN);
        EXPECT_FALSE(player.Sees(kProblemOk));
        std::filesystem::remove(settings);
        Quit(player);
    }
}

TEST(PlayerFilesWalk, WhenTheOnlyProfileIsDamagedTheNoticeSaysSoBeforeANewPlayerIsAskedFor)
{
    ScriptedPlayer player;
    walk::PutProfileBytes(player, "Bob", "not a profile at all");
    player.Launch();
    ASSERT_TRUE(player.WaitToSee(Caption("The profile Bob_.usr was not loaded:")));
    // The chooser is due at once; it waits for the notice.
    player.Wait(1000);
    player.Screenshot("a damaged profile told at the start");
    EXPECT_FALSE(player.Sees(kNewPlayer)) << "the new player is asked for over the notice";
    const std::optional<walk::Seen> ok = player.Find(kProblemOk);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok->enabled);
    player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.WaitToSee(kNewPlayer));
    EXPECT_FALSE(player.Sees(kProblemOk));
    player.Type("Ann");
    player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.WaitToSee(kChooser));
    // Closed, the chooser stays closed: it waited for the notice once.
    player.Click(kOk);
    player.Wait(1000);
    EXPECT_FALSE(player.Sees(kChooser)) << "the chooser opened again";
    EXPECT_TRUE(player.Sees(PlayerLine("Ann")));
    Quit(player);
}

TEST(PlayerFilesWalk, QuittingWhileAPlayerCannotBeSavedTellsItAndQuitsOnlyWhenClosedAgain)
{
    ScriptedPlayer player;
    Profile ann = walk::KnownPlayer("Ann");
    walk::PutProfile(player, ann);
    player.Launch();
    ProfileList::CurrentProfile()->announceStages = 0;
    platform::testing::FailEveryCall("WriteFileAtomic.Write", ENOSPC);
    player.CloseWindow();
    ASSERT_TRUE(player.Sees(Caption("The player Ann was not saved:")));
    EXPECT_TRUE(player.Sees(Caption("the disk is full.")));
    EXPECT_TRUE(player.Sees(Caption("Close again to quit without it.")));
    EXPECT_TRUE(player.IsRunning());
    player.Screenshot("quitting with a player not saved");
    player.Click(kProblemOk);

    // Room made meanwhile: the second close quits, and the change is kept.
    platform::testing::StopFailing("WriteFileAtomic.Write");
    Quit(player);
    EXPECT_EQ(walk::ProfileBytes(player, "Ann")[1], 0);
}

TEST(PlayerFilesWalk, APlayerWhoseFileCannotBeDeletedStaysAndThePlayerIsToldWhyBeforeAnythingElse)
{
    ScriptedPlayer player;
    LaunchToTheChooserWithAnnAndBob(player);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    player.Click(Caption("Bob"));

    // A folder that may not be written: the file stays, and the saves of
    // the chooser that follow (Bob became the current player) fail too.
    platform::testing::FailEveryCall("DeleteFile", EACCES);
    platform::testing::FailEveryCall("WriteFileAtomic.Open", EACCES);
    player.Click(kDelete);
    ASSERT_TRUE(player.Sees(kDeletePlayer));
    player.Click(kDelete); // the dialog's, on top
    ASSERT_TRUE(player.Sees(Caption("The player Bob was not deleted:")));
    EXPECT_TRUE(player.Sees(Caption("the folder cannot be written.")));
    EXPECT_TRUE(player.Sees(Caption("Bob stays a player, the file as it is.")));
    player.Screenshot("a player not deleted");
    // Then what was not saved.
    player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.Sees(Caption("The players Ann and Bob were not saved:")));
    player.Click(kProblemOk);
    EXPECT_FALSE(player.Sees(kProblemOk));
    EXPECT_TRUE(player.Sees(Caption("Bob")));
    EXPECT_EQ(ProfileList::CurrentProfile()->name, "Bob");
    EXPECT_EQ(walk::SavedFiles(player), (std::vector<std::string>{"Ann_.usr", "Bob_.usr"}));

    // Once the file can go, the player goes with it.
    platform::testing::StopFailing("DeleteFile");
    platform::testing::StopFailing("WriteFileAtomic.Open");
    player.Click(kDelete);
    player.Click(kDelete);
    EXPECT_FALSE(player.Sees(Caption("Bob")));
    EXPECT_EQ(walk::SavedFiles(player), std::vector<std::string>{"Ann_.usr"});
    player.Press(platform::VK_ESCAPE);
    Quit(player);
}

TEST(PlayerFilesWalk, ADeleteRefusedAgainAfterItsNoticeWasReadIsToldAgain)
{
    ScriptedPlayer player;
    LaunchToTheChooserWithAnnAndBob(player);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    platform::testing::FailEveryCall("DeleteFile", EACCES);
    // (Standard error is looked at once the walk is back, whatever it met.)
    ::testing::internal::CaptureStderr();
    int told = 0;
    for (int asked = 1; asked <= 2 && told == asked - 1; ++asked) {
        player.Click(kDelete);
        if (!player.Sees(kDeletePlayer))
            break;
        player.Click(kDelete); // the dialog's, on top
        if (!player.Sees(Caption("The player Ann was not deleted:")))
            break;
        ++told;
        player.Click(kProblemOk);
        EXPECT_FALSE(player.Sees(kProblemOk));
    }
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(told, 2) << "each refused delete shown";
    const size_t first = said.find("The player Ann was not deleted:");
    ASSERT_NE(first, std::string::npos) << said;
    EXPECT_NE(said.find("The player Ann was not deleted:", first + 1), std::string::npos) << "said once: " << said;
    platform::testing::StopFailing("DeleteFile");
    EXPECT_EQ(walk::SavedFiles(player), (std::vector<std::string>{"Ann_.usr", "Bob_.usr"}));
    player.Press(platform::VK_ESCAPE);
    Quit(player);
}

TEST(PlayerFilesWalk, AProfileThePlayerMayOnlyReadIsPlayedAndItsFailedSavesAreTold)
{
    ScriptedPlayer player;
    player.WriteRegistryNumber("Options\\Speed", 10);
    Profile ann = walk::KnownPlayer("Ann");
    const std::string annBytes = walk::PutProfile(player, ann);
    // Another user's file in another user's folder, as a run with sudo
    // leaves them: the platform's hook, since whoever runs the test may
    // write both.
    platform::testing::FailEveryCall("OpenFile.Write", EACCES);
    player.Launch();
    // (Once started: the settings it keeps at its start are told otherwise.)
    platform::testing::FailEveryCall("WriteFileAtomic.Open", EACCES);
    ASSERT_TRUE(player.WaitToSee(PlayerLine("Ann")));
    EXPECT_FALSE(player.Sees(kNewPlayer));
    EXPECT_FALSE(player.Sees(kProblemOk)) << "nothing to tell before anything changed";
    player.Screenshot("a player who may only be read");

    // Entering a tournament changes the player: not saved, and told so.
    PlayedTable::EnterTournament(*ProfileList::CurrentProfile(), kSitAndGoP, 10, 1);
    Gamespace::GameImpl& game = player.Game();
    game.OnModuleDone(Gamespace::StartMgr::kModuleId);
    game.GetSetupRulesMgr().OnSetupDone(0);
    ASSERT_TRUE(player.Sees(Caption("Ann's tournament was not saved:")));
    EXPECT_TRUE(player.Sees(Caption("the folder cannot be written.")));
    player.Screenshot("a read-only player's tournament not saved");
    player.Press(platform::VK_RETURN);
    PlayedTable table(player);
    table.CloseTheDealerDraw();
    table.FoldToTheResult();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    // Where the hand's end is told unsaved too, that is read first.
    if (player.Sees(kProblemOk))
        player.Click(kProblemOk);
    EXPECT_EQ(walk::ProfileBytes(player, "Ann"), annBytes);
    EXPECT_EQ(walk::SavedFiles(player), std::vector<std::string>{"Ann_.usr"});
    platform::testing::StopFailing("WriteFileAtomic.Open");
    table.LeaveGame();
}

TEST(PlayerFilesWalk, PlayingADemoBackLeavesEveryFileOfThePlayerAsItWas)
{
    ScriptedPlayer player;
    if (player.GetBackend() == ScriptedPlayer::Backend::Sdl)
        GTEST_SKIP() << "the recorded input is the headless run's";
    Profile ann = walk::KnownPlayer("Ann");
    walk::PutProfile(player, ann);

    // The run recorded: Bob is made in the chooser.
    player.SetOptions({"-record"});
    player.Launch();
    player.Click(PlayerLine("Ann"));
    player.Click(kNew);
    ASSERT_TRUE(player.Sees(kNewPlayer));
    player.Type("Bob");
    player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.Sees(Caption("Bob")));
    player.Click(kOk);
    Quit(player);
    ASSERT_EQ(walk::SavedFiles(player), (std::vector<std::string>{"Ann_.usr", "Bob_.usr"}));
    const std::string demo = player.DataFolder() + "/zoltapp.dmo";
    ASSERT_TRUE(platform::FileExists(demo));

    // The player's files as they stand before the playback: Bob deleted by
    // hand since, and another demo kept beside the one played.
    ASSERT_TRUE(platform::DeleteFile(walk::ProfilePath(player, "Bob")));
    std::string demoBytes;
    ASSERT_TRUE(platform::ReadWholeFile(demo, &demoBytes));
    ASSERT_TRUE(platform::WriteFileAtomic(player.DataFolder() + "/kept.dmo", demoBytes));
    const std::string config = player.DataFolder() + "/../../config";
    const auto dataBefore = FilesUnder(player.DataFolder());
    const auto configBefore = FilesUnder(config);
    ASSERT_FALSE(configBefore.empty()) << "the settings";

    player.SetOptions({"-play"});
    player.Relaunch();
    ASSERT_TRUE(player.WaitForExit(60000)) << "the played run ends with its recorded close";
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_TRUE(FilesUnder(player.DataFolder()) == dataBefore) << "a profile or demo was written";
    EXPECT_TRUE(FilesUnder(config) == configBefore) << "the settings were written";
    EXPECT_FALSE(platform::FileExists(walk::ProfilePath(player, "Bob")));
}
