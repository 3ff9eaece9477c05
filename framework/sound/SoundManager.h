// The application's sound service: sounds loaded whole under ids 0 to 255,
// played through instances that the manager owns. The application creates
// one (Zolt::DSoundManager) with its main window and keeps it for its
// lifetime.
//
// Threads: the main thread (or one thread at a time); no lock of its own.
#pragma once

#include "platform/window/WindowTypes.h"

#include <string>

namespace Zolt {

class SoundInstance;

class SoundManager {
public:
    virtual ~SoundManager() = default;

    // A sound device exists.
    virtual bool IsReady() = 0;
    // The id that holds `name` (exact comparison), else the name loaded into
    // the highest free id; -1 when none is free or the load fails.
    virtual int FindOrLoadSound(const std::string& name) = 0;
    // Loads `name` (without extension) into `id`, replacing what it held.
    virtual bool LoadSoundFile(int id, const std::string& name) = 0;
    virtual void FreeSound(int id) = 0;
    // The overall factor applied to every instance's volume.
    virtual void SetEffectsVolume(double volume) = 0;
    virtual bool SetDefaultVolume(int id, double volume) = 0;
    virtual bool SetDefaultPan(int id, int pan) = 0;
    // A new instance of the sound, owned by the manager; null when the id
    // holds no sound or all instance slots are busy.
    virtual SoundInstance* NewInstance(int id) = 0;
    virtual void FreeAllSounds() = 0;
    virtual void DeleteAllInstances() = 0;
    // The system's wave-out volume, 0..1.
    virtual double ReadMixerVolume() = 0;
    virtual void WriteMixerVolume(double volume) = 0;
    virtual void Refresh() = 0;
    // Re-binds the device to a new main window (after a display-mode change).
    virtual void AttachWindow(platform::HWND window, bool windowed) = 0;
    // Stops every instance; a one-shot instance stays one-shot.
    virtual void HaltAllSounds() = 0;
    virtual int FirstFreeSoundId() = 0;
    virtual int CountLoadedSounds() = 0;
};

} // namespace Zolt
