#include "pak/PakFileFunctions.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "pak/PakInterface.h"
#include "platform/core/DataFileReader.h"
#include "tests/pak/PakTestFiles.h"

using paktest::TempFolder;

namespace {

// Runs a test with the given layer registered (null: none) and puts the
// process's layer back afterwards.
class WithLayer {
public:
    explicit WithLayer(PakInterfaceBase* layer) : previous_(pak_testing::ReplaceSharedPakInterface(layer)) {}
    ~WithLayer() { pak_testing::ReplaceSharedPakInterface(previous_); }

private:
    PakInterfaceBase* previous_;
};

std::string ReadWhole(PakFileHandle* h)
{
    std::string out;
    for (int c; !PakFileAtEnd(h) && (c = PakFileGetChar(h)) != EOF;)
        out += static_cast<char>(c);
    return out;
}

TEST(PakFileFunctions, TheProgramsLayerIsRegisteredBeforeMain)
{
    ASSERT_NE(GetProcessPakInterface(), nullptr);
    EXPECT_EQ(GetSharedPakInterface(), GetProcessPakInterface());
    // A second layer does not take the place of the first.
    PakInterface other;
    EXPECT_EQ(GetSharedPakInterface(), GetProcessPakInterface());
}

TEST(PakFileFunctions, WithoutALayerTheyArePlainDiskFiles)
{
    WithLayer none(nullptr);
    TempFolder dir;
    EXPECT_EQ(PakFileOpen((dir / "missing.txt").c_str(), "rb"), nullptr);

    dir.Write("Data.txt", "line\r\nxyz");
    PakFileHandle* h = PakFileOpen((dir.Path() + "\\data.TXT").c_str(), "rb");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->entry, nullptr);
    char b[4];
    EXPECT_EQ(PakFileRead(b, 2, 2, h), 2u);
    EXPECT_EQ(std::string(b, 4), "line");
    EXPECT_EQ(PakFileTell(h), 4);
    EXPECT_EQ(PakFileSeek(h, 0, SEEK_SET), 0);
    EXPECT_EQ(PakFileRead(b, 1, 4, h), 4u) << "counted in elements, not in bytes or calls";
    EXPECT_EQ(PakFileRead(nullptr, 1, 4, h), 0u);
    EXPECT_EQ(PakFileSeek(h, -3, SEEK_END), 0);
    EXPECT_EQ(ReadWhole(h), "xyz"); // stdio keeps carriage returns and all
    EXPECT_NE(PakFileAtEnd(h), 0);
    EXPECT_EQ(PakFileClose(h), 0);

    h = PakFileOpen((dir / "out.bin").c_str(), "wb");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(PakFileWrite(h, "abcd", 2, 2), 2u);
    PakFileClose(h);
    EXPECT_EQ(dir.Read("out.bin"), "abcd");

    // No file at all: every function says so and touches nothing.
    EXPECT_EQ(PakFileSeek(nullptr, 0, SEEK_SET), -1);
    EXPECT_EQ(PakFileTell(nullptr), -1);
    EXPECT_EQ(PakFileRead(b, 1, 4, nullptr), 0u);
    EXPECT_EQ(PakFileGetChar(nullptr), EOF);
    EXPECT_NE(PakFileAtEnd(nullptr), 0);
    EXPECT_EQ(PakFileWrite(nullptr, "ab", 1, 2), 0u);
    EXPECT_EQ(PakFileClose(nullptr), EOF);
}

TEST(PakFileFunctions, WithALayerMembersComeFirstAndCannotBeWritten)
{
    TempFolder dir;
    PakInterface layer;
    ASSERT_TRUE(layer.AddPakArchive(dir.Write("main.pak", paktest::MakeArchive({{"fonts\\a.txt", "x\r\ny"}}))));
    WithLayer registered(&layer);
    std::filesystem::current_path(dir.Path());
    dir.Write("fonts/a.txt", "disk copy");

    PakFileHandle* h = PakFileOpen("FONTS/A.TXT", "r");
    ASSERT_NE(h, nullptr);
    ASSERT_NE(h->entry, nullptr);
    EXPECT_EQ(PakFileWrite(h, "zz", 1, 2), 0u);
    EXPECT_EQ(ReadWhole(h), "x\ny");
    EXPECT_EQ(PakFileSeek(h, 1, SEEK_SET), 0);
    EXPECT_EQ(PakFileTell(h), 1);
    EXPECT_EQ(PakFileClose(h), 0);

    h = PakFileOpen("fonts/b.txt", "r");
    EXPECT_EQ(h, nullptr);
}

TEST(PakFileFunctions, ThePlatformsLibrariesReadDataFilesThroughTheLayer)
{
    TempFolder dir;
    PakInterface layer;
    ASSERT_TRUE(layer.AddPakArchive(dir.Write("main.pak", paktest::MakeArchive({{"music\\song.ogg", "OggS-member"}}))));
    WithLayer registered(&layer);
    std::filesystem::current_path(dir.Path());
    dir.Write("music/song.ogg", "disk copy");
    dir.Write("music/only-on-disk.ogg", "on disk");

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(platform::ReadDataFile("Music/Song.ogg", 1024, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "OggS-member");
    ASSERT_TRUE(platform::ReadDataFile("music/only-on-disk.ogg", 1024, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "on disk");
    EXPECT_FALSE(platform::ReadDataFile("music/song.ogg", 4, bytes)) << "longer than the caller takes";
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(platform::ReadDataFile("music/missing.ogg", 1024, bytes));
    dir.Write("music/tick.raw", "x");
    ASSERT_TRUE(platform::ReadDataFile("music/tick.raw", 1024, bytes)) << "a file of one byte is a file";
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "x");
}

} // namespace
