// The audio device of tests and CI. Nothing pulls, so the output is mixed
// on demand: CatchUp mixes exactly as many frames as the platform clock
// says have played since the last call (a ManualClock makes this exact),
// and while capturing every mixed frame is kept for the test to read.
// Tests reach it through DSoundTesting.h.
//
// Threads: any; the audio output calls it, and lets the test hooks reach
// it, only with the output's lock held, which guards every field here.
#pragma once

#include "platform/dsound/AudioDevice.h"

#include <cstdint>
#include <vector>

namespace platform {
class Clock;
}

namespace platform::dsound {

class HeadlessAudioDevice final : public AudioDevice {
public:
    // `render` is called with the output's lock held. Frame 0 is the
    // clock's present.
    explicit HeadlessAudioDevice(RenderFrames render);

    void CatchUp(bool silent) override;

    // Frame 0 at the clock's present, nothing captured, capture off.
    void Reset();
    // From now on keep every mixed frame (or stop keeping them).
    void SetCapture(bool on);
    // The frames kept since the last take, interleaved left, right.
    std::vector<int16_t> TakeCaptured();
    uint64_t FramesMixed() const { return framesMixed_; }

private:
    RenderFrames render_;
    // The clock reading (microseconds) that frame 0 stands for, the clock
    // it was read from, and the frames mixed since.
    uint64_t originMicroseconds_ = 0;
    Clock* clockUsed_ = nullptr;
    uint64_t framesMixed_ = 0;
    bool capturing_ = false;
    std::vector<int16_t> captured_;
};

} // namespace platform::dsound
