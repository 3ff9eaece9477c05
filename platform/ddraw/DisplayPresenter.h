// The seam between the DirectDraw objects and the window that shows the
// primary surface. The window service will implement it for its own windows;
// until then the SDL presenter makes a window of its own and the headless
// presenter keeps what was shown in memory for tests.
//
// Threads: called by DisplayMachine with its lock held, from any thread that
// draws on the primary (the main thread and the application's cursor thread).
#pragma once

#include "platform/ddraw/DDrawTypes.h"
#include "platform/ddraw/PixelLayout.h"

#include <cstdint>

namespace platform::ddraw {

// Read-only view of a surface's memory during one present.
struct SurfaceView {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;
    PixelLayout layout;
    const uint32_t* palette = nullptr; // 256 ARGB entries of an 8-bit surface, or null

    uint32_t ArgbAt(int x, int y) const
    {
        int bytes = layout.BytesPerPixel();
        uint32_t raw = LoadPixel(pixels + size_t(y) * size_t(pitch) + size_t(x) * size_t(bytes), bytes);
        if (palette && layout.IsPalettised()) return palette[raw & 0xFF] | 0xFF000000u;
        return layout.ToArgb(raw);
    }
};

// Converts the `source` rectangle of the view into 0xAARRGGBB rows at `out`,
// `outStride` pixels apart (0: tightly packed).
inline void ConvertRows(const SurfaceView& view, const RECT& source, uint32_t* out, int outStride = 0)
{
    int width = source.right - source.left;
    int stride = outStride > 0 ? outStride : width;
    int bytes = view.layout.BytesPerPixel();
    if (view.palette && view.layout.IsPalettised()) {
        for (LONG y = source.top; y < source.bottom; ++y, out += stride)
            for (LONG x = source.left; x < source.right; ++x) out[x - source.left] = view.ArgbAt(x, y);
        return;
    }
    for (LONG y = source.top; y < source.bottom; ++y, out += stride)
        ConvertRowToArgb(view.pixels + size_t(y) * size_t(view.pitch) + size_t(source.left) * size_t(bytes), out, width,
                         view.layout);
}

class DisplayPresenter {
public:
    virtual ~DisplayPresenter() = default;

    // The window's client area in desktop coordinates; false when the window
    // is unknown or shows nothing (minimised).
    virtual bool GetClientArea(HWND window, RECT& area) = 0;

    // The display took (true) or gave back (false) the whole screen for the
    // window, at the given mode size.
    virtual void SetFullScreen(HWND window, bool fullScreen, int width, int height) = 0;

    // Shows `source` (a rectangle of the primary, in desktop coordinates when
    // windowed, the whole mode in full screen) in the window. In full screen
    // the real back end scales it into the screen, pillar- or letter-boxed.
    virtual void Present(HWND window, const SurfaceView& primary, const RECT& source, bool fullScreen) = 0;

    // Windowed, shows `from` (a rectangle of `pixels`, a surface in the
    // primary's format) as the window's visible part `area` of the primary
    // (desktop coordinates, the same size), converting once, without the
    // primary's memory. False when this presenter cannot: the caller then
    // copies into the primary and presents that.
    virtual bool PresentDirect(HWND, const SurfaceView&, const RECT& /*from*/, const RECT& /*area*/) { return false; }

    // After a PresentDirect of `area` to the same window (and any parts
    // since), shows the window that picture again without converting it;
    // false when the window no longer holds it.
    virtual bool ShowAgain(HWND, const RECT& /*area*/) { return false; }

    // After a PresentDirect of `area` to the same window, shows `from` (a
    // rectangle of `pixels`) as the part `part` of that area (desktop
    // coordinates, the same size as `from`), leaving the rest of the window
    // as it is. False when the window no longer shows that picture whole
    // (its surface was made anew, a present from the primary came since):
    // the caller then presents in full.
    virtual bool PresentDirectPart(HWND, const SurfaceView&, const RECT& /*from*/, const RECT& /*part*/,
                                   const RECT& /*area*/)
    {
        return false;
    }

    // What the window shows of `area` since the last PresentDirect, as
    // 0xAARRGGBB rows of the area's width at `out`; false when the presenter
    // no longer has that picture.
    virtual bool ReadShown(HWND, const RECT& /*area*/, uint32_t* /*out*/) { return false; }
};

} // namespace platform::ddraw
