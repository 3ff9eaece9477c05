// Uncompressed 32-bit TGA pictures with eight alpha bits and the origin at
// the top left, the one kind the game's tools write.
#include "imagelib/ImageDecoders.h"
#include "imagelib/ImageLib.h"

#include <vector>

namespace ImageLib {

namespace {

struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t colorMapType = 0;
    uint8_t imageType = 0;
    uint16_t colorMapFirst = 0;
    uint16_t colorMapLength = 0;
    uint8_t colorMapEntrySize = 0;
    uint16_t xOrigin = 0;
    uint16_t yOrigin = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t bitsPerPixel = 0;
    uint8_t descriptor = 0;
};

constexpr uint8_t kUncompressedTrueColor = 2;
constexpr uint8_t kEightAlphaBitsTopLeft = 0x28;

bool ReadHeader(ImageSource& in, TgaHeader& h)
{
    return in.ReadU8(h.idLength) && in.ReadU8(h.colorMapType) && in.ReadU8(h.imageType)
        && in.ReadU16(h.colorMapFirst) && in.ReadU16(h.colorMapLength) && in.ReadU8(h.colorMapEntrySize)
        && in.ReadU16(h.xOrigin) && in.ReadU16(h.yOrigin) && in.ReadU16(h.width) && in.ReadU16(h.height)
        && in.ReadU8(h.bitsPerPixel) && in.ReadU8(h.descriptor);
}

} // namespace

std::unique_ptr<Image> DecodeTga(ImageSource& in)
{
    TgaHeader h;
    if (!ReadHeader(in, h))
        return nullptr;
    if (h.bitsPerPixel != 32 || h.descriptor != kEightAlphaBitsTopLeft)
        return nullptr;
    // Run-length or colour-mapped data read as raw pixels would come out as
    // noise, so only plain true-colour pictures are taken.
    if (h.imageType != kUncompressedTrueColor)
        return nullptr;
    if (!IsAcceptableImageSize(h.width, h.height))
        return nullptr;

    // The image-ID field and any colour map lie between the header and the
    // pixels; skip both so pictures carrying an ID still load.
    const int64_t mapBytes = h.colorMapType != 0
        ? int64_t(h.colorMapLength) * ((h.colorMapEntrySize + 7) / 8) : 0;
    if (!in.Seek(in.Tell() + h.idLength + mapBytes))
        return nullptr;

    const int64_t pixelBytes = int64_t(h.width) * h.height * 4;
    const int64_t left = in.Remaining();
    if (left >= 0 && left < pixelBytes)
        return nullptr;

    auto image = std::make_unique<Image>(h.width, h.height);
    std::vector<uint8_t> row(size_t(h.width) * 4);
    uint32_t* out = image->GetBits();
    for (int y = 0; y < h.height; ++y) {
        if (!in.ReadExact(row.data(), row.size()))
            return nullptr;
        for (int x = 0; x < h.width; ++x) {
            const uint8_t* p = &row[size_t(x) * 4];
            *out++ = uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        }
    }
    return image;
}

Image* ReadTgaImage(const std::string& fileName)
{
    return DecodeFile(fileName, DecodeTga, "TGA").release();
}

} // namespace ImageLib
