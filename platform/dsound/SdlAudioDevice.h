// The real audio device: SDL's audio output at 44100 Hz, 16-bit stereo,
// whose own thread pulls the output's frames as it plays them.
//
// Threads: made under the audio output's lock. SDL's audio thread calls the
// pull function, which takes that lock itself; so the device is never
// destroyed with the lock held (closing waits for a pull under way). The
// opening is work that a fork must not cut (ForkQuiet.h).
#pragma once

#include "platform/dsound/AudioDevice.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace platform::dsound {

class SdlAudioDevice final : public AudioDevice {
public:
    // The opening's name as fork-unsafe work (testing::HoldForkUnsafeWork).
    static constexpr const char* kOpeningWork = "SdlAudioDevice.Open";

    // Opens the system's default output and starts it pulling through
    // `pull`; null when it cannot (the reason goes to the debug output).
    static std::unique_ptr<SdlAudioDevice> Open(RenderFrames pull);
    // Opens it as Open does, on a short-lived thread of its own, and hands
    // the result (null when it could not) to `hand` on that thread.
    static void OpenOnItsOwnThread(RenderFrames pull, std::function<void(std::unique_ptr<SdlAudioDevice>)> hand);
    ~SdlAudioDevice() override;
    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

    void CatchUp(bool) override {}

private:
    explicit SdlAudioDevice(RenderFrames pull) : pull_(std::move(pull)) {}
    static void Pull(void* self, uint8_t* stream, int length);

    RenderFrames pull_;
    uint32_t device_ = 0;
};

} // namespace platform::dsound
