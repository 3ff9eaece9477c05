// Surface layouts, saturation tables and the clipping shared by the surface
// blitters.
#include "framework/graphics/SurfaceBlit.h"
#include "framework/graphics/SurfaceBlitPixel.h"

#include <bit>

namespace Zolt {

SurfaceFormat SurfaceFormat::FromMasks(int32_t bitsPerPixel, uint32_t red, uint32_t green, uint32_t blue)
{
    SurfaceFormat f;
    f.bitsPerPixel = bitsPerPixel;
    const uint32_t masks[3] = {red, green, blue};
    for (int c = 0; c < 3; ++c) {
        f.masks[c] = masks[c];
        if (masks[c] == 0)
            continue;
        f.shifts[c] = std::countr_zero(masks[c]);
        f.bits[c] = 32 - std::countl_zero(masks[c]) - f.shifts[c];
    }
    return f;
}

bool SurfaceFormat::IsSupported() const
{
    if (bitsPerPixel != 16 && bitsPerPixel != 32)
        return false;
    const uint64_t pixelMask = bitsPerPixel == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    uint32_t seen = 0;
    for (int c = 0; c < 3; ++c) {
        if (bits[c] < 1 || bits[c] > 8 || (masks[c] & ~pixelMask) != 0 || (masks[c] & seen) != 0)
            return false;
        // A channel is one unbroken run of bits.
        if (masks[c] != ((0xFFFFFFFFu >> (32 - bits[c])) << shifts[c]))
            return false;
        seen |= masks[c];
    }
    return true;
}

uint32_t SurfaceFormat::FromArgb(uint32_t p) const
{
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const uint32_t v = (p >> (16 - 8 * c)) & 0xFF;
        out |= ((v >> (8 - bits[c])) << shifts[c]) & masks[c];
    }
    return out;
}

uint32_t SurfaceFormat::ToArgb(uint32_t pixel) const
{
    uint32_t out = 0xFF000000;
    for (int c = 0; c < 3; ++c)
        out |= ((((pixel >> shifts[c]) << (8 - bits[c])) & 0xFF) << (16 - 8 * c));
    return out;
}

bool SurfaceView::IsUsable() const
{
    if (!pixels || width < 0 || height < 0 || !format.IsSupported())
        return false;
    const int32_t bytes = format.BytesPerPixel();
    return pitch % bytes == 0 && static_cast<int64_t>(pitch) >= static_cast<int64_t>(width) * bytes &&
           reinterpret_cast<uintptr_t>(pixels) % static_cast<uintptr_t>(bytes) == 0;
}

bool SaturationTables::Covers(const SurfaceFormat& format) const
{
    for (int c = 0; c < 3; ++c)
        if (!table[c] || size[c] < 2 * static_cast<size_t>(format.ChannelMax(c)) + 1)
            return false;
    return true;
}

SaturationTableSet::SaturationTableSet(const SurfaceFormat& format)
{
    for (int c = 0; c < 3; ++c) {
        const uint32_t max = format.ChannelMax(c);
        tables_[c].resize(2 * static_cast<size_t>(max) + 1);
        for (size_t i = 0; i < tables_[c].size(); ++i)
            tables_[c][i] = static_cast<uint32_t>(std::min<size_t>(i, max));
    }
}

SaturationTables SaturationTableSet::View() const
{
    SaturationTables t;
    for (int c = 0; c < 3; ++c) {
        t.table[c] = tables_[c].data();
        t.size[c] = tables_[c].size();
    }
    return t;
}

namespace surface {

bool ClipBlit(int& xIn, int& yIn, Rect& src, int srcW, int srcH, int dstW, int dstH, bool mirrored)
{
    // 64-bit so that no sum of caller values can wrap.
    int64_t x = xIn, y = yIn, sx = src.x, sy = src.y, w = src.width, h = src.height;
    if (w <= 0 || h <= 0)
        return false;
    if (sx < 0) {
        w += sx;
        if (!mirrored)
            x -= sx;
        sx = 0;
    }
    if (int64_t over = sx + w - srcW; over > 0) {
        w -= over;
        if (mirrored)
            x += over;
    }
    if (sy < 0) {
        h += sy;
        y -= sy;
        sy = 0;
    }
    if (int64_t over = sy + h - srcH; over > 0)
        h -= over;
    if (x < 0) {
        w += x;
        if (!mirrored)
            sx -= x;
        x = 0;
    }
    if (int64_t over = x + w - dstW; over > 0) {
        w -= over;
        if (mirrored)
            sx += over;
    }
    if (y < 0) {
        h += y;
        sy -= y;
        y = 0;
    }
    if (int64_t over = y + h - dstH; over > 0)
        h -= over;
    if (w <= 0 || h <= 0)
        return false;
    xIn = static_cast<int>(x);
    yIn = static_cast<int>(y);
    src = Rect(static_cast<int32_t>(sx), static_cast<int32_t>(sy), static_cast<int32_t>(w), static_cast<int32_t>(h));
    return true;
}

bool ClipRect(Rect& r, int width, int height)
{
    const int64_t x0 = std::max<int64_t>(r.x, 0), y0 = std::max<int64_t>(r.y, 0);
    const int64_t x1 = std::min<int64_t>(int64_t{r.x} + r.width, width);
    const int64_t y1 = std::min<int64_t>(int64_t{r.y} + r.height, height);
    if (x1 <= x0 || y1 <= y0)
        return false;
    r = Rect(static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
             static_cast<int32_t>(y1 - y0));
    return true;
}

} // namespace surface
} // namespace Zolt
