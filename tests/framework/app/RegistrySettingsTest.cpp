// The application's settings in the registry, without an application: typed
// values under sub-keys of the application key, failures reported as such,
// settings turned off by an empty key, and a played demo that answers with
// what the recorded run read.
#include "framework/app/RegistrySettings.h"

#include "framework/app/DemoRecorder.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

using Zolt::DemoRecorder;
using Zolt::RegistrySettings;
namespace pw = platform;

namespace {

// A registry of its own in the test's folder, and settings under
// "SOFTWARE\Tovrelly\PellucorTest".
class RegistrySettingsTest : public ::testing::Test {
protected:
    RegistrySettingsTest()
    {
        pw::SetEnvironmentVariable("XDG_CONFIG_HOME", folder_ / "config");
        pw::testing::ResetRegistry();
        pw::testing::ClearFailures();
    }
    ~RegistrySettingsTest() override
    {
        pw::testing::ClearFailures();
        pw::testing::ResetRegistry();
    }

    // The demo and the settings over it start afresh (a new run).
    void NewRun()
    {
        demo = std::make_unique<DemoRecorder>([this] { return update; });
        demo->SetFileName(folder_ / "run.dmo");
        settings = std::make_unique<RegistrySettings>(key, *demo);
    }

    pw::testing::ScopedTempFolder folder_;
    std::string key = "Tovrelly\\PellucorTest";
    int update = 0;
    std::unique_ptr<DemoRecorder> demo = std::make_unique<DemoRecorder>([this] { return update; });
    std::unique_ptr<RegistrySettings> settings = std::make_unique<RegistrySettings>(key, *demo);
};

} // namespace

TEST_F(RegistrySettingsTest, ValuesAreTypedAndSubKeysComeFromTheValueName)
{
    EXPECT_TRUE(settings->WriteText("Options\\Player", "Ann"));
    EXPECT_TRUE(settings->WriteNumber("Options\\SoundVol", 70));
    EXPECT_TRUE(settings->WriteFlag("Options\\Full", true));
    EXPECT_EQ(settings->Root(), "SOFTWARE\\Tovrelly\\PellucorTest");

    std::string text;
    int number = 0;
    bool flag = false;
    EXPECT_TRUE(settings->ReadText("Options\\Player", text));
    EXPECT_EQ(text, "Ann");
    EXPECT_TRUE(settings->ReadNumber("Options\\SoundVol", number));
    EXPECT_EQ(number, 70);
    EXPECT_TRUE(settings->ReadFlag("Options\\Full", flag));
    EXPECT_TRUE(flag);
    // A read of the wrong type fails and leaves the caller's value alone.
    number = -3;
    EXPECT_FALSE(settings->ReadNumber("Options\\Player", number));
    EXPECT_EQ(number, -3);
    EXPECT_FALSE(settings->ReadText("Options\\SoundVol", text));
    // The value really lives under the sub-key of the application key.
    pw::HKEY opened = nullptr;
    ASSERT_EQ(pw::RegOpenKeyExA(pw::HKEY_CURRENT_USER, "SOFTWARE\\Tovrelly\\PellucorTest\\Options", 0, pw::KEY_READ,
                                &opened),
              pw::ERROR_SUCCESS);
    pw::RegCloseKey(opened);

    EXPECT_TRUE(settings->EraseValue("Options\\SoundVol"));
    EXPECT_FALSE(settings->ReadNumber("Options\\SoundVol", number));
}

TEST_F(RegistrySettingsTest, EmptyKeyTurnsSettingsOffWithoutError)
{
    key = "\\";
    int n = 0;
    std::string text;
    EXPECT_FALSE(settings->WriteNumber("PreferredX", 5)) << "a key of separators only is none";
    key.clear();
    EXPECT_FALSE(settings->WriteNumber("PreferredX", 5));
    EXPECT_FALSE(settings->ReadNumber("PreferredX", n));
    EXPECT_FALSE(settings->ReadText("Name", text));
    EXPECT_FALSE(settings->EraseValue("PreferredX"));
    EXPECT_EQ(settings->Root(), "");
}

TEST_F(RegistrySettingsTest, FailedWritesAreReportedAsFailures)
{
    pw::testing::FailNext("RegSetValueEx", 0);
    EXPECT_FALSE(settings->WriteNumber("PreferredX", 1));
    pw::testing::FailNext("RegOpenKeyEx", 0);
    pw::testing::FailNext("RegCreateKeyEx", 0);
    EXPECT_FALSE(settings->WriteNumber("PreferredX", 1));
    EXPECT_TRUE(settings->WriteNumber("PreferredX", 1));
}

TEST_F(RegistrySettingsTest, TextOfTheWholeBufferKeepsItsEndAndLongerTextIsRefused)
{
    const std::string full(1023, 'x');
    ASSERT_TRUE(settings->WriteText("Long", full));
    std::string text;
    EXPECT_TRUE(settings->ReadText("Long", text));
    EXPECT_EQ(text, full);
    ASSERT_TRUE(settings->WriteText("Longer", std::string(1500, 'y')));
    EXPECT_FALSE(settings->ReadText("Longer", text));
}

TEST_F(RegistrySettingsTest, PlayedRunReadsWhatTheRecordingReadAndWritesNothing)
{
    settings->WriteNumber("Score", 7);
    NewRun();
    demo->StartRecording();
    int score = 0;
    ASSERT_TRUE(settings->ReadNumber("Score", score));
    EXPECT_TRUE(settings->WriteNumber("Seen", 1));
    demo->WriteFile(1, "1.0");

    // The registry changes between the runs.
    settings->WriteNumber("Score", 99);
    NewRun();
    demo->StartPlaying();
    uint32_t seed = 0;
    std::string error;
    ASSERT_TRUE(demo->ReadFile("1.0", seed, error)) << error;
    score = 0;
    EXPECT_TRUE(settings->ReadNumber("Score", score));
    EXPECT_EQ(score, 7);
    EXPECT_TRUE(settings->WriteNumber("Seen", 5)) << "the recorded result";

    // The developer's own values bypass the demo.
    settings->WriteUnrecordedText("DemoJumpTime", "1:30");
    EXPECT_EQ(settings->ReadUnrecordedText("DemoJumpTime", 1000), "1:30");

    demo->StopPlaying();
    int seen = 0;
    ASSERT_TRUE(settings->ReadNumber("Seen", seen));
    EXPECT_EQ(seen, 1) << "the played write never reached the registry";
    ASSERT_TRUE(settings->ReadNumber("Score", score));
    EXPECT_EQ(score, 99);
}

// A setting stored as a text or as raw bytes is no number, even with a
// number's four bytes: neither read from the registry, nor played back from
// a run that read it so (the registry holding real numbers by then).
TEST_F(RegistrySettingsTest, AValueOfAnotherTypeIsNeverReadAsANumber)
{
    const uint8_t bytes[4] = {1, 0, 0, 0};
    ASSERT_TRUE(settings->WriteValue("Options\\Speed", pw::REG_SZ, "42\0", 4));
    ASSERT_TRUE(settings->WriteValue("Options\\FullScreen", pw::REG_BINARY, bytes, 4));
    NewRun();
    demo->StartRecording();
    for (const char* run : {"recorded", "played"}) {
        int number = -3;
        bool flag = false;
        EXPECT_FALSE(settings->ReadNumber("Options\\Speed", number)) << run;
        EXPECT_FALSE(settings->ReadNumber("Options\\FullScreen", number)) << run;
        EXPECT_FALSE(settings->ReadFlag("Options\\FullScreen", flag)) << run;
        EXPECT_EQ(number, -3) << run;
        EXPECT_FALSE(flag) << run;
        if (demo->IsRecording()) {
            demo->WriteFile(1, "1.0");
            NewRun();
            settings->WriteNumber("Options\\Speed", 5);
            settings->WriteFlag("Options\\FullScreen", true);
            demo->StartPlaying();
            uint32_t seed = 0;
            std::string error;
            ASSERT_TRUE(demo->ReadFile("1.0", seed, error)) << error;
        }
    }
}
