#include "framework/graphics/DisplayHost.h"

#include "platform/core/DebugOutput.h"
#include "platform/ddraw/DisplayMachine.h"

namespace Zolt {

bool DisplayHost::GetClientOrigin(platform::HWND window, Point& origin)
{
    platform::RECT area{};
    if (!platform::ddraw::DisplayMachine::Instance().GetClientArea(window, area))
        return false;
    origin.x = area.left;
    origin.y = area.top;
    return true;
}

void DisplayHost::PlaceWindowAroundClient(platform::HWND window, const Rect& client)
{
    // Without a window service of the application's own there is no frame
    // to adjust: the presenter sizes its window to what it is shown.
    (void)window;
    (void)client;
}

void DisplayHost::GetDesktopSize(int& width, int& height)
{
    const platform::ddraw::DisplayMode desktop = platform::ddraw::DisplayMachine::Instance().Desktop();
    width = desktop.width;
    height = desktop.height;
}

void DisplayHost::Log(const std::string& line) { platform::OutputDebugString(line); }

} // namespace Zolt
