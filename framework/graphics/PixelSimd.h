// Four-pixel forms of the blend arithmetic in PixelMath.h, bit for bit the
// same results. Red and blue share a 32-bit word as two 16-bit halves; each
// half times a weight of at most 256 stays below 2^16, so 16-bit multiplies
// give the exact 32-bit products, and the shifts and adds then run on the
// whole word as the scalar code does (carries included).
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#define ZOLT_PIXEL_SIMD 1
#endif

namespace Zolt::pixel {

#if defined(ZOLT_PIXEL_SIMD)

// Each 32-bit lane's low 16 bits copied into its high 16 bits.
inline __m128i Spread16(__m128i v) { return _mm_or_si128(v, _mm_slli_epi32(v, 16)); }

// BlendPair for four pixels with per-lane weights w (0..256, in the low 16
// bits of each lane; the high bits must be zero); alpha bits are 0.
inline __m128i BlendPair4(__m128i d, __m128i s, __m128i w)
{
    const __m128i rbMask = _mm_set1_epi32(0x00FF00FF);
    const __m128i byteMask = _mm_set1_epi32(0xFF);
    const __m128i inv = _mm_sub_epi32(_mm_set1_epi32(256), w);
    const __m128i w2 = Spread16(w), inv2 = Spread16(inv);
    const __m128i rbD = _mm_srli_epi32(_mm_mullo_epi16(_mm_and_si128(d, rbMask), inv2), 8);
    const __m128i rbS = _mm_srli_epi32(_mm_mullo_epi16(_mm_and_si128(s, rbMask), w2), 8);
    const __m128i rb = _mm_and_si128(_mm_add_epi32(rbD, rbS), rbMask);
    // ((x & 0xFF00) * k) >> 8 is green * k exactly.
    const __m128i gD = _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(d, 8), byteMask), inv);
    const __m128i gS = _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(s, 8), byteMask), w);
    const __m128i g = _mm_and_si128(_mm_add_epi32(gD, gS), _mm_set1_epi32(0xFF00));
    return _mm_or_si128(rb, g);
}

// BlendPair towards one fixed colour with one fixed weight: the colour's
// terms are worked out once.
class BlendToward4 {
public:
    BlendToward4(uint32_t colour, uint32_t w)
        : inv_(_mm_set1_epi32(static_cast<int>(256 - w))),
          inv2_(Spread16(inv_)),
          rbS_(_mm_set1_epi32(static_cast<int>(((colour & 0xFF00FF) * w) >> 8))),
          gS_(_mm_set1_epi32(static_cast<int>(((colour & 0xFF00) * w) >> 8)))
    {
    }
    __m128i operator()(__m128i d) const
    {
        const __m128i rbMask = _mm_set1_epi32(0x00FF00FF);
        const __m128i rbD = _mm_srli_epi32(_mm_mullo_epi16(_mm_and_si128(d, rbMask), inv2_), 8);
        const __m128i rb = _mm_and_si128(_mm_add_epi32(rbD, rbS_), rbMask);
        const __m128i gD = _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(d, 8), _mm_set1_epi32(0xFF)), inv_);
        const __m128i g = _mm_and_si128(_mm_add_epi32(gD, gS_), _mm_set1_epi32(0xFF00));
        return _mm_or_si128(rb, g);
    }

private:
    __m128i inv_, inv2_, rbS_, gS_;
};

// Lanes whose alpha byte is 255.
inline int OpaqueMask4(__m128i p)
{
    const __m128i a = _mm_srli_epi32(p, 24);
    return _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(a, _mm_set1_epi32(255))));
}

inline __m128i Load4(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store4(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

#endif

} // namespace Zolt::pixel
