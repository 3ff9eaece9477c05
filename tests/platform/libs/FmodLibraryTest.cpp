// Our fmod.dll as the program reaches it: samples decoded whole and played
// on numbered channels, songs, and the lock through which callers copy
// sample data, on the headless mixer.
#include "platform/core/Clock.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/dsound/DSoundTesting.h"
#include "platform/libs/audio/AudioMixer.h"
#include "platform/libs/fmod/FmodLibrary.h"
#include "tests/platform/libs/AudioFixtures.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform::libs::fmod;
using namespace audio_fixtures;
using platform::DWORD;
using platform::FALSE;
using platform::TRUE;

namespace {

class FmodLibrary : public testing::Test {
protected:
    void SetUp() override
    {
        module = platform::LoadModule("fmod.dll");
        ASSERT_TRUE(module);
        load = Get<FsoundSampleLoadFn>(kFsoundSampleLoadEntry);
        alloc = Get<FsoundSampleAllocFn>(kFsoundSampleAllocEntry);
        freeSample = Get<FsoundSampleFreeFn>(kFsoundSampleFreeEntry);
        lock = Get<FsoundSampleLockFn>(kFsoundSampleLockEntry);
        unlock = Get<FsoundSampleUnlockFn>(kFsoundSampleUnlockEntry);
        loopPoints = Get<FsoundSampleSetLoopPointsFn>(kFsoundSampleSetLoopPointsEntry);
        length = Get<FsoundSampleGetLengthFn>(kFsoundSampleGetLengthEntry);
        defaults = Get<FsoundSampleGetDefaultsFn>(kFsoundSampleGetDefaultsEntry);
        mode = Get<FsoundSampleGetModeFn>(kFsoundSampleGetModeEntry);
        playSound = Get<FsoundPlaySoundFn>(kFsoundPlaySoundEntry);
        isPlaying = Get<FsoundIsPlayingFn>(kFsoundIsPlayingEntry);
        setPaused = Get<FsoundSetPausedFn>(kFsoundSetPausedEntry);
        loopMode = Get<FsoundSetLoopModeFn>(kFsoundSetLoopModeEntry);
        setVolume = Get<FsoundSetVolumeFn>(kFsoundSetVolumeEntry);
        loadSong = Get<FmusicLoadSongFn>(kFmusicLoadSongEntry);
        playSong = Get<FmusicPlaySongFn>(kFmusicPlaySongEntry);
        songLooping = Get<FmusicSetLoopingFn>(kFmusicSetLoopingEntry);
        songOrder = Get<FmusicSetOrderFn>(kFmusicSetOrderEntry);
        songPlaying = Get<FmusicIsPlayingFn>(kFmusicIsPlayingEntry);
        freeSong = Get<FmusicFreeSongFn>(kFmusicFreeSongEntry);
        close = Get<FsoundCloseFn>(kFsoundCloseEntry);
        ASSERT_TRUE(Get<FsoundInitFn>(kFsoundInitEntry)(44100, 64, 0));
        platform::dsound::testing::ResetAudio();
        platform::dsound::testing::StartCapture();
    }

    void TearDown() override
    {
        close();
        platform::FreeModule(module);
    }

    template <class F>
    F Get(const char* name)
    {
        F f = platform::GetEntryAs<F>(module, name);
        EXPECT_TRUE(f) << name;
        return f;
    }

    std::string Write(const std::string& name, const Bytes& bytes)
    {
        const std::string path = folder / name;
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }

    platform::ManualClock clock{7000000};
    platform::ScopedClock scoped{clock};
    platform::testing::ScopedTempFolder folder;
    platform::libs::audio::Mixer& mixer = platform::libs::audio::Mixer::Instance();
    platform::HMODULE module = nullptr;
    FsoundSampleLoadFn load = nullptr;
    FsoundSampleAllocFn alloc = nullptr;
    FsoundSampleFreeFn freeSample = nullptr;
    FsoundSampleLockFn lock = nullptr;
    FsoundSampleUnlockFn unlock = nullptr;
    FsoundSampleSetLoopPointsFn loopPoints = nullptr;
    FsoundSampleGetLengthFn length = nullptr;
    FsoundSampleGetDefaultsFn defaults = nullptr;
    FsoundSampleGetModeFn mode = nullptr;
    FsoundPlaySoundFn playSound = nullptr;
    FsoundIsPlayingFn isPlaying = nullptr;
    FsoundSetPausedFn setPaused = nullptr;
    FsoundSetLoopModeFn loopMode = nullptr;
    FsoundSetVolumeFn setVolume = nullptr;
    FmusicLoadSongFn loadSong = nullptr;
    FmusicPlaySongFn playSong = nullptr;
    FmusicSetLoopingFn songLooping = nullptr;
    FmusicSetOrderFn songOrder = nullptr;
    FmusicIsPlayingFn songPlaying = nullptr;
    FmusicFreeSongFn freeSong = nullptr;
    FsoundCloseFn close = nullptr;
};

TEST_F(FmodLibrary, LoadedSampleTellsItsFormatAndHandsOutItsBytes)
{
    const DWORD mono8 = load(-1, Write("a.wav", SineWav(11025, 1, 8, 300)).c_str(), 0, 0);
    ASSERT_NE(mono8, 0u);
    EXPECT_EQ(mode(mono8) & (kFsoundMono | kFsound8Bits), kFsoundMono | kFsound8Bits);
    EXPECT_EQ(length(mono8), 300u);
    int rate = 0, volume = 0, pan = 0, priority = 0;
    ASSERT_TRUE(defaults(mono8, &rate, &volume, &pan, &priority));
    EXPECT_EQ(rate, 11025);

    const DWORD stereo16 = load(-1, Write("mp3.ogg", SilentMp3(4)).c_str(), 0, 0);
    ASSERT_NE(stereo16, 0u) << "decoded by what the bytes are, not by the name";
    EXPECT_EQ(mode(stereo16) & (kFsoundMono | kFsound8Bits), kFsoundMono) << "16-bit mono";

    void* part1 = nullptr;
    void* part2 = reinterpret_cast<void*>(1);
    DWORD length1 = 0, length2 = 7;
    ASSERT_TRUE(lock(mono8, 0, 300, &part1, &part2, &length1, &length2));
    EXPECT_EQ(length1, 300u);
    EXPECT_EQ(part2, nullptr);
    EXPECT_EQ(length2, 0u);
    EXPECT_EQ(static_cast<uint8_t*>(part1)[0], 128);
    EXPECT_TRUE(unlock(mono8, part1, part2, length1, length2));
    EXPECT_FALSE(unlock(mono8, part1, part2, length1, length2)) << "nothing left to unlock";
    EXPECT_FALSE(lock(mono8, 200, 101, &part1, &part2, &length1, &length2)) << "past the end";
    EXPECT_FALSE(lock(mono8, -1, 10, &part1, &part2, &length1, &length2));
}

TEST_F(FmodLibrary, AllocatedSampleIsSilenceOfTheAskedFormat)
{
    const DWORD s = alloc(-1, 1000, kFsoundStereo | kFsound16Bits | kFsoundLoopNormal, 22050, 255, 128, 0);
    ASSERT_NE(s, 0u);
    EXPECT_EQ(length(s), 1000u);
    EXPECT_EQ(mode(s), kFsoundStereo | kFsound16Bits | kFsoundLoopNormal);
    void* part1 = nullptr;
    DWORD length1 = 0;
    ASSERT_TRUE(lock(s, 0, 4000, &part1, nullptr, &length1, nullptr));
    EXPECT_EQ(static_cast<uint8_t*>(part1)[3999], 0);
    unlock(s, part1, nullptr, length1, 0);
    EXPECT_EQ(alloc(-1, 0, 0, 44100, 255, 128, 0), 0u);
    EXPECT_EQ(alloc(-1, 10, 0, 10, 255, 128, 0), 0u);
    EXPECT_TRUE(loopPoints(s, 500, 999));
    EXPECT_FALSE(loopPoints(s, 500, 1000));
    EXPECT_FALSE(loopPoints(s, 600, 500));
}

TEST_F(FmodLibrary, SamplePlaysOnTheChannelAskedOrTheFirstFreeOne)
{
    const DWORD s = load(-1, Write("tone.wav", ConstantWav(44100, 1, 4410, 1000)).c_str(), 0, 0);
    EXPECT_EQ(playSound(5, s), 5);
    EXPECT_TRUE(isPlaying(5));
    EXPECT_FALSE(isPlaying(6));
    EXPECT_EQ(playSound(kFsoundFree, s), 0);
    EXPECT_EQ(playSound(kFsoundFree, s), 1);
    clock.AdvanceMilliseconds(50);
    EXPECT_TRUE(setPaused(5, TRUE));
    EXPECT_TRUE(isPlaying(5)) << "a paused channel still counts as playing";
    clock.AdvanceMilliseconds(80);
    EXPECT_FALSE(isPlaying(0));
    EXPECT_TRUE(isPlaying(5));
    setPaused(5, FALSE);
    clock.AdvanceMilliseconds(60);
    EXPECT_FALSE(isPlaying(5));
    EXPECT_EQ(playSound(kFsoundChannels, s), -1);
    EXPECT_EQ(playSound(3, 9999), -1);
}

TEST_F(FmodLibrary, ChannelVolumeIsAPercentageAndLoopModeRepeats)
{
    const DWORD s = load(-1, Write("tone.wav", ConstantWav(44100, 1, 441, 10000)).c_str(), 0, 0);
    playSound(2, s);
    setVolume(2, 40);
    loopMode(2, kFsoundLoopNormal);
    clock.AdvanceMilliseconds(100);
    EXPECT_TRUE(isPlaying(2));
    const std::vector<int16_t> captured = platform::dsound::testing::TakeMixedSamples();
    EXPECT_EQ(captured.at(2 * 2000), 4000);
}

TEST_F(FmodLibrary, FreeingASampleSilencesTheChannelsPlayingIt)
{
    const size_t before = platform::testing::FmodLibraryObjectCount();
    const DWORD s = load(-1, Write("tone.wav", ConstantWav(44100, 1, 44100, 1000)).c_str(), 0, 0);
    playSound(1, s);
    EXPECT_EQ(platform::testing::FmodLibraryObjectCount(), before + 1);
    freeSample(s);
    EXPECT_FALSE(isPlaying(1));
    EXPECT_EQ(platform::testing::FmodLibraryObjectCount(), before);
    EXPECT_EQ(length(s), 0u);
}

TEST_F(FmodLibrary, SongsAreModulesOrStreamsAndLoopUntilToldNot)
{
    const DWORD song = loadSong(Write("song.mod", TinyModule(2)).c_str());
    ASSERT_NE(song, 0u);
    playSong(song);
    clock.AdvanceMilliseconds(500);
    EXPECT_TRUE(songPlaying(song)) << "songs loop at first";
    songLooping(song, FALSE);
    clock.AdvanceMilliseconds(200);
    EXPECT_FALSE(songPlaying(song));
    EXPECT_TRUE(songOrder(song, 1));
    EXPECT_FALSE(songOrder(song, 2));

    const DWORD click = loadSong(Write("click.wav", ConstantWav(44100, 1, 441, 1000)).c_str());
    ASSERT_NE(click, 0u);
    songLooping(click, FALSE);
    playSong(click);
    EXPECT_TRUE(songPlaying(click));
    EXPECT_TRUE(songOrder(click, 0)) << "a stream has one order";
    EXPECT_FALSE(songOrder(click, 1));
    clock.AdvanceMilliseconds(20);
    EXPECT_FALSE(songPlaying(click));
    EXPECT_EQ(loadSong((folder / "missing.xm").c_str()), 0u);
}

TEST_F(FmodLibrary, FreeingASongStopsItAndLetsItGo)
{
    const size_t before = platform::testing::FmodLibraryObjectCount();
    const DWORD song = loadSong(Write("song.mod", TinyModule()).c_str());
    playSong(song);
    EXPECT_EQ(platform::testing::FmodLibraryObjectCount(), before + 1);
    EXPECT_TRUE(freeSong(song));
    EXPECT_FALSE(songPlaying(song));
    EXPECT_EQ(platform::testing::FmodLibraryObjectCount(), before);
    EXPECT_FALSE(freeSong(song)) << "a song is freed once";
}

TEST_F(FmodLibrary, CloseLetsGoOfEverything)
{
    const size_t channels = mixer.ChannelCount();
    loadSong(Write("song.mod", TinyModule()).c_str());
    const DWORD s = load(-1, Write("tone.wav", ConstantWav(44100, 1, 100, 1)).c_str(), 0, 0);
    playSound(0, s);
    EXPECT_GT(mixer.ChannelCount(), channels);
    close();
    EXPECT_EQ(mixer.ChannelCount(), channels);
    EXPECT_EQ(platform::testing::FmodLibraryObjectCount(), 0u);
}

} // namespace
