// Stretched blits of the memory image: nearest sample (quick) and the
// two-pass box/linear filter.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PixelMath.h"
#include "framework/graphics/PixelSimd.h"
#include "framework/graphics/StretchMapping.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

namespace Zolt {

namespace {

int Trunc(double v) { return static_cast<int>(v); }

// Four channel sums of one filter cell (blue, green, red, alpha).
#if defined(ZOLT_PIXEL_SIMD)
struct Sum4 {
    __m128i v = _mm_setzero_si128();

    static Sum4 Of(uint32_t p)
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i bytes = _mm_cvtsi32_si128(static_cast<int>(p));
        return Sum4{_mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero)};
    }
    // Adds a pixel's channels times w; every product is below 2^16 (255 x
    // 257 at most), so a 16-bit multiply is exact.
    void Add(const Sum4& pixel, uint32_t w) { v = _mm_add_epi32(v, _mm_mullo_epi16(pixel.v, _mm_set1_epi32(static_cast<int>(w)))); }
    void Add(uint32_t p, uint32_t w) { Add(Of(p), w); }
    // Adds sums below 2^16 times w (at most 256): a full 32-bit product
    // from its low and high 16-bit halves.
    void AddWide(const Sum4& s, uint32_t w)
    {
        const __m128i wv = _mm_set1_epi32(static_cast<int>(w));
        const __m128i lo = _mm_mullo_epi16(s.v, wv), hi = _mm_mulhi_epu16(s.v, wv);
        v = _mm_add_epi32(v, _mm_add_epi32(lo, _mm_slli_epi32(hi, 16)));
    }
    // The top 16 bits of each sum: blue, green, red, alpha.
    void High(uint32_t out[4]) const
    {
        alignas(16) uint32_t lanes[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), _mm_srli_epi32(v, 16));
        for (int i = 0; i < 4; ++i)
            out[i] = lanes[i];
    }
};
// Composes two filtered pixels onto out[0..1] (out[0] only when single):
// channel (c x a) >> 8 plus (d x (256 - a)) >> 8, alpha dA + (255 - dA) x a
// / 255, with c and a the top 16 bits of the sums. An alpha of 0 leaves the
// pixel as it was, as it must.
inline void Compose2(uint32_t* out, __m128i c16, bool single)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i a16 = _mm_shufflehi_epi16(_mm_shufflelo_epi16(c16, 0xFF), 0xFF);
    const __m128i dBytes = single ? _mm_cvtsi32_si128(static_cast<int>(out[0]))
                                  : _mm_loadl_epi64(reinterpret_cast<const __m128i*>(out));
    const __m128i d16 = _mm_unpacklo_epi8(dBytes, zero);
    const __m128i k255 = _mm_set1_epi16(255);
    const __m128i colour = _mm_add_epi16(
        _mm_srli_epi16(_mm_mullo_epi16(c16, a16), 8),
        _mm_srli_epi16(_mm_mullo_epi16(d16, _mm_sub_epi16(_mm_set1_epi16(256), a16)), 8));
    // x / 255 for x up to 65025 as (x + 1 + (x >> 8)) >> 8.
    const __m128i x = _mm_mullo_epi16(_mm_sub_epi16(k255, d16), a16);
    const __m128i div = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_srli_epi16(x, 8)), 8);
    const __m128i alpha = _mm_add_epi16(d16, div);
    const __m128i alphaLanes = _mm_setr_epi16(0, 0, 0, -1, 0, 0, 0, -1);
    const __m128i merged = _mm_or_si128(_mm_andnot_si128(alphaLanes, colour), _mm_and_si128(alphaLanes, alpha));
    const __m128i bytes = _mm_packus_epi16(merged, zero);
    if (single)
        out[0] = static_cast<uint32_t>(_mm_cvtsi128_si32(bytes));
    else
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
}
inline void Compose2(uint32_t* out, const Sum4& first, const Sum4& second, bool single = false)
{
    Compose2(out, _mm_packs_epi32(_mm_srli_epi32(first.v, 16), _mm_srli_epi32(second.v, 16)), single);
}
#else
struct Sum4 {
    uint32_t c[4] = {0, 0, 0, 0};

    static Sum4 Of(uint32_t p) { return Sum4{{p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF, p >> 24}}; }
    void Add(const Sum4& pixel, uint32_t w)
    {
        for (int i = 0; i < 4; ++i)
            c[i] += pixel.c[i] * w;
    }
    void Add(uint32_t p, uint32_t w) { Add(Of(p), w); }
    void AddWide(const Sum4& s, uint32_t w) { Add(s, w); }
    void High(uint32_t out[4]) const
    {
        for (int i = 0; i < 4; ++i)
            out[i] = c[i] >> 16;
    }
};
#endif

// Where one output cell of a pass takes its input: two input indices with
// weights (enlarging), or spread input cells (reducing, see Spread).
struct Tap {
    int first;
    int second;
    uint32_t weight;       // of first
    uint32_t secondWeight; // of second
};

// Enlarging: output i (0-based) samples at origin + i x step between two
// neighbours of the area [lo, hi]; weights sum to `total`.
std::vector<Tap> EnlargeTaps(double origin, double length, int outCount, int lo, int hi, uint32_t total)
{
    std::vector<Tap> taps(static_cast<size_t>(outCount));
    const double step = outCount == 1 ? length : (length - 1) / (outCount - 1);
    for (int i = 0; i < outCount; ++i) {
        const double p = origin + i * step;
        const int x = Trunc(p);
        const uint32_t wt = static_cast<uint32_t>(Trunc((1 - (p - x)) * total));
        // Neighbours past the area repeat its edge: the filter never reads
        // outside the source area.
        taps[static_cast<size_t>(i)] = {std::clamp(x, lo, hi), std::clamp(x + 1, lo, hi), wt, total - wt};
    }
    return taps;
}

// Reducing: input cell i of the area spreads over one or two output cells
// (indices are buffer cells, output cell c being buffer cell c + 1).
struct Spread {
    int cellA;
    uint32_t weightA;
    int cellB; // -1 when the input falls in one cell
    uint32_t weightB;
};

std::vector<Spread> ReduceSpreads(double origin, double length, int outCount, int areaStart, int areaCount)
{
    std::vector<Spread> spreads(static_cast<size_t>(areaCount));
    const double r = outCount / length;
    for (int i = 0; i < areaCount; ++i) {
        const double a = (areaStart + i - origin) * r + 1.0;
        const double b = a + r;
        const double fa = std::floor(a), fb = std::floor(b);
        Spread& s = spreads[static_cast<size_t>(i)];
        if (fa == fb) {
            s = {static_cast<int>(fa), static_cast<uint32_t>(Trunc(r * 256)), -1, 0};
        } else {
            s = {static_cast<int>(fa), static_cast<uint32_t>(Trunc((fb - a) * 256)), static_cast<int>(fb),
                 static_cast<uint32_t>(Trunc((b - fb) * 256))};
        }
    }
    return spreads;
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
// Enlarging both ways from ARGB bits, with the sums of the horizontal pass
// kept as four 16-bit channels per cell (they never pass 255 x 257), so
// that two cells share a register; the vertical pass forms the 32-bit sums
// from 16-bit halves and composes right away. The same arithmetic as the
// general pass.
// One register in a container (vectors of the raw type lose its alignment
// attribute).
struct Lanes {
    __m128i v;
};

void FilteredEnlarge(uint32_t* dst, int dstW, const uint32_t* bits, int srcW, int ix, int iw,
                     const std::vector<Tap>& tapsX, const std::vector<Tap>& tapsY, const Rect& d)
{
    const int pairs = (d.width + 1) / 2;
    // Weights of each pair of output columns: first taps and second taps.
    std::vector<Lanes> weightA(static_cast<size_t>(pairs)), weightB(static_cast<size_t>(pairs));
    auto tapAt = [&](int c) -> const Tap& { return tapsX[static_cast<size_t>(std::min(c, d.width - 1))]; };
    for (int k = 0; k < pairs; ++k) {
        const Tap& t0 = tapAt(2 * k);
        const Tap& t1 = tapAt(2 * k + 1);
        weightA[static_cast<size_t>(k)].v = _mm_setr_epi16(
            short(t0.weight), short(t0.weight), short(t0.weight), short(t0.weight), short(t1.weight),
            short(t1.weight), short(t1.weight), short(t1.weight));
        weightB[static_cast<size_t>(k)].v = _mm_setr_epi16(
            short(t0.secondWeight), short(t0.secondWeight), short(t0.secondWeight), short(t0.secondWeight),
            short(t1.secondWeight), short(t1.secondWeight), short(t1.secondWeight), short(t1.secondWeight));
    }
    const __m128i zero = _mm_setzero_si128();
    std::vector<uint64_t> pixels16(static_cast<size_t>(iw) + 1);
    std::vector<Lanes> rows[2] = {std::vector<Lanes>(static_cast<size_t>(pairs)),
                                    std::vector<Lanes>(static_cast<size_t>(pairs))};
    int rowIndex[2] = {-1, -1};
    auto horizontal = [&](int sy, std::vector<Lanes>& out) {
        const uint32_t* row = bits + static_cast<size_t>(sy) * srcW + ix;
        int i = 0;
        for (; i + 2 <= iw; i += 2)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(&pixels16[static_cast<size_t>(i)]),
                             _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + i)), zero));
        for (; i < iw; ++i)
            _mm_storel_epi64(reinterpret_cast<__m128i*>(&pixels16[static_cast<size_t>(i)]),
                             _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(row[i])), zero));
        auto at = [&](int x) {
            return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&pixels16[static_cast<size_t>(x - ix)]));
        };
        for (int k = 0; k < pairs; ++k) {
            const Tap& t0 = tapAt(2 * k);
            const Tap& t1 = tapAt(2 * k + 1);
            const __m128i a = _mm_unpacklo_epi64(at(t0.first), at(t1.first));
            const __m128i b = _mm_unpacklo_epi64(at(t0.second), at(t1.second));
            out[static_cast<size_t>(k)].v = _mm_add_epi16(_mm_mullo_epi16(a, weightA[static_cast<size_t>(k)].v),
                                                          _mm_mullo_epi16(b, weightB[static_cast<size_t>(k)].v));
        }
    };
    auto rowOf = [&](int sy) -> const std::vector<Lanes>& {
        for (int k = 0; k < 2; ++k)
            if (rowIndex[k] == sy)
                return rows[k];
        const int slot = rowIndex[0] < rowIndex[1] ? 0 : 1;
        horizontal(sy, rows[slot]);
        rowIndex[slot] = sy;
        return rows[slot];
    };
    for (int j = 0; j < d.height; ++j) {
        const Tap& t = tapsY[static_cast<size_t>(j)];
        const Lanes* upper = rowOf(t.first).data();
        const Lanes* lower = rowOf(t.second).data();
        const __m128i wu = _mm_set1_epi16(short(t.weight)), wl = _mm_set1_epi16(short(t.secondWeight));
        uint32_t* out = dst + static_cast<size_t>(d.y + j) * dstW + d.x;
        for (int k = 0; k < pairs; ++k) {
            const __m128i hu = upper[k].v, hl = lower[k].v;
            const __m128i luLo = _mm_mullo_epi16(hu, wu), luHi = _mm_mulhi_epu16(hu, wu);
            const __m128i llLo = _mm_mullo_epi16(hl, wl), llHi = _mm_mulhi_epu16(hl, wl);
            const __m128i v0 = _mm_add_epi32(_mm_unpacklo_epi16(luLo, luHi), _mm_unpacklo_epi16(llLo, llHi));
            const __m128i v1 = _mm_add_epi32(_mm_unpackhi_epi16(luLo, luHi), _mm_unpackhi_epi16(llLo, llHi));
            const __m128i c16 = _mm_packs_epi32(_mm_srli_epi32(v0, 16), _mm_srli_epi32(v1, 16));
            Compose2(out + 2 * k, c16, 2 * k + 1 >= d.width);
        }
    }
}
#endif

#if defined(ZOLT_PIXEL_SIMD)
// Reducing both ways from ARGB bits: the horizontal sums stay below 2^16
// (the weights into one cell add up to at most 256), so each cell is four
// 16-bit channels and two cells share a register in the vertical pass. The
// same arithmetic as the general pass.
void FilteredReduce(uint32_t* dst, int dstW, const uint32_t* bits, int srcW, int ix, int iy, int iw, int ih,
                    const std::vector<Spread>& spreadX, const std::vector<Spread>& spreadY, const Rect& d)
{
    const int cells = d.width + 4;
    const int pairs = (cells + 1) / 2;
    const int rowsOut = d.height + 4;
    const __m128i zero = _mm_setzero_si128();
    // Per source column: its weights as four 16-bit copies, and its cells
    // (-1 where a part falls outside the buffer or weighs nothing).
    struct Column {
        int cellA, cellB;
        __m128i wA, wB;
    };
    std::vector<Column> columns(static_cast<size_t>(iw));
    for (int i = 0; i < iw; ++i) {
        const Spread& sp = spreadX[static_cast<size_t>(i)];
        Column& c = columns[static_cast<size_t>(i)];
        c.cellA = sp.cellA >= 0 && sp.cellA < cells ? sp.cellA : -1;
        c.cellB = sp.weightB != 0 && sp.cellB >= 0 && sp.cellB < cells ? sp.cellB : -1;
        c.wA = _mm_set1_epi16(short(sp.weightA));
        c.wB = _mm_set1_epi16(short(sp.weightB));
    }
    std::vector<uint64_t> h(static_cast<size_t>(pairs) * 2);
    std::vector<Lanes> vertical(static_cast<size_t>(rowsOut) * pairs * 2);
    for (int r = 0; r < ih; ++r) {
        std::fill(h.begin(), h.end(), 0);
        const uint32_t* row = bits + static_cast<size_t>(iy + r) * srcW + ix;
        for (int i = 0; i < iw; ++i) {
            const Column& c = columns[static_cast<size_t>(i)];
            const __m128i p16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(row[i])), zero);
            if (c.cellA >= 0) {
                __m128i* cell = reinterpret_cast<__m128i*>(&h[static_cast<size_t>(c.cellA)]);
                _mm_storel_epi64(cell, _mm_add_epi16(_mm_loadl_epi64(cell), _mm_mullo_epi16(p16, c.wA)));
            }
            if (c.cellB >= 0) {
                __m128i* cell = reinterpret_cast<__m128i*>(&h[static_cast<size_t>(c.cellB)]);
                _mm_storel_epi64(cell, _mm_add_epi16(_mm_loadl_epi64(cell), _mm_mullo_epi16(p16, c.wB)));
            }
        }
        const Spread& sp = spreadY[static_cast<size_t>(r)];
        for (int part = 0; part < 2; ++part) {
            const int target = part == 0 ? sp.cellA : sp.cellB;
            const uint32_t w = part == 0 ? sp.weightA : sp.weightB;
            if (w == 0 || target < 0 || target >= rowsOut)
                continue;
            const __m128i wv = _mm_set1_epi16(short(w));
            Lanes* v = vertical.data() + static_cast<size_t>(target) * pairs * 2;
            for (int k = 0; k < pairs; ++k) {
                const __m128i hv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&h[static_cast<size_t>(2 * k)]));
                const __m128i lo = _mm_mullo_epi16(hv, wv), hi = _mm_mulhi_epu16(hv, wv);
                v[2 * k].v = _mm_add_epi32(v[2 * k].v, _mm_unpacklo_epi16(lo, hi));
                v[2 * k + 1].v = _mm_add_epi32(v[2 * k + 1].v, _mm_unpackhi_epi16(lo, hi));
            }
        }
    }
    for (int j = 0; j < d.height; ++j) {
        const Lanes* v = vertical.data() + static_cast<size_t>(j + 1) * pairs * 2;
        uint32_t* out = dst + static_cast<size_t>(d.y + j) * dstW + d.x;
        for (int c = 0; c < d.width; c += 2) {
            const __m128i c16 = _mm_packs_epi32(_mm_srli_epi32(v[c + 1].v, 16), _mm_srli_epi32(v[c + 2].v, 16));
            Compose2(out + c, c16, c + 1 >= d.width);
        }
    }
}
#endif

// The box/linear filter of one stretched blit in its two passes: each source
// row is filtered horizontally into output columns (with linear taps when
// enlarging, spread into box cells when reducing), then the rows are
// combined vertically the same way and each output row is laid over the
// destination. Buffers hold `cells` sums per row; output column c is cell
// c + 1, so reductions can spill one cell on either side.
template <typename Reader>
class FilterPasses {
public:
    FilterPasses(uint32_t* dst, int dstW, const Reader& read, int srcW, int ix, int iw, const DoubleRect& s,
                 const Rect& d)
        : dst_(dst), dstW_(dstW), read_(read), srcW_(srcW), ix_(ix), iw_(iw), d_(d), cells_(d.width + 4),
          enlargeX_(d.width >= s.width), unpacked_(static_cast<size_t>(iw))
    {
        if (enlargeX_)
            tapsX_ = EnlargeTaps(s.x, s.width, d.width, ix, ix + iw - 1, 257);
        else
            spreadX_ = ReduceSpreads(s.x, s.width, d.width, ix, iw);
    }

    bool EnlargesX() const { return enlargeX_; }
    const std::vector<Tap>& TapsX() const { return tapsX_; }
    const std::vector<Spread>& SpreadX() const { return spreadX_; }

    // Enlarging vertically: every output row mixes two source rows.
    void EnlargeRows(const std::vector<Tap>& tapsY)
    {
        // Rows are visited in order, so two cached horizontal rows suffice.
        std::vector<Sum4> rows[2];
        int rowIndex[2] = {-1, -1};
        auto rowOf = [&](int sy) -> const std::vector<Sum4>& {
            for (int k = 0; k < 2; ++k)
                if (rowIndex[k] == sy)
                    return rows[k];
            const int slot = rowIndex[0] < rowIndex[1] ? 0 : 1;
            Horizontal(sy, rows[slot]);
            rowIndex[slot] = sy;
            return rows[slot];
        };
        std::vector<Sum4> line(static_cast<size_t>(cells_));
        for (int j = 0; j < d_.height; ++j) {
            const Tap& t = tapsY[static_cast<size_t>(j)];
            const std::vector<Sum4>& upper = rowOf(t.first);
            const std::vector<Sum4>& lower = rowOf(t.second);
            for (int c = 1; c <= d_.width; ++c) {
                Sum4 v;
                v.AddWide(upper[static_cast<size_t>(c)], t.weight);
                v.AddWide(lower[static_cast<size_t>(c)], t.secondWeight);
                line[static_cast<size_t>(c)] = v;
            }
            Compose(j, line.data());
        }
    }

    // Reducing vertically: every source row spreads into one or two output
    // rows.
    void ReduceRows(const std::vector<Spread>& spreadY, int iy, int ih)
    {
        const int rowsOut = d_.height + 4;
        std::vector<Sum4> vertical(static_cast<size_t>(rowsOut) * cells_);
        std::vector<Sum4> hrow;
        for (int i = 0; i < ih; ++i) {
            Horizontal(iy + i, hrow);
            const Spread& sp = spreadY[static_cast<size_t>(i)];
            for (int part = 0; part < 2; ++part) {
                const int cell = part == 0 ? sp.cellA : sp.cellB;
                const uint32_t w = part == 0 ? sp.weightA : sp.weightB;
                if (w == 0 || cell < 0 || cell >= rowsOut)
                    continue;
                Sum4* v = vertical.data() + static_cast<size_t>(cell) * cells_;
                for (int c = 0; c < cells_; ++c)
                    v[c].AddWide(hrow[static_cast<size_t>(c)], w);
            }
        }
        for (int j = 0; j < d_.height; ++j)
            Compose(j, vertical.data() + static_cast<size_t>(j + 1) * cells_);
    }

private:
    // The horizontal pass of source row `sy` into `cells_` sums.
    void Horizontal(int sy, std::vector<Sum4>& out)
    {
        out.assign(static_cast<size_t>(cells_), Sum4{});
        const size_t row = static_cast<size_t>(sy) * srcW_ + ix_;
        for (int i = 0; i < iw_; ++i)
            unpacked_[static_cast<size_t>(i)] = Sum4::Of(read_(row + i));
        if (enlargeX_) {
            for (int c = 0; c < d_.width; ++c) {
                const Tap& t = tapsX_[static_cast<size_t>(c)];
                Sum4& o = out[static_cast<size_t>(c + 1)];
                o.Add(unpacked_[static_cast<size_t>(t.first - ix_)], t.weight);
                o.Add(unpacked_[static_cast<size_t>(t.second - ix_)], t.secondWeight);
            }
            return;
        }
        for (int i = 0; i < iw_; ++i) {
            const Spread& sp = spreadX_[static_cast<size_t>(i)];
            const Sum4& p = unpacked_[static_cast<size_t>(i)];
            if (sp.cellA >= 0 && sp.cellA < cells_)
                out[static_cast<size_t>(sp.cellA)].Add(p, sp.weightA);
            if (sp.weightB != 0 && sp.cellB >= 0 && sp.cellB < cells_)
                out[static_cast<size_t>(sp.cellB)].Add(p, sp.weightB);
        }
    }

    // Lays output row j (its sums from cell 1 on) over the destination.
    void Compose(int j, const Sum4* sums)
    {
        uint32_t* out = dst_ + static_cast<size_t>(d_.y + j) * dstW_ + d_.x;
#if defined(ZOLT_PIXEL_SIMD)
        int c = 0;
        for (; c + 2 <= d_.width; c += 2)
            Compose2(out + c, sums[c + 1], sums[c + 2]);
        if (c < d_.width)
            Compose2(out + c, sums[c + 1], Sum4{}, true);
#else
        for (int c = 0; c < d_.width; ++c) {
            uint32_t v[4];
            sums[c + 1].High(v);
            const uint32_t a = v[3];
            if (a == 0)
                continue;
            const uint32_t dp = out[c];
            const uint32_t dA = dp >> 24;
            const uint32_t r = ((v[2] * a) >> 8) + ((((dp >> 16) & 0xFF) * (256 - a)) >> 8);
            const uint32_t g = ((v[1] * a) >> 8) + ((((dp >> 8) & 0xFF) * (256 - a)) >> 8);
            const uint32_t b = ((v[0] * a) >> 8) + (((dp & 0xFF) * (256 - a)) >> 8);
            const uint32_t outA = dA + (255 - dA) * a / 255;
            out[c] = (outA << 24) | (std::min<uint32_t>(r, 255) << 16) | (std::min<uint32_t>(g, 255) << 8) |
                     std::min<uint32_t>(b, 255);
        }
#endif
    }

    uint32_t* dst_;
    int dstW_;
    const Reader& read_;
    int srcW_;
    int ix_;
    int iw_;
    Rect d_;
    int cells_;
    bool enlargeX_;
    std::vector<Tap> tapsX_;
    std::vector<Spread> spreadX_;
    std::vector<Sum4> unpacked_;
};

template <typename Reader>
void FilteredStretch(uint32_t* dst, int dstW, const Reader& read, int srcW, int srcH, const DoubleRect& s,
                     const Rect& d)
{
    // The source pixels the rectangle touches, inside the image.
    int ix = static_cast<int>(std::floor(s.x));
    int iy = static_cast<int>(std::floor(s.y));
    int iw = static_cast<int>(std::ceil(s.x - ix + s.width));
    int ih = static_cast<int>(std::ceil(s.y - iy + s.height));
    ix = std::max(ix, 0);
    iy = std::max(iy, 0);
    iw = std::min(iw, srcW - ix);
    ih = std::min(ih, srcH - iy);
    if (iw < 1 || ih < 1 || d.width < 1 || d.height < 1)
        return;

    FilterPasses<Reader> passes(dst, dstW, read, srcW, ix, iw, s, d);
    const bool enlargeY = d.height >= s.height;
#if defined(ZOLT_PIXEL_SIMD)
    if constexpr (std::is_same_v<Reader, BitsReader>) {
        if (passes.EnlargesX() && enlargeY) {
            FilteredEnlarge(dst, dstW, read.bits, srcW, ix, iw, passes.TapsX(),
                            EnlargeTaps(s.y, s.height, d.height, iy, iy + ih - 1, 256), d);
            return;
        }
        if (!passes.EnlargesX() && !enlargeY) {
            FilteredReduce(dst, dstW, read.bits, srcW, ix, iy, iw, ih, passes.SpreadX(),
                           ReduceSpreads(s.y, s.height, d.height, iy, ih), d);
            return;
        }
    }
#endif
    if (enlargeY)
        passes.EnlargeRows(EnlargeTaps(s.y, s.height, d.height, iy, iy + ih - 1, 256));
    else
        passes.ReduceRows(ReduceSpreads(s.y, s.height, d.height, iy, ih), iy, ih);
}

} // namespace

void MemoryImage::BlitImageStretched(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clip,
                                     const Color& tint, int, bool quickStretch)
{
    if (!source)
        return;
    source->SetDrawnFrom(true);
    DoubleRect s;
    Rect d;
    // The clip is kept inside this image so that no write can leave it.
    const Rect inside = clip.Intersection(Rect(0, 0, width_, height_));
    if (!MapStretchRects(sourceRect, inside, destRect, s, d))
        return;
    auto* src = dynamic_cast<MemoryImage*>(source);
    if (!src)
        return;
    uint32_t* dst = RequireBits();
    if (src->width_ > 0 && src->height_ > 0 && d.width > 0 && d.height > 0) {
        if (quickStretch) {
            if (tint == Color::White) {
                const uint32_t* bits = src->RequireBits();
                dst = RequireBits();
                const double stepX = s.width / d.width;
                const double stepY = s.height / d.height;
                double fy = s.y;
                for (int j = 0; j < d.height; ++j, fy += stepY) {
                    const int sy = std::clamp(Trunc(fy), 0, src->height_ - 1);
                    const uint32_t* srow = bits + static_cast<size_t>(sy) * src->width_;
                    uint32_t* out = dst + static_cast<size_t>(d.y + j) * width_ + d.x;
                    double fx = s.x;
                    for (int i = 0; i < d.width; ++i, fx += stepX) {
                        const uint32_t p = srow[std::clamp(Trunc(fx), 0, src->width_ - 1)];
                        const uint32_t a = p >> 24;
                        if (a != 0)
                            out[i] = pixel::OverChannels(out[i], p, a);
                    }
                }
            }
        } else if (src->palette_ && src->indices_) {
            FilteredStretch(dst, width_, PaletteReader{src->palette_.get(), src->indices_.get()}, src->width_,
                            src->height_, s, d);
        } else {
            const uint32_t* bits = src->RequireBits();
            dst = RequireBits();
            FilteredStretch(dst, width_, BitsReader{bits}, src->width_, src->height_, s, d);
        }
    }
    MarkBitsChanged();
}

} // namespace Zolt
