// The presenter of tests and CI: no window; the client areas of pretend
// windows are set by tests, and every present is kept in memory (as
// 0xAARRGGBB pixels) so that tests can read back what the screen showed. A
// frame shown straight from the draw surface is kept the same way, with the
// primary's rectangle it stands for.
//
// Threads: any; guarded by the display machine's lock, under which the
// machine calls it and DDrawTesting reads it.
#pragma once

#include "platform/ddraw/DisplayPresenter.h"

#include <cstdint>
#include <map>
#include <vector>

namespace platform::ddraw {

class HeadlessPresenter : public DisplayPresenter {
public:
    struct Frame {
        HWND window = nullptr;
        bool fullScreen = false;
        RECT source{0, 0, 0, 0};
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels; // width x height, 0xAARRGGBB
    };

    // A pretend window whose client area lies at `area` on the desktop.
    HWND CreateWindow(const RECT& area);
    void MoveWindow(HWND window, const RECT& area);
    void MinimiseWindow(HWND window, bool minimised);

    const Frame& LastFrame() const { return frame_; }
    int PresentCount() const { return presents_; }
    bool IsFullScreen() const { return fullScreen_; }
    int FullScreenWidth() const { return fullWidth_; }
    int FullScreenHeight() const { return fullHeight_; }

    bool GetClientArea(HWND window, RECT& area) override;
    void SetFullScreen(HWND window, bool fullScreen, int width, int height) override;
    void Present(HWND window, const SurfaceView& primary, const RECT& source, bool fullScreen) override;
    bool PresentDirect(HWND window, const SurfaceView& pixels, const RECT& from, const RECT& area) override;
    bool PresentDirectPart(HWND window, const SurfaceView& pixels, const RECT& from, const RECT& part,
                           const RECT& area) override;
    bool ShowAgain(HWND window, const RECT& area) override;
    // Presents that showed the frame again as it was.
    int AgainCount() const { return agains_; }
    // Presents that showed only a part of the frame, and the last such part.
    int PartCount() const { return parts_; }
    const RECT& LastPart() const { return lastPart_; }
    bool ReadShown(HWND window, const RECT& area, uint32_t* out) override;

private:
    struct Window {
        RECT area;
        bool minimised = false;
    };
    // Takes the pixels of `from` in `pixels` as the frame shown over `area`.
    void Show(HWND window, bool fullScreen, const SurfaceView& pixels, const RECT& from, const RECT& area);
    std::map<HWND, Window> windows_;
    uintptr_t nextHandle_ = 0x1000;
    Frame frame_;
    int presents_ = 0;
    int parts_ = 0;
    int agains_ = 0;
    RECT lastPart_{0, 0, 0, 0};
    bool fullScreen_ = false;
    int fullWidth_ = 0;
    int fullHeight_ = 0;
};

} // namespace platform::ddraw
