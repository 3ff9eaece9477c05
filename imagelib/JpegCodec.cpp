// JPEG through libjpeg: grey and colour JPEGs become opaque 0xAARRGGBB
// pictures; pictures are written at quality 80, baseline, alpha dropped.
//
// libjpeg reports fatal errors through error_exit, which long-jumps back;
// what must survive the jump is made before setjmp or held volatile.
#include "imagelib/ImageDecoders.h"
#include "imagelib/ImageLib.h"
#include "platform/core/FileSystem.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace ImageLib {

namespace {

constexpr size_t kSourceBlock = 4096;

struct JumpingErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    ImageSource* source; // null while writing
};

void JumpBack(j_common_ptr info)
{
    auto* errors = reinterpret_cast<JumpingErrorManager*>(info->err);
    if (errors->source) {
        char message[JMSG_LENGTH_MAX];
        (*info->err->format_message)(info, message);
        errors->source->NoteFailure(message);
    } else {
        (*info->err->output_message)(info);
    }
    std::longjmp(errors->jump, 1);
}

// Corrupt-data warnings come once per damaged segment; a damaged file still
// decodes to what it holds, so they are kept quiet.
void IgnoreMessage(j_common_ptr, int) {}

struct SourceManager {
    jpeg_source_mgr pub;
    ImageSource* source;
    bool startOfFile;
    JOCTET buffer[kSourceBlock];
};

void InitSource(j_decompress_ptr info)
{
    reinterpret_cast<SourceManager*>(info->src)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr info)
{
    auto* src = reinterpret_cast<SourceManager*>(info->src);
    size_t n = src->source->Read(src->buffer, kSourceBlock);
    if (n == 0) {
        if (src->startOfFile)
            ERREXIT(info, JERR_INPUT_EMPTY);
        WARNMS(info, JWRN_JPEG_EOF);
        // An end-of-image marker lets the library finish what it has.
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = n;
    src->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    auto* src = reinterpret_cast<SourceManager*>(info->src);
    while (count > long(src->pub.bytes_in_buffer)) {
        count -= long(src->pub.bytes_in_buffer);
        FillInputBuffer(info);
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

} // namespace

std::unique_ptr<Image> DecodeJpeg(ImageSource& source)
{
    jpeg_decompress_struct info {};
    JumpingErrorManager errors {};
    auto manager = std::make_unique<SourceManager>();
    Image* volatile image = nullptr;

    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = JumpBack;
    errors.pub.emit_message = IgnoreMessage;
    errors.source = &source;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        delete image;
        return nullptr;
    }
    jpeg_create_decompress(&info);
    manager->pub.init_source = InitSource;
    manager->pub.fill_input_buffer = FillInputBuffer;
    manager->pub.skip_input_data = SkipInputData;
    manager->pub.resync_to_restart = jpeg_resync_to_restart;
    manager->pub.term_source = TermSource;
    manager->pub.bytes_in_buffer = 0;
    manager->pub.next_input_byte = nullptr;
    manager->source = &source;
    info.src = &manager->pub;

    jpeg_read_header(&info, TRUE);
    if (!IsAcceptableImageSize(info.image_width, info.image_height))
        ERREXIT1(&info, JERR_IMAGE_TOO_BIG, int(kMaxImagePixels));
#if defined(JCS_ALPHA_EXTENSIONS)
    // Colour and grey pictures are written by the library straight into the
    // picture's words: blue, green, red and an opaque byte are 0xAARRGGBB in
    // memory on a little-endian machine. The colours are the same as those
    // of its plain RGB output.
    const bool intoWords = std::endian::native == std::endian::little &&
                           (info.out_color_space == JCS_RGB || info.out_color_space == JCS_GRAYSCALE);
    if (intoWords)
        info.out_color_space = JCS_EXT_BGRA;
#else
    const bool intoWords = false;
#endif
    jpeg_start_decompress(&info);
    const int components = info.output_components;
    if (components != 1 && components != 3 && !(intoWords && components == 4))
        ERREXIT(&info, JERR_BAD_J_COLORSPACE);

    const int width = int(info.output_width);
    image = new Image(width, int(info.output_height));
    if (intoWords) {
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = reinterpret_cast<JSAMPROW>(image->GetBits() + size_t(info.output_scanline) * size_t(width));
            if (jpeg_read_scanlines(&info, &row, 1) != 1)
                break;
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        return std::unique_ptr<Image>(image);
    }
    // The row lives in the library's pool, so a long jump loses nothing.
    JSAMPARRAY rows = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                JDIMENSION(width * components), 1);
    while (info.output_scanline < info.output_height) {
        uint32_t* out = image->GetBits() + size_t(info.output_scanline) * size_t(width);
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            break;
        const JSAMPLE* p = rows[0];
        if (components == 1) {
            for (int x = 0; x < width; ++x, ++p)
                out[x] = 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[0]) << 8 | p[0];
        } else {
            for (int x = 0; x < width; ++x, p += 3)
                out[x] = 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return std::unique_ptr<Image>(image);
}

Image* ReadJpegImage(const std::string& fileName)
{
    return DecodeFile(fileName, DecodeJpeg, "JPEG").release();
}

bool SaveJpegFile(const std::string& fileName, Image* image)
{
    if (!image || !image->GetBits() || image->mWidth <= 0 || image->mHeight <= 0)
        return false;

    // Encoded in memory first: the file is replaced only by a whole picture.
    // The library grows the buffer; it is ours to free.
    struct EncodedBytes {
        unsigned char* data = nullptr;
        unsigned long size = 0;
        ~EncodedBytes() { std::free(data); }
    } encoded;
    jpeg_compress_struct info {};
    JumpingErrorManager errors {};
    std::vector<JSAMPLE> row(size_t(image->mWidth) * 3);
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = JumpBack;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &encoded.data, &encoded.size);
    info.image_width = JDIMENSION(image->mWidth);
    info.image_height = JDIMENSION(image->mHeight);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 80, TRUE);
    jpeg_start_compress(&info, TRUE);
    JSAMPROW rows[1] = {row.data()};
    while (info.next_scanline < info.image_height) {
        const uint32_t* in = image->GetBits() + size_t(info.next_scanline) * size_t(image->mWidth);
        for (int x = 0; x < image->mWidth; ++x) {
            row[size_t(x) * 3] = JSAMPLE(in[x] >> 16);
            row[size_t(x) * 3 + 1] = JSAMPLE(in[x] >> 8);
            row[size_t(x) * 3 + 2] = JSAMPLE(in[x]);
        }
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return platform::WriteFileAtomic(fileName, encoded.data, encoded.size);
}

} // namespace ImageLib
