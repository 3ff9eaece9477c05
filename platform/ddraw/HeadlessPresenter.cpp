#include "platform/ddraw/HeadlessPresenter.h"

#include "platform/ddraw/DisplayMachine.h"

namespace platform::ddraw {

HWND HeadlessPresenter::CreateWindow(const RECT& area)
{
    nextHandle_ += 0x10;
    HWND window = reinterpret_cast<HWND>(nextHandle_);
    windows_[window] = Window{area, false};
    return window;
}

void HeadlessPresenter::MoveWindow(HWND window, const RECT& area)
{
    auto it = windows_.find(window);
    if (it != windows_.end()) it->second.area = area;
}

void HeadlessPresenter::MinimiseWindow(HWND window, bool minimised)
{
    auto it = windows_.find(window);
    if (it != windows_.end()) it->second.minimised = minimised;
}

bool HeadlessPresenter::GetClientArea(HWND window, RECT& area)
{
    auto it = windows_.find(window);
    if (it == windows_.end()) return DisplayMachine::WindowServiceClientArea(window, area);
    if (it->second.minimised) return false;
    area = it->second.area;
    return true;
}

void HeadlessPresenter::SetFullScreen(HWND, bool fullScreen, int width, int height)
{
    fullScreen_ = fullScreen;
    fullWidth_ = width;
    fullHeight_ = height;
}

void HeadlessPresenter::Present(HWND window, const SurfaceView& primary, const RECT& source, bool fullScreen)
{
    frame_.window = window;
    frame_.fullScreen = fullScreen;
    frame_.source = source;
    frame_.width = source.right - source.left;
    frame_.height = source.bottom - source.top;
    frame_.pixels.resize(size_t(frame_.width) * size_t(frame_.height));
    ConvertRows(primary, source, frame_.pixels.data());
    ++presents_;
}

} // namespace platform::ddraw
