// The seam between the process's audio output (AudioOutput.h) and what plays
// it: one small interface, with SDL's audio (SdlAudioDevice) and the
// headless device of tests and CI (HeadlessAudioDevice) beside each other.
// The output picks one the first time it opens (platform::IsHeadless) and
// keeps it for the run.
//
// Threads: the output calls its device with its own lock held.
#pragma once

#include <cstdint>
#include <functional>

namespace platform::dsound {

constexpr int kOutputRate = 44100;
constexpr int kOutputChannels = 2;

// Fills `frames` stereo frames (interleaved left, right) with the output's
// mix of its sources.
using RenderFrames = std::function<void(int16_t* out, int frames)>;

class AudioDevice {
public:
    virtual ~AudioDevice() = default;

    // Brings the output up to the present. A device that plays on the
    // platform clock mixes what has played since the last call (`silent`:
    // no source is playing, so what is owed need not be mixed); one that
    // pulls frames in its own time has nothing to do.
    virtual void CatchUp(bool silent) = 0;
};

} // namespace platform::dsound
