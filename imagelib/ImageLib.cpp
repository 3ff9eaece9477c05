// LoadImageFile: picks the reader by extension (or tries them all) and joins
// a separate alpha image to the colour picture.
#include "imagelib/ImageLib.h"

#include <cctype>
#include <memory>

namespace ImageLib {

int gAlphaComposeColor = 0xFFFFFF;

namespace {

struct Reader {
    const char* extension;
    Image* (*read)(const std::string&);
};

// The order matters: a bare name with both a .jpg and a .png file takes the
// JPEG.
constexpr Reader kReaders[] = {
    {".tga", ReadTgaImage}, {".jpg", ReadJpegImage}, {".png", ReadPngImage},
    {".gif", ReadGifImage}, {".j2k", ReadJ2kImage},  {".jp2", ReadJ2kImage},
};

bool SameTextIgnoringCase(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

size_t LastSeparator(const std::string& name)
{
    return name.find_last_of("\\/");
}

std::unique_ptr<Image> LoadColorImage(const std::string& name)
{
    std::string base = name;
    std::string extension;
    const size_t dot = name.rfind('.');
    const size_t separator = LastSeparator(name);
    if (dot != std::string::npos && (separator == std::string::npos || dot > separator)) {
        base = name.substr(0, dot);
        extension = name.substr(dot);
    }
    for (const Reader& reader : kReaders) {
        if (!extension.empty() && !SameTextIgnoringCase(extension, reader.extension))
            continue;
        if (Image* image = reader.read(base + reader.extension))
            return std::unique_ptr<Image>(image);
    }
    return nullptr;
}

std::unique_ptr<Image> LoadAlphaImage(const std::string& name)
{
    const size_t separator = LastSeparator(name);
    const size_t fileStart = separator == std::string::npos ? 0 : separator + 1;
    auto alpha = LoadColorImage(name.substr(0, fileStart) + "_" + name.substr(fileStart));
    if (!alpha)
        alpha = LoadColorImage(name + "_");
    return alpha;
}

} // namespace

Image* LoadImageFile(const std::string& fileName, bool lookForAlpha)
{
    auto image = LoadColorImage(fileName);
    if (!lookForAlpha)
        return image.release();
    auto alpha = LoadAlphaImage(fileName);
    if (!alpha)
        return image.release();

    if (!image) {
        // A mask alone: a picture of the compose colour, shaped by the mask.
        const uint32_t color = uint32_t(gAlphaComposeColor) & 0xFFFFFFu;
        uint32_t* bits = alpha->GetBits();
        for (size_t i = 0, n = size_t(alpha->mWidth) * size_t(alpha->mHeight); i < n; ++i)
            bits[i] = (bits[i] & 0xFFu) << 24 | color;
        return alpha.release();
    }
    if (image->mWidth == alpha->mWidth && image->mHeight == alpha->mHeight) {
        uint32_t* bits = image->GetBits();
        const uint32_t* mask = alpha->GetBits();
        for (size_t i = 0, n = size_t(image->mWidth) * size_t(image->mHeight); i < n; ++i)
            bits[i] = (bits[i] & 0x00FFFFFFu) | (mask[i] & 0xFFu) << 24;
    }
    return image.release();
}

} // namespace ImageLib
