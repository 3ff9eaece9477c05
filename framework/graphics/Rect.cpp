#include "framework/graphics/Rect.h"

#include <algorithm>

namespace Zolt {

Rect Rect::Intersection(const Rect& other) const
{
    // 64-bit so that huge rectangles cannot overflow the edge sums.
    const int64_t left = std::max<int64_t>(x, other.x);
    const int64_t top = std::max<int64_t>(y, other.y);
    const int64_t right = std::min<int64_t>(int64_t{x} + width, int64_t{other.x} + other.width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + height, int64_t{other.y} + other.height);
    const int64_t w = right - left;
    const int64_t h = bottom - top;
    if (w < 0 || h < 0)
        return Rect();
    return Rect(static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(w),
                static_cast<int32_t>(h));
}

Rect Rect::Joined(const Rect& other) const
{
    if (IsEmpty())
        return other;
    if (other.IsEmpty())
        return *this;
    const int32_t left = std::min(x, other.x);
    const int32_t top = std::min(y, other.y);
    const int32_t right = std::max(x + width, other.x + other.width);
    const int32_t bottom = std::max(y + height, other.y + other.height);
    return Rect(left, top, right - left, bottom - top);
}

} // namespace Zolt
