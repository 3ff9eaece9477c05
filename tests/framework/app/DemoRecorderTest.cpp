// The demo recorder on its own, with a hand-driven update count: a recorded
// run written to a file and played back into a logging input, the recorded
// outside values given back in their place, and streams that run out or
// hold values nobody asks for.
#include "framework/app/DemoRecorder.h"

#include "framework/app/InputQueue.h"
#include "framework/base/Buffer.h"
#include "platform/core/FileSystem.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/Window.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using Zolt::DemoRecorder;
using Zolt::QueuedMessage;
namespace pw = platform;

namespace {

const pw::HWND kMainWindow = reinterpret_cast<pw::HWND>(0x10);

// Logs what a played demo applies, stamped with the update.
class LoggingInput : public Zolt::DemoInput {
public:
    explicit LoggingInput(const int& update) : update_(update) {}

    bool IsStopped() override { return closed; }
    void MouseMove(int x, int y) override { Log("move " + Pair(x, y)); }
    void MouseButton(int x, int y, int code, bool down) override
    {
        Log(std::string(down ? "down " : "up ") + Pair(x, y) + " " + std::to_string(code));
    }
    void MouseEnter() override { Log("enter"); }
    void MouseLeave(int x, int y) override { Log("leave " + Pair(x, y)); }
    void Wheel(int steps) override { Log("wheel " + std::to_string(steps)); }
    void Key(int key, bool down) override { Log(std::string(down ? "key down " : "key up ") + std::to_string(key)); }
    void Char(int c) override { Log("char " + std::to_string(c)); }
    void Activate(bool active) override { Log(active ? "active" : "inactive"); }
    void Minimize(bool minimized) override { Log(minimized ? "minimized" : "restored"); }
    void Close() override
    {
        Log("close");
        closed = true;
    }
    void ScreenMode(bool windowed, int rate) override
    {
        Log(std::string(windowed ? "windowed " : "full screen ") + std::to_string(rate));
    }

    std::vector<std::string> log;
    bool closed = false;

private:
    static std::string Pair(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    void Log(const std::string& event) { log.push_back(std::to_string(update_) + ": " + event); }
    const int& update_;
};

class DemoRecorderTest : public ::testing::Test {
protected:
    // A recorder writing into the test's folder at the test's update count.
    DemoRecorder& Recording()
    {
        recorder = std::make_unique<DemoRecorder>([this] { return update; });
        recorder->SetFileName(folder_ / "run.dmo");
        recorder->StartRecording();
        return *recorder;
    }

    // The recording written and read back by a new recorder, from update 0.
    DemoRecorder& Played()
    {
        recorder->WriteFile(1234, "1.0");
        recorder = std::make_unique<DemoRecorder>([this] { return update; });
        recorder->SetFileName(folder_ / "run.dmo");
        recorder->StartPlaying();
        uint32_t seed = 0;
        std::string error;
        EXPECT_TRUE(recorder->ReadFile("1.0", seed, error)) << error;
        EXPECT_EQ(seed, 1234u);
        update = 0;
        return *recorder;
    }

    // Plays update after update up to `last`.
    void PlayUntil(int last)
    {
        for (; update <= last; ++update)
            recorder->PlayDueCommands(input);
        update = last;
    }

    void Record(pw::UINT message, pw::WPARAM wParam, pw::LPARAM lParam = 0, pw::HWND window = kMainWindow)
    {
        recorder->RecordInput(QueuedMessage{window, message, wParam, lParam}, kMainWindow, true);
    }

    pw::testing::ScopedTempFolder folder_;
    int update = 0;
    std::unique_ptr<DemoRecorder> recorder;
    LoggingInput input{update};
};

} // namespace

TEST_F(DemoRecorderTest, RecordedInputPlaysBackAtTheSameUpdates)
{
    Recording();
    update = 2;
    Record(pw::WM_MOUSEMOVE, 0, pw::MAKELPARAM(100, 50));
    Record(pw::WM_LBUTTONDOWN, 0, pw::MAKELPARAM(100, 50));
    Record(pw::WM_LBUTTONUP, 0, pw::MAKELPARAM(131, 19)); // a short move, then the release
    for (pw::UINT click : {pw::WM_LBUTTONDBLCLK, pw::WM_RBUTTONDOWN, pw::WM_RBUTTONUP, pw::WM_RBUTTONDBLCLK,
                           pw::WM_MBUTTONDOWN, pw::WM_MBUTTONUP})
        Record(click, 0, pw::MAKELPARAM(131, 19));
    // Moves just past a short move's reach to the right and down, one left
    // and up within it, and a drag held above and left of the window.
    for (const auto& [x, y] : {std::pair{163, 19}, {163, 51}, {150, 45}, {-40, -300}})
        Record(pw::WM_MOUSEMOVE, 0, pw::MAKELPARAM(x, y));
    update = 40; // more than 15 updates later: padding in between
    Record(pw::WM_KEYDOWN, 'A');
    Record(pw::WM_CHAR, 0xE9);
    Record(pw::WM_KEYUP, 'A');
    Record(pw::WM_KEYDOWN, 0xBB); // a key code past 127 ('=' on the main keys)
    Record(pw::WM_CHAR, 0x100);
    Record(pw::WM_CHAR, 0xFF21);
    Record(pw::WM_MOUSEWHEEL, pw::WPARAM(uint32_t(-240) << 16));
    Record(pw::WM_MOUSEWHEEL, pw::WPARAM(uint32_t(120) << 16));
    recorder->RecordCommand(Zolt::kDemoMouseLeave);
    update = 41;
    Record(pw::WM_ACTIVATEAPP, 0);
    Record(pw::WM_ACTIVATEAPP, 1, 0, nullptr); // another window's: not recorded
    Record(pw::WM_ACTIVATEAPP, 1);
    Record(pw::WM_SIZE, pw::SIZE_MINIMIZED);
    Record(pw::WM_SIZE, pw::SIZE_RESTORED);
    recorder->RecordScreenMode(false, 60);
    recorder->RecordScreenMode(true, 144);
    Record(pw::WM_CLOSE, 0);
    Record(pw::WM_KEYDOWN, 'B'); // after the close: never applied

    Played();
    PlayUntil(100);
    // Every mouse message moves the mouse first, as the live input does.
    EXPECT_EQ(input.log, (std::vector<std::string>{
                             "2: move 100,50", "2: move 100,50", "2: down 100,50 1", "2: move 131,19",
                             "2: up 131,19 1", "2: move 131,19", "2: down 131,19 2", "2: move 131,19",
                             "2: down 131,19 -1", "2: move 131,19", "2: up 131,19 -1", "2: move 131,19",
                             "2: down 131,19 -2", "2: move 131,19", "2: down 131,19 3", "2: move 131,19",
                             "2: up 131,19 3", "2: move 163,19", "2: move 163,51", "2: move 150,45", "2: move -40,-300",
                             "40: key down 65", "40: char 233", "40: key up 65", "40: key down 187", "40: char 256",
                             "40: char 65313", "40: wheel -2", "40: wheel 1", "40: leave -40,-300",
                             "41: inactive", "41: active", "41: minimized", "41: restored", "41: full screen 60",
                             "41: windowed 144", "41: close"}));
}

TEST_F(DemoRecorderTest, AltEnterThatSwitchesTheScreenIsLeftToTheScreenModeCommand)
{
    Recording();
    recorder->RecordInput(QueuedMessage{kMainWindow, pw::WM_SYSKEYDOWN, pw::VK_RETURN, 0}, kMainWindow, true);
    recorder->RecordInput(QueuedMessage{kMainWindow, pw::WM_SYSKEYDOWN, pw::VK_RETURN, 0}, kMainWindow, false);
    Played();
    PlayUntil(5);
    EXPECT_EQ(input.log, (std::vector<std::string>{"0: key down 13"})) << "only where it could not switch";
}

TEST_F(DemoRecorderTest, SettingsAndFilesComeBackAsTheRecordingSawThem)
{
    const std::string file = folder_ / "table.txt";
    pw::testing::WriteTestFile(file, "seats=9");
    const std::string oneByte = folder_ / "flag.txt";
    pw::testing::WriteTestFile(oneByte, "Y");
    Recording();
    const uint32_t value = 70;
    recorder->RecordRegistryRead(true, 4, &value, 4);
    recorder->RecordRegistryRead(false, 0, nullptr, 0);
    const uint8_t flag = 7;
    recorder->RecordRegistryRead(true, 3, &flag, 1);
    recorder->RecordRegistryRead(true, 1, nullptr, 12); // a size query
    recorder->RecordRegistryWrite(false);
    Zolt::Buffer read;
    ASSERT_TRUE(recorder->LoadFileIntoBuffer(file, read, false));
    ASSERT_TRUE(recorder->LoadFileIntoBuffer(oneByte, read, false));
    EXPECT_EQ(read.ByteSize(), 1);
    EXPECT_EQ(read.Bytes()[0], 'Y');

    Played();
    pw::DeleteFile(file); // the played run never looks at the disk
    uint32_t got = 0;
    uint32_t type = 0;
    uint32_t length = 4;
    EXPECT_TRUE(recorder->ReplayRegistryRead(&type, &got, &length));
    EXPECT_EQ(got, 70u);
    EXPECT_EQ(type, 4u);
    EXPECT_FALSE(recorder->ReplayRegistryRead(&type, &got, &length)) << "the read that failed, fails";
    uint8_t byte = 0;
    length = 1;
    EXPECT_TRUE(recorder->ReplayRegistryRead(&type, &byte, &length));
    EXPECT_EQ(byte, 7);
    EXPECT_TRUE(recorder->ReplayRegistryRead(&type, nullptr, &length));
    EXPECT_EQ(length, 12u);
    EXPECT_FALSE(recorder->ReplayRegistryWrite());
    Zolt::Buffer played;
    ASSERT_TRUE(recorder->LoadFileIntoBuffer(file, played, false));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(played.Bytes()), size_t(played.ByteSize())), "seats=9");
}

TEST_F(DemoRecorderTest, RecordedValueLongerThanTheCallersBufferIsRefused)
{
    Recording();
    const char text[] = "a longer text than four";
    recorder->RecordRegistryRead(true, 1, text, sizeof text);
    Played();
    char small[4] = {'x', 'x', 'x', 'x'};
    uint32_t length = sizeof small;
    EXPECT_FALSE(recorder->ReplayRegistryRead(nullptr, small, &length));
    EXPECT_EQ(std::string(small, 4), "xxxx");
    EXPECT_EQ(length, 4u);
}

TEST_F(DemoRecorderTest, RelayedValuesReplaceTheLiveOnesAndAnUnaskedOneIsPassedOver)
{
    Recording();
    bool flag = true;
    recorder->RelayFlag(flag);
    std::string text = "seat 4";
    recorder->RelayText(text);
    update = 3;
    Record(pw::WM_KEYDOWN, 'Q');

    Played();
    flag = false;
    recorder->RelayFlag(flag);
    EXPECT_TRUE(flag);
    // The text is never asked for in this run: the key behind it still comes.
    PlayUntil(3);
    EXPECT_EQ(input.log, (std::vector<std::string>{"3: key down 81"}));
}

TEST_F(DemoRecorderTest, SettingsWritesNobodyAsksForArePassedOverAndTheInputBehindThemStillComes)
{
    Recording();
    recorder->RecordRegistryWrite(true);
    recorder->RecordRegistryWrite(false);
    update = 3;
    Record(pw::WM_KEYDOWN, 'Q');
    update = 4;
    Record(pw::WM_KEYUP, 'Q');

    Played();
    PlayUntil(4);
    EXPECT_EQ(input.log, (std::vector<std::string>{"3: key down 81", "4: key up 81"}));
}

TEST_F(DemoRecorderTest, AfterTheWindowClosedDuringPlaybackNothingMoreIsRead)
{
    const std::string file = folder_ / "live.txt";
    pw::testing::WriteTestFile(file, "live");
    Recording();
    recorder->RecordRegistryWrite(false);
    const uint32_t value = 1;
    recorder->RecordRegistryRead(true, 4, &value, 4);
    Played();
    recorder->NoteClosedDuringPlayback();
    EXPECT_FALSE(recorder->IsFeeding());
    EXPECT_TRUE(recorder->IsPlaying());
    uint32_t got = 0;
    uint32_t length = 4;
    EXPECT_FALSE(recorder->ReplayRegistryRead(nullptr, &got, &length));
    Zolt::Buffer read;
    EXPECT_TRUE(recorder->LoadFileIntoBuffer(file, read, false)) << "files come from the disk again";
    std::string text = "mine";
    recorder->RelayText(text);
    EXPECT_EQ(text, "mine");
}

TEST_F(DemoRecorderTest, StreamThatBreaksOffEndsPlaybackQuietly)
{
    Recording();
    Record(pw::WM_KEYDOWN, 'A');
    update = 1;
    Record(pw::WM_KEYDOWN, 'B');
    recorder->WriteFile(1, "1.0");
    // Cut the file in the middle of the second command: the two keys take
    // 36 bits, the closing command 10 more.
    std::string bytes = pw::testing::ReadTestFile(folder_ / "run.dmo");
    bytes.resize(bytes.size() - 2);
    pw::testing::WriteTestFile(folder_ / "run.dmo", bytes);

    DemoRecorder played([this] { return update; });
    played.SetFileName(folder_ / "run.dmo");
    played.StartPlaying();
    uint32_t seed = 0;
    std::string error;
    ASSERT_TRUE(played.ReadFile("1.0", seed, error)) << error;
    for (update = 0; update < 5; ++update)
        played.PlayDueCommands(input);
    EXPECT_EQ(input.log, (std::vector<std::string>{"0: key down 65"}));
    EXPECT_TRUE(played.HasEnded());
    EXPECT_TRUE(played.IsCutShort());
}

namespace {

// The process's resident memory now and at its peak since the last reset,
// in bytes (Linux's /proc/self/status).
struct Resident {
    uint64_t now = 0;
    uint64_t peak = 0;
};

Resident ResidentMemory()
{
    std::ifstream status("/proc/self/status");
    Resident resident;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            resident.now = std::stoull(line.substr(6)) * 1024;
        else if (line.rfind("VmHWM:", 0) == 0)
            resident.peak = std::stoull(line.substr(6)) * 1024;
    }
    return resident;
}

// What running `body` raised the process's resident memory by, at its peak.
uint64_t PeakGrowthOf(const std::function<void()>& body)
{
    // The peak starts again from what the process holds now (a fresh test
    // process holds little where the kernel cannot reset it).
    std::ofstream("/proc/self/clear_refs") << "5";
    const Resident before = ResidentMemory();
    body();
    return ResidentMemory().peak - std::min(before.now, before.peak);
}

} // namespace

TEST_F(DemoRecorderTest, ADemoIsHeldOnceWhilePlayedAndAtMostTwiceWhileWritten)
{
    constexpr int kBytes = 24 << 20;
    Recording();
    const uint64_t recording = PeakGrowthOf([&] {
        for (int i = 0; recorder->Stream().Data().ByteSize() < kBytes; ++i) {
            Record(pw::WM_MOUSEMOVE, 0, pw::MAKELPARAM(i % 2 ? 1000 : 0, 0));
            if (i % 1000 == 0) {
                ++update;
                recorder->PrepareCrashImage(1, "1.0");
            }
        }
        recorder->WriteFile(1, "1.0");
    });
    EXPECT_LT(recording, 3u * kBytes) << "recorded and written, " << recording / (1 << 20) << " MB";
    recorder.reset();

    DemoRecorder played([] { return 0; });
    played.SetFileName(folder_ / "run.dmo");
    played.StartPlaying();
    uint32_t seed = 0;
    std::string error;
    const uint64_t playing = PeakGrowthOf([&] { EXPECT_TRUE(played.ReadFile("1.0", seed, error)) << error; });
    EXPECT_LT(playing, kBytes * 3u / 2) << "read to play, " << playing / (1 << 20) << " MB";
    EXPECT_GE(played.Stream().Data().ByteSize(), kBytes);
}

TEST_F(DemoRecorderTest, FileOfAnotherVersionOrNoneAtAllIsNotPlayed)
{
    Recording();
    recorder->WriteFile(1, "1.0");
    DemoRecorder played([this] { return update; });
    played.SetFileName(folder_ / "run.dmo");
    uint32_t seed = 0;
    std::string error;
    EXPECT_FALSE(played.ReadFile("2.0", seed, error));
    EXPECT_EQ(error, "This demo file appears to be for '1.0' (" + (folder_ / "run.dmo") + ")");
    played.SetFileName(folder_ / "none.dmo");
    EXPECT_FALSE(played.ReadFile("1.0", seed, error));
    EXPECT_EQ(error, "Demo file not found: " + (folder_ / "none.dmo"));
}
