// Our "bass.dll": the music library the bass back end of the program loads
// by name. It plays streams (WAV, Ogg Vorbis, MP3) and tracker modules on
// the shared mixer (platform/libs/audio/AudioMixer.h); files are read
// through the archive layer, so tracks inside "main.pak" play too.
//
// This header gives the shapes of the entry points (the program casts each
// entry it looks up to these types) and the values they take. The library
// is the newer kind: it has "BASS_SetConfig", so callers use the five- and
// six-argument forms of "BASS_Init" and "BASS_MusicLoad". (Hiding that entry
// would make a caller take the older shapes, which these entries do not
// have; the older kind is tested with a stand-in library instead.)
//
// Values:
//  - Handles are non-zero 32-bit numbers; 0 means failure, and
//    BASS_ErrorGetCode then tells why (kBassError* below).
//  - Volumes are 0..100; attributes take -1 (frequency, volume) or -101
//    (pan) for "leave unchanged"; pan is -100 (left) .. 100 (right);
//    frequency 0 means the source's own rate.
//  - Channel flags: kBassLoop repeats a channel at its end; other bits are
//    accepted and change nothing here.
//  - Positions: bytes of the decoded 16-bit stream in its own channel count;
//    for a module, a position whose low half has bit 31 set selects the
//    order (pattern-list entry) in its low 16 bits.
//  - BASS_ChannelIsActive: 0 stopped, 1 playing, 3 paused.
//  - Config options: kBassConfigStreamVolume and kBassConfigMusicVolume
//    (0..100) are the volumes of all streams and of all modules.
//  - Entries the program takes but never calls (effects, syncs, slides,
//    levels, data, samples, plugins) exist and report kBassErrorNotAvailable.
//
// Threads: any; one library-wide mutex guards the library's state, taken
// before the mixer's.
#pragma once

#include "platform/core/Types.h"
#include "platform/window/WindowTypes.h"

#include <cstdint>

namespace platform::libs::bass {

using QWORD = uint64_t;

constexpr const char* kBassModuleName = "bass.dll";

constexpr DWORD kBassVersion = 0x02000200;

constexpr DWORD kBassLoop = 4;
constexpr DWORD kBassActiveStopped = 0;
constexpr DWORD kBassActivePlaying = 1;
constexpr DWORD kBassActivePaused = 3;
constexpr DWORD kBassConfigBuffer = 0;
constexpr DWORD kBassConfigStreamVolume = 5;
constexpr DWORD kBassConfigMusicVolume = 6;
constexpr DWORD kBassMusicAttribAmplify = 0;
constexpr QWORD kBassOrderPosition = 0x80000000u;

enum BassError : int {
    kBassOk = 0,
    kBassErrorFileOpen = 2,
    kBassErrorNotInitialised = 8,
    kBassErrorHandle = 5,
    kBassErrorFormat = 6,
    kBassErrorPosition = 7,
    kBassErrorAlready = 14,
    kBassErrorIllegalParameter = 20,
    kBassErrorNotPlaying = 24,
    kBassErrorNotAvailable = 37,
    kBassErrorUnknown = -1,
};

struct BassInfo {
    DWORD size;     // set by the caller to sizeof(BassInfo)
    DWORD flags;
    DWORD rate;     // output frames per second
    DWORD speakers; // output channels
};

using BassInitFn = BOOL (*)(int device, DWORD rate, DWORD flags, HWND window, const void* deviceClass);
using BassInitV1Fn = BOOL (*)(int device, DWORD rate, DWORD flags, HWND window);
using BassFreeFn = BOOL (*)();
using BassStopFn = BOOL (*)();
using BassStartFn = BOOL (*)();
using BassSetGlobalVolumesFn = BOOL (*)(int music, int sample, int stream);
using BassSetVolumeFn = BOOL (*)(DWORD volume);
using BassGetVolumeFn = DWORD (*)();
using BassSetConfigFn = DWORD (*)(DWORD option, DWORD value);
using BassGetConfigFn = DWORD (*)(DWORD option);
using BassGetInfoFn = BOOL (*)(BassInfo* info);
using BassGetVersionFn = DWORD (*)();
using BassErrorGetCodeFn = int (*)();

using BassChannelStopFn = BOOL (*)(DWORD channel);
using BassChannelPlayFn = BOOL (*)(DWORD channel, BOOL restart);
using BassChannelPauseFn = BOOL (*)(DWORD channel);
using BassChannelSetAttributesFn = BOOL (*)(DWORD channel, int rate, int volume, int pan);
using BassChannelGetAttributesFn = BOOL (*)(DWORD channel, DWORD* rate, DWORD* volume, int* pan);
using BassChannelSetPositionFn = BOOL (*)(DWORD channel, QWORD position);
using BassChannelGetPositionFn = QWORD (*)(DWORD channel);
using BassChannelGetLengthFn = QWORD (*)(DWORD channel);
using BassChannelIsActiveFn = DWORD (*)(DWORD channel);
using BassChannelSetFlagsFn = BOOL (*)(DWORD channel, DWORD flags);
using BassChannelPreBufFn = BOOL (*)(DWORD channel);
using BassChannelSlideAttributesFn = BOOL (*)(DWORD channel, int rate, int volume, int pan, DWORD milliseconds);
using BassChannelIsSlidingFn = DWORD (*)(DWORD channel);
using BassChannelGetLevelFn = DWORD (*)(DWORD channel);
using BassSyncProc = void (*)(DWORD sync, DWORD channel, DWORD data, void* user);
using BassChannelSetSyncFn = DWORD (*)(DWORD channel, DWORD type, QWORD parameter, BassSyncProc proc, void* user);
using BassChannelRemoveSyncFn = BOOL (*)(DWORD channel, DWORD sync);
using BassChannelGetDataFn = DWORD (*)(DWORD channel, void* buffer, DWORD length);
using BassFxSetParametersFn = BOOL (*)(DWORD effect, const void* parameters);
using BassFxGetParametersFn = BOOL (*)(DWORD effect, void* parameters);
using BassChannelSetFxFn = DWORD (*)(DWORD channel, DWORD type, int priority);
using BassChannelRemoveFxFn = BOOL (*)(DWORD channel, DWORD effect);

using BassMusicLoadFn = DWORD (*)(BOOL memory, const void* file, QWORD offset, DWORD length, DWORD flags, DWORD rate);
using BassMusicLoadV1Fn = DWORD (*)(BOOL memory, const void* file, DWORD offset, DWORD length, DWORD flags);
using BassMusicFreeFn = BOOL (*)(DWORD music);
using BassMusicGetAttributeFn = DWORD (*)(DWORD music, DWORD attribute);
using BassMusicSetAttributeFn = DWORD (*)(DWORD music, DWORD attribute, DWORD value);
using BassMusicGetOrdersFn = DWORD (*)(DWORD music);
using BassMusicGetOrderPositionFn = DWORD (*)(DWORD music);
using BassStreamCreateFileFn = DWORD (*)(BOOL memory, const void* file, QWORD offset, QWORD length, DWORD flags);
using BassStreamFreeFn = BOOL (*)(DWORD stream);

using BassSampleLoadFn = DWORD (*)(BOOL memory, const void* file, QWORD offset, DWORD length, DWORD maximum, DWORD flags);
using BassSampleFreeFn = BOOL (*)(DWORD sample);
using BassSampleSetInfoFn = BOOL (*)(DWORD sample, const void* info);
using BassSampleGetInfoFn = BOOL (*)(DWORD sample, void* info);
using BassSampleGetChannelFn = DWORD (*)(DWORD sample, BOOL onlyNew);
using BassSampleStopFn = BOOL (*)(DWORD sample);
using BassPluginLoadFn = DWORD (*)(const char* file, DWORD flags);

// Registers (again) the library under kBassModuleName with all its entries.
// The registry calls it at start; tests that replaced the library with a
// double call it to put ours back.
void RegisterBassLibrary();

} // namespace platform::libs::bass

namespace platform::testing {
// Whether BASS_Init has been called and not yet undone by BASS_Free.
bool BassLibraryInitialised();
// The settings that outlive BASS_Free (the volumes, the buffer length) back
// to what a new process starts with.
void ResetBassLibrarySettings();
} // namespace platform::testing
