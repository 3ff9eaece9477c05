#include "framework/sound/BassMusicInterface.h"

#include "framework/sound/AudioLibraryTable.h"
#include "platform/dsound/WaveMixer.h"
#include "platform/libs/audio/AudioDecoder.h"

#include <algorithm>
#include <cctype>

namespace Zolt {

namespace {

using platform::FALSE;
using platform::TRUE;
using platform::libs::bass::QWORD;

constexpr const char* kMissingBassFunction = "%s function not found in bass.dll";

SharedAudioTable<BASS_INSTANCE> gBassTable;

std::unique_ptr<BASS_INSTANCE> CreateBassInstance()
{
    auto bass = std::make_unique<BASS_INSTANCE>();
    bass->module = LoadAudioLibrary(".\\bass.dll", "Can't find bass.dll.");
    platform::HMODULE m = bass->module;
    bass->version2 = platform::GetEntry(m, "BASS_SetConfig") != nullptr;
    auto take = [&](const char* name, auto& slot) { TakeAudioEntry(m, name, slot, kMissingBassFunction, name); };

    if (bass->version2)
        take("BASS_Init", bass->BASS_Init);
    else
        take("BASS_Init", bass->BASS_InitV1);
    take("BASS_Free", bass->BASS_Free);
    take("BASS_Stop", bass->BASS_Stop);
    take("BASS_Start", bass->BASS_Start);
    TakeOptionalAudioEntry(m, "BASS_SetGlobalVolumes", bass->BASS_SetGlobalVolumes);
    TakeOptionalAudioEntry(m, "BASS_SetVolume", bass->BASS_SetVolume);
    if (!bass->BASS_SetGlobalVolumes && !bass->BASS_SetVolume)
        AbortMissingAudioLibrary("Neither BASS_SetGlobalVolumes or BASS_SetVolume found in bass.dll");
    TakeOptionalAudioEntry(m, "BASS_SetConfig", bass->BASS_SetConfig);
    TakeOptionalAudioEntry(m, "BASS_GetConfig", bass->BASS_GetConfig);
    take("BASS_GetVolume", bass->BASS_GetVolume);
    take("BASS_GetInfo", bass->BASS_GetInfo);
    take("BASS_GetVersion", bass->BASS_GetVersion);
    take("BASS_ChannelStop", bass->BASS_ChannelStop);
    take("BASS_ChannelPlay", bass->BASS_ChannelPlay);
    take("BASS_ChannelPause", bass->BASS_ChannelPause);
    take("BASS_ChannelSetAttributes", bass->BASS_ChannelSetAttributes);
    take("BASS_ChannelGetAttributes", bass->BASS_ChannelGetAttributes);
    take("BASS_ChannelSetPosition", bass->BASS_ChannelSetPosition);
    take("BASS_ChannelGetPosition", bass->BASS_ChannelGetPosition);
    take("BASS_ChannelIsActive", bass->BASS_ChannelIsActive);
    take("BASS_ChannelSetFlags", bass->BASS_ChannelSetFlags);
    take("BASS_ChannelSlideAttributes", bass->BASS_ChannelSlideAttributes);
    take("BASS_ChannelIsSliding", bass->BASS_ChannelIsSliding);
    take("BASS_ChannelGetLevel", bass->BASS_ChannelGetLevel);
    take("BASS_ChannelSetSync", bass->BASS_ChannelSetSync);
    take("BASS_ChannelRemoveSync", bass->BASS_ChannelRemoveSync);
    take("BASS_ChannelGetData", bass->BASS_ChannelGetData);
    take("BASS_FXSetParameters", bass->BASS_FXSetParameters);
    take("BASS_FXGetParameters", bass->BASS_FXGetParameters);
    take("BASS_ChannelSetFX", bass->BASS_ChannelSetFX);
    take("BASS_ChannelRemoveFX", bass->BASS_ChannelRemoveFX);
    if (bass->version2)
        take("BASS_MusicLoad", bass->BASS_MusicLoad);
    else
        take("BASS_MusicLoad", bass->BASS_MusicLoadV1);
    take("BASS_MusicFree", bass->BASS_MusicFree);
    take("BASS_MusicGetAttribute", bass->BASS_MusicGetAttribute);
    take("BASS_MusicSetAttribute", bass->BASS_MusicSetAttribute);
    take("BASS_StreamCreateFile", bass->BASS_StreamCreateFile);
    take("BASS_StreamFree", bass->BASS_StreamFree);
    take("BASS_MusicGetOrders", bass->BASS_MusicGetOrders);
    take("BASS_MusicGetOrderPosition", bass->BASS_MusicGetOrderPosition);
    take("BASS_SampleLoad", bass->BASS_SampleLoad);
    take("BASS_SampleFree", bass->BASS_SampleFree);
    take("BASS_SampleSetInfo", bass->BASS_SampleSetInfo);
    take("BASS_SampleGetInfo", bass->BASS_SampleGetInfo);
    take("BASS_SampleGetChannel", bass->BASS_SampleGetChannel);
    take("BASS_SampleStop", bass->BASS_SampleStop);
    take("BASS_ErrorGetCode", bass->BASS_ErrorGetCode);
    if (bass->version2) {
        TakeOptionalAudioEntry(m, "BASS_PluginLoad", bass->BASS_PluginLoad);
        TakeOptionalAudioEntry(m, "BASS_ChannelGetLength", bass->BASS_ChannelGetLength);
        TakeOptionalAudioEntry(m, "BASS_ChannelPreBuf", bass->BASS_ChannelPreBuf);
    }
    return bass;
}

// The wave-out line's volume control of mixer device 0, held open while the
// library starts, so that its value can be written back unchanged: starting
// the library must not change the system's wave volume. Failures of the
// mixer calls leave the value alone.
class SavedWaveOutVolume {
public:
    SavedWaveOutVolume()
    {
        using namespace platform;
        if (mixerOpen(&mixer_, 0, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR) {
            mixer_ = nullptr;
            return;
        }
        MIXERLINEA line{};
        line.cbStruct = sizeof line;
        line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
        if (mixerGetLineInfoA(mixer_, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR)
            return;
        MIXERLINECONTROLSA controls{};
        controls.cbStruct = sizeof controls;
        controls.dwLineID = line.dwLineID;
        controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
        controls.cControls = 1;
        controls.cbmxctrl = sizeof control_;
        controls.pamxctrl = &control_;
        if (mixerGetLineControlsA(mixer_, &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
            MMSYSERR_NOERROR)
            return;
        MIXERCONTROLDETAILS details = Details();
        saved_ = mixerGetControlDetailsA(mixer_, &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) ==
                 MMSYSERR_NOERROR;
    }
    ~SavedWaveOutVolume()
    {
        if (mixer_)
            platform::mixerClose(mixer_);
    }
    SavedWaveOutVolume(const SavedWaveOutVolume&) = delete;
    SavedWaveOutVolume& operator=(const SavedWaveOutVolume&) = delete;

    void WriteBack()
    {
        if (!saved_)
            return;
        MIXERCONTROLDETAILS details = Details();
        platform::mixerSetControlDetails(mixer_, &details,
                                         platform::MIXER_OBJECTF_HMIXER | platform::MIXER_SETCONTROLDETAILSF_VALUE);
    }

private:
    using MIXERCONTROLDETAILS = platform::MIXERCONTROLDETAILS;
    MIXERCONTROLDETAILS Details()
    {
        MIXERCONTROLDETAILS details{};
        details.cbStruct = sizeof details;
        details.dwControlID = control_.dwControlID;
        details.cChannels = 1; // one value for all channels
        details.cbDetails = sizeof value_;
        details.paDetails = &value_;
        return details;
    }

    platform::HMIXER mixer_ = nullptr;
    platform::MIXERCONTROLA control_{};
    platform::MIXERCONTROLDETAILS_UNSIGNED value_{};
    bool saved_ = false;
};

std::string LowerExtension(const std::string& fileName)
{
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos)
        return {};
    std::string extension = fileName.substr(dot + 1);
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

int VolumePercent(double volume) { return int(volume * 100.0); }

} // namespace

BASS_INSTANCE::~BASS_INSTANCE()
{
    if (module)
        platform::FreeModule(module);
}

BASS_INSTANCE* AcquireBassInstance() { return gBassTable.Acquire(&CreateBassInstance); }
void ReleaseBassInstance() { gBassTable.Release(); }

BassMusicInterface::BassMusicInterface(platform::HWND window)
{
    bass_ = AcquireBassInstance();
    SavedWaveOutVolume waveOut;
    if (bass_->version2) {
        bass_->BASS_Init(1, 44100, 0, window, nullptr);
        bass_->BASS_SetConfig(platform::libs::bass::kBassConfigBuffer, 2000);
    } else {
        bass_->BASS_InitV1(-1, 44100, 0, window);
    }
    waveOut.WriteBack();
    bass_->BASS_Start();
    maxMusicVolume_ = 40;
}

BassMusicInterface::~BassMusicInterface()
{
    bass_->BASS_Stop();
    bass_->BASS_Free();
    ReleaseBassInstance();
}

std::optional<BassTrack> BassMusicInterface::FindTrack(int id) const { return tracks_.Find(id); }

void BassMusicInterface::SendVolume(int, const BassTrack& track)
{
    bass_->BASS_ChannelSetAttributes(track.Channel(), -1, VolumePercent(track.volume), -101);
}

void BassMusicInterface::StopChannel(int, const BassTrack& track) { bass_->BASS_ChannelStop(track.Channel()); }

void BassMusicInterface::FreeHandle(const BassTrack& track)
{
    if (track.stream)
        bass_->BASS_StreamFree(track.stream);
    else
        bass_->BASS_MusicFree(track.music);
}

bool BassMusicInterface::LoadMusicFile(int id, const std::string& fileName)
{
    BassTrack track;
    const std::string extension = LowerExtension(fileName);
    if (extension == "wav" || extension == "ogg" || extension == "mp3") {
        track.stream = bass_->BASS_StreamCreateFile(FALSE, fileName.c_str(), 0, 0, 0);
        if (!track.stream)
            return false;
    } else {
        // Read through the file layer and handed over from memory, so a
        // module inside an archive loads as well as a loose one.
        platform::libs::audio::Bytes bytes;
        if (!platform::libs::audio::ReadWholeFile(fileName, bytes))
            return false;
        if (bass_->version2)
            track.music = bass_->BASS_MusicLoad(TRUE, bytes.data(), 0, platform::DWORD(bytes.size()), 0x204, 0);
        else
            track.music = bass_->BASS_MusicLoadV1(TRUE, bytes.data(), 0, platform::DWORD(bytes.size()), 4);
        if (!track.music)
            return false;
    }
    // An id that is taken keeps its track; the one just loaded is let go
    // rather than left loaded with nothing to reach it.
    if (!tracks_.Insert(id, track))
        FreeHandle(track);
    return true;
}

void BassMusicInterface::PlayStream(const BassTrack& track, int offset)
{
    bass_->BASS_ChannelPlay(track.stream, offset != -1 ? TRUE : FALSE);
    if (offset > 0)
        bass_->BASS_ChannelSetPosition(track.stream, QWORD(offset));
}

void BassMusicInterface::PlayModuleFrom(uint32_t music, int order, platform::DWORD flags)
{
    bass_->BASS_ChannelStop(music);
    const QWORD position = 0xFFFFFFFF00000000ull | 0x80000000ull | QWORD(uint32_t(order) & 0xFFFF);
    bass_->BASS_ChannelSetPosition(music, position);
    bass_->BASS_ChannelSetFlags(music, flags);
    bass_->BASS_ChannelPlay(music, FALSE);
}

void BassMusicInterface::Start(int id, BassTrack& track, double volume, int offset, bool noLoop)
{
    track.StartAt(volume);
    track.stopFlag = noLoop ? 1 : 0;
    SendVolume(id, track);
    bass_->BASS_ChannelStop(track.Channel());
    const platform::DWORD loopFlag = noLoop ? 0 : platform::libs::bass::kBassLoop;
    if (track.music) {
        PlayModuleFrom(track.music, offset, loopFlag | (bass_->version2 ? 0x8200 : 0));
    } else {
        bass_->BASS_ChannelSetFlags(track.stream, loopFlag);
        PlayStream(track, offset);
    }
}

void BassMusicInterface::StartTrack(int id, int offset, bool noLoop)
{
    tracks_.With(id, [&](BassTrack& track) { Start(id, track, track.volumeCap, offset, noLoop); });
}

void BassMusicInterface::StartTrackAtVolume(int id, double volume, int offset, bool noLoop)
{
    tracks_.With(id, [&](BassTrack& track) { Start(id, track, volume, offset, noLoop); });
}

void BassMusicInterface::HaltTrack(int id) { tracks_.Halt(id); }

void BassMusicInterface::HoldTrack(int id)
{
    tracks_.With(id, [&](const BassTrack& track) { bass_->BASS_ChannelPause(track.Channel()); });
}

void BassMusicInterface::ContinueTrack(int id)
{
    tracks_.With(id, [&](const BassTrack& track) { bass_->BASS_ChannelPlay(track.Channel(), FALSE); });
}

void BassMusicInterface::HaltAllTracks() { tracks_.HaltAll(); }

void BassMusicInterface::DropTrack(int id)
{
    tracks_.Drop(id, [&](const BassTrack& track) { FreeHandle(track); });
}

void BassMusicInterface::DropAllTracks()
{
    tracks_.DropAll([&](const BassTrack& track) { FreeHandle(track); });
}

void BassMusicInterface::HoldAllTracks()
{
    tracks_.ForEach([&](int, const BassTrack& track) {
        if (bass_->BASS_ChannelIsActive(track.Channel()) == platform::libs::bass::kBassActivePlaying)
            bass_->BASS_ChannelPause(track.Channel());
    });
}

void BassMusicInterface::ContinueAllTracks()
{
    tracks_.ForEach([&](int, const BassTrack& track) {
        if (bass_->BASS_ChannelIsActive(track.Channel()) == platform::libs::bass::kBassActivePaused)
            bass_->BASS_ChannelPlay(track.Channel(), FALSE);
    });
}

void BassMusicInterface::FadeTrackIn(int id, int offset, double speed, bool noLoop)
{
    tracks_.With(id, [&](BassTrack& track) {
        track.volumeStep = speed;
        track.stopFlag = noLoop ? 1 : 0;
        const uint32_t channel = track.Channel();
        bass_->BASS_ChannelStop(channel);
        SendVolume(id, track);
        const platform::DWORD loopFlag = noLoop ? 0 : platform::libs::bass::kBassLoop;
        if (track.music && offset == -1) {
            bass_->BASS_ChannelPlay(channel, TRUE);
        } else if (track.music) {
            PlayModuleFrom(track.music, offset, loopFlag | (bass_->version2 ? 0x200 : 0));
        } else {
            bass_->BASS_ChannelSetFlags(channel, loopFlag);
            PlayStream(track, offset);
        }
    });
}

void BassMusicInterface::FadeTrackOut(int id, bool stopWhenFaded, double speed)
{
    tracks_.With(id, [&](BassTrack& track) {
        // A silent track gets no fade, only the stop for when it next fades.
        if (track.volume != 0.0)
            track.volumeStep = -speed;
        track.stopFlag = stopWhenFaded ? 1 : 0;
    });
}

void BassMusicInterface::FadeAllTracksOut(bool stopWhenFaded, double speed) { tracks_.FadeAllOut(stopWhenFaded, speed); }

void BassMusicInterface::AdvanceFades() { tracks_.AdvanceFades(); }

void BassMusicInterface::SetTrackVolume(int id, double volume) { tracks_.SetVolume(id, volume); }

void BassMusicInterface::SetTrackVolumeCap(int id, double cap)
{
    tracks_.With(id, [&](BassTrack& track) {
        track.volumeCap = cap;
        track.volume = std::min(track.volume, cap);
        SendVolume(id, track);
    });
}

bool BassMusicInterface::IsTrackPlaying(int id)
{
    bool playing = false;
    tracks_.With(id, [&](const BassTrack& track) {
        playing = bass_->BASS_ChannelIsActive(track.Channel()) == platform::libs::bass::kBassActivePlaying;
    });
    return playing;
}

void BassMusicInterface::SetOverallVolume(double volume)
{
    if (bass_->version2) {
        const platform::DWORD percent = platform::DWORD(VolumePercent(volume));
        bass_->BASS_SetConfig(platform::libs::bass::kBassConfigMusicVolume, percent);
        bass_->BASS_SetConfig(platform::libs::bass::kBassConfigStreamVolume, percent);
        return;
    }
    const int level = int(maxMusicVolume_ * volume);
    if (bass_->BASS_SetGlobalVolumes)
        bass_->BASS_SetGlobalVolumes(level, level, level);
    else
        // A library with only the output volume: the whole output follows.
        bass_->BASS_SetVolume(platform::DWORD(VolumePercent(volume)));
}

void BassMusicInterface::SetTrackBoost(int id, double boost)
{
    tracks_.With(id, [&](const BassTrack& track) {
        bass_->BASS_MusicSetAttribute(track.Channel(), platform::libs::bass::kBassMusicAttribAmplify,
                                      platform::DWORD(VolumePercent(boost)));
    });
}

} // namespace Zolt
