// One layer of an image font as its descriptor defines it: the image, the
// 256 character records (indexed by the mapped character code), colour,
// draw mode, offsets, the point sizes and tags it applies to and its
// metrics. A plain value, copied whole when a layer is made from another.
// Layers are built while the descriptor is read and never change after, so
// any thread may read them.
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/FontGlyph.h"
#include "framework/graphics/SharedImage.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Zolt {

class FontData;

class FontLayer {
public:
    explicit FontLayer(FontData* owner = nullptr) : owner(owner) {}

    FontData* owner;
    // Stored upper-cased.
    std::vector<std::string> requiredTags;
    std::vector<std::string> excludedTags;
    std::array<FontGlyph, 256> glyphs{};
    Color colorMult{255, 255, 255, 255};
    Color colorAdd{0, 0, 0, 0};
    SharedImageHandle image;
    // -1: the drawing context's own mode; else a DrawMode.
    int32_t drawMode = -1;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    // Added to every kerning value.
    int32_t spacing = 0;
    // -1: no limit.
    int32_t minPointSize = -1;
    int32_t maxPointSize = -1;
    // 0: not tied to a point size.
    int32_t pointSize = 0;
    int32_t ascent = 0;
    int32_t ascentPadding = 0;
    int32_t height = 0;
    int32_t defaultHeight = 0;
    int32_t lineSpacingOffset = 0;
    int32_t baseOrder = 0;
};

} // namespace Zolt
