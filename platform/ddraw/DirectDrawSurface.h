// A DirectDraw surface over memory: pixels in the display's format (or the
// format asked for) with a padded pitch, locks, blits, colour keys, a flip
// chain, a clipper, device-context access, and the lost state that a display
// change or a test provokes. The primary shows itself through the machine's
// presenter whenever its pixels change (blit, unlock, flip, released DC); a
// windowed frame copied whole onto it goes to the window in one pass and
// reaches the primary's memory only when that is next used (Settle).
//
// Both the first-version and the seventh-version surface interfaces are this
// one class; the overloads taking DDSURFACEDESC / DDSCAPS serve the first.
//
// Threads: not thread-safe by itself; the display's critical section
// serialises the main thread and the cursor thread. The reference count is
// atomic.
#pragma once

#include "platform/ddraw/DDrawTypes.h"
#include "platform/ddraw/PixelLayout.h"

#include <atomic>
#include <memory>
#include <set>
#include <vector>

namespace platform {

class DirectDrawClipper;
class DirectDrawPalette;
class DirectDrawSurface;

namespace ddraw {
// What the surfaces of one DirectDraw object share with it; outlives the
// object while surfaces remain.
struct DeviceLink {
    HWND window = nullptr;   // cooperative-level window
    DWORD level = 0;         // DDSCL_* flags last set; 0 before any
    bool alive = true;       // the DirectDraw object still exists
    DirectDrawSurface* primary = nullptr;
    std::set<DirectDrawSurface*> surfaces;

    bool IsFullScreen() const { return (level & DDSCL_EXCLUSIVE) && (level & DDSCL_FULLSCREEN); }
};
} // namespace ddraw

class DirectDrawSurface final : public IUnknown {
public:
    struct Setup {
        int width = 0;
        int height = 0;
        ddraw::PixelLayout layout;
        DWORD caps = 0;  // DDSCAPS_* as reported (memory placement included)
        DWORD caps2 = 0;
        bool implicit = false; // a back buffer made with its flip chain
        size_t videoBytes = 0; // video memory held, returned at destruction
        std::shared_ptr<ddraw::DeviceLink> link;
    };

    // A new surface with one reference; registered with the machine.
    static DirectDrawSurface* Create(const Setup& setup);
    // Bytes between rows for a surface of this width: deliberately more than
    // width x bytes per pixel, so that code ignoring the pitch shows it.
    static int PitchFor(int width, int bytesPerPixel);
    // The surface behind a device context handed out by GetDC, or null.
    static DirectDrawSurface* FromDC(HDC dc);

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT Blt(RECT* destRect, DirectDrawSurface* source, RECT* sourceRect, DWORD flags, DDBLTFX* fx);
    HRESULT BltFast(DWORD x, DWORD y, DirectDrawSurface* source, RECT* sourceRect, DWORD trans);
    HRESULT Flip(DirectDrawSurface* target, DWORD flags);
    HRESULT GetAttachedSurface(DDSCAPS2* caps, DirectDrawSurface** out);
    HRESULT GetAttachedSurface(DDSCAPS* caps, DirectDrawSurface** out);
    HRESULT GetBltStatus(DWORD flags);
    HRESULT GetFlipStatus(DWORD flags);
    HRESULT GetCaps(DDSCAPS2* caps);
    HRESULT GetCaps(DDSCAPS* caps);
    HRESULT GetClipper(DirectDrawClipper** out);
    HRESULT SetClipper(DirectDrawClipper* clipper);
    HRESULT GetPalette(DirectDrawPalette** out);
    HRESULT SetPalette(DirectDrawPalette* palette);
    HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key);
    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key);
    HRESULT GetDC(HDC* dc);
    HRESULT ReleaseDC(HDC dc);
    HRESULT GetPixelFormat(DDPIXELFORMAT* format);
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc);
    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc);
    HRESULT IsLost();
    HRESULT Restore();
    HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, void* event);
    HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, void* event);
    HRESULT Unlock(RECT* rect);

    // For the DirectDraw object, the machine, the presenters and tests.
    void MarkLost();
    void AttachBackBuffer(DirectDrawSurface* back);
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Pitch() const { return pitch_; }
    const ddraw::PixelLayout& Layout() const { return layout_; }
    DWORD Caps() const { return caps_; }
    const uint8_t* Pixels() const
    {
        Settle();
        return pixels_.data();
    }
    DirectDrawPalette* Palette() const { return palette_; }
    uint8_t* Pixels()
    {
        Settle();
        return pixels_.data();
    }
    bool IsLockedOrBusy() const { return !locks_.empty() || dcOut_; }
    // False once anything wrote into the padding at the end of a row.
    bool PaddingIntact() const;
    // Shows the primary's pixels (no-op for other surfaces).
    void PresentIfVisible();
    // Brings the memory up to what it holds for its users: a windowed
    // primary gets its memory at first use, and takes back from the
    // presenter a picture that went from another surface straight to the
    // window (see PresentThrough). Called by every operation that reads or
    // partly writes the pixels; cheap when there is nothing to do.
    void Settle() const;
    // Flips the chain back so that the buffer that was the primary at
    // creation (the one the system draws on) is in front again.
    HRESULT FlipToOriginal();

private:
    explicit DirectDrawSurface(const Setup& setup);
    ~DirectDrawSurface() override;

    template <class Desc> void DescribeInto(Desc& desc) const;
    template <class Desc> HRESULT LockInto(RECT* rect, Desc* desc, DWORD flags);
    HRESULT CheckUsable() const;
    bool IsVisiblePrimary() const;
    bool ClipAreaFor(RECT& clip) const; // true when a clipper narrows the blit
    uint8_t* At(int x, int y) { return pixels_.data() + size_t(y) * size_t(pitch_) + size_t(x) * size_t(layout_.BytesPerPixel()); }
    const uint8_t* At(int x, int y) const
    {
        return pixels_.data() + size_t(y) * size_t(pitch_) + size_t(x) * size_t(layout_.BytesPerPixel());
    }
    // A straight copy of the window's whole visible area from another
    // surface onto the visible windowed primary is converted from that
    // surface into the window in one pass; the primary's memory for the area
    // is left behind and settled when next used. False (nothing done) when
    // the copy does not qualify or the presenter cannot show it that way.
    bool PresentThrough(const RECT& dest, const RECT& target, DirectDrawSurface& source, const RECT& from);
public:
    // The visible primary shows again, at `target` (the window's whole
    // visible area), the picture its last one-pass present put in the
    // window, without sending it anew; false when the window no longer
    // holds that picture (it moved, was resized, or showed something else).
    bool ShowAgain(const RECT& target);
private:
    bool PresentPartThrough(HWND window, const RECT& area, const RECT& dest, const RECT& target,
                            DirectDrawSurface& source, const RECT& from);
    // The window and the part of the primary (desktop coordinates) that a
    // present shows; false when nothing would be shown.
    bool VisibleArea(HWND& window, RECT& area, bool& fullScreen) const;
    void FillPadding() const;
    void ScrambleContents();
    HRESULT CopyPixels(const RECT& dest, const RECT& clippedDest, DirectDrawSurface& source, const RECT& sourceRect,
                       const DDCOLORKEY* sourceKey, const DDCOLORKEY* destKey);
    void FillPixels(const RECT& rect, DWORD value);

    std::atomic<ULONG> references_{1};
    int width_;
    int height_;
    int pitch_;
    ddraw::PixelLayout layout_;
    DWORD caps_;
    DWORD caps2_;
    bool implicit_;
    size_t videoBytes_;
    unsigned modeGeneration_;
    std::shared_ptr<ddraw::DeviceLink> link_;
    // Filled on demand (Settle), also through const access: a windowed
    // primary starts without memory, and may owe the area `shownOnly_` names.
    struct ShownOnly {
        bool pending = false;
        HWND window = nullptr;
        RECT area{0, 0, 0, 0}; // desktop coordinates
    };
    mutable std::vector<uint8_t> pixels_;
    mutable bool allocated_ = false;
    mutable ShownOnly shownOnly_;
    std::vector<RECT> locks_;
    bool dcOut_ = false;
    bool lost_ = false;
    bool flipped_ = false; // the chain's buffers are swapped
    bool hasSourceKey_ = false;
    bool hasDestKey_ = false;
    DDCOLORKEY sourceKey_{};
    DDCOLORKEY destKey_{};
    DirectDrawClipper* clipper_ = nullptr;     // one reference held
    DirectDrawPalette* palette_ = nullptr;     // one reference held
    DirectDrawSurface* backBuffer_ = nullptr;  // one reference held (flip chain front only)
    DirectDrawSurface* frontBuffer_ = nullptr; // not owned (back buffer only)
};

using IDirectDrawSurface = DirectDrawSurface;
using IDirectDrawSurface7 = DirectDrawSurface;
using LPDIRECTDRAWSURFACE = DirectDrawSurface*;
using LPDIRECTDRAWSURFACE7 = DirectDrawSurface*;

} // namespace platform
