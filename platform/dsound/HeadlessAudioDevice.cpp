#include "platform/dsound/HeadlessAudioDevice.h"

#include "platform/core/Clock.h"

#include <algorithm>

namespace platform::dsound {

namespace {

// A long stretch of time is mixed in pieces of this many frames.
constexpr int kChunkFrames = 4096;

} // namespace

HeadlessAudioDevice::HeadlessAudioDevice(RenderFrames render) : render_(std::move(render)) { Reset(); }

void HeadlessAudioDevice::Reset()
{
    clockUsed_ = &GetClock();
    originMicroseconds_ = clockUsed_->NowMicroseconds();
    framesMixed_ = 0;
    captured_.clear();
    capturing_ = false;
}

void HeadlessAudioDevice::CatchUp(bool silent)
{
    Clock& clock = GetClock();
    const uint64_t now = clock.NowMicroseconds();
    if (&clock != clockUsed_) {
        // Another clock took over (a test installed or removed one): its
        // origin is unrelated, so carry on from its present without mixing
        // the jump between the two.
        clockUsed_ = &clock;
        const uint64_t mixedMicroseconds = framesMixed_ * 1000000u / kOutputRate;
        originMicroseconds_ = now >= mixedMicroseconds ? now - mixedMicroseconds : 0;
        if (now < mixedMicroseconds)
            framesMixed_ = 0;
        return;
    }
    if (now < originMicroseconds_)
        return;
    const uint64_t elapsed = now - originMicroseconds_;
    const uint64_t target = elapsed / 1000000u * kOutputRate + (elapsed % 1000000u) * kOutputRate / 1000000u;
    if (target <= framesMixed_)
        return;
    if (silent && !capturing_) {
        framesMixed_ = target; // nothing to hear and nobody listening
        return;
    }
    std::vector<int16_t> piece;
    while (framesMixed_ < target) {
        const int frames = static_cast<int>(std::min<uint64_t>(kChunkFrames, target - framesMixed_));
        piece.resize(static_cast<size_t>(frames) * kOutputChannels);
        render_(piece.data(), frames);
        if (capturing_)
            captured_.insert(captured_.end(), piece.begin(), piece.end());
        framesMixed_ += static_cast<uint64_t>(frames);
    }
}

void HeadlessAudioDevice::SetCapture(bool on) { capturing_ = on; }

std::vector<int16_t> HeadlessAudioDevice::TakeCaptured()
{
    std::vector<int16_t> taken;
    taken.swap(captured_);
    return taken;
}

} // namespace platform::dsound
