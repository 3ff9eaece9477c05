// The fixed-point and per-channel arithmetic the rasteriser is built from,
// shared by its span and geometry halves. Pure functions; any thread.
#pragma once

#include "platform/d3d/D3DTypes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace platform::d3d::detail {

inline constexpr int kSubpixelBits = 8;
inline constexpr int64_t kSubpixel = int64_t(1) << kSubpixelBits;
// Beyond this distance outside the clip rectangle a triangle is cut down
// first, which keeps the fixed-point edge arithmetic far from overflow.
inline constexpr double kGuardBand = 8192.0;
inline constexpr double kColourLimit = double(1 << 24);
inline constexpr double kTexelLimit = double(1 << 24);
inline constexpr double kTexelStepLimit = double(1 << 16);

inline uint32_t Div255(uint32_t x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
}
inline uint32_t Mul255(uint32_t a, uint32_t b) { return Div255(a * b); }

// The same arithmetic on all four channels at once, two at a time in the
// red/blue and alpha/green pairs (no lane overflows into the next: every
// product stays below 65536).
inline uint32_t PairsDiv255(uint32_t rb, uint32_t ag)
{
    rb += 0x00800080u;
    ag += 0x00800080u;
    rb = ((rb + (rb >> 8 & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    ag = (ag + (ag >> 8 & 0x00FF00FFu)) & 0xFF00FF00u;
    return rb | ag;
}
// Each channel of `c` times a / 255, rounded.
inline uint32_t ScaleAll(uint32_t c, uint32_t a)
{
    return PairsDiv255((c & 0x00FF00FFu) * a, (c >> 8 & 0x00FF00FFu) * a);
}
// Each channel of s * a / 255 + d * (255 - a) / 255, rounded once.
inline uint32_t MixAll(uint32_t s, uint32_t d, uint32_t a)
{
    uint32_t ia = 255 - a;
    return PairsDiv255((s & 0x00FF00FFu) * a + (d & 0x00FF00FFu) * ia,
                       (s >> 8 & 0x00FF00FFu) * a + (d >> 8 & 0x00FF00FFu) * ia);
}
// Each channel of s + d, saturated at 255.
inline uint32_t AddAll(uint32_t s, uint32_t d)
{
    uint32_t rb = (s & 0x00FF00FFu) + (d & 0x00FF00FFu);
    uint32_t ag = (s >> 8 & 0x00FF00FFu) + (d >> 8 & 0x00FF00FFu);
    rb |= (rb >> 8 & 0x00010001u) * 0xFF;
    ag |= (ag >> 8 & 0x00010001u) * 0xFF;
    return (rb & 0x00FF00FFu) | (ag & 0x00FF00FFu) << 8;
}
inline uint32_t Channel(uint32_t argb, int shift) { return argb >> shift & 0xFF; }
inline uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

inline int64_t FloorDiv(int64_t n, int64_t d) // d > 0
{
    int64_t q = n / d;
    return (n % d != 0 && n < 0) ? q - 1 : q;
}
inline int64_t CeilDiv(int64_t n, int64_t d) { return -FloorDiv(-n, d); }

inline int64_t ToFixed16(double value)
{
    value = std::isnan(value) ? 0.0 : std::clamp(value, -kColourLimit, kColourLimit);
    return std::llround(value * 65536.0);
}
inline int64_t ToTexelFixed(double texels)
{
    texels = std::isnan(texels) ? 0.0 : std::clamp(texels, -kTexelLimit, kTexelLimit);
    // Snapped to 1/256 texel, as the sampler of a card works to a few
    // fraction bits: positions meant to be exact come out exact.
    return std::llround(texels * 256.0) * (int64_t(1) << 24);
}
inline int64_t ToTexelStep(double texelsPerPixel)
{
    texelsPerPixel = std::isnan(texelsPerPixel) ? 0.0 : std::clamp(texelsPerPixel, -kTexelStepLimit, kTexelStepLimit);
    return std::llround(texelsPerPixel * 4294967296.0);
}

inline int Address(int i, int n, DWORD mode)
{
    switch (mode) {
    case D3DTADDRESS_WRAP: {
        int m = i % n;
        return m < 0 ? m + n : m;
    }
    case D3DTADDRESS_MIRROR: {
        int period = 2 * n;
        int m = i % period;
        if (m < 0) m += period;
        return m < n ? m : period - 1 - m;
    }
    default: return i < 0 ? 0 : (i >= n ? n - 1 : i);
    }
}

} // namespace platform::d3d::detail
