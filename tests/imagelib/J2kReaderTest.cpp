// JPEG 2000 pictures through the codec module, and the reader's behaviour
// when the module is missing, incomplete or too old.
#include "imagelib/ImageDecoders.h"
#include "imagelib/ImageLib.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/libs/j2k/J2kCodec.h"
#include "tests/support/ImageFixtures.h"

#include <gtest/gtest.h>

using namespace ImageLib;

namespace {

class J2kReader : public testing::Test {
protected:
    void SetUp() override
    {
        pixels = fixtures::PatternPixels(19, 11, true);
        for (uint32_t p : pixels)
            samples.insert(samples.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        path = folder.Write("felt.jp2", fixtures::MakeJ2k(19, 11, 3, samples, true));
    }
    void TearDown() override
    {
        FreeJ2kCodec();
        platform::testing::ClearModuleHiding();
        platform::testing::SetJ2kCodecVersion(0);
    }
    std::unique_ptr<Image> Read() { return std::unique_ptr<Image>(ReadJ2kImage(path)); }

    fixtures::TempFolder folder;
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> samples;
    std::string path;
};

} // namespace

TEST_F(J2kReader, DecodesCodestreamsAndJp2FilesLosslesslyAndOpaque)
{
    LoadJ2kCodec();
    auto image = Read();
    ASSERT_TRUE(image);
    ASSERT_EQ(image->mWidth, 19);
    ASSERT_EQ(image->mHeight, 11);
    for (size_t i = 0; i < pixels.size(); ++i)
        ASSERT_EQ(image->GetBits()[i], pixels[i]) << i;

    std::vector<uint8_t> rgba;
    for (uint32_t p : pixels)
        rgba.insert(rgba.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 0x10});
    folder.Write("chip.j2k", fixtures::MakeJ2k(19, 11, 4, rgba, false));
    std::unique_ptr<Image> loaded(LoadImageFile(folder.File("chip"), false));
    ASSERT_TRUE(loaded);
    for (size_t i = 0; i < pixels.size(); ++i)
        ASSERT_EQ(loaded->GetBits()[i], pixels[i]) << "alpha is always opaque, pixel " << i;
}

TEST_F(J2kReader, WithoutTheModuleFilesFailToLoad)
{
    EXPECT_FALSE(Read()) << "never loaded";
    platform::testing::HideModule(platform::libs::j2k::kJ2kModuleName);
    LoadJ2kCodec();
    EXPECT_FALSE(Read());
    EXPECT_EQ(platform::testing::ModuleReferenceCount(platform::libs::j2k::kJ2kModuleName), 0);
}

TEST_F(J2kReader, AMissingEntryPointLetsTheModuleGoForGood)
{
    platform::testing::HideModuleEntry(platform::libs::j2k::kJ2kModuleName, "_J2K_GetResolutionDimensions@16");
    LoadJ2kCodec();
    EXPECT_EQ(platform::testing::ModuleReferenceCount(platform::libs::j2k::kJ2kModuleName), 1);
    EXPECT_FALSE(Read());
    EXPECT_EQ(platform::testing::ModuleReferenceCount(platform::libs::j2k::kJ2kModuleName), 0);
    platform::testing::ClearModuleHiding();
    EXPECT_FALSE(Read()) << "the module stays unloaded until loaded again";
    LoadJ2kCodec();
    EXPECT_TRUE(Read());
}

TEST_F(J2kReader, AnOldCodecIsRefused)
{
    platform::testing::SetJ2kCodecVersion(0x11FFFF);
    LoadJ2kCodec();
    EXPECT_FALSE(Read());
    EXPECT_EQ(platform::testing::ModuleReferenceCount(platform::libs::j2k::kJ2kModuleName), 0);

    platform::testing::SetJ2kCodecVersion(0x120000);
    LoadJ2kCodec();
    EXPECT_TRUE(Read()) << "the oldest usable version";
}

TEST_F(J2kReader, DamagedFilesFailAndTheModuleStaysUsable)
{
    LoadJ2kCodec();
    const auto good = fixtures::ReadWholeFile(path);
    const std::string notJ2k = folder.Write("bad.jp2", fixtures::Bytes(40, 0x55));
    EXPECT_FALSE(ReadJ2kImage(notJ2k));
    const std::string cut = folder.Write("cut.jp2", fixtures::Bytes(good.begin(), good.begin() + long(good.size() / 3)));
    std::unique_ptr<Image> partial(ReadJ2kImage(cut));
    (void)partial; // truncated tiles may or may not decode; they must not crash
    EXPECT_TRUE(Read());
    EXPECT_EQ(platform::testing::ModuleReferenceCount(platform::libs::j2k::kJ2kModuleName), 1);
}
