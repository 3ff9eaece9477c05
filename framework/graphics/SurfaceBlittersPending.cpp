// Stand-in for the surface blitters until they are part of the program: every
// entry point answers "not handled", and the display image draws through a
// memory copy of the destination rectangle. The file that defines the real
// blitters replaces this one.
#include "framework/graphics/SurfaceBlitters.h"

namespace Zolt::SurfaceBlitters {

bool FillRectangleNormal(DDImage&, const Rect&, const Color&) { return false; }
bool FillRectangleAdditive(DDImage&, const Rect&, const Color&) { return false; }
bool BlitNormal(DDImage&, Image*, int, int, const Rect&, const Color&) { return false; }
bool BlitAdditive(DDImage&, Image*, int, int, const Rect&, const Color&) { return false; }
bool DrawLineNormal(DDImage&, double, double, double, double, const Color&) { return false; }
bool DrawLineAdditive(DDImage&, double, double, double, double, const Color&) { return false; }
bool DrawLineSmoothNormal(DDImage&, double, double, double, double, const Color&) { return false; }
bool DrawLineSmoothAdditive(DDImage&, double, double, double, double, const Color&) { return false; }
bool BlitMirroredNormal(DDImage&, Image*, int, int, const Rect&, const Color&) { return false; }
bool BlitMirroredAdditive(DDImage&, Image*, int, int, const Rect&, const Color&) { return false; }
bool BlitStretched(DDImage&, Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool, bool)
{
    return false;
}
bool BlitRotated(DDImage&, Image*, float, float, const Rect&, const Rect&, const Color&, int, double, float,
                 float)
{
    return false;
}

} // namespace Zolt::SurfaceBlitters
