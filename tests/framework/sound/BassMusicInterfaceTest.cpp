// The bass back end against a recording bass.dll (the calls and values it
// must send, for both library versions), its missing-library paths, and a
// few tracks played for real through our own bass.dll.
#include "framework/sound/BassMusicInterface.h"
#include "pak/PakFormat.h"
#include "pak/PakFileFunctions.h"
#include "pak/PakInterface.h"
#include "platform/core/Clock.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/core/Process.h"
#include "platform/dsound/DSoundTesting.h"
#include "platform/dsound/WaveMixer.h"
#include "platform/libs/audio/AudioMixer.h"
#include "platform/libs/bass/BassLibrary.h"
#include "platform/window/WindowTesting.h"
#include "tests/framework/sound/RecordingBassLibrary.h"
#include "tests/platform/libs/AudioFixtures.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <memory>

using namespace audio_fixtures;
using recording_bass::Calls;
using recording_bass::CallsOf;
using Strings = std::vector<std::string>;

namespace {

// Sets the wave-out volume as the system's mixer applet would.
void SetWaveOutVolume(platform::DWORD value)
{
    using namespace platform;
    HMIXER mixer = nullptr;
    ASSERT_EQ(mixerOpen(&mixer, 0, 0, 0, MIXER_OBJECTF_MIXER), MMSYSERR_NOERROR);
    MIXERLINEA line{};
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
    ASSERT_EQ(mixerGetLineInfoA(mixer, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE), MMSYSERR_NOERROR);
    MIXERCONTROLA control{};
    MIXERLINECONTROLSA controls{};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    ASSERT_EQ(mixerGetLineControlsA(mixer, &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE),
              MMSYSERR_NOERROR);
    MIXERCONTROLDETAILS_UNSIGNED volume{value};
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = 1;
    details.cbDetails = sizeof volume;
    details.paDetails = &volume;
    ASSERT_EQ(mixerSetControlDetails(mixer, &details, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE),
              MMSYSERR_NOERROR);
    mixerClose(mixer);
}

class BassBackEnd : public testing::Test {
protected:
    ~BassBackEnd() override
    {
        music.reset();
        recording_bass::Restore();
    }

    void Make(recording_bass::Options options = {})
    {
        recording_bass::Install(options);
        music = std::make_unique<Zolt::BassMusicInterface>(nullptr);
    }

    // A loaded stream (handle 100 for the first) and module (200 for the first).
    void LoadStream(int id) { ASSERT_TRUE(music->LoadMusicFile(id, "music/theme.ogg")); }
    void LoadModule(int id)
    {
        const std::string path = folder / ("song" + std::to_string(id) + ".xm");
        ASSERT_TRUE(WriteBytes(path, Bytes(64, 1)));
        ASSERT_TRUE(music->LoadMusicFile(id, path));
    }

    double Volume(int id) { return music->FindTrack(id)->volume; }

    platform::testing::ScopedTempFolder folder;
    std::unique_ptr<Zolt::BassMusicInterface> music;
};

TEST_F(BassBackEnd, SetsTheLibraryUpForItsVersionAndLeavesTheWaveVolumeAlone)
{
    SetWaveOutVolume(30000);
    Make();
    EXPECT_EQ(Calls(), (Strings{"BASS_Init(1,44100,0)", "BASS_SetConfig(0,2000)", "BASS_Start()"}));
    EXPECT_EQ(platform::testing::WaveOutVolume(0), 30000u);
    EXPECT_EQ(platform::testing::WaveOutVolume(1), 30000u);
    music.reset();
    EXPECT_EQ(CallsOf("BASS_Stop").size(), 1u);
    EXPECT_EQ(CallsOf("BASS_Free").size(), 1u);
    EXPECT_EQ(platform::testing::ModuleReferenceCount("bass.dll"), 0) << "the last back end frees the library";

    Make({.version2 = false});
    EXPECT_EQ(Calls(), (Strings{"BASS_Init(-1,44100,0)", "BASS_Start()"}));
}

TEST_F(BassBackEnd, ExtensionChoosesStreamOrModule)
{
    Make();
    recording_bass::ClearCalls();
    LoadStream(1);
    EXPECT_EQ(CallsOf("BASS_StreamCreateFile"), Strings{"BASS_StreamCreateFile(0,music/theme.ogg,0)"});
    EXPECT_TRUE(music->LoadMusicFile(2, "a.MP3"));
    EXPECT_TRUE(music->LoadMusicFile(3, "b.Wav"));
    EXPECT_EQ(CallsOf("BASS_StreamCreateFile").size(), 3u);
    EXPECT_EQ(music->FindTrack(3)->stream, recording_bass::kFirstStream + 2);

    const std::string mo3 = folder / "theme.mo3";
    ASSERT_TRUE(WriteBytes(mo3, Bytes(40, 7)));
    EXPECT_TRUE(music->LoadMusicFile(4, mo3));
    // The module's bytes were read through the file layer and handed over.
    EXPECT_EQ(CallsOf("BASS_MusicLoad"), Strings{"BASS_MusicLoad(1,40,0x204,0)"});
    EXPECT_EQ(music->FindTrack(4)->music, recording_bass::kFirstMusic);
    EXPECT_EQ(music->FindTrack(4)->stream, 0u);

    EXPECT_FALSE(music->LoadMusicFile(5, folder / "missing.it")) << "a module the file layer cannot open";
    EXPECT_EQ(CallsOf("BASS_MusicLoad").size(), 1u);
    EXPECT_FALSE(music->LoadMusicFile(6, "refuse.ogg")) << "the library gave no handle";
    EXPECT_FALSE(music->FindTrack(6));
}

TEST_F(BassBackEnd, IdAlreadyLoadedKeepsItsTrackAndTheNewHandleIsLetGo)
{
    Make();
    LoadStream(1);
    EXPECT_TRUE(music->LoadMusicFile(1, "other.ogg"));
    EXPECT_EQ(music->FindTrack(1)->stream, recording_bass::kFirstStream);
    EXPECT_EQ(CallsOf("BASS_StreamFree"), Strings{"BASS_StreamFree(101)"});
}

TEST_F(BassBackEnd, StartingAModuleGoesToTheOrderWithLoopingFlags)
{
    Make();
    LoadModule(7);
    recording_bass::ClearCalls();
    music->StartTrack(7, 0x10003, false);
    EXPECT_EQ(Calls(), (Strings{"BASS_ChannelSetAttributes(200,-1,100,-101)", "BASS_ChannelStop(200)",
                                "BASS_ChannelStop(200)", "BASS_ChannelSetPosition(200,0xFFFFFFFF80000003)",
                                "BASS_ChannelSetFlags(200,0x8204)", "BASS_ChannelPlay(200,0)"}));
    recording_bass::ClearCalls();
    music->StartTrack(7, -1, true);
    EXPECT_EQ(CallsOf("BASS_ChannelSetPosition"), Strings{"BASS_ChannelSetPosition(200,0xFFFFFFFF8000FFFF)"});
    EXPECT_EQ(CallsOf("BASS_ChannelSetFlags"), Strings{"BASS_ChannelSetFlags(200,0x8200)"});
    EXPECT_EQ(music->FindTrack(7)->stopFlag, 1);
}

TEST_F(BassBackEnd, VersionOneModulesGetThePlainLoopFlag)
{
    Make({.version2 = false});
    LoadModule(1);
    EXPECT_EQ(CallsOf("BASS_MusicLoad"), Strings{"BASS_MusicLoad(1,64,0x4)"});
    music->StartTrack(1, 0, false);
    EXPECT_EQ(CallsOf("BASS_ChannelSetFlags"), Strings{"BASS_ChannelSetFlags(200,0x4)"});
}

TEST_F(BassBackEnd, StreamOffsetsContinueRestartOrSeek)
{
    Make();
    LoadStream(1);
    recording_bass::ClearCalls();
    music->StartTrack(1, -1, false);
    EXPECT_EQ(CallsOf("BASS_ChannelPlay"), Strings{"BASS_ChannelPlay(100,0)"});
    EXPECT_TRUE(CallsOf("BASS_ChannelSetPosition").empty());
    recording_bass::ClearCalls();
    music->StartTrack(1, 0, true);
    EXPECT_EQ(CallsOf("BASS_ChannelPlay"), Strings{"BASS_ChannelPlay(100,1)"});
    EXPECT_EQ(CallsOf("BASS_ChannelSetFlags"), Strings{"BASS_ChannelSetFlags(100,0x0)"});
    EXPECT_TRUE(CallsOf("BASS_ChannelSetPosition").empty());
    recording_bass::ClearCalls();
    music->StartTrackAtVolume(1, 0.25, 5000, false);
    EXPECT_EQ(Calls(), (Strings{"BASS_ChannelSetAttributes(100,-1,25,-101)", "BASS_ChannelStop(100)",
                                "BASS_ChannelSetFlags(100,0x4)", "BASS_ChannelPlay(100,1)",
                                "BASS_ChannelSetPosition(100,0x1388)"}));
}

TEST_F(BassBackEnd, FadeInFromSilenceReachesTheCapAndStays)
{
    Make();
    LoadStream(1);
    music->FadeTrackIn(1, 0, 0.01, false);
    EXPECT_EQ(CallsOf("BASS_ChannelSetAttributes").back(), "BASS_ChannelSetAttributes(100,-1,0,-101)");
    for (int i = 0; i < 99; ++i)
        music->AdvanceFades();
    EXPECT_LT(Volume(1), 1.0);
    music->AdvanceFades();
    EXPECT_DOUBLE_EQ(Volume(1), 1.0);
    EXPECT_EQ(music->FindTrack(1)->volumeStep, 0.0);
    music->AdvanceFades();
    EXPECT_DOUBLE_EQ(Volume(1), 1.0);
    EXPECT_EQ(CallsOf("BASS_ChannelSetAttributes").back(), "BASS_ChannelSetAttributes(100,-1,100,-101)");
}

TEST_F(BassBackEnd, IdleUpdatesSendNothingYetAFadeBegunAfterThemRuns)
{
    Make();
    LoadStream(1);
    LoadStream(2);
    music->AdvanceFades(); // nothing fades
    recording_bass::ClearCalls();
    for (int i = 0; i < 10; ++i)
        music->AdvanceFades();
    EXPECT_TRUE(Calls().empty());

    // Each way of starting a fade after idle updates: one track, every track.
    music->FadeTrackIn(1, 0, 0.5, false);
    music->AdvanceFades();
    EXPECT_DOUBLE_EQ(Volume(1), 0.5);
    music->AdvanceFades();
    EXPECT_DOUBLE_EQ(Volume(1), 1.0);
    music->AdvanceFades(); // the fade ended
    recording_bass::ClearCalls();
    music->AdvanceFades();
    EXPECT_TRUE(Calls().empty());

    music->FadeAllTracksOut(false, 0.25);
    music->AdvanceFades();
    EXPECT_DOUBLE_EQ(Volume(1), 0.75);
}

TEST_F(BassBackEnd, FadeOutOfASilentTrackOnlyArmsTheStop)
{
    Make();
    LoadStream(1);
    music->FadeTrackOut(1, true, 0.1);
    EXPECT_EQ(music->FindTrack(1)->volumeStep, 0.0);
    EXPECT_EQ(music->FindTrack(1)->stopFlag, 1);

    music->StartTrack(1, 0, false);
    music->FadeTrackOut(1, true, 0.3);
    recording_bass::ClearCalls();
    for (int i = 0; i < 3; ++i)
        music->AdvanceFades();
    EXPECT_TRUE(CallsOf("BASS_ChannelStop").empty());
    music->AdvanceFades();
    EXPECT_EQ(Volume(1), 0.0);
    EXPECT_EQ(CallsOf("BASS_ChannelStop"), Strings{"BASS_ChannelStop(100)"}) << "faded out, then stopped";
}

TEST_F(BassBackEnd, FadeOutWithoutStopLeavesTheTrackRunningSilently)
{
    Make();
    LoadStream(1);
    LoadModule(2);
    music->StartTrack(1, 0, false);
    music->StartTrack(2, 0, false);
    music->FadeAllTracksOut(false, 0.6);
    recording_bass::ClearCalls();
    music->AdvanceFades();
    music->AdvanceFades();
    EXPECT_EQ(Volume(1), 0.0);
    EXPECT_EQ(Volume(2), 0.0);
    EXPECT_TRUE(CallsOf("BASS_ChannelStop").empty());
}

TEST_F(BassBackEnd, HaltSilencesForTheNextFadeWhileHoldKeepsTheVolume)
{
    Make();
    LoadStream(1);
    music->StartTrackAtVolume(1, 0.7, 0, false);
    music->HoldTrack(1);
    music->ContinueTrack(1);
    EXPECT_DOUBLE_EQ(Volume(1), 0.7);
    EXPECT_EQ(CallsOf("BASS_ChannelPause"), Strings{"BASS_ChannelPause(100)"});
    EXPECT_EQ(CallsOf("BASS_ChannelPlay").back(), "BASS_ChannelPlay(100,0)");
    music->HaltTrack(1);
    EXPECT_EQ(Volume(1), 0.0);
    music->FadeTrackIn(1, -1, 0.1, false);
    EXPECT_EQ(CallsOf("BASS_ChannelSetAttributes").back(), "BASS_ChannelSetAttributes(100,-1,0,-101)");
}

TEST_F(BassBackEnd, PausedTrackIsNotPlayingAndAllTrackCallsPickByState)
{
    Make();
    LoadStream(1);
    LoadStream(2);
    LoadStream(3);
    recording_bass::ActiveStates() = {{100, 1}, {101, 3}, {102, 0}};
    EXPECT_TRUE(music->IsTrackPlaying(1));
    EXPECT_FALSE(music->IsTrackPlaying(2)) << "paused";
    EXPECT_FALSE(music->IsTrackPlaying(3));
    EXPECT_FALSE(music->IsTrackPlaying(99));
    recording_bass::ClearCalls();
    music->HoldAllTracks();
    EXPECT_EQ(CallsOf("BASS_ChannelPause"), Strings{"BASS_ChannelPause(100)"});
    music->ContinueAllTracks();
    EXPECT_EQ(CallsOf("BASS_ChannelPlay"), Strings{"BASS_ChannelPlay(101,0)"});
}

TEST_F(BassBackEnd, VolumeCapLowersOnlyALouderTrack)
{
    Make();
    LoadStream(1);
    LoadStream(2);
    music->SetTrackVolume(1, 0.8);
    music->SetTrackVolume(2, 0.3);
    music->SetTrackVolumeCap(1, 0.5);
    music->SetTrackVolumeCap(2, 0.5);
    EXPECT_DOUBLE_EQ(Volume(1), 0.5);
    EXPECT_DOUBLE_EQ(Volume(2), 0.3);
    music->StartTrack(2, 0, false);
    EXPECT_DOUBLE_EQ(Volume(2), 0.5) << "a start plays at the cap";
}

TEST_F(BassBackEnd, OverallVolumeGoesWhereTheLibraryVersionTakesIt)
{
    Make();
    music->SetOverallVolume(0.5);
    EXPECT_EQ(CallsOf("BASS_SetConfig").size(), 3u);
    EXPECT_EQ(CallsOf("BASS_SetConfig")[1], "BASS_SetConfig(6,50)");
    EXPECT_EQ(CallsOf("BASS_SetConfig")[2], "BASS_SetConfig(5,50)");
    music.reset();

    Make({.version2 = false});
    music->SetOverallVolume(0.5);
    EXPECT_EQ(CallsOf("BASS_SetGlobalVolumes"), Strings{"BASS_SetGlobalVolumes(20,20,20)"});
    music.reset();

    Make({.version2 = false, .globalVolumes = false});
    music->SetOverallVolume(0.5);
    EXPECT_EQ(CallsOf("BASS_SetVolume"), Strings{"BASS_SetVolume(50)"});
}

TEST_F(BassBackEnd, BoostAndDropReachTheRightChannel)
{
    Make();
    LoadStream(1);
    LoadModule(2);
    music->SetTrackBoost(2, 1.5);
    EXPECT_EQ(CallsOf("BASS_MusicSetAttribute"), Strings{"BASS_MusicSetAttribute(200,0,150)"});
    music->DropTrack(2);
    EXPECT_EQ(CallsOf("BASS_MusicFree"), Strings{"BASS_MusicFree(200)"});
    EXPECT_FALSE(music->FindTrack(2));
    music->DropTrack(2);
    music->StartTrack(2, 0, false); // unknown ids do nothing
    LoadModule(3);
    recording_bass::ClearCalls();
    music->DropAllTracks();
    EXPECT_EQ(CallsOf("BASS_StreamFree"), Strings{"BASS_StreamFree(100)"});
    EXPECT_EQ(CallsOf("BASS_MusicFree"), Strings{"BASS_MusicFree(201)"});
    EXPECT_FALSE(music->FindTrack(1));
}

// The program cannot run its music without the library: a box, then the end.
class MissingBass : public testing::Test {
protected:
    MissingBass() { platform::testing::ResetWindowSystem(); }
    ~MissingBass() override { recording_bass::Restore(); }

    void ExpectEndsWithBox(const std::string& text)
    {
        platform::testing::ScopedExitInterception exits;
        try {
            Zolt::BassMusicInterface music(nullptr);
            ADD_FAILURE() << "the back end was built";
        } catch (const platform::testing::ProcessExit& exit) {
            EXPECT_EQ(exit.code, 0u);
        }
        const auto boxes = platform::testing::RecordedBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Error");
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].flags & platform::MB_ICONMASK, platform::MB_ICONERROR);
        EXPECT_EQ(platform::testing::ModuleReferenceCount("bass.dll"), 0) << "nothing is left loaded";
    }
};

TEST_F(MissingBass, LibraryNotFound)
{
    platform::testing::HideModule("bass.dll");
    ExpectEndsWithBox("Can't find bass.dll.");
}

TEST_F(MissingBass, FunctionNotFoundNamesIt)
{
    platform::testing::HideModuleEntry("bass.dll", "BASS_ChannelPlay");
    ExpectEndsWithBox("BASS_ChannelPlay function not found in bass.dll");
}

TEST_F(MissingBass, NeitherVolumeFunction)
{
    recording_bass::Install({.version2 = true, .globalVolumes = false, .outputVolume = false});
    ExpectEndsWithBox("Neither BASS_SetGlobalVolumes or BASS_SetVolume found in bass.dll");
}

TEST(BassTable, SharedByEveryUserAndFreedWithTheLast)
{
    Zolt::BASS_INSTANCE* first = Zolt::AcquireBassInstance();
    Zolt::BASS_INSTANCE* second = Zolt::AcquireBassInstance();
    EXPECT_EQ(first, second);
    EXPECT_TRUE(first->version2) << "our library is of the second version";
    EXPECT_EQ(first->BASS_InitV1, nullptr);
    EXPECT_NE(first->BASS_ChannelPreBuf, nullptr);
    EXPECT_EQ(platform::testing::ModuleReferenceCount("bass.dll"), 1);
    Zolt::ReleaseBassInstance();
    EXPECT_EQ(platform::testing::ModuleReferenceCount("bass.dll"), 1);
    Zolt::ReleaseBassInstance();
    EXPECT_EQ(platform::testing::ModuleReferenceCount("bass.dll"), 0);
}

// Through our own bass.dll on the headless mixer.
class BassPlaying : public testing::Test {
protected:
    void SetUp() override
    {
        platform::dsound::testing::ResetAudio();
        platform::testing::ResetBassLibrarySettings();
        platform::dsound::testing::StartCapture();
    }

    platform::ManualClock clock{9000000};
    platform::ScopedClock scoped{clock};
    platform::testing::ScopedTempFolder folder;
    platform::libs::audio::Mixer& mixer = platform::libs::audio::Mixer::Instance();
};

TEST_F(BassPlaying, SoundPlayedOnceEndsAndAFadeIsHeard)
{
    const std::string click = folder / "click.wav";
    ASSERT_TRUE(WriteBytes(click, ConstantWav(44100, 1, 4410, 10000)));
    Zolt::BassMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadMusicFile(1, click));
    music.StartTrackAtVolume(1, 0.5, 0, true);
    EXPECT_TRUE(music.IsTrackPlaying(1));
    clock.AdvanceMilliseconds(20);
    EXPECT_EQ(platform::dsound::testing::TakeMixedSamples().at(2 * 100), 5000);
    clock.AdvanceMilliseconds(100);
    EXPECT_FALSE(music.IsTrackPlaying(1));

    music.SetOverallVolume(0.5);
    music.StartTrack(1, 0, false);
    clock.AdvanceMilliseconds(10);
    EXPECT_EQ(platform::dsound::testing::TakeMixedSamples().at(2 * 100), 5000) << "full track volume, half overall";
    music.FadeTrackOut(1, true, 0.5);
    music.AdvanceFades();
    clock.AdvanceMilliseconds(10);
    EXPECT_EQ(platform::dsound::testing::TakeMixedSamples().back(), 2500);
    music.AdvanceFades(); // at 0: the next step goes below and stops it
    EXPECT_TRUE(music.IsTrackPlaying(1));
    music.AdvanceFades();
    EXPECT_FALSE(music.IsTrackPlaying(1)) << "faded out and stopped";
}

TEST_F(BassPlaying, ModuleStartsAtTheOrderAskedAndLoops)
{
    const std::string song = folder / "song.mod";
    ASSERT_TRUE(WriteBytes(song, TinyModule(3)));
    Zolt::BassMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadMusicFile(4, song));
    music.StartTrack(4, 2, false);
    clock.AdvanceMilliseconds(1000);
    EXPECT_TRUE(music.IsTrackPlaying(4));
    EXPECT_GT(Peak(platform::dsound::testing::TakeMixedSamples()), 1000);
    music.HoldAllTracks();
    clock.AdvanceMilliseconds(1000);
    EXPECT_EQ(Peak(platform::dsound::testing::TakeMixedSamples()), 0);
    music.ContinueAllTracks();
    EXPECT_TRUE(music.IsTrackPlaying(4));
    music.DropAllTracks();
    EXPECT_FALSE(music.IsTrackPlaying(4));
}

TEST_F(BassPlaying, TracksThatLieOnlyInsideAnArchivePlay)
{
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(BuildPakArchive({PakMemberSource{"pakmusic\\theme.wav", ConstantWav(44100, 1, 4410, 100), 0},
                                 PakMemberSource{"pakmusic\\song.mod", TinyModule(), 0}},
                                &archive, &error))
        << error;
    const std::string pak = folder / "music.pak";
    ASSERT_TRUE(WriteBytes(pak, archive));
    ASSERT_TRUE(GetProcessPakInterface()->AddPakArchive(pak));
    Zolt::BassMusicInterface music(nullptr);
    ASSERT_TRUE(music.LoadMusicFile(1, "pakmusic/theme.wav"));
    ASSERT_TRUE(music.LoadMusicFile(2, "pakmusic/song.mod"));
    music.StartTrack(1, 0, true);
    music.StartTrack(2, 0, true);
    EXPECT_TRUE(music.IsTrackPlaying(1));
    EXPECT_TRUE(music.IsTrackPlaying(2));
    clock.AdvanceMilliseconds(200);
    EXPECT_FALSE(music.IsTrackPlaying(1));
    EXPECT_FALSE(music.IsTrackPlaying(2));
}

} // namespace
