// Ogg Vorbis through Tremor, reading from the file's bytes in memory.
#include "platform/libs/audio/AudioDecoder.h"

#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace platform::libs::audio {

namespace {

struct MemorySource {
    Bytes bytes;
    size_t position = 0;
};

size_t ReadMemory(void* buffer, size_t size, size_t count, void* source)
{
    auto* s = static_cast<MemorySource*>(source);
    if (size == 0)
        return 0;
    const size_t n = std::min(count, (s->bytes.size() - s->position) / size);
    std::memcpy(buffer, s->bytes.data() + s->position, n * size);
    s->position += n * size;
    return n;
}

int SeekMemory(void* source, ogg_int64_t offset, int origin)
{
    auto* s = static_cast<MemorySource*>(source);
    ogg_int64_t base = 0;
    if (origin == SEEK_CUR)
        base = ogg_int64_t(s->position);
    else if (origin == SEEK_END)
        base = ogg_int64_t(s->bytes.size());
    else if (origin != SEEK_SET)
        return -1;
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > ogg_int64_t(s->bytes.size()))
        return -1;
    s->position = size_t(target);
    return 0;
}

int CloseMemory(void*) { return 0; }

long TellMemory(void* source) { return long(static_cast<MemorySource*>(source)->position); }

class VorbisDecoder final : public Decoder {
public:
    explicit VorbisDecoder(Bytes bytes) { source_.bytes = std::move(bytes); }
    ~VorbisDecoder() override
    {
        if (open_)
            ov_clear(&file_);
    }

    bool Open()
    {
        const ov_callbacks callbacks{&ReadMemory, &SeekMemory, &CloseMemory, &TellMemory};
        if (ov_open_callbacks(&source_, &file_, nullptr, 0, callbacks) < 0)
            return false;
        open_ = true;
        const vorbis_info* info = ov_info(&file_, -1);
        if (!info || info->channels < 1 || info->channels > 2 || info->rate < 100 || info->rate > 1000000)
            return false;
        channels_ = info->channels;
        rate_ = int(info->rate);
        const ogg_int64_t total = ov_pcm_total(&file_, -1);
        length_ = total > 0 ? uint64_t(total) : 0;
        return true;
    }

    int Read(int16_t* out, int frames) override
    {
        const int frameBytes = channels_ * 2;
        int done = 0;
        int holes = 0;
        while (done < frames) {
            int section = 0;
            const long got = ov_read(&file_, reinterpret_cast<char*>(out + size_t(done) * size_t(channels_)),
                                     (frames - done) * frameBytes, &section);
            if (got == OV_HOLE && ++holes < 16)
                continue;
            if (got <= 0)
                break;
            // A chained stream that changes its channel count ends here: the
            // mixer was told one layout.
            const vorbis_info* info = ov_info(&file_, section);
            if (!info || info->channels != channels_)
                break;
            done += int(got / frameBytes);
        }
        return done;
    }

    bool Seek(uint64_t frame) override { return ov_pcm_seek(&file_, ogg_int64_t(frame)) == 0; }
    uint64_t LengthFrames() const override { return length_; }

private:
    MemorySource source_;
    OggVorbis_File file_{};
    bool open_ = false;
    uint64_t length_ = 0;
};

} // namespace

std::unique_ptr<Decoder> OpenVorbis(Bytes bytes)
{
    if (bytes.size() < 4 || std::memcmp(bytes.data(), "OggS", 4) != 0)
        return nullptr;
    auto decoder = std::make_unique<VorbisDecoder>(std::move(bytes));
    if (!decoder->Open())
        return nullptr;
    return decoder;
}

} // namespace platform::libs::audio
