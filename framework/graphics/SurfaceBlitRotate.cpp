// The bilinear rotated blit onto a locked surface (also every blit at a
// fractional position, at angle 0).
#include "framework/graphics/SurfaceBlit.h"
#include "framework/graphics/SurfaceBlitPixel.h"

#include <cmath>

namespace Zolt::SurfaceBlit {

using namespace surface;

namespace {

// Positions beyond this reach are refused, so that every 16.16 value fits.
constexpr double kPositionLimit = 1048576.0;

// The four bilinear weights' channel sums at one sample.
struct Sample {
    uint32_t sumB; // sum of (p & 0xFF) x w
    uint32_t sumG; // sum of (p & 0xFF00) x w
    uint32_t sumR; // sum of (p & 0xFF0000) x w
    uint32_t inv;  // 256 - sum of w
};

// Cuts [first, last] to the steps whose sample p + i x s keeps its integer
// position and its next neighbour inside 0 .. n - 1; false drops the row.
bool Narrow(int64_t p, int64_t s, int64_t n, bool isU, int64_t& first, int64_t& last)
{
    if (s <= -1) {
        if ((p >> 16) < 0)
            return false;
        first = std::max(first, (n * 65536 - p - 0x27FFF) / s);
        last = std::min(last, isU ? (0x7FFF - p) / s : -(p / s));
    } else if (s >= 1) {
        if ((p >> 16) >= n - 1)
            return false;
        first = std::max(first, (0x10000 - p) / s);
        last = std::min(last, (n * 65536 - p - 0x17FFF) / s);
    } else if (p < 0 || p >= n * 65536 - 0x10000) {
        return false;
    }
    // The span is linear, so checking its two ends proves every sample of
    // it; the margins above already guarantee this, the check keeps any
    // rounding surprise from ever reading outside the source.
    auto inside = [&](int64_t i) {
        const int64_t q = p + i * s;
        return q >= 0 && (q >> 16) <= n - 2;
    };
    while (first <= last && !inside(first))
        ++first;
    while (first <= last && !inside(last))
        --last;
    return true;
}

template <bool Indexed>
inline uint32_t Fetch(const SourcePixels& src, size_t i)
{
    if constexpr (Indexed)
        return src.words[src.indices[i]];
    else
        return src.words[i];
}

struct Geometry {
    int x0, y0;
    int64_t lastColumn;
    double rows; // rows drawn while j < rows
    float dx;
    float y, cy, cx;
    double cosD, sinD;
    int64_t stepU, stepV;
    int64_t w, h;
    size_t origin; // index of the source rectangle's top-left pixel
};

template <typename P, bool Indexed, bool Scaled, typename Write>
void RotateRows(const SurfaceView& dest, const SourcePixels& src, const Geometry& g, uint32_t weightScale,
                const Write& write)
{
    const size_t stride = static_cast<size_t>(src.width);
    for (int j = 0; static_cast<double>(j) < g.rows; ++j) {
        const float dy = static_cast<float>(static_cast<float>(g.y0 + j) - g.cy - g.y);
        int64_t u = static_cast<int64_t>((g.dx * g.cosD - dy * g.sinD + g.cx) * 65536.0);
        int64_t v = static_cast<int64_t>((g.dx * g.sinD + dy * g.cosD + g.cy) * 65536.0);
        int64_t first = 0, last = g.lastColumn;
        if (!Narrow(u, g.stepU, g.w, true, first, last) || !Narrow(v, g.stepV, g.h, false, first, last) ||
            first > last)
            continue;
        u += first * g.stepU;
        v += first * g.stepV;
        P* out = Row<P>(dest, g.y0 + j) + g.x0;
        for (int64_t i = first; i <= last; ++i, u += g.stepU, v += g.stepV) {
            const size_t i00 = g.origin + static_cast<size_t>(v >> 16) * stride + static_cast<size_t>(u >> 16);
            const uint32_t p0 = Fetch<Indexed>(src, i00), p1 = Fetch<Indexed>(src, i00 + 1);
            const uint32_t p2 = Fetch<Indexed>(src, i00 + stride), p3 = Fetch<Indexed>(src, i00 + stride + 1);
            const uint32_t fu = (static_cast<uint32_t>(u) & 0xFFFE) + 1;
            const uint32_t fv = (static_cast<uint32_t>(v) & 0xFFFE) + 1;
            uint32_t w0 = ((((65536 - fu) * (65536 - fv)) >> 16) * (p0 >> 24)) >> 16;
            uint32_t w1 = (((fu * (65536 - fv)) >> 16) * (p1 >> 24)) >> 16;
            uint32_t w2 = ((((65536 - fu) * fv) >> 16) * (p2 >> 24)) >> 16;
            uint32_t w3 = (((fu * fv) >> 16) * (p3 >> 24)) >> 16;
            if constexpr (Scaled) {
                w0 = (w0 * weightScale) >> 8;
                w1 = (w1 * weightScale) >> 8;
                w2 = (w2 * weightScale) >> 8;
                w3 = (w3 * weightScale) >> 8;
            }
            // Red and blue summed in one word: the blue sum stays below
            // 2^16, so the two never mix.
            const uint32_t rb =
                (p0 & 0xFF00FF) * w0 + (p1 & 0xFF00FF) * w1 + (p2 & 0xFF00FF) * w2 + (p3 & 0xFF00FF) * w3;
            const uint32_t gg = (p0 & 0xFF00) * w0 + (p1 & 0xFF00) * w1 + (p2 & 0xFF00) * w2 + (p3 & 0xFF00) * w3;
            const Sample s{rb & 0xFFFF, gg, rb & 0xFFFF0000, 256 - (w0 + w1 + w2 + w3)};
            P& d = out[i];
            d = static_cast<P>(write(static_cast<uint32_t>(d), s));
        }
    }
}

template <typename P, bool Indexed>
void RotateTyped(const SurfaceView& dest, const SaturationTables& tables, const SourcePixels& src, const Geometry& g,
                 const Color& tintIn, bool additive, bool rgbOrder)
{
    const SurfaceFormat& f = dest.format;
    const bool white = IsWhite(tintIn);
    const Rgba tint = Clamped(tintIn);
    const uint32_t M[3] = {f.masks[0], f.masks[1], f.masks[2]};
    const int S[3] = {f.shifts[0], f.shifts[1], f.shifts[2]};
    const int B[3] = {f.bits[0], f.bits[1], f.bits[2]};
    auto rows = [&](uint32_t scale, const auto& write) {
        if (scale == 256)
            RotateRows<P, Indexed, false>(dest, src, g, scale, write);
        else
            RotateRows<P, Indexed, true>(dest, src, g, scale, write);
    };

    if (additive) {
        const TintFactors t = FactorsOf(tint);
        rows(256, [&](uint32_t d, const Sample& s) {
            const uint64_t red = ((uint64_t{s.sumR} >> (32 - B[0])) * t.k[0]) >> 8;
            const uint64_t green = (uint64_t{s.sumG} * t.k[1]) >> (32 - B[1]);
            const uint64_t blue = (uint64_t{s.sumB} * t.k[2]) >> (24 - B[2]);
            return (tables.table[0][red + ((d & M[0]) >> S[0])] << S[0]) |
                   (tables.table[1][green + ((d & M[1]) >> S[1])] << S[1]) |
                   (tables.table[2][blue + ((d & M[2]) >> S[2])] << S[2]);
        });
        return;
    }
    // The reduced colour of one channel (0 red, 1 green, 2 blue) from its sum.
    static constexpr int kSumShift[3] = {32, 24, 16};
    if (!white) {
        const uint64_t tc[3] = {tint.r + 1u, tint.g + 1u, tint.b + 1u};
        rows(tint.a, [&](uint32_t d, const Sample& s) {
            const uint64_t sums[3] = {s.sumR, s.sumG, s.sumB};
            uint32_t out = 0;
            for (int ch = 0; ch < 3; ++ch)
                out |= static_cast<uint32_t>((((sums[ch] >> 8) * tc[ch]) >> (kSumShift[ch] - B[ch])) << S[ch]) +
                       static_cast<uint32_t>(((uint64_t{d & M[ch]} * s.inv) >> 8) & M[ch]);
            return out;
        });
        return;
    }
    const bool standard = rgbOrder && f.masks[0] > f.masks[1] && f.masks[1] > f.masks[2];
    // The blended source colour as 0x00RRGGBB.
    auto packed = [](const Sample& s) {
        return (((s.sumR + s.sumB) >> 8) & 0xFF00FF) | ((s.sumG >> 8) & 0xFF00);
    };
    if (standard && f.IsBytes32()) {
        rows(256, [&](uint32_t d, const Sample& s) {
            const uint32_t p = packed(s);
            const uint32_t rb = (((d & 0xFF00FF) * s.inv) >> 8) & 0xFF00FF;
            const uint32_t gg = (((d & 0xFF00) * s.inv) >> 8) & 0xFF00;
            return (((p & 0xFF00FF) + rb) & 0xFF00FF) | (((p & 0xFF00) + gg) & 0xFF00);
        });
    } else if (standard && f.Is565() && f.masks[0] == 0xF800) {
        rows(256, [&](uint32_t d, const Sample& s) {
            const uint32_t p = packed(s);
            uint32_t x = (((s.inv >> 3) * Spread(d, kSpread565)) >> 5) & kSpread565;
            x += ((p >> 3) & 0x1F) + ((p >> 8) & 0xF800) + ((p & 0xFC00) << 11);
            return (x | (x >> 16)) & 0xFFFF;
        });
    } else if (standard && f.Is555() && f.masks[0] == 0x7C00) {
        rows(256, [&](uint32_t d, const Sample& s) {
            const uint32_t p = packed(s);
            uint32_t x = (((s.inv >> 3) * Spread(d, kSpread555)) >> 5) & kSpread555;
            x += ((p >> 3) & 0x1F) + ((p >> 9) & 0x7C00) + ((p & 0xF800) << 10);
            return (x | (x >> 16)) & 0xFFFF;
        });
    } else {
        rows(256, [&](uint32_t d, const Sample& s) {
            const uint64_t sums[3] = {s.sumR, s.sumG, s.sumB};
            uint32_t out = 0;
            for (int ch = 0; ch < 3; ++ch)
                out |= static_cast<uint32_t>((sums[ch] >> (kSumShift[ch] - B[ch])) << S[ch]) +
                       static_cast<uint32_t>(((uint64_t{d & M[ch]} * s.inv) >> 8) & M[ch]);
            return out;
        });
    }
}

// The box of the turned rectangle (w x h at x, y, turned about the centre),
// cut to the clip and to the destination; false when nothing is left.
bool TurnedBox(int destW, int destH, float x, float y, int w, int h, const Rect& clip, double angle, float centreX,
               float centreY, double& left, double& top, double& width, double& height)
{
    const float c = std::cos(static_cast<float>(angle)), s = std::sin(static_cast<float>(angle));
    double minX = 1e7, minY = 1e7, maxX = -1e7, maxY = -1e7;
    const double corners[4][2] = {{0, 0}, {double(w), 0}, {double(w), double(h)}, {0, double(h)}};
    for (const auto& corner : corners) {
        const double px = corner[0] - centreX, py = corner[1] - centreY;
        const double X = px * c + py * s + centreX + x;
        const double Y = py * c - px * s + centreY + y;
        minX = std::min(minX, X);
        maxX = std::max(maxX, X);
        minY = std::min(minY, Y);
        maxY = std::max(maxY, Y);
    }
    left = std::max({minX, double(clip.x), 0.0});
    top = std::max({minY, double(clip.y), 0.0});
    width = std::min({maxX, double(clip.x) + clip.width, double(destW)}) - left;
    height = std::min({maxY, double(clip.y) + clip.height, double(destH)}) - top;
    return width > 0 && height > 0;
}

} // namespace

bool RotatedBoxVisible(int destWidth, int destHeight, float x, float y, const Rect& sourceRect, const Rect& clip,
                       double angle, float centreX, float centreY)
{
    double left, top, width, height;
    return std::isfinite(angle) && TurnedBox(destWidth, destHeight, x, y, sourceRect.width, sourceRect.height, clip,
                                             angle, centreX, centreY, left, top, width, height);
}

void Rotate(const SurfaceView& dest, const SaturationTables& tables, const SourcePixels& argb, float x, float y,
            const Rect& sourceRect, const Rect& clip, const Color& tint, int drawMode, double angle, float centreX,
            float centreY, bool rgbOrder)
{
    const bool additive = drawMode != DrawMode::Normal;
    if (!dest.IsUsable() || !argb.words || (additive && !tables.Covers(dest.format)))
        return;
    if (!std::isfinite(angle))
        return;
    for (double v : {double(x), double(y), double(centreX), double(centreY)})
        if (!std::isfinite(v) || std::fabs(v) > kPositionLimit)
            return;
    // Only the part of the source rectangle inside the image is sampled; the
    // placement and centre move with its corner so the picture stays put.
    const Rect limit = sourceRect.Intersection(Rect(0, 0, argb.width, argb.height));
    if (limit.width < 2 || limit.height < 2)
        return;
    x += static_cast<float>(limit.x - sourceRect.x);
    y += static_cast<float>(limit.y - sourceRect.y);
    centreX -= static_cast<float>(limit.x - sourceRect.x);
    centreY -= static_cast<float>(limit.y - sourceRect.y);

    double left, top, bw, bh;
    if (!TurnedBox(dest.width, dest.height, x, y, limit.width, limit.height, clip, angle, centreX, centreY, left,
                   top, bw, bh))
        return;

    Geometry g{};
    g.cosD = std::cos(angle);
    g.sinD = std::sin(angle);
    g.stepU = static_cast<int64_t>(g.cosD * 65536.0);
    g.stepV = static_cast<int64_t>(g.sinD * 65536.0);
    g.x0 = static_cast<int>(left);
    g.y0 = static_cast<int>(top);
    g.lastColumn = static_cast<int64_t>(bw - 1.0);
    g.rows = bh;
    g.dx = static_cast<float>(static_cast<float>(g.x0) - centreX - x);
    g.y = y;
    g.cx = centreX;
    g.cy = centreY;
    g.w = limit.width;
    g.h = limit.height;
    g.origin = static_cast<size_t>(limit.y) * static_cast<size_t>(argb.width) + static_cast<size_t>(limit.x);

    const bool wide = dest.format.bitsPerPixel == 32;
    const bool indexed = argb.indices != nullptr;
    if (wide && indexed)
        RotateTyped<uint32_t, true>(dest, tables, argb, g, tint, additive, rgbOrder);
    else if (wide)
        RotateTyped<uint32_t, false>(dest, tables, argb, g, tint, additive, rgbOrder);
    else if (indexed)
        RotateTyped<uint16_t, true>(dest, tables, argb, g, tint, additive, rgbOrder);
    else
        RotateTyped<uint16_t, false>(dest, tables, argb, g, tint, additive, rgbOrder);
}

} // namespace Zolt::SurfaceBlit
