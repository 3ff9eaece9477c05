#include "TestImageHost.h"

#include "framework/graphics/MemoryImage.h"
#include "imagelib/Image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace Zolt {
namespace {

using testing::MakeFilled;
using testing::MakeImage;
using testing::PixelAt;
using testing::ScopedImageHost;
using testing::TestImageHost;

std::vector<uint32_t> DistinctOpaque(int n)
{
    std::vector<uint32_t> v;
    for (int i = 0; i < n; ++i)
        v.push_back(0xFF000000u | static_cast<uint32_t>(i * 7919));
    return v;
}

TEST(MemoryImageLife, RegistersWithItsApplicationAndCopiesToo)
{
    TestImageHost host;
    {
        ScopedImageHost scoped(&host);
        MemoryImage fromGlobal;
        EXPECT_EQ(fromGlobal.GetApp(), &host);
        auto copy = std::make_unique<MemoryImage>(fromGlobal);
        EXPECT_EQ(host.live.size(), 2u);
        copy.reset();
        EXPECT_EQ(host.live.size(), 1u);
    }
    EXPECT_TRUE(host.live.empty());
    MemoryImage alone(nullptr); // works without any application
    alone.MakeBlank(3, 2);
    EXPECT_EQ(alone.RequireBits()[6], MemoryImage::kGuardWord);
}

TEST(MemoryImageLife, AssigningItsOwnBitsChangesNothing)
{
    auto image = MakeFilled(2, 2, 0xFF112233);
    const int before = image->GetChangeCount();
    image->AssignBits(image->GetBits(), 2, 2, true);
    EXPECT_EQ(image->GetChangeCount(), before);
    EXPECT_EQ(PixelAt(*image, 1, 1), 0xFF112233u);
}

TEST(MemoryImageLife, PixelChangeDropsCachesAndCounts)
{
    auto image = MakeFilled(4, 1, 0xFF000000);
    image->RequireRLAlpha();
    image->RequireNativeAlpha(nullptr);
    image->RequireRLAdditive(nullptr);
    const int before = image->GetChangeCount();
    image->Clear();
    EXPECT_EQ(image->GetChangeCount(), before + 1);
    EXPECT_EQ(image->GetRLAlpha(), nullptr);
    EXPECT_EQ(image->GetNativeAlpha(), nullptr);
    EXPECT_EQ(image->GetRLAdditive(), nullptr);
    image->ScanAlpha();
    EXPECT_TRUE(image->HasTransparency());
}

TEST(MemoryImagePalette, ExactlyTwoHundredFiftySixColoursPalettise)
{
    auto fits = MakeImage(16, 16, DistinctOpaque(256));
    EXPECT_TRUE(fits->ConvertToPalette());
    EXPECT_EQ(fits->GetBits(), nullptr);
    EXPECT_TRUE(fits->IsPalettized());

    auto tooMany = MakeImage(257, 1, DistinctOpaque(257));
    EXPECT_FALSE(tooMany->ConvertToPalette());
    EXPECT_NE(tooMany->GetBits(), nullptr);
    EXPECT_EQ(tooMany->GetPalette(), nullptr);
    EXPECT_FALSE(tooMany->IsPalettized());
}

TEST(MemoryImagePalette, BitsComeBackExactlyAndCompactionReapplies)
{
    const std::vector<uint32_t> pixels = {0xFF0000FF, 0x80FFFFFF, 0xFF0000FF, 0x00000000, 0x80FFFFFF, 0xFF123456};
    auto image = MakeImage(3, 2, pixels);
    ASSERT_TRUE(image->ConvertToPalette());
    // Colours in order of first appearance.
    EXPECT_EQ(image->GetPalette()[0], 0xFF0000FFu);
    EXPECT_EQ(image->GetPalette()[1], 0x80FFFFFFu);
    EXPECT_EQ(image->GetIndices()[2], 0);
    const uint32_t* bits = image->RequireBits();
    EXPECT_EQ(std::vector<uint32_t>(bits, bits + 6), pixels);
    EXPECT_EQ(image->GetPalette(), nullptr);
    EXPECT_EQ(image->GetIndices(), nullptr);
    image->ReapplyCompaction();
    EXPECT_NE(image->GetPalette(), nullptr);
    EXPECT_EQ(image->GetBits(), nullptr);
}

TEST(MemoryImagePalette, UnusedEntriesAddNoAlphaClass)
{
    auto image = MakeImage(2, 1, {0xFF000001, 0xFF000002});
    ASSERT_TRUE(image->ConvertToPalette());
    for (int i = 2; i < 256; ++i)
        ASSERT_EQ(image->GetPalette()[i], 0xFF000001u) << i;
    image->MarkBitsChanged(); // a rescan now reads all 256 entries
    image->ScanAlpha();
    EXPECT_FALSE(image->HasTransparency());
    EXPECT_FALSE(image->HasTranslucency());
}

TEST(MemoryImageCaches, AlphaRunsCountToTheEndOfEachRun)
{
    auto image = MakeImage(6, 1, {0x00000000, 0x00FFFFFF, 0x00000000, 0xFF000000, 0x80000000, 0x80FFFFFF});
    const uint8_t* runs = image->RequireRLAlpha();
    EXPECT_EQ(std::vector<uint8_t>(runs, runs + 6), (std::vector<uint8_t>{3, 2, 1, 1, 2, 1}));

    auto wide = MakeFilled(300, 2, 0xFF000000);
    const uint8_t* w = wide->RequireRLAlpha();
    EXPECT_EQ(w[0], 255);
    EXPECT_EQ(w[45], 255);
    EXPECT_EQ(w[46], 254);
    EXPECT_EQ(w[299], 1);
    EXPECT_EQ(w[300], 255); // runs never cross a row end

    auto narrow = MakeImage(1, 3, {0xFF000000, 0xFF000000, 0});
    const uint8_t* n = narrow->RequireRLAlpha();
    EXPECT_EQ(std::vector<uint8_t>(n, n + 3), (std::vector<uint8_t>{1, 1, 1}));
}

TEST(MemoryImageCaches, AdditiveRunsSplitBlackFromColour)
{
    auto image = MakeImage(4, 1, {0xFF000000, 0x00000000, 0xFF010000, 0x40FFFFFF});
    const uint8_t* runs = image->RequireRLAdditive(nullptr);
    EXPECT_EQ(std::vector<uint8_t>(runs, runs + 4), (std::vector<uint8_t>{2, 1, 2, 1}));
}

TEST(MemoryImagePixels, ALoadedPictureIsTakenOverAsItsCopyWouldBe)
{
    TestImageHost host;
    ScopedImageHost scoped(&host);
    ImageLib::Image picture(3, 2);
    const uint32_t pixels[] = {0xFF102030, 0x00000000, 0x80FFFFFF, 0xFF000000, 0xFFFFFFFF, 0x7F7F7F7F};
    std::copy(std::begin(pixels), std::end(pixels), picture.GetBits());
    MemoryImage copied(&host);
    copied.AssignBits(picture.GetBits(), 3, 2, true);
    const uint32_t* buffer = picture.GetBits();

    MemoryImage adopted(&host);
    adopted.AdoptBits(picture.ReleaseBits(), 3, 2, true);
    EXPECT_EQ(adopted.GetBits(), buffer) << "the same memory, not a copy";
    EXPECT_EQ(picture.GetBits(), nullptr);
    EXPECT_EQ(picture.GetWidth(), 0);
    EXPECT_EQ(std::vector<uint32_t>(adopted.GetBits(), adopted.GetBits() + 6),
              std::vector<uint32_t>(copied.GetBits(), copied.GetBits() + 6));
    EXPECT_EQ(adopted.GetBits()[6], MemoryImage::kGuardWord);
    EXPECT_EQ(adopted.HasTransparency(), copied.HasTransparency());
    EXPECT_EQ(adopted.HasTranslucency(), copied.HasTranslucency());
    EXPECT_TRUE(adopted.HasTranslucency());
}

TEST(MemoryImageCaches, NativeCopyPremultipliesAndRoundTripsTopBits)
{
    TestImageHost host;
    host.display.SetFormat(16, 0xF800, 0x07E0, 0x001F);
    ScopedImageHost scoped(&host);
    MemoryImage image(&host);
    const uint32_t pixels[] = {0xFF808080, 0x00FFFFFF, 0x80FF0000};
    image.AssignBits(pixels, 3, 1, true);
    const uint32_t* native = image.RequireNativeAlpha(&host.display);
    EXPECT_EQ(native[0], 0xFF008410u);
    EXPECT_EQ(native[1], 0u);
    // 255 x 129 / 2^11 = 16 -> 0x8000 in the red field.
    EXPECT_EQ(native[2], 0x80008000u);

    image.DropBits(); // 2D: the native copy is kept, the bits go
    EXPECT_EQ(image.GetBits(), nullptr);
    EXPECT_TRUE(image.IsPurged());
    const uint32_t* back = image.RequireBits();
    EXPECT_EQ(back[0], 0xFF808080u);
    EXPECT_EQ(back[1], 0u);
    EXPECT_EQ(back[2], 0x80F80000u); // un-premultiplied; the 5 bits land in the top of the byte
}

TEST(MemoryImageCaches, EightBitChannelsSurviveOpaqueButNotTranslucent)
{
    auto image = MakeImage(2, 1, {0xFF123456, 0x80FF0000});
    const uint32_t* native = image->RequireNativeAlpha(nullptr);
    EXPECT_EQ(native[0], 0xFF123456u);
    EXPECT_EQ(native[1], 0x80800000u);
    image->DropBits();
    const uint32_t* back = image->RequireBits();
    EXPECT_EQ(back[0], 0xFF123456u);
    EXPECT_EQ(back[1], 0x80FE0000u);
}

TEST(MemoryImageCaches, DropBitsIn3DWithoutTextureKeepsThePixels)
{
    TestImageHost host;
    host.in3D = true;
    MemoryImage image(&host);
    const uint32_t p[] = {0xFF010203};
    image.AssignBits(p, 1, 1, true);
    image.DropBits();
    EXPECT_TRUE(image.IsPurged());
    ASSERT_NE(image.GetBits(), nullptr);
    image.DropTextures();
    ASSERT_EQ(host.released.size(), 1u);
}

TEST(MemoryImageAlpha, ScanWithoutPixelsMeansTransparent)
{
    MemoryImage image(nullptr);
    image.MarkBitsChanged();
    image.ScanAlpha();
    EXPECT_TRUE(image.HasTransparency());
    EXPECT_FALSE(image.HasTranslucency());
}

TEST(MemoryImageAlpha, ForcedFlagsSurviveLaterChanges)
{
    auto image = MakeImage(2, 1, {0x00000000, 0x80000000});
    EXPECT_TRUE(image->HasTransparency());
    EXPECT_TRUE(image->HasTranslucency());
    image->ForceAlphaFlags(false, false);
    image->Clear();
    image->ScanAlpha();
    EXPECT_FALSE(image->HasTransparency());
    EXPECT_FALSE(image->HasTranslucency());
}

TEST(MemoryImageAlpha, BlankImageIsTransparentZeros)
{
    MemoryImage image(nullptr);
    image.MakeBlank(2, 2);
    EXPECT_TRUE(image.HasTransparency());
    EXPECT_TRUE(image.HasTranslucency());
    EXPECT_EQ(PixelAt(image, 1, 1), 0u);
}

TEST(MemoryImageCopy, CopyOfPalettisedImageKeepsPaletteAndSourceForm)
{
    auto image = MakeImage(2, 1, {0xFF0000FF, 0xFF00FF00});
    ASSERT_TRUE(image->ConvertToPalette());
    image->SetTextureHints(8);
    MemoryImage copy(*image);
    EXPECT_EQ(copy.GetTextureHints(), 8);
    EXPECT_TRUE(copy.IsPalettized());
    ASSERT_NE(copy.GetPalette(), nullptr);
    EXPECT_EQ(image->GetBits(), nullptr);
    EXPECT_EQ(PixelAt(copy, 1, 0), 0xFF00FF00u);
}

TEST(MemoryImageCopy, CopyOfPurgedImageLeavesSourcePurged)
{
    auto image = MakeImage(2, 1, {0xFF0000FF, 0xFF00FF00});
    image->DropBits();
    ASSERT_EQ(image->GetBits(), nullptr);
    MemoryImage copy(*image);
    EXPECT_EQ(image->GetBits(), nullptr);
    ASSERT_NE(copy.GetBits(), nullptr);
    EXPECT_EQ(copy.GetBits()[1], 0xFF00FF00u);
    EXPECT_EQ(copy.GetBits()[2], MemoryImage::kGuardWord);
}

} // namespace
} // namespace Zolt
