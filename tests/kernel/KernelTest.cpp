// The kernel's run of a game: the order in which the singletons come and go
// around the game's calls, a whole run on the headless machine ended by the
// game, a refused factory, and a second run after a first.
#include "tests/kernel/KernelTestSupport.h"

#include "effects/AnimationEffectImpl.h"
#include "platform/core/Clock.h"
#include "platform/window/Window.h"

#include <functional>

using namespace kerneltest;

class Kernel : public KernelTest {};

namespace {

// Which singletons exist when the game is called: T time system (+ when its
// thread ticks), F factory, E effect system, A application.
std::string Singletons()
{
    std::string s = " ";
    auto* time = TimeLibrary::GetTimeSystem();
    s += time ? (time->IsTicking() ? "T+" : "T") : "-";
    s += KernelLibrary::GetFactory() ? "F" : "-";
    s += KernelLibrary::GetEffectSystem() ? "E" : "-";
    s += KernelLibrary::GetApplication() ? "A" : "-";
    return s;
}

// A game that ends its run by itself: once started it closes the window,
// and when asked whether to close it quits.
void QuitOnceStarted(RecordingGame& game)
{
    game.onStart = [] {
        platform::PostMessageA(KernelLibrary::GetApplication()->GetMainWindow(), platform::WM_CLOSE, 0, 0);
    };
    game.onCloseRequest = [&game] { game.sysApp->Quit(); };
}

// Fills every free entry of the time table.
struct TableFiller : TimeLibrary::TimeObjectMessageObserver {
    void Fill()
    {
        while (KernelLibrary::GetTimeSystem()->CreateTimeObject(this, -1, 5))
            ;
    }
};

} // namespace

TEST_F(Kernel, RunsTheGameUntilItQuitsAndTearsDownInReverse)
{
    EXPECT_EQ(KernelLibrary::GetFactory(), nullptr);
    EXPECT_EQ(KernelLibrary::GetEffectSystem(), nullptr);
    EXPECT_EQ(KernelLibrary::GetTimeSystem(), nullptr);

    QuitOnceStarted(game);
    game.probe = Singletons;
    ASSERT_TRUE(KernelLibrary::RunKernel(nullptr, &game));
    EXPECT_EQ(game.log, (std::vector<std::string>{
                            "GetTitle T---", "GetVersion T---", "GetTitle T---", "GetRegistryKey T---",
                            "SetSysApp T--A", "Initialize T+FEA", "Start T+FEA", "OnCloseRequest T+FEA",
                            "Stop T+FEA", "Shutdown T+FEA"}));

    // The effect system was wired to the kernel's time system and factory:
    // an animation finds its image objects there.
    auto* effects = EffectLibrary::GetEffectSystem();
    ASSERT_NE(effects, nullptr);
    EXPECT_EQ(effects->GetTimeSystem(), KernelLibrary::GetTimeSystem());
    const std::string script = folder_ / "deal.ani";
    platform::testing::WriteTestFile(script, "[animation]\r\nimage=\"cards.png\"\r\nframe_w=10\r\nframe_h=10\r\n"
                                             "[effect]=\"deal\"\r\ntime=100\r\n[frame]\r\nindex=0\r\n");
    EffectLibrary::IAnimationEffect* animation = KernelLibrary::GetEffectSystem()->CreateAnimationEffect(nullptr);
    ASSERT_NE(animation, nullptr);
    EXPECT_TRUE(animation->Load(script)) << static_cast<EffectLibrary::AnimationEffectImpl*>(animation)->LastError();
    EXPECT_EQ(animation->GetEffectCount(), 1);
    KernelLibrary::GetEffectSystem()->DestroyEffect(animation);
    EXPECT_EQ(KernelLibrary::GetApplication()->GetBridge(), nullptr);

    KernelLibrary::ShutdownKernel(nullptr);
    EXPECT_EQ(Singletons(), " ----");
    EXPECT_EQ(game.log.size(), 10u); // the teardown does not call the game again
}

TEST_F(Kernel, StopsBeforeTheLoopWhenTheFactoryCannotBeMade)
{
    TableFiller filler;
    game.onSetSysApp = [&] { filler.Fill(); }; // the factory finds no time object for its poll
    EXPECT_FALSE(KernelLibrary::RunKernel(nullptr, &game));
    EXPECT_EQ(KernelLibrary::GetFactory(), nullptr);
    EXPECT_EQ(KernelLibrary::GetEffectSystem(), nullptr);
    ASSERT_NE(KernelLibrary::GetTimeSystem(), nullptr);
    EXPECT_FALSE(TimeLibrary::GetTimeSystem()->IsTicking());
    EXPECT_NE(KernelLibrary::GetApplication(), nullptr);
    EXPECT_EQ(std::count(game.log.begin(), game.log.end(), "Initialize"), 0);

    KernelLibrary::ShutdownKernel(nullptr);
    EXPECT_EQ(Singletons(), " ----");
}

TEST_F(Kernel, SecondRunTearsDownWhatTheFirstLeftBeforeMakingAnything)
{
    TableFiller filler;
    game.onSetSysApp = [&] { filler.Fill(); };
    ASSERT_FALSE(KernelLibrary::RunKernel(nullptr, &game));
    KernelLibrary::MainApp* first = KernelLibrary::GetApplication();
    ASSERT_NE(first, nullptr);

    RecordingGame second;
    QuitOnceStarted(second);
    std::string atFirstCall;
    second.probe = [&] {
        if (atFirstCall.empty())
            atFirstCall = Singletons();
        return std::string();
    };
    ASSERT_TRUE(KernelLibrary::RunKernel(nullptr, &second));
    // The first application and its leftovers were gone; only the new time
    // system existed when the new application was being made.
    EXPECT_EQ(atFirstCall, " T---");
    EXPECT_EQ(second.log.back(), "Shutdown");
    EXPECT_EQ(std::count(game.log.begin(), game.log.end(), "Shutdown"), 0);
}

TEST_F(Kernel, StartsNothingWithoutAGame)
{
    KernelLibrary::ShutdownKernel(nullptr); // nothing to tear down
    EXPECT_FALSE(KernelLibrary::RunKernel(nullptr, nullptr));
    EXPECT_EQ(Singletons(), " ----");
}

TEST_F(Kernel, AStartWithoutTheLoopLeavesTheLoopAndTheTimeToTheCaller)
{
    game.probe = Singletons;
    ASSERT_TRUE(KernelLibrary::StartKernel(nullptr, &game, false));
    // Everything but the loop and the time thread is there; the game has
    // its application and waits for the end of loading.
    EXPECT_EQ(Singletons(), " TFEA");
    EXPECT_EQ(game.log.back(), "SetSysApp T--A");

    KernelLibrary::MainApp& application = *KernelLibrary::GetApplication();
    application.BeginSteppedRun();
    for (int i = 0; i < 1000000 && !(application.GetBridge() && application.GetBridge()->IsStarted()); ++i)
        application.RunLoopStep(nullptr);
    ASSERT_NE(application.GetBridge(), nullptr);
    EXPECT_EQ(game.log.back(), "Start TFEA");
    EXPECT_FALSE(TimeLibrary::GetTimeSystem()->IsTicking());

    game.onCloseRequest = [this] { game.sysApp->Quit(); };
    platform::PostMessageA(application.GetMainWindow(), platform::WM_CLOSE, 0, 0);
    for (int i = 0; i < 1000000 && !application.IsQuitting(); ++i)
        application.RunLoopStep(nullptr);
    EXPECT_TRUE(application.IsQuitting());
    application.EndSteppedRun();
    EXPECT_EQ(game.log.back(), "Shutdown TFEA");
}

// A recorded demo: no time thread; each update advances the time objects by
// its frame time, so their notices come at the same updates in playback.
TEST_F(Kernel, WhileADemoIsRecordedTheUpdatesAdvanceTheTimeObjects)
{
    platform::ManualClock clock(1'000'000);
    platform::ScopedClock useClock(clock);
    const std::string file = "-demofile=" + (folder_ / "run.dmo");
    const char* const argv[] = {"pellucor", "-record", file.c_str()};
    platform::SetCommandLineArguments(3, argv);
    ASSERT_TRUE(KernelLibrary::StartKernel(nullptr, &game, true));
    KernelLibrary::MainApp& application = *KernelLibrary::GetApplication();
    ASSERT_TRUE(application.IsRecordingDemo());
    TimeLibrary::TimeSystem_impl& time = *TimeLibrary::GetTimeSystem();
    EXPECT_FALSE(time.IsTicking());

    // The loop polls through the last fraction of a millisecond, which the
    // manual clock would never end by itself.
    const auto runUntil = [&](const std::function<bool()>& done) {
        for (int i = 0; i < 100000 && !done(); ++i) {
            const uint64_t before = clock.NowMicroseconds();
            application.RunLoopStep(nullptr);
            if (clock.NowMicroseconds() == before)
                clock.Advance(100);
        }
    };
    application.BeginSteppedRun();
    runUntil([&] { return application.GetBridge() && application.GetBridge()->IsStarted(); });
    const uint64_t before = time.GetTime();
    const int updates = application.UpdateCount();
    runUntil([&] { return application.UpdateCount() == updates + 50; });
    EXPECT_EQ(time.GetTime() - before, 50u * uint64_t(application.frameTime));
    game.onCloseRequest = [this] { game.sysApp->Quit(); };
    platform::PostMessageA(application.GetMainWindow(), platform::WM_CLOSE, 0, 0);
    runUntil([&] { return application.IsQuitting(); });
    application.EndSteppedRun();
}
