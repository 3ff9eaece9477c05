#include "pak/PakInterface.h"
#include "pak/PakFileFunctions.h"
#include "platform/core/FileSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "tests/pak/PakTestFiles.h"
#include "tests/support/PipeWatch.h"

using paktest::MakeArchive;
using paktest::TempFolder;

namespace {

// A layer over one archive in a temporary folder.
class PakLayer : public ::testing::Test {
protected:
    void Load(const std::vector<std::pair<std::string, std::string>>& members, const std::string& file = "main.pak")
    {
        ASSERT_TRUE(pak.AddPakArchive(dir.Write(file, MakeArchive(members, 0x01D0000012345678ull))))
            << pak.LastError();
    }
    std::string ReadAll(const char* name)
    {
        PakFileHandle* h = pak.OpenFile(name, "rb");
        if (!h)
            return "<missing>";
        std::string out;
        char buffer[7];
        while (size_t n = pak.ReadFile(buffer, 1, sizeof buffer, h))
            out.append(buffer, n);
        pak.CloseFile(h);
        return out;
    }

    TempFolder dir;
    PakInterface pak;
};

TEST(PakNames, SpellingsOfOneMemberNormaliseToOneKey)
{
    EXPECT_EQ(NormalizePakPath("images/Foo.png"), "IMAGES\\FOO.PNG");
    EXPECT_EQ(NormalizePakPath("IMAGES\\FOO.PNG"), "IMAGES\\FOO.PNG");
    EXPECT_EQ(NormalizePakPath("images\\x\\..\\foo.png"), "IMAGES\\FOO.PNG");
    EXPECT_EQ(NormalizePakPath("images//\\foo.png"), "IMAGES\\FOO.PNG");
    EXPECT_EQ(NormalizePakPath("a\\b\\..\\..\\\\c"), "C");
    // ".." not behind a separator and a lone "." folder are kept as written.
    EXPECT_EQ(NormalizePakPath("..\\a"), "..\\A");
    EXPECT_EQ(NormalizePakPath("a\\.\\b"), "A\\.\\B");
}

TEST(PakNames, AbsoluteNameInsideWorkingDirectoryLosesThePrefix)
{
    EXPECT_EQ(NormalizePakPath("C:\\Game\\images\\foo.png", "c:\\game"), "IMAGES\\FOO.PNG");
    EXPECT_EQ(NormalizePakPath("D:\\Other\\foo.png", "c:\\game"), "D:\\OTHER\\FOO.PNG");
    EXPECT_EQ(NormalizePakPath("/home/me/game/images/foo.png", "/home/me/game"), "IMAGES\\FOO.PNG");
    std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(NormalizePakPath(cwd + "/sounds/a.wav"), "SOUNDS\\A.WAV");
}

TEST(PakNames, BufferFormIsCutAndTerminated)
{
    char out[8];
    std::memset(out, 'x', sizeof out);
    NormalizePakPath("images/foo.png", out, sizeof out);
    EXPECT_STREQ(out, "IMAGES\\");
}

TEST(PakNames, OnlyTheWorkingDirectoryItselfIsCutFromAnAbsoluteName)
{
    const std::string cwd = "/home/me/game";
    // Folders that merely begin alike, or differ in one letter, are others.
    EXPECT_EQ(NormalizePakPath("/home/me/gamer/a.png", cwd), "\\HOME\\ME\\GAMER\\A.PNG");
    EXPECT_EQ(NormalizePakPath("/home/mo/game/a.png", cwd), "\\HOME\\MO\\GAME\\A.PNG");
    EXPECT_EQ(NormalizePakPath("D:\\Game\\a.png", "c:\\game"), "D:\\GAME\\A.PNG");
    // A name shorter than the working directory keeps all of itself.
    EXPECT_EQ(NormalizePakPath("/home/me", cwd), "\\HOME\\ME");
    EXPECT_EQ(NormalizePakPath("/home/me/game/", cwd), "");
}

TEST(PakNames, WorkingDirectoryIsHeldToItsFirst256Characters)
{
    const std::string within = "/" + std::string(255, 'd');
    EXPECT_EQ(NormalizePakPath(within + "/a.png", within), "A.PNG");
    const std::string beyond = "/" + std::string(256, 'd');
    EXPECT_EQ(NormalizePakPath(beyond + "/a.png", beyond), "\\" + std::string(256, 'D') + "\\A.PNG");
}

TEST(PakNames, ParentFolderStepsAtEitherEndOfAName)
{
    EXPECT_EQ(NormalizePakPath("images\\x\\..", ""), "IMAGES\\");
    EXPECT_EQ(NormalizePakPath("x\\..\\", ""), "");
    EXPECT_EQ(NormalizePakPath("\\..\\a.png", ""), "A.PNG");
}

TEST(PakNames, AnAbsoluteNameWithoutAWorkingDirectoryKeepsAllOfItself)
{
    EXPECT_EQ(NormalizePakPath("/images/a.png", ""), "\\IMAGES\\A.PNG");
}

TEST(PakNames, BufferFormLeavesABufferOfNoBytesAloneAndFillsOneOfOneByte)
{
    char out[4] = "abc";
    NormalizePakPath("images/foo.png", out, 0);
    EXPECT_STREQ(out, "abc");
    NormalizePakPath("images/foo.png", out, 1);
    EXPECT_STREQ(out, "") << "room for the terminator only";
    NormalizePakPath("images/foo.png", nullptr, 4);
}

TEST_F(PakLayer, EverySpellingOpensTheSameMember)
{
    Load({{"Images\\Foo.png", "png bytes"}});
    EXPECT_EQ(ReadAll("images/Foo.png"), "png bytes");
    EXPECT_EQ(ReadAll("IMAGES\\FOO.PNG"), "png bytes");
    EXPECT_EQ(ReadAll("images\\x\\..\\foo.png"), "png bytes");
    for (const char* mode : {"r", "RB", "r+b", "rt"}) {
        PakFileHandle* h = pak.OpenFile("images/foo.png", mode);
        ASSERT_NE(h, nullptr) << mode;
        EXPECT_NE(h->entry, nullptr) << mode;
        pak.CloseFile(h);
    }
}

TEST_F(PakLayer, WritingModesGoToDiskEvenWhenAMemberHasTheName)
{
    Load({{"save.dat", "member"}});
    std::filesystem::current_path(dir.Path());
    PakFileHandle* h = pak.OpenFile("save.dat", "wb");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->entry, nullptr);
    ASSERT_NE(h->file, nullptr);
    std::fputs("disk", h->file);
    pak.CloseFile(h);
    EXPECT_EQ(dir.Read("save.dat"), "disk");
    EXPECT_EQ(ReadAll("save.dat"), "member"); // reading still prefers the archive
}

TEST_F(PakLayer, MissingMemberFallsBackToDiskAndMissingFileIsNull)
{
    Load({{"a.txt", "A"}});
    dir.Write("Sub/Disk.txt", "on disk");
    EXPECT_EQ(ReadAll((dir / "Sub/Disk.txt").c_str()), "on disk");
    // Windows names: other case, other separator.
    EXPECT_EQ(ReadAll((dir.Path() + "\\SUB\\disk.TXT").c_str()), "on disk");
    EXPECT_EQ(pak.OpenFile((dir / "nothing.txt").c_str(), "rb"), nullptr);
    EXPECT_EQ(pak.OpenFile(nullptr, "rb"), nullptr);
}

TEST_F(PakLayer, ArchiveAddedLastWins)
{
    Load({{"shared.txt", "first"}, {"only1.txt", "1"}, {"dup.txt", "older"}, {"DUP.txt", "newer"}}, "main.pak");
    Load({{"SHARED.TXT", "second"}, {"only2.txt", "2"}}, "data.pak");
    EXPECT_EQ(ReadAll("shared.txt"), "second");
    EXPECT_EQ(ReadAll("only1.txt"), "1");
    EXPECT_EQ(ReadAll("only2.txt"), "2");
    EXPECT_EQ(ReadAll("dup.txt"), "newer"); // within one archive the later record wins
}

TEST_F(PakLayer, CharacterAndLineReadsDropCarriageReturnsButBlockReadsKeepThem)
{
    Load({{"t.txt", "ab\r\ncd\r\r\nlast"}});
    EXPECT_EQ(ReadAll("t.txt"), "ab\r\ncd\r\r\nlast");

    PakFileHandle* h = pak.OpenFile("t.txt", "r");
    std::string chars;
    for (int c; (c = pak.ReadChar(h)) != EOF;)
        chars += static_cast<char>(c);
    EXPECT_EQ(chars, "ab\ncd\nlast");
    EXPECT_EQ(pak.AtEnd(h), 1);

    pak.SeekFile(h, 0, SEEK_SET);
    char line[16];
    ASSERT_NE(pak.ReadLine(line, sizeof line, h), nullptr);
    EXPECT_STREQ(line, "ab\n");
    ASSERT_NE(pak.ReadLine(line, sizeof line, h), nullptr);
    EXPECT_STREQ(line, "cd\n");
    ASSERT_NE(pak.ReadLine(line, 3, h), nullptr);
    EXPECT_STREQ(line, "la");
    ASSERT_NE(pak.ReadLine(line, sizeof line, h), nullptr);
    EXPECT_STREQ(line, "st");
    std::strcpy(line, "keep");
    EXPECT_EQ(pak.ReadLine(line, sizeof line, h), nullptr);
    EXPECT_STREQ(line, "keep");
    pak.CloseFile(h);
}

TEST_F(PakLayer, ReadLineNeverWritesIntoABufferOfNoBytes)
{
    Load({{"t.txt", "abc"}});
    PakFileHandle* h = pak.OpenFile("t.txt", "r");
    char guard[2] = {'g', 'g'};
    EXPECT_EQ(pak.ReadLine(guard, 0, h), nullptr);
    EXPECT_EQ(pak.ReadLine(guard, -5, h), nullptr);
    EXPECT_EQ(guard[0], 'g');
    ASSERT_NE(pak.ReadLine(guard, 1, h), nullptr); // room for the terminator only
    EXPECT_EQ(guard[0], 0);
    EXPECT_EQ(pak.TellFile(h), 0);
    pak.CloseFile(h);
}

TEST_F(PakLayer, SeeksClampToTheMember)
{
    Load({{"s.bin", "0123456789"}});
    PakFileHandle* h = pak.OpenFile("s.bin", "rb");
    char b[4];
    EXPECT_EQ(pak.SeekFile(h, 0, SEEK_END), 0);
    EXPECT_EQ(pak.TellFile(h), 10);
    EXPECT_EQ(pak.AtEnd(h), 1);
    EXPECT_EQ(pak.ReadFile(b, 1, 4, h), 0u);
    EXPECT_EQ(pak.ReadChar(h), EOF);

    EXPECT_EQ(pak.SeekFile(h, -3, SEEK_END), 0);
    EXPECT_EQ(pak.ReadFile(b, 1, 4, h), 3u);
    EXPECT_EQ(std::string(b, 3), "789");

    EXPECT_EQ(pak.SeekFile(h, 99, SEEK_SET), 0);
    EXPECT_EQ(pak.TellFile(h), 10);
    EXPECT_EQ(pak.SeekFile(h, -99, SEEK_CUR), 0);
    EXPECT_EQ(pak.TellFile(h), 0);
    // Offsets that would overflow a 32-bit position still clamp.
    pak.SeekFile(h, 5, SEEK_SET);
    pak.SeekFile(h, 0x7FFFFFFF, SEEK_CUR);
    EXPECT_EQ(pak.TellFile(h), 10);
    pak.SeekFile(h, 4, SEEK_SET);
    pak.SeekFile(h, 1, 7); // unknown origin leaves the position
    EXPECT_EQ(pak.TellFile(h), 4);

    pak.SeekFile(h, 0, SEEK_SET);
    EXPECT_EQ(pak.UnreadChar('x', h), 'x');
    EXPECT_EQ(pak.TellFile(h), 0);
    EXPECT_EQ(pak.ReadChar(h), '0');
    pak.UnreadChar('0', h);
    EXPECT_EQ(pak.ReadChar(h), '0');
    pak.CloseFile(h);
}

TEST_F(PakLayer, BlockReadsCountWholeElementsAndNeverOverrunTheMember)
{
    Load({{"e.bin", "0123456789"}, {"next.bin", "NEXT"}});
    PakFileHandle* h = pak.OpenFile("e.bin", "rb");
    char b[16] = {};
    EXPECT_EQ(pak.ReadFile(b, 4, 3, h), 2u); // 10 bytes: two whole elements
    EXPECT_EQ(pak.TellFile(h), 10);
    EXPECT_EQ(std::string(b, 10), "0123456789");
    pak.SeekFile(h, 0, SEEK_SET);
    EXPECT_EQ(pak.ReadFile(b, 0, 3, h), 0u);
    EXPECT_EQ(pak.ReadFile(b, 3, SIZE_MAX / 2, h), 3u); // a product that overflows
    EXPECT_EQ(pak.AtEnd(h), 1);
    pak.CloseFile(h);
}

TEST_F(PakLayer, SearchListsMembersInKeyOrderThenDiskFiles)
{
    Load({{"sounds\\b.wav", "bb"}, {"sounds\\A.wav", "a"}, {"sounds\\c.ogg", "c"}, {"sounds\\deep\\d.wav", "d"},
          {"other\\e.wav", "e"}});
    dir.Write("sounds/zdisk.wav", "disk");
    std::filesystem::current_path(dir.Path());

    PakFindData data;
    std::vector<std::string> names;
    PakFindHandle search = pak.BeginFind("sounds/*.wav", &data);
    ASSERT_NE(search, kInvalidPakFindHandle);
    do {
        names.push_back(data.cFileName);
        if (names.back() == "A.wav") {
            EXPECT_EQ(data.nFileSizeLow, 1u);
            EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, 0x01D00000u);
            EXPECT_EQ(data.dwFileAttributes, 0u);
        }
    } while (pak.ContinueFind(search, &data));
    EXPECT_EQ(pak.EndFind(search), 1);
    EXPECT_EQ(names, (std::vector<std::string>{"A.wav", "b.wav", "d.wav", "zdisk.wav"}));

    // Without a "*" no member matches; only the disk is searched.
    EXPECT_EQ(pak.BeginFind("sounds\\b.wav", &data), kInvalidPakFindHandle);
    search = pak.BeginFind("sounds\\zdisk.wav", &data);
    ASSERT_NE(search, kInvalidPakFindHandle);
    EXPECT_STREQ(data.cFileName, "zdisk.wav");
    EXPECT_FALSE(pak.ContinueFind(search, &data));
    pak.EndFind(search);

    // "name.*" takes every member behind the prefix.
    names.clear();
    search = pak.BeginFind("SOUNDS\\C*.*", &data);
    ASSERT_NE(search, kInvalidPakFindHandle);
    do
        names.push_back(data.cFileName);
    while (pak.ContinueFind(search, &data));
    pak.EndFind(search);
    EXPECT_EQ(names, (std::vector<std::string>{"c.ogg"}));
}

TEST_F(PakLayer, CallsWithoutAHandleOrBufferFailAsTheCLibraryDoes)
{
    char b[8] = {};
    PakFindData data;
    EXPECT_EQ(pak.CloseFile(nullptr), 0);
    EXPECT_EQ(pak.SeekFile(nullptr, 0, SEEK_SET), -1);
    EXPECT_EQ(pak.TellFile(nullptr), -1);
    EXPECT_EQ(pak.ReadFile(b, 1, 1, nullptr), 0u);
    EXPECT_EQ(pak.ReadChar(nullptr), EOF);
    EXPECT_EQ(pak.UnreadChar('x', nullptr), EOF);
    EXPECT_EQ(pak.ReadLine(b, sizeof b, nullptr), nullptr);
    EXPECT_EQ(pak.AtEnd(nullptr), 1);
    EXPECT_EQ(pak.BeginFind("*", nullptr), kInvalidPakFindHandle);
    EXPECT_EQ(pak.BeginFind(nullptr, &data), kInvalidPakFindHandle);
    EXPECT_FALSE(pak.ContinueFind(nullptr, &data));
    EXPECT_FALSE(pak.ContinueFind(kInvalidPakFindHandle, &data));
    EXPECT_EQ(pak.EndFind(kInvalidPakFindHandle), 1);
    EXPECT_EQ(pak.EndFind(nullptr), 1);

    Load({{"m.txt", "member"}});
    dir.Write("d.txt", "disk");
    std::filesystem::current_path(dir.Path());
    PakFindHandle search = pak.BeginFind("*.txt", &data);
    ASSERT_NE(search, kInvalidPakFindHandle);
    EXPECT_FALSE(pak.ContinueFind(search, nullptr));
    pak.EndFind(search);
    for (PakFileHandle* h : {pak.OpenFile("m.txt", "rb"), pak.OpenFile((dir / "d.txt").c_str(), "rb")}) {
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(pak.ReadFile(nullptr, 1, 4, h), 0u);
        EXPECT_EQ(pak.ReadLine(nullptr, 4, h), nullptr);
        EXPECT_EQ(pak.TellFile(h), 0);
        EXPECT_EQ(pak.CloseFile(h), 0);
    }
}

TEST_F(PakLayer, ADiskFileReadsSeeksAndEndsAsAMemberDoes)
{
    Load({{"m.txt", "0123456789"}});
    dir.Write("d.txt", "0123456789");
    for (PakFileHandle* h : {pak.OpenFile("m.txt", "rb"), pak.OpenFile((dir / "d.txt").c_str(), "rb")}) {
        ASSERT_NE(h, nullptr);
        char b[8] = {};
        EXPECT_EQ(pak.SeekFile(h, 3, SEEK_SET), 0);
        EXPECT_EQ(pak.TellFile(h), 3);
        EXPECT_EQ(pak.ReadFile(b, 4, 1, h), 1u) << "one whole record";
        EXPECT_EQ(std::string(b, 4), "3456");
        EXPECT_EQ(pak.AtEnd(h), 0) << "not at the end while bytes are left";
        ASSERT_NE(pak.ReadLine(b, 1, h), nullptr) << "a buffer of one byte gets an empty line";
        EXPECT_STREQ(b, "");
        EXPECT_EQ(pak.ReadFile(b, 1, sizeof b, h), 3u);
        EXPECT_EQ(pak.ReadChar(h), EOF);
        EXPECT_NE(pak.AtEnd(h), 0);
        pak.CloseFile(h);
    }
}

TEST_F(PakLayer, ACountWhoseByteTotalWrapsReadsWhatIsLeft)
{
    Load({{"e.bin", "01234567"}});
    PakFileHandle* h = pak.OpenFile("e.bin", "rb");
    char b[8];
    // 4 x (2^62 + 1) wraps to 4 in 64 bits.
    EXPECT_EQ(pak.ReadFile(b, 4, (size_t{1} << 62) + 1, h), 2u);
    pak.CloseFile(h);
}

TEST_F(PakLayer, SearchResultsAreWholeWhateverTheCallerHeldBefore)
{
    Load({{"sounds\\a.wav", "a"}, {"sounds\\deep\\d.wav", "dd"}});
    dir.Write("sounds/disk.wav", "0123");
    std::filesystem::current_path(dir.Path());
    PakFindData data;
    auto scribble = [&] { std::memset(static_cast<void*>(&data), 0xAB, sizeof data); };

    scribble();
    PakFindHandle search = pak.BeginFind("sounds\\*.wav", &data);
    ASSERT_NE(search, kInvalidPakFindHandle);
    EXPECT_STREQ(data.cFileName, "a.wav");
    EXPECT_EQ(data.dwFileAttributes, 0u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(data.dwReserved0, 0u);
    EXPECT_EQ(data.cAlternateFileName[0], 0);

    scribble();
    ASSERT_TRUE(pak.ContinueFind(search, &data));
    EXPECT_STREQ(data.cFileName, "d.wav");
    EXPECT_EQ(data.dwFileAttributes, kPakAttributeDirectory) << "a member in a deeper folder is shown as a folder";

    scribble();
    ASSERT_TRUE(pak.ContinueFind(search, &data));
    EXPECT_STREQ(data.cFileName, "disk.wav");
    EXPECT_EQ(data.dwFileAttributes, 0x80u) << "a plain file";
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(data.nFileSizeLow, 4u);
    EXPECT_EQ(data.dwReserved0, 0u);
    const platform::FindData disk = platform::FindFiles(dir / "sounds/disk.wav").at(0);
    EXPECT_EQ(data.ftCreationTime.dwLowDateTime, disk.creationTime.dwLowDateTime);
    EXPECT_EQ(data.ftCreationTime.dwHighDateTime, disk.creationTime.dwHighDateTime);
    EXPECT_EQ(data.ftLastAccessTime.dwLowDateTime, disk.lastAccessTime.dwLowDateTime);
    EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, disk.lastWriteTime.dwLowDateTime);
    EXPECT_FALSE(pak.ContinueFind(search, &data));
    pak.EndFind(search);
}

TEST_F(PakLayer, ASearchThatOnlyTheDiskAnswersListsEveryFile)
{
    Load({{"other.txt", "x"}});
    dir.Write("notes/one.txt", "1");
    dir.Write("notes/two.txt", "2");
    dir.Write("notes/three.txt", "3");
    std::vector<std::string> names;
    PakFindData data;
    PakFindHandle search = pak.BeginFind((dir / "notes/*.txt").c_str(), &data);
    ASSERT_NE(search, kInvalidPakFindHandle);
    do
        names.push_back(data.cFileName);
    while (pak.ContinueFind(search, &data));
    pak.EndFind(search);
    EXPECT_EQ(names, (std::vector<std::string>{"one.txt", "three.txt", "two.txt"}));
}

TEST_F(PakLayer, ADiskFileOver4GBReportsItsSizeInTwoHalves)
{
    // Sparse: takes no room on the disk.
    std::filesystem::resize_file(dir.Write("huge.bin", ""), (uint64_t{5} << 30) + 7);
    PakFindData data;
    PakFindHandle search = pak.BeginFind((dir / "huge.bin").c_str(), &data);
    ASSERT_NE(search, kInvalidPakFindHandle);
    EXPECT_EQ(data.nFileSizeHigh, 1u);
    EXPECT_EQ(data.nFileSizeLow, (1u << 30) + 7);
    pak.EndFind(search);
}

TEST_F(PakLayer, AStarAlsoMatchesNothing)
{
    Load({{"data", "d"}, {"a.txt", "A"}});
    std::filesystem::current_path(dir.Path());
    PakFindData data;
    for (const char* pattern : {"DATA*", "*A.TXT"}) {
        PakFindHandle search = pak.BeginFind(pattern, &data);
        ASSERT_NE(search, kInvalidPakFindHandle) << pattern;
        pak.EndFind(search);
    }
}

TEST(PakRegistration, ALayerServesTheProcessWhileItLivesIfNoneDidBefore)
{
    PakInterfaceBase* previous = pak_testing::ReplaceSharedPakInterface(nullptr);
    {
        PakInterface first;
        EXPECT_EQ(GetSharedPakInterface(), &first);
        {
            PakInterface second;
            EXPECT_EQ(GetSharedPakInterface(), &first) << "the first layer keeps serving";
        }
        EXPECT_EQ(GetSharedPakInterface(), &first);
    }
    EXPECT_EQ(GetSharedPakInterface(), nullptr) << "a layer that goes away is no longer used";
    pak_testing::ReplaceSharedPakInterface(previous);
}

// Archives that are damaged or not archives at all.
class PakBadArchive : public PakLayer {
protected:
    std::vector<uint8_t> Good()
    {
        return MakeArchive({{"one.txt", "first member"}, {"two.txt", "second"}});
    }
    void ExpectRefused(const std::vector<uint8_t>& bytes, const std::string& reason)
    {
        dir.Write("disk.txt", "still here");
        std::string file = dir.Write("bad.pak", bytes);
        EXPECT_FALSE(pak.AddPakArchive(file));
        EXPECT_NE(pak.LastError().find(reason), std::string::npos) << pak.LastError();
        EXPECT_NE(pak.LastError().find("bad.pak"), std::string::npos) << pak.LastError();
        EXPECT_EQ(ReadAll("one.txt"), "<missing>");
        EXPECT_EQ(ReadAll((dir / "disk.txt").c_str()), "still here");
    }
};

TEST_F(PakBadArchive, WrongMagicOrVersionIsRefused)
{
    auto bytes = Good();
    bytes[0] ^= 0x01;
    ExpectRefused(bytes, "magic");
    bytes = Good();
    bytes[4] ^= 0x02;
    ExpectRefused(bytes, "version 2");
}

TEST_F(PakBadArchive, TruncatedArchiveIsRefusedWhereverItEnds)
{
    auto good = Good();
    ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + 6), "header");
    ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + 12), "inside directory entry 0");
    ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + 8), "inside its directory");
    // Inside the second half of the first record's time stamp.
    const size_t timeHigh = 4 + 4 + 1 + 1 + 7 + 4 + 4;
    ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + timeHigh + 2), "inside directory entry 0");
    ExpectRefused(std::vector<uint8_t>(good.begin(), good.end() - 1), "runs past the end");
    ExpectRefused({}, "header");
}

TEST_F(PakBadArchive, EntryWhoseSizeRunsPastTheEndIsRefused)
{
    auto bytes = Good();
    // The size field of the first record: magic, version, flags, length, 7 name bytes.
    size_t sizeField = 4 + 4 + 1 + 1 + 7;
    bytes[sizeField + 3] = static_cast<uint8_t>(0x7F ^ kPakScrambleKey);
    ExpectRefused(bytes, "entry 0 (\"one.txt\") runs past the end");
}

TEST_F(PakBadArchive, UnreadableFileIsRefusedWithItsName)
{
    EXPECT_FALSE(pak.AddPakArchive(dir / "absent.pak"));
    EXPECT_NE(pak.LastError().find("absent.pak"), std::string::npos);
    EXPECT_FALSE(pak.AddPakArchive(dir.Path()));
    EXPECT_NE(pak.LastError().find("a folder"), std::string::npos) << pak.LastError();
    // A pipe would hold the start-up until something was written to it.
    platform::testing::PipeWatch pipe(dir / "data.pak");
    EXPECT_FALSE(pak.AddPakArchive(dir / "data.pak"));
    EXPECT_NE(pak.LastError().find("data.pak: cannot open the file (not a regular file"), std::string::npos)
        << pak.LastError();
    EXPECT_EQ(pipe.Stop(), 0) << "the pipe was opened";
}

TEST_F(PakBadArchive, GoodArchiveAfterABadOneStillLoads)
{
    ExpectRefused({1, 2, 3}, "header");
    Load({{"one.txt", "ok"}}, "good.pak");
    EXPECT_EQ(ReadAll("one.txt"), "ok");
    EXPECT_EQ(pak.LastError(), "");
}

// Seeded random damage to a valid archive, through the directory reader and
// the layer: every member that is entered must lie inside the file.
TEST(PakArchiveMutations, RandomDamageIsRefusedOrReadSafely)
{
    std::vector<std::pair<std::string, std::string>> members;
    for (int i = 0; i < 6; ++i)
        members.push_back({"dir\\member" + std::to_string(i) + ".dat", std::string(static_cast<size_t>(i * 13), 'a' + i)});
    const std::vector<uint8_t> good = MakeArchive(members);
    std::mt19937 rng(20261207);
    TempFolder dir;
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        std::vector<uint8_t> bytes = good;
        int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            switch (rng() % 4) {
            case 0: bytes[rng() % bytes.size()] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
            case 1: bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng()); break;
            case 2: bytes.resize(rng() % (bytes.size() + 1)); break;
            case 3: bytes.insert(bytes.begin() + static_cast<long>(rng() % (bytes.size() + 1)), static_cast<uint8_t>(rng())); break;
            }
            if (bytes.empty())
                break;
        }
        // Exact-size heap copy, so that a read past the end is caught.
        std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() + 1]);
        std::copy(bytes.begin(), bytes.end(), copy.get());
        std::vector<PakDirectoryRecord> records;
        std::string error;
        if (ReadPakDirectory(copy.get(), bytes.size(), &records, &error)) {
            ++accepted;
            for (const PakDirectoryRecord& r : records) {
                ASSERT_LE(uint64_t{r.start} + r.size, bytes.size());
                std::vector<uint8_t> plain(r.size);
                PakDescramble(plain.data(), copy.get() + r.start, r.size);
            }
        } else {
            EXPECT_FALSE(error.empty());
        }
        if (round % 40 == 0) {
            PakInterface pak;
            std::string file = dir.Write("m.pak", bytes);
            bool added = pak.AddPakArchive(file);
            EXPECT_EQ(added, pak.LastError().empty());
            PakFindData data;
            PakFindHandle search = pak.BeginFind("*", &data);
            if (search != kInvalidPakFindHandle) {
                do {
                } while (pak.ContinueFind(search, &data));
                pak.EndFind(search);
            }
        }
    }
    EXPECT_GT(accepted, 0); // damage inside member data leaves a readable archive
}

} // namespace
