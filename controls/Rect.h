// The toolkit's rectangle: bounds, dirty areas and source areas. Width and
// height are signed 16-bit; every reader takes them as such.
#pragma once

#include <cstdint>

namespace ControlLibrary {

struct Rect {
    int32_t x = 0;
    int32_t y = 0;
    int16_t w = 0;
    int16_t h = 0;

    // Both edges inclusive: a point on the right or bottom edge is inside.
    bool Contains(int32_t px, int32_t py) const
    {
        return px >= x && py >= y && px <= x + w && py <= y + h;
    }

    bool operator==(const Rect&) const = default;
};

} // namespace ControlLibrary
