#include "platform/ddraw/DisplayMachine.h"

#include "platform/ddraw/DirectDrawSurface.h"
#include "platform/ddraw/HeadlessPresenter.h"

#include "platform/core/Testing.h"
#include "platform/window/Desktop.h"
#include "platform/window/Window.h"

namespace platform::ddraw {

namespace {
constexpr DWORD kDefaultVideoMemory = 64u << 20;
}

DisplayMachine& DisplayMachine::Instance()
{
    static DisplayMachine machine;
    return machine;
}

DisplayMachine::DisplayMachine() { Reset(); }

void DisplayMachine::Reset()
{
    std::lock_guard lock(mutex_);
    SettleShownOnly();
    lastDesktop_ = DesktopLocked();
    current_ = lastDesktop_;
    modeChanged_ = false;
    rgb555_ = false;
    bgr32_ = false;
    ++generation_;
    exclusiveOwner_ = nullptr;
    adapter_ = AdapterIdentity{};
    videoTotal_ = kDefaultVideoMemory;
    videoFree_ = kDefaultVideoMemory;
    presenter_ = std::make_unique<HeadlessPresenter>();
}

DisplayMode DisplayMachine::DesktopLocked()
{
    DesktopMode d = GetDesktopMode();
    return DisplayMode{d.width, d.height, d.depth, d.refresh};
}

DisplayMode DisplayMachine::Desktop()
{
    std::lock_guard lock(mutex_);
    return DesktopLocked();
}

DisplayMode DisplayMachine::Current()
{
    std::lock_guard lock(mutex_);
    return modeChanged_ ? current_ : DesktopLocked();
}

PixelLayout DisplayMachine::LayoutForDepth(int depth)
{
    std::lock_guard lock(mutex_);
    switch (depth) {
    case 8: return PixelLayout::Palette8();
    case 16: return rgb555_ ? PixelLayout::Rgb555() : PixelLayout::Rgb565();
    case 24: return PixelLayout::Rgb888();
    default: return bgr32_ ? PixelLayout::Xbgr8888() : PixelLayout::Xrgb8888();
    }
}

PixelLayout DisplayMachine::CurrentLayout()
{
    std::lock_guard lock(mutex_);
    return LayoutForDepth(Current().depth);
}

unsigned DisplayMachine::ModeGeneration()
{
    std::lock_guard lock(mutex_);
    // A desktop that changed under us is a mode change too.
    DisplayMode desktop = DesktopLocked();
    if (!(desktop == lastDesktop_)) {
        lastDesktop_ = desktop;
        if (!modeChanged_) ++generation_;
    }
    return generation_;
}

void DisplayMachine::SetChannelOrder(bool rgb555, bool bgr32)
{
    std::lock_guard lock(mutex_);
    rgb555_ = rgb555;
    bgr32_ = bgr32;
    ++generation_;
}

void DisplayMachine::SetCurrentMode(const DisplayMode& mode)
{
    std::lock_guard lock(mutex_);
    current_ = mode;
    modeChanged_ = true;
    ++generation_;
}

void DisplayMachine::RestoreDesktopMode()
{
    std::lock_guard lock(mutex_);
    if (!modeChanged_) return;
    current_ = DesktopLocked();
    modeChanged_ = false;
    ++generation_;
}

bool DisplayMachine::IsModeChanged()
{
    std::lock_guard lock(mutex_);
    return modeChanged_;
}

DirectDraw* DisplayMachine::ExclusiveOwner()
{
    std::lock_guard lock(mutex_);
    return exclusiveOwner_;
}

void DisplayMachine::SetExclusiveOwner(DirectDraw* owner)
{
    std::lock_guard lock(mutex_);
    exclusiveOwner_ = owner;
}

AdapterIdentity DisplayMachine::Adapter()
{
    std::lock_guard lock(mutex_);
    return adapter_;
}

void DisplayMachine::SetAdapter(const AdapterIdentity& adapter)
{
    std::lock_guard lock(mutex_);
    adapter_ = adapter;
}

void DisplayMachine::SetVideoMemory(DWORD total, DWORD free)
{
    std::lock_guard lock(mutex_);
    videoTotal_ = total;
    videoFree_ = free < total ? free : total;
}

DWORD DisplayMachine::VideoMemoryTotal()
{
    std::lock_guard lock(mutex_);
    return videoTotal_;
}

DWORD DisplayMachine::VideoMemoryFree()
{
    std::lock_guard lock(mutex_);
    return videoFree_;
}

bool DisplayMachine::ReserveVideoMemory(size_t bytes)
{
    std::lock_guard lock(mutex_);
    if (bytes > videoFree_) return false;
    videoFree_ -= static_cast<DWORD>(bytes);
    return true;
}

void DisplayMachine::ReturnVideoMemory(size_t bytes)
{
    std::lock_guard lock(mutex_);
    uint64_t sum = uint64_t(videoFree_) + bytes;
    videoFree_ = static_cast<DWORD>(sum > videoTotal_ ? videoTotal_ : sum);
}

HRESULT DisplayMachine::TakeFailure(const char* operation)
{
    int64_t code = 0;
    if (!platform::testing::ShouldFail(operation, &code)) return DD_OK;
    return static_cast<HRESULT>(code);
}

bool DisplayMachine::WindowServiceClientArea(HWND window, RECT& area)
{
    if (!window || !IsWindow(window) || IsIconic(window)) return false;
    RECT client;
    POINT origin{0, 0};
    if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin)) return false;
    area = RECT{origin.x, origin.y, origin.x + client.right - client.left, origin.y + client.bottom - client.top};
    return true;
}

void DisplayMachine::RegisterSurface(DirectDrawSurface* surface)
{
    std::lock_guard lock(mutex_);
    surfaces_.insert(surface);
}

size_t DisplayMachine::LiveSurfaceCount()
{
    std::lock_guard lock(mutex_);
    return surfaces_.size();
}

void DisplayMachine::UnregisterSurface(DirectDrawSurface* surface)
{
    std::lock_guard lock(mutex_);
    surfaces_.erase(surface);
    if (shownOnly_ == surface) shownOnly_ = nullptr;
}

void DisplayMachine::LoseAllSurfaces()
{
    std::lock_guard lock(mutex_);
    for (DirectDrawSurface* s : surfaces_) s->MarkLost();
}

void DisplayMachine::InstallPresenter(std::unique_ptr<DisplayPresenter> presenter)
{
    std::lock_guard lock(mutex_);
    // The picture a primary owes is read back from the presenter that has it.
    SettleShownOnly();
    presenter_ = presenter ? std::move(presenter) : std::make_unique<HeadlessPresenter>();
}

DisplayPresenter& DisplayMachine::Presenter()
{
    std::lock_guard lock(mutex_);
    return *presenter_;
}

bool DisplayMachine::GetClientArea(HWND window, RECT& area)
{
    std::lock_guard lock(mutex_);
    return presenter_->GetClientArea(window, area);
}

void DisplayMachine::SetFullScreen(HWND window, bool fullScreen, int width, int height)
{
    std::lock_guard lock(mutex_);
    presenter_->SetFullScreen(window, fullScreen, width, height);
}

void DisplayMachine::Present(HWND window, const SurfaceView& primary, const RECT& source, bool fullScreen)
{
    std::lock_guard lock(mutex_);
    // The primary presenting here has settled itself; another one that owes
    // takes its picture back before the presenter shows something else.
    SettleShownOnly();
    presenter_->Present(window, primary, source, fullScreen);
}

bool DisplayMachine::PresentDirect(const DirectDrawSurface* primary, HWND window, const SurfaceView& pixels,
                                   const RECT& from, const RECT& area)
{
    std::lock_guard lock(mutex_);
    if (shownOnly_ != primary) SettleShownOnly();
    if (!presenter_->PresentDirect(window, pixels, from, area)) return false;
    shownOnly_ = primary;
    return true;
}

bool DisplayMachine::ShowAgain(const DirectDrawSurface* primary, HWND window, const RECT& area)
{
    std::lock_guard lock(mutex_);
    if (shownOnly_ != primary) return false;
    return presenter_->ShowAgain(window, area);
}

bool DisplayMachine::PresentDirectPart(const DirectDrawSurface* primary, HWND window, const SurfaceView& pixels,
                                       const RECT& from, const RECT& part, const RECT& area)
{
    std::lock_guard lock(mutex_);
    if (shownOnly_ != primary) return false;
    return presenter_->PresentDirectPart(window, pixels, from, part, area);
}

bool DisplayMachine::ReadShown(HWND window, const RECT& area, uint32_t* out)
{
    std::lock_guard lock(mutex_);
    return presenter_->ReadShown(window, area, out);
}

void DisplayMachine::ForgetShownOnly(const DirectDrawSurface* primary)
{
    std::lock_guard lock(mutex_);
    if (shownOnly_ == primary) shownOnly_ = nullptr;
}

void DisplayMachine::SettleOwedPicture()
{
    std::lock_guard lock(mutex_);
    SettleShownOnly();
}

void DisplayMachine::SettleShownOnly()
{
    // Settle() comes back through ForgetShownOnly.
    if (const DirectDrawSurface* owing = shownOnly_) owing->Settle();
    shownOnly_ = nullptr;
}

} // namespace platform::ddraw
