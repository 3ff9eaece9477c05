// The options of the whole program, independent of the player profile: two
// sound volumes, the game speed and the full-screen choice. They are read
// from the registry by LoadOptions, through the control factory's registry
// functions, and each is written back the moment a setter changes it (the
// registry's file is whole on disk before the setter returns), so that a
// run that is killed loses no choice; SaveOptions writes them all again.
// Volume changes go to the factory at once; game-speed changes are announced
// to every IOptionObserver.
//
// The factory is the one set with SetOptionsFactory, else the toolkit's
// process-wide factory; with neither, volumes are only stored and the
// registry reads as empty.
//
// Threads: the setters and the observer list are used on the main thread;
// the values are single words that the time thread may read without a lock.
#pragma once

#include <cstdint>

namespace ControlLibrary {
class IFactory;
}

namespace Gamespace {

class IOptionObserver;

constexpr uint16_t kDefaultSoundVolume = 20;
constexpr uint16_t kDefaultSoundEffVolume = 60;
constexpr uint16_t kDefaultGameSpeed = 6;
constexpr uint16_t kMaxVolume = 100;
constexpr uint16_t kMaxGameSpeed = 10;

// Percent, 0..100. Sounds created without the music flag follow the sound
// volume; those created with it (the shell's clicks) the sound-effect volume.
uint16_t GetSoundVolume();
void SetSoundVolume(uint16_t value);
uint16_t GetSoundEffVolume();
void SetSoundEffVolume(uint16_t value);
// 0..10.
uint16_t GetGameSpeed();
void SetGameSpeed(uint16_t value);
bool IsFullScreenOption();
void SetFullScreenOption(bool value);

// Appends the observer unless it is already registered (not owned).
void AddOptionObserver(IOptionObserver* observer);
void RemoveOptionObserver(IOptionObserver* observer);

void LoadOptions();
void SaveOptions();

// The factory the options talk to; null goes back to the toolkit's own.
void SetOptionsFactory(ControlLibrary::IFactory* factory);
// Back to the values at program start with no observers (for tests).
void ResetOptions();

} // namespace Gamespace
