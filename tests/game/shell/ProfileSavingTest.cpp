// Saving the players as the game goes: every failed save told to the player
// with its true reason, once until saved again or failing otherwise, the
// profiles kept for the next save, an unchanged profile never rewritten; and
// no file written, moved or removed while writes are held for a demo.
#include "game/shell/ProfileSaving.h"

#include "tests/game/shell/ProfileTestSupport.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <functional>

namespace {

class ProfileSaving : public ProfileFolderTest {
protected:
    ToldLines player_;
};

} // namespace

TEST_F(ProfileSaving, AFailedSaveIsToldOnceUntilItSucceedsOrFailsForAnotherReason)
{
    AddActiveProfile("Ann");
    AddActiveProfile("Bob");
    platform::testing::FailEveryCall("WriteFileAtomic.Write", ENOSPC);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 2u);
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 2u);
    const std::string failing = ::testing::internal::GetCapturedStderr();
    // The table saves after every hand: what was told holds it once, not
    // at each hand.
    ASSERT_EQ(player_.told.size(), 1u);
    EXPECT_EQ(player_.told[0], (std::vector<std::string>{"The players Ann and Bob were not saved:",
                                                         "the disk is full.", "They are kept and saved again later."}));
    const size_t first = failing.find("The players Ann and Bob were not saved");
    ASSERT_NE(first, std::string::npos) << failing;
    EXPECT_EQ(failing.find("The players", first + 1), std::string::npos) << "said once: " << failing;
    EXPECT_NE(failing.find("save/Ann_.usr: No space left on device"), std::string::npos) << failing;
    EXPECT_FALSE(platform::FileExists("save/Ann_.usr"));

    // Room again: both are written as they are now, and that is said.
    platform::testing::StopFailing("WriteFileAtomic.Write");
    ProfileList::Instance()->FindByName("Bob")->computerStyle = 3;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    const std::string recovered = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(player_.told.size(), 1u);
    EXPECT_NE(recovered.find("save/Bob_.usr': saved again."), std::string::npos) << recovered;
    Profile bob;
    ASSERT_TRUE(LoadProfile(bob, "save/Bob_.usr"));
    EXPECT_EQ(bob.computerStyle, 3u);
    // Said once: the next saves are plain saves.
    ProfileList::Instance()->FindByName("Bob")->computerStyle = 1;
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(SaveCurrentProfile());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    // The same trouble later is news again; the same file failing for the
    // same reason while the game goes on is not, whatever it holds now.
    platform::testing::FailEveryCall("WriteFileAtomic.Write", ENOSPC);
    for (const char* name : {"Ann", "Bob"})
        ProfileList::Instance()->FindByName(name)->announceStages = 0;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 2u);
    ProfileList::Instance()->FindByName("Ann")->savedGames.push_back(std::make_unique<SavedGame>());
    ProfileList::Instance()->FindByName("Ann")->savedGames.back()->inUse = 1;
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 2u);
    const std::string again = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(again.find("The players Ann and Bob were not saved"), std::string::npos) << again;
    EXPECT_EQ(again.find("were not saved"), again.rfind("were not saved")) << again;
    EXPECT_EQ(player_.told.size(), 2u);
    // Another reason is news.
    platform::testing::FailEveryCall("WriteFileAtomic.Write", EDQUOT);
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 2u);
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 2u);
    ASSERT_EQ(player_.told.size(), 3u);
    EXPECT_EQ(player_.told.back()[1], "the disk quota is used up.");
    platform::testing::FailEveryCall("WriteFileAtomic.Write", ENOSPC);

    // One player at a cash table, with a tournament held for later: what
    // is lost is the player's; in the tournament, the tournament.
    ProfileList::Instance()->Remove(ProfileList::Instance()->FindByName("Bob")).reset();
    Profile& ann = *ProfileList::CurrentProfile();
    ann.savedGames.back()->current = 1;
    ann.gameType = kGameLimit;
    ann.computerStyle = 2;
    EXPECT_FALSE(SaveCurrentProfile());
    EXPECT_EQ(player_.told.back(), (std::vector<std::string>{"The player Ann was not saved:", "the disk is full.",
                                                             "It is kept and saved again later."}));
    ann.gameType = kGameNoLimitTournament;
    ann.computerStyle = 3;
    platform::testing::StopFailing("WriteFileAtomic.Write");
    ASSERT_TRUE(SaveCurrentProfile());
    platform::testing::FailEveryCall("WriteFileAtomic.Write", ENOSPC);
    ann.computerStyle = 1;
    EXPECT_FALSE(SaveCurrentProfile());
    EXPECT_EQ(player_.told.back(), (std::vector<std::string>{"Ann's tournament was not saved:", "the disk is full.",
                                                             "It is kept and saved again later."}));
    // The last save at the end tells only what was not told.
    const size_t told = player_.told.size();
    EXPECT_EQ(SaveAllProfiles(*ProfileList::Instance(), SaveRetry::Never), 1u);
    EXPECT_EQ(player_.told.size(), told);
    platform::testing::FailEveryCall("WriteFileAtomic.Write", EIO);
    EXPECT_EQ(SaveAllProfiles(*ProfileList::Instance(), SaveRetry::Never), 1u);
    ASSERT_EQ(player_.told.size(), told + 1);
    EXPECT_EQ(player_.told.back().back(), "What was not saved is lost.");
}

TEST_F(ProfileSaving, EachFailureIsToldWithItsOwnReason)
{
    // A data folder that cannot be made (a home the player may not write).
    ASSERT_TRUE(platform::DeleteTree("save"));
    AddActiveProfile("Ann");
    platform::testing::FailEveryCall("MakeDirectories", EACCES);
    EXPECT_FALSE(SaveCurrentProfile());
    ASSERT_EQ(player_.told.size(), 1u);
    EXPECT_EQ(player_.told[0], (std::vector<std::string>{"The player Ann was not saved:",
                                                         "the folder may not be made there.",
                                                         "It is kept and saved again later."}));
    platform::testing::StopFailing("MakeDirectories");

    // A delete refused, in a folder where saves fail as well: the player
    // hears that the player was not deleted, not that a save failed.
    ASSERT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    platform::testing::FailEveryCall("DeleteFile", EACCES);
    platform::testing::FailEveryCall("WriteFileAtomic.Open", EACCES);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(DeleteCurrentProfile());
    const std::string said = ::testing::internal::GetCapturedStderr();
    SaveAllProfiles(ProfileList::Instance());
    ASSERT_EQ(player_.told.size(), 2u);
    EXPECT_EQ(player_.told[1], (std::vector<std::string>{"The player Ann was not deleted:",
                                                         "the folder cannot be written.",
                                                         "Ann stays a player, the file as it is."}));
    EXPECT_NE(said.find("(delete save/Ann_.usr: Permission denied)"), std::string::npos) << said;
    EXPECT_TRUE(platform::FileExists("save/Ann_.usr"));
    // Asked again, told again; a file the player may not even read is
    // there all the same, and so is the player.
    platform::testing::FailEveryCall("OpenFile", EACCES);
    EXPECT_FALSE(DeleteCurrentProfile());
    EXPECT_EQ(player_.told.size(), 3u);
    EXPECT_NE(ProfileList::Instance()->FindByName("Ann"), nullptr);
    EXPECT_TRUE(platform::FileExists("save/Ann_.usr"));
}

TEST_F(ProfileSaving, AFileMarkedReadOnlyKeepsItsBytesAndAFileThatCannotBeReadIsToldSo)
{
    Profile& ann = AddActiveProfile("Ann");
    ASSERT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    const std::string before = Bytes("save/Ann_.usr");
    ASSERT_EQ(chmod("save/Ann_.usr", 0444), 0);
    for (uint32_t style : {2u, 3u}) {
        ann.computerStyle = style;
        EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 1u);
    }
    EXPECT_EQ(Bytes("save/Ann_.usr"), before);
    struct stat st {};
    ASSERT_EQ(stat("save/Ann_.usr", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    ASSERT_EQ(player_.told.size(), 1u);
    EXPECT_EQ(player_.told[0], (std::vector<std::string>{"The player Ann was not saved:",
                                                         "it is marked read-only; it was left as it is.",
                                                         "It is kept and saved again later."}));
    ASSERT_EQ(chmod("save/Ann_.usr", 0644), 0);
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);

    // Reading is what failed: a profile that may not be read, a pipe where
    // a profile should be.
    ProfileList::Free();
    ASSERT_EQ(mkfifo("save/Pip_.usr", 0644), 0);
    platform::testing::FailNext("OpenFile", EACCES);
    ::testing::internal::CaptureStderr();
    TellProblems(LoadAllProfiles(*ProfileList::Instance()));
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(player_.told.size(), 3u);
    EXPECT_EQ(player_.told[1], (std::vector<std::string>{"The profile Ann_.usr was not loaded:",
                                                         "the file may not be read.", "The file is left as it is."}));
    EXPECT_EQ(player_.told[2],
              (std::vector<std::string>{"The profile Pip_.usr was not loaded:",
                                        "it is not a regular file (a pipe, a device or a socket).",
                                        "The file is left as it is."}));
    // The detail for standard error says no more than is true: the system's
    // words for what the file layer answered ("Invalid argument") are not.
    EXPECT_NE(said.find("(read save/Ann_.usr: Permission denied)\n"), std::string::npos) << said;
    EXPECT_NE(said.find("(read save/Pip_.usr)\n"), std::string::npos) << said;
    EXPECT_EQ(said.find("Invalid argument"), std::string::npos) << said;
}

TEST_F(ProfileSaving, AnUnchangedProfileIsNotWrittenAgain)
{
    // Nobody yet: the stand-in is never saved, and that is no failure.
    EXPECT_TRUE(SaveCurrentProfile());
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    EXPECT_TRUE(platform::FindFiles("save/*").empty());

    // A player read from a file that cannot be written (beside the program,
    // or read-only) and never played is no failure at every quit.
    AddActiveProfile("Ann");
    ASSERT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    platform::testing::FailEveryCall("WriteFileAtomic.Open", EACCES);
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    ProfileList::Free();
    LoadAllProfiles(ProfileList::Instance());
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    EXPECT_TRUE(player_.told.empty());

    // Once it changes it is written, and a failure told.
    ProfileList::CurrentProfile()->money[0] = 10.0;
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 1u);
    EXPECT_EQ(player_.told.size(), 1u);
    // A file removed by hand is written anew.
    platform::testing::StopFailing("WriteFileAtomic.Open");
    ASSERT_TRUE(SaveCurrentProfile());
    ASSERT_TRUE(platform::DeleteFile("save/Ann_.usr"));
    EXPECT_TRUE(SaveCurrentProfile());
    EXPECT_TRUE(platform::FileExists("save/Ann_.usr"));
}

TEST_F(ProfileSaving, WhileWritesAreHeldNoFileIsWrittenMovedOrRemoved)
{
    AddActiveProfile("Ann");
    ASSERT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    const std::string ann = Bytes("save/Ann_.usr");
    WriteBytes("save/Gil_.usr", std::string(80, '\x07'));
    WriteBytes("save/Ann_.usr.tmp-999999999-0", "half a save of a killed run");

    HoldProfileWrites(true);
    ProfileList::CurrentProfile()->announceStages = 0;
    AddActiveProfile("Cid");
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    EXPECT_TRUE(DeleteCurrentProfile());
    ProfileList::Free();
    LoadAllProfiles(ProfileList::Instance());
    EXPECT_EQ(ProfileList::Instance()->Count(), 1u);
    EXPECT_EQ(Bytes("save/Ann_.usr"), ann);
    EXPECT_FALSE(platform::FileExists("save/Cid_.usr"));
    EXPECT_EQ(Bytes("save/Gil_.usr"), std::string(80, '\x07')) << "a damaged file stays where it is";
    EXPECT_FALSE(platform::FileExists("save/Gil_.usr.damaged"));
    EXPECT_TRUE(platform::FileExists("save/Ann_.usr.tmp-999999999-0"));
    EXPECT_TRUE(player_.told.empty());
}

TEST_F(ProfileSaving, AFailureIsRememberedByTheProfilesFileWhateverPathItNames)
{
    // Fails, is saved after all, fails again: told both times. `fail` and
    // `stop` make the next save fail and go through.
    auto failSaveFailAgain = [this](Profile& ann, const std::function<void()>& fail,
                                    const std::function<void()>& stop) {
        const size_t before = player_.told.size();
        fail();
        ann.computerStyle = 1;
        EXPECT_FALSE(SaveCurrentProfile());
        stop();
        ann.computerStyle = 2;
        EXPECT_TRUE(SaveCurrentProfile());
        fail();
        ann.computerStyle = 3;
        EXPECT_FALSE(SaveCurrentProfile());
        stop();
        EXPECT_EQ(player_.told.size(), before + 2) << "the failure that came back was not told";
    };

    // A failure at the step that makes the profile folder names the folder.
    Profile& ann = AddActiveProfile("Ann");
    failSaveFailAgain(
        ann, [] { platform::testing::FailEveryCall("MakeDirectories", EACCES); },
        [] { platform::testing::StopFailing("MakeDirectories"); });
    ASSERT_FALSE(player_.told.empty());
    EXPECT_EQ(player_.told.back()[1], "the folder may not be made there.");

    // A profile that is a link names the file the link leads to.
    ASSERT_TRUE(platform::MakeDirectories("synced"));
    ASSERT_TRUE(platform::MoveFile("save/Ann_.usr", "synced/Ann_.usr", false));
    std::filesystem::create_symlink("../synced/Ann_.usr", "save/Ann_.usr");
    failSaveFailAgain(
        ann, [] { platform::testing::FailEveryCall("WriteFileAtomic.Write", ENOSPC); },
        [] { platform::testing::StopFailing("WriteFileAtomic.Write"); });
    EXPECT_EQ(player_.told.back()[1], "the disk is full.");
    Profile onDisk;
    ASSERT_TRUE(LoadProfile(onDisk, "synced/Ann_.usr"));
    EXPECT_EQ(onDisk.computerStyle, 2u) << "saved through the link";
}

TEST_F(ProfileSaving, TheReasonAndWhatBecomesOfTheProfileAreTrueOfWhatStandsInTheWay)
{
    // A path too long ever to be saved is not saved later either.
    const std::string tooLong = "save/" + std::string(300, 'x') + "/";
    SetProfileFolder(tooLong);
    AddActiveProfile("Ann");
    EXPECT_FALSE(SaveCurrentProfile());
    ASSERT_EQ(player_.told.size(), 1u);
    EXPECT_EQ(player_.told.back(),
              (std::vector<std::string>{"The player Ann was not saved:", "file name too long.",
                                        "It cannot be saved under that name; it is kept until the game ends."}));
    AddActiveProfile("Bob");
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 2u);
    ASSERT_EQ(player_.told.size(), 2u);
    EXPECT_EQ(player_.told.back().back(), "They cannot be saved under those names; they are kept until the game ends.");

    // The data folder itself is a file: it is the folder named.
    WriteBytes("data", "a file of the player's");
    SetProfileFolder("data/save/");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveCurrentProfile());
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(player_.told.size(), 3u);
    EXPECT_EQ(player_.told.back(),
              (std::vector<std::string>{"The player Bob was not saved:", "a file stands where the folder data should be.",
                                        "It is kept and saved again later."}));
    EXPECT_NE(said.find("(make the folder data: Not a directory)\n"), std::string::npos) << said;

    // The profile folder is a link to nothing: said so, with where it leads.
    std::filesystem::create_symlink("nowhere", "saves");
    SetProfileFolder("saves/");
    EXPECT_FALSE(SaveCurrentProfile());
    ASSERT_EQ(player_.told.size(), 4u);
    EXPECT_EQ(player_.told.back()[1], "the folder saves is a symbolic link to nowhere, which does not exist.");
}

TEST_F(ProfileSaving, WhatWasNotSavedIsNamedAsItIsAndASaveThatGoesThroughEndsItsOwnProblemOnly)
{
    Profile& ann = AddActiveProfile("Ann");
    AddActiveProfile("Bob");
    AddActiveProfile("Cid");
    ann.SetActive(true);
    ASSERT_EQ(SaveAllProfiles(ProfileList::Instance()), 0u);
    auto markReadOnly = [](const std::string& name, bool readOnly) {
        ASSERT_EQ(chmod(("save/" + name + "_.usr").c_str(), readOnly ? 0444 : 0644), 0);
    };
    auto changeAll = [](uint32_t style) {
        for (const char* name : {"Ann", "Bob", "Cid"})
            ProfileList::Instance()->FindByName(name)->computerStyle = style;
    };

    // Three not saved: counted, none named for another.
    for (const char* name : {"Ann", "Bob", "Cid"})
        markReadOnly(name, true);
    changeAll(1);
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 3u);
    ASSERT_EQ(player_.told.size(), 1u);
    EXPECT_EQ(player_.told.back()[0], "3 players were not saved:");

    // Ann's tournament is over: what is lost is the player, not a
    // tournament (the record stays current, no longer in use).
    ann.gameType = kGameNoLimitTournament;
    ann.savedGames.push_back(std::make_unique<SavedGame>());
    ann.savedGames.back()->current = 1;
    ann.savedGames.back()->inUse = 0;
    EXPECT_FALSE(SaveCurrentProfile());
    ASSERT_EQ(player_.told.size(), 2u);
    EXPECT_EQ(player_.told.back()[0], "The player Ann was not saved:");

    // Ann saved in a round where Bob still fails: her problem is over, so
    // her file failing again is told again.
    markReadOnly("Ann", false);
    changeAll(2);
    EXPECT_EQ(SaveAllProfiles(ProfileList::Instance()), 2u);
    ASSERT_EQ(player_.told.size(), 3u);
    EXPECT_EQ(player_.told.back()[0], "The players Bob and Cid were not saved:");
    markReadOnly("Ann", true);
    ann.computerStyle = 3;
    EXPECT_FALSE(SaveCurrentProfile());
    ASSERT_EQ(player_.told.size(), 4u);
    EXPECT_EQ(player_.told.back()[0], "The player Ann was not saved:");
    for (const char* name : {"Ann", "Bob", "Cid"})
        markReadOnly(name, false);
}
