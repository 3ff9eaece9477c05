// One corner of a textured triangle: screen position, texture coordinates
// (0..1 over the whole image) and a packed 0xAARRGGBB colour.
#pragma once

#include <cstdint>

namespace Zolt {

struct TriVertex {
    float x = 0;
    float y = 0;
    float u = 0;
    float v = 0;
    uint32_t color = 0xFFFFFFFF;
};

} // namespace Zolt
