#include "framework/sound/FModMusicInterface.h"

#include "framework/base/PathUtils.h"
#include "framework/sound/AudioLibraryTable.h"
#include "framework/sound/FmodSoundFunctions.h"
#include "platform/core/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

namespace Zolt {

namespace {

using platform::DWORD;
using platform::FALSE;
using platform::TRUE;
namespace fm = platform::libs::fmod;

constexpr const char* kMissingFmodFunction = "%s function not found in fmod.dll";

SharedAudioTable<FMOD_INSTANCE> gFmodTable;

std::unique_ptr<FMOD_INSTANCE> CreateFmodInstance()
{
    auto fmod = std::make_unique<FMOD_INSTANCE>();
    fmod->module = LoadAudioLibrary("fmod.dll", "Can't find fmod.dll.");
    platform::HMODULE m = fmod->module;
    auto take = [&](const char* name, auto& slot) {
        TakeAudioEntry(m, name, slot, kMissingFmodFunction, std::string("\"") + name + "\"");
    };
    take(fm::kFsoundSetBufferSizeEntry, fmod->FSOUND_SetBufferSize);
    take(fm::kFsoundSetHwndEntry, fmod->FSOUND_SetHWND);
    take(fm::kFsoundInitEntry, fmod->FSOUND_Init);
    take(fm::kFsoundCloseEntry, fmod->FSOUND_Close);
    take(fm::kFsoundSampleLoadEntry, fmod->FSOUND_Sample_Load);
    take(fm::kFsoundSampleAllocEntry, fmod->FSOUND_Sample_Alloc);
    take(fm::kFsoundSampleFreeEntry, fmod->FSOUND_Sample_Free);
    take(fm::kFsoundSampleLockEntry, fmod->FSOUND_Sample_Lock);
    take(fm::kFsoundSampleUnlockEntry, fmod->FSOUND_Sample_Unlock);
    take(fm::kFsoundSampleSetLoopPointsEntry, fmod->FSOUND_Sample_SetLoopPoints);
    take(fm::kFsoundSampleGetLengthEntry, fmod->FSOUND_Sample_GetLength);
    take(fm::kFsoundSampleGetDefaultsEntry, fmod->FSOUND_Sample_GetDefaults);
    take(fm::kFsoundSampleGetModeEntry, fmod->FSOUND_Sample_GetMode);
    take(fm::kFsoundPlaySoundEntry, fmod->FSOUND_PlaySound);
    take(fm::kFsoundStopSoundEntry, fmod->FSOUND_StopSound);
    take(fm::kFsoundSetVolumeEntry, fmod->FSOUND_SetVolume);
    take(fm::kFsoundSetPausedEntry, fmod->FSOUND_SetPaused);
    take(fm::kFsoundSetLoopModeEntry, fmod->FSOUND_SetLoopMode);
    take(fm::kFsoundIsPlayingEntry, fmod->FSOUND_IsPlaying);
    take(fm::kFsoundStreamOpenFileEntry, fmod->FSOUND_Stream_OpenFile);
    take(fm::kFsoundStreamCloseEntry, fmod->FSOUND_Stream_Close);
    take(fm::kFsoundStreamPlayEntry, fmod->FSOUND_Stream_Play);
    take(fm::kFmusicLoadSongEntry, fmod->FMUSIC_LoadSong);
    take(fm::kFmusicPlaySongEntry, fmod->FMUSIC_PlaySong);
    take(fm::kFmusicStopSongEntry, fmod->FMUSIC_StopSong);
    take(fm::kFmusicSetLoopingEntry, fmod->FMUSIC_SetLooping);
    take(fm::kFmusicSetOrderEntry, fmod->FMUSIC_SetOrder);
    take(fm::kFmusicSetPausedEntry, fmod->FMUSIC_SetPaused);
    take(fm::kFmusicSetMasterVolumeEntry, fmod->FMUSIC_SetMasterVolume);
    take(fm::kFmusicIsPlayingEntry, fmod->FMUSIC_IsPlaying);
    // Not every version of the library can free a song: without it a song
    // loaded under a taken id stays loaded until the library closes.
    TakeOptionalAudioEntry(m, fm::kFmusicFreeSongEntry, fmod->FMUSIC_FreeSong);
    return fmod;
}

struct SampleFormat {
    int channels = 2;
    int bits = 16;
    int rate = 0;
    DWORD frames = 0;
    int BlockAlign() const { return channels * bits / 8; }
};

SampleFormat FormatOf(FMOD_INSTANCE& fmod, uint32_t sample)
{
    SampleFormat format;
    const DWORD mode = fmod.FSOUND_Sample_GetMode(sample);
    format.channels = (mode & fm::kFsoundMono) ? 1 : 2;
    format.bits = (mode & fm::kFsound8Bits) ? 8 : 16;
    fmod.FSOUND_Sample_GetDefaults(sample, &format.rate, nullptr, nullptr, nullptr);
    format.frames = fmod.FSOUND_Sample_GetLength(sample);
    return format;
}

void PutLe32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void PutLe16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

// A plain PCM WAV file of the bytes.
std::vector<uint8_t> MakeWav(const SampleFormat& format, const uint8_t* data, uint32_t size)
{
    std::vector<uint8_t> wav;
    wav.reserve(size_t(size) + 44);
    PutTag(wav, "RIFF");
    PutLe32(wav, size + 36);
    PutTag(wav, "WAVE");
    PutTag(wav, "fmt ");
    PutLe32(wav, 16);
    PutLe16(wav, 1);
    PutLe16(wav, uint16_t(format.channels));
    PutLe32(wav, uint32_t(format.rate));
    PutLe32(wav, uint32_t(format.BlockAlign() * format.rate));
    PutLe16(wav, uint16_t(format.BlockAlign()));
    PutLe16(wav, uint16_t(format.bits));
    PutTag(wav, "data");
    PutLe32(wav, size);
    wav.insert(wav.end(), data, data + size);
    return wav;
}

// Copies the sample's bytes to `to` through its lock; false when it cannot be locked.
bool CopySampleBytes(FMOD_INSTANCE& fmod, uint32_t sample, uint32_t size, uint8_t* to)
{
    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD length1 = 0;
    DWORD length2 = 0;
    if (!fmod.FSOUND_Sample_Lock(sample, 0, int(size), &part1, &part2, &length1, &length2))
        return false;
    std::memcpy(to, part1, std::min<DWORD>(length1, size));
    fmod.FSOUND_Sample_Unlock(sample, part1, part2, length1, length2);
    return true;
}

// The sound manager's view of the shared table (FmodSoundFunctions, with the
// sample as an opaque pointer and one-byte results): each entry passes the
// call on to FMOD_INSTANCE, the handle carried as the pointer's value.
std::atomic<FMOD_INSTANCE*> gSoundManagerTable{nullptr};

FMOD_INSTANCE& SoundTable() { return *gSoundManagerTable.load(std::memory_order_acquire); }
DWORD HandleOf(FSOUND_SAMPLE* sample) { return DWORD(reinterpret_cast<uintptr_t>(sample)); }
FSOUND_SAMPLE* SampleOf(DWORD handle) { return reinterpret_cast<FSOUND_SAMPLE*>(uintptr_t(handle)); }
signed char Flag(platform::BOOL value) { return value ? 1 : 0; }

signed char SoundSetBufferSize(int milliseconds) { return Flag(SoundTable().FSOUND_SetBufferSize(milliseconds)); }
signed char SoundSetHwnd(void* window) { return Flag(SoundTable().FSOUND_SetHWND(static_cast<platform::HWND>(window))); }
signed char SoundInit(int rate, int channels, unsigned int flags) { return Flag(SoundTable().FSOUND_Init(rate, channels, flags)); }
void SoundClose() { SoundTable().FSOUND_Close(); }
FSOUND_SAMPLE* SoundSampleLoad(int index, const char* name, unsigned int mode, int memoryLength)
{
    return SampleOf(SoundTable().FSOUND_Sample_Load(index, name, mode, memoryLength));
}
void SoundSampleFree(FSOUND_SAMPLE* sample) { SoundTable().FSOUND_Sample_Free(HandleOf(sample)); }
signed char SoundSampleLock(FSOUND_SAMPLE* sample, int offset, int length, void** first, void** second,
                            unsigned int* firstLength, unsigned int* secondLength)
{
    return Flag(SoundTable().FSOUND_Sample_Lock(HandleOf(sample), offset, length, first, second, firstLength, secondLength));
}
signed char SoundSampleUnlock(FSOUND_SAMPLE* sample, void* first, void* second, unsigned int firstLength,
                              unsigned int secondLength)
{
    return Flag(SoundTable().FSOUND_Sample_Unlock(HandleOf(sample), first, second, firstLength, secondLength));
}
unsigned int SoundSampleGetLength(FSOUND_SAMPLE* sample) { return SoundTable().FSOUND_Sample_GetLength(HandleOf(sample)); }
signed char SoundSampleGetDefaults(FSOUND_SAMPLE* sample, int* rate, int* volume, int* pan, int* priority)
{
    return Flag(SoundTable().FSOUND_Sample_GetDefaults(HandleOf(sample), rate, volume, pan, priority));
}
unsigned int SoundSampleGetMode(FSOUND_SAMPLE* sample) { return SoundTable().FSOUND_Sample_GetMode(HandleOf(sample)); }

const FmodSoundFunctions kSoundManagerFunctions{
    &SoundSetBufferSize, &SoundSetHwnd, &SoundInit, &SoundClose, &SoundSampleLoad, &SoundSampleFree,
    &SoundSampleLock, &SoundSampleUnlock, &SoundSampleGetLength, &SoundSampleGetDefaults, &SoundSampleGetMode,
};

const FmodSoundFunctions* AcquireForSoundManager()
{
    gSoundManagerTable.store(AcquireFmodInstance(), std::memory_order_release);
    return &kSoundManagerFunctions;
}

void ReleaseForSoundManager() { ReleaseFmodInstance(); }

// The sound manager shares this back end's table from the start (the
// manager may be made before the music player).
const bool gSoundManagerProviderInstalled = [] {
    SetFmodSoundProvider(&AcquireForSoundManager, &ReleaseForSoundManager);
    return true;
}();

} // namespace

FMOD_INSTANCE::~FMOD_INSTANCE()
{
    if (module)
        platform::FreeModule(module);
}

FMOD_INSTANCE* AcquireFmodInstance() { return gFmodTable.Acquire(&CreateFmodInstance); }
void ReleaseFmodInstance() { gFmodTable.Release(); }

FModMusicInterface::FModMusicInterface(platform::HWND)
{
    fmod_ = AcquireFmodInstance();
}

FModMusicInterface::~FModMusicInterface() { ReleaseFmodInstance(); }

std::optional<FModTrack> FModMusicInterface::FindTrack(int id) const { return tracks_.Find(id); }

std::string FModMusicInterface::CacheFileName(const std::string& name)
{
    return GetAppDataFolder() + "cached\\" + PathFileName(name, true) + ".wav";
}

uint32_t FModMusicInterface::LoadCachedFmodSample(const std::string& name)
{
    const std::string cacheFile = CacheFileName(name);
    MakeAllDirectories(PathDirectory(cacheFile, false));
    if (const uint32_t cached = fmod_->FSOUND_Sample_Load(-1, cacheFile.c_str(), 0, 0))
        return cached;
    const std::string source = name + ".ogg";
    const uint32_t sample = fmod_->FSOUND_Sample_Load(-1, source.c_str(), 0, 0);
    if (!sample)
        return 0;
    const SampleFormat format = FormatOf(*fmod_, sample);
    const uint64_t size = uint64_t(format.frames) * uint64_t(format.BlockAlign());
    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD length1 = 0;
    DWORD length2 = 0;
    if (size > 0 && size <= 0x7FFFFFFF &&
        fmod_->FSOUND_Sample_Lock(sample, 0, int(size), &part1, &part2, &length1, &length2)) {
        // Written whole under a temporary name and then renamed, so an
        // interrupted write never leaves a cut-off sound behind as the cache.
        const std::vector<uint8_t> wav =
            MakeWav(format, static_cast<const uint8_t*>(part1), uint32_t(std::min<uint64_t>(length1, size)));
        platform::WriteFileAtomic(cacheFile, wav.data(), wav.size());
        fmod_->FSOUND_Sample_Unlock(sample, part1, part2, length1, length2);
    }
    return sample;
}

bool FModMusicInterface::LoadMusicFile(int id, const std::string& fileName)
{
    const uint32_t song = fmod_->FMUSIC_LoadSong(fileName.c_str());
    if (!song)
        return false;
    FModTrack track;
    track.module = song;
    Keep(id, track);
    return true;
}

void FModMusicInterface::Keep(int id, const FModTrack& track)
{
    if (tracks_.Insert(id, track))
        return;
    if (track.sample)
        fmod_->FSOUND_Sample_Free(track.sample);
    else if (fmod_->FMUSIC_FreeSong)
        fmod_->FMUSIC_FreeSong(track.module);
}

bool FModMusicInterface::LoadSampleTrack(int id, const std::string& fileName, bool loop)
{
    const uint32_t sample = LoadCachedFmodSample(fileName);
    if (!sample)
        return false;
    FModTrack track;
    track.sample = sample;
    track.sampleLoop = loop ? 1 : 0;
    Keep(id, track);
    return true;
}

bool FModMusicInterface::LoadTrackFromCache(int id, const std::string& first, const std::string& second, bool loop)
{
    const uint32_t intro = LoadCachedFmodSample(first);
    const uint32_t body = intro ? LoadCachedFmodSample(second) : 0;
    // Whatever was loaded and cannot be joined is let go again.
    auto freeBoth = [&] {
        if (intro)
            fmod_->FSOUND_Sample_Free(intro);
        if (body)
            fmod_->FSOUND_Sample_Free(body);
    };
    if (!intro || !body) {
        freeBoth();
        return false;
    }
    const SampleFormat a = FormatOf(*fmod_, intro);
    const SampleFormat b = FormatOf(*fmod_, body);
    const DWORD mode = fmod_->FSOUND_Sample_GetMode(intro);
    if (a.rate != b.rate || mode != fmod_->FSOUND_Sample_GetMode(body)) {
        freeBoth();
        return false;
    }
    const uint64_t total = uint64_t(a.frames) + uint64_t(b.frames);
    const uint64_t frameBytes = uint64_t(a.BlockAlign());
    if (total == 0 || total * frameBytes > 0x7FFFFFFF) {
        freeBoth();
        return false;
    }
    const uint32_t joined =
        fmod_->FSOUND_Sample_Alloc(-1, int(total), mode | fm::kFsoundLoopNormal, a.rate, 255, 128, 0);
    if (!joined) {
        freeBoth();
        return false;
    }
    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD length1 = 0;
    DWORD length2 = 0;
    if (fmod_->FSOUND_Sample_Lock(joined, 0, int(total * frameBytes), &part1, &part2, &length1, &length2)) {
        auto* to = static_cast<uint8_t*>(part1);
        CopySampleBytes(*fmod_, intro, uint32_t(a.frames * frameBytes), to);
        CopySampleBytes(*fmod_, body, uint32_t(b.frames * frameBytes), to + a.frames * frameBytes);
        fmod_->FSOUND_Sample_Unlock(joined, part1, part2, length1, length2);
    }
    freeBoth();
    // The loop runs over the second part: from the frame after the
    // introduction to the last frame.
    fmod_->FSOUND_Sample_SetLoopPoints(joined, int(a.frames), int(total - 1));
    FModTrack track;
    track.sample = joined;
    track.sampleLoop = loop ? 1 : 0;
    Keep(id, track);
    return true;
}

void FModMusicInterface::SendVolume(int id, const FModTrack& track)
{
    if (track.module)
        fmod_->FMUSIC_SetMasterVolume(track.module, int(track.volume * overallVolume_ * moduleVolumeScale_));
    else
        fmod_->FSOUND_SetVolume(id, int(track.volume * overallVolume_ * sampleVolumeScale_));
}

void FModMusicInterface::StopChannel(int id, const FModTrack& track)
{
    if (track.module)
        fmod_->FMUSIC_StopSong(track.module);
    else
        fmod_->FSOUND_StopSound(id);
}

void FModMusicInterface::PlaySample(int id, const FModTrack& track)
{
    fmod_->FSOUND_PlaySound(id, track.sample);
    fmod_->FSOUND_SetLoopMode(id, track.sampleLoop ? fm::kFsoundLoopNormal : fm::kFsoundLoopOff);
}

void FModMusicInterface::Start(int id, FModTrack& track, double volume, int offset, bool noLoop)
{
    track.StartAt(volume);
    if (track.module) {
        SendVolume(id, track);
        // A sound asked for once plays once: the song's looping is turned off.
        fmod_->FMUSIC_SetLooping(track.module, noLoop ? FALSE : TRUE);
        fmod_->FMUSIC_PlaySong(track.module);
        fmod_->FMUSIC_SetOrder(track.module, offset);
    } else {
        PlaySample(id, track);
        SendVolume(id, track);
    }
}

void FModMusicInterface::StartTrack(int id, int offset, bool noLoop)
{
    tracks_.With(id, [&](FModTrack& track) { Start(id, track, track.volumeCap, offset, noLoop); });
}

void FModMusicInterface::StartTrackAtVolume(int id, double volume, int offset, bool noLoop)
{
    tracks_.With(id, [&](FModTrack& track) { Start(id, track, volume, offset, noLoop); });
}

void FModMusicInterface::FadeTrackIn(int id, int offset, double speed, bool noLoop)
{
    tracks_.With(id, [&](FModTrack& track) {
        track.volumeStep = speed;
        if (track.sample) {
            if (!fmod_->FSOUND_IsPlaying(id))
                PlaySample(id, track);
            SendVolume(id, track);
            return;
        }
        SendVolume(id, track);
        fmod_->FMUSIC_SetLooping(track.module, noLoop ? FALSE : TRUE);
        if (!fmod_->FMUSIC_IsPlaying(track.module))
            fmod_->FMUSIC_PlaySong(track.module);
        if (offset != -1)
            fmod_->FMUSIC_SetOrder(track.module, offset);
    });
}

void FModMusicInterface::FadeTrackOut(int id, bool stopWhenFaded, double speed)
{
    tracks_.With(id, [&](FModTrack& track) { track.FadeOut(stopWhenFaded, speed); });
}

void FModMusicInterface::FadeAllTracksOut(bool stopWhenFaded, double speed) { tracks_.FadeAllOut(stopWhenFaded, speed); }

void FModMusicInterface::AdvanceFades() { tracks_.AdvanceFades(); }

void FModMusicInterface::HaltTrack(int id) { tracks_.Halt(id); }

void FModMusicInterface::HaltAllTracks() { tracks_.HaltAll(); }

void FModMusicInterface::HoldTrack(int id)
{
    tracks_.With(id, [&](const FModTrack& track) {
        if (track.module)
            fmod_->FMUSIC_SetPaused(track.module, TRUE);
        else
            fmod_->FSOUND_SetPaused(id, TRUE);
    });
}

void FModMusicInterface::ContinueTrack(int id)
{
    tracks_.With(id, [&](const FModTrack& track) {
        if (track.module)
            fmod_->FMUSIC_SetPaused(track.module, FALSE);
        else
            fmod_->FSOUND_SetPaused(id, FALSE);
    });
}

void FModMusicInterface::SetTrackVolume(int id, double volume) { tracks_.SetVolume(id, volume); }

void FModMusicInterface::SetOverallVolume(double volume)
{
    tracks_.Exclusive([&] {
        overallVolume_ = volume;
        tracks_.ForEach([&](int id, const FModTrack& track) { SendVolume(id, track); });
    });
}

bool FModMusicInterface::IsTrackPlaying(int id)
{
    bool playing = false;
    tracks_.With(id, [&](const FModTrack& track) {
        // A sample track is asked on its channel: its song handle is 0.
        if (track.sample)
            playing = fmod_->FSOUND_IsPlaying(id) != FALSE;
        else
            playing = fmod_->FMUSIC_IsPlaying(track.module) > 0;
    });
    return playing;
}

} // namespace Zolt
