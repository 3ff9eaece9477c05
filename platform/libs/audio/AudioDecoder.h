// Decoders of the sound and music files our audio libraries play: WAV (PCM),
// Ogg Vorbis (Tremor), MP3 (libmpg123) and tracker modules (libxmp). Each
// decodes from a copy of the whole file in memory, so a damaged file can
// never make a decoder read outside it; the file itself is read through the
// data-file reader the archive layer registers (archives first, then disk).
//
// A decoder delivers 16-bit interleaved frames of its own channel count and
// rate. Modules are rendered in stereo at kModuleRate.
//
// Threads: a decoder belongs to one channel of the mixer and is only used
// under the mixer's lock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::libs::audio {

using Bytes = std::vector<uint8_t>;

// A file larger than this is not a sound the program could mean.
constexpr size_t kMaxAudioFileBytes = size_t(256) << 20;
constexpr int kModuleRate = 44100;

class Decoder {
public:
    virtual ~Decoder() = default;

    int Channels() const { return channels_; }
    int Rate() const { return rate_; }
    // Up to `frames` frames into `out` (Channels() samples each); 0 at the end.
    virtual int Read(int16_t* out, int frames) = 0;
    // Goes to frame `frame` (0: the beginning); false when it cannot.
    virtual bool Seek(uint64_t frame) = 0;
    // Frames in the whole stream, 0 when not known (modules).
    virtual uint64_t LengthFrames() const = 0;
    // Modules: jump to a position of the order list; streams cannot.
    virtual bool SetOrder(int order) { (void)order; return false; }
    virtual int OrderCount() const { return 0; }
    virtual int CurrentOrder() const { return 0; }
    virtual bool IsModule() const { return false; }

protected:
    int channels_ = 2;
    int rate_ = 44100;
};

// Reads the whole file through the data-file reader (the archive layer's
// when it registered one); false when it cannot be opened, is empty or is
// larger than kMaxAudioFileBytes.
bool ReadWholeFile(const std::string& name, Bytes& out);

// Where the samples of a PCM WAV file lie.
struct WavLayout {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    size_t dataOffset = 0;
    size_t dataBytes = 0; // whole frames only, inside the file
};
// False for anything but PCM (tag 1) with 8 or 16 bits and 1 or 2 channels.
bool ParseWav(const Bytes& bytes, WavLayout& out);

// Each returns null when the bytes are not a file of its kind that it can
// decode (wrong signature, unsupported format, truncated header).
std::unique_ptr<Decoder> OpenWav(Bytes bytes);
std::unique_ptr<Decoder> OpenVorbis(Bytes bytes);
std::unique_ptr<Decoder> OpenMp3(Bytes bytes);
std::unique_ptr<Decoder> OpenModule(const Bytes& bytes);

// A stream by its content: WAV ("RIFF"), Ogg Vorbis ("OggS"), else MP3.
std::unique_ptr<Decoder> OpenStream(Bytes bytes);
// A stream, or failing that a tracker module.
std::unique_ptr<Decoder> OpenAny(Bytes bytes);

// Decodes the whole of a stream (at most maxFrames frames).
struct DecodedSound {
    int channels = 0;
    int rate = 0;
    int bits = 16;
    Bytes pcm; // little-endian 16-bit, or unsigned 8-bit when bits is 8
};
bool DecodeWhole(Decoder& decoder, DecodedSound& out, uint64_t maxFrames = uint64_t(1) << 27);
// An 8-bit PCM WAV stays 8-bit; every other stream decodes to 16 bits.
bool DecodeFileWhole(const std::string& name, DecodedSound& out);

} // namespace platform::libs::audio
