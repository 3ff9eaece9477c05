// Where each drawing operation of the display image goes: the 3D path for
// the 3D screen, the surface blitters for an opaque image, the memory image's
// software blitters otherwise. Surface drawing happens inside one surface
// lock: when the lock cannot be had (a lost surface) nothing is drawn and the
// memory copies are kept.
#include "framework/graphics/DDImage.h"

#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Display3DPath.h"
#include "framework/graphics/SurfaceBlitters.h"
#include "framework/graphics/SurfacePixelFormat.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Zolt {

using namespace platform;

namespace {

// Runs the draw for the mode inside one surface lock, then lets the memory
// copies go; a lock that cannot be had draws nothing and keeps them.
template <class Normal, class Additive>
void DrawLocked(DDImage& image, int drawMode, Normal normal, Additive additive)
{
    if (!image.AcquireSurfaceLock())
        return;
    if (drawMode == DrawMode::Normal)
        normal();
    else if (drawMode == DrawMode::Additive)
        additive();
    image.ReleaseSurfaceLock();
    image.DiscardMemoryCopies();
}

Rect LineBounds(double x1, double y1, double x2, double y2)
{
    // One pixel of margin for the end points' rounding, one more for the
    // smooth line's coverage.
    const int left = static_cast<int>(std::floor(std::min(x1, x2))) - 2;
    const int top = static_cast<int>(std::floor(std::min(y1, y2))) - 2;
    const int right = static_cast<int>(std::ceil(std::max(x1, x2))) + 3;
    const int bottom = static_cast<int>(std::ceil(std::max(y1, y2))) + 3;
    return Rect(left, top, right - left, bottom - top);
}

} // namespace

bool DDImage::CanDrawOnSurface(bool cursorAreaIn3D)
{
    if (!display_ || hasTrans_ || hasAlpha_)
        return false;
    if (display_->IsIn3DMode() && !(cursorAreaIn3D && display_->IsCursorArea(this)))
        return false;
    // An image that cannot have a surface (no display set up yet) keeps
    // drawing in memory; a surface that exists but cannot be locked is lost,
    // and drawing on it is skipped.
    return surface_ || MakeSurface();
}

template <class Draw>
void DDImage::DrawThroughMemory(const Rect& area, Draw draw)
{
    const Rect r = area.Intersection(Rect(0, 0, width_, height_));
    if (r.width < 1 || r.height < 1)
        return;
    if (!AcquireSurfaceLock())
        return;
    const SurfacePixelFormat format(lockedDesc_.ddpfPixelFormat);
    auto* base = static_cast<uint8_t*>(lockedDesc_.lpSurface);
    if (base && format.IsSupported()) {
        const size_t pitch = static_cast<size_t>(lockedDesc_.lPitch);
        const bool wide = format.bitsPerPixel == 32;
        std::vector<uint32_t> pixels(static_cast<size_t>(r.width) * static_cast<size_t>(r.height));
        for (int y = 0; y < r.height; ++y) {
            uint8_t* row = base + static_cast<size_t>(r.y + y) * pitch;
            for (int x = 0; x < r.width; ++x) {
                const uint32_t v = wide ? reinterpret_cast<uint32_t*>(row)[r.x + x]
                                        : reinterpret_cast<uint16_t*>(row)[r.x + x];
                pixels[static_cast<size_t>(y) * r.width + x] = format.ToArgb(v);
            }
        }
        MemoryImage copy(nullptr);
        copy.AssignBits(pixels.data(), r.width, r.height, false);
        copy.ForceAlphaFlags(false, false);
        draw(copy, r.x, r.y);
        const uint32_t* drawn = copy.RequireBits();
        for (int y = 0; y < r.height; ++y) {
            uint8_t* row = base + static_cast<size_t>(r.y + y) * pitch;
            for (int x = 0; x < r.width; ++x) {
                const uint32_t v = format.FromArgb(drawn[static_cast<size_t>(y) * r.width + x]);
                if (wide)
                    reinterpret_cast<uint32_t*>(row)[r.x + x] = v;
                else
                    reinterpret_cast<uint16_t*>(row)[r.x + x] = static_cast<uint16_t>(v);
            }
        }
    }
    ReleaseSurfaceLock();
}

// ---------------------------------------------------------------- surface blitters --

void DDImage::FillRectangleNormal(const Rect& rect, const Color& color)
{
    if (!SurfaceBlitters::FillRectangleNormal(*this, rect, color))
        DrawThroughMemory(rect, [&](MemoryImage& m, int ox, int oy) {
            m.FillRectangle(Rect(rect.x - ox, rect.y - oy, rect.width, rect.height), color, DrawMode::Normal);
        });
}

void DDImage::FillRectangleAdditive(const Rect& rect, const Color& color)
{
    if (SurfaceBlitters::FillRectangleAdditive(*this, rect, color))
        return;
    // The colour, weighted by its alpha, added to every pixel with saturation.
    const int alpha = std::clamp(color.alpha, 0, 255);
    const uint32_t add[3] = {uint32_t(std::clamp(color.red, 0, 255) * alpha / 255),
                             uint32_t(std::clamp(color.green, 0, 255) * alpha / 255),
                             uint32_t(std::clamp(color.blue, 0, 255) * alpha / 255)};
    DrawThroughMemory(rect, [&](MemoryImage& m, int ox, int oy) {
        const Rect r = Rect(rect.x - ox, rect.y - oy, rect.width, rect.height)
                           .Intersection(Rect(0, 0, m.GetWidth(), m.GetHeight()));
        uint32_t* bits = m.RequireBits();
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x) {
                uint32_t& p = bits[size_t(y) * size_t(m.GetWidth()) + size_t(x)];
                uint32_t out = p & 0xFF000000u;
                for (int c = 0; c < 3; ++c) {
                    const int shift = 16 - 8 * c;
                    out |= std::min<uint32_t>(((p >> shift) & 0xFF) + add[c], 255u) << shift;
                }
                p = out;
            }
    });
}

void DDImage::BlitNormal(Image* source, int x, int y, const Rect& sourceRect, const Color& tint)
{
    if (SurfaceBlitters::BlitNormal(*this, source, x, y, sourceRect, tint))
        return;
    // An opaque or keyed source with a surface of its own: DirectDraw copies it.
    auto* dd = dynamic_cast<DDImage*>(source);
    if (dd && dd->surface_ && !dd->hasAlpha_ && tint == Color::White && !videoMemoryScreen_ &&
        BltFromSurface(dd, x, y, sourceRect))
        return;
    DrawThroughMemory(Rect(x, y, sourceRect.width, sourceRect.height), [&](MemoryImage& m, int ox, int oy) {
        m.BlitImage(source, x - ox, y - oy, sourceRect, tint, DrawMode::Normal);
    });
}

void DDImage::BlitAdditive(Image* source, int x, int y, const Rect& sourceRect, const Color& tint)
{
    if (!SurfaceBlitters::BlitAdditive(*this, source, x, y, sourceRect, tint))
        DrawThroughMemory(Rect(x, y, sourceRect.width, sourceRect.height), [&](MemoryImage& m, int ox, int oy) {
            m.BlitImage(source, x - ox, y - oy, sourceRect, tint, DrawMode::Additive);
        });
}

void DDImage::DrawLineNormal(double x1, double y1, double x2, double y2, const Color& color)
{
    if (!SurfaceBlitters::DrawLineNormal(*this, x1, y1, x2, y2, color))
        DrawThroughMemory(LineBounds(x1, y1, x2, y2), [&](MemoryImage& m, int ox, int oy) {
            m.DrawLineSegment(x1 - ox, y1 - oy, x2 - ox, y2 - oy, color, DrawMode::Normal);
        });
}

void DDImage::DrawLineAdditive(double x1, double y1, double x2, double y2, const Color& color)
{
    if (!SurfaceBlitters::DrawLineAdditive(*this, x1, y1, x2, y2, color))
        DrawThroughMemory(LineBounds(x1, y1, x2, y2), [&](MemoryImage& m, int ox, int oy) {
            m.DrawLineSegment(x1 - ox, y1 - oy, x2 - ox, y2 - oy, color, DrawMode::Additive);
        });
}

void DDImage::DrawLineSmoothNormal(double x1, double y1, double x2, double y2, const Color& color)
{
    if (!SurfaceBlitters::DrawLineSmoothNormal(*this, x1, y1, x2, y2, color))
        DrawThroughMemory(LineBounds(x1, y1, x2, y2), [&](MemoryImage& m, int ox, int oy) {
            m.DrawLineSegmentSmooth(x1 - ox, y1 - oy, x2 - ox, y2 - oy, color, DrawMode::Normal);
        });
}

void DDImage::DrawLineSmoothAdditive(double x1, double y1, double x2, double y2, const Color& color)
{
    if (!SurfaceBlitters::DrawLineSmoothAdditive(*this, x1, y1, x2, y2, color))
        DrawThroughMemory(LineBounds(x1, y1, x2, y2), [&](MemoryImage& m, int ox, int oy) {
            m.DrawLineSegmentSmooth(x1 - ox, y1 - oy, x2 - ox, y2 - oy, color, DrawMode::Additive);
        });
}

void DDImage::BlitMirroredNormal(Image* source, int x, int y, const Rect& sourceRect, const Color& tint)
{
    if (!SurfaceBlitters::BlitMirroredNormal(*this, source, x, y, sourceRect, tint))
        DrawThroughMemory(Rect(x, y, sourceRect.width, sourceRect.height), [&](MemoryImage& m, int ox, int oy) {
            m.BlitImageMirrored(source, x - ox, y - oy, sourceRect, tint, DrawMode::Normal);
        });
}

void DDImage::BlitMirroredAdditive(Image* source, int x, int y, const Rect& sourceRect, const Color& tint)
{
    if (!SurfaceBlitters::BlitMirroredAdditive(*this, source, x, y, sourceRect, tint))
        DrawThroughMemory(Rect(x, y, sourceRect.width, sourceRect.height), [&](MemoryImage& m, int ox, int oy) {
            m.BlitImageMirrored(source, x - ox, y - oy, sourceRect, tint, DrawMode::Additive);
        });
}

// ---------------------------------------------------------------------- dispatch --

bool DDImage::FillPolygon(const Point* vertices, int count, const Rect& clip, const Color& color, int drawMode,
                          int offsetX, int offsetY, bool flag)
{
    if (!IsScreen3D())
        return false;
    display_->Get3DPath()->FillPolygon(vertices, count, clip, color, drawMode, offsetX, offsetY, flag);
    return true;
}

void DDImage::FillRectangle(const Rect& rect, const Color& color, int drawMode)
{
    if (IsScreen3D()) {
        display_->Get3DPath()->FillRect(rect, color, drawMode);
        return;
    }
    ScanAlpha();
    if (!CanDrawOnSurface()) {
        MemoryImage::FillRectangle(rect, color, drawMode);
        return;
    }
    DrawLocked(*this, drawMode, [&] { FillRectangleNormal(rect, color); }, [&] { FillRectangleAdditive(rect, color); });
}

void DDImage::DrawLineSegment(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (IsScreen3D()) {
        display_->Get3DPath()->DrawLine(x1, y1, x2, y2, color, drawMode);
        return;
    }
    if (!CanDrawOnSurface()) {
        MemoryImage::DrawLineSegment(x1, y1, x2, y2, color, drawMode);
        return;
    }
    // Lines along an axis are rectangle fills (the second point wins ties).
    if (y1 == y2) {
        const double minX = x1 < x2 ? x1 : x2;
        const double maxX = x1 > x2 ? x1 : x2;
        const int left = static_cast<int>(minX);
        FillRectangle(Rect(left, static_cast<int>(y1), static_cast<int>(maxX) - left + 1,
                           static_cast<int>(y2 - y1 + 1.0)),
                      color, drawMode);
        return;
    }
    if (x1 == x2) {
        const double minY = y1 < y2 ? y1 : y2;
        const double maxY = y1 > y2 ? y1 : y2;
        const int top = static_cast<int>(minY);
        FillRectangle(Rect(static_cast<int>(x1), top, static_cast<int>(x2 - x1 + 1.0),
                           static_cast<int>(maxY) - top + 1),
                      color, drawMode);
        return;
    }
    ScanAlpha();
    DrawLocked(*this, drawMode, [&] { DrawLineNormal(x1, y1, x2, y2, color); },
               [&] { DrawLineAdditive(x1, y1, x2, y2, color); });
}

void DDImage::DrawLineSegmentSmooth(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (IsScreen3D()) {
        display_->Get3DPath()->DrawLine(x1, y1, x2, y2, color, drawMode);
        return;
    }
    if (!CanDrawOnSurface()) {
        MemoryImage::DrawLineSegmentSmooth(x1, y1, x2, y2, color, drawMode);
        return;
    }
    if (y1 == y2 || x1 == x2) {
        DrawLineSegment(x1, y1, x2, y2, color, drawMode);
        return;
    }
    ScanAlpha();
    DrawLocked(*this, drawMode, [&] { DrawLineSmoothNormal(x1, y1, x2, y2, color); },
               [&] { DrawLineSmoothAdditive(x1, y1, x2, y2, color); });
}

namespace {

// The coverage of a fill: one byte per pixel of the buffer's rectangle.
struct CoverageBuffer {
    const uint8_t* bytes;
    int x, y, width, height;
};

// Blends the colour into the locked surface's pixels of the spans, each by
// its coverage times the colour's alpha; spans outside the image or the
// buffer are cut.
void BlendCoverageIntoSurface(uint8_t* base, size_t pitch, const SurfacePixelFormat& format, int imageWidth,
                              int imageHeight, const Span* spans, int count, const Color& color,
                              const CoverageBuffer& buffer)
{
    const uint32_t* masks = format.masks;
    uint32_t c = 0;
    const int channel[3] = {color.red, color.green, color.blue};
    for (int k = 0; k < 3; ++k)
        c |= (static_cast<uint32_t>(channel[k]) * masks[k] >> 8) & masks[k];
    if (format.bitsPerPixel == 16)
        c &= 0xFFFF;
    for (int s = 0; s < count; ++s) {
        const Span& span = spans[s];
        if (span.y < 0 || span.y >= imageHeight || span.y - buffer.y < 0 || span.y - buffer.y >= buffer.height)
            continue;
        uint8_t* row = base + static_cast<size_t>(span.y) * pitch;
        const int from = std::max({span.x, 0, buffer.x});
        const int to = std::min({span.x + span.width, imageWidth, buffer.x + buffer.width});
        for (int x = from; x < to; ++x) {
            const uint32_t cov =
                buffer.bytes[static_cast<size_t>(span.y - buffer.y) * buffer.width + static_cast<size_t>(x - buffer.x)];
            const uint32_t a = ((cov + 1) * static_cast<uint32_t>(color.alpha)) >> 8;
            const uint32_t old = format.bitsPerPixel == 16 ? reinterpret_cast<uint16_t*>(row)[x]
                                                           : reinterpret_cast<uint32_t*>(row)[x];
            uint32_t out = 0;
            for (int k = 0; k < 3; ++k) {
                const uint64_t blended = (uint64_t(old & masks[k]) * (256 - a) + uint64_t(c & masks[k]) * a) >> 8;
                out |= static_cast<uint32_t>(blended) & masks[k];
            }
            if (format.bitsPerPixel == 16)
                reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(out);
            else
                reinterpret_cast<uint32_t*>(row)[x] = out;
        }
    }
}

} // namespace

void DDImage::FillSpansWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                    const uint8_t* coverage, int bufferX, int bufferY, int bufferWidth,
                                    int bufferHeight)
{
    if (count <= 0 || !spans)
        return;
    if (IsScreen3D()) {
        FillSpansOn3DScreen(spans, count, color, drawMode, coverage, bufferX, bufferY, bufferWidth, bufferHeight);
        return;
    }
    if (!RequireSurface()) {
        // Translucent, or no display to make a surface on: the pixels are
        // only in memory, and that is where the fill goes.
        MemoryImage::FillSpansWithCoverage(spans, count, color, drawMode, coverage, bufferX, bufferY, bufferWidth,
                                           bufferHeight);
        return;
    }
    if (!AcquireSurfaceLock())
        return;
    const SurfacePixelFormat format(lockedDesc_.ddpfPixelFormat);
    auto* base = static_cast<uint8_t*>(lockedDesc_.lpSurface);
    if (base && format.IsSupported())
        BlendCoverageIntoSurface(base, static_cast<size_t>(lockedDesc_.lPitch), format, width_, height_, spans, count,
                                 color, CoverageBuffer{coverage, bufferX, bufferY, bufferWidth, bufferHeight});
    (void)drawMode; // coverage blending has no additive form on a surface
    ReleaseSurfaceLock();
    DiscardMemoryCopies();
}

void DDImage::FillSpansOn3DScreen(const Span* spans, int count, const Color& color, int drawMode,
                                  const uint8_t* coverage, int bufferX, int bufferY, int bufferWidth,
                                  int bufferHeight)
{
    int minX = spans[0].x;
    int minY = spans[0].y;
    int maxX = spans[0].x + spans[0].width - 1;
    int maxY = spans[0].y;
    for (int i = 1; i < count; ++i) {
        minX = std::min(minX, spans[i].x);
        minY = std::min(minY, spans[i].y);
        maxX = std::max(maxX, spans[i].x + spans[i].width - 1);
        maxY = std::max(maxY, spans[i].y);
    }
    // The caller's spans are moved into the box's frame, as the temporary
    // image is filled in it.
    auto* moved = const_cast<Span*>(spans);
    for (int i = 0; i < count; ++i) {
        moved[i].x -= minX;
        moved[i].y -= minY;
    }
    MemoryImage box(nullptr);
    box.MakeBlank(maxX - minX + 1, maxY - minY + 1);
    box.FillSpansWithCoverage(spans, count, color, drawMode, coverage, bufferX - minX, bufferY - minY, bufferWidth,
                              bufferHeight);
    BlitImage(&box, minX, minY, Rect(0, 0, box.GetWidth(), box.GetHeight()), Color::White, drawMode);
}

void DDImage::BlitImage(Image* source, int x, int y, const Rect& sourceRect, const Color& tint, int drawMode)
{
    if (IsScreen3D()) {
        Display3DPath* path = display_->Get3DPath();
        auto* dd = dynamic_cast<DDImage*>(source);
        if (dd && dd->surface_ && path->IsTransformStackEmpty() && drawMode == DrawMode::Normal &&
            tint == Color::White && !dd->HasTranslucency()) {
            BltFromSurface(dd, x, y, sourceRect);
            return;
        }
        path->BlitAt(source, static_cast<float>(x), static_cast<float>(y), sourceRect, tint, drawMode, false);
        return;
    }
    if (source)
        source->SetDrawnFrom(true);
    ScanAlpha();
    if (!CanDrawOnSurface(true)) {
        MemoryImage::BlitImage(source, x, y, sourceRect, tint, drawMode);
        return;
    }
    DrawLocked(*this, drawMode, [&] { BlitNormal(source, x, y, sourceRect, tint); },
               [&] { BlitAdditive(source, x, y, sourceRect, tint); });
}

void DDImage::BlitImageSubpixel(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                                const Color& tint, int drawMode)
{
    if (!IsScreen3D()) {
        BlitImageRotated(source, x, y, sourceRect, clip, tint, drawMode, 0.0, 0.0f, 0.0f);
        return;
    }
    // The destination as doubles, cut by the clip rectangle.
    const double left = std::max<double>(x, clip.x);
    const double top = std::max<double>(y, clip.y);
    const double right = std::min<double>(double(x) + sourceRect.width, double(clip.x) + clip.width);
    const double bottom = std::min<double>(double(y) + sourceRect.height, double(clip.y) + clip.height);
    const double w = std::max(0.0, right - left);
    const double h = std::max(0.0, bottom - top);
    Display3DPath* path = display_->Get3DPath();
    if (w == sourceRect.width && h == sourceRect.height)
        path->BlitAt(source, x, y, sourceRect, tint, drawMode, true);
    else if (w != 0 && h != 0)
        path->BlitTranslated(source, x, y, sourceRect, clip, tint, drawMode);
}

void DDImage::BlitImageRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                               const Color& tint, int drawMode, double angle, float centerX, float centerY)
{
    if (SurfaceBlitters::BlitRotated(*this, source, x, y, sourceRect, clip, tint, drawMode, angle, centerX, centerY))
        return;
    if (source)
        source->SetDrawnFrom(true);
    ScanAlpha();
    if (IsScreen3D() || !CanDrawOnSurface()) {
        MemoryImage::BlitImageRotated(source, x, y, sourceRect, clip, tint, drawMode, angle, centerX, centerY);
        return;
    }
    DrawThroughMemory(clip, [&](MemoryImage& m, int ox, int oy) {
        m.BlitImageRotated(source, x - ox, y - oy, sourceRect, Rect(clip.x - ox, clip.y - oy, clip.width, clip.height),
                           tint, drawMode, angle, centerX, centerY);
    });
    DiscardMemoryCopies();
}

void DDImage::BlitImageStretched(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clip,
                                 const Color& tint, int drawMode, bool quickStretch)
{
    if (SurfaceBlitters::BlitStretched(*this, source, destRect, sourceRect, clip, tint, drawMode, quickStretch,
                                       false))
        return;
    if (source)
        source->SetDrawnFrom(true);
    ScanAlpha();
    if (IsScreen3D() || !CanDrawOnSurface()) {
        MemoryImage::BlitImageStretched(source, destRect, sourceRect, clip, tint, drawMode, quickStretch);
        return;
    }
    const Rect area = clip.Intersection(destRect);
    DrawThroughMemory(area, [&](MemoryImage& m, int ox, int oy) {
        m.BlitImageStretched(source, Rect(destRect.x - ox, destRect.y - oy, destRect.width, destRect.height),
                             sourceRect, Rect(clip.x - ox, clip.y - oy, clip.width, clip.height), tint, drawMode,
                             quickStretch);
    });
    DiscardMemoryCopies();
}

void DDImage::BlitImageStretchedMirrored(Image* source, const Rect& destRect, const Rect& sourceRect,
                                         const Rect& clip, const Color& tint, int drawMode, bool quickStretch)
{
    if (SurfaceBlitters::BlitStretched(*this, source, destRect, sourceRect, clip, tint, drawMode, quickStretch,
                                       true))
        return;
    MemoryImage::BlitImageStretchedMirrored(source, destRect, sourceRect, clip, tint, drawMode, quickStretch);
}

void DDImage::BlitImageTransformed(Image* source, float x, float y, const float* matrix3x3, const Rect& clip,
                                   const Color& tint, int drawMode, const Rect& sourceRect, bool flag)
{
    if (IsScreen3D()) {
        display_->Get3DPath()->BlitTransformed(source, x, y, matrix3x3, clip, tint, drawMode, sourceRect, flag);
        return;
    }
    // Off the 3D screen there is no rasteriser for transformed blits: the
    // source is marked and the surface made, but no pixel changes.
    if (source)
        source->SetDrawnFrom(true);
    if (!AcquireSurfaceLock())
        return;
    ReleaseSurfaceLock();
    DiscardMemoryCopies();
}

void DDImage::DrawTexturedTriangles(Image* texture, const TriVertex (*vertices)[3], int triangleCount,
                                    const Rect& clip, const Color& tint, int drawMode, float offsetX, float offsetY,
                                    bool flag)
{
    if (IsScreen3D()) {
        display_->Get3DPath()->DrawTexturedTriangles(texture, vertices, triangleCount, clip, tint, drawMode, offsetX,
                                                     offsetY, flag);
        return;
    }
    if (texture)
        texture->SetDrawnFrom(true);
    if (!AcquireSurfaceLock())
        return;
    ReleaseSurfaceLock();
    DiscardMemoryCopies();
}

void DDImage::BlitImageMirrored(Image* source, int x, int y, const Rect& sourceRect, const Color& tint,
                                int drawMode)
{
    ScanAlpha();
    if (IsScreen3D()) {
        display_->Get3DPath()->BlitMirrored(source, static_cast<float>(x), static_cast<float>(y), sourceRect, tint,
                                            drawMode, false);
        return;
    }
    DrawLocked(*this, drawMode, [&] { BlitMirroredNormal(source, x, y, sourceRect, tint); },
               [&] { BlitMirroredAdditive(source, x, y, sourceRect, tint); });
}

} // namespace Zolt
