// The application's side of demo recording and playback: the owned recorder
// keeps the stream, this file feeds it and applies what a played demo says,
// and runs the developer's playback controls (the marker list and the jump
// box, fast-forwarding, the demo's sound). Main thread.
#include "framework/app/ZoltAppBase.h"

#include "framework/app/DemoPlaybackControls.h"
#include "framework/app/DemoRecorder.h"
#include "framework/app/ProblemReporter.h"
#include "framework/app/RegistrySettings.h"
#include "framework/base/PathUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/core/Clock.h"
#include "platform/core/DebugOutput.h"
#include "platform/core/Process.h"
#include "platform/window/SystemDialogs.h"

#include <cstdio>
#include <set>

using namespace platform;

namespace Zolt {

// Applies a played demo's input as the queued input would be applied.
class ZoltAppBase::PlaybackInput final : public DemoInput {
public:
    explicit PlaybackInput(ZoltAppBase& app) : app_(app) {}

    bool IsStopped() override { return app_.quit_; }
    void MouseMove(int x, int y) override
    {
        app_.widgetManager->MapWindowToWidgetCoords(x, y);
        app_.widgetManager->HandleMouseMove(x, y);
    }
    void MouseButton(int x, int y, int code, bool down) override
    {
        app_.widgetManager->MapWindowToWidgetCoords(x, y);
        if (down)
            app_.widgetManager->HandleMouseDown(x, y, code);
        else
            app_.widgetManager->HandleMouseUp(x, y, code);
    }
    void MouseEnter() override
    {
        app_.mouseInWindow_ = true;
        app_.UpdateCursor();
    }
    void MouseLeave(int x, int y) override
    {
        // The manager's exit takes the place, mapped as for any pointer event, and reads none.
        app_.widgetManager->MapWindowToWidgetCoords(x, y);
        app_.widgetManager->HandleMouseExit(x, y);
        app_.mouseInWindow_ = false;
        app_.UpdateCursor();
    }
    void Wheel(int steps) override { app_.widgetManager->HandleMouseWheel(steps); }
    void Key(int key, bool down) override
    {
        if (down)
            app_.widgetManager->HandleKeyDown(key);
        else
            app_.widgetManager->HandleKeyUp(key);
    }
    void Char(int character) override { app_.widgetManager->HandleChar(char(uint8_t(character))); }
    void Activate(bool active) override
    {
        app_.active_ = active;
        app_.ApplyActivation();
    }
    void Minimize(bool minimized) override { app_.ApplyMinimized(minimized); }
    void Close() override { app_.Quit(); }
    void ScreenMode(bool windowed, int refreshRate) override
    {
        app_.windowedWanted = windowed;
        app_.refreshRate = refreshRate;
    }

private:
    ZoltAppBase& app_;
};

// ---- The recorder ----

bool ZoltAppBase::IsRecordingDemo() const { return demo_->IsRecording(); }

bool ZoltAppBase::IsPlayingDemo() const { return demo_->IsPlaying(); }

bool ZoltAppBase::IsPlayingDemo() { return demo_->IsPlaying(); }

const std::string& ZoltAppBase::GetDemoFileName() const { return demo_->FileName(); }

int ZoltAppBase::DemoFinalUpdate() const { return demo_->FinalUpdate(); }

const std::vector<DemoMarker>& ZoltAppBase::DemoMarkers() const { return demo_->Markers(); }

void ZoltAppBase::AddDemoMarker(const std::string& name) { demo_->AddMarker(name); }

void ZoltAppBase::DemoRelayBuffer(Buffer& buffer) { demo_->RelayBuffer(buffer); }

void ZoltAppBase::DemoRelayFlag(bool& flag) { demo_->RelayFlag(flag); }

void ZoltAppBase::DemoRelayText(std::string& text) { demo_->RelayText(text); }

bool ZoltAppBase::LoadFileIntoBuffer(const std::string& fileName, Buffer& out, bool notRecorded)
{
    return demo_->LoadFileIntoBuffer(fileName, out, notRecorded);
}

int ZoltAppBase::DemoFileNameFor(int count, bool deleteOld)
{
    return DemoRecorder::HighestNumberedDemo(NumberedDemoBase(), count, deleteOld);
}

std::string ZoltAppBase::NumberedDemoBase() const
{
    const std::string folder = Zolt::GetAppDataFolder();
    return IsAbsolutePath(demoBaseName) || folder.empty() ? demoBaseName : folder + demoBaseName;
}

namespace {

// "2nd", "3rd", "11th", "21st", ...
std::string Ordinal(int n)
{
    const int lastTwo = n % 100;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        switch (n % 10) {
        case 1: suffix = "st"; break;
        case 2: suffix = "nd"; break;
        case 3: suffix = "rd"; break;
        default: break;
        }
    }
    return std::to_string(n) + suffix;
}

// `option` asked for the `back`-th latest numbered demo, and there are
// fewer: what was asked for, and which there are.
std::string FewerNumberedDemosText(const std::string& option, int back, const std::string& base,
                                   const std::set<int>& numbers)
{
    const auto file = [&base](int number) { return base + std::to_string(number) + ".dmo"; };
    const std::string asked =
        option + " asks for the " + (back == 1 ? std::string("latest") : Ordinal(back) + " latest") + " numbered demo";
    if (numbers.empty())
        return asked + ", but there is none: no file " + base + "<number>.dmo was found.";
    if (numbers.size() == 1)
        return asked + ", but there is only one: " + file(*numbers.begin()) + ".";
    return asked + ", but there are only " + std::to_string(numbers.size()) + ": " + file(*numbers.begin()) +
           " to " + file(*numbers.rbegin()) + ".";
}

} // namespace

void ZoltAppBase::PlaceNumberedDemo()
{
    if (!numberedDemo_)
        return;
    const NumberedDemoRequest request = *numberedDemo_;
    numberedDemo_.reset();
    const std::string base = NumberedDemoBase();
    if (!request.record) {
        const std::set<int> numbers = DemoRecorder::NumberedDemos(base);
        if (int(numbers.size()) < request.value) {
            ShowError(FewerNumberedDemosText(request.option, request.value, base, numbers));
            FatalExit(1);
        }
    }
    const int highest = DemoFileNameFor(request.record ? request.value : 0, request.record);
    const int number = request.record ? highest + 1 : highest - (request.value - 1);
    demo_->SetFileName(base + std::to_string(number) + ".dmo");
}

bool ZoltAppBase::ReadDemoFile(std::string& error) { return demo_->ReadFile(productVersion, timeLoaded_, error); }

bool ZoltAppBase::WriteDemoFile(platform::FileError* error) { return demo_->WriteFile(timeLoaded_, productVersion, error); }

void ZoltAppBase::KeepRecordedDemo()
{
    platform::FileError error;
    if (WriteDemoFile(&error))
        return;
    Problem problem;
    problem.subject = ProblemSubject::Demo;
    problem.what = "The demo was not kept";
    problem.SetFailure(error);
    // The recording is written last of all, when the game's notice has gone.
    ProblemReporter::Instance().Tell(problem, true);
}

long ZoltAppBase::RelayClockReading(long reading)
{
    ZoltAppBase* app = Instance();
    if (!app)
        return reading;
    Buffer value;
    value.PutU32(int32_t(reading));
    app->DemoRelayBuffer(value);
    // A played value of another size is no reading of this clock.
    if (value.ByteSize() != 4)
        return reading;
    value.Rewind();
    return long(value.TakeU32());
}

void ZoltAppBase::SaveDemoForCrash()
{
    if (demo_->IsRecording()) {
        platform::FileError error;
        // The crash window names the demo; where it was not written, the
        // reason goes where a box cannot come now.
        if (WriteDemoFile(&error))
            crashDemoFile_ = demo_->FileName();
        else
            std::fputs(("The demo was not kept: " + error.Text() + "\n").c_str(), stderr);
    }
    demo_->StopAll();
}

bool ZoltAppBase::ReadScreenModeCommand() { return demo_->ReadScreenModeCommand(windowedWanted, refreshRate); }

void ZoltAppBase::RecordScreenMode() { demo_->RecordScreenMode(windowedWanted, refreshRate); }

void ZoltAppBase::RecordInput(const QueuedMessage& msg)
{
    demo_->RecordInput(msg, mainWindow_, !windowedRefused_ && !fullScreenFailed_);
}

void ZoltAppBase::RecordSimpleCommand(int id) { demo_->RecordCommand(id); }

void ZoltAppBase::PlayDemoCommand()
{
    PlaybackInput input(*this);
    demo_->PlayDueCommands(input);
    if (!demo_->IsFeeding())
        return;
    // A damaged demo plays up to where it breaks off, or to the end of the
    // recorded run where the damage lies in what the shutdown reads. An
    // earlier build's recording, which may end at its last command, is cut
    // short only when its recorded quit has not come by the update the
    // recording ended at.
    int breaksOffAt = -1;
    if (demo_->IsCutShort() && (demo_->HasEnded() || quit_))
        breaksOffAt = updateCount_;
    else if (demo_->EndsAtItsLastCommand() && demo_->HasEnded() && !quit_ && updateCount_ > demo_->FinalUpdate())
        breaksOffAt = demo_->Stream().LastCommandUpdate();
    if (breaksOffAt < 0)
        return;
    // What follows the damage would drive the game at random (and could
    // well close it as a success); a demo cut between two commands would
    // leave the game standing with input nobody can give (a played demo's
    // window takes none). The playback ends here, as a failure.
    demo_->StopPlaying();
    const std::string message = "The demo file " + demo_->FileName() + " is damaged: it breaks off after " +
                                DemoClockText(breaksOffAt, frameTime) + " of play, and cannot be played further.";
    if (quit_) {
        // Found by the shutdown the demo's own close began, when the
        // window has gone: the box stands by itself.
        MessageBoxA(nullptr, message.c_str(), LookupTextNarrow("FATAL_ERROR", "FATAL ERROR").c_str(), MB_ICONERROR);
    } else {
        ShowError(message);
    }
    FatalExit(1);
}

// ---- The developer's playback controls ----

int ZoltAppBase::DemoJumpTarget() const { return playback_->JumpTarget(); }

bool ZoltAppBase::IsDemoPaused() const { return playback_->IsPaused(); }

bool ZoltAppBase::IsDemoSkippingToEnd() const { return playback_->IsSkippingToEnd(); }

std::string ZoltAppBase::DemoTimeText() const
{
    return DemoClockText(int64_t(demo_->FinalUpdate()) - updateCount_, frameTime);
}

DemoPlaybackControls::Position ZoltAppBase::PlaybackPosition() const
{
    return DemoPlaybackControls::Position{updateCount_, demo_->FinalUpdate(), frameTime};
}

void ZoltAppBase::HandlePlaybackChar(int c)
{
    switch (playback_->HandleKey(c, PlaybackPosition(), demoSpeed)) {
    case DemoPlaybackControls::Request::ResetFrameTiming: ResetFrameTiming(false); break;
    case DemoPlaybackControls::Request::ShowJumpDialog: ShowJumpDialog(); break;
    case DemoPlaybackControls::Request::ShowMarkerList: ShowMarkerList(); break;
    case DemoPlaybackControls::Request::ToggleSound: ToggleDemoSound(); break;
    case DemoPlaybackControls::Request::None: break;
    }
}

void ZoltAppBase::ToggleDemoSound()
{
    const auto next = playback_->ToggleSound({MusicLevel(), EffectsLevel()});
    SetMusicLevel(next.music);
    SetEffectsLevel(next.effects);
}

void ZoltAppBase::RestoreDemoSound()
{
    if (const auto music = playback_->MusicToRestore(MusicLevel()))
        SetMusicLevel(*music);
    if (const auto effects = playback_->EffectsToRestore(EffectsLevel()))
        SetEffectsLevel(*effects);
}

void ZoltAppBase::ShowMarkerList()
{
    const auto choices = DemoPlaybackControls::UpcomingMarkers(demo_->Markers(), PlaybackPosition());
    std::vector<std::string> items;
    for (const auto& choice : choices)
        items.push_back(choice.text);
    EnterSystemDialog();
    const int chosen = ChooseFromList(mainWindow_, "Marker List", items);
    LeaveSystemDialog();
    if (chosen >= 0 && size_t(chosen) < choices.size() && choices[size_t(chosen)].update > updateCount_)
        playback_->JumpToUpdate(choices[size_t(chosen)].update);
}

void ZoltAppBase::ShowJumpDialog()
{
    // The last time asked for lives in the application key, read and written
    // directly: it is the developer's, not part of the played run.
    const std::string initial = settings_->ReadUnrecordedText("DemoJumpTime", 1000);
    EnterSystemDialog();
    const std::optional<std::string> answer = EnterText(mainWindow_, "Jump To Time", initial, 500);
    LeaveSystemDialog();
    if (!answer)
        return;
    settings_->WriteUnrecordedText("DemoJumpTime", *answer);
    playback_->JumpToTimeLeft(*answer, PlaybackPosition());
}

bool ZoltAppBase::IsDemoFastForwarding() const
{
    return demo_->IsPlaying() && playback_->IsFastForwarding(updateCount_, demo_->HasEnded());
}

void ZoltAppBase::FastForwardDemo()
{
    if (playback_->BeginJumpMute())
        Silence(true);
    const uint32_t start = timeGetTime();
    while (IsDemoFastForwarding() && !quit_) {
        PlayDemoCommand();
        if (!GuardedUpdate())
            break;
        ProcessDeletions();
        if (timeGetTime() - start >= 1000)
            break;
    }
    PlayDemoCommand();
    if (!IsDemoFastForwarding()) {
        if (playback_->EndJump())
            Unsilence(true);
        ResetFrameTiming(false);
    }
    // Once a second while running on, and once at the end of a jump (a
    // single update included).
    forceRedraw_ = true;
    RedrawIfNeeded();
    loopState_ = LoopState::Finished;
}

} // namespace Zolt
