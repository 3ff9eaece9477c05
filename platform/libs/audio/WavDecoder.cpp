// WAV files: PCM only, 8 or 16 bits, mono or stereo. Every chunk size is
// checked against the bytes that are really there.
#include "platform/libs/audio/AudioDecoder.h"

#include <algorithm>
#include <cstring>

namespace platform::libs::audio {

namespace {

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

class WavDecoder final : public Decoder {
public:
    WavDecoder(Bytes bytes, const WavLayout& layout) : bytes_(std::move(bytes)), layout_(layout)
    {
        channels_ = layout.channels;
        rate_ = layout.rate;
        frameBytes_ = size_t(layout.channels) * size_t(layout.bits / 8);
        frames_ = layout.dataBytes / frameBytes_;
    }

    int Read(int16_t* out, int frames) override
    {
        const uint64_t n = std::min<uint64_t>(uint64_t(std::max(frames, 0)), frames_ - position_);
        const uint8_t* src = bytes_.data() + layout_.dataOffset + position_ * frameBytes_;
        const size_t samples = size_t(n) * size_t(channels_);
        if (layout_.bits == 8) {
            for (size_t i = 0; i < samples; ++i)
                out[i] = int16_t((int(src[i]) - 128) << 8);
        } else {
            for (size_t i = 0; i < samples; ++i)
                out[i] = int16_t(Le16(src + 2 * i));
        }
        position_ += n;
        return int(n);
    }

    bool Seek(uint64_t frame) override
    {
        if (frame > frames_)
            return false;
        position_ = frame;
        return true;
    }

    uint64_t LengthFrames() const override { return frames_; }

private:
    Bytes bytes_;
    WavLayout layout_;
    size_t frameBytes_ = 0;
    uint64_t frames_ = 0;
    uint64_t position_ = 0;
};

} // namespace

bool ParseWav(const Bytes& bytes, WavLayout& out)
{
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return false;
    bool haveFormat = false;
    WavLayout layout;
    size_t at = 12;
    while (bytes.size() - at >= 8) {
        const uint8_t* chunk = bytes.data() + at;
        const uint64_t size = Le32(chunk + 4);
        const size_t body = at + 8;
        const size_t available = bytes.size() - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || available < 16)
                return false;
            const uint8_t* f = bytes.data() + body;
            if (Le16(f) != 1)
                return false;
            layout.channels = Le16(f + 2);
            layout.rate = int(std::min<uint32_t>(Le32(f + 4), 1000000));
            layout.bits = Le16(f + 14);
            if ((layout.channels != 1 && layout.channels != 2) || (layout.bits != 8 && layout.bits != 16) ||
                layout.rate < 100)
                return false;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return false;
            const size_t frameBytes = size_t(layout.channels) * size_t(layout.bits / 8);
            const size_t data = size_t(std::min<uint64_t>(size, available));
            layout.dataOffset = body;
            layout.dataBytes = data - data % frameBytes;
            out = layout;
            return true;
        }
        // Chunks are padded to an even size.
        const uint64_t next = uint64_t(body) + size + (size & 1);
        if (next > bytes.size())
            break;
        at = size_t(next);
    }
    return false;
}

std::unique_ptr<Decoder> OpenWav(Bytes bytes)
{
    WavLayout layout;
    if (!ParseWav(bytes, layout))
        return nullptr;
    return std::make_unique<WavDecoder>(std::move(bytes), layout);
}

} // namespace platform::libs::audio
