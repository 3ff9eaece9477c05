#include "platform/ddraw/PixelLayout.h"

#include "platform/ddraw/SixteenBitRows.h"

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
        // The display's own 16-bit formats are worked out in registers: the
        // table's random reads cost more than the arithmetic.
        if (layout.SameAs(PixelLayout::Rgb565()) || layout.SameAs(PixelLayout::Rgb555())) {
            sixteen::ConvertRow(source, out, count, layout.green == 0x07E0);
            return;
        }
        const uint32_t* table = TableFor16(layout);
        for (int i = 0; i < count; ++i) out[i] = table[LoadPixel(source + 2 * i, 2)];
        return;
    }
    int bytes = layout.BytesPerPixel();
    for (int i = 0; i < count; ++i) out[i] = layout.ToArgb(LoadPixel(source + bytes * i, bytes));
}

} // namespace platform::ddraw
