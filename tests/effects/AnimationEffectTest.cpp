// Animations on the 5 ms passes: loading prepares one image object per
// effect, a play shows each frame for its time with exact notices, the end
// hides or keeps the last frame, bad frame times stop the play, clones play
// on their own, and failed loads and destruction leave no objects behind.
#include "effects/AnimationEffectImpl.h"
#include "tests/effects/EffectScene.h"
#include "tests/pak/PakTestFiles.h"

#include <gtest/gtest.h>

namespace EffectLibrary {
namespace {

std::string Script(std::initializer_list<const char*> lines)
{
    std::string text = "[animation]\r\nimage=\"cards.png\"\r\nframe_w=71\r\nframe_h=96\r\n";
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text;
}

// "deal": three frames of 100 ms, hidden at the end; "win": two frames of
// 40 ms, kept; "none": no frames.
const std::string kCards = Script({"[effect]=\"deal\"", "autohide=1", "time=100",
                                   "[frame]", "index=0", "image=\"deal0.png\"",
                                   "[frame]", "index=1", "image=\"deal1.png\"",
                                   "[frame]", "index=2", "image=\"deal2.png\"",
                                   "[effect]=\"win\"", "time=40",
                                   "[frame]", "index=0", "[frame]", "index=1", "image=\"win1.png\"",
                                   "[effect]=\"none\""});

class AnimationScene : public ::testing::Test, public effect_testing::EffectScene {
public:
    AnimationEffectImpl* Animation(const std::string& script = kCards)
    {
        auto* animation = static_cast<AnimationEffectImpl*>(effects.CreateAnimationEffect(&owner));
        EXPECT_TRUE(animation->Load(dir.Write("cards.ani", script))) << animation->LastError();
        return animation;
    }
    testing_support::RecordedObject& Shows(AnimationEffectImpl* animation, uint16_t effect)
    {
        return Record(animation->ImageObject(effect));
    }
    size_t LiveImages() { return factory.LiveObjectCount(); }

    paktest::TempFolder dir;
};

TEST_F(AnimationScene, LoadGivesEachEffectAHiddenImageObjectHoldingItsLastFrame)
{
    AnimationEffectImpl* animation = Animation();
    EXPECT_EQ(animation->GetEffectCount(), 3);
    EXPECT_EQ(LiveImages(), 3u);
    const auto& deal = Shows(animation, 0);
    EXPECT_EQ(deal.image, "deal2.png");
    EXPECT_EQ(deal.size, (ControlLibrary::Size{71, 96}));
    EXPECT_TRUE(deal.alwaysRepaint);
    EXPECT_FALSE(deal.visible);
    EXPECT_EQ(deal.calls, (std::vector<std::string>{"SetAlwaysRepaint(1)", "SetImage(deal0.png,1)",
                                                    "SetSize(71 96)", "SetImage(deal1.png,1)", "SetSize(71 96)",
                                                    "SetImage(deal2.png,1)", "SetSize(71 96)"}));
    EXPECT_EQ(Shows(animation, 1).image, "win1.png");
    EXPECT_EQ(Shows(animation, 2).image, "");
    EXPECT_EQ(animation->ImageObject(3), nullptr);
}

TEST_F(AnimationScene, ThreeFramesOfAHundredMillisecondsPlayInSixtyPasses)
{
    AnimationEffectImpl* animation = Animation();
    animation->PlayEffect(0);
    const auto& deal = Shows(animation, 0);
    EXPECT_EQ(deal.image, "deal0.png");
    EXPECT_TRUE(deal.visible);
    EXPECT_EQ(owner.Take(), "start 1");
    EXPECT_TRUE(animation->IsRunning());

    Pass(19);
    EXPECT_EQ(owner.Take(), "");
    Pass();
    EXPECT_EQ(deal.image, "deal1.png");
    EXPECT_EQ(animation->CurrentFrame(), 1);
    EXPECT_EQ(owner.Take(), "step 1, start 1");
    Pass(20);
    EXPECT_EQ(deal.image, "deal2.png");
    Pass(19);
    EXPECT_TRUE(deal.visible);
    Pass();
    EXPECT_EQ(owner.Take(), "step 1, start 1, step 1, finish 1");
    EXPECT_FALSE(deal.visible); // autohide
    EXPECT_EQ(animation->CurrentEffect(), -1);
    EXPECT_FALSE(animation->IsRunning());
    Pass(100);
    EXPECT_EQ(owner.Take(), "");
}

TEST_F(AnimationScene, WithoutAutohideTheLastFrameStaysShown)
{
    AnimationEffectImpl* animation = Animation();
    animation->PlayEffect(1);
    Pass(16);
    const auto& win = Shows(animation, 1);
    EXPECT_EQ(win.image, "win1.png");
    EXPECT_TRUE(win.visible);
    EXPECT_EQ(owner.Count("finish"), 1u);
}

TEST_F(AnimationScene, ShowEffectShowsTheFirstFrameUntimedAndEffectsOutOfRangeOrWithoutFramesAreIgnored)
{
    AnimationEffectImpl* animation = Animation();
    animation->ShowEffect(1, true);
    EXPECT_EQ(Shows(animation, 1).image, "win");
    EXPECT_TRUE(Shows(animation, 1).visible);
    Pass(100);
    EXPECT_EQ(owner.Take(), "");
    animation->ShowEffect(1, false);
    EXPECT_FALSE(Shows(animation, 1).visible);

    const size_t before = Shows(animation, 2).calls.size();
    animation->PlayEffect(2);
    animation->ShowEffect(2, true);
    animation->PlayEffect(3);
    animation->PlayEffect(-1);
    animation->ShowEffect(3, true);
    EXPECT_EQ(Shows(animation, 2).calls.size(), before);
    EXPECT_FALSE(animation->IsRunning());
    EXPECT_EQ(owner.Take(), "");

    AnimationEffectImpl* empty = static_cast<AnimationEffectImpl*>(effects.CreateAnimationEffect(&owner));
    empty->PlayEffect(0);
    empty->ShowEffect(0, true);
    empty->SetPosition(1, 1);
    empty->Stop();
    EXPECT_EQ(empty->GetEffectCount(), 0);
    EXPECT_FALSE(empty->Start(false, 0));
}

TEST_F(AnimationScene, AFrameTimeOfZeroOrAbove32767StopsThePlayWhereItIs)
{
    for (const char* bad : {"time=0", "time=40000"}) {
        AnimationEffectImpl* animation =
            Animation(Script({"[effect]=\"e\"", "time=10", "[frame]", "index=0", "[frame]", "index=1", bad,
                              "image=\"second.png\""}));
        animation->PlayEffect(0);
        Pass(2);
        EXPECT_EQ(Shows(animation, 0).image, "second.png");
        EXPECT_EQ(animation->CurrentFrame(), 1);
        EXPECT_FALSE(animation->IsRunning());
        Pass(100);
        EXPECT_EQ(owner.Take(), "start 1, step 1");
        effects.DestroyEffect(animation);
    }
}

TEST_F(AnimationScene, StopHidesEveryEffectAndKeepsThePlace)
{
    AnimationEffectImpl* animation = Animation();
    animation->ShowEffect(1, true);
    animation->PlayEffect(0);
    Pass(25);
    owner.Take();
    animation->Stop();
    EXPECT_FALSE(Shows(animation, 0).visible);
    EXPECT_FALSE(Shows(animation, 1).visible);
    EXPECT_EQ(animation->CurrentEffect(), 0);
    EXPECT_EQ(animation->CurrentFrame(), 1);
    Pass(100);
    EXPECT_EQ(owner.Take(), "");

    animation->SetVisible(true); // does nothing
    EXPECT_FALSE(Shows(animation, 0).visible);
}

TEST_F(AnimationScene, PlayingAgainRestartsAtTheFirstFrameAndLeavesTheOtherEffectAlone)
{
    AnimationEffectImpl* animation = Animation();
    animation->PlayEffect(1);
    Pass(8);
    EXPECT_EQ(Shows(animation, 1).image, "win1.png");
    animation->PlayEffect(0);
    EXPECT_EQ(Shows(animation, 1).image, "win1.png");
    EXPECT_TRUE(Shows(animation, 1).visible);
    Pass(20);
    EXPECT_EQ(Shows(animation, 0).image, "deal1.png");
    animation->PlayEffect(0);
    EXPECT_EQ(Shows(animation, 0).image, "deal0.png");
    Pass(60);
    EXPECT_EQ(owner.Count("finish"), 1u);
}

TEST_F(AnimationScene, CloneHasItsOwnIdObjectsAndPlay)
{
    AnimationEffectImpl* source = Animation();
    source->SetPosition(30, 40);
    source->SetAlignment(1, 2);
    source->SetLayer(9);
    for (uint16_t e = 0; e < 3; ++e) {
        EXPECT_EQ(Shows(source, e).position, (ControlLibrary::Point{30, 40}));
        EXPECT_EQ(Shows(source, e).vAlign, 2u);
    }
    source->PlayEffect(1);
    auto* clone = static_cast<AnimationEffectImpl*>(source->Clone());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetId(), 2u);
    EXPECT_EQ(clone->GetEffectCount(), 3);
    EXPECT_EQ(LiveImages(), 6u);
    EXPECT_EQ(clone->CurrentEffect(), -1);
    EXPECT_FALSE(clone->IsRunning());
    const auto& copy = Shows(clone, 1);
    EXPECT_NE(clone->ImageObject(1), source->ImageObject(1));
    EXPECT_EQ(copy.image, "win");
    EXPECT_EQ(copy.hAlign, 1u);
    EXPECT_EQ(copy.vAlign, 2u);
    EXPECT_EQ(copy.layer, 9);
    EXPECT_EQ(copy.position, (ControlLibrary::Point{0, 0})); // the place is not copied
    EXPECT_EQ(copy.size, (ControlLibrary::Size{20, 20})); // autosized, then the source's size
    EXPECT_FALSE(copy.visible);

    owner.Take();
    clone->PlayEffect(0);
    Pass(8);
    EXPECT_EQ(owner.Take(), "start 2, step 1, start 1");
    Pass(52);
    EXPECT_EQ(owner.Take(), "step 1, finish 1, step 2, start 2, step 2, start 2, step 2, finish 2");
    EXPECT_EQ(Shows(source, 0).image, "deal2.png"); // untouched by the clone's play

    effects.DestroyEffect(clone);
    EXPECT_EQ(effects.CountEffects(), 1u);
    EXPECT_EQ(LiveImages(), 3u);
}

TEST_F(AnimationScene, CloneIntoAFullTableIsNull)
{
    AnimationEffectImpl* source = Animation();
    for (int i = 1; i < 2047; ++i)
        effects.CreateSwitcherEffect(&owner);
    EXPECT_EQ(source->Clone(), nullptr);
    EXPECT_EQ(LiveImages(), 3u);
}

TEST_F(AnimationScene, FailedLoadSaysWhyAndLeavesNoScriptAndNoObjects)
{
    AnimationEffectImpl* animation = Animation();
    const std::string bad = dir.Write("bad.ani", Script({"[effect]=\"e\"", "[frame]", "time=5"}));
    EXPECT_FALSE(animation->Load(bad));
    EXPECT_EQ(animation->LastError(), "animation script \"" + bad + "\": line 6: frame 1 of effect \"e\" has no \"index=\"");
    EXPECT_EQ(animation->GetEffectCount(), 0);
    EXPECT_EQ(LiveImages(), 0u);

    EXPECT_FALSE(animation->Load(dir / "missing.ani"));
    EXPECT_NE(animation->LastError().find("cannot be opened"), std::string::npos);
    EXPECT_FALSE(animation->Load(dir.Write("cut.ani", kCards.substr(0, 40))));
    EXPECT_EQ(LiveImages(), 0u);
    EXPECT_TRUE(animation->Load(dir.Write("ok.ani", kCards)));
    EXPECT_EQ(animation->LastError(), "");
}

TEST_F(AnimationScene, LoadingAgainOrDestroyingGivesTheImageObjectsBack)
{
    AnimationEffectImpl* animation = Animation();
    animation->PlayEffect(0);
    Pass(5);
    EXPECT_TRUE(animation->Load(dir.Write("one.ani", Script({"[effect]=\"solo\"", "time=5", "[frame]", "index=0"}))));
    EXPECT_EQ(LiveImages(), 1u);
    EXPECT_FALSE(animation->IsRunning());
    EXPECT_EQ(animation->CurrentEffect(), -1);
    owner.Take();
    Pass(100);
    EXPECT_EQ(owner.Take(), "");

    effects.DestroyEffect(animation);
    EXPECT_EQ(LiveImages(), 0u);
    EXPECT_TRUE(factory.Faults().empty());
}

TEST_F(AnimationScene, FactoryWithoutRoomOrNoFactoryFailsTheLoad)
{
    auto* animation = static_cast<AnimationEffectImpl*>(effects.CreateAnimationEffect(&owner));
    const std::string path = dir.Write("cards.ani", kCards);
    factory.FailNextCreations(2); // the second and third effect get none
    factory.CreateImageVO();
    EXPECT_FALSE(animation->Load(path));
    EXPECT_NE(animation->LastError().find("no image object"), std::string::npos);
    EXPECT_EQ(LiveImages(), 0u);

    EffectSystem_impl bare;
    bare.SetTimeSystem(&time);
    IAnimationEffect* orphan = bare.CreateAnimationEffect(&owner);
    EXPECT_FALSE(orphan->Load(path));
}

TEST_F(AnimationScene, OwnerMayDestroyTheAnimationAtItsEndOrAtAFramesStart)
{
    AnimationEffectImpl* atEnd = Animation();
    AnimationEffectImpl* atSecondFrame = Animation();
    const uint32_t secondId = atSecondFrame->GetId();
    int starts = 0;
    owner.react = [&](const std::string& notice, uint32_t id) {
        if (notice == "finish" && id == atEnd->GetId())
            effects.DestroyEffect(atEnd);
        if (notice == "start" && id == secondId && ++starts == 2)
            effects.DestroyEffect(atSecondFrame);
    };
    atEnd->PlayEffect(1);
    atSecondFrame->PlayEffect(0);
    Pass(100);
    EXPECT_EQ(effects.CountEffects(), 0u);
    EXPECT_EQ(LiveImages(), 0u);
    EXPECT_EQ(owner.Count("start " + std::to_string(secondId)), 2u);
}

} // namespace
} // namespace EffectLibrary
