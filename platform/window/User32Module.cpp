#include "platform/window/User32Module.h"

#include "platform/core/ModuleRegistry.h"
#include "platform/window/WindowSystem.h"

namespace platform {

struct IconObject {};

BOOL GetLastInputInfo(LASTINPUTINFO* info)
{
    if (!info || info->cbSize != sizeof(LASTINPUTINFO))
        return FALSE;
    detail::WindowSystem& s = detail::System();
    std::lock_guard<std::mutex> lock(s.mutex);
    info->dwTime = s.lastInputTick;
    return TRUE;
}

HICON LoadIconA(HINSTANCE, LPCSTR name)
{
    static IconObject icon;
    return name ? &icon : nullptr;
}

void RegisterUser32Module()
{
    RegisterModule("user32.dll", {Entry("GetLastInputInfo", &GetLastInputInfo)});
}

} // namespace platform
