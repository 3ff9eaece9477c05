// The real presenter: shows the primary in an SDL window through a streaming
// texture. Windowed, the window's client area of the primary is shown 1:1; in
// full screen the window covers the desktop and the mode's picture is scaled
// into it keeping its shape (black bars at the sides or top and bottom).
//
// Until the window service exists it makes an SDL window of its own when it is
// given none, and treats every window handle as that window.
//
// Threads: SDL draws only on the thread that made the presenter. Presents from
// other threads (the cursor thread) are converted and kept; the owning thread
// shows them at its next present or RenderPending call. All members run under
// the display machine's lock.
#pragma once

#include "platform/ddraw/DisplayPresenter.h"

#include <memory>
#include <thread>
#include <vector>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace platform::ddraw {

class SdlPresenter final : public DisplayPresenter {
public:
    // `window` is used when given (not owned); otherwise a window of the
    // given client size is made (and owned).
    SdlPresenter(SDL_Window* window, int width, int height);
    ~SdlPresenter() override;
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    // Makes the presenter, tells the display machine the real desktop's mode
    // (32 bits deep) and installs it. False (and nothing changed) when SDL
    // cannot open a window.
    static bool Install(SDL_Window* window = nullptr, int width = 1024, int height = 768);

    bool IsReady() const { return renderer_ != nullptr; }
    // Shows a frame kept from another thread; call on the owning thread.
    void RenderPending();

    bool GetClientArea(HWND window, RECT& area) override;
    void SetFullScreen(HWND window, bool fullScreen, int width, int height) override;
    void Present(HWND window, const SurfaceView& primary, const RECT& source, bool fullScreen) override;

private:
    void Render();

    SDL_Window* window_ = nullptr;
    bool ownsWindow_ = false;
    bool ownsVideo_ = false;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    std::thread::id owner_;
    std::vector<uint32_t> frame_; // 0xAARRGGBB, frameWidth_ x frameHeight_
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    bool frameFullScreen_ = false;
    bool pending_ = false;
};

} // namespace platform::ddraw
