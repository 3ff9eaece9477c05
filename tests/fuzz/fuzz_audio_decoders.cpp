// Feeds arbitrary bytes to the decoders behind the program's music and
// sound libraries: WAV, Ogg Vorbis (Tremor), MP3 (libmpg123) and tracker
// modules (libxmp). The first byte picks how the bytes are opened: by
// content as the libraries open a file, or by one decoder whatever the
// content says. Whatever opens must decode, seek and (modules) jump in its
// order list without reading outside its input, and deliver no more frames
// than asked for.
#include "platform/libs/audio/AudioDecoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

namespace audio = platform::libs::audio;

void Play(audio::Decoder& decoder)
{
    if (decoder.Channels() < 1 || decoder.Channels() > 2)
        __builtin_trap(); // the mixer is told one of two layouts
    std::vector<int16_t> block(size_t(512) * size_t(decoder.Channels()));
    int64_t sum = 0;
    // Enough to pass a few packets, frames or rows; a stream that never
    // ends (a looping module) is stopped here.
    for (int round = 0; round < 64; ++round) {
        const int got = decoder.Read(block.data(), 512);
        if (got < 0 || got > 512)
            __builtin_trap();
        if (got == 0)
            break;
        for (size_t i = 0; i < size_t(got) * size_t(decoder.Channels()); ++i)
            sum += block[i];
        if (round == 8) {
            decoder.Seek(decoder.LengthFrames() / 2);
            decoder.SetOrder(decoder.OrderCount() - 1);
        }
    }
    volatile int64_t keep = sum;
    (void)keep;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const audio::Bytes bytes(data + 1, data + size);
    std::unique_ptr<audio::Decoder> decoder;
    switch (data[0] % 6) {
    case 0: decoder = audio::OpenAny(bytes); break;
    case 1: decoder = audio::OpenWav(bytes); break;
    case 2: decoder = audio::OpenVorbis(bytes); break;
    case 3: decoder = audio::OpenMp3(bytes); break;
    case 4: decoder = audio::OpenModule(bytes); break;
    default: {
        // A sound decoded whole, as the sample loader does.
        audio::DecodedSound sound;
        if (auto stream = audio::OpenStream(bytes); stream && audio::DecodeWhole(*stream, sound, 1 << 16)) {
            if (sound.pcm.size() % (size_t(sound.channels) * 2) != 0)
                __builtin_trap();
        }
        return 0;
    }
    }
    if (decoder)
        Play(*decoder);
    return 0;
}
