#include "platform/ddraw/PixelLayout.h"

#include <array>
#include <cstring>
#if defined(__SSE2__)
#include <immintrin.h>
#endif
#include <memory>
#include <mutex>
#include <vector>

namespace platform::ddraw {

namespace {

// One table per 16-bit layout seen: raw value -> ARGB. Built once, kept for
// the process (there are only a few layouts).
const uint32_t* TableFor16(const PixelLayout& layout)
{
    struct Entry {
        PixelLayout layout;
        std::unique_ptr<std::array<uint32_t, 65536>> table;
    };
    static std::mutex mutex;
    static std::vector<Entry> entries;
    std::lock_guard lock(mutex);
    for (const Entry& e : entries)
        if (e.layout.SameAs(layout)) return e.table->data();
    auto table = std::make_unique<std::array<uint32_t, 65536>>();
    for (uint32_t v = 0; v < 65536; ++v) (*table)[v] = layout.ToArgb(v);
    entries.push_back(Entry{layout, std::move(table)});
    return entries.back().table->data();
}

#if defined(__SSE2__)
// Eight 5-6-5 or 5-5-5 pixels at a time, each channel widened to eight bits
// with the rounding of PixelLayout::ToArgb: round(v x 255 / max) is
// (v x 527 + 23) >> 6 for five bits and (v x 259 + 33) >> 6 for six.
int ConvertRow16Sse2(const uint8_t* source, uint32_t* out, int count, bool green6)
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
// The same sixteen pixels at a time where the processor has AVX2.
__attribute__((target("avx2"))) int ConvertRow16Avx2(const uint8_t* source, uint32_t* out, int count, bool green6)
{
    const __m256i five = _mm256_set1_epi16(31);
    const __m256i greenMask = _mm256_set1_epi16(green6 ? 63 : 31);
    const __m256i scale5 = _mm256_set1_epi16(527), round5 = _mm256_set1_epi16(23);
    const __m256i greenScale = _mm256_set1_epi16(green6 ? 259 : 527);
    const __m256i greenRound = _mm256_set1_epi16(green6 ? 33 : 23);
    const __m256i alpha = _mm256_set1_epi16(int16_t(0xFF00));
    const int redShift = green6 ? 11 : 10;
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 2 * size_t(i)));
        const __m256i r = _mm256_and_si256(_mm256_srli_epi16(px, redShift), five);
        const __m256i g = _mm256_and_si256(_mm256_srli_epi16(px, 5), greenMask);
        const __m256i b = _mm256_and_si256(px, five);
        const __m256i r8 = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(r, scale5), round5), 6);
        const __m256i g8 = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(g, greenScale), greenRound), 6);
        const __m256i b8 = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(b, scale5), round5), 6);
        const __m256i gb = _mm256_or_si256(b8, _mm256_slli_epi16(g8, 8));
        const __m256i ar = _mm256_or_si256(r8, alpha);
        // The unpacks work within each half: pixels 0-3 and 8-11, 4-7 and 12-15.
        const __m256i low = _mm256_unpacklo_epi16(gb, ar);
        const __m256i high = _mm256_unpackhi_epi16(gb, ar);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_permute2x128_si256(low, high, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 8), _mm256_permute2x128_si256(low, high, 0x31));
    }
    return i;
}

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

int ConvertRow16Fast(const uint8_t* source, uint32_t* out, int count, bool green6)
{
    int done = 0;
#if defined(__x86_64__) && defined(__GNUC__)
    if (HasAvx2())
        done = ConvertRow16Avx2(source, out, count, green6);
#endif
    return done + ConvertRow16Sse2(source + 2 * size_t(done), out + done, count - done, green6);
}
#endif

} // namespace

void ConvertRowToArgb(const uint8_t* source, uint32_t* out, int count, const PixelLayout& layout)
{
    if (layout.bitsPerPixel == 32 && !layout.IsPalettised() && layout.alpha == 0) {
        if (layout.red == 0xFF0000 && layout.green == 0xFF00 && layout.blue == 0xFF) {
            // One pass, four pixels at a time: as fast as a copy.
            int i = 0;
#if defined(__SSE2__)
            const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
            for (; i + 4 <= count; i += 4) {
                const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * size_t(i)));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_or_si128(pixels, alpha));
            }
#endif
            for (; i < count; ++i) {
                uint32_t v;
                std::memcpy(&v, source + 4 * size_t(i), 4);
                out[i] = v | 0xFF000000u;
            }
            return;
        }
        if (layout.red == 0xFF && layout.green == 0xFF00 && layout.blue == 0xFF0000) {
            std::memcpy(out, source, size_t(count) * 4);
            for (int i = 0; i < count; ++i) {
                uint32_t v = out[i];
                out[i] = 0xFF000000u | (v & 0xFF00) | (v & 0xFF) << 16 | (v >> 16 & 0xFF);
            }
            return;
        }
    }
    if (layout.bitsPerPixel == 16) {
        int i = 0;
#if defined(__SSE2__)
        // The display's own 16-bit formats are worked out in registers: the
        // table's random reads cost more than the arithmetic.
        if (layout.SameAs(PixelLayout::Rgb565()) || layout.SameAs(PixelLayout::Rgb555()))
            i = ConvertRow16Fast(source, out, count, layout.green == 0x07E0);
#endif
        if (i < count) {
            const uint32_t* table = TableFor16(layout);
            for (; i < count; ++i) out[i] = table[LoadPixel(source + 2 * i, 2)];
        }
        return;
    }
    int bytes = layout.BytesPerPixel();
    for (int i = 0; i < count; ++i) out[i] = layout.ToArgb(LoadPixel(source + bytes * i, bytes));
}

} // namespace platform::ddraw
