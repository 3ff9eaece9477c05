// The effect table: ids, a full table, destruction at awkward moments
// (from the effect's own notices, twice, by another system), teardown, the
// process-wide instance, and effects made and destroyed from the main thread
// while the time thread runs them.
#include "effects/IEffect.h"
#include "platform/core/Clock.h"
#include "tests/effects/EffectScene.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>

namespace EffectLibrary {
namespace {

class EffectTable : public ::testing::Test, public effect_testing::EffectScene {
public:
    // A move of one second over 100 px, started.
    IState2MoveEffect* RunningMove()
    {
        IState2MoveEffect* move = effects.CreateState2MoveEffect(&owner, image, 1000);
        move->SetTo(100, 0);
        move->Start(false, 0);
        return move;
    }
    ControlLibrary::IImageVO* image = factory.CreateImageVO();
};

TEST_F(EffectTable, IdsStartAtOneAndAFreedEntryIsTakenAgain)
{
    IState2MoveEffect* move = effects.CreateState2MoveEffect(&owner, image, 1000);
    ITimerEffect* timer = effects.CreateTimerEffect(&owner, nullptr, 1000);
    ISwitcherVoEffect* switcher = effects.CreateSwitcherEffect(&owner);
    IAnimationEffect* animation = effects.CreateAnimationEffect(&owner);
    EXPECT_EQ(move->GetId(), 1u);
    EXPECT_EQ(timer->GetId(), 2u);
    EXPECT_EQ(switcher->GetId(), 3u);
    EXPECT_EQ(animation->GetId(), 4u);

    effects.DestroyEffect(timer);
    EXPECT_EQ(effects.CountEffects(), 3u);
    EXPECT_EQ(effects.CreateSwitcherEffect(&owner)->GetId(), 2u);
}

TEST_F(EffectTable, FullTableRefusesANewEffectAndKeepsEveryOldOne)
{
    ISwitcherVoEffect* last = nullptr;
    for (int i = 0; i < 2047; ++i)
        last = effects.CreateSwitcherEffect(&owner);
    ASSERT_EQ(last->GetId(), 2047u);
    EXPECT_EQ(effects.CreateTimerEffect(&owner, nullptr, 1000), nullptr);
    EXPECT_EQ(effects.CreateAnimationEffect(&owner), nullptr);
    EXPECT_EQ(effects.CountEffects(), 2047u);

    last->AddObject(image);
    last->SetInterval(5);
    ASSERT_TRUE(last->Start(false, 0));
    Pass();
    EXPECT_EQ(owner.Take(), "start 2047, step 2047");
}

TEST_F(EffectTable, NoTimeObjectNoEffectAndTheEntryStaysFree)
{
    TimeLibrary::TimeObjectMessageObserver unused;
    std::vector<TimeLibrary::ITimeObject*> timers;
    for (int i = 0; i < 2047; ++i)
        timers.push_back(time.CreateTimeObject(&unused, 5, 5));
    EXPECT_EQ(effects.CreateState2MoveEffect(&owner, image, 1000), nullptr);
    EXPECT_EQ(effects.CreateTimerEffect(&owner, nullptr, 1000), nullptr);
    EXPECT_EQ(effects.CreateSwitcherEffect(&owner), nullptr);
    EXPECT_EQ(effects.CreateAnimationEffect(&owner), nullptr);
    EXPECT_EQ(effects.CountEffects(), 0u);
    // The move that could not be made holds no reference to its object.
    EXPECT_EQ(Record(image).refCount, 1);

    time.DestroyTimeObject(timers[7]);
    EXPECT_EQ(effects.CreateSwitcherEffect(&owner)->GetId(), 1u);

    EffectSystem_impl withoutTime;
    EXPECT_EQ(withoutTime.CreateSwitcherEffect(&owner), nullptr);
}

TEST_F(EffectTable, DestroyingNullTwiceOrThroughAnotherSystemChangesNothing)
{
    IState2MoveEffect* move = RunningMove();
    effects.DestroyEffect(static_cast<IState2MoveEffect*>(nullptr));

    EffectSystem_impl other;
    other.SetTimeSystem(&time);
    other.DestroyEffect(move);
    EXPECT_TRUE(move->IsRunning());
    EXPECT_EQ(effects.CountEffects(), 1u);

    effects.DestroyEffect(move);
    effects.DestroyEffect(move); // gone already: its pointer is not even read
    EXPECT_EQ(effects.CountEffects(), 0u);
}

TEST_F(EffectTable, DestroyAllFreesEveryEffectAndItsTimeObject)
{
    RunningMove();
    effects.CreateTimerEffect(&owner, nullptr, 1000)->Start(false, 0);
    effects.CreateAnimationEffect(&owner);
    owner.Take();
    effects.DestroyAllEffects();
    EXPECT_EQ(effects.CountEffects(), 0u);
    Pass(300);
    EXPECT_EQ(owner.Take(), "");

    // Every time object went with its effect: the whole time table is free.
    TimeLibrary::TimeObjectMessageObserver unused;
    for (int i = 0; i < 2047; ++i)
        ASSERT_NE(time.CreateTimeObject(&unused, 5, 5), nullptr);
}

// The players' pattern: the owner drops its effect as soon as it hears the
// effect is done, from inside the notice.
TEST_F(EffectTable, OwnerMayDestroyAnEffectFromAnyOfItsNotices)
{
    IState2MoveEffect* byFinish = RunningMove();
    IState2MoveEffect* bySpeedArrival = effects.CreateState2MoveEffect(&owner, factory.CreateImageVO(), 1000);
    bySpeedArrival->SetTo(10, 0);
    bySpeedArrival->SetSpeed(1000);
    bySpeedArrival->Start(false, 0);
    IState2MoveEffect* byStep = RunningMove();
    ITimerEffect* timer = effects.CreateTimerEffect(&owner, nullptr, 2000);
    timer->Start(false, 0);
    std::map<uint32_t, IEffect*> byId = {{byFinish->GetId(), byFinish},
                                         {bySpeedArrival->GetId(), bySpeedArrival},
                                         {byStep->GetId(), byStep},
                                         {timer->GetId(), timer}};
    const uint32_t byStepId = byStep->GetId();
    owner.react = [&](const std::string& notice, uint32_t id) {
        const bool drop = notice == "finish" || (notice == "step" && id == byStepId);
        if (!drop || !byId.count(id))
            return;
        IEffect* effect = byId[id];
        byId.erase(id);
        if (auto* move = dynamic_cast<IState2MoveEffect*>(effect))
            effects.DestroyEffect(move);
        else
            effects.DestroyEffect(dynamic_cast<ITimerEffect*>(effect));
    };
    Pass(400);
    EXPECT_TRUE(byId.empty());
    EXPECT_EQ(effects.CountEffects(), 0u);
    // The effect destroyed from its step said nothing more.
    EXPECT_EQ(owner.Count("step 3"), 1u);
    EXPECT_FALSE(image->IsVisible());

    // A start that is not paused raises its notice inside Start itself.
    IState2MoveEffect* byStart = RunningMove();
    effects.DestroyEffect(byStart);
    owner.react = [&](const std::string& notice, uint32_t) {
        if (notice == "start")
            effects.DestroyEffect(byStart);
    };
    byStart = effects.CreateState2MoveEffect(&owner, image, 1000);
    byStart->SetTo(100, 0);
    EXPECT_TRUE(byStart->Start(false, 0));
    EXPECT_EQ(effects.CountEffects(), 0u);
    Pass(10);
}

TEST_F(EffectTable, ANoticeMayDestroyAnotherEffectStillToBeAdvancedInTheSamePass)
{
    IState2MoveEffect* first = RunningMove();
    IState2MoveEffect* second = RunningMove();
    owner.react = [&](const std::string& notice, uint32_t id) {
        if (notice == "step" && id == first->GetId() && second != nullptr) {
            effects.DestroyEffect(second);
            second = nullptr;
        }
    };
    owner.Take();
    Pass(2);
    EXPECT_EQ(owner.Take(), "step 1");
    EXPECT_EQ(effects.CountEffects(), 1u);
}

TEST(EffectSystemInstance, IsMadeOnceAtATimeAndGoneAfterDestruction)
{
    EXPECT_EQ(GetEffectSystem(), nullptr);
    EffectSystem_impl* first = CreateEffectSystem();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetEffectSystem(), first);
    TimeLibrary::TimeSystem_impl time;
    first->SetTimeSystem(&time);
    first->CreateSwitcherEffect(nullptr);

    EffectSystem_impl* second = CreateEffectSystem(); // the first goes, with its effect
    EXPECT_EQ(GetEffectSystem(), second);
    second->SetTimeSystem(&time);
    EXPECT_EQ(second->CreateSwitcherEffect(nullptr)->GetId(), 1u);
    DestroyEffectSystem();
    EXPECT_EQ(GetEffectSystem(), nullptr);
    DestroyEffectSystem();
}

// Effects made, started and destroyed from this thread while the time thread
// runs them flat out, and owners on the time thread dropping effects as they
// finish: each effect is destroyed exactly once, by whoever takes it from
// the book first. Run under the sanitizers, this finds a step running on a
// freed effect or a lock taken out of order.
TEST(EffectSystemThreads, MainThreadAndTimeThreadMakeAndDestroyEffectsTogether)
{
    // The real clock: on a manual one the time thread never waits between
    // passes, takes its table lock back at once, and a main thread slowed by
    // a sanitizer can wait for it for ever.
    TimeLibrary::TimeSystem_impl time;
    EffectSystem_impl effects;
    effects.SetTimeSystem(&time);

    std::mutex bookLock;
    std::map<uint32_t, IEffect*> book;
    auto take = [&](uint32_t id) -> IEffect* {
        std::lock_guard hold(bookLock);
        auto found = book.find(id);
        if (found == book.end())
            return nullptr;
        IEffect* effect = found->second;
        book.erase(found);
        return effect;
    };
    auto destroy = [&](IEffect* effect) {
        if (auto* timer = dynamic_cast<ITimerEffect*>(effect))
            effects.DestroyEffect(timer);
        else if (auto* switcher = dynamic_cast<ISwitcherVoEffect*>(effect))
            effects.DestroyEffect(switcher);
    };
    effect_testing::OwnerLog owner;
    std::atomic<int> finished{0};
    owner.react = [&](const std::string& notice, uint32_t id) {
        if (notice != "finish")
            return;
        ++finished;
        if (IEffect* effect = take(id))
            destroy(effect);
    };
    // The endless switchers' owner keeps nothing: their steps come every
    // pass for as long as the loop runs, and a log of them grew without end
    // on the time thread. Under ThreadSanitizer, with this file unoptimised,
    // its upkeep made passes outlast their period; the time thread then ran
    // them back to back, let go of its table lock only between them, and
    // this thread, which needs that lock for every effect it makes, started
    // or destroys, got through its rounds in tens of seconds or minutes.
    EffectMessageObserver quiet;

    ASSERT_TRUE(time.StartTicking());
    // Goes on until the time thread has finished a good number of effects
    // too, however the two threads were scheduled.
    for (int round = 0; round < 3000 || finished.load() < 100; ++round) {
        if (round % 64 == 0)
            std::this_thread::yield();
        IEffect* effect = nullptr;
        if (round % 2 == 0) {
            ITimerEffect* timer = effects.CreateTimerEffect(&owner, nullptr, 5 * (1 + round % 7));
            effect = timer;
        } else {
            ISwitcherVoEffect* switcher = effects.CreateSwitcherEffect(&quiet);
            if (switcher != nullptr) {
                switcher->AddObject(nullptr);
                switcher->AddObject(nullptr);
                switcher->SetInterval(5);
            }
            effect = switcher;
        }
        if (effect == nullptr)
            continue; // the table is full for a moment
        {
            std::lock_guard hold(bookLock);
            book[effect->GetId()] = effect;
        }
        // Starting a timer may raise its start notice here, on this thread.
        effect->Start(round % 3 == 0, 0);
        if (round % 3 == 0)
            effect->SetPaused(false);
        if (round % 5 == 0) {
            IEffect* victim = nullptr;
            {
                std::lock_guard hold(bookLock);
                if (!book.empty())
                    victim = book.begin()->second, book.erase(book.begin());
            }
            if (victim != nullptr)
                destroy(victim);
        }
    }
    time.StopTicking();
    EXPECT_GE(finished.load(), 100);
    effects.DestroyAllEffects();
    EXPECT_EQ(effects.CountEffects(), 0u);
}

} // namespace
} // namespace EffectLibrary
