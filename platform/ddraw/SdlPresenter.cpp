#include "platform/ddraw/SdlPresenter.h"

#include "platform/ddraw/DisplayMachine.h"
#include "platform/window/FullScreenWindow.h"
#include "platform/window/WindowBackend.h"
#include "platform/window/Window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
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
    // SDL's video is the window service's to start: it gives a display that
    // answers slowly its time, and takes no driver that shows nothing. Its
    // driver, once chosen, stays for the run.
    GetWindowBackend();
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
    // The window service moves its own windows, and then knows where the
    // pointer is in the picture.
    if (window && IsWindow(window)) {
        if (fullScreen)
            CoverMonitor(window);
        else
            UncoverMonitor(window);
        return;
    }
    if (SDL_Window* target = TargetFor(window, fullScreen))
        CoverWithFallback(target, fullScreen);
}

void SdlPresenter::CoverWithFallback(SDL_Window* target, bool cover)
{
    const bool covering = fallbackPlace_.w > 0;
    if (cover == covering)
        return;
    if (cover) {
        SDL_Rect monitor{};
        if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(target), 0), &monitor) != 0)
            return;
        SDL_GetWindowPosition(target, &fallbackPlace_.x, &fallbackPlace_.y);
        SDL_GetWindowSize(target, &fallbackPlace_.w, &fallbackPlace_.h);
        SDL_SetWindowBordered(target, SDL_FALSE);
        SDL_SetWindowPosition(target, monitor.x, monitor.y);
        SDL_SetWindowSize(target, monitor.w, monitor.h);
        return;
    }
    SDL_SetWindowSize(target, fallbackPlace_.w, fallbackPlace_.h);
    SDL_SetWindowPosition(target, fallbackPlace_.x, fallbackPlace_.y);
    SDL_SetWindowBordered(target, SDL_TRUE);
    fallbackPlace_ = Place{};
}

void SdlPresenter::Present(HWND window, const SurfaceView& primary, const RECT& source, bool fullScreen)
{
    const bool onOwner = std::this_thread::get_id() == owner_;
    frameTarget_ = TargetFor(window, onOwner);
    frameWindow_ = window;
    if (!frameTarget_) return;
    frameWidth_ = source.right - source.left;
    frameHeight_ = source.bottom - source.top;
    frameFullScreen_ = fullScreen;
    if (frameWidth_ <= 0 || frameHeight_ <= 0) return;
    if (onOwner) {
        // The common case: converted once, straight into the window, 1:1 or
        // scaled.
        SDL_Surface* surface = WindowSurface(frameTarget_);
        if (SDL_Surface* direct = DirectTarget(surface, frameWidth_, frameHeight_, fullScreen)) {
            ShowDirect(frameTarget_, direct, primary, source);
            return;
        }
        if (IsXrgb(surface)) {
            directSurface_ = nullptr;
            pending_ = false;
            ShowScaled(surface, primary, source);
            return;
        }
    }
    directSurface_ = nullptr;
    frame_.resize(size_t(frameWidth_) * size_t(frameHeight_));
    ConvertRows(primary, source, frame_.data());
    pending_ = true;
    if (onOwner) Render();
}

SDL_Surface* SdlPresenter::WindowSurface(SDL_Window* target)
{
    // Asked after the window's size changed, SDL frees the surface and makes
    // a new one; the old one may hold the only copy of the last one-pass
    // picture, which the primary that owes it takes back first.
    if (directSurface_ && SDL_GetWindowID(target) == directWindowId_) {
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(target, &width, &height);
        if (width != directSurface_->w || height != directSurface_->h)
            DisplayMachine::Instance().SettleOwedPicture();
    }
    SDL_Surface* surface = SDL_GetWindowSurface(target);
    // SDL may have freed the surface that held the last direct picture and
    // made another, even where the old one was: only the surface marked when
    // the picture went in still holds it.
    if (SDL_GetWindowID(target) == directWindowId_ && (!surface || surface != directSurface_ || surface->userdata != this))
        directSurface_ = nullptr;
    return surface;
}

bool SdlPresenter::PresentDirect(HWND window, const SurfaceView& pixels, const RECT& from, const RECT&)
{
    // SDL draws only on the thread that made the presenter.
    if (std::this_thread::get_id() != owner_) return false;
    SDL_Window* target = TargetFor(window, true);
    if (!target) return false;
    const int width = from.right - from.left;
    const int height = from.bottom - from.top;
    SDL_Surface* direct = DirectTarget(WindowSurface(target), width, height, false);
    if (!direct || width <= 0 || height <= 0) return false;
    frameTarget_ = target;
    frameWindow_ = window;
    frameWidth_ = width;
    frameHeight_ = height;
    frameFullScreen_ = false;
    ShowDirect(target, direct, pixels, from);
    return true;
}

SDL_Surface* SdlPresenter::SurfaceShowingDirect(HWND window, const RECT& area)
{
    // SDL draws only on the thread that made the presenter.
    if (std::this_thread::get_id() != owner_) return nullptr;
    SDL_Window* target = TargetFor(window, false);
    if (!target || target != frameTarget_ || frameFullScreen_ || SDL_GetWindowID(target) != directWindowId_)
        return nullptr;
    // The surface that holds the last whole picture, still the window's.
    SDL_Surface* surface = WindowSurface(target);
    if (!surface || surface != directSurface_) return nullptr;
    if (frameWidth_ != area.right - area.left || frameHeight_ != area.bottom - area.top) return nullptr;
    return surface;
}

bool SdlPresenter::ShowAgain(HWND window, const RECT& area)
{
    if (!SurfaceShowingDirect(window, area)) return false;
    SDL_Rect shown{0, 0, frameWidth_, frameHeight_};
    SDL_UpdateWindowSurfaceRects(frameTarget_, &shown, 1);
    return true;
}

bool SdlPresenter::PresentDirectPart(HWND window, const SurfaceView& pixels, const RECT& from, const RECT& part,
                                     const RECT& area)
{
    SDL_Surface* surface = SurfaceShowingDirect(window, area);
    if (!surface) return false;
    const int x = part.left - area.left;
    const int y = part.top - area.top;
    const int width = part.right - part.left;
    const int height = part.bottom - part.top;
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > frameWidth_ || y + height > frameHeight_ ||
        from.right - from.left != width || from.bottom - from.top != height)
        return false;
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    auto* corner = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                               size_t(y) * size_t(surface->pitch)) + x;
    ConvertRows(pixels, from, corner, surface->pitch / 4);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_Rect shown{x, y, width, height};
    SDL_UpdateWindowSurfaceRects(frameTarget_, &shown, 1);
    return true;
}

void SdlPresenter::ShowDirect(SDL_Window* target, SDL_Surface* surface, const SurfaceView& view, const RECT& source)
{
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    ConvertRows(view, source, static_cast<uint32_t*>(surface->pixels), surface->pitch / 4);
    const int width = source.right - source.left;
    const int height = source.bottom - source.top;
    PaintBars(surface, RECT{0, 0, width, height});
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_Rect area{0, 0, width, height};
    if (width < surface->w || height < surface->h)
        area = SDL_Rect{0, 0, surface->w, surface->h};
    SDL_UpdateWindowSurfaceRects(target, &area, 1);
    pending_ = false;
    directWindowId_ = SDL_GetWindowID(target);
    directSurface_ = surface;
    surface->userdata = this;
}

bool SdlPresenter::PaintBars(SDL_Surface* surface, const RECT& picture)
{
    // A surface SDL made anew may come at the same address, even at the same
    // size when the window went back to it: only the one marked holds bars.
    if (surface == barsSurface_ && surface->userdata == this && surface->w == barsWidth_ &&
        surface->h == barsHeight_ && picture.left == barsAround_.left && picture.top == barsAround_.top &&
        picture.right == barsAround_.right && picture.bottom == barsAround_.bottom)
        return false;
    surface->userdata = this;
    barsSurface_ = surface;
    barsWidth_ = surface->w;
    barsHeight_ = surface->h;
    barsAround_ = picture;
    if (picture.left <= 0 && picture.top <= 0 && picture.right >= surface->w && picture.bottom >= surface->h)
        return false;
    const Uint32 black = SDL_MapRGB(surface->format, 0, 0, 0);
    for (int y = 0; y < surface->h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + size_t(y) * size_t(surface->pitch));
        if (y < picture.top || y >= picture.bottom) {
            std::fill(row, row + surface->w, black);
            continue;
        }
        std::fill(row, row + std::clamp<int>(picture.left, 0, surface->w), black);
        std::fill(row + std::clamp<int>(picture.right, 0, surface->w), row + surface->w, black);
    }
    return true;
}

void SdlPresenter::ShowScaled(SDL_Surface* surface, const SurfaceView& view, const RECT& source)
{
    const int width = source.right - source.left;
    const int height = source.bottom - source.top;
    // Windowed the client area is shown as it is; in full screen (or a window
    // smaller than the picture) it is scaled to fit, keeping its shape.
    RECT fit = FitPictureInside(width, height, surface->w, surface->h);
    if (!frameFullScreen_ && surface->w >= width && surface->h >= height)
        fit = RECT{0, 0, width, height};
    const ScreenScaling scaling{width, height, fit};
    const int shownWidth = fit.right - fit.left;
    const int shownHeight = fit.bottom - fit.top;
    if (shownWidth <= 0 || shownHeight <= 0) return;
    // Each shown pixel is the picture's pixel under its centre: the very
    // pixel the window service reads the pointer in there.
    columns_.resize(size_t(shownWidth));
    for (int x = 0; x < shownWidth; ++x)
        columns_[size_t(x)] = std::clamp<int>(scaling.ToScreen(POINT{fit.left + x, fit.top}).x, 0, width - 1);
    row_.resize(size_t(width));
    const bool direct32 = !view.palette && view.layout.SameAs(PixelLayout::Xrgb8888());
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    const bool barsPainted = PaintBars(surface, fit);
    int lastRow = -1;
    const uint32_t* lastOut = nullptr;
    for (int y = 0; y < shownHeight; ++y) {
        auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                                size_t(fit.top + y) * size_t(surface->pitch)) + fit.left;
        const int row = std::clamp<int>(scaling.ToScreen(POINT{fit.left, fit.top + y}).y, 0, height - 1);
        if (row == lastRow) {
            std::memcpy(out, lastOut, size_t(shownWidth) * 4);
            continue;
        }
        const RECT line{source.left, source.top + row, source.right, source.top + row + 1};
        if (shownWidth == width) {
            ConvertRows(view, line, out);
        } else {
            // A 32-bit picture is read where it lies; any other is converted
            // a row at a time first.
            const uint32_t* from = row_.data();
            if (direct32)
                from = reinterpret_cast<const uint32_t*>(view.pixels + size_t(line.top) * size_t(view.pitch)) +
                       source.left;
            else
                ConvertRows(view, line, row_.data());
            for (int x = 0; x < shownWidth; ++x) out[x] = from[size_t(columns_[size_t(x)])] & 0xFFFFFFu;
        }
        lastRow = row;
        lastOut = out;
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_Rect shown{fit.left, fit.top, shownWidth, shownHeight};
    if (barsPainted) shown = SDL_Rect{0, 0, surface->w, surface->h};
    SDL_UpdateWindowSurfaceRects(frameTarget_, &shown, 1);
    if (frameFullScreen_ && frameWindow_ && IsWindow(frameWindow_)) ShowScreenScaled(frameWindow_, scaling);
}

bool SdlPresenter::ReadShown(HWND window, const RECT& area, uint32_t* out)
{
    // The cursor thread reads too (it draws on the primary). Both read only
    // the surface's memory, which SDL frees only when this presenter asks it
    // for the window's surface again (on the owning thread, under the lock),
    // and that takes the picture back first when SDL would make a new one.
    SDL_Window* target = TargetFor(window, false);
    if (!target || !directSurface_ || SDL_GetWindowID(target) != directWindowId_) return false;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width > directSurface_->w || height > directSurface_->h) return false;
    if (SDL_MUSTLOCK(directSurface_)) SDL_LockSurface(directSurface_);
    for (int y = 0; y < height; ++y, out += width) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(directSurface_->pixels) +
                                                            size_t(y) * size_t(directSurface_->pitch));
        for (int x = 0; x < width; ++x) out[x] = row[x] | 0xFF000000u;
    }
    if (SDL_MUSTLOCK(directSurface_)) SDL_UnlockSurface(directSurface_);
    return true;
}

bool SdlPresenter::IsXrgb(const SDL_Surface* surface)
{
    // 0x00RRGGBB with or without alpha: the layout ConvertRows writes.
    return surface && (surface->format->format == SDL_PIXELFORMAT_RGB888 ||
                       surface->format->format == SDL_PIXELFORMAT_ARGB8888);
}

SDL_Surface* SdlPresenter::DirectTarget(SDL_Surface* surface, int width, int height, bool fullScreen) const
{
    if (!IsXrgb(surface) || fullScreen || surface->w < width || surface->h < height) return nullptr;
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
    SDL_Surface* surface = WindowSurface(frameTarget_);
    directSurface_ = nullptr; // the window shows frame_ now
    if (!surface) {
        std::fprintf(stderr, "display: no window surface: %s\n", SDL_GetError());
        return;
    }
    if (IsXrgb(surface)) {
        const SurfaceView view{reinterpret_cast<const uint8_t*>(frame_.data()), frameWidth_, frameHeight_,
                               frameWidth_ * 4, PixelLayout::Xrgb8888(), nullptr};
        ShowScaled(surface, view, RECT{0, 0, frameWidth_, frameHeight_});
        return;
    }
    barsSurface_ = nullptr;
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(frame_.data(), frameWidth_, frameHeight_, 32,
                                                            frameWidth_ * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!frame) return;
    SDL_SetSurfaceBlendMode(frame, SDL_BLENDMODE_NONE);
    // Windowed the client area is shown as it is; in full screen (or a window
    // smaller than the picture) it is scaled to fit, keeping its shape.
    RECT fit = FitPictureInside(frameWidth_, frameHeight_, surface->w, surface->h);
    if (!frameFullScreen_ && surface->w >= frameWidth_ && surface->h >= frameHeight_)
        fit = RECT{0, 0, frameWidth_, frameHeight_};
    SDL_Rect dest{fit.left, fit.top, fit.right - fit.left, fit.bottom - fit.top};
    // The bars around the picture, black.
    const Uint32 black = SDL_MapRGB(surface->format, 0, 0, 0);
    const SDL_Rect bars[4] = {{0, 0, surface->w, dest.y},
                              {0, dest.y + dest.h, surface->w, surface->h - dest.y - dest.h},
                              {0, dest.y, dest.x, dest.h},
                              {dest.x + dest.w, dest.y, surface->w - dest.x - dest.w, dest.h}};
    for (const SDL_Rect& bar : bars)
        if (bar.w > 0 && bar.h > 0) SDL_FillRect(surface, &bar, black);
    if (dest.w == frameWidth_ && dest.h == frameHeight_)
        SDL_BlitSurface(frame, nullptr, surface, &dest);
    else
        SDL_BlitScaled(frame, nullptr, surface, &dest);
    SDL_FreeSurface(frame);
    SDL_UpdateWindowSurface(frameTarget_);
    // The pointer reads in the picture's pixels where it is shown.
    if (frameFullScreen_ && frameWindow_ && IsWindow(frameWindow_))
        ShowScreenScaled(frameWindow_, ScreenScaling{frameWidth_, frameHeight_, fit});
}

} // namespace platform::ddraw
