// The abstract image: a size, an optional grid of cels and animation, and the
// drawing operations that Graphics calls after translating and clipping.
// The base operations draw nothing; the memory image and the display image
// implement them. Images are drawn and changed on the main thread (the
// loading thread only touches images it has made itself).
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/ImageAnimation.h"
#include "framework/graphics/Rect.h"
#include "framework/graphics/TriVertex.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Zolt {

class Image {
public:
    Image() = default;
    // Copies size, cel grid and animation; the path and the drawn-from flag
    // start empty in the copy.
    Image(const Image& other);
    Image& operator=(const Image&) = delete;
    virtual ~Image();

    // Not handled here: returns false and Graphics fills the polygon by spans.
    virtual bool FillPolygon(const Point* vertices, int count, const Rect& clip, const Color& color,
                             int drawMode, int offsetX, int offsetY, bool flag);
    virtual void FillRectangle(const Rect& rect, const Color& color, int drawMode);
    // Covers width + 1 by height + 1 pixels, with four FillRectangle calls.
    virtual void OutlineRectangle(const Rect& rect, const Color& color, int drawMode);
    virtual void ClearRectangle(const Rect& rect);
    virtual void DrawLineSegment(double x1, double y1, double x2, double y2, const Color& color,
                                 int drawMode);
    virtual void DrawLineSegmentSmooth(double x1, double y1, double x2, double y2,
                                       const Color& color, int drawMode);
    // FillRectangle(x, y, width, 1) for each span, in order.
    virtual void FillSpans(const Span* spans, int count, const Color& color, int drawMode);
    virtual void FillSpansWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                       const uint8_t* coverage, int bufferX, int bufferY,
                                       int bufferWidth, int bufferHeight);
    virtual void BlitImage(Image* source, int x, int y, const Rect& sourceRect, const Color& tint,
                           int drawMode);
    virtual void BlitImageSubpixel(Image* source, float x, float y, const Rect& sourceRect,
                                   const Rect& clip, const Color& tint, int drawMode);
    virtual void BlitImageRotated(Image* source, float x, float y, const Rect& sourceRect,
                                  const Rect& clip, const Color& tint, int drawMode, double angle,
                                  float centerX, float centerY);
    virtual void BlitImageStretched(Image* source, const Rect& destRect, const Rect& sourceRect,
                                    const Rect& clip, const Color& tint, int drawMode,
                                    bool quickStretch);
    virtual void BlitImageTransformed(Image* source, float x, float y, const float* matrix3x3,
                                      const Rect& clip, const Color& tint, int drawMode,
                                      const Rect& sourceRect, bool flag);
    virtual void DrawTexturedTriangles(Image* texture, const TriVertex (*vertices)[3],
                                       int triangleCount, const Rect& clip, const Color& tint,
                                       int drawMode, float offsetX, float offsetY, bool flag);
    virtual void BlitImageMirrored(Image* source, int x, int y, const Rect& sourceRect,
                                   const Color& tint, int drawMode);
    virtual void BlitImageStretchedMirrored(Image* source, const Rect& destRect,
                                            const Rect& sourceRect, const Rect& clip,
                                            const Color& tint, int drawMode, bool quickStretch);

    int32_t GetWidth() const { return width_; }
    int32_t GetHeight() const { return height_; }

    const std::string& GetPath() const { return path_; }
    void SetPath(const std::string& path) { path_ = path; }

    // The cel grid. A cel is width / columns by height / rows, so a grid of
    // fewer than one row or column is refused (false, grid unchanged).
    int32_t GetCelRows() const { return celRows_; }
    int32_t GetCelCols() const { return celCols_; }
    bool SetCelRows(int32_t rows);
    bool SetCelCols(int32_t cols);
    int32_t GetCelWidth() const { return width_ / celCols_; }
    int32_t GetCelHeight() const { return height_ / celRows_; }

    ImageAnimation* GetAnimation() const { return animation_.get(); }
    void SetAnimation(std::unique_ptr<ImageAnimation> animation) { animation_ = std::move(animation); }
    // Takes the other image's cel grid and a copy of its animation (or none).
    void CopyAnimationFrom(const Image& other);

    // Set by the software blitters on every image they read from.
    bool IsDrawnFrom() const { return drawnFrom_; }
    void SetDrawnFrom(bool drawnFrom) { drawnFrom_ = drawnFrom; }

protected:
    bool drawnFrom_ = false;
    std::string path_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t celRows_ = 1;
    int32_t celCols_ = 1;
    std::unique_ptr<ImageAnimation> animation_;
};

} // namespace Zolt
