// The application as the crash handler's host: once initialised it gives a
// report its product, version, run-time and library lines, hides itself
// first, and saves the demo it records; "-crash" goes the whole way.
#include "tests/framework/app/AppTestSupport.h"

#include "framework/app/CrashHandler.h"
#include "framework/app/DemoFile.h"
#include "platform/core/FileSystem.h"
#include "tests/support/DemoCommands.h"

#include <algorithm>

using namespace apptest;

namespace {

class AppCrashTest : public AppTest {
protected:
    ~AppCrashTest() override
    {
        app.reset();
        Zolt::SetCrashReportFile("");
    }
    // The user's own, in the data folder.
    std::string Report() const { return folder_ / "data/Tovrelly/PellucorTest/crash.txt"; }
    std::string DemoPath() const { return folder_ / "saved.dmo"; }

    // The commands of the saved demo file.
    std::vector<std::string> SavedCommands() const
    {
        std::string bytes;
        EXPECT_TRUE(platform::ReadWholeFile(DemoPath(), &bytes));
        Zolt::DemoFileData file;
        std::string error;
        EXPECT_TRUE(file.Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), error)) << error;
        return demo_testing::CommandsOf(file.commands);
    }
};

} // namespace

TEST_F(AppCrashTest, CrashOptionReportsTheStartedApplicationAndSavesItsDemo)
{
    SetArguments({"-record", "-demofile=" + DemoPath(), "-crash"});
    EXPECT_EQ(ExitCodeOf([&] { Make().Initialize(); }), int(platform::EXCEPTION_ACCESS_VIOLATION));
    EXPECT_FALSE(platform::IsWindowVisible(app->GetMainWindow())) << "hidden before the report shows";

    const std::string report = platform::testing::ReadTestFile(Report());
    EXPECT_EQ(report.rfind("Exception: Access Violation (code 0xc0000005) at address ", 0), 0u) << report;
    EXPECT_NE(report.find("\r\nDDraw Ver: headless\r\nDSound Ver: headless\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("\r\nProduct: PellucorTest\r\nVersion: \r\nTime Loaded: 00:00:00\r\nFullscreen: No\r\n"),
              std::string::npos)
        << report;

    const std::vector<std::string> commands = SavedCommands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "long 23"), commands.end()) << "the screen mode";
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), "long 31") << "closed as a crash closes it";
    EXPECT_EQ(app->GetCrashDemoFile(), DemoPath()) << "sent with the report";
    EXPECT_FALSE(app->IsRecordingDemo()) << "recording ends with the crash";
}

// Without a display the start ends, but a crash asked for is still
// reported: its report is written where reports go.
TEST_F(AppCrashTest, CrashOptionWithoutADisplayStillWritesItsReport)
{
    platform::ResetWindowBackend();
    platform::testing::FailNext("OpenWindowSystem", 0);
    SetArguments({"-crash"});
    EXPECT_EQ(ExitCodeOf([&] { Make().Initialize(); }), int(platform::EXCEPTION_ACCESS_VIOLATION));
    const std::string report = platform::testing::ReadTestFile(Report());
    EXPECT_EQ(report.rfind("Exception: Access Violation (code 0xc0000005) at address ", 0), 0u) << report;
    platform::ResetWindowBackend();
}

TEST_F(AppCrashTest, ReportsAnEarlierBuildLeftBesideTheProgramAreTakenOverIntoTheDataFolder)
{
    // The first start: the report beside the program moves to the data folder.
    const std::string beside = folder_ / "program/crash.txt";
    platform::MakeDirectories(folder_ / "program");
    ASSERT_TRUE(platform::WriteFileAtomic(beside, "the first report"));
    SetArguments({"-changedir=" + (folder_ / "program")});
    ::testing::internal::CaptureStderr();
    Make().Initialize();
    EXPECT_EQ(::testing::internal::GetCapturedStderr().find("crash.txt (beside the program) was moved to " + Report()),
              0u);
    EXPECT_EQ(platform::testing::ReadTestFile(Report()), "the first report");
    EXPECT_FALSE(platform::FileExists(beside));
    app.reset();

    // A later one left there (an earlier build run again) is kept beside the
    // one in the data folder, which stays; what a crash killed while writing
    // its report left goes (no system gives out process numbers this high).
    ASSERT_TRUE(platform::WriteFileAtomic(beside, "the second report"));
    ASSERT_TRUE(platform::WriteFileAtomic(Report() + ".tmp-999999999-0", "half a rep"));
    Make().Initialize();
    EXPECT_FALSE(platform::FileExists(Report() + ".tmp-999999999-0"));
    EXPECT_EQ(platform::testing::ReadTestFile(Report()), "the first report");
    EXPECT_EQ(platform::testing::ReadTestFile(Report() + ".earlier"), "the second report");
    EXPECT_FALSE(platform::FileExists(beside));
}

TEST_F(AppCrashTest, TheHostIsTheInitialisedApplicationUntilItGoes)
{
    Make();
    EXPECT_EQ(Zolt::GetCrashHost(), nullptr) << "not before it stands";
    app->Initialize();
    EXPECT_EQ(Zolt::GetCrashHost(), static_cast<Zolt::CrashHost*>(app.get()));
    app.reset();
    EXPECT_EQ(Zolt::GetCrashHost(), nullptr);
}
