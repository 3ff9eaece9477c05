// One playing (or ready to play) copy of a loaded sound, with its own
// volume, pan and pitch. Owned by the sound manager that made it: a caller
// that plays a sound once sets the discard-when-done flag in Start and
// forgets the instance; the manager deletes it after it has finished.
//
// Threads: the thread that uses the manager.
#pragma once

namespace Zolt {

class SoundInstance {
public:
    virtual ~SoundInstance() = default;

    // Halts and marks the instance for deletion.
    virtual void Discard() = 0;
    virtual void SetDefaultVolume(double volume) = 0;
    virtual void SetDefaultPan(int pan) = 0;
    // Raises (or lowers) the pitch by semitones.
    virtual void ShiftPitch(double steps) = 0;
    virtual void SetInstanceVolume(double volume) = 0;
    virtual void SetInstancePan(int pan) = 0;
    // Plays from the start; true when playing began.
    virtual bool Start(bool loop, bool discardWhenDone) = 0;
    // Stops and rewinds; clears discard-when-done.
    virtual void Halt() = 0;
    virtual bool IsSounding() = 0;
    // True once discarded; a finished one-shot instance becomes discarded
    // when asked.
    virtual bool IsDiscarded() = 0;
    virtual double QueryVolume() = 0;
};

} // namespace Zolt
