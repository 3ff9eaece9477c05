// The blits of DirectDrawSurface: copy (with stretch and colour keys), colour
// fill and the unclipped fast copy. Kept apart from the surface's bookkeeping.
#include "platform/ddraw/DirectDrawClipper.h"
#include "platform/ddraw/DirectDrawSurface.h"
#include "platform/ddraw/DisplayMachine.h"

#include <algorithm>
#include <cstring>

namespace platform {

using ddraw::DisplayMachine;
using ddraw::LoadPixel;
using ddraw::StorePixel;

namespace {

bool IsEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

bool Inside(const RECT& r, int width, int height)
{
    return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height && !IsEmpty(r);
}

RECT Intersect(const RECT& a, const RECT& b)
{
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

bool InKey(DWORD value, const DDCOLORKEY& key)
{
    return value >= key.dwColorSpaceLowValue && value <= key.dwColorSpaceHighValue;
}

constexpr DWORD kBltFlagsHandled = DDBLT_ASYNC | DDBLT_COLORFILL | DDBLT_KEYDEST | DDBLT_KEYDESTOVERRIDE |
                                   DDBLT_KEYSRC | DDBLT_KEYSRCOVERRIDE | DDBLT_WAIT | DDBLT_DONOTWAIT;

} // namespace

bool DirectDrawSurface::ClipAreaFor(RECT& clip) const
{
    if (!clipper_ || !clipper_->Window() || !IsVisiblePrimary()) return false;
    RECT area;
    if (!DisplayMachine::Instance().GetClientArea(clipper_->Window(), area))
        clip = RECT{0, 0, 0, 0}; // nothing of the window is visible
    else
        clip = Intersect(clip, area);
    return true;
}

void DirectDrawSurface::FillPixels(const RECT& rect, DWORD value)
{
    int bytes = layout_.BytesPerPixel();
    for (LONG y = rect.top; y < rect.bottom; ++y) {
        uint8_t* p = At(rect.left, y);
        for (LONG x = rect.left; x < rect.right; ++x, p += bytes) StorePixel(p, bytes, value);
    }
}

HRESULT DirectDrawSurface::CopyPixels(const RECT& dest, const RECT& target, DirectDrawSurface& source,
                                      const RECT& sourceRect, const DDCOLORKEY* sourceKey, const DDCOLORKEY* destKey)
{
    const int bytes = layout_.BytesPerPixel();
    const int64_t dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    const int64_t sw = sourceRect.right - sourceRect.left, sh = sourceRect.bottom - sourceRect.top;
    const DWORD mask = layout_.ValueMask();

    // A blit within one surface reads a snapshot, so overlapping areas copy
    // as if through a separate buffer.
    std::vector<uint8_t> snapshot;
    const uint8_t* base;
    int64_t pitch;
    if (&source == this) {
        pitch = sw * bytes;
        snapshot.resize(size_t(pitch * sh));
        for (int64_t y = 0; y < sh; ++y)
            std::memcpy(snapshot.data() + y * pitch, source.At(sourceRect.left, int(sourceRect.top + y)), size_t(pitch));
        base = snapshot.data();
    } else {
        pitch = source.pitch_;
        base = source.At(sourceRect.left, sourceRect.top);
    }

    const bool straight = dw == sw && dh == sh && !sourceKey && !destKey;
    for (LONG y = target.top; y < target.bottom; ++y) {
        const int64_t sy = (int64_t(y) - dest.top) * sh / dh;
        const uint8_t* row = base + sy * pitch;
        uint8_t* out = At(target.left, y);
        if (straight) {
            std::memcpy(out, row + (target.left - dest.left) * bytes, size_t(target.right - target.left) * size_t(bytes));
            continue;
        }
        for (LONG x = target.left; x < target.right; ++x, out += bytes) {
            const int64_t sx = (int64_t(x) - dest.left) * sw / dw;
            DWORD value = LoadPixel(row + sx * bytes, bytes) & mask;
            if (sourceKey && InKey(value, *sourceKey)) continue;
            if (destKey && !InKey(LoadPixel(out, bytes) & mask, *destKey)) continue;
            StorePixel(out, bytes, value);
        }
    }
    return DD_OK;
}

HRESULT DirectDrawSurface::Blt(RECT* destRect, DirectDrawSurface* source, RECT* sourceRect, DWORD flags, DDBLTFX* fx)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("Blt"); FAILED(hr)) return hr;
    if (flags & ~kBltFlagsHandled) return DDERR_UNSUPPORTED;
    if (fx && fx->dwSize != sizeof *fx) return DDERR_INVALIDPARAMS;
    if ((flags & (DDBLT_COLORFILL | DDBLT_KEYSRCOVERRIDE | DDBLT_KEYDESTOVERRIDE)) && !fx) return DDERR_INVALIDPARAMS;
    if (HRESULT hr = CheckUsable(); FAILED(hr)) return hr;

    RECT dest = destRect ? *destRect : RECT{0, 0, width_, height_};
    if (IsEmpty(dest)) return DDERR_INVALIDRECT;
    RECT clip{0, 0, width_, height_};
    bool clipped = ClipAreaFor(clip);
    if (!clipped && !Inside(dest, width_, height_)) return DDERR_INVALIDRECT;
    RECT target = Intersect(dest, clip);

    if (flags & DDBLT_COLORFILL) {
        if (IsEmpty(target)) return DD_OK;
        Settle();
        FillPixels(target, fx->dwFillColor & layout_.ValueMask());
        PresentIfVisible();
        return DD_OK;
    }

    if (!source) return DDERR_INVALIDPARAMS;
    if (source != this)
        if (HRESULT hr = source->CheckUsable(); FAILED(hr)) return hr;
    RECT from = sourceRect ? *sourceRect : RECT{0, 0, source->width_, source->height_};
    if (!Inside(from, source->width_, source->height_)) return DDERR_INVALIDRECT;
    if (!layout_.SameAs(source->layout_)) return DDERR_INVALIDPIXELFORMAT;

    const DDCOLORKEY* sourceKey = nullptr;
    const DDCOLORKEY* destKey = nullptr;
    if (flags & DDBLT_KEYSRCOVERRIDE) {
        sourceKey = &fx->ddckSrcColorkey;
    } else if (flags & DDBLT_KEYSRC) {
        if (!source->hasSourceKey_) return DDERR_NOCOLORKEY;
        sourceKey = &source->sourceKey_;
    }
    if (flags & DDBLT_KEYDESTOVERRIDE) {
        destKey = &fx->ddckDestColorkey;
    } else if (flags & DDBLT_KEYDEST) {
        if (!hasDestKey_) return DDERR_NOCOLORKEY;
        destKey = &destKey_;
    }
    if (IsEmpty(target)) return DD_OK;
    if (!sourceKey && !destKey && PresentThrough(dest, target, *source, from)) return DD_OK;
    Settle();
    source->Settle();
    CopyPixels(dest, target, *source, from, sourceKey, destKey);
    PresentIfVisible();
    return DD_OK;
}

HRESULT DirectDrawSurface::BltFast(DWORD x, DWORD y, DirectDrawSurface* source, RECT* sourceRect, DWORD trans)
{
    if (HRESULT hr = DisplayMachine::Instance().TakeFailure("BltFast"); FAILED(hr)) return hr;
    constexpr DWORD handled =
        DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT | DDBLTFAST_DONOTWAIT;
    if ((trans & ~handled) || !source) return DDERR_INVALIDPARAMS;
    if (clipper_) return DDERR_BLTFASTCANTCLIP;
    if (HRESULT hr = CheckUsable(); FAILED(hr)) return hr;
    if (source != this)
        if (HRESULT hr = source->CheckUsable(); FAILED(hr)) return hr;
    RECT from = sourceRect ? *sourceRect : RECT{0, 0, source->width_, source->height_};
    if (!Inside(from, source->width_, source->height_)) return DDERR_INVALIDRECT;
    if (x > DWORD(width_) || y > DWORD(height_)) return DDERR_INVALIDRECT;
    RECT dest{LONG(x), LONG(y), LONG(x) + (from.right - from.left), LONG(y) + (from.bottom - from.top)};
    if (!Inside(dest, width_, height_)) return DDERR_INVALIDRECT;
    if (!layout_.SameAs(source->layout_)) return DDERR_INVALIDPIXELFORMAT;
    const DDCOLORKEY* sourceKey = nullptr;
    const DDCOLORKEY* destKey = nullptr;
    if (trans & DDBLTFAST_SRCCOLORKEY) {
        if (!source->hasSourceKey_) return DDERR_NOCOLORKEY;
        sourceKey = &source->sourceKey_;
    }
    if (trans & DDBLTFAST_DESTCOLORKEY) {
        if (!hasDestKey_) return DDERR_NOCOLORKEY;
        destKey = &destKey_;
    }
    Settle();
    source->Settle();
    CopyPixels(dest, dest, *source, from, sourceKey, destKey);
    PresentIfVisible();
    return DD_OK;
}

} // namespace platform
