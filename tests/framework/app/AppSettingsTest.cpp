// Registry settings through the application's primitives, and the command
// line: splitting, the numbered demos.
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

TEST_F(AppTest, ValuesAreTypedAndSubKeysComeFromTheValueName)
{
    TestApp& a = Make();
    EXPECT_TRUE(a.RegWriteText("Options\\Player", "Ann"));
    EXPECT_TRUE(a.RegWriteNumber("Options\\SoundVol", 70));
    EXPECT_TRUE(a.RegWriteFlag("Options\\Full", true));

    std::string text;
    int number = 0;
    bool flag = false;
    EXPECT_TRUE(a.RegReadText("Options\\Player", text));
    EXPECT_EQ(text, "Ann");
    EXPECT_TRUE(a.RegReadNumber("Options\\SoundVol", number));
    EXPECT_EQ(number, 70);
    EXPECT_TRUE(a.RegReadFlag("Options\\Full", flag));
    EXPECT_TRUE(flag);
    // A read of the wrong type fails and leaves the caller's value alone.
    number = -3;
    EXPECT_FALSE(a.RegReadNumber("Options\\Player", number));
    EXPECT_EQ(number, -3);
    EXPECT_FALSE(a.RegReadText("Options\\SoundVol", text));
    // The value really lives under the sub-key of the application key.
    platform::HKEY key = nullptr;
    ASSERT_EQ(platform::RegOpenKeyExA(platform::HKEY_CURRENT_USER, "SOFTWARE\\Tovrelly\\PellucorTest\\Options", 0,
                                      platform::KEY_READ, &key),
              platform::ERROR_SUCCESS);
    platform::RegCloseKey(key);

    EXPECT_TRUE(a.RegEraseValue("Options\\SoundVol"));
    EXPECT_FALSE(a.RegReadNumber("Options\\SoundVol", number));
}

TEST_F(AppTest, FailedWritesAreReportedAsFailures)
{
    TestApp& a = Make();
    platform::testing::FailNext("RegSetValueEx", 0);
    EXPECT_FALSE(a.RegWriteNumber("PreferredX", 1));
    platform::testing::FailNext("RegOpenKeyEx", 0);
    platform::testing::FailNext("RegCreateKeyEx", 0);
    EXPECT_FALSE(a.RegWriteNumber("PreferredX", 1));
    EXPECT_TRUE(a.RegWriteNumber("PreferredX", 1));
}

TEST_F(AppTest, TextOfTheWholeBufferKeepsItsEndAndLongerTextIsRefused)
{
    TestApp& a = Make();
    const std::string full(1023, 'x');
    ASSERT_TRUE(a.RegWriteText("Long", full));
    std::string text;
    EXPECT_TRUE(a.RegReadText("Long", text));
    EXPECT_EQ(text, full);
    ASSERT_TRUE(a.RegWriteText("Longer", std::string(1500, 'y')));
    EXPECT_FALSE(a.RegReadText("Longer", text));
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
