#include "imagelib/Image.h"

namespace ImageLib {

Image::Image(int width, int height)
    : mWidth(width)
    , mHeight(height)
    , mBits(new uint32_t[static_cast<size_t>(width) * static_cast<size_t>(height)]())
{
}

Image::~Image() = default;

bool IsAcceptableImageSize(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxImagePixels && height <= kMaxImagePixels
        && width * height <= kMaxImagePixels;
}

} // namespace ImageLib
