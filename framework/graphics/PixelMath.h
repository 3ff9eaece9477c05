// The integer blending arithmetic shared by the software blitters. Pixels
// are 0xAARRGGBB; weights run 0..256 with a shift by 8; red and blue are
// blended together in one word (mask 0xFF00FF) and green alone (0xFF00),
// the masks applied after the two terms are added, so a carry out of the
// discarded fraction bits is part of the result.
#pragma once

#include <algorithm>
#include <cstdint>

namespace Zolt::pixel {

inline uint32_t Alpha(uint32_t p) { return p >> 24; }

// d blended towards s with weight w (0..256), red/blue pair and green.
inline uint32_t BlendPair(uint32_t d, uint32_t s, uint32_t w)
{
    const uint32_t rb = ((((d & 0xFF00FF) * (256 - w)) >> 8) + (((s & 0xFF00FF) * w) >> 8)) & 0xFF00FF;
    const uint32_t g = ((((d & 0xFF00) * (256 - w)) >> 8) + (((s & 0xFF00) * w) >> 8)) & 0xFF00;
    return rb | g;
}

// d blended towards s with weight w, each channel on its own, rounded down.
inline uint32_t BlendChannels(uint32_t d, uint32_t s, uint32_t w)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t dc = (d >> shift) & 0xFF;
        const uint32_t sc = (s >> shift) & 0xFF;
        out |= ((dc * (256 - w) + sc * w) >> 8) << shift;
    }
    return out;
}

// The combined alpha and colour weight of source-over onto a destination
// that may itself be translucent; a (1..255) is the source's alpha.
struct OverWeights {
    uint32_t outAlpha;
    uint32_t weight;
};

inline OverWeights Over(uint32_t destAlpha, uint32_t a)
{
    const uint32_t outA = destAlpha + (255 - destAlpha) * a / 255;
    return {outA, a * 255 / outA};
}

// Destination-aware source-over of colour s with alpha a (> 0).
inline uint32_t OverPair(uint32_t d, uint32_t s, uint32_t a)
{
    const OverWeights o = Over(Alpha(d), a);
    return (o.outAlpha << 24) | BlendPair(d, s, o.weight);
}

inline uint32_t OverChannels(uint32_t d, uint32_t s, uint32_t a)
{
    const OverWeights o = Over(Alpha(d), a);
    return (o.outAlpha << 24) | BlendChannels(d, s, o.weight);
}

inline uint32_t SatAdd(uint32_t d, uint32_t s) { return std::min<uint32_t>(d + s, 255); }

// Tint factor for additive drawing: the channel scaled by the tint's alpha.
inline uint32_t AdditiveTint(int32_t channel, int32_t alpha)
{
    return static_cast<uint32_t>(channel) * static_cast<uint32_t>(alpha) / 255;
}

} // namespace Zolt::pixel
