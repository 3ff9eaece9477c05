// Our "fmod.dll": the music library of the fmod back end, over the shared
// mixer (platform/libs/audio/AudioMixer.h). It offers samples (sounds
// decoded whole into memory, played on numbered channels), streams and
// songs; files are read through the archive layer.
//
// This header gives the shapes of the entry points, under the exported
// names the program looks up (kFmod*Entry), and the values they take:
//  - Handles of samples, streams and songs are non-zero 32-bit numbers;
//    0 means failure.
//  - Sample modes: kFsoundLoopOff / kFsoundLoopNormal, kFsound8Bits /
//    kFsound16Bits, kFsoundMono / kFsoundStereo. A loaded sample is 16-bit
//    unless it came from an 8-bit WAV file.
//  - Lengths, loop points and offsets of samples count frames, except the
//    offset and length of FSOUND_Sample_Lock, which count bytes. Loop points
//    are inclusive: (start, end) repeats frames start..end.
//  - Channel and song volumes are percentages, 0..100 (more is full volume);
//    pan is 0 (left) .. 128 (centre) .. 255 (right).
//  - Channels are numbered 0..kFsoundChannels-1; kFsoundFree picks the
//    lowest free one.
//  - Songs: FMUSIC_LoadSong takes tracker modules, and WAV, Ogg Vorbis and
//    MP3 files as well (a song that is a stream has one order, 0). Songs
//    loop until FMUSIC_SetLooping turns it off. FMUSIC_FreeSong stops and
//    unloads one.
//  - FSOUND_IsPlaying and FMUSIC_IsPlaying count a paused channel or song
//    as playing.
//
// Threads: any; one library-wide mutex guards the library's state, taken
// before the mixer's.
#pragma once

#include "platform/core/Types.h"
#include "platform/window/WindowTypes.h"

#include <cstddef>
#include <cstdint>

namespace platform::libs::fmod {

constexpr const char* kFmodModuleName = "fmod.dll";

constexpr DWORD kFsoundLoopOff = 0x01;
constexpr DWORD kFsoundLoopNormal = 0x02;
constexpr DWORD kFsound8Bits = 0x08;
constexpr DWORD kFsound16Bits = 0x10;
constexpr DWORD kFsoundMono = 0x20;
constexpr DWORD kFsoundStereo = 0x40;
constexpr int kFsoundFree = -1;
constexpr int kFsoundChannels = 1024;

using FsoundSetBufferSizeFn = BOOL (*)(int milliseconds);
using FsoundSetHwndFn = BOOL (*)(HWND window);
using FsoundInitFn = BOOL (*)(int rate, int channels, DWORD flags);
using FsoundCloseFn = void (*)();
using FsoundSampleLoadFn = DWORD (*)(int index, const char* name, DWORD mode, int memoryLength);
using FsoundSampleAllocFn = DWORD (*)(int index, int length, DWORD mode, int rate, int volume, int pan, int priority);
using FsoundSampleFreeFn = void (*)(DWORD sample);
using FsoundSampleLockFn = BOOL (*)(DWORD sample, int offset, int length, void** part1, void** part2, DWORD* length1,
                                    DWORD* length2);
using FsoundSampleUnlockFn = BOOL (*)(DWORD sample, void* part1, void* part2, DWORD length1, DWORD length2);
using FsoundSampleSetLoopPointsFn = BOOL (*)(DWORD sample, int start, int end);
using FsoundSampleGetLengthFn = DWORD (*)(DWORD sample);
using FsoundSampleGetDefaultsFn = BOOL (*)(DWORD sample, int* rate, int* volume, int* pan, int* priority);
using FsoundSampleGetModeFn = DWORD (*)(DWORD sample);
using FsoundPlaySoundFn = int (*)(int channel, DWORD sample);
using FsoundStopSoundFn = BOOL (*)(int channel);
using FsoundSetVolumeFn = BOOL (*)(int channel, int volume);
using FsoundSetPausedFn = BOOL (*)(int channel, BOOL paused);
using FsoundSetLoopModeFn = BOOL (*)(int channel, DWORD mode);
using FsoundIsPlayingFn = BOOL (*)(int channel);
using FsoundStreamOpenFileFn = DWORD (*)(const char* name, DWORD mode, int memoryLength);
using FsoundStreamCloseFn = BOOL (*)(DWORD stream);
using FsoundStreamPlayFn = int (*)(int channel, DWORD stream);
using FmusicLoadSongFn = DWORD (*)(const char* name);
using FmusicPlaySongFn = BOOL (*)(DWORD song);
using FmusicStopSongFn = BOOL (*)(DWORD song);
using FmusicSetLoopingFn = BOOL (*)(DWORD song, BOOL loop);
using FmusicSetOrderFn = BOOL (*)(DWORD song, int order);
using FmusicSetPausedFn = BOOL (*)(DWORD song, BOOL paused);
using FmusicSetMasterVolumeFn = BOOL (*)(DWORD song, int volume);
using FmusicIsPlayingFn = BOOL (*)(DWORD song);
using FmusicFreeSongFn = BOOL (*)(DWORD song);

constexpr const char* kFsoundSetBufferSizeEntry = "_FSOUND_SetBufferSize@4";
constexpr const char* kFsoundSetHwndEntry = "_FSOUND_SetHWND@4";
constexpr const char* kFsoundInitEntry = "_FSOUND_Init@12";
constexpr const char* kFsoundCloseEntry = "_FSOUND_Close@0";
constexpr const char* kFsoundSampleLoadEntry = "_FSOUND_Sample_Load@16";
constexpr const char* kFsoundSampleAllocEntry = "_FSOUND_Sample_Alloc@28";
constexpr const char* kFsoundSampleFreeEntry = "_FSOUND_Sample_Free@4";
constexpr const char* kFsoundSampleLockEntry = "_FSOUND_Sample_Lock@28";
constexpr const char* kFsoundSampleUnlockEntry = "_FSOUND_Sample_Unlock@20";
constexpr const char* kFsoundSampleSetLoopPointsEntry = "_FSOUND_Sample_SetLoopPoints@12";
constexpr const char* kFsoundSampleGetLengthEntry = "_FSOUND_Sample_GetLength@4";
constexpr const char* kFsoundSampleGetDefaultsEntry = "_FSOUND_Sample_GetDefaults@20";
constexpr const char* kFsoundSampleGetModeEntry = "_FSOUND_Sample_GetMode@4";
constexpr const char* kFsoundPlaySoundEntry = "_FSOUND_PlaySound@8";
constexpr const char* kFsoundStopSoundEntry = "_FSOUND_StopSound@4";
constexpr const char* kFsoundSetVolumeEntry = "_FSOUND_SetVolume@8";
constexpr const char* kFsoundSetPausedEntry = "_FSOUND_SetPaused@8";
constexpr const char* kFsoundSetLoopModeEntry = "_FSOUND_SetLoopMode@8";
constexpr const char* kFsoundIsPlayingEntry = "_FSOUND_IsPlaying@4";
constexpr const char* kFsoundStreamOpenFileEntry = "_FSOUND_Stream_OpenFile@12";
constexpr const char* kFsoundStreamCloseEntry = "_FSOUND_Stream_Close@4";
constexpr const char* kFsoundStreamPlayEntry = "_FSOUND_Stream_Play@8";
constexpr const char* kFmusicLoadSongEntry = "_FMUSIC_LoadSong@4";
constexpr const char* kFmusicPlaySongEntry = "_FMUSIC_PlaySong@4";
constexpr const char* kFmusicStopSongEntry = "_FMUSIC_StopSong@4";
constexpr const char* kFmusicSetLoopingEntry = "_FMUSIC_SetLooping@8";
constexpr const char* kFmusicSetOrderEntry = "_FMUSIC_SetOrder@8";
constexpr const char* kFmusicSetPausedEntry = "_FMUSIC_SetPaused@8";
constexpr const char* kFmusicSetMasterVolumeEntry = "_FMUSIC_SetMasterVolume@8";
constexpr const char* kFmusicIsPlayingEntry = "_FMUSIC_IsPlaying@4";
constexpr const char* kFmusicFreeSongEntry = "_FMUSIC_FreeSong@4";

// Registers (again) the library under kFmodModuleName with all its entries.
void RegisterFmodLibrary();

} // namespace platform::libs::fmod

namespace platform::testing {
// Samples, streams and songs the library holds (to see that callers free
// what they load).
size_t FmodLibraryObjectCount();
} // namespace platform::testing
