// The window procedure of both windows and the queued input: the procedure
// does the little that must happen at once and queues every input and
// activation message; the loop applies them one per step and hands them to
// the widget manager. Main thread (the procedure runs inside the loop's
// dispatch or inside a system modal loop).
#include "framework/app/ZoltAppBase.h"

#include "framework/app/BackgroundLoader.h"
#include "framework/app/DemoRecorder.h"
#include "framework/app/InputQueue.h"
#include "framework/app/ScreenSaverWatch.h"
#include "framework/app/UrlLauncher.h"
#include "framework/base/StringUtils.h"
#include "framework/graphics/DDInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/core/Clock.h"
#include "platform/core/DebugOutput.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/Window.h"

#include <cctype>

using namespace platform;

namespace Zolt {

LRESULT ZoltAppBase::MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* app = reinterpret_cast<ZoltAppBase*>(GetWindowLongPtrA(window, GWL_USERDATA));
    if (!app)
        return DefWindowProcA(window, message, wParam, lParam);
    return app->HandleWindowMessage(window, message, wParam, lParam);
}

LRESULT ZoltAppBase::HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (screenSaverMode_ && screenSaver_->Filter(window, message, wParam, mainWindow_))
        return 0;
    LRESULT result = 0;
    if (HandleAtOnce(window, message, wParam, lParam, result))
        return result;
    if (InputQueue::IsQueuedKind(message))
        return QueueInputMessage(window, message, wParam, lParam);
    if (notifyMessage_ != 0 && message == notifyMessage_ && window == mainWindow_) {
        BringToFront(wParam, lParam);
        // The copies that knocked wait to hear that it is done.
        if (instanceLock_)
            instanceLock_->AnswerNotifications();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool ZoltAppBase::HandleAtOnce(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_DESTROY:
        OutputDebugString(FormatString("DESTROYED HWND: %d\r\n", int(reinterpret_cast<intptr_t>(window))));
        result = DefWindowProcA(window, message, wParam, lParam);
        return true;
    case WM_ENABLE: windowDisabled_ = wParam == 0; return false;
    case WM_PAINT:
        if (initialized_ && !goingDown_) {
            PAINTSTRUCT paint{};
            BeginPaint(window, &paint);
            if (running_)
                RecoverDisplay(nullptr);
            EndPaint(window, &paint);
            result = 0;
        } else {
            result = DefWindowProcA(window, message, wParam, lParam);
        }
        return true;
    case WM_QUERYOPEN: result = 0; return !IsMainWindowEnabled();
    case WM_ERASEBKGND: result = 1; return true;
    case WM_SETCURSOR:
        if (!goingDown_)
            UpdateCursor();
        result = 1;
        return true;
    case WM_ENDSESSION:
        if (wParam) {
            sessionEnding_ = true;
            OnSessionEnding();
        }
        result = DefWindowProcA(window, message, wParam, lParam);
        return true;
    case WM_NCLBUTTONDOWN:
        result = DefWindowProcA(window, message, wParam, lParam);
        ResetFrameTiming(false);
        return true;
    case WM_SYSCHAR: result = 0; return IsScreenToggleKey(int(wParam));
    case WM_SYSCOMMAND: result = 0; return IsSystemCommandRefused(wParam & 0xFFF0);
    case WM_ACTIVATEAPP:
        if (window == mainWindow_ && !demo_->IsPlaying())
            active_ = wParam != 0;
        return false;
    default: return false;
    }
}

bool ZoltAppBase::IsSystemCommandRefused(WPARAM command)
{
    // The monitor and the screensaver wait until loading is done, and a
    // full-screen game keeps the screensaver away.
    if (command == SC_MONITORPOWER) {
        screenSaver_->NoteMonitorPower(GetTickCount());
        return !loader_->IsCompletionApplied();
    }
    if (command == SC_SCREENSAVE)
        return !loader_->IsCompletionApplied() || !isWindowed;
    return false;
}

LRESULT ZoltAppBase::QueueInputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (systemDialogUp_)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_KEYUP || message == WM_SYSKEYUP) {
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        if (int(wParam) == VK_CONTROL)
            ctrlHeld_ = down;
        else if (int(wParam) == VK_MENU)
            altHeld_ = down;
        if (down && OnWindowKey(int(wParam), ctrlHeld_, altHeld_))
            return 0;
    }
    if (demo_->IsPlaying()) {
        if (message == WM_CHAR)
            HandlePlaybackChar(int(wParam));
        else if (message == WM_KEYDOWN)
            OnDeveloperKey(int(wParam));
    }

    if (message == WM_MOUSEMOVE)
        pointerMoved_.Set();
    input_->Offer(QueuedMessage{window, message, wParam, lParam});

    // A played demo takes its minimised state from the recording.
    if (message == WM_SIZE && !demo_->IsPlaying())
        minimized_ = wParam == SIZE_MINIMIZED;
    else if (message == WM_SYSKEYDOWN && int(wParam) != VK_F4)
        return 0; // Alt+F4 closes; other Alt combinations are swallowed
    else if (message == WM_CLOSE) {
        OnCloseRequest();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

size_t ZoltAppBase::QueuedInputCount() const { return input_->Size(); }

bool ZoltAppBase::ProcessQueuedInput(bool oneOnly)
{
    QueuedMessage msg{};
    while (input_->TakeOldest(msg)) {
        if (demo_->IsRecording() && !quit_)
            RecordInput(msg);
        if (!demo_->IsPlaying())
            ApplyQueuedMessage(msg);
        if (msg.message == WM_CLOSE) {
            closedByWindow_ = true;
            Quit();
            // A close the application refused is forgotten: a played demo
            // goes on feeding its recorded values in step.
            if (!quit_)
                closedByWindow_ = false;
        }
        if (oneOnly)
            break;
    }
    return !input_->Empty();
}

void ZoltAppBase::ApplyQueuedMessage(const QueuedMessage& msg)
{
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        screenSaver_->NoteInput(lastTimerTick_);
        const int key = int(msg.wParam);
        if (msg.message == WM_SYSKEYDOWN && key == VK_RETURN) {
            if (!windowedRefused_ && !fullScreenFailed_) {
                SetWindowed(!windowedWanted);
                ForgetHeldKeys();
                return;
            }
        }
        if (key == 'D' && widgetManager->IsKeyDown(VK_CONTROL) && widgetManager->IsKeyDown(VK_MENU))
            developerMode_ = !developerMode_;
        if (developerMode_ && OnDeveloperKey(key))
            return;
        if (key >= 0 && key < WidgetManager::kKeyTableSize)
            widgetManager->HandleKeyDown(key);
        return;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
        screenSaver_->NoteInput(lastTimerTick_);
        if (int(msg.wParam) >= 0 && int(msg.wParam) < WidgetManager::kKeyTableSize)
            widgetManager->HandleKeyUp(int(msg.wParam));
        return;
    case WM_CHAR:
        screenSaver_->NoteInput(lastTimerTick_);
        widgetManager->HandleChar(char(uint8_t(msg.wParam)));
        return;
    case WM_MOVE:
        if (msg.window == mainWindow_ && windowedWanted) {
            WINDOWPLACEMENT placement{};
            placement.length = sizeof placement;
            if (GetWindowPlacement(mainWindow_, &placement) &&
                (placement.showCmd == SW_SHOWNORMAL || placement.showCmd == SW_SHOW)) {
                preferredX = placement.rcNormalPosition.left;
                preferredY = placement.rcNormalPosition.top;
            }
        }
        return;
    case WM_SIZE:
        if (msg.window == mainWindow_ && !quit_) {
            ApplyMinimized(msg.wParam == SIZE_MINIMIZED);
            if (msg.wParam == SIZE_MAXIMIZED)
                SetWindowed(false);
        }
        return;
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
        widgetManager->NotifySystemColorsChangedTree();
        RepaintAll();
        return;
    case WM_ACTIVATEAPP:
        if (msg.window == mainWindow_ && !goingDown_ && !quit_)
            ApplyActivation();
        return;
    case WM_TIMER:
        if (!goingDown_ && running_)
            ApplyTimerTick();
        return;
    case WM_MOUSEWHEEL:
        widgetManager->HandleMouseWheel(GET_WHEEL_DELTA_WPARAM(msg.wParam) / WHEEL_DELTA);
        return;
    default:
        if (InputQueue::IsMouseMessage(msg.message) && !goingDown_)
            ApplyMouseMessage(msg);
        return;
    }
}

void ZoltAppBase::ApplyActivation()
{
    UpdateActiveState();
    if (active_ && !isWindowed)
        RepaintAll();
    if (url_->IsPending() && !active_)
        OnUrlLaunched(url_->Url());
}

void ZoltAppBase::ApplyMinimized(bool minimizedNow)
{
    const bool changed = minimizedNow != minimizedForFocus_;
    if (changed) {
        minimizedForFocus_ = minimizedNow;
        if (minimizedNow) {
            Silence(true);
        } else {
            Unsilence(true);
            RepaintAll();
        }
    }
    minimized_ = minimizedNow;
    UpdateActiveState();
    if (changed)
        OnWindowMinimized(minimizedNow);
}

void ZoltAppBase::ApplyTimerTick()
{
    const uint32_t now = GetTickCount();
    if (now - lastTimerTick_ > 500)
        tickRunStart_ = now;
    lastTimerTick_ = now;
    switch (url_->Judge(now, tickRunStart_, active_)) {
    case UrlLauncher::Verdict::Launched: OnUrlLaunched(url_->Url()); break;
    case UrlLauncher::Verdict::Failed: OnUrlLaunchFailed(url_->Url()); break;
    case UrlLauncher::Verdict::Waiting: break;
    }
    if (mainWindow_ && display_)
        CheckMouseInWindow();
}

void ZoltAppBase::CheckMouseInWindow()
{
    // Inside the presented screen, and over this window rather than another.
    POINT origin{0, 0};
    ClientToScreen(mainWindow_, &origin);
    POINT cursor{};
    bool inside = false;
    if (GetCursorPos(&cursor)) {
        inside = cursor.x >= origin.x && cursor.y >= origin.y && cursor.x < origin.x + display_->GetDisplayWidth() &&
                 cursor.y < origin.y + display_->GetDisplayHeight() && WindowFromPoint(cursor) == mainWindow_;
    }
    if (inside == mouseInWindow_)
        return;
    if (demo_->IsRecording())
        RecordSimpleCommand(inside ? kDemoMouseEnter : kDemoMouseLeave);
    if (!inside) {
        POINT client = cursor;
        ScreenToClient(mainWindow_, &client);
        int x = client.x;
        int y = client.y;
        widgetManager->MapWindowToWidgetCoords(x, y);
        widgetManager->HandleMouseExit(x, y);
    }
    mouseInWindow_ = inside;
    UpdateCursor();
}

void ZoltAppBase::ApplyMouseMessage(const QueuedMessage& msg)
{
    int x = GET_X_LPARAM(msg.lParam);
    int y = GET_Y_LPARAM(msg.lParam);
    widgetManager->MapWindowToWidgetCoords(x, y);
    screenSaver_->NoteInput(lastTimerTick_);
    widgetManager->HandleMouseMove(x, y);
    if (!mouseInWindow_) {
        if (demo_->IsRecording())
            RecordSimpleCommand(kDemoMouseEnter);
        mouseInWindow_ = true;
        UpdateCursor();
    }
    int code = 0;
    bool down = true;
    if (!InputQueue::ClickOf(msg.message, code, down))
        return;
    if (down) {
        SetCapture(msg.window);
        widgetManager->HandleMouseDown(x, y, code);
    } else {
        if ((widgetManager->HeldMask() & ~WidgetManager::ButtonBitOf(code)) == 0)
            ReleaseCapture();
        widgetManager->HandleMouseUp(x, y, code);
    }
}

void ZoltAppBase::UpdateActiveState()
{
    const bool focus = active_ && !minimized_;
    if (focus == hasFocus_)
        return;
    hasFocus_ = focus;
    if (!focus) {
        Silence(true);
        widgetManager->HandleAppFocusLost();
        OnInputFocusLost();
        ReleaseCapture();
        widgetManager->ReleaseMouseCapture();
    } else {
        Unsilence(true);
        widgetManager->HandleAppFocusGained();
        OnInputFocusGained();
    }
}

void ZoltAppBase::ForgetHeldKeys()
{
    widgetManager->ClearKeyTable();
    ctrlHeld_ = false;
    altHeld_ = false;
}

bool ZoltAppBase::IsScreenToggleKey(int key)
{
    const int lower = (key >= 0 && key < 256) ? std::tolower(key) : key;
    return lower == 13 || lower == 'r';
}

void ZoltAppBase::ScreenSaverIdleCheck()
{
    if (!isWindowed || screenSaverMode_)
        return;
    uint32_t systemLastInput = 0;
    bool known = false;
    if (getLastInputInfo_) {
        LASTINPUTINFO info{sizeof(LASTINPUTINFO), 0};
        known = getLastInputInfo_(&info) != FALSE;
        systemLastInput = info.dwTime;
    }
    if (screenSaver_->IdleCheck(GetTickCount(), known ? &systemLastInput : nullptr))
        RepaintAll();
}

} // namespace Zolt
