#include "platform/ddraw/SixteenBitRows.h"

#include <cstddef>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace platform::ddraw::sixteen {

namespace {

// round(v x 255 / max) is (v x 527 + 23) >> 6 for five bits and
// (v x 259 + 33) >> 6 for six: the vector units use the same sums.
inline uint32_t Widen5(uint32_t v) { return (v * 527 + 23) >> 6; }
inline uint32_t Widen6(uint32_t v) { return (v * 259 + 33) >> 6; }

void ConvertScalar(const uint8_t* source, uint32_t* out, int count, bool green6)
{
    for (int i = 0; i < count; ++i) {
        const uint32_t raw = uint32_t(source[2 * i]) | uint32_t(source[2 * i + 1]) << 8;
        const uint32_t r = green6 ? raw >> 11 : raw >> 10 & 31;
        const uint32_t g = green6 ? Widen6(raw >> 5 & 63) : Widen5(raw >> 5 & 31);
        out[i] = 0xFF000000u | Widen5(r) << 16 | g << 8 | Widen5(raw & 31);
    }
}

#if defined(__SSE2__)
// Both streams are asked for 512 pixels ahead of the step, across the page
// ends where the processor's own prefetchers stop: the source into the
// first-level cache, the output lines into the second, where they are then
// held exclusively and the stores find them ready instead of each waiting on
// its line (between two presents the rest of a frame's work has usually
// pushed the last output out of the caches). Near a row's end this reaches into the next row's start, which is
// where a window's next row usually is. Hints only: they never fault, so
// they may run past the row.
constexpr uintptr_t kPrefetchPixels = 512;

inline void PrefetchAhead(const uint8_t* source, const uint32_t* out)
{
    _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(source) + 2 * kPrefetchPixels), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(out) + 4 * kPrefetchPixels), _MM_HINT_T1);
}

int ConvertSse2(const uint8_t* source, uint32_t* out, int count, bool green6)
{
    const __m128i five = _mm_set1_epi16(31);
    const __m128i greenMask = _mm_set1_epi16(green6 ? 63 : 31);
    const __m128i scale5 = _mm_set1_epi16(527), round5 = _mm_set1_epi16(23);
    const __m128i greenScale = _mm_set1_epi16(green6 ? 259 : 527);
    const __m128i greenRound = _mm_set1_epi16(green6 ? 33 : 23);
    const __m128i alpha = _mm_set1_epi16(int16_t(0xFF00));
    const int redShift = green6 ? 11 : 10;
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 2 * size_t(i)));
        const __m128i r = _mm_and_si128(_mm_srli_epi16(px, redShift), five);
        const __m128i g = _mm_and_si128(_mm_srli_epi16(px, 5), greenMask);
        const __m128i b = _mm_and_si128(px, five);
        const __m128i r8 = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(r, scale5), round5), 6);
        const __m128i g8 = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(g, greenScale), greenRound), 6);
        const __m128i b8 = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(b, scale5), round5), 6);
        const __m128i gb = _mm_or_si128(b8, _mm_slli_epi16(g8, 8));
        const __m128i ar = _mm_or_si128(r8, alpha);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi16(gb, ar));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 4), _mm_unpackhi_epi16(gb, ar));
    }
    return i;
}

#if defined(__x86_64__) && defined(__GNUC__)
#define PELLUCOR_WIDE_UNITS 1

struct Avx2Constants {
    __m256i five, greenMask, scale5, round5, greenScale, greenRound, alpha;
    int redShift;
};

__attribute__((target("avx2"))) inline Avx2Constants MakeAvx2Constants(bool green6)
{
    return Avx2Constants{_mm256_set1_epi16(31),
                         _mm256_set1_epi16(green6 ? 63 : 31),
                         _mm256_set1_epi16(527),
                         _mm256_set1_epi16(23),
                         _mm256_set1_epi16(green6 ? 259 : 527),
                         _mm256_set1_epi16(green6 ? 33 : 23),
                         _mm256_set1_epi16(int16_t(0xFF00)),
                         green6 ? 11 : 10};
}

// Sixteen pixels into two vectors of eight: pixels 0-7 and 8-15.
__attribute__((target("avx2"))) inline void WidenAvx2(const uint8_t* source, const Avx2Constants& c, __m256i& low,
                                                      __m256i& high)
{
    const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source));
    const __m256i r = _mm256_and_si256(_mm256_srli_epi16(px, c.redShift), c.five);
    const __m256i g = _mm256_and_si256(_mm256_srli_epi16(px, 5), c.greenMask);
    const __m256i b = _mm256_and_si256(px, c.five);
    const __m256i r8 = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(r, c.scale5), c.round5), 6);
    const __m256i g8 = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(g, c.greenScale), c.greenRound), 6);
    const __m256i b8 = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(b, c.scale5), c.round5), 6);
    const __m256i gb = _mm256_or_si256(b8, _mm256_slli_epi16(g8, 8));
    const __m256i ar = _mm256_or_si256(r8, c.alpha);
    // The unpacks work within each half: pixels 0-3 and 8-11, 4-7 and 12-15.
    const __m256i lows = _mm256_unpacklo_epi16(gb, ar);
    const __m256i highs = _mm256_unpackhi_epi16(gb, ar);
    low = _mm256_permute2x128_si256(lows, highs, 0x20);
    high = _mm256_permute2x128_si256(lows, highs, 0x31);
}

__attribute__((target("avx2"))) void ConvertAvx2(const uint8_t* source, uint32_t* out, int count, bool green6)
{
    const Avx2Constants c = MakeAvx2Constants(green6);
    int i = 0;
    __m256i low, high;
    for (; i + 16 <= count; i += 16) {
        WidenAvx2(source + 2 * size_t(i), c, low, high);
        PrefetchAhead(source + 2 * size_t(i), out + i);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), low);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 8), high);
    }
    i += ConvertSse2(source + 2 * size_t(i), out + i, count - i, green6);
    ConvertScalar(source + 2 * size_t(i), out + i, count - i, green6);
}

#define PELLUCOR_AVX512 __attribute__((target("avx512f,avx512bw")))

struct Avx512Constants {
    __m512i five, greenMask, scale5, round5, greenScale, greenRound, alpha, order;
    int redShift;
};

PELLUCOR_AVX512 inline Avx512Constants MakeAvx512Constants(bool green6)
{
    return Avx512Constants{_mm512_set1_epi16(31),
                           _mm512_set1_epi16(green6 ? 63 : 31),
                           _mm512_set1_epi16(527),
                           _mm512_set1_epi16(23),
                           _mm512_set1_epi16(green6 ? 259 : 527),
                           _mm512_set1_epi16(green6 ? 33 : 23),
                           _mm512_set1_epi16(int16_t(0xFF00)),
                           // Eight-byte groups 0, 4, 1, 5, 2, 6, 3, 7: each
                           // quarter then holds pixels n..n+3 and n+16..n+19,
                           // so the in-quarter unpacks below give the pixels
                           // in order.
                           _mm512_set_epi64(7, 3, 6, 2, 5, 1, 4, 0),
                           green6 ? 11 : 10};
}

// Thirty-two pixels into two vectors of sixteen: pixels 0-15 and 16-31.
PELLUCOR_AVX512 inline void WidenAvx512(__m512i pixels, const Avx512Constants& c, __m512i& low, __m512i& high)
{
    const __m512i px = _mm512_maskz_permutexvar_epi64(0xFF, c.order, pixels);
    const __m512i r = _mm512_and_si512(_mm512_srli_epi16(px, c.redShift), c.five);
    const __m512i g = _mm512_and_si512(_mm512_srli_epi16(px, 5), c.greenMask);
    const __m512i b = _mm512_and_si512(px, c.five);
    const __m512i r8 = _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(r, c.scale5), c.round5), 6);
    const __m512i g8 = _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(g, c.greenScale), c.greenRound), 6);
    const __m512i b8 = _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(b, c.scale5), c.round5), 6);
    const __m512i gb = _mm512_or_si512(b8, _mm512_slli_epi16(g8, 8));
    const __m512i ar = _mm512_or_si512(r8, c.alpha);
    low = _mm512_unpacklo_epi16(gb, ar);
    high = _mm512_unpackhi_epi16(gb, ar);
}

// Up to 32 pixels under a mask, with plain stores: a row's ends.
PELLUCOR_AVX512 inline void ConvertAvx512Part(const uint8_t* source, uint32_t* out, int count,
                                              const Avx512Constants& c)
{
    const __mmask32 pixels = count >= 32 ? ~0u : (1u << count) - 1u;
    __m512i low, high;
    WidenAvx512(_mm512_maskz_loadu_epi16(pixels, source), c, low, high);
    _mm512_mask_storeu_epi32(out, __mmask16(pixels), low);
    _mm512_mask_storeu_epi32(out + 16, __mmask16(pixels >> 16), high);
}

PELLUCOR_AVX512 void ConvertAvx512(const uint8_t* source, uint32_t* out, int count, bool green6)
{
    const Avx512Constants c = MakeAvx512Constants(green6);
    int i = 0;
    __m512i low, high;
    for (; i + 32 <= count; i += 32) {
        WidenAvx512(_mm512_loadu_si512(source + 2 * size_t(i)), c, low, high);
        // A step writes two output lines and reads one source line.
        PrefetchAhead(source + 2 * size_t(i), out + i);
        _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(out + i + 16) + 4 * kPrefetchPixels),
                     _MM_HINT_T1);
        _mm512_storeu_si512(out + i, low);
        _mm512_storeu_si512(out + i + 16, high);
    }
    if (i < count) ConvertAvx512Part(source + 2 * size_t(i), out + i, count - i, c);
}
#endif
#endif

std::vector<Unit> FindUnits()
{
    std::vector<Unit> units;
#if defined(PELLUCOR_WIDE_UNITS)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        units.push_back(Unit::Avx512);
    if (__builtin_cpu_supports("avx2")) units.push_back(Unit::Avx2);
#endif
#if defined(__SSE2__)
    units.push_back(Unit::Sse2);
#endif
    units.push_back(Unit::Scalar);
    return units;
}

} // namespace

const std::vector<Unit>& UnitsHere()
{
    static const std::vector<Unit> units = FindUnits();
    return units;
}

void ConvertRow(Unit unit, const uint8_t* source, uint32_t* out, int count, bool green6)
{
    int done = 0;
    switch (unit) {
#if defined(PELLUCOR_WIDE_UNITS)
    case Unit::Avx512: ConvertAvx512(source, out, count, green6); return;
    case Unit::Avx2: ConvertAvx2(source, out, count, green6); return;
#endif
#if defined(__SSE2__)
    case Unit::Sse2: done = ConvertSse2(source, out, count, green6); break;
#endif
    default: break;
    }
    ConvertScalar(source + 2 * size_t(done), out + done, count - done, green6);
}

void ConvertRow(const uint8_t* source, uint32_t* out, int count, bool green6)
{
    static const Unit best = UnitsHere().front();
    ConvertRow(best, source, out, count, green6);
}

} // namespace platform::ddraw::sixteen
