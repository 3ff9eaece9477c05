// The framework's crash handler: what a report says of the application, a
// crash asked for on purpose, and the viewer that shows the report later.
#include "framework/app/CrashHandler.h"
#include "framework/app/CrashReportViewer.h"
#include "platform/core/Clock.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/crash/CrashService.h"
#include "platform/crash/CrashWindow.h"
#include "platform/window/WindowBackend.h"
#include "platform/window/WindowTesting.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class FakeHost : public Zolt::CrashHost {
public:
    void PrepareForCrash() override { calls += "prepare "; }
    std::string GetCrashInfo() override
    {
        calls += "info ";
        return "Product: Pellucor\r\nVersion: 1.2";
    }
    void SaveDemoForCrash() override { calls += "demo "; }
    std::string GetCrashDemoFile() override { return demoFile; }
    std::string ReadProductVersion(const std::string&) override { return "7.0"; }
    Zolt::CrashSnapshot TakeCrashSnapshot() override { return snapshot; }

    std::string calls;
    std::string demoFile;
    bool windowed = false;
    Zolt::CrashSnapshot snapshot{"Pellucor", "1.2", 0, 0x1F, &windowed};
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class CrashHandlerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "fast");
        char pattern[] = "/tmp/pellucor-crash-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        report_ = (dir_ / "crash.txt").string();
        Zolt::InstallCrashHandler();
        Zolt::SetCrashReportFile(report_);
        platform::testing::ForgetCrashWindows();
    }
    void TearDown() override
    {
        Zolt::SetCrashHost(nullptr);
        Zolt::SetCrashReportFile("");
        Zolt::SetCrashReportServer("");
        Zolt::ClearCrashReportFields();
        platform::testing::ClearScriptedAnswers();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    fs::path dir_;
    std::string report_;
};

TEST_F(CrashHandlerTest, RequestedCrashHidesTheApplicationReportsItAndSavesTheDemo)
{
    FakeHost host;
    Zolt::SetCrashHost(&host);
    host.calls.clear();
    platform::testing::ScopedExitInterception exits;
    try {
        Zolt::RaiseCrashReport();
    } catch (const platform::testing::ProcessExit& exit) {
        EXPECT_EQ(exit.code, platform::EXCEPTION_ACCESS_VIOLATION);
    }
    EXPECT_EQ(host.calls, "prepare info demo ");
    const std::string report = ReadFile(report_);
    EXPECT_EQ(report, Zolt::LastCrashReport() + "\n");
    EXPECT_EQ(report.rfind("Exception: Access Violation (code 0xc0000005) at address ", 0), 0u) << report;
    EXPECT_NE(report.find("\r\n\r\nProduct: Pellucor\r\nVersion: 1.2\r\n"), std::string::npos) << report;
    // The libraries that load are named with their versions.
    if (platform::HMODULE ddraw = platform::LoadModule("ddraw.dll")) {
        platform::FreeModule(ddraw);
        EXPECT_NE(report.find("\r\nDDraw Ver: 7.0\r\n"), std::string::npos) << report;
    }
}

TEST_F(CrashHandlerTest, FaultReportCarriesTheApplicationAsLastPublished)
{
    EXPECT_EXIT(
        {
            FakeHost host;
            host.snapshot.constructionTick = platform::GetTickCount() - 3723000; // 1 h 2 min 3 s ago
            Zolt::SetCrashHost(&host);
            platform::testing::RaiseFault("null");
        },
        ::testing::KilledBySignal(SIGSEGV), "");
    const std::string report = ReadFile(report_);
    // The seconds may have moved on while the child started.
    const size_t at = report.find("\r\n\r\nProduct: Pellucor\r\nVersion: 1.2\r\nTime Loaded: 01:02:0");
    ASSERT_NE(at, std::string::npos) << report;
    EXPECT_EQ(report.compare(at + 58, 41, "\r\nFullscreen: Yes\r\nPrimary ThreadId: 1F\r\n"), 0) << report;
}

TEST_F(CrashHandlerTest, ARequestedReportThatCannotBeSavedIsToldOnStandardError)
{
    fs::create_directory(report_);
    platform::testing::ScopedExitInterception exits;
    ::testing::internal::CaptureStderr();
    try {
        Zolt::RaiseCrashReport();
    } catch (const platform::testing::ProcessExit&) {
    }
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(told.rfind("The crash report could not be saved as " + report_ +
                             " (Is a directory). Here it is:\nException: Access Violation (code 0xc0000005)",
                         0),
              0u)
        << told;
    EXPECT_NE(told.find(Zolt::LastCrashReport() + "\n"), std::string::npos) << "the whole report";
}

TEST_F(CrashHandlerTest, WithoutAnApplicationTheReportHasNoApplicationPart)
{
    EXPECT_EXIT(platform::testing::RaiseFault("fpe"), ::testing::KilledBySignal(SIGFPE), "");
    const std::string report = ReadFile(report_);
    EXPECT_EQ(report.rfind("Exception: Integer Divide by Zero", 0), 0u);
    EXPECT_EQ(report.find("Product:"), std::string::npos);
}

TEST(CrashReportFields, SurviveTheEnvironmentWhateverTheyHold)
{
    const std::vector<std::pair<std::string, std::string>> fields = {
        {"a&b", "x=y%z"}, {"line", "one\r\ntwo"}, {"empty", ""}};
    EXPECT_EQ(Zolt::DecodeCrashFields(Zolt::EncodeCrashFields(fields)), fields);
    // Damaged text gives what can be read, never a crash.
    const auto damaged = Zolt::DecodeCrashFields("=x&&a=b&%zz=%4&noequals&c=%");
    ASSERT_EQ(damaged.size(), 3u);
    EXPECT_EQ(damaged[0], std::make_pair(std::string("a"), std::string("b")));
    EXPECT_EQ(damaged[1], std::make_pair(std::string("%zz"), std::string("%4")));
    EXPECT_EQ(damaged[2], std::make_pair(std::string("c"), std::string("%")));
}

// ---- The viewer ----

class CrashViewerTest : public CrashHandlerTest {
protected:
    Zolt::CrashViewerInput Input()
    {
        { std::ofstream(report_, std::ios::binary) << "Exception: Access Violation (code 0xc0000005)\r\nmore\n"; }
        Zolt::CrashViewerInput input;
        input.reportFile = report_;
        input.product = "Pellucor";
        input.version = "1.2";
        return input;
    }

    Zolt::CrashUploadFunction Recording(int result)
    {
        return [this, result](const std::string& url, const std::string& request, const std::atomic<bool>&) {
            urls_.push_back(url);
            requests_.push_back(request);
            return result;
        };
    }

    std::vector<std::string> urls_;
    std::vector<std::string> requests_;
};

TEST_F(CrashViewerTest, WithoutAServerTheReportIsShownAndCopiedButNotOffered)
{
    const auto outcome = Zolt::RunCrashViewer(Input(), Recording(0));
    const auto shown = platform::testing::LastCrashWindow();
    EXPECT_EQ(shown.count, 1);
    EXPECT_EQ(shown.caption, "Fatal Error!");
    EXPECT_EQ(shown.heading, "An unexpected error has occured!");
    EXPECT_EQ(shown.report, "Exception: Access Violation (code 0xc0000005)\r\nmore");
    EXPECT_FALSE(shown.offeredSend);
    EXPECT_EQ(platform::testing::HeadlessClipboard(), "Exception: Access Violation (code 0xc0000005)\r\nmore");
    EXPECT_FALSE(outcome.sent);
    EXPECT_TRUE(requests_.empty());
}

// Started where no display can be reached (or left there), the viewer
// would wait for ever on a window nobody sees: the report goes to the
// terminal it inherited, and the viewer ends.
TEST_F(CrashViewerTest, WithoutADisplayTheReportGoesToTheTerminalAndTheViewerEnds)
{
    platform::ResetWindowBackend();
    platform::testing::FailNext("OpenWindowSystem", 0);
    ::testing::internal::CaptureStderr();
    Zolt::RunCrashViewer(Input(), Recording(0));
    const std::string said = ::testing::internal::GetCapturedStderr();
    platform::ResetWindowBackend();
    EXPECT_EQ(platform::testing::LastCrashWindow().count, 0);
    EXPECT_NE(said.find("The crash report cannot be shown in a window (refused by a test); it is kept in " + report_ +
                        ":\nException: Access Violation (code 0xc0000005)\nmore\n"),
              std::string::npos)
        << said;
}

// The crashed process waits for its viewer: the viewer lets it go before
// its window, which may stay up long after, and not at all where it only
// speaks on the terminal (its end lets the process go, after its words).
TEST_F(CrashViewerTest, TheCrashedProcessIsLetGoBeforeTheWindowAndNotBeforeTheLastWord)
{
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    auto heard = [&] {
        pollfd fd{ends[0], POLLIN, 0};
        return ::poll(&fd, 1, 0) == 1;
    };
    ::setenv(platform::kCrashReleaseVariable, std::to_string(ends[1]).c_str(), 1);
    platform::ResetWindowBackend();
    platform::testing::FailNext("OpenWindowSystem", 0);
    ::testing::internal::CaptureStderr();
    Zolt::RunCrashViewer(Input(), Recording(0));
    ::testing::internal::GetCapturedStderr();
    platform::ResetWindowBackend();
    EXPECT_FALSE(heard()) << "let go before its words on the terminal ended with it";

    Zolt::RunCrashViewer(Input(), Recording(0));
    EXPECT_EQ(platform::testing::LastCrashWindow().count, 1);
    ASSERT_TRUE(heard()) << "the window came, the crashed process still waiting";
    char said[2];
    EXPECT_EQ(::read(ends[0], said, 2), 1);
    EXPECT_EQ(::read(ends[0], said, 2), 0) << "the viewer keeps its end of the pipe";
    EXPECT_EQ(std::getenv(platform::kCrashReleaseVariable), nullptr);
    ::close(ends[0]);
}

TEST_F(CrashViewerTest, SendingPostsTheReportWithTheUsersWords)
{
    auto input = Input();
    input.server = "127.0.0.1:8081";
    input.fields = {{"build", "7"}};
    platform::testing::ScriptAnswer("CrashWindow", 1);
    platform::testing::ScriptAnswer("TextDialog", platform::testing::ScriptedAnswer{platform::IDOK, "it froze"});
    const auto outcome = Zolt::RunCrashViewer(input, Recording(0));
    EXPECT_TRUE(outcome.sent);
    EXPECT_EQ(outcome.uploadResult, 0);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(urls_[0], "http://127.0.0.1:8081/davoru_dirud.php");
    const std::string& r = requests_[0];
    EXPECT_NE(r.find("name=\"build\"\r\n\r\n7\r\n"), std::string::npos);
    EXPECT_NE(r.find("name=\"usertext\"\r\n\r\nit froze\r\n"), std::string::npos);
    EXPECT_NE(r.find("name=\"errortitle\"\r\n\r\nException: Access Violation (code 0xc0000005)\r\n"), std::string::npos);
    EXPECT_NE(r.find("name=\"prod\"\r\n\r\nPellucor\r\n"), std::string::npos);
    // Sent: out of the way, so that the next crash does not keep it as unsent.
    EXPECT_FALSE(fs::exists(report_));
    EXPECT_EQ(ReadFile(report_ + ".sent"), "Exception: Access Violation (code 0xc0000005)\r\nmore\n");
}

TEST_F(CrashViewerTest, AReportThatCouldNotBeSavedIsShownWithWhereItWent)
{
    auto input = Input();
    fs::remove(report_);
    input.server = "127.0.0.1:8081";
    input.saveError = EACCES;
    input.handedOver = "Exception: Access Violation (code 0xc0000005)\r\n00401000 00402000 _ZN4Zolt3RunEv+1F (pellucor+1234)";
    const std::string report = "Exception: Access Violation (code 0xc0000005)\r\n00401000 00402000 Zolt::Run()+1F (pellucor+1234)";
    platform::testing::ScriptAnswer("CrashWindow", 1);
    platform::testing::ScriptAnswer("TextDialog", platform::testing::ScriptedAnswer{platform::IDOK, ""});
    const auto outcome = Zolt::RunCrashViewer(input, Recording(0));
    const auto shown = platform::testing::LastCrashWindow();
    EXPECT_EQ(shown.report, "The crash report could not be saved as \"" + report_ +
                                "\" (Permission denied). It was written to standard error:\r\n\r\n" + report);
    EXPECT_TRUE(shown.offeredSend);
    EXPECT_EQ(platform::testing::HeadlessClipboard(), report);
    ASSERT_TRUE(outcome.sent);
    EXPECT_NE(requests_[0].find("name=\"errortext\"\r\n\r\n" + report + "\r\n"), std::string::npos) << "the report alone";
    EXPECT_FALSE(fs::exists(report_)) << "the viewer writes no report of its own";
    EXPECT_FALSE(fs::exists(report_ + ".sent"));

    // Nothing came with it: the window still says where it went.
    input.handedOver.clear();
    const auto bare = Zolt::RunCrashViewer(input, Recording(0));
    EXPECT_FALSE(bare.reportRead);
    EXPECT_EQ(platform::testing::LastCrashWindow().report,
              "The crash report could not be saved as \"" + report_ +
                  "\" (Permission denied). It was written to standard error.");
    EXPECT_FALSE(platform::testing::LastCrashWindow().offeredSend);
}

TEST_F(CrashViewerTest, AbortingTheDetailsReturnsToTheReportAndSendsNothing)
{
    auto input = Input();
    input.server = "127.0.0.1:8081";
    platform::testing::ScriptAnswer("CrashWindow", 1);
    platform::testing::ScriptAnswer("TextDialog", platform::testing::ScriptedAnswer{platform::IDCANCEL, ""});
    const auto outcome = Zolt::RunCrashViewer(input, Recording(0));
    EXPECT_EQ(platform::testing::LastCrashWindow().count, 2);
    EXPECT_FALSE(outcome.sent);
    EXPECT_TRUE(requests_.empty());
}

TEST_F(CrashViewerTest, AFailedUploadSaysSoAndAHangingOneIsAbortedInTime)
{
    auto input = Input();
    input.server = "127.0.0.1:8081";
    platform::testing::ScriptAnswer("CrashWindow", 1);
    platform::testing::ScriptAnswer("TextDialog", platform::testing::ScriptedAnswer{platform::IDOK, ""});
    const auto failed = Zolt::RunCrashViewer(input, Recording(8));
    EXPECT_EQ(failed.uploadResult, 8);
    const auto boxes = platform::testing::RecordedBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "Failed to connect to server.");

    platform::testing::ScriptAnswer("CrashWindow", 1);
    platform::testing::ScriptAnswer("TextDialog", platform::testing::ScriptedAnswer{platform::IDOK, ""});
    const auto hung = Zolt::RunCrashViewer(
        input,
        [](const std::string&, const std::string&, const std::atomic<bool>& abort) {
            while (!abort.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return 5;
        },
        50);
    EXPECT_EQ(hung.uploadResult, 5);
}

TEST_F(CrashViewerTest, AMissingOrHugeReportIsShownSafely)
{
    auto input = Input();
    input.server = "127.0.0.1:8081";
    input.reportFile = (dir_ / "gone.txt").string();
    const auto missing = Zolt::RunCrashViewer(input, Recording(0));
    EXPECT_FALSE(missing.reportRead);
    EXPECT_FALSE(platform::testing::LastCrashWindow().offeredSend);
    EXPECT_EQ(platform::testing::LastCrashWindow().report,
              "The crash report \"" + input.reportFile + "\" could not be read (No such file or directory).");
    // A folder or a pipe in its place is neither read nor waited on.
    input.reportFile = (dir_ / "folder").string();
    fs::create_directory(input.reportFile);
    EXPECT_FALSE(Zolt::RunCrashViewer(input, Recording(0)).reportRead);
    EXPECT_EQ(platform::testing::LastCrashWindow().report,
              "The crash report \"" + input.reportFile + "\" could not be read (a folder, not a file).");
    input.reportFile = (dir_ / "pipe").string();
    ASSERT_EQ(::mkfifo(input.reportFile.c_str(), 0644), 0);
    EXPECT_FALSE(Zolt::RunCrashViewer(input, Recording(0)).reportRead);
    EXPECT_NE(platform::testing::LastCrashWindow().report.find("could not be read (not a regular file"),
              std::string::npos);

    {
        std::ofstream big(report_, std::ios::binary);
        big << std::string(Zolt::kMaxViewedReportBytes + 1000, 'x');
    }
    input.reportFile = report_;
    Zolt::RunCrashViewer(input, Recording(0));
    EXPECT_EQ(platform::testing::LastCrashWindow().report.size(), Zolt::kMaxViewedReportBytes);
}

} // namespace
