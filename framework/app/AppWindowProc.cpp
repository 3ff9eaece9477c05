// The window procedure of both windows and the queued input: the procedure
// does the little that must happen at once and queues every input and
// activation message; the loop applies them one per step and hands them to
// the widget manager. Main thread (the procedure runs inside the loop's
// dispatch or inside a system modal loop).
#include "framework/app/ZoltAppBase.h"

#include "framework/app/DemoRecorder.h"
#include "framework/app/InputQueue.h"
#include "framework/graphics/DDInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/core/Clock.h"
#include "platform/core/DebugOutput.h"
#include "framework/base/StringUtils.h"
#include "platform/window/Desktop.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/Window.h"

#include <algorithm>
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
    if (screenSaverMode_ && ScreenSaverFilter(window, message, wParam, lParam))
        return 0;

    switch (message) {
    case WM_DESTROY:
        OutputDebugString(FormatString("DESTROYED HWND: %d\r\n", int(reinterpret_cast<intptr_t>(window))));
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_ENABLE:
        windowDisabled_ = wParam == 0;
        break;
    case WM_PAINT:
        if (initialized_ && !goingDown_) {
            PAINTSTRUCT paint{};
            BeginPaint(window, &paint);
            if (running_)
                RecoverDisplay(nullptr);
            EndPaint(window, &paint);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_QUERYOPEN:
        if (!IsMainWindowEnabled())
            return 0;
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (!goingDown_)
            UpdateCursor();
        return 1;
    case WM_ENDSESSION:
        Quit();
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_NCLBUTTONDOWN: {
        const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        ResetFrameTiming(false);
        return result;
    }
    case WM_SYSCHAR:
        if (IsScreenToggleKey(int(wParam)))
            return 0;
        break;
    case WM_SYSCOMMAND: {
        const WPARAM command = wParam & 0xFFF0;
        if (command == SC_MONITORPOWER) {
            monitorPowerStamp_ = GetTickCount();
            if (!completionApplied_)
                return 0;
        } else if (command == SC_SCREENSAVE) {
            if (!completionApplied_ || !isWindowed)
                return 0;
        }
        break;
    }
    case WM_ACTIVATEAPP:
        if (window == mainWindow_ && !demo_->IsPlaying())
            active_ = wParam != 0;
        break;
    default:
        break;
    }

    if (InputQueue::IsQueuedKind(message)) {
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

        input_->Offer(QueuedMessage{window, message, wParam, lParam});

        // A played demo takes its minimised state from the recording.
        if (message == WM_SIZE && !demo_->IsPlaying())
            minimized_ = wParam == SIZE_MINIMIZED;
        else if (message == WM_SYSKEYDOWN && int(wParam) != VK_F4)
            return 0;
        else if (message == WM_CLOSE) {
            OnCloseRequest();
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    if (notifyMessage_ != 0 && message == notifyMessage_ && window == mainWindow_) {
        BringToFront(wParam, lParam);
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
            demo_->NoteClosedDuringPlayback();
            Quit();
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
        lastInputTime_ = lastTimerTick_;
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
        lastInputTime_ = lastTimerTick_;
        if (int(msg.wParam) >= 0 && int(msg.wParam) < WidgetManager::kKeyTableSize)
            widgetManager->HandleKeyUp(int(msg.wParam));
        return;
    case WM_CHAR:
        lastInputTime_ = lastTimerTick_;
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
    if (urlPending_ && !active_)
        OnUrlLaunched(pendingUrl_);
}

void ZoltAppBase::ApplyMinimized(bool minimizedNow)
{
    if (minimizedNow != minimizedForFocus_) {
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
}

void ZoltAppBase::ApplyTimerTick()
{
    const uint32_t now = GetTickCount();
    if (now - lastTimerTick_ > 500)
        tickRunStart_ = now;
    lastTimerTick_ = now;
    if (urlPending_ && now - tickRunStart_ > 5000) {
        if (!active_ && now - urlLaunchTime_ >= 8001)
            OnUrlLaunched(pendingUrl_);
        else if (active_ && now - urlLaunchTime_ >= 12001)
            OnUrlLaunchFailed(pendingUrl_);
    }

    bool inside = false;
    if (mainWindow_ && display_) {
        POINT origin{0, 0};
        ClientToScreen(mainWindow_, &origin);
        POINT cursor{};
        if (GetCursorPos(&cursor)) {
            inside = cursor.x >= origin.x && cursor.y >= origin.y &&
                     cursor.x < origin.x + display_->GetDisplayWidth() &&
                     cursor.y < origin.y + display_->GetDisplayHeight() && WindowFromPoint(cursor) == mainWindow_;
        }
        if (inside != mouseInWindow_) {
            if (demo_->IsRecording())
                RecordSimpleCommand(inside ? 7 : 8);
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
    }
}

void ZoltAppBase::ApplyMouseMessage(const QueuedMessage& msg)
{
    int x = GET_X_LPARAM(msg.lParam);
    int y = GET_Y_LPARAM(msg.lParam);
    widgetManager->MapWindowToWidgetCoords(x, y);
    lastInputTime_ = lastTimerTick_;
    widgetManager->HandleMouseMove(x, y);
    if (!mouseInWindow_) {
        if (demo_->IsRecording())
            RecordSimpleCommand(7);
        mouseInWindow_ = true;
        UpdateCursor();
    }
    int code = 0;
    bool down = true;
    switch (msg.message) {
    case WM_LBUTTONDOWN: code = 1; break;
    case WM_LBUTTONDBLCLK: code = 2; break;
    case WM_RBUTTONDOWN: code = -1; break;
    case WM_RBUTTONDBLCLK: code = -2; break;
    case WM_MBUTTONDOWN: code = 3; break;
    case WM_LBUTTONUP: code = 1; down = false; break;
    case WM_RBUTTONUP: code = -1; down = false; break;
    case WM_MBUTTONUP: code = 3; down = false; break;
    default: return;
    }
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

bool ZoltAppBase::ScreenSaverFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    if (ssEnding_)
        return false;
    if (message == WM_CREATE && !ssHaveStart_) {
        ssHaveStart_ = GetCursorPos(&ssStart_) != FALSE;
        return false;
    }
    if (message == WM_SYSCOMMAND) {
        const WPARAM command = wParam & 0xFFF0;
        if (command == SC_CLOSE || command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE)
            return true;
        return false;
    }
    if (window != mainWindow_)
        return false;
    const bool recentPower = GetTickCount() - monitorPowerStamp_ < 1000 && monitorPowerStamp_ != 0;
    bool end = false;
    switch (message) {
    case WM_MOUSEMOVE: {
        POINT p{};
        GetCursorPos(&p);
        if (ssHaveStart_ && p.x == ssStart_.x && p.y == ssStart_.y)
            return false;
        ssStart_ = p;
        ssHaveStart_ = true;
        if (recentPower)
            return false;
        if (++ssMoves_ <= 3)
            return true;
        end = true;
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        end = true;
        break;
    case WM_CLOSE:
        end = !recentPower;
        break;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
        end = wParam == 0 && !recentPower;
        break;
    default:
        break;
    }
    if (end) {
        // No password check on this system: any of these ends the screensaver.
        ssEnding_ = true;
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return false;
}

void ZoltAppBase::ScreenSaverIdleCheck()
{
    if (!isWindowed || screenSaverMode_)
        return;
    const uint32_t now = GetTickCount();
    if (lastScreenSaverRead_ == 0 || now - lastScreenSaverRead_ >= 10000) {
        lastScreenSaverRead_ = now == 0 ? 1 : now;
        int timeout = 0;
        BOOL activeSaver = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
        SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &activeSaver, 0);
        screenSaverActive_ = activeSaver != FALSE;
        screenSaverThreshold_ = uint32_t(std::max(timeout - 2, 1)) * 1000u;
        if (!screenSaverActive_)
            screenSaverHold_ = false;
    }
    if (getLastInputInfo_) {
        struct {
            UINT cbSize;
            DWORD dwTime;
        } info{sizeof(UINT) + sizeof(DWORD), 0};
        if (getLastInputInfo_(&info))
            lastInputTime_ = std::min<uint32_t>(info.dwTime, now);
    }
    if (!screenSaverActive_)
        return;
    const uint32_t idle = now - lastInputTime_;
    if (screenSaverHold_) {
        BOOL running = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
        if (running)
            return;
    }
    if (idle < screenSaverThreshold_) {
        if (screenSaverHold_) {
            screenSaverHold_ = false;
            RepaintAll();
        }
    } else {
        screenSaverHold_ = true;
    }
}

} // namespace Zolt
