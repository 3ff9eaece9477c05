// LoadImageFile: choosing the reader by extension, trying formats in order
// for bare names, and joining a separate alpha image.
#include "imagelib/ImageLib.h"
#include "pak/PakFileFunctions.h"
#include "pak/PakFormat.h"
#include "pak/PakInterface.h"
#include "tests/support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace ImageLib;

namespace {

std::vector<uint32_t> Solid(int count, uint32_t pixel) { return std::vector<uint32_t>(size_t(count), pixel); }

fixtures::Bytes GreyPng(int width, int height, uint8_t grey)
{
    fixtures::PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = 0; // grey
    spec.rows.assign(size_t(width * height), grey);
    return fixtures::MakePng(spec);
}

fixtures::Bytes SolidTga(int width, int height, uint32_t pixel)
{
    fixtures::TgaSpec spec;
    spec.width = width;
    spec.height = height;
    spec.pixels = Solid(width * height, pixel);
    return fixtures::MakeTga(spec);
}

fixtures::Bytes SolidJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> samples;
    for (int i = 0; i < width * height; ++i)
        samples.insert(samples.end(), {r, g, b});
    return fixtures::MakeJpeg(width, height, 3, samples, 100);
}

class ImageLoader : public testing::Test {
protected:
    // The program's own compose colour comes back after each test.
    void TearDown() override { gAlphaComposeColor = composeColor_; }
    std::unique_ptr<Image> Load(const std::string& name, bool alpha = false)
    {
        return std::unique_ptr<Image>(LoadImageFile(folder.File(name), alpha));
    }
    fixtures::TempFolder folder;

private:
    const int composeColor_ = gAlphaComposeColor;
};

} // namespace

TEST_F(ImageLoader, BareNameTriesFormatsInOrderJpegBeforePng)
{
    folder.Write("button.png", fixtures::MakeRgbaPng(2, 2, Solid(4, 0xFF0000FF)));
    folder.Write("button.jpg", SolidJpeg(8, 8, 255, 0, 0));
    auto image = Load("button");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, 8) << "the JPEG comes before the PNG";

    folder.Write("glyph.gif", fixtures::MakeGif([] {
        fixtures::GifSpec spec;
        spec.globalColors = {0x00FF00, 0};
        fixtures::GifFrame frame;
        frame.width = 3;
        frame.height = 1;
        frame.indices = {0, 0, 0};
        spec.frames.push_back(frame);
        return spec;
    }()));
    image = Load("glyph");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], 0xFF00FF00u);
    EXPECT_FALSE(Load("nothing-here"));
}

TEST_F(ImageLoader, AnExtensionPicksOnlyItsReaderWhateverItsCase)
{
    folder.Write("button.png", fixtures::MakeRgbaPng(2, 2, Solid(4, 0xFF0000FF)));
    folder.Write("button.jpg", SolidJpeg(8, 8, 255, 0, 0));
    auto image = Load("button.PNG");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, 2);
    EXPECT_FALSE(Load("button.bmp"));
    EXPECT_FALSE(Load("button.tga"));
}

TEST_F(ImageLoader, ADotInAFolderNameIsNoExtension)
{
    std::filesystem::create_directory(folder.File("v1.2"));
    folder.Write("v1.2/card.tga", SolidTga(1, 1, 0xFF123456));
    auto image = Load("v1.2/card");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], 0xFF123456u);
}

TEST_F(ImageLoader, GreyUnderscoreImageBecomesTheAlphaOfTheColourImage)
{
    folder.Write("button.jpg", SolidJpeg(8, 8, 0, 0, 255));
    folder.Write("_button.png", GreyPng(8, 8, 0x40));
    auto image = Load("button", true);
    ASSERT_TRUE(image);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(image->GetBits()[i] >> 24, 0x40u);
        EXPECT_GT(image->GetBits()[i] & 0xFF, 0xF0u);
    }
    // Without the flag the mask is not looked for.
    image = Load("button", false);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0] >> 24, 0xFFu);
}

TEST_F(ImageLoader, TrailingUnderscoreNameIsTheSecondPlaceForTheMask)
{
    folder.Write("chip.tga", SolidTga(2, 2, 0xFF336699));
    folder.Write("chip_.tga", SolidTga(2, 2, 0xFF000080));
    auto image = Load("chip", true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[3], 0x80336699u);
}

TEST_F(ImageLoader, MaskAloneGivesTheComposeColourShapedByTheMask)
{
    folder.Write("_glow.png", GreyPng(3, 3, 0xC0));
    auto white = Load("glow", true);
    ASSERT_TRUE(white);
    EXPECT_EQ(white->GetBits()[4], 0xC0FFFFFFu) << "white unless the program chose another colour";
    gAlphaComposeColor = 0xFF0000;
    auto image = Load("glow", true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, 3);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(image->GetBits()[i], 0xC0FF0000u);
}

TEST_F(ImageLoader, MaskOfAnotherSizeLeavesTheColourImageAlone)
{
    folder.Write("felt.tga", SolidTga(4, 4, 0x7F102030));
    folder.Write("_felt.png", GreyPng(2, 2, 0x00));
    auto image = Load("felt", true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], 0x7F102030u);
}

TEST_F(ImageLoader, PicturesAndTheirMasksComeOutOfArchives)
{
    std::vector<PakMemberSource> members;
    members.push_back({"images\\Button.jpg", SolidJpeg(8, 8, 0, 255, 0), 0});
    members.push_back({"images\\_button.png", GreyPng(8, 8, 0x30), 0});
    std::vector<uint8_t> grey(16, 0x90);
    members.push_back({"images\\felt.j2k", fixtures::MakeJ2k(4, 4, 1, grey, false), 0});
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(BuildPakArchive(members, &archive, &error)) << error;
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakArchive(folder.Write("assets.pak", archive))) << pak.LastError();
    PakInterfaceBase* previous = pak_testing::ReplaceSharedPakInterface(&pak);

    std::unique_ptr<Image> button(LoadImageFile("images/button", true));
    LoadJ2kCodec();
    std::unique_ptr<Image> felt(LoadImageFile("IMAGES\\FELT", false));
    FreeJ2kCodec();
    pak_testing::ReplaceSharedPakInterface(previous);

    ASSERT_TRUE(button);
    EXPECT_EQ(button->GetBits()[0] >> 24, 0x30u);
    EXPECT_GT((button->GetBits()[0] >> 8) & 0xFF, 0xF0u);
    ASSERT_TRUE(felt);
    EXPECT_EQ(felt->GetBits()[15], 0xFF909090u);
}

TEST_F(ImageLoader, AMaskAloneIsWhiteUnlessAnotherColourIsChosen)
{
    folder.Write("_spot.png", GreyPng(2, 1, 0x81));
    auto image = Load("spot", true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[1], 0x81FFFFFFu) << "every bit of the mask and of the colour";
}

TEST_F(ImageLoader, EveryBitOfTheMaskBecomesAlpha)
{
    folder.Write("coin.tga", SolidTga(2, 2, 0xFF336699));
    folder.Write("_coin.png", GreyPng(2, 2, 0x81));
    auto image = Load("coin", true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[3], 0x81336699u);
}

TEST_F(ImageLoader, AMaskOfTheSameWidthButAnotherHeightIsNotUsed)
{
    folder.Write("rail.tga", SolidTga(4, 4, 0x7F102030));
    folder.Write("_rail.png", GreyPng(4, 2, 0x00));
    auto image = Load("rail", true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], 0x7F102030u);
}

TEST_F(ImageLoader, ANameWithoutAFolderFindsItsMaskBesideIt)
{
    folder.Write("card.tga", SolidTga(2, 2, 0xFF336699));
    folder.Write("_card.png", GreyPng(2, 2, 0x40));
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    std::unique_ptr<Image> image(LoadImageFile("card", true));
    std::filesystem::current_path(previous);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], 0x40336699u);
}

TEST_F(ImageLoader, AnExtensionThatOnlyBeginsLikeAKnownOneReadsNothing)
{
    folder.Write("photo.tga", SolidTga(2, 2, 0xFF0000FF));
    EXPECT_FALSE(Load("photo.tgax"));
    EXPECT_TRUE(Load("photo.tga"));
}
