// A point on the toolkit's screen, in pixels.
#pragma once

#include <cstdint>

namespace ControlLibrary {

struct Point {
    int32_t x = 0;
    int32_t y = 0;

    bool operator==(const Point&) const = default;
};

} // namespace ControlLibrary
