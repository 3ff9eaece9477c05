// The music service over fmod.dll, a closed audio library loaded at run
// time. Its functions are taken by name into FMOD_INSTANCE, one table for
// the whole process shared by an atomic reference count: the sound manager
// uses it too (to set the library up and to decode MP3 sounds). The first
// AcquireFmodInstance loads "fmod.dll", the last ReleaseFmodInstance frees
// it; a missing library or function shows a message box (caption "Error")
// and ends the process with code 0.
//
// Tracks are songs (the library's music player) or samples. A sample track
// plays on the library channel numbered as its id. Samples are decoded from
// Ogg Vorbis once and kept as plain WAV files under the application-data
// folder ("cached\" + the file's name); two can be joined into one track
// made of an introduction and a loop.
//
// A song or sample loaded under an id that is taken is let go again (with
// "_FMUSIC_FreeSong@4" for a song, which the table takes when the library
// has it), so that nothing stays loaded with no track to reach it.
//
// Threads: any (the main loop fades, the time thread starts and stops the
// toolkit's sounds); the track table's lock guards the tracks, the overall
// volume and the volume scales, and is held across the library calls for
// them. The function table is filled once and then only read; its
// reference count is atomic.
#pragma once

#include "framework/sound/MusicInterface.h"
#include "framework/sound/MusicTrackTable.h"
#include "platform/libs/fmod/FmodLibrary.h"

#include <cstdint>
#include <optional>
#include <string>

namespace Zolt {

struct FMOD_INSTANCE {
    FMOD_INSTANCE() = default;
    ~FMOD_INSTANCE(); // frees the library
    FMOD_INSTANCE(const FMOD_INSTANCE&) = delete;
    FMOD_INSTANCE& operator=(const FMOD_INSTANCE&) = delete;

    platform::HMODULE module = nullptr;

    platform::libs::fmod::FsoundSetBufferSizeFn FSOUND_SetBufferSize = nullptr;
    platform::libs::fmod::FsoundSetHwndFn FSOUND_SetHWND = nullptr;
    platform::libs::fmod::FsoundInitFn FSOUND_Init = nullptr;
    platform::libs::fmod::FsoundCloseFn FSOUND_Close = nullptr;
    platform::libs::fmod::FsoundSampleLoadFn FSOUND_Sample_Load = nullptr;
    platform::libs::fmod::FsoundSampleAllocFn FSOUND_Sample_Alloc = nullptr;
    platform::libs::fmod::FsoundSampleFreeFn FSOUND_Sample_Free = nullptr;
    platform::libs::fmod::FsoundSampleLockFn FSOUND_Sample_Lock = nullptr;
    platform::libs::fmod::FsoundSampleUnlockFn FSOUND_Sample_Unlock = nullptr;
    platform::libs::fmod::FsoundSampleSetLoopPointsFn FSOUND_Sample_SetLoopPoints = nullptr;
    platform::libs::fmod::FsoundSampleGetLengthFn FSOUND_Sample_GetLength = nullptr;
    platform::libs::fmod::FsoundSampleGetDefaultsFn FSOUND_Sample_GetDefaults = nullptr;
    platform::libs::fmod::FsoundSampleGetModeFn FSOUND_Sample_GetMode = nullptr;
    platform::libs::fmod::FsoundPlaySoundFn FSOUND_PlaySound = nullptr;
    platform::libs::fmod::FsoundStopSoundFn FSOUND_StopSound = nullptr;
    platform::libs::fmod::FsoundSetVolumeFn FSOUND_SetVolume = nullptr;
    platform::libs::fmod::FsoundSetPausedFn FSOUND_SetPaused = nullptr;
    platform::libs::fmod::FsoundSetLoopModeFn FSOUND_SetLoopMode = nullptr;
    platform::libs::fmod::FsoundIsPlayingFn FSOUND_IsPlaying = nullptr;
    platform::libs::fmod::FsoundStreamOpenFileFn FSOUND_Stream_OpenFile = nullptr;
    platform::libs::fmod::FsoundStreamCloseFn FSOUND_Stream_Close = nullptr;
    platform::libs::fmod::FsoundStreamPlayFn FSOUND_Stream_Play = nullptr;
    platform::libs::fmod::FmusicLoadSongFn FMUSIC_LoadSong = nullptr;
    platform::libs::fmod::FmusicPlaySongFn FMUSIC_PlaySong = nullptr;
    platform::libs::fmod::FmusicStopSongFn FMUSIC_StopSong = nullptr;
    platform::libs::fmod::FmusicSetLoopingFn FMUSIC_SetLooping = nullptr;
    platform::libs::fmod::FmusicSetOrderFn FMUSIC_SetOrder = nullptr;
    platform::libs::fmod::FmusicSetPausedFn FMUSIC_SetPaused = nullptr;
    platform::libs::fmod::FmusicSetMasterVolumeFn FMUSIC_SetMasterVolume = nullptr;
    platform::libs::fmod::FmusicIsPlayingFn FMUSIC_IsPlaying = nullptr;
    platform::libs::fmod::FmusicFreeSongFn FMUSIC_FreeSong = nullptr; // optional
};

// The shared table (loaded on first use); each call counts a reference.
FMOD_INSTANCE* AcquireFmodInstance();
// Drops a reference; the last one deletes the table and frees the library.
void ReleaseFmodInstance();

struct FModTrack : TrackFade {
    uint32_t sample = 0; // 0 for a song
    uint32_t module = 0; // 0 for a sample
    uint8_t sampleLoop = 0;
};

class FModMusicInterface : public MusicInterface, private TrackChannels<FModTrack> {
public:
    // The argument (the main window) is not used.
    explicit FModMusicInterface(platform::HWND window);
    ~FModMusicInterface() override;

    bool LoadMusicFile(int id, const std::string& fileName) override;
    void StartTrack(int id, int offset, bool noLoop) override;
    void StartTrackAtVolume(int id, double volume, int offset, bool noLoop) override;
    void HaltTrack(int id) override;
    void HoldTrack(int id) override;
    void ContinueTrack(int id) override;
    void HaltAllTracks() override;
    void FadeTrackIn(int id, int offset, double speed, bool noLoop) override;
    void FadeTrackOut(int id, bool stopWhenFaded, double speed) override;
    void FadeAllTracksOut(bool stopWhenFaded, double speed) override;
    void SetTrackVolume(int id, double volume) override;
    bool IsTrackPlaying(int id) override;
    void SetOverallVolume(double volume) override;
    void AdvanceFades() override;
    bool IsFading() override { return tracks_.MayBeFading(); }
    // DropTrack, DropAllTracks, HoldAllTracks, ContinueAllTracks,
    // SetTrackVolumeCap and SetTrackBoost do nothing here.

    // One track of `first` (played once) followed by `second` (repeated
    // when `loop`); both named without extension, as LoadCachedFmodSample.
    virtual bool LoadTrackFromCache(int id, const std::string& first, const std::string& second, bool loop);
    // A sample track of the named sound (without extension).
    virtual bool LoadSampleTrack(int id, const std::string& fileName, bool loop);

    // The sample of `name` + ".ogg", from the cached WAV of it when there is
    // one, else decoded and then cached; 0 when neither loads.
    uint32_t LoadCachedFmodSample(const std::string& name);
    // Where LoadCachedFmodSample keeps the sound of `name`.
    static std::string CacheFileName(const std::string& name);

    // A copy of the record of a loaded id, or nothing.
    std::optional<FModTrack> FindTrack(int id) const;

private:
    void SendVolume(int id, const FModTrack& track) override;
    void StopChannel(int id, const FModTrack& track) override;
    void Start(int id, FModTrack& track, double volume, int offset, bool noLoop);
    void PlaySample(int id, const FModTrack& track);
    // Files the track under the id, or lets its song or sample go when the
    // id is taken.
    void Keep(int id, const FModTrack& track);

    FMOD_INSTANCE* fmod_ = nullptr;
    MusicTrackTable<FModTrack> tracks_{*this};
    double overallVolume_ = 1.0;  // guarded by the table's lock
    int moduleVolumeScale_ = 100; // guarded by the table's lock
    int sampleVolumeScale_ = 100; // guarded by the table's lock
};

} // namespace Zolt
