#include "framework/graphics/NativeDisplay.h"

#include <bit>

namespace Zolt {

namespace {

void DeriveChannel(uint32_t mask, int32_t& shift, int32_t& bits)
{
    if (mask == 0)
        return;
    shift = std::countr_zero(mask);
    bits = (31 - std::countl_zero(mask)) - shift + 1;
}

} // namespace

void NativeDisplay::SetFormat(int32_t depth, uint32_t r, uint32_t g, uint32_t b)
{
    colorDepth = depth;
    redMask = static_cast<int32_t>(r);
    greenMask = static_cast<int32_t>(g);
    blueMask = static_cast<int32_t>(b);
    DeriveChannel(r, redShift, redBits);
    DeriveChannel(g, greenShift, greenBits);
    DeriveChannel(b, blueShift, blueBits);
}

} // namespace Zolt
