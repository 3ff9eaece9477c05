#include "platform/ddraw/SdlPresenter.h"

#include "platform/ddraw/DisplayMachine.h"
#include "platform/window/Window.h"

#include <SDL.h>

#include <cstdio>
#include <memory>

namespace platform::ddraw {

SdlPresenter::SdlPresenter(SDL_Window* fallback, int width, int height)
    : fallback_(fallback), fallbackWidth_(width), fallbackHeight_(height), owner_(std::this_thread::get_id())
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "display: SDL video could not start: %s\n", SDL_GetError());
            return;
        }
        ownsVideo_ = true;
    }
    videoReady_ = true;
}

SdlPresenter::~SdlPresenter()
{
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (ownsFallback_) SDL_DestroyWindow(fallback_);
    if (ownsVideo_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlPresenter::Install(SDL_Window* fallback, int width, int height)
{
    auto presenter = std::make_unique<SdlPresenter>(fallback, width, height);
    if (!presenter->IsReady()) return false;
    DisplayMachine::Instance().InstallPresenter(std::move(presenter));
    return true;
}

SDL_Window* SdlPresenter::TargetFor(HWND window, bool create)
{
    if (window && IsWindow(window)) {
        uint32_t id = NativeWindowId(window);
        if (SDL_Window* native = id ? SDL_GetWindowFromID(id) : nullptr) return native;
    }
    if (!fallback_ && create && videoReady_) {
        fallback_ = SDL_CreateWindow("Pellucor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, fallbackWidth_,
                                     fallbackHeight_, 0);
        ownsFallback_ = fallback_ != nullptr;
        if (!fallback_) std::fprintf(stderr, "display: SDL window could not be made: %s\n", SDL_GetError());
    }
    return fallback_;
}

bool SdlPresenter::BindRenderer(SDL_Window* target)
{
    if (bound_ == target && renderer_) return true;
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    texture_ = nullptr;
    textureWidth_ = textureHeight_ = 0;
    bound_ = target;
    renderer_ = SDL_CreateRenderer(target, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer_) renderer_ = SDL_CreateRenderer(target, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) std::fprintf(stderr, "display: SDL renderer could not be made: %s\n", SDL_GetError());
    return renderer_ != nullptr;
}

bool SdlPresenter::GetClientArea(HWND window, RECT& area)
{
    if (window && IsWindow(window)) return DisplayMachine::WindowServiceClientArea(window, area);
    SDL_Window* target = TargetFor(window, true);
    if (!target || (SDL_GetWindowFlags(target) & SDL_WINDOW_MINIMIZED)) return false;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(target, &x, &y);
    SDL_GetWindowSize(target, &w, &h);
    area = RECT{x, y, x + w, y + h};
    return true;
}

void SdlPresenter::SetFullScreen(HWND window, bool fullScreen, int, int)
{
    if (SDL_Window* target = TargetFor(window, fullScreen))
        SDL_SetWindowFullscreen(target, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void SdlPresenter::Present(HWND window, const SurfaceView& primary, const RECT& source, bool fullScreen)
{
    frameTarget_ = TargetFor(window, std::this_thread::get_id() == owner_);
    if (!frameTarget_) return;
    frameWidth_ = source.right - source.left;
    frameHeight_ = source.bottom - source.top;
    frameFullScreen_ = fullScreen;
    frame_.resize(size_t(frameWidth_) * size_t(frameHeight_));
    ConvertRows(primary, source, frame_.data());
    pending_ = true;
    if (std::this_thread::get_id() == owner_) Render();
}

void SdlPresenter::RenderPending()
{
    auto lock = DisplayMachine::Instance().Lock();
    if (pending_) Render();
}

void SdlPresenter::Render()
{
    pending_ = false;
    if (frameWidth_ <= 0 || frameHeight_ <= 0 || !frameTarget_ || !BindRenderer(frameTarget_)) return;
    if (!texture_ || textureWidth_ != frameWidth_ || textureHeight_ != frameHeight_) {
        if (texture_) SDL_DestroyTexture(texture_);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, frameWidth_,
                                     frameHeight_);
        textureWidth_ = texture_ ? frameWidth_ : 0;
        textureHeight_ = texture_ ? frameHeight_ : 0;
        if (!texture_) return;
    }
    SDL_UpdateTexture(texture_, nullptr, frame_.data(), frameWidth_ * 4);
    int outW = 0, outH = 0;
    SDL_GetRendererOutputSize(renderer_, &outW, &outH);
    // Windowed the client area is shown as it is; in full screen (or a window
    // smaller than the picture) it is scaled to fit, keeping its shape.
    RECT fit = FitInside(frameWidth_, frameHeight_, outW, outH);
    if (!frameFullScreen_ && outW >= frameWidth_ && outH >= frameHeight_) fit = RECT{0, 0, frameWidth_, frameHeight_};
    SDL_Rect dest{fit.left, fit.top, fit.right - fit.left, fit.bottom - fit.top};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, &dest);
    SDL_RenderPresent(renderer_);
}

} // namespace platform::ddraw
