// The mixer shared by our two music libraries ("bass.dll" and "fmod.dll"):
// channels that each play a decoder (a stream or a tracker module) or a
// sample held in memory, with volume, pan, playback rate and looping, summed
// into 16-bit stereo at kOutputRate.
//
// Output: with the real back end an SDL audio device pulls the mix from its
// own thread. With the headless back end (or when no device can be opened)
// nothing pulls: CatchUp mixes exactly as many frames as the platform clock
// says have played since the last call, so a ManualClock decides when a
// track ends. The libraries call CatchUp before they report a channel's
// state. Tests can keep what was mixed (SetCapture / TakeCaptured).
//
// The master gain (the wave-out volume the program reads and writes back)
// scales the whole mix.
//
// Threads: any thread calls the mixer; SDL's audio thread mixes. One mutex
// guards every channel, every sample's lock count, the master gain and the
// headless bookkeeping; decoders run under it. Our libraries take it after
// their own lock, never before.
#pragma once

#include "platform/libs/audio/AudioDecoder.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::libs::audio {

constexpr int kOutputRate = 44100;

// PCM in memory that sample channels play: 8-bit unsigned or 16-bit signed
// little-endian, interleaved. While the program has it locked (locks > 0)
// channels playing it are silent, so the mixer never reads memory the
// program is writing.
struct SampleBuffer {
    int channels = 1;
    int bits = 16;
    int rate = 44100;
    Bytes pcm;
    // The part repeated by a looping channel: frames loopStart..loopEnd
    // (inclusive). By default the whole sample.
    uint64_t loopStart = 0;
    uint64_t loopEnd = 0;
    int locks = 0; // guarded by the mixer's mutex

    uint64_t Frames() const { return pcm.size() / (size_t(channels) * size_t(bits / 8)); }
};

enum class ChannelState { Missing, Stopped, Playing, Paused };

// Gains of a channel, multiplied together: the channel's own volume, the
// library-wide volume its kind of channel is under, and an amplification.
enum class Gain { Volume, Library, Boost };

class Mixer {
public:
    static Mixer& Instance();

    // New channels start stopped at their beginning, volume 1, centred.
    uint32_t AddDecoder(std::unique_ptr<Decoder> decoder);
    uint32_t AddSample(std::shared_ptr<SampleBuffer> sample);
    void Remove(uint32_t channel);

    // Starts or resumes; `restart` (or a channel that played to its end)
    // starts from the beginning. False for an unknown channel.
    bool Play(uint32_t channel, bool restart);
    // Halts, keeping the position.
    bool Stop(uint32_t channel);
    // Pauses a playing channel; false when it is not playing.
    bool Pause(uint32_t channel);
    ChannelState State(uint32_t channel);

    bool SetGain(uint32_t channel, Gain which, float gain);
    float GetGain(uint32_t channel, Gain which);
    // -1 all left .. 1 all right.
    bool SetPan(uint32_t channel, float pan);
    // Frames per second to take from the source; 0: its own rate.
    bool SetRate(uint32_t channel, int rate);
    int GetRate(uint32_t channel);
    bool SetLooping(uint32_t channel, bool loop);
    bool IsLooping(uint32_t channel);

    // Position in frames of the source (streams and samples).
    bool SetPosition(uint32_t channel, uint64_t frame);
    uint64_t Position(uint32_t channel);
    uint64_t Length(uint32_t channel);
    int SourceChannels(uint32_t channel);
    // Modules.
    bool SetOrder(uint32_t channel, int order);
    int CurrentOrder(uint32_t channel);
    int OrderCount(uint32_t channel);
    bool IsModule(uint32_t channel);

    void SetMasterGain(float gain);
    float MasterGain();

    // Headless: mixes up to the clock's present. Nothing with a device.
    void CatchUp();

    // The guard under which sample lock counts and loop points change. It
    // first mixes up to the present (headless), so the change takes effect
    // from now on and not from the last catch-up.
    std::unique_lock<std::mutex> Guard();

    // Adds `frames` stereo frames at `rate` into `accumulator` (interleaved,
    // full scale 32768) and moves every playing channel on.
    void MixInto(float* accumulator, int frames, int rate);
    // Called by the SDL audio thread.
    void Render(int16_t* out, int frames);

    // Test hooks (headless): count time from the clock's present and drop
    // the capture; while capturing, every mixed frame is kept.
    void ResetHeadless();
    void SetCapture(bool on);
    std::vector<int16_t> TakeCaptured();
    size_t ChannelCount();

private:
    struct Channel;
    Mixer() = default;
    Channel* Find(uint32_t channel);
    void EnsureOutputLocked();
    void CatchUpLocked();
    void MixLocked(float* accumulator, int frames, int rate);
    void RenderLocked(int16_t* out, int frames);
    static bool FetchFrame(Channel& c, float frame[2]);
    static int FillBlock(Channel& c);
    static void ResetResampler(Channel& c);

    std::mutex mutex_;
    std::map<uint32_t, std::unique_ptr<Channel>> channels_; // guarded by mutex_
    uint32_t nextHandle_ = 1;                              // guarded by mutex_
    float masterGain_ = 1.0f;                              // guarded by mutex_
    bool outputChosen_ = false;                            // guarded by mutex_
    bool clockDriven_ = true;                              // guarded by mutex_
    uint32_t sdlDevice_ = 0;                               // guarded by mutex_
    uint64_t originMicroseconds_ = 0;                      // guarded by mutex_
    uint64_t framesMixed_ = 0;                             // guarded by mutex_
    bool capturing_ = false;                               // guarded by mutex_
    std::vector<int16_t> captured_;                        // guarded by mutex_
    std::vector<float> scratch_;                           // guarded by mutex_
};

} // namespace platform::libs::audio
