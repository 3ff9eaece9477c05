// The main of every test program. Tests run on the headless platform (no
// window, no sound device) unless PELLUCOR_PLATFORM=sdl asks for the real one.
//
// A test passes only by reaching its verdict: code under test that ends the
// process (a fatal error's ExitProcess, exit()) while a test runs would
// otherwise end it with the status it chose, 0 reading as a pass with no
// verdict printed. Such an end fails the test, named on standard output,
// with a non-zero status. Processes a test forks (death tests and the like)
// end as they ask.
//
// With PELLUCOR_THREADED_TESTS naming a file, each test that started a
// thread adds a line "<program> <Suite.Test>" to it: ./check runs exactly
// those tests again under ThreadSanitizer.
#include "platform/core/ModuleRegistry.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

// The test program's own process, and the test it is running (null between
// tests); the main run is over once `gVerdictGiven` is set.
pid_t gTestProcess = 0;
std::atomic<const testing::TestInfo*> gRunningTest{nullptr};
std::atomic<bool> gVerdictGiven{false};

// Any thread, at the end of the process: fails the running test when the
// process ends before the run has given its verdict.
// `code` is the status asked for, nothing when exit() was called (which
// does not tell its handlers the status).
void FailAnEndBeforeTheVerdict(std::optional<unsigned> code)
{
    if (gVerdictGiven || ::getpid() != gTestProcess || testing::internal::InDeathTestChild())
        return;
    const testing::TestInfo* test = gRunningTest.load();
    const std::string name =
        test ? std::string(test->test_suite_name()) + "." + test->name() : std::string("(between tests)");
    const std::string how = code ? "with status " + std::to_string(*code) : std::string("through exit()");
    std::fprintf(stdout, "\n[  FAILED  ] %s ended the process %s before its verdict\n", name.c_str(), how.c_str());
    std::fflush(nullptr);
    // What the parent sees is the low byte: never let it read 0.
    std::_Exit(code && (*code & 0xFF) != 0 ? static_cast<int>(*code) : 1);
}

// Threads: gtest calls it on the main thread, around each test.
class RunningTestNote : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo& test) override { gRunningTest = &test; }
    // A library a test hid stays hidden only for that test: the next one in
    // the same process (a repeat, or a run of several) finds every library,
    // as a process of its own would.
    void OnTestEnd(const testing::TestInfo&) override
    {
        gRunningTest = nullptr;
        platform::testing::ClearModuleHiding();
    }
};

void WatchForEndsBeforeTheVerdict()
{
    gTestProcess = ::getpid();
    platform::testing::WatchProcessEnd([](platform::UINT code) { FailAnEndBeforeTheVerdict(code); });
    std::atexit([] { FailAnEndBeforeTheVerdict(std::nullopt); });
    std::at_quick_exit([] { FailAnEndBeforeTheVerdict(std::nullopt); });
    testing::UnitTest::GetInstance()->listeners().Append(new RunningTestNote);
}

// Threads: gtest calls it on the main thread, around each test.
class ThreadedTestLog : public testing::EmptyTestEventListener {
public:
    ThreadedTestLog(std::string file, std::string program) : file_(std::move(file)), program_(std::move(program)) {}

    void OnTestStart(const testing::TestInfo&) override { before_ = platform::testing::ThreadsStarted(); }
    void OnTestEnd(const testing::TestInfo& test) override
    {
        if (platform::testing::ThreadsStarted() == before_)
            return;
        // One short line in one write: programs run side by side append to
        // the same file.
        const std::string line = program_ + " " + test.test_suite_name() + "." + test.name() + "\n";
        std::ofstream(file_, std::ios::app) << line << std::flush;
    }

private:
    std::string file_;
    std::string program_;
    uint64_t before_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    platform::SetCommandLineArguments(argc, argv);
    std::optional<std::string> backend = platform::GetEnvironmentVariable("PELLUCOR_PLATFORM");
    platform::UseHeadlessBackend(!(backend && *backend == "sdl"));
    std::optional<std::string> log = platform::GetEnvironmentVariable("PELLUCOR_THREADED_TESTS");
    if (log && !log->empty() && platform::testing::CountsThreads())
        testing::UnitTest::GetInstance()->listeners().Append(
            new ThreadedTestLog(*log, std::filesystem::path(argv[0]).filename().string()));
    WatchForEndsBeforeTheVerdict();
    const int result = RUN_ALL_TESTS();
    gVerdictGiven = true;
    return result;
}
