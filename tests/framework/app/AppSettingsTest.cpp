// Settings through the application: off without a key for the whole run,
// and the command line: splitting, the numbered demos. The registry
// primitives themselves are tested with RegistrySettings.
#include "tests/framework/app/AppTestSupport.h"

#include "platform/core/FileSystem.h"

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

TEST_F(AppTest, NumberedDemosDropTheOldestAndCountBack)
{
    const std::string base = folder_ / "zoltapp";
    for (int i = 1; i <= 7; ++i)
        platform::testing::WriteTestFile(base + std::to_string(i) + ".dmo", "demo");
    platform::testing::WriteTestFile(base + "x.dmo", "not numbered");

    TestApp& a = Make();
    a.demoBaseName = base;
    a.ApplyStartOption("-recnum", "3");
    EXPECT_FALSE(platform::FileExists(base + "1.dmo"));
    EXPECT_TRUE(platform::FileExists(base + "2.dmo"));
    EXPECT_EQ(a.GetDemoFileName(), base + "8.dmo");
    EXPECT_TRUE(a.IsRecordingDemo());

    platform::testing::WriteTestFile(base + "8.dmo", "demo");
    a.ApplyStartOption("-recnum", "3");
    EXPECT_FALSE(platform::FileExists(base + "2.dmo"));
    EXPECT_EQ(a.GetDemoFileName(), base + "9.dmo");

    a.ApplyStartOption("-playnum", "2");
    EXPECT_EQ(a.GetDemoFileName(), base + "7.dmo");
    EXPECT_TRUE(a.IsPlayingDemo());
    EXPECT_FALSE(a.IsRecordingDemo());
}

TEST_F(AppTest, PlayingADemoThatCannotBeReadEndsTheStart)
{
    SetArguments({"-play"});
    EXPECT_EQ(ExitCodeOf([&] { StartApp(); }), 0);
    const auto boxes = platform::testing::RecordedBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().caption, "FATAL ERROR");
}
