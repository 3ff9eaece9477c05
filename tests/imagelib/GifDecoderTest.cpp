// Our GIF decoder against files built by the fixtures' encoder and by hand.
#include "imagelib/ImageDecoders.h"
#include "imagelib/ImageLib.h"
#include "tests/support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <random>

using namespace ImageLib;
using fixtures::Bytes;
using fixtures::GifFrame;
using fixtures::GifSpec;

namespace {

std::unique_ptr<Image> Decode(const Bytes& bytes)
{
    MemoryImageSource source(bytes.data(), bytes.size());
    return DecodeGif(source);
}

const std::vector<uint32_t> kFourColors = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

GifFrame FrameOf(int width, int height, std::vector<uint8_t> indices)
{
    GifFrame frame;
    frame.width = width;
    frame.height = height;
    frame.indices = std::move(indices);
    return frame;
}

// Indices that keep the LZW table busy: runs, repeats and noise.
std::vector<uint8_t> MixedIndices(int count, int colors, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> indices;
    while (int(indices.size()) < count) {
        const int kind = int(random() % 3);
        const int length = 1 + int(random() % 40);
        const uint8_t value = uint8_t(random() % unsigned(colors));
        for (int i = 0; i < length && int(indices.size()) < count; ++i)
            indices.push_back(kind == 0 ? value : kind == 1 ? uint8_t((value + i) % colors) : uint8_t(random() % unsigned(colors)));
    }
    return indices;
}

uint32_t Opaque(uint32_t rgb) { return 0xFF000000u | rgb; }

// A file around hand-made picture data: the four-colour global table and one
// image of the given size.
Bytes GifAround(int width, int height, const Bytes& lzw)
{
    Bytes out = {'G', 'I', 'F', '8', '9', 'a', uint8_t(width), 0, uint8_t(height), 0, 0x81, 0, 0};
    for (uint32_t c : kFourColors)
        out.insert(out.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    out.insert(out.end(), {0x2C, 0, 0, 0, 0, uint8_t(width), 0, uint8_t(height), 0, 0});
    out.insert(out.end(), lzw.begin(), lzw.end());
    out.push_back(0x3B);
    return out;
}

std::vector<uint32_t> PixelsOf(const Image& image)
{
    return std::vector<uint32_t>(image.GetBits(), image.GetBits() + size_t(image.mWidth) * size_t(image.mHeight));
}

// Where the image descriptor starts in a file made from a spec with a
// four-colour global table and nothing before its first frame.
constexpr size_t kDescriptor = 13 + 12;

} // namespace

TEST(GifDecoder, DecodesPixelsThroughGrowingCodeSizesAndTableResets)
{
    // 256 colours and 200x150 pixels take the table through every code size
    // up to 12 bits and through several clear codes.
    std::vector<uint32_t> colors;
    for (uint32_t i = 0; i < 256; ++i)
        colors.push_back(i << 16 | (255 - i) << 8 | (i * 7 & 0xFF));
    GifSpec spec;
    spec.globalColors = colors;
    spec.frames.push_back(FrameOf(200, 150, MixedIndices(200 * 150, 256, 1)));
    auto image = Decode(fixtures::MakeGif(spec));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->mWidth, 200);
    ASSERT_EQ(image->mHeight, 150);
    for (size_t i = 0; i < spec.frames[0].indices.size(); ++i)
        ASSERT_EQ(image->GetBits()[i], Opaque(colors[spec.frames[0].indices[i]])) << "pixel " << i;
}

TEST(GifDecoder, SmallCodeSizesAndLongRunsDecode)
{
    for (int colors : {2, 4, 16}) {
        GifSpec spec;
        spec.globalColors.assign(kFourColors.begin(), kFourColors.end());
        spec.globalColors.resize(size_t(colors), 0x123456);
        std::vector<uint8_t> indices(64 * 64, 1); // long runs exercise codes that name themselves
        for (size_t i = 0; i < indices.size(); i += 97)
            indices[i] = 0;
        spec.frames.push_back(FrameOf(64, 64, indices));
        auto image = Decode(fixtures::MakeGif(spec));
        ASSERT_TRUE(image) << colors;
        for (size_t i = 0; i < indices.size(); ++i)
            ASSERT_EQ(image->GetBits()[i], Opaque(spec.globalColors[indices[i]])) << colors << " colours, pixel " << i;
    }
}

TEST(GifDecoder, KeepsDecodingWhenTheEncoderDefersTheClearCode)
{
    // Some encoders let the full table stand and go on sending codes; the
    // picture must still come out whole.
    std::vector<uint32_t> colors;
    for (uint32_t i = 0; i < 256; ++i)
        colors.push_back(i * 0x010101u);
    GifSpec spec;
    spec.globalColors = colors;
    spec.deferredClear = true;
    spec.frames.push_back(FrameOf(160, 160, MixedIndices(160 * 160, 256, 7)));
    auto image = Decode(fixtures::MakeGif(spec));
    ASSERT_TRUE(image);
    for (size_t i = 0; i < spec.frames[0].indices.size(); ++i)
        ASSERT_EQ(image->GetBits()[i], Opaque(colors[spec.frames[0].indices[i]])) << "pixel " << i;
}

TEST(GifDecoder, TransparentIndexGivesClearPixelsAndOthersStayOpaque)
{
    GifSpec spec;
    spec.globalColors = kFourColors;
    GifFrame frame = FrameOf(4, 2, {0, 1, 2, 3, 3, 2, 1, 0});
    frame.transparentIndex = 3;
    spec.frames.push_back(frame);
    auto image = Decode(fixtures::MakeGif(spec));
    ASSERT_TRUE(image);
    const uint32_t* p = image->GetBits();
    EXPECT_EQ(p[0], 0xFFFF0000u);
    EXPECT_EQ(p[3], 0x00000000u);
    EXPECT_EQ(p[4], 0x00000000u);
    EXPECT_EQ(p[5], 0xFF0000FFu);
}

TEST(GifDecoder, InterlacedRowsLandInTheirPlaces)
{
    for (int height : {1, 2, 3, 5, 9, 17}) {
        GifSpec spec;
        std::vector<uint32_t> colors;
        for (uint32_t i = 0; i < 32; ++i)
            colors.push_back(i * 0x030507u);
        spec.globalColors = colors;
        std::vector<uint8_t> indices;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < 3; ++x)
                indices.push_back(uint8_t(y % 32));
        GifFrame frame = FrameOf(3, height, indices);
        frame.interlaced = true;
        spec.frames.push_back(frame);
        auto image = Decode(fixtures::MakeGif(spec));
        ASSERT_TRUE(image) << height;
        for (int y = 0; y < height; ++y)
            EXPECT_EQ(image->GetBits()[y * 3 + 1], Opaque(colors[size_t(y % 32)])) << "height " << height << " row " << y;
    }
}

TEST(GifDecoder, FirstFrameOfAnAnimationWithExtensionsAndItsOwnSize)
{
    GifSpec spec;
    spec.globalColors = kFourColors;
    spec.screenWidth = 40;
    spec.screenHeight = 30;
    spec.comment = true;
    spec.netscapeLoop = true;
    GifFrame first = FrameOf(3, 2, {0, 0, 0, 1, 1, 1});
    first.left = 10;
    first.top = 20;
    first.localColors = {0x111111, 0x222222};
    spec.frames.push_back(first);
    spec.frames.push_back(FrameOf(3, 2, {2, 2, 2, 2, 2, 2}));
    auto image = Decode(fixtures::MakeGif(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, 3);
    EXPECT_EQ(image->mHeight, 2);
    EXPECT_EQ(image->GetBits()[0], 0xFF111111u);
    EXPECT_EQ(image->GetBits()[5], 0xFF222222u);
}

TEST(GifDecoder, TheSmallestTransparentPixelFileDecodes)
{
    // A hand-written 1x1 file of the kind web pages use as a spacer.
    const Bytes bytes = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0,
                         0x21, 0xF9, 4, 1, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, 0x3B};
    auto image = Decode(bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], 0u);
}

TEST(GifDecoder, RejectsWhatIsNotAUsablePicture)
{
    GifSpec spec;
    spec.globalColors = kFourColors;
    spec.frames.push_back(FrameOf(2, 2, {0, 1, 2, 3}));
    const Bytes good = fixtures::MakeGif(spec);
    ASSERT_TRUE(Decode(good));

    Bytes wrongVersion = good;
    wrongVersion[4] = '8'; // "GIF88"
    EXPECT_FALSE(Decode(wrongVersion));

    // Header and colour table only, then the trailer.
    Bytes noImage(good.begin(), good.begin() + 13 + 12);
    noImage.push_back(0x3B);
    EXPECT_FALSE(Decode(noImage));
    noImage.pop_back();
    EXPECT_FALSE(Decode(noImage)); // ends before any image

    const size_t descriptor = 13 + 12;
    ASSERT_EQ(good[descriptor], 0x2C);
    Bytes emptyImage = good;
    emptyImage[descriptor + 5] = 0; // width 0
    emptyImage[descriptor + 6] = 0;
    EXPECT_FALSE(Decode(emptyImage));

    Bytes wideCodes = good;
    wideCodes[descriptor + 10] = 12; // codes would start at 13 bits
    EXPECT_FALSE(Decode(wideCodes));
}

TEST(GifDecoder, DamagedDataKeepsTheRowsDecodedSoFar)
{
    GifSpec spec;
    spec.globalColors = kFourColors;
    std::vector<uint8_t> indices(16 * 16, 2);
    spec.frames.push_back(FrameOf(16, 16, indices));
    spec.frames[0].indices = MixedIndices(256, 4, 3);
    Bytes bytes = fixtures::MakeGif(spec);
    // Cut the LZW data short: the file ends in the middle of the picture.
    bytes.resize(13 + 12 + 10 + 1 + 8);
    auto image = Decode(bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], Opaque(kFourColors[spec.frames[0].indices[0]]));
    EXPECT_EQ(image->GetBits()[255], 0u) << "pixels never reached stay transparent";
}

TEST(GifDecoder, IndicesPastTheColourTableGiveOpaqueBlack)
{
    GifSpec spec;
    spec.globalColors = {0xABCDEF, 0x123456};
    spec.minCodeSize = 3; // lets the data name indices 0..7
    spec.frames.push_back(FrameOf(5, 1, {0, 1, 5, 7, 2}));
    auto image = Decode(fixtures::MakeGif(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[1], 0xFF123456u);
    EXPECT_EQ(image->GetBits()[2], 0xFF000000u);
    EXPECT_EQ(image->GetBits()[3], 0xFF000000u);
    EXPECT_EQ(image->GetBits()[4], 0xFF000000u) << "the first index past the table";

    GifSpec noTable;
    noTable.minCodeSize = 2;
    noTable.frames.push_back(FrameOf(2, 1, {1, 3}));
    image = Decode(fixtures::MakeGif(noTable));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[1], 0xFF000000u);
}

TEST(GifDecoder, ReadsFilesThroughTheFileLayer)
{
    fixtures::TempFolder folder;
    GifSpec spec;
    spec.globalColors = kFourColors;
    spec.frames.push_back(FrameOf(2, 1, {2, 1}));
    const std::string path = folder.Write("dot.gif", fixtures::MakeGif(spec));
    std::unique_ptr<Image> image(ReadGifImage(path));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], 0xFF0000FFu);
    EXPECT_FALSE(ReadGifImage(folder.File("missing.gif")));
}

TEST(GifDecoder, BothVersionsOfTheFormatDecode)
{
    for (const char* version : {"GIF87a", "GIF89a"}) {
        GifSpec spec;
        spec.version = version;
        spec.globalColors = kFourColors;
        spec.frames.push_back(FrameOf(2, 1, {3, 1}));
        auto image = Decode(fixtures::MakeGif(spec));
        ASSERT_TRUE(image) << version;
        EXPECT_EQ(image->GetBits()[0], 0xFFFFFFFFu) << version;
    }
}

TEST(GifDecoder, ALocalColourTableReplacesTheGlobalOneWhole)
{
    GifSpec spec;
    spec.globalColors = kFourColors;
    GifFrame column = FrameOf(1, 4, {0, 1, 2, 3});
    column.localColors = {0x111111, 0x222222, 0x333333, 0x444444};
    spec.frames.push_back(column);
    auto image = Decode(fixtures::MakeGif(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0xFF111111u, 0xFF222222u, 0xFF333333u, 0xFF444444u}))
        << "four local colours, rows in their stored order";

    // Indices past a short local table are opaque black, not the global colours.
    spec.frames = {FrameOf(4, 1, {0, 1, 2, 3})};
    spec.frames[0].localColors = {0x111111, 0x222222};
    spec.minCodeSize = 2;
    image = Decode(fixtures::MakeGif(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0xFF111111u, 0xFF222222u, 0xFF000000u, 0xFF000000u}));
}

TEST(GifDecoder, SizeBitsWithoutTheirTableFlagAreIgnored)
{
    GifSpec spec;
    spec.globalColors = kFourColors;
    spec.frames.push_back(FrameOf(2, 1, {1, 2}));
    Bytes bytes = fixtures::MakeGif(spec);
    ASSERT_EQ(bytes[kDescriptor + 9], 0);
    bytes[kDescriptor + 9] = 0x01; // a size for a local table that is not there
    auto image = Decode(bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{Opaque(kFourColors[1]), Opaque(kFourColors[2])}));

    GifSpec bare;
    bare.minCodeSize = 2;
    bare.frames.push_back(FrameOf(2, 1, {1, 2}));
    bytes = fixtures::MakeGif(bare);
    ASSERT_EQ(bytes[10], 0);
    bytes[10] = 0x01; // a size for a global table that is not there
    image = Decode(bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0xFF000000u, 0xFF000000u}));
}

TEST(GifDecoder, NothingAfterTheTrailerIsRead)
{
    GifSpec spec;
    spec.globalColors = kFourColors;
    spec.frames.push_back(FrameOf(2, 1, {1, 2}));
    Bytes bytes = fixtures::MakeGif(spec);
    bytes.insert(bytes.begin() + long(kDescriptor), 0x3B);
    EXPECT_FALSE(Decode(bytes));
}

TEST(GifDecoder, TheLargestCodeSizeDecodes)
{
    GifSpec spec;
    spec.globalColors = kFourColors;
    spec.minCodeSize = 11; // codes of 12 bits from the start
    spec.frames.push_back(FrameOf(4, 2, {0, 1, 2, 3, 3, 3, 3, 0}));
    auto image = Decode(fixtures::MakeGif(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[3], Opaque(kFourColors[3]));
    EXPECT_EQ(image->GetBits()[7], Opaque(kFourColors[0]));
}

TEST(GifDecoder, ExtensionBlocksAreReadPastWhateverTheyHold)
{
    GifSpec spec;
    spec.globalColors = kFourColors;
    spec.frames.push_back(FrameOf(2, 1, {1, 2}));
    Bytes bytes = fixtures::MakeGif(spec);
    // A comment whose text holds the image separator and the trailer, and a
    // graphic-control block with no bytes.
    bytes.insert(bytes.begin() + long(kDescriptor), {0x21, 0xFE, 4, ',', ';', 0x21, 0x2C, 0, 0x21, 0xF9, 0});
    auto image = Decode(bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{Opaque(kFourColors[1]), Opaque(kFourColors[2])}));
}

TEST(GifDecoder, AnIndexIsTransparentOnlyWhenItsFlagIsSet)
{
    GifSpec spec;
    spec.globalColors = kFourColors;
    spec.frames.push_back(FrameOf(2, 1, {3, 2}));
    Bytes bytes = fixtures::MakeGif(spec);
    bytes.insert(bytes.begin() + long(kDescriptor), {0x21, 0xF9, 4, 0x00, 10, 0, 3, 0});
    auto image = Decode(bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], 0xFFFFFFFFu);
}

TEST(GifDecoder, DecodingStopsExactlyWherePictureDataEnds)
{
    // Clear, then colours 1, 2, 3 in three bits and 0 in four (the table has
    // grown): sixteen bits, two bytes, sent as two one-byte sub-blocks.
    Bytes lzw = fixtures::PackGifCodes(2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}});
    ASSERT_EQ(lzw, (Bytes{2, 2, lzw[2], lzw[3], 0}));
    const Bytes data = {2, 1, lzw[2], 1, lzw[3], 0};
    const std::vector<uint32_t> expected = {Opaque(kFourColors[1]), Opaque(kFourColors[2]), Opaque(kFourColors[3]),
                                            Opaque(kFourColors[0]), 0, 0};
    auto image = Decode(GifAround(6, 1, data));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), expected) << "the last code fills its byte exactly; nothing follows it";

    // The same file cut right after the length of a sub-block that never came.
    Bytes cut = GifAround(6, 1, data);
    cut.resize(cut.size() - 2);
    cut.push_back(7);
    image = Decode(cut);
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), expected);
}

TEST(GifDecoder, DataThatDoesNotBeginWithAClearCodeDecodes)
{
    // 1, 1, then entry 6 ("1 1"); the table reaches 8 entries, so 2, entry 8
    // ("1 1 2") and the end code come in four bits.
    const Bytes lzw = fixtures::PackGifCodes(2, {{1, 3}, {1, 3}, {6, 3}, {2, 4}, {8, 4}, {5, 4}});
    auto image = Decode(GifAround(8, 1, lzw));
    ASSERT_TRUE(image);
    const uint32_t one = Opaque(kFourColors[1]);
    const uint32_t two = Opaque(kFourColors[2]);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{one, one, one, one, two, one, one, two}));
}

TEST(GifDecoder, ACodeForAnEntryNotYetMadeEndsThePicture)
{
    // Right after a clear only single colours may follow.
    auto image = Decode(GifAround(2, 1, fixtures::PackGifCodes(2, {{4, 3}, {6, 3}, {1, 3}})));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0, 0}));
}

TEST(GifDecoder, PixelDataBeyondTheLastRowIsIgnored)
{
    GifSpec spec;
    spec.globalColors = kFourColors;
    spec.frames.push_back(FrameOf(4, 1, MixedIndices(4 * 64, 4, 5)));
    auto image = Decode(fixtures::MakeGif(spec));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->mHeight, 1);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(image->GetBits()[i], Opaque(kFourColors[spec.frames[0].indices[i]])) << i;
}
