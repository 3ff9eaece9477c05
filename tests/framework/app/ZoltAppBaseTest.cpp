// Start-up and shutdown of the application: the fatal paths with their
// messages and exit codes, the choice of window mode, the single running
// copy, the settings that outlive a run and the order of teardown.
#include "tests/framework/app/AppTestSupport.h"
#include "tests/support/ImageFixtures.h"

#include "framework/base/PathUtils.h"
#include "framework/graphics/DDInterface.h"
#include "framework/resources/ResourceManager.h"
#include "framework/resources/SysFont.h"
#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/FModMusicInterface.h"
#include "framework/widgets/Widget.h"
#include "platform/core/FileSystem.h"
#include "platform/ddraw/DDrawTypes.h"

#include <atomic>
#include <cerrno>
#include <limits>
#include <thread>
#include <unistd.h>
#include <utility>

using namespace apptest;

namespace {

std::vector<platform::testing::RecordedBox> Boxes() { return platform::testing::RecordedBoxes(); }

std::string Text(const fixtures::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

void PutLe(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(char(value >> (8 * i)));
}

// A mono 16-bit 22050 Hz WAV file of `frames` frames of a low square wave.
std::string PcmWav(uint32_t frames)
{
    std::string wav = "RIFF";
    PutLe(wav, 36 + frames * 2, 4);
    wav += "WAVEfmt ";
    PutLe(wav, 16, 4);
    PutLe(wav, 1, 2);
    PutLe(wav, 1, 2);
    PutLe(wav, 22050, 4);
    PutLe(wav, 44100, 4);
    PutLe(wav, 2, 2);
    PutLe(wav, 16, 2);
    wav += "data";
    PutLe(wav, frames * 2, 4);
    for (uint32_t i = 0; i < frames; ++i)
        PutLe(wav, (i / 50) % 2 ? 0x1000 : 0xF000, 2);
    return wav;
}

} // namespace

TEST_F(AppTest, MissingDisplayOrSoundLibraryShowsTheDirectXBoxAndEndsAsAFailure)
{
    for (const char* library : {"dsound.dll", "ddraw.dll"}) {
        platform::testing::ClearModuleHiding();
        platform::testing::HideModule(library);
        EXPECT_EQ(ExitCodeOf([&] { StartApp(); }), 1) << library;
        app.reset();
        ASSERT_FALSE(Boxes().empty());
        EXPECT_EQ(Boxes().back().caption, "You need DirectX");
        EXPECT_NE(Boxes().back().text.find("This application requires DirectX to run."), std::string::npos);
    }
}

// An option the game cannot follow ends the start as a failure, with a
// message that names it and says what is wrong with it.
TEST_F(AppTest, AnOptionThatCannotBeFollowedIsFatalWithItsNameAndWhy)
{
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"-record", "-bogus"}, "Invalid command line parameter: -bogus"},
        {{"-recnum=abc"}, "Invalid command line parameter: -recnum=abc (\"abc\" is not a whole number)"},
        {{"-playnum=2x"}, "Invalid command line parameter: -playnum=2x (\"2x\" is not a whole number)"},
        {{"-recnum=99999999999"},
         "Invalid command line parameter: -recnum=99999999999 (\"99999999999\" is out of range)"},
        {{"-play", "-demofile="}, "Invalid command line parameter: -demofile= (the demo file's name is empty)"},
    };
    for (const auto& [arguments, message] : refused) {
        SetArguments(arguments);
        EXPECT_EQ(ExitCodeOf([&] { StartApp(); }), 1) << message;
        ASSERT_FALSE(Boxes().empty());
        EXPECT_EQ(Boxes().back().caption, "FATAL ERROR");
        EXPECT_EQ(Boxes().back().text, message);
        app.reset();
    }
}

TEST_F(AppTest, AFrameworkArchiveThatCannotBeUsedIsAFatalErrorThatNamesIt)
{
    const std::string startedIn = platform::GetCurrentDirectory();
    ASSERT_TRUE(platform::SetCurrentDirectory(folder_.Path()));
    for (const std::string& damaged : {std::string(), std::string("not an archive at all"),
                                       std::string("\x9A\x10\x9A\xE0\x5A\x5A\x5A\x5A\x5A\x04")}) {
        platform::testing::WriteTestFile("main.pak", damaged);
        EXPECT_EQ(ExitCodeOf([&] { Make().Initialize(); }), 1) << damaged.size() << " bytes";
        app.reset();
        ASSERT_FALSE(Boxes().empty());
        EXPECT_EQ(Boxes().back().caption, "FATAL ERROR");
        EXPECT_NE(Boxes().back().text.find("main.pak"), std::string::npos) << Boxes().back().text;
    }
    platform::DeleteFile("main.pak");
    EXPECT_NO_FATAL_FAILURE(StartApp()) << "without the archive, the framework's files come from disk";
    EXPECT_TRUE(platform::SetCurrentDirectory(startedIn));
}

// Updates and sleeps of the loop over about `ms`, counted from the
// beginning of one sleep to the beginning of another: the loop sleeps only
// when every update due has run, so there the count must match the time.
struct LoopCount {
    int64_t ms = 0;
    int updates = 0;
    int sleeps = 0;
    int draws = 0;
};

LoopCount CountFromSleepToSleep(TestApp& a, platform::ManualClock& clock, int64_t ms,
                                const std::function<void(int64_t)>& afterStep = {})
{
    const auto now = [&] { return int64_t(clock.NowMicroseconds() / 1000); };
    LoopCount first, last;
    bool started = false;
    const int64_t end = now() + ms;
    for (int guard = 0; guard < 1'000'000 && (now() < end || !started); ++guard) {
        const LoopCount here{now(), a.UpdateCount(), a.SleepCount(), a.DrawCount()};
        a.RunLoopStep(nullptr);
        if (afterStep)
            afterStep(now());
        if (a.SleepCount() == here.sleeps)
            continue;
        if (!started)
            first = here;
        started = true;
        last = here;
    }
    return LoopCount{last.ms - first.ms, last.updates - first.updates, last.sleeps - first.sleeps,
                     last.draws - first.draws};
}

TEST_F(AppTest, AStillScreenDoesNotHoldItsUpdatesWhileMusicFades)
{
    TestApp& a = StartApp();
    a.holdLimitMs = Zolt::ZoltAppBase::kHoldWithoutLimit;
    auto* music = dynamic_cast<SpyMusic*>(a.GetMusicInterface());
    ASSERT_NE(music, nullptr);
    music->fading = true;
    RunFor(300);
    const LoopCount fading = CountFromSleepToSleep(a, clock_, 1000);
    EXPECT_NEAR(fading.sleeps, 100, 3) << "each update of the fade on time";
    music->fading = false;
    RunFor(300);
    EXPECT_LE(CountFromSleepToSleep(a, clock_, 2000).sleeps, 4);
}

TEST_F(AppTest, AStillScreenSleepsThroughSeveralUpdatesYetLosesNone)
{
    TestApp& a = StartApp();
    a.holdLimitMs = Zolt::ZoltAppBase::kHoldWithoutLimit;
    RunFor(300); // draw passes that paint nothing make the screen still
    LoopCount held = CountFromSleepToSleep(a, clock_, 5000);
    EXPECT_NEAR(held.updates, held.ms / 10, 1) << "the updates that came due ran on waking";
    // A hold lasts until the still screen's present, once a second: longer
    // than the 200 ms of catching up the timing keeps after a stall.
    EXPECT_LE(held.sleeps, 6) << "one sleep for many updates";
    EXPECT_NEAR(held.draws, held.ms / 1000, 1) << "the still screen is presented once a second";

    // Work due far ahead holds no shorter than none at all.
    a.holdLimitMs = std::numeric_limits<int>::max();
    held = CountFromSleepToSleep(a, clock_, 3000);
    EXPECT_NEAR(held.updates, held.ms / 10, 1);
    EXPECT_LE(held.sleeps, 4);

    // Once the application may not hold updates, the loop sleeps once an update again.
    a.holdLimitMs = 0;
    RunFor(100);
    const LoopCount unheld = CountFromSleepToSleep(a, clock_, 300);
    EXPECT_NEAR(unheld.sleeps, 30, 2) << "a screen that may not hold sleeps each update";
    EXPECT_NEAR(unheld.updates, unheld.ms / 10, 1);
}

// A manual clock on which a sleep that reaches `arrival` ends there, with
// `message` posted: a message that comes while the loop sleeps.
class MessageWhileAsleepClock final : public platform::Clock {
public:
    explicit MessageWhileAsleepClock(uint64_t now) : now_(now) {}
    uint64_t NowMicroseconds() override { return now_; }
    void SleepMicroseconds(uint64_t us) override
    {
        if (message && now_ + us >= arrival) {
            now_ = arrival;
            std::exchange(message, {})();
            return;
        }
        now_ += us;
    }
    uint64_t arrival = 0;
    std::function<void()> message;

private:
    uint64_t now_;
};

TEST_F(AppTest, AMessageThatEndsAHoldIsTakenAfterTheUpdatesDueBeforeItAsWithoutAHold)
{
    TestApp& a = StartApp();
    a.holdLimitMs = Zolt::ZoltAppBase::kHoldWithoutLimit;
    RunFor(300); // still: every sleep from here is a hold of up to a second
    // Up to the next sleep, which begins when every update due has run.
    int sleeps = a.SleepCount();
    uint64_t sleptAt = 0;
    int updatesThen = 0;
    for (int guard = 0; guard < 100000 && a.SleepCount() == sleeps; ++guard) {
        sleptAt = clock_.NowMicroseconds();
        updatesThen = a.UpdateCount();
        a.RunLoopStep(nullptr);
    }
    ASSERT_GT(a.SleepCount(), sleeps);

    // The same time from here on, with the message coming 455 ms into it.
    MessageWhileAsleepClock clock(sleptAt);
    clock.arrival = sleptAt + 455'000;
    const platform::UINT notify = platform::RegisterWindowMessageA("NotifyPellucorTest");
    clock.message = [&] { platform::PostMessageA(a.GetMainWindow(), notify, 0, 0); };
    platform::SetClock(&clock);
    sleeps = a.SleepCount();
    for (int guard = 0; guard < 100000 && a.broughtToFront == 0; ++guard)
        a.RunLoopStep(nullptr);
    platform::SetClock(&clock_);
    ASSERT_EQ(a.broughtAtUpdate.size(), 1u);
    EXPECT_EQ(a.SleepCount() - sleeps, 1) << "the message came during the hold";
    EXPECT_EQ(a.broughtAtUpdate[0], updatesThen + 45) << "the 45 updates due by then ran first";
}

// Posts the test's notify message at its first update once armed: a
// message that comes while the loop runs updates.
class MessageAtUpdate : public Zolt::Widget {
public:
    explicit MessageAtUpdate(Zolt::ZoltAppBase& app) : app_(app) {}
    void Tick() override
    {
        if (!armed)
            return;
        armed = false;
        postedAtUpdate = app_.UpdateCount();
        platform::PostMessageA(app_.GetMainWindow(), platform::RegisterWindowMessageA("NotifyPellucorTest"), 0, 0);
    }
    bool armed = false;
    int postedAtUpdate = -1;

private:
    Zolt::ZoltAppBase& app_;
};

TEST_F(AppTest, TheUpdatesAHoldLetWaitRunBackToBackAndWhatCameMeanwhileIsTakenAfterThem)
{
    TestApp& a = StartApp();
    a.holdLimitMs = Zolt::ZoltAppBase::kHoldWithoutLimit;
    MessageAtUpdate poster(a);
    a.GetWidgetManager()->AddChild(&poster);
    RunFor(300); // still: every sleep from here is a hold of up to a second
    const int sleeps = a.SleepCount();
    for (int guard = 0; guard < 100000 && a.SleepCount() == sleeps; ++guard)
        a.RunLoopStep(nullptr);
    ASSERT_EQ(a.SleepCount(), sleeps + 1);
    // The hold runs its time out; the first update after it posts.
    poster.armed = true;
    int updatesAtNextSleep = -1;
    for (int guard = 0; guard < 100000 && a.broughtToFront == 0; ++guard) {
        a.RunLoopStep(nullptr);
        if (updatesAtNextSleep < 0 && a.SleepCount() > sleeps + 1)
            updatesAtNextSleep = a.UpdateCount();
    }
    a.GetWidgetManager()->RemoveChild(&poster);
    ASSERT_EQ(a.broughtAtUpdate.size(), 1u);
    EXPECT_GT(a.broughtAtUpdate[0] - poster.postedAtUpdate, 50) << "a hold of about a second was caught up";
    EXPECT_EQ(updatesAtNextSleep, -1) << "taken before the loop slept again";
    EXPECT_EQ(a.SleepCount(), sleeps + 1);
}

TEST_F(AppTest, AHoldEndsJustAfterTheApplicationsOwnWorkComesDueAndLosesNoUpdate)
{
    TestApp& a = StartApp();
    // Work of the application's own, outside the loop, every 500 ms.
    const auto now = [&] { return int64_t(clock_.NowMicroseconds() / 1000); };
    int64_t due = now() + 500;
    a.holdLimit = [&] {
        while (due <= now())
            due += 500;
        return int(due - now());
    };
    RunFor(100);
    std::vector<int64_t> lateness; // how long after each due time the loop woke
    int64_t lastDue = due;
    const LoopCount count = CountFromSleepToSleep(a, clock_, 10'000, [&](int64_t at) {
        if (at >= lastDue) {
            lateness.push_back(at - lastDue);
            lastDue += 500;
        }
    });
    ASSERT_GE(lateness.size(), 19u);
    for (size_t i = 0; i < lateness.size(); ++i)
        EXPECT_LE(lateness[i], 2) << "awake for the work due at " << i;
    EXPECT_NEAR(count.updates, count.ms / 10, 1) << "every update of the ten seconds ran";
    // Per half second: the two still draws after the wake-up, then one hold
    // to the work.
    EXPECT_LE(count.sleeps, 20 * 3);
    EXPECT_GE(count.sleeps, 20 * 1);
}

// A second copy in the same process knocks, but the first's loop cannot
// run to answer while the second waits: the second does not claim that the
// window came forward. The first still comes forward once its loop runs.
TEST_F(AppTest, SecondCopyEndsWithoutClaimingAnAnswerItDidNotGet)
{
    TestApp& first = StartApp();
    auto second = std::make_unique<TestApp>();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ExitCodeOf([&] { second->Initialize(); }), 1) << "no game for the player";
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("PellucorTest is already running over the same player files, but it did not answer; its "
                        "window was not brought to the front."),
              std::string::npos)
        << said;
    second.reset();
    Pump();
    EXPECT_GE(first.broughtToFront, 1);
    EXPECT_FALSE(first.IsMinimized());
}

// A copy started in another process can only knock on the running one's
// lock, beside the player's files: the loop looks for the knock, brings the
// window forward and then answers.
TEST_F(AppTest, AKnockFromACopyInAnotherProcessBringsTheWindowForwardAndIsAnswered)
{
    TestApp& first = StartApp();
    platform::SingleInstance other(Zolt::GetAppDataFolder(), "PellucorTestMutex");
    ASSERT_FALSE(other.Acquire());
    ASSERT_TRUE(other.NotifyFirstInstance());
    for (int guard = 0; guard < 100000 && first.broughtToFront == 0; ++guard)
        first.RunLoopStep(nullptr);
    EXPECT_EQ(first.broughtToFront, 1);
    EXPECT_TRUE(other.AwaitAnswer(0));
}

// A copy that has begun to end lets go of the lock: a new start is not
// refused by a window that is going away.
TEST_F(AppTest, ANewStartIsNotRefusedByACopyThatIsEnding)
{
    TestApp& first = StartApp();
    first.Quit();
    auto second = std::make_unique<TestApp>();
    platform::testing::ScopedExitInterception intercept;
    EXPECT_NO_THROW(second->Initialize());
    EXPECT_EQ(first.broughtToFront, 0);
}

// A copy that can take no lock at all (neither the system's name nor the
// lock file) cannot keep a second one out: it starts, but says so.
TEST_F(AppTest, ACopyThatCanTakeNoLockStartsAndSaysItCannotTell)
{
    platform::testing::FailNext("SingleInstance.Claim", EMFILE);
    platform::testing::FailNext("SingleInstance.LockFile", EACCES);
    ::testing::internal::CaptureStderr();
    TestApp& a = Make();
    a.Initialize();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("PellucorTest cannot tell whether another copy of it is running over the same player files"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("Permission denied"), std::string::npos) << said;
}

// The single-copy name is open to every user of the system. Held by another
// user, it keeps no game of the player's from starting: the game says so on
// standard error and passes it over, and its lock file still keeps a second
// copy out (one that cannot knock at the stranger's door, so it is told no
// answer came).
TEST_F(AppTest, ANameHeldByAnotherUserIsPassedOverAndTheGameStartsSayingSo)
{
    StartApp();
    const std::string folder = Zolt::GetAppDataFolder();
    app.reset();
    platform::SingleInstance stranger(folder, "PellucorTestMutex"); // the name alone
    platform::testing::FailNext("SingleInstance.LockFile", EROFS);
    ASSERT_TRUE(stranger.Acquire());

    platform::testing::FailEveryCall("SingleInstance.HolderIsAnotherUser", int64_t(geteuid()) + 1);
    platform::testing::ScopedExitInterception intercept;
    ::testing::internal::CaptureStderr();
    EXPECT_NO_THROW(StartApp()) << "kept from starting by another user's hold";
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("PellucorTest: the name " + stranger.ClaimName() +
                        ", which keeps one copy of it per data folder, is held by another user, "),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("; it is passed over, and the lock file " + stranger.LockFilePath() +
                        " keeps a second copy out.\n"),
              std::string::npos)
        << said;
    EXPECT_EQ(said.find("cannot tell"), std::string::npos) << said;

    auto second = std::make_unique<TestApp>();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ExitCodeOf([&] { second->Initialize(); }), 1);
    said = ::testing::internal::GetCapturedStderr();
    // The first listens nowhere: the second says why it cannot be reached.
    EXPECT_NE(said.find("PellucorTest is already running over the same player files, but it cannot be reached: the "
                        "name " +
                        stranger.ClaimName() + " it would answer on is held by another user, "),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("; its window was not brought to the front.\n"), std::string::npos) << said;
    EXPECT_EQ(stranger.TakeNotifications(), 0) << "a knock went to another user";
}

// Where no lock file can be made either, a game whose name another user
// holds starts as one that cannot tell whether another copy runs.
TEST_F(AppTest, WithoutALockFileANameHeldByAnotherUserLeavesAGameThatCannotTell)
{
    StartApp();
    const std::string folder = Zolt::GetAppDataFolder();
    app.reset();
    platform::SingleInstance stranger(folder, "PellucorTestMutex");
    std::remove(stranger.LockFilePath().c_str()); // the last run's
    ASSERT_TRUE(platform::MakeDirectories(stranger.LockFilePath()));
    ASSERT_TRUE(stranger.Acquire());

    platform::testing::FailNext("SingleInstance.HolderIsAnotherUser", int64_t(geteuid()) + 1);
    platform::testing::ScopedExitInterception intercept;
    ::testing::internal::CaptureStderr();
    EXPECT_NO_THROW(StartApp());
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("is held by another user, "), std::string::npos) << said;
    EXPECT_NE(said.find("; it is passed over.\n"), std::string::npos) << said;
    EXPECT_NE(said.find("PellucorTest cannot tell whether another copy of it is running over the same player files"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("(Is a directory)"), std::string::npos) << said;
}

// A knock from another user's process is not heard: the window stays where
// it is and the knocker gets no answer.
TEST_F(AppTest, AKnockFromAnotherUserDoesNotBringTheWindowForward)
{
    TestApp& first = StartApp();
    platform::SingleInstance stranger(Zolt::GetAppDataFolder(), "PellucorTestMutex");
    ASSERT_TRUE(stranger.NotifyFirstInstance());
    platform::testing::FailNext("SingleInstance.KnockerIsAnotherUser", int64_t(geteuid()) + 1);
    for (int guard = 0;
         guard < 100000 && platform::testing::PendingFailures("SingleInstance.KnockerIsAnotherUser") > 0; ++guard)
        first.RunLoopStep(nullptr);
    EXPECT_EQ(platform::testing::PendingFailures("SingleInstance.KnockerIsAnotherUser"), 0) << "the knock was not seen";
    RunFor(1000);
    EXPECT_EQ(first.broughtToFront, 0);
    EXPECT_FALSE(stranger.AwaitAnswer(0));
}

TEST_F(AppTest, WindowThatDoesNotFitTheDesktopRunsFullScreenForGood)
{
    platform::testing::SetDesktopMode(platform::DesktopMode{1024, 768, 32, 60});
    TestApp& a = Make();
    a.width = 1024;
    a.height = 768;
    a.Initialize();
    EXPECT_TRUE(a.IsWindowedRefused());
    EXPECT_FALSE(a.isWindowed);
    a.SetWindowed(true);
    EXPECT_FALSE(a.isWindowed);
    EXPECT_TRUE(a.GetDisplay()->IsInitialized());
}

TEST_F(AppTest, TooLargeWindowWhoseFullScreenFailsEndsWithTheDisplayMessage)
{
    platform::testing::SetDesktopMode(platform::DesktopMode{1024, 768, 32, 60});
    platform::testing::FailNext("SetCooperativeLevel", platform::DDERR_EXCLUSIVEMODEALREADYSET, 4);
    TestApp& a = Make();
    a.width = 1024;
    a.height = 768;
    EXPECT_EQ(ExitCodeOf([&] { a.Initialize(); }), 1);
    ASSERT_FALSE(Boxes().empty());
    EXPECT_EQ(Boxes().back().text.rfind("Failed to initialize DirectDraw: ", 0), 0u) << Boxes().back().text;
}

TEST_F(AppTest, WrongDesktopDepthInAWindowTriesFullScreenThenGivesUp)
{
    // An 8-bit desktop cannot hold the window, but full screen sets its own depth.
    platform::testing::SetDesktopMode(platform::DesktopMode{1920, 1080, 8, 60});
    TestApp& a = StartApp();
    EXPECT_TRUE(a.IsWindowedRefused());
    EXPECT_FALSE(a.isWindowed);
    app.reset();

    // Asked for full screen that cannot be had, the window comes back at the
    // wrong depth: the colour-depth message ends it.
    platform::testing::FailNext("SetDisplayMode", platform::DDERR_GENERIC, 4);
    EXPECT_EQ(ExitCodeOf([&] {
                  Make().windowedWanted = false;
                  app->Initialize();
              }),
              1);
    ASSERT_FALSE(Boxes().empty());
    EXPECT_EQ(Boxes().back().text, "Please set your desktop color depth to 16 bit.");
}

TEST_F(AppTest, DisplayThatCannotBeMadeEndsWithItsResultName)
{
    platform::testing::FailNext("DirectDrawCreateEx", platform::DDERR_GENERIC, 4);
    platform::testing::FailNext("DirectDrawCreate", platform::DDERR_GENERIC, 4);
    EXPECT_EQ(ExitCodeOf([&] { StartApp(); }), 1);
    ASSERT_FALSE(Boxes().empty());
    const std::string text = Boxes().back().text;
    EXPECT_EQ(text.rfind("Failed to initialize DirectDraw: " +
                             Zolt::DDInterface::ResultName(Zolt::DDInterface::RESULT_DD_CREATE_FAIL),
                         0),
              0u)
        << text;
}

TEST_F(AppTest, StartsWindowedCentredWithItsDisplayAndSharedFolders)
{
    TestApp& a = StartApp();
    EXPECT_TRUE(a.IsInitialized());
    EXPECT_TRUE(a.isWindowed);
    ASSERT_NE(a.GetMainWindow(), nullptr);
    ASSERT_NE(a.GetInvisibleWindow(), nullptr);
    ASSERT_NE(a.GetHandCursor(), nullptr);
    EXPECT_NE(a.GetWidgetManager()->GetScreenImage(), nullptr);
    platform::RECT client{};
    platform::GetClientRect(a.GetMainWindow(), &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    // The data folder is the user's own, under the XDG data folder.
    EXPECT_EQ(Zolt::GetAppDataFolder(), folder_.Path() + "/data/Tovrelly/PellucorTest/");
    EXPECT_EQ(a.GetDemoFileName(), Zolt::GetAppDataFolder() + "zoltapp.dmo");
    // The music starts at the stored volume.
    EXPECT_DOUBLE_EQ(a.heardMusicVolume, 0.85);
}

TEST_F(AppTest, SettingsOutliveTheRunInTheUsersConfigurationFolder)
{
    {
        TestApp& a = StartApp();
        a.preferredX = 123;
        a.preferredY = 45;
        a.SetCustomCursors(true);
        a.Quit();
        app.reset();
    }
    EXPECT_TRUE(platform::FileExists(folder_.Path() + "/config/pellucor/registry.txt"));
    platform::testing::ResetRegistry(); // read back from the file, as a new run would
    TestApp& b = StartApp();
    int x = 0;
    EXPECT_TRUE(b.RegReadNumber("PreferredX", x));
    EXPECT_EQ(x, 123);
    EXPECT_EQ(b.preferredX, 123);
    EXPECT_EQ(b.preferredY, 45);
    int inProgress = 0;
    EXPECT_TRUE(b.RegReadNumber("InProgress", inProgress));
    EXPECT_EQ(inProgress, 1);
}

TEST_F(AppTest, TheFirstRunNotesItselfInProgressBesideTheStartAndTheNoteIsOnDiskAtTheEnd)
{
    {
        TestApp& a = StartApp();
        a.Quit(); // the settings written at the end wait for the note
        app.reset();
    }
    platform::testing::ResetRegistry(); // read back from the file, as a new run would
    int inProgress = 0;
    EXPECT_TRUE(Make().RegReadNumber("InProgress", inProgress));
    EXPECT_EQ(inProgress, 1);
}

namespace {

std::atomic<bool> gLoaderInside{false};
std::atomic<bool> gManagerSeen{false};

// Loads until the application is being destroyed and waits for it, then
// looks at the application's own managers.
class SlowLoadingApp : public Zolt::ZoltAppBase {
public:
    SlowLoadingApp() { productName = "PellucorSlow"; }
    bool OnChangeDirectory(const std::string&) override { return true; }
    void BackgroundLoad() override
    {
        gLoaderInside = true;
        EXPECT_TRUE(test_support::WaitUntil([] { return platform::testing::BlockedThreads() == 1; }))
            << "the main thread waits for the loader";
        gManagerSeen = GetWidgetManager() != nullptr && GetWidgetManager()->LastX() == INT32_MIN;
    }
    using ZoltAppBase::LaunchLoaderThread;
};

} // namespace

TEST_F(AppTest, LoadingThreadIsWaitedForBeforeTheManagersGo)
{
    gLoaderInside = false;
    gManagerSeen = false;
    auto slow = std::make_unique<SlowLoadingApp>();
    slow->Initialize();
    slow->LaunchLoaderThread();
    ASSERT_TRUE(test_support::WaitUntil([] { return gLoaderInside.load(); }));
    slow.reset(); // waits for the loader, which still finds the managers
    EXPECT_TRUE(gManagerSeen);
}

TEST_F(AppTest, QuitOnAnotherThreadOnlyAsksAndTheLoopEndsAtItsNextStep)
{
    TestApp& a = StartApp();
    std::thread([&] { a.Quit(); }).join();
    EXPECT_FALSE(a.IsQuitting());
    RunFor(30);
    EXPECT_TRUE(a.IsQuitting());
    EXPECT_FALSE(a.RunLoopStep(nullptr));
}

TEST_F(AppTest, LoadingCompletionIsAppliedOnceOnTheMainThread)
{
    TestApp& a = Make();
    a.Initialize();
    a.loadingTotal = 4;
    a.loadBody = [&] { a.loadingDone = 2; };
    EXPECT_DOUBLE_EQ(a.BackgroundLoadFraction(), 0.0); // no thread yet
    a.LaunchLoaderThread();
    test_support::WaitUntil([&] {
        a.GuardedUpdate();
        return a.loadDoneCalls > 0;
    });
    a.GuardedUpdate();
    a.GuardedUpdate();
    EXPECT_EQ(a.loadDoneCalls, 1);
    EXPECT_DOUBLE_EQ(a.BackgroundLoadFraction(), 1.0);
}

TEST_F(AppTest, WindowKeepsThePlayersPositionInsideTheWorkArea)
{
    platform::testing::SetWorkArea(platform::RECT{0, 0, 1920, 1040});
    TestApp& a = Make();
    a.preferredX = 5000; // off the right edge: pulled back in
    a.preferredY = 100;
    a.Initialize();
    platform::RECT r{};
    platform::GetWindowRect(a.GetMainWindow(), &r);
    EXPECT_LT(r.right, 1920 - 4);
    EXPECT_EQ(r.top, 100);
    app.reset();

    TestApp& b = Make(); // no position: centred, a little above the middle
    b.registryKey.clear(); // not the position the first one stored
    b.Initialize();
    platform::GetWindowRect(b.GetMainWindow(), &r);
    const int outerWidth = r.right - r.left;
    const int outerHeight = r.bottom - r.top;
    EXPECT_EQ(r.left, (1920 - outerWidth) / 2);
    EXPECT_EQ(r.top, int(0.382 * (1040 - outerHeight)));
}

TEST_F(AppTest, LostDisplayIsRecoveredByTheLoop)
{
    TestApp& a = StartApp();
    RunFor(1100);
    const int presents = platform::ddraw::testing::PresentCount();
    platform::ddraw::testing::LoseSurfaces();
    a.GetWidgetManager()->InvalidateTree();
    RunFor(3000);
    EXPECT_FALSE(a.IsDisplaySuspended());
    EXPECT_GT(platform::ddraw::testing::PresentCount(), presents + 1);
    EXPECT_NE(a.GetWidgetManager()->GetScreenImage(), nullptr);
}

// ---- The services the application owns ----

TEST_F(AppTest, MusicPlayerIsTheBackEndOfTheLibraryItRunsWith)
{
    TestApp& a = Make();
    auto make = [&] { return std::unique_ptr<Zolt::MusicInterface>(a.ZoltAppBase::MakeMusicPlayer(nullptr)); };
    {
        auto bass = make();
        EXPECT_NE(dynamic_cast<Zolt::BassMusicInterface*>(bass.get()), nullptr);
        EXPECT_EQ(platform::testing::ModuleReferenceCount("bass.dll"), 1);
    }
    EXPECT_EQ(platform::testing::ModuleReferenceCount("bass.dll"), 0) << "deleting the player frees its library";
    a.useFmod = true;
    EXPECT_NE(dynamic_cast<Zolt::FModMusicInterface*>(make().get()), nullptr);
    a.musicOff = true;
    auto silent = make();
    EXPECT_EQ(dynamic_cast<Zolt::BassMusicInterface*>(silent.get()), nullptr);
    EXPECT_EQ(dynamic_cast<Zolt::FModMusicInterface*>(silent.get()), nullptr);
    EXPECT_EQ(platform::testing::ModuleReferenceCount("bass.dll") + platform::testing::ModuleReferenceCount("fmod.dll"), 0);
}

TEST_F(AppTest, SoundsAndMusicOfFmodShareOneLibraryThatGoesWithTheApplication)
{
    TestApp& a = Make();
    a.useFmod = true;
    a.realMusic = true;
    a.Initialize();
    ASSERT_NE(dynamic_cast<Zolt::FModMusicInterface*>(a.GetMusicInterface()), nullptr);
    ASSERT_NE(a.soundManager, nullptr);
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fmod.dll"), 1) << "one table for the sound manager and the music";
    app.reset();
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fmod.dll"), 0);
}

TEST_F(AppTest, SoundManagerAloneTakesFmodFromTheMusicBackEndsTable)
{
    TestApp& a = Make();
    a.useFmod = true;
    a.musicOff = true;
    a.realMusic = true;
    a.Initialize();
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fmod.dll"), 1);
    app.reset();
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fmod.dll"), 0);
}

TEST_F(AppTest, HostsTheFontsForItsLifetimeAndMakesTheirSystemFonts)
{
    TestApp& a = Make();
    EXPECT_EQ(Zolt::GetFontHost(), static_cast<Zolt::FontHost*>(&a));
    std::unique_ptr<Zolt::Font> font = a.MakeSystemFont("Arial Unicode MS", 12, 0, false, false, false);
    auto* sysFont = dynamic_cast<Zolt::SysFont*>(font.get());
    ASSERT_NE(sysFont, nullptr);
    EXPECT_EQ(sysFont->PixelHeight(), 16);
    EXPECT_GT(font->MeasureText("CANCEL"), font->MeasureText("OK"));
    font.reset();
    app.reset();
    EXPECT_EQ(Zolt::GetFontHost(), nullptr);
}

TEST_F(AppTest, ResourceManagerLoadsThroughTheApplicationAndGoesBeforeWhatItHolds)
{
    TestApp& a = StartApp();
    Zolt::ResourceManager* resources = a.GetResourceManager();
    ASSERT_NE(resources, nullptr);
    EXPECT_EQ(resources->GetHost(), static_cast<Zolt::ResourceHost*>(&a));
    const std::string image = folder_ / "back.png";
    platform::testing::WriteTestFile(image, Text(fixtures::MakeRgbaPng(4, 2, std::vector<uint32_t>(8, 0xFF204060))));
    // Sounds are named without their extension.
    const std::string sound = folder_ / "click";
    platform::testing::WriteTestFile(sound + ".wav", PcmWav(800));
    const std::string description = folder_ / "res.xml";
    platform::testing::WriteTestFile(description, "<ResourceManifest><Resources id=\"Start\">"
                                                  "<Image id=\"BACK\" path=\"" + image + "\" nopal/>"
                                                  "<Sound id=\"CLICK\" path=\"" + sound + "\"/>"
                                                  "<Font id=\"LABEL\" path=\"!sys:Arial Unicode MS\" size=\"10\"/>"
                                                  "</Resources></ResourceManifest>");
    ASSERT_TRUE(resources->LoadResourceFile(description)) << resources->LastErrorMessage();
    ASSERT_TRUE(resources->RealizeGroup("Start")) << resources->LastErrorMessage();
    Zolt::Image* back = resources->RequireImage("BACK").GetImage();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetWidth(), 4);
    EXPECT_EQ(a.SharedImageCount(), 1u) << "images are the application's shared images";
    EXPECT_GE(resources->RequireSound("CLICK"), 0);
    EXPECT_EQ(a.soundManager->CountLoadedSounds(), 1);
    EXPECT_NE(dynamic_cast<Zolt::SysFont*>(resources->RequireFont("LABEL")), nullptr);
    // The records release their images, sounds and fonts into the managers
    // the application deletes after it (the sanitizers catch the reverse).
    app.reset();
}

TEST_F(AppTest, ApplicationMadeBeforeThePreviousWentKeepsTheProcessWideServices)
{
    Make();
    Make(); // the second is made while the first still stands
    EXPECT_EQ(Zolt::ZoltAppBase::Instance(), app.get());
    EXPECT_EQ(Zolt::GetFontHost(), static_cast<Zolt::FontHost*>(app.get()));
    EXPECT_EQ(Zolt::GetWidgetHost(), static_cast<Zolt::WidgetHost*>(app.get()));
    EXPECT_EQ(Zolt::GetImageHost(), static_cast<Zolt::ImageHost*>(app.get()));
    app.reset();
    EXPECT_EQ(Zolt::ZoltAppBase::Instance(), nullptr);
    EXPECT_EQ(Zolt::GetFontHost(), nullptr);
}
