#include "platform/ddraw/HeadlessPresenter.h"

#include "platform/ddraw/DisplayMachine.h"
#include "platform/window/FullScreenWindow.h"
#include "platform/window/Window.h"

#include <algorithm>

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

void HeadlessPresenter::SetFullScreen(HWND window, bool fullScreen, int width, int height)
{
    fullScreen_ = fullScreen;
    fullWidth_ = width;
    fullHeight_ = height;
    // A window of the window service covers the monitor as on the real back
    // end, so that the pointer reads in the picture's pixels here too.
    if (window && IsWindow(window)) {
        if (fullScreen)
            CoverMonitor(window);
        else
            UncoverMonitor(window);
    }
}

void HeadlessPresenter::Present(HWND window, const SurfaceView& primary, const RECT& source, bool fullScreen)
{
    Show(window, fullScreen, primary, source, source);
    int width = 0;
    int height = 0;
    if (fullScreen && window && CoveringSize(window, width, height)) {
        const int pictureWidth = source.right - source.left;
        const int pictureHeight = source.bottom - source.top;
        ShowScreenScaled(window, ScreenScaling{pictureWidth, pictureHeight,
                                               FitPictureInside(pictureWidth, pictureHeight, width, height)});
    }
}

bool HeadlessPresenter::PresentDirect(HWND window, const SurfaceView& pixels, const RECT& from, const RECT& area)
{
    Show(window, false, pixels, from, area);
    return true;
}

void HeadlessPresenter::Show(HWND window, bool fullScreen, const SurfaceView& pixels, const RECT& from, const RECT& area)
{
    frame_.window = window;
    frame_.fullScreen = fullScreen;
    frame_.source = area;
    frame_.width = area.right - area.left;
    frame_.height = area.bottom - area.top;
    frame_.pixels.resize(size_t(frame_.width) * size_t(frame_.height));
    ConvertRows(pixels, from, frame_.pixels.data());
    ++presents_;
}

bool HeadlessPresenter::ShowAgain(HWND window, const RECT& area)
{
    const RECT& shown = frame_.source;
    if (frame_.window != window || frame_.fullScreen || shown.left != area.left || shown.top != area.top ||
        shown.right != area.right || shown.bottom != area.bottom)
        return false;
    ++presents_;
    ++agains_;
    return true;
}

bool HeadlessPresenter::PresentDirectPart(HWND window, const SurfaceView& pixels, const RECT& from, const RECT& part,
                                          const RECT& area)
{
    const RECT& shown = frame_.source;
    if (frame_.window != window || frame_.fullScreen || shown.left != area.left || shown.top != area.top ||
        shown.right != area.right || shown.bottom != area.bottom)
        return false;
    if (part.left < shown.left || part.top < shown.top || part.right > shown.right || part.bottom > shown.bottom ||
        part.right <= part.left || part.bottom <= part.top)
        return false;
    uint32_t* corner = frame_.pixels.data() + size_t(part.top - shown.top) * size_t(frame_.width) +
                       size_t(part.left - shown.left);
    ConvertRows(pixels, from, corner, frame_.width);
    ++presents_;
    ++parts_;
    lastPart_ = part;
    return true;
}

bool HeadlessPresenter::ReadShown(HWND window, const RECT& area, uint32_t* out)
{
    const RECT& shown = frame_.source;
    if (frame_.window != window || frame_.fullScreen || area.left < shown.left || area.top < shown.top ||
        area.right > shown.right || area.bottom > shown.bottom)
        return false;
    const int width = area.right - area.left;
    for (LONG y = area.top; y < area.bottom; ++y, out += width) {
        const uint32_t* row = frame_.pixels.data() + size_t(y - shown.top) * size_t(frame_.width);
        std::copy(row + (area.left - shown.left), row + (area.right - shown.left), out);
    }
    return true;
}

} // namespace platform::ddraw
