#include "game/shell/Options.h"

#include "controls/Factory_impl.h"
#include "controls/IFactory.h"
#include "game/table/IOptionObserver.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace Gamespace {

namespace {

const char kSoundVolumeValue[] = "Options\\SoundVol";
const char kSoundEffVolumeValue[] = "Options\\SoundEffVol";
const char kSpeedValue[] = "Options\\Speed";
const char kFullScreenValue[] = "Options\\FullScreen";

std::atomic<uint32_t> gSoundVolume{kDefaultSoundVolume};
std::atomic<uint32_t> gSoundEffVolume{kDefaultSoundEffVolume};
std::atomic<uint32_t> gGameSpeed{kDefaultGameSpeed};
std::atomic<bool> gFullScreen{false};
ControlLibrary::IFactory* gFactory = nullptr;

std::vector<IOptionObserver*>& Observers()
{
    static std::vector<IOptionObserver*> observers;
    return observers;
}

ControlLibrary::IFactory* Factory()
{
    return gFactory ? gFactory : ControlLibrary::GetFactory();
}

// A stored number held to 0..highest. The settings file is the player's to
// edit, and a number written there as negative comes back as a large one: it
// is taken as the negative number it was and held at the bottom.
uint16_t HeldTo(uint32_t stored, uint16_t highest)
{
    return static_cast<uint16_t>(std::clamp<int64_t>(static_cast<int32_t>(stored), 0, highest));
}

// A volume set without keeping it: stored (held to 100) and pushed to the
// factory by `push`; true when it changed.
bool StoreVolume(std::atomic<uint32_t>& stored, uint16_t value, void (ControlLibrary::IFactory::*push)(uint16_t))
{
    if (value == stored.load())
        return false;
    stored = std::min(value, kMaxVolume);
    if (ControlLibrary::IFactory* factory = Factory())
        (factory->*push)(static_cast<uint16_t>(stored.load()));
    return true;
}

bool StoreSoundVolume(uint16_t value)
{
    return StoreVolume(gSoundVolume, value, &ControlLibrary::IFactory::SetEffectsVolume);
}

bool StoreSoundEffVolume(uint16_t value)
{
    return StoreVolume(gSoundEffVolume, value, &ControlLibrary::IFactory::SetMusicVolume);
}

// A choice is kept the moment it is made: the registry writes its file
// whole before the call returns, so a run killed, crashed or cut from its
// power after it loses nothing the player chose.
void Keep(const char* valueName, uint32_t value)
{
    if (ControlLibrary::IFactory* factory = Factory())
        factory->WriteRegistryInteger(valueName, value);
}

} // namespace

uint16_t GetSoundVolume()
{
    return static_cast<uint16_t>(gSoundVolume.load());
}

void SetSoundVolume(uint16_t value)
{
    if (StoreSoundVolume(value))
        Keep(kSoundVolumeValue, GetSoundVolume());
}

uint16_t GetSoundEffVolume()
{
    return static_cast<uint16_t>(gSoundEffVolume.load());
}

void SetSoundEffVolume(uint16_t value)
{
    if (StoreSoundEffVolume(value))
        Keep(kSoundEffVolumeValue, GetSoundEffVolume());
}

uint16_t GetGameSpeed()
{
    return static_cast<uint16_t>(gGameSpeed.load());
}

void SetGameSpeed(uint16_t value)
{
    if (value == gGameSpeed.load())
        return;
    gGameSpeed = std::min(value, kMaxGameSpeed);
    Keep(kSpeedValue, GetGameSpeed());
    // A copy, so an observer may register another while being told.
    std::vector<IOptionObserver*> observers = Observers();
    for (IOptionObserver* observer : observers)
        observer->OnSpeedChanged();
}

bool IsFullScreenOption()
{
    return gFullScreen.load();
}

void SetFullScreenOption(bool value)
{
    if (gFullScreen.exchange(value) == value)
        return;
    if (ControlLibrary::IFactory* factory = Factory())
        factory->WriteRegistryBool(kFullScreenValue, value);
}

void AddOptionObserver(IOptionObserver* observer)
{
    std::vector<IOptionObserver*>& observers = Observers();
    if (observer && std::find(observers.begin(), observers.end(), observer) == observers.end())
        observers.push_back(observer);
}

void RemoveOptionObserver(IOptionObserver* observer)
{
    std::vector<IOptionObserver*>& observers = Observers();
    observers.erase(std::remove(observers.begin(), observers.end(), observer), observers.end());
}

void LoadOptions()
{
    ControlLibrary::IFactory* factory = Factory();
    uint32_t soundVolume = kDefaultSoundVolume;
    uint32_t soundEffVolume = kDefaultSoundEffVolume;
    uint32_t value = 0;
    bool flag = false;
    if (factory) {
        if (!factory->ReadRegistryInteger(kSoundVolumeValue, soundVolume))
            soundVolume = kDefaultSoundVolume;
        if (!factory->ReadRegistryInteger(kSoundEffVolumeValue, soundEffVolume))
            soundEffVolume = kDefaultSoundEffVolume;
        // The table paces its steps by the speed, so a stored value outside
        // 0..10 is held to the range.
        if (factory->ReadRegistryInteger(kSpeedValue, value))
            gGameSpeed = HeldTo(value, kMaxGameSpeed);
        if (factory->ReadRegistryBool(kFullScreenValue, flag))
            gFullScreen = flag;
    }
    // Through 0 first, so the factory hears the loaded values even when
    // they equal the ones held before. What was read needs no keeping.
    StoreSoundEffVolume(0);
    StoreSoundVolume(0);
    StoreSoundEffVolume(HeldTo(soundEffVolume, kMaxVolume));
    StoreSoundVolume(HeldTo(soundVolume, kMaxVolume));
}

void SaveOptions()
{
    ControlLibrary::IFactory* factory = Factory();
    if (!factory)
        return;
    factory->WriteRegistryInteger(kSoundVolumeValue, GetSoundVolume());
    factory->WriteRegistryInteger(kSoundEffVolumeValue, GetSoundEffVolume());
    factory->WriteRegistryInteger(kSpeedValue, GetGameSpeed());
    factory->WriteRegistryBool(kFullScreenValue, IsFullScreenOption());
}

void SetOptionsFactory(ControlLibrary::IFactory* factory)
{
    gFactory = factory;
}

void ResetOptions()
{
    gSoundVolume = kDefaultSoundVolume;
    gSoundEffVolume = kDefaultSoundEffVolume;
    gGameSpeed = kDefaultGameSpeed;
    gFullScreen = false;
    Observers().clear();
}

} // namespace Gamespace
