// A surface's pixel format reduced to what the software blits need: bits per
// pixel and channel masks, plus the conversions the presenters use.
// Plain value type; safe on any thread.
#pragma once

#include "platform/ddraw/DDrawTypes.h"

#include <cstdint>
#include <cstring>

namespace platform::ddraw {

struct PixelLayout {
    int bitsPerPixel = 32;
    DWORD flags = DDPF_RGB;
    DWORD red = 0x00FF0000;
    DWORD green = 0x0000FF00;
    DWORD blue = 0x000000FF;
    DWORD alpha = 0;

    static PixelLayout Rgb565() { return {16, DDPF_RGB, 0xF800, 0x07E0, 0x001F, 0}; }
    static PixelLayout Rgb555() { return {16, DDPF_RGB, 0x7C00, 0x03E0, 0x001F, 0}; }
    static PixelLayout Rgb888() { return {24, DDPF_RGB, 0xFF0000, 0x00FF00, 0x0000FF, 0}; }
    static PixelLayout Xrgb8888() { return {32, DDPF_RGB, 0xFF0000, 0x00FF00, 0x0000FF, 0}; }
    static PixelLayout Xbgr8888() { return {32, DDPF_RGB, 0x0000FF, 0x00FF00, 0xFF0000, 0}; }
    static PixelLayout Palette8() { return {8, DDPF_RGB | DDPF_PALETTEINDEXED8, 0, 0, 0, 0}; }

    int BytesPerPixel() const { return bitsPerPixel / 8; }
    bool IsPalettised() const { return (flags & DDPF_PALETTEINDEXED8) != 0; }
    // All bits a pixel value may carry (blits and fills never write others).
    DWORD ValueMask() const { return bitsPerPixel >= 32 ? 0xFFFFFFFFu : ((1u << bitsPerPixel) - 1u); }

    bool SameAs(const PixelLayout& o) const
    {
        return bitsPerPixel == o.bitsPerPixel && IsPalettised() == o.IsPalettised() && red == o.red &&
               green == o.green && blue == o.blue && alpha == o.alpha;
    }

    DDPIXELFORMAT ToDD() const
    {
        DDPIXELFORMAT pf;
        std::memset(&pf, 0, sizeof pf);
        pf.dwSize = sizeof pf;
        pf.dwFlags = flags | (alpha ? DDPF_ALPHAPIXELS : 0);
        pf.dwRGBBitCount = static_cast<DWORD>(bitsPerPixel);
        pf.dwRBitMask = red;
        pf.dwGBitMask = green;
        pf.dwBBitMask = blue;
        pf.dwRGBAlphaBitMask = alpha;
        return pf;
    }

    // Converts a raw pixel into 0xAARRGGBB (alpha 255 without an alpha mask;
    // palettised pixels show as grey levels since no palette is attached).
    uint32_t ToArgb(uint32_t raw) const
    {
        if (IsPalettised()) {
            uint32_t v = raw & 0xFF;
            return 0xFF000000u | (v << 16) | (v << 8) | v;
        }
        uint32_t a = alpha ? Expand(raw, alpha) : 255u;
        return (a << 24) | (Expand(raw, red) << 16) | (Expand(raw, green) << 8) | Expand(raw, blue);
    }

    // Converts 0xAARRGGBB into this layout, keeping each channel's top bits.
    uint32_t FromArgb(uint32_t argb) const
    {
        if (IsPalettised()) return ((argb >> 16 & 0xFF) * 77 + (argb >> 8 & 0xFF) * 150 + (argb & 0xFF) * 29) >> 8;
        return Reduce(argb >> 16 & 0xFF, red) | Reduce(argb >> 8 & 0xFF, green) | Reduce(argb & 0xFF, blue) |
               (alpha ? Reduce(argb >> 24, alpha) : 0u);
    }

    static int LowestBit(DWORD mask)
    {
        int i = 0;
        while (i < 32 && !(mask >> i & 1u)) ++i;
        return i;
    }
    static int BitCount(DWORD mask)
    {
        int n = 0;
        for (; mask; mask &= mask - 1) ++n;
        return n;
    }

private:
    static uint32_t Expand(uint32_t raw, DWORD mask)
    {
        if (!mask) return 0;
        uint32_t max = mask >> LowestBit(mask);
        uint32_t v = (raw & mask) >> LowestBit(mask);
        return static_cast<uint32_t>((uint64_t(v) * 255 + max / 2) / max);
    }
    static uint32_t Reduce(uint32_t channel, DWORD mask)
    {
        if (!mask) return 0;
        int bits = BitCount(mask);
        uint32_t v = bits >= 8 ? channel << (bits - 8) : channel >> (8 - bits);
        return (v << LowestBit(mask)) & mask;
    }
};

// Converts `count` pixels of a row in `layout` into 0xAARRGGBB; quick for the
// display's own formats (the presenters run it on every frame).
void ConvertRowToArgb(const uint8_t* source, uint32_t* out, int count, const PixelLayout& layout);

// Little-endian pixel access for 1 to 4 bytes per pixel.
inline uint32_t LoadPixel(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t(p[i]) << (8 * i);
    return v;
}
inline void StorePixel(uint8_t* p, int bytes, uint32_t v)
{
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace platform::ddraw
