// Recording a scripted session headless and playing it back: the same
// widget events at the same updates, the recorded registry and relayed
// values in place of live ones, the playback controls, and demo files that
// cannot be played.
#include "tests/framework/app/AppTestSupport.h"

#include "framework/app/DemoFile.h"
#include "framework/app/DemoPlaybackControls.h"
#include "framework/app/HTTPTransfer.h"
#include "framework/base/PathUtils.h"
#include "tests/support/DemoCommands.h"
#include "tests/support/LoopbackHttpServer.h"
#include "platform/core/CRuntime.h"
#include "platform/core/FileSystem.h"
#include "platform/window/Cursor.h"
#include "platform/window/VirtualKeys.h"
#include "tests/support/WidgetDoubles.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <random>
#include <tuple>
#include <utility>

using namespace apptest;
using platform::testing::LoopbackHttpServer;
using widget_testing::ProbeWidget;

namespace {

class DemoTest : public AppTest {
protected:
    void TearDown() override
    {
        if (app && app->GetWidgetManager() && probe_)
            app->GetWidgetManager()->RemoveChild(probe_.get());
        app.reset();
    }

    // Initialised with a probe covering the screen, loading started; the loop
    // has not run yet.
    TestApp& Begin(const std::vector<std::string>& arguments)
    {
        SetArguments(arguments);
        Make().Initialize();
        platform::ShowWindow(app->GetMainWindow(), platform::SW_SHOW);
        platform::SetFocus(app->GetMainWindow());
        log_.clear();
        probe_ = std::make_unique<ProbeWidget>("w", &log_);
        probe_->SetBounds(0, 0, 640, 480);
        app->GetWidgetManager()->AddChild(probe_.get());
        app->LaunchLoaderThread();
        // The loop takes the loading's end at its next step: on a loaded
        // machine the thread could otherwise still be starting when the
        // sessions below count on the loading being done.
        app->JoinLoaderThread();
        return *app;
    }

    void StepUntilUpdate(int update)
    {
        for (int guard = 0; app->UpdateCount() < update && !app->IsQuitting() && guard < 2'000'000; ++guard) {
            app->RunLoopStep(nullptr);
            if (app->loadDoneCalls == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    }

    void Finish()
    {
        app->GetWidgetManager()->RemoveChild(probe_.get());
        app.reset();
    }

    std::string DemoPath() const { return folder_ / "run.dmo"; }
    // Writes the demo file of `commands`, closed at `finalUpdate` as a
    // recording that ran that long is.
    void WriteDemo(Zolt::DemoStream commands, int finalUpdate, const std::vector<Zolt::DemoMarker>& markers = {})
    {
        commands.WriteHeader(finalUpdate, false, Zolt::kDemoPadding);
        Zolt::DemoFileData file;
        file.finalUpdate = finalUpdate;
        file.markers = markers;
        const Zolt::Buffer& data = commands.Data();
        file.commands.assign(data.Bytes(), data.Bytes() + data.ByteSize());
        const std::vector<uint8_t> bytes = file.Serialize();
        platform::testing::WriteTestFile(DemoPath(), std::string(bytes.begin(), bytes.end()));
    }
    // Plays a demo of `finalUpdate` updates that holds no input, up to its
    // tenth update.
    void PlayEmptyDemo(int finalUpdate, const std::vector<Zolt::DemoMarker>& markers = {})
    {
        WriteDemo(Zolt::DemoStream(), finalUpdate, markers);
        Begin({"-play", "-demofile=" + DemoPath()});
        StepUntilUpdate(10);
    }
    // Plays the demo file up to `update` (or until the application quits);
    // the exit code when the program ended the process on the way.
    std::optional<int> PlayTo(int update)
    {
        Begin({"-play", "-demofile=" + DemoPath()});
        platform::testing::ScopedExitInterception intercept;
        try {
            StepUntilUpdate(update);
        } catch (const platform::testing::ProcessExit& exit) {
            return int(exit.code);
        }
        return std::nullopt;
    }
    std::string LastBoxText() const
    {
        const auto boxes = platform::testing::RecordedBoxes();
        return boxes.empty() ? std::string() : boxes.back().text;
    }
    platform::HWND Window() const { return app->GetMainWindow(); }
    // A character typed while the demo plays, pumped until the window had it.
    void Type(char c)
    {
        platform::PostMessageA(Window(), platform::WM_CHAR, platform::WPARAM(uint8_t(c)), 0);
        for (int i = 0; i < 4; ++i)
            app->RunLoopStep(nullptr);
    }

    std::vector<std::string> log_;
    std::unique_ptr<ProbeWidget> probe_;
};

struct Session {
    std::vector<std::string> events;
    int registryValue = -1;
    bool relayedFlag = false;
    std::string relayedText;
    int finalUpdate = 0;
    int lastX = 0;
    int lastY = 0;
    // Whether the pointer is in the window, and the cursor shown, at
    // updates 25 (just out) and 100 (back in).
    std::vector<std::pair<bool, platform::HCURSOR>> pointer;
    bool minimizedAt50 = false;
};

// The picture shown scaled and moved, as in full screen: the window's
// positions map to other widget positions, differently across and down.
void MapInputAsInFullScreen(Zolt::ZoltAppBase& app)
{
    app.GetWidgetManager()->SetInputMapping(Zolt::Rect(0, 0, 640, 480), Zolt::Rect(8, 4, 1280, 480));
    app.SetCursorIndex(3); // a text cursor in the window, the arrow out of it
}

} // namespace

TEST_F(DemoTest, RecordedSessionPlaysBackToTheSameEventsAndState)
{
    Session recorded;
    Begin({"-record", "-demofile=" + DemoPath()});
    MapInputAsInFullScreen(*app);
    app->BeginRun(false); // the frame timer looks where the pointer is
    StepUntilUpdate(20);
    ASSERT_EQ(app->loadDoneCalls, 1);
    platform::testing::InjectMouseMove(Window(), 100, 50);
    platform::testing::InjectMouseButton(Window(), 1, true, 100, 50);
    platform::testing::InjectMouseButton(Window(), 1, false, 100, 50);
    platform::testing::InjectMouseMove(Window(), 131, 19);
    platform::testing::InjectMouseMove(Window(), 300, 200);
    app->GetWidgetManager()->GiveFocus(probe_.get());
    platform::testing::InjectKey(Window(), 'A', true);
    platform::testing::InjectText(Window(), "a");
    platform::testing::InjectKey(Window(), 'A', false);
    platform::testing::InjectMouseWheel(Window(), -2);
    platform::testing::InjectMouseMove(Window(), 700, 300); // out of the window
    StepUntilUpdate(25);
    recorded.pointer.push_back({app->IsMouseInWindow(), platform::GetCursor()});
    StepUntilUpdate(30);
    ASSERT_TRUE(app->RegWriteNumber("Score", 7));
    ASSERT_TRUE(app->RegReadNumber("Score", recorded.registryValue));
    recorded.relayedFlag = true;
    app->DemoRelayFlag(recorded.relayedFlag);
    recorded.relayedText = "seat 4";
    app->DemoRelayText(recorded.relayedText);
    app->AddDemoMarker("after relay");
    // A long quiet spell with the window minimised, then more input.
    StepUntilUpdate(40);
    platform::SendMessageA(Window(), platform::WM_SIZE, platform::SIZE_MINIMIZED, 0);
    StepUntilUpdate(50);
    recorded.minimizedAt50 = app->IsMinimized();
    platform::SendMessageA(Window(), platform::WM_SIZE, platform::SIZE_RESTORED, 0);
    StepUntilUpdate(90);
    platform::testing::InjectMouseButton(Window(), 3, true, 10, 10);
    platform::testing::InjectMouseButton(Window(), 3, false, 10, 10);
    StepUntilUpdate(100);
    recorded.pointer.push_back({app->IsMouseInWindow(), platform::GetCursor()});
    StepUntilUpdate(120);
    platform::PostMessageA(Window(), platform::WM_CLOSE, 0, 0);
    Pump();
    ASSERT_TRUE(app->IsQuitting());
    app->EndRun();
    recorded.events = log_;
    recorded.finalUpdate = app->UpdateCount();
    recorded.lastX = app->GetWidgetManager()->LastX();
    recorded.lastY = app->GetWidgetManager()->LastY();
    Finish();
    ASSERT_TRUE(platform::FileExists(DemoPath()));
    ASSERT_NE(std::find(recorded.events.begin(), recorded.events.end(), "w:down 46,46 1"), recorded.events.end());
    ASSERT_EQ(recorded.pointer, (std::vector<std::pair<bool, platform::HCURSOR>>{
                                    {false, platform::LoadCursorA(nullptr, platform::IDC_ARROW)},
                                    {true, platform::LoadCursorA(nullptr, platform::IDC_IBEAM)}}));

    // Played on a machine whose registry never held the value; live input
    // during playback is dropped.
    platform::testing::ResetRegistry();
    Session played;
    Begin({"-play", "-demofile=" + DemoPath()});
    MapInputAsInFullScreen(*app);
    app->BeginRun(false);
    ASSERT_TRUE(app->IsPlayingDemo());
    EXPECT_EQ(app->DemoFinalUpdate(), recorded.finalUpdate);
    ASSERT_EQ(app->DemoMarkers().size(), 1u);
    EXPECT_EQ(app->DemoMarkers()[0].name, "after relay");
    StepUntilUpdate(20);
    app->GetWidgetManager()->GiveFocus(probe_.get());
    StepUntilUpdate(25);
    played.pointer.push_back({app->IsMouseInWindow(), platform::GetCursor()});
    StepUntilUpdate(30);
    platform::testing::InjectMouseButton(Window(), 1, true, 400, 400);
    ASSERT_TRUE(app->RegWriteNumber("Score", 7));
    ASSERT_TRUE(app->RegReadNumber("Score", played.registryValue));
    played.relayedFlag = false;
    app->DemoRelayFlag(played.relayedFlag);
    played.relayedText = "other";
    app->DemoRelayText(played.relayedText);
    StepUntilUpdate(50);
    played.minimizedAt50 = app->IsMinimized();
    StepUntilUpdate(100);
    played.pointer.push_back({app->IsMouseInWindow(), platform::GetCursor()});
    StepUntilUpdate(recorded.finalUpdate);
    played.events = log_;

    EXPECT_EQ(played.events, recorded.events);
    EXPECT_EQ(played.pointer, recorded.pointer);
    ASSERT_TRUE(recorded.minimizedAt50);
    EXPECT_TRUE(played.minimizedAt50);
    EXPECT_FALSE(app->IsMinimized());
    Pump();
    EXPECT_TRUE(app->IsQuitting()) << "closed where the recording was";
    app->EndRun();
    EXPECT_EQ(played.registryValue, 7);
    EXPECT_TRUE(played.relayedFlag);
    EXPECT_EQ(played.relayedText, "seat 4");
    EXPECT_EQ(app->GetWidgetManager()->LastX(), recorded.lastX);
    EXPECT_EQ(app->GetWidgetManager()->LastY(), recorded.lastY);
    EXPECT_EQ(app->loadDoneCalls, 1);
}

// The C runtime's generator of the main thread and the framework's own both
// start from the demo seed, and the main thread's readings of the C
// runtime's clock (the shuffles' seeds) come back as recorded: a played demo
// draws the recording's numbers, however late it is started.
TEST_F(DemoTest, APlayedDemoDrawsTheNumbersOfItsRecording)
{
    const auto draw = [&] {
        std::vector<uint32_t> numbers;
        for (int i = 0; i < 4; ++i)
            numbers.push_back(uint32_t(platform::rand()));
        for (int i = 0; i < 4; ++i)
            numbers.push_back(app->Random().Next());
        numbers.push_back(uint32_t(platform::clock()));
        return numbers;
    };
    Begin({"-record", "-demofile=" + DemoPath()});
    clock_.AdvanceMilliseconds(250); // the process has run a while
    const std::vector<uint32_t> recorded = draw();
    StepUntilUpdate(5);
    Finish();
    Zolt::DemoFileData file;
    std::string contents, error;
    ASSERT_TRUE(platform::ReadWholeFile(DemoPath(), &contents));
    ASSERT_TRUE(file.Parse(reinterpret_cast<const uint8_t*>(contents.data()), contents.size(), error)) << error;

    std::mt19937 reference(file.seed);
    for (size_t i = 4; i < 8; ++i)
        EXPECT_EQ(recorded[i], reference()) << "the framework's generator starts from the demo seed";
    EXPECT_GT(recorded[8], 0u) << "the process clock's reading";

    clock_.AdvanceMilliseconds(12345);
    Begin({"-play", "-demofile=" + DemoPath()});
    EXPECT_EQ(draw(), recorded);
    StepUntilUpdate(5); // the loading thread is done before the application goes
}

// What the loading completion reads (the game's settings as it starts) is
// recorded at the update the completion came, after the completion itself;
// the playback applies the completion there and gives it those values.
TEST_F(DemoTest, SettingsTheLoadingCompletionReadsComeBackInPlayback)
{
    SetArguments({"-record", "-demofile=" + DemoPath()});
    Make();
    ASSERT_TRUE(app->RegWriteNumber("Speed", 10));
    app.reset();
    int recorded = -1;
    Begin({"-record", "-demofile=" + DemoPath()});
    app->loadDone = [&] { app->RegReadNumber("Speed", recorded); };
    StepUntilUpdate(20);
    ASSERT_EQ(recorded, 10);
    Finish();

    platform::testing::ResetRegistry();
    int played = -1;
    Begin({"-play", "-demofile=" + DemoPath()});
    app->loadDone = [&] { app->RegReadNumber("Speed", played); };
    StepUntilUpdate(20);
    EXPECT_EQ(app->loadDoneCalls, 1);
    EXPECT_EQ(played, 10);
}

TEST_F(DemoTest, AWindowCloseTheApplicationRefusesKeepsThePlayedValuesInStepAndOneItTakesEndsThem)
{
    Begin({"-record", "-demofile=" + DemoPath()});
    StepUntilUpdate(20);
    ASSERT_TRUE(app->RegWriteNumber("Score", 7));
    StepUntilUpdate(30);
    int recorded = 0;
    ASSERT_TRUE(app->RegReadNumber("Score", recorded));
    StepUntilUpdate(50);
    ASSERT_TRUE(app->RegReadNumber("Score", recorded));
    StepUntilUpdate(60);
    Finish();

    platform::testing::ResetRegistry();
    TestApp& played = Begin({"-play", "-demofile=" + DemoPath()});
    played.refuseQuit = true;
    StepUntilUpdate(20);
    ASSERT_TRUE(played.RegWriteNumber("Score", 7));
    platform::PostMessageA(Window(), platform::WM_CLOSE, 0, 0);
    Pump();
    ASSERT_FALSE(played.IsQuitting());
    StepUntilUpdate(30);
    int value = -1;
    EXPECT_TRUE(played.RegReadNumber("Score", value)) << "the refused close stopped the demo";
    EXPECT_EQ(value, recorded);

    // A close that goes through: the shutdown takes nothing recorded, not
    // even the read still waiting in the demo.
    played.refuseQuit = false;
    platform::PostMessageA(Window(), platform::WM_CLOSE, 0, 0);
    Pump();
    ASSERT_TRUE(played.IsQuitting());
    EXPECT_FALSE(played.RegReadNumber("Score", value));
    EXPECT_TRUE(played.RegWriteNumber("Score", 8));
}

TEST_F(DemoTest, ARecordingOnAFreshMachineMakesItsFolderAndIsWritten)
{
    Begin({"-record"});
    const std::string file = app->GetDemoFileName();
    EXPECT_EQ(file, Zolt::GetAppDataFolder() + "zoltapp.dmo");
    StepUntilUpdate(5);
    Finish();
    EXPECT_TRUE(platform::FileExists(file));
}

TEST_F(DemoTest, ARecordingThatCannotBeWrittenIsToldInABoxAtTheEnd)
{
    const auto lastBox = [] {
        const auto boxes = platform::testing::RecordedBoxes();
        return boxes.empty() ? platform::testing::RecordedBox{} : boxes.back();
    };
    // A pipe where the demo is to go is left a pipe.
    ASSERT_EQ(mkfifo(DemoPath().c_str(), 0644), 0);
    Begin({"-record", "-demofile=" + DemoPath()});
    StepUntilUpdate(5);
    Finish();
    EXPECT_EQ(lastBox().caption, "Demo");
    EXPECT_EQ(lastBox().text.rfind("The demo was not kept:\nit is not a regular file (a pipe, a device or a "
                                   "socket); nothing was replaced.\n(write " + DemoPath(),
                                   0),
              0u)
        << lastBox().text;
    struct stat pipe {};
    ASSERT_EQ(lstat(DemoPath().c_str(), &pipe), 0);
    EXPECT_TRUE(S_ISFIFO(pipe.st_mode));

    // A folder the demo may not be written to.
    const std::string other = folder_ / "other.dmo";
    Begin({"-record", "-demofile=" + other});
    StepUntilUpdate(5);
    app->Quit();
    platform::testing::FailNext("WriteFileAtomic.Open", 13);
    Finish();
    EXPECT_EQ(lastBox().caption, "Demo");
    EXPECT_NE(lastBox().text.find("Permission denied"), std::string::npos) << lastBox().text;
    EXPECT_FALSE(platform::FileExists(other));
}

TEST_F(DemoTest, SmallMovesAreShortAndLargerOnesAbsolute)
{
    Begin({"-record", "-demofile=" + DemoPath()});
    StepUntilUpdate(5);
    platform::testing::InjectMouseMove(Window(), 200, 200);
    StepUntilUpdate(7);
    platform::testing::InjectMouseMove(Window(), 231, 169); // (31, -31)
    StepUntilUpdate(9);
    platform::testing::InjectMouseMove(Window(), 263, 169); // (32, 0)
    StepUntilUpdate(11);
    platform::testing::InjectMouseMove(Window(), 270, 169); // along one axis only
    StepUntilUpdate(13);
    platform::testing::InjectMouseMove(Window(), 270, 160);
    StepUntilUpdate(15);
    platform::testing::InjectMouseMove(Window(), 238, 160); // (-32, 0)
    StepUntilUpdate(17);
    platform::testing::InjectMouseMove(Window(), 238, 128); // (0, -32)
    StepUntilUpdate(19);
    Finish();

    std::string contents;
    ASSERT_TRUE(platform::ReadWholeFile(DemoPath(), &contents));
    Zolt::DemoFileData file;
    std::string error;
    ASSERT_TRUE(file.Parse(reinterpret_cast<const uint8_t*>(contents.data()), contents.size(), error)) << error;
    Zolt::DemoStream in;
    in.Load(file.commands);
    std::vector<std::string> moves;
    while (in.ReadHeaderIfNeeded()) {
        const bool isShort = in.PendingShort();
        const int id = in.PendingId();
        in.Consume();
        if (isShort && id == Zolt::kDemoShortMouseMove) {
            const int dx = in.Bits(6, true);
            moves.push_back("short " + std::to_string(dx) + "," + std::to_string(in.Bits(6, true)));
        } else if (!isShort && id == Zolt::kDemoMouseMoveTo) {
            const int x = in.Bits(12, true);
            moves.push_back("to " + std::to_string(x) + "," + std::to_string(in.Bits(12, true)));
        } else {
            in.SkipPayload(isShort, id);
        }
    }
    EXPECT_EQ(moves, (std::vector<std::string>{"to 200,200", "short 31,-31", "to 263,169", "short 7,0", "short 0,-9", "to 238,160", "to 238,128"}));
}

// A demo damaged past its head plays up to the damage, which no whole
// recording holds (a command cut off inside its payload, a command no
// recording writes), and ends there as a failure that says so: what would
// follow drives the game at random.
TEST_F(DemoTest, ADemoDamagedInItsCommandsEndsThePlayAsAFailureSayingWhere)
{
    for (const int id : {int(Zolt::kDemoKeyDown), 13}) {
        Zolt::DemoStream stream;
        stream.WriteHeader(150, false, Zolt::kDemoMouseEnter);
        stream.WriteHeader(250, false, id); // the key's code is missing
        Zolt::DemoFileData file;
        file.finalUpdate = 1000;
        const Zolt::Buffer& data = stream.Data();
        file.commands.assign(data.Bytes(), data.Bytes() + data.ByteSize());
        const std::vector<uint8_t> bytes = file.Serialize();
        platform::testing::WriteTestFile(DemoPath(), std::string(bytes.begin(), bytes.end()));
        Begin({"-play", "-demofile=" + DemoPath()});
        StepUntilUpdate(200);
        ASSERT_FALSE(app->IsQuitting()) << "played up to the damage";
        EXPECT_EQ(ExitCodeOf([&] { StepUntilUpdate(1000); }), 1) << id;
        ASSERT_FALSE(platform::testing::RecordedBoxes().empty());
        EXPECT_EQ(platform::testing::RecordedBoxes().back().text,
                  "The demo file " + DemoPath() + " is damaged: it breaks off after 00:00:02 of play, and cannot be "
                  "played further.");
        TearDown();
    }
}

TEST_F(DemoTest, UnplayableFilesEndTheStartWithTheirMessage)
{
    auto messageFor = [&](const std::string& contents) {
        platform::testing::WriteTestFile(DemoPath(), contents);
        SetArguments({"-play", "-demofile=" + DemoPath()});
        EXPECT_EQ(ExitCodeOf([&] { Make().Initialize(); }), 1);
        app.reset();
        const auto boxes = platform::testing::RecordedBoxes();
        return boxes.empty() ? std::string() : boxes.back().text;
    };
    Zolt::DemoFileData file;
    file.versionText = "9.9 other build";
    const std::vector<uint8_t> bytes = file.Serialize();
    const std::string whole(bytes.begin(), bytes.end());
    EXPECT_NE(messageFor(whole).find("This demo file appears to be for '9.9 other build' (" + DemoPath() + ")"),
              std::string::npos);
    EXPECT_NE(messageFor(whole.substr(0, 10)).find("Invalid demo file. (" + DemoPath() + ")"), std::string::npos);
    platform::DeleteFile(DemoPath());
    SetArguments({"-play", "-demofile=" + DemoPath()});
    EXPECT_EQ(ExitCodeOf([&] { Make().Initialize(); }), 1);
    ASSERT_FALSE(platform::testing::RecordedBoxes().empty());
    EXPECT_NE(platform::testing::RecordedBoxes().back().text.find("Demo file not found: " + DemoPath()),
              std::string::npos);
}

// A recording whose run went on for a second after its last input plays to
// its end and past it; a copy cut short anywhere, between two commands as inside
// one, ends the play where it breaks off, as a failure: what the missing
// commands would have done to the run can only be guessed, and a played
// demo's window takes no input that could go on in their place.
TEST_F(DemoTest, ARecordingPlaysPastItsEndAndACopyCutAnywhereEndsThePlayWhereItBreaksOff)
{
    Begin({"-record", "-demofile=" + DemoPath()});
    for (int group = 0; group < 4; ++group) {
        StepUntilUpdate(20 + group * 30);
        const int x = 40 + group * 90;
        platform::testing::InjectMouseMove(Window(), x, 30);
        platform::testing::InjectMouseButton(Window(), 1, true, x, 30);
        platform::testing::InjectMouseButton(Window(), 1, false, x, 30);
        platform::testing::InjectMouseMove(Window(), x + 5, 33);
        platform::testing::InjectKey(Window(), 'K', true);
        platform::testing::InjectText(Window(), "k");
        platform::testing::InjectKey(Window(), 'K', false);
    }
    StepUntilUpdate(210);
    Finish();
    const std::string whole = platform::testing::ReadTestFile(DemoPath());
    const Zolt::DemoFileData file = demo_testing::ParseDemo(whole);
    ASSERT_EQ(file.finalUpdate, 210);
    const std::vector<demo_testing::StreamCommand> commands = demo_testing::CommandsWithPlaces(file.commands);
    ASSERT_GT(commands.size(), 30u);
    EXPECT_EQ(commands.back().name, "long 31") << "the recording's closing command";
    EXPECT_EQ(commands.back().update, 210);

    EXPECT_EQ(PlayTo(300), std::nullopt) << LastBoxText();
    EXPECT_EQ(app->UpdateCount(), 300);
    EXPECT_FALSE(app->IsQuitting());
    EXPECT_TRUE(platform::testing::RecordedBoxes().empty());
    const std::vector<std::string> events = log_;
    EXPECT_NE(std::find(events.begin(), events.end(), "w:down 310,30 1"), events.end()) << "the last click played";
    TearDown();

    // Where a cut breaks off: the update of the command it cuts into, when
    // that command's header is whole; else that of the last whole command.
    const auto breaksOffAt = [&](int bits) {
        int update = 0;
        int start = 0;
        for (const demo_testing::StreamCommand& command : commands) {
            const int header = command.name.rfind("short", 0) == 0 ? 6 : 10;
            if (command.endBit > bits)
                return bits - start >= header ? command.update : update;
            update = command.update;
            start = command.endBit;
        }
        return update;
    };
    std::vector<int> cuts;
    for (size_t i = 0; i + 1 < commands.size(); ++i)
        cuts.push_back(commands[i].endBit);
    for (size_t bytes = 0; bytes < file.commands.size(); ++bytes)
        cuts.push_back(int(bytes * 8));
    for (const int bits : cuts) {
        platform::testing::WriteTestFile(DemoPath(),
                                         demo_testing::FileWith(file, demo_testing::FirstBits(file.commands, bits)));
        EXPECT_EQ(PlayTo(300), 1) << "cut at bit " << bits;
        EXPECT_EQ(LastBoxText(), "The demo file " + DemoPath() + " is damaged: it breaks off after " +
                                     Zolt::DemoClockText(breaksOffAt(bits), 10) +
                                     " of play, and cannot be played further.")
            << "cut at bit " << bits;
        TearDown();
        platform::testing::ResetWindowSystem(); // the boxes shown, each with its picture
    }
}

// A recording of an earlier build ended its stream at its last command, with
// no closing command after it: played, it is whole when the recorded run's
// quit comes by the update the recording ended at, and cut short when the
// play passes that update without it; the play then ends where its commands
// end. A file of this build without its closing command ends at the cut.
TEST_F(DemoTest, AnEarlierBuildsRecordingEndingAtItsLastCommandIsJudgedByTheQuitItRecorded)
{
    Begin({"-record", "-demofile=" + DemoPath()});
    StepUntilUpdate(20);
    platform::testing::InjectKey(Window(), 'K', true);
    StepUntilUpdate(45);
    platform::testing::InjectKey(Window(), 'K', false);
    StepUntilUpdate(80);
    platform::PostMessageA(Window(), platform::WM_CLOSE, 0, 0);
    Pump();
    ASSERT_TRUE(app->IsQuitting());
    Finish();
    Zolt::DemoFileData file = demo_testing::ParseDemo(platform::testing::ReadTestFile(DemoPath()));
    EXPECT_EQ(file.version, 3u);
    const std::vector<demo_testing::StreamCommand> commands = demo_testing::CommandsWithPlaces(file.commands);
    ASSERT_GE(commands.size(), 4u);
    ASSERT_EQ(commands.back().name, "long 31") << "the closing command";
    const int finalUpdate = file.finalUpdate;
    ASSERT_GE(finalUpdate, 80);
    // Up to the command at `index`, as an earlier build wrote it.
    const auto earlierBuilds = [&](size_t index) {
        Zolt::DemoFileData earlier = file;
        earlier.version = 2;
        return demo_testing::FileWith(earlier, demo_testing::FirstBits(file.commands, commands[index].endBit));
    };

    // The whole recording: its last command is the close.
    platform::testing::WriteTestFile(DemoPath(), earlierBuilds(commands.size() - 2));
    EXPECT_EQ(PlayTo(finalUpdate + 300), std::nullopt) << LastBoxText();
    EXPECT_TRUE(app->IsQuitting()) << "the recorded close played";
    EXPECT_LE(app->UpdateCount(), finalUpdate);
    EXPECT_TRUE(platform::testing::RecordedBoxes().empty());
    TearDown();

    // Cut before the close: nothing shows it until the recorded end passes.
    size_t lastKey = 0;
    for (size_t i = 0; i < commands.size(); ++i)
        if (commands[i].update <= 45 && commands[i].name != "long 31")
            lastKey = i;
    platform::testing::WriteTestFile(DemoPath(), earlierBuilds(lastKey));
    EXPECT_EQ(PlayTo(finalUpdate), std::nullopt) << LastBoxText();
    EXPECT_FALSE(app->IsQuitting());
    EXPECT_EQ(ExitCodeOf([&] { StepUntilUpdate(finalUpdate + 300); }), 1);
    EXPECT_EQ(app->UpdateCount(), finalUpdate + 1);
    EXPECT_EQ(LastBoxText(), "The demo file " + DemoPath() + " is damaged: it breaks off after " +
                                 Zolt::DemoClockText(commands[lastKey].update, 10) +
                                 " of play, and cannot be played further.");
    TearDown();
    platform::testing::ResetWindowSystem();

    // The same cut in a file of this build: it ends at the cut.
    Zolt::DemoFileData cut = file;
    platform::testing::WriteTestFile(
        DemoPath(), demo_testing::FileWith(cut, demo_testing::FirstBits(file.commands, commands[lastKey].endBit)));
    EXPECT_EQ(PlayTo(finalUpdate + 300), 1);
    EXPECT_LT(app->UpdateCount(), finalUpdate);
}

// What ends a recording without input at its last update plays whole: a
// run that recorded nothing but its start, and the demo a crash leaves,
// closed at the update it came. Once played, the program stands as the
// recorded run did when it ended.
TEST_F(DemoTest, ARecordingOfNothingAndTheDemoACrashLeavesPlayWhole)
{
    Begin({"-record", "-demofile=" + DemoPath()});
    Finish();
    ASSERT_EQ(demo_testing::ParseDemo(platform::testing::ReadTestFile(DemoPath())).finalUpdate, 0);
    EXPECT_EQ(PlayTo(100), std::nullopt) << LastBoxText();
    EXPECT_EQ(app->loadDoneCalls, 1);
    TearDown();

    Begin({"-record", "-demofile=" + DemoPath()});
    StepUntilUpdate(40);
    platform::testing::InjectMouseButton(Window(), 1, true, 60, 70);
    StepUntilUpdate(75);
    app->SaveDemoForCrash();
    Finish();
    ASSERT_EQ(demo_testing::ParseDemo(platform::testing::ReadTestFile(DemoPath())).finalUpdate, 75);
    EXPECT_EQ(PlayTo(600), std::nullopt) << LastBoxText();
    EXPECT_EQ(app->UpdateCount(), 600);
    EXPECT_NE(std::find(log_.begin(), log_.end(), "w:down 60,70 1"), log_.end());
}

TEST_F(DemoTest, PlaybackKeysSetTheSpeedJumpBackFromTheEndAndPause)
{
    PlayEmptyDemo(100000); // 1000 s at 10 ms
    Type('+');
    EXPECT_DOUBLE_EQ(app->demoSpeed, 1.5);
    Type('=');
    Type('7');
    EXPECT_DOUBLE_EQ(app->demoSpeed, 1.0);
    EXPECT_EQ(app->DemoJumpTarget(), 100000 - 3000);
    Type('p');
    EXPECT_TRUE(app->IsDemoPaused());
}

TEST_F(DemoTest, MarkerListOffersTheMarkersAheadTimedFromTheEndAndJumpsToTheChosenOne)
{
    PlayEmptyDemo(100000, {{"early", 5}, {"late", 99000}});
    platform::testing::ScriptAnswer("ListDialog", 0);
    app->ShowMarkerList();
    const auto boxes = platform::testing::RecordedBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().caption, "Marker List");
    EXPECT_EQ(boxes.back().items, (std::vector<std::string>{"late (00:00:10)"}));
    EXPECT_EQ(app->DemoJumpTarget(), 99000);
}

TEST_F(DemoTest, JumpBoxJumpsToTheTimeLeftAndOffersItAgainNextTime)
{
    PlayEmptyDemo(100000);
    platform::testing::ScriptAnswer("TextDialog", platform::testing::ScriptedAnswer{platform::IDOK, "1:30"});
    app->ShowJumpDialog();
    EXPECT_EQ(app->DemoJumpTarget(), 100000 - 91 * 100);
    platform::testing::ScriptAnswer("TextDialog", platform::IDCANCEL);
    app->ShowJumpDialog();
    const auto boxes = platform::testing::RecordedBoxes();
    EXPECT_EQ(boxes.back().caption, "Jump To Time");
    EXPECT_EQ(boxes.back().text, "1:30");
    EXPECT_EQ(app->DemoJumpTarget(), 100000 - 91 * 100) << "a cancelled box jumps nowhere";
}

TEST_F(DemoTest, JumpBoxKeepsItsFirst500Characters)
{
    PlayEmptyDemo(100000);
    platform::testing::ScriptAnswer("TextDialog",
                                    platform::testing::ScriptedAnswer{platform::IDOK, std::string(600, '0')});
    app->ShowJumpDialog();
    platform::testing::ScriptAnswer("TextDialog", platform::IDCANCEL);
    app->ShowJumpDialog();
    EXPECT_EQ(platform::testing::RecordedBoxes().back().text, std::string(500, '0'));
}

TEST_F(DemoTest, SoundKeySilencesAndAQuitWhileSilencedGivesThePlayersLevelsBack)
{
    PlayEmptyDemo(100000);
    app->SetMusicLevel(0.6);
    app->SetEffectsLevel(0.4);
    for (const auto& [music, effects] : {std::pair{0.0, 0.0}, {0.6, 0.4}, {0.0, 0.0}}) {
        Type('s');
        EXPECT_DOUBLE_EQ(app->MusicLevel(), music);
        EXPECT_DOUBLE_EQ(app->EffectsLevel(), effects);
    }
    app->Quit();
    EXPECT_DOUBLE_EQ(app->MusicLevel(), 0.6);
    EXPECT_DOUBLE_EQ(app->EffectsLevel(), 0.4);
}

TEST_F(DemoTest, OneUpdateKeyStepsAPausedDemoExactlyOnce)
{
    PlayEmptyDemo(5000);
    Type('p');
    ASSERT_TRUE(app->IsDemoPaused());
    const int before = app->UpdateCount();
    Type('n');
    for (int i = 0; i < 50; ++i)
        app->RunLoopStep(nullptr);
    EXPECT_EQ(app->UpdateCount(), before + 1);
}

TEST_F(DemoTest, JumpToTheEndRunsMutedASecondAtATimeAndTakesTheWindowsMessagesBetween)
{
    PlayEmptyDemo(5000);
    const int mutes = app->GetMuteCount();
    // Each update takes a millisecond: the jump runs a second at a time and
    // the window's messages are taken in between.
    probe_->onTick = [&] { clock_.AdvanceMilliseconds(1); };
    Type('p');
    ASSERT_TRUE(app->IsDemoPaused());
    Type('0');
    platform::PostMessageA(Window(), platform::WM_CHAR, platform::WPARAM('p'), 0);
    app->RunLoopStep(nullptr); // a second more of the jump
    app->RunLoopStep(nullptr);
    EXPECT_FALSE(app->IsDemoPaused());
    EXPECT_LT(app->UpdateCount(), 5000);
    for (int i = 0; i < 50 && app->UpdateCount() < 5000; ++i)
        app->RunLoopStep(nullptr);
    EXPECT_EQ(app->UpdateCount(), 5000);
    EXPECT_EQ(app->GetMuteCount(), mutes); // the jump's muting is undone
}

TEST_F(DemoTest, TimeLeftStaysAtNothingPastTheEnd)
{
    PlayEmptyDemo(50);
    StepUntilUpdate(150);
    EXPECT_EQ(app->DemoTimeText(), "00:00:00");
}

TEST_F(DemoTest, TransferResultsAreRecordedAndPlayedWithoutTheNetwork)
{
    Begin({"-record", "-demofile=" + DemoPath()});
    StepUntilUpdate(5);
    int recordedId = 0;
    {
        // Held until the pending state is recorded: two results, whenever
        // the worker runs.
        LoopbackHttpServer::Answer page = LoopbackHttpServer::Reply("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\npage");
        page.heldUntilReleased = true;
        LoopbackHttpServer server({page});
        Zolt::HTTPTransfer transfer;
        transfer.Submit(server.Url(), "GET / HTTP/1.0\r\n\r\n");
        recordedId = transfer.TransferId();
        ASSERT_EQ(transfer.Outcome(), Zolt::HTTPTransfer::kPending);
        server.Release();
        test_support::WaitUntil([&] { return transfer.Outcome() != Zolt::HTTPTransfer::kPending; });
        ASSERT_EQ(transfer.Outcome(), Zolt::HTTPTransfer::kFinished);
    }
    Finish();
    std::string contents = platform::testing::ReadTestFile(DemoPath());
    Zolt::DemoFileData file;
    std::string error;
    ASSERT_TRUE(file.Parse(reinterpret_cast<const uint8_t*>(contents.data()), contents.size(), error));
    Zolt::DemoStream in;
    in.Load(file.commands);
    std::vector<std::string> results;
    while (in.ReadHeaderIfNeeded()) {
        const bool isShort = in.PendingShort();
        const int id = in.PendingId();
        in.Consume();
        if (!isShort && id == Zolt::kDemoTransfer) {
            const int transferId = int(in.U32());
            const int result = in.Bits(8, false);
            std::vector<uint8_t> text;
            in.Bytes(uint32_t(in.Bits(16, false)), text);
            results.push_back(std::to_string(transferId - recordedId) + ":" + std::to_string(result) + ":" +
                              std::string(text.begin(), text.end()));
        } else {
            in.SkipPayload(isShort, id);
        }
    }
    // Each change the program saw is recorded once: the pending state (the
    // answer was held until the program had looked), then the end.
    EXPECT_EQ(results, (std::vector<std::string>{"0:" + std::to_string(Zolt::HTTPTransfer::kPending) + ":",
                                                  "0:" + std::to_string(Zolt::HTTPTransfer::kFinished) + ":page"}));

    // Played back: the transfer gets the recorded reply, nothing listens.
    Zolt::HTTPTransfer transfer;
    transfer.SetupFromUrl("http://127.0.0.1:" + std::to_string(LoopbackHttpServer::UnusedPort()) + "/");
    Zolt::DemoStream out;
    out.WriteHeader(0, false, Zolt::kDemoScreenMode);
    out.Data().PutByte(1);
    out.Data().PutByte(60);
    // Another transfer's result first, then this one's, then the close.
    for (const auto& [update, id, page] : {std::tuple{3, transfer.TransferId() + 1, "another page"},
                                           std::tuple{8, transfer.TransferId(), "recorded page"}}) {
        out.WriteHeader(update, false, Zolt::kDemoTransfer);
        out.Data().PutU32(id);
        out.Data().PutByte(uint8_t(Zolt::HTTPTransfer::kFinished));
        out.Data().PutText(page);
    }
    out.WriteHeader(10, false, Zolt::kDemoClose);
    WriteDemo(out, 20);
    Begin({"-play", "-demofile=" + DemoPath()});
    transfer.Launch();
    for (int update : {3, 6}) {
        StepUntilUpdate(update);
        EXPECT_EQ(transfer.Outcome(), Zolt::HTTPTransfer::kPending) << update;
    }
    StepUntilUpdate(8);
    EXPECT_EQ(transfer.Outcome(), Zolt::HTTPTransfer::kFinished);
    EXPECT_EQ(transfer.Content(), "recorded page");
    StepUntilUpdate(12);
    EXPECT_TRUE(app->IsQuitting()) << "the commands behind the results still play";
}

TEST_F(DemoTest, AltEnterIsRecordedAsTheScreenModeItCausesNotAsAKey)
{
    Begin({"-record", "-demofile=" + DemoPath()});
    StepUntilUpdate(5);
    platform::SendMessageA(Window(), platform::WM_SYSKEYDOWN, platform::VK_RETURN, platform::LPARAM(1) << 29);
    StepUntilUpdate(10);
    ASSERT_FALSE(app->isWindowed);
    Finish();
    std::string contents = platform::testing::ReadTestFile(DemoPath());
    Zolt::DemoFileData file;
    std::string error;
    ASSERT_TRUE(file.Parse(reinterpret_cast<const uint8_t*>(contents.data()), contents.size(), error));
    Zolt::DemoStream in;
    in.Load(file.commands);
    int keyDowns = 0;
    int screenModes = 0;
    while (in.ReadHeaderIfNeeded()) {
        const bool isShort = in.PendingShort();
        const int id = in.PendingId();
        in.Consume();
        keyDowns += !isShort && id == Zolt::kDemoKeyDown;
        screenModes += !isShort && id == Zolt::kDemoScreenMode;
        in.SkipPayload(isShort, id);
    }
    EXPECT_EQ(keyDowns, 0);
    EXPECT_GE(screenModes, 2); // the first display and the switch

    Begin({"-play", "-demofile=" + DemoPath()});
    ASSERT_TRUE(app->windowedWanted);
    StepUntilUpdate(10);
    EXPECT_FALSE(app->windowedWanted) << "played back, the switch is wanted again";
    EXPECT_EQ(app->refreshRate, 60);
}

// A screen that cannot hold the window with its frame: every run covers
// the screen, and so does a played demo, which would otherwise stand in a
// window whose bottom rows (part of the action strip) lie off the screen.
TEST_F(DemoTest, APlayedDemoStandsWholeOnAScreenThatCannotHoldItsWindow)
{
    platform::testing::SetDesktopMode(platform::DesktopMode{1024, 768, 32, 60});
    for (const char* mode : {"-record", "-play"}) {
        SetArguments({mode, "-demofile=" + DemoPath()});
        TestApp& run = Make();
        run.width = 1024;
        run.height = 768;
        run.Initialize();
        // The window with its frame, if it has one.
        platform::RECT whole{};
        ASSERT_TRUE(platform::GetWindowRect(run.GetMainWindow(), &whole));
        EXPECT_GE(whole.left, 0) << mode;
        EXPECT_GE(whole.top, 0) << mode;
        EXPECT_LE(whole.right, 1024) << mode;
        EXPECT_LE(whole.bottom, 768) << mode;
        platform::RECT client{};
        ASSERT_TRUE(platform::GetClientRect(run.GetMainWindow(), &client));
        EXPECT_EQ(client.right - client.left, 1024) << mode;
        EXPECT_EQ(client.bottom - client.top, 768) << mode;
        app.reset();
    }
}
