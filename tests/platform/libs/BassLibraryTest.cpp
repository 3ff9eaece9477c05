// Our bass.dll as the program reaches it: loaded by name from the module
// registry, its functions taken by name, playing on the headless mixer.
#include "platform/core/Clock.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/dsound/DSoundTesting.h"
#include "platform/libs/audio/AudioMixer.h"
#include "platform/libs/bass/BassLibrary.h"
#include "tests/platform/libs/AudioFixtures.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

using namespace platform::libs::bass;
using namespace audio_fixtures;
using platform::DWORD;
using platform::FALSE;
using platform::TRUE;

namespace {

class BassLibrary : public testing::Test {
protected:
    void SetUp() override
    {
        module = platform::LoadModule("bass.dll");
        ASSERT_TRUE(module);
        init = Get<BassInitFn>("BASS_Init");
        free = Get<BassFreeFn>("BASS_Free");
        stream = Get<BassStreamCreateFileFn>("BASS_StreamCreateFile");
        music = Get<BassMusicLoadFn>("BASS_MusicLoad");
        play = Get<BassChannelPlayFn>("BASS_ChannelPlay");
        stop = Get<BassChannelStopFn>("BASS_ChannelStop");
        pause = Get<BassChannelPauseFn>("BASS_ChannelPause");
        active = Get<BassChannelIsActiveFn>("BASS_ChannelIsActive");
        flags = Get<BassChannelSetFlagsFn>("BASS_ChannelSetFlags");
        setAttributes = Get<BassChannelSetAttributesFn>("BASS_ChannelSetAttributes");
        getAttributes = Get<BassChannelGetAttributesFn>("BASS_ChannelGetAttributes");
        setPosition = Get<BassChannelSetPositionFn>("BASS_ChannelSetPosition");
        getPosition = Get<BassChannelGetPositionFn>("BASS_ChannelGetPosition");
        setConfig = Get<BassSetConfigFn>("BASS_SetConfig");
        error = Get<BassErrorGetCodeFn>("BASS_ErrorGetCode");
        ASSERT_TRUE(init(1, 44100, 0, nullptr, nullptr));
        platform::dsound::testing::ResetAudio();
        platform::dsound::testing::StartCapture();
    }

    void TearDown() override
    {
        if (platform::testing::BassLibraryInitialised())
            free();
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

    DWORD Stream(const Bytes& bytes, DWORD streamFlags = 0)
    {
        return stream(FALSE, Write("s" + std::to_string(++files) + ".wav", bytes).c_str(), 0, 0, streamFlags);
    }

    platform::ManualClock clock{5000000};
    platform::ScopedClock scoped{clock};
    platform::testing::ScopedTempFolder folder;
    platform::libs::audio::Mixer& mixer = platform::libs::audio::Mixer::Instance();
    platform::HMODULE module = nullptr;
    int files = 0;
    BassInitFn init = nullptr;
    BassFreeFn free = nullptr;
    BassStreamCreateFileFn stream = nullptr;
    BassMusicLoadFn music = nullptr;
    BassChannelPlayFn play = nullptr;
    BassChannelStopFn stop = nullptr;
    BassChannelPauseFn pause = nullptr;
    BassChannelIsActiveFn active = nullptr;
    BassChannelSetFlagsFn flags = nullptr;
    BassChannelSetAttributesFn setAttributes = nullptr;
    BassChannelGetAttributesFn getAttributes = nullptr;
    BassChannelSetPositionFn setPosition = nullptr;
    BassChannelGetPositionFn getPosition = nullptr;
    BassSetConfigFn setConfig = nullptr;
    BassErrorGetCodeFn error = nullptr;
};

TEST_F(BassLibrary, StreamPlaysToItsEndAndReportsPlayingPausedStopped)
{
    const DWORD h = Stream(ConstantWav(44100, 2, 4410, 1000)); // 100 ms
    ASSERT_NE(h, 0u);
    EXPECT_EQ(active(h), kBassActiveStopped);
    ASSERT_TRUE(play(h, TRUE));
    EXPECT_EQ(active(h), kBassActivePlaying);
    clock.AdvanceMilliseconds(30);
    ASSERT_TRUE(pause(h));
    EXPECT_EQ(active(h), kBassActivePaused);
    clock.AdvanceMilliseconds(500);
    EXPECT_FALSE(pause(h)) << "a paused channel does not pause again";
    EXPECT_EQ(error(), kBassErrorNotPlaying);
    ASSERT_TRUE(play(h, FALSE));
    clock.AdvanceMilliseconds(60);
    EXPECT_EQ(active(h), kBassActivePlaying) << "resumed where it was held";
    clock.AdvanceMilliseconds(20);
    EXPECT_EQ(active(h), kBassActiveStopped);
}

TEST_F(BassLibrary, LoopFlagKeepsAStreamGoingUntilItIsCleared)
{
    const DWORD h = Stream(ConstantWav(44100, 1, 441, 1000), kBassLoop);
    play(h, TRUE);
    clock.AdvanceMilliseconds(1000);
    EXPECT_EQ(active(h), kBassActivePlaying);
    flags(h, 0);
    clock.AdvanceMilliseconds(20);
    EXPECT_EQ(active(h), kBassActiveStopped);
}

TEST_F(BassLibrary, AttributesChangeWhatIsHeardAndBadValuesChangeNothing)
{
    const DWORD h = Stream(ConstantWav(44100, 1, 44100, 10000));
    EXPECT_TRUE(setAttributes(h, -1, 50, -100));
    EXPECT_FALSE(setAttributes(h, -1, 101, -101));
    EXPECT_EQ(error(), kBassErrorIllegalParameter);
    EXPECT_FALSE(setAttributes(h, 50, -1, -101)) << "a rate below 100";
    EXPECT_FALSE(setAttributes(h, -1, -1, 150));
    DWORD rate = 0, volume = 0;
    int pan = 0;
    ASSERT_TRUE(getAttributes(h, &rate, &volume, &pan));
    EXPECT_EQ(rate, 44100u);
    EXPECT_EQ(volume, 50u);
    EXPECT_EQ(pan, -100);
    play(h, TRUE);
    clock.AdvanceMilliseconds(10);
    const std::vector<int16_t> captured = platform::dsound::testing::TakeMixedSamples();
    EXPECT_EQ(captured.at(200), 5000);
    EXPECT_EQ(captured.at(201), 0);
}

TEST_F(BassLibrary, StreamAndMusicVolumesScaleOnlyTheirKind)
{
    const DWORD h = Stream(ConstantWav(44100, 1, 44100, 10000));
    EXPECT_EQ(setConfig(kBassConfigStreamVolume, 25), 25u);
    EXPECT_EQ(setConfig(kBassConfigMusicVolume, 0), 0u);
    EXPECT_EQ(setConfig(12345, 1), DWORD(-1));
    play(h, TRUE);
    clock.AdvanceMilliseconds(10);
    EXPECT_EQ(platform::dsound::testing::TakeMixedSamples().at(200), 2500);
    setConfig(kBassConfigStreamVolume, 100);
    setConfig(kBassConfigMusicVolume, 100);
}

TEST_F(BassLibrary, ModulePositionsAreOrders)
{
    const std::string path = Write("song.mod", TinyModule(3));
    const DWORD h = music(FALSE, path.c_str(), 0, 0, 0, 0);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(Get<BassMusicGetOrdersFn>("BASS_MusicGetOrders")(h), 3u);
    EXPECT_TRUE(setPosition(h, 0xFFFFFFFF80000002ull));
    EXPECT_EQ(getPosition(h), 2u);
    EXPECT_FALSE(setPosition(h, 0xFFFFFFFF80000005ull));
    EXPECT_EQ(error(), kBassErrorPosition);
    EXPECT_FALSE(setPosition(h, 1000)) << "a byte position means nothing in a module";
    play(h, FALSE);
    clock.AdvanceMilliseconds(10);
    EXPECT_EQ(active(h), kBassActivePlaying);
    clock.AdvanceMilliseconds(200);
    EXPECT_EQ(active(h), kBassActiveStopped) << "one order left, played once";
}

TEST_F(BassLibrary, StreamPositionsAreBytesOfTheDecodedSound)
{
    const Bytes wav = ConstantWav(22050, 2, 22050, 100);
    const DWORD h = stream(TRUE, wav.data(), 0, wav.size(), 0);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(setPosition(h, 4 * 11025)); // half way
    EXPECT_EQ(getPosition(h), 4u * 11025u);
    EXPECT_EQ(Get<BassChannelGetLengthFn>("BASS_ChannelGetLength")(h), 4u * 22050u);
    EXPECT_FALSE(setPosition(h, 4 * 30000));
    play(h, FALSE);
    clock.AdvanceMilliseconds(490);
    EXPECT_EQ(active(h), kBassActivePlaying);
    clock.AdvanceMilliseconds(20);
    EXPECT_EQ(active(h), kBassActiveStopped);
}

TEST_F(BassLibrary, LoadFailuresGiveNoHandleAndSayWhy)
{
    EXPECT_EQ(stream(FALSE, (folder / "missing.ogg").c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(error(), kBassErrorFileOpen);
    EXPECT_EQ(stream(FALSE, Write("junk.mp3", Bytes(1000, 0)).c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(error(), kBassErrorFormat);
    const std::string wav = Write("tone.wav", SineWav(8000, 1, 16, 100));
    EXPECT_EQ(music(FALSE, wav.c_str(), 0, 0, 0, 0), 0u) << "a stream is not a module";
    EXPECT_EQ(error(), kBassErrorFormat);
    EXPECT_FALSE(play(12345, TRUE));
    EXPECT_EQ(error(), kBassErrorHandle);
    EXPECT_EQ(active(12345), kBassActiveStopped);
}

TEST_F(BassLibrary, FreeLetsGoOfEveryChannelAndLoadsThenNeedInit)
{
    const size_t before = mixer.ChannelCount();
    Stream(ConstantWav(44100, 1, 100, 1));
    const std::string path = Write("song.mod", TinyModule());
    music(FALSE, path.c_str(), 0, 0, 0, 0);
    EXPECT_EQ(mixer.ChannelCount(), before + 2);
    EXPECT_FALSE(init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(error(), kBassErrorAlready);
    ASSERT_TRUE(free());
    EXPECT_EQ(mixer.ChannelCount(), before);
    EXPECT_EQ(Stream(ConstantWav(44100, 1, 100, 1)), 0u);
    EXPECT_EQ(error(), kBassErrorNotInitialised);
}

TEST_F(BassLibrary, StopAndStartHoldAndResumeTheWholeOutput)
{
    const DWORD a = Stream(ConstantWav(44100, 1, 4410, 1));
    const DWORD b = Stream(ConstantWav(44100, 1, 4410, 1));
    play(a, TRUE);
    Get<BassStopFn>("BASS_Stop")();
    EXPECT_EQ(active(a), kBassActivePaused);
    EXPECT_EQ(active(b), kBassActiveStopped);
    clock.AdvanceMilliseconds(500);
    Get<BassStartFn>("BASS_Start")();
    EXPECT_EQ(active(a), kBassActivePlaying);
    EXPECT_EQ(active(b), kBassActiveStopped) << "only what the stop held comes back";
}

} // namespace
