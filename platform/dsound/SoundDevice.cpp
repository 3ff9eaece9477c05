#include "platform/dsound/SoundDevice.h"

#include "platform/core/Testing.h"

#include <atomic>
#include <cmath>
#include <cstring>

namespace platform::dsound {

HRESULT CheckPcmFormat(const WAVEFORMATEX* format)
{
    if (!format)
        return DSERR_INVALIDPARAM;
    const WAVEFORMATEX& f = *format;
    if (f.wFormatTag != WAVE_FORMAT_PCM)
        return DSERR_BADFORMAT;
    if (f.nChannels < 1 || f.nChannels > 2 || (f.wBitsPerSample != 8 && f.wBitsPerSample != 16))
        return DSERR_BADFORMAT;
    if (f.nSamplesPerSec < DSBFREQUENCY_MIN || f.nSamplesPerSec > DSBFREQUENCY_MAX)
        return DSERR_BADFORMAT;
    if (f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8 || f.nAvgBytesPerSec != f.nBlockAlign * f.nSamplesPerSec)
        return DSERR_BADFORMAT;
    return DS_OK;
}

HRESULT InjectedFailure(std::string_view operation)
{
    int64_t code = 0;
    if (!testing::ShouldFail(operation, &code))
        return DS_OK;
    return code ? static_cast<HRESULT>(code) : DSERR_GENERIC;
}

namespace {
std::atomic<DWORD> gLargestBuffer{0};
} // namespace

void NoteBufferSize(DWORD bytes)
{
    DWORD seen = gLargestBuffer.load(std::memory_order_relaxed);
    while (bytes > seen && !gLargestBuffer.compare_exchange_weak(seen, bytes, std::memory_order_relaxed)) {
    }
}

DWORD LargestBufferSize() { return gLargestBuffer.load(); }

void ForgetBufferSizes() { gLargestBuffer.store(0); }

SoundDevice::SoundDevice() = default;

SoundDevice::~SoundDevice() { Close(); }

bool SoundDevice::Open()
{
    if (!AudioOutput::Instance().AddSource(this))
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    return true;
}

void SoundDevice::Close()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_)
            return;
    }
    AudioOutput::Instance().RemoveSource(this);
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
    for (Voice* v : playing_)
        v->playing = false;
    playing_.clear();
}

void SoundDevice::StartLocked(Voice* voice)
{
    voice->playing = true;
    playing_.insert(voice);
}

void SoundDevice::StopLocked(Voice* voice)
{
    voice->playing = false;
    playing_.erase(voice);
}

void SoundDevice::ForgetLocked(Voice* voice)
{
    playing_.erase(voice);
}

float SoundDevice::VolumeGain(LONG volume)
{
    if (volume <= DSBVOLUME_MIN)
        return 0.0f;
    if (volume >= 0)
        return 1.0f;
    return static_cast<float>(std::pow(10.0, volume / 2000.0));
}

void SoundDevice::MixInto(float* accumulator, int frames, int rate)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = playing_.begin(); it != playing_.end();) {
        Voice* voice = *it;
        MixVoice(*voice, accumulator, frames, rate);
        if (!voice->playing)
            it = playing_.erase(it);
        else
            ++it;
    }
}

namespace {

struct Frame {
    float left;
    float right;
};

Frame ReadFrame(const SampleData& data, uint64_t index)
{
    const WAVEFORMATEX& f = data.format;
    const uint8_t* p = data.bytes.data() + index * f.nBlockAlign;
    auto one = [&](const uint8_t* q) -> float {
        if (f.wBitsPerSample == 8)
            return static_cast<float>((static_cast<int>(*q) - 128) * 256);
        int16_t s;
        std::memcpy(&s, q, sizeof s);
        return static_cast<float>(s);
    };
    float left = one(p);
    float right = f.nChannels == 2 ? one(p + f.wBitsPerSample / 8) : left;
    return {left, right};
}

} // namespace

void SoundDevice::MixVoice(Voice& voice, float* accumulator, int frames, int rate)
{
    const SampleData& data = *voice.data;
    uint64_t frameCount = data.format.nBlockAlign ? data.bytes.size() / data.format.nBlockAlign : 0;
    if (frameCount == 0) {
        voice.playing = false;
        voice.position = 0;
        return;
    }
    const uint64_t end = frameCount << 32;
    const uint64_t step = (static_cast<uint64_t>(voice.frequency) << 32) / static_cast<uint64_t>(rate);
    const bool silent = !data.locks.empty();
    float gain = VolumeGain(voice.volume);
    float left = gain * (voice.pan > 0 ? VolumeGain(-voice.pan) : 1.0f);
    float right = gain * (voice.pan < 0 ? VolumeGain(voice.pan) : 1.0f);
    if (silent || (left == 0.0f && right == 0.0f)) {
        // Nothing to hear: only time passes.
        uint64_t advanced = voice.position + step * static_cast<uint64_t>(frames);
        if (advanced >= end) {
            if (voice.looping) {
                advanced %= end;
            } else {
                voice.playing = false;
                advanced = 0;
            }
        }
        voice.position = advanced;
        return;
    }
    for (int i = 0; i < frames; ++i) {
        if (voice.position >= end) {
            if (!voice.looping) {
                voice.playing = false;
                voice.position = 0;
                return;
            }
            voice.position %= end;
        }
        uint64_t index = voice.position >> 32;
        uint32_t fraction = static_cast<uint32_t>(voice.position);
        Frame a = ReadFrame(data, index);
        if (fraction != 0) {
            uint64_t next = index + 1;
            Frame b{0.0f, 0.0f};
            if (next < frameCount)
                b = ReadFrame(data, next);
            else if (voice.looping)
                b = ReadFrame(data, 0);
            float t = static_cast<float>(fraction) * (1.0f / 4294967296.0f);
            a.left += (b.left - a.left) * t;
            a.right += (b.right - a.right) * t;
        }
        accumulator[2 * i] += a.left * left;
        accumulator[2 * i + 1] += a.right * right;
        voice.position += step;
    }
    if (voice.position >= end) {
        if (voice.looping) {
            voice.position %= end;
        } else {
            voice.playing = false;
            voice.position = 0;
        }
    }
}

} // namespace platform::dsound
