#include "framework/graphics/DisplayHost.h"

#include "platform/core/DebugOutput.h"
#include "platform/ddraw/DisplayMachine.h"
#include "platform/window/Desktop.h"
#include "platform/window/Window.h"

#include <algorithm>

namespace Zolt {

bool DisplayHost::GetClientOrigin(platform::HWND window, Point& origin)
{
    platform::POINT point{0, 0};
    if (platform::ClientToScreen(window, &point)) {
        origin.x = point.x;
        origin.y = point.y;
        return true;
    }
    // Windows the window service does not know (the display service's
    // pretend windows, the SDL presenter's own) are placed by the presenter.
    platform::RECT area{};
    if (!platform::ddraw::DisplayMachine::Instance().GetClientArea(window, area))
        return false;
    origin.x = area.left;
    origin.y = area.top;
    return true;
}

void DisplayHost::PlaceWindowAroundClient(platform::HWND window, const Rect& client)
{
    if (!platform::IsWindow(window))
        return;
    platform::RECT frame{client.x, client.y, client.x + client.width, client.y + client.height};
    const auto style = static_cast<platform::DWORD>(platform::GetWindowLongA(window, platform::GWL_STYLE));
    const auto exStyle = static_cast<platform::DWORD>(platform::GetWindowLongA(window, platform::GWL_EXSTYLE));
    platform::AdjustWindowRectEx(&frame, style, platform::FALSE, exStyle);
    platform::MoveWindow(window, std::max<platform::LONG>(frame.left, 0), std::max<platform::LONG>(frame.top, 0),
                         frame.right - frame.left, frame.bottom - frame.top, platform::FALSE);
}

void DisplayHost::GetDesktopSize(int& width, int& height)
{
    width = platform::GetSystemMetrics(platform::SM_CXSCREEN);
    height = platform::GetSystemMetrics(platform::SM_CYSCREEN);
}

void DisplayHost::Log(const std::string& line) { platform::OutputDebugString(line); }

} // namespace Zolt
