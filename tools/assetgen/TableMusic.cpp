#include "tools/assetgen/TableMusic.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace assetgen {

namespace {

constexpr double kTau = 6.283185307179586;
constexpr int kRate = 32000;
constexpr double kBeat = 60.0 / 96.0;
constexpr int kBars = 16;
constexpr int kLoopFrames = static_cast<int>(kBars * 4 * kBeat * kRate);

double Hz(int midi)
{
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// Swung eighths: the second eighth of a beat comes two thirds of the way in.
double Time(int bar, double beat)
{
    const double whole = std::floor(beat);
    const double frac = beat - whole;
    const double swung = frac == 0.5 ? 2.0 / 3.0 : frac;
    return (bar * 4 + whole + swung) * kBeat;
}

// A loop of stereo frames; everything added wraps at the end.
struct Loop {
    std::vector<double> left = std::vector<double>(kLoopFrames, 0.0);
    std::vector<double> right = std::vector<double>(kLoopFrames, 0.0);
    void Add(double at, size_t i, double v, double pan)
    {
        const size_t k = (static_cast<size_t>(at * kRate) + i) % kLoopFrames;
        left[k] += v * (1.0 - pan) * 0.5;
        right[k] += v * (1.0 + pan) * 0.5;
    }
};

struct Chord {
    int root;
    std::vector<int> voicing;
};

// ii-V-I in F with turnarounds, one chord a bar.
const Chord kChords[kBars] = {
    {43, {58, 62, 65, 69}}, {36, {58, 64, 67, 69}}, {41, {57, 60, 64, 67}}, {38, {60, 64, 65, 69}},
    {43, {58, 62, 65, 69}}, {36, {58, 64, 67, 69}}, {45, {55, 60, 64, 67}}, {38, {57, 60, 66, 71}},
    {43, {58, 62, 65, 69}}, {36, {58, 64, 67, 69}}, {41, {57, 60, 64, 67}}, {34, {57, 60, 62, 65}},
    {40, {58, 62, 64, 67}}, {45, {55, 61, 64, 66}}, {38, {60, 64, 65, 69}}, {36, {58, 64, 67, 70}},
};

struct Note {
    int bar;
    double beat;
    double beats;
    int midi;
};

const Note kMelody[] = {
    {4, 0.5, 1, 70},  {4, 1.5, 0.5, 69},  {4, 2, 1.5, 67},  {5, 0, 1, 64},  {5, 1.5, 0.5, 65}, {5, 2, 2, 67},
    {6, 0.5, 1, 72},  {6, 1.5, 0.5, 69},  {6, 2, 1.5, 67},  {7, 0, 1, 66},  {7, 1, 1, 69},     {7, 2, 2, 72},
    {12, 0.5, 1, 70}, {12, 1.5, 0.5, 67}, {12, 2, 1.5, 64}, {13, 0, 1, 61}, {13, 1, 1, 64},    {13, 2, 2, 67},
    {14, 0.5, 1, 69}, {14, 1.5, 0.5, 65}, {14, 2, 1.5, 62}, {15, 0, 1, 64}, {15, 1, 1, 67},    {15, 2, 2, 70},
};

// An electric piano: a sine carrier with a decaying sine modulator.
void Piano(Loop& loop, double at, double seconds, int midi, double velocity, double pan)
{
    const double f = Hz(midi);
    const size_t length = static_cast<size_t>((seconds + 0.6) * kRate);
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double release = t < seconds ? 1.0 : std::exp(-(t - seconds) / 0.12);
        const double env = std::min(1.0, t / 0.004) * std::exp(-t / 1.4) * release;
        const double index = 1.6 * std::exp(-t / 0.25) + 0.25;
        const double v = std::sin(kTau * f * t + index * std::sin(kTau * f * t)) +
                         0.08 * std::sin(kTau * f * 14 * t) * std::exp(-t / 0.05);
        loop.Add(at, i, v * env * velocity, pan);
    }
}

void Vibes(Loop& loop, double at, double seconds, int midi, double pan)
{
    const double f = Hz(midi);
    const size_t length = static_cast<size_t>((seconds + 1.0) * kRate);
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double release = t < seconds ? 1.0 : std::exp(-(t - seconds) / 0.3);
        const double env = std::min(1.0, t / 0.003) * std::exp(-t / 1.6) * release;
        const double tremolo = 1.0 - 0.18 * (0.5 + 0.5 * std::sin(kTau * 5.0 * t));
        const double v = std::sin(kTau * f * t) + 0.2 * std::sin(kTau * f * 4 * t) * std::exp(-t / 0.3);
        loop.Add(at, i, v * env * tremolo * 0.55, pan);
    }
}

void Bass(Loop& loop, double at, int midi, double velocity)
{
    const double f = Hz(midi);
    const size_t length = static_cast<size_t>(kBeat * 1.1 * kRate);
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double env = std::min(1.0, t / 0.006) * std::exp(-t / 0.45) * (t < kBeat ? 1.0 : 0.3);
        const double v = std::sin(kTau * f * t) + 0.35 * std::sin(kTau * 2 * f * t) * std::exp(-t / 0.15);
        loop.Add(at, i, v * env * velocity, 0.0);
    }
}

class Hiss {
public:
    double Next()
    {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state_ >> 11) / 4503599627370496.0 - 1.0;
    }

private:
    uint64_t state_ = 77;
};

// Brushes: a swish on two and four, light ticks on the swung eighths.
void Brush(Loop& loop, double at, double seconds, double gain, double bright, double pan, Hiss& hiss)
{
    double low = 0, high = 0;
    const size_t length = static_cast<size_t>(seconds * kRate);
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double n = hiss.Next();
        low += (n - low) * bright;
        high = n - low;
        const double env = std::min(1.0, t / (seconds * 0.2)) * std::exp(-t / (seconds * 0.35));
        loop.Add(at, i, high * env * gain, pan);
    }
}

int Approach(int next)
{
    return next - 1;
}

} // namespace

Sound ComposeTableMusic()
{
    Loop loop;
    Hiss hiss;
    for (int bar = 0; bar < kBars; ++bar) {
        const Chord& chord = kChords[bar];
        const Chord& next = kChords[(bar + 1) % kBars];
        // Comping: two figures that alternate, the second with a push.
        const bool odd = bar % 2 == 1;
        const double hits[2][2] = {{0.0, 2.5}, {0.5, 2.0}};
        const double lengths[2][2] = {{1.6, 1.0}, {1.2, 1.8}};
        for (int h = 0; h < 2; ++h)
            for (size_t v = 0; v < chord.voicing.size(); ++v)
                Piano(loop, Time(bar, hits[odd][h]) + 0.004 * v, lengths[odd][h] * kBeat, chord.voicing[v],
                      (h == 0 ? 0.22 : 0.17) * (v == chord.voicing.size() - 1 ? 1.1 : 0.9), -0.3 + 0.1 * v);
        // Walking bass.
        const int line[4] = {chord.root, chord.root + (bar % 4 == 3 ? 3 : 7), chord.root + 12,
                             Approach(next.root + (next.root < chord.root - 5 ? 12 : 0))};
        for (int b = 0; b < 4; ++b)
            Bass(loop, Time(bar, b), line[b] > 50 ? line[b] - 12 : line[b], b == 0 ? 0.75 : 0.6);
        for (int b = 0; b < 4; ++b) {
            if (b % 2 == 1)
                Brush(loop, Time(bar, b), 0.22, 0.16, 0.35, 0.25, hiss);
            Brush(loop, Time(bar, b), 0.05, b % 2 == 1 ? 0.1 : 0.07, 0.8, -0.15, hiss);
            Brush(loop, Time(bar, b + 0.5), 0.04, 0.05, 0.8, -0.15, hiss);
        }
    }
    for (const Note& n : kMelody)
        Vibes(loop, Time(n.bar, n.beat), n.beats * kBeat, n.midi + 12, 0.3);

    Sound sound;
    sound.rate = kRate;
    sound.channels = 2;
    double peak = 1e-9;
    for (int i = 0; i < kLoopFrames; ++i)
        peak = std::max({peak, std::fabs(loop.left[i]), std::fabs(loop.right[i])});
    // Quiet: the music sits under the table's own sounds.
    const double scale = 0.32 / peak;
    sound.samples.reserve(static_cast<size_t>(kLoopFrames) * 2);
    for (int i = 0; i < kLoopFrames; ++i) {
        sound.samples.push_back(static_cast<float>(loop.left[i] * scale));
        sound.samples.push_back(static_cast<float>(loop.right[i] * scale));
    }
    return sound;
}

} // namespace assetgen
