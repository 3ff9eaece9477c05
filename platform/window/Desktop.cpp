#include "platform/window/Desktop.h"

#include <algorithm>
#include <mutex>

namespace platform {

namespace {

struct DesktopSettings {
    std::mutex mutex;
    std::optional<DesktopMode> mode;  // guarded by mutex
    std::optional<RECT> workArea;     // guarded by mutex
    bool screenSaverActive = false;   // guarded by mutex
    int screenSaverTimeout = 0;       // guarded by mutex
    bool screenSaverRunning = false;  // guarded by mutex
    bool tabletPc = false;            // guarded by mutex
};

DesktopSettings& Settings()
{
    static DesktopSettings settings;
    return settings;
}

constexpr int kTestTaskBarHeight = 40;

} // namespace

DesktopMode GetDesktopMode()
{
    {
        DesktopSettings& s = Settings();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.mode)
            return *s.mode;
    }
    return GetWindowBackend().Desktop();
}

RECT GetWorkArea()
{
    {
        DesktopSettings& s = Settings();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.workArea)
            return *s.workArea;
        if (s.mode)
            return RECT{0, 0, s.mode->width, std::max(0, s.mode->height - kTestTaskBarHeight)};
    }
    return GetWindowBackend().WorkArea();
}

FrameInsets FrameInsetsForStyle(DWORD style)
{
    FrameInsets f;
    int border = 0;
    if (style & WS_THICKFRAME)
        border = kSizingFrame;
    else if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_DLGFRAME))
        border = kFixedFrame;
    else if (style & WS_BORDER)
        border = 1;
    f.left = f.right = f.bottom = f.top = border;
    if ((style & WS_CAPTION) == WS_CAPTION)
        f.top += kCaptionHeight;
    return f;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: return GetDesktopMode().width;
    case SM_CYSCREEN: return GetDesktopMode().height;
    case SM_CYCAPTION: return kCaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXFIXEDFRAME:
    case SM_CYFIXEDFRAME: return kFixedFrame;
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXFULLSCREEN: {
        const RECT work = GetWorkArea();
        return work.right - work.left;
    }
    case SM_CYFULLSCREEN: {
        // The client height of a maximised captioned window.
        const RECT work = GetWorkArea();
        return work.bottom - work.top - kCaptionHeight;
    }
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_TABLETPC: {
        DesktopSettings& s = Settings();
        std::lock_guard<std::mutex> lock(s.mutex);
        return s.tabletPc ? 1 : 0;
    }
    default: return 0;
    }
}

BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* pvParam, UINT)
{
    if (action == SPI_GETWORKAREA) {
        if (!pvParam)
            return FALSE;
        *static_cast<RECT*>(pvParam) = GetWorkArea();
        return TRUE;
    }
    DesktopSettings& s = Settings();
    std::lock_guard<std::mutex> lock(s.mutex);
    switch (action) {
    case SPI_GETSCREENSAVETIMEOUT:
        if (!pvParam)
            return FALSE;
        *static_cast<int*>(pvParam) = s.screenSaverTimeout;
        return TRUE;
    case SPI_GETSCREENSAVEACTIVE:
        if (!pvParam)
            return FALSE;
        *static_cast<BOOL*>(pvParam) = s.screenSaverActive ? TRUE : FALSE;
        return TRUE;
    case SPI_GETSCREENSAVERRUNNING:
        if (!pvParam)
            return FALSE;
        *static_cast<BOOL*>(pvParam) = s.screenSaverRunning ? TRUE : FALSE;
        return TRUE;
    case SPI_SETSCREENSAVERRUNNING:
        if (pvParam)
            *static_cast<BOOL*>(pvParam) = s.screenSaverRunning ? TRUE : FALSE;
        s.screenSaverRunning = uiParam != 0;
        return TRUE;
    default: return FALSE;
    }
}

namespace testing {

void SetDesktopMode(const DesktopMode& mode)
{
    DesktopSettings& s = Settings();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.mode = mode;
}

void SetWorkArea(const RECT& area)
{
    DesktopSettings& s = Settings();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.workArea = area;
}

void SetScreenSaver(bool active, int timeoutSeconds)
{
    DesktopSettings& s = Settings();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.screenSaverActive = active;
    s.screenSaverTimeout = timeoutSeconds;
}

void SetTabletPc(bool tablet)
{
    DesktopSettings& s = Settings();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.tabletPc = tablet;
}

void ResetDesktop()
{
    DesktopSettings& s = Settings();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.mode.reset();
    s.workArea.reset();
    s.screenSaverActive = false;
    s.screenSaverTimeout = 0;
    s.screenSaverRunning = false;
    s.tabletPc = false;
}

} // namespace testing

} // namespace platform
