// What the sound manager needs of fmod.dll, the music library the
// application may run with: initialising and closing it for the main window,
// and its samples, through which MP3 sound effects are decoded.
//
// The process shares one table of fmod.dll's functions, owned by the music
// back end (FModMusicInterface), which installs itself here as the provider
// when the program is started. The sound manager reaches the table through
// this seam only: AcquireFmodSoundFunctions counts a reference on the shared
// table and gives the functions below, ReleaseFmodSoundFunctions gives the
// reference back. Without a provider there is no table: acquiring gives
// null and MP3 sounds do not load.
//
// Threads: acquire and release from the thread that uses the manager;
// installing a provider happens at start-up (and around tests).
#pragma once

namespace Zolt {

// A sample of the library; opaque here.
struct FSOUND_SAMPLE;

// The library's own signatures (32-bit integers, signed char results as
// booleans), under the library's names.
struct FmodSoundFunctions {
    signed char (*FSOUND_SetBufferSize)(int milliseconds);
    signed char (*FSOUND_SetHWND)(void* window);
    signed char (*FSOUND_Init)(int mixRate, int maxSoftwareChannels, unsigned int flags);
    void (*FSOUND_Close)();
    // Loads a file (`nameOrData`) into sample slot `index` (-1: a free one).
    FSOUND_SAMPLE* (*FSOUND_Sample_Load)(int index, const char* nameOrData, unsigned int mode, int memoryLength);
    void (*FSOUND_Sample_Free)(FSOUND_SAMPLE* sample);
    signed char (*FSOUND_Sample_Lock)(FSOUND_SAMPLE* sample, int offset, int length, void** first, void** second,
                                      unsigned int* firstLength, unsigned int* secondLength);
    signed char (*FSOUND_Sample_Unlock)(FSOUND_SAMPLE* sample, void* first, void* second, unsigned int firstLength,
                                        unsigned int secondLength);
    // In sample frames.
    unsigned int (*FSOUND_Sample_GetLength)(FSOUND_SAMPLE* sample);
    signed char (*FSOUND_Sample_GetDefaults)(FSOUND_SAMPLE* sample, int* frequency, int* volume, int* pan,
                                             int* priority);
    unsigned int (*FSOUND_Sample_GetMode)(FSOUND_SAMPLE* sample);
};

// Sample mode bits the manager reads.
constexpr unsigned int kFsound8Bits = 0x08;
constexpr unsigned int kFsound16Bits = 0x10;
constexpr unsigned int kFsoundMono = 0x20;
constexpr unsigned int kFsoundStereo = 0x40;

using FmodSoundAcquireFn = const FmodSoundFunctions* (*)();
using FmodSoundReleaseFn = void (*)();

struct FmodSoundProvider {
    FmodSoundAcquireFn acquire = nullptr;
    FmodSoundReleaseFn release = nullptr;
};

// Replaces how the shared table is obtained (both null: no table) and
// returns the provider it replaces, so that a stand-in can put it back.
FmodSoundProvider SetFmodSoundProvider(FmodSoundAcquireFn acquire, FmodSoundReleaseFn release);
// Null when no provider is installed or the provider has no table.
const FmodSoundFunctions* AcquireFmodSoundFunctions();
void ReleaseFmodSoundFunctions();

} // namespace Zolt
