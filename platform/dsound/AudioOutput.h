// The process's one audio output: 16-bit stereo at 44100 samples per second,
// fed by mix sources (each DirectSound device is one; the music libraries may
// add their own). With the real back end SDL pulls the output from its audio
// thread; with the headless back end nothing pulls, so the output is mixed
// on demand: CatchUp mixes exactly as many frames as the platform clock says
// have played since the last call (a ManualClock makes this exact), into a
// capture buffer that tests read.
//
// The master gain (the wave-out mixer volume) scales the sum of the sources.
//
// Threads: sources are added and removed from any thread; SDL's audio thread
// mixes. One mutex guards the source list, the master gain, the headless
// frame count and the capture; it is held while sources mix, so a source
// removed by RemoveSource is never called again after the call returns.
// Lock order: this mutex before any source's own lock.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {
class Clock;
}

namespace platform::dsound {

constexpr int kOutputRate = 44100;
constexpr int kOutputChannels = 2;

// Something that adds its sound into the output. A source calls
// AudioOutput::CatchUp before it changes what it plays (and never from
// inside MixInto), so that headless time stays exact.
class MixSource {
public:
    virtual ~MixSource() = default;
    // Adds `frames` stereo frames at `rate` frames per second into `accumulator`
    // (interleaved left, right; full scale is 32768) and advances its voices.
    virtual void MixInto(float* accumulator, int frames, int rate) = 0;
};

class AudioOutput {
public:
    static AudioOutput& Instance();

    // Starts feeding the source (opening the device on first use). False when
    // the real audio device cannot be opened.
    bool AddSource(MixSource* source);
    void RemoveSource(MixSource* source);

    // Headless: mixes up to the clock's present. Real back end: nothing (SDL
    // pulls in its own time).
    void CatchUp();

    // Gains of the left and right channel, 0..1.
    void SetMasterGain(float left, float right);

    // Test hooks (headless): start the frame count at the clock's present and
    // drop the capture; while capturing, every mixed frame is kept.
    void ResetHeadless();
    void SetCapture(bool on);
    std::vector<int16_t> TakeCaptured();
    uint64_t FramesMixed();

    // Called by the SDL audio thread: fills `frames` stereo frames.
    void Render(int16_t* out, int frames);

private:
    AudioOutput() = default;
    bool OpenLocked();
    void RenderLocked(int16_t* out, int frames);

    std::mutex mutex_;
    std::vector<MixSource*> sources_; // guarded by mutex_
    float gainLeft_ = 1.0f;           // guarded by mutex_
    float gainRight_ = 1.0f;          // guarded by mutex_
    bool opened_ = false;             // guarded by mutex_
    bool headless_ = true;            // guarded by mutex_; fixed when opened
    uint32_t sdlDevice_ = 0;          // guarded by mutex_
    // Headless time keeping: the clock reading (microseconds) that frame 0
    // stands for, and the frames mixed since.
    uint64_t originMicroseconds_ = 0; // guarded by mutex_
    Clock* clockUsed_ = nullptr;      // guarded by mutex_; the clock the origin was read from
    uint64_t framesMixed_ = 0;        // guarded by mutex_
    bool capturing_ = false;          // guarded by mutex_
    std::vector<int16_t> captured_;   // guarded by mutex_
    std::vector<float> scratch_;      // guarded by mutex_
};

} // namespace platform::dsound
