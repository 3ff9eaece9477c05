// The application object of the framework: one per process. It owns the
// windows, the display, the widget manager, the resource manager, the sound
// manager and the music interface, keeps the settings in the registry, reads
// the command line and runs the main loop: messages are pumped, input is
// queued by the window procedure and applied one message per step, logic
// advances in fixed updates of the frame time and the screen is redrawn when
// something changed.
//
// The game's application class derives from it, sets the public fields
// (titles, key, size, modes) after construction, then calls Initialize and
// Run; Quit ends the loop; deleting the object tears everything down.
//
// Its concerns live in owned parts with headers and tests of their own: the
// register of live images (ImageRegistry), the dialogs by id (DialogTable),
// the input queue (InputQueue), the developer overlay (DeveloperOverlay),
// demo recording and playback (DemoRecorder, DemoPlaybackControls), the
// registry settings (RegistrySettings), the loop's clock (FramePacer), the
// screensaver watch (ScreenSaverWatch), the loading thread (BackgroundLoader)
// and the wait for a launched URL (UrlLauncher). This class keeps the
// surface the game and the framework call and joins the parts; its files are
// start-up and teardown (ZoltAppBase.cpp), the loop (AppMainLoop.cpp), the
// window procedure (AppWindowProc.cpp), the window and display
// (AppDisplay.cpp), settings and the command line (AppSettings.cpp), demos
// (AppDemo.cpp), developer keys (DeveloperTools.cpp) and the services
// (AppServices.cpp).
//
// Threads: everything runs on the main thread except
//  - the loading thread, which runs BackgroundLoad and talks to the loop only
//    through the loader's atomic flags and the done/total counters;
//  - the cursor thread, which reads the pointer every 10 ms and hands the
//    position to the display (under the display's lock) while the pointer
//    moves, and rests until it moves again once it stands still;
//  - Quit from another thread, which only raises an atomic request;
//  - a fault on any thread, whose signal handler reads only what this
//    application handed the crash handler ahead (its snapshot and the
//    prepared demo image, CrashDemoImage.h).
// The display's lock guards the image register and the shared images,
// because images are made and destroyed on the loading thread too.
#pragma once

#include "framework/app/ArchiveManifest.h"
#include "framework/app/CrashHandler.h"
#include "platform/core/Event.h"
#include "framework/app/DemoFile.h"
#include "framework/app/DemoPlaybackControls.h"
#include "framework/app/FramePacer.h"
#include "framework/base/MersenneTwister.h"
#include "framework/graphics/D3DHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DisplayHost.h"
#include "framework/graphics/ImageHost.h"
#include "framework/graphics/SharedImage.h"
#include "framework/resources/FontHost.h"
#include "framework/resources/ResourceHost.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/DeletionQueue.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/WidgetHost.h"
#include "platform/core/Process.h"
#include "platform/core/Thread.h"
#include "platform/window/User32Module.h"
#include "platform/window/WindowTypes.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
struct FileError;
struct RegistryKeyObject;
}

namespace Zolt {

class BackgroundLoader;
class D3DInterface;
class DemoRecorder;
class DeveloperOverlay;
class ShownPicture;
class DDInterface;
class Dialog;
class DialogTable;
class Display3DPath;
class Image;
class ImageRegistry;
class InputQueue;
struct QueuedMessage;
class MemoryImage;
class MusicInterface;
class RegistrySettings;
class ResourceManager;
class ScreenSaverWatch;
class UrlLauncher;
class WidgetManager;

class ZoltAppBase : public ButtonListener,
                    public DialogListener,
                    public DisplayHost,
                    public D3DHost,
                    public ImageHost,
                    public WidgetHost,
                    public FontHost,
                    public ResourceHost,
                    public CrashHost {
public:
    // Display reset results handled by the application (the display's codes).
    static constexpr int kFrameTimerId = 100;
    static constexpr int kCursorCount = 13;
    // Framework dialogs' own buttons become application buttons of these ids.
    static constexpr int kDialogYesIdBase = 2000;
    static constexpr int kDialogNoIdBase = 3000;

    ZoltAppBase();
    ~ZoltAppBase() override;
    ZoltAppBase(const ZoltAppBase&) = delete;
    ZoltAppBase& operator=(const ZoltAppBase&) = delete;

    // ---- Button and dialog events (ButtonListener, DialogListener) ----
    void OnDialogButtonDown(int dialogId, int buttonId) override;
    void OnDialogButtonClicked(int dialogId, int buttonId) override;

    // ---- Loop and timing ----
    virtual bool TimedUpdateStep(bool allowSleep);
    virtual void UpdateOnce();
    virtual bool GuardedUpdate();
    virtual void SmoothUpdate(float fraction);
    virtual void CreateMainWindow();
    virtual void UpdateCursor();
    virtual void RecreateImageSurfaces();
    virtual void ReleaseImageSurfaces();
    virtual void DiscardImageSurfacesLocked();
    virtual void OnBackgroundLoadDone() {}
    // How long from now the loop may let updates wait while the screen
    // stands still (see DrawOrWait): until work of the application's own
    // that runs on time outside the loop comes due and needs the updates
    // that follow it (kHoldWithoutLimit when none is coming). 0, the default,
    // never lets updates wait: only the application knows what runs outside.
    static constexpr int kHoldWithoutLimit = -1;
    virtual int UpdateHoldLimitMs() { return 0; }
    // Something outside the loop changed what the screen shows (any thread):
    // a loop holding its updates wakes at once, and the loop does not hold
    // them before it has run an update and drawn.
    void RequestRepaint();
    virtual MusicInterface* MakeMusicPlayer(platform::HWND window);
    virtual void OnInitialized() {}
    virtual void OnQuitStarted() {}
    virtual void OnLoopFinished() {}
    // The body of the loading thread.
    virtual void BackgroundLoad() {}
    virtual void WriteSettings();
    virtual void ReadSettings();
    virtual Dialog* MakeDialog(int id, bool modal, const std::string& header, const std::string& lines,
                               const std::string& footer, int buttonMode);
    virtual void OnBeforeMainWindow() {}
    virtual void EnterSystemDialog();
    virtual void LeaveSystemDialog();
    virtual int ShowMessageBoxWide(const std::wstring& text, const std::wstring& caption, unsigned flags);
    virtual int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags);
    virtual void ShowErrorWide(const std::wstring& text);
    void ShowError(const std::string& text) override;
    virtual void AppendScreenSaverErrorLog(const std::string& text);
    // Deletes the object once the loop has unwound to the depth it was queued at.
    template <typename T>
    void QueueForDeletion(T* object)
    {
        deletions_.QueueForDeletion(object);
    }
    virtual void OnUrlLaunchFailed(const std::string& url);
    virtual void OnUrlLaunched(const std::string& url);
    virtual bool LaunchUrl(const std::string& url, bool quitAfter);
    // ---- CrashHost: what a crash report takes from the application ----
    std::string ReadProductVersion(const std::string& programPath) override;
    void PrepareForCrash() override;
    std::string GetCrashInfo() override;
    // Writes the demo being recorded, closed as a crash closes it, and ends
    // recording and playing.
    void SaveDemoForCrash() override;
    CrashSnapshot TakeCrashSnapshot() override;
    virtual void ReservedHook41() {}
    virtual void Quit();
    virtual void ReadStartOptions();
    virtual void SplitStartOptions(const std::string& text);
    virtual void ApplyStartOption(const std::string& name, const std::string& value);
    // Ends the start with the invalid-option message, the option and why.
    [[noreturn]] void RefuseStartOption(const std::string& option, const std::string& why);
    // The count of a numbered-demo option (0 when not given); a value that
    // is not a whole number refuses the start.
    int StartOptionCount(const std::string& name, const std::string& value);
    virtual void BringToFront(platform::WPARAM code, platform::LPARAM extra);
    virtual void OnAlreadyRunning();
    virtual void Run();
    // Run's two ends, for a caller that runs the loop itself a step at a
    // time (RunLoopStep): BeginRun does what Run does before its loop (the
    // cursor thread only when asked), EndRun what it does after it.
    void BeginRun(bool withCursorThread);
    void EndRun();
    virtual void Initialize();
    virtual void OnBeforeDisplayReset() {}
    virtual void OnAfterDisplayReset() {}
    virtual bool OnChangeDirectory(const std::string& directory)
    {
        (void)directory;
        return false;
    }
    // Adds an archive the game cannot run without (its "data.pak", which it
    // adds through the toolkit): one that is missing or cannot be used is a
    // fatal error that names it, as an unusable "main.pak" is. Without it
    // the game would start on empty boxes and end as if all were well.
    void AddRequiredArchive(const std::string& fileName);
    virtual void PlaySoundOncePanned(int soundId, int pan);
    virtual void PlaySoundOnce(int soundId);
    virtual double MixerLevel();
    virtual double MusicLevel();
    virtual double EffectsLevel();
    virtual bool IsSilenced();
    virtual void SetMixerLevel(double level);
    virtual void SetMusicLevel(double level);
    virtual void SetEffectsLevel(double level);
    virtual void Silence(bool automatic);
    virtual void Unsilence(bool automatic);
    virtual double BackgroundLoadFraction();
    // A new display image of the file (owned by the caller), null when the
    // file cannot be read.
    DDImage* LoadImageFile(const std::string& fileName, bool lookForAlpha) override;
    SharedImageHandle AcquireSharedImage(const std::string& fileName, const std::string& variant,
                                         bool* created) override;
    virtual void ChangeDisplayMode(bool windowed, bool use3D, bool force);
    virtual void SetWindowed(bool windowed);
    virtual void ReapplyScreenMode();
    virtual void SetScreenImageInVideoMemory(bool inVideoMemory);
    virtual Dialog* OpenDialog(int id, bool modal, const std::string& header, const std::string& lines,
                               const std::string& footer, int buttonMode);
    virtual Dialog* FindDialog(int id);
    virtual void InsertDialog(Dialog* dialog);
    virtual void InsertDialog(int id, Dialog* dialog);
    virtual bool CloseDialog(Dialog* dialog);
    bool CloseDialog(int id) override;
    virtual bool CloseDialog(int id, bool removeWidget, bool deleteWidget);
    virtual int CountDialogs();
    virtual void OnModalDialogAdded() {}
    virtual void OnModalDialogRemoved() {}
    virtual void OnInputFocusGained() {}
    virtual void OnInputFocusLost() {}
    // The main window went down to the task bar (true) or came back (false);
    // called once for each change, as the sound goes silent or is heard again.
    virtual void OnWindowMinimized(bool minimized) { (void)minimized; }
    virtual bool IsScreenToggleKey(int key);
    // Developer keys (developer mode, or any key while a demo plays); true
    // when the key was taken.
    virtual bool OnDeveloperKey(int key);
    virtual bool OnWindowKey(int key, bool ctrlHeld, bool altHeld)
    {
        (void)key, (void)ctrlHeld, (void)altHeld;
        return false;
    }
    virtual void OnCloseRequest() {}
    // The system ends the program (the session ends, a termination signal):
    // nobody is there to answer a question, so the end is not asked for.
    virtual void OnSessionEnding() { Quit(); }
    void OnDisplayInitHook() override {}
    // The demo a crash saved, to go with the report; "" when none was
    // recorded.
    std::string GetCrashDemoFile() override { return crashDemoFile_; }
    virtual bool ReservedHook89(int a, int b)
    {
        (void)a, (void)b;
        return false;
    }
    virtual bool RedrawIfNeeded();
    virtual void RecoverDisplay(const Rect* area);
    // Whether the screen image keeps each frame's picture into the next one
    // and the display can show a part of it alone: then a widget may paint
    // only what changed (WidgetManager::ScreenHoldsLastPaintOf) and only
    // that is presented.
    bool ScreenKeepsItsPicture();
    virtual void OnBeforeReadSettings() {}
    virtual void RunLoop();
    virtual bool RunLoopStep(bool* updated);
    bool RunLoopIteration() override;
    virtual bool IsMainWindowEnabled() { return !windowDisabled_; }

    // ---- Non-virtual loop pieces ----
    void ResetFrameTiming(bool hold);
    void AccumulateFrameTime();
    void ProcessDeletions();
    int ResetDisplay();
    void SwitchHardwareMode(bool use3D, bool resetNow);
    void UpdateActiveState();
    void ForgetHeldKeys();
    // Applies queued input (one message when asked); true when more waits.
    bool ProcessQueuedInput(bool oneOnly);

    // The registered procedure of both windows.
    static platform::LRESULT MainWindowProcedure(platform::HWND window, platform::UINT message,
                                                 platform::WPARAM wParam, platform::LPARAM lParam);

    // ---- Registry (every settings read and write goes through these) ----
    bool RegWriteValue(const std::string& valueName, uint32_t type, const void* data, uint32_t length);
    bool RegWriteText(const std::string& valueName, const std::string& text);
    bool RegWriteNumber(const std::string& valueName, int value);
    bool RegWriteFlag(const std::string& valueName, bool value);
    bool RegReadValueAt(const std::string& valueName, uint32_t* type, void* buffer, uint32_t* length,
                        platform::RegistryKeyObject* root);
    bool RegReadValue(const std::string& valueName, uint32_t* type, void* buffer, uint32_t* length);
    bool RegReadText(const std::string& valueName, std::string& out);
    bool RegReadNumber(const std::string& valueName, int& out);
    bool RegReadFlag(const std::string& valueName, bool& out);
    bool RegEraseValue(const std::string& valueName);
    // The highest numbered demo (0 when none); with deleteOld, removes the
    // lowest one when count - 1 or more exist. Numbered demos live where
    // demos are recorded: NumberedDemoBase.
    int DemoFileNameFor(int count, bool deleteOld);
    // The numbered demos' path without number and ".dmo": the base name in
    // the data folder (as it stands when the base is absolute, or when there
    // is no data folder: then in the start directory).
    std::string NumberedDemoBase() const;

    // ---- Demo (recording writes, playback gives back the recorded value) ----
    void DemoRelayBuffer(Buffer& buffer);
    void DemoRelayFlag(bool& flag);
    void DemoRelayText(std::string& text);
    // Reads a whole file through the archive layer; a recorded run keeps its
    // bytes in the demo unless notRecorded.
    bool LoadFileIntoBuffer(const std::string& fileName, Buffer& out, bool notRecorded);
    // Names the current update in the demo being recorded.
    void AddDemoMarker(const std::string& name);
    void ShowMarkerList();
    void ShowJumpDialog();
    void ToggleDemoSound();
    int DemoFinalUpdate() const;
    int DemoJumpTarget() const;
    bool IsDemoPaused() const;
    bool IsDemoSkippingToEnd() const;
    const std::vector<DemoMarker>& DemoMarkers() const;

    // ---- Developer tools (DeveloperTools.cpp) ----
    // Saves the screen as the next "%d.png" in "_screenshots"; its number, 0
    // when nothing was saved.
    int TakeScreenshot();
    // Writes every registered image and "imagelist.html" into "_dump".
    void DumpImages();
    std::string BuildVideoStats();
    // Counts a drawn frame for the frame-counter overlay.
    void CountOverlayFrame();
    std::string OverlayText();
    // The time left in the played demo, "hh:mm:ss".
    std::string DemoTimeText() const;
    bool IsOverlayOn() const;
    int OverlayKind() const;
    int SingleStepMode() const { return singleStepMode_; }
    // The draw pass: refreshes the overlay images before painting and puts
    // them in the bottom right corner after it.
    void RefreshOverlays();
    void DrawOverlays();
    void DropOverlays();

    // ---- Services ----
    std::wstring LookupText(const std::string& id, const std::wstring& fallback) const;
    std::string LookupTextNarrow(const std::string& id, const std::string& fallback) const;
    void DefineText(const std::string& id, const std::wstring& text);
    void PutTextOnClipboard(const std::string& text);
    Image* DuplicateImageArea(Image* image, const Rect& area);
    void SetCursorIndex(int index) override;
    void SetCustomCursors(bool on);
    void SetCustomCursorImage(int index, Image* image);
    void SetOverrideCursor(platform::HCURSOR cursor);
    bool IsIn3DMode() override;

    // ---- ImageHost ----
    void RegisterImage(MemoryImage* image) override;
    void UnregisterImage(MemoryImage* image) override;
    void ReleaseImageFromDisplay(MemoryImage* image) override;
    NativeDisplay* GetNativeDisplay() override;
    bool ReadTextureBits(MemoryImage* image, uint32_t* out) override;
    void RequestSharedImageCleanup() override;
    Image* DuplicateImage(Image* image) override;

    // ---- DisplayHost ----
    ImageHost* GetImageHost() override { return this; }
    int GetWidth() override { return width; }
    int GetHeight() override { return height; }
    int GetFullScreenDepth() override { return colorDepth; }
    bool AllowsPageFlipping() override { return fullScreenFlip; }
    bool IsSystemDialogShowing() override { return systemDialogUp_; }
    bool WantsAuto3DDetection() override { return autoEnable3D; }
    bool WantsTest3D() override { return test3D; }
    bool HasChosen3D() const override { return chose3D_; }
    void SetVSyncUnreliable(bool unreliable) override;
    void SetPresentationRect(const Rect& rect) override { (void)rect; }

    // ---- D3DHost (the Direct3D path and its capability test) ----
    std::string GetRegistryKey() override { return registryKey; }
    void WriteRegistryText(const std::string& valueName, const std::string& text) override;
    bool IsPlayingDemo() override;
    void RelayTestVerdict(std::string& failureReason, std::string& warning, bool& fresh) override;

    // ---- WidgetHost ----
    bool BeginScreenPaint(Image* screen) override;
    void EndScreenPaint(Image* screen) override;
    DialogListener* GetDialogListener() override { return this; }
    // A SysFont of the face drawn through this application.
    std::unique_ptr<Font> MakeSystemFont(const std::string& face, int points, int charset, bool bold, bool italic,
                                         bool underline) override;

    // ---- ResourceHost ----
    FontHost* GetFontHostForResources() override { return this; }
    SoundManager* GetSoundManager() override { return soundManager.get(); }

    // ---- Read-outs for the game, tools and tests ----
    WidgetManager* GetWidgetManager() const { return widgetManager.get(); }
    ResourceManager* GetResourceManager() const { return resourceManager.get(); }
    DDInterface* GetDisplay() const { return display_.get(); }
    MusicInterface* GetMusicInterface() const { return musicInterface_.get(); }
    platform::HWND GetMainWindow() const { return mainWindow_; }
    platform::HWND GetInvisibleWindow() const { return invisibleWindow_; }
    bool IsQuitting() const { return quit_.load(); }
    bool IsInitialized() const { return initialized_; }
    bool IsRunning() const { return running_; }
    bool IsWindowedRefused() const { return windowedRefused_; }
    bool HasFullScreenFailed() const { return fullScreenFailed_; }
    bool HasFocus() const { return hasFocus_; }
    bool IsMinimized() const { return minimized_; }
    bool IsMouseInWindow() const { return mouseInWindow_; }
    bool IsDeveloperMode() const { return developerMode_; }
    bool IsRecordingDemo() const;
    bool IsPlayingDemo() const;
    bool IsScreenSaverMode() const { return screenSaverMode_; }
    bool IsDisplaySuspended() const { return displaySuspended_; }
    // The 3D capability test ran and left neither a failure nor a warning.
    bool TestRecommends3D() const;
    // The Direct3D path recorded a run-time error at some point of this run
    // (the path itself forgets it at its next scene).
    bool Had3DRuntimeError() const { return runtime3DError_; }
    int GetCursorIndex() const { return cursorIndex_; }
    int GetMuteCount() const { return muteCount_; }
    int UpdateCount() const { return updateCount_; }
    int DrawCount() const { return drawCount_; }
    // What the start-up wrote to the settings is written, or what kept it
    // from that is taken to be told: the first run's in-progress note,
    // written beside the start-up, is waited for in the first pump after the
    // first picture. Until then a disk that fills still meets the start-up.
    bool StartWarningsTaken() const { return startWarningsTaken_; }
    int SleepCount() const { return sleepCount_; }
    double TimeAccumulator() const;
    size_t QueuedInputCount() const;
    size_t RegisteredImageCount();
    size_t SharedImageCount();
    const std::string& GetDemoFileName() const;
    const std::string& GetRegistryRoot() const;
    uint32_t GetNotifyMessage() const { return notifyMessage_; }
    platform::HCURSOR GetHandCursor() const { return handCursor_; }
    platform::HCURSOR GetDragCursor() const { return dragCursor_; }
    // The framework's random-number generator, seeded with the demo seed
    // (the recording's, when a demo plays) once the application is
    // initialised, for a game whose chances should replay with a demo (this
    // one draws from the C runtime's instead); main thread.
    MersenneTwister& Random() { return random_; }

    // The one application of the process; null before construction and
    // after destruction.
    static ZoltAppBase* Instance();

    // ---- Fields the game's application class sets ----
    std::string fullTitle;
    std::string companyName;
    std::string productName = "Product";
    std::string windowTitle = "ZoltApp";
    std::string registryKey;
    std::string startDirectory;
    std::string productVersion;
    std::string demoBaseName = "zoltapp";
    // What the archives the application adds must hold (see
    // ArchiveManifest.h); each archive is checked against the members
    // listed for its file name.
    std::span<const ArchiveMember> archiveManifest = ProgramArchiveManifest();
    int width = 640;
    int height = 480;
    int colorDepth = 16;
    int preferredX = -1;
    int preferredY = -1;
    // The mode asked for (the user's setting) and the one in force.
    bool windowedWanted = true;
    bool isWindowed = true;
    // Set with windowedWanted = false by the game when it asks for full screen.
    bool fullScreenRequested = false;
    int aspectX = 4;
    int aspectY = 3;
    int frameTime = 10;
    int refreshRate = 100;
    // Refresh-paced timing (each step stands for one display refresh).
    bool refreshPaced = false;
    bool singleInstance = true;
    bool fullScreenFlip = true;
    // Start-up switches of the 3D capability test.
    bool autoEnable3D = true;
    bool test3D = true;
    // Set by BackgroundLoad when loading failed: the game is not started.
    std::atomic<bool> startupFailed{false};
    // While set the game's own drawing is skipped.
    bool suppressGameDrawing = false;
    bool waitForVSync = false;
    double musicVolume = 0.85;
    double effectsVolume = 0.85;
    double demoSpeed = 1.0;
    // Advanced by BackgroundLoad (any thread).
    std::atomic<int> loadingDone{0};
    std::atomic<int> loadingTotal{0};

    // Music and MP3 sounds through fmod.dll instead of bass.dll; set before
    // Initialize.
    bool useFmod = false;
    // No music library at all: the music interface plays nothing. Set before
    // Initialize.
    bool musicOff = false;

    // Owned managers; the widget and resource managers live as long as the
    // application, the sound manager from Initialize on.
    std::unique_ptr<WidgetManager> widgetManager;
    std::unique_ptr<ResourceManager> resourceManager;
    std::unique_ptr<SoundManager> soundManager;

protected:
    using QueuedMessage = Zolt::QueuedMessage;

    platform::LRESULT HandleWindowMessage(platform::HWND window, platform::UINT message, platform::WPARAM wParam,
                                          platform::LPARAM lParam);
    // The messages handled at once (true with `result` set; false lets the
    // message go on), and the queued ones.
    bool HandleAtOnce(platform::HWND window, platform::UINT message, platform::WPARAM wParam,
                      platform::LPARAM lParam, platform::LRESULT& result);
    bool IsSystemCommandRefused(platform::WPARAM command);
    platform::LRESULT QueueInputMessage(platform::HWND window, platform::UINT message, platform::WPARAM wParam,
                                        platform::LPARAM lParam);
    void ApplyQueuedMessage(const QueuedMessage& msg);
    void ApplyMouseMessage(const QueuedMessage& msg);
    void ApplyTimerTick();
    void CheckMouseInWindow();
    void ApplyMinimized(bool minimizedNow);
    // The active flag changed: focus, a full-screen repaint, a pending URL.
    void ApplyActivation();
    void ScreenSaverIdleCheck();
    void RepaintAll();
    void ApplyLoadingCompletion();
    void LaunchLoaderThread();
    void LaunchPointerThread();
    void PointerThreadMain();
    void JoinLoaderThread();
    void CheckSecondInstances();
    // How long a second copy waits for the first to answer its knock (the
    // first's loop looks for knocks at least twice a second).
    static constexpr platform::DWORD kHandOverPatienceMs = 5000;
    // Shows, in a warning box, each settings problem the registry told since
    // the last look (each once a run): a player whose settings are not kept
    // reads why where they look, not only on a terminal. Main thread.
    void ShowSettingsWarnings();
    // The settings problems met at the start, before the game's notice was
    // there, waiting for the box; taken whole once the first picture shows.
    std::vector<std::string> startWarnings_;
    bool startWarningsTaken_ = false;
    void MakeCursors();
    // Tells the player, once this copy is the first, what its lock lacks:
    // a name passed over (on standard error) and that no lock could be had
    // at all, and why.
    void TellHowTheLockHolds();
    void TellInstanceDoubt(const std::string& why);
    // Pieces of Initialize and of the teardown.
    void SetUpDataFolder();
    // The user's files (the crash report) go to the data folder; a report
    // an earlier build left beside the program is taken over into it.
    void KeepUserFilesInDataFolder();
    // `name` in the data folder (in the current folder without one).
    static std::string UserFilePath(const std::string& name);
    // Makes the start directory (the program's folder, or -changedir's)
    // the current one; one that cannot be entered is a fatal error naming it.
    void EnterStartDirectory();
    // Adds "main.pak" to the file layer; one that is there but cannot be
    // used is a fatal error that names it.
    void AddFrameworkArchive();
    // An archive that cannot be opened or read, or that lacks files of
    // archiveManifest, is a fatal error naming it (and them).
    void AddArchiveOrExit(const std::string& fileName, bool mayBeMissing);
    // Why the archive just added cannot serve the program ("" when it can):
    // the members of archiveManifest it lacks or holds empty.
    std::string LackingArchiveMembers(const std::string& fileName) const;
    void StartDemo();
    // Names the demo file a "-recnum" or "-playnum" asked for.
    void PlaceNumberedDemo();
    void MakeInvisibleWindow();
    void StartSound();
    int AskAboutHardwareDrawing(const std::string& textId, const std::string& defaultText);
    void SettleHardwareDrawingChoice();
    void ReleaseWindowsAndManagers();
    void LeaveProcessServices();
    void ShowDisplayFailure(int result);
    // Pieces of CreateMainWindow: the window for each mode, the display
    // (made once, with the stored 3D choice), and the fall-backs for a
    // display that could not be set up (false when the window is finished).
    void MakeFullScreenWindow();
    void MakeWindowedWindow();
    void MakeDisplayOnce();
    bool AcceptDisplayResult(int result);
    // The Direct3D path handed to the display when it is made (the display
    // stays in 2D until the player or the capability test switches 3D on).
    std::unique_ptr<Display3DPath> MakeDirect3DPath();
    // The timing core's pieces: an update when one is due (false when a
    // draw comes first), the updates owed by a paced step, the draw or the
    // wait for the next update (false when it would sleep and may not), and
    // the extra sleep that leaves the loading thread room.
    bool RunDueUpdate(const FramePacer::Step& step, bool pacingActive);
    void CatchUpOwedUpdates(const FramePacer::Step& step, bool pacingActive);
    bool DrawOrWait(const FramePacer::Step& step, bool allowSleep, int& slept);
    bool YieldToLoading(uint32_t stepStart, int slept, bool allowSleep);
    // The last draw passes found nothing to paint and nothing else needs
    // updates on time (no demo played or recorded, normal speed, loading
    // done): updates may wait for a longer sleep, as far as the application
    // allows.
    bool ScreenStandsStill();
    // Presents the bounding box of the places a pass drew again.
    void PresentPlaces(const std::vector<Rect>& areas);
    // The sleep before the next update (`sleep` ms away) when the screen
    // stands still: longer, up to the application's limit.
    int HeldSleep(int sleep);
    static constexpr int kStillDrawsBeforeHolding = 2;
    // Up to a second of updates in one sleep (the time of a held wait is
    // kept in full; the idle screen's present, once a second, ends it anyway).
    static constexpr int kStillScreenExtraSleepMs = 1000;
    // A hold that ends for work due outside the loop ends this much after
    // it: that work (on a thread of its own) is done by the time the
    // updates that follow it run.
    static constexpr int kOutsideWorkMarginMs = 2;
    // Draw passes in a row that painted nothing, with no message between.
    int stillDraws_ = 0;
    // The wait of a hold is about to begin: false, and the screen no longer
    // taken for still, when a repaint was asked for since the last update.
    bool BeginHold();
    // A paused demo (or a speed of 0) runs nothing until the player resumes:
    // the loop sleeps until a message comes, up to the idle present's time.
    bool WaitWhileStopped(bool allowSleep);
    // Set while the loop waits in a hold, for RequestRepaint and a Quit from
    // another thread to end the wait (with a message of no window).
    std::atomic<bool> holding_{false};
    // A repaint was asked for since the last update began.
    std::atomic<bool> repaintRequested_{false};
    // Ends a wait of the main thread's at once (any thread).
    void WakeMainThread();
    [[noreturn]] void FatalExit(unsigned code);
    static bool IsAbsolutePath(const std::string& path);

    // Demo recording and playback (AppDemo.cpp): the recorder keeps the
    // stream, these feed it and apply what it plays.
    class PlaybackInput;
    bool ReadDemoFile(std::string& error);
    bool WriteDemoFile(platform::FileError* error);
    // Writes the recording at the end of the run; one that cannot be
    // written is told as every problem with the player's files is.
    void KeepRecordedDemo();
    void PlayDemoCommand();
    bool ReadScreenModeCommand();
    void RecordScreenMode();
    void RecordInput(const QueuedMessage& msg);
    void RecordSimpleCommand(int id);
    // The C runtime's clock as a recorded or played demo gives it (the
    // relay StartDemo installs for the main thread).
    static long RelayClockReading(long reading);
    void HandlePlaybackChar(int c);
    DemoPlaybackControls::Position PlaybackPosition() const;
    bool IsDemoFastForwarding() const;
    // Runs updates muted and as fast as possible towards the jump target.
    void FastForwardDemo();
    void RestoreDemoSound();
    // Once initialised, the crash handler reports on this application and
    // writes the demo it records; the teardown takes both back.
    void BecomeCrashHost();
    void LeaveCrashHandler();

    // ---- Identity, windows and owned objects ----
    std::unique_ptr<DDInterface> display_;
    std::unique_ptr<MusicInterface> musicInterface_;
    std::unique_ptr<platform::SingleInstance> instanceLock_;
    platform::HWND mainWindow_ = nullptr;
    platform::HWND invisibleWindow_ = nullptr;
    platform::HINSTANCE moduleHandle_ = nullptr;
    platform::HCURSOR handCursor_ = nullptr;
    platform::HCURSOR dragCursor_ = nullptr;
    platform::HMODULE versionLibrary_ = nullptr;
    platform::HMODULE ddrawLibrary_ = nullptr;
    platform::HMODULE dsoundLibrary_ = nullptr;
    // The entry's own type: a call through another type is undefined.
    using LastInputFn = platform::BOOL (*)(platform::LASTINPUTINFO*);
    LastInputFn getLastInputInfo_ = nullptr;
    platform::HMODULE user32Library_ = nullptr;
    uint32_t notifyMessage_ = 0;
    uint32_t mainThreadId_ = 0;
    uint32_t timeLoaded_ = 0;
    MersenneTwister random_;
    uint32_t constructionTick_ = 0;
    bool initialized_ = false;
    bool windowedRefused_ = false;
    bool fullScreenFailed_ = false;
    bool switched3DThisRun_ = false;
    bool chose3D_ = false;
    bool runtime3DError_ = false;
    // The display's Direct3D path as made by MakeDirect3DPath (owned by the
    // display, which lives as long as this pointer is read).
    D3DInterface* direct3D_ = nullptr;
    bool screenSaverMode_ = false;
    bool settingsRead_ = false;
    // Writes the note of a run in progress on the first run (see
    // NoteRunInProgress); joined before settings are written and at the end.
    platform::Thread runNote_;
    void NoteRunInProgress(bool alreadyNoted);
    std::atomic<bool> goingDown_{false};
    std::array<uint8_t, 256> identityTable_{};

    // ---- Loop and timing (main thread unless atomic) ----
    // Where the loop is in an iteration: taking messages and queued input,
    // running the update that is due, catching up the updates a refresh-paced
    // step owes, and finished (a draw, a wait or a catch-up ended it; the
    // next step takes messages again).
    enum class LoopState { Pump, DueUpdate, CatchUp, Finished };
    LoopState loopState_ = LoopState::Pump;
    int updateCount_ = 0;
    int drawCount_ = 0;
    int drawTime_ = 0;
    int lastPresentDuration_ = 0;
    int sleepCount_ = 0;
    int updatesSinceDraw_ = 0;
    bool updatedSinceDraw_ = false;
    bool drawSkipped_ = false;
    bool forceRedraw_ = false;
    bool painting_ = false;
    int singleStepMode_ = 0;
    std::atomic<bool> quit_{false};
    std::atomic<bool> leaveNestedLoops_{false};
    std::atomic<bool> quitFromOtherThread_{false};
    bool running_ = false;
    // When the loop began (BeginRun), for the statistics EndRun writes.
    uint32_t runStart_ = 0;
    DeletionQueue deletions_;

    // ---- Display state ----
    bool displaySuspended_ = false;
    uint32_t recoveryStamp_ = 0;
    bool screenInVideoMemory_ = false;

    // ---- Threads ----
    // The update at which the second-instance socket was last read.
    int instanceCheckUpdate_ = -1;
    platform::Thread pointerThread_;
    // Wakes the cursor thread from its rest: the pointer moved, the software
    // cursor came on, or the program ends.
    platform::Event pointerMoved_;
    std::atomic<bool> pointerThreadRunning_{false};
    // A software cursor image is in the display: the cursor thread moves it.
    std::atomic<bool> softwareCursorOn_{false};
    std::atomic<int> mainThreadPriority_{0};

    // ---- Input and focus ----
    bool active_ = true;
    bool minimized_ = false;
    bool minimizedForFocus_ = false;
    bool hasFocus_ = true;
    bool windowDisabled_ = false;
    bool ctrlHeld_ = false;
    bool altHeld_ = false;
    bool mouseInWindow_ = false;
    bool systemDialogUp_ = false;
    bool developerMode_ = false;
    bool closedByWindow_ = false;
    // The system ends the program: the teardown asks nothing.
    bool sessionEnding_ = false;
    // "-crash" was given: the crash report comes once the application stands.
    bool crashRequested_ = false;
    // "-recnum" (record, count) or "-playnum" (play, how far back): which
    // numbered demo is chosen once the start directory is current, so that
    // the one folder is listed, pruned and written.
    struct NumberedDemoRequest {
        bool record = false;
        int value = 0;
        // As it was given ("-playnum=3").
        std::string option;
    };
    std::optional<NumberedDemoRequest> numberedDemo_;
    std::string crashDemoFile_;
    uint32_t lastTimerTick_ = 0;
    uint32_t tickRunStart_ = 0;

    // ---- Owned parts (each says which threads call it and what guards it) ----
    // The live images and the shared-image cache: any thread, under the
    // display's lock once the display exists.
    std::unique_ptr<ImageRegistry> images_;
    // The framework dialogs by id: main thread.
    std::unique_ptr<DialogTable> dialogs_;
    // Input and activation messages between the window procedure and the
    // loop: main thread.
    std::unique_ptr<InputQueue> input_;
    // The frame counter and demo time in the corner: main thread.
    std::unique_ptr<DeveloperOverlay> overlay_;
    // The demo being recorded or played, and the developer's controls of a
    // played one: main thread.
    std::unique_ptr<DemoRecorder> demo_;
    std::unique_ptr<DemoPlaybackControls> playback_;
    // The demo-aware registry settings under the application key: main
    // thread.
    std::unique_ptr<RegistrySettings> settings_;
    // The loop's clock arithmetic: main thread (the display may break
    // pacing from any thread).
    std::unique_ptr<FramePacer> pacer_;
    std::unique_ptr<ShownPicture> shown_;
    // The screensaver filter and the idle hold: main thread.
    std::unique_ptr<ScreenSaverWatch> screenSaver_;
    // The loading thread and its flags: launched and applied by the main
    // thread, the body on the loading thread; atomic flags.
    std::unique_ptr<BackgroundLoader> loader_;
    // The web address being opened and the wait to judge it: main thread.
    std::unique_ptr<UrlLauncher> url_;

    // ---- Services ----
    std::map<std::string, std::wstring> strings_;
    int muteCount_ = 0;
    int autoMuteCount_ = 0;
    int cursorIndex_ = 0;
    std::array<Image*, kCursorCount> customCursors_{};
    bool customCursorsOn_ = false;
    platform::HCURSOR overrideCursor_ = nullptr;
    // The screen saver's error log: written once this run, and its lines.
    bool screenSaverLogStarted_ = false;
    std::string screenSaverLog_;
};

} // namespace Zolt
