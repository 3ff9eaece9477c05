// Settings through the application: off without a key for the whole run,
// and the command line: splitting, the numbered demos. The registry
// primitives themselves are tested with RegistrySettings.
#include "tests/framework/app/AppTestSupport.h"

#include "platform/core/FileSystem.h"
#include "platform/window/SystemDialogs.h"
#include "platform/window/Window.h"

#include <algorithm>
#include <cstring>

using namespace apptest;

TEST_F(AppTest, EmptyRegistryKeyTurnsSettingsOffWithoutError)
{
    TestApp& a = Make();
    a.registryKey.clear();
    int n = 0;
    std::string text;
    EXPECT_FALSE(a.RegWriteNumber("PreferredX", 5));
    EXPECT_FALSE(a.RegReadNumber("PreferredX", n));
    EXPECT_FALSE(a.RegReadText("Name", text));
    a.WriteSettings();
    a.Initialize();
    a.Quit();
    EXPECT_FALSE(platform::FileExists(platform::RegistryFilePath()));
}

TEST_F(AppTest, StoredNumbersAreHeldToWhatTheyMean)
{
    struct Stored {
        int musicVolume, effectsVolume, muted, x, y;
        double heardMusic, heardEffects;
        int heardMuted, heardX, heardY;
    } cases[] = {
        {250, -40, -3, INT32_MAX, INT32_MAX, 1.0, 0.0, 0, INT16_MAX, INT16_MAX},
        {-1, 100000, 7, INT32_MIN, INT32_MIN + 1, 0.0, 1.0, 1, INT16_MIN, INT16_MIN},
    };
    platform::testing::SetWorkArea(platform::RECT{0, 0, 1920, 1040});
    for (const Stored& c : cases) {
        {
            TestApp& writer = Make();
            writer.RegWriteNumber("MusicVolume", c.musicVolume);
            writer.RegWriteNumber("SfxVolume", c.effectsVolume);
            writer.RegWriteNumber("Muted", c.muted);
            writer.RegWriteNumber("PreferredX", c.x);
            writer.RegWriteNumber("PreferredY", c.y);
            app.reset();
        }
        TestApp& a = StartApp();
        EXPECT_DOUBLE_EQ(a.musicVolume, c.heardMusic);
        EXPECT_DOUBLE_EQ(a.effectsVolume, c.heardEffects);
        EXPECT_EQ(a.GetMuteCount(), c.heardMuted);
        EXPECT_EQ(a.preferredX, c.heardX);
        EXPECT_EQ(a.preferredY, c.heardY);
        // However far off the stored place, the window lands in the work area.
        platform::RECT r{};
        platform::GetWindowRect(a.GetMainWindow(), &r);
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, 1920);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.bottom, 1040);
        a.Quit();
        app.reset();
    }
}

TEST_F(AppTest, StartOptionsAreSplitAtBlanksWithQuotesAndValues)
{
    TestApp& a = Make();
    a.recordOptionsOnly = true;
    a.SplitStartOptions("-record  -demofile=\"my demo.dmo\" -changedir=/tmp/x -\"pl\"ay");
    EXPECT_EQ(a.options, (std::vector<std::string>{"-record=", "-demofile=my demo.dmo", "-changedir=/tmp/x", "-play="}));
}

TEST_F(AppTest, CommandLineAfterTheProgramPathIsRead)
{
    SetArguments({"-record", "-changedir=/some where"});
    TestApp& a = Make();
    a.recordOptionsOnly = true;
    a.ReadStartOptions();
    EXPECT_EQ(a.options, (std::vector<std::string>{"-record=", "-changedir=/some where"}));
}

TEST_F(AppTest, AStartFolderThatIsNotThereEndsTheStartNamingTheFolder)
{
    const std::string missing = folder_ / "no such folder";
    SetArguments({"-changedir=" + missing});
    Make().entersStartFolder = true;
    EXPECT_EQ(ExitCodeOf([&] { app->Initialize(); }), 1);
    const auto boxes = platform::testing::RecordedBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().caption, "FATAL ERROR");
    EXPECT_EQ(boxes.back().text, "Cannot start in the folder " + missing + " (No such file or directory).");
}

TEST_F(AppTest, NumberedDemosDropTheOldestAndCountBack)
{
    // Numbered demos live in the one folder demos are recorded to; the
    // folder the program was started from is never pruned.
    const std::string launch = folder_ / "launch";
    const std::string data = folder_ / "data/Tovrelly/PellucorTest";
    ASSERT_TRUE(platform::MakeDirectories(launch));
    ASSERT_TRUE(platform::MakeDirectories(data));
    for (int i = 1; i <= 7; ++i) {
        platform::testing::WriteTestFile(data + "/zoltapp" + std::to_string(i) + ".dmo", "demo");
        platform::testing::WriteTestFile(launch + "/zoltapp" + std::to_string(i) + ".dmo", "someone else's");
    }
    platform::testing::WriteTestFile(data + "/zoltappx.dmo", "not numbered");
    const std::string startedIn = platform::GetCurrentDirectory();
    ASSERT_TRUE(platform::SetCurrentDirectory(launch));

    SetArguments({"-recnum=3"});
    TestApp& a = Make();
    a.Initialize();
    EXPECT_FALSE(platform::FileExists(data + "/zoltapp1.dmo"));
    EXPECT_TRUE(platform::FileExists(data + "/zoltapp2.dmo"));
    EXPECT_EQ(a.GetDemoFileName(), data + "/zoltapp8.dmo");
    EXPECT_TRUE(a.IsRecordingDemo());
    a.Quit();
    app.reset();
    EXPECT_TRUE(platform::FileExists(data + "/zoltapp8.dmo")) << "recorded where the numbers were counted";

    Make().Initialize();
    EXPECT_FALSE(platform::FileExists(data + "/zoltapp2.dmo"));
    EXPECT_EQ(app->GetDemoFileName(), data + "/zoltapp9.dmo");
    app->Quit();
    app.reset();

    SetArguments({"-playnum=2"});
    TestApp& b = Make();
    b.Initialize();
    EXPECT_EQ(b.GetDemoFileName(), data + "/zoltapp8.dmo");
    EXPECT_TRUE(b.IsPlayingDemo());
    EXPECT_FALSE(b.IsRecordingDemo());
    app.reset();

    // Fewer demos than kept: none is dropped.
    SetArguments({"-recnum=20"});
    Make().Initialize();
    EXPECT_TRUE(platform::FileExists(data + "/zoltapp3.dmo"));
    EXPECT_EQ(app->GetDemoFileName(), data + "/zoltapp10.dmo");
    app->Quit();
    app.reset();

    // A base named with its whole path is counted where it names.
    Make().demoBaseName = launch + "/zoltapp";
    app->Initialize();
    EXPECT_EQ(app->GetDemoFileName(), launch + "/zoltapp8.dmo");
    app->Quit();
    for (int i = 1; i <= 7; ++i)
        EXPECT_TRUE(platform::FileExists(launch + "/zoltapp" + std::to_string(i) + ".dmo")) << i;
    EXPECT_TRUE(platform::SetCurrentDirectory(startedIn));
}

TEST_F(AppTest, NumberedRecordingWithExactlyTheDemosKeptLeavesThatManyBehind)
{
    const std::string data = folder_ / "data/Tovrelly/PellucorTest";
    ASSERT_TRUE(platform::MakeDirectories(data));
    for (int i = 1; i <= 3; ++i)
        platform::testing::WriteTestFile(data + "/zoltapp" + std::to_string(i) + ".dmo", "demo");
    SetArguments({"-recnum=3"});
    Make().Initialize();
    app->Quit();
    app.reset();
    std::vector<std::string> kept;
    for (const platform::FindData& entry : platform::FindFiles(data + "/zoltapp*.dmo"))
        kept.push_back(entry.name);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"zoltapp2.dmo", "zoltapp3.dmo", "zoltapp4.dmo"}));
}

// A numbered demo asked for further back than there are numbered demos
// ends the start, saying what was asked for and which demos there are.
TEST_F(AppTest, ANumberedDemoAskedForBeyondThoseThereAreEndsTheStartSayingWhichThereAre)
{
    const std::string data = folder_ / "data/Tovrelly/PellucorTest/";
    const auto refusal = [&](const std::string& option) {
        SetArguments({option});
        EXPECT_EQ(ExitCodeOf([&] { StartApp(); }), 1) << option;
        app.reset();
        const auto boxes = platform::testing::RecordedBoxes();
        return boxes.empty() ? std::string() : boxes.back().text;
    };
    EXPECT_EQ(refusal("-playnum"), "-playnum asks for the latest numbered demo, but there is none: no file " + data +
                                       "zoltapp<number>.dmo was found.");
    EXPECT_EQ(refusal("-playnum=3"), "-playnum=3 asks for the 3rd latest numbered demo, but there is none: no file " +
                                         data + "zoltapp<number>.dmo was found.");

    platform::testing::WriteTestFile(data + "zoltapp2.dmo", "demo");
    platform::testing::WriteTestFile(data + "zoltapp0.dmo", "none the game makes");
    platform::testing::WriteTestFile(data + "zoltappx.dmo", "not numbered");
    EXPECT_EQ(refusal("-playnum=2"),
              "-playnum=2 asks for the 2nd latest numbered demo, but there is only one: " + data + "zoltapp2.dmo.");

    for (int i = 3; i <= 22; ++i)
        platform::testing::WriteTestFile(data + "zoltapp" + std::to_string(i) + ".dmo", "demo");
    const std::string several = ", but there are only 21: " + data + "zoltapp2.dmo to " + data + "zoltapp22.dmo.";
    EXPECT_EQ(refusal("-playnum=22"), "-playnum=22 asks for the 22nd latest numbered demo" + several);
    EXPECT_EQ(refusal("-playnum=111"), "-playnum=111 asks for the 111th latest numbered demo" + several);
    EXPECT_EQ(refusal("-playnum=+31"), "-playnum=+31 asks for the 31st latest numbered demo" + several);
    // As far back as there are: the oldest is played (these are no demos).
    EXPECT_EQ(refusal("-playnum=21"), "Invalid demo file. (" + data + "zoltapp2.dmo)");
}

TEST_F(AppTest, PlayingADemoThatCannotBeReadEndsTheStart)
{
    SetArguments({"-play"});
    EXPECT_EQ(ExitCodeOf([&] { StartApp(); }), 1);
    const auto boxes = platform::testing::RecordedBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().caption, "FATAL ERROR");
}

TEST_F(AppTest, SettingsThatCannotBeKeptAreShownInABoxAndOnStandardErrorOnceARun)
{
    TestApp& a = StartApp();
    ::testing::internal::CaptureStderr();
    auto settingsBoxes = [] {
        std::vector<platform::testing::RecordedBox> found;
        for (const auto& box : platform::testing::RecordedBoxes())
            if (box.caption == "Settings")
                found.push_back(box);
        return found;
    };
    for (int i = 0; i < 3; ++i) {
        platform::testing::FailNext("MakeDirectories", 13);
        EXPECT_FALSE(a.RegWriteNumber("Options\\Speed", 3));
    }
    Pump();
    std::vector<platform::testing::RecordedBox> shown = settingsBoxes();
    ASSERT_EQ(shown.size(), 1u) << "the loop shows what the settings told, once";
    EXPECT_NE(shown[0].text.find("cannot make the folder"), std::string::npos) << shown[0].text;
    EXPECT_EQ(shown[0].flags, platform::MB_OK | platform::MB_ICONWARNING);
    const std::string said = ::testing::internal::GetCapturedStderr();
    const size_t first = said.find("cannot make the folder");
    ASSERT_NE(first, std::string::npos) << said;
    EXPECT_EQ(said.find("cannot make the folder", first + 1), std::string::npos) << "said twice: " << said;

    // The last save at the end: a new problem is still shown, the same one
    // not again, and in front of the game's window, not after it went.
    std::vector<bool> windowShown;
    Zolt::ProblemReporter::Instance().SetBox([&](const std::string& text, const std::string& caption) {
        windowShown.push_back(platform::IsWindowVisible(a.GetMainWindow()) != 0);
        platform::MessageBoxA(nullptr, text.c_str(), caption.c_str(), platform::MB_OK | platform::MB_ICONWARNING);
    });
    platform::testing::FailNext("MakeDirectories", 13);
    platform::testing::FailNext("WriteFileAtomic.Write", 28);
    a.Quit();
    shown = settingsBoxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[1].text.find("cannot save"), std::string::npos) << shown[1].text;
    EXPECT_EQ(windowShown, std::vector<bool>{true});
    Zolt::ProblemReporter::Instance().SetBox(nullptr);
}

TEST_F(AppTest, WhatTheStartsOwnSettingsWriteMetIsToldInTheBoxThoughTheGameShowsProblems)
{
    // The game's notice is there from the start; the first run's note, written
    // on a thread of its own as the start goes on, cannot be saved.
    struct Notice : Zolt::ProblemSink {
        std::vector<std::string> subjects;
        void TellPlayer(const std::string& subject, const std::vector<std::string>&) override
        {
            subjects.push_back(subject);
        }
    } notice;
    Zolt::ProblemReporter::Instance().SetSink(&notice);
    platform::testing::FailNext("WriteFileAtomic.Write", 28);
    StartApp();
    Pump();
    int boxes = 0;
    for (const auto& box : platform::testing::RecordedBoxes())
        boxes += box.caption == "Settings" && box.text.find("No space left on device") != std::string::npos;
    EXPECT_EQ(boxes, 1) << "a problem of the start is told in the box, wherever its thread was";
    EXPECT_TRUE(notice.subjects.empty());
    Zolt::ProblemReporter::Instance().SetSink(nullptr);
}

TEST_F(AppTest, WithoutADisplayTheStartEndsSayingSo)
{
    platform::ResetWindowBackend();
    platform::testing::FailNext("OpenWindowSystem", 0);
    EXPECT_EQ(ExitCodeOf([&] { StartApp(); }), 1) << "not a run nobody sees";
    const auto boxes = platform::testing::RecordedBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().caption, "FATAL ERROR");
    EXPECT_EQ(boxes.back().text, "The game's window cannot be shown (refused by a test).");
    platform::ResetWindowBackend();
}
