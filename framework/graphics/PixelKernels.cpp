#include "framework/graphics/PixelKernels.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define ZOLT_WIDE_KERNELS 1
#endif

namespace Zolt::pixel {

#if defined(ZOLT_WIDE_KERNELS)

bool HasWideKernels()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

namespace {

// The same arithmetic as BlendPair4, eight pixels at a time.
__attribute__((target("avx2"))) inline __m256i BlendPair8(__m256i d, __m256i rbS, __m256i gS, __m256i inv)
{
    const __m256i rbMask = _mm256_set1_epi32(0x00FF00FF);
    const __m256i inv2 = _mm256_or_si256(inv, _mm256_slli_epi32(inv, 16));
    const __m256i rbD = _mm256_srli_epi32(_mm256_mullo_epi16(_mm256_and_si256(d, rbMask), inv2), 8);
    const __m256i rb = _mm256_and_si256(_mm256_add_epi32(rbD, rbS), rbMask);
    const __m256i gD = _mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi32(d, 8), _mm256_set1_epi32(0xFF)), inv);
    const __m256i g = _mm256_and_si256(_mm256_add_epi32(gD, gS), _mm256_set1_epi32(0xFF00));
    return _mm256_or_si256(rb, g);
}

__attribute__((target("avx2"))) inline __m256i Load8(const uint32_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) inline void Store8(uint32_t* p, __m256i v)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

} // namespace

__attribute__((target("avx2"))) int FillOverOpaqueWide(uint32_t* d, int count, uint32_t colour, uint32_t alpha)
{
    const __m256i inv = _mm256_set1_epi32(static_cast<int>(256 - alpha));
    const __m256i rbS = _mm256_set1_epi32(static_cast<int>(((colour & 0xFF00FF) * alpha) >> 8));
    const __m256i gS = _mm256_set1_epi32(static_cast<int>(((colour & 0xFF00) * alpha) >> 8));
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i v = Load8(d + i);
        // All eight alpha bytes 255 exactly when their AND is.
        if (!_mm256_testc_si256(v, opaque))
            break;
        Store8(d + i, _mm256_or_si256(BlendPair8(v, rbS, gS, inv), opaque));
    }
    return i;
}

__attribute__((target("avx2"))) int BlendOwnAlphaWide(uint32_t* d, const uint32_t* s, int count)
{
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    const __m256i rbMask = _mm256_set1_epi32(0x00FF00FF);
    const __m256i k256 = _mm256_set1_epi32(256);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i sv = Load8(s + i);
        const __m256i w = _mm256_srli_epi32(sv, 24);
        const __m256i w2 = _mm256_or_si256(w, _mm256_slli_epi32(w, 16));
        const __m256i rbS = _mm256_srli_epi32(_mm256_mullo_epi16(_mm256_and_si256(sv, rbMask), w2), 8);
        const __m256i gS = _mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi32(sv, 8), _mm256_set1_epi32(0xFF)), w);
        Store8(d + i, _mm256_or_si256(BlendPair8(Load8(d + i), rbS, gS, _mm256_sub_epi32(k256, w)), opaque));
    }
    return i;
}

namespace {

template <bool Translucent>
__attribute__((target("avx2"))) int AddGroups(uint32_t* d, const uint32_t* s, int count)
{
    const __m256i rgb = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i zero = _mm256_setzero_si256();
    // Repeats each pixel's alpha word over its four channel words.
    const __m256i alphaWords = _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15, 6, 7, 6, 7, 6,
                                                7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        __m256i sv = Load8(s + i);
        if constexpr (Translucent) {
            __m256i lo = _mm256_unpacklo_epi8(sv, zero), hi = _mm256_unpackhi_epi8(sv, zero);
            lo = _mm256_srli_epi16(_mm256_mullo_epi16(lo, _mm256_shuffle_epi8(lo, alphaWords)), 8);
            hi = _mm256_srli_epi16(_mm256_mullo_epi16(hi, _mm256_shuffle_epi8(hi, alphaWords)), 8);
            sv = _mm256_packus_epi16(lo, hi);
        }
        Store8(d + i, _mm256_adds_epu8(Load8(d + i), _mm256_and_si256(sv, rgb)));
    }
    return i;
}

} // namespace

__attribute__((target("avx2"))) int AddWide(uint32_t* d, const uint32_t* s, int count, bool translucent)
{
    return translucent ? AddGroups<true>(d, s, count) : AddGroups<false>(d, s, count);
}

__attribute__((target("avx2"))) void AddRectWide(uint32_t* d, int dStride, const uint32_t* s, int sStride, int width,
                                                 int height, bool translucent)
{
    for (int y = 0; y < height; ++y, d += dStride, s += sStride) {
        int i = AddWide(d, s, width, translucent);
        for (; i < width; ++i) {
            const uint32_t sp = s[i], dp = d[i];
            uint32_t out = dp & 0xFF000000;
            for (int shift = 0; shift <= 16; shift += 8) {
                uint32_t c = (sp >> shift) & 0xFF;
                if (translucent)
                    c = (c * (sp >> 24)) >> 8;
                const uint32_t sum = ((dp >> shift) & 0xFF) + c;
                out |= (sum > 255 ? 255 : sum) << shift;
            }
            d[i] = out;
        }
    }
}

#else

bool HasWideKernels() { return false; }
void AddRectWide(uint32_t*, int, const uint32_t*, int, int, int, bool) {}
int FillOverOpaqueWide(uint32_t*, int, uint32_t, uint32_t) { return 0; }
int BlendOwnAlphaWide(uint32_t*, const uint32_t*, int) { return 0; }
int AddWide(uint32_t*, const uint32_t*, int, bool) { return 0; }

#endif

} // namespace Zolt::pixel
