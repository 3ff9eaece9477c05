#include "platform/ddraw/DirectDrawSurface.h"

#include "platform/ddraw/DirectDrawClipper.h"
#include "platform/ddraw/DirectDrawPalette.h"
#include "platform/ddraw/DisplayMachine.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <type_traits>

namespace platform {

using ddraw::DisplayMachine;

namespace {

// Bytes added after every row; a multiple of 4 so that 16- and 32-bit rows
// stay aligned, and no multiple of 8 so that a guessed pitch is wrong.
constexpr int kRowPadding = 36;
constexpr uint8_t kPaddingByte = 0xA5;
constexpr uint8_t kScrambleByte = 0xCD;

std::mutex gDcMutex;
std::set<DirectDrawSurface*> gDcSurfaces;

bool Overlaps(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Packs 0xAARRGGBB into a layout as PixelLayout::FromArgb does, with the
// channel positions worked out once instead of at every pixel.
class ArgbPacker {
public:
    explicit ArgbPacker(const ddraw::PixelLayout& layout)
        : red_(layout.red), green_(layout.green), blue_(layout.blue), alpha_(layout.alpha)
    {
    }
    uint32_t operator()(uint32_t argb) const
    {
        return red_(argb >> 16 & 0xFF) | green_(argb >> 8 & 0xFF) | blue_(argb & 0xFF) | alpha_(argb >> 24);
    }

private:
    struct Channel {
        explicit Channel(DWORD mask)
            : mask(mask), bits(ddraw::PixelLayout::BitCount(mask)), low(ddraw::PixelLayout::LowestBit(mask))
        {
        }
        uint32_t operator()(uint32_t value) const
        {
            if (!mask)
                return 0;
            const uint32_t v = bits >= 8 ? value << (bits - 8) : value >> (8 - bits);
            return (v << low) & mask;
        }
        DWORD mask;
        int bits;
        int low;
    };
    Channel red_, green_, blue_, alpha_;
};

} // namespace

int DirectDrawSurface::PitchFor(int width, int bytesPerPixel)
{
    int row = (width * bytesPerPixel + 3) & ~3;
    return row + kRowPadding;
}

DirectDrawSurface* DirectDrawSurface::Create(const Setup& setup) { return new DirectDrawSurface(setup); }

DirectDrawSurface* DirectDrawSurface::FromDC(HDC dc)
{
    std::lock_guard lock(gDcMutex);
    auto* surface = reinterpret_cast<DirectDrawSurface*>(dc);
    return gDcSurfaces.count(surface) ? surface : nullptr;
}

DirectDrawSurface::DirectDrawSurface(const Setup& setup)
    : width_(setup.width), height_(setup.height), pitch_(PitchFor(setup.width, setup.layout.BytesPerPixel())),
      layout_(setup.layout), caps_(setup.caps), caps2_(setup.caps2), implicit_(setup.implicit),
      videoBytes_(setup.videoBytes), modeGeneration_(DisplayMachine::Instance().ModeGeneration()), link_(setup.link)
{
    // A windowed primary stands for the whole desktop, yet its frames go
    // from the draw surface straight to the window: its memory is made when
    // something first reads or writes it, not before the first frame.
    const bool windowedPrimary = (caps_ & DDSCAPS_PRIMARYSURFACE) && !(caps_ & DDSCAPS_FLIP) && !implicit_;
    if (!windowedPrimary)
        Settle();
    DisplayMachine::Instance().RegisterSurface(this);
    if (link_) link_->surfaces.insert(this);
}

DirectDrawSurface::~DirectDrawSurface()
{
    DisplayMachine& machine = DisplayMachine::Instance();
    machine.UnregisterSurface(this); // forgets a picture it still owed
    if (dcOut_) {
        std::lock_guard lock(gDcMutex);
        gDcSurfaces.erase(this);
    }
    if (link_) {
        link_->surfaces.erase(this);
        if (link_->primary == this) link_->primary = nullptr;
    }
    if (clipper_) clipper_->Release();
    if (palette_) palette_->Release();
    if (backBuffer_) {
        backBuffer_->frontBuffer_ = nullptr;
        backBuffer_->Release();
    }
    if (frontBuffer_) frontBuffer_->backBuffer_ = nullptr;
    if (videoBytes_) machine.ReturnVideoMemory(videoBytes_);
}

HRESULT DirectDrawSurface::QueryInterface(REFIID iid, void** out)
{
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("QueryInterface"); FAILED(hr)) return hr;
    if (!(iid == IID_IDirectDrawSurface) && !(iid == IID_IDirectDrawSurface7) && !(iid == IID_IUnknown))
        return E_NOINTERFACE;
    AddRef();
    *out = this;
    return DD_OK;
}

ULONG DirectDrawSurface::AddRef() { return ++references_; }

ULONG DirectDrawSurface::Release()
{
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

void DirectDrawSurface::Settle() const
{
    if (!allocated_) {
        pixels_.assign(size_t(pitch_) * size_t(height_), 0);
        allocated_ = true;
        FillPadding();
    }
    if (!shownOnly_.pending)
        return;
    shownOnly_.pending = false;
    DisplayMachine& machine = DisplayMachine::Instance();
    machine.ForgetShownOnly(this);
    const RECT& area = shownOnly_.area;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    std::vector<uint32_t> shown(size_t(width) * size_t(height));
    // A presenter that lost the picture (a new one, a window surface made
    // anew) leaves the memory as it was: the next frame covers it.
    if (!machine.ReadShown(shownOnly_.window, area, shown.data()))
        return;
    const int bytes = layout_.BytesPerPixel();
    const bool xrgb = layout_.SameAs(ddraw::PixelLayout::Xrgb8888());
    const ArgbPacker pack(layout_);
    const uint32_t* in = shown.data();
    for (int y = 0; y < height; ++y, in += width) {
        uint8_t* out = pixels_.data() + size_t(area.top + y) * size_t(pitch_) + size_t(area.left) * size_t(bytes);
        for (int x = 0; x < width; ++x, out += bytes) {
            if (xrgb) {
                const uint32_t v = in[x] & 0xFFFFFFu;
                std::memcpy(out, &v, 4);
            } else {
                ddraw::StorePixel(out, bytes, pack(in[x]));
            }
        }
    }
}

void DirectDrawSurface::FillPadding() const
{
    int used = width_ * layout_.BytesPerPixel();
    for (int y = 0; y < height_; ++y)
        std::memset(pixels_.data() + size_t(y) * size_t(pitch_) + size_t(used), kPaddingByte, size_t(pitch_ - used));
}

bool DirectDrawSurface::PaddingIntact() const
{
    Settle();
    int used = width_ * layout_.BytesPerPixel();
    for (int y = 0; y < height_; ++y) {
        const uint8_t* row = pixels_.data() + size_t(y) * size_t(pitch_);
        for (int i = used; i < pitch_; ++i)
            if (row[i] != kPaddingByte) return false;
    }
    return true;
}

void DirectDrawSurface::ScrambleContents()
{
    int used = width_ * layout_.BytesPerPixel();
    for (int y = 0; y < height_; ++y)
        std::memset(pixels_.data() + size_t(y) * size_t(pitch_), kScrambleByte, size_t(used));
}

template <class Desc> void DirectDrawSurface::DescribeInto(Desc& desc) const
{
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc.dwWidth = static_cast<DWORD>(width_);
    desc.dwHeight = static_cast<DWORD>(height_);
    desc.lPitch = pitch_;
    desc.ddpfPixelFormat = layout_.ToDD();
    desc.ddsCaps.dwCaps = caps_;
    if constexpr (std::is_same_v<Desc, DDSURFACEDESC2>) desc.ddsCaps.dwCaps2 = caps2_;
    if (backBuffer_) {
        desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
    }
    if (hasSourceKey_) {
        desc.dwFlags |= DDSD_CKSRCBLT;
        desc.ddckCKSrcBlt = sourceKey_;
    }
    if (hasDestKey_) {
        desc.dwFlags |= DDSD_CKDESTBLT;
        desc.ddckCKDestBlt = destKey_;
    }
}

HRESULT DirectDrawSurface::CheckUsable() const
{
    if (lost_) return DDERR_SURFACELOST;
    if (IsLockedOrBusy()) return DDERR_SURFACEBUSY;
    return DD_OK;
}

bool DirectDrawSurface::IsVisiblePrimary() const
{
    return (caps_ & DDSCAPS_PRIMARYSURFACE) && !implicit_ && link_ && link_->alive;
}

template <class Desc> HRESULT DirectDrawSurface::LockInto(RECT* rect, Desc* desc, DWORD /*flags*/)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("Lock"); FAILED(hr)) return hr;
    if (!desc || desc->dwSize != sizeof(Desc)) return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    Settle();
    RECT area = rect ? *rect : RECT{0, 0, width_, height_};
    if (area.left < 0 || area.top < 0 || area.right > width_ || area.bottom > height_ || area.left >= area.right ||
        area.top >= area.bottom)
        return DDERR_INVALIDRECT;
    if (dcOut_) return DDERR_SURFACEBUSY;
    for (const RECT& held : locks_)
        if (Overlaps(held, area)) return DDERR_SURFACEBUSY;
    locks_.push_back(area);
    DescribeInto(*desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = At(area.left, area.top);
    return DD_OK;
}

HRESULT DirectDrawSurface::Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, void*)
{
    return LockInto(rect, desc, flags);
}

HRESULT DirectDrawSurface::Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, void*)
{
    return LockInto(rect, desc, flags);
}

HRESULT DirectDrawSurface::Unlock(RECT* rect)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("Unlock"); FAILED(hr)) return hr;
    if (locks_.empty()) return DDERR_NOTLOCKED;
    auto match = locks_.end();
    if (rect) {
        match = std::find_if(locks_.begin(), locks_.end(),
                             [&](const RECT& r) { return r.left == rect->left && r.top == rect->top; });
    } else if (locks_.size() == 1) {
        match = locks_.begin();
    } else {
        match = std::find_if(locks_.begin(), locks_.end(), [&](const RECT& r) {
            return r.left == 0 && r.top == 0 && r.right == width_ && r.bottom == height_;
        });
    }
    if (match == locks_.end()) return DDERR_INVALIDRECT;
    locks_.erase(match);
    if (locks_.empty()) PresentIfVisible();
    return DD_OK;
}

HRESULT DirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC2* desc)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("GetSurfaceDesc"); FAILED(hr)) return hr;
    if (!desc || desc->dwSize != sizeof *desc) return DDERR_INVALIDPARAMS;
    DescribeInto(*desc);
    return DD_OK;
}

HRESULT DirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC* desc)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("GetSurfaceDesc"); FAILED(hr)) return hr;
    if (!desc || desc->dwSize != sizeof *desc) return DDERR_INVALIDPARAMS;
    DescribeInto(*desc);
    return DD_OK;
}

HRESULT DirectDrawSurface::GetPixelFormat(DDPIXELFORMAT* format)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("GetPixelFormat"); FAILED(hr)) return hr;
    if (!format || format->dwSize != sizeof *format) return DDERR_INVALIDPARAMS;
    *format = layout_.ToDD();
    return DD_OK;
}

HRESULT DirectDrawSurface::GetCaps(DDSCAPS2* caps)
{
    if (!caps) return DDERR_INVALIDPARAMS;
    *caps = DDSCAPS2{caps_, caps2_, 0, 0};
    return DD_OK;
}

HRESULT DirectDrawSurface::GetCaps(DDSCAPS* caps)
{
    if (!caps) return DDERR_INVALIDPARAMS;
    caps->dwCaps = caps_;
    return DD_OK;
}

HRESULT DirectDrawSurface::SetColorKey(DWORD flags, DDCOLORKEY* key)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("SetColorKey"); FAILED(hr)) return hr;
    DWORD which = flags & ~DDCKEY_COLORSPACE;
    if (which == DDCKEY_SRCOVERLAY || which == DDCKEY_DESTOVERLAY) return DDERR_NOOVERLAYHW;
    if (which != DDCKEY_SRCBLT && which != DDCKEY_DESTBLT) return DDERR_INVALIDPARAMS;
    bool& has = which == DDCKEY_SRCBLT ? hasSourceKey_ : hasDestKey_;
    DDCOLORKEY& stored = which == DDCKEY_SRCBLT ? sourceKey_ : destKey_;
    if (!key) {
        has = false;
        return DD_OK;
    }
    DWORD mask = layout_.ValueMask();
    stored.dwColorSpaceLowValue = key->dwColorSpaceLowValue & mask;
    stored.dwColorSpaceHighValue =
        (flags & DDCKEY_COLORSPACE) ? key->dwColorSpaceHighValue & mask : stored.dwColorSpaceLowValue;
    if (stored.dwColorSpaceHighValue < stored.dwColorSpaceLowValue) return DDERR_INVALIDPARAMS;
    has = true;
    return DD_OK;
}

HRESULT DirectDrawSurface::GetColorKey(DWORD flags, DDCOLORKEY* key)
{
    if (!key) return DDERR_INVALIDPARAMS;
    if (flags == DDCKEY_SRCBLT) {
        if (!hasSourceKey_) return DDERR_NOCOLORKEY;
        *key = sourceKey_;
        return DD_OK;
    }
    if (flags == DDCKEY_DESTBLT) {
        if (!hasDestKey_) return DDERR_NOCOLORKEY;
        *key = destKey_;
        return DD_OK;
    }
    return DDERR_INVALIDPARAMS;
}

HRESULT DirectDrawSurface::GetDC(HDC* dc)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("GetDC"); FAILED(hr)) return hr;
    if (!dc) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (lost_) return DDERR_SURFACELOST;
    if (dcOut_) return DDERR_DCALREADYCREATED;
    if (!locks_.empty()) return DDERR_SURFACEBUSY;
    Settle();
    dcOut_ = true;
    {
        std::lock_guard lock(gDcMutex);
        gDcSurfaces.insert(this);
    }
    *dc = reinterpret_cast<HDC>(this);
    return DD_OK;
}

HRESULT DirectDrawSurface::ReleaseDC(HDC dc)
{
    if (!dcOut_ || dc != reinterpret_cast<HDC>(this)) return DDERR_INVALIDPARAMS;
    dcOut_ = false;
    {
        std::lock_guard lock(gDcMutex);
        gDcSurfaces.erase(this);
    }
    PresentIfVisible();
    return DD_OK;
}

HRESULT DirectDrawSurface::GetClipper(DirectDrawClipper** out)
{
    if (!out) return DDERR_INVALIDPARAMS;
    *out = clipper_;
    if (!clipper_) return DDERR_NOCLIPPERATTACHED;
    clipper_->AddRef();
    return DD_OK;
}

HRESULT DirectDrawSurface::SetClipper(DirectDrawClipper* clipper)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("SetClipper"); FAILED(hr)) return hr;
    if (clipper) clipper->AddRef();
    if (clipper_) clipper_->Release();
    clipper_ = clipper;
    return DD_OK;
}

HRESULT DirectDrawSurface::GetPalette(DirectDrawPalette** out)
{
    if (!out) return DDERR_INVALIDPARAMS;
    *out = palette_;
    if (!palette_) return DDERR_NOPALETTEATTACHED;
    palette_->AddRef();
    return DD_OK;
}

HRESULT DirectDrawSurface::SetPalette(DirectDrawPalette* palette)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("SetPalette"); FAILED(hr)) return hr;
    if (lost_) return DDERR_SURFACELOST;
    if (palette && !layout_.IsPalettised()) return DDERR_NOTPALETTIZED;
    if (palette) palette->AddRef();
    if (palette_) palette_->Release();
    palette_ = palette;
    return DD_OK;
}

HRESULT DirectDrawSurface::GetAttachedSurface(DDSCAPS2* caps, DirectDrawSurface** out)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("GetAttachedSurface"); FAILED(hr)) return hr;
    if (!caps || !out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!(caps->dwCaps & DDSCAPS_BACKBUFFER) || !backBuffer_) return DDERR_NOTFOUND;
    backBuffer_->AddRef();
    *out = backBuffer_;
    return DD_OK;
}

HRESULT DirectDrawSurface::GetAttachedSurface(DDSCAPS* caps, DirectDrawSurface** out)
{
    if (!caps) return DDERR_INVALIDPARAMS;
    DDSCAPS2 wide{caps->dwCaps, 0, 0, 0};
    return GetAttachedSurface(&wide, out);
}

void DirectDrawSurface::AttachBackBuffer(DirectDrawSurface* back)
{
    backBuffer_ = back;
    back->frontBuffer_ = this;
}

HRESULT DirectDrawSurface::GetBltStatus(DWORD) { return lost_ ? DDERR_SURFACELOST : DD_OK; }

HRESULT DirectDrawSurface::GetFlipStatus(DWORD)
{
    if (lost_) return DDERR_SURFACELOST;
    return (backBuffer_ || frontBuffer_) ? DD_OK : DDERR_NOTFLIPPABLE;
}

HRESULT DirectDrawSurface::IsLost() { return lost_ ? DDERR_SURFACELOST : DD_OK; }

void DirectDrawSurface::MarkLost()
{
    // Managed textures are kept by the system across mode changes and are
    // never lost.
    if (caps2_ & (DDSCAPS2_TEXTUREMANAGE | DDSCAPS2_D3DTEXTUREMANAGE))
        return;
    lost_ = true;
}

HRESULT DirectDrawSurface::Restore()
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("Restore"); FAILED(hr)) return hr;
    if (!lost_) return DD_OK;
    if (implicit_) return DDERR_IMPLICITLYCREATED;
    if (modeGeneration_ != DisplayMachine::Instance().ModeGeneration()) return DDERR_WRONGMODE;
    lost_ = false;
    // What went to the window before the loss is not owed any more.
    if (shownOnly_.pending) {
        shownOnly_.pending = false;
        DisplayMachine::Instance().ForgetShownOnly(this);
    }
    Settle();
    ScrambleContents();
    if (backBuffer_) {
        backBuffer_->lost_ = false;
        backBuffer_->ScrambleContents();
    }
    return DD_OK;
}

HRESULT DirectDrawSurface::Flip(DirectDrawSurface* target, DWORD)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("Flip"); FAILED(hr)) return hr;
    if (!backBuffer_) return DDERR_NOTFLIPPABLE;
    if (target && target != backBuffer_) return DDERR_INVALIDPARAMS;
    if (lost_ || backBuffer_->lost_) return DDERR_SURFACELOST;
    if (IsLockedOrBusy() || backBuffer_->IsLockedOrBusy()) return DDERR_SURFACEBUSY;
    if (!link_ || !link_->alive || !link_->IsFullScreen()) return DDERR_NOEXCLUSIVEMODE;
    pixels_.swap(backBuffer_->pixels_);
    flipped_ = !flipped_;
    PresentIfVisible();
    return DD_OK;
}

HRESULT DirectDrawSurface::FlipToOriginal()
{
    if (!backBuffer_ || !flipped_) return DD_OK;
    if (lost_ || backBuffer_->lost_) return DDERR_SURFACELOST;
    if (IsLockedOrBusy() || backBuffer_->IsLockedOrBusy()) return DDERR_SURFACEBUSY;
    pixels_.swap(backBuffer_->pixels_);
    flipped_ = false;
    PresentIfVisible();
    return DD_OK;
}

bool DirectDrawSurface::VisibleArea(HWND& window, RECT& area, bool& fullScreen) const
{
    fullScreen = link_->IsFullScreen();
    window = link_->window;
    if (clipper_ && clipper_->Window()) window = clipper_->Window();
    area = RECT{0, 0, width_, height_};
    if (fullScreen || !window) return true;
    // A window that shows nothing (minimised, or gone) gets no present.
    RECT client;
    if (!DisplayMachine::Instance().GetClientArea(window, client)) return false;
    area.left = std::max(area.left, client.left);
    area.top = std::max(area.top, client.top);
    area.right = std::min(area.right, client.right);
    area.bottom = std::min(area.bottom, client.bottom);
    return area.left < area.right && area.top < area.bottom;
}

void DirectDrawSurface::PresentIfVisible()
{
    if (!IsVisiblePrimary() || lost_) return;
    HWND window = nullptr;
    RECT source;
    bool fullScreen = false;
    if (!VisibleArea(window, source, fullScreen)) return;
    Settle();
    ddraw::SurfaceView view{pixels_.data(), width_, height_, pitch_, layout_,
                            palette_ ? palette_->Argb().data() : nullptr};
    DisplayMachine::Instance().Present(window, view, source, fullScreen);
}

bool DirectDrawSurface::PresentThrough(const RECT& dest, const RECT& target, DirectDrawSurface& source,
                                       const RECT& from)
{
    if (!IsVisiblePrimary() || lost_ || &source == this || layout_.IsPalettised()) return false;
    if (dest.right - dest.left != from.right - from.left || dest.bottom - dest.top != from.bottom - from.top)
        return false;
    HWND window = nullptr;
    RECT area;
    bool fullScreen = false;
    if (!VisibleArea(window, area, fullScreen) || fullScreen || !window) return false;
    // A copy that covers everything the window shows, or a part of the
    // picture the window shows from the last such copy: after a smaller one
    // onto anything else the window would show more than the copy, taken
    // from the memory.
    if (!SameRect(target, area)) return PresentPartThrough(window, area, dest, target, source, from);
    // Owed pixels outside the new picture (the window moved) are taken back
    // before the presenter shows something else.
    if (shownOnly_.pending && !Contains(area, shownOnly_.area)) Settle();
    source.Settle();
    const RECT fromArea{target.left + from.left - dest.left, target.top + from.top - dest.top,
                        target.right + from.left - dest.left, target.bottom + from.top - dest.top};
    const ddraw::SurfaceView view{source.pixels_.data(), source.width_, source.height_, source.pitch_,
                                  source.layout_, nullptr};
    if (!DisplayMachine::Instance().PresentDirect(this, window, view, fromArea, area)) return false;
    shownOnly_ = ShownOnly{true, window, area};
    return true;
}

bool DirectDrawSurface::ShowAgain(const RECT& target)
{
    if (!IsVisiblePrimary() || lost_) return false;
    HWND window = nullptr;
    RECT area;
    bool fullScreen = false;
    if (!VisibleArea(window, area, fullScreen) || fullScreen || !window) return false;
    if (!SameRect(target, area) || !shownOnly_.pending || shownOnly_.window != window ||
        !SameRect(shownOnly_.area, area))
        return false;
    return DisplayMachine::Instance().ShowAgain(this, window, area);
}

bool DirectDrawSurface::PresentPartThrough(HWND window, const RECT& area, const RECT& dest, const RECT& target,
                                           DirectDrawSurface& source, const RECT& from)
{
    if (!shownOnly_.pending || shownOnly_.window != window || !SameRect(shownOnly_.area, area)) return false;
    if (!Contains(area, target)) return false;
    source.Settle();
    const RECT fromPart{target.left + from.left - dest.left, target.top + from.top - dest.top,
                        target.right + from.left - dest.left, target.bottom + from.top - dest.top};
    const ddraw::SurfaceView view{source.pixels_.data(), source.width_, source.height_, source.pitch_,
                                  source.layout_, nullptr};
    // The primary's memory stays owed: the window holds the whole picture,
    // the new part included, and is read back when the memory is wanted.
    return DisplayMachine::Instance().PresentDirectPart(this, window, view, fromPart, target, area);
}

} // namespace platform
