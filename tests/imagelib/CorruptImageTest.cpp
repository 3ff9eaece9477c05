// Damaged files through every loader: seeded mutations and truncations of
// valid files must give an error or a sane picture, never a crash or a read
// outside a buffer (the sanitizer build watches the latter).
#include "imagelib/ImageDecoders.h"
#include "imagelib/ImageLib.h"
#include "pak/PakFileFunctions.h"
#include "pak/PakFormat.h"
#include "pak/PakInterface.h"
#include "tests/support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <random>

using namespace ImageLib;
using fixtures::Bytes;

namespace {

using Decoder = std::unique_ptr<Image> (*)(ImageSource&);

struct Sample {
    const char* name;
    Decoder decode;
    Bytes bytes;
};

std::vector<uint8_t> Rgb(const std::vector<uint32_t>& pixels)
{
    std::vector<uint8_t> out;
    for (uint32_t p : pixels)
        out.insert(out.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    return out;
}

std::vector<Sample> ValidSamples()
{
    const auto pixels = fixtures::PatternPixels(24, 16, false);
    std::vector<Sample> samples;

    fixtures::TgaSpec tga;
    tga.width = 24;
    tga.height = 16;
    tga.pixels = pixels;
    samples.push_back({"tga", DecodeTga, fixtures::MakeTga(tga)});

    samples.push_back({"png", DecodePng, fixtures::MakeRgbaPng(24, 16, pixels)});
    fixtures::PngSpec palette;
    palette.width = 24;
    palette.height = 16;
    palette.colorType = 3;
    palette.bitDepth = 4;
    palette.interlaced = true;
    palette.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    palette.paletteAlpha = {0, 0x80};
    for (int i = 0; i < 24 * 16 / 2; ++i)
        palette.rows.push_back(uint8_t((i % 5) << 4 | ((i + 2) % 5)));
    samples.push_back({"png-palette", DecodePng, fixtures::MakePng(palette)});

    samples.push_back({"jpeg", DecodeJpeg, fixtures::MakeJpeg(24, 16, 3, Rgb(pixels))});
    std::vector<uint8_t> grey(24 * 16);
    for (size_t i = 0; i < grey.size(); ++i)
        grey[i] = uint8_t(i * 7);
    samples.push_back({"jpeg-grey", DecodeJpeg, fixtures::MakeJpeg(24, 16, 1, grey)});

    fixtures::GifSpec gif;
    for (uint32_t i = 0; i < 64; ++i)
        gif.globalColors.push_back(i * 0x040404u);
    fixtures::GifFrame frame;
    frame.width = 24;
    frame.height = 16;
    frame.transparentIndex = 5;
    frame.interlaced = true;
    for (int i = 0; i < 24 * 16; ++i)
        frame.indices.push_back(uint8_t((i / 3 + i % 7) % 64));
    gif.frames.push_back(frame);
    gif.comment = true;
    samples.push_back({"gif", DecodeGif, fixtures::MakeGif(gif)});

    samples.push_back({"j2k", DecodeJ2k, fixtures::MakeJ2k(24, 16, 3, Rgb(pixels), false)});
    samples.push_back({"jp2", DecodeJ2k, fixtures::MakeJ2k(24, 16, 1, grey, true)});
    return samples;
}

Bytes Mutate(const Bytes& original, std::mt19937& random)
{
    Bytes bytes = original;
    const int edits = 1 + int(random() % 4);
    for (int e = 0; e < edits && !bytes.empty(); ++e) {
        const size_t at = random() % bytes.size();
        switch (random() % 6) {
        case 0: bytes[at] ^= uint8_t(1u << (random() % 8)); break;
        case 1: bytes[at] = uint8_t(random()); break;
        case 2: bytes[at] = (random() % 2) ? 0xFF : 0x00; break;
        case 3: bytes.resize(at); break;
        case 4: bytes.insert(bytes.begin() + long(at), uint8_t(random())); break;
        default: bytes.erase(bytes.begin() + long(at)); break;
        }
    }
    return bytes;
}

void ExpectSane(const std::unique_ptr<Image>& image, const std::string& what)
{
    if (!image)
        return;
    ASSERT_TRUE(IsAcceptableImageSize(image->mWidth, image->mHeight)) << what;
    ASSERT_TRUE(image->GetBits()) << what;
    // Touch every pixel so a short allocation shows up under the sanitizer.
    uint32_t sum = 0;
    for (size_t i = 0, n = size_t(image->mWidth) * size_t(image->mHeight); i < n; ++i)
        sum += image->GetBits()[i];
    (void)sum;
}

class CorruptImages : public testing::Test {
protected:
    void SetUp() override { LoadJ2kCodec(); }
    void TearDown() override { FreeJ2kCodec(); }
};

} // namespace

TEST_F(CorruptImages, ValidSamplesDecode)
{
    for (const Sample& sample : ValidSamples()) {
        MemoryImageSource source(sample.bytes.data(), sample.bytes.size());
        auto image = sample.decode(source);
        ASSERT_TRUE(image) << sample.name;
        EXPECT_EQ(image->mWidth, 24) << sample.name;
        EXPECT_EQ(image->mHeight, 16) << sample.name;
    }
}

TEST_F(CorruptImages, SeededMutationsNeverCrashAnyLoader)
{
    for (const Sample& sample : ValidSamples()) {
        std::mt19937 random(0x5EED0000u + unsigned(sample.bytes.size()));
        for (int round = 0; round < 400; ++round) {
            const Bytes bytes = Mutate(sample.bytes, random);
            MemoryImageSource source(bytes.data(), bytes.size());
            ExpectSane(sample.decode(source), std::string(sample.name) + " round " + std::to_string(round));
        }
    }
}

TEST_F(CorruptImages, EveryTruncationIsHandled)
{
    for (const Sample& sample : ValidSamples()) {
        const std::string name = sample.name;
        const size_t step = sample.bytes.size() > 600 ? sample.bytes.size() / 300 : 1;
        for (size_t keep = 0; keep < sample.bytes.size(); keep += step) {
            MemoryImageSource source(sample.bytes.data(), keep);
            auto image = sample.decode(source);
            ExpectSane(image, name + " cut at " + std::to_string(keep));
            // These formats have no way to finish early: a cut file is an error.
            if (name == "tga" || name.rfind("png", 0) == 0) {
                EXPECT_FALSE(image) << name << " cut at " << keep;
            }
        }
    }
}

TEST_F(CorruptImages, DamagedFilesThroughLoadImageFileGiveNullAndAreToldByName)
{
    fixtures::TempFolder folder;
    for (const Sample& sample : ValidSamples()) {
        const std::string name = sample.name;
        const std::string extension = name.rfind("png", 0) == 0 ? ".png"
            : name.rfind("jpeg", 0) == 0                      ? ".jpg"
                                                               : "." + name;
        Bytes garbage = sample.bytes;
        garbage.resize(std::min<size_t>(garbage.size(), 12));
        for (size_t i = 4; i < garbage.size(); ++i)
            garbage[i] = uint8_t(0xA5 ^ i);
        const std::string path = folder.Write("broken" + extension, garbage);
        testing::internal::CaptureStderr();
        std::unique_ptr<Image> image(LoadImageFile(path, true));
        const std::string told = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(image) << name;
        EXPECT_EQ(told.rfind(path + ": not a readable ", 0), 0u) << told;
    }
}

TEST_F(CorruptImages, ADamagedArchiveMemberIsToldWithItsArchiveAndTheLibrarysReason)
{
    Bytes broken = fixtures::MakeRgbaPng(4, 4, fixtures::PatternPixels(4, 4, false));
    broken[30] ^= 0x40; // inside the header chunk
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(BuildPakArchive({{"images\\cards\\2s.png", broken, 0}}, &archive, &error)) << error;
    fixtures::TempFolder folder;
    PakInterface pak;
    const std::string file = folder.Write("data.pak", archive);
    ASSERT_TRUE(pak.AddPakArchive(file)) << pak.LastError();
    PakInterfaceBase* previous = pak_testing::ReplaceSharedPakInterface(&pak);
    testing::internal::CaptureStderr();
    std::unique_ptr<Image> image(LoadImageFile("images/cards/2s.png", true));
    const std::string told = testing::internal::GetCapturedStderr();
    pak_testing::ReplaceSharedPakInterface(previous);
    EXPECT_FALSE(image);
    EXPECT_EQ(told.rfind("images/cards/2s.png in " + file + ": not a readable PNG image (IHDR", 0), 0u) << told;
}
