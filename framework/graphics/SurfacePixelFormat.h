// Conversions between 0xAARRGGBB pixels and the packed pixels of a locked
// 16- or 32-bit surface, from the channel masks of its description. Plain
// value type; any thread.
#pragma once

#include "platform/ddraw/DDrawTypes.h"

#include <bit>
#include <cstdint>

namespace Zolt {

struct SurfacePixelFormat {
    int bitsPerPixel = 0;
    uint32_t masks[3] = {0, 0, 0}; // red, green, blue
    int shifts[3] = {0, 0, 0};     // lowest set bit of each mask
    int bits[3] = {0, 0, 0};       // width of each mask

    SurfacePixelFormat() = default;
    explicit SurfacePixelFormat(const platform::DDPIXELFORMAT& format)
    {
        bitsPerPixel = static_cast<int>(format.dwRGBBitCount);
        masks[0] = format.dwRBitMask;
        masks[1] = format.dwGBitMask;
        masks[2] = format.dwBBitMask;
        for (int c = 0; c < 3; ++c) {
            if (masks[c] == 0)
                continue;
            shifts[c] = std::countr_zero(masks[c]);
            bits[c] = 32 - std::countl_zero(masks[c]) - shifts[c];
        }
    }

    bool IsSupported() const
    {
        return (bitsPerPixel == 16 || bitsPerPixel == 32) && bits[0] > 0 && bits[0] <= 8 && bits[1] > 0 &&
               bits[1] <= 8 && bits[2] > 0 && bits[2] <= 8;
    }

    // Keeps the top bits of each channel; alpha is not stored.
    uint32_t FromArgb(uint32_t p) const
    {
        return (((p >> (24 - bits[0])) << shifts[0]) & masks[0]) | (((p >> (16 - bits[1])) << shifts[1]) & masks[1]) |
               (((p >> (8 - bits[2])) << shifts[2]) & masks[2]);
    }

    // Each channel's bits go to the top of its byte; alpha is 255.
    uint32_t ToArgb(uint32_t v) const
    {
        return 0xFF000000u | ((((v >> shifts[0]) << (8 - bits[0])) & 0xFF) << 16) |
               ((((v >> shifts[1]) << (8 - bits[1])) & 0xFF) << 8) | (((v >> shifts[2]) << (8 - bits[2])) & 0xFF);
    }
};

} // namespace Zolt
