// The music back ends used from two threads at once, as the program uses
// them: the main loop advances fades and sets the overall volume while the
// time thread loads, starts, fades, halts and drops the toolkit's sounds.
// Through our own libraries on the headless mixer, on a manual clock the
// main loop moves. ./check runs these under ThreadSanitizer, which reports
// any track read and changed at the same time.
#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/FModMusicInterface.h"
#include "platform/core/Clock.h"
#include "platform/dsound/DSoundTesting.h"
#include "tests/platform/libs/AudioFixtures.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

using namespace audio_fixtures;

namespace {

constexpr int kRounds = 300;

class ThreadedMusic : public testing::Test {
protected:
    void SetUp() override
    {
        platform::dsound::testing::ResetAudio();
        ASSERT_TRUE(WriteBytes(click, ConstantWav(44100, 1, 441, 8000)));
        ASSERT_TRUE(WriteBytes(song, TinyModule()));
    }

    // The time thread's side: sounds loaded, started, faded and stopped,
    // under ids the main loop is fading at the same time.
    void PlaySounds(Zolt::MusicInterface& music)
    {
        for (int round = 0; round < kRounds; ++round) {
            const int id = 1 + round % 4;
            music.LoadMusicFile(10 + round, round % 2 ? click : song);
            music.StartTrackAtVolume(id, 0.5, 0, true);
            music.FadeTrackIn(id + 1, -1, 0.05, false);
            music.FadeTrackOut(id + 2, true, 0.1);
            music.SetTrackVolume(id + 3, 0.25);
            music.IsTrackPlaying(id);
            music.HaltTrack(id + 1);
            music.DropTrack(10 + round);
        }
    }

    // The main loop's side, until the time thread is done.
    void AdvanceUntil(Zolt::MusicInterface& music, const std::atomic<bool>& done)
    {
        for (int step = 0; !done.load(); ++step) {
            clock.AdvanceMilliseconds(1);
            music.AdvanceFades();
            if (step % 16 == 0) {
                music.SetOverallVolume(step % 32 ? 0.8 : 1.0);
                music.FadeAllTracksOut(false, 0.02);
            }
        }
    }

    template <class Music>
    void PlayFromTwoThreads(Music& music)
    {
        for (int id = 1; id <= 7; ++id)
            ASSERT_TRUE(music.LoadMusicFile(id, id % 2 ? click : song));
        std::atomic<bool> done{false};
        std::thread timeThread([&] {
            PlaySounds(music);
            done = true;
        });
        AdvanceUntil(music, done);
        timeThread.join();

        // Whatever the interleaving, the tables came out whole.
        music.HaltAllTracks();
        for (int id = 1; id <= 7; ++id) {
            ASSERT_TRUE(music.FindTrack(id)) << id;
            EXPECT_EQ(music.FindTrack(id)->volume, 0.0);
            EXPECT_FALSE(music.IsTrackPlaying(id));
        }
    }

    platform::ManualClock clock{5000000};
    platform::ScopedClock scoped{clock};
    platform::testing::ScopedTempFolder folder;
    const std::string click = folder / "click.wav";
    const std::string song = folder / "song.mod";
};

TEST_F(ThreadedMusic, BassTracksFadeOnTheMainLoopWhileTheTimeThreadPlaysSounds)
{
    Zolt::BassMusicInterface music(nullptr);
    PlayFromTwoThreads(music);
}

TEST_F(ThreadedMusic, FmodTracksFadeOnTheMainLoopWhileTheTimeThreadPlaysSounds)
{
    // The library is closed by whoever set it up: the sound manager in the
    // program, the test here.
    Zolt::FMOD_INSTANCE* fmod = Zolt::AcquireFmodInstance();
    {
        Zolt::FModMusicInterface music(nullptr);
        PlayFromTwoThreads(music);
    }
    fmod->FSOUND_Close();
    Zolt::ReleaseFmodInstance();
}

} // namespace
