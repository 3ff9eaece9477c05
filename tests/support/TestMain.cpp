// The main of every test program. Tests run on the headless platform (no
// window, no sound device) unless PELLUCOR_PLATFORM=sdl asks for the real one.
//
// With PELLUCOR_THREADED_TESTS naming a file, each test that started a
// thread adds a line "<program> <Suite.Test>" to it: ./check runs exactly
// those tests again under ThreadSanitizer.
#include "platform/core/Process.h"
#include "platform/core/Testing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

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
    return RUN_ALL_TESTS();
}
