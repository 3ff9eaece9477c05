// The display's pixel format: depth, channel masks, widths and positions.
// The display fills it when it initialises; memory images read it to build
// their display-format caches. Read on the main thread.
#pragma once

#include <cstdint>

namespace Zolt {

class NativeDisplay {
public:
    virtual ~NativeDisplay() = default;

    // Sets depth and masks and derives each channel's shift (lowest set bit)
    // and bit count (highest set bit - shift + 1); a zero mask leaves its
    // shift and count as they were.
    void SetFormat(int32_t depth, uint32_t redMaskIn, uint32_t greenMaskIn, uint32_t blueMaskIn);

    // An ARGB pixel in this format with its colour premultiplied by its
    // alpha, the alpha kept in the top byte: the form the blitters draw.
    uint32_t PremultipliedOf(uint32_t argb) const
    {
        const uint32_t a = argb >> 24;
        return (a << 24) | Channel(argb >> 16, a, redMask, redBits, redShift) |
               Channel(argb >> 8, a, greenMask, greenBits, greenShift) | Channel(argb, a, blueMask, blueBits, blueShift);
    }
    // True when every opaque ARGB pixel is already its own premultiplied
    // form here (32 bits, a byte per channel at ARGB's places), so opaque
    // pictures can be drawn from their ARGB pixels without a converted copy.
    bool KeepsOpaqueArgb() const
    {
        return colorDepth == 32 && redMask == 0xFF0000 && greenMask == 0xFF00 && blueMask == 0xFF;
    }

    int32_t colorDepth = 0;
    int32_t redMask = 0;
    int32_t greenMask = 0;
    int32_t blueMask = 0;
    int32_t redBits = 0;
    int32_t greenBits = 0;
    int32_t blueBits = 0;
    int32_t redShift = 0;
    int32_t greenShift = 0;
    int32_t blueShift = 0;

private:
    static uint32_t Channel(uint32_t value, uint32_t alpha, int32_t mask, int32_t bits, int32_t shift)
    {
        const uint32_t scaled = ((value & 0xFF) * (alpha + 1)) >> (16 - bits);
        return (scaled << shift) & static_cast<uint32_t>(mask);
    }
};

} // namespace Zolt
