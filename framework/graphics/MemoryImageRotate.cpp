// The rotated, bilinear-filtered blit of the memory image (also the
// sub-pixel blit, at angle 0).
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PixelMath.h"
#include "framework/graphics/PixelSimd.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace Zolt {

namespace {

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// Narrows [kMin, kMax] to the steps k for which start + k x step lies in
// [lo, hi]; all in 16.16 fixed point.
void NarrowSteps(int64_t start, int64_t step, int64_t lo, int64_t hi, int64_t& kMin, int64_t& kMax)
{
    if (step == 0) {
        if (start < lo || start > hi)
            kMax = kMin - 1;
        return;
    }
    int64_t a, b;
    if (step > 0) {
        a = CeilDiv(lo - start, step);
        b = FloorDiv(hi - start, step);
    } else {
        a = CeilDiv(hi - start, step);
        b = FloorDiv(lo - start, step);
    }
    kMin = std::max(kMin, a);
    kMax = std::min(kMax, b);
}

struct BitsReader {
    const uint32_t* bits;
    uint32_t operator()(size_t i) const { return bits[i]; }
};
struct PaletteReader {
    const uint32_t* palette;
    const uint8_t* indices;
    uint32_t operator()(size_t i) const { return palette[indices[i]]; }
};

#if defined(ZOLT_PIXEL_SIMD)
// One bilinear sample with the white tint, all in 16-bit lanes: the area
// weights are (a x b) >> 16 of two 16-bit factors, the alpha weights
// (area x alpha) >> 16, and the colour sums stay below 255 x 255.
// Returns the sum of the alpha weights; sums gets S_b, S_g, S_r in lanes 0-2.
inline uint32_t Sample4(const uint32_t* p00, int stride, uint32_t fx, uint32_t fy, __m128i& sums)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p00));
    const __m128i bottom = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p00 + stride));
    const __m128i px = _mm_unpacklo_epi64(top, bottom); // p00 p10 p01 p11
    const int gx = static_cast<int>(65536 - fx), gy = static_cast<int>(65536 - fy);
    const __m128i a = _mm_setr_epi16(static_cast<short>(gx), static_cast<short>(fx), static_cast<short>(gx),
                                     static_cast<short>(fx), 0, 0, 0, 0);
    const __m128i b = _mm_setr_epi16(static_cast<short>(gy), static_cast<short>(gy), static_cast<short>(fy),
                                     static_cast<short>(fy), 0, 0, 0, 0);
    const __m128i area = _mm_mulhi_epu16(a, b);
    const __m128i alpha = _mm_packs_epi32(_mm_srli_epi32(px, 24), zero);
    const __m128i w = _mm_mulhi_epu16(area, alpha);
    const uint32_t alphaSum = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_sad_epu8(w, zero)));
    const __m128i w2 = _mm_unpacklo_epi16(w, w);
    const __m128i wTop = _mm_unpacklo_epi32(w2, w2), wBottom = _mm_unpackhi_epi32(w2, w2);
    const __m128i prod = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(px, zero), wTop),
                                       _mm_mullo_epi16(_mm_unpackhi_epi8(px, zero), wBottom));
    sums = _mm_add_epi16(prod, _mm_srli_si128(prod, 8));
    return alphaSum;
}
#endif

struct RotateParams {
    double x, y, angle;
    float cx, cy;
    Rect src;   // the source rect as given: the geometry turns about it
    Rect limit; // its part inside the source image: where samples may read
    Rect clip;
    Color tint;
    bool additive;
};

// The tint's factors, channels in blue, green, red order.
struct Tint {
    bool white;
    uint32_t alpha;
    uint32_t colour[3];
    uint32_t additive[3];
};

Tint TintOf(const Color& tint)
{
    return Tint{tint == Color::White,
                static_cast<uint32_t>(tint.alpha),
                {static_cast<uint32_t>(tint.blue), static_cast<uint32_t>(tint.green), static_cast<uint32_t>(tint.red)},
                {pixel::AdditiveTint(tint.blue, tint.alpha), pixel::AdditiveTint(tint.green, tint.alpha),
                 pixel::AdditiveTint(tint.red, tint.alpha)}};
}

// The destination pixels the turned source rectangle can reach, inside the
// clip and the image; false when there are none.
bool RotatedBounds(const RotateParams& p, double cosA, double sinA, int dstW, int dstH, Rect& out)
{
    const double w = p.src.width, h = p.src.height;
    double minX = 1e7, minY = 1e7, maxX = -1e7, maxY = -1e7;
    const double corners[4][2] = {{0, 0}, {w, 0}, {0, h}, {w, h}};
    for (const auto& c : corners) {
        const double X = p.x + p.cx + (c[0] - p.cx) * cosA + (c[1] - p.cy) * sinA;
        const double Y = p.y + p.cy + (c[1] - p.cy) * cosA - (c[0] - p.cx) * sinA;
        minX = std::min(minX, X);
        maxX = std::max(maxX, X);
        minY = std::min(minY, Y);
        maxY = std::max(maxY, Y);
    }
    // Bounds in doubles, intersected with the clip (and the image).
    const double left = std::max({minX, double(p.clip.x), 0.0});
    const double top = std::max({minY, double(p.clip.y), 0.0});
    const double right = std::min({maxX, double(p.clip.x) + p.clip.width, double(dstW)});
    const double bottom = std::min({maxY, double(p.clip.y) + p.clip.height, double(dstH)});
    if (right - left <= 0 || bottom - top <= 0)
        return false;
    const int x0 = static_cast<int>(std::floor(left));
    const int y0 = static_cast<int>(std::floor(top));
    out = Rect(x0, y0, static_cast<int>(std::ceil(right)) - x0, static_cast<int>(std::ceil(bottom)) - y0);
    return true;
}

// A sample's colour sums (blue, green, red; 16.16 weights times 8-bit
// channels, shifted down by 8) laid over the destination with the sample's
// summed alpha weight.
inline uint32_t LayOver(uint32_t d, const uint32_t sum[3], uint32_t alphaSum)
{
    if (alphaSum >= 251)
        return 0xFF000000 | (std::min<uint32_t>(sum[2] >> 8, 255) << 16) |
               (std::min<uint32_t>(sum[1] >> 8, 255) << 8) | std::min<uint32_t>(sum[0] >> 8, 255);
    const uint32_t dA = d >> 24;
    const uint32_t A = 256 - (((256 - dA) * (256 - alphaSum)) >> 8);
    uint32_t out = (A - 1) << 24;
    for (int c = 0; c < 3; ++c) {
        const uint32_t dc = (d >> (8 * c)) & 0xFF;
        const uint32_t value = ((((dc * dA) >> 8) * (256 - alphaSum)) + sum[c]) / A;
        out |= std::min<uint32_t>(value, 255) << (8 * c);
    }
    return out;
}

#if defined(ZOLT_PIXEL_SIMD)
// The row's samples from k to kMax with the white tint, four neighbours at a
// time in 16-bit lanes.
inline void BlendWhiteRow(uint32_t* row, const uint32_t* bits, int srcW, bool additive, int64_t& k, int64_t kMax,
                          int64_t& U, int64_t& V, int64_t stepU, int64_t stepV)
{
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    for (; k <= kMax; ++k, U += stepU, V += stepV) {
        const int sx = static_cast<int>(U >> 16), sy = static_cast<int>(V >> 16);
        const uint32_t fx = (static_cast<uint32_t>(U) & 0xFFFE) + 1;
        const uint32_t fy = (static_cast<uint32_t>(V) & 0xFFFE) + 1;
        __m128i sums;
        const uint32_t alphaSum = Sample4(bits + static_cast<size_t>(sy) * srcW + sx, srcW, fx, fy, sums);
        if (alphaSum == 0)
            continue;
        uint32_t& d = row[k];
        const __m128i colour = _mm_packus_epi16(_mm_srli_epi16(sums, 8), sums);
        if (additive) {
            const __m128i dv = _mm_cvtsi32_si128(static_cast<int>(d));
            d = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_adds_epu8(dv, _mm_and_si128(colour, rgb))));
        } else if (alphaSum >= 251) {
            d = 0xFF000000 | (static_cast<uint32_t>(_mm_cvtsi128_si32(colour)) & 0xFFFFFF);
        } else {
            alignas(16) uint16_t lanes[8];
            _mm_store_si128(reinterpret_cast<__m128i*>(lanes), sums);
            const uint32_t sum[3] = {lanes[0], lanes[1], lanes[2]};
            d = LayOver(d, sum, alphaSum);
        }
    }
}
#endif

// One bilinear sample at (U, V) in 16.16, blended into d.
template <typename Reader>
inline void BlendSample(uint32_t& d, const Reader& read, int srcW, int64_t U, int64_t V, const Tint& tint,
                        bool additive)
{
    const int sx = static_cast<int>(U >> 16), sy = static_cast<int>(V >> 16);
    const uint32_t fx = (static_cast<uint32_t>(U) & 0xFFFE) + 1;
    const uint32_t fy = (static_cast<uint32_t>(V) & 0xFFFE) + 1;
    const size_t i00 = static_cast<size_t>(sy) * srcW + sx;
    const uint32_t px[4] = {read(i00), read(i00 + 1), read(i00 + srcW), read(i00 + srcW + 1)};
    const uint32_t area[4] = {((65536 - fx) * (65536 - fy)) >> 16, (fx * (65536 - fy)) >> 16,
                              ((65536 - fx) * fy) >> 16, (fx * fy) >> 16};
    uint32_t weights[4];
    uint32_t alphaSum = 0;
    for (int n = 0; n < 4; ++n) {
        uint32_t wgt = (area[n] * (px[n] >> 24)) >> 16;
        if (!tint.white && !additive)
            wgt = (wgt * tint.alpha) >> 8;
        weights[n] = wgt;
        alphaSum += wgt;
    }
    if (alphaSum == 0)
        return;
    uint32_t sum[3] = {0, 0, 0};
    for (int n = 0; n < 4; ++n)
        for (int c = 0; c < 3; ++c)
            sum[c] += ((px[n] >> (8 * c)) & 0xFF) * weights[n];
    if (additive) {
        uint32_t out = d & 0xFF000000;
        for (int c = 0; c < 3; ++c) {
            const uint32_t add = tint.white ? sum[c] >> 8 : ((sum[c] * tint.additive[c]) >> 8) >> 8;
            out |= pixel::SatAdd((d >> (8 * c)) & 0xFF, add) << (8 * c);
        }
        d = out;
        return;
    }
    if (!tint.white)
        for (int c = 0; c < 3; ++c)
            sum[c] = (sum[c] * (tint.colour[c] + 1)) >> 8;
    d = LayOver(d, sum, alphaSum);
}

template <typename Reader>
void Rotate(uint32_t* dst, int dstW, int dstH, const Reader& read, int srcW, const RotateParams& p)
{
    const double cosA = std::cos(p.angle), sinA = std::sin(p.angle);
    Rect bounds;
    if (!RotatedBounds(p, cosA, sinA, dstW, dstH, bounds))
        return;
    const int64_t stepU = static_cast<int64_t>(cosA * 65536.0);
    const int64_t stepV = static_cast<int64_t>(sinA * 65536.0);
    // A sample is used only when its four neighbours lie in the source rect.
    const int64_t loU = int64_t{p.limit.x} * 65536, hiU = (int64_t{p.limit.x} + p.limit.width - 1) * 65536 - 1;
    const int64_t loV = int64_t{p.limit.y} * 65536, hiV = (int64_t{p.limit.y} + p.limit.height - 1) * 65536 - 1;
    const Tint tint = TintOf(p.tint);

    for (int Y = bounds.y; Y < bounds.y + bounds.height; ++Y) {
        // Inverse mapping of the row's first pixel.
        const double dx = bounds.x - p.x - p.cx, dy = Y - p.y - p.cy;
        const double u = dx * cosA - dy * sinA + p.cx + p.src.x;
        const double v = dx * sinA + dy * cosA + p.cy + p.src.y;
        const int64_t U0 = static_cast<int64_t>(u * 65536.0);
        const int64_t V0 = static_cast<int64_t>(v * 65536.0);
        int64_t kMin = 0, kMax = bounds.width - 1;
        NarrowSteps(U0, stepU, loU, hiU, kMin, kMax);
        NarrowSteps(V0, stepV, loV, hiV, kMin, kMax);
        if (kMin > kMax)
            continue;
        uint32_t* row = dst + static_cast<size_t>(Y) * dstW + bounds.x;
        int64_t U = U0 + kMin * stepU, V = V0 + kMin * stepV;
        int64_t k = kMin;
#if defined(ZOLT_PIXEL_SIMD)
        if constexpr (std::is_same_v<Reader, BitsReader>) {
            if (tint.white)
                BlendWhiteRow(row, read.bits, srcW, p.additive, k, kMax, U, V, stepU, stepV);
        }
#endif
        for (; k <= kMax; ++k, U += stepU, V += stepV)
            BlendSample(row[k], read, srcW, U, V, tint, p.additive);
    }
}

} // namespace

void MemoryImage::BlitImageRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                                   const Color& tint, int drawMode, double angle, float centerX, float centerY)
{
    if (!source)
        return;
    source->SetDrawnFrom(true);
    auto* src = dynamic_cast<MemoryImage*>(source);
    if (!src)
        return;
    // Samples never read outside the source image, whatever the rect says.
    const Rect limit = sourceRect.Intersection(Rect(0, 0, src->width_, src->height_));
    const RotateParams params{x,         y,    angle, centerX, centerY, sourceRect, limit, clip, tint,
                              drawMode != DrawMode::Normal};
    const bool palettized = src->palette_ && src->indices_;
    const uint32_t* bits = palettized ? nullptr : src->RequireBits();
    uint32_t* dst = RequireBits();
    if (limit.width >= 2 && limit.height >= 2) {
        if (palettized)
            Rotate(dst, width_, height_, PaletteReader{src->palette_.get(), src->indices_.get()}, src->width_, params);
        else
            Rotate(dst, width_, height_, BitsReader{bits}, src->width_, params);
    }
    MarkBitsChanged();
}

void MemoryImage::BlitImageSubpixel(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                                    const Color& tint, int drawMode)
{
    BlitImageRotated(source, x, y, sourceRect, clip, tint, drawMode, 0.0, 0.0f, 0.0f);
}

} // namespace Zolt
