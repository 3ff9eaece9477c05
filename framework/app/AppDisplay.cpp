// The main window and the display: creating the window for the mode asked
// for, resetting the display, mode and 3D switches, and bringing a lost
// display back. Main thread.
#include "framework/app/ZoltAppBase.h"

#include "framework/app/DemoRecorder.h"
#include "framework/app/FramePacer.h"
#include "framework/app/ImageRegistry.h"
#include "framework/app/ScreenSaverWatch.h"
#include "framework/app/UrlLauncher.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/D3DTester.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/core/Clock.h"
#include "platform/core/DebugOutput.h"
#include "platform/window/Desktop.h"
#include "platform/window/Window.h"

#include <algorithm>

using namespace platform;

namespace Zolt {

void ZoltAppBase::CreateMainWindow()
{
    if (mainWindow_) {
        SetWindowLongPtrA(mainWindow_, GWL_USERDATA, 0);
        DestroyWindow(mainWindow_);
        mainWindow_ = nullptr;
        widgetManager->SetScreenImage(nullptr);
    }
    // A played demo runs in a window, so as not to take the screen over;
    // but on a screen that cannot hold the window it covers the screen as
    // every other run does, or its bottom rows would lie off the screen.
    const bool windowed = windowedWanted || (demo_->IsPlaying() && !windowedRefused_);
    if (!windowed)
        MakeFullScreenWindow();
    else
        MakeWindowedWindow();
    if (mainWindow_)
        SetWindowLongPtrA(mainWindow_, GWL_USERDATA, reinterpret_cast<intptr_t>(this));

    MakeDisplayOnce();
    const int result = ResetDisplay();
    if (display_->Get3DPath() && display_->Get3DPath()->HasRuntimeError()) {
        RegEraseValue("Is3D");
        chose3D_ = false;
    }
    if (!AcceptDisplayResult(result))
        return;

    const bool wasActive = active_;
    active_ = GetActiveWindow() == mainWindow_;
    const bool wasMinimized = minimized_;
    minimized_ = false;
    const bool restored = minimizedForFocus_;
    if (restored) {
        Unsilence(true);
        minimizedForFocus_ = false;
    }
    if (wasMinimized != minimized_ || wasActive != active_)
        UpdateActiveState();
    if (restored)
        OnWindowMinimized(false);

    RecreateImageSurfaces();
    widgetManager->SetScreenImage(display_->GetScreenImage());
    RepaintAll();
    if (mainWindow_)
        SetTimer(mainWindow_, kFrameTimerId, UINT(frameTime), nullptr);
}

void ZoltAppBase::MakeFullScreenWindow()
{
    mainWindow_ = CreateWindowExA(WS_EX_TOPMOST, "MainWindow", windowTitle.c_str(), WS_POPUP | WS_VISIBLE, 0, 0,
                                  width, height, nullptr, nullptr, moduleHandle_, nullptr);
    isWindowed = false;
}

void ZoltAppBase::MakeWindowedWindow()
{
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT outer{0, 0, width, height};
    AdjustWindowRect(&outer, style, FALSE);
    const int outerWidth = outer.right - outer.left;
    const int outerHeight = outer.bottom - outer.top;
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    // The player's last place, pulled back into the work area.
    int x = 64;
    int y = 64;
    const bool hasPreferred = preferredX != -1 || preferredY != -1;
    if (hasPreferred) {
        // In 64 bits: a stored place may lie anywhere an int reaches.
        auto pulledIn = [](int64_t place, int64_t size, int64_t low, int64_t high) {
            place = std::max<int64_t>(place, low + 4);
            if (place + size >= high - 4)
                place = std::max<int64_t>(high - 4 - size - 1, low);
            return int(place);
        };
        x = pulledIn(preferredX, outerWidth, work.left, work.right);
        y = pulledIn(preferredY, outerHeight, work.top, work.bottom);
    }
    mainWindow_ = CreateWindowExA(0, "MainWindow", windowTitle.c_str(), style, x, y, outerWidth, outerHeight,
                                  nullptr, nullptr, moduleHandle_, nullptr);
    if (mainWindow_ && !hasPreferred) {
        // Centred, a little above the middle.
        const int workWidth = work.right - work.left;
        const int workHeight = work.bottom - work.top;
        MoveWindow(mainWindow_, work.left + (workWidth - outerWidth) / 2,
                   work.top + int(0.382 * (workHeight - outerHeight)), outerWidth, outerHeight, FALSE);
    }
    isWindowed = true;
}

void ZoltAppBase::MakeDisplayOnce()
{
    if (display_)
        return;
    display_ = std::make_unique<DDInterface>(this, MakeDirect3DPath());
    images_->UseLock(&display_->GetLock());
    bool is3D = false;
    if (RegReadFlag("Is3D", is3D)) {
        display_->Set3DMode(is3D);
        if (is3D)
            chose3D_ = true;
    }
}

bool ZoltAppBase::AcceptDisplayResult(int result)
{
    if (windowedWanted) {
        if (result == DDInterface::RESULT_INVALID_COLORDEPTH) {
            if (fullScreenFailed_) {
                ShowError(LookupTextNarrow("PLEASE_SET_COLOR_DEPTH", "Please set your desktop color depth to 16 bit."));
                FatalExit(1);
            }
            windowedRefused_ = true;
            SetWindowed(false);
            return false;
        }
    } else if (result == DDInterface::RESULT_EXCLUSIVE_FAIL || result == DDInterface::RESULT_DISPCHANGE_FAIL) {
        fullScreenFailed_ = true;
        // With windowed mode refused there is nothing left to fall back on:
        // say so instead of running without a display.
        if (windowedRefused_)
            ShowDisplayFailure(result);
        SetWindowed(true);
        // SetWindowed made the window anew; this one is finished.
        return false;
    }
    if (result == DDInterface::RESULT_3D_FAIL) {
        SwitchHardwareMode(false, true);
        return false;
    }
    if (result != DDInterface::RESULT_OK) {
        if (IsIn3DMode()) {
            SwitchHardwareMode(false, true);
            return false;
        }
        ShowDisplayFailure(result);
    }
    return true;
}

void ZoltAppBase::ShowDisplayFailure(int result)
{
    const std::string text = LookupTextNarrow("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") +
                             DDInterface::ResultName(result) + " " +
                             (display_ ? display_->GetLastError() : std::string());
    OutputDebugString(text + "\r\n");
    ShowError(text);
    FatalExit(1);
}

int ZoltAppBase::ResetDisplay()
{
    OnBeforeDisplayReset();
    ReleaseImageSurfaces();
    const int result = display_->Initialize(mainWindow_, isWindowed);
    refreshRate = display_->GetRefreshRate();
    if (demo_->IsRecording())
        RecordScreenMode();
    if (result != DDInterface::RESULT_OK)
        return result;
    const int dw = display_->GetDisplayWidth();
    const int dh = display_->GetDisplayHeight();
    const Rect presentation((width - dw) / 2, (height - dh) / 2, dw, dh);
    widgetManager->SetInputMapping(presentation, Rect(0, 0, dw, dh));
    OnAfterDisplayReset();
    return 0;
}

void ZoltAppBase::SetWindowed(bool windowed) { ChangeDisplayMode(windowed, IsIn3DMode(), false); }

void ZoltAppBase::ReapplyScreenMode() { ChangeDisplayMode(windowedWanted, IsIn3DMode(), true); }

void ZoltAppBase::ChangeDisplayMode(bool windowed, bool use3D, bool force)
{
    const bool effective = windowedRefused_ ? false : windowed;
    if (effective == windowedWanted && !force) {
        SwitchHardwareMode(use3D, true);
        return;
    }
    SwitchHardwareMode(use3D, false);
    windowedWanted = effective;
    CreateMainWindow();
    if (mainWindow_) {
        if (url_->IsPending()) {
            ShowWindow(mainWindow_, SW_SHOWNOACTIVATE);
        } else {
            ShowWindow(mainWindow_, SW_SHOWNORMAL);
            SetForegroundWindow(mainWindow_);
        }
    }
    if (soundManager)
        soundManager->AttachWindow(mainWindow_, isWindowed);
}

void ZoltAppBase::SwitchHardwareMode(bool use3D, bool resetNow)
{
    if (!display_ || display_->IsIn3DMode() == use3D)
        return;
    // A display without a 3D path stays in 2D; that is no switch, and the
    // player's stored choice must survive a run of such a program.
    if (!display_->Set3DMode(use3D))
        return;
    switched3DThisRun_ = true;
    if (!resetNow)
        return;
    const int result = ResetDisplay();
    if (result != 0) {
        if (!use3D)
            ShowDisplayFailure(result);
        SwitchHardwareMode(false, true);
        return;
    }
    RecreateImageSurfaces();
    widgetManager->SetScreenImage(display_->GetScreenImage());
    RepaintAll();
}

void ZoltAppBase::RecoverDisplay(const Rect* area)
{
    if (painting_ || quit_ || screenSaver_->IsHolding() || !display_)
        return;
    if (display_->Redraw(area)) {
        if (displaySuspended_) {
            displaySuspended_ = false;
            recoveryStamp_ = 0;
        }
        return;
    }
    displaySuspended_ = true;
    const uint32_t now = timeGetTime();
    if (!active_ && (!isWindowed || (recoveryStamp_ != 0 && now - recoveryStamp_ < 1000)))
        return;
    if (minimized_)
        return;
    recoveryStamp_ = now;
    widgetManager->SetScreenImage(nullptr);
    if (windowedWanted &&
        (width >= GetSystemMetrics(SM_CXFULLSCREEN) || height >= GetSystemMetrics(SM_CYFULLSCREEN))) {
        if (fullScreenFailed_) {
            ShowError(LookupTextNarrow("PLEASE_SET_COLOR_DEPTH", "Please set your desktop color depth to 16 bit."));
            Quit();
        } else {
            windowedRefused_ = true;
            SetWindowed(false);
        }
        return;
    }
    const int result = ResetDisplay();
    if (windowedWanted && result == DDInterface::RESULT_INVALID_COLORDEPTH) {
        if (active_) {
            SetWindowed(false);
            windowedRefused_ = true;
        }
    } else if (result == DDInterface::RESULT_3D_FAIL) {
        SwitchHardwareMode(false, true);
    } else if (result == 0) {
        RecreateImageSurfaces();
        widgetManager->SetScreenImage(display_->GetScreenImage());
        RepaintAll();
    }
}

void ZoltAppBase::SetScreenImageInVideoMemory(bool inVideoMemory)
{
    if (inVideoMemory == screenInVideoMemory_)
        return;
    screenInVideoMemory_ = inVideoMemory;
    if (!display_)
        return;
    display_->RebuildScreenImage(inVideoMemory);
    widgetManager->SetScreenImage(display_->GetScreenImage());
    RepaintAll();
}

void ZoltAppBase::SetVSyncUnreliable(bool unreliable)
{
    if (unreliable)
        pacer_->BreakPacing();
}

bool ZoltAppBase::BeginScreenPaint(Image* screen)
{
    auto* image = dynamic_cast<DDImage*>(screen);
    return image && !IsIn3DMode() && image->AcquireSurfaceLock();
}

void ZoltAppBase::EndScreenPaint(Image* screen)
{
    if (auto* image = dynamic_cast<DDImage*>(screen))
        image->ReleaseSurfaceLock();
}

void ZoltAppBase::RepaintAll()
{
    widgetManager->InvalidateTree();
    widgetManager->NotifyFullRepaint();
}

bool ZoltAppBase::IsIn3DMode() { return display_ && display_->IsIn3DMode(); }

std::unique_ptr<Display3DPath> ZoltAppBase::MakeDirect3DPath()
{
    auto path = std::make_unique<D3DInterface>(this);
    direct3D_ = path.get();
    return path;
}

bool ZoltAppBase::ReadTextureBits(MemoryImage* image, uint32_t* out)
{
    Display3DPath* path = display_ ? display_->Get3DPath() : nullptr;
    return path && path->ReadBackTextures(image, out);
}

bool ZoltAppBase::TestRecommends3D() const
{
    const D3DTester* tester = direct3D_ ? direct3D_->GetTester() : nullptr;
    return tester && tester->GetFailureReason().empty() && tester->GetWarning().empty();
}

void ZoltAppBase::WriteRegistryText(const std::string& valueName, const std::string& text)
{
    // The path forgets its error at the next scene; the shutdown question
    // must still know that one happened.
    if (valueName == "Test3D\\RuntimeError")
        runtime3DError_ = true;
    RegWriteText(valueName, text);
}

void ZoltAppBase::RelayTestVerdict(std::string& failureReason, std::string& warning, bool& fresh)
{
    // A recorded run stores the verdict; a played one takes the recorded
    // verdict instead of this machine's.
    DemoRelayText(failureReason);
    DemoRelayText(warning);
    DemoRelayFlag(fresh);
}

} // namespace Zolt
