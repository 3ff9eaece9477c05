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
    // The window surface is plain memory shared with the X server. Left to
    // itself, SDL would first open a hidden OpenGL window to see whether a
    // GL texture could stand in for it, loading the whole GL stack (and,
    // without a graphics card, a software GL with a thread per core) for a
    // picture we have already drawn.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
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
    const bool onOwner = std::this_thread::get_id() == owner_;
    frameTarget_ = TargetFor(window, onOwner);
    if (!frameTarget_) return;
    frameWidth_ = source.right - source.left;
    frameHeight_ = source.bottom - source.top;
    frameFullScreen_ = fullScreen;
    if (frameWidth_ <= 0 || frameHeight_ <= 0) return;
    if (onOwner) {
        // The common case: converted once, straight into the window.
        SDL_Surface* surface = SDL_GetWindowSurface(frameTarget_);
        if (SDL_Surface* direct = DirectTarget(surface, frameWidth_, frameHeight_, fullScreen)) {
            if (SDL_MUSTLOCK(direct)) SDL_LockSurface(direct);
            ConvertRows(primary, source, static_cast<uint32_t*>(direct->pixels), direct->pitch / 4);
            if (SDL_MUSTLOCK(direct)) SDL_UnlockSurface(direct);
            SDL_Rect area{0, 0, frameWidth_, frameHeight_};
            SDL_UpdateWindowSurfaceRects(frameTarget_, &area, 1);
            pending_ = false;
            return;
        }
    }
    frame_.resize(size_t(frameWidth_) * size_t(frameHeight_));
    ConvertRows(primary, source, frame_.data());
    pending_ = true;
    if (onOwner) Render();
}

SDL_Surface* SdlPresenter::DirectTarget(SDL_Surface* surface, int width, int height, bool fullScreen) const
{
    if (!surface || fullScreen || surface->w < width || surface->h < height) return nullptr;
    const Uint32 format = surface->format->format;
    // 0x00RRGGBB with or without alpha: the layout ConvertRows writes.
    if (format != SDL_PIXELFORMAT_RGB888 && format != SDL_PIXELFORMAT_ARGB8888) return nullptr;
    return surface;
}

void SdlPresenter::RenderPending()
{
    auto lock = DisplayMachine::Instance().Lock();
    if (pending_) Render();
}

void SdlPresenter::Render()
{
    pending_ = false;
    if (frameWidth_ <= 0 || frameHeight_ <= 0 || !frameTarget_) return;
    SDL_Surface* surface = SDL_GetWindowSurface(frameTarget_);
    if (!surface) {
        std::fprintf(stderr, "display: no window surface: %s\n", SDL_GetError());
        return;
    }
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(frame_.data(), frameWidth_, frameHeight_, 32,
                                                            frameWidth_ * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!frame) return;
    SDL_SetSurfaceBlendMode(frame, SDL_BLENDMODE_NONE);
    // Windowed the client area is shown as it is; in full screen (or a window
    // smaller than the picture) it is scaled to fit, keeping its shape.
    RECT fit = FitInside(frameWidth_, frameHeight_, surface->w, surface->h);
    if (!frameFullScreen_ && surface->w >= frameWidth_ && surface->h >= frameHeight_)
        fit = RECT{0, 0, frameWidth_, frameHeight_};
    SDL_Rect dest{fit.left, fit.top, fit.right - fit.left, fit.bottom - fit.top};
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    if (dest.w == frameWidth_ && dest.h == frameHeight_)
        SDL_BlitSurface(frame, nullptr, surface, &dest);
    else
        SDL_BlitScaled(frame, nullptr, surface, &dest);
    SDL_FreeSurface(frame);
    SDL_UpdateWindowSurface(frameTarget_);
}

} // namespace platform::ddraw
