// Files an earlier build kept elsewhere, taken over once and without loss:
// moved when nothing waits at the new place, kept beside what does, left
// where they were when they cannot be moved.
#include "platform/core/FileTakeover.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Testing.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

using platform::TakeOverFile;
using platform::testing::ReadTestFile;
using platform::testing::WriteTestFile;
using Outcome = platform::TakeOver::Outcome;

namespace {

class FileTakeoverTest : public ::testing::Test {
protected:
    FileTakeoverTest() { platform::MakeDirectories(old_); }
    ~FileTakeoverTest() override { platform::testing::ClearFailures(); }

    platform::testing::ScopedTempFolder folder_;
    const std::string old_ = folder_ / "program/save";
    const std::string new_ = folder_ / "data/save";
};

} // namespace

TEST_F(FileTakeoverTest, AFolderIsTakenOverOnceKeepingWhatWaitsThereAndGoesWhenEmpty)
{
    WriteTestFile(old_ + "/Ann_.usr", "Ann");
    WriteTestFile(old_ + "/Bob_.usr", "Bob beside the program");
    WriteTestFile(old_ + "/Ann_.usr.tmp-999999999-0", "half a save of a killed run");
    platform::MakeDirectories(new_);
    WriteTestFile(new_ + "/Bob_.usr", "Bob of the data folder");
    // Another file system for Ann: copied whole, then removed.
    platform::testing::FailNext("MoveFile", EXDEV);
    const std::vector<platform::TakenFile> taken = platform::TakeOverFolder(old_, new_);
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].result.outcome, Outcome::Moved);
    EXPECT_EQ(taken[1].result.outcome, Outcome::KeptBeside);
    EXPECT_EQ(taken[1].result.keptAs, new_ + "/Bob_.usr.earlier");
    EXPECT_EQ(ReadTestFile(new_ + "/Ann_.usr"), "Ann");
    EXPECT_EQ(ReadTestFile(new_ + "/Bob_.usr"), "Bob of the data folder");
    EXPECT_EQ(ReadTestFile(new_ + "/Bob_.usr.earlier"), "Bob beside the program");
    EXPECT_FALSE(platform::DirectoryExists(old_));
    EXPECT_TRUE(platform::TakeOverFolder(old_, new_).empty());

    // The same bytes again (an old file that could not be removed) add no
    // copy, whether the new place or a copy beside it holds them; other
    // bytes take the next free name.
    WriteTestFile(folder_ / "crash.txt", "Bob of the data folder");
    EXPECT_EQ(TakeOverFile(folder_ / "crash.txt", new_ + "/Bob_.usr").outcome, Outcome::AlreadyThere);
    EXPECT_FALSE(platform::FileExists(folder_ / "crash.txt"));
    EXPECT_FALSE(platform::FileExists(new_ + "/Bob_.usr.earlier1"));
    WriteTestFile(folder_ / "crash.txt", "Bob beside the program");
    EXPECT_EQ(TakeOverFile(folder_ / "crash.txt", new_ + "/Bob_.usr").outcome, Outcome::AlreadyThere);
    EXPECT_FALSE(platform::FileExists(folder_ / "crash.txt"));
    WriteTestFile(folder_ / "crash.txt", "a third Bob");
    EXPECT_EQ(TakeOverFile(folder_ / "crash.txt", new_ + "/Bob_.usr").keptAs, new_ + "/Bob_.usr.earlier1");
}

TEST_F(FileTakeoverTest, AFileThatCannotBeMovedStaysWhereItWas)
{
    WriteTestFile(old_ + "/Ann_.usr", "Ann");
    platform::testing::FailNext("MoveFile", EACCES);
    platform::TakeOver taken = TakeOverFile(old_ + "/Ann_.usr", new_ + "/Ann_.usr");
    EXPECT_EQ(taken.outcome, Outcome::Failed);
    EXPECT_EQ(taken.error.code, EACCES);
    EXPECT_EQ(taken.error.step, platform::FileStep::Move);
    EXPECT_EQ(taken.error.path, old_ + "/Ann_.usr");
    // A full disk on the way to another file system: the reason is the disk's.
    platform::testing::FailNext("MoveFile", EXDEV);
    platform::testing::FailNext("WriteFileAtomic.Write", ENOSPC);
    taken = TakeOverFile(old_ + "/Ann_.usr", new_ + "/Ann_.usr");
    EXPECT_EQ(taken.outcome, Outcome::Failed);
    EXPECT_EQ(taken.error.code, ENOSPC);
    EXPECT_EQ(ReadTestFile(old_ + "/Ann_.usr"), "Ann");
    EXPECT_FALSE(platform::FileExists(new_ + "/Ann_.usr"));
}

TEST_F(FileTakeoverTest, ALinkIsTakenOverAsALinkToTheSameFile)
{
    // A profile kept in step elsewhere, linked (relatively) beside the program.
    platform::MakeDirectories(folder_ / "synced");
    WriteTestFile(folder_ / "synced/Ann_.usr", "Ann");
    std::filesystem::create_symlink("../../synced/Ann_.usr", old_ + "/Ann_.usr");
    // Deeper than the old place: the link's own words would lead nowhere.
    const std::string deeper = folder_ / "home/data/save";
    EXPECT_EQ(TakeOverFile(old_ + "/Ann_.usr", deeper + "/Ann_.usr").outcome, Outcome::Moved);
    ASSERT_TRUE(std::filesystem::is_symlink(deeper + "/Ann_.usr"));
    EXPECT_EQ(std::filesystem::canonical(deeper + "/Ann_.usr"), std::filesystem::canonical(folder_ / "synced/Ann_.usr"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(old_ + "/Ann_.usr")));
    EXPECT_EQ(ReadTestFile(folder_ / "synced/Ann_.usr"), "Ann");
}
