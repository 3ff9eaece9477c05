#include "platform/core/FileSystem.h"

#include "platform/core/Testing.h"
#include "tests/support/PipeWatch.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <tuple>

using namespace platform;
using platform::testing::ReadTestFile;
using platform::testing::ScopedTempFolder;
using platform::testing::WriteTestFile;

namespace {
std::vector<std::string> Names(const std::vector<FindData>& found)
{
    std::vector<std::string> names;
    for (const FindData& f : found)
        names.push_back(f.name);
    return names;
}
} // namespace

TEST(Wildcards, MatchLikeFindFirstFile)
{
    EXPECT_TRUE(WildcardMatch("*.dmo", "ZoltApp3.DMO"));
    EXPECT_TRUE(WildcardMatch("zoltapp*.dmo", "zoltapp.dmo"));
    EXPECT_FALSE(WildcardMatch("*.dmo", "zoltapp.dmo.bak"));
    EXPECT_TRUE(WildcardMatch("?.png", "7.png"));
    EXPECT_FALSE(WildcardMatch("?.png", "12.png"));
    EXPECT_TRUE(WildcardMatch("*.*", "README"));   // no dot, still everything
    EXPECT_TRUE(WildcardMatch("readme.*", "README"));
    EXPECT_TRUE(WildcardMatch("a*b*c", "aXXbYYbZc"));
    EXPECT_FALSE(WildcardMatch("a*b*c", "aXXbYYbZ"));
    EXPECT_TRUE(WildcardMatch("*", ""));
}

TEST(FindFiles, ListsMatchingEntriesSortedWithSizesAndKinds)
{
    ScopedTempFolder dir;
    WriteTestFile(dir / "zoltapp2.dmo", "22");
    WriteTestFile(dir / "ZoltApp10.dmo", "1010");
    WriteTestFile(dir / "notes.txt", "x");
    ASSERT_TRUE(CreateDirectory(dir / "sub.dmo"));

    // Windows separators and a folder part in the pattern.
    std::vector<FindData> found = FindFiles(dir.Path() + "\\zoltapp*.dmo");
    EXPECT_EQ(Names(found), (std::vector<std::string>{"ZoltApp10.dmo", "zoltapp2.dmo"}));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].size, 4u);
    EXPECT_FALSE(found[0].isDirectory);

    found = FindFiles(dir / "*.*");
    EXPECT_EQ(Names(found), (std::vector<std::string>{"notes.txt", "sub.dmo", "ZoltApp10.dmo", "zoltapp2.dmo"}));
    EXPECT_TRUE(found[1].isDirectory);
    // A plain name finds just that entry, with a plausible write time.
    found = FindFiles(dir / "NOTES.TXT");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_GT(FileTimeToUnixSeconds(found[0].lastWriteTime), 1'500'000'000);

    EXPECT_TRUE(FindFiles(dir / "missing-folder/*.*").empty());
    EXPECT_TRUE(FindFiles(dir / "*.wav").empty());
}

TEST(FindFiles, ALinkToNothingIsStillListed)
{
    // A profile left as a link whose file has gone is still found, so that
    // the player can be told of it.
    ScopedTempFolder dir;
    WriteTestFile(dir / "Ann_.usr", "ann");
    ASSERT_EQ(symlink("Ann_.usr", (dir / "Bob_.usr").c_str()), 0);
    ASSERT_EQ(symlink("gone.usr", (dir / "Cid_.usr").c_str()), 0);
    const std::vector<FindData> found = FindFiles(dir / "*.usr");
    EXPECT_EQ(Names(found), (std::vector<std::string>{"Ann_.usr", "Bob_.usr", "Cid_.usr"}));
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[1].size, 3u) << "a link that leads somewhere is what it leads to";
    EXPECT_FALSE(found[2].isDirectory);
}

TEST(FindFiles, FolderPartIsMatchedWithoutCase)
{
    ScopedTempFolder dir;
    ASSERT_TRUE(MakeDirectories(dir / "Data/Sounds"));
    WriteTestFile(dir / "Data/Sounds/Click.WAV", "RIFF");
    EXPECT_EQ(Names(FindFiles(dir.Path() + "\\DATA\\sounds\\*.wav")), std::vector<std::string>{"Click.WAV"});
}

TEST(Paths, OpenFindsANameThatDiffersOnlyInCase)
{
    ScopedTempFolder dir;
    ASSERT_TRUE(MakeDirectories(dir / "Images"));
    WriteTestFile(dir / "Images/Table.PNG", "png");
    std::FILE* file = OpenFile(dir.Path() + "\\images\\table.png", "rb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_TRUE(FileExists(dir / "IMAGES/table.png"));
    EXPECT_EQ(FileSize(dir / "images/TABLE.png"), 3u);

    // An exact match wins over a case variant.
    WriteTestFile(dir / "Images/table.png", "exact");
    EXPECT_EQ(ResolvePath(dir / "Images/table.png"), dir / "Images/table.png");

    // A file about to be created keeps its written name in the resolved folder.
    EXPECT_EQ(ResolvePath(dir / "IMAGES/New.png"), dir / "Images/New.png");
    EXPECT_FALSE(FileExists(dir / "images/nothing.png"));
    EXPECT_EQ(OpenFile(dir / "images/nothing.png", "rb"), nullptr);
}

TEST(Paths, FileTimesConvertBetweenEpochs)
{
    FILETIME epoch = UnixTimeToFileTime(0);
    EXPECT_EQ(FileTimeToUint64(epoch), 116444736000000000ull);
    FILETIME t = UnixTimeToFileTime(1'700'000'000, 500);
    EXPECT_EQ(FileTimeToUint64(t), 116444736000000000ull + 1'700'000'000ull * 10'000'000ull + 5);
    EXPECT_EQ(FileTimeToUnixSeconds(t), 1'700'000'000);
    // The last nanoseconds of a second stay inside it.
    EXPECT_EQ(FileTimeToUint64(UnixTimeToFileTime(0, 999'999'999)), 116444736000000000ull + 9'999'999);
}

TEST(Directories, MakeDirectoriesCreatesParentsAndAcceptsExisting)
{
    ScopedTempFolder dir;
    EXPECT_TRUE(MakeDirectories(dir.Path() + "\\a\\b\\c\\"));
    EXPECT_TRUE(DirectoryExists(dir / "a/b/c"));
    EXPECT_TRUE(MakeDirectories(dir / "a/b/c"));
    EXPECT_FALSE(CreateDirectory(dir / "a/b")); // exists already
    // Made as the user's files are: for everyone the user's mask lets in.
    const mode_t mask = umask(022);
    umask(mask);
    struct stat made {};
    ASSERT_EQ(stat((dir / "a/b").c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 07777, 0777 & ~mask);
    std::FILE* created = OpenFile(dir / "a/new.txt", "w");
    ASSERT_NE(created, nullptr);
    std::fclose(created);
    ASSERT_EQ(stat((dir / "a/new.txt").c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 07777, 0666 & ~mask);

    // The first refusal is the reason, not what follows from it, and the
    // failure names the folder in the way.
    WriteTestFile(dir / "file", "");
    FileError error;
    EXPECT_FALSE(MakeDirectories(dir / "file/sub/deeper", &error)); // a file in the way
    EXPECT_EQ(error.code, ENOTDIR);
    EXPECT_EQ(error.Text(), "Cannot make the folder " + (dir / "file") + ": " + std::strerror(ENOTDIR));
    EXPECT_FALSE(MakeDirectories(dir / "file", &error)); // the file itself
    EXPECT_EQ(error.code, ENOTDIR);
    EXPECT_EQ(error.path, dir / "file");
    EXPECT_FALSE(MakeDirectories(dir / (std::string(300, 'x') + "/y"), &error));
    EXPECT_EQ(error.code, ENAMETOOLONG);
    EXPECT_EQ(error.path, dir / std::string(300, 'x'));
    // A link that leads nowhere is said as such, with what it points to.
    ASSERT_EQ(symlink((dir / "gone").c_str(), (dir / "dangling").c_str()), 0);
    EXPECT_FALSE(MakeDirectories(dir / "dangling/save", &error));
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_EQ(error.path, dir / "dangling");
    EXPECT_EQ(error.Text(), "Cannot make the folder " + (dir / "dangling") + ": the folder " + (dir / "dangling") +
                                " is a symbolic link to " + (dir / "gone") + ", which does not exist");
    platform::testing::FailNext("MakeDirectories", EACCES);
    EXPECT_FALSE(MakeDirectories(dir / "x/y", &error));
    EXPECT_EQ(error.code, EACCES);
    EXPECT_FALSE(DirectoryExists(dir / "x"));
    EXPECT_FALSE(MakeDirectories(""));
}

namespace {
// The descriptors the process holds open now.
size_t OpenDescriptors()
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}
} // namespace

TEST(Directories, DeleteTreeRemovesEverythingButNeverFollowsALink)
{
    const size_t descriptors = OpenDescriptors();
    ScopedTempFolder outside;
    WriteTestFile(outside / "precious.txt", "keep me");
    ASSERT_TRUE(MakeDirectories(outside / "deep"));
    WriteTestFile(outside / "deep/also.txt", "keep me too");

    ScopedTempFolder dir;
    ASSERT_TRUE(MakeDirectories(dir / "tree/a/b"));
    WriteTestFile(dir / "tree/a/b/file.bin", "1");
    WriteTestFile(dir / "tree/top.txt", "2");
    std::filesystem::create_directory_symlink(outside.Path(), dir / "tree/a/link-to-outside");
    std::filesystem::create_symlink(outside / "precious.txt", dir / "tree/file-link");

    EXPECT_TRUE(DeleteTree(dir.Path() + "\\TREE"));
    EXPECT_FALSE(FileExists(dir / "tree"));
    EXPECT_EQ(ReadTestFile(outside / "precious.txt"), "keep me");
    EXPECT_EQ(ReadTestFile(outside / "deep/also.txt"), "keep me too");

    // The path itself being a link: the link goes, the target stays.
    std::filesystem::create_directory_symlink(outside.Path(), dir / "root-link");
    EXPECT_TRUE(DeleteTree(dir / "root-link/"));
    EXPECT_FALSE(std::filesystem::is_symlink(dir / "root-link"));
    EXPECT_EQ(ReadTestFile(outside / "precious.txt"), "keep me");

    EXPECT_FALSE(DeleteTree(dir / "never-existed"));
    // The folder one stands in is emptied, but stays: not all was deleted.
    ASSERT_TRUE(MakeDirectories(dir / "here/inner"));
    const std::string startedIn = GetCurrentDirectory();
    ASSERT_TRUE(SetCurrentDirectory(dir / "here"));
    EXPECT_FALSE(DeleteTree("."));
    EXPECT_TRUE(SetCurrentDirectory(startedIn));
    EXPECT_TRUE(DirectoryExists(dir / "here"));
    EXPECT_FALSE(FileExists(dir / "here/inner"));
    EXPECT_EQ(OpenDescriptors(), descriptors) << "a folder read was left open";
}

TEST(Directories, CurrentDirectoryRoundTripsAndHasNoLengthLimit)
{
    ScopedTempFolder dir;
    std::string original = GetCurrentDirectory();
    ASSERT_FALSE(original.empty());
    // Deeper than the classic 260-character buffer.
    std::string deep = dir.Path();
    for (int i = 0; i < 30; ++i)
        deep += "/folder-with-a-long-name-" + std::to_string(i);
    ASSERT_TRUE(MakeDirectories(deep));
    ASSERT_TRUE(SetCurrentDirectory(deep));
    std::string current = GetCurrentDirectory();
    EXPECT_GT(current.size(), 600u);
    EXPECT_EQ(std::filesystem::path(current), std::filesystem::canonical(deep));
    ASSERT_TRUE(SetCurrentDirectory(original));
    EXPECT_FALSE(SetCurrentDirectory(dir / "missing"));
}

TEST(Files, MoveFileReplacesOnlyWhenAsked)
{
    ScopedTempFolder dir;
    WriteTestFile(dir / "a", "A");
    WriteTestFile(dir / "b", "B");
    EXPECT_FALSE(MoveFile(dir / "a", dir / "b", false));
    EXPECT_EQ(ReadTestFile(dir / "b"), "B");
    EXPECT_TRUE(MoveFile(dir / "a", dir / "b", true));
    EXPECT_EQ(ReadTestFile(dir / "b"), "A");
    EXPECT_FALSE(FileExists(dir / "a"));
    EXPECT_TRUE(MoveFile(dir / "B", dir / "c", false)); // case-insensitive source
    EXPECT_EQ(ReadTestFile(dir / "c"), "A");
    EXPECT_TRUE(DeleteFile(dir / "C"));
    EXPECT_FALSE(DeleteFile(dir / "c"));
}

TEST(Files, OnlyRegularFilesAreOpenedAndAPipeNeverIs)
{
    ScopedTempFolder dir;
    platform::testing::PipeWatch pipe(dir / "Bob_.usr");
    ASSERT_TRUE(MakeDirectories(dir / "folder"));
    // The errno of the open; 0 when it opened (the file is closed again).
    auto openError = [](const std::string& path, const char* mode) {
        errno = 0;
        std::FILE* file = OpenFile(path, mode);
        const int error = file ? 0 : errno;
        if (file)
            std::fclose(file);
        return error;
    };
    for (const char* mode : {"r", "rb", "r+b", "a+"}) {
        EXPECT_EQ(openError(dir / "Bob_.usr", mode), EINVAL) << mode;
        EXPECT_EQ(openError(dir / "folder", mode), EISDIR) << mode;
    }
    EXPECT_EQ(openError("/dev/null", "rb"), EINVAL) << "a device is no file";
    std::string contents = "kept";
    EXPECT_FALSE(ReadWholeFile(dir / "bob_.usr", &contents));
    EXPECT_EQ(contents, "kept");
    EXPECT_EQ(pipe.Stop(), 0) << "the pipe was opened";
    EXPECT_NE(DescribeOpenError(EINVAL).find("not a regular file"), std::string::npos);

    // Regular files open in every mode as fopen opens them.
    std::FILE* f = OpenFile(dir / "new.dat", "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("12345", f);
    std::fclose(f);
    ASSERT_NE(f = OpenFile(dir / "NEW.dat", "r+b"), nullptr);
    std::fputs("ab", f);
    std::fclose(f);
    EXPECT_EQ(ReadTestFile(dir / "new.dat"), "ab345");
    ASSERT_NE(f = OpenFile(dir / "new.dat", "a"), nullptr);
    std::fputs("+", f);
    std::fclose(f);
    EXPECT_EQ(ReadTestFile(dir / "new.dat"), "ab345+");
    EXPECT_EQ(OpenFile(dir / "new.dat", "wx"), nullptr);
    ASSERT_NE(f = OpenFile(dir / "new.dat", "w"), nullptr);
    std::fclose(f);
    EXPECT_EQ(FileSize(dir / "new.dat"), 0u);
}

TEST(AtomicWrite, ReplacesTheFileWholeAndKeepsItsPermissions)
{
    ScopedTempFolder dir;
    WriteTestFile(dir / "settings.reg", "old");
    std::filesystem::permissions(dir / "settings.reg", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::string error;
    ASSERT_TRUE(WriteFileAtomic(dir / "settings.reg", std::string_view("new contents"), &error)) << error;
    EXPECT_EQ(ReadTestFile(dir / "settings.reg"), "new contents");
    EXPECT_EQ(std::filesystem::status(dir / "settings.reg").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(FindFiles(dir / "*").size(), 1u); // no temporary left behind

    ASSERT_TRUE(WriteFileAtomic(dir / "empty", std::string_view()));
    EXPECT_EQ(FileSize(dir / "empty"), 0u);
}

TEST(AtomicWrite, AnyFailedStepLeavesTheOldFileIntactAndReportsIt)
{
    ScopedTempFolder dir;
    const std::string big(100000, 'n');
    // Each step says which it was, with the system's error number.
    const std::tuple<const char*, const char*, int> steps[] = {
        {"WriteFileAtomic.Open", "create a temporary file for", EACCES},
        {"WriteFileAtomic.Write", "write", ENOSPC},
        {"WriteFileAtomic.Sync", "flush", EIO},
        {"WriteFileAtomic.Rename", "replace", EACCES},
    };
    for (const auto& [hook, step, code] : steps) {
        SCOPED_TRACE(hook);
        WriteTestFile(dir / "profile.dat", "old profile");
        platform::testing::FailNext(hook, 0);
        FileError error;
        EXPECT_FALSE(WriteFileAtomic(dir / "profile.dat", std::string_view(big), &error));
        EXPECT_STREQ(StepWords(error.step), step);
        EXPECT_EQ(error.code, code);
        EXPECT_EQ(error.path, dir / "profile.dat");
        EXPECT_EQ(ReadTestFile(dir / "profile.dat"), "old profile");
        EXPECT_EQ(Names(FindFiles(dir / "*")), std::vector<std::string>{"profile.dat"});
        EXPECT_EQ(platform::testing::PendingFailures(hook), 0);
    }
    // The text form names the step, the file and the reason.
    platform::testing::FailNext("WriteFileAtomic.Write", ENOSPC);
    std::string text;
    EXPECT_FALSE(WriteFileAtomic(dir / "profile.dat", std::string_view(big), &text));
    EXPECT_EQ(text, "Cannot write " + (dir / "profile.dat") + ": " + std::strerror(ENOSPC));

    // A file the user may only read opens for reading, and only so.
    platform::testing::FailEveryCall("OpenFile.Write", EACCES);
    for (const char* mode : {"rb", "r"}) {
        std::FILE* file = OpenFile(dir / "profile.dat", mode);
        EXPECT_NE(file, nullptr) << mode;
        if (file)
            std::fclose(file);
    }
    for (const char* mode : {"r+b", "wb", "a+", "w+"}) {
        EXPECT_EQ(OpenFile(dir / "profile.dat", mode), nullptr) << mode;
        EXPECT_EQ(errno, EACCES) << mode;
    }
    platform::testing::ClearFailures();
    EXPECT_EQ(ReadTestFile(dir / "profile.dat"), "old profile");
}

TEST(AtomicWrite, FailsCleanlyWhenTheFolderIsMissing)
{
    ScopedTempFolder dir;
    std::string error;
    EXPECT_FALSE(WriteFileAtomic(dir / "no/such/folder/file", std::string_view("x"), &error));
    EXPECT_FALSE(error.empty());
}

TEST(AtomicWrite, NeverPutsAFileInThePlaceOfAFolderOrAPipe)
{
    ScopedTempFolder dir;
    ASSERT_TRUE(MakeDirectories(dir / "folder"));
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    for (const char* name : {"folder", "pipe"}) {
        std::string error;
        EXPECT_FALSE(WriteFileAtomic(dir / name, std::string_view("x"), &error)) << name;
        EXPECT_NE(error.find("nothing was replaced"), std::string::npos) << error;
    }
    EXPECT_TRUE(DirectoryExists(dir / "folder"));
    struct stat pipe {};
    ASSERT_EQ(stat((dir / "pipe").c_str(), &pipe), 0);
    EXPECT_TRUE(S_ISFIFO(pipe.st_mode));
    EXPECT_EQ(Names(FindFiles(dir / "*")), (std::vector<std::string>{"folder", "pipe"}));
}

TEST(AtomicWrite, ASaveThroughALinkUpdatesTheFileItPointsToAndKeepsTheLink)
{
    ScopedTempFolder dir;
    ASSERT_TRUE(MakeDirectories(dir / "synced"));
    ASSERT_TRUE(MakeDirectories(dir / "save"));
    WriteTestFile(dir / "synced/Ann_.usr", "old");
    // A chain: an absolute link to a relative one.
    ASSERT_EQ(symlink("../synced/Ann_.usr", (dir / "save/relative").c_str()), 0);
    ASSERT_EQ(symlink((dir / "save/relative").c_str(), (dir / "save/Ann_.usr").c_str()), 0);
    std::string error;
    ASSERT_TRUE(WriteFileAtomic(dir / "save/Ann_.usr", std::string_view("new"), &error)) << error;
    EXPECT_EQ(ReadTestFile(dir / "synced/Ann_.usr"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "save/Ann_.usr"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "save/relative"));
    EXPECT_EQ(Names(FindFiles(dir / "synced/*")), std::vector<std::string>{"Ann_.usr"});

    // A link to a folder, to nowhere or round in a circle is refused, and
    // nothing is put in its place.
    ASSERT_EQ(symlink("../synced", (dir / "save/folder").c_str()), 0);
    ASSERT_EQ(symlink("../synced/gone", (dir / "save/dangling").c_str()), 0);
    ASSERT_EQ(symlink("circle", (dir / "save/circle").c_str()), 0);
    for (const auto& [name, why] : {std::pair{"folder", "which is a folder"},
                                    std::pair{"dangling", "synced/gone, which does not exist"},
                                    std::pair{"circle", "round in a circle"}}) {
        EXPECT_FALSE(WriteFileAtomic(dir / ("save/" + std::string(name)), std::string_view("x"), &error)) << name;
        EXPECT_NE(error.find(why), std::string::npos) << error;
        EXPECT_TRUE(std::filesystem::is_symlink(dir / ("save/" + std::string(name)))) << name;
    }
    EXPECT_FALSE(FileExists(dir / "synced/gone"));
    EXPECT_EQ(Names(FindFiles(dir / "synced/*")), std::vector<std::string>{"Ann_.usr"});
    EXPECT_EQ(FindFiles(dir / "save/*").size(), 5u);
}

TEST(AtomicWrite, OnlyWhatAWriterThatNoLongerRunsLeftBehindIsRemoved)
{
    ScopedTempFolder dir;
    // No system gives out process numbers this high.
    const std::string dead = "profile.dat.tmp-999999999-0";
    const std::string running = "settings.reg.tmp-" + std::to_string(getppid()) + "-3";
    const std::string ours = "shot.png.tmp-" + std::to_string(getpid()) + "-1";
    const std::vector<std::string> lookalikes = {"a.tmp-999999999",       "b.tmp--1",
                                                 "c.tmp-999999999-1-2",   "d.tmp-99999999x-1",
                                                 "e.tmp-9999999999-1",    "f.tmp-999999999-",
                                                 "plain.dat"};
    for (const std::string& name : lookalikes)
        WriteTestFile(dir / name, "kept");
    for (const std::string& name : {dead, running, ours})
        WriteTestFile(dir / name, "half a sa");
    ASSERT_TRUE(MakeDirectories(dir / "folder.tmp-999999999-2"));

    EXPECT_EQ(RemoveInterruptedWrites(dir.Path()), 1u);
    EXPECT_FALSE(FileExists(dir / dead));
    EXPECT_TRUE(FileExists(dir / running)) << "its writer may still rename it";
    EXPECT_TRUE(FileExists(dir / ours)) << "this process may be writing it now";
    for (const std::string& name : lookalikes)
        EXPECT_TRUE(FileExists(dir / name)) << name;
    EXPECT_TRUE(DirectoryExists(dir / "folder.tmp-999999999-2"));
    EXPECT_EQ(RemoveInterruptedWrites(dir.Path()), 0u);

    // A save through a link writes beside the file the link leads to: what
    // a killed save left there goes too, and only that.
    ASSERT_TRUE(MakeDirectories(dir / "synced"));
    WriteTestFile(dir / "synced/Ann_.usr", "Ann");
    ASSERT_EQ(symlink("synced/Ann_.usr", (dir / "save-Ann_.usr").c_str()), 0);
    WriteTestFile(dir / "synced/Ann_.usr.tmp-999999999-0", "half a save");
    WriteTestFile(dir / "synced/Bob_.usr.tmp-999999999-0", "not behind a link of this folder");
    EXPECT_EQ(RemoveInterruptedWrites(dir.Path()), 1u);
    EXPECT_FALSE(FileExists(dir / "synced/Ann_.usr.tmp-999999999-0"));
    EXPECT_TRUE(FileExists(dir / "synced/Bob_.usr.tmp-999999999-0"));
    EXPECT_EQ(ReadTestFile(dir / "synced/Ann_.usr"), "Ann");
}

TEST(Paths, SeparatorsDotsAndDoubledSlashesResolve)
{
    ScopedTempFolder dir;
    ASSERT_TRUE(MakeDirectories(dir / "Music/Tracks"));
    WriteTestFile(dir / "Music/Tracks/Theme.OGG", "ogg");
    EXPECT_EQ(ResolvePath(dir.Path() + "\\music\\\\.\\tracks\\..\\Tracks\\theme.ogg"),
              dir / "Music/./Tracks/../Tracks/Theme.OGG");
    EXPECT_EQ(ResolvePath(dir.Path() + "\\MUSIC\\"), dir / "Music/");
    EXPECT_EQ(NativePath("a\\b/c"), "a/b/c");
}
