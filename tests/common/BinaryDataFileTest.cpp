#include "common/BinaryDataFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "pak/PakFileFunctions.h"
#include "pak/PakInterface.h"
#include <cerrno>

#include "platform/core/Testing.h"
#include "tests/pak/PakTestFiles.h"

using paktest::TempFolder;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

class BinaryFile : public ::testing::Test {
protected:
    TempFolder dir;
    std::string path = dir / "data.bin";
};

TEST_F(BinaryFile, IntegersAreBigEndianAndReadBackAsWritten)
{
    {
        BinaryDataFile f(path);
        ASSERT_TRUE(f.Open(2));
        EXPECT_TRUE(f.WriteUInt(16909060));
        EXPECT_TRUE(f.WriteShort(0xFFFE));
        EXPECT_TRUE(f.WriteByte(7));
        EXPECT_TRUE(f.Close());
    }
    EXPECT_EQ(dir.Read("data.bin"), Bytes({1, 2, 3, 4, 0xFF, 0xFE, 7}));

    BinaryDataFile f(path);
    ASSERT_TRUE(f.Open(1));
    uint32_t u = 0;
    int16_t s = 0;
    uint16_t us = 0;
    bool flag = false;
    EXPECT_TRUE(f.ReadUInt(&u, -1));
    EXPECT_EQ(u, 16909060u);
    EXPECT_TRUE(f.ReadShort(&s, -1));
    EXPECT_EQ(s, -2);
    EXPECT_TRUE(f.ReadUShort(&us, 4));
    EXPECT_EQ(us, 0xFFFE);
    EXPECT_TRUE(f.ReadBool(&flag, 6));
    EXPECT_TRUE(flag);
    // At the end nothing is read and the out-parameter keeps its value.
    EXPECT_FALSE(f.ReadUInt(&u, 5));
    EXPECT_EQ(u, 16909060u);
}

TEST_F(BinaryFile, StringFieldsAreFixedLengthNulPaddedAndCut)
{
    BinaryDataFile f(path);
    ASSERT_TRUE(f.Open(2));
    EXPECT_TRUE(f.WriteString("abc", 8));
    EXPECT_TRUE(f.WriteString("abcdefgh", 8));
    EXPECT_TRUE(f.WriteString("abcdefghijk", 4));
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(dir.Read("data.bin"), std::string("abc\0\0\0\0\0abcdefghabcd", 20));

    ASSERT_TRUE(f.Open(1));
    std::string text;
    EXPECT_TRUE(f.ReadString(&text, 8, 8));
    EXPECT_EQ(text, "abcdefgh");
    EXPECT_TRUE(f.ReadString(&text, 8, 0));
    EXPECT_EQ(text, "abc");
}

TEST_F(BinaryFile, ShortStringReadHandsOutWhatWasThereAndFails)
{
    dir.Write("data.bin", "hello");
    BinaryDataFile f(path);
    ASSERT_TRUE(f.Open(1));
    std::string text = "old";
    EXPECT_FALSE(f.ReadString(&text, 8, 0));
    EXPECT_EQ(text, "hello");
}

TEST_F(BinaryFile, OpenModesAndClosedFiles)
{
    BinaryDataFile f(path);
    EXPECT_FALSE(f.Open(1)); // mode 1 needs an existing file
    EXPECT_FALSE(f.IsOpen());
    uint32_t u = 5;
    EXPECT_FALSE(f.ReadUInt(&u, 0));
    EXPECT_FALSE(f.WriteUInt(1, 0));
    EXPECT_FALSE(f.Truncate());
    EXPECT_EQ(u, 5u);
    EXPECT_TRUE(f.Open(2)); // creates it
    EXPECT_TRUE(std::filesystem::exists(path));
    f.Close();
    EXPECT_TRUE(f.Exists());
    EXPECT_TRUE(f.Delete());
    EXPECT_FALSE(f.Exists());

    BinaryDataFile empty("");
    EXPECT_FALSE(empty.Open(2));
    EXPECT_FALSE(empty.Create());
    EXPECT_FALSE(empty.Delete());
}

TEST_F(BinaryFile, AppendModeWritesAtTheEndWhereverItSeeks)
{
    dir.Write("data.bin", "ab");
    BinaryDataFile f(path);
    ASSERT_TRUE(f.Open(2));
    EXPECT_TRUE(f.WriteByte('c', 0));
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(dir.Read("data.bin"), "abc");
}

TEST_F(BinaryFile, TruncateKeepsTheFileOpenEmptyAtOffsetZero)
{
    dir.Write("data.bin", "previous contents");
    BinaryDataFile f(path);
    ASSERT_TRUE(f.Open(1));
    ASSERT_TRUE(f.Truncate());
    EXPECT_TRUE(f.IsOpen());
    bool b;
    EXPECT_FALSE(f.ReadBool(&b, -1));
    EXPECT_TRUE(f.WriteString("new", 4));
    std::string text;
    EXPECT_TRUE(f.ReadString(&text, 4, 0));
    EXPECT_EQ(text, "new");
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(dir.Read("data.bin"), std::string("new\0", 4));
}

TEST_F(BinaryFile, DiskKeepsThePreviousFileUntilTheWholeNewOneIsStored)
{
    dir.Write("data.bin", "old profile");
    BinaryDataFile f(path);
    ASSERT_TRUE(f.Open(1));
    ASSERT_TRUE(f.Truncate());
    ASSERT_TRUE(f.WriteString("half", 16));
    EXPECT_EQ(dir.Read("data.bin"), "old profile"); // a crash here loses nothing

    platform::testing::FailNext("WriteFileAtomic.Write", ENOSPC); // the disk fills up
    EXPECT_FALSE(f.Close());
    EXPECT_NE(f.LastError().find("data.bin"), std::string::npos) << f.LastError();
    EXPECT_EQ(dir.Read("data.bin"), "old profile");
    // No temporary file is left behind.
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST_F(BinaryFile, DiscardClosesAndLeavesTheFileAsItWas)
{
    dir.Write("data.bin", "old profile");
    BinaryDataFile f(path);
    ASSERT_TRUE(f.Open(1));
    ASSERT_TRUE(f.Truncate());
    ASSERT_TRUE(f.WriteString("half", 16));
    f.Discard(); // what was written could not be finished
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(dir.Read("data.bin"), "old profile");
    ASSERT_TRUE(f.Close()) << "nothing left to store";
    EXPECT_EQ(dir.Read("data.bin"), "old profile");
}

TEST_F(BinaryFile, WritesInsideTheFileKeepTheRest)
{
    dir.Write("data.bin", Bytes({0, 0, 0, 0, 9, 9}));
    BinaryDataFile f(path);
    ASSERT_TRUE(f.Open(1));
    EXPECT_TRUE(f.WriteShort(0x0102, 1));
    EXPECT_TRUE(f.WriteByte(5, 8)); // past the end: the gap is zero-filled
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(dir.Read("data.bin"), Bytes({0, 1, 2, 0, 9, 9, 0, 0, 5}));
}

TEST_F(BinaryFile, ArchiveMemberIsReadableButNeverWritten)
{
    PakInterface* layer = GetProcessPakInterface();
    ASSERT_EQ(GetSharedPakInterface(), layer);
    ASSERT_TRUE(layer->AddPakArchive(dir.Write("anim.pak", paktest::MakeArchive({{"anim\\walk.ani", "\x01\x02"}}))))
        << layer->LastError();
    std::filesystem::current_path(dir.Path());

    BinaryDataFile f("anim\\WALK.ani");
    EXPECT_TRUE(f.Exists());
    ASSERT_TRUE(f.Open(1));
    uint16_t v = 0;
    EXPECT_TRUE(f.ReadUShort(&v, 0));
    EXPECT_EQ(v, 0x0102);
    EXPECT_FALSE(f.WriteByte(1, 0));
    EXPECT_TRUE(f.Close());
    EXPECT_FALSE(std::filesystem::exists(dir / "anim"));
}

TEST_F(BinaryFile, ListFilesFindsByExtensionAndSkipsDotNames)
{
    dir.Write("save/Bob_.usr", "x");
    dir.Write("save/Ann_.usr", "x");
    dir.Write("save/.hidden.usr", "x");
    dir.Write("save/notes.txt", "x");
    std::vector<std::string> names = {"stale"};
    BinaryDataFile::ListFiles(dir / "save/", "usr", &names);
    EXPECT_EQ(names, (std::vector<std::string>{"Ann_.usr", "Bob_.usr"}));
    BinaryDataFile::ListFiles(dir / "missing/", "usr", &names);
    EXPECT_TRUE(names.empty());
}

TEST_F(BinaryFile, AFileWrittenAfreshAppearsWholeAtItsCloseOrNotAtAll)
{
    BinaryDataFile f(path);
    f.OpenNew();
    EXPECT_TRUE(f.IsOpen());
    EXPECT_TRUE(f.WriteString("new", 4));
    EXPECT_FALSE(std::filesystem::exists(path)) << "nothing is made before the close";
    f.Discard();
    EXPECT_FALSE(std::filesystem::exists(path)) << "a discarded new file never appears";

    f.OpenNew();
    EXPECT_TRUE(f.WriteString("new", 4));
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(dir.Read("data.bin"), std::string("new\0", 4));

    // Over a file that exists: nothing of it is read, and it is replaced
    // whole, or kept as it was when the store fails.
    f.OpenNew();
    EXPECT_TRUE(f.WriteByte(7));
    platform::testing::FailNext("WriteFileAtomic.Write", ENOSPC);
    EXPECT_FALSE(f.Close());
    EXPECT_EQ(dir.Read("data.bin"), std::string("new\0", 4));
    f.OpenNew();
    EXPECT_TRUE(f.WriteByte(7));
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(dir.Read("data.bin"), Bytes({7}));
}

TEST_F(BinaryFile, ACopyIsKeptOnlyWhereNoFileIsYet)
{
    dir.Write("data.bin", "damaged profile");
    BinaryDataFile f(path);
    ASSERT_TRUE(f.KeepCopyAs(dir / "data.bak")) << f.LastError();
    EXPECT_EQ(dir.Read("data.bak"), "damaged profile");

    dir.Write("other.bak", "someone else's");
    EXPECT_FALSE(f.KeepCopyAs(dir / "other.bak"));
    EXPECT_EQ(f.LastFileError().code, EEXIST) << f.LastError();
    EXPECT_EQ(dir.Read("other.bak"), "someone else's");

    BinaryDataFile missing(dir / "missing.bin");
    EXPECT_FALSE(missing.KeepCopyAs(dir / "missing.bak"));
    EXPECT_EQ(missing.LastFileError().step, platform::FileStep::Read) << missing.LastError();
    EXPECT_EQ(missing.LastFileError().code, ENOENT) << missing.LastError();
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.bak"));
}

} // namespace
