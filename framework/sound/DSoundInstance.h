// A sound instance on a duplicate of the sound's static DirectSound buffer,
// so several instances of one sound play at once. Without a source buffer
// (no sound device) the instance is silent and reports nothing playing.
//
// Threads: the thread that uses the manager; no lock of its own.
#pragma once

#include "framework/base/ComRelease.h"
#include "framework/sound/SoundInstance.h"
#include "platform/dsound/DirectSound.h"

#include <cstdint>

namespace Zolt {

class DSoundManager;

class DSoundInstance final : public SoundInstance {
public:
    // Duplicates `source` through the manager's device. A failed duplication
    // ends the program (after a box naming the error for the known ones).
    DSoundInstance(DSoundManager* manager, platform::DirectSoundBuffer* source);
    ~DSoundInstance() override;

    void Discard() override;
    void SetDefaultVolume(double volume) override;
    void SetDefaultPan(int pan) override;
    void ShiftPitch(double steps) override;
    void SetInstanceVolume(double volume) override;
    void SetInstancePan(int pan) override;
    bool Start(bool loop, bool discardWhenDone) override;
    void Halt() override;
    bool IsSounding() override;
    bool IsDiscarded() override;
    double QueryVolume() override;

    // Re-reads the manager's effects volume.
    void ApplyVolume();
    bool DiscardWhenDone() const { return discardWhenDone_; }
    void SetDiscardWhenDone(bool discard) { discardWhenDone_ = discard; }

    // The buffer volume, in hundredths of a decibel, for a linear level:
    // 0 at 1.0, DSBVOLUME_MIN below -20 dB.
    static platform::LONG VolumeToHundredthsOfDecibel(double level);

private:
    void ApplyPan();

    DSoundManager* manager_;
    platform::DirectSoundBuffer* source_;
    ComPtr<platform::DirectSoundBuffer> buffer_;
    bool discardWhenDone_ = false;
    bool hasStarted_ = false;
    bool discarded_ = false;
    int defaultPan_ = 0;
    double defaultVolume_ = 1.0;
    int pan_ = 0;
    double volume_ = 1.0;
    uint32_t baseFrequency_ = 44100;
};

} // namespace Zolt
