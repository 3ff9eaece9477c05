// "bass.dll" over the shared mixer. The library keeps which mixer channels
// are its own (streams and modules, with the pan last set, since the mixer
// keeps pan only as a gain split) and its library-wide volumes.
#include "platform/libs/bass/BassLibrary.h"

#include "platform/core/ModuleRegistry.h"
#include "platform/libs/audio/AudioMixer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace platform::libs::bass {

namespace {

using audio::ChannelState;
using audio::Gain;
using audio::Mixer;

struct Track {
    bool module = false;
    int pan = 0;
};

// Guarded by Library::mutex.
struct Library {
    std::mutex mutex;
    bool initialised = false;
    std::map<DWORD, Track> tracks;
    std::set<DWORD> pausedByStop;
    DWORD streamVolume = 100;
    DWORD musicVolume = 100;
    DWORD masterVolume = 100;
    DWORD bufferLength = 500;
};

Library& Lib()
{
    static Library* library = new Library();
    return *library;
}

thread_local int tLastError = kBassOk;

template <class T>
T Fail(int code, T result)
{
    tLastError = code;
    return result;
}

template <class T>
T Ok(T result)
{
    tLastError = kBassOk;
    return result;
}

float LibraryGain(const Library& lib, bool module)
{
    return float(module ? lib.musicVolume : lib.streamVolume) / 100.0f * float(lib.masterVolume) / 100.0f;
}

void ApplyLibraryGains(Library& lib)
{
    for (const auto& [handle, track] : lib.tracks)
        Mixer::Instance().SetGain(handle, Gain::Library, LibraryGain(lib, track.module));
}

// The track of `channel`, or null (error set) when it is not ours.
Track* FindTrack(Library& lib, DWORD channel)
{
    auto it = lib.tracks.find(channel);
    if (it == lib.tracks.end()) {
        tLastError = kBassErrorHandle;
        return nullptr;
    }
    return &it->second;
}

DWORD AddTrack(Library& lib, std::unique_ptr<audio::Decoder> decoder, DWORD flags)
{
    const bool module = decoder->IsModule();
    const DWORD handle = Mixer::Instance().AddDecoder(std::move(decoder));
    if (handle == 0)
        return Fail(kBassErrorUnknown, DWORD(0));
    lib.tracks[handle] = Track{module, 0};
    Mixer::Instance().SetLooping(handle, (flags & kBassLoop) != 0);
    Mixer::Instance().SetGain(handle, Gain::Library, LibraryGain(lib, module));
    return Ok(handle);
}

// The bytes of a file or of caller memory; false (error set) when there are none.
bool SourceBytes(BOOL memory, const void* file, QWORD offset, QWORD length, audio::Bytes& out)
{
    if (!file)
        return Fail(kBassErrorIllegalParameter, false);
    if (memory) {
        if (length == 0 || length > audio::kMaxAudioFileBytes)
            return Fail(kBassErrorIllegalParameter, false);
        const auto* start = static_cast<const uint8_t*>(file) + offset;
        out.assign(start, start + length);
        return true;
    }
    if (!audio::ReadWholeFile(static_cast<const char*>(file), out))
        return Fail(kBassErrorFileOpen, false);
    if (offset > out.size())
        return Fail(kBassErrorIllegalParameter, false);
    const QWORD end = length ? std::min<QWORD>(out.size(), offset + length) : out.size();
    out = audio::Bytes(out.begin() + ptrdiff_t(offset), out.begin() + ptrdiff_t(end));
    return true;
}

// ---- The library as a whole.

BOOL Init(int, DWORD, DWORD, HWND, const void*)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (lib.initialised)
        return Fail(kBassErrorAlready, FALSE);
    lib.initialised = true;
    return Ok(TRUE);
}

BOOL Free()
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!lib.initialised)
        return Fail(kBassErrorNotInitialised, FALSE);
    for (const auto& [handle, track] : lib.tracks)
        Mixer::Instance().Remove(handle);
    lib.tracks.clear();
    lib.pausedByStop.clear();
    lib.initialised = false;
    return Ok(TRUE);
}

BOOL Stop()
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!lib.initialised)
        return Fail(kBassErrorNotInitialised, FALSE);
    for (const auto& [handle, track] : lib.tracks)
        if (Mixer::Instance().Pause(handle))
            lib.pausedByStop.insert(handle);
    return Ok(TRUE);
}

BOOL Start()
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!lib.initialised)
        return Fail(kBassErrorNotInitialised, FALSE);
    for (DWORD handle : lib.pausedByStop)
        if (Mixer::Instance().State(handle) == ChannelState::Paused)
            Mixer::Instance().Play(handle, false);
    lib.pausedByStop.clear();
    return Ok(TRUE);
}

BOOL SetGlobalVolumes(int music, int, int stream)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (music >= 0)
        lib.musicVolume = DWORD(std::min(music, 100));
    if (stream >= 0)
        lib.streamVolume = DWORD(std::min(stream, 100));
    ApplyLibraryGains(lib);
    return Ok(TRUE);
}

BOOL SetVolume(DWORD volume)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (volume > 100)
        return Fail(kBassErrorIllegalParameter, FALSE);
    lib.masterVolume = volume;
    ApplyLibraryGains(lib);
    return Ok(TRUE);
}

DWORD GetVolume()
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    return Ok(lib.masterVolume);
}

DWORD SetConfig(DWORD option, DWORD value)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    switch (option) {
    case kBassConfigBuffer:
        lib.bufferLength = std::clamp<DWORD>(value, 10, 5000);
        return Ok(lib.bufferLength);
    case kBassConfigStreamVolume:
        lib.streamVolume = std::min<DWORD>(value, 100);
        ApplyLibraryGains(lib);
        return Ok(lib.streamVolume);
    case kBassConfigMusicVolume:
        lib.musicVolume = std::min<DWORD>(value, 100);
        ApplyLibraryGains(lib);
        return Ok(lib.musicVolume);
    default:
        return Fail(kBassErrorIllegalParameter, DWORD(-1));
    }
}

DWORD GetConfig(DWORD option)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    switch (option) {
    case kBassConfigBuffer:
        return Ok(lib.bufferLength);
    case kBassConfigStreamVolume:
        return Ok(lib.streamVolume);
    case kBassConfigMusicVolume:
        return Ok(lib.musicVolume);
    default:
        return Fail(kBassErrorIllegalParameter, DWORD(-1));
    }
}

BOOL GetInfo(BassInfo* info)
{
    if (!info)
        return Fail(kBassErrorIllegalParameter, FALSE);
    info->flags = 0;
    info->rate = audio::kOutputRate;
    info->speakers = 2;
    return Ok(TRUE);
}

DWORD GetVersion() { return kBassVersion; }
int ErrorGetCode() { return tLastError; }

// ---- Channels.

BOOL ChannelStop(DWORD channel)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!FindTrack(lib, channel))
        return FALSE;
    lib.pausedByStop.erase(channel);
    Mixer::Instance().Stop(channel);
    return Ok(TRUE);
}

BOOL ChannelPlay(DWORD channel, BOOL restart)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!FindTrack(lib, channel))
        return FALSE;
    lib.pausedByStop.erase(channel);
    Mixer::Instance().Play(channel, restart != FALSE);
    return Ok(TRUE);
}

BOOL ChannelPause(DWORD channel)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!FindTrack(lib, channel))
        return FALSE;
    if (!Mixer::Instance().Pause(channel))
        return Fail(kBassErrorNotPlaying, FALSE);
    return Ok(TRUE);
}

BOOL ChannelSetAttributes(DWORD channel, int rate, int volume, int pan)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Track* track = FindTrack(lib, channel);
    if (!track)
        return FALSE;
    if ((rate != -1 && (rate < 0 || (rate > 0 && (rate < 100 || rate > 100000)))) ||
        (volume != -1 && (volume < 0 || volume > 100)) || (pan != -101 && (pan < -100 || pan > 100)))
        return Fail(kBassErrorIllegalParameter, FALSE);
    if (rate != -1)
        Mixer::Instance().SetRate(channel, rate);
    if (volume != -1)
        Mixer::Instance().SetGain(channel, Gain::Volume, float(volume) / 100.0f);
    if (pan != -101) {
        track->pan = pan;
        Mixer::Instance().SetPan(channel, float(pan) / 100.0f);
    }
    return Ok(TRUE);
}

BOOL ChannelGetAttributes(DWORD channel, DWORD* rate, DWORD* volume, int* pan)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Track* track = FindTrack(lib, channel);
    if (!track)
        return FALSE;
    if (rate)
        *rate = DWORD(Mixer::Instance().GetRate(channel));
    if (volume)
        *volume = DWORD(std::lround(Mixer::Instance().GetGain(channel, Gain::Volume) * 100.0f));
    if (pan)
        *pan = track->pan;
    return Ok(TRUE);
}

BOOL ChannelSetPosition(DWORD channel, QWORD position)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Track* track = FindTrack(lib, channel);
    if (!track)
        return FALSE;
    Mixer& mixer = Mixer::Instance();
    if (track->module) {
        const bool order = (position & kBassOrderPosition) != 0 || position == 0;
        if (!order || !mixer.SetOrder(channel, int(position & 0xFFFF)))
            return Fail(kBassErrorPosition, FALSE);
        return Ok(TRUE);
    }
    const QWORD frameBytes = QWORD(mixer.SourceChannels(channel)) * 2;
    if (!mixer.SetPosition(channel, position / frameBytes))
        return Fail(kBassErrorPosition, FALSE);
    return Ok(TRUE);
}

QWORD ChannelGetPosition(DWORD channel)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Track* track = FindTrack(lib, channel);
    if (!track)
        return QWORD(-1);
    Mixer& mixer = Mixer::Instance();
    if (track->module)
        return Ok(QWORD(mixer.CurrentOrder(channel)));
    return Ok(mixer.Position(channel) * QWORD(mixer.SourceChannels(channel)) * 2);
}

QWORD ChannelGetLength(DWORD channel)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Track* track = FindTrack(lib, channel);
    if (!track)
        return QWORD(-1);
    Mixer& mixer = Mixer::Instance();
    if (track->module)
        return Ok(QWORD(mixer.OrderCount(channel)));
    return Ok(mixer.Length(channel) * QWORD(mixer.SourceChannels(channel)) * 2);
}

DWORD ChannelIsActive(DWORD channel)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!FindTrack(lib, channel))
        return kBassActiveStopped;
    switch (Mixer::Instance().State(channel)) {
    case ChannelState::Playing:
        return Ok(kBassActivePlaying);
    case ChannelState::Paused:
        return Ok(kBassActivePaused);
    default:
        return Ok(kBassActiveStopped);
    }
}

BOOL ChannelSetFlags(DWORD channel, DWORD flags)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!FindTrack(lib, channel))
        return FALSE;
    Mixer::Instance().SetLooping(channel, (flags & kBassLoop) != 0);
    return Ok(TRUE);
}

BOOL ChannelPreBuf(DWORD channel)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    return FindTrack(lib, channel) ? Ok(TRUE) : FALSE;
}

// ---- Modules and streams.

DWORD MusicLoad(BOOL memory, const void* file, QWORD offset, DWORD length, DWORD flags, DWORD)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!lib.initialised)
        return Fail(kBassErrorNotInitialised, DWORD(0));
    audio::Bytes bytes;
    if (!SourceBytes(memory, file, offset, length, bytes))
        return 0;
    std::unique_ptr<audio::Decoder> decoder = audio::OpenModule(bytes);
    if (!decoder)
        return Fail(kBassErrorFormat, DWORD(0));
    return AddTrack(lib, std::move(decoder), flags);
}

BOOL RemoveTrack(DWORD handle, bool module)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Track* track = FindTrack(lib, handle);
    if (!track || track->module != module)
        return Fail(kBassErrorHandle, FALSE);
    lib.tracks.erase(handle);
    lib.pausedByStop.erase(handle);
    Mixer::Instance().Remove(handle);
    return Ok(TRUE);
}

BOOL MusicFree(DWORD music) { return RemoveTrack(music, true); }
BOOL StreamFree(DWORD stream) { return RemoveTrack(stream, false); }

DWORD MusicGetAttribute(DWORD music, DWORD attribute)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Track* track = FindTrack(lib, music);
    if (!track)
        return DWORD(-1);
    if (attribute != kBassMusicAttribAmplify)
        return Fail(kBassErrorIllegalParameter, DWORD(-1));
    return Ok(DWORD(std::lround(Mixer::Instance().GetGain(music, Gain::Boost) * 100.0f)));
}

// Amplification in percent of the module's own level, 0..200.
DWORD MusicSetAttribute(DWORD music, DWORD attribute, DWORD value)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Track* track = FindTrack(lib, music);
    if (!track)
        return DWORD(-1);
    if (attribute != kBassMusicAttribAmplify || value > 200)
        return Fail(kBassErrorIllegalParameter, DWORD(-1));
    Mixer::Instance().SetGain(music, Gain::Boost, float(value) / 100.0f);
    return Ok(value);
}

DWORD MusicGetOrders(DWORD music)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Track* track = FindTrack(lib, music);
    return track ? Ok(DWORD(Mixer::Instance().OrderCount(music))) : DWORD(-1);
}

DWORD MusicGetOrderPosition(DWORD music)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Track* track = FindTrack(lib, music);
    return track ? Ok(DWORD(Mixer::Instance().CurrentOrder(music))) : DWORD(-1);
}

DWORD StreamCreateFile(BOOL memory, const void* file, QWORD offset, QWORD length, DWORD flags)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!lib.initialised)
        return Fail(kBassErrorNotInitialised, DWORD(0));
    audio::Bytes bytes;
    if (!SourceBytes(memory, file, offset, length, bytes))
        return 0;
    std::unique_ptr<audio::Decoder> decoder = audio::OpenStream(std::move(bytes));
    if (!decoder)
        return Fail(kBassErrorFormat, DWORD(0));
    return AddTrack(lib, std::move(decoder), flags);
}

// ---- Entries that exist for the program's look-up but are not offered here.

BOOL SlideAttributes(DWORD, int, int, int, DWORD) { return Fail(kBassErrorNotAvailable, FALSE); }
DWORD IsSliding(DWORD) { return Fail(kBassErrorNotAvailable, DWORD(0)); }
DWORD GetLevel(DWORD) { return Fail(kBassErrorNotAvailable, DWORD(-1)); }
DWORD SetSync(DWORD, DWORD, QWORD, BassSyncProc, void*) { return Fail(kBassErrorNotAvailable, DWORD(0)); }
BOOL RemoveSync(DWORD, DWORD) { return Fail(kBassErrorNotAvailable, FALSE); }
DWORD GetData(DWORD, void*, DWORD) { return Fail(kBassErrorNotAvailable, DWORD(-1)); }
BOOL FxSetParameters(DWORD, const void*) { return Fail(kBassErrorNotAvailable, FALSE); }
BOOL FxGetParameters(DWORD, void*) { return Fail(kBassErrorNotAvailable, FALSE); }
DWORD SetFx(DWORD, DWORD, int) { return Fail(kBassErrorNotAvailable, DWORD(0)); }
BOOL RemoveFx(DWORD, DWORD) { return Fail(kBassErrorNotAvailable, FALSE); }
DWORD SampleLoad(BOOL, const void*, QWORD, DWORD, DWORD, DWORD) { return Fail(kBassErrorNotAvailable, DWORD(0)); }
BOOL SampleFree(DWORD) { return Fail(kBassErrorNotAvailable, FALSE); }
BOOL SampleSetInfo(DWORD, const void*) { return Fail(kBassErrorNotAvailable, FALSE); }
BOOL SampleGetInfo(DWORD, void*) { return Fail(kBassErrorNotAvailable, FALSE); }
DWORD SampleGetChannel(DWORD, BOOL) { return Fail(kBassErrorNotAvailable, DWORD(0)); }
BOOL SampleStop(DWORD) { return Fail(kBassErrorNotAvailable, FALSE); }
DWORD PluginLoad(const char*, DWORD) { return Fail(kBassErrorNotAvailable, DWORD(0)); }

} // namespace

void RegisterBassLibrary()
{
    using platform::Entry;
    RegisterModule(kBassModuleName, {
        Entry("BASS_Init", static_cast<BassInitFn>(&Init)),
        Entry("BASS_Free", static_cast<BassFreeFn>(&Free)),
        Entry("BASS_Stop", static_cast<BassStopFn>(&Stop)),
        Entry("BASS_Start", static_cast<BassStartFn>(&Start)),
        Entry("BASS_SetGlobalVolumes", static_cast<BassSetGlobalVolumesFn>(&SetGlobalVolumes)),
        Entry("BASS_SetVolume", static_cast<BassSetVolumeFn>(&SetVolume)),
        Entry("BASS_SetConfig", static_cast<BassSetConfigFn>(&SetConfig)),
        Entry("BASS_GetConfig", static_cast<BassGetConfigFn>(&GetConfig)),
        Entry("BASS_GetVolume", static_cast<BassGetVolumeFn>(&GetVolume)),
        Entry("BASS_GetInfo", static_cast<BassGetInfoFn>(&GetInfo)),
        Entry("BASS_GetVersion", static_cast<BassGetVersionFn>(&GetVersion)),
        Entry("BASS_ChannelStop", static_cast<BassChannelStopFn>(&ChannelStop)),
        Entry("BASS_ChannelPlay", static_cast<BassChannelPlayFn>(&ChannelPlay)),
        Entry("BASS_ChannelPause", static_cast<BassChannelPauseFn>(&ChannelPause)),
        Entry("BASS_ChannelSetAttributes", static_cast<BassChannelSetAttributesFn>(&ChannelSetAttributes)),
        Entry("BASS_ChannelGetAttributes", static_cast<BassChannelGetAttributesFn>(&ChannelGetAttributes)),
        Entry("BASS_ChannelSetPosition", static_cast<BassChannelSetPositionFn>(&ChannelSetPosition)),
        Entry("BASS_ChannelGetPosition", static_cast<BassChannelGetPositionFn>(&ChannelGetPosition)),
        Entry("BASS_ChannelIsActive", static_cast<BassChannelIsActiveFn>(&ChannelIsActive)),
        Entry("BASS_ChannelSetFlags", static_cast<BassChannelSetFlagsFn>(&ChannelSetFlags)),
        Entry("BASS_ChannelSlideAttributes", static_cast<BassChannelSlideAttributesFn>(&SlideAttributes)),
        Entry("BASS_ChannelIsSliding", static_cast<BassChannelIsSlidingFn>(&IsSliding)),
        Entry("BASS_ChannelGetLevel", static_cast<BassChannelGetLevelFn>(&GetLevel)),
        Entry("BASS_ChannelSetSync", static_cast<BassChannelSetSyncFn>(&SetSync)),
        Entry("BASS_ChannelRemoveSync", static_cast<BassChannelRemoveSyncFn>(&RemoveSync)),
        Entry("BASS_ChannelGetData", static_cast<BassChannelGetDataFn>(&GetData)),
        Entry("BASS_FXSetParameters", static_cast<BassFxSetParametersFn>(&FxSetParameters)),
        Entry("BASS_FXGetParameters", static_cast<BassFxGetParametersFn>(&FxGetParameters)),
        Entry("BASS_ChannelSetFX", static_cast<BassChannelSetFxFn>(&SetFx)),
        Entry("BASS_ChannelRemoveFX", static_cast<BassChannelRemoveFxFn>(&RemoveFx)),
        Entry("BASS_MusicLoad", static_cast<BassMusicLoadFn>(&MusicLoad)),
        Entry("BASS_MusicFree", static_cast<BassMusicFreeFn>(&MusicFree)),
        Entry("BASS_MusicGetAttribute", static_cast<BassMusicGetAttributeFn>(&MusicGetAttribute)),
        Entry("BASS_MusicSetAttribute", static_cast<BassMusicSetAttributeFn>(&MusicSetAttribute)),
        Entry("BASS_StreamCreateFile", static_cast<BassStreamCreateFileFn>(&StreamCreateFile)),
        Entry("BASS_StreamFree", static_cast<BassStreamFreeFn>(&StreamFree)),
        Entry("BASS_MusicGetOrders", static_cast<BassMusicGetOrdersFn>(&MusicGetOrders)),
        Entry("BASS_MusicGetOrderPosition", static_cast<BassMusicGetOrderPositionFn>(&MusicGetOrderPosition)),
        Entry("BASS_SampleLoad", static_cast<BassSampleLoadFn>(&SampleLoad)),
        Entry("BASS_SampleFree", static_cast<BassSampleFreeFn>(&SampleFree)),
        Entry("BASS_SampleSetInfo", static_cast<BassSampleSetInfoFn>(&SampleSetInfo)),
        Entry("BASS_SampleGetInfo", static_cast<BassSampleGetInfoFn>(&SampleGetInfo)),
        Entry("BASS_SampleGetChannel", static_cast<BassSampleGetChannelFn>(&SampleGetChannel)),
        Entry("BASS_SampleStop", static_cast<BassSampleStopFn>(&SampleStop)),
        Entry("BASS_ErrorGetCode", static_cast<BassErrorGetCodeFn>(&ErrorGetCode)),
        Entry("BASS_PluginLoad", static_cast<BassPluginLoadFn>(&PluginLoad)),
        Entry("BASS_ChannelGetLength", static_cast<BassChannelGetLengthFn>(&ChannelGetLength)),
        Entry("BASS_ChannelPreBuf", static_cast<BassChannelPreBufFn>(&ChannelPreBuf)),
    });
}

} // namespace platform::libs::bass

namespace platform::testing {
bool BassLibraryInitialised()
{
    auto& lib = platform::libs::bass::Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    return lib.initialised;
}

void ResetBassLibrarySettings()
{
    auto& lib = platform::libs::bass::Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    const platform::libs::bass::Library fresh;
    lib.streamVolume = fresh.streamVolume;
    lib.musicVolume = fresh.musicVolume;
    lib.masterVolume = fresh.masterVolume;
    lib.bufferLength = fresh.bufferLength;
}
} // namespace platform::testing
