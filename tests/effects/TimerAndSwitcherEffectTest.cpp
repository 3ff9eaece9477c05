// The clock effect (what it writes, and when) and the switcher (which object
// is shown after how many passes).
#include "effects/TimerEffectImpl.h"
#include "tests/effects/EffectScene.h"

#include <gtest/gtest.h>

namespace EffectLibrary {
namespace {

class ClockScene : public ::testing::Test, public effect_testing::EffectScene {
public:
    std::string Shown() { return Record(text).text; }
    ControlLibrary::IStringVO* text = factory.CreateStringVO();
};

TEST(ClockText, MinutesAndSecondsHaveAtLeastTwoDigits)
{
    EXPECT_EQ(TimerEffectImpl::FormatClock(0), "00 : 00");
    EXPECT_EQ(TimerEffectImpl::FormatClock(65), "01 : 05");
    EXPECT_EQ(TimerEffectImpl::FormatClock(720), "12 : 00");
    EXPECT_EQ(TimerEffectImpl::FormatClock(6005), "100 : 05");
}

TEST_F(ClockScene, CountDownFromSixtyFiveSecondsEndsAtZeroBeforeTheFinish)
{
    ITimerEffect* timer = effects.CreateTimerEffect(&owner, text, 65000);
    timer->SetCountDown(true);
    ASSERT_TRUE(timer->Start(false, 0));
    EXPECT_EQ(owner.Take(), "start 1");
    Pass(199);
    EXPECT_EQ(Shown(), "");
    Pass();
    EXPECT_EQ(Shown(), "01 : 04");
    EXPECT_EQ(owner.Take(), "step 1");

    Pass(64 * 200 - 1);
    EXPECT_EQ(Shown(), "00 : 01");
    EXPECT_EQ(owner.Count("finish"), 0u);
    owner.Take();
    Pass();
    EXPECT_EQ(Shown(), "00 : 00");
    EXPECT_EQ(owner.Take(), "step 1, finish 1");
}

TEST_F(ClockScene, CountDownOfAPartSecondRestsAtZeroInsteadOfWrappingRound)
{
    ITimerEffect* timer = effects.CreateTimerEffect(&owner, text, 1500);
    timer->SetCountDown(true);
    ASSERT_TRUE(timer->Start(false, 0));
    Pass(200);
    EXPECT_EQ(Shown(), "00 : 00");
    Pass(100);
    EXPECT_EQ(Shown(), "00 : 00");
    EXPECT_EQ(owner.notices.back(), "finish 1");
}

TEST_F(ClockScene, EndlessClockCountsUpEvenWhenSetToCountDown)
{
    ITimerEffect* timer = effects.CreateTimerEffect(&owner, text, 3000);
    timer->SetCountDown(true);
    timer->SetEndless(true);
    ASSERT_TRUE(timer->Start(false, 0));
    Pass(200);
    EXPECT_EQ(Shown(), "00 : 01");
    Pass(200 * 60);
    EXPECT_EQ(Shown(), "01 : 01");
    EXPECT_EQ(owner.Count("finish"), 0u);
    EXPECT_EQ(owner.Count("step"), 61u);
}

TEST_F(ClockScene, TimedClockCountsUpAndRestartsFromZero)
{
    ITimerEffect* timer = effects.CreateTimerEffect(&owner, text, 2000);
    ASSERT_TRUE(timer->Start(false, 0));
    Pass(400);
    EXPECT_EQ(Shown(), "00 : 02");
    EXPECT_EQ(owner.notices.back(), "finish 1");
    ASSERT_TRUE(timer->Start(false, 0));
    Pass(200);
    EXPECT_EQ(Shown(), "00 : 01");
    timer->Stop();
    Pass(400);
    EXPECT_EQ(Shown(), "00 : 01");
}

TEST_F(ClockScene, PlaceIsKeptOnlyOnceThereIsATextObject)
{
    ITimerEffect* timer = effects.CreateTimerEffect(&owner, nullptr, 0);
    EXPECT_FALSE(timer->Start(false, 0)); // no duration, not endless
    timer->SetPosition(40, 50);           // no text yet: ignored
    timer->SetTextObject(text);
    EXPECT_EQ(text->GetPosition(), (ControlLibrary::Point{0, 0}));
    timer->SetPosition(40, 50);
    EXPECT_EQ(text->GetPosition(), (ControlLibrary::Point{40, 50}));

    auto* other = factory.CreateStringVO();
    timer->SetTextObject(nullptr);
    timer->SetTextObject(other);
    EXPECT_EQ(other->GetPosition(), (ControlLibrary::Point{40, 50}));
    timer->SetVisible(true);
    EXPECT_TRUE(other->IsVisible());
    EXPECT_FALSE(text->IsVisible());

    // A clock without text still steps.
    ITimerEffect* blind = effects.CreateTimerEffect(&owner, nullptr, 1000);
    ASSERT_TRUE(blind->Start(false, 0));
    Pass(200);
    EXPECT_EQ(owner.Count("step"), 1u);
}

class SwitcherScene : public ::testing::Test, public effect_testing::EffectScene {
public:
    SwitcherScene()
    {
        for (auto*& object : objects) {
            object = factory.CreateImageVO();
            switcher->AddObject(object);
        }
    }
    // Which objects are shown, as "0 1 2" flags ("-" hidden).
    std::string Showing()
    {
        std::string flags;
        for (size_t i = 0; i < objects.size(); ++i)
            flags += objects[i]->IsVisible() ? char('0' + i) : '-';
        return flags;
    }

    ISwitcherVoEffect* switcher = effects.CreateSwitcherEffect(&owner);
    std::array<ControlLibrary::IImageVO*, 3> objects{};
};

TEST_F(SwitcherScene, ShowsTheNextObjectEveryIntervalAndGoesRound)
{
    switcher->SetInterval(500);
    ASSERT_TRUE(switcher->Start(false, 0));
    EXPECT_EQ(Showing(), "---"); // starting shows nothing
    objects[0]->SetVisible(true);
    Pass(99);
    EXPECT_EQ(Showing(), "0--");
    Pass();
    EXPECT_EQ(Showing(), "-1-");
    Pass(100);
    EXPECT_EQ(Showing(), "--2");
    Pass(100);
    EXPECT_EQ(Showing(), "0--");
    Pass(100);
    EXPECT_EQ(Showing(), "-1-");
    EXPECT_EQ(owner.Take(), "start 1, step 1, step 1, step 1, step 1");
}

TEST_F(SwitcherScene, NullEntriesKeepTheirTurnWithNothingShown)
{
    switcher->AddObject(nullptr);
    switcher->SetInterval(5);
    ASSERT_TRUE(switcher->Start(false, 0));
    Pass(3);
    EXPECT_EQ(Showing(), "---"); // the empty fourth place
    Pass();
    EXPECT_EQ(Showing(), "0--");
}

TEST_F(SwitcherScene, StartNeedsAnIntervalAndObjects)
{
    EXPECT_FALSE(switcher->Start(false, 0));
    ISwitcherVoEffect* empty = effects.CreateSwitcherEffect(&owner);
    empty->SetInterval(100);
    EXPECT_FALSE(empty->Start(false, 0));
    switcher->SetInterval(0);
    EXPECT_FALSE(switcher->Start(false, 0));
    switcher->SetDuration(10); // a switcher has none: still endless
    switcher->SetInterval(5);
    ASSERT_TRUE(switcher->Start(false, 0));
    Pass(10000);
    EXPECT_TRUE(switcher->IsRunning());
    EXPECT_EQ(owner.Count("finish"), 0u);
}

TEST_F(SwitcherScene, HidingPausesTheSwitchingAndShowingDoesNotResumeIt)
{
    switcher->SetInterval(5);
    switcher->Start(false, 0);
    Pass();
    EXPECT_EQ(Showing(), "-1-");
    switcher->SetVisible(false);
    EXPECT_EQ(Showing(), "---");
    Pass(5);
    switcher->SetVisible(true);
    EXPECT_EQ(Showing(), "-1-");
    Pass(5);
    EXPECT_EQ(Showing(), "-1-");
    switcher->SetPaused(false);
    Pass();
    EXPECT_EQ(Showing(), "--2");

    // Restarting begins at the first object again.
    switcher->Start(false, 0);
    Pass();
    EXPECT_EQ(Showing(), "-12");
}

} // namespace
} // namespace EffectLibrary
