// The sound manager: how it finds its device, hands out ids and instances,
// sweeps finished one-shot sounds, and keeps the wave-out volume.
#include "framework/base/PathUtils.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/dsound/DSoundTesting.h"
#include "platform/dsound/WaveMixer.h"
#include "tests/framework/sound/SoundScene.h"

#include <cmath>

namespace sound_test {
namespace {

class SoundManagerScene : public SoundScene {
protected:
    void SetUp() override
    {
        SoundScene::SetUp();
        WavLayout layout;
        layout.rate = 44100;
        // 50 ms of a steady level, so what plays is easy to recognise.
        WriteGameFile("sounds/click.wav", WavFile(Bytes(std::vector<int16_t>(2205, 8000)), layout));
        WriteGameFile("sounds/beep.wav", WavFile(Bytes(std::vector<int16_t>(2205, 4000)), layout));
    }
};

TEST_F(SoundManagerScene, WithoutAWindowOrLibraryTheManagerIsSilentButWorks)
{
    Zolt::DSoundManager noWindow(nullptr, false);
    EXPECT_FALSE(noWindow.IsReady());
    EXPECT_TRUE(noWindow.LoadSoundFile(5, "sounds/click")) << "loads succeed without data";
    EXPECT_EQ(noWindow.CountLoadedSounds(), 0);
    Zolt::SoundInstance* silent = noWindow.NewInstance(5);
    ASSERT_NE(silent, nullptr);
    EXPECT_FALSE(silent->Start(false, true));
    EXPECT_FALSE(silent->IsSounding());
    EXPECT_FALSE(silent->IsDiscarded()) << "a silent instance is only discarded when told";
    silent->Discard();
    EXPECT_TRUE(silent->IsDiscarded());

    platform::testing::HideModule("dsound.dll");
    EXPECT_FALSE(MakeManager()->IsReady());
    platform::testing::ClearModuleHiding();
    platform::testing::HideModuleEntry("dsound.dll", "DirectSoundCreate");
    EXPECT_FALSE(MakeManager()->IsReady());
    platform::testing::ClearModuleHiding();
    platform::testing::FailNext("DirectSoundCreate", platform::DSERR_NODRIVER);
    EXPECT_FALSE(MakeManager()->IsReady());
    EXPECT_EQ(platform::testing::ModuleReferenceCount("dsound.dll"), 0) << "every load was given back";
}

TEST_F(SoundManagerScene, WithoutPriorityLevelTheDeviceRunsAtNormalLevel)
{
    platform::testing::FailNext("DirectSound::SetCooperativeLevel", platform::DSERR_OTHERAPPHASPRIO);
    platform::testing::FailNext("DirectSound::CreateSoundBuffer", platform::DSERR_GENERIC);
    auto manager = MakeManager();
    EXPECT_TRUE(manager->IsReady());
    EXPECT_EQ(platform::testing::PendingFailures("DirectSound::CreateSoundBuffer"), 1)
        << "no primary buffer is made at normal level";
    platform::testing::ClearFailures();
    ASSERT_TRUE(manager->LoadSoundFile(0, "sounds/click"));
    ASSERT_TRUE(manager->NewInstance(0)->Start(false, false));
    EXPECT_EQ(Listen(10)[0], 8000);
}

TEST_F(SoundManagerScene, NamesAreFoundAgainAndNewOnesTakeTheHighestFreeIds)
{
    auto manager = MakeManager();
    EXPECT_EQ(manager->FindOrLoadSound("sounds/click"), 255);
    EXPECT_EQ(manager->FindOrLoadSound("sounds/beep"), 254);
    EXPECT_EQ(manager->FindOrLoadSound("sounds/click"), 255);
    EXPECT_EQ(manager->FindOrLoadSound("sounds/missing"), -1);
    EXPECT_EQ(manager->FindOrLoadSound("sounds/missing"), -1) << "a failed name is not remembered as loaded";
    EXPECT_EQ(manager->FirstFreeSoundId(), 0);
    EXPECT_EQ(manager->CountLoadedSounds(), 2);

    manager->FreeAllSounds();
    EXPECT_EQ(manager->CountLoadedSounds(), 0);
    EXPECT_EQ(manager->FindOrLoadSound("sounds/beep"), 255) << "loaded anew after everything was freed";
    EXPECT_NE(manager->NewInstance(255), nullptr);

    EXPECT_FALSE(manager->LoadSoundFile(256, "sounds/click"));
    EXPECT_FALSE(manager->LoadSoundFile(-1, "sounds/click"));
    EXPECT_FALSE(manager->SetDefaultVolume(256, 0.5));
    EXPECT_FALSE(manager->SetDefaultPan(256, 100));
    EXPECT_EQ(manager->NewInstance(256), nullptr);
    EXPECT_EQ(manager->NewInstance(3), nullptr) << "no sound under that id";
    manager->FreeSound(999); // ignored
}

TEST_F(SoundManagerScene, AnAbsoluteNameBypassesTheCache)
{
    WriteGameFile("sounds/loop.ogg", SilentOggVorbis(1, 22050, 5));
    auto manager = MakeManager();
    ASSERT_TRUE(manager->LoadSoundFile(1, GamePath("sounds/loop")));
    EXPECT_TRUE(platform::FindFiles(AppDataPath("*")).empty());

    SetAppDataFolder("");
    ASSERT_TRUE(manager->LoadSoundFile(1, "sounds/loop"));
    EXPECT_FALSE(platform::FileExists(GamePath("sounds/loop"))) << "no cache beside the game's files";
}

TEST_F(SoundManagerScene, InstancesPlayWithTheSoundsDefaultsAndTheEffectsVolume)
{
    auto manager = MakeManager();
    ASSERT_TRUE(manager->LoadSoundFile(0, "sounds/click"));
    ASSERT_TRUE(manager->SetDefaultVolume(0, 0.5));
    ASSERT_TRUE(manager->SetDefaultPan(0, -10000));
    Zolt::SoundInstance* instance = manager->NewInstance(0);
    ASSERT_NE(instance, nullptr);
    ASSERT_TRUE(instance->Start(true, false));
    std::vector<int16_t> heard = Listen(10);
    EXPECT_NEAR(heard[0], 8000 * std::pow(10.0, -605 / 2000.0), 1.0);
    EXPECT_EQ(heard[1], 0);

    manager->SetEffectsVolume(0.0);
    EXPECT_EQ(Listen(10)[0], 0) << "the effects volume reaches playing instances";
    manager->SetEffectsVolume(1.0);
    instance->SetDefaultVolume(1.0);
    EXPECT_EQ(Listen(10)[0], 8000);
}

TEST_F(SoundManagerScene, The33rdInstanceWaitsForAFinishedOneShot)
{
    auto manager = MakeManager();
    ASSERT_TRUE(manager->LoadSoundFile(0, "sounds/click"));
    std::vector<Zolt::SoundInstance*> playing;
    for (int i = 0; i < 32; ++i) {
        Zolt::SoundInstance* instance = manager->NewInstance(0);
        ASSERT_NE(instance, nullptr) << i;
        ASSERT_TRUE(instance->Start(false, i == 7));
        playing.push_back(instance);
    }
    EXPECT_EQ(manager->NewInstance(0), nullptr) << "all 32 still playing";
    clock_.AdvanceMilliseconds(60); // the 50 ms sound has finished
    Zolt::SoundInstance* next = manager->NewInstance(0);
    EXPECT_NE(next, nullptr) << "the finished one-shot's slot is reused";
    EXPECT_EQ(manager->NewInstance(0), nullptr) << "finished sounds without the flag keep their slots";
    manager->DeleteAllInstances();
    EXPECT_NE(manager->NewInstance(0), nullptr);
}

TEST_F(SoundManagerScene, HaltingAllSoundsKeepsOneShotsOneShot)
{
    auto manager = MakeManager();
    ASSERT_TRUE(manager->LoadSoundFile(0, "sounds/click"));
    auto* once = static_cast<Zolt::DSoundInstance*>(manager->NewInstance(0));
    auto* kept = static_cast<Zolt::DSoundInstance*>(manager->NewInstance(0));
    ASSERT_TRUE(once->Start(true, true));
    ASSERT_TRUE(kept->Start(true, false));
    manager->HaltAllSounds();
    EXPECT_FALSE(once->IsSounding());
    EXPECT_FALSE(kept->IsSounding());
    EXPECT_TRUE(once->DiscardWhenDone());
    EXPECT_FALSE(kept->DiscardWhenDone());
    EXPECT_TRUE(once->IsDiscarded());
    EXPECT_FALSE(kept->IsDiscarded());
    EXPECT_EQ(Listen(10)[0], 0);
}

TEST_F(SoundManagerScene, TheMixerVolumeIsReadAndWrittenAsAFraction)
{
    auto manager = MakeManager();
    EXPECT_DOUBLE_EQ(manager->ReadMixerVolume(), 1.0);
    manager->WriteMixerVolume(0.5);
    EXPECT_EQ(platform::testing::WaveOutVolume(0), 32767u);
    EXPECT_EQ(platform::testing::WaveOutVolume(1), 32767u);
    EXPECT_NEAR(manager->ReadMixerVolume(), 0.5, 1e-4);
    manager->WriteMixerVolume(-3.0);
    EXPECT_EQ(platform::testing::WaveOutVolume(0), 0u) << "out of range is clamped, not wrapped";
    manager->WriteMixerVolume(7.0);
    EXPECT_EQ(platform::testing::WaveOutVolume(0), 65535u);

    platform::testing::FailNext("mixerGetLineInfoA", 1024);
    manager->WriteMixerVolume(0.25);
    EXPECT_EQ(platform::testing::WaveOutVolume(0), 65535u);
    platform::testing::FailNext("mixerOpen", 2);
    EXPECT_DOUBLE_EQ(manager->ReadMixerVolume(), 1.0);
}

TEST_F(SoundManagerScene, TheMusicLibraryIsStartedForTheWindowAndClosedLast)
{
    FakeFmod fmod;
    {
        auto manager = MakeManager(true);
        EXPECT_TRUE(manager->IsReady());
        manager->AttachWindow(platform::ddraw::testing::CreateWindow(0, 0, 10, 10), true);
    }
    std::vector<std::string> expected = {"acquire", "SetHWND", "SetBufferSize 200", "Init 44100 64 2", "Close",
                                         "release"};
    EXPECT_EQ(FakeFmod::Calls(), expected);

    FakeFmod::Calls().clear();
    platform::testing::FailNext("DirectSoundCreate", platform::DSERR_NODRIVER);
    MakeManager(true);
    EXPECT_TRUE(FakeFmod::Calls().empty()) << "no device, no music library";
}

} // namespace
} // namespace sound_test
