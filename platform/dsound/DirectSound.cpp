#include "platform/dsound/DirectSound.h"

#include "platform/core/ModuleRegistry.h"

#include <mutex>
#include <new>

namespace platform {

DirectSound::DirectSound(std::shared_ptr<dsound::SoundDevice> device) : device_(std::move(device)) {}

DirectSound::~DirectSound()
{
    // Buffers may outlive the object that made them, as with the real
    // library; they go quiet and refuse to play.
    device_->Close();
}

HRESULT DirectSound::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return DSERR_INVALIDPARAM;
    if (iid == IID_IDirectSound || iid == IID_IUnknown) {
        AddRef();
        *out = this;
        return DS_OK;
    }
    *out = nullptr;
    return DSERR_NOINTERFACE;
}

ULONG DirectSound::AddRef() { return ++references_; }

ULONG DirectSound::Release()
{
    ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT DirectSound::CreateSoundBuffer(const DSBUFFERDESC* desc, DirectSoundBuffer** out, IUnknown* outer)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSound::CreateSoundBuffer"); FAILED(hr))
        return hr;
    if (!out)
        return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (outer)
        return DSERR_NOAGGREGATION;
    if (!desc || desc->dwSize != sizeof(DSBUFFERDESC))
        return DSERR_INVALIDPARAM;
    {
        auto guard = device_->Guard();
        if (device_->cooperativeLevel == 0)
            return DSERR_PRIOLEVELNEEDED;
    }
    if (desc->dwFlags & (DSBCAPS_CTRL3D | DSBCAPS_CTRLFX))
        return DSERR_UNSUPPORTED;
    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
        if (desc->dwBufferBytes != 0 || desc->lpwfxFormat)
            return DSERR_INVALIDPARAM;
        *out = new (std::nothrow) DirectSoundBuffer(device_, desc->dwFlags, true, nullptr);
        return *out ? DS_OK : DSERR_OUTOFMEMORY;
    }
    if (HRESULT hr = dsound::CheckPcmFormat(desc->lpwfxFormat); FAILED(hr))
        return hr;
    if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX ||
        desc->dwBufferBytes < desc->lpwfxFormat->nBlockAlign)
        return DSERR_INVALIDPARAM;
    dsound::NoteBufferSize(desc->dwBufferBytes);
    auto data = std::make_shared<dsound::SampleData>();
    data->format = *desc->lpwfxFormat;
    data->format.cbSize = 0;
    try {
        data->bytes.assign(desc->dwBufferBytes, data->format.wBitsPerSample == 8 ? 0x80 : 0x00);
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    *out = new (std::nothrow) DirectSoundBuffer(device_, desc->dwFlags, false, std::move(data));
    return *out ? DS_OK : DSERR_OUTOFMEMORY;
}

HRESULT DirectSound::DuplicateSoundBuffer(DirectSoundBuffer* original, DirectSoundBuffer** out)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSound::DuplicateSoundBuffer"); FAILED(hr))
        return hr;
    if (!original || !out)
        return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (original->IsPrimary() || original->device_ != device_)
        return DSERR_INVALIDCALL;
    auto* copy = new (std::nothrow) DirectSoundBuffer(device_, original->flags_, false, original->voice_->data);
    if (!copy)
        return DSERR_OUTOFMEMORY;
    auto guard = device_->Guard();
    copy->voice_->volume = original->voice_->volume;
    copy->voice_->pan = original->voice_->pan;
    copy->voice_->frequency = original->voice_->frequency;
    *out = copy;
    return DS_OK;
}

HRESULT DirectSound::SetCooperativeLevel(HWND window, DWORD level)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSound::SetCooperativeLevel"); FAILED(hr))
        return hr;
    if (!window || level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY)
        return DSERR_INVALIDPARAM;
    auto guard = device_->Guard();
    device_->cooperativeLevel = level;
    device_->window = window;
    return DS_OK;
}

HRESULT DirectSoundCreate(const GUID* device, DirectSound** out, IUnknown* outer)
{
    if (HRESULT hr = dsound::InjectedFailure("DirectSoundCreate"); FAILED(hr))
        return hr;
    if (!out)
        return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (outer)
        return DSERR_NOAGGREGATION;
    if (device) {
        static constexpr GUID kDefaultPlayback = {0xDEF00000, 0x9C6D, 0x47ED, {0xAA, 0xF1, 0x4D, 0xDA, 0x8F, 0x2B, 0x5C, 0x03}};
        static constexpr GUID kNull{};
        if (!(*device == kDefaultPlayback) && !(*device == kNull))
            return DSERR_NODRIVER;
    }
    auto state = std::make_shared<dsound::SoundDevice>();
    if (!state->Open())
        return DSERR_NODRIVER;
    *out = new (std::nothrow) DirectSound(std::move(state));
    return *out ? DS_OK : DSERR_OUTOFMEMORY;
}

void dsound::EnsureDSoundRegistered()
{
    static std::once_flag once;
    std::call_once(once, [] { RegisterModule("dsound.dll", {Entry("DirectSoundCreate", &DirectSoundCreate)}); });
}

} // namespace platform
