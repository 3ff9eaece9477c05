// Sound instances: volume as the buffer hears it, pitch, and the end of the
// program when a duplicate cannot be made.
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/window/WindowTesting.h"
#include "tests/framework/sound/SoundScene.h"

namespace sound_test {
namespace {

using Zolt::DSoundInstance;

TEST(DSoundInstanceVolume, LevelsBecomeHundredthsOfADecibel)
{
    EXPECT_EQ(DSoundInstance::VolumeToHundredthsOfDecibel(1.0), 0);
    EXPECT_EQ(DSoundInstance::VolumeToHundredthsOfDecibel(0.5), -605);
    EXPECT_EQ(DSoundInstance::VolumeToHundredthsOfDecibel(0.05), -1956);
    EXPECT_EQ(DSoundInstance::VolumeToHundredthsOfDecibel(0.04), -10000);
    EXPECT_EQ(DSoundInstance::VolumeToHundredthsOfDecibel(0.0), -10000);
    EXPECT_EQ(DSoundInstance::VolumeToHundredthsOfDecibel(-2.0), -10000) << "no logarithm of a negative";
    EXPECT_EQ(DSoundInstance::VolumeToHundredthsOfDecibel(3.0), 0);
}

class SoundInstanceScene : public SoundScene {
protected:
    void SetUp() override
    {
        SoundScene::SetUp();
        WavLayout layout;
        layout.rate = 22050;
        WriteGameFile("tone.wav", WavFile(Bytes(std::vector<int16_t>(22050, 6000)), layout));
        manager_ = MakeManager();
        ASSERT_TRUE(manager_->LoadSoundFile(0, "tone"));
    }
    void TearDown() override
    {
        manager_.reset();
        SoundScene::TearDown();
    }
    std::unique_ptr<Zolt::DSoundManager> manager_;
};

TEST_F(SoundInstanceScene, PitchShiftsBySemitonesWithinTheDevicesRange)
{
    // One second of sound at 22050 frames a second: how long it sounds tells
    // the frequency it plays at.
    Zolt::SoundInstance* instance = manager_->NewInstance(0);
    ASSERT_TRUE(instance->Start(false, false));
    instance->ShiftPitch(12);
    clock_.AdvanceMilliseconds(490);
    EXPECT_TRUE(instance->IsSounding());
    clock_.AdvanceMilliseconds(20);
    EXPECT_FALSE(instance->IsSounding()) << "an octave up: twice as fast";

    ASSERT_TRUE(instance->Start(false, false));
    instance->ShiftPitch(-200); // clamped to 100 frames a second
    clock_.AdvanceMilliseconds(2000);
    EXPECT_TRUE(instance->IsSounding());
    instance->ShiftPitch(0);
    clock_.AdvanceMilliseconds(1000);
    EXPECT_FALSE(instance->IsSounding());
}

TEST_F(SoundInstanceScene, ASoundStartedAgainPlaysFromItsBeginning)
{
    // The one-second tone, started again 700 ms in (a card dealt while the
    // last card's sound still plays), sounds its whole second once more.
    Zolt::SoundInstance* instance = manager_->NewInstance(0);
    ASSERT_TRUE(instance->Start(false, false));
    clock_.AdvanceMilliseconds(700);
    ASSERT_TRUE(instance->Start(false, false));
    clock_.AdvanceMilliseconds(900);
    EXPECT_TRUE(instance->IsSounding());
    clock_.AdvanceMilliseconds(200);
    EXPECT_FALSE(instance->IsSounding());
}

TEST_F(SoundInstanceScene, PansAddUpAndStopAtTheSides)
{
    Zolt::SoundInstance* instance = manager_->NewInstance(0);
    instance->SetDefaultPan(-8000);
    instance->SetInstancePan(-8000);
    ASSERT_TRUE(instance->Start(true, false));
    std::vector<int16_t> heard = Listen(10);
    EXPECT_EQ(heard[0], 6000);
    EXPECT_EQ(heard[1], 0) << "-16000 is as far left as it goes";
    instance->SetInstancePan(8000);
    heard = Listen(10);
    EXPECT_EQ(heard[1], 6000);
    EXPECT_EQ(heard[0], 6000);
    instance->SetInstanceVolume(0.0);
    EXPECT_DOUBLE_EQ(instance->QueryVolume(), 0.0);
    EXPECT_EQ(Listen(10)[0], 0);
}

TEST_F(SoundInstanceScene, AOneShotIsDiscardedOnlyAfterItHasFinished)
{
    Zolt::SoundInstance* instance = manager_->NewInstance(0);
    EXPECT_FALSE(instance->IsSounding()) << "not started yet";
    ASSERT_TRUE(instance->Start(false, true));
    EXPECT_TRUE(instance->IsSounding());
    EXPECT_FALSE(instance->IsDiscarded());
    clock_.AdvanceMilliseconds(1100);
    EXPECT_TRUE(instance->IsDiscarded());

    Zolt::SoundInstance* halted = manager_->NewInstance(0);
    ASSERT_TRUE(halted->Start(false, true));
    halted->Halt();
    EXPECT_FALSE(halted->IsDiscarded()) << "halting clears the one-shot flag";

    platform::testing::FailNext("DirectSoundBuffer::Play", platform::DSERR_BUFFERLOST);
    EXPECT_FALSE(halted->Start(false, false));
    platform::testing::FailNext("DirectSoundBuffer::GetStatus", platform::DSERR_BUFFERLOST);
    ASSERT_TRUE(halted->Start(true, false));
    EXPECT_FALSE(halted->IsSounding()) << "a status that cannot be read is not playing";
}

TEST_F(SoundInstanceScene, AFailedDuplicateNamesTheErrorAndEndsTheProgram)
{
    platform::testing::ScopedExitInterception exits;
    platform::testing::FailNext("DirectSound::DuplicateSoundBuffer", platform::DSERR_OUTOFMEMORY);
    size_t boxesBefore = platform::testing::RecordedBoxes().size();
    try {
        manager_->NewInstance(0);
        FAIL() << "the program should have ended";
    } catch (const platform::testing::ProcessExit& exit) {
        EXPECT_EQ(exit.code, 0u);
    }
    std::vector<platform::testing::RecordedBox> boxes = platform::testing::RecordedBoxes();
    ASSERT_EQ(boxes.size(), boxesBefore + 1);
    EXPECT_EQ(boxes.back().caption, "Hey");
    EXPECT_EQ(boxes.back().text, "DSERR_OUTOFMEMORY");

    platform::testing::FailNext("DirectSound::DuplicateSoundBuffer", platform::DSERR_BUFFERLOST);
    EXPECT_THROW(manager_->NewInstance(0), platform::testing::ProcessExit);
    EXPECT_EQ(platform::testing::RecordedBoxes().size(), boxesBefore + 1) << "no box for other errors";
}

} // namespace
} // namespace sound_test
