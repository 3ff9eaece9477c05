#include "platform/ddraw/SdlPresenter.h"

#include "platform/ddraw/DisplayMachine.h"

#include <SDL.h>

#include <cstdio>

namespace platform::ddraw {

SdlPresenter::SdlPresenter(SDL_Window* window, int width, int height) : owner_(std::this_thread::get_id())
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "display: SDL video could not start: %s\n", SDL_GetError());
            return;
        }
        ownsVideo_ = true;
    }
    window_ = window;
    if (!window_) {
        window_ = SDL_CreateWindow("Pellucor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, 0);
        ownsWindow_ = window_ != nullptr;
    }
    if (!window_) {
        std::fprintf(stderr, "display: SDL window could not be made: %s\n", SDL_GetError());
        return;
    }
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) std::fprintf(stderr, "display: SDL renderer could not be made: %s\n", SDL_GetError());
}

SdlPresenter::~SdlPresenter()
{
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (ownsWindow_) SDL_DestroyWindow(window_);
    if (ownsVideo_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlPresenter::Install(SDL_Window* window, int width, int height)
{
    auto presenter = std::make_unique<SdlPresenter>(window, width, height);
    if (!presenter->IsReady()) return false;
    SDL_DisplayMode desktop;
    DisplayMachine& machine = DisplayMachine::Instance();
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0)
        machine.SetDesktop(DisplayMode{desktop.w, desktop.h, 32, desktop.refresh_rate});
    machine.InstallPresenter(std::move(presenter));
    return true;
}

bool SdlPresenter::GetClientArea(HWND, RECT& area)
{
    if (!window_) return false;
    if (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) return false;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    SDL_GetWindowSize(window_, &w, &h);
    area = RECT{x, y, x + w, y + h};
    return true;
}

void SdlPresenter::SetFullScreen(HWND, bool fullScreen, int, int)
{
    if (!window_) return;
    SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void SdlPresenter::Present(HWND, const SurfaceView& primary, const RECT& source, bool fullScreen)
{
    if (!renderer_) return;
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
    if (frameWidth_ <= 0 || frameHeight_ <= 0) return;
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
    RECT fit = FitInside(frameWidth_, frameHeight_, outW, outH);
    if (!frameFullScreen_ && outW >= frameWidth_ && outH >= frameHeight_) fit = RECT{0, 0, frameWidth_, frameHeight_};
    SDL_Rect dest{fit.left, fit.top, fit.right - fit.left, fit.bottom - fit.top};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, &dest);
    SDL_RenderPresent(renderer_);
}

} // namespace platform::ddraw
