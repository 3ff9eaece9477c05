// The plain blit of the memory image, normal and additive.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PixelMath.h"
#include "framework/graphics/PixelKernels.h"
#include "framework/graphics/PixelSimd.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace Zolt {

namespace {

// Cuts a blit to what lies inside both images; false when nothing is left.
bool ClipBlit(int& x, int& y, Rect& src, int srcW, int srcH, int dstW, int dstH)
{
    if (src.x < 0) {
        x -= src.x;
        src.width += src.x;
        src.x = 0;
    }
    if (src.y < 0) {
        y -= src.y;
        src.height += src.y;
        src.y = 0;
    }
    if (x < 0) {
        src.x -= x;
        src.width += x;
        x = 0;
    }
    if (y < 0) {
        src.y -= y;
        src.height += y;
        y = 0;
    }
    src.width = std::min({src.width, srcW - src.x, dstW - x});
    src.height = std::min({src.height, srcH - src.y, dstH - y});
    return src.width > 0 && src.height > 0;
}

// Reads the source as ARGB words, through its palette when it has one.
struct BitsReader {
    const uint32_t* bits;
    uint32_t operator()(size_t i) const { return bits[i]; }
};
struct PaletteReader {
    const uint32_t* palette;
    const uint8_t* indices;
    uint32_t operator()(size_t i) const { return palette[indices[i]]; }
};

// Copies n pixels between different images. Runs are short (a row or at
// most 255 pixels), where an inline loop beats the library call's set-up.
inline void CopyPixels(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
#if defined(ZOLT_PIXEL_SIMD)
    for (; i + 16 <= n; i += 16) {
        const __m128i a = pixel::Load4(s + i), b = pixel::Load4(s + i + 4);
        const __m128i c = pixel::Load4(s + i + 8), e = pixel::Load4(s + i + 12);
        pixel::Store4(d + i, a);
        pixel::Store4(d + i + 4, b);
        pixel::Store4(d + i + 8, c);
        pixel::Store4(d + i + 12, e);
    }
    for (; i + 4 <= n; i += 4)
        pixel::Store4(d + i, pixel::Load4(s + i));
#endif
    for (; i < n; ++i)
        d[i] = s[i];
}

// Opaque destination, no tint: copy opaque runs, skip transparent ones and
// blend the translucent ones, guided by the source's alpha run map.
template <typename Reader>
void BlitRuns(uint32_t* dst, int dstW, const Reader& read, const uint8_t* runs, int srcW, int x, int y,
              const Rect& src, bool sameImage)
{
    for (int row = 0; row < src.height; ++row) {
        const size_t s0 = static_cast<size_t>(src.y + row) * srcW + src.x;
        uint32_t* d = dst + static_cast<size_t>(y + row) * dstW + x;
        int i = 0;
        while (i < src.width) {
            const int run = std::min<int>(runs[s0 + i], src.width - i);
            const uint32_t first = read(s0 + i);
            const uint32_t a = pixel::Alpha(first);
            if (a == 255) {
                if constexpr (std::is_same_v<Reader, BitsReader>) {
                    if (sameImage)
                        std::memmove(d + i, read.bits + s0 + i, static_cast<size_t>(run) * sizeof(uint32_t));
                    else
                        CopyPixels(d + i, read.bits + s0 + i, run);
                } else {
                    for (int k = 0; k < run; ++k)
                        d[i + k] = read(s0 + i + k);
                }
            } else if (a != 0) {
                int k = 0;
#if defined(ZOLT_PIXEL_SIMD)
                if constexpr (std::is_same_v<Reader, BitsReader>) {
                    if (pixel::HasWideKernels())
                        k = pixel::BlendOwnAlphaWide(d + i, read.bits + s0 + i, run);
                    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
                    for (; k + 4 <= run; k += 4) {
                        const __m128i s = pixel::Load4(read.bits + s0 + i + k);
                        const __m128i dv = pixel::Load4(d + i + k);
                        const __m128i w = _mm_srli_epi32(s, 24);
                        pixel::Store4(d + i + k, _mm_or_si128(pixel::BlendPair4(dv, s, w), opaque));
                    }
                }
#endif
                for (; k < run; ++k) {
                    const uint32_t s = read(s0 + i + k);
                    d[i + k] = 0xFF000000 | pixel::BlendPair(d[i + k], s, pixel::Alpha(s));
                }
            }
            i += run;
        }
    }
}

// Every other normal blit: per pixel, with the tint applied in one of three
// ways (none, one grey factor, per channel).
template <typename Reader>
void BlitBlend(uint32_t* dst, int dstW, const Reader& read, int srcW, int x, int y, const Rect& src, const Color& tint)
{
    const bool white = tint == Color::White;
    const bool grey = !white && tint.red == tint.green && tint.green == tint.blue;
    const uint32_t tr = static_cast<uint32_t>(tint.red), tg = static_cast<uint32_t>(tint.green);
    const uint32_t tb = static_cast<uint32_t>(tint.blue), ta = static_cast<uint32_t>(tint.alpha);
    for (int row = 0; row < src.height; ++row) {
        const size_t s0 = static_cast<size_t>(src.y + row) * srcW + src.x;
        uint32_t* d = dst + static_cast<size_t>(y + row) * dstW + x;
        for (int i = 0; i < src.width; ++i) {
            const uint32_t s = read(s0 + i);
            uint32_t a = pixel::Alpha(s);
            if (!white)
                a = a * ta / 255;
            if (a == 0)
                continue;
            const uint32_t dp = d[i];
            const pixel::OverWeights o = pixel::Over(pixel::Alpha(dp), a);
            const uint32_t w = o.weight;
            uint32_t colour;
            if (white) {
                colour = pixel::BlendPair(dp, s, w);
            } else if (grey) {
                const uint32_t rb = (((((((s & 0xFF00FF) * tr) >> 8) & 0xFF00FF) * w) >> 8) +
                                     (((dp & 0xFF00FF) * (256 - w)) >> 8)) &
                                    0xFF00FF;
                const uint32_t g = ((((s & 0xFF00) * w * tr) >> 16) + (((dp & 0xFF00) * (256 - w)) >> 8)) & 0xFF00;
                colour = rb | g;
            } else {
                const uint32_t r =
                    (((((s & 0xFF0000) * w) >> 8) * tr >> 8) + (((dp & 0xFF0000) * (256 - w)) >> 8)) & 0xFF0000;
                const uint32_t g = ((((s & 0xFF00) * w * tg) >> 16) + (((dp & 0xFF00) * (256 - w)) >> 8)) & 0xFF00;
                const uint32_t b = ((((s & 0xFF) * w * tb) >> 16) + (((dp & 0xFF) * (256 - w)) >> 8)) & 0xFF;
                colour = r | g | b;
            }
            d[i] = (o.outAlpha << 24) | colour;
        }
    }
}

// The source added to the destination, each channel saturating; the
// destination keeps its alpha.
#if defined(ZOLT_PIXEL_SIMD)
// Saturating byte adds of a run of pixels; the source's alpha byte is
// cleared so the destination keeps its own. A translucent source first has
// each channel scaled by its alpha (>> 8).
template <bool Translucent>
int AddRun4(uint32_t* d, const uint32_t* s, int count)
{
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    const __m128i zero = _mm_setzero_si128();
    int i = pixel::HasWideKernels() ? pixel::AddWide(d, s, count, Translucent) : 0;
    for (; i + 4 <= count; i += 4) {
        __m128i sv = pixel::Load4(s + i);
        if constexpr (Translucent) {
            __m128i lo = _mm_unpacklo_epi8(sv, zero), hi = _mm_unpackhi_epi8(sv, zero);
            const __m128i alo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(lo, 0xFF), 0xFF);
            const __m128i ahi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(hi, 0xFF), 0xFF);
            lo = _mm_srli_epi16(_mm_mullo_epi16(lo, alo), 8);
            hi = _mm_srli_epi16(_mm_mullo_epi16(hi, ahi), 8);
            sv = _mm_packus_epi16(lo, hi);
        }
        pixel::Store4(d + i, _mm_adds_epu8(pixel::Load4(d + i), _mm_and_si128(sv, rgb)));
    }
    return i;
}
#endif

template <typename Reader>
void BlitAdd(uint32_t* dst, int dstW, const Reader& read, int srcW, int x, int y, const Rect& src, const Color& tint,
             bool translucent)
{
    const bool white = tint == Color::White;
    if constexpr (std::is_same_v<Reader, BitsReader>) {
        if (white && pixel::HasWideKernels()) {
            pixel::AddRectWide(dst + static_cast<size_t>(y) * dstW + x, dstW,
                               read.bits + static_cast<size_t>(src.y) * srcW + src.x, srcW, src.width, src.height,
                               translucent);
            return;
        }
    }
    const uint32_t t[3] = {pixel::AdditiveTint(tint.red, tint.alpha), pixel::AdditiveTint(tint.green, tint.alpha),
                           pixel::AdditiveTint(tint.blue, tint.alpha)};
    for (int row = 0; row < src.height; ++row) {
        const size_t s0 = static_cast<size_t>(src.y + row) * srcW + src.x;
        uint32_t* d = dst + static_cast<size_t>(y + row) * dstW + x;
        int i = 0;
#if defined(ZOLT_PIXEL_SIMD)
        if constexpr (std::is_same_v<Reader, BitsReader>) {
            if (white)
                i = translucent ? AddRun4<true>(d, read.bits + s0, src.width) : AddRun4<false>(d, read.bits + s0, src.width);
        }
#endif
        for (; i < src.width; ++i) {
            const uint32_t s = read(s0 + i);
            const uint32_t dp = d[i];
            const uint32_t sa = pixel::Alpha(s);
            uint32_t add[3];
            for (int c = 0; c < 3; ++c) {
                const uint32_t sc = (s >> (16 - 8 * c)) & 0xFF;
                if (white)
                    add[c] = translucent ? (sc * sa) >> 8 : sc;
                else if (!translucent)
                    add[c] = (sc * t[c]) >> 8;
                else if (c < 2)
                    add[c] = (sc * t[c] * sa) >> 16;
                else
                    add[c] = (((sc * t[c]) >> 8) * sa) >> 8;
            }
            d[i] = (dp & 0xFF000000) | (pixel::SatAdd((dp >> 16) & 0xFF, add[0]) << 16) |
                   (pixel::SatAdd((dp >> 8) & 0xFF, add[1]) << 8) | pixel::SatAdd(dp & 0xFF, add[2]);
        }
    }
}

} // namespace

void MemoryImage::BlitImage(Image* source, int x, int y, const Rect& sourceRect, const Color& tint, int drawMode)
{
    if (!source)
        return;
    source->SetDrawnFrom(true);
    auto* src = dynamic_cast<MemoryImage*>(source);
    if (!src || (drawMode != DrawMode::Normal && drawMode != DrawMode::Additive))
        return;

    Rect r = sourceRect;
    const bool palettized = src->palette_ && src->indices_;
    const uint32_t* srcBits = palettized ? nullptr : src->RequireBits();
    uint32_t* dst = RequireBits();
    if (ClipBlit(x, y, r, src->width_, src->height_, width_, height_)) {
        const BitsReader bitsReader{srcBits};
        const PaletteReader paletteReader{src->palette_.get(), src->indices_.get()};
        if (drawMode == DrawMode::Normal) {
            if (!hasTrans_ && !hasAlpha_ && tint == Color::White) {
                const uint8_t* runs = src->RequireRLAlpha();
                if (palettized)
                    BlitRuns(dst, width_, paletteReader, runs, src->width_, x, y, r, src == this);
                else
                    BlitRuns(dst, width_, bitsReader, runs, src->width_, x, y, r, src == this);
            } else if (palettized) {
                BlitBlend(dst, width_, paletteReader, src->width_, x, y, r, tint);
            } else {
                BlitBlend(dst, width_, bitsReader, src->width_, x, y, r, tint);
            }
        } else if (palettized) {
            BlitAdd(dst, width_, paletteReader, src->width_, x, y, r, tint, src->hasAlpha_);
        } else {
            BlitAdd(dst, width_, bitsReader, src->width_, x, y, r, tint, src->hasAlpha_);
        }
    }
    MarkBitsChanged();
}

} // namespace Zolt
