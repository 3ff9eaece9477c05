#include "imagelib/GifDecoder.h"

#include "imagelib/ImageDecoders.h"
#include "imagelib/ImageLib.h"

#include <cstring>

namespace ImageLib {

namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr int kLargestMinCodeSize = 11; // codes then reach 12 bits

} // namespace

std::unique_ptr<Image> GifDecoder::Decode()
{
    uint8_t signature[6];
    if (!mIn.ReadExact(signature, sizeof signature))
        return nullptr;
    if (std::memcmp(signature, "GIF87", 5) != 0 && std::memcmp(signature, "GIF89", 5) != 0)
        return nullptr;

    uint16_t screenWidth = 0, screenHeight = 0;
    uint8_t screenFlags = 0, background = 0, aspect = 0;
    if (!mIn.ReadU16(screenWidth) || !mIn.ReadU16(screenHeight) || !mIn.ReadU8(screenFlags)
        || !mIn.ReadU8(background) || !mIn.ReadU8(aspect))
        return nullptr;

    // Entries past the table's last colour are filled before any index can
    // reach them: a stray index gives opaque black, never a word beyond the
    // colours read.
    std::array<uint32_t, 256> globalColors;
    globalColors.fill(0xFF000000u);
    if ((screenFlags & 0x80) && !ReadColorTable(1 << ((screenFlags & 7) + 1), globalColors))
        return nullptr;

    for (;;) {
        uint8_t introducer = 0;
        if (!mIn.ReadU8(introducer) || introducer == kTrailer)
            return nullptr;
        if (introducer == kImageSeparator)
            break;
        if (introducer == kExtensionIntroducer && !ReadExtension())
            return nullptr;
        // Any other byte is stray padding and ignored.
    }

    uint16_t left = 0, top = 0, width = 0, height = 0;
    uint8_t imageFlags = 0;
    if (!mIn.ReadU16(left) || !mIn.ReadU16(top) || !mIn.ReadU16(width) || !mIn.ReadU16(height)
        || !mIn.ReadU8(imageFlags))
        return nullptr;
    if (!IsAcceptableImageSize(width, height))
        return nullptr;

    std::array<uint32_t, 256> colors = globalColors;
    if (imageFlags & 0x80) {
        colors.fill(0xFF000000u);
        if (!ReadColorTable(1 << ((imageFlags & 7) + 1), colors))
            return nullptr;
    }

    uint8_t minCodeSize = 0;
    if (!mIn.ReadU8(minCodeSize) || minCodeSize > kLargestMinCodeSize)
        return nullptr;
    mMinCodeSize = minCodeSize;

    auto image = std::make_unique<Image>(width, height);
    DecodePixels(*image, (imageFlags & 0x40) != 0, colors);
    return image;
}

bool GifDecoder::ReadColorTable(int entries, std::array<uint32_t, 256>& table)
{
    uint8_t rgb[256 * 3];
    if (!mIn.ReadExact(rgb, size_t(entries) * 3))
        return false;
    for (int i = 0; i < entries; ++i)
        table[i] = 0xFF000000u | uint32_t(rgb[i * 3]) << 16 | uint32_t(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2];
    return true;
}

bool GifDecoder::ReadExtension()
{
    uint8_t label = 0;
    if (!mIn.ReadU8(label))
        return false;
    if (label == kGraphicControlLabel) {
        uint8_t length = 0;
        if (!mIn.ReadU8(length))
            return false;
        if (length == 0)
            return true;
        uint8_t data[255];
        if (!mIn.ReadExact(data, length))
            return false;
        if (length >= 4 && (data[0] & 1))
            mTransparent = data[3];
        return SkipSubBlocks();
    }
    // Comments (0xFE), application blocks (0xFF, such as the looping note of
    // animated files) and unknown extensions carry nothing the picture needs.
    return SkipSubBlocks();
}

bool GifDecoder::SkipSubBlocks()
{
    for (;;) {
        uint8_t length = 0;
        if (!mIn.ReadU8(length))
            return false;
        if (length == 0)
            return true;
        uint8_t data[255];
        if (!mIn.ReadExact(data, length))
            return false;
    }
}

int GifDecoder::NextDataByte()
{
    if (mDataEnded)
        return -1;
    if (mBlockPos >= mBlockLength) {
        uint8_t length = 0;
        if (mTruncated || !mIn.ReadU8(length) || length == 0) {
            mDataEnded = true;
            return -1;
        }
        // A file cut inside a sub-block still gives the bytes it holds.
        const size_t got = mIn.Read(mBlock.data(), length);
        if (got == 0) {
            mDataEnded = true;
            return -1;
        }
        mTruncated = got < length;
        mBlockLength = int(got);
        mBlockPos = 0;
    }
    return mBlock[mBlockPos++];
}

int GifDecoder::NextCode()
{
    while (mBitCount < mCodeSize) {
        const int byte = NextDataByte();
        if (byte < 0)
            return -1;
        mBits |= uint32_t(byte) << mBitCount;
        mBitCount += 8;
    }
    const int code = int(mBits & uint32_t(mMask));
    mBits >>= mCodeSize;
    mBitCount -= mCodeSize;
    return code;
}

bool GifDecoder::Refill()
{
    const int endCode = mClearCode + 1;
    while (mStackSize == 0) {
        int code = NextCode();
        if (code < 0 || code == endCode || code > mNextFree)
            return false;
        if (code == mClearCode) {
            mCodeSize = mMinCodeSize + 1;
            mMask = (1 << mCodeSize) - 1;
            mNextFree = mClearCode + 2;
            mPrevious = -1;
            continue;
        }
        if (mPrevious < 0) {
            // Right after a clear only single colours can follow; a longer
            // code would name an entry not yet built.
            if (code >= mClearCode)
                return false;
            mFirstByte = mSuffix[code];
            mStack[mStackSize++] = uint8_t(mFirstByte);
            mPrevious = code;
            continue;
        }
        const int incoming = code;
        if (code >= mNextFree) {
            mStack[mStackSize++] = uint8_t(mFirstByte);
            code = mPrevious;
        }
        while (code >= mClearCode) {
            mStack[mStackSize++] = mSuffix[code];
            code = mPrefix[code];
        }
        mFirstByte = mSuffix[code];
        mStack[mStackSize++] = uint8_t(mFirstByte);
        // Once the table is full, encoders may go on sending codes without
        // a clear; those are decoded with the table as it stands.
        if (mNextFree < kMaxCodes) {
            mPrefix[mNextFree] = uint16_t(mPrevious);
            mSuffix[mNextFree] = uint8_t(mFirstByte);
            ++mNextFree;
            if ((mNextFree & mMask) == 0 && mNextFree < kMaxCodes) {
                ++mCodeSize;
                mMask += mNextFree;
            }
        }
        mPrevious = incoming;
    }
    return true;
}

void GifDecoder::DecodePixels(Image& image, bool interlaced, const std::array<uint32_t, 256>& colors)
{
    mClearCode = 1 << mMinCodeSize;
    mCodeSize = mMinCodeSize + 1;
    mMask = (1 << mCodeSize) - 1;
    mNextFree = mClearCode + 2;
    mPrevious = -1;
    for (int i = 0; i < mClearCode; ++i) {
        mSuffix[i] = uint8_t(i);
        mPrefix[i] = 0;
    }

    const int width = image.mWidth;
    const int height = image.mHeight;
    static constexpr int kPassStart[4] = {0, 4, 2, 1};
    static constexpr int kPassStep[4] = {8, 8, 4, 2};
    int pass = 0;
    int row = 0;
    for (int done = 0; done < height; ++done) {
        uint32_t* out = image.GetBits() + size_t(row) * size_t(width);
        for (int x = 0; x < width; ++x) {
            if (mStackSize == 0 && !Refill())
                return;
            const int index = mStack[--mStackSize];
            out[x] = index == mTransparent ? 0u : colors[index];
        }
        if (!interlaced) {
            ++row;
            continue;
        }
        row += kPassStep[pass];
        // Small pictures may have passes that start below their last row.
        while (row >= height && pass < 3) {
            ++pass;
            row = kPassStart[pass];
        }
        if (row >= height)
            return;
    }
}

std::unique_ptr<Image> DecodeGif(ImageSource& source)
{
    // The tables are some 20 KB; keep them off the caller's stack.
    auto decoder = std::make_unique<GifDecoder>(source);
    return decoder->Decode();
}

Image* ReadGifImage(const std::string& fileName)
{
    return DecodeFile(fileName, DecodeGif, "GIF").release();
}

} // namespace ImageLib
