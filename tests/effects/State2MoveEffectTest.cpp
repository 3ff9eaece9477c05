// Moves on the 5 ms passes: the step interval and sizes in both modes, where
// the object stands after an exact number of passes, the end, a refused
// move, starting, stopping and the object's reference.
#include "controls/Factory_impl.h"
#include "controls/IImageVO.h"
#include "effects/State2MoveEffectImpl.h"
#include "tests/effects/EffectScene.h"
#include "tests/support/ControlTestHost.h"
#include "tests/effects/StuckObject.h"

#include <gtest/gtest.h>

namespace EffectLibrary {
namespace {

using ControlLibrary::Point;

class MoveScene : public ::testing::Test, public effect_testing::EffectScene {
public:
    State2MoveEffectImpl* Move(int durationMs, Point from, Point to, ControlLibrary::IVisibleObject* object = nullptr)
    {
        auto* move = static_cast<State2MoveEffectImpl*>(
            effects.CreateState2MoveEffect(&owner, object != nullptr ? object : image, durationMs));
        move->SetFrom(from.x, from.y);
        move->SetTo(to.x, to.y);
        return move;
    }
    Point At() { return image->GetPosition(); }
    bool Shown() { return image->IsVisible(); }

    ControlLibrary::IImageVO* image = factory.CreateImageVO();
};

TEST_F(MoveScene, DiagonalInDurationModeStepsEveryPassAndEndsOnTheTarget)
{
    auto* move = Move(1500, {0, 0}, {300, 150});
    ASSERT_TRUE(move->Start(false, 0));
    EXPECT_EQ(At(), (Point{0, 0}));
    EXPECT_TRUE(Shown());
    EXPECT_EQ(owner.Take(), "start 1");
    EXPECT_FLOAT_EQ(move->StepX(), 1.0f);
    EXPECT_FLOAT_EQ(move->StepY(), 0.5f);

    Pass();
    EXPECT_EQ(At(), (Point{1, 0}));
    Pass(298);
    EXPECT_EQ(At(), (Point{299, 149}));
    EXPECT_TRUE(Shown());
    EXPECT_EQ(owner.Count("finish"), 0u);

    Pass();
    EXPECT_EQ(At(), (Point{300, 150}));
    EXPECT_FALSE(Shown());
    EXPECT_EQ(owner.Count("step"), 300u);
    EXPECT_EQ(owner.notices.back(), "finish 1");
    EXPECT_FALSE(move->IsRunning());
    owner.Take();
    Pass(10);
    EXPECT_EQ(owner.Take(), "");
}

TEST_F(MoveScene, ShallowMoveFiresOnEveryOtherPassWithWholePixelSteps)
{
    auto* move = Move(1000, {0, 0}, {100, 0});
    ASSERT_TRUE(move->Start(false, 0));
    EXPECT_FLOAT_EQ(move->StepX(), 1.0f);
    Pass();
    EXPECT_EQ(At(), (Point{0, 0}));
    EXPECT_EQ(owner.Count("step"), 0u);
    Pass();
    EXPECT_EQ(At(), (Point{1, 0}));
    Pass(197);
    EXPECT_EQ(At(), (Point{99, 0}));
    EXPECT_EQ(owner.Count("finish"), 0u);
    Pass();
    EXPECT_EQ(At(), (Point{100, 0}));
    EXPECT_EQ(owner.Count("step"), 100u);
    EXPECT_EQ(owner.Count("finish"), 1u);
}

TEST_F(MoveScene, SpeedModeStopsOnTheStepThatPassesTheTargetAndLandsExactlyOnIt)
{
    auto* move = Move(1000, {0, 0}, {200, 0});
    move->SetSpeed(400);
    ASSERT_TRUE(move->Start(false, 0));
    EXPECT_FLOAT_EQ(move->StepX(), 2.0f);
    Pass(100);
    EXPECT_EQ(At(), (Point{200, 0})); // exactly the distance: not past it yet
    EXPECT_TRUE(move->IsRunning());
    Pass();
    EXPECT_EQ(At(), (Point{200, 0}));
    EXPECT_FALSE(Shown());
    EXPECT_FALSE(move->IsRunning());
    EXPECT_EQ(owner.Count("step"), 100u);
    EXPECT_EQ(owner.notices.back(), "finish 1");

    // 201 px take 502 ms: steps of 2.002 px overshoot on the 101st step,
    // which puts the object on the target itself.
    owner.Take();
    move->SetTo(201, 0);
    ASSERT_TRUE(move->Start(false, 0));
    Pass(100);
    EXPECT_EQ(At(), (Point{200, 0}));
    Pass();
    EXPECT_EQ(At(), (Point{201, 0}));
    EXPECT_EQ(owner.notices.back(), "finish 1");
}

TEST_F(MoveScene, RightToLeftAndUpwardMovesStepBackwards)
{
    auto* move = Move(1500, {300, 150}, {0, 0});
    ASSERT_TRUE(move->Start(false, 0));
    EXPECT_FLOAT_EQ(move->StepX(), -1.0f);
    EXPECT_FLOAT_EQ(move->StepY(), -0.5f);
    Pass();
    EXPECT_EQ(At(), (Point{299, 149}));
    Pass(299);
    EXPECT_EQ(At(), (Point{0, 0}));
    EXPECT_EQ(owner.Count("finish"), 1u);
}

TEST_F(MoveScene, RefusedMoveIsReportedAndTheNextStepTriesTheSamePlace)
{
    effect_testing::StuckObject stuck(*image);
    auto* move = Move(500, {0, 0}, {100, 0}, &stuck);
    ASSERT_TRUE(move->Start(false, 0));
    owner.Take();
    Pass(2);
    EXPECT_EQ(owner.Take(), "blocked 1, blocked 1");
    EXPECT_FALSE(move->HasMoved());
    EXPECT_EQ(At(), (Point{0, 0}));

    stuck.stuck = false;
    Pass();
    EXPECT_EQ(owner.Take(), "step 1");
    EXPECT_TRUE(move->HasMoved());
    EXPECT_EQ(At(), (Point{1, 0}));
    effects.DestroyEffect(move); // before the stuck object goes
}

TEST_F(MoveScene, StartNeedsAnObjectTwoDifferentPlacesAndADurationOrSpeed)
{
    auto* orphan = static_cast<State2MoveEffectImpl*>(effects.CreateState2MoveEffect(&owner, nullptr, 1000));
    orphan->SetTo(10, 10);
    EXPECT_FALSE(orphan->Start(false, 0));

    auto* move = Move(1000, {5, 5}, {5, 5});
    EXPECT_FALSE(move->Start(false, 0));

    // Without a rate the object is not touched at all.
    move->SetTo(50, 5);
    move->SetDuration(0);
    const size_t callsBefore = Record(image).calls.size();
    EXPECT_FALSE(move->Start(false, 0));
    EXPECT_EQ(Record(image).calls.size(), callsBefore);

    move->SetSpeed(100);
    EXPECT_TRUE(move->Start(false, 0));
    EXPECT_EQ(owner.Take(), "start 2");
}

TEST_F(MoveScene, PausedStartWithADelayShowsTheObjectWhenTheDelayHasRunOut)
{
    auto* move = Move(1000, {10, 10}, {110, 10});
    ASSERT_TRUE(move->Start(true, 20));
    EXPECT_EQ(At(), (Point{10, 10}));
    EXPECT_FALSE(Shown());
    Pass(10);
    EXPECT_EQ(owner.Take(), "");

    move->SetPaused(false);
    Pass(3);
    EXPECT_FALSE(Shown());
    Pass();
    EXPECT_TRUE(Shown());
    EXPECT_EQ(owner.Take(), "start 1");
    Pass(2);
    EXPECT_EQ(At(), (Point{11, 10}));
}

TEST_F(MoveScene, StopHidesWithoutANoticeUnlessTheObjectStaysAtTheEnd)
{
    auto* move = Move(1000, {0, 0}, {100, 0});
    move->Start(false, 0);
    owner.Take();
    Pass(4);
    move->Stop();
    EXPECT_FALSE(Shown());
    EXPECT_EQ(At(), (Point{2, 0}));
    Pass(300);
    EXPECT_EQ(owner.Take(), "step 1, step 1");

    move->SetHideAtEnd(false);
    move->Start(false, 0);
    Pass(200);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(owner.notices.back(), "finish 1");
    move->Start(false, 0);
    move->Stop();
    EXPECT_TRUE(Shown());
}

TEST_F(MoveScene, DestroyingARunningMoveStopsItHidesTheObjectAndGivesItsReferenceBack)
{
    EXPECT_EQ(Record(image).refCount, 1);
    auto* other = factory.CreateImageVO();
    auto* move = Move(1000, {0, 0}, {100, 0}, other);
    EXPECT_EQ(Record(other).refCount, 2);
    move->SetObject(nullptr); // ignored
    move->SetObject(image);   // the reference moves with the object
    EXPECT_EQ(Record(other).refCount, 1);
    EXPECT_EQ(Record(image).refCount, 2);
    move->Start(false, 0);
    Pass(2);
    owner.Take();
    effects.DestroyEffect(move);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(Record(image).refCount, 1);
    Pass(300);
    EXPECT_EQ(owner.Take(), "");
    factory.ReleaseVO(image);
    EXPECT_TRUE(Record(image).released);
    EXPECT_TRUE(factory.Faults().empty());
}

TEST(MoveOnTheToolkit, AnObjectItsOwnerReleasedFirstLeavesTheScreenWhenTheMoveLetsGoOfIt)
{
    testing_support::ControlScene scene;
    ControlLibrary::Factory_impl& f = scene.Factory();
    EffectSystem_impl effects;
    effects.SetTimeSystem(&scene.Time());
    effects.SetFactory(&f);
    effect_testing::OwnerLog owner;
    ControlLibrary::IImageVO* chip = f.CreateImageVO();
    ControlLibrary::IImageVO* card = f.CreateImageVO();
    const uint32_t chipId = chip->GetId();
    const uint32_t cardId = card->GetId();

    IState2MoveEffect* move = effects.CreateState2MoveEffect(&owner, chip, 1000);
    move->SetFrom(0, 0);
    move->SetTo(100, 0);
    move->SetHideAtEnd(false);
    ASSERT_TRUE(move->Start(false, 0));
    scene.Step(20);
    f.ReleaseVO(chip); // the seat is taken down while its chip still moves
    EXPECT_NE(f.FindObject(chipId), nullptr) << "the move still holds it";
    effects.DestroyEffect(move);
    EXPECT_EQ(f.FindObject(chipId), nullptr);
    EXPECT_TRUE(f.LayerOrder().empty());

    // Handing the move another object gives the first one back the same way.
    move = effects.CreateState2MoveEffect(&owner, card, 1000);
    f.ReleaseVO(card);
    move->SetObject(f.CreateImageVO());
    EXPECT_EQ(f.FindObject(cardId), nullptr);
    ControlLibrary::IVisibleObject* last = move->GetObject();
    const uint32_t lastId = last->GetId();
    effects.DestroyEffect(move);
    f.ReleaseObject(last);
    EXPECT_EQ(f.FindObject(lastId), nullptr);
}

TEST_F(MoveScene, RestartInDurationModeAfterASpeedMoveRecomputesTheStepsAndFinishes)
{
    auto* move = Move(1000, {0, 0}, {100, 0});
    move->SetSpeed(1000);
    ASSERT_TRUE(move->Start(false, 0));
    Pass(30);
    ASSERT_EQ(owner.Count("finish"), 1u);

    move->SetDuration(500);
    move->SetFrom(100, 100);
    move->SetTo(100, 0);
    EXPECT_EQ(move->GetSpeed(), 0);
    ASSERT_TRUE(move->Start(false, 0));
    EXPECT_FLOAT_EQ(move->StepX(), 0.0f);
    EXPECT_FLOAT_EQ(move->StepY(), -1.0f);
    Pass(100);
    EXPECT_EQ(At(), (Point{100, 0}));
    EXPECT_EQ(owner.Count("finish"), 2u);
    EXPECT_FALSE(move->IsRunning());
}

TEST_F(MoveScene, ChangeSpeedScalesTheStepsOfARunningSpeedMove)
{
    auto* move = Move(1000, {0, 0}, {400, 0});
    move->SetSpeed(400);
    move->ChangeSpeed(800); // not running yet: ignored
    EXPECT_EQ(move->GetSpeed(), 400);
    ASSERT_TRUE(move->Start(false, 0));
    EXPECT_FLOAT_EQ(move->StepX(), 2.0f);

    move->ChangeSpeed(800);
    EXPECT_EQ(move->GetSpeed(), 800);
    EXPECT_FLOAT_EQ(move->StepX(), 4.0f);
    Pass(10);
    EXPECT_EQ(At(), (Point{40, 0}));

    move->RestoreMotion(); // the motion as started
    EXPECT_EQ(move->GetSpeed(), 400);
    EXPECT_FLOAT_EQ(move->StepX(), 2.0f);
    move->ChangeSpeed(100);
    move->SaveMotion();
    move->ChangeSpeed(400);
    move->RestoreMotion();
    EXPECT_FLOAT_EQ(move->StepX(), 0.5f);

    // Below 1 px/s the move crawls at 1 px/s, and a later change scales
    // from that crawl rather than from the speed before it.
    move->ChangeSpeed(0);
    EXPECT_EQ(move->GetSpeed(), 1);
    EXPECT_FLOAT_EQ(move->StepX(), 0.005f);
    move->ChangeSpeed(400);
    EXPECT_FLOAT_EQ(move->StepX(), 2.0f);

    // A move in duration mode has no speed to change.
    move->SetDuration(2000);
    ASSERT_TRUE(move->Start(false, 0));
    move->ChangeSpeed(500);
    EXPECT_EQ(move->GetSpeed(), 0);
    EXPECT_FLOAT_EQ(move->StepX(), 1.0f);
}

TEST_F(MoveScene, SpeedTooHighForAMillisecondArrivesOnTheFirstStep)
{
    auto* move = Move(1000, {0, 0}, {100, 40});
    move->SetSpeed(1000000);
    ASSERT_TRUE(move->Start(false, 0));
    Pass();
    EXPECT_EQ(At(), (Point{100, 40}));
    EXPECT_EQ(owner.notices.back(), "finish 1");
}

} // namespace
} // namespace EffectLibrary
