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
