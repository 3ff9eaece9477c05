// The DirectSound object: cooperative level, buffer creation and duplicates.
// Its buffers are mixed by our own mixer into the process's audio output
// (platform/dsound/AudioOutput.h): SDL audio with the real back end, a
// buffer on the platform clock with the headless one.
//
// Failure injection (platform::testing::FailNext) by operation name, the
// code being the HRESULT returned: "DirectSoundCreate",
// "DirectSound::SetCooperativeLevel", "DirectSound::CreateSoundBuffer",
// "DirectSound::DuplicateSoundBuffer"; the buffers' own are listed in
// platform/dsound/DirectSoundBuffer.h.
//
// Threads: one program thread at a time calls the object; its state is
// guarded by its device's mutex.
#pragma once

#include "platform/dsound/DSoundTypes.h"
#include "platform/dsound/DirectSoundBuffer.h"

#include <atomic>
#include <memory>

namespace platform {

class DirectSound final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // A primary buffer (DSBCAPS_PRIMARYBUFFER, no size, no format) or a
    // secondary one with its PCM format and size in bytes.
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, DirectSoundBuffer** out, IUnknown* outer);
    // A new secondary buffer over the same sample data, stopped at the start,
    // with the original's volume, pan and frequency.
    HRESULT DuplicateSoundBuffer(DirectSoundBuffer* original, DirectSoundBuffer** out);
    HRESULT SetCooperativeLevel(HWND window, DWORD level);

private:
    friend HRESULT DirectSoundCreate(const GUID*, DirectSound**, IUnknown*);
    explicit DirectSound(std::shared_ptr<dsound::SoundDevice> device);
    ~DirectSound() override;

    std::atomic<ULONG> references_{1};
    std::shared_ptr<dsound::SoundDevice> device_;
};

using IDirectSound = DirectSound;
using LPDIRECTSOUND = DirectSound*;

constexpr GUID IID_IDirectSound = {0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

// The entry point of the sound library ("DirectSoundCreate" in "dsound.dll").
// `device` null is the default device, the only one there is; DSERR_NODRIVER
// when no audio output can be opened.
HRESULT DirectSoundCreate(const GUID* device, DirectSound** out, IUnknown* outer);
using LPDIRECTSOUNDCREATE = HRESULT (*)(const GUID*, DirectSound**, IUnknown*);

namespace dsound {
// Registers "dsound.dll" with the module registry (once; later calls do
// nothing).
void EnsureDSoundRegistered();
} // namespace dsound

} // namespace platform
