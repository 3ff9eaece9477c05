#include "framework/app/ScreenSaverWatch.h"

#include "platform/core/Clock.h"
#include "platform/window/Desktop.h"
#include "platform/window/Window.h"

#include <algorithm>

using namespace platform;

namespace Zolt {

namespace {

bool IsSwitchingCommand(WPARAM command)
{
    return command == SC_CLOSE || command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
}

} // namespace

bool ScreenSaverWatch::Filter(HWND window, UINT message, WPARAM wParam, HWND mainWindow)
{
    if (ending_)
        return false;
    if (message == WM_CREATE && !haveStart_) {
        haveStart_ = GetCursorPos(&start_) != FALSE;
        return false;
    }
    if (message == WM_SYSCOMMAND)
        return IsSwitchingCommand(wParam & 0xFFF0);
    if (window != mainWindow)
        return false;
    const bool recentPower = GetTickCount() - monitorPowerStamp_ < 1000 && monitorPowerStamp_ != 0;
    bool end = false;
    switch (message) {
    case WM_MOUSEMOVE: {
        POINT p{};
        GetCursorPos(&p);
        if (haveStart_ && p.x == start_.x && p.y == start_.y)
            return false;
        start_ = p;
        haveStart_ = true;
        if (recentPower)
            return false;
        if (++moves_ <= 3)
            return true;
        end = true;
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: end = true; break;
    case WM_CLOSE: end = !recentPower; break;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE: end = wParam == 0 && !recentPower; break;
    default: break;
    }
    if (end) {
        // The message that ended it is still processed as usual.
        ending_ = true;
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return false;
}

bool ScreenSaverWatch::TakeIdleCheckTurn(uint32_t now)
{
    if (now - lastIdleCheck_ < 1000)
        return false;
    lastIdleCheck_ = now;
    return true;
}

bool ScreenSaverWatch::IdleCheck(uint32_t now, const uint32_t* systemLastInput)
{
    if (lastSettingsRead_ == 0 || now - lastSettingsRead_ >= 10000) {
        lastSettingsRead_ = now == 0 ? 1 : now;
        int timeout = 0;
        BOOL active = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
        SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
        saverActive_ = active != FALSE;
        threshold_ = uint32_t(std::max(timeout - 2, 1)) * 1000u;
        if (!saverActive_)
            holding_ = false;
    }
    if (systemLastInput)
        lastInput_ = std::min(*systemLastInput, now);
    if (!saverActive_)
        return false;
    if (holding_) {
        BOOL running = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
        if (running)
            return false;
    }
    if (now - lastInput_ >= threshold_) {
        holding_ = true;
        return false;
    }
    const bool lifted = holding_;
    holding_ = false;
    return lifted;
}

} // namespace Zolt
