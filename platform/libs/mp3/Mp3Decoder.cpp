#include "platform/libs/mp3/Mp3Decoder.h"

#include "platform/core/FileSystem.h"

#include <mpg123.h>

#include <memory>
#include <mutex>

namespace platform::libs::mp3 {

namespace {

struct HandleCloser {
    void operator()(mpg123_handle* h) const
    {
        mpg123_close(h);
        mpg123_delete(h);
    }
};

bool Fail(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

} // namespace

bool DecodeMp3(const void* data, size_t size, DecodedSound* out, std::string* error)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { mpg123_init(); });
    if (!out)
        return Fail(error, "no output given");
    *out = DecodedSound{};
    int status = MPG123_OK;
    std::unique_ptr<mpg123_handle, HandleCloser> handle(mpg123_new(nullptr, &status));
    if (!handle)
        return Fail(error, std::string("cannot make an MP3 decoder: ") + mpg123_plain_strerror(status));
    mpg123_handle* h = handle.get();
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    // Every rate, one or two channels, always 16-bit signed.
    mpg123_format_none(h);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(h) != MPG123_OK)
        return Fail(error, std::string("cannot open the MP3 decoder: ") + mpg123_strerror(h));
    if (size > 0 && mpg123_feed(h, static_cast<const unsigned char*>(data), size) != MPG123_OK)
        return Fail(error, std::string("cannot feed the MP3 decoder: ") + mpg123_strerror(h));

    std::vector<unsigned char> piece(1 << 16);
    bool haveFormat = false;
    for (;;) {
        size_t done = 0;
        int r = mpg123_read(h, piece.data(), piece.size(), &done);
        if (r == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            mpg123_getformat(h, &rate, &channels, &encoding);
            if (haveFormat && (rate != out->rate || channels != out->channels))
                return Fail(error, "the MP3 stream changes its format midway");
            if (encoding != MPG123_ENC_SIGNED_16 || channels < 1 || channels > 2)
                return Fail(error, "the MP3 stream has a format that cannot be decoded");
            out->rate = rate;
            out->channels = channels;
            haveFormat = true;
            continue;
        }
        if (done > 0) {
            if ((out->samples.size() * sizeof(int16_t)) + done > kMaxDecodedBytes)
                return Fail(error, "the MP3 stream decodes to more than a sound may hold");
            const auto* s = reinterpret_cast<const int16_t*>(piece.data());
            out->samples.insert(out->samples.end(), s, s + done / sizeof(int16_t));
        }
        if (r == MPG123_OK)
            continue;
        if (r == MPG123_NEED_MORE || r == MPG123_DONE)
            break;
        return Fail(error, std::string("the MP3 stream is damaged: ") + mpg123_strerror(h));
    }
    if (!haveFormat || out->samples.empty())
        return Fail(error, "no MPEG audio frame found");
    return true;
}

bool DecodeMp3File(std::string_view path, DecodedSound* out, std::string* error)
{
    std::string bytes;
    if (!ReadWholeFile(path, &bytes))
        return Fail(error, "cannot read " + std::string(path));
    return DecodeMp3(bytes.data(), bytes.size(), out, error);
}

} // namespace platform::libs::mp3
