// One character code of a font layer: its cell in the layer image, its
// offset, kerning against each following character, advance and drawing
// order. A plain value; every field starts at 0.
#pragma once

#include "framework/graphics/Rect.h"

#include <array>
#include <cstdint>

namespace Zolt {

struct FontGlyph {
    Rect imageRect;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    // Indexed by the code of the character that follows this one.
    std::array<int8_t, 256> kerning{};
    int32_t width = 0;
    int32_t order = 0;
};

} // namespace Zolt
