// The display image: a memory image whose pixels may also live in a
// DirectDraw surface it owns (or, for the screen and the cursor areas, one it
// was given). Each drawing operation is sent to the 3D path when the image is
// the display's 3D screen, to the surface blitters when the image is opaque,
// and to the memory image's software blitters otherwise. After the surface
// was drawn on, the memory copies are dropped so that the surface is the only
// truth; they are read back from it on demand.
//
// Threads: the main thread only (the lock count is not guarded). Surface
// creation and upload take the display's lock; locking the surface for
// drawing does not.
#pragma once

#include "framework/graphics/MemoryImage.h"
#include "platform/ddraw/DDrawTypes.h"

#include <cstdint>

namespace platform {
class DirectDrawSurface;
}

namespace Zolt {

class DDInterface;

class DDImage : public MemoryImage {
public:
    explicit DDImage(DDInterface* display);
    ~DDImage() override;
    DDImage(const DDImage&) = delete;
    DDImage& operator=(const DDImage&) = delete;

    // Drawing, dispatched as described above.
    bool FillPolygon(const Point* vertices, int count, const Rect& clip, const Color& color, int drawMode,
                     int offsetX, int offsetY, bool flag) override;
    void FillRectangle(const Rect& rect, const Color& color, int drawMode) override;
    void DrawLineSegment(double x1, double y1, double x2, double y2, const Color& color,
                         int drawMode) override;
    void DrawLineSegmentSmooth(double x1, double y1, double x2, double y2, const Color& color,
                               int drawMode) override;
    void FillSpansWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                               const uint8_t* coverage, int bufferX, int bufferY, int bufferWidth,
                               int bufferHeight) override;
    void BlitImage(Image* source, int x, int y, const Rect& sourceRect, const Color& tint,
                   int drawMode) override;
    void BlitImageSubpixel(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                           const Color& tint, int drawMode) override;
    void BlitImageRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clip,
                          const Color& tint, int drawMode, double angle, float centerX,
                          float centerY) override;
    void BlitImageStretched(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clip,
                            const Color& tint, int drawMode, bool quickStretch) override;
    void BlitImageTransformed(Image* source, float x, float y, const float* matrix3x3, const Rect& clip,
                              const Color& tint, int drawMode, const Rect& sourceRect, bool flag) override;
    void DrawTexturedTriangles(Image* texture, const TriVertex (*vertices)[3], int triangleCount,
                               const Rect& clip, const Color& tint, int drawMode, float offsetX,
                               float offsetY, bool flag) override;
    void BlitImageMirrored(Image* source, int x, int y, const Rect& sourceRect, const Color& tint,
                           int drawMode) override;
    void BlitImageStretchedMirrored(Image* source, const Rect& destRect, const Rect& sourceRect,
                                    const Rect& clip, const Color& tint, int drawMode,
                                    bool quickStretch) override;

    // Memory-image overrides that keep the surface and the memory forms
    // consistent.
    void DropBits() override;
    void DropCaches() override;
    void ReapplyCompaction() override;
    void MarkBitsChanged() override;
    void ScanAlpha() override;
    void DropNativeData() override;
    void MakeBlank(int width, int height) override;
    uint32_t* RequireBits() override;
    bool ConvertToPalette() override;

    // Surface management.
    virtual void PlaceInVideoMemory(bool videoMemory);
    virtual bool BuildSurface();
    // The surface-format blitters. Each returns after drawing on the locked
    // surface, or draws through a temporary memory copy of the destination
    // rectangle while the surface blitters are not in the program.
    virtual void FillRectangleNormal(const Rect& rect, const Color& color);
    virtual void FillRectangleAdditive(const Rect& rect, const Color& color);
    virtual void BlitNormal(Image* source, int x, int y, const Rect& sourceRect, const Color& tint);
    virtual void BlitAdditive(Image* source, int x, int y, const Rect& sourceRect, const Color& tint);
    virtual void DrawLineNormal(double x1, double y1, double x2, double y2, const Color& color);
    virtual void DrawLineAdditive(double x1, double y1, double x2, double y2, const Color& color);
    virtual void DrawLineSmoothNormal(double x1, double y1, double x2, double y2, const Color& color);
    virtual void DrawLineSmoothAdditive(double x1, double y1, double x2, double y2, const Color& color);
    virtual void BlitMirroredNormal(Image* source, int x, int y, const Rect& sourceRect, const Color& tint);
    virtual void BlitMirroredAdditive(Image* source, int x, int y, const Rect& sourceRect, const Color& tint);
    // The nested surface lock. Acquire makes the surface when there is none;
    // an unpaired Release is refused (false) and changes nothing.
    virtual bool AcquireSurfaceLock();
    virtual bool ReleaseSurfaceLock();
    // Adopts a surface made elsewhere (one reference taken); it is never
    // released by the cache-dropping operations.
    virtual platform::HRESULT AttachSurface(platform::DirectDrawSurface* surface);

    platform::DirectDrawSurface* RequireSurface();
    void ReleaseSurface();
    bool MakeSurface();
    bool IsScreen3D() const;

    // Copies an opaque or colour-keyed source's surface onto this image's
    // surface with DirectDraw's Blt, unlocking around it when this image is
    // locked. When the re-lock fails the stored pointer is cleared so that
    // nothing draws through it; after a successful Blt the memory copies
    // are discarded. False when the Blt was not made or failed.
    bool BltFromSurface(DDImage* source, int x, int y, const Rect& sourceRect);
    // Stretches the source's surface rectangle onto this image's, both
    // given as (left, top, right, bottom), with one Blt (colour-keyed when the
    // source has transparent pixels), unlocking around it when this image is
    // locked. The Blt's own result is not looked at. False when the re-lock
    // failed: then nothing may draw through the stored pointer.
    bool StretchBltFromSurface(DDImage* source, const platform::RECT& destEdges, const platform::RECT& sourceEdges);

    DDInterface* GetDisplay() const { return display_; }
    // The display is going away before this image: the image keeps its
    // surface (if any) and memory forms but makes no new surfaces.
    void ForgetDisplay() { display_ = nullptr; }
    platform::DirectDrawSurface* GetSurface() const { return surface_; }
    bool IsSurfaceAttached() const { return surfaceAttached_; }
    bool IsVideoMemoryScreen() const { return videoMemoryScreen_; }
    bool IsVideoMemoryWanted() const { return videoMemoryWanted_; }
    bool IsSurfaceWanted() const { return surfaceWanted_; }
    void SetVideoMemoryFlags(bool screen, bool wanted)
    {
        videoMemoryScreen_ = screen;
        videoMemoryWanted_ = wanted;
    }
    int32_t GetLockCount() const { return lockCount_; }
    // Valid while the lock count is above 0: pitch, pointer, bit count, masks.
    const platform::DDSURFACEDESC& GetLockedDescription() const { return lockedDesc_; }
    // The surface's source colour key, when it has one.
    bool GetColorKey(uint32_t& key) const;

private:
    // Writes the memory bits into the locked surface (colour key included).
    void UploadBits();
    // Reads the locked surface into `out` (width x height words).
    void ReadSurface(uint32_t* out);
    // The image is opaque, 2D (or a cursor area, when allowed) and has or
    // can make a surface.
    bool CanDrawOnSurface(bool cursorAreaIn3D = false);
    // Runs a memory drawing operation on a copy of `area` of the surface
    // and writes the copy back: the path of a blitter that is not present.
    template <class Draw>
    void DrawThroughMemory(const Rect& area, Draw draw);
    // The coverage fill on the 3D screen: filled in a memory image as large
    // as the spans' box, which is then drawn.
    void FillSpansOn3DScreen(const Span* spans, int count, const Color& color, int drawMode, const uint8_t* coverage,
                             int bufferX, int bufferY, int bufferWidth, int bufferHeight);

    DDInterface* display_;
    platform::DirectDrawSurface* surface_ = nullptr;
    bool surfaceAttached_ = false;
    bool videoMemoryScreen_ = false;
    bool videoMemoryWanted_ = false;
    bool surfaceWanted_ = false;
    int32_t lockCount_ = 0;
    platform::DDSURFACEDESC lockedDesc_{};
};

// True for a display image that is the display's 3D screen.
bool IsScreen3DImage(Image* image);

} // namespace Zolt
