// The JPEG 2000 codec library over OpenJPEG. The whole stream is read into
// memory when an image is opened (through the caller's callbacks or from a
// disk file); OpenJPEG then decodes from that copy, so a stream can never be
// read past its end.
#include "platform/libs/j2k/J2kCodec.h"

#include "platform/core/ModuleRegistry.h"

#include <openjpeg.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace platform::libs::j2k {

namespace {

// A stream longer than this is not a picture the program could use.
constexpr size_t kMaxStreamBytes = size_t(256) << 20;
constexpr size_t kReadChunk = 64 * 1024;

std::atomic<uint32_t> gReportedVersion {kJ2kCodecVersion};
thread_local int tLastError = kJ2kOk;

int Fail(int code)
{
    tLastError = code;
    return code;
}

struct CodecDeleter {
    void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamDeleter {
    void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageDeleter {
    void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};

// One opened picture: the bytes of its stream, the header OpenJPEG read.
struct OpenedImage {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    OPJ_CODEC_FORMAT format = OPJ_CODEC_UNKNOWN;
    std::unique_ptr<opj_image_t, ImageDeleter> header;
    int width = 0;
    int height = 0;
};

// OpenJPEG's stream callbacks over OpenedImage::bytes.
OPJ_SIZE_T StreamRead(void* buffer, OPJ_SIZE_T count, void* user)
{
    auto* image = static_cast<OpenedImage*>(user);
    const size_t left = image->bytes.size() - image->position;
    if (left == 0)
        return OPJ_SIZE_T(-1);
    const size_t n = std::min<size_t>(count, left);
    std::memcpy(buffer, image->bytes.data() + image->position, n);
    image->position += n;
    return n;
}

OPJ_OFF_T StreamSkip(OPJ_OFF_T count, void* user)
{
    auto* image = static_cast<OpenedImage*>(user);
    const OPJ_OFF_T target = std::clamp<OPJ_OFF_T>(OPJ_OFF_T(image->position) + count, 0,
                                                   OPJ_OFF_T(image->bytes.size()));
    const OPJ_OFF_T moved = target - OPJ_OFF_T(image->position);
    image->position = size_t(target);
    return moved;
}

OPJ_BOOL StreamSeek(OPJ_OFF_T offset, void* user)
{
    auto* image = static_cast<OpenedImage*>(user);
    if (offset < 0 || uint64_t(offset) > image->bytes.size())
        return OPJ_FALSE;
    image->position = size_t(offset);
    return OPJ_TRUE;
}

void Quiet(const char*, void*) {}

OPJ_CODEC_FORMAT DetectFormat(const std::vector<uint8_t>& bytes)
{
    static const uint8_t kCodestream[] = {0xFF, 0x4F, 0xFF, 0x51};
    static const uint8_t kJp2Box[] = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50, 0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A};
    if (bytes.size() >= sizeof kJp2Box && std::memcmp(bytes.data(), kJp2Box, sizeof kJp2Box) == 0)
        return OPJ_CODEC_JP2;
    if (bytes.size() >= sizeof kCodestream && std::memcmp(bytes.data(), kCodestream, sizeof kCodestream) == 0)
        return OPJ_CODEC_J2K;
    return OPJ_CODEC_UNKNOWN;
}

struct Decoder {
    std::unique_ptr<opj_codec_t, CodecDeleter> codec;
    std::unique_ptr<opj_stream_t, StreamDeleter> stream;
};

// A fresh codec and stream over the image's bytes, from the start.
bool StartDecoder(OpenedImage& image, Decoder& decoder, unsigned reduce)
{
    image.position = 0;
    decoder.codec.reset(opj_create_decompress(image.format));
    if (!decoder.codec)
        return false;
    opj_set_error_handler(decoder.codec.get(), Quiet, nullptr);
    opj_set_warning_handler(decoder.codec.get(), Quiet, nullptr);
    opj_set_info_handler(decoder.codec.get(), Quiet, nullptr);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    parameters.cp_reduce = reduce;
    if (!opj_setup_decoder(decoder.codec.get(), &parameters))
        return false;
    decoder.stream.reset(opj_stream_create(kReadChunk, OPJ_TRUE));
    if (!decoder.stream)
        return false;
    opj_stream_set_user_data(decoder.stream.get(), &image, nullptr);
    opj_stream_set_user_data_length(decoder.stream.get(), image.bytes.size());
    opj_stream_set_read_function(decoder.stream.get(), StreamRead);
    opj_stream_set_skip_function(decoder.stream.get(), StreamSkip);
    opj_stream_set_seek_function(decoder.stream.get(), StreamSeek);
    return true;
}

J2kImage OpenBytes(std::vector<uint8_t> bytes)
{
    auto image = std::make_unique<OpenedImage>();
    image->bytes = std::move(bytes);
    image->format = DetectFormat(image->bytes);
    if (image->format == OPJ_CODEC_UNKNOWN) {
        Fail(kJ2kUnknownFormat);
        return nullptr;
    }
    Decoder decoder;
    opj_image_t* header = nullptr;
    if (!StartDecoder(*image, decoder, 0)
        || !opj_read_header(decoder.stream.get(), decoder.codec.get(), &header)) {
        opj_image_destroy(header);
        Fail(kJ2kBadHeader);
        return nullptr;
    }
    image->header.reset(header);
    const int64_t width = int64_t(header->x1) - int64_t(header->x0);
    const int64_t height = int64_t(header->y1) - int64_t(header->y0);
    if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF || header->numcomps == 0
        || !header->comps) {
        Fail(kJ2kBadHeader);
        return nullptr;
    }
    image->width = int(width);
    image->height = int(height);
    tLastError = kJ2kOk;
    return image.release();
}

// Size of the picture at a resolution level: each level halves both sides,
// rounding the canvas corners up.
bool DimensionsAt(const OpenedImage& image, int level, int& width, int& height)
{
    if (level < 0 || level > 31)
        return false;
    const uint64_t step = uint64_t(1) << level;
    const auto reduce = [step](uint32_t v) { return (uint64_t(v) + step - 1) / step; };
    width = int(reduce(image.header->x1) - reduce(image.header->x0));
    height = int(reduce(image.header->y1) - reduce(image.header->y0));
    return width > 0 && height > 0;
}

// One sample of a component at output pixel (x, y), scaled to 0..255. A
// component may be smaller than the picture (chroma subsampling).
int SampleAt(const opj_image_comp_t& comp, int x, int y, int width, int height)
{
    if (comp.w == 0 || comp.h == 0 || !comp.data)
        return 0;
    const uint32_t cx = std::min<uint32_t>(uint32_t(uint64_t(x) * comp.w / uint64_t(width)), comp.w - 1);
    const uint32_t cy = std::min<uint32_t>(uint32_t(uint64_t(y) * comp.h / uint64_t(height)), comp.h - 1);
    int64_t v = comp.data[size_t(cy) * comp.w + cx];
    const uint32_t precision = std::clamp<uint32_t>(comp.prec, 1, 31);
    if (comp.sgnd)
        v += int64_t(1) << (precision - 1);
    const int64_t top = (int64_t(1) << precision) - 1;
    v = std::clamp<int64_t>(v, 0, top);
    return int(v * 255 / top);
}

struct DecodeOptions {
    int bytesPerPixel = 4;
    int level = 0;
};

bool ParseOptions(const char* text, DecodeOptions& options)
{
    if (!text)
        return true;
    std::string all(text);
    size_t start = 0;
    while (start <= all.size()) {
        const size_t comma = all.find(',', start);
        const std::string item = all.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const size_t eq = item.find('=');
        if (!item.empty()) {
            if (eq == std::string::npos)
                return false;
            const std::string key = item.substr(0, eq);
            int value = 0;
            try {
                size_t used = 0;
                value = std::stoi(item.substr(eq + 1), &used);
                if (used != item.size() - eq - 1)
                    return false;
            } catch (...) {
                return false;
            }
            if (key == "bpp") {
                if (value != 3 && value != 4)
                    return false;
                options.bytesPerPixel = value;
            } else if (key == "rl") {
                if (value < 0 || value > 31)
                    return false;
                options.level = value;
            } else {
                return false;
            }
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return true;
}

void ToRgb(const opj_image_t& decoded, int x, int y, int width, int height, int rgba[4])
{
    const uint32_t n = decoded.numcomps;
    const int c0 = SampleAt(decoded.comps[0], x, y, width, height);
    if (n < 3) {
        rgba[0] = rgba[1] = rgba[2] = c0;
        rgba[3] = n == 2 ? SampleAt(decoded.comps[1], x, y, width, height) : 255;
        return;
    }
    const int c1 = SampleAt(decoded.comps[1], x, y, width, height);
    const int c2 = SampleAt(decoded.comps[2], x, y, width, height);
    if (decoded.color_space == OPJ_CLRSPC_SYCC) {
        const double cb = c1 - 128.0, cr = c2 - 128.0;
        rgba[0] = std::clamp(int(c0 + 1.402 * cr + 0.5), 0, 255);
        rgba[1] = std::clamp(int(c0 - 0.344136 * cb - 0.714136 * cr + 0.5), 0, 255);
        rgba[2] = std::clamp(int(c0 + 1.772 * cb + 0.5), 0, 255);
    } else {
        rgba[0] = c0;
        rgba[1] = c1;
        rgba[2] = c2;
    }
    rgba[3] = n >= 4 ? SampleAt(decoded.comps[3], x, y, width, height) : 255;
}

// --- the exported functions --------------------------------------------------

uint32_t GetVersion()
{
    return gReportedVersion.load();
}

J2kImage OpenCustom(void* file, const J2kStreamCallbacks* callbacks)
{
    if (!callbacks || !callbacks->read || !callbacks->seek) {
        Fail(kJ2kBadArgument);
        return nullptr;
    }
    if (callbacks->seek(file, 0) != 0) {
        Fail(kJ2kReadFailed);
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    for (;;) {
        const size_t old = bytes.size();
        if (old >= kMaxStreamBytes) {
            Fail(kJ2kReadFailed);
            return nullptr;
        }
        bytes.resize(old + kReadChunk);
        const int got = callbacks->read(bytes.data() + old, int(kReadChunk), file);
        const size_t n = got > 0 ? std::min<size_t>(size_t(got), kReadChunk) : 0;
        bytes.resize(old + n);
        if (n < kReadChunk)
            break;
    }
    if (callbacks->done)
        callbacks->done(file);
    return OpenBytes(std::move(bytes));
}

J2kImage OpenFile(const char* fileName)
{
    if (!fileName) {
        Fail(kJ2kBadArgument);
        return nullptr;
    }
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) {
        Fail(kJ2kReadFailed);
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[8192];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0 && bytes.size() < kMaxStreamBytes)
        bytes.insert(bytes.end(), chunk, chunk + n);
    const bool failed = std::ferror(file) != 0 || bytes.size() >= kMaxStreamBytes;
    std::fclose(file);
    if (failed) {
        Fail(kJ2kReadFailed);
        return nullptr;
    }
    return OpenBytes(std::move(bytes));
}

void Close(J2kImage image)
{
    delete static_cast<OpenedImage*>(image);
}

int GetInfo(J2kImage handle, int* width, int* height, int* components)
{
    auto* image = static_cast<OpenedImage*>(handle);
    if (!image || !width || !height || !components)
        return Fail(kJ2kBadArgument);
    *width = image->width;
    *height = image->height;
    *components = int(image->header->numcomps);
    return tLastError = kJ2kOk;
}

int GetResolutionDimensions(J2kImage handle, int level, int* width, int* height)
{
    auto* image = static_cast<OpenedImage*>(handle);
    if (!image || !width || !height)
        return Fail(kJ2kBadArgument);
    int w = 0, h = 0;
    if (!DimensionsAt(*image, level, w, h))
        return Fail(kJ2kBadResolution);
    *width = w;
    *height = h;
    return tLastError = kJ2kOk;
}

int Decode(J2kImage handle, unsigned char** buffer, int* size, const char* optionText, int* pitch)
{
    auto* image = static_cast<OpenedImage*>(handle);
    DecodeOptions options;
    if (!image || !buffer || !*buffer || !size || !pitch || !ParseOptions(optionText, options))
        return Fail(kJ2kBadArgument);
    int width = 0, height = 0;
    if (!DimensionsAt(*image, options.level, width, height))
        return Fail(kJ2kBadResolution);
    const int64_t rowBytes = int64_t(width) * options.bytesPerPixel;
    if (*pitch < rowBytes || *size < 0 || int64_t(*size) < int64_t(*pitch) * (height - 1) + rowBytes)
        return Fail(kJ2kBufferTooSmall);

    Decoder decoder;
    opj_image_t* raw = nullptr;
    if (!StartDecoder(*image, decoder, unsigned(options.level))
        || !opj_read_header(decoder.stream.get(), decoder.codec.get(), &raw)) {
        opj_image_destroy(raw);
        return Fail(kJ2kBadHeader);
    }
    std::unique_ptr<opj_image_t, ImageDeleter> decoded(raw);
    if (!opj_decode(decoder.codec.get(), decoder.stream.get(), decoded.get())
        || !opj_end_decompress(decoder.codec.get(), decoder.stream.get()))
        return Fail(kJ2kDecodeFailed);
    if (decoded->numcomps == 0 || !decoded->comps)
        return Fail(kJ2kUnsupportedImage);
    for (uint32_t c = 0; c < decoded->numcomps; ++c)
        if (!decoded->comps[c].data)
            return Fail(kJ2kDecodeFailed);

    for (int y = 0; y < height; ++y) {
        unsigned char* out = *buffer + int64_t(*pitch) * y;
        for (int x = 0; x < width; ++x) {
            int rgba[4];
            ToRgb(*decoded, x, y, width, height, rgba);
            out[0] = uint8_t(rgba[2]);
            out[1] = uint8_t(rgba[1]);
            out[2] = uint8_t(rgba[0]);
            if (options.bytesPerPixel == 4)
                out[3] = uint8_t(rgba[3]);
            out += options.bytesPerPixel;
        }
    }
    return tLastError = kJ2kOk;
}

int GetLastError()
{
    return tLastError;
}

const char* GetErrorStr(int code)
{
    switch (code) {
    case kJ2kOk: return "no error";
    case kJ2kBadArgument: return "invalid argument";
    case kJ2kReadFailed: return "the stream could not be read";
    case kJ2kUnknownFormat: return "not a JPEG 2000 codestream or JP2 file";
    case kJ2kBadHeader: return "damaged JPEG 2000 header";
    case kJ2kBadResolution: return "no such resolution level";
    case kJ2kBufferTooSmall: return "output buffer too small";
    case kJ2kDecodeFailed: return "damaged JPEG 2000 data";
    case kJ2kUnsupportedImage: return "unsupported image layout";
    case kJ2kOutOfMemory: return "out of memory";
    default: return "unknown error";
    }
}

const platform::ModuleRegistration gRegistration(kJ2kModuleName, {
    platform::Entry(kJ2kGetVersionEntry, &GetVersion),
    platform::Entry(kJ2kOpenCustomEntry, &OpenCustom),
    platform::Entry(kJ2kOpenFileEntry, &OpenFile),
    platform::Entry(kJ2kCloseEntry, &Close),
    platform::Entry(kJ2kGetInfoEntry, &GetInfo),
    platform::Entry(kJ2kGetResolutionDimensionsEntry, &GetResolutionDimensions),
    platform::Entry(kJ2kDecodeEntry, &Decode),
    platform::Entry(kJ2kGetLastErrorEntry, &GetLastError),
    platform::Entry(kJ2kGetErrorStrEntry, &GetErrorStr),
});

} // namespace

void EnsureJ2kCodecRegistered()
{
    // Calling this links this file in, and with it the registration above.
}

} // namespace platform::libs::j2k

namespace platform::testing {

void SetJ2kCodecVersion(uint32_t version)
{
    libs::j2k::gReportedVersion.store(version == 0 ? libs::j2k::kJ2kCodecVersion : version);
}

} // namespace platform::testing
