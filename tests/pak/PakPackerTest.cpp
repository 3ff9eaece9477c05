#include "pak/PakFolderPacker.h"

#include <gtest/gtest.h>

#include "pak/PakInterface.h"
#include "tests/pak/PakTestFiles.h"

using paktest::TempFolder;

namespace {

std::vector<uint8_t> PackFolder(const std::string& folder, uint64_t time = 0)
{
    std::vector<PakMemberSource> members;
    std::string error;
    EXPECT_TRUE(CollectPakMembers(folder, time, &members, &error)) << error;
    std::vector<uint8_t> out;
    EXPECT_TRUE(BuildPakArchive(members, &out, &error)) << error;
    return out;
}

TEST(PakPacker, PackedFolderReadsBackThroughTheLayerWithWindowsNames)
{
    TempFolder src, out;
    src.Write("images/Card.png", "card");
    src.Write("images/deep/Back.png", std::string("\0\r\n\xff", 4));
    src.Write("main.xml", "<xml/>");
    std::string file = out.Write("assets.pak", PackFolder(src.Path(), 0x0123456789ABCDEFull));

    PakInterface pak;
    ASSERT_TRUE(pak.AddPakArchive(file)) << pak.LastError();
    PakFileHandle* h = pak.OpenFile("IMAGES/DEEP/back.png", "rb");
    ASSERT_NE(h, nullptr);
    char b[8];
    ASSERT_EQ(pak.ReadFile(b, 1, sizeof b, h), 4u);
    EXPECT_EQ(std::string(b, 4), std::string("\0\r\n\xff", 4));
    pak.CloseFile(h);

    PakFindData data;
    PakFindHandle search = pak.BeginFind("images\\*", &data);
    ASSERT_NE(search, kInvalidPakFindHandle);
    EXPECT_STREQ(data.cFileName, "Card.png"); // the stored name keeps its case
    EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, 0x89ABCDEFu);
    EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, 0x01234567u);
    ASSERT_TRUE(pak.ContinueFind(search, &data));
    EXPECT_STREQ(data.cFileName, "Back.png");
    EXPECT_EQ(data.dwFileAttributes, kPakAttributeDirectory); // matched below a subfolder
    pak.EndFind(search);
}

TEST(PakPacker, SameFilesGiveTheSameBytesWhateverTheirCreationOrder)
{
    TempFolder a, b;
    a.Write("z.txt", "z");
    a.Write("a/b.txt", "ab");
    a.Write("M.txt", "m");
    b.Write("M.txt", "m");
    b.Write("a/b.txt", "ab");
    b.Write("z.txt", "z");
    EXPECT_EQ(PackFolder(a.Path()), PackFolder(b.Path()));

    std::vector<PakMemberSource> members;
    std::string error;
    ASSERT_TRUE(CollectPakMembers(a.Path(), 0, &members, &error));
    std::vector<std::string> names;
    for (const auto& m : members)
        names.push_back(m.name);
    EXPECT_EQ(names, (std::vector<std::string>{"M.txt", "a\\b.txt", "z.txt"}));
}

TEST(PakPacker, UnpackableInputIsRefusedWithAReason)
{
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_FALSE(BuildPakArchive({PakMemberSource{std::string(256, 'n'), {}, 0}}, &out, &error));
    EXPECT_NE(error.find("255"), std::string::npos);
    EXPECT_TRUE(BuildPakArchive({PakMemberSource{std::string(255, 'n'), {}, 0}}, &out, &error));

    std::vector<PakMemberSource> members;
    EXPECT_FALSE(CollectPakMembers("/nonexistent/folder", 0, &members, &error));
    EXPECT_NE(error.find("/nonexistent/folder"), std::string::npos);
}

} // namespace
