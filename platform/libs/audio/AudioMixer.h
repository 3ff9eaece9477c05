// The mixer shared by our two music libraries ("bass.dll" and "fmod.dll"):
// channels that each play a decoder (a stream or a tracker module) or a
// sample held in memory, with volume, pan, playback rate and looping. It is
// one source of the process's audio output (platform/dsound/AudioOutput.h),
// which it joins when a channel first plays: SDL pulls the mix from its
// audio thread, or, headless, the output mixes as far as the platform clock
// has gone whenever it is asked to catch up. Every operation here catches
// the output up first, so a channel's state is that of the present (a
// ManualClock decides exactly when a track ends). The output's master gain
// (the wave-out volume) and its capture for tests apply to this mix too.
//
// Threads: any thread calls the mixer; the output mixes from SDL's audio
// thread or from the thread that catches it up. One mutex guards every
// channel and every sample's lock count and loop points; decoders run under
// it. Lock order: our libraries' locks, then the output's, then this one;
// nothing here calls the output while holding this mutex.
#pragma once

#include "platform/dsound/AudioOutput.h"
#include "platform/libs/audio/AudioDecoder.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::libs::audio {

constexpr int kOutputRate = platform::dsound::kOutputRate;

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

class Mixer final : public platform::dsound::MixSource {
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

    // Brings the output up to the present (headless); nothing with a device.
    void CatchUp();

    // The guard under which sample lock counts and loop points change. It
    // first mixes up to the present (headless), so the change takes effect
    // from now on and not from the last catch-up.
    std::unique_lock<std::mutex> Guard();

    // Adds `frames` stereo frames at `rate` into `accumulator` (interleaved,
    // full scale 32768) and moves every playing channel on.
    void MixInto(float* accumulator, int frames, int rate) override;

    // Channels that exist (for tests that check nothing is left behind).
    size_t ChannelCount();

private:
    struct Channel;
    Mixer() = default;
    Channel* Find(uint32_t channel);
    // Joins the output the first time a channel plays.
    void JoinOutput();
    void MixLocked(float* accumulator, int frames, int rate);
    static bool FetchFrame(Channel& c, float frame[2]);
    static int FillBlock(Channel& c);
    static void ResetResampler(Channel& c);

    std::mutex mutex_;
    std::map<uint32_t, std::unique_ptr<Channel>> channels_; // guarded by mutex_
    uint32_t nextHandle_ = 1;                              // guarded by mutex_
    std::atomic<bool> joined_{false};
};

} // namespace platform::libs::audio
