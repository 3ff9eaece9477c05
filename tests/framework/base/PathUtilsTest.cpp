#include "framework/base/PathUtils.h"

#include "platform/core/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A fresh folder per test, removed afterwards.
class PathFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() /
                ("pellucor_path_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string Path(const std::string& relative) const { return (root_ / relative).string(); }
    void Touch(const std::string& relative) const { std::ofstream(root_ / relative) << "x"; }

    fs::path root_;
};

} // namespace

TEST(PathParts, FileNameDirectoryAndSeparators)
{
    EXPECT_EQ(PathFileName("a/b\\c.txt", true), "c");
    EXPECT_EQ(PathFileName("a/b\\c.txt", false), "c.txt");
    EXPECT_EQ(PathFileName("archive.tar.gz", true), "archive.tar");
    EXPECT_EQ(PathFileName("dir.d/file", true), "file");
    EXPECT_EQ(PathLastComponent("noseparator"), "noseparator");
    EXPECT_EQ(PathLastComponent("x\\y/"), "");
    EXPECT_EQ(PathDirectory("file.txt", true), "");
    EXPECT_EQ(PathDirectory("a\\b/c", false), "a\\b");
    EXPECT_EQ(PathDirectory("a\\b/c", true), "a\\b/");
    EXPECT_EQ(EnsureTrailingSeparator("dir", false), "dir/");
    EXPECT_EQ(EnsureTrailingSeparator("dir", true), "dir\\");
    EXPECT_EQ(EnsureTrailingSeparator("dir\\", false), "dir\\");
    EXPECT_EQ(EnsureTrailingSeparator("", true), "");
    EXPECT_EQ(DropTrailingSeparator("dir\\"), "dir");
    EXPECT_EQ(DropTrailingSeparator("dir"), "dir");
}

TEST(ResolveRelativePath, JoinsAndResolvesDots)
{
    EXPECT_EQ(ResolveRelativePath("..\\x", "c:\\a\\b"), "c:\\a\\x");
    EXPECT_EQ(ResolveRelativePath("d:\\abs\\p", "c:\\a"), "d:\\abs\\p");
    EXPECT_EQ(ResolveRelativePath("fonts/./big.txt", "data"), "data/fonts/big.txt");
    EXPECT_EQ(ResolveRelativePath("../../up", "one"), "../up");
    EXPECT_EQ(ResolveRelativePath("../../up", ""), "../../up");
    EXPECT_EQ(ResolveRelativePath("../../../x", "c:\\a"), "c:\\x");
    EXPECT_EQ(ResolveRelativePath("x//y", "/base/"), "/base/x/y");
    EXPECT_EQ(ResolveRelativePath("/etc/abs", "base"), "/etc/abs");
    EXPECT_EQ(ResolveRelativePath("only", ""), "only");
}

TEST(AppDataFolder, StoredWithATrailingSeparator)
{
    SetAppDataFolder("/home/u/.local/share/Pellucor");
    EXPECT_EQ(Zolt::GetAppDataFolder(), "/home/u/.local/share/Pellucor\\");
    SetAppDataFolder("/data/");
    EXPECT_EQ(Zolt::GetAppDataFolder(), "/data/");
    SetAppDataFolder("");
    EXPECT_EQ(Zolt::GetAppDataFolder(), "");
}

TEST_F(PathFiles, MakeAllDirectoriesBuildsEveryLevelAndToleratesExisting)
{
    MakeAllDirectories(Path("a") + "\\b/c");
    EXPECT_TRUE(fs::is_directory(root_ / "a" / "b" / "c"));
    MakeAllDirectories(Path("a/b"));
    EXPECT_TRUE(fs::is_directory(root_ / "a" / "b" / "c"));
}

TEST_F(PathFiles, DeleteTreeRemovesContentsButNotWhatLinksPointTo)
{
    fs::create_directories(root_ / "keep");
    Touch("keep/precious.txt");
    fs::create_directories(root_ / "tree/sub/deeper");
    Touch("tree/one.txt");
    Touch("tree/sub/deeper/two.txt");
    fs::create_directory_symlink(root_ / "keep", root_ / "tree/sub/link");

    EXPECT_TRUE(DeleteTree(Path("tree")));
    EXPECT_FALSE(fs::exists(root_ / "tree"));
    EXPECT_TRUE(fs::exists(root_ / "keep/precious.txt"));
    EXPECT_FALSE(DeleteTree(Path("missing")));
}

TEST_F(PathFiles, FileTimesInUnixSecondsAndZeroWhenMissing)
{
    Touch("stamp.txt");
    const auto when = fs::file_time_type::clock::from_sys(
        std::chrono::sys_seconds(std::chrono::seconds(1700000000)));
    fs::last_write_time(root_ / "stamp.txt", when);
    EXPECT_EQ(GetFileTimeUnix(Path("stamp.txt")), 1700000000u);
    EXPECT_EQ(GetFileTimeUnix(Path("st*.txt")), 1700000000u);
    EXPECT_EQ(GetFileTimeUnix(Path("nothing.txt")), 0u);
}

TEST_F(PathFiles, CurrentDirectoryIsNotCutShort)
{
    std::string deep = root_.string();
    while (deep.size() < 600) {
        deep += "/directory_with_a_long_name";
    }
    fs::create_directories(deep);
    const fs::path before = fs::current_path();
    fs::current_path(deep);
    const std::string seen = CurrentDirectory();
    fs::current_path(before);
    EXPECT_EQ(fs::path(seen), fs::canonical(deep));
}
