// The surface-format blitters of the display image: drawing straight into a
// DirectDraw surface of 16 or 32 bits. The display image calls these entry
// points from its dispatch; each draws on `dest`'s surface (taking and
// dropping its own surface lock) and returns true, or returns false when the
// program has no surface blitter for the operation, in which case the image
// draws through a memory copy of the affected rectangle instead.
//
// Threads: the main thread, as all drawing.
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"

namespace Zolt {

class DDImage;
class Image;

namespace SurfaceBlitters {

bool FillRectangleNormal(DDImage& dest, const Rect& rect, const Color& color);
bool FillRectangleAdditive(DDImage& dest, const Rect& rect, const Color& color);
bool BlitNormal(DDImage& dest, Image* source, int x, int y, const Rect& sourceRect, const Color& tint);
bool BlitAdditive(DDImage& dest, Image* source, int x, int y, const Rect& sourceRect, const Color& tint);
bool DrawLineNormal(DDImage& dest, double x1, double y1, double x2, double y2, const Color& color);
bool DrawLineAdditive(DDImage& dest, double x1, double y1, double x2, double y2, const Color& color);
bool DrawLineSmoothNormal(DDImage& dest, double x1, double y1, double x2, double y2, const Color& color);
bool DrawLineSmoothAdditive(DDImage& dest, double x1, double y1, double x2, double y2, const Color& color);
bool BlitMirroredNormal(DDImage& dest, Image* source, int x, int y, const Rect& sourceRect, const Color& tint);
bool BlitMirroredAdditive(DDImage& dest, Image* source, int x, int y, const Rect& sourceRect,
                          const Color& tint);
// The whole stretched and rotated blits of a display image (3D screen,
// surface and memory paths alike): true when handled.
bool BlitStretched(DDImage& dest, Image* source, const Rect& destRect, const Rect& sourceRect,
                   const Rect& clip, const Color& tint, int drawMode, bool quickStretch, bool mirrored);
bool BlitRotated(DDImage& dest, Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                 const Color& tint, int drawMode, double angle, float centerX, float centerY);

} // namespace SurfaceBlitters
} // namespace Zolt
