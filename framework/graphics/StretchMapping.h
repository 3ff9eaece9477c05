// Maps a stretched blit onto the part of its destination inside the clip:
// the clipped destination in whole pixels and the matching source area in
// fractional pixels. Shared by the memory and the surface stretch blitters.
#pragma once

#include "framework/graphics/Rect.h"

namespace Zolt {

struct DoubleRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// False when the mapped source area is empty in either direction.
bool MapStretchRects(const Rect& sourceRect, const Rect& clip, const Rect& destRect, DoubleRect& sourceOut,
                     Rect& destOut);
// The same for a destination drawn flipped left to right.
bool MapStretchRectsMirrored(const Rect& sourceRect, const Rect& clip, const Rect& destRect, DoubleRect& sourceOut,
                             Rect& destOut);

} // namespace Zolt
