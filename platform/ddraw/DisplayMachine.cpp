#include "platform/ddraw/DisplayMachine.h"

#include "platform/ddraw/DirectDrawSurface.h"
#include "platform/ddraw/HeadlessPresenter.h"

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
    desktop_ = DisplayMode{1920, 1080, 32, 60};
    current_ = desktop_;
    modeChanged_ = false;
    rgb555_ = false;
    bgr32_ = false;
    ++generation_;
    exclusiveOwner_ = nullptr;
    adapter_ = AdapterIdentity{};
    videoTotal_ = kDefaultVideoMemory;
    videoFree_ = kDefaultVideoMemory;
    failures_.clear();
    presenter_ = std::make_unique<HeadlessPresenter>();
}

DisplayMode DisplayMachine::Desktop()
{
    std::lock_guard lock(mutex_);
    return desktop_;
}

DisplayMode DisplayMachine::Current()
{
    std::lock_guard lock(mutex_);
    return current_;
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
    return LayoutForDepth(current_.depth);
}

unsigned DisplayMachine::ModeGeneration()
{
    std::lock_guard lock(mutex_);
    return generation_;
}

void DisplayMachine::SetDesktop(const DisplayMode& mode)
{
    std::lock_guard lock(mutex_);
    desktop_ = mode;
    if (!modeChanged_) {
        current_ = mode;
        ++generation_;
    }
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
    current_ = desktop_;
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

void DisplayMachine::FailNext(const std::string& operation, HRESULT result, int times)
{
    std::lock_guard lock(mutex_);
    if (times == 0)
        failures_.erase(operation);
    else
        failures_[operation] = Failure{result, times};
}

void DisplayMachine::ClearFailures()
{
    std::lock_guard lock(mutex_);
    failures_.clear();
}

HRESULT DisplayMachine::TakeFailure(const char* operation)
{
    std::lock_guard lock(mutex_);
    if (failures_.empty()) return DD_OK;
    auto it = failures_.find(operation);
    if (it == failures_.end()) return DD_OK;
    HRESULT result = it->second.result;
    if (it->second.times > 0 && --it->second.times == 0) failures_.erase(it);
    return result;
}

void DisplayMachine::RegisterSurface(DirectDrawSurface* surface)
{
    std::lock_guard lock(mutex_);
    surfaces_.insert(surface);
}

void DisplayMachine::UnregisterSurface(DirectDrawSurface* surface)
{
    std::lock_guard lock(mutex_);
    surfaces_.erase(surface);
}

void DisplayMachine::LoseAllSurfaces()
{
    std::lock_guard lock(mutex_);
    for (DirectDrawSurface* s : surfaces_) s->MarkLost();
}

void DisplayMachine::InstallPresenter(std::unique_ptr<DisplayPresenter> presenter)
{
    std::lock_guard lock(mutex_);
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
    presenter_->Present(window, primary, source, fullScreen);
}

} // namespace platform::ddraw
