// Plain, translucent, additive and mirrored blits onto a locked surface.
#include "framework/graphics/PixelSimd.h"
#include "framework/graphics/SurfaceBlit.h"
#include "framework/graphics/SurfaceBlitPixel.h"

#include <cstring>

namespace Zolt::SurfaceBlit {

using namespace surface;

namespace {

// How a blit's destination pixels are blended, chosen once per call.
enum class Layout {
    Spread565, // 16-bit, green 0x07E0
    Spread555, // 16-bit, green 0x03E0
    Masks16,   // any other 16-bit layout
    Pairs32,   // 32-bit with byte channels (either order)
    Masks32,   // any other 32-bit layout
};

Layout LayoutOf(const SurfaceFormat& f)
{
    if (f.bitsPerPixel == 16)
        return f.Is565() ? Layout::Spread565 : (f.Is555() ? Layout::Spread555 : Layout::Masks16);
    return f.IsBytes32() ? Layout::Pairs32 : Layout::Masks32;
}

uint32_t SpreadMaskOf(Layout l) { return l == Layout::Spread565 ? kSpread565 : kSpread555; }

// ---------------------------------------------------------------------------
// Blending ARGB pixels with their own alpha (no cache).

uint32_t BlendArgbMasks(const SurfaceFormat& f, uint32_t s, uint32_t d)
{
    const uint64_t a = s >> 24;
    uint32_t out = 0;
    for (int ch = 0; ch < 3; ++ch) {
        const uint64_t m = f.masks[ch];
        const uint64_t c = (s >> (16 - 8 * ch)) & 0xFF;
        if (f.bitsPerPixel == 16)
            out += static_cast<uint32_t>(((((256 - a) * (d & m)) + ((c * a * m) >> 8) + (m >> 1)) >> 8) & m);
        else
            out += static_cast<uint32_t>(((((d & m) * (256 - a)) + (((c * a) >> 8) * m) + (m >> 1)) >> 8) & m);
    }
    return out;
}

template <typename P, typename Op>
void ForEachSourcePixel(const SurfaceView& dest, const SourcePixels& src, int x, int y, const Rect& r, const Op& op)
{
    for (int row = 0; row < r.height; ++row) {
        const size_t s0 = static_cast<size_t>(r.y + row) * static_cast<size_t>(src.width) + static_cast<size_t>(r.x);
        P* d = Row<P>(dest, y + row) + x;
        for (int i = 0; i < r.width; ++i)
            op(d[i], src.At(s0 + static_cast<size_t>(i)));
    }
}

} // namespace

void BlendArgb(const SurfaceView& dest, const SourcePixels& argb, int x, int y, const Rect& sourceRect, bool rgbOrder)
{
    Rect r = sourceRect;
    if (!dest.IsUsable() || !argb.words ||
        !ClipBlit(x, y, r, argb.width, argb.height, dest.width, dest.height, false))
        return;
    const SurfaceFormat& f = dest.format;
    const bool standardOrder = rgbOrder && f.masks[0] > f.masks[1] && f.masks[1] > f.masks[2];
    if (f.bitsPerPixel == 32) {
        if (standardOrder && f.IsBytes32()) {
            ForEachSourcePixel<uint32_t>(dest, argb, x, y, r, [](uint32_t& d, uint32_t s) {
                const uint32_t a = s >> 24;
                if (a == 0)
                    return;
                uint32_t out = 0;
                for (uint32_t pair : {0x00FF00FFu, 0x0000FF00u})
                    out |= ((((s & pair) - (d & pair)) * a >> 8) + (d & pair)) & pair;
                d = out;
            });
        } else {
            ForEachSourcePixel<uint32_t>(dest, argb, x, y, r, [&](uint32_t& d, uint32_t s) {
                if (s >> 24)
                    d = BlendArgbMasks(f, s, d);
            });
        }
        return;
    }
    const bool packed = standardOrder && (f.Is565() ? f.masks[0] == 0xF800 : (f.Is555() && f.masks[0] == 0x7C00));
    if (!packed) {
        ForEachSourcePixel<uint16_t>(dest, argb, x, y, r, [&](uint16_t& d, uint32_t s) {
            if (s >> 24)
                d = static_cast<uint16_t>(BlendArgbMasks(f, s, d));
        });
        return;
    }
    const bool is565 = f.Is565();
    const uint32_t mask = is565 ? kSpread565 : kSpread555;
    ForEachSourcePixel<uint16_t>(dest, argb, x, y, r, [&](uint16_t& d, uint32_t s) {
        if ((s >> 24) == 0)
            return;
        const uint32_t w = Spread(d, mask);
        const uint32_t s5 = is565 ? ((s & 0xFC00) << 11) + ((s >> 3) & 0x1F) + ((s >> 8) & 0xF800)
                                  : ((s >> 3) & 0x1F) + ((s >> 9) & 0x7C00) + ((s & 0xF800) << 10);
        // Signed: the source may lie below the destination in any field.
        const int32_t diff = static_cast<int32_t>(s5 - w);
        const int32_t scaled = static_cast<int32_t>(static_cast<uint32_t>(diff) * (s >> 27)) >> 5;
        d = static_cast<uint16_t>(Fold((static_cast<uint32_t>(scaled) + w) & mask));
    });
}

void CopyNative(const SurfaceView& dest, const SourcePixels& native, bool keyed, int x, int y, const Rect& sourceRect)
{
    Rect r = sourceRect;
    if (!dest.IsUsable() || !native.words ||
        !ClipBlit(x, y, r, native.width, native.height, dest.width, dest.height, false))
        return;
    const bool wide = dest.format.bitsPerPixel == 32;
    for (int row = 0; row < r.height; ++row) {
        const size_t s0 = static_cast<size_t>(r.y + row) * static_cast<size_t>(native.width) + static_cast<size_t>(r.x);
        if (wide) {
            uint32_t* d = Row<uint32_t>(dest, y + row) + x;
            if (!keyed && !native.indices) {
                std::memcpy(d, native.words + s0, static_cast<size_t>(r.width) * sizeof(uint32_t));
                continue;
            }
            int i = 0;
#if defined(ZOLT_PIXEL_SIMD)
            if (!native.indices) {
                const __m128i zero = _mm_setzero_si128();
                for (; i + 4 <= r.width; i += 4) {
                    const __m128i s = pixel::Load4(native.words + s0 + static_cast<size_t>(i));
                    const __m128i keep = _mm_cmpeq_epi32(_mm_srli_epi32(s, 24), zero);
                    const __m128i dv = pixel::Load4(d + i);
                    pixel::Store4(d + i, _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, s)));
                }
            }
#endif
            for (; i < r.width; ++i) {
                const uint32_t n = native.At(s0 + static_cast<size_t>(i));
                if (!keyed || (n >> 24) != 0)
                    d[i] = n;
            }
        } else {
            uint16_t* d = Row<uint16_t>(dest, y + row) + x;
            int i = 0;
#if defined(ZOLT_PIXEL_SIMD)
            if (!native.indices) {
                const __m128i zero = _mm_setzero_si128();
                for (; i + 8 <= r.width; i += 8) {
                    const uint32_t* s = native.words + s0 + static_cast<size_t>(i);
                    const __m128i lo = pixel::Load4(s), hi = pixel::Load4(s + 4);
                    // Low halves, sign-extended so that the signed pack keeps them exactly.
                    const __m128i packed = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(lo, 16), 16),
                                                           _mm_srai_epi32(_mm_slli_epi32(hi, 16), 16));
                    __m128i* out = reinterpret_cast<__m128i*>(d + i);
                    if (!keyed) {
                        _mm_storeu_si128(out, packed);
                        continue;
                    }
                    const __m128i keep = _mm_packs_epi32(_mm_cmpeq_epi32(_mm_srli_epi32(lo, 24), zero),
                                                         _mm_cmpeq_epi32(_mm_srli_epi32(hi, 24), zero));
                    const __m128i dv = _mm_loadu_si128(out);
                    _mm_storeu_si128(out, _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, packed)));
                }
            }
#endif
            for (; i < r.width; ++i) {
                const uint32_t n = native.At(s0 + static_cast<size_t>(i));
                if (!keyed || (n >> 24) != 0)
                    d[i] = static_cast<uint16_t>(n);
            }
        }
    }
}

namespace {

// ---------------------------------------------------------------------------
// Run-driven blits. Each row is walked run by run through the source's run
// map; `Dir` is +1, or -1 when the destination is walked right to left.

// Calls run(dest pixels, source index, count) for every run of the rows.
// The destination pointer is the run's first pixel; later pixels lie at
// d[k * Dir].
template <typename P, int Dir, typename RunOp>
void WalkRuns(const SurfaceView& dest, const SourcePixels& src, const uint8_t* runs, int x, int y, const Rect& r,
              const RunOp& run)
{
    for (int row = 0; row < r.height; ++row) {
        const size_t s0 = static_cast<size_t>(r.y + row) * static_cast<size_t>(src.width) + static_cast<size_t>(r.x);
        P* base = Row<P>(dest, y + row) + (Dir > 0 ? x : x + r.width - 1);
        int i = 0;
        while (i < r.width) {
            // A run never reaches past its row; a damaged map byte of 0
            // still moves on by one pixel.
            const int length = std::min<int>(std::max<int>(runs[s0 + static_cast<size_t>(i)], 1), r.width - i);
            run(base + Dir * i, s0 + static_cast<size_t>(i), length);
            i += length;
        }
    }
}

template <typename P, int Dir, Layout L>
void BlendRunsWhite(const SurfaceView& dest, const SourcePixels& src, const uint8_t* runs, int x, int y, const Rect& r)
{
    const SurfaceFormat& f = dest.format;
    constexpr uint32_t spread = L == Layout::Spread565 ? kSpread565 : kSpread555;
    WalkRuns<P, Dir>(dest, src, runs, x, y, r, [&](P* d, size_t s, int count) {
        const uint32_t first = src.At(s);
        const uint32_t a0 = first >> 24;
        if (a0 == 0)
            return;
        if (a0 == 255) {
            if (Dir > 0 && sizeof(P) == 4 && !src.indices) {
                std::memcpy(d, src.words + s, static_cast<size_t>(count) * sizeof(uint32_t));
                return;
            }
            for (int k = 0; k < count; ++k)
                d[Dir * k] = static_cast<P>(src.At(s + static_cast<size_t>(k)));
            return;
        }
        for (int k = 0; k < count; ++k) {
            const uint32_t n = src.At(s + static_cast<size_t>(k));
            const uint32_t inv = 256 - (n >> 24);
            P& out = d[Dir * k];
            const uint32_t dv = out;
            if constexpr (L == Layout::Spread565 || L == Layout::Spread555) {
                out = static_cast<P>(Fold(((Spread(dv, spread) * (inv >> 3)) >> 5) & spread) + (n & 0xFFFF));
            } else if constexpr (L == Layout::Pairs32) {
                out = static_cast<P>(((((dv & 0xFF00) * inv) >> 8) & 0xFF00) +
                                     ((((dv & 0x00FF00FF) * inv) >> 8) & 0x00FF00FF) + n);
            } else {
                uint32_t sum = 0;
                for (int ch = 0; ch < 3; ++ch) {
                    const uint64_t m = f.masks[ch];
                    sum += static_cast<uint32_t>((((dv & m) * inv) >> 8) & m);
                }
                out = static_cast<P>(sum + n);
            }
        }
    });
}

template <typename P, int Dir>
void BlendRunsTinted(const SurfaceView& dest, Layout layout, const SourcePixels& src, const uint8_t* runs, int x,
                     int y, const Rect& r, const Rgba& tint)
{
    const SurfaceFormat& f = dest.format;
    const TintFactors t = FactorsOf(tint);
    const uint32_t k = t.k[0];
    const bool spreadGrey = t.grey && (layout == Layout::Spread565 || layout == Layout::Spread555);
    const bool pairGrey = t.grey && layout == Layout::Pairs32;
    const uint32_t spread = SpreadMaskOf(layout);
    const uint32_t ta = tint.a;
    WalkRuns<P, Dir>(dest, src, runs, x, y, r, [&](P* d, size_t s, int count) {
        const uint32_t a0 = src.At(s) >> 24;
        if (a0 == 0)
            return;
        // Only a fully opaque pixel under a fully opaque tint replaces the
        // destination outright.
        const bool replace = a0 == 255 && ta == 255;
        for (int i = 0; i < count; ++i) {
            const uint32_t n = src.At(s + static_cast<size_t>(i));
            P& out = d[Dir * i];
            const uint32_t dv = out;
            if (replace) {
                if (spreadGrey) {
                    out = static_cast<P>(Fold(((Spread(n & 0xFFFF, spread) * (k >> 3)) >> 5) & spread));
                } else if (pairGrey) {
                    out = static_cast<P>(((((n & 0x00FF00FF) * k) >> 8) & 0x00FF00FF) + ((((n & 0xFF00) * k) >> 8) & 0xFF00));
                } else {
                    uint32_t sum = 0;
                    for (int ch = 0; ch < 3; ++ch) {
                        const uint64_t m = f.masks[ch];
                        sum += static_cast<uint32_t>((((n & m) * t.k[ch]) >> 8) & m);
                    }
                    out = static_cast<P>(sum);
                }
                continue;
            }
            const uint32_t inv = 256 - (n >> 24) * ta / 255;
            if (spreadGrey) {
                out = static_cast<P>(
                    Fold((((Spread(n & 0xFFFF, spread) * (k >> 3)) + Spread(dv, spread) * (inv >> 3)) >> 5) & spread));
            } else if (pairGrey) {
                out = static_cast<P>(((((dv & 0x00FF00FF) * inv + (n & 0x00FF00FF) * k) >> 8) & 0x00FF00FF) +
                                     ((((dv & 0xFF00) * inv + (n & 0xFF00) * k) >> 8) & 0xFF00));
            } else {
                uint32_t sum = 0;
                for (int ch = 0; ch < 3; ++ch) {
                    const uint64_t m = f.masks[ch];
                    sum += static_cast<uint32_t>(((((dv & m) * inv) + (n & m) * t.k[ch]) >> 8) & m);
                }
                out = static_cast<P>(sum);
            }
        }
    });
}

template <typename P, int Dir>
void BlendRunsTyped(const SurfaceView& dest, const SourcePixels& src, const uint8_t* runs, int x, int y, const Rect& r,
                    const Color& tint)
{
    const Layout layout = LayoutOf(dest.format);
    if (IsWhite(tint)) {
        if constexpr (sizeof(P) == 2) {
            if (layout == Layout::Spread565)
                BlendRunsWhite<P, Dir, Layout::Spread565>(dest, src, runs, x, y, r);
            else if (layout == Layout::Spread555)
                BlendRunsWhite<P, Dir, Layout::Spread555>(dest, src, runs, x, y, r);
            else
                BlendRunsWhite<P, Dir, Layout::Masks16>(dest, src, runs, x, y, r);
        } else if (layout == Layout::Pairs32) {
            BlendRunsWhite<P, Dir, Layout::Pairs32>(dest, src, runs, x, y, r);
        } else {
            BlendRunsWhite<P, Dir, Layout::Masks32>(dest, src, runs, x, y, r);
        }
    } else
        BlendRunsTinted<P, Dir>(dest, layout, src, runs, x, y, r, Clamped(tint));
}

template <typename P, int Dir>
void AddRunsTyped(const SurfaceView& dest, const SaturationTables& tables, const SourcePixels& src,
                  const uint8_t* runs, int x, int y, const Rect& r, const Color& tint)
{
    const SurfaceFormat& f = dest.format;
    const bool white = IsWhite(tint);
    const TintFactors t = FactorsOf(Clamped(tint));
    const uint32_t* T[3] = {tables.table[0], tables.table[1], tables.table[2]};
    const uint32_t M[3] = {f.masks[0], f.masks[1], f.masks[2]};
    const int S[3] = {f.shifts[0], f.shifts[1], f.shifts[2]};
    const bool spread16 = f.Is565() || f.Is555();
    const uint32_t spreadMask = f.Is565() ? kSpread565 : kSpread555;
    // The bit above each field of the spread form; the 6-bit green of 565
    // is filled from its own carry.
    const uint32_t carry5 = f.Is565() ? (1u << 5) | (1u << 16) : (1u << 5) | (1u << 15) | (1u << 26);
    const uint32_t carry6 = f.Is565() ? 1u << 27 : 0;
    WalkRuns<P, Dir>(dest, src, runs, x, y, r, [&](P* d, size_t s, int count) {
        if ((src.At(s) & 0xFFFFFF) == 0)
            return;
        int i = 0;
#if defined(ZOLT_PIXEL_SIMD)
        // Byte channels saturate exactly as the tables do.
        if constexpr (sizeof(P) == 4 && Dir > 0) {
            if (white && f.IsBytes32() && !src.indices) {
                const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
                for (; i + 4 <= count; i += 4) {
                    const __m128i n = pixel::Load4(src.words + s + static_cast<size_t>(i));
                    const __m128i dv = pixel::Load4(reinterpret_cast<const uint32_t*>(d + i));
                    pixel::Store4(reinterpret_cast<uint32_t*>(d + i),
                                  _mm_and_si128(_mm_adds_epu8(dv, n), rgb));
                }
            }
        }
#endif
        if constexpr (sizeof(P) == 2) {
            if (white && spread16) {
                // Saturated in the spread form: a carry out of a field fills
                // the field, exactly as the tables clamp it.
                for (; i < count; ++i) {
                    P& out = d[Dir * i];
                    const uint32_t sum = Spread(src.At(s + static_cast<size_t>(i)) & 0xFFFF, spreadMask) +
                                         Spread(out, spreadMask);
                    const uint32_t narrow = sum & carry5;
                    const uint32_t wide6 = sum & carry6;
                    out = static_cast<P>(
                        Fold((sum | (narrow - (narrow >> 5)) | (wide6 - (wide6 >> 6))) & spreadMask));
                }
                return;
            }
        }
        for (; i < count; ++i) {
            const uint32_t n = src.At(s + static_cast<size_t>(i));
            P& out = d[Dir * i];
            const uint32_t dv = out;
            uint32_t sum = 0;
            if (white) {
                for (int ch = 0; ch < 3; ++ch)
                    sum |= T[ch][((n & M[ch]) + (dv & M[ch])) >> S[ch]] << S[ch];
            } else {
                for (int ch = 0; ch < 3; ++ch)
                    sum |= T[ch][((((n & M[ch]) >> S[ch]) * t.k[ch]) >> 8) + ((dv & M[ch]) >> S[ch])] << S[ch];
            }
            out = static_cast<P>(sum);
        }
    });
}

} // namespace

void BlendRuns(const SurfaceView& dest, const SourcePixels& native, const uint8_t* alphaRuns, int x, int y,
               const Rect& sourceRect, const Color& tint, bool mirrored)
{
    Rect r = sourceRect;
    if (!dest.IsUsable() || !native.words || !alphaRuns ||
        !ClipBlit(x, y, r, native.width, native.height, dest.width, dest.height, mirrored))
        return;
    const bool wide = dest.format.bitsPerPixel == 32;
    if (wide && !mirrored)
        BlendRunsTyped<uint32_t, 1>(dest, native, alphaRuns, x, y, r, tint);
    else if (wide)
        BlendRunsTyped<uint32_t, -1>(dest, native, alphaRuns, x, y, r, tint);
    else if (!mirrored)
        BlendRunsTyped<uint16_t, 1>(dest, native, alphaRuns, x, y, r, tint);
    else
        BlendRunsTyped<uint16_t, -1>(dest, native, alphaRuns, x, y, r, tint);
}

void AddRuns(const SurfaceView& dest, const SaturationTables& tables, const SourcePixels& native,
             const uint8_t* additiveRuns, int x, int y, const Rect& sourceRect, const Color& tint, bool mirrored)
{
    Rect r = sourceRect;
    if (!dest.IsUsable() || !tables.Covers(dest.format) || !native.words || !additiveRuns ||
        !ClipBlit(x, y, r, native.width, native.height, dest.width, dest.height, mirrored))
        return;
    const bool wide = dest.format.bitsPerPixel == 32;
    if (wide && !mirrored)
        AddRunsTyped<uint32_t, 1>(dest, tables, native, additiveRuns, x, y, r, tint);
    else if (wide)
        AddRunsTyped<uint32_t, -1>(dest, tables, native, additiveRuns, x, y, r, tint);
    else if (!mirrored)
        AddRunsTyped<uint16_t, 1>(dest, tables, native, additiveRuns, x, y, r, tint);
    else
        AddRunsTyped<uint16_t, -1>(dest, tables, native, additiveRuns, x, y, r, tint);
}

} // namespace Zolt::SurfaceBlit
