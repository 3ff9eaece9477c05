// MP3 through libmpg123, reading from the file's bytes in memory through
// replaced reader functions (so seeking works as on a file).
#include "platform/libs/audio/AudioDecoder.h"

#include <mpg123.h>

#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace platform::libs::audio {

namespace {

struct MemorySource {
    Bytes bytes;
    size_t position = 0;
};

mpg123_ssize_t ReadMemory(void* source, void* buffer, size_t count)
{
    auto* s = static_cast<MemorySource*>(source);
    const size_t n = std::min(count, s->bytes.size() - s->position);
    std::memcpy(buffer, s->bytes.data() + s->position, n);
    s->position += n;
    return mpg123_ssize_t(n);
}

off_t SeekMemory(void* source, off_t offset, int origin)
{
    auto* s = static_cast<MemorySource*>(source);
    off_t base = 0;
    if (origin == SEEK_CUR)
        base = off_t(s->position);
    else if (origin == SEEK_END)
        base = off_t(s->bytes.size());
    else if (origin != SEEK_SET)
        return -1;
    const off_t target = base + offset;
    if (target < 0 || target > off_t(s->bytes.size()))
        return -1;
    s->position = size_t(target);
    return target;
}

class Mp3Decoder final : public Decoder {
public:
    explicit Mp3Decoder(Bytes bytes) { source_.bytes = std::move(bytes); }
    ~Mp3Decoder() override
    {
        if (handle_) {
            mpg123_close(handle_);
            mpg123_delete(handle_);
        }
    }

    bool Open()
    {
        static std::once_flag initialised;
        std::call_once(initialised, [] { mpg123_init(); });
        int error = 0;
        handle_ = mpg123_new(nullptr, &error);
        if (!handle_)
            return false;
        mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
        if (mpg123_replace_reader_handle(handle_, &ReadMemory, &SeekMemory, nullptr) != MPG123_OK ||
            mpg123_open_handle(handle_, &source_) != MPG123_OK)
            return false;
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK)
            return false;
        if ((channels != 1 && channels != 2) || rate < 100)
            return false;
        // Keep the stream's own rate and channels, always as 16-bit samples.
        mpg123_format_none(handle_);
        if (mpg123_format(handle_, rate, channels, MPG123_ENC_SIGNED_16) != MPG123_OK)
            return false;
        channels_ = channels;
        rate_ = int(rate);
        mpg123_scan(handle_);
        const off_t length = mpg123_length(handle_);
        length_ = length > 0 ? uint64_t(length) : 0;
        return true;
    }

    int Read(int16_t* out, int frames) override
    {
        const size_t frameBytes = size_t(channels_) * 2;
        size_t done = 0;
        const size_t wanted = size_t(std::max(frames, 0)) * frameBytes;
        int stalls = 0;
        while (done < wanted) {
            size_t got = 0;
            const int result = mpg123_read(handle_, reinterpret_cast<unsigned char*>(out) + done, wanted - done, &got);
            done += got;
            if (result == MPG123_NEW_FORMAT)
                continue;
            if (result != MPG123_OK || (got == 0 && ++stalls > 4))
                break;
        }
        return int(done / frameBytes);
    }

    bool Seek(uint64_t frame) override { return mpg123_seek(handle_, off_t(frame), SEEK_SET) >= 0; }
    uint64_t LengthFrames() const override { return length_; }

private:
    MemorySource source_;
    mpg123_handle* handle_ = nullptr;
    uint64_t length_ = 0;
};

} // namespace

std::unique_ptr<Decoder> OpenMp3(Bytes bytes)
{
    if (bytes.size() < 4)
        return nullptr;
    auto decoder = std::make_unique<Mp3Decoder>(std::move(bytes));
    if (!decoder->Open())
        return nullptr;
    return decoder;
}

} // namespace platform::libs::audio
