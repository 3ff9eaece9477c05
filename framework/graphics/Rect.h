// The geometry records every drawing call carries: rectangle, point and the
// horizontal span of a filled polygon, plus the draw-mode codes. Plain values.
#pragma once

#include <cstdint>

namespace Zolt {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

// One horizontal run of a filled polygon.
struct Span {
    int32_t y = 0;
    int32_t x = 0;
    int32_t width = 0;
};

struct Rect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    Rect() = default;
    Rect(int32_t x_, int32_t y_, int32_t w, int32_t h) : x(x_), y(y_), width(w), height(h) {}

    // The overlap of two rectangles. A negative overlap in either direction
    // gives (0, 0, 0, 0); a zero one is kept as it is (callers test for < 1).
    Rect Intersection(const Rect& other) const;
    // The smallest rectangle that holds both; an empty one (no width or no
    // height) adds nothing to the other.
    Rect Joined(const Rect& other) const;
    bool IsEmpty() const { return width <= 0 || height <= 0; }

    bool operator==(const Rect& o) const
    {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
    bool operator!=(const Rect& o) const { return !(*this == o); }
};

// Draw modes. Passed as plain ints because callers may pass any value, and
// what an operation does with an undefined one is part of that operation.
struct DrawMode {
    enum : int32_t {
        Normal = 0,   // source-over alpha blending
        Additive = 1, // source added to the destination, saturating at 255
    };
};

} // namespace Zolt
