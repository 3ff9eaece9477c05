// Reading audio files through the program's data-file reader, choosing a
// decoder by content and decoding a whole sound into memory.
#include "platform/libs/audio/AudioDecoder.h"

#include "platform/core/DataFileReader.h"

#include <algorithm>
#include <cstring>

namespace platform::libs::audio {

bool ReadWholeFile(const std::string& name, Bytes& out)
{
    return platform::ReadDataFile(name, kMaxAudioFileBytes, out);
}

std::unique_ptr<Decoder> OpenStream(Bytes bytes)
{
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0)
        return OpenWav(std::move(bytes));
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "OggS", 4) == 0)
        return OpenVorbis(std::move(bytes));
    return OpenMp3(std::move(bytes));
}

std::unique_ptr<Decoder> OpenAny(Bytes bytes)
{
    if (bytes.size() >= 4 && (std::memcmp(bytes.data(), "RIFF", 4) == 0 || std::memcmp(bytes.data(), "OggS", 4) == 0))
        return OpenStream(std::move(bytes));
    // The module loaders recognise their formats strictly; the MP3 decoder
    // would hunt for a frame header in anything, so it comes last.
    if (auto module = OpenModule(bytes))
        return module;
    return OpenMp3(std::move(bytes));
}

bool DecodeWhole(Decoder& decoder, DecodedSound& out, uint64_t maxFrames)
{
    out = DecodedSound{};
    out.channels = decoder.Channels();
    out.rate = decoder.Rate();
    out.bits = 16;
    const size_t frameBytes = size_t(out.channels) * 2;
    // The stream's length is only its claim (a few bytes of Ogg can claim
    // hundreds of megabytes): no more than a few seconds are set aside up
    // front, the rest grows as the decoder delivers it.
    constexpr uint64_t kReservedFrames = uint64_t(1) << 18;
    if (decoder.LengthFrames() > 0)
        out.pcm.reserve(size_t(std::min({decoder.LengthFrames(), maxFrames, kReservedFrames})) * frameBytes);
    std::vector<int16_t> block(4096 * size_t(out.channels));
    uint64_t total = 0;
    while (total < maxFrames) {
        const int got = decoder.Read(block.data(), 4096);
        if (got <= 0)
            break;
        const size_t bytes = size_t(got) * frameBytes;
        const size_t at = out.pcm.size();
        out.pcm.resize(at + bytes);
        for (size_t i = 0; i < size_t(got) * size_t(out.channels); ++i) {
            out.pcm[at + 2 * i] = uint8_t(uint16_t(block[i]) & 0xFF);
            out.pcm[at + 2 * i + 1] = uint8_t(uint16_t(block[i]) >> 8);
        }
        total += uint64_t(got);
    }
    return !out.pcm.empty();
}

bool DecodeFileWhole(const std::string& name, DecodedSound& out)
{
    Bytes bytes;
    if (!ReadWholeFile(name, bytes))
        return false;
    WavLayout layout;
    if (ParseWav(bytes, layout) && layout.bits == 8) {
        out = DecodedSound{};
        out.channels = layout.channels;
        out.rate = layout.rate;
        out.bits = 8;
        out.pcm.assign(bytes.begin() + ptrdiff_t(layout.dataOffset),
                       bytes.begin() + ptrdiff_t(layout.dataOffset + layout.dataBytes));
        return !out.pcm.empty();
    }
    std::unique_ptr<Decoder> decoder = OpenStream(std::move(bytes));
    return decoder && !decoder->IsModule() && DecodeWhole(*decoder, out);
}

} // namespace platform::libs::audio
