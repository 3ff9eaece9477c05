#include "framework/graphics/StretchMapping.h"

namespace Zolt {

namespace {

bool Map(const Rect& src, const Rect& clip, const Rect& dest, DoubleRect& out, Rect& destOut, bool mirrored)
{
    destOut = dest.Intersection(clip);
    if (dest.width == 0 || dest.height == 0)
        return false;
    const double sx = static_cast<double>(src.width) / dest.width;
    const double sy = static_cast<double>(src.height) / dest.height;
    if (mirrored)
        out.x = src.x + ((dest.x + dest.width) - (destOut.x + destOut.width)) * sx;
    else
        out.x = src.x + (destOut.x - dest.x) * sx;
    out.y = src.y + (destOut.y - dest.y) * sy;
    out.width = src.width + sx * (destOut.width - dest.width);
    out.height = src.height + sy * (destOut.height - dest.height);
    return out.width > 0 && out.height > 0;
}

} // namespace

bool MapStretchRects(const Rect& sourceRect, const Rect& clip, const Rect& destRect, DoubleRect& sourceOut,
                     Rect& destOut)
{
    return Map(sourceRect, clip, destRect, sourceOut, destOut, false);
}

bool MapStretchRectsMirrored(const Rect& sourceRect, const Rect& clip, const Rect& destRect, DoubleRect& sourceOut,
                             Rect& destOut)
{
    return Map(sourceRect, clip, destRect, sourceOut, destOut, true);
}

} // namespace Zolt
