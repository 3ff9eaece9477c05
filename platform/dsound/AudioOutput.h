// The process's one audio output: 16-bit stereo at 44100 samples per second,
// fed by mix sources (each DirectSound device is one; the music libraries may
// add their own). What plays it is its device (AudioDevice.h), picked when
// the output first opens: SDL's audio, whose thread pulls the output in its
// own time, or the headless device, which mixes on the platform clock
// whenever CatchUp is called (HeadlessAudioDevice.h).
//
// The master gain (the wave-out mixer volume) scales the sum of the sources.
//
// Threads: sources are added and removed from any thread; SDL's audio thread
// mixes. The real device is opened on a short-lived thread of its own, which
// hands it over under the mutex (SDL's own box waits for that opening, and
// an opening not yet begun waits for the box: ForkQuiet.h). One mutex guards the source list, the master
// gain and the device (which is only called with it held); it is held while
// sources mix, so a source removed by RemoveSource is never called again
// after the call returns. Lock order: this mutex before any source's own lock.
#pragma once

#include "platform/dsound/AudioDevice.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::dsound {

class HeadlessAudioDevice;

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
    // the real audio device could not be opened; while it is still being
    // opened the source is taken and plays once the device does.
    bool AddSource(MixSource* source);
    void RemoveSource(MixSource* source);

    // Brings the output up to the present (see AudioDevice::CatchUp).
    void CatchUp();

    // Gains of the left and right channel, 0..1.
    void SetMasterGain(float left, float right);

    // Runs `action` on the headless device under the lock (opening it on
    // first use); false, and nothing run, when the device plays for real.
    // The test hooks (DSoundTesting.h) reach the device through this.
    bool WithHeadlessDevice(const std::function<void(HeadlessAudioDevice&)>& action);

    // For tests (DSoundTesting.h): the device goes, once the real one has
    // been opened or failed to; the next use opens one anew.
    void CloseDevice();

private:
    AudioOutput() = default;
    bool OpenLocked();
    // Fills `frames` stereo frames with the sum of the sources.
    void Render(int16_t* out, int frames);
    void RenderLocked(int16_t* out, int frames);

    std::mutex mutex_;
    std::vector<MixSource*> sources_;     // guarded by mutex_
    float gainLeft_ = 1.0f;               // guarded by mutex_
    float gainRight_ = 1.0f;              // guarded by mutex_
    std::unique_ptr<AudioDevice> device_; // guarded by mutex_; made on first open, kept for the run (or a test)
    // The real device is being opened on its own thread (set once); the
    // opening failed. Guarded by mutex_.
    bool opening_ = false;
    bool openFailed_ = false;
    std::vector<float> scratch_;          // guarded by mutex_
};

} // namespace platform::dsound
