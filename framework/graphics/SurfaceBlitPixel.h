// Helpers shared by the surface blitters: row addressing, the spread form of
// 16-bit pixels, per-mask arithmetic, clamping and blit clipping.
#pragma once

#include "framework/graphics/SurfaceBlit.h"

#include <algorithm>
#include <cstdint>

namespace Zolt::surface {

// Interleaved masks of the spread form: green in the high half, red and blue
// in the low half, each with room above it for a 5-bit product.
constexpr uint32_t kSpread565 = 0x07E0F81F;
constexpr uint32_t kSpread555 = 0x03E07C1F;

inline uint32_t Spread(uint32_t v, uint32_t mask) { return (v | (v << 16)) & mask; }
inline uint32_t Fold(uint32_t w) { return ((w >> 16) | w) & 0xFFFF; }

template <typename P>
inline P* Row(const SurfaceView& s, int y)
{
    return reinterpret_cast<P*>(s.pixels + static_cast<ptrdiff_t>(y) * s.pitch);
}

// Colour components clamped to 0..255 (a colour is only meant to hold them).
struct Rgba {
    uint32_t r, g, b, a;
    uint32_t Channel(int c) const { return c == 0 ? r : (c == 1 ? g : b); }
};

inline uint32_t Clamp255(int32_t v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); }
inline Rgba Clamped(const Color& c)
{
    return {Clamp255(c.red), Clamp255(c.green), Clamp255(c.blue), Clamp255(c.alpha)};
}
inline bool IsWhite(const Color& c) { return c == Color::White; }

// Tint factors: each channel scaled by the tint's alpha.
struct TintFactors {
    uint32_t k[3];
    bool grey;
};
inline TintFactors FactorsOf(const Rgba& t)
{
    TintFactors f{{t.r * t.a / 255, t.g * t.a / 255, t.b * t.a / 255}, false};
    f.grey = f.k[0] == f.k[1] && f.k[1] == f.k[2];
    return f;
}

// Cuts a blit of `src` at (x, y) to the source image and to the surface;
// for a mirrored blit the destination columns run the other way, so a cut
// at one end of the destination removes source columns at the other end.
// False when nothing is left.
bool ClipBlit(int& x, int& y, Rect& src, int srcW, int srcH, int dstW, int dstH, bool mirrored);

// A fill rectangle cut to the surface; false when empty.
bool ClipRect(Rect& r, int width, int height);

// Saturating add of one channel through the display's table.
inline uint32_t SatAdd(const SaturationTables& t, int c, uint32_t index) { return t.table[c][index]; }

} // namespace Zolt::surface
