// The shared mixer on the headless output: the manual clock decides how much
// has played, and the capture holds what was mixed.
#include "platform/dsound/AudioOutput.h"
#include "platform/dsound/DSoundTesting.h"
#include "platform/libs/audio/AudioMixer.h"
#include "platform/core/Clock.h"
#include "tests/platform/libs/AudioFixtures.h"

#include <gtest/gtest.h>

using namespace platform::libs::audio;
using namespace audio_fixtures;

namespace {

class MixerScene : public testing::Test {
protected:
    void SetUp() override
    {
        platform::dsound::testing::ResetAudio();
        platform::dsound::testing::StartCapture();
    }

    // The mixer is the process's one: the channels a test made go with it,
    // or a looping one would still be heard in the next test.
    void TearDown() override
    {
        for (uint32_t channel : made)
            mixer.Remove(channel);
    }

    uint32_t AddConstant(int rate, int frames, int16_t level, int channels = 1)
    {
        return Made(mixer.AddDecoder(OpenWav(ConstantWav(rate, channels, frames, level))));
    }
    uint32_t Made(uint32_t channel)
    {
        made.push_back(channel);
        return channel;
    }

    void AdvanceMs(uint64_t ms) { clock.AdvanceMilliseconds(ms); }

    // Left samples of the captured frames [from, to).
    static int LeftAt(const std::vector<int16_t>& captured, size_t frame) { return captured.at(frame * 2); }

    platform::ManualClock clock{1000000};
    platform::ScopedClock scoped{clock};
    Mixer& mixer = Mixer::Instance();
    std::vector<uint32_t> made;
};

TEST_F(MixerScene, ChannelPlayedOnceStopsAtItsEnd)
{
    const uint32_t channel = AddConstant(44100, 4410, 1000);
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(mixer.State(channel), ChannelState::Stopped);
    mixer.Play(channel, true);
    AdvanceMs(50);
    EXPECT_EQ(mixer.State(channel), ChannelState::Playing);
    AdvanceMs(60);
    EXPECT_EQ(mixer.State(channel), ChannelState::Stopped);
    const std::vector<int16_t> captured = platform::dsound::testing::TakeMixedSamples();
    ASSERT_EQ(captured.size(), size_t(44100 * 110 / 1000) * 2);
    EXPECT_EQ(LeftAt(captured, 10), 1000);
    EXPECT_EQ(LeftAt(captured, 4400), 1000);
    EXPECT_EQ(Peak(captured, 4420 * 2), 0) << "silence after the end";
}

TEST_F(MixerScene, LoopingChannelGoesOnAndAStoppedOneStartsAgainFromTheTop)
{
    const uint32_t channel = AddConstant(44100, 441, 1000);
    mixer.SetLooping(channel, true);
    mixer.Play(channel, true);
    AdvanceMs(1000);
    EXPECT_EQ(mixer.State(channel), ChannelState::Playing);
    std::vector<int16_t> captured = platform::dsound::testing::TakeMixedSamples();
    EXPECT_EQ(LeftAt(captured, 44000), 1000);

    mixer.SetLooping(channel, false);
    AdvanceMs(20);
    EXPECT_EQ(mixer.State(channel), ChannelState::Stopped);
    mixer.Play(channel, false);
    EXPECT_EQ(mixer.State(channel), ChannelState::Playing) << "played to its end, it starts over";
}

TEST_F(MixerScene, PauseKeepsThePlaceAndStopDoesNotRewind)
{
    const uint32_t channel = AddConstant(44100, 4410, 1000);
    mixer.Play(channel, true);
    AdvanceMs(50);
    EXPECT_TRUE(mixer.Pause(channel));
    EXPECT_FALSE(mixer.Pause(channel)) << "only a playing channel pauses";
    const uint64_t held = mixer.Position(channel);
    AdvanceMs(1000);
    EXPECT_EQ(mixer.State(channel), ChannelState::Paused);
    EXPECT_EQ(mixer.Position(channel), held);
    mixer.Play(channel, false);
    AdvanceMs(40);
    EXPECT_EQ(mixer.State(channel), ChannelState::Playing);
    mixer.Stop(channel);
    mixer.Play(channel, false);
    AdvanceMs(20);
    EXPECT_EQ(mixer.State(channel), ChannelState::Stopped) << "the last 10 ms played after the stop";
}

TEST_F(MixerScene, VolumeLibraryBoostAndMasterGainsMultiply)
{
    const uint32_t channel = AddConstant(44100, 44100, 16000);
    mixer.SetGain(channel, Gain::Volume, 0.5f);
    mixer.SetGain(channel, Gain::Library, 0.5f);
    mixer.SetGain(channel, Gain::Boost, 2.0f);
    platform::dsound::AudioOutput::Instance().SetMasterGain(0.25f, 0.25f);
    mixer.Play(channel, true);
    AdvanceMs(10);
    const std::vector<int16_t> captured = platform::dsound::testing::TakeMixedSamples();
    EXPECT_EQ(LeftAt(captured, 100), 2000);
}

TEST_F(MixerScene, PanToOneSideSilencesTheOther)
{
    const uint32_t channel = AddConstant(44100, 44100, 8000);
    mixer.SetPan(channel, -1.0f);
    mixer.Play(channel, true);
    AdvanceMs(10);
    const std::vector<int16_t> captured = platform::dsound::testing::TakeMixedSamples();
    EXPECT_EQ(captured.at(200), 8000);
    EXPECT_EQ(captured.at(201), 0);
}

TEST_F(MixerScene, SourceRateAndPlaybackRateSetTheDuration)
{
    const uint32_t channel = AddConstant(22050, 2205, 1000); // 100 ms at its own rate
    mixer.Play(channel, true);
    AdvanceMs(95);
    EXPECT_EQ(mixer.State(channel), ChannelState::Playing);
    AdvanceMs(10);
    EXPECT_EQ(mixer.State(channel), ChannelState::Stopped);

    mixer.SetRate(channel, 11025);
    mixer.Play(channel, true);
    AdvanceMs(190);
    EXPECT_EQ(mixer.State(channel), ChannelState::Playing) << "half the rate, twice as long";
    AdvanceMs(15);
    EXPECT_EQ(mixer.State(channel), ChannelState::Stopped);
}

std::shared_ptr<SampleBuffer> TwoLevelSample(int16_t first, int16_t second, int framesEach)
{
    auto sample = std::make_shared<SampleBuffer>();
    sample->channels = 1;
    sample->bits = 16;
    sample->rate = 44100;
    for (int i = 0; i < framesEach * 2; ++i) {
        const uint16_t v = uint16_t(i < framesEach ? first : second);
        sample->pcm.push_back(uint8_t(v));
        sample->pcm.push_back(uint8_t(v >> 8));
    }
    return sample;
}

TEST_F(MixerScene, LoopingSamplePlaysItsStartOnceThenRepeatsTheLoop)
{
    auto sample = TwoLevelSample(1000, 3000, 100);
    sample->loopStart = 100;
    sample->loopEnd = 199;
    const uint32_t channel = Made(mixer.AddSample(sample));
    mixer.SetLooping(channel, true);
    mixer.Play(channel, true);
    AdvanceMs(20);
    const std::vector<int16_t> captured = platform::dsound::testing::TakeMixedSamples();
    EXPECT_EQ(LeftAt(captured, 50), 1000);
    EXPECT_EQ(LeftAt(captured, 150), 3000);
    EXPECT_EQ(LeftAt(captured, 850), 3000) << "the start is not heard again";
}

TEST_F(MixerScene, LockedSampleIsSilentWhileItsTimePasses)
{
    auto sample = TwoLevelSample(1000, 1000, 2205);
    {
        auto guard = mixer.Guard();
        sample->locks = 1;
    }
    const uint32_t channel = Made(mixer.AddSample(sample));
    mixer.Play(channel, true);
    AdvanceMs(50);
    {
        auto guard = mixer.Guard();
        sample->locks = 0;
    }
    AdvanceMs(40);
    const std::vector<int16_t> captured = platform::dsound::testing::TakeMixedSamples();
    EXPECT_EQ(Peak(captured, 0, 2000 * 2), 0);
    EXPECT_EQ(LeftAt(captured, 2205 + 700), 1000) << "heard again within a block of the unlock";
    AdvanceMs(20);
    EXPECT_EQ(mixer.State(channel), ChannelState::Stopped) << "the locked part was not played later";
}

TEST_F(MixerScene, RemovedChannelIsGoneAndUnknownOnesAreRefused)
{
    const size_t before = mixer.ChannelCount();
    const uint32_t channel = AddConstant(44100, 100, 1);
    EXPECT_EQ(mixer.ChannelCount(), before + 1);
    mixer.Remove(channel);
    EXPECT_EQ(mixer.ChannelCount(), before);
    EXPECT_EQ(mixer.State(channel), ChannelState::Missing);
    EXPECT_FALSE(mixer.Play(channel, true));
    EXPECT_FALSE(mixer.SetGain(channel, Gain::Volume, 1.0f));
    EXPECT_EQ(mixer.AddDecoder(nullptr), 0u);
    auto bad = std::make_shared<SampleBuffer>();
    bad->bits = 12;
    EXPECT_EQ(mixer.AddSample(bad), 0u);
}

} // namespace
