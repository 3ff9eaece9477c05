// A DirectSound buffer: the primary buffer (the device's output format) or a
// static secondary buffer holding PCM samples, 8 or 16 bits, one or two
// channels. Duplicates share the sample data of their original and have a
// play position, volume, pan and frequency of their own.
//
// Failure injection (platform::testing::FailNext) by operation name, the
// code being the HRESULT returned: "DirectSoundBuffer::GetFormat",
// "::GetFrequency", "::GetStatus", "::GetCurrentPosition", "::Lock",
// "::Unlock", "::Play", "::Stop", "::SetCurrentPosition", "::SetFormat",
// "::SetVolume", "::SetPan", "::SetFrequency" (each with the class name in
// front, e.g. "DirectSoundBuffer::Lock").
//
// Threads: one program thread at a time calls a buffer; its state is guarded
// by the device's mutex (platform/dsound/SoundDevice.h).
#pragma once

#include "platform/dsound/DSoundTypes.h"
#include "platform/dsound/SoundDevice.h"

#include <atomic>
#include <memory>

namespace platform {

class DirectSoundBuffer final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* sizeWritten);
    HRESULT GetVolume(LONG* volume);
    HRESULT GetPan(LONG* pan);
    HRESULT GetFrequency(DWORD* frequency);
    HRESULT GetStatus(DWORD* status);
    // Byte offsets of the play cursor and of the write cursor (where it is
    // safe to write while playing: a little ahead of the play cursor).
    HRESULT GetCurrentPosition(DWORD* play, DWORD* write);
    // Hands out `bytes` from `offset`; a region running past the end wraps to
    // the start through the second pointer (which may be null only when no
    // wrap is needed).
    HRESULT Lock(DWORD offset, DWORD bytes, void** first, DWORD* firstBytes, void** second, DWORD* secondBytes,
                 DWORD flags);
    HRESULT Unlock(void* first, DWORD firstBytes, void* second, DWORD secondBytes);
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags);
    HRESULT Stop();
    HRESULT SetCurrentPosition(DWORD position);
    HRESULT SetFormat(const WAVEFORMATEX* format);
    HRESULT SetVolume(LONG volume);
    HRESULT SetPan(LONG pan);
    HRESULT SetFrequency(DWORD frequency);

    bool IsPrimary() const { return primary_; }

private:
    friend class DirectSound;
    DirectSoundBuffer(std::shared_ptr<dsound::SoundDevice> device, DWORD flags, bool primary,
                      std::shared_ptr<dsound::SampleData> data);
    ~DirectSoundBuffer() override;

    DWORD Size() const;

    std::atomic<ULONG> references_{1};
    std::shared_ptr<dsound::SoundDevice> device_;
    const DWORD flags_;
    const bool primary_;
    std::unique_ptr<dsound::Voice> voice_; // fields guarded by the device's mutex
};

using IDirectSoundBuffer = DirectSoundBuffer;
using LPDIRECTSOUNDBUFFER = DirectSoundBuffer*;

} // namespace platform
