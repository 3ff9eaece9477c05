#include "tools/assetgen/SoundSynth.h"

#include "tools/assetgen/TableMusic.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace assetgen {

namespace {

constexpr double kTau = 6.283185307179586;

class Noise {
public:
    explicit Noise(uint64_t seed) : state_(seed * 0x2545F4914F6CDD1Dull + 0x9E3779B97F4A7C15ull) {}
    double Next() // -1 .. 1
    {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<double>((state_ * 0x2545F4914F6CDD1Dull) >> 11) / 4503599627370496.0 - 1.0;
    }
    double Uniform() { return (Next() + 1.0) / 2.0; }

private:
    uint64_t state_;
};

// An RBJ biquad band-pass (constant peak gain) or low-pass.
class Biquad {
public:
    static Biquad BandPass(double rate, double hz, double q)
    {
        const double w = kTau * hz / rate, alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
        return Biquad(alpha / a0, 0, -alpha / a0, -2 * std::cos(w) / a0, (1 - alpha) / a0);
    }
    static Biquad LowPass(double rate, double hz, double q)
    {
        const double w = kTau * hz / rate, alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
        return Biquad((1 - c) / 2 / a0, (1 - c) / a0, (1 - c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0);
    }
    static Biquad HighPass(double rate, double hz, double q)
    {
        const double w = kTau * hz / rate, alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
        return Biquad((1 + c) / 2 / a0, -(1 + c) / a0, (1 + c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0);
    }
    double Run(double x)
    {
        const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    Biquad(double b0, double b1, double b2, double a1, double a2) : b0_(b0), b1_(b1), b2_(b2), a1_(a1), a2_(a2) {}
    double b0_, b1_, b2_, a1_, a2_;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// A mono buffer to mix events into.
struct Track {
    int rate;
    std::vector<double> data;
    Track(int r, double seconds) : rate(r), data(static_cast<size_t>(seconds * r), 0.0) {}
    void Add(size_t at, double v)
    {
        if (at < data.size())
            data[at] += v;
    }
};

// A burst of band-passed noise: the snap of card edges, the tick of a riffle.
void NoiseBurst(Track& t, double start, double hz, double q, double attack, double decay, double gain, Noise& n)
{
    Biquad filter = Biquad::BandPass(t.rate, hz, q);
    const size_t first = static_cast<size_t>(start * t.rate);
    const size_t length = static_cast<size_t>((attack + decay * 6) * t.rate);
    for (size_t i = 0; i < length; ++i) {
        const double s = static_cast<double>(i) / t.rate;
        const double env = s < attack ? s / attack : std::exp(-(s - attack) / decay);
        t.Add(first + i, filter.Run(n.Next()) * env * gain);
    }
}

// A clack of two chips: a few inharmonic partials ringing briefly.
void Clack(Track& t, double start, double pitch, double gain, Noise& n)
{
    const double partials[4] = {1.0, 1.52, 2.21, 2.93};
    const double decays[4] = {0.022, 0.016, 0.011, 0.008};
    const size_t first = static_cast<size_t>(start * t.rate);
    const size_t length = static_cast<size_t>(0.12 * t.rate);
    for (size_t i = 0; i < length; ++i) {
        const double s = static_cast<double>(i) / t.rate;
        double v = 0;
        for (int k = 0; k < 4; ++k)
            v += std::sin(kTau * pitch * partials[k] * s + k) * std::exp(-s / decays[k]) / (k + 1.5);
        t.Add(first + i, v * gain);
    }
    NoiseBurst(t, start, pitch * 1.8, 1.2, 0.0005, 0.002, gain * 0.8, n);
}

Sound Finish(const Track& t, double peak)
{
    Sound sound;
    sound.rate = t.rate;
    double top = 1e-9;
    for (double v : t.data)
        top = std::max(top, std::fabs(v));
    sound.samples.reserve(t.data.size());
    for (double v : t.data)
        sound.samples.push_back(static_cast<float>(v / top * peak));
    // A few milliseconds of fade so no file starts or ends with a step.
    const size_t fade = std::min<size_t>(sound.samples.size() / 4, static_cast<size_t>(0.003 * t.rate));
    for (size_t i = 0; i < fade; ++i) {
        const float k = static_cast<float>(i) / static_cast<float>(fade);
        sound.samples[sound.samples.size() - 1 - i] *= k;
    }
    return sound;
}

Sound ClickSound()
{
    Track t(22050, 0.05);
    Noise n(1);
    NoiseBurst(t, 0.0, 3200, 1.5, 0.0004, 0.0025, 1.0, n);
    for (size_t i = 0; i < t.data.size(); ++i) {
        const double s = static_cast<double>(i) / t.rate;
        t.data[i] += 0.5 * std::sin(kTau * 1900 * s) * std::exp(-s / 0.005) + 0.3 * std::sin(kTau * 820 * s) *
                                                                                 std::exp(-s / 0.009);
    }
    return Finish(t, 0.7);
}

Sound SelectSound()
{
    Track t(22050, 0.6);
    const double notes[2][2] = {{0.0, 1046.5}, {0.07, 1568.0}};
    for (const auto& note : notes) {
        const size_t first = static_cast<size_t>(note[0] * t.rate);
        for (size_t i = 0; first + i < t.data.size(); ++i) {
            const double s = static_cast<double>(i) / t.rate;
            const double env = std::min(1.0, s / 0.003) * std::exp(-s / 0.13);
            t.Add(first + i, env * (std::sin(kTau * note[1] * s) + 0.3 * std::sin(kTau * note[1] * 2.76 * s) *
                                                                     std::exp(-s / 0.05)));
        }
    }
    return Finish(t, 0.55);
}

Sound CardSnap(int variant)
{
    Track t(22050, 0.2);
    Noise n(100 + static_cast<uint64_t>(variant));
    const double tone = 1.0 + 0.06 * (variant % 5 - 2);
    // The flick off the deck, then the card landing on the felt.
    NoiseBurst(t, 0.0, 3400 * tone, 1.1, 0.001, 0.006, 1.0, n);
    NoiseBurst(t, 0.004, 6500 * tone, 2.0, 0.0005, 0.002, 0.5, n);
    NoiseBurst(t, 0.035 + 0.004 * (variant % 4), 900 * tone, 0.9, 0.002, 0.012, 0.7, n);
    return Finish(t, 0.6);
}

Sound Riffle(int variant)
{
    Track t(22050, 1.7);
    Noise n(200 + static_cast<uint64_t>(variant));
    // Two half decks riffled together: ticks that speed up and thin out.
    double at = 0.04;
    const int ticks = 44 + variant * 3;
    for (int i = 0; i < ticks; ++i) {
        const double progress = static_cast<double>(i) / ticks;
        const double gap = 0.024 - 0.012 * progress + 0.004 * n.Next();
        NoiseBurst(t, at, 2600 + 1800 * n.Uniform(), 1.4, 0.0005, 0.0022, 0.5 + 0.5 * n.Uniform(), n);
        at += std::max(0.006, gap);
    }
    // The bridge: the cards fall through the thumbs.
    at += 0.12;
    for (int i = 0; i < 26; ++i) {
        NoiseBurst(t, at, 3000 + 1200 * n.Uniform(), 1.6, 0.0004, 0.0015, 0.35 * (1.0 - i / 30.0), n);
        at += 0.007 + 0.002 * n.Uniform();
    }
    // Squaring the deck.
    NoiseBurst(t, at + 0.08, 500, 0.8, 0.002, 0.018, 1.2, n);
    return Finish(t, 0.6);
}

Sound Chips(int variant, bool finish)
{
    Track t(22050, finish ? 1.1 : 0.45);
    Noise n((finish ? 400u : 300u) + static_cast<uint64_t>(variant));
    const int clacks = finish ? 14 + 3 * variant : 2 + variant % 3;
    double at = 0.005;
    for (int i = 0; i < clacks; ++i) {
        const double pitch = 2900 + 900 * n.Uniform() + 150 * variant;
        Clack(t, at, pitch, (finish ? 0.55 : 0.9) * (1.0 - 0.4 * i / clacks) * (0.6 + 0.4 * n.Uniform()), n);
        at += finish ? 0.025 + 0.05 * n.Uniform() : 0.045 + 0.05 * n.Uniform();
    }
    if (finish) {
        // The pile sliding over the felt.
        Biquad low = Biquad::LowPass(t.rate, 1800, 0.7);
        for (size_t i = 0; i < t.data.size(); ++i) {
            const double s = static_cast<double>(i) / t.rate;
            const double env = std::min(1.0, s / 0.05) * std::exp(-s / 0.35);
            t.data[i] += low.Run(n.Next()) * env * 0.25;
        }
    }
    return Finish(t, 0.6);
}

} // namespace

Sound Synthesize(SoundRecipe recipe, int variant)
{
    switch (recipe) {
    case SoundRecipe::Click:
        return ClickSound();
    case SoundRecipe::Select:
        return SelectSound();
    case SoundRecipe::CardSnap:
        return CardSnap(variant);
    case SoundRecipe::Riffle:
        return Riffle(variant);
    case SoundRecipe::ChipSet:
        return Chips(variant, false);
    case SoundRecipe::ChipFinish:
        return Chips(variant, true);
    case SoundRecipe::TableMusic:
        return ComposeTableMusic();
    }
    return {};
}

std::vector<uint8_t> EncodeWav(const Sound& sound)
{
    std::vector<uint8_t> out;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&](uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(t[i]));
    };
    const uint32_t bytes = static_cast<uint32_t>(sound.samples.size() * 2);
    tag("RIFF");
    put32(36 + bytes);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);
    put16(static_cast<uint16_t>(sound.channels));
    put32(static_cast<uint32_t>(sound.rate));
    put32(static_cast<uint32_t>(sound.rate * sound.channels * 2));
    put16(static_cast<uint16_t>(sound.channels * 2));
    put16(16);
    tag("data");
    put32(bytes);
    for (float s : sound.samples)
        put16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f))));
    return out;
}

bool EncodeOgg(const Sound& sound, float quality, uint32_t serial, std::vector<uint8_t>* out, std::string* error)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, sound.channels, sound.rate, quality) != 0) {
        vorbis_info_clear(&info);
        *error = "the Vorbis encoder refused " + std::to_string(sound.rate) + " Hz";
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, static_cast<int>(serial));
    auto append = [&](const ogg_page& page) {
        out->insert(out->end(), page.header, page.header + page.header_len);
        out->insert(out->end(), page.body, page.body + page.body_len);
    };
    ogg_packet header, commentPacket, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codebooks);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentPacket);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        append(page);
    const size_t frames = sound.samples.size() / static_cast<size_t>(sound.channels);
    const size_t chunk = 4096;
    for (size_t done = 0; done <= frames;) {
        const size_t n = std::min(chunk, frames - done);
        if (n == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < sound.channels; ++c)
                    buffer[c][i] = sound.samples[(done + i) * static_cast<size_t>(sound.channels) +
                                                 static_cast<size_t>(c)];
            vorbis_analysis_wrote(&dsp, static_cast<int>(n));
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                    append(page);
            }
        }
        if (n == 0)
            break;
        done += n;
    }
    while (ogg_stream_flush(&stream, &page) != 0)
        append(page);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return true;
}

} // namespace assetgen
