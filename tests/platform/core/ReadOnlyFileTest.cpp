// A file the user marked read-only is never replaced by a save, whoever
// runs the program, and the failure names the step in the words the player
// reads.
#include "platform/core/FileSystem.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace platform;
using platform::testing::ReadTestFile;
using platform::testing::ScopedTempFolder;
using platform::testing::WriteTestFile;

TEST(AtomicWrite, AFileMarkedReadOnlyForEveryoneIsLeftAsItIsThroughALinkToo)
{
    ScopedTempFolder dir;
    WriteTestFile(dir / "Ann_.usr", "old");
    std::filesystem::permissions(dir / "Ann_.usr", std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::group_read |
                                                       std::filesystem::perms::others_read);
    ASSERT_EQ(symlink((dir / "Ann_.usr").c_str(), (dir / "link_.usr").c_str()), 0);
    for (const char* name : {"Ann_.usr", "link_.usr"}) {
        FileError error;
        EXPECT_FALSE(WriteFileAtomic(dir / name, "new", 3, &error)) << name;
        EXPECT_EQ(error.step, FileStep::Replace) << name;
        EXPECT_EQ(error.code, EACCES) << name;
        EXPECT_NE(error.Text().find("marked read-only; it was left as it is"), std::string::npos) << error.Text();
    }
    EXPECT_EQ(ReadTestFile(dir / "Ann_.usr"), "old");
    EXPECT_EQ(FindFiles(dir / "*").size(), 2u) << "a temporary file was left behind";
}

TEST(FileErrorWords, EachStepThePlayerMeetsIsSaidAsItIsDone)
{
    const std::pair<FileStep, std::string> said[] = {
        {FileStep::MakeFolder, "Cannot make the folder /d/save: "},
        {FileStep::KeepCopyOf, "Cannot keep a copy of /d/save: "},
        {FileStep::KeepCopyBeside, "Cannot keep a copy beside /d/save: "},
        {FileStep::FollowLink, "Cannot follow the link /d/save: "},
        {FileStep::CreateTemporary, "Cannot create a temporary file for /d/save: "},
    };
    for (const auto& [step, words] : said) {
        const FileError error{step, "/d/save", EEXIST, {}};
        EXPECT_EQ(error.Text().substr(0, words.size()), words);
    }
}
