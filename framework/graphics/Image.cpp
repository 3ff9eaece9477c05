#include "framework/graphics/Image.h"

namespace Zolt {

Image::Image(const Image& other)
    : width_(other.width_),
      height_(other.height_),
      celRows_(other.celRows_),
      celCols_(other.celCols_),
      animation_(other.animation_ ? std::make_unique<ImageAnimation>(*other.animation_) : nullptr)
{
}

Image::~Image() = default;

bool Image::FillPolygon(const Point*, int, const Rect&, const Color&, int, int, int, bool) { return false; }

void Image::FillRectangle(const Rect&, const Color&, int) {}

void Image::OutlineRectangle(const Rect& r, const Color& color, int drawMode)
{
    FillRectangle(Rect(r.x, r.y, r.width + 1, 1), color, drawMode);
    FillRectangle(Rect(r.x, r.y + r.height, r.width + 1, 1), color, drawMode);
    FillRectangle(Rect(r.x, r.y + 1, 1, r.height - 1), color, drawMode);
    FillRectangle(Rect(r.x + r.width, r.y + 1, 1, r.height - 1), color, drawMode);
}

void Image::ClearRectangle(const Rect&) {}

void Image::DrawLineSegment(double, double, double, double, const Color&, int) {}

void Image::DrawLineSegmentSmooth(double, double, double, double, const Color&, int) {}

void Image::FillSpans(const Span* spans, int count, const Color& color, int drawMode)
{
    for (int i = 0; i < count; ++i)
        FillRectangle(Rect(spans[i].x, spans[i].y, spans[i].width, 1), color, drawMode);
}

void Image::FillSpansWithCoverage(const Span*, int, const Color&, int, const uint8_t*, int, int, int, int) {}

void Image::BlitImage(Image*, int, int, const Rect&, const Color&, int) {}

void Image::BlitImageSubpixel(Image*, float, float, const Rect&, const Rect&, const Color&, int) {}

void Image::BlitImageRotated(Image*, float, float, const Rect&, const Rect&, const Color&, int, double, float,
                             float)
{
}

void Image::BlitImageStretched(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool) {}

void Image::BlitImageTransformed(Image*, float, float, const float*, const Rect&, const Color&, int, const Rect&,
                                 bool)
{
}

void Image::DrawTexturedTriangles(Image*, const TriVertex (*)[3], int, const Rect&, const Color&, int, float, float,
                                  bool)
{
}

void Image::BlitImageMirrored(Image*, int, int, const Rect&, const Color&, int) {}

void Image::BlitImageStretchedMirrored(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool) {}

bool Image::SetCelRows(int32_t rows)
{
    if (rows < 1)
        return false;
    celRows_ = rows;
    return true;
}

bool Image::SetCelCols(int32_t cols)
{
    if (cols < 1)
        return false;
    celCols_ = cols;
    return true;
}

void Image::CopyAnimationFrom(const Image& other)
{
    if (&other == this)
        return;
    celRows_ = other.celRows_;
    celCols_ = other.celCols_;
    animation_.reset();
    if (other.animation_)
        animation_ = std::make_unique<ImageAnimation>(*other.animation_);
}

} // namespace Zolt
