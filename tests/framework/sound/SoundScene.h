// A scene for the sound manager's tests: the headless audio output on a
// manual clock, a pretend main window, a game folder as the current
// directory and an application-data folder beside it, and builders of sound
// files (WAV, AU, a tiny Ogg Vorbis stream, silent MP3 frames).
#pragma once

#include "framework/sound/DSoundManager.h"
#include "platform/core/Clock.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sound_test {

// Interleaved 16-bit samples of a sine wave.
std::vector<int16_t> Sine(int frames, int channels, int rate, double hertz, double amplitude = 12000.0);
std::string Bytes(const std::vector<int16_t>& samples);

struct WavLayout {
    int channels = 1;
    int rate = 22050;
    int bits = 16;
    int formatTag = 1;
    bool withFormat = true;
    std::string extraChunks; // placed before "data"
    int64_t declaredDataSize = -1; // -1: the real size
};
std::string WavFile(const std::string& sampleBytes, const WavLayout& layout);
std::string Chunk(const char tag[4], const std::string& body);

// ".snd", offset 24, size, encoding, rate, channels (big-endian), then data.
std::string AuFile(const std::string& data, uint32_t encoding, uint32_t rate, uint32_t channels,
                   uint32_t declaredSize = 0xFFFFFFFEu);

// A valid Ogg Vorbis stream of `packets` short blocks of silence: it decodes
// to (packets - 1) * 128 frames. `extraGranule` makes the last page claim
// that many frames more than it holds.
std::string SilentOggVorbis(int channels, int rate, int packets, int extraGranule = 0);

// `frames` silent MPEG-1 layer III frames (44100 Hz, mono, 128 kbit/s).
std::string SilentMp3(int frames);

// Installs a stand-in for fmod.dll's sample functions that decodes MP3
// files through the platform's decoder, and records the calls made; the
// provider it replaced comes back when it goes.
class FakeFmod {
public:
    FakeFmod();
    ~FakeFmod();
    FakeFmod(const FakeFmod&) = delete;
    FakeFmod& operator=(const FakeFmod&) = delete;
    static std::vector<std::string>& Calls();

private:
    Zolt::FmodSoundProvider previous_;
};

class SoundScene : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file below the game folder (the current directory).
    void WriteGameFile(const std::string& relative, const std::string& contents);
    std::string GamePath(const std::string& relative) const { return temp_ / ("game/" + relative); }
    std::string AppDataPath(const std::string& relative) const { return temp_ / ("appdata/" + relative); }
    std::unique_ptr<Zolt::DSoundManager> MakeManager(bool useFmod = false);
    // The id's sample bytes, as the buffer holds them.
    std::string SampleBytes(Zolt::DSoundManager& manager, int id);
    // Advances the clock by `ms` and returns what was mixed meanwhile.
    std::vector<int16_t> Listen(int ms);

    platform::ManualClock clock_{0};
    std::unique_ptr<platform::ScopedClock> scopedClock_;
    platform::testing::ScopedTempFolder temp_;
    std::string savedDirectory_;
    platform::HWND window_ = nullptr;
};

} // namespace sound_test
