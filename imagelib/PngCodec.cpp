// PNG through libpng: any PNG becomes 0xAARRGGBB rows (palettes, low grey
// depths and transparency expanded, 16-bit channels cut to 8, grey made RGB,
// a 0xFF filler where there is no alpha); pictures are written as 8-bit RGBA.
//
// libpng reports errors by a long jump. Everything that must survive the
// jump lives in volatile pointers or in objects made before setjmp.
#include "imagelib/ImageDecoders.h"
#include "imagelib/ImageLib.h"
#include "platform/core/FileSystem.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace ImageLib {

namespace {

void ReadFromSource(png_structp png, png_bytep buffer, size_t length)
{
    auto* source = static_cast<ImageSource*>(png_get_io_ptr(png));
    if (source->Read(buffer, length) != length)
        png_error(png, "Read Error");
}

// Damaged files would otherwise fill stderr with one line per warning.
void IgnoreWarning(png_structp, png_const_charp) {}

void AppendToBytes(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void ReportWriteError(png_structp png, png_const_charp message)
{
    std::fprintf(stderr, "PNG error: %s\n", message);
    png_longjmp(png, 1);
}

void NoteError(png_structp png, png_const_charp message)
{
    static_cast<ImageSource*>(png_get_error_ptr(png))->NoteFailure(message);
    png_longjmp(png, 1);
}

} // namespace

std::unique_ptr<Image> DecodePng(ImageSource& source)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, NoteError, IgnoreWarning);
    if (!png)
        return nullptr;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    Image* volatile image = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        delete image;
        return nullptr;
    }
    png_set_read_fn(png, &source, ReadFromSource);
    png_set_user_limits(png, uint32_t(kMaxImagePixels), uint32_t(kMaxImagePixels));
    png_read_info(png, info);

    const uint32_t width = png_get_image_width(png, info);
    const uint32_t height = png_get_image_height(png, info);
    if (!IsAcceptableImageSize(width, height))
        png_error(png, "image too large");

    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4)
        png_error(png, "unexpected row layout");

    image = new Image(int(width), int(height));
    // Interlaced files deliver each row once per pass; later passes fill in
    // the pixels the earlier ones left.
    for (int pass = 0; pass < passes; ++pass)
        for (uint32_t y = 0; y < height; ++y)
            png_read_row(png, reinterpret_cast<png_bytep>(image->GetBits() + size_t(y) * width), nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return std::unique_ptr<Image>(image);
}

Image* ReadPngImage(const std::string& fileName)
{
    return DecodeFile(fileName, DecodePng, "PNG").release();
}

bool SavePngFile(const std::string& fileName, Image* image)
{
    if (!image || !image->GetBits() || image->mWidth <= 0 || image->mHeight <= 0)
        return false;
    // Encoded in memory first: the file is replaced only by a whole picture.
    std::vector<uint8_t> encoded;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ReportWriteError, IgnoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &encoded, AppendToBytes, nullptr);
    png_color_8 significant {};
    significant.red = significant.green = significant.blue = significant.alpha = 8;
    png_set_sBIT(png, info, &significant);
    png_set_IHDR(png, info, uint32_t(image->mWidth), uint32_t(image->mHeight), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < image->mHeight; ++y)
        png_write_row(png, reinterpret_cast<png_const_bytep>(image->GetBits() + size_t(y) * size_t(image->mWidth)));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return platform::WriteFileAtomic(fileName, encoded.data(), encoded.size());
}

} // namespace ImageLib
