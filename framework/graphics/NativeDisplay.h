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
};

} // namespace Zolt
