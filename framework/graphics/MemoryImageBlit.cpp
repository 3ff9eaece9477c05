// The plain blit of the memory image, normal and additive.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PixelMath.h"

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

// Opaque destination, no tint: copy opaque runs, skip transparent ones and
// blend the translucent ones, guided by the source's alpha run map.
template <typename Reader>
void BlitRuns(uint32_t* dst, int dstW, const Reader& read, const uint8_t* runs, int srcW, int x, int y,
              const Rect& src)
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
                    std::memmove(d + i, read.bits + s0 + i, static_cast<size_t>(run) * sizeof(uint32_t));
                } else {
                    for (int k = 0; k < run; ++k)
                        d[i + k] = read(s0 + i + k);
                }
            } else if (a != 0) {
                for (int k = 0; k < run; ++k) {
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
template <typename Reader>
void BlitAdd(uint32_t* dst, int dstW, const Reader& read, int srcW, int x, int y, const Rect& src, const Color& tint,
             bool translucent)
{
    const bool white = tint == Color::White;
    const uint32_t t[3] = {pixel::AdditiveTint(tint.red, tint.alpha), pixel::AdditiveTint(tint.green, tint.alpha),
                           pixel::AdditiveTint(tint.blue, tint.alpha)};
    for (int row = 0; row < src.height; ++row) {
        const size_t s0 = static_cast<size_t>(src.y + row) * srcW + src.x;
        uint32_t* d = dst + static_cast<size_t>(y + row) * dstW + x;
        for (int i = 0; i < src.width; ++i) {
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
                    BlitRuns(dst, width_, paletteReader, runs, src->width_, x, y, r);
                else
                    BlitRuns(dst, width_, bitsReader, runs, src->width_, x, y, r);
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
