// The TGA, PNG and JPEG readers and the PNG and JPEG writers.
#include "imagelib/ImageDecoders.h"
#include "imagelib/ImageLib.h"
#include "tests/support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>
#include <png.h>
#include <sys/resource.h>
#include <zlib.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <tuple>
#include <vector>

using namespace ImageLib;
using fixtures::Bytes;

namespace {

template <class F>
std::unique_ptr<Image> DecodeBytes(F decode, const Bytes& bytes)
{
    MemoryImageSource source(bytes.data(), bytes.size());
    return decode(source);
}

int Channel(uint32_t pixel, int shift) { return int((pixel >> shift) & 0xFF); }

// JPEG is lossy: colours come back within a small distance.
void ExpectNear(uint32_t actual, uint32_t expected, int tolerance, size_t index)
{
    for (int shift : {0, 8, 16, 24})
        ASSERT_LE(std::abs(Channel(actual, shift) - Channel(expected, shift)), tolerance)
            << "pixel " << index << " actual " << std::hex << actual << " expected " << expected;
}

fixtures::TgaSpec TgaOf(int width, int height)
{
    fixtures::TgaSpec spec;
    spec.width = width;
    spec.height = height;
    spec.pixels = fixtures::PatternPixels(width, height, false);
    return spec;
}

} // namespace

TEST(TgaReader, ReadsTopDownThirtyTwoBitPicturesWithTheirAlpha)
{
    const auto spec = TgaOf(7, 5);
    auto image = DecodeBytes(DecodeTga, fixtures::MakeTga(spec));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->mWidth, 7);
    ASSERT_EQ(image->mHeight, 5);
    for (size_t i = 0; i < spec.pixels.size(); ++i)
        ASSERT_EQ(image->GetBits()[i], spec.pixels[i]) << i;
}

TEST(TgaReader, SkipsTheImageIdField)
{
    auto spec = TgaOf(3, 3);
    spec.imageId = "exported by the art tools";
    auto image = DecodeBytes(DecodeTga, fixtures::MakeTga(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], spec.pixels[0]);
    EXPECT_EQ(image->GetBits()[8], spec.pixels[8]);
}

TEST(TgaReader, SkipsAColourMapOfAnyEntrySize)
{
    for (uint8_t bits : {15, 16, 24, 32}) {
        auto spec = TgaOf(3, 3);
        spec.imageId = "id";
        spec.colorMapLength = 7;
        spec.colorMapEntryBits = bits;
        auto image = DecodeBytes(DecodeTga, fixtures::MakeTga(spec));
        ASSERT_TRUE(image) << int(bits) << "-bit entries";
        EXPECT_EQ(image->GetBits()[0], spec.pixels[0]) << int(bits) << "-bit entries";
        EXPECT_EQ(image->GetBits()[8], spec.pixels[8]) << int(bits) << "-bit entries";
    }
}

TEST(TgaReader, RejectsOtherLayoutsAndShortFiles)
{
    auto bottomUp = TgaOf(2, 2);
    bottomUp.descriptor = 0x08;
    EXPECT_FALSE(DecodeBytes(DecodeTga, fixtures::MakeTga(bottomUp)));

    auto rgb = TgaOf(2, 2);
    rgb.bitsPerPixel = 24;
    rgb.descriptor = 0x20;
    EXPECT_FALSE(DecodeBytes(DecodeTga, fixtures::MakeTga(rgb)));

    auto runLength = TgaOf(2, 2);
    runLength.imageType = 10;
    EXPECT_FALSE(DecodeBytes(DecodeTga, fixtures::MakeTga(runLength)));

    auto empty = TgaOf(0, 4);
    EXPECT_FALSE(DecodeBytes(DecodeTga, fixtures::MakeTga(empty)));

    const Bytes whole = fixtures::MakeTga(TgaOf(4, 4));
    EXPECT_FALSE(DecodeBytes(DecodeTga, Bytes(whole.begin(), whole.end() - 1)));

    // A huge size in a tiny file must not be allocated before reading.
    auto huge = TgaOf(1, 1);
    Bytes header = fixtures::MakeTga(huge);
    header[12] = header[13] = header[14] = header[15] = 0xFF;
    EXPECT_FALSE(DecodeBytes(DecodeTga, header));
}

TEST(TgaReader, AColourMapAheadOfTrueColourPixelsIsSkipped)
{
    const auto spec = TgaOf(2, 2);
    Bytes bytes = fixtures::MakeTga(spec);
    // A two-byte image id, then three 16-bit colour map entries, then the
    // pixels: the reader must step over eight bytes.
    bytes[0] = 2;  // id length
    bytes[1] = 1;  // a colour map is present
    bytes[5] = 3;  // entries
    bytes[7] = 16; // bits per entry
    bytes.insert(bytes.begin() + 18, {'i', 'd', 1, 2, 3, 4, 5, 6});
    auto image = DecodeBytes(DecodeTga, bytes);
    ASSERT_TRUE(image);
    for (size_t i = 0; i < spec.pixels.size(); ++i)
        EXPECT_EQ(image->GetBits()[i], spec.pixels[i]) << i;
}

TEST(PngReader, GivesArgbWordsForEveryColourTypeAndDepth)
{
    // Grey 1-bit, palette with transparency, grey+alpha, RGB 16-bit, RGBA.
    fixtures::PngSpec grey;
    grey.width = 8;
    grey.height = 1;
    grey.colorType = PNG_COLOR_TYPE_GRAY;
    grey.bitDepth = 1;
    grey.rows = {0b10100000};
    auto image = DecodeBytes(DecodePng, fixtures::MakePng(grey));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], 0xFFFFFFFFu);
    EXPECT_EQ(image->GetBits()[1], 0xFF000000u);
    EXPECT_EQ(image->GetBits()[2], 0xFFFFFFFFu);

    fixtures::PngSpec palette;
    palette.width = 3;
    palette.height = 1;
    palette.colorType = PNG_COLOR_TYPE_PALETTE;
    palette.palette = {0x102030, 0x405060, 0x708090};
    palette.paletteAlpha = {0x00, 0x80};
    palette.rows = {0, 1, 2};
    image = DecodeBytes(DecodePng, fixtures::MakePng(palette));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], 0x00102030u);
    EXPECT_EQ(image->GetBits()[1], 0x80405060u);
    EXPECT_EQ(image->GetBits()[2], 0xFF708090u);

    fixtures::PngSpec greyAlpha;
    greyAlpha.width = 1;
    greyAlpha.height = 1;
    greyAlpha.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha.rows = {0x44, 0x99};
    image = DecodeBytes(DecodePng, fixtures::MakePng(greyAlpha));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], 0x99444444u);

    fixtures::PngSpec deep;
    deep.width = 2;
    deep.height = 1;
    deep.colorType = PNG_COLOR_TYPE_RGB;
    deep.bitDepth = 16;
    deep.rows = {0x12, 0x00, 0x34, 0x00, 0x56, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x00};
    image = DecodeBytes(DecodePng, fixtures::MakePng(deep));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0], 0xFF123456u);
    EXPECT_EQ(image->GetBits()[1], 0xFFFF0080u);
}

TEST(PngReader, InterlacedFilesComeOutWhole)
{
    const auto pixels = fixtures::PatternPixels(13, 11, false);
    fixtures::PngSpec spec;
    spec.width = 13;
    spec.height = 11;
    spec.interlaced = true;
    for (uint32_t p : pixels)
        spec.rows.insert(spec.rows.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)});
    auto image = DecodeBytes(DecodePng, fixtures::MakePng(spec));
    ASSERT_TRUE(image);
    for (size_t i = 0; i < pixels.size(); ++i)
        ASSERT_EQ(image->GetBits()[i], pixels[i]) << i;
}

TEST(PngReader, TruncatedOrWrongFilesFail)
{
    const Bytes good = fixtures::MakeRgbaPng(9, 9, fixtures::PatternPixels(9, 9, false));
    for (size_t keep : {size_t(0), size_t(7), size_t(40), good.size() / 2, good.size() - 13})
        EXPECT_FALSE(DecodeBytes(DecodePng, Bytes(good.begin(), good.begin() + long(keep)))) << keep;
    Bytes badCrc = good;
    badCrc[30] ^= 0x40; // inside the header chunk
    EXPECT_FALSE(DecodeBytes(DecodePng, badCrc));
}

TEST(JpegReader, ColourAndGreyPicturesAreOpaque)
{
    const int w = 16, h = 16;
    std::vector<uint8_t> rgb, grey;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            rgb.insert(rgb.end(), {200, uint8_t(40), uint8_t(90)});
            grey.push_back(uint8_t(x < 8 ? 30 : 220));
        }
    auto image = DecodeBytes(DecodeJpeg, fixtures::MakeJpeg(w, h, 3, rgb));
    ASSERT_TRUE(image);
    for (size_t i = 0; i < size_t(w * h); ++i)
        ExpectNear(image->GetBits()[i], 0xFFC8285Au, 3, i);

    image = DecodeBytes(DecodeJpeg, fixtures::MakeJpeg(w, h, 1, grey));
    ASSERT_TRUE(image);
    for (size_t i = 0; i < size_t(w * h); ++i) {
        const uint32_t p = image->GetBits()[i];
        ASSERT_TRUE(Channel(p, 0) == Channel(p, 8) && Channel(p, 8) == Channel(p, 16)) << "grey pixel " << i;
    }
    const uint32_t left = image->GetBits()[0], right = image->GetBits()[15];
    EXPECT_EQ(left >> 24, 0xFFu);
    EXPECT_EQ(Channel(left, 0), Channel(left, 8));
    EXPECT_EQ(Channel(left, 8), Channel(left, 16));
    EXPECT_NEAR(Channel(left, 0), 30, 4);
    EXPECT_NEAR(Channel(right, 0), 220, 4);
}

// The library's own plain output of a JPEG held in memory: 8-bit samples,
// RGB for colour pictures and one channel for grey ones.
std::vector<uint8_t> PlainJpegSamples(const Bytes& file, int& components)
{
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    components = info.output_components;
    std::vector<uint8_t> samples(size_t(info.output_width) * info.output_height * size_t(components));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = samples.data() + size_t(info.output_scanline) * info.output_width * size_t(components);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return samples;
}

TEST(JpegReader, PixelsAreExactlyTheLibrarysOwnColoursAtEverySize)
{
    // Sizes that end inside and on the edge of the 8 and 16 pixel blocks,
    // with detail everywhere so that rounding in every step shows.
    for (const auto& [w, h, channels] : {std::tuple{37, 23, 3}, std::tuple{64, 48, 3}, std::tuple{33, 17, 1}}) {
        std::vector<uint8_t> samples;
        uint32_t v = 12345u;
        for (int i = 0; i < w * h * channels; ++i) {
            v = v * 1103515245u + 12345u;
            samples.push_back(uint8_t(v >> 16));
        }
        const Bytes file = fixtures::MakeJpeg(w, h, channels, samples, 75);
        int components = 0;
        const std::vector<uint8_t> plain = PlainJpegSamples(file, components);
        auto image = DecodeBytes(DecodeJpeg, file);
        ASSERT_TRUE(image);
        ASSERT_EQ(components, channels);
        for (size_t i = 0; i < size_t(w * h); ++i) {
            const uint8_t* p = plain.data() + i * size_t(components);
            const uint32_t expected = components == 1
                                          ? 0xFF000000u | uint32_t(p[0]) * 0x010101u
                                          : 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            ASSERT_EQ(image->GetBits()[i], expected) << w << "x" << h << " pixel " << i;
        }
    }
}

TEST(JpegReader, EmptyAndDamagedFilesFailOrDecodeWithoutHarm)
{
    EXPECT_FALSE(DecodeBytes(DecodeJpeg, Bytes {}));
    EXPECT_FALSE(DecodeBytes(DecodeJpeg, Bytes {0xFF, 0xD8, 0xFF}));
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 32 * 32 * 3; ++i)
        rgb.push_back(uint8_t(i * 131 % 251));
    const Bytes good = fixtures::MakeJpeg(32, 32, 3, rgb);
    ASSERT_GT(good.size(), 1000u);
    // Cut in the scan data: the library finishes with what arrived.
    auto partial = DecodeBytes(DecodeJpeg, Bytes(good.begin(), good.begin() + long(good.size() - 200)));
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->mWidth, 32);
}

TEST(ImageWriters, PngRoundTripKeepsEveryPixel)
{
    fixtures::TempFolder folder;
    Image picture(21, 13);
    const auto pixels = fixtures::PatternPixels(21, 13, false);
    std::copy(pixels.begin(), pixels.end(), picture.GetBits());
    const std::string path = folder.File("shot.png");
    ASSERT_TRUE(SavePngFile(path, &picture));
    std::unique_ptr<Image> back(ReadPngImage(path));
    ASSERT_TRUE(back);
    for (size_t i = 0; i < pixels.size(); ++i)
        ASSERT_EQ(back->GetBits()[i], pixels[i]) << i;
}

TEST(ImageWriters, JpegDropsAlphaAndKeepsColours)
{
    fixtures::TempFolder folder;
    Image picture(24, 24);
    for (size_t i = 0; i < 24 * 24; ++i)
        picture.GetBits()[i] = 0x10608040u;
    const std::string path = folder.File("shot.jpg");
    ASSERT_TRUE(SaveJpegFile(path, &picture));
    std::unique_ptr<Image> back(ReadJpegImage(path));
    ASSERT_TRUE(back);
    for (size_t i = 0; i < 24 * 24; ++i)
        ExpectNear(back->GetBits()[i], 0xFF608040u, 4, i);
}

TEST(ImageWriters, UnwritableTargetsAndEmptyPicturesReportFailure)
{
    fixtures::TempFolder folder;
    Image picture(2, 2);
    EXPECT_FALSE(SavePngFile(folder.File("no/such/folder.png"), &picture));
    EXPECT_FALSE(SaveJpegFile(folder.File("no/such/folder.jpg"), &picture));
    Image empty;
    EXPECT_FALSE(SavePngFile(folder.File("empty.png"), &empty));
    EXPECT_FALSE(SaveJpegFile(folder.File("empty.jpg"), nullptr));
}

// The file system refuses to let a file grow past `bytes` while alive, as
// a full disk would (the signal such a write raises is ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(ImageWriters, ASaveThatFailsLeavesThePictureItWouldReplaceWhole)
{
    fixtures::TempFolder folder;
    Image small(8, 8);
    std::fill(small.GetBits(), small.GetBits() + 64, 0xFF204060u);
    Image large(200, 200);
    const auto noise = fixtures::PatternPixels(200, 200, false);
    std::copy(noise.begin(), noise.end(), large.GetBits());
    const auto openFiles = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator());
    };
    const auto openBefore = openFiles();
    for (auto save : {&SavePngFile, &SaveJpegFile}) {
        const std::string path = folder.File("shot");
        ASSERT_TRUE(save(path, &small));
        const Bytes before = fixtures::ReadWholeFile(path);
        bool saved = true;
        {
            FileSizeLimit full(before.size() + 16);
            saved = save(path, &large);
        }
        EXPECT_FALSE(saved);
        EXPECT_EQ(fixtures::ReadWholeFile(path), before);
        size_t files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            ++files;
        EXPECT_EQ(files, 1u) << "no half-written temporary file is left beside it";
        EXPECT_EQ(openFiles(), openBefore) << "nor a file left open";
        std::filesystem::remove(path);
    }
}

namespace {

// A PNG chunk with its length and CRC; a wrong CRC when `damaged`.
void PutChunk(Bytes& out, size_t at, const char* type, const Bytes& data, bool damaged)
{
    Bytes chunk = {uint8_t(data.size() >> 24), uint8_t(data.size() >> 16), uint8_t(data.size() >> 8),
                   uint8_t(data.size())};
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    uint32_t crc = uint32_t(crc32(0, chunk.data() + 4, uInt(chunk.size() - 4)));
    if (damaged)
        crc ^= 1;
    chunk.insert(chunk.end(), {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)});
    out.insert(out.begin() + long(at), chunk.begin(), chunk.end());
}

constexpr size_t kAfterPngHeader = 8 + 25; // signature, IHDR chunk

} // namespace

TEST(PngReader, ADamagedFileGivesTheLibrarysReasonAndADamagedNoteCostsOnlyTheNote)
{
    Bytes bytes = fixtures::MakeRgbaPng(2, 2, fixtures::PatternPixels(2, 2, false));
    PutChunk(bytes, kAfterPngHeader, "tEXt", {'a', 0, 'x', 'y', 'z'}, true);
    testing::internal::CaptureStderr();
    MemoryImageSource noted(bytes.data(), bytes.size());
    auto image = DecodePng(noted);
    const std::string quiet = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(image) << "a text note with a bad checksum is only a warning";
    EXPECT_EQ(quiet, "") << "warnings are not printed";
    EXPECT_EQ(noted.Failure(), "");

    Bytes broken = fixtures::MakeRgbaPng(2, 2, fixtures::PatternPixels(2, 2, false));
    broken[30] ^= 0x40; // inside the header chunk
    MemoryImageSource damaged(broken.data(), broken.size());
    EXPECT_FALSE(DecodePng(damaged));
    EXPECT_NE(damaged.Failure().find("IHDR"), std::string::npos) << damaged.Failure();
}

TEST(PngReader, APictureTooLargeToHoldIsRefusedBeforeAnyAllocation)
{
    // Each side is within the limit; together they are far beyond it.
    Bytes bytes = fixtures::MakeRgbaPng(1, 1, {0xFF000000u});
    bytes.erase(bytes.begin() + 8, bytes.begin() + long(kAfterPngHeader));
    const uint32_t side = uint32_t(kMaxImagePixels);
    const Bytes header = {uint8_t(side >> 24), uint8_t(side >> 16), uint8_t(side >> 8), uint8_t(side),
                          uint8_t(side >> 24), uint8_t(side >> 16), uint8_t(side >> 8), uint8_t(side),
                          8, 6, 0, 0, 0};
    PutChunk(bytes, 8, "IHDR", header, false);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(DecodeBytes(DecodePng, bytes));
    testing::internal::GetCapturedStderr();
}

TEST(ImageWriters, OnePixelSavesInEitherFormat)
{
    fixtures::TempFolder folder;
    Image dot(1, 1);
    dot.GetBits()[0] = 0x80112233u;
    ASSERT_TRUE(SavePngFile(folder.File("dot.png"), &dot));
    std::unique_ptr<Image> back(ReadPngImage(folder.File("dot.png")));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetBits()[0], 0x80112233u);
    EXPECT_TRUE(SaveJpegFile(folder.File("dot.jpg"), &dot));
}

TEST(ImageWriters, APictureWithoutPixelsIsRefusedAndLeavesNoFile)
{
    fixtures::TempFolder folder;
    const std::pair<bool (*)(const std::string&, Image*), const char*> writers[] = {{SavePngFile, ".png"},
                                                                                   {SaveJpegFile, ".jpg"}};
    for (const auto& [save, extension] : writers) {
        for (const auto& [width, height] : {std::pair{0, 3}, std::pair{3, 0}}) {
            Image empty(width, height);
            const std::string path = folder.File("empty" + std::to_string(width) + extension);
            testing::internal::CaptureStderr();
            EXPECT_FALSE(save(path, &empty));
            testing::internal::GetCapturedStderr();
            EXPECT_FALSE(std::filesystem::exists(path)) << path;
        }
    }
}

TEST(ImageWriters, APictureWiderThanTheFormatTakesIsRefusedAndLeavesNoFile)
{
    // Past the widths the PNG (a million pixels) and JPEG (65500) encoders
    // take: the encoder's own error, reported as a failed save.
    fixtures::TempFolder folder;
    Image widePng(1000001, 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SavePngFile(folder.File("wide.png"), &widePng));
    Image wideJpeg(65501, 1);
    EXPECT_FALSE(SaveJpegFile(folder.File("wide.jpg"), &wideJpeg));
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(std::filesystem::exists(folder.File("wide.png")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("wide.jpg")));
}

TEST(JpegReader, ADamagedFileGivesTheLibrarysReason)
{
    const Bytes cut = {0xFF, 0xD8, 0xFF};
    MemoryImageSource source(cut.data(), cut.size());
    EXPECT_FALSE(DecodeJpeg(source));
    EXPECT_NE(source.Failure(), "");
}

TEST(JpegReader, CommentsAreSkippedWhateverTheirLength)
{
    std::vector<uint8_t> rgb(8 * 8 * 3, 0x80);
    Bytes bytes = fixtures::MakeJpeg(8, 8, 3, rgb);
    // After the start-of-image marker: a short comment and one longer than
    // the reader's 4 KB block, both holding an end-of-image marker that only
    // skipping them whole keeps from ending the file.
    Bytes comments = {0xFF, 0xFE, 0x00, 0x04, 0xFF, 0xD9, 0xFF, 0xFE, 0x13, 0x8A};
    comments.resize(comments.size() + 0x1388 - 2, '.');
    comments[comments.size() - 100] = 0xFF;
    comments[comments.size() - 99] = 0xD9;
    bytes.insert(bytes.begin() + 2, comments.begin(), comments.end());
    auto image = DecodeBytes(DecodeJpeg, bytes);
    ASSERT_TRUE(image);
    ExpectNear(image->GetBits()[63], 0xFF808080u, 3, 63);
}

TEST(PngReader, AColourMarkedTransparentComesOutClear)
{
    const std::vector<uint32_t> pixels = {0xFF102030u, 0xFF405060u};
    Bytes bytes = fixtures::MakeRgbaPng(2, 1, pixels);
    // The same picture as RGB with the first colour as its transparent key.
    fixtures::PngSpec rgb;
    rgb.width = 2;
    rgb.height = 1;
    rgb.colorType = PNG_COLOR_TYPE_RGB;
    rgb.rows = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60};
    bytes = fixtures::MakePng(rgb);
    PutChunk(bytes, kAfterPngHeader, "tRNS", {0, 0x10, 0, 0x20, 0, 0x30}, false);
    auto image = DecodeBytes(DecodePng, bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[0] >> 24, 0u);
    EXPECT_EQ(image->GetBits()[1], 0xFF405060u);
}

TEST(JpegReader, APictureTooLargeToHoldOrInPrintColoursIsRefused)
{
    std::vector<uint8_t> samples(8 * 8 * 3, 0x80);
    Bytes bytes = fixtures::MakeJpeg(8, 8, 3, samples);
    // The frame header (SOF0): marker, length, precision, height, width.
    const Bytes startOfFrame = {0xFF, 0xC0};
    const auto frame = std::search(bytes.begin(), bytes.end(), startOfFrame.begin(), startOfFrame.end());
    ASSERT_NE(frame, bytes.end());
    for (int i : {5, 6, 7, 8})
        frame[i] = 0xEA; // 60138 x 60138
    testing::internal::CaptureStderr();
    EXPECT_FALSE(DecodeBytes(DecodeJpeg, bytes));

    std::vector<uint8_t> cmyk(8 * 8 * 4, 0x40);
    EXPECT_FALSE(DecodeBytes(DecodeJpeg, fixtures::MakeJpeg(8, 8, 4, cmyk)));
    testing::internal::GetCapturedStderr();
}

TEST(JpegReader, PureBlackStaysBlack)
{
    std::vector<uint8_t> samples(8 * 8 * 3, 0);
    auto image = DecodeBytes(DecodeJpeg, fixtures::MakeJpeg(8, 8, 3, samples, 100));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetBits()[9], 0xFF000000u);
}

TEST(ImageWriters, JpegKeepsEachRowInItsPlaceAtQuality80)
{
    fixtures::TempFolder folder;
    Image picture(16, 16);
    std::vector<uint8_t> samples;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint32_t pixel = y < 8 ? 0xFFE00000u : 0xFF0000E0u;
            picture.GetBits()[y * 16 + x] = pixel;
            samples.insert(samples.end(), {uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel)});
        }
    const std::string path = folder.File("rows.jpg");
    ASSERT_TRUE(SaveJpegFile(path, &picture));
    std::unique_ptr<Image> back(ReadJpegImage(path));
    ASSERT_TRUE(back);
    ExpectNear(back->GetBits()[0], 0xFFE00000u, 12, 0);
    ExpectNear(back->GetBits()[255], 0xFF0000E0u, 12, 255);

    // The quantisation tables are those of quality 80.
    const Bytes written = fixtures::ReadWholeFile(path);
    const Bytes reference = fixtures::MakeJpeg(16, 16, 3, samples, 80);
    const auto tables = [](const Bytes& jpeg) {
        const Bytes defineTables = {0xFF, 0xDB};
        const auto at = std::search(jpeg.begin(), jpeg.end(), defineTables.begin(), defineTables.end());
        return at == jpeg.end() ? Bytes {} : Bytes(at, at + 4 + 64);
    };
    ASSERT_FALSE(tables(reference).empty());
    EXPECT_EQ(tables(written), tables(reference));
}
