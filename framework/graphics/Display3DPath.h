// What the display and its images ask of the Direct3D drawing path and of
// the 3D capability test. The display holds one (null until a 3D path is
// built into the program); without one the display stays in 2D: 3D mode
// cannot be switched on and no image is ever the 3D screen.
//
// Threads: the main thread, under the display's lock where the display calls
// it; the image calls come from drawing on the main thread.
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"
#include "framework/graphics/TriVertex.h"
#include "platform/ddraw/DDrawTypes.h"

#include <cstdint>
#include <string>

namespace platform {
class DirectDraw;
}

namespace Zolt {

class DDInterface;
class Image;
class MemoryImage;

class Display3DPath {
public:
    virtual ~Display3DPath() = default;

    // The verdict of a capability test.
    struct TestResult {
        bool fresh = false;  // run now, not read back from the settings
        bool failed = false; // a failure reason was left
        bool warned = false; // a warning was left
    };
    virtual TestResult RunCapabilityTest(platform::HWND window, platform::DirectDraw* directDraw,
                                         int minVideoMemoryMB, int recommendedVideoMemoryMB) = 0;

    // Set-up on the display's current surfaces, and release of everything.
    virtual bool Initialize(DDInterface* display) = 0;
    virtual void Cleanup() = 0;
    virtual const std::string& GetLastError() const = 0;
    // A run-time error was recorded since the last initialisation.
    virtual bool HasRuntimeError() const = 0;
    // Ends the open scene before the frame is presented.
    virtual void FinishScene() = 0;
    virtual void ReleaseImageTextures(MemoryImage* image) = 0;
    // Rebuilds the image's width x height ARGB pixels from its textures;
    // false when it has none that are current.
    virtual bool ReadBackTextures(MemoryImage* image, uint32_t* out)
    {
        (void)image;
        (void)out;
        return false;
    }

    // Drawing onto the 3D screen.
    virtual bool IsTransformStackEmpty() const = 0;
    virtual bool FillPolygon(const Point* vertices, int count, const Rect& clip, const Color& color,
                             int drawMode, int offsetX, int offsetY, bool flag) = 0;
    virtual void FillRect(const Rect& rect, const Color& color, int drawMode) = 0;
    virtual void DrawLine(double x1, double y1, double x2, double y2, const Color& color,
                          int drawMode) = 0;
    virtual void BlitAt(Image* source, float x, float y, const Rect& sourceRect, const Color& tint,
                        int drawMode, bool filtered) = 0;
    virtual void BlitTranslated(Image* source, float x, float y, const Rect& sourceRect,
                                const Rect& clip, const Color& tint, int drawMode) = 0;
    virtual void BlitMirrored(Image* source, float x, float y, const Rect& sourceRect,
                              const Color& tint, int drawMode, bool filtered) = 0;
    virtual void BlitTransformed(Image* source, float x, float y, const float* matrix3x3,
                                 const Rect& clip, const Color& tint, int drawMode,
                                 const Rect& sourceRect, bool filtered) = 0;
    virtual void DrawTexturedTriangles(Image* texture, const TriVertex (*vertices)[3],
                                       int triangleCount, const Rect& clip, const Color& tint,
                                       int drawMode, float offsetX, float offsetY, bool flag) = 0;
};

} // namespace Zolt
