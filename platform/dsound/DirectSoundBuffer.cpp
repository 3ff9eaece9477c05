#include "platform/dsound/DirectSoundBuffer.h"

#include <cstring>

namespace platform {

namespace {
constexpr GUID kIidDirectSoundBuffer = {0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
// How far the write cursor runs ahead of the play cursor: 10 ms of output.
constexpr uint64_t kWriteLeadFrames = dsound::kOutputRate / 100;
} // namespace

DirectSoundBuffer::DirectSoundBuffer(std::shared_ptr<dsound::SoundDevice> device, DWORD flags, bool primary,
                                     std::shared_ptr<dsound::SampleData> data)
    : device_(std::move(device)), flags_(flags), primary_(primary), voice_(std::make_unique<dsound::Voice>())
{
    voice_->data = std::move(data);
    if (voice_->data)
        voice_->frequency = voice_->data->format.nSamplesPerSec;
}

DirectSoundBuffer::~DirectSoundBuffer()
{
    auto guard = device_->Guard();
    device_->ForgetLocked(voice_.get());
}

HRESULT DirectSoundBuffer::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return DSERR_INVALIDPARAM;
    if (iid == kIidDirectSoundBuffer || iid == IID_IUnknown) {
        AddRef();
        *out = this;
        return DS_OK;
    }
    *out = nullptr;
    return DSERR_NOINTERFACE;
}

ULONG DirectSoundBuffer::AddRef() { return ++references_; }

ULONG DirectSoundBuffer::Release()
{
    ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

DWORD DirectSoundBuffer::Size() const
{
    return voice_->data ? static_cast<DWORD>(voice_->data->bytes.size()) : 0;
}

HRESULT DirectSoundBuffer::GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* sizeWritten)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundBuffer::GetFormat"); FAILED(hr))
        return hr;
    if (!format && !sizeWritten)
        return DSERR_INVALIDPARAM;
    auto guard = device_->Guard();
    WAVEFORMATEX f = primary_ ? device_->primaryFormat : voice_->data->format;
    if (format) {
        DWORD n = sizeAllocated < sizeof f ? sizeAllocated : static_cast<DWORD>(sizeof f);
        std::memcpy(format, &f, n);
        if (sizeWritten)
            *sizeWritten = n;
    } else {
        *sizeWritten = sizeof f;
    }
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetVolume(LONG* volume)
{
    if (!volume)
        return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLVOLUME))
        return DSERR_CONTROLUNAVAIL;
    auto guard = device_->Guard();
    *volume = voice_->volume;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetPan(LONG* pan)
{
    if (!pan)
        return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLPAN))
        return DSERR_CONTROLUNAVAIL;
    auto guard = device_->Guard();
    *pan = voice_->pan;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetFrequency(DWORD* frequency)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundBuffer::GetFrequency"); FAILED(hr))
        return hr;
    if (!frequency)
        return DSERR_INVALIDPARAM;
    if (primary_ || !(flags_ & DSBCAPS_CTRLFREQUENCY))
        return DSERR_CONTROLUNAVAIL;
    auto guard = device_->Guard();
    *frequency = voice_->frequency;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetStatus(DWORD* status)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundBuffer::GetStatus"); FAILED(hr))
        return hr;
    if (!status)
        return DSERR_INVALIDPARAM;
    dsound::AudioOutput::Instance().CatchUp();
    auto guard = device_->Guard();
    *status = 0;
    if (voice_->playing)
        *status = DSBSTATUS_PLAYING | (voice_->looping ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetCurrentPosition(DWORD* play, DWORD* write)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundBuffer::GetCurrentPosition"); FAILED(hr))
        return hr;
    if (primary_)
        return DSERR_PRIOLEVELNEEDED;
    dsound::AudioOutput::Instance().CatchUp();
    auto guard = device_->Guard();
    const WAVEFORMATEX& f = voice_->data->format;
    uint64_t frames = voice_->data->bytes.size() / f.nBlockAlign;
    uint64_t index = voice_->position >> 32;
    uint64_t ahead = index;
    if (voice_->playing && frames > 0)
        ahead = (index + kWriteLeadFrames) % frames;
    if (play)
        *play = static_cast<DWORD>(index * f.nBlockAlign);
    if (write)
        *write = static_cast<DWORD>(ahead * f.nBlockAlign);
    return DS_OK;
}

HRESULT DirectSoundBuffer::Lock(DWORD offset, DWORD bytes, void** first, DWORD* firstBytes, void** second,
                                DWORD* secondBytes, DWORD flags)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundBuffer::Lock"); FAILED(hr))
        return hr;
    if (!first || !firstBytes)
        return DSERR_INVALIDPARAM;
    if (primary_)
        return DSERR_PRIOLEVELNEEDED;
    if (flags & DSBLOCK_FROMWRITECURSOR) {
        DWORD write = 0;
        if (HRESULT hr = GetCurrentPosition(nullptr, &write); FAILED(hr))
            return hr;
        offset = write;
    }
    auto guard = device_->Guard();
    dsound::SampleData& data = *voice_->data;
    DWORD size = static_cast<DWORD>(data.bytes.size());
    if (flags & DSBLOCK_ENTIREBUFFER)
        bytes = size;
    if (offset >= size || bytes == 0 || bytes > size)
        return DSERR_INVALIDPARAM;
    DWORD head = size - offset < bytes ? size - offset : bytes;
    DWORD tail = bytes - head;
    if (tail > 0 && (!second || !secondBytes))
        return DSERR_INVALIDPARAM;
    *first = data.bytes.data() + offset;
    *firstBytes = head;
    data.locks.emplace_back(data.bytes.data() + offset, head);
    if (second)
        *second = tail ? data.bytes.data() : nullptr;
    if (secondBytes)
        *secondBytes = tail;
    if (tail)
        data.locks.emplace_back(data.bytes.data(), tail);
    return DS_OK;
}

HRESULT DirectSoundBuffer::Unlock(void* first, DWORD firstBytes, void* second, DWORD secondBytes)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundBuffer::Unlock"); FAILED(hr))
        return hr;
    if (primary_)
        return DSERR_INVALIDCALL;
    auto guard = device_->Guard();
    dsound::SampleData& data = *voice_->data;
    // Each region given back must be one handed out (the length may shrink:
    // the caller says how much it wrote).
    auto findLock = [&](const void* p, DWORD n) {
        for (auto it = data.locks.begin(); it != data.locks.end(); ++it)
            if (it->first == p && n <= it->second)
                return it;
        return data.locks.end();
    };
    auto a = findLock(first, firstBytes);
    if (a == data.locks.end())
        return DSERR_INVALIDPARAM;
    if (second) {
        auto b = findLock(second, secondBytes);
        if (b == data.locks.end() || b == a)
            return DSERR_INVALIDPARAM;
        if (b > a) {
            data.locks.erase(b);
            data.locks.erase(a);
        } else {
            data.locks.erase(a);
            data.locks.erase(b);
        }
    } else {
        data.locks.erase(a);
    }
    return DS_OK;
}

HRESULT DirectSoundBuffer::Play(DWORD reserved, DWORD priority, DWORD flags)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundBuffer::Play"); FAILED(hr))
        return hr;
    if (reserved != 0 || priority != 0)
        return DSERR_INVALIDPARAM;
    dsound::AudioOutput::Instance().CatchUp();
    auto guard = device_->Guard();
    if (!device_->IsOpen())
        return DSERR_UNINITIALIZED;
    if (device_->cooperativeLevel == 0)
        return DSERR_PRIOLEVELNEEDED;
    if (primary_)
        return DS_OK; // the primary plays whenever a secondary does
    voice_->looping = (flags & DSBPLAY_LOOPING) != 0;
    device_->StartLocked(voice_.get());
    return DS_OK;
}

HRESULT DirectSoundBuffer::Stop()
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundBuffer::Stop"); FAILED(hr))
        return hr;
    dsound::AudioOutput::Instance().CatchUp();
    auto guard = device_->Guard();
    if (!primary_)
        device_->StopLocked(voice_.get());
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetCurrentPosition(DWORD position)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundBuffer::SetCurrentPosition"); FAILED(hr))
        return hr;
    if (primary_)
        return DSERR_INVALIDCALL;
    dsound::AudioOutput::Instance().CatchUp();
    auto guard = device_->Guard();
    if (position > Size())
        return DSERR_INVALIDPARAM;
    uint64_t frame = position / voice_->data->format.nBlockAlign;
    voice_->position = frame << 32;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetFormat(const WAVEFORMATEX* format)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundBuffer::SetFormat"); FAILED(hr))
        return hr;
    if (!primary_)
        return DSERR_INVALIDCALL;
    if (HRESULT hr = dsound::CheckPcmFormat(format); FAILED(hr))
        return hr;
    auto guard = device_->Guard();
    if (device_->cooperativeLevel < DSSCL_PRIORITY)
        return DSERR_PRIOLEVELNEEDED;
    device_->primaryFormat = *format;
    device_->primaryFormat.cbSize = 0;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetVolume(LONG volume)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundBuffer::SetVolume"); FAILED(hr))
        return hr;
    if (!(flags_ & DSBCAPS_CTRLVOLUME))
        return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX)
        return DSERR_INVALIDPARAM;
    dsound::AudioOutput::Instance().CatchUp();
    auto guard = device_->Guard();
    voice_->volume = volume;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetPan(LONG pan)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundBuffer::SetPan"); FAILED(hr))
        return hr;
    if (!(flags_ & DSBCAPS_CTRLPAN))
        return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT)
        return DSERR_INVALIDPARAM;
    dsound::AudioOutput::Instance().CatchUp();
    auto guard = device_->Guard();
    voice_->pan = pan;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetFrequency(DWORD frequency)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundBuffer::SetFrequency"); FAILED(hr))
        return hr;
    if (primary_ || !(flags_ & DSBCAPS_CTRLFREQUENCY))
        return DSERR_CONTROLUNAVAIL;
    if (frequency != DSBFREQUENCY_ORIGINAL && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
        return DSERR_INVALIDPARAM;
    dsound::AudioOutput::Instance().CatchUp();
    auto guard = device_->Guard();
    voice_->frequency = frequency == DSBFREQUENCY_ORIGINAL ? voice_->data->format.nSamplesPerSec : frequency;
    return DS_OK;
}

} // namespace platform
