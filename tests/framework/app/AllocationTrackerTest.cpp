#include "framework/app/AllocationTracker.h"

#include "platform/core/DebugOutput.h"
#include "platform/core/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(AllocationTracker, ReportListsLiveBlocksInOrderWithTotals)
{
    Zolt::AllocationTracker tracker;
    int a = 0, b = 0, c = 0;
    tracker.Record(&a, 1, "game.cpp", 10);
    tracker.Record(&b, 2048, "image.cpp", 20);
    tracker.Record(&c, 7, "gone.cpp", 30);
    tracker.Forget(&c);

    const std::string expected = "Memory Leak Report for Pellucor\n"
                                 "game.cpp(10) : Leak 1 byte\n"
                                 "image.cpp(20) : Leak 2048 bytes\n" +
                                 std::string(59, '-') + "\n" +
                                 "Total Unfreed: 2049 bytes (2KB)\n\n";
    EXPECT_EQ(tracker.BuildReport("Pellucor"), expected);
    EXPECT_EQ(tracker.BlockCount(), 2u);
}

TEST(AllocationTracker, ReportIsWrittenOnlyWhenTheSwitchIsOn)
{
    const auto folder = std::filesystem::temp_directory_path() / "pellucor_leaks_test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string previous = platform::GetCurrentDirectory();
    ASSERT_TRUE(platform::SetCurrentDirectory(folder.string()));

    Zolt::AllocationTracker tracker;
    int block = 0;
    tracker.Record(&block, 3, "x.cpp", 1);
    tracker.OnProgramExit("Pellucor");
    EXPECT_FALSE(platform::FileExists("mem_leaks.txt"));

    platform::testing::DebugOutputCapture capture;
    tracker.SetReportAtExit(true);
    tracker.OnProgramExit("Pellucor");
    std::string written;
    EXPECT_TRUE(platform::ReadWholeFile("mem_leaks.txt", &written));
    EXPECT_EQ(written, tracker.BuildReport("Pellucor"));
    EXPECT_EQ(capture.Text(), written);

    platform::SetCurrentDirectory(previous);
    std::filesystem::remove_all(folder);
}
