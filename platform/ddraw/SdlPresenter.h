// The real presenter: shows the primary in an SDL window through the
// window's own surface, with no renderer (and so no GL stack) at all.
// Windowed, a frame copied whole onto the window's area of the primary is
// converted from the draw surface straight into the window surface 1:1
// (PresentDirect), and any other present from the primary the same way; a
// window larger than the picture shows black beyond it. In full screen the
// window covers the monitor (FullScreenWindow.h) and the mode's picture is
// scaled into it keeping its shape, with black bars at the sides or top and
// bottom, and the window service is told where it went so that the pointer
// reads in the picture's pixels; a window smaller than the picture shows it
// shrunk the same way.
//
// The SDL window is the one the window service made for the handle; for a
// handle the window service does not know (or none) the presenter makes a
// window of its own on first use, or uses the one it was given.
//
// Threads: SDL draws only on the thread that made the presenter. Presents from
// other threads (the cursor thread) are converted and kept; the owning thread
// shows them at its next present or RenderPending call. All members run under
// the display machine's lock.
#pragma once

#include "platform/ddraw/DisplayPresenter.h"

#include <thread>
#include <vector>

struct SDL_Window;
struct SDL_Surface;

namespace platform::ddraw {

class SdlPresenter final : public DisplayPresenter {
public:
    // `fallback` (not owned) serves handles the window service does not
    // know; without one, a window of `width` x `height` is made when needed.
    SdlPresenter(SDL_Window* fallback, int width, int height);
    ~SdlPresenter() override;
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    // Makes the presenter and installs it in the display machine. False (and
    // nothing changed) when SDL's video cannot start.
    static bool Install(SDL_Window* fallback = nullptr, int width = 1024, int height = 768);

    bool IsReady() const { return videoReady_; }
    // Shows a frame kept from another thread; call on the owning thread.
    void RenderPending();

    bool GetClientArea(HWND window, RECT& area) override;
    void SetFullScreen(HWND window, bool fullScreen, int width, int height) override;
    void Present(HWND window, const SurfaceView& primary, const RECT& source, bool fullScreen) override;
    bool PresentDirect(HWND window, const SurfaceView& pixels, const RECT& from, const RECT& area) override;
    bool PresentDirectPart(HWND window, const SurfaceView& pixels, const RECT& from, const RECT& part,
                           const RECT& area) override;
    bool ShowAgain(HWND window, const RECT& area) override;
    bool ReadShown(HWND window, const RECT& area, uint32_t* out) override;

private:
    SDL_Window* TargetFor(HWND window, bool create);
    // The window surface when the picture goes into it 1:1 as 32-bit
    // pixels; null when it must be scaled or converted.
    SDL_Surface* DirectTarget(SDL_Surface* surface, int width, int height, bool fullScreen) const;
    // The window surface that still shows the last one-pass picture of
    // `area` in `window`, on the owning thread; null otherwise.
    SDL_Surface* SurfaceShowingDirect(HWND window, const RECT& area);
    // The window's surface, on the owning thread; forgets the direct picture
    // when SDL made the window a new surface.
    SDL_Surface* WindowSurface(SDL_Window* target);
    // Converts `source` of the view into the window surface at (0, 0) and
    // shows that part; the window surface then holds the picture.
    void ShowDirect(SDL_Window* target, SDL_Surface* surface, const SurfaceView& view, const RECT& source);
    // Paints black what the surface shows around `picture`, once per
    // surface and place; true when it painted.
    bool PaintBars(SDL_Surface* surface, const RECT& picture);
    // Converts `source` of the view into the window surface in one pass,
    // scaled to fit when needed, and shows it.
    void ShowScaled(SDL_Surface* surface, const SurfaceView& view, const RECT& source);
    static bool IsXrgb(const SDL_Surface* surface);
    // Shows frame_ in frameTarget_, scaled to fit when needed.
    void Render();
    // The presenter's own window covers its monitor, or goes back.
    void CoverWithFallback(SDL_Window* target, bool cover);

    bool videoReady_ = false;
    bool ownsVideo_ = false;
    SDL_Window* fallback_ = nullptr;
    bool ownsFallback_ = false;
    int fallbackWidth_;
    int fallbackHeight_;
    std::thread::id owner_;
    SDL_Window* frameTarget_ = nullptr;
    HWND frameWindow_ = nullptr;
    std::vector<uint32_t> frame_; // 0xAARRGGBB, frameWidth_ x frameHeight_
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    bool frameFullScreen_ = false;
    bool pending_ = false;
    // The last picture went 1:1 into the surface of the window with this id
    // (ids are never reused), marked with this presenter as its userdata;
    // null when it went through frame_ or SDL was seen to make the window a
    // new surface.
    uint32_t directWindowId_ = 0;
    SDL_Surface* directSurface_ = nullptr;
    // The surface that is black around this place of the picture.
    SDL_Surface* barsSurface_ = nullptr;
    int barsWidth_ = 0;
    int barsHeight_ = 0;
    RECT barsAround_{0, 0, 0, 0};
    // The scaled present's column map and converted row.
    std::vector<int> columns_;
    std::vector<uint32_t> row_;
    // The presenter's own window's place before it covered the monitor.
    struct Place {
        int x = 0, y = 0, w = 0, h = 0;
    } fallbackPlace_;
};

} // namespace platform::ddraw
