// The nearest-sample stretched blit onto a locked surface.
#include "framework/graphics/SurfaceBlit.h"
#include "framework/graphics/SurfaceBlitPixel.h"

#include <cmath>
#include <vector>

namespace Zolt::SurfaceBlit {

using namespace surface;

namespace {

// Source positions are 16.16; anything past this reach is refused rather
// than converted.
constexpr double kPositionLimit = 1073741824.0;

template <typename P, int Dir, typename Read, typename Op>
void StretchRows(const SurfaceView& dest, const SourcePixels& src, const Read& read, const Rect& d,
                 const std::vector<int32_t>& cols, int64_t startY, int64_t stepY, const Rect& limit, const Op& op)
{
    int64_t ry = startY;
    for (int row = 0; row < d.height; ++row, ry += stepY) {
        const int64_t sy = std::clamp<int64_t>(ry >> 16, limit.y, int64_t{limit.y} + limit.height - 1);
        const size_t s0 = static_cast<size_t>(sy) * static_cast<size_t>(src.width);
        P* out = Row<P>(dest, d.y + row) + (Dir > 0 ? d.x : d.x + d.width - 1);
        for (int c = 0; c < d.width; ++c) {
            P& px = out[Dir * c];
            const uint32_t s = read(src.At(s0 + static_cast<size_t>(cols[static_cast<size_t>(c)])));
            px = static_cast<P>(op(static_cast<uint32_t>(px), s));
        }
    }
}

// The per-pixel rule of one call; each returns the new destination pixel,
// the destination itself where the sample leaves it alone.
template <typename P, int Dir, typename Read>
void StretchTyped(const SurfaceView& dest, const SaturationTables& tables, const SourcePixels& src, const Read& read,
                  const Rect& d, const std::vector<int32_t>& cols, int64_t startY, int64_t stepY, const Rect& limit,
                  const Color& tintIn, bool additive)
{
    const SurfaceFormat& f = dest.format;
    const bool white = IsWhite(tintIn);
    const Rgba tint = Clamped(tintIn);
    const TintFactors t = FactorsOf(tint);
    const uint32_t M[3] = {f.masks[0], f.masks[1], f.masks[2]};
    const int S[3] = {f.shifts[0], f.shifts[1], f.shifts[2]};
    auto rows = [&](const auto& op) { StretchRows<P, Dir>(dest, src, read, d, cols, startY, stepY, limit, op); };
    if (!additive && white) {
        if (f.IsBytes32()) {
            rows([](uint32_t dv, uint32_t s) {
                const uint32_t a = s >> 24;
                if (a == 0)
                    return dv;
                return s + ((((dv & 0x00FF00FF) * (256 - a)) >> 8) & 0x00FF00FF) +
                       ((((dv & 0xFF00) * (256 - a)) >> 8) & 0xFF00);
            });
        } else {
            rows([&](uint32_t dv, uint32_t s) {
                const uint64_t inv = 256 - (s >> 24);
                if (inv == 256)
                    return dv;
                uint32_t sum = s;
                for (int ch = 0; ch < 3; ++ch)
                    sum += static_cast<uint32_t>((((dv & M[ch]) * inv) >> 8) & M[ch]);
                return sum;
            });
        }
    } else if (!additive) {
        rows([&](uint32_t dv, uint32_t s) {
            const uint64_t a = (s >> 24) * tint.a / 255;
            if (a == 0)
                return dv;
            uint32_t sum = 0;
            for (int ch = 0; ch < 3; ++ch)
                sum += static_cast<uint32_t>(((((dv & M[ch]) * (256 - a)) + (s & M[ch]) * uint64_t{t.k[ch]}) >> 8) &
                                             M[ch]);
            return sum;
        });
    } else if (white) {
        rows([&](uint32_t dv, uint32_t s) {
            if (s == 0)
                return dv;
            uint32_t sum = 0;
            for (int ch = 0; ch < 3; ++ch)
                sum |= tables.table[ch][(uint64_t{dv & M[ch]} + (s & M[ch])) >> S[ch]] << S[ch];
            return sum;
        });
    } else {
        rows([&](uint32_t dv, uint32_t s) {
            if (s == 0)
                return dv;
            uint32_t sum = 0;
            for (int ch = 0; ch < 3; ++ch)
                sum |= tables.table[ch][((((s & M[ch]) >> S[ch]) * t.k[ch]) >> 8) + ((dv & M[ch]) >> S[ch])] << S[ch];
            return sum;
        });
    }
}

} // namespace

void StretchNearest(const SurfaceView& dest, const SaturationTables& tables, const SourcePixels& native,
                    const Rect& sourceRect, const DoubleRect& sourceArea, const Rect& clippedDest, const Color& tint,
                    int drawMode, bool mirrored, const NativeDisplay* premultiplyFor)
{
    const bool additive = drawMode != DrawMode::Normal;
    if (!dest.IsUsable() || !native.words || (additive && !tables.Covers(dest.format)))
        return;
    const Rect limit = sourceRect.Intersection(Rect(0, 0, native.width, native.height));
    if (limit.width <= 0 || limit.height <= 0 || clippedDest.width <= 0 || clippedDest.height <= 0)
        return;
    for (double v : {sourceArea.x, sourceArea.y, sourceArea.width, sourceArea.height})
        if (!std::isfinite(v) || std::fabs(v) > kPositionLimit)
            return;
    const int64_t startX = static_cast<int64_t>(sourceArea.x * 65536.0);
    const int64_t startY0 = static_cast<int64_t>(sourceArea.y * 65536.0);
    const int64_t stepX = static_cast<int64_t>(sourceArea.width * 65536.0 / clippedDest.width);
    const int64_t stepY = static_cast<int64_t>(sourceArea.height * 65536.0 / clippedDest.height);

    // The rectangle may reach past the surface (the clip is the caller's):
    // cut it, skipping the samples of the cut columns and rows.
    Rect d = clippedDest;
    if (!ClipRect(d, dest.width, dest.height))
        return;
    const int64_t cutLeft = int64_t{d.x} - clippedDest.x;
    const int64_t cutRight = (int64_t{clippedDest.x} + clippedDest.width) - (int64_t{d.x} + d.width);
    const int64_t firstSample = mirrored ? cutRight : cutLeft;
    const int64_t startY = startY0 + (int64_t{d.y} - clippedDest.y) * stepY;

    // Source column of every destination column (in sample order), kept
    // inside the source rectangle.
    std::vector<int32_t> cols(static_cast<size_t>(d.width));
    int64_t rx = startX + firstSample * stepX;
    for (int c = 0; c < d.width; ++c, rx += stepX)
        cols[static_cast<size_t>(c)] =
            static_cast<int32_t>(std::clamp<int64_t>(rx >> 16, limit.x, int64_t{limit.x} + limit.width - 1));

    auto draw = [&](const auto& read) {
        const bool wide = dest.format.bitsPerPixel == 32;
        if (wide && !mirrored)
            StretchTyped<uint32_t, 1>(dest, tables, native, read, d, cols, startY, stepY, limit, tint, additive);
        else if (wide)
            StretchTyped<uint32_t, -1>(dest, tables, native, read, d, cols, startY, stepY, limit, tint, additive);
        else if (!mirrored)
            StretchTyped<uint16_t, 1>(dest, tables, native, read, d, cols, startY, stepY, limit, tint, additive);
        else
            StretchTyped<uint16_t, -1>(dest, tables, native, read, d, cols, startY, stepY, limit, tint, additive);
    };
    if (!premultiplyFor) {
        draw([](uint32_t s) { return s; });
    } else if (premultiplyFor->KeepsOpaqueArgb()) {
        // Opaque samples are their own premultiplied form here.
        const NativeDisplay& format = *premultiplyFor;
        draw([&format](uint32_t s) { return s >= 0xFF000000u ? s : format.PremultipliedOf(s); });
    } else {
        const NativeDisplay& format = *premultiplyFor;
        draw([&format](uint32_t s) { return format.PremultipliedOf(s); });
    }
}

} // namespace Zolt::SurfaceBlit
