// "fmod.dll" over the shared mixer. Samples are the library's own records
// (PCM in memory shared with the mixer channels that play them); each
// numbered channel, stream and song is one mixer channel.
#include "platform/libs/fmod/FmodLibrary.h"

#include "platform/core/ModuleRegistry.h"
#include "platform/libs/audio/AudioMixer.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::libs::fmod {

namespace {

using audio::ChannelState;
using audio::Gain;
using audio::Mixer;
using audio::SampleBuffer;

constexpr uint64_t kMaxSampleFrames = uint64_t(1) << 26;

struct Sample {
    std::shared_ptr<SampleBuffer> buffer;
    DWORD mode = 0;
    int volume = 255;
    int pan = 128;
    int priority = 128;
};

// Guarded by Library::mutex.
struct Library {
    std::mutex mutex;
    bool initialised = false;
    DWORD nextSample = 1;
    std::map<DWORD, Sample> samples;
    std::map<int, uint32_t> channels; // channel number -> mixer channel playing on it
    std::map<int, bool> channelOwnsMixer; // false where the channel plays a stream
    std::map<int, DWORD> channelSample;   // the sample each sample channel plays
    std::map<DWORD, bool> streams;    // mixer channel of each open stream
    std::map<DWORD, bool> songs;      // mixer channel of each loaded song
};

Library& Lib()
{
    static Library* library = new Library();
    return *library;
}

float PercentGain(int volume) { return float(std::clamp(volume, 0, 100)) / 100.0f; }
float PanOf(int pan) { return float(std::clamp(pan, 0, 255) - 128) / 127.0f; }

DWORD ModeOf(const SampleBuffer& buffer, DWORD loop)
{
    return loop | (buffer.bits == 8 ? kFsound8Bits : kFsound16Bits) | (buffer.channels == 1 ? kFsoundMono : kFsoundStereo);
}

Sample* FindSample(Library& lib, DWORD sample)
{
    auto it = lib.samples.find(sample);
    return it == lib.samples.end() ? nullptr : &it->second;
}

uint32_t ChannelOf(Library& lib, int channel)
{
    auto it = lib.channels.find(channel);
    return it == lib.channels.end() ? 0 : it->second;
}

// Frees what plays on `channel` (a stream keeps its mixer channel).
void ClearChannel(Library& lib, int channel)
{
    auto it = lib.channels.find(channel);
    if (it == lib.channels.end())
        return;
    if (lib.channelOwnsMixer[channel])
        Mixer::Instance().Remove(it->second);
    else
        Mixer::Instance().Stop(it->second);
    lib.channels.erase(it);
    lib.channelOwnsMixer.erase(channel);
    lib.channelSample.erase(channel);
}

// The channel number to use: the one asked for, or the lowest that is
// silent; -1 when none.
int PickChannel(Library& lib, int channel)
{
    if (channel >= 0)
        return channel < kFsoundChannels ? channel : -1;
    for (int i = 0; i < kFsoundChannels; ++i) {
        const uint32_t mixerChannel = ChannelOf(lib, i);
        if (!mixerChannel || Mixer::Instance().State(mixerChannel) == ChannelState::Stopped)
            return i;
    }
    return -1;
}

// ---- The library as a whole.

BOOL SetBufferSize(int milliseconds) { return milliseconds > 0 ? TRUE : FALSE; }
BOOL SetHwnd(HWND) { return TRUE; }

BOOL Init(int rate, int channels, DWORD)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (rate < 4000 || channels < 0)
        return FALSE;
    lib.initialised = true;
    return TRUE;
}

void Close()
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Mixer& mixer = Mixer::Instance();
    for (const auto& [number, channel] : lib.channels)
        if (lib.channelOwnsMixer[number])
            mixer.Remove(channel);
    for (const auto& [stream, unused] : lib.streams)
        mixer.Remove(stream);
    for (const auto& [song, unused] : lib.songs)
        mixer.Remove(song);
    lib.channels.clear();
    lib.channelOwnsMixer.clear();
    lib.channelSample.clear();
    lib.streams.clear();
    lib.songs.clear();
    lib.samples.clear();
    lib.initialised = false;
}

// ---- Samples.

DWORD SampleLoad(int, const char* name, DWORD mode, int)
{
    if (!name)
        return 0;
    audio::DecodedSound sound;
    if (!audio::DecodeFileWhole(name, sound))
        return 0;
    auto buffer = std::make_shared<SampleBuffer>();
    buffer->channels = sound.channels;
    buffer->bits = sound.bits;
    buffer->rate = sound.rate;
    buffer->pcm = std::move(sound.pcm);
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Sample sample;
    sample.buffer = std::move(buffer);
    sample.mode = ModeOf(*sample.buffer, (mode & kFsoundLoopNormal) ? kFsoundLoopNormal : kFsoundLoopOff);
    const DWORD handle = lib.nextSample++;
    lib.samples[handle] = std::move(sample);
    return handle;
}

DWORD SampleAlloc(int, int length, DWORD mode, int rate, int volume, int pan, int priority)
{
    if (length <= 0 || uint64_t(length) > kMaxSampleFrames || rate < 100 || rate > 1000000)
        return 0;
    auto buffer = std::make_shared<SampleBuffer>();
    buffer->bits = (mode & kFsound8Bits) ? 8 : 16;
    buffer->channels = (mode & kFsoundStereo) ? 2 : 1;
    buffer->rate = rate;
    buffer->pcm.assign(size_t(length) * size_t(buffer->channels) * size_t(buffer->bits / 8), buffer->bits == 8 ? 0x80 : 0);
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Sample sample;
    sample.buffer = std::move(buffer);
    sample.mode = ModeOf(*sample.buffer, (mode & kFsoundLoopNormal) ? kFsoundLoopNormal : kFsoundLoopOff);
    sample.volume = volume;
    sample.pan = pan;
    sample.priority = priority;
    const DWORD handle = lib.nextSample++;
    lib.samples[handle] = std::move(sample);
    return handle;
}

void SampleFree(DWORD handle)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!lib.samples.count(handle))
        return;
    // Channels still playing the sample go with it.
    std::vector<int> playing;
    for (const auto& [number, sample] : lib.channelSample)
        if (sample == handle)
            playing.push_back(number);
    for (int number : playing)
        ClearChannel(lib, number);
    lib.samples.erase(handle);
}

BOOL SampleLock(DWORD handle, int offset, int length, void** part1, void** part2, DWORD* length1, DWORD* length2)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Sample* sample = FindSample(lib, handle);
    if (!sample || !part1 || !length1 || offset < 0 || length <= 0 ||
        uint64_t(offset) + uint64_t(length) > sample->buffer->pcm.size())
        return FALSE;
    {
        std::unique_lock<std::mutex> guard = Mixer::Instance().Guard();
        ++sample->buffer->locks;
    }
    *part1 = sample->buffer->pcm.data() + offset;
    *length1 = DWORD(length);
    if (part2)
        *part2 = nullptr;
    if (length2)
        *length2 = 0;
    return TRUE;
}

BOOL SampleUnlock(DWORD handle, void*, void*, DWORD, DWORD)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Sample* sample = FindSample(lib, handle);
    if (!sample)
        return FALSE;
    std::unique_lock<std::mutex> guard = Mixer::Instance().Guard();
    if (sample->buffer->locks == 0)
        return FALSE;
    --sample->buffer->locks;
    return TRUE;
}

BOOL SampleSetLoopPoints(DWORD handle, int start, int end)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Sample* sample = FindSample(lib, handle);
    if (!sample || start < 0 || end < start || uint64_t(end) >= sample->buffer->Frames())
        return FALSE;
    std::unique_lock<std::mutex> guard = Mixer::Instance().Guard();
    sample->buffer->loopStart = uint64_t(start);
    sample->buffer->loopEnd = uint64_t(end);
    return TRUE;
}

DWORD SampleGetLength(DWORD handle)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Sample* sample = FindSample(lib, handle);
    return sample ? DWORD(sample->buffer->Frames()) : 0;
}

BOOL SampleGetDefaults(DWORD handle, int* rate, int* volume, int* pan, int* priority)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Sample* sample = FindSample(lib, handle);
    if (!sample)
        return FALSE;
    if (rate)
        *rate = sample->buffer->rate;
    if (volume)
        *volume = sample->volume;
    if (pan)
        *pan = sample->pan;
    if (priority)
        *priority = sample->priority;
    return TRUE;
}

DWORD SampleGetMode(DWORD handle)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Sample* sample = FindSample(lib, handle);
    return sample ? sample->mode : 0;
}

// ---- Channels.

int PlaySound(int channel, DWORD handle)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    Sample* sample = FindSample(lib, handle);
    if (!sample)
        return -1;
    const int number = PickChannel(lib, channel);
    if (number < 0)
        return -1;
    ClearChannel(lib, number);
    Mixer& mixer = Mixer::Instance();
    const uint32_t mixerChannel = mixer.AddSample(sample->buffer);
    if (!mixerChannel)
        return -1;
    lib.channels[number] = mixerChannel;
    lib.channelOwnsMixer[number] = true;
    lib.channelSample[number] = handle;
    mixer.SetLooping(mixerChannel, (sample->mode & kFsoundLoopNormal) != 0);
    mixer.SetGain(mixerChannel, Gain::Volume, PercentGain(sample->volume));
    mixer.SetPan(mixerChannel, PanOf(sample->pan));
    mixer.Play(mixerChannel, true);
    return number;
}

template <class Action>
BOOL OnChannel(int channel, Action action)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    const uint32_t mixerChannel = ChannelOf(lib, channel);
    if (!mixerChannel)
        return FALSE;
    return action(Mixer::Instance(), mixerChannel) ? TRUE : FALSE;
}

BOOL StopSound(int channel)
{
    return OnChannel(channel, [](Mixer& m, uint32_t c) { return m.Stop(c); });
}

BOOL SetVolume(int channel, int volume)
{
    return OnChannel(channel, [volume](Mixer& m, uint32_t c) { return m.SetGain(c, Gain::Volume, PercentGain(volume)); });
}

BOOL SetPaused(int channel, BOOL paused)
{
    return OnChannel(channel, [paused](Mixer& m, uint32_t c) {
        if (paused)
            return m.Pause(c);
        return m.State(c) == ChannelState::Paused ? m.Play(c, false) : true;
    });
}

BOOL SetLoopMode(int channel, DWORD mode)
{
    return OnChannel(channel, [mode](Mixer& m, uint32_t c) { return m.SetLooping(c, (mode & kFsoundLoopNormal) != 0); });
}

BOOL IsPlaying(int channel)
{
    return OnChannel(channel, [](Mixer& m, uint32_t c) {
        const ChannelState state = m.State(c);
        return state == ChannelState::Playing || state == ChannelState::Paused;
    });
}

// ---- Streams.

DWORD StreamOpenFile(const char* name, DWORD mode, int)
{
    if (!name)
        return 0;
    audio::Bytes bytes;
    if (!audio::ReadWholeFile(name, bytes))
        return 0;
    std::unique_ptr<audio::Decoder> decoder = audio::OpenStream(std::move(bytes));
    if (!decoder)
        return 0;
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    const uint32_t handle = Mixer::Instance().AddDecoder(std::move(decoder));
    if (!handle)
        return 0;
    Mixer::Instance().SetLooping(handle, (mode & kFsoundLoopNormal) != 0);
    lib.streams[handle] = true;
    return handle;
}

BOOL StreamClose(DWORD stream)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!lib.streams.erase(stream))
        return FALSE;
    for (auto it = lib.channels.begin(); it != lib.channels.end();) {
        if (it->second == stream) {
            lib.channelOwnsMixer.erase(it->first);
            it = lib.channels.erase(it);
        } else {
            ++it;
        }
    }
    Mixer::Instance().Remove(stream);
    return TRUE;
}

int StreamPlay(int channel, DWORD stream)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!lib.streams.count(stream))
        return -1;
    const int number = PickChannel(lib, channel);
    if (number < 0)
        return -1;
    if (ChannelOf(lib, number) != stream) {
        ClearChannel(lib, number);
        lib.channels[number] = stream;
        lib.channelOwnsMixer[number] = false;
    }
    Mixer::Instance().Play(stream, true);
    return number;
}

// ---- Songs.

DWORD LoadSong(const char* name)
{
    if (!name)
        return 0;
    audio::Bytes bytes;
    if (!audio::ReadWholeFile(name, bytes))
        return 0;
    std::unique_ptr<audio::Decoder> decoder = audio::OpenAny(std::move(bytes));
    if (!decoder)
        return 0;
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    const uint32_t handle = Mixer::Instance().AddDecoder(std::move(decoder));
    if (!handle)
        return 0;
    Mixer::Instance().SetLooping(handle, true);
    lib.songs[handle] = true;
    return handle;
}

BOOL FreeSong(DWORD song)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!lib.songs.erase(song))
        return FALSE;
    Mixer::Instance().Remove(song);
    return TRUE;
}

template <class Action>
BOOL OnSong(DWORD song, Action action)
{
    Library& lib = Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!lib.songs.count(song))
        return FALSE;
    return action(Mixer::Instance(), song) ? TRUE : FALSE;
}

BOOL PlaySong(DWORD song)
{
    return OnSong(song, [](Mixer& m, uint32_t c) { return m.Play(c, true); });
}

BOOL StopSong(DWORD song)
{
    return OnSong(song, [](Mixer& m, uint32_t c) { return m.Stop(c); });
}

BOOL SetLooping(DWORD song, BOOL loop)
{
    return OnSong(song, [loop](Mixer& m, uint32_t c) { return m.SetLooping(c, loop != FALSE); });
}

BOOL SetOrder(DWORD song, int order)
{
    return OnSong(song, [order](Mixer& m, uint32_t c) {
        if (m.IsModule(c))
            return m.SetOrder(c, order);
        return order == 0 && m.SetPosition(c, 0);
    });
}

BOOL SetSongPaused(DWORD song, BOOL paused)
{
    return OnSong(song, [paused](Mixer& m, uint32_t c) {
        if (paused)
            return m.Pause(c);
        return m.State(c) == ChannelState::Paused ? m.Play(c, false) : true;
    });
}

BOOL SetMasterVolume(DWORD song, int volume)
{
    return OnSong(song, [volume](Mixer& m, uint32_t c) { return m.SetGain(c, Gain::Volume, PercentGain(volume)); });
}

BOOL SongIsPlaying(DWORD song)
{
    return OnSong(song, [](Mixer& m, uint32_t c) {
        const ChannelState state = m.State(c);
        return state == ChannelState::Playing || state == ChannelState::Paused;
    });
}

} // namespace

void RegisterFmodLibrary()
{
    using platform::Entry;
    RegisterModule(kFmodModuleName, {
        Entry(kFsoundSetBufferSizeEntry, static_cast<FsoundSetBufferSizeFn>(&SetBufferSize)),
        Entry(kFsoundSetHwndEntry, static_cast<FsoundSetHwndFn>(&SetHwnd)),
        Entry(kFsoundInitEntry, static_cast<FsoundInitFn>(&Init)),
        Entry(kFsoundCloseEntry, static_cast<FsoundCloseFn>(&Close)),
        Entry(kFsoundSampleLoadEntry, static_cast<FsoundSampleLoadFn>(&SampleLoad)),
        Entry(kFsoundSampleAllocEntry, static_cast<FsoundSampleAllocFn>(&SampleAlloc)),
        Entry(kFsoundSampleFreeEntry, static_cast<FsoundSampleFreeFn>(&SampleFree)),
        Entry(kFsoundSampleLockEntry, static_cast<FsoundSampleLockFn>(&SampleLock)),
        Entry(kFsoundSampleUnlockEntry, static_cast<FsoundSampleUnlockFn>(&SampleUnlock)),
        Entry(kFsoundSampleSetLoopPointsEntry, static_cast<FsoundSampleSetLoopPointsFn>(&SampleSetLoopPoints)),
        Entry(kFsoundSampleGetLengthEntry, static_cast<FsoundSampleGetLengthFn>(&SampleGetLength)),
        Entry(kFsoundSampleGetDefaultsEntry, static_cast<FsoundSampleGetDefaultsFn>(&SampleGetDefaults)),
        Entry(kFsoundSampleGetModeEntry, static_cast<FsoundSampleGetModeFn>(&SampleGetMode)),
        Entry(kFsoundPlaySoundEntry, static_cast<FsoundPlaySoundFn>(&PlaySound)),
        Entry(kFsoundStopSoundEntry, static_cast<FsoundStopSoundFn>(&StopSound)),
        Entry(kFsoundSetVolumeEntry, static_cast<FsoundSetVolumeFn>(&SetVolume)),
        Entry(kFsoundSetPausedEntry, static_cast<FsoundSetPausedFn>(&SetPaused)),
        Entry(kFsoundSetLoopModeEntry, static_cast<FsoundSetLoopModeFn>(&SetLoopMode)),
        Entry(kFsoundIsPlayingEntry, static_cast<FsoundIsPlayingFn>(&IsPlaying)),
        Entry(kFsoundStreamOpenFileEntry, static_cast<FsoundStreamOpenFileFn>(&StreamOpenFile)),
        Entry(kFsoundStreamCloseEntry, static_cast<FsoundStreamCloseFn>(&StreamClose)),
        Entry(kFsoundStreamPlayEntry, static_cast<FsoundStreamPlayFn>(&StreamPlay)),
        Entry(kFmusicLoadSongEntry, static_cast<FmusicLoadSongFn>(&LoadSong)),
        Entry(kFmusicPlaySongEntry, static_cast<FmusicPlaySongFn>(&PlaySong)),
        Entry(kFmusicStopSongEntry, static_cast<FmusicStopSongFn>(&StopSong)),
        Entry(kFmusicSetLoopingEntry, static_cast<FmusicSetLoopingFn>(&SetLooping)),
        Entry(kFmusicSetOrderEntry, static_cast<FmusicSetOrderFn>(&SetOrder)),
        Entry(kFmusicSetPausedEntry, static_cast<FmusicSetPausedFn>(&SetSongPaused)),
        Entry(kFmusicSetMasterVolumeEntry, static_cast<FmusicSetMasterVolumeFn>(&SetMasterVolume)),
        Entry(kFmusicIsPlayingEntry, static_cast<FmusicIsPlayingFn>(&SongIsPlaying)),
        Entry(kFmusicFreeSongEntry, static_cast<FmusicFreeSongFn>(&FreeSong)),
    });
}

} // namespace platform::libs::fmod

namespace platform::testing {
size_t FmodLibraryObjectCount()
{
    auto& lib = platform::libs::fmod::Lib();
    std::lock_guard<std::mutex> lock(lib.mutex);
    return lib.samples.size() + lib.streams.size() + lib.songs.size();
}
} // namespace platform::testing
