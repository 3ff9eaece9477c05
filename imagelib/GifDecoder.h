// Our own GIF decoder: the first image of a GIF87a/GIF89a file becomes an
// Image of 0xAARRGGBB words; the transparent index of a graphic-control
// block gives alpha 0. Animation frames and extensions are read past.
//
// Thread: one decoder per call; it owns all of its tables, nothing shared.
#pragma once

#include "imagelib/Image.h"
#include "imagelib/ImageSource.h"

#include <array>
#include <memory>

namespace ImageLib {

class GifDecoder {
public:
    explicit GifDecoder(ImageSource& source) : mIn(source) {}
    // The first image, or null when the data is not a GIF, holds no image,
    // has an empty image or an LZW code size past 12 bits. Damaged picture
    // data ends decoding early; the rows not reached stay transparent.
    std::unique_ptr<Image> Decode();

private:
    static constexpr int kMaxCodes = 4096;

    bool ReadColorTable(int entries, std::array<uint32_t, 256>& table);
    bool ReadExtension();
    bool SkipSubBlocks();
    void DecodePixels(Image& image, bool interlaced, const std::array<uint32_t, 256>& colors);
    // Next byte of the LZW data or -1 when the data ends.
    int NextDataByte();
    // Next LZW code or -1 when the data ends.
    int NextCode();
    // Fills the output stack with the bytes of the next code; false at the
    // end of decoding.
    bool Refill();

    ImageSource& mIn;
    int mTransparent = -1;

    // LZW state.
    std::array<uint16_t, kMaxCodes> mPrefix {};
    std::array<uint8_t, kMaxCodes> mSuffix {};
    std::array<uint8_t, kMaxCodes + 1> mStack {};
    int mStackSize = 0;
    std::array<uint8_t, 256> mBlock {};
    int mBlockLength = 0;
    int mBlockPos = 0;
    bool mDataEnded = false;
    bool mTruncated = false;
    uint32_t mBits = 0;
    int mBitCount = 0;
    int mMinCodeSize = 0;
    int mCodeSize = 0;
    int mMask = 0;
    int mClearCode = 0;
    int mNextFree = 0;
    int mPrevious = -1;
    int mFirstByte = 0;
};

} // namespace ImageLib
