// Stretched blits of the memory image: nearest sample (quick) and the
// two-pass box/linear filter.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PixelMath.h"
#include "framework/graphics/StretchMapping.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Zolt {

namespace {

int Trunc(double v) { return static_cast<int>(v); }

// Four channel sums of one filter cell.
struct Sum4 {
    uint32_t b = 0, g = 0, r = 0, a = 0;

    void Add(uint32_t p, uint32_t w)
    {
        b += (p & 0xFF) * w;
        g += ((p >> 8) & 0xFF) * w;
        r += ((p >> 16) & 0xFF) * w;
        a += (p >> 24) * w;
    }
    void Add(const Sum4& s, uint32_t w)
    {
        b += s.b * w;
        g += s.g * w;
        r += s.r * w;
        a += s.a * w;
    }
};

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

template <typename Reader>
void FilteredStretch(uint32_t* dst, int dstW, const Reader& read, int srcW, int srcH, const DoubleRect& s,
                     const Rect& d)
{
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

    const int cells = d.width + 4; // buffer cells per row; output column c is cell c + 1
    const bool enlargeX = d.width >= s.width;
    const bool enlargeY = d.height >= s.height;
    std::vector<Tap> tapsX;
    std::vector<Spread> spreadX;
    if (enlargeX)
        tapsX = EnlargeTaps(s.x, s.width, d.width, ix, ix + iw - 1, 257);
    else
        spreadX = ReduceSpreads(s.x, s.width, d.width, ix, iw);

    // Horizontal pass of one source row into `cells` sums.
    auto horizontal = [&](int sy, std::vector<Sum4>& out) {
        out.assign(static_cast<size_t>(cells), Sum4{});
        const size_t row = static_cast<size_t>(sy) * srcW;
        if (enlargeX) {
            for (int c = 0; c < d.width; ++c) {
                const Tap& t = tapsX[static_cast<size_t>(c)];
                Sum4& o = out[static_cast<size_t>(c + 1)];
                o.Add(read(row + t.first), t.weight);
                o.Add(read(row + t.second), t.secondWeight);
            }
        } else {
            for (int i = 0; i < iw; ++i) {
                const Spread& sp = spreadX[static_cast<size_t>(i)];
                const uint32_t p = read(row + ix + i);
                if (sp.cellA >= 0 && sp.cellA < cells)
                    out[static_cast<size_t>(sp.cellA)].Add(p, sp.weightA);
                if (sp.cellB >= 0 && sp.cellB < cells)
                    out[static_cast<size_t>(sp.cellB)].Add(p, sp.weightB);
            }
        }
    };

    auto compose = [&](int j, const Sum4* sums) {
        uint32_t* out = dst + static_cast<size_t>(d.y + j) * dstW + d.x;
        for (int c = 0; c < d.width; ++c) {
            const Sum4& v = sums[c + 1];
            const uint32_t a = v.a >> 16;
            if (a == 0)
                continue;
            const uint32_t dp = out[c];
            const uint32_t dA = dp >> 24;
            const uint32_t r = (((v.r >> 16) * a) >> 8) + ((((dp >> 16) & 0xFF) * (256 - a)) >> 8);
            const uint32_t g = (((v.g >> 16) * a) >> 8) + ((((dp >> 8) & 0xFF) * (256 - a)) >> 8);
            const uint32_t b = (((v.b >> 16) * a) >> 8) + (((dp & 0xFF) * (256 - a)) >> 8);
            const uint32_t outA = dA + (255 - dA) * a / 255;
            out[c] = (outA << 24) | (std::min<uint32_t>(r, 255) << 16) | (std::min<uint32_t>(g, 255) << 8) |
                     std::min<uint32_t>(b, 255);
        }
    };

    if (enlargeY) {
        const std::vector<Tap> tapsY = EnlargeTaps(s.y, s.height, d.height, iy, iy + ih - 1, 256);
        // Rows are visited in order, so two cached horizontal rows suffice.
        std::vector<Sum4> rows[2];
        int rowIndex[2] = {-1, -1};
        auto rowOf = [&](int sy) -> const std::vector<Sum4>& {
            for (int k = 0; k < 2; ++k)
                if (rowIndex[k] == sy)
                    return rows[k];
            const int slot = rowIndex[0] < rowIndex[1] ? 0 : 1;
            horizontal(sy, rows[slot]);
            rowIndex[slot] = sy;
            return rows[slot];
        };
        std::vector<Sum4> line(static_cast<size_t>(cells));
        for (int j = 0; j < d.height; ++j) {
            const Tap& t = tapsY[static_cast<size_t>(j)];
            const std::vector<Sum4>& upper = rowOf(t.first);
            const std::vector<Sum4>& lower = rowOf(t.second);
            for (int c = 0; c < cells; ++c) {
                Sum4 v;
                v.Add(upper[static_cast<size_t>(c)], t.weight);
                v.Add(lower[static_cast<size_t>(c)], t.secondWeight);
                line[static_cast<size_t>(c)] = v;
            }
            compose(j, line.data());
        }
    } else {
        const std::vector<Spread> spreadY = ReduceSpreads(s.y, s.height, d.height, iy, ih);
        const int rowsOut = d.height + 4;
        std::vector<Sum4> vertical(static_cast<size_t>(rowsOut) * cells);
        std::vector<Sum4> hrow;
        for (int i = 0; i < ih; ++i) {
            horizontal(iy + i, hrow);
            const Spread& sp = spreadY[static_cast<size_t>(i)];
            for (int part = 0; part < 2; ++part) {
                const int cell = part == 0 ? sp.cellA : sp.cellB;
                const uint32_t w = part == 0 ? sp.weightA : sp.weightB;
                if (cell < 0 || cell >= rowsOut)
                    continue;
                Sum4* v = vertical.data() + static_cast<size_t>(cell) * cells;
                for (int c = 0; c < cells; ++c)
                    v[c].Add(hrow[static_cast<size_t>(c)], w);
            }
        }
        for (int j = 0; j < d.height; ++j)
            compose(j, vertical.data() + static_cast<size_t>(j + 1) * cells);
    }
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
