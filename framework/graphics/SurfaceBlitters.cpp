// The surface blitters of the display image: each entry point locks the
// image's surface, describes it to the format-level blitters of
// SurfaceBlit.h with the display's saturation tables and channel order, and
// hands over the source's cached forms. The stretched and rotated blits also
// choose their path (3D screen, memory image, DirectDraw, software loop).
//
// Threads: the main thread, as all drawing. No lock is taken here besides
// the image's surface lock (the display's lock is taken inside surface
// creation).
#include "framework/graphics/SurfaceBlitters.h"

#include "framework/base/AffineMatrix.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/SurfaceBlit.h"

namespace Zolt::SurfaceBlitters {

namespace {

// The destination's surface, locked for the lifetime of this object (the
// lock nests inside any lock the caller holds).
class LockedSurface {
public:
    explicit LockedSurface(DDImage& image) : image_(image)
    {
        if (!image.RequireSurface() || !image.AcquireSurfaceLock())
            return;
        locked_ = true;
        const platform::DDSURFACEDESC& desc = image.GetLockedDescription();
        const platform::DDPIXELFORMAT& pf = desc.ddpfPixelFormat;
        view_.pixels = static_cast<uint8_t*>(desc.lpSurface);
        view_.pitch = desc.lPitch;
        view_.width = image.GetWidth();
        view_.height = image.GetHeight();
        // Never past the surface itself, whatever the image believes.
        if (desc.dwWidth != 0 && desc.dwHeight != 0) {
            view_.width = std::min<int32_t>(view_.width, static_cast<int32_t>(desc.dwWidth));
            view_.height = std::min<int32_t>(view_.height, static_cast<int32_t>(desc.dwHeight));
        }
        view_.format = SurfaceFormat::FromMasks(static_cast<int32_t>(pf.dwRGBBitCount), pf.dwRBitMask,
                                                pf.dwGBitMask, pf.dwBBitMask);
    }
    ~LockedSurface()
    {
        if (locked_)
            image_.ReleaseSurfaceLock();
    }
    LockedSurface(const LockedSurface&) = delete;
    LockedSurface& operator=(const LockedSurface&) = delete;

    bool IsLocked() const { return locked_; }
    // Locked, and a layout the blitters draw (16 or 32 bits); any other
    // surface is only unlocked.
    bool IsDrawable() const { return locked_ && view_.IsUsable(); }
    const SurfaceView& View() const { return view_; }

private:
    DDImage& image_;
    bool locked_ = false;
    SurfaceView view_;
};

SaturationTables TablesOf(const DDInterface& display)
{
    SaturationTables t;
    for (int c = 0; c < 3; ++c) {
        const std::vector<uint32_t>& table = display.GetSaturationTable(c);
        t.table[c] = table.data();
        t.size[c] = table.size();
    }
    return t;
}

// A source's display-format pixels: the native palette with the indices for
// a palettised image, else one native word per pixel.
SourcePixels NativeOf(MemoryImage& src, DDInterface& display)
{
    const uint32_t* native = src.RequireNativeAlpha(&display);
    const bool palettized = src.GetPalette() && src.GetIndices();
    return {native, palettized ? src.GetIndices() : nullptr, src.GetWidth(), src.GetHeight()};
}

// A source without translucent pixels, for a copy that leaves its
// transparent pixels alone: where the display keeps opaque ARGB as it is,
// the ARGB bits serve as they are (only the alpha byte of a transparent
// pixel is read, and it is 0 in both forms); elsewhere the display-format
// copy.
SourcePixels CopyableOf(MemoryImage& src, DDInterface& display)
{
    const bool bitsServe = display.KeepsOpaqueArgb() && !src.AlphaFlagsForced() && !src.HasTranslucency() &&
                           !src.GetNativeAlpha() && !(src.GetPalette() && src.GetIndices());
    if (!bitsServe)
        return NativeOf(src, display);
    return {src.RequireBits(), nullptr, src.GetWidth(), src.GetHeight()};
}

// A source's ARGB pixels: the palette with the indices, else the bits.
SourcePixels ArgbOf(MemoryImage& src)
{
    if (src.GetPalette() && src.GetIndices())
        return {src.GetPalette(), src.GetIndices(), src.GetWidth(), src.GetHeight()};
    return {src.RequireBits(), nullptr, src.GetWidth(), src.GetHeight()};
}

bool RgbOrder() { return gDisplayRgbOrder.load(std::memory_order_relaxed); }

bool IsOpaque(const DDImage& image) { return !image.HasTransparency() && !image.HasTranslucency(); }

MemoryImage* MarkSource(Image* source)
{
    if (!source)
        return nullptr;
    source->SetDrawnFrom(true);
    return dynamic_cast<MemoryImage*>(source);
}

// The shared frame of the members: nothing on the video-memory screen, the
// surface locked around the work, a surface of another depth only unlocked.
template <typename Work>
bool InFrame(DDImage& dest, bool skipVideoMemoryScreen, const Work& work)
{
    DDInterface* display = dest.GetDisplay();
    if (!display)
        return false;
    if (skipVideoMemoryScreen && dest.IsVideoMemoryScreen())
        return true;
    LockedSurface surface(dest);
    if (surface.IsDrawable())
        work(surface.View(), *display);
    return true;
}

} // namespace

bool FillRectangleNormal(DDImage& dest, const Rect& rect, const Color& color)
{
    return InFrame(dest, true, [&](const SurfaceView& view, DDInterface&) { SurfaceBlit::FillNormal(view, rect, color); });
}

bool FillRectangleAdditive(DDImage& dest, const Rect& rect, const Color& color)
{
    return InFrame(dest, true, [&](const SurfaceView& view, DDInterface& display) {
        SurfaceBlit::FillAdditive(view, TablesOf(display), rect, color);
    });
}

bool BlitNormal(DDImage& dest, Image* source, int x, int y, const Rect& sourceRect, const Color& tint)
{
    if (!dest.GetDisplay())
        return false;
    MemoryImage* src = MarkSource(source);
    if (!src || dest.IsVideoMemoryScreen())
        return true;
    src->ScanAlpha();
    auto* surfaceSource = dynamic_cast<DDImage*>(source);
    const bool sourceHasSurface = surfaceSource && surfaceSource->GetSurface();
    const bool white = tint == Color::White;
    if (src->IsVolatile() && !sourceHasSurface && white) {
        // A source that changes often is blended from its ARGB pixels, so
        // that no cache is built for it.
        return InFrame(dest, true, [&](const SurfaceView& view, DDInterface&) {
            SurfaceBlit::BlendArgb(view, ArgbOf(*src), x, y, sourceRect, RgbOrder());
        });
    }
    if (!src->HasTranslucency() && white && sourceHasSurface &&
        (dest.IsVideoMemoryWanted() || !surfaceSource->IsVideoMemoryWanted())) {
        dest.BltFromSurface(surfaceSource, x, y, sourceRect);
        return true;
    }
    return InFrame(dest, true, [&](const SurfaceView& view, DDInterface& display) {
        if (!src->HasTranslucency() && white)
            SurfaceBlit::CopyNative(view, CopyableOf(*src, display), src->HasTransparency(), x, y, sourceRect);
        else
            SurfaceBlit::BlendRuns(view, NativeOf(*src, display), src->RequireRLAlpha(), x, y, sourceRect, tint,
                                   false);
    });
}

bool BlitAdditive(DDImage& dest, Image* source, int x, int y, const Rect& sourceRect, const Color& tint)
{
    if (!dest.GetDisplay())
        return false;
    MemoryImage* src = MarkSource(source);
    if (!src)
        return true;
    return InFrame(dest, true, [&](const SurfaceView& view, DDInterface& display) {
        src->ScanAlpha();
        const SourcePixels native = NativeOf(*src, display);
        SurfaceBlit::AddRuns(view, TablesOf(display), native, src->RequireRLAdditive(&display), x, y, sourceRect,
                             tint, false);
    });
}

bool DrawLineNormal(DDImage& dest, double x1, double y1, double x2, double y2, const Color& color)
{
    return InFrame(dest, true, [&](const SurfaceView& view, DDInterface&) {
        SurfaceBlit::LineNormal(view, x1, y1, x2, y2, color);
    });
}

bool DrawLineAdditive(DDImage& dest, double x1, double y1, double x2, double y2, const Color& color)
{
    return InFrame(dest, true, [&](const SurfaceView& view, DDInterface& display) {
        SurfaceBlit::LineAdditive(view, TablesOf(display), x1, y1, x2, y2, color);
    });
}

bool DrawLineSmoothNormal(DDImage& dest, double x1, double y1, double x2, double y2, const Color& color)
{
    // The antialiased line is the one member that draws on the video-memory
    // screen too.
    return InFrame(dest, false, [&](const SurfaceView& view, DDInterface&) {
        SurfaceBlit::LineSmoothNormal(view, x1, y1, x2, y2, color);
    });
}

bool DrawLineSmoothAdditive(DDImage& dest, double, double, double, double, const Color&)
{
    // An additive antialiased line draws nothing, as on a memory image.
    return dest.GetDisplay() != nullptr;
}

bool BlitMirroredNormal(DDImage& dest, Image* source, int x, int y, const Rect& sourceRect, const Color& tint)
{
    if (!dest.GetDisplay())
        return false;
    MemoryImage* src = MarkSource(source);
    if (!src)
        return true;
    return InFrame(dest, true, [&](const SurfaceView& view, DDInterface& display) {
        src->ScanAlpha();
        const SourcePixels native = NativeOf(*src, display);
        SurfaceBlit::BlendRuns(view, native, src->RequireRLAlpha(), x, y, sourceRect, tint, true);
    });
}

bool BlitMirroredAdditive(DDImage& dest, Image* source, int x, int y, const Rect& sourceRect, const Color& tint)
{
    if (!dest.GetDisplay())
        return false;
    MemoryImage* src = MarkSource(source);
    if (!src)
        return true;
    return InFrame(dest, true, [&](const SurfaceView& view, DDInterface& display) {
        src->ScanAlpha();
        const SourcePixels native = NativeOf(*src, display);
        SurfaceBlit::AddRuns(view, TablesOf(display), native, src->RequireRLAdditive(&display), x, y, sourceRect,
                             tint, true);
    });
}

namespace {

// A stretch onto the Direct3D screen: one scaled (and maybe mirrored)
// textured quad.
void StretchOnto3DScreen(DDInterface& display, Image* source, const Rect& destRect, const Rect& sourceRect,
                         const Rect& clip, const Color& tint, int drawMode, bool quickStretch, bool mirrored)
{
    if (destRect.width == 0 || destRect.height == 0 || sourceRect.width == 0 || sourceRect.height == 0)
        return;
    const float sx = static_cast<float>(destRect.width) / static_cast<float>(sourceRect.width);
    const float sy = static_cast<float>(destRect.height) / static_cast<float>(sourceRect.height);
    AffineMatrix m;
    if (mirrored) {
        m.PreTranslate(-static_cast<float>(sourceRect.width), 0);
        m.PreScale(-sx, sy);
    } else {
        m.PreScale(sx, sy);
    }
    m.PreTranslate(static_cast<float>(destRect.x), static_cast<float>(destRect.y));
    display.Get3DPath()->BlitTransformed(source, 0, 0, &m.m[0][0], clip, tint, drawMode, sourceRect, !quickStretch);
}

// The filtered stretch: in memory unless the destination is an opaque
// surface image; then into an untinted temporary as large as the visible
// part, which the ordinary blit tints and draws on the surface.
void StretchFiltered(DDImage& dest, DDInterface& display, Image* source, const Rect& destRect,
                     const Rect& sourceRect, const Rect& clip, const Rect& clipped, const Color& tint, int drawMode)
{
    if (!IsOpaque(dest) || display.IsIn3DMode()) {
        dest.MemoryImage::BlitImageStretched(source, destRect, sourceRect, clip, tint, drawMode, false);
        return;
    }
    MemoryImage filtered(dest.GetApp());
    filtered.MakeBlank(clipped.width, clipped.height);
    const Rect whole(0, 0, clipped.width, clipped.height);
    filtered.BlitImageStretched(source,
                                Rect(destRect.x - clipped.x, destRect.y - clipped.y, destRect.width, destRect.height),
                                sourceRect, whole, Color::White, DrawMode::Normal, false);
    dest.BlitImage(&filtered, clipped.x, clipped.y, whole, tint, drawMode);
    dest.DiscardMemoryCopies();
}

// An opaque, untinted surface image stretched by the surface's own blit;
// false when the source is not such an image.
bool StretchSurfaceToSurface(DDImage& dest, Image* source, const DoubleRect& area, const Rect& clipped,
                             const Color& tint, int drawMode)
{
    auto* surfaceSource = dynamic_cast<DDImage*>(source);
    if (!surfaceSource || tint != Color::White || drawMode != DrawMode::Normal ||
        surfaceSource->HasTranslucency() || !surfaceSource->RequireSurface())
        return false;
    const platform::RECT destEdges{clipped.x, clipped.y, clipped.x + clipped.width, clipped.y + clipped.height};
    const platform::RECT sourceEdges{static_cast<platform::LONG>(area.x), static_cast<platform::LONG>(area.y),
                                     static_cast<platform::LONG>(area.x + area.width),
                                     static_cast<platform::LONG>(area.y + area.height)};
    if (dest.StretchBltFromSurface(surfaceSource, destEdges, sourceEdges))
        dest.DiscardMemoryCopies();
    return true;
}

// A picture stretched to its own size with nothing to tint, blend or key
// by colour is a plain copy: true when it should be drawn as one, which
// needs no surface for the source and, where the display keeps opaque ARGB,
// no converted copy of it either.
bool IsPlainCopy(const DDImage& dest, const DDInterface& display, Image* source, const Rect& destRect,
                 const Rect& sourceRect, const Color& tint, int drawMode, bool mirrored)
{
    auto* src = dynamic_cast<MemoryImage*>(source);
    // The plain blit leaves the screen kept in video memory alone, where a
    // stretch draws.
    if (!src || mirrored || tint != Color::White || drawMode != DrawMode::Normal || !IsOpaque(dest) ||
        dest.IsVideoMemoryScreen() || display.IsIn3DMode() || destRect.width != sourceRect.width ||
        destRect.height != sourceRect.height)
        return false;
    // Samples past the picture's edge repeat the edge in a stretch, while a
    // copy leaves them out.
    if (sourceRect.x < 0 || sourceRect.y < 0 || sourceRect.x + sourceRect.width > src->GetWidth() ||
        sourceRect.y + sourceRect.height > src->GetHeight())
        return false;
    // Flags its owner set say nothing of the pixels: a copy would take a
    // half-transparent pixel as it is, where the stretch blends it.
    if (src->AlphaFlagsForced())
        return false;
    src->ScanAlpha();
    // A volatile picture's plain blit blends its ARGB pixels, which is not
    // the stretch's copy.
    return !src->HasTranslucency() && !src->IsVolatile();
}

// The pixels the nearest-sample stretch reads: the display-format copy when
// the picture has one (or is palettised, whose copy is only its palette),
// else the ARGB bits, put into the display's form sample by sample, so that
// drawing a picture, or a small part of one, makes no copy of it.
struct StretchSource {
    SourcePixels pixels;
    const NativeDisplay* premultiplyFor = nullptr;
};

StretchSource StretchSourceOf(MemoryImage& src, DDInterface& display)
{
    if (src.GetNativeAlpha() || (src.GetPalette() && src.GetIndices()))
        return {NativeOf(src, display), nullptr};
    return {{src.RequireBits(), nullptr, src.GetWidth(), src.GetHeight()}, &display};
}

} // namespace

bool BlitStretched(DDImage& dest, Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clip,
                   const Color& tint, int drawMode, bool quickStretch, bool mirrored)
{
    DDInterface* display = dest.GetDisplay();
    if (!display)
        return false;
    if (source)
        source->SetDrawnFrom(true);
    dest.ScanAlpha();
    if (dest.IsScreen3D()) {
        StretchOnto3DScreen(*display, source, destRect, sourceRect, clip, tint, drawMode, quickStretch, mirrored);
        return true;
    }
    DoubleRect area;
    Rect clipped;
    const bool mapped = mirrored ? MapStretchRectsMirrored(sourceRect, clip, destRect, area, clipped)
                                 : MapStretchRects(sourceRect, clip, destRect, area, clipped);
    if (!mapped || clipped.width <= 0 || clipped.height <= 0)
        return true;
    if (quickStretch && IsPlainCopy(dest, *display, source, destRect, sourceRect, tint, drawMode, mirrored)) {
        dest.BlitImage(source, clipped.x, clipped.y,
                       Rect(sourceRect.x + clipped.x - destRect.x, sourceRect.y + clipped.y - destRect.y,
                            clipped.width, clipped.height),
                       tint, drawMode);
        return true;
    }
    if (!mirrored && !quickStretch) {
        StretchFiltered(dest, *display, source, destRect, sourceRect, clip, clipped, tint, drawMode);
        return true;
    }
    if (!mirrored && StretchSurfaceToSurface(dest, source, area, clipped, tint, drawMode))
        return true;

    // Nearest samples, drawn on the surface.
    auto* src = dynamic_cast<MemoryImage*>(source);
    if (!src) {
        dest.DiscardMemoryCopies();
        return true;
    }
    if (!mirrored && !dest.GetSurface() && !dest.MakeSurface()) {
        // An image that cannot have a surface (it has translucent pixels)
        // is drawn in memory rather than not at all.
        dest.MemoryImage::BlitImageStretched(source, destRect, sourceRect, clip, tint, drawMode, quickStretch);
        return true;
    }
    src->ScanAlpha();
    const StretchSource from = StretchSourceOf(*src, *display);
    {
        LockedSurface surface(dest);
        if (!surface.IsLocked())
            return true;
        if (surface.IsDrawable())
            SurfaceBlit::StretchNearest(surface.View(), TablesOf(*display), from.pixels, sourceRect, area, clipped,
                                        tint, drawMode, mirrored, from.premultiplyFor);
    }
    dest.DiscardMemoryCopies();
    return true;
}

bool BlitRotated(DDImage& dest, Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                 const Color& tint, int drawMode, double angle, float centerX, float centerY)
{
    DDInterface* display = dest.GetDisplay();
    if (!display)
        return false;
    if (source)
        source->SetDrawnFrom(true);
    if (dest.IsVideoMemoryScreen())
        return true;
    dest.ScanAlpha();
    if (dest.IsScreen3D()) {
        AffineMatrix m;
        m.PreTranslate(-centerX, -centerY);
        m.PreRotate(static_cast<float>(angle));
        m.PreTranslate(x + centerX, y + centerY);
        display->Get3DPath()->BlitTransformed(source, 0, 0, &m.m[0][0], clip, tint, drawMode, sourceRect, true);
        return true;
    }
    if (!IsOpaque(dest) || display->IsIn3DMode()) {
        dest.MemoryImage::BlitImageRotated(source, x, y, sourceRect, clip, tint, drawMode, angle, centerX, centerY);
        return true;
    }
    if (!SurfaceBlit::RotatedBoxVisible(dest.GetWidth(), dest.GetHeight(), x, y, sourceRect, clip, angle, centerX,
                                        centerY))
        return true;
    auto* src = dynamic_cast<MemoryImage*>(source);
    if (!src) {
        dest.DiscardMemoryCopies();
        return true;
    }
    src->ScanAlpha();
    const SourcePixels argb = ArgbOf(*src);
    {
        LockedSurface surface(dest);
        if (!surface.IsLocked())
            return true;
        if (surface.IsDrawable())
            SurfaceBlit::Rotate(surface.View(), TablesOf(*display), argb, x, y, sourceRect, clip, tint, drawMode,
                                angle, centerX, centerY, RgbOrder());
    }
    dest.DiscardMemoryCopies();
    return true;
}

} // namespace Zolt::SurfaceBlitters
