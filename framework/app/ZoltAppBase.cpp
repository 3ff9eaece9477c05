// Construction, start-up, the background threads, Quit and teardown of the
// application object.
#include "framework/app/ZoltAppBase.h"

#include "framework/app/ProblemReporter.h"

#include "framework/app/AppCursors.h"
#include "framework/app/BackgroundLoader.h"
#include "framework/app/DemoRecorder.h"
#include "framework/app/DeveloperOverlay.h"
#include "framework/app/DialogTable.h"
#include "framework/app/FramePacer.h"
#include "framework/app/ShownPicture.h"
#include "framework/app/ImageRegistry.h"
#include "framework/app/InputQueue.h"
#include "framework/app/RegistrySettings.h"
#include "framework/app/ScreenSaverWatch.h"
#include "framework/app/UrlLauncher.h"
#include "framework/base/PathUtils.h"
#include "framework/base/StringUtils.h"
#include "framework/graphics/DDInterface.h"
#include "framework/resources/ResourceManager.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "imagelib/ImageLib.h"
#include "pak/PakFileFunctions.h"
#include "pak/PakInterface.h"
#include "platform/core/CRuntime.h"
#include "platform/core/Clock.h"
#include "platform/core/DebugOutput.h"
#include "platform/core/FileSystem.h"
#include "platform/core/FileTakeover.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/registry/Registry.h"
#include "platform/ddraw/DirectDraw.h"
#include "platform/window/Cursor.h"
#include "platform/window/Desktop.h"
#include "platform/window/SystemDialogs.h"
#include "platform/window/User32Module.h"
#include "platform/window/Window.h"
#include "platform/window/WindowBackend.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

using namespace platform;

namespace Zolt {

namespace {

std::atomic<ZoltAppBase*> gApp{nullptr};

// Where a missing DirectX runtime can be had.
constexpr const char* kDirectXText =
    "This application requires DirectX to run.  You can get DirectX at http://www.microsoft.com/directx";

} // namespace

ZoltAppBase* ZoltAppBase::Instance() { return gApp.load(); }

ZoltAppBase::ZoltAppBase() : images_(std::make_unique<ImageRegistry>()), input_(std::make_unique<InputQueue>()),
      overlay_(std::make_unique<DeveloperOverlay>()),
      demo_(std::make_unique<DemoRecorder>([this] { return updateCount_; })),
      playback_(std::make_unique<DemoPlaybackControls>()),
      settings_(std::make_unique<RegistrySettings>(registryKey, *demo_)),
      pacer_(std::make_unique<FramePacer>(timeGetTime())),
      shown_(std::make_unique<ShownPicture>()),
      screenSaver_(std::make_unique<ScreenSaverWatch>()),
      loader_(std::make_unique<BackgroundLoader>()),
      url_(std::make_unique<UrlLauncher>())
{
    gApp.store(this);
    SetWidgetHost(this);
    SetImageHost(this);
    SetFontHost(this);

    versionLibrary_ = LoadModule("version.dll");
    ddrawLibrary_ = LoadModule("ddraw.dll");
    dsoundLibrary_ = LoadModule("dsound.dll");
    user32Library_ = LoadModule("user32.dll");
    if (user32Library_)
        getLastInputInfo_ = GetEntryAs<LastInputFn>(user32Library_, "GetLastInputInfo");

    startDirectory = GetProgramFolder();
    productVersion = ReadProductVersion(GetProgramPath());

    timeLoaded_ = GetTickCount();
    constructionTick_ = timeLoaded_;
    for (size_t i = 0; i < identityTable_.size(); ++i)
        identityTable_[i] = static_cast<uint8_t>(i);

    DefineText("DIALOG_BUTTON_OK", L"OK");
    DefineText("DIALOG_BUTTON_CANCEL", L"CANCEL");
    DefineText("UPDATE_CHECK_TITLE", L"Update Check");
    DefineText("UPDATE_CHECK_BODY", L"Checking if there are any updates available for this product ...");
    DefineText("UP_TO_DATE_TITLE", L"Up to Date");
    DefineText("UP_TO_DATE_BODY", L"There are no updates available for this product at this time.");
    DefineText("NEW_VERSION_TITLE", L"New Version");
    DefineText("NEW_VERSION_BODY", L"There is an update available for this product.  Would you like to visit "
                                   L"the web site to download it?");
    demo_->SetFileName(demoBaseName + ".dmo");

    widgetManager = std::make_unique<WidgetManager>(this);
    dialogs_ = std::make_unique<DialogTable>(
        *widgetManager, deletions_,
        DialogTable::ModalHooks{[this] { OnModalDialogAdded(); }, [this] { OnModalDialogRemoved(); }});
    resourceManager = std::make_unique<ResourceManager>(this);
    ImageLib::LoadJ2kCodec();

    fullScreenFlip = GetSystemMetrics(SM_TABLETPC) == 0;
    // Problems with the player's files and settings are shown in the
    // application's box until the game shows them itself.
    ProblemReporter::Instance().SetBox([this](const std::string& text, const std::string& caption) {
        if (!screenSaverMode_) {
            ShowMessageBox(text, caption, MB_OK | MB_ICONWARNING);
            return;
        }
        std::fputs((caption + ": " + text + "\n").c_str(), stderr);
        AppendScreenSaverErrorLog(text);
    });
}

ZoltAppBase::~ZoltAppBase()
{
    ProblemReporter::Instance().SetBox(nullptr);
    Quit();
    runNote_.Join();
    DropOverlays();
    SettleHardwareDrawingChoice();
    ReleaseWindowsAndManagers();
    LeaveProcessServices();
    // Settings that failed after the last look can no longer be shown; they
    // are said where a terminal reads them.
    for (const std::string& warning : platform::TakeRegistryWarnings())
        ProblemReporter::Instance().Say("Settings", "The settings could not be kept as they should be: " + warning + ".");
}

int ZoltAppBase::AskAboutHardwareDrawing(const std::string& textId, const std::string& defaultText)
{
    // Nobody is there to answer when the session ends: no choice is made,
    // and none is stored.
    if (sessionEnding_)
        return 0;
    const std::string caption =
        fullTitle + " " + LookupTextNarrow("HARDWARE_ACCEL_CONFIRMATION", "Hardware Acceleration Confirmation");
    return MessageBoxA(nullptr, LookupTextNarrow(textId, defaultText).c_str(), caption.c_str(),
                       MB_YESNO | MB_ICONQUESTION);
}

void ZoltAppBase::SettleHardwareDrawingChoice()
{
    // Keep the choice made during the run, asking when it was switched on
    // by hand.
    Display3DPath* path3D = display_ ? display_->Get3DPath() : nullptr;
    bool askAboutErrors = true;
    if (switched3DThisRun_ && display_) {
        bool stored = false;
        if (RegReadFlag("Is3D", stored) || TestRecommends3D()) {
            RegWriteFlag("Is3D", display_->IsIn3DMode());
        } else if (display_->IsIn3DMode()) {
            const int answer = AskAboutHardwareDrawing(
                "HARDWARE_ACCEL_SWITCHED_ON",
                "Hardware Acceleration was switched on during this session.\r\nIf this resulted in slower "
                "performance, it should be switched off.\r\nWould you like to keep Hardware Acceleration switched on?");
            display_->Set3DMode(answer == IDYES);
            if (answer == IDYES)
                RegWriteFlag("Is3D", true);
            askAboutErrors = false;
        }
    }
    if (askAboutErrors && path3D && (runtime3DError_ || path3D->HasRuntimeError()) && !screenSaverMode_) {
        const int answer = AskAboutHardwareDrawing(
            "HARDWARE_ACCEL_NOT_WORKING",
            "Hardware Acceleration may not have been working correctly during this session.\r\nIf you noticed "
            "graphics problems, you may want to turn off Hardware Acceleration.\r\nWould you like to keep Hardware "
            "Acceleration switched on?");
        if (answer == IDNO)
            RegWriteFlag("Is3D", false);
    }
}

void ZoltAppBase::ReleaseWindowsAndManagers()
{
    dialogs_->DeleteAll();
    if (invisibleWindow_) {
        SetWindowLongPtrA(invisibleWindow_, GWL_USERDATA, 0);
        DestroyWindow(invisibleWindow_);
        invisibleWindow_ = nullptr;
    }

    // The loading thread works with the managers below: it is waited for
    // before any of them goes.
    JoinLoaderThread();
    pointerThread_.Join();

    deletions_.ProcessDeletions();
    widgetManager.reset();
    // Its records hold shared images, sound ids and fonts: it goes before
    // any of those.
    resourceManager.reset();
    images_->DeleteAllShared();
    // The display's lock goes with the display.
    images_->UseLock(nullptr);
    display_.reset();
    musicInterface_.reset();
    soundManager.reset();
    if (mainWindow_) {
        SetWindowLongPtrA(mainWindow_, GWL_USERDATA, 0);
        DestroyWindow(mainWindow_);
        mainWindow_ = nullptr;
    }
    if (handCursor_)
        DestroyCursor(handCursor_);
    if (dragCursor_)
        DestroyCursor(dragCursor_);
    handCursor_ = dragCursor_ = nullptr;
}

void ZoltAppBase::LeaveProcessServices()
{
    LeaveCrashHandler();
    // A newer application made before this one went keeps its place.
    if (::Zolt::GetFontHost() == static_cast<FontHost*>(this))
        SetFontHost(nullptr);
    if (::Zolt::GetImageHost() == static_cast<ImageHost*>(this))
        SetImageHost(nullptr);
    if (::Zolt::GetWidgetHost() == static_cast<WidgetHost*>(this))
        SetWidgetHost(nullptr);
    ZoltAppBase* self = this;
    if (gApp.compare_exchange_strong(self, nullptr))
        platform::SetClockRelay(nullptr);
    KeepRecordedDemo();
    if (GetHTTPTransferDemoLink() == &demo_->TransferLink())
        SetHTTPTransferDemoLink(nullptr);
    instanceLock_.reset();
    FreeModule(versionLibrary_);
    FreeModule(ddrawLibrary_);
    FreeModule(dsoundLibrary_);
    if (user32Library_)
        FreeModule(user32Library_);
}

void ZoltAppBase::FatalExit(unsigned code) { ExitProcess(code); }

bool ZoltAppBase::IsAbsolutePath(const std::string& path)
{
    if (path.empty())
        return false;
    if (path[0] == '/' || path[0] == '\\')
        return true;
    return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

void ZoltAppBase::Initialize()
{
    mainThreadId_ = GetCurrentThreadId();
    if (quit_)
        return;

    if (!ddrawLibrary_ || !dsoundLibrary_) {
        MessageBoxA(nullptr, LookupTextNarrow("APP_REQUIRES_DIRECTX", kDirectXText).c_str(),
                    LookupTextNarrow("YOU_NEED_DIRECTX", "You need DirectX").c_str(), MB_ICONERROR);
        FatalExit(1);
    }
    // Without a display the program would run unseen until killed.
    if (const std::string failure = platform::WindowSystemFailure(); !failure.empty()) {
        ShowError("The game's window cannot be shown (" + failure + ").");
        // A crash asked for is reported all the same, where a report goes
        // without a window: into its file and onto standard error.
        const std::vector<std::string>& arguments = platform::GetArguments();
        if (std::find(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end(), "-crash") != arguments.end()) {
            SetUpDataFolder();
            KeepUserFilesInDataFolder();
            BecomeCrashHost();
            RaiseCrashReport(); // ends the process
        }
        FatalExit(1);
    }

    OnBeforeReadSettings();
    ReadSettings();
    // What reading them met is told before the game can show it: in a box.
    startWarnings_ = platform::TakeRegistryWarnings();
    SetUpDataFolder();
    ReadStartOptions();
    if (screenSaverMode_)
        singleInstance = false;

    EnterStartDirectory();
    KeepUserFilesInDataFolder();
    PlaceNumberedDemo();
    AddFrameworkArchive();

    notifyMessage_ = RegisterWindowMessageA(("Notify" + productName).c_str());
    // The lock lies beside the player's files it keeps to one copy.
    instanceLock_ = std::make_unique<SingleInstance>(Zolt::GetAppDataFolder(), productName + "Mutex");
    if (!instanceLock_->Acquire())
        OnAlreadyRunning();
    if (singleInstance && instanceLock_->IsFirst())
        TellHowTheLockHolds();

    timeLoaded_ = GetTickCount();
    StartDemo();
    // Both generators start from the demo seed, which a played demo has
    // just taken from its recording: what the main thread draws from them
    // comes back the same in playback.
    platform::srand(timeLoaded_);
    random_.Seed(timeLoaded_);
    MakeInvisibleWindow();
    MakeCursors();

    OnBeforeMainWindow();
    widgetManager->SetInputMapping(Rect(0, 0, width, height), Rect(0, 0, width, height));
    if (windowedWanted &&
        (width >= GetSystemMetrics(SM_CXFULLSCREEN) || height >= GetSystemMetrics(SM_CYFULLSCREEN))) {
        windowedWanted = false;
        windowedRefused_ = true;
    }
    CreateMainWindow();
    if (demo_->IsPlaying())
        ReadScreenModeCommand();

    StartSound();
    if (screenSaverMode_)
        SetCursorIndex(11);

    OnInitialized();
    initialized_ = true;
    BecomeCrashHost();
    if (crashRequested_)
        RaiseCrashReport(); // ends the process
}

void ZoltAppBase::EnterStartDirectory()
{
    if (startDirectory.empty() || OnChangeDirectory(startDirectory) || SetCurrentDirectory(startDirectory))
        return;
    // Everything after is looked for there: going on would blame the first
    // file missing (the archives) for the folder.
    const int error = errno;
    ShowError("Cannot start in the folder " + startDirectory + " (" + DescribeOpenError(error) + ").");
    FatalExit(1);
}

void ZoltAppBase::AddFrameworkArchive()
{
    // Without the archive the framework's files are looked for on disk (a
    // developer's tree); an archive that is there but cannot be used would
    // only show later as missing fonts and pictures, so it is named now.
    AddArchiveOrExit("main.pak", true);
}

void ZoltAppBase::AddRequiredArchive(const std::string& fileName) { AddArchiveOrExit(fileName, false); }

void ZoltAppBase::AddArchiveOrExit(const std::string& fileName, bool mayBeMissing)
{
    PakInterface* pak = GetProcessPakInterface();
    if (!pak)
        return;
    std::string problem;
    if (pak->AddPakArchive(fileName))
        problem = LackingArchiveMembers(fileName);
    // A folder of that name is no missing archive but an unusable one.
    else if (!mayBeMissing || FileExists(fileName))
        problem = pak->LastError();
    if (problem.empty())
        return;
    ShowError("Cannot use the program's archive (" + problem + ").");
    FatalExit(1);
}

std::string ZoltAppBase::LackingArchiveMembers(const std::string& fileName) const
{
    const std::string archive = PathFileName(fileName, false);
    std::vector<std::string> expected;
    for (const ArchiveMember& member : archiveManifest)
        if (archive == member.archive)
            expected.push_back(member.path);
    const std::vector<std::string> lacking = GetProcessPakInterface()->LackingMembers(fileName, expected);
    if (lacking.empty())
        return {};
    // A box of a few lines: the first ones name the damage, the count its size.
    constexpr size_t kNamed = 10;
    std::string names;
    for (size_t i = 0; i < lacking.size() && i < kNamed; ++i)
        names += (i ? ", " : "") + lacking[i];
    if (lacking.size() > kNamed)
        names += " and " + std::to_string(lacking.size() - kNamed) + " more";
    return archive + ": " + std::to_string(lacking.size()) + " of the " + std::to_string(expected.size()) +
           " files it must hold are missing or empty: " + names;
}

void ZoltAppBase::BecomeCrashHost()
{
    SetCrashHost(this);
    if (demo_->IsRecording()) {
        demo_->PrepareCrashImage(timeLoaded_, productVersion);
        SetCrashDemoImage(&demo_->CrashImage(), demo_->FileName());
    }
}

void ZoltAppBase::LeaveCrashHandler()
{
    // A newer application made before this one went keeps its place.
    if (GetCrashHost() != this)
        return;
    SetCrashDemoImage(nullptr, "");
    SetCrashHost(nullptr);
}

void ZoltAppBase::SetUpDataFolder()
{
    // The data folder is the user's own, under the XDG data folder.
    std::string folder = platform::GetUserDataFolder();
    if (folder.empty())
        return;
    folder = EnsureTrailingSeparator(folder, false);
    if (!companyName.empty())
        folder += companyName + "/";
    if (!productName.empty())
        folder += productName + "/";
    SetAppDataFolder(folder);
    if (!IsAbsolutePath(demo_->FileName()))
        demo_->SetFileName(Zolt::GetAppDataFolder() + demo_->FileName());
}

void ZoltAppBase::KeepUserFilesInDataFolder()
{
    const std::string folder = Zolt::GetAppDataFolder();
    if (folder.empty())
        return;
    // Made now: a fault has no time to make it.
    MakeAllDirectories(folder);
    const std::string report = UserFilePath("crash.txt");
    SetCrashReportFile(report);
    // A played demo leaves the user's files as they are.
    if (demo_->IsPlaying())
        return;
    // What a crash cut short while writing its report left beside it.
    platform::RemoveInterruptedWrites(folder);
    const std::string beside = startDirectory.empty() ? "crash.txt" : startDirectory + "/crash.txt";
    const platform::TakeOver taken = platform::TakeOverFile(beside, report);
    using Outcome = platform::TakeOver::Outcome;
    std::string note;
    if (taken.outcome == Outcome::Moved)
        note = "crash.txt (beside the program) was moved to " + report + ", where crash reports are kept now.";
    else if (taken.outcome == Outcome::KeptBeside)
        note = "crash.txt (beside the program) was kept as " + taken.keptAs + " beside the report already in " +
               report + ".";
    else if (taken.outcome == Outcome::Failed)
        note = "crash.txt (beside the program) could not be moved to " + folder + " (" + taken.error.Text() + ").";
    if (!note.empty())
        std::fputs((note + "\n").c_str(), stderr);
}

std::string ZoltAppBase::UserFilePath(const std::string& name)
{
    const std::string folder = Zolt::GetAppDataFolder();
    return folder.empty() ? name : platform::NativePath(folder + name);
}

void ZoltAppBase::StartDemo()
{
    if (demo_->IsPlaying()) {
        std::string error;
        if (!ReadDemoFile(error)) {
            demo_->StopPlaying();
            ShowError(error);
            FatalExit(1);
        }
    }
    // A recording goes into the data folder, which a fresh machine does not
    // have yet; made now, so that neither the end of the run nor a crash
    // finds nowhere to write it.
    if (demo_->IsRecording()) {
        const std::string folder = PathDirectory(demo_->FileName(), false);
        if (!folder.empty())
            MakeAllDirectories(folder);
    }
    // Transfers record and replay their results through the demo, and so do
    // the main thread's readings of the C runtime's clock (the shuffles'
    // seeds).
    if (demo_->IsPlaying() || demo_->IsRecording()) {
        SetHTTPTransferDemoLink(&demo_->TransferLink());
        platform::SetClockRelay(&RelayClockReading);
    }
}

void ZoltAppBase::MakeInvisibleWindow()
{
    WNDCLASSA mainClass{};
    mainClass.style = CS_DBLCLKS;
    mainClass.lpfnWndProc = &ZoltAppBase::MainWindowProcedure;
    mainClass.hInstance = moduleHandle_;
    mainClass.hIcon = LoadIconA(moduleHandle_, "IDI_MAIN_ICON");
    mainClass.lpszClassName = "MainWindow";
    RegisterClassA(&mainClass);
    WNDCLASSA invisibleClass{};
    invisibleClass.lpfnWndProc = &ZoltAppBase::MainWindowProcedure;
    invisibleClass.hInstance = moduleHandle_;
    invisibleClass.lpszClassName = "InvisWindow";
    RegisterClassA(&invisibleClass);

    invisibleWindow_ =
        CreateWindowExA(0, "InvisWindow", windowTitle.c_str(), 0, 0, 0, 0, 0, nullptr, nullptr, moduleHandle_, nullptr);
    if (invisibleWindow_)
        SetWindowLongPtrA(invisibleWindow_, GWL_USERDATA, reinterpret_cast<intptr_t>(this));
}

void ZoltAppBase::StartSound()
{
    if (!soundManager)
        soundManager = std::make_unique<DSoundManager>(mainWindow_, useFmod);
    SetEffectsLevel(effectsVolume);
    musicInterface_.reset(MakeMusicPlayer(invisibleWindow_));
    SetMusicLevel(musicVolume);
}

void ZoltAppBase::MakeCursors()
{
    handCursor_ = CreateCursor(moduleHandle_, kHandCursorHotX, kHandCursorHotY, kCursorSize, kCursorSize,
                               HandCursorAndMask(), HandCursorXorMask());
    dragCursor_ = CreateCursor(moduleHandle_, kDragCursorHotX, kDragCursorHotY, kCursorSize, kCursorSize,
                               DragCursorAndMask(), DragCursorXorMask());
}

void ZoltAppBase::OnAlreadyRunning()
{
    if (!singleInstance)
        return;
    // Windows of this process get the broadcast as on the system.
    PostMessageA(HWND_BROADCAST, notifyMessage_, 0, 0);
    // The first copy hears of us through the instance lock and answers once
    // its window is in front; one that is ending lets go of the lock, and
    // this copy starts in its place.
    const SingleInstance::HandOver handOver =
        instanceLock_ ? instanceLock_->HandOverToFirst(kHandOverPatienceMs) : SingleInstance::HandOver::NoAnswer;
    if (handOver == SingleInstance::HandOver::Acquired)
        return;
    // Started from a terminal, this copy would otherwise end without a word.
    // A first that passed the name over to another user's hold listens
    // nowhere: that is why it cannot answer.
    const std::string unreachable = instanceLock_ ? instanceLock_->Unreachable() : std::string();
    const std::string note =
        productName +
        (handOver == SingleInstance::HandOver::BroughtToFront
             ? " is already running; its window was brought to the front.\n"
         : unreachable.empty()
             ? " is already running over the same player files, but it did not answer; its window "
               "was not brought to the front.\n"
             : " is already running over the same player files, but it cannot be reached: the name " +
                   instanceLock_->ClaimName() + " it would answer on is " + unreachable +
                   "; its window was not brought to the front.\n");
    std::fputs(note.c_str(), stderr);
    // Brought to the front, the player has the game they asked for; a first
    // that did not answer leaves them with none.
    FatalExit(handOver == SingleInstance::HandOver::BroughtToFront ? 0 : 1);
}

void ZoltAppBase::TellHowTheLockHolds()
{
    // Someone else's hold on the name is no copy of the player's: started
    // from a terminal, the player learns why no knock went there.
    if (!instanceLock_->PassedOver().empty()) {
        std::string note = productName + ": the name " + instanceLock_->ClaimName() +
                           ", which keeps one copy of it per data folder, is " + instanceLock_->PassedOver() +
                           "; it is passed over";
        note += instanceLock_->Doubt().empty()
                    ? ", and the lock file " + instanceLock_->LockFilePath() + " keeps a second copy out.\n"
                    : ".\n";
        std::fputs(note.c_str(), stderr);
    }
    if (!instanceLock_->Doubt().empty())
        TellInstanceDoubt(instanceLock_->Doubt());
}

void ZoltAppBase::TellInstanceDoubt(const std::string& why)
{
    // Two copies over one folder undo each other's saves: the player who
    // starts a second one should know that nothing will stop it.
    Problem problem;
    problem.subject = ProblemSubject::PlayerFiles;
    problem.what = productName + " cannot tell whether another copy of it is running over the same player files";
    problem.cause = why;
    problem.outcome = "It goes on; while it runs, do not start it a second time, or one copy may undo what the "
                      "other saved.";
    ProblemReporter::Instance().Tell(problem);
}

void ZoltAppBase::CheckSecondInstances()
{
    // Once an update is enough to bring the window forward at once, and the
    // loop pumps several times an update.
    if (updateCount_ == instanceCheckUpdate_)
        return;
    instanceCheckUpdate_ = updateCount_;
    if (instanceLock_ && instanceLock_->IsFirst() && instanceLock_->TakeNotifications() > 0 && mainWindow_)
        PostMessageA(mainWindow_, notifyMessage_, 0, 0);
}

void ZoltAppBase::BringToFront(WPARAM code, LPARAM extra)
{
    (void)extra;
    if (code != 0 || !mainWindow_)
        return;
    if (IsIconic(mainWindow_))
        ShowWindow(mainWindow_, SW_RESTORE);
    SetForegroundWindow(mainWindow_);
}

CrashSnapshot ZoltAppBase::TakeCrashSnapshot()
{
    return CrashSnapshot{productName, productVersion, constructionTick_, mainThreadId_, &windowedWanted};
}

void ZoltAppBase::PrepareForCrash()
{
    SetMusicLevel(0);
    if (mainWindow_)
        ShowWindow(mainWindow_, SW_HIDE);
    goingDown_ = true;
    UpdateCursor();
}

double ZoltAppBase::BackgroundLoadFraction() { return loader_->Fraction(loadingDone.load(), loadingTotal.load()); }

void ZoltAppBase::Quit()
{
    if (mainThreadId_ != 0 && GetCurrentThreadId() != mainThreadId_) {
        quitFromOtherThread_ = true;
        // The loop may be asleep for a while: it quits at the step it wakes to.
        WakeMainThread();
        return;
    }
    if (quit_.exchange(true))
        return;
    // A new start need not wait for this one's shutdown, nor be told that a
    // window going away came to the front: what the player changed is
    // saved by now.
    if (instanceLock_)
        instanceLock_->Release();
    // The window closed while a demo plays: the close is not in the
    // recording, so what the shutdown reads and writes must not take the
    // recorded values meant for later.
    if (closedByWindow_)
        demo_->NoteClosedDuringPlayback();
    leaveNestedLoops_ = true;
    OnQuitStarted();
    // The cursor thread sees the flag within one of its 10 ms rounds, or
    // when this wakes it from its rest.
    pointerMoved_.Set();
    pointerThread_.Join();
    if (musicInterface_)
        musicInterface_->HaltAllTracks();
    // Settings that cannot be kept are told while the game's window still
    // stands behind the box that says so.
    if (settingsRead_)
        WriteSettings();
    if (!isWindowed && display_ && display_->GetDirectDraw())
        display_->GetDirectDraw()->RestoreDisplayMode();
    if (mainWindow_)
        ShowWindow(mainWindow_, SW_HIDE);
    if (demo_->IsPlaying())
        RestoreDemoSound();
    ImageLib::FreeJ2kCodec();
}

void ZoltAppBase::OnDialogButtonDown(int dialogId, int buttonId)
{
    if (buttonId == 1000)
        OnButtonDown(dialogId + kDialogYesIdBase);
    else if (buttonId == 1001)
        OnButtonDown(dialogId + kDialogNoIdBase);
}

void ZoltAppBase::OnDialogButtonClicked(int dialogId, int buttonId)
{
    if (buttonId == 1000)
        OnButtonClicked(dialogId + kDialogYesIdBase);
    else if (buttonId == 1001)
        OnButtonClicked(dialogId + kDialogNoIdBase);
}

// ---- Background threads ----

void ZoltAppBase::LaunchLoaderThread()
{
    if (loader_->HasStarted())
        return;
    mainThreadPriority_ = int(ThreadPriority::AboveNormal);
    loader_->Launch([this] {
        BackgroundLoad();
        OutputDebugString(FormatString("Resource Loading Time: %d\r\n", int(GetTickCount() - constructionTick_)));
    });
}

void ZoltAppBase::JoinLoaderThread() { loader_->Join(); }

void ZoltAppBase::LaunchPointerThread()
{
    if (pointerThreadRunning_ || quit_)
        return;
    pointerThreadRunning_ = true;
    mainThreadPriority_ = int(ThreadPriority::AboveNormal);
    if (!pointerThread_.Start([this] { PointerThreadMain(); }, ThreadPriority::AboveNormal, "cursor"))
        pointerThreadRunning_ = false;
}

void ZoltAppBase::PointerThreadMain()
{
    int lastX = INT32_MIN;
    int lastY = INT32_MIN;
    bool moving = true;
    while (!quit_) {
        // A round every 10 ms while the pointer moves; once a round finds it
        // where it was (or nothing to draw), the thread rests until the
        // window reports a move, so a still pointer costs no wake-ups.
        if (!moving)
            pointerMoved_.Wait();
        Sleep(10);
        moving = false;
        if (quit_ || !display_ || !mainWindow_ || !softwareCursorOn_)
            continue;
        POINT p{};
        if (!GetCursorPos(&p) || !ScreenToClient(mainWindow_, &p))
            continue;
        if (p.x == lastX && p.y == lastY)
            continue;
        moving = true;
        lastX = p.x;
        lastY = p.y;
        display_->MoveSoftwareCursor(p.x, p.y);
    }
    pointerThreadRunning_ = false;
}

} // namespace Zolt
