// The plain 32-bit picture the loaders hand over to the framework's image
// classes: width x height words of 0xAARRGGBB, rows from the top. Created
// with new by a reader and deleted by whoever receives it.
//
// Thread: owned by one thread at a time; no locks.
#pragma once

#include <cstdint>
#include <memory>

namespace ImageLib {

class Image {
public:
    Image() = default;
    // Allocates width x height pixels, all zero (transparent black), and
    // one word more after them (see ReleaseBits).
    Image(int width, int height);
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    virtual ~Image();

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    uint32_t* GetBits() { return mBits.get(); }
    const uint32_t* GetBits() const { return mBits.get(); }
    // Hands the pixels over, with the one word to spare after them that the
    // framework's images keep a guard value in, so that a loaded picture is
    // never copied; the image is empty afterwards.
    std::unique_ptr<uint32_t[]> ReleaseBits();

    int mWidth = 0;
    int mHeight = 0;
    std::unique_ptr<uint32_t[]> mBits;
};

// Largest picture the loaders accept (width x height). Far above any texture
// the game uses; it keeps a forged header of a few bytes from asking for
// gigabytes before a single pixel has been read.
constexpr int64_t kMaxImagePixels = int64_t(1) << 24;

// True when width and height are positive and their product is within
// kMaxImagePixels.
bool IsAcceptableImageSize(int64_t width, int64_t height);

} // namespace ImageLib
