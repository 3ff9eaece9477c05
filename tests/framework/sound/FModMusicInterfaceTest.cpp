// The fmod back end through our own fmod.dll on the headless mixer: sample
// tracks and their cache of decoded sounds, joined tracks, songs, levels and
// fades, and the missing-library paths.
//
// No Ogg Vorbis encoder is at hand, so the "decoded" sources below are WAV
// bytes under ".ogg" names: our library decodes by content, and what is
// tested here is the caching around the decoding.
#include "framework/base/PathUtils.h"
#include "framework/sound/FModMusicInterface.h"
#include "framework/sound/FmodSoundFunctions.h"
#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/core/Process.h"
#include "platform/dsound/DSoundTesting.h"
#include "platform/libs/audio/AudioMixer.h"
#include "platform/window/WindowTesting.h"
#include "tests/framework/sound/SoundScene.h"
#include "tests/platform/libs/AudioFixtures.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <memory>

using namespace audio_fixtures;

namespace {

class FModBackEnd : public testing::Test {
protected:
    void SetUp() override
    {
        SetAppDataFolder(folder / "appdata");
        platform::dsound::testing::ResetAudio();
        platform::dsound::testing::StartCapture();
        music = std::make_unique<Zolt::FModMusicInterface>(nullptr);
        fmod = Zolt::AcquireFmodInstance();
    }

    void TearDown() override
    {
        music.reset();
        fmod->FSOUND_Close();
        Zolt::ReleaseFmodInstance();
        SetAppDataFolder("");
    }

    // Writes `bytes` as `relative` + ".ogg"; returns the name without extension.
    std::string Source(const std::string& relative, const Bytes& bytes)
    {
        const std::string path = folder / relative;
        platform::MakeDirectories(PathDirectory(path, false));
        EXPECT_TRUE(WriteBytes(path + ".ogg", bytes));
        return path;
    }

    std::vector<int16_t> Play(uint64_t ms)
    {
        clock.AdvanceMilliseconds(ms);
        return platform::dsound::testing::TakeMixedSamples();
    }

    platform::ManualClock clock{3000000};
    platform::ScopedClock scoped{clock};
    platform::testing::ScopedTempFolder folder;
    platform::libs::audio::Mixer& mixer = platform::libs::audio::Mixer::Instance();
    std::unique_ptr<Zolt::FModMusicInterface> music;
    Zolt::FMOD_INSTANCE* fmod = nullptr;
};

TEST_F(FModBackEnd, SampleIsDecodedOnceAndThenReadFromTheCache)
{
    const std::string intro = Source("music/intro", ConstantWav(22050, 2, 300, 1234));
    ASSERT_TRUE(music->LoadSampleTrack(1, intro, false));
    const std::string cache = Zolt::FModMusicInterface::CacheFileName(intro);
    EXPECT_EQ(cache, folder / "appdata\\cached\\intro.wav");
    std::string cached;
    ASSERT_TRUE(platform::ReadWholeFile(cache, &cached)) << "the decoded sound was kept";
    EXPECT_EQ(Bytes(cached.begin(), cached.end()), ConstantWav(22050, 2, 300, 1234)) << "as a plain WAV file";

    ASSERT_TRUE(platform::DeleteFile(intro + ".ogg"));
    EXPECT_TRUE(music->LoadSampleTrack(2, intro, false)) << "the second load needs only the cache";
    EXPECT_EQ(fmod->FSOUND_Sample_GetLength(music->FindTrack(2)->sample), 300u);
}

TEST_F(FModBackEnd, SameFileNameInTwoFoldersSharesOneCacheFile)
{
    const std::string a = Source("a/theme", ConstantWav(44100, 1, 100, 1));
    const std::string b = Source("b/theme", ConstantWav(44100, 1, 700, 1));
    ASSERT_TRUE(music->LoadSampleTrack(1, a, false));
    ASSERT_TRUE(music->LoadSampleTrack(2, b, false));
    EXPECT_EQ(fmod->FSOUND_Sample_GetLength(music->FindTrack(2)->sample), 100u) << "b got a's sound";
    EXPECT_FALSE(music->LoadSampleTrack(3, folder / "nothing/here", false));
    EXPECT_FALSE(music->FindTrack(3));
}

TEST_F(FModBackEnd, JoinedTrackPlaysItsIntroductionOnceAndLoopsTheRest)
{
    const size_t before = platform::testing::FmodLibraryObjectCount();
    const std::string intro = Source("intro", ConstantWav(44100, 1, 441, 1000));
    const std::string loop = Source("loop", ConstantWav(44100, 1, 441, 3000));
    ASSERT_TRUE(music->LoadTrackFromCache(3, intro, loop, true));
    EXPECT_EQ(platform::testing::FmodLibraryObjectCount(), before + 1) << "only the joined sample stays";
    music->StartTrack(3, 0, false);
    EXPECT_TRUE(fmod->FSOUND_IsPlaying(3)) << "a sample track plays on the channel of its id";
    const std::vector<int16_t> heard = Play(100);
    EXPECT_EQ(heard.at(2 * 200), 1000);
    EXPECT_EQ(heard.at(2 * 600), 3000);
    EXPECT_EQ(heard.at(2 * 1500), 3000) << "the introduction is not heard again";
    EXPECT_EQ(heard.at(2 * 4000), 3000);
    EXPECT_TRUE(music->IsTrackPlaying(3));
}

TEST_F(FModBackEnd, JoiningDifferentRatesFailsAndKeepsNothing)
{
    const size_t before = platform::testing::FmodLibraryObjectCount();
    const std::string intro = Source("intro", ConstantWav(44100, 1, 100, 1));
    const std::string loop = Source("loop", ConstantWav(22050, 1, 100, 1));
    EXPECT_FALSE(music->LoadTrackFromCache(1, intro, loop, true));
    EXPECT_FALSE(music->FindTrack(1));
    EXPECT_EQ(platform::testing::FmodLibraryObjectCount(), before);
    const std::string mono = Source("mono", ConstantWav(44100, 1, 100, 1));
    const std::string stereo = Source("stereo", ConstantWav(44100, 2, 100, 1));
    EXPECT_FALSE(music->LoadTrackFromCache(2, mono, stereo, true)) << "different modes";
    EXPECT_FALSE(music->LoadTrackFromCache(2, mono, folder / "missing", true));
    EXPECT_EQ(platform::testing::FmodLibraryObjectCount(), before);
}

TEST_F(FModBackEnd, SoundAskedOnceIsHeardOnce)
{
    const std::string click = folder / "click.wav";
    ASSERT_TRUE(WriteBytes(click, ConstantWav(44100, 1, 441, 8000)));
    ASSERT_TRUE(music->LoadMusicFile(9, click));
    music->StartTrackAtVolume(9, 0.5, 0, true);
    EXPECT_TRUE(music->IsTrackPlaying(9));
    const std::vector<int16_t> heard = Play(50);
    EXPECT_EQ(heard.at(2 * 100), 4000);
    EXPECT_FALSE(music->IsTrackPlaying(9));
    EXPECT_EQ(Peak(heard, 2 * 460), 0);
}

TEST_F(FModBackEnd, LevelIsTrackVolumeTimesOverallVolume)
{
    const std::string tone = Source("tone", ConstantWav(44100, 1, 44100, 10000));
    ASSERT_TRUE(music->LoadSampleTrack(5, tone, true));
    music->StartTrackAtVolume(5, 0.8, 0, false);
    music->SetOverallVolume(0.5);
    EXPECT_EQ(Play(10).back(), 4000);
    music->SetTrackVolume(5, 0.2);
    EXPECT_EQ(Play(10).back(), 1000);
}

TEST_F(FModBackEnd, HeldSampleIsSilentAndContinuesWhereItWas)
{
    const std::string tone = Source("tone", ConstantWav(44100, 1, 4410, 1000));
    ASSERT_TRUE(music->LoadSampleTrack(2, tone, false));
    music->StartTrack(2, 0, false);
    Play(50);
    music->HoldTrack(2);
    EXPECT_EQ(Peak(Play(500)), 0);
    music->ContinueTrack(2);
    EXPECT_EQ(Play(20).back(), 1000);
    Play(40);
    EXPECT_FALSE(music->IsTrackPlaying(2));
}

TEST_F(FModBackEnd, FadeAllTracksOutReachesSongsAndSamples)
{
    const std::string tone = Source("tone", ConstantWav(44100, 1, 441, 1000));
    const std::string song = folder / "song.mod";
    ASSERT_TRUE(WriteBytes(song, TinyModule()));
    ASSERT_TRUE(music->LoadSampleTrack(1, tone, true));
    ASSERT_TRUE(music->LoadMusicFile(2, song));
    music->StartTrack(1, 0, false);
    music->StartTrack(2, 0, false);
    music->FadeAllTracksOut(true, 0.4);
    for (int i = 0; i < 4; ++i)
        music->AdvanceFades();
    EXPECT_EQ(music->FindTrack(1)->volume, 0.0);
    EXPECT_EQ(music->FindTrack(2)->volume, 0.0);
    EXPECT_FALSE(music->IsTrackPlaying(1));
    EXPECT_FALSE(music->IsTrackPlaying(2));
}

TEST_F(FModBackEnd, FadeInOfAPlayingSongOnlyRaisesItsLevel)
{
    const std::string song = folder / "song.mod";
    ASSERT_TRUE(WriteBytes(song, TinyModule(3)));
    ASSERT_TRUE(music->LoadMusicFile(1, song));
    music->FadeTrackIn(1, -1, 0.25, false);
    EXPECT_TRUE(music->IsTrackPlaying(1));
    for (int i = 0; i < 10; ++i)
        music->AdvanceFades();
    EXPECT_DOUBLE_EQ(music->FindTrack(1)->volume, 1.0);
    music->HaltTrack(1);
    EXPECT_FALSE(music->IsTrackPlaying(1));
    EXPECT_EQ(music->FindTrack(1)->volume, 0.0);
}

TEST_F(FModBackEnd, SongOrSampleLoadedUnderATakenIdIsLetGo)
{
    const std::string song = folder / "song.mod";
    ASSERT_TRUE(WriteBytes(song, TinyModule()));
    const std::string tone = Source("tone", ConstantWav(44100, 1, 100, 1));
    ASSERT_TRUE(music->LoadMusicFile(1, song));
    const uint32_t first = music->FindTrack(1)->module;
    const size_t loaded = platform::testing::FmodLibraryObjectCount();
    EXPECT_TRUE(music->LoadMusicFile(1, song));
    EXPECT_TRUE(music->LoadSampleTrack(1, tone, false));
    EXPECT_TRUE(music->LoadTrackFromCache(1, tone, tone, true));
    EXPECT_EQ(platform::testing::FmodLibraryObjectCount(), loaded) << "nothing stays loaded that no track reaches";
    EXPECT_EQ(music->FindTrack(1)->module, first) << "the id keeps its track";
}

class MissingFmod : public testing::Test {
protected:
    MissingFmod() { platform::testing::ResetWindowSystem(); }

    void ExpectEndsWithBox(const std::string& text)
    {
        platform::testing::ScopedExitInterception exits;
        try {
            Zolt::FModMusicInterface music(nullptr);
            ADD_FAILURE() << "the back end was built";
        } catch (const platform::testing::ProcessExit& exit) {
            EXPECT_EQ(exit.code, 0u);
        }
        const auto boxes = platform::testing::RecordedBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Error");
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].flags & platform::MB_ICONMASK, platform::MB_ICONERROR);
        EXPECT_EQ(platform::testing::ModuleReferenceCount("fmod.dll"), 0);
    }
};

TEST_F(MissingFmod, LibraryNotFound)
{
    platform::testing::HideModule("fmod.dll");
    ExpectEndsWithBox("Can't find fmod.dll.");
}

TEST_F(MissingFmod, FunctionNotFoundNamesItInQuotes)
{
    platform::testing::HideModuleEntry("fmod.dll", "_FMUSIC_IsPlaying@4");
    ExpectEndsWithBox("\"_FMUSIC_IsPlaying@4\" function not found in fmod.dll");
}

TEST(FmodTable, ALibraryThatCannotFreeSongsStillServes)
{
    platform::testing::ResetWindowSystem();
    platform::testing::ScopedExitInterception exits;
    platform::testing::HideModuleEntry("fmod.dll", "_FMUSIC_FreeSong@4");
    Zolt::FModMusicInterface music(nullptr);
    EXPECT_TRUE(platform::testing::RecordedBoxes().empty());
}

TEST(FmodTable, SharedWithTheSoundManagerAndFreedWithTheLastUser)
{
    auto music = std::make_unique<Zolt::FModMusicInterface>(nullptr);
    Zolt::FMOD_INSTANCE* shared = Zolt::AcquireFmodInstance(); // as the sound manager does
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fmod.dll"), 1);
    music.reset();
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fmod.dll"), 1) << "still in use";
    EXPECT_TRUE(shared->FSOUND_Init(44100, 64, 0));
    Zolt::ReleaseFmodInstance();
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fmod.dll"), 0);
}

TEST(FmodTable, SoundManagerViewDecodesMp3SoundsThroughTheSameLibrary)
{
    platform::testing::ScopedTempFolder folder;
    const std::string mp3 = folder / "chip.mp3";
    ASSERT_TRUE(WriteBytes(mp3, SilentMp3(6)));
    auto music = std::make_unique<Zolt::FModMusicInterface>(nullptr);
    const Zolt::FmodSoundFunctions* fmod = Zolt::AcquireFmodSoundFunctions();
    ASSERT_NE(fmod, nullptr);
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fmod.dll"), 1) << "one library for both";
    Zolt::FSOUND_SAMPLE* sample = fmod->FSOUND_Sample_Load(-1, mp3.c_str(), 0, 0);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(fmod->FSOUND_Sample_GetMode(sample) & (Zolt::kFsoundMono | Zolt::kFsound8Bits), Zolt::kFsoundMono);
    int rate = 0;
    EXPECT_EQ(fmod->FSOUND_Sample_GetDefaults(sample, &rate, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(rate, 44100);
    const unsigned int frames = fmod->FSOUND_Sample_GetLength(sample);
    EXPECT_GE(frames, 5u * 1152u);
    void* first = nullptr;
    void* second = nullptr;
    unsigned int firstLength = 0, secondLength = 0;
    ASSERT_EQ(fmod->FSOUND_Sample_Lock(sample, 0, int(frames * 2), &first, &second, &firstLength, &secondLength), 1);
    EXPECT_EQ(firstLength, frames * 2);
    EXPECT_EQ(fmod->FSOUND_Sample_Unlock(sample, first, second, firstLength, secondLength), 1);
    EXPECT_EQ(fmod->FSOUND_Sample_Lock(sample, 0, int(frames * 2) + 1, &first, &second, &firstLength, &secondLength), 0);
    fmod->FSOUND_Sample_Free(sample);
    Zolt::ReleaseFmodSoundFunctions();
    music.reset();
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fmod.dll"), 0);
}

} // namespace

namespace {

TEST(FmodTable, SoundManagerHasNoTableWithoutTheBackEndAndGetsItBackAfterAStandIn)
{
    const Zolt::FmodSoundProvider backEnd = Zolt::SetFmodSoundProvider(nullptr, nullptr);
    ASSERT_NE(backEnd.acquire, nullptr) << "the music back end provides the table from the start";
    EXPECT_EQ(Zolt::AcquireFmodSoundFunctions(), nullptr);
    Zolt::ReleaseFmodSoundFunctions();
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fmod.dll"), 0) << "no library of its own";
    Zolt::SetFmodSoundProvider(backEnd.acquire, backEnd.release);

    { sound_test::FakeFmod standIn; }
    auto music = std::make_unique<Zolt::FModMusicInterface>(nullptr);
    ASSERT_NE(Zolt::AcquireFmodSoundFunctions(), nullptr);
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fmod.dll"), 1) << "the back end's table again";
    Zolt::ReleaseFmodSoundFunctions();
    music.reset();
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fmod.dll"), 0);
}

} // namespace
