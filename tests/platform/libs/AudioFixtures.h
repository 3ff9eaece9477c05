// Sound files made in the tests: a WAV tone, a tiny four-channel tracker
// module, MP3 frames and an Ogg Vorbis stream of silence (no encoder is at
// hand, and silence is what can be written by hand).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace audio_fixtures {

using Bytes = std::vector<uint8_t>;

inline void Le16(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

inline void Le32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

inline void Tag(Bytes& b, const char* t)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(t[i]));
}

inline Bytes WavHeader(int rate, int channels, int bits, uint32_t dataBytes, uint16_t formatTag = 1)
{
    Bytes b;
    Tag(b, "RIFF");
    Le32(b, dataBytes + 36);
    Tag(b, "WAVE");
    Tag(b, "fmt ");
    Le32(b, 16);
    Le16(b, formatTag);
    Le16(b, uint16_t(channels));
    Le32(b, uint32_t(rate));
    Le32(b, uint32_t(rate * channels * bits / 8));
    Le16(b, uint16_t(channels * bits / 8));
    Le16(b, uint16_t(bits));
    Tag(b, "data");
    Le32(b, dataBytes);
    return b;
}

// A sine of `frequency` Hz at `amplitude` (of full scale), the same in
// every channel.
inline Bytes SineWav(int rate, int channels, int bits, int frames, double frequency = 441.0, double amplitude = 0.5)
{
    const uint32_t dataBytes = uint32_t(frames * channels * bits / 8);
    Bytes b = WavHeader(rate, channels, bits, dataBytes);
    for (int i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2.0 * M_PI * frequency * i / rate);
        for (int c = 0; c < channels; ++c) {
            if (bits == 8)
                b.push_back(uint8_t(128 + int(std::lround(v * 127))));
            else
                Le16(b, uint16_t(int16_t(std::lround(v * 32767))));
        }
    }
    return b;
}

// A constant level (16-bit) — easy to check after mixing.
inline Bytes ConstantWav(int rate, int channels, int frames, int16_t level)
{
    Bytes b = WavHeader(rate, channels, 16, uint32_t(frames * channels * 2));
    for (int i = 0; i < frames * channels; ++i)
        Le16(b, uint16_t(level));
    return b;
}

// A four-channel "M.K." module of `orders` orders, each its own pattern:
// row 0 sets speed 1 and plays a looped square-wave sample on channel 0,
// row 1 breaks to the next order. Each order lasts two ticks (40 ms).
inline Bytes TinyModule(int orders = 2)
{
    Bytes b(20, 0);
    const char title[] = "pellucor test";
    for (size_t i = 0; i + 1 < sizeof(title); ++i)
        b[i] = uint8_t(title[i]);
    const int sampleWords = 32;
    for (int s = 0; s < 31; ++s) {
        Bytes header(30, 0);
        if (s == 0) {
            header[22] = uint8_t(sampleWords >> 8);
            header[23] = uint8_t(sampleWords & 0xFF);
            header[24] = 0;  // finetune
            header[25] = 64; // volume
            header[26] = 0;  // repeat start (words)
            header[27] = 0;
            header[28] = uint8_t(sampleWords >> 8); // repeat length (words)
            header[29] = uint8_t(sampleWords & 0xFF);
        } else {
            header[29] = 1; // an empty sample repeats one word, as trackers write it
        }
        b.insert(b.end(), header.begin(), header.end());
    }
    b.push_back(uint8_t(orders));
    b.push_back(127);
    for (int i = 0; i < 128; ++i)
        b.push_back(uint8_t(i < orders ? i : 0));
    Tag(b, "M.K.");
    const int period = 428;
    for (int p = 0; p < orders; ++p) {
        Bytes pattern(64 * 4 * 4, 0);
        // Row 0, channel 0: sample 1, the period, effect F01 (speed 1).
        pattern[0] = uint8_t((1 & 0xF0) | (period >> 8));
        pattern[1] = uint8_t(period & 0xFF);
        pattern[2] = uint8_t(((1 & 0x0F) << 4) | 0x0F);
        pattern[3] = 0x01;
        // Row 1, channel 1: D00 (on to the next order).
        const size_t row1 = 1 * 16 + 1 * 4;
        pattern[row1 + 2] = 0x0D;
        pattern[row1 + 3] = 0x00;
        b.insert(b.end(), pattern.begin(), pattern.end());
    }
    for (int i = 0; i < sampleWords * 2; ++i)
        b.push_back(uint8_t((i / 8) % 2 ? 0x60 : 0xA0));
    return b;
}

// MPEG-1 layer III frames, 44100 Hz, 128 kbit/s, mono, every granule
// empty: each decodes to 1152 frames of silence.
inline Bytes SilentMp3(int frames)
{
    Bytes b;
    const size_t frameBytes = 144 * 128000 / 44100; // 417, no padding
    for (int f = 0; f < frames; ++f) {
        Bytes frame(frameBytes, 0);
        frame[0] = 0xFF;
        frame[1] = 0xFB; // MPEG-1, layer III, no CRC
        frame[2] = 0x90; // 128 kbit/s, 44100 Hz, no padding
        frame[3] = 0xC0; // mono
        b.insert(b.end(), frame.begin(), frame.end());
    }
    return b;
}

// Ogg pages and Vorbis headers, written by hand (no encoder is at hand).
namespace ogg_detail {

inline void PutLittle(std::string& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Vorbis packs its headers least significant bit first.
class BitWriter {
public:
    void Put(uint32_t value, int bits)
    {
        for (int i = 0; i < bits; ++i) {
            if (used_ == 0)
                bytes_.push_back(0);
            if ((value >> i) & 1u)
                bytes_.back() = static_cast<char>(bytes_.back() | (1 << used_));
            used_ = (used_ + 1) % 8;
        }
    }
    void PutText(const char* text)
    {
        for (; *text; ++text)
            Put(static_cast<uint8_t>(*text), 8);
    }
    // Fields in order, each a value and its width in bits.
    struct Field {
        uint32_t value;
        int bits;
    };
    void Put(std::initializer_list<Field> fields)
    {
        for (const Field& field : fields)
            Put(field.value, field.bits);
    }
    std::string Take() { return bytes_; }

private:
    std::string bytes_;
    int used_ = 0;
};

inline uint32_t OggCrc(const std::string& page)
{
    uint32_t crc = 0;
    for (unsigned char c : page) {
        crc ^= static_cast<uint32_t>(c) << 24;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

inline std::string OggPage(const std::vector<std::string>& packets, uint8_t flags, int64_t granule,
                           uint32_t sequence)
{
    std::string lacing;
    std::string body;
    for (const std::string& p : packets) {
        size_t n = p.size();
        while (n >= 255) {
            lacing.push_back(static_cast<char>(255));
            n -= 255;
        }
        lacing.push_back(static_cast<char>(n));
        body += p;
    }
    std::string page = "OggS";
    page.push_back(0);
    page.push_back(static_cast<char>(flags));
    PutLittle(page, static_cast<uint64_t>(granule), 8);
    PutLittle(page, 0x50454C4C, 4); // serial
    PutLittle(page, sequence, 4);
    PutLittle(page, 0, 4); // checksum, filled below
    page.push_back(static_cast<char>(lacing.size()));
    page += lacing;
    page += body;
    uint32_t crc = OggCrc(page);
    for (int i = 0; i < 4; ++i)
        page[22 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
    return page;
}

} // namespace ogg_detail

// A valid Ogg Vorbis stream of `packets` short blocks of silence: it decodes
// to (packets - 1) * 128 frames. `extraGranule` makes the last page claim
// that many frames more than it holds.
inline Bytes SilentOggVorbis(int channels, int rate, int packets, int extraGranule = 0)
{
    // The three headers, field by field: {value, bits}.
    ogg_detail::BitWriter id;
    id.Put(1, 8);
    id.PutText("vorbis");
    id.Put({{0, 32}, {static_cast<uint32_t>(channels), 8}, {static_cast<uint32_t>(rate), 32},
            {0, 32}, {0, 32}, {0, 32}, // no bit rates given
            {8, 4}, {11, 4},           // short blocks of 256, long blocks of 2048
            {1, 1}});

    ogg_detail::BitWriter comment;
    comment.Put(3, 8);
    comment.PutText("vorbis");
    comment.Put(1, 32);
    comment.PutText("t");
    comment.Put({{0, 32}, {1, 1}});

    ogg_detail::BitWriter setup;
    setup.Put(5, 8);
    setup.PutText("vorbis");
    setup.Put({
        // One codebook: one dimension, two entries of length 1.
        {0, 8}, {0x564342, 24}, {1, 16}, {2, 24}, {0, 1}, {0, 1}, {0, 5}, {0, 5}, {0, 4},
        // One time-domain placeholder.
        {0, 6}, {0, 16},
        // One floor of type 1: one partition of class 0, class dimension 1,
        // no subclasses, its one book unused, multiplier 1, range bits.
        {0, 6}, {1, 16}, {1, 5}, {0, 4}, {0, 3}, {0, 2}, {0, 8}, {0, 2}, {8, 4}, {128, 8},
        // One residue of type 0, empty.
        {0, 6}, {0, 16}, {0, 24}, {0, 24}, {0, 24}, {0, 6}, {0, 8}, {0, 3}, {0, 1},
        // One mapping: one submap, no coupling.
        {0, 6}, {0, 16}, {0, 1}, {0, 1}, {0, 2}, {0, 8}, {0, 8}, {0, 8},
        // One mode: short blocks, mapping 0; then the framing bit.
        {0, 6}, {0, 1}, {0, 16}, {0, 16}, {0, 8}, {1, 1},
    });

    // An audio packet whose every channel's floor is unused: silence.
    std::string audio(1, '\0');
    std::string out = ogg_detail::OggPage({id.Take()}, 0x02, 0, 0);
    out += ogg_detail::OggPage({comment.Take(), setup.Take()}, 0x00, 0, 1);
    int first = packets / 2;
    int second = packets - first;
    out += ogg_detail::OggPage(std::vector<std::string>(static_cast<size_t>(first), audio), 0x00,
                               (first - 1) * 128, 2);
    out += ogg_detail::OggPage(std::vector<std::string>(static_cast<size_t>(second), audio), 0x04,
                               (packets - 1) * 128 + extraGranule, 3);
    return Bytes(out.begin(), out.end());
}

inline bool WriteBytes(const std::string& path, const Bytes& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Peak absolute sample of interleaved 16-bit audio.
inline int Peak(const std::vector<int16_t>& samples, size_t from = 0, size_t to = SIZE_MAX)
{
    int peak = 0;
    for (size_t i = from; i < samples.size() && i < to; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    return peak;
}

} // namespace audio_fixtures
