#include "platform/dsound/AudioOutput.h"

#include "platform/core/Testing.h"
#include "platform/dsound/HeadlessAudioDevice.h"
#include "platform/dsound/SdlAudioDevice.h"

#include <algorithm>
#include <cmath>

namespace platform::dsound {

AudioOutput& AudioOutput::Instance()
{
    static AudioOutput* output = new AudioOutput(); // never destroyed: SDL's thread may outlive statics
    return *output;
}

bool AudioOutput::OpenLocked()
{
    if (device_)
        return true;
    if (IsHeadless()) {
        device_ = std::make_unique<HeadlessAudioDevice>([this](int16_t* out, int frames) {
            RenderLocked(out, frames); // the device is only called under mutex_
        });
        return true;
    }
    // Opening the system's output can take a tenth of a second or more (the
    // sound server or the sound card is asked in turn), which the first
    // picture on screen should not wait for: it is opened on a thread of its
    // own, and the sources mix from the moment it plays.
    if (!opening_) {
        opening_ = true;
        SdlAudioDevice::OpenOnItsOwnThread([this](int16_t* out, int frames) { Render(out, frames); },
                                           [this](std::unique_ptr<SdlAudioDevice> device) {
                                               std::lock_guard<std::mutex> lock(mutex_);
                                               openFailed_ = device == nullptr;
                                               device_ = std::move(device);
                                           });
    }
    return !openFailed_;
}

void AudioOutput::CloseDevice()
{
    std::unique_ptr<AudioDevice> closing;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (opening_ && !device_ && !openFailed_)
            return; // still being opened: its hand-over would come after
        closing = std::move(device_);
        opening_ = false;
        openFailed_ = false;
    }
    // Closed outside the lock: SDL's close waits for its thread, which may
    // be waiting for the lock to mix.
}

bool AudioOutput::AddSource(MixSource* source)
{
    // Mix what the old set of sources owes before the new one joins, so a
    // source starts at the present and not in the past.
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    if (!OpenLocked())
        return false;
    if (std::find(sources_.begin(), sources_.end(), source) == sources_.end())
        sources_.push_back(source);
    return true;
}

void AudioOutput::RemoveSource(MixSource* source)
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void AudioOutput::CatchUp()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (device_)
        device_->CatchUp(sources_.empty());
}

void AudioOutput::Render(int16_t* out, int frames)
{
    std::lock_guard<std::mutex> lock(mutex_);
    RenderLocked(out, frames);
}

void AudioOutput::RenderLocked(int16_t* out, int frames)
{
    size_t count = static_cast<size_t>(frames) * kOutputChannels;
    scratch_.assign(count, 0.0f);
    for (MixSource* source : sources_)
        source->MixInto(scratch_.data(), frames, kOutputRate);
    for (size_t i = 0; i < count; ++i) {
        float v = scratch_[i] * ((i & 1) ? gainRight_ : gainLeft_);
        v = std::nearbyint(v);
        out[i] = static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
    }
}

void AudioOutput::SetMasterGain(float left, float right)
{
    CatchUp(); // what played before the change keeps the old gain
    std::lock_guard<std::mutex> lock(mutex_);
    gainLeft_ = std::clamp(left, 0.0f, 1.0f);
    gainRight_ = std::clamp(right, 0.0f, 1.0f);
}

bool AudioOutput::WithHeadlessDevice(const std::function<void(HeadlessAudioDevice&)>& action)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto* headless = OpenLocked() ? dynamic_cast<HeadlessAudioDevice*>(device_.get()) : nullptr;
    if (!headless)
        return false;
    action(*headless);
    return true;
}

} // namespace platform::dsound
