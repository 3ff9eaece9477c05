#include "imagelib/Image.h"

namespace ImageLib {

Image::Image(int width, int height)
    : mWidth(width)
    , mHeight(height)
    , mBits(new uint32_t[static_cast<size_t>(width) * static_cast<size_t>(height) + 1]())
{
}

Image::~Image() = default;

std::unique_ptr<uint32_t[]> Image::ReleaseBits()
{
    mWidth = 0;
    mHeight = 0;
    return std::move(mBits);
}

bool IsAcceptableImageSize(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxImagePixels && height <= kMaxImagePixels
        && width * height <= kMaxImagePixels;
}

} // namespace ImageLib
