// Where decoders read from: a block of memory, or a file through the file
// layer (an archive member or a disk file).
#include "pak/PakFileFunctions.h"
#include "imagelib/ImageDecoders.h"
#include "imagelib/ImageSource.h"
#include "pak/PakFormat.h"
#include "pak/PakInterface.h"
#include "tests/support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace ImageLib;

namespace {

// One archive member and one disk file, both "0123456789", and an empty
// member, through a layer that serves the process while the scene lives.
class FileSources : public testing::Test {
protected:
    void SetUp() override
    {
        std::vector<uint8_t> archive;
        std::string error;
        ASSERT_TRUE(BuildPakArchive({{"member.bin", Digits(), 0}, {"empty.bin", {}, 0}}, &archive, &error)) << error;
        ASSERT_TRUE(pak.AddPakArchive(folder.Write("data.pak", archive))) << pak.LastError();
        disk = folder.Write("disk.bin", Digits());
        previous = pak_testing::ReplaceSharedPakInterface(&pak);
    }
    void TearDown() override { pak_testing::ReplaceSharedPakInterface(previous); }

    static std::vector<uint8_t> Digits() { return {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}; }

    fixtures::TempFolder folder;
    PakInterface pak;
    PakInterfaceBase* previous = nullptr;
    std::string disk;
};

} // namespace

TEST_F(FileSources, MembersAndDiskFilesReadSeekAndKnowTheirSize)
{
    for (const std::string& name : {std::string("member.bin"), disk}) {
        auto source = PakImageSource::Open(name);
        ASSERT_TRUE(source) << name;
        char b[4] = {};
        EXPECT_EQ(source->Read(b, 0), 0u);
        EXPECT_EQ(source->Read(b, 1), 1u) << name;
        EXPECT_EQ(source->Size(), 10) << name;
        EXPECT_EQ(source->Tell(), 1) << "asking the size keeps the place";
        EXPECT_EQ(source->Size(), 10) << name;
        EXPECT_TRUE(source->Seek(3));
        ASSERT_EQ(source->Read(b, 2), 2u);
        EXPECT_EQ(std::string(b, 2), "34");
        EXPECT_TRUE(source->Seek(10)) << "the end itself";
        EXPECT_EQ(source->Remaining(), 0);
        EXPECT_FALSE(source->Seek(-1));
        EXPECT_FALSE(source->Seek(int64_t{1} << 31)) << "beyond what the file layer can address";
    }
    EXPECT_FALSE(PakImageSource::Open("missing.bin"));
}

TEST_F(FileSources, ASeekPastTheEndOfAMemberIsRefused)
{
    auto member = PakImageSource::Open("member.bin");
    ASSERT_TRUE(member);
    EXPECT_FALSE(member->Seek(11)) << "members stop at their end";
    // A disk file may be positioned past its end, up to the largest offset.
    auto file = PakImageSource::Open(disk);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->Seek(0x7FFFFFFF));
    EXPECT_EQ(file->Size(), 10);
}

TEST_F(FileSources, AnEmptyMemberHasSizeZero)
{
    auto source = PakImageSource::Open("empty.bin");
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Size(), 0);
    EXPECT_EQ(source->Remaining(), 0);
}

TEST(MemorySource, SeeksStayWithinTheData)
{
    const uint8_t data[4] = {1, 2, 3, 4};
    MemoryImageSource source(data, sizeof data);
    EXPECT_TRUE(source.Seek(4));
    EXPECT_EQ(source.Remaining(), 0);
    EXPECT_FALSE(source.Seek(5));
    EXPECT_FALSE(source.Seek(-1));
    EXPECT_EQ(source.Tell(), 4) << "a refused seek leaves the place";
    EXPECT_TRUE(source.Seek(1));
    uint16_t value = 0;
    ASSERT_TRUE(source.ReadU16(value));
    EXPECT_EQ(value, 0x0302) << "little-endian";
}

TEST(MemorySource, PicturesWiderThan255PixelsKeepTheirSize)
{
    fixtures::TgaSpec tga;
    tga.width = 300;
    tga.height = 1;
    tga.pixels = fixtures::PatternPixels(300, 1, false);
    const fixtures::Bytes tgaBytes = fixtures::MakeTga(tga);
    MemoryImageSource tgaSource(tgaBytes.data(), tgaBytes.size());
    auto image = DecodeTga(tgaSource);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, 300);
    EXPECT_EQ(image->GetBits()[299], tga.pixels[299]);

    fixtures::GifSpec gif;
    gif.globalColors = {0x000000, 0xFFFFFF};
    fixtures::GifFrame frame;
    frame.width = 1;
    frame.height = 260;
    frame.indices.assign(260, 1);
    gif.frames.push_back(frame);
    const fixtures::Bytes gifBytes = fixtures::MakeGif(gif);
    MemoryImageSource gifSource(gifBytes.data(), gifBytes.size());
    image = DecodeGif(gifSource);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mHeight, 260);
    EXPECT_EQ(image->GetBits()[259], 0xFFFFFFFFu);
}
