// Rectangle fills, lines and coverage spans of the memory image.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PixelMath.h"
#include "framework/graphics/PixelKernels.h"
#include "framework/graphics/PixelSimd.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Zolt {

namespace {

// The part of r inside a width x height image.
Rect InsideImage(const Rect& r, int width, int height)
{
    return r.Intersection(Rect(0, 0, width, height));
}

int Trunc(double v) { return static_cast<int>(v); }

} // namespace

void MemoryImage::FillRectangle(const Rect& rect, const Color& color, int)
{
    const Rect r = InsideImage(rect, width_, height_);
    uint32_t* bits = RequireBits();
    const uint32_t packed = color.ToPacked();
    const uint32_t a = static_cast<uint32_t>(color.alpha) & 0xFF;
    if (r.width > 0 && r.height > 0 && (color.alpha == 255 || a != 0)) {
        for (int y = r.y; y < r.y + r.height; ++y) {
            uint32_t* p = bits + static_cast<size_t>(y) * width_ + r.x;
            uint32_t* end = p + r.width;
            if (color.alpha == 255) {
                std::fill(p, end, packed);
                continue;
            }
            // Over an opaque pixel the weight is the colour's own alpha, so
            // the common case needs no division.
            if (pixel::HasWideKernels())
                p += pixel::FillOverOpaqueWide(p, static_cast<int>(end - p), packed, a);
#if defined(ZOLT_PIXEL_SIMD)
            const pixel::BlendToward4 blend(packed, a);
            const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
            for (; end - p >= 8; p += 8) {
                const __m128i d0 = pixel::Load4(p), d1 = pixel::Load4(p + 4);
                if ((pixel::OpaqueMask4(d0) & pixel::OpaqueMask4(d1)) != 0xF)
                    break;
                pixel::Store4(p, _mm_or_si128(blend(d0), opaque));
                pixel::Store4(p + 4, _mm_or_si128(blend(d1), opaque));
            }
#endif
            for (; p != end; ++p) {
                const uint32_t d = *p;
                if (pixel::Alpha(d) == 255)
                    *p = 0xFF000000 | pixel::BlendPair(d, packed, a);
                else
                    *p = pixel::OverPair(d, packed, a);
            }
        }
    }
    MarkBitsChanged();
}

void MemoryImage::ClearRectangle(const Rect& rect)
{
    const Rect r = InsideImage(rect, width_, height_);
    uint32_t* bits = RequireBits();
    for (int y = r.y; y < r.y + r.height; ++y) {
        uint32_t* p = bits + static_cast<size_t>(y) * width_ + r.x;
        std::fill(p, p + r.width, 0u);
    }
    MarkBitsChanged();
}

namespace {

// Steps a line from end to end along its major axis, calling plot(x, y) for
// every pixel; the shared stepping of the plain and the additive line.
template <typename Plot>
void StepLine(double x1, double y1, double x2, double y2, Plot plot)
{
    const double minX = std::min(x1, x2), maxX = std::max(x1, x2);
    const double minY = std::min(y1, y2), maxY = std::max(y1, y2);
    const bool yMajor = std::fabs(x2 - x1) <= std::fabs(y2 - y1);
    if (yMajor) {
        double xs = x1, ys = y1, xe = x2, ye = y2;
        if (ye < ys) {
            std::swap(xs, xe);
            std::swap(ys, ye);
        }
        const double dx = std::fabs(xe - xs);
        const int step = xe - xs >= 0 ? 1 : -1;
        const double dy = ye - ys;
        int x = Trunc(xs);
        plot(x, Trunc(ys));
        const int inc = Trunc(2 * dx);
        const int dec = Trunc(2 * (dx - dy));
        int err = Trunc((xs - Trunc(xs)) * inc + Trunc(2 * dx - dy));
        for (int r = Trunc(ys + 1.0); r <= ye; ++r) {
            if (err >= 1) {
                x += step;
                err += dec;
                if (x < minX || x > maxX || r < minY || r > maxY)
                    return;
            } else {
                err += inc;
            }
            plot(x, r);
        }
    } else {
        double xs = x1, ys = y1, xe = x2, ye = y2;
        if (xe < xs) {
            std::swap(xs, xe);
            std::swap(ys, ye);
        }
        const double dy = std::fabs(ye - ys);
        const int step = ye - ys >= 0 ? 1 : -1;
        const double dx = xe - xs;
        int y = Trunc(ys);
        plot(Trunc(xs), y);
        const int inc = Trunc(2 * dy);
        const int dec = Trunc(2 * (dy - dx));
        int err = Trunc((ys - Trunc(ys)) * inc + Trunc(2 * dy - dx));
        for (int c = Trunc(xs + 1.0); c <= xe; ++c) {
            if (err >= 1) {
                y += step;
                err += dec;
                if (y < minY || y > maxY || c < minX || c > maxX)
                    return;
            } else {
                err += inc;
            }
            plot(c, y);
        }
    }
}

} // namespace

bool MemoryImage::FillAxisLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (y1 == y2) {
        const int left = Trunc(std::min(x1, x2));
        const int right = Trunc(std::max(x1, x2));
        FillRectangle(Rect(left, Trunc(y1), right - left + 1, Trunc(y2 - y1 + 1.0)), color, drawMode);
        return true;
    }
    if (x1 == x2) {
        const int top = Trunc(std::min(y1, y2));
        const int bottom = Trunc(std::max(y1, y2));
        FillRectangle(Rect(Trunc(x1), top, 1, bottom - top + 1), color, drawMode);
        return true;
    }
    return false;
}

void MemoryImage::DrawLineSegment(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (FillAxisLine(x1, y1, x2, y2, color, drawMode))
        return;
    uint32_t* bits = RequireBits();
    const int w = width_, h = height_;
    auto at = [&](int x, int y) -> uint32_t* {
        // Callers clip, but a line handed in directly must never write
        // outside the pixels.
        if (x < 0 || y < 0 || x >= w || y >= h)
            return nullptr;
        return bits + static_cast<size_t>(y) * w + x;
    };
    const uint32_t cr = static_cast<uint32_t>(color.red) & 0xFF;
    const uint32_t cg = static_cast<uint32_t>(color.green) & 0xFF;
    const uint32_t cb = static_cast<uint32_t>(color.blue) & 0xFF;
    if (drawMode == DrawMode::Normal) {
        if (color.alpha == 255) {
            const uint32_t v = 0xFF000000 | (((cr * 255 + 127) >> 8) << 16) | (((cg * 255 + 127) >> 8) << 8) |
                               ((cb * 255 + 127) >> 8);
            StepLine(x1, y1, x2, y2, [&](int x, int y) {
                if (uint32_t* p = at(x, y))
                    *p = v;
            });
        } else {
            const uint32_t a = static_cast<uint32_t>(color.alpha) & 0xFF;
            const uint32_t src[3] = {(cr * a + 128) >> 8, (cg * a + 128) >> 8, (cb * a + 128) >> 8};
            StepLine(x1, y1, x2, y2, [&](int x, int y) {
                uint32_t* p = at(x, y);
                if (!p)
                    return;
                uint32_t out = 0xFF000000;
                for (int c = 0; c < 3; ++c) {
                    const int shift = 16 - 8 * c;
                    const uint32_t d = (*p >> shift) & 0xFF;
                    const uint32_t v = ((src[c] * 255 + 127) >> 8) + ((d * (256 - a) + 127) >> 8);
                    out |= std::min<uint32_t>(v, 255) << shift;
                }
                *p = out;
            });
        }
    } else if (drawMode == DrawMode::Additive) {
        const uint32_t t[3] = {pixel::AdditiveTint(color.red, color.alpha), pixel::AdditiveTint(color.green, color.alpha),
                               pixel::AdditiveTint(color.blue, color.alpha)};
        StepLine(x1, y1, x2, y2, [&](int x, int y) {
            uint32_t* p = at(x, y);
            if (!p)
                return;
            uint32_t out = 0xFF000000;
            for (int c = 0; c < 3; ++c) {
                const int shift = 16 - 8 * c;
                out |= pixel::SatAdd((*p >> shift) & 0xFF, t[c]) << shift;
            }
            *p = out;
        });
    }
    MarkBitsChanged();
}

void MemoryImage::DrawLineSegmentSmooth(double x1, double y1, double x2, double y2, const Color& color,
                                        int drawMode)
{
    if (FillAxisLine(x1, y1, x2, y2, color, drawMode))
        return;
    uint32_t* bits = RequireBits();
    if (drawMode == DrawMode::Normal) {
        const int w = width_, h = height_;
        const uint32_t packed = color.ToPacked();
        const uint32_t colorAlpha = static_cast<uint32_t>(color.alpha) & 0xFF;
        auto plot = [&](int x, int y, uint32_t weight) {
            if (color.alpha != 255)
                weight = (weight * (colorAlpha + 1)) >> 8;
            if (weight == 0 || x < 0 || y < 0 || x >= w || y >= h)
                return;
            uint32_t* p = bits + static_cast<size_t>(y) * w + x;
            *p = pixel::OverChannels(*p, packed, weight);
        };
        auto mainWeight = [](uint32_t acc) { return 255 - ((acc >> 8) & 0xFF); };
        auto sideWeight = [](uint32_t acc) { return (acc >> 8) & 0xFF; };

        double xs = x1, ys = y1, xe = x2, ye = y2;
        if (Trunc(ye) < Trunc(ys)) {
            std::swap(xs, xe);
            std::swap(ys, ye);
        }
        int x0 = Trunc(xs), y0 = Trunc(ys);
        const int xEnd = Trunc(xe), yEnd = Trunc(ye);
        const int dir = xEnd - x0 >= 0 ? 1 : -1;
        const int dX = std::abs(xEnd - x0);
        const int dY = yEnd - y0;
        uint32_t acc = static_cast<uint32_t>(
            static_cast<int64_t>(std::fabs(ys - y0) * std::fabs(xs - x0) * 65536.0));
        plot(x0, y0, mainWeight(acc));
        if (dX == 0 && dY == 0) {
            // Both ends on one pixel: that pixel alone, drawn once.
            MarkBitsChanged();
            return;
        }
        int x = x0, y = y0;
        if (dX < dY) {
            const uint32_t gradient = static_cast<uint32_t>(static_cast<double>(dX) / dY * 65536.0);
            for (int i = 0; i < dY - 1; ++i) {
                acc += gradient;
                if (acc >= 0x10000) {
                    acc &= 0xFFFF;
                    x += dir;
                }
                ++y;
                plot(x, y, mainWeight(acc));
                if (x < w - 1)
                    plot(x + dir, y, sideWeight(acc));
            }
        } else {
            const uint32_t gradient = static_cast<uint32_t>(static_cast<double>(dY) / dX * 65536.0);
            for (int i = 0; i < dX - 1; ++i) {
                acc += gradient;
                if (acc >= 0x10000) {
                    acc &= 0xFFFF;
                    ++y;
                }
                x += dir;
                plot(x, y, mainWeight(acc));
                if (y < h - 1)
                    plot(x, y + 1, sideWeight(acc));
            }
        }
        plot(xEnd, yEnd, mainWeight(acc));
    }
    MarkBitsChanged();
}

void MemoryImage::FillSpansWithCoverage(const Span* spans, int count, const Color& color, int,
                                        const uint8_t* coverage, int bufferX, int bufferY, int bufferWidth,
                                        int bufferHeight)
{
    uint32_t* bits = RequireBits();
    const uint32_t packed = color.ToPacked();
    const uint32_t colorAlpha = static_cast<uint32_t>(color.alpha) & 0xFF;
    for (int i = 0; i < count && coverage; ++i) {
        const Span& s = spans[i];
        const int by = s.y - bufferY;
        if (s.y < 0 || s.y >= height_ || by < 0 || by >= bufferHeight)
            continue;
        for (int px = s.x; px < s.x + s.width; ++px) {
            const int bx = px - bufferX;
            if (px < 0 || px >= width_ || bx < 0 || bx >= bufferWidth)
                continue;
            const uint32_t cov = coverage[static_cast<size_t>(by) * bufferWidth + bx];
            const uint32_t a = (colorAlpha * (cov + 1)) >> 8;
            if (a == 0)
                continue;
            uint32_t* p = bits + static_cast<size_t>(s.y) * width_ + px;
            *p = pixel::OverChannels(*p, packed, a);
        }
    }
    MarkBitsChanged();
}

void MemoryImage::BlitImageTransformed(Image* source, float, float, const float*, const Rect&, const Color&, int,
                                       const Rect&, bool)
{
    // No software rasteriser for transformed drawing: the call still counts
    // as a change, so the 3D layer sees the same counter it would otherwise.
    if (source)
        source->SetDrawnFrom(true);
    RequireBits();
    MarkBitsChanged();
}

void MemoryImage::DrawTexturedTriangles(Image* texture, const TriVertex (*)[3], int, const Rect&, const Color&, int,
                                        float, float, bool)
{
    if (texture)
        texture->SetDrawnFrom(true);
    RequireBits();
    MarkBitsChanged();
}

} // namespace Zolt
