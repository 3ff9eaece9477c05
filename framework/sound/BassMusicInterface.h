// The music service over bass.dll, a closed audio library loaded at run
// time. Its functions are taken by name into BASS_INSTANCE, one table for
// the whole process, shared by an atomic reference count: the first
// AcquireBassInstance loads ".\bass.dll" and fills the table, the last
// ReleaseBassInstance frees the library. A missing library or function
// shows a message box (caption "Error") and ends the process with code 0.
//
// A library that has "BASS_SetConfig" is of the second version: its
// "BASS_Init" and "BASS_MusicLoad" take five and six arguments (the *V1
// members stay null), and the version-1 forms otherwise (the plain members
// stay null).
//
// Tracks: files named .wav, .ogg or .mp3 are streams, anything else a
// tracker module. Each track keeps its volume and fade (MusicTrackTable).
//
// Threads: any (the main loop fades, the time thread starts and stops the
// toolkit's sounds); the track table's lock guards the tracks and is held
// across the library calls for them. The function table is filled once and
// then only read; its reference count is atomic.
#pragma once

#include "framework/sound/MusicInterface.h"
#include "framework/sound/MusicTrackTable.h"
#include "platform/libs/bass/BassLibrary.h"

#include <cstdint>
#include <optional>

namespace Zolt {

struct BASS_INSTANCE {
    BASS_INSTANCE() = default;
    ~BASS_INSTANCE(); // frees the library
    BASS_INSTANCE(const BASS_INSTANCE&) = delete;
    BASS_INSTANCE& operator=(const BASS_INSTANCE&) = delete;

    platform::HMODULE module = nullptr;
    bool version2 = false;

    platform::libs::bass::BassInitFn BASS_Init = nullptr;     // version 2
    platform::libs::bass::BassInitV1Fn BASS_InitV1 = nullptr; // version 1
    platform::libs::bass::BassFreeFn BASS_Free = nullptr;
    platform::libs::bass::BassStopFn BASS_Stop = nullptr;
    platform::libs::bass::BassStartFn BASS_Start = nullptr;
    platform::libs::bass::BassSetGlobalVolumesFn BASS_SetGlobalVolumes = nullptr; // either this
    platform::libs::bass::BassSetVolumeFn BASS_SetVolume = nullptr;               // or this, or both
    platform::libs::bass::BassSetConfigFn BASS_SetConfig = nullptr;               // optional
    platform::libs::bass::BassGetConfigFn BASS_GetConfig = nullptr;               // optional
    platform::libs::bass::BassGetVolumeFn BASS_GetVolume = nullptr;
    platform::libs::bass::BassGetInfoFn BASS_GetInfo = nullptr;
    platform::libs::bass::BassGetVersionFn BASS_GetVersion = nullptr;
    platform::libs::bass::BassChannelStopFn BASS_ChannelStop = nullptr;
    platform::libs::bass::BassChannelPlayFn BASS_ChannelPlay = nullptr;
    platform::libs::bass::BassChannelPauseFn BASS_ChannelPause = nullptr;
    platform::libs::bass::BassChannelSetAttributesFn BASS_ChannelSetAttributes = nullptr;
    platform::libs::bass::BassChannelGetAttributesFn BASS_ChannelGetAttributes = nullptr;
    platform::libs::bass::BassChannelSetPositionFn BASS_ChannelSetPosition = nullptr;
    platform::libs::bass::BassChannelGetPositionFn BASS_ChannelGetPosition = nullptr;
    platform::libs::bass::BassChannelIsActiveFn BASS_ChannelIsActive = nullptr;
    platform::libs::bass::BassChannelSetFlagsFn BASS_ChannelSetFlags = nullptr;
    platform::libs::bass::BassChannelSlideAttributesFn BASS_ChannelSlideAttributes = nullptr;
    platform::libs::bass::BassChannelIsSlidingFn BASS_ChannelIsSliding = nullptr;
    platform::libs::bass::BassChannelGetLevelFn BASS_ChannelGetLevel = nullptr;
    platform::libs::bass::BassChannelSetSyncFn BASS_ChannelSetSync = nullptr;
    platform::libs::bass::BassChannelRemoveSyncFn BASS_ChannelRemoveSync = nullptr;
    platform::libs::bass::BassChannelGetDataFn BASS_ChannelGetData = nullptr;
    platform::libs::bass::BassFxSetParametersFn BASS_FXSetParameters = nullptr;
    platform::libs::bass::BassFxGetParametersFn BASS_FXGetParameters = nullptr;
    platform::libs::bass::BassChannelSetFxFn BASS_ChannelSetFX = nullptr;
    platform::libs::bass::BassChannelRemoveFxFn BASS_ChannelRemoveFX = nullptr;
    platform::libs::bass::BassMusicLoadFn BASS_MusicLoad = nullptr;     // version 2
    platform::libs::bass::BassMusicLoadV1Fn BASS_MusicLoadV1 = nullptr; // version 1
    platform::libs::bass::BassMusicFreeFn BASS_MusicFree = nullptr;
    platform::libs::bass::BassMusicGetAttributeFn BASS_MusicGetAttribute = nullptr;
    platform::libs::bass::BassMusicSetAttributeFn BASS_MusicSetAttribute = nullptr;
    platform::libs::bass::BassStreamCreateFileFn BASS_StreamCreateFile = nullptr;
    platform::libs::bass::BassStreamFreeFn BASS_StreamFree = nullptr;
    platform::libs::bass::BassMusicGetOrdersFn BASS_MusicGetOrders = nullptr;
    platform::libs::bass::BassMusicGetOrderPositionFn BASS_MusicGetOrderPosition = nullptr;
    platform::libs::bass::BassSampleLoadFn BASS_SampleLoad = nullptr;
    platform::libs::bass::BassSampleFreeFn BASS_SampleFree = nullptr;
    platform::libs::bass::BassSampleSetInfoFn BASS_SampleSetInfo = nullptr;
    platform::libs::bass::BassSampleGetInfoFn BASS_SampleGetInfo = nullptr;
    platform::libs::bass::BassSampleGetChannelFn BASS_SampleGetChannel = nullptr;
    platform::libs::bass::BassSampleStopFn BASS_SampleStop = nullptr;
    platform::libs::bass::BassErrorGetCodeFn BASS_ErrorGetCode = nullptr;
    // Version 2 only, optional.
    platform::libs::bass::BassPluginLoadFn BASS_PluginLoad = nullptr;
    platform::libs::bass::BassChannelGetLengthFn BASS_ChannelGetLength = nullptr;
    platform::libs::bass::BassChannelPreBufFn BASS_ChannelPreBuf = nullptr;
};

// The shared table (loaded on first use); each call counts a reference.
BASS_INSTANCE* AcquireBassInstance();
// Drops a reference; the last one deletes the table and frees the library.
void ReleaseBassInstance();

struct BassTrack : TrackFade {
    uint32_t music = 0;  // 0 for a stream
    uint32_t stream = 0; // 0 for a module

    uint32_t Channel() const { return music ? music : stream; }
};

class BassMusicInterface : public MusicInterface, private TrackChannels<BassTrack> {
public:
    explicit BassMusicInterface(platform::HWND window);
    ~BassMusicInterface() override;

    bool LoadMusicFile(int id, const std::string& fileName) override;
    void StartTrack(int id, int offset, bool noLoop) override;
    void StartTrackAtVolume(int id, double volume, int offset, bool noLoop) override;
    void HaltTrack(int id) override;
    void HoldTrack(int id) override;
    void ContinueTrack(int id) override;
    void HaltAllTracks() override;
    void DropTrack(int id) override;
    void DropAllTracks() override;
    void HoldAllTracks() override;
    void ContinueAllTracks() override;
    void FadeTrackIn(int id, int offset, double speed, bool noLoop) override;
    void FadeTrackOut(int id, bool stopWhenFaded, double speed) override;
    void FadeAllTracksOut(bool stopWhenFaded, double speed) override;
    void SetTrackVolume(int id, double volume) override;
    void SetTrackVolumeCap(int id, double cap) override;
    bool IsTrackPlaying(int id) override;
    void SetOverallVolume(double volume) override;
    void SetTrackBoost(int id, double boost) override;
    void AdvanceFades() override;
    bool IsFading() override { return tracks_.MayBeFading(); }

    // A copy of the record of a loaded id, or nothing.
    std::optional<BassTrack> FindTrack(int id) const;

private:
    void SendVolume(int id, const BassTrack& track) override;
    void StopChannel(int id, const BassTrack& track) override;
    void Start(int id, BassTrack& track, double volume, int offset, bool noLoop);
    // Stops the module and plays it from the order given, with the flags.
    void PlayModuleFrom(uint32_t music, int order, platform::DWORD flags);
    void PlayStream(const BassTrack& track, int offset);
    void FreeHandle(const BassTrack& track);

    BASS_INSTANCE* bass_ = nullptr;
    MusicTrackTable<BassTrack> tracks_{*this};
    int maxMusicVolume_ = 40;
};

} // namespace Zolt
