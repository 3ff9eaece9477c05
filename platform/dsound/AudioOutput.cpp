#include "platform/dsound/AudioOutput.h"

#include "platform/core/Clock.h"
#include "platform/core/DebugOutput.h"
#include "platform/core/Testing.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace platform::dsound {

namespace {

void SdlCallback(void* userData, Uint8* stream, int length)
{
    auto* output = static_cast<AudioOutput*>(userData);
    output->Render(reinterpret_cast<int16_t*>(stream), length / static_cast<int>(sizeof(int16_t) * kOutputChannels));
}

// Mixing a long stretch of headless time happens in pieces of this many frames.
constexpr int kChunkFrames = 4096;

} // namespace

AudioOutput& AudioOutput::Instance()
{
    static AudioOutput* output = new AudioOutput(); // never destroyed: SDL's thread may outlive statics
    return *output;
}

bool AudioOutput::OpenLocked()
{
    if (opened_)
        return true;
    headless_ = IsHeadless();
    if (headless_) {
        clockUsed_ = &GetClock();
        originMicroseconds_ = clockUsed_->NowMicroseconds();
        framesMixed_ = 0;
        opened_ = true;
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        OutputDebugString(std::string("audio: SDL audio unavailable: ") + SDL_GetError() + "\n");
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = kOutputRate;
    want.format = AUDIO_S16SYS;
    want.channels = kOutputChannels;
    want.samples = 1024;
    want.callback = &SdlCallback;
    want.userdata = this;
    SDL_AudioSpec have{};
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        OutputDebugString(std::string("audio: cannot open the output: ") + SDL_GetError() + "\n");
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    sdlDevice_ = device;
    opened_ = true;
    SDL_PauseAudioDevice(device, 0);
    return true;
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
    if (!opened_ || !headless_)
        return;
    Clock& clock = GetClock();
    uint64_t now = clock.NowMicroseconds();
    if (&clock != clockUsed_) {
        // Another clock took over (a test installed or removed one): its
        // origin is unrelated, so carry on from its present without mixing
        // the jump between the two.
        clockUsed_ = &clock;
        uint64_t mixedMicroseconds = framesMixed_ * 1000000u / kOutputRate;
        originMicroseconds_ = now >= mixedMicroseconds ? now - mixedMicroseconds : 0;
        if (now < mixedMicroseconds)
            framesMixed_ = 0;
        return;
    }
    if (now < originMicroseconds_)
        return;
    uint64_t elapsed = now - originMicroseconds_;
    uint64_t target = elapsed / 1000000u * kOutputRate + (elapsed % 1000000u) * kOutputRate / 1000000u;
    if (target <= framesMixed_)
        return;
    if (sources_.empty() && !capturing_) {
        framesMixed_ = target; // nothing to hear and nobody listening
        return;
    }
    std::vector<int16_t> piece;
    while (framesMixed_ < target) {
        int frames = static_cast<int>(std::min<uint64_t>(kChunkFrames, target - framesMixed_));
        piece.resize(static_cast<size_t>(frames) * kOutputChannels);
        RenderLocked(piece.data(), frames);
        if (capturing_)
            captured_.insert(captured_.end(), piece.begin(), piece.end());
        framesMixed_ += static_cast<uint64_t>(frames);
    }
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

void AudioOutput::ResetHeadless()
{
    std::lock_guard<std::mutex> lock(mutex_);
    clockUsed_ = &GetClock();
    originMicroseconds_ = clockUsed_->NowMicroseconds();
    framesMixed_ = 0;
    captured_.clear();
    capturing_ = false;
    gainLeft_ = gainRight_ = 1.0f;
}

void AudioOutput::SetCapture(bool on)
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    capturing_ = on;
}

std::vector<int16_t> AudioOutput::TakeCaptured()
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<int16_t> result;
    result.swap(captured_);
    return result;
}

uint64_t AudioOutput::FramesMixed()
{
    CatchUp();
    std::lock_guard<std::mutex> lock(mutex_);
    return framesMixed_;
}

} // namespace platform::dsound
