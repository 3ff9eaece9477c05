#include "tests/support/ImageFixtures.h"

#include <png.h>
#include <jpeglib.h>
#include <openjpeg.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <stdexcept>

namespace fixtures {

namespace {

void PutU16(Bytes& out, int v)
{
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t((v >> 8) & 0xFF));
}

int TableBits(size_t colors)
{
    int bits = 1;
    while ((size_t(1) << bits) < colors && bits < 8)
        ++bits;
    return bits;
}

void PutColorTable(Bytes& out, const std::vector<uint32_t>& colors, int bits)
{
    for (size_t i = 0; i < (size_t(1) << bits); ++i) {
        const uint32_t c = i < colors.size() ? colors[i] : 0;
        out.push_back(uint8_t(c >> 16));
        out.push_back(uint8_t(c >> 8));
        out.push_back(uint8_t(c));
    }
}

class BitWriter {
public:
    void Put(int code, int size)
    {
        mAccumulator |= uint32_t(code) << mCount;
        mCount += size;
        while (mCount >= 8) {
            mBytes.push_back(uint8_t(mAccumulator));
            mAccumulator >>= 8;
            mCount -= 8;
        }
    }
    Bytes Finish()
    {
        if (mCount > 0)
            mBytes.push_back(uint8_t(mAccumulator));
        return mBytes;
    }

private:
    Bytes mBytes;
    uint32_t mAccumulator = 0;
    int mCount = 0;
};

int BitLength(int v)
{
    int n = 0;
    while (v > 0) {
        ++n;
        v >>= 1;
    }
    return n;
}

Bytes GifSubBlocks(int minCodeSize, const Bytes& data)
{
    Bytes out;
    out.push_back(uint8_t(minCodeSize));
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t n = std::min<size_t>(255, data.size() - i);
        out.push_back(uint8_t(n));
        out.insert(out.end(), data.begin() + long(i), data.begin() + long(i + n));
    }
    out.push_back(0);
    return out;
}

} // namespace

Bytes EncodeGifLzw(const std::vector<uint8_t>& indices, int minCodeSize, bool deferredClear)
{
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    BitWriter bits;
    std::map<std::pair<int, int>, int> table;
    int next = clear + 2;
    int size = minCodeSize + 1;
    bool full = false;
    // The decoder reads each code with as many bits as the largest code the
    // encoder could have sent at that point.
    const auto sizeFor = [&](int nextCode) { return std::max(minCodeSize + 1, std::min(12, BitLength(nextCode - 1))); };

    bits.Put(clear, size);
    int prefix = -1;
    for (uint8_t pixel : indices) {
        if (prefix < 0) {
            prefix = pixel;
            continue;
        }
        auto found = table.find({prefix, pixel});
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        bits.Put(prefix, size);
        if (!full) {
            table[{prefix, pixel}] = next++;
            if (next == 4096) {
                if (deferredClear) {
                    full = true;
                } else {
                    bits.Put(clear, size);
                    table.clear();
                    next = clear + 2;
                }
            }
            size = sizeFor(next);
        }
        prefix = pixel;
    }
    if (prefix >= 0)
        bits.Put(prefix, size);
    // The end code is read after the decoder has entered one more code.
    if (!full && prefix >= 0 && next < 4096)
        size = sizeFor(next + 1);
    bits.Put(end, size);
    return GifSubBlocks(minCodeSize, bits.Finish());
}

Bytes PackGifCodes(int minCodeSize, const std::vector<std::pair<int, int>>& codes)
{
    BitWriter bits;
    for (const auto& [code, size] : codes)
        bits.Put(code, size);
    return GifSubBlocks(minCodeSize, bits.Finish());
}


Bytes MakeGif(const GifSpec& spec)
{
    if (spec.frames.empty())
        throw std::invalid_argument("a GIF needs a frame");
    Bytes out(spec.version, spec.version + 6);
    PutU16(out, spec.screenWidth ? spec.screenWidth : spec.frames[0].width);
    PutU16(out, spec.screenHeight ? spec.screenHeight : spec.frames[0].height);
    const int globalBits = TableBits(spec.globalColors.size());
    out.push_back(uint8_t(spec.globalColors.empty() ? 0 : 0x80 | (globalBits - 1)));
    out.push_back(0); // background
    out.push_back(0); // aspect
    if (!spec.globalColors.empty())
        PutColorTable(out, spec.globalColors, globalBits);
    if (spec.comment) {
        const char text[] = "made by the tests";
        out.insert(out.end(), {0x21, 0xFE, uint8_t(sizeof text - 1)});
        out.insert(out.end(), text, text + sizeof text - 1);
        out.push_back(0);
    }
    if (spec.netscapeLoop) {
        const char id[] = "NETSCAPE2.0";
        out.insert(out.end(), {0x21, 0xFF, 11});
        out.insert(out.end(), id, id + 11);
        out.insert(out.end(), {3, 1, 0, 0, 0});
    }
    for (const GifFrame& frame : spec.frames) {
        if (frame.transparentIndex >= 0)
            out.insert(out.end(), {0x21, 0xF9, 4, 1, 10, 0, uint8_t(frame.transparentIndex), 0});
        out.push_back(0x2C);
        PutU16(out, frame.left);
        PutU16(out, frame.top);
        PutU16(out, frame.width);
        PutU16(out, frame.height);
        const int localBits = TableBits(frame.localColors.size());
        uint8_t flags = frame.interlaced ? 0x40 : 0;
        if (!frame.localColors.empty())
            flags |= uint8_t(0x80 | (localBits - 1));
        out.push_back(flags);
        if (!frame.localColors.empty())
            PutColorTable(out, frame.localColors, localBits);

        // Interlaced frames store their rows in pass order.
        std::vector<uint8_t> stored;
        if (frame.interlaced) {
            const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = starts[pass]; y < frame.height; y += steps[pass])
                    stored.insert(stored.end(), frame.indices.begin() + long(y) * frame.width,
                                  frame.indices.begin() + long(y + 1) * frame.width);
        } else {
            stored = frame.indices;
        }
        const size_t colors = frame.localColors.empty() ? spec.globalColors.size() : frame.localColors.size();
        const int minCode = spec.minCodeSize ? spec.minCodeSize : std::max(2, TableBits(colors));
        const Bytes lzw = EncodeGifLzw(stored, minCode, spec.deferredClear);
        out.insert(out.end(), lzw.begin(), lzw.end());
    }
    out.push_back(0x3B);
    return out;
}

Bytes MakeTga(const TgaSpec& spec)
{
    Bytes out;
    out.push_back(uint8_t(spec.imageId.size()));
    out.push_back(spec.colorMapLength > 0 ? 1 : 0);
    out.push_back(spec.imageType);
    PutU16(out, 0);
    PutU16(out, spec.colorMapLength);
    out.push_back(spec.colorMapEntryBits);
    PutU16(out, 0);
    PutU16(out, 0);
    PutU16(out, spec.width);
    PutU16(out, spec.height);
    out.push_back(spec.bitsPerPixel);
    out.push_back(spec.descriptor);
    out.insert(out.end(), spec.imageId.begin(), spec.imageId.end());
    out.insert(out.end(), size_t(spec.colorMapLength) * ((spec.colorMapEntryBits + 7) / 8), uint8_t(0x5A));
    const int bytesPerPixel = spec.bitsPerPixel / 8;
    for (uint32_t p : spec.pixels)
        for (int i = 0; i < bytesPerPixel; ++i)
            out.push_back(uint8_t(p >> (8 * i)));
    return out;
}

namespace {

void AppendPng(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

} // namespace

Bytes MakePng(const PngSpec& spec)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng could not write the sample");
    }
    png_set_write_fn(png, &out, AppendPng, NoFlush);
    png_set_IHDR(png, info, uint32_t(spec.width), uint32_t(spec.height), spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (uint32_t c : spec.palette)
        palette.push_back(png_color {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (!spec.paletteAlpha.empty())
        png_set_tRNS(png, info, spec.paletteAlpha.data(), int(spec.paletteAlpha.size()), nullptr);
    png_write_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<png_bytep> rows;
    for (int y = 0; y < spec.height; ++y)
        rows.push_back(const_cast<png_bytep>(spec.rows.data()) + size_t(y) * rowBytes);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes MakeRgbaPng(int width, int height, const std::vector<uint32_t>& pixels)
{
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    for (uint32_t p : pixels)
        spec.rows.insert(spec.rows.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)});
    return MakePng(spec);
}

Bytes MakeJpeg(int width, int height, int components, const std::vector<uint8_t>& samples, int quality)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(samples.data()) + size_t(info.next_scanline) * size_t(width * components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

namespace {

struct MemoryOut {
    Bytes bytes;
    size_t position = 0;
};

OPJ_SIZE_T J2kWrite(void* data, OPJ_SIZE_T count, void* user)
{
    auto* out = static_cast<MemoryOut*>(user);
    if (out->bytes.size() < out->position + count)
        out->bytes.resize(out->position + count);
    std::memcpy(out->bytes.data() + out->position, data, count);
    out->position += count;
    return count;
}

OPJ_OFF_T J2kSkip(OPJ_OFF_T count, void* user)
{
    auto* out = static_cast<MemoryOut*>(user);
    out->position = size_t(OPJ_OFF_T(out->position) + count);
    if (out->bytes.size() < out->position)
        out->bytes.resize(out->position);
    return count;
}

OPJ_BOOL J2kSeek(OPJ_OFF_T offset, void* user)
{
    auto* out = static_cast<MemoryOut*>(user);
    out->position = size_t(offset);
    if (out->bytes.size() < out->position)
        out->bytes.resize(out->position);
    return OPJ_TRUE;
}

} // namespace

Bytes MakeJ2k(int width, int height, int components, const std::vector<uint8_t>& samples, bool jp2)
{
    std::vector<opj_image_cmptparm_t> parameters(static_cast<size_t>(components));
    for (auto& p : parameters) {
        std::memset(&p, 0, sizeof p);
        p.dx = p.dy = 1;
        p.w = uint32_t(width);
        p.h = uint32_t(height);
        p.prec = 8;
        p.sgnd = 0;
    }
    opj_image_t* image = opj_image_create(uint32_t(components), parameters.data(),
                                          components == 1 ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB);
    image->x0 = image->y0 = 0;
    image->x1 = uint32_t(width);
    image->y1 = uint32_t(height);
    if (components == 4)
        image->comps[3].alpha = 1;
    for (int c = 0; c < components; ++c)
        for (size_t i = 0; i < size_t(width) * size_t(height); ++i)
            image->comps[c].data[i] = samples[i * size_t(components) + size_t(c)];

    opj_cparameters_t settings;
    opj_set_default_encoder_parameters(&settings);
    settings.numresolution = 3;
    while (settings.numresolution > 1 && ((width >> (settings.numresolution - 1)) == 0 || (height >> (settings.numresolution - 1)) == 0))
        --settings.numresolution;
    opj_codec_t* codec = opj_create_compress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    opj_setup_encoder(codec, &settings, image);
    MemoryOut out;
    opj_stream_t* stream = opj_stream_create(1 << 16, OPJ_FALSE);
    opj_stream_set_user_data(stream, &out, nullptr);
    opj_stream_set_write_function(stream, J2kWrite);
    opj_stream_set_skip_function(stream, J2kSkip);
    opj_stream_set_seek_function(stream, J2kSeek);
    const bool ok = opj_start_compress(codec, image, stream) && opj_encode(codec, stream)
        && opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    if (!ok)
        throw std::runtime_error("OpenJPEG could not write the sample");
    return out.bytes;
}

std::vector<uint32_t> PatternPixels(int width, int height, bool opaque)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t a = opaque ? 0xFF : uint32_t((x * 37 + y * 11) & 0xFF);
            const uint32_t r = uint32_t(x * 255 / std::max(1, width - 1));
            const uint32_t g = uint32_t(y * 255 / std::max(1, height - 1));
            const uint32_t b = uint32_t((x ^ y) * 16 & 0xFF);
            pixels.push_back(a << 24 | r << 16 | g << 8 | b);
        }
    return pixels;
}

TempFolder::TempFolder()
{
    static std::atomic<int> counter {0};
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        const auto candidate = base / ("pellucor-images-" + std::to_string(random()) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(candidate)) {
            mPath = candidate.string();
            return;
        }
    }
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(mPath, ignored);
}

std::string TempFolder::File(const std::string& name) const
{
    return mPath + "/" + name;
}

std::string TempFolder::Write(const std::string& name, const Bytes& bytes) const
{
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}

Bytes ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace fixtures
