#include "framework/sound/DSoundManager.h"

#include "framework/base/PathUtils.h"
#include "platform/core/Clock.h"
#include "platform/dsound/WaveMixer.h"

#include <algorithm>

namespace Zolt {

using namespace platform;

DSoundManager::DSoundManager(HWND window, bool useFmod) : useFmod_(useFmod)
{
    defaultVolumes_.fill(1.0);
    if (!window)
        return;
    dsoundModule_ = LoadModule("dsound.dll");
    auto create = GetEntryAs<LPDIRECTSOUNDCREATE>(dsoundModule_, "DirectSoundCreate");
    DirectSound* device = nullptr;
    if (!create || FAILED(create(nullptr, &device, nullptr))) {
        FreeModule(dsoundModule_);
        dsoundModule_ = nullptr;
        return;
    }
    device_.reset(device);

    if (useFmod_) {
        fmod_ = AcquireFmodSoundFunctions();
        if (fmod_) {
            fmod_->FSOUND_SetHWND(window);
            fmod_->FSOUND_SetBufferSize(200);
            fmod_->FSOUND_Init(44100, 64, 2);
        }
    }

    if (FAILED(device_->SetCooperativeLevel(window, DSSCL_PRIORITY))) {
        device_->SetCooperativeLevel(window, DSSCL_NORMAL);
        return;
    }
    // The primary format only decides how the device mixes; failures here
    // leave the device's own format in place.
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    DirectSoundBuffer* primary = nullptr;
    if (SUCCEEDED(device_->CreateSoundBuffer(&desc, &primary, nullptr))) {
        primary_.reset(primary);
        WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 18};
        primary_->SetFormat(&format);
    }
}

DSoundManager::~DSoundManager()
{
    DeleteAllInstances();
    FreeAllSounds();
    primary_.reset();
    if (device_) {
        if (useFmod_ && fmod_)
            fmod_->FSOUND_Close();
        device_.reset();
        if (fmod_)
            ReleaseFmodSoundFunctions();
        fmod_ = nullptr;
    }
    if (dsoundModule_)
        FreeModule(dsoundModule_);
}

bool DSoundManager::IsReady() { return device_ != nullptr; }

int DSoundManager::FindOrLoadSound(const std::string& name)
{
    for (int id = 0; id < kMaxSounds; ++id)
        if (names_[static_cast<size_t>(id)] == name && !name.empty())
            return id;
    for (int id = kMaxSounds - 1; id >= 0; --id) {
        if (!buffers_[static_cast<size_t>(id)])
            return LoadSoundFile(id, name) ? id : -1;
    }
    return -1;
}

bool DSoundManager::LoadSoundFile(int id, const std::string& name)
{
    if (!ValidId(id))
        return false;
    FreeSound(id);
    if (!device_)
        return true;
    auto slot = static_cast<size_t>(id);
    names_[slot] = name;

    // Decoded sounds are cached under the application-data folder; an
    // absolute name has no place there, and without that folder there is no
    // cache (it would land beside the game's own files).
    std::string cacheName;
    std::string appData = GetAppDataFolder();
    bool relative = name.size() > 2 && name[0] != '\\' && name[0] != '/' && name[1] != ':';
    if (relative && !appData.empty()) {
        cacheName = appData + name;
        if (ReadWavFile(id, cacheName))
            return true;
        MakeAllDirectories(PathDirectory(cacheName, false));
    }

    std::string decodedFrom;
    if (ReadWavFile(id, name + ".wav")) {
        // plain sample data: nothing to cache
    } else if (useFmod_ && ReadMp3File(id, name + ".mp3")) {
        decodedFrom = name + ".mp3";
    } else if (ReadOggFile(id, name + ".ogg")) {
        decodedFrom = name + ".ogg";
    } else if (ReadAuFile(id, name + ".au")) {
        decodedFrom = name + ".au";
    } else {
        // A name that failed to load must not be found again as if loaded.
        FreeSound(id);
        return false;
    }
    if (!decodedFrom.empty() && !cacheName.empty())
        WriteCachedWav(id, cacheName, decodedFrom);
    return true;
}

void DSoundManager::FreeSound(int id)
{
    if (!ValidId(id))
        return;
    auto slot = static_cast<size_t>(id);
    buffers_[slot].reset();
    names_[slot].clear();
}

void DSoundManager::DropBuffer(int id)
{
    if (ValidId(id))
        buffers_[static_cast<size_t>(id)].reset();
}

void DSoundManager::SetEffectsVolume(double volume)
{
    effectsVolume_ = volume;
    for (auto& instance : instances_)
        if (instance)
            instance->ApplyVolume();
}

bool DSoundManager::SetDefaultVolume(int id, double volume)
{
    if (!ValidId(id))
        return false;
    defaultVolumes_[static_cast<size_t>(id)] = volume;
    return true;
}

bool DSoundManager::SetDefaultPan(int id, int pan)
{
    if (!ValidId(id))
        return false;
    defaultPans_[static_cast<size_t>(id)] = pan;
    return true;
}

SoundInstance* DSoundManager::NewInstance(int id)
{
    if (!ValidId(id))
        return nullptr;
    auto slot = static_cast<size_t>(id);
    DWORD now = GetTickCount();
    if (now - lastSweep_ > 1000) {
        for (auto& instance : instances_)
            if (instance && instance->IsDiscarded())
                instance.reset();
        lastSweep_ = now;
    }
    std::unique_ptr<DSoundInstance>* free = nullptr;
    for (auto& instance : instances_) {
        if (!instance) {
            free = &instance;
            break;
        }
        if (instance->IsDiscarded()) {
            instance.reset();
            free = &instance;
            break;
        }
    }
    if (!free)
        return nullptr;
    if (device_ && !buffers_[slot])
        return nullptr;
    *free = std::make_unique<DSoundInstance>(this, device_ ? buffers_[slot].get() : nullptr);
    DSoundInstance* made = free->get();
    made->SetDefaultPan(defaultPans_[slot]);
    made->SetDefaultVolume(defaultVolumes_[slot]);
    return made;
}

void DSoundManager::FreeAllSounds()
{
    // Names go with the buffers: a later FindOrLoadSound loads them anew
    // instead of handing out an id that holds nothing.
    for (int id = 0; id < kMaxSounds; ++id)
        FreeSound(id);
}

void DSoundManager::DeleteAllInstances()
{
    for (auto& instance : instances_)
        instance.reset();
}

namespace {

// The wave-out line's volume control, opened for one read or write.
struct WaveVolumeControl {
    HMIXER mixer = nullptr;
    MIXERCONTROLA control{};
    bool ok = false;

    WaveVolumeControl()
    {
        if (mixerOpen(&mixer, 0, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR)
            return;
        MIXERLINEA line{};
        line.cbStruct = sizeof line;
        line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
        if (mixerGetLineInfoA(mixer, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) !=
            MMSYSERR_NOERROR)
            return;
        MIXERLINECONTROLSA controls{};
        controls.cbStruct = sizeof controls;
        controls.dwLineID = line.dwLineID;
        controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
        controls.cControls = 1;
        controls.cbmxctrl = sizeof control;
        controls.pamxctrl = &control;
        ok = mixerGetLineControlsA(mixer, &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) ==
             MMSYSERR_NOERROR;
    }
    ~WaveVolumeControl()
    {
        if (mixer)
            mixerClose(mixer);
    }
    MIXERCONTROLDETAILS Details(MIXERCONTROLDETAILS_UNSIGNED* value)
    {
        MIXERCONTROLDETAILS details{};
        details.cbStruct = sizeof details;
        details.dwControlID = control.dwControlID;
        details.cChannels = 1; // uniform
        details.cbDetails = sizeof *value;
        details.paDetails = value;
        return details;
    }
};

} // namespace

double DSoundManager::ReadMixerVolume()
{
    // A mixer that cannot be read says nothing about the volume; full volume
    // is what the player hears then.
    WaveVolumeControl wave;
    if (!wave.ok)
        return 1.0;
    MIXERCONTROLDETAILS_UNSIGNED value{65535};
    MIXERCONTROLDETAILS details = wave.Details(&value);
    if (mixerGetControlDetailsA(wave.mixer, &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) !=
        MMSYSERR_NOERROR)
        return 1.0;
    return value.dwValue / 65535.0;
}

void DSoundManager::WriteMixerVolume(double volume)
{
    WaveVolumeControl wave;
    if (!wave.ok)
        return;
    MIXERCONTROLDETAILS_UNSIGNED value{static_cast<DWORD>(std::clamp(volume, 0.0, 1.0) * 65535.0)};
    MIXERCONTROLDETAILS details = wave.Details(&value);
    mixerSetControlDetails(wave.mixer, &details, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE);
}

void DSoundManager::Refresh() {}

void DSoundManager::AttachWindow(HWND window, bool windowed)
{
    (void)windowed;
    if (device_)
        device_->SetCooperativeLevel(window, DSSCL_NORMAL);
}

void DSoundManager::HaltAllSounds()
{
    for (auto& instance : instances_) {
        if (!instance)
            continue;
        bool discard = instance->DiscardWhenDone();
        instance->Halt();
        instance->SetDiscardWhenDone(discard);
    }
}

int DSoundManager::FirstFreeSoundId()
{
    for (int id = 0; id < kMaxSounds; ++id)
        if (!buffers_[static_cast<size_t>(id)])
            return id;
    return -1;
}

int DSoundManager::CountLoadedSounds()
{
    return static_cast<int>(std::count_if(buffers_.begin(), buffers_.end(), [](const auto& b) { return b != nullptr; }));
}

bool DSoundManager::CreateBuffer(int id, int channels, uint32_t rate, int bits, uint32_t size)
{
    if (!ValidId(id) || !device_ || channels < 1 || channels > 2 || (bits != 8 && bits != 16))
        return false;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = rate;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = format.nBlockAlign * rate;
    format.wBitsPerSample = static_cast<WORD>(bits);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN |
                   DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = size;
    desc.lpwfxFormat = &format;
    DirectSoundBuffer* buffer = nullptr;
    if (FAILED(device_->CreateSoundBuffer(&desc, &buffer, nullptr)))
        return false;
    auto slot = static_cast<size_t>(id);
    buffers_[slot].reset(buffer);
    dataSizes_[slot] = size;
    return true;
}

} // namespace Zolt
