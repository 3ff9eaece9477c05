// The developer's controls of a played demo, without an application: keys,
// jump targets counted back from the end, the marker list, the demo's sound
// switch and the muting of a jump.
#include "framework/app/DemoPlaybackControls.h"

#include <gtest/gtest.h>

using Controls = Zolt::DemoPlaybackControls;
using Request = Zolt::DemoPlaybackControls::Request;

namespace {

// 1000 s of demo at 10 ms updates, played up to update 500.
const Controls::Position kAt{500, 100000, 10};

} // namespace

TEST(DemoPlaybackControls, KeysChangeTheSpeedAndJumpBackFromTheEnd)
{
    Controls controls;
    double speed = 1.0;
    EXPECT_EQ(controls.HandleKey('+', kAt, speed), Request::None);
    EXPECT_DOUBLE_EQ(speed, 1.5);
    controls.HandleKey('-', kAt, speed);
    controls.HandleKey('-', kAt, speed);
    EXPECT_DOUBLE_EQ(speed, 1.0 / 1.5);
    controls.HandleKey('=', kAt, speed);
    EXPECT_DOUBLE_EQ(speed, 1.0);

    controls.HandleKey('4', kAt, speed);
    EXPECT_EQ(controls.JumpTarget(), 100000 - 12000);
    controls.HandleKey('9', kAt, speed);
    EXPECT_EQ(controls.JumpTarget(), 100000 - 500);
    controls.HandleKey('0', kAt, speed);
    EXPECT_EQ(controls.JumpTarget(), 100000);
    // At 1 ms a frame, the keys' times in updates.
    const int backMs[] = {120000, 90000, 60000, 30000, 10000, 5000};
    for (char key = '4'; key <= '9'; ++key) {
        controls.HandleKey(key, Controls::Position{0, 1000000, 1}, speed);
        EXPECT_EQ(controls.JumpTarget(), 1000000 - backMs[key - '4']) << key;
    }
    controls.HandleKey('9', Controls::Position{0, 1000000, 0}, speed);
    EXPECT_EQ(controls.JumpTarget(), 1000000 - 5000) << "a frame time of 0 counts as 1 ms";

    controls.HandleKey('N', kAt, speed);
    EXPECT_EQ(controls.JumpTarget(), 501) << "one update";
    EXPECT_TRUE(controls.IsSingleStepRedrawPending());

    EXPECT_EQ(controls.HandleKey('p', kAt, speed), Request::ResetFrameTiming);
    EXPECT_TRUE(controls.IsPaused());
    EXPECT_EQ(controls.HandleKey('j', kAt, speed), Request::ShowJumpDialog);
    EXPECT_EQ(controls.HandleKey('L', kAt, speed), Request::ShowMarkerList);
    EXPECT_EQ(controls.HandleKey('s', kAt, speed), Request::ToggleSound);
    EXPECT_EQ(controls.HandleKey('x', kAt, speed), Request::None);
}

TEST(DemoPlaybackControls, PlaybackOnlyEverMovesForward)
{
    Controls controls;
    controls.JumpToUpdate(400);
    EXPECT_FALSE(controls.IsFastForwarding(500, false)) << "a target behind the played update does nothing";
    controls.JumpToUpdate(600);
    EXPECT_TRUE(controls.IsFastForwarding(500, false));
    EXPECT_FALSE(controls.IsFastForwarding(600, false));

    double speed = 1.0;
    controls.HandleKey('m', kAt, speed);
    EXPECT_TRUE(controls.IsFastForwarding(5000, false)) << "skipping runs to the end of the stream";
    EXPECT_FALSE(controls.IsFastForwarding(5000, true));
}

TEST(DemoPlaybackControls, JumpTimeIsReadAsHoursMinutesAndSecondsLeft)
{
    Controls controls;
    controls.JumpToTimeLeft("1:30", kAt);
    EXPECT_EQ(controls.JumpTarget(), 100000 - 91 * 100);
    controls.JumpToTimeLeft("90", kAt);
    EXPECT_EQ(controls.JumpTarget(), 100000 - 91 * 100);
    controls.JumpToTimeLeft("0:2:0", kAt);
    EXPECT_EQ(controls.JumpTarget(), 100000 - 121 * 100);
    controls.JumpToTimeLeft("soon", kAt);
    EXPECT_EQ(controls.JumpTarget(), 100000 - 100) << "what is not a number counts as 0";
    controls.JumpToTimeLeft("99999999999:0:0", kAt);
    EXPECT_EQ(controls.JumpTarget(), INT32_MIN) << "a huge time stays a number";
}

TEST(DemoPlaybackControls, MarkerListOffersTheMarkersAheadWithTheirTimeToTheEnd)
{
    const std::vector<Zolt::DemoMarker> markers = {{"deal", 100}, {"river", 500}, {"showdown", 99000}};
    const auto choices = Controls::UpcomingMarkers(markers, kAt);
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].text, "showdown (00:00:10)");
    EXPECT_EQ(choices[0].update, 99000);
    EXPECT_EQ(Zolt::DemoClockText(360000 + 6000 + 500, 10), "01:01:05");
    EXPECT_EQ(Zolt::DemoClockText(3600, 1000), "01:00:00");
    EXPECT_EQ(Zolt::DemoClockText(7199, 1000), "01:59:59");
    EXPECT_EQ(Zolt::DemoClockText(-50, 1000), "00:00:00");
}

TEST(DemoPlaybackControls, SoundSwitchGivesBackOnlyWhatItTookAway)
{
    Controls controls;
    EXPECT_FALSE(controls.MusicToRestore(0.0)) << "nothing taken yet";
    auto levels = controls.ToggleSound({0.8, 0.0});
    EXPECT_DOUBLE_EQ(levels.music, 0.0);
    EXPECT_DOUBLE_EQ(levels.effects, 0.0) << "a level that was off stays off";
    EXPECT_EQ(controls.MusicToRestore(0.0), 0.8);
    EXPECT_FALSE(controls.EffectsToRestore(0.0));
    EXPECT_FALSE(controls.MusicToRestore(0.5)) << "a level the player set again is kept";
    levels = controls.ToggleSound(levels);
    EXPECT_DOUBLE_EQ(levels.music, 0.8);
}

TEST(DemoPlaybackControls, JumpSilencesOnceAndItsEndGivesTheSoundBack)
{
    Controls controls;
    double speed = 1.0;
    controls.HandleKey('m', kAt, speed);
    EXPECT_TRUE(controls.BeginJumpMute());
    EXPECT_FALSE(controls.BeginJumpMute()) << "once per jump";
    EXPECT_TRUE(controls.EndJump());
    EXPECT_FALSE(controls.IsSkippingToEnd());
    EXPECT_FALSE(controls.EndJump()) << "nothing to give back twice";
}
