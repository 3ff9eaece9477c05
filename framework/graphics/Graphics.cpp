#include "framework/graphics/Graphics.h"

#include <climits>

#include "framework/graphics/Font.h"
#include "framework/graphics/Image.h"

#include <atomic>
#include <cmath>

namespace Zolt {

namespace {

// Truncates toward zero like a cast, but a coordinate beyond the int range
// (or not a number) is clamped instead of being undefined behaviour.
int Trunc(float v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483520.0f)
        return 2147483520;
    if (v <= -2147483648.0f)
        return INT_MIN;
    return static_cast<int>(v);
}

std::atomic<Graphics::Screen3DQuery> gScreen3DQuery{nullptr};

} // namespace

Image* Graphics::BlankImage()
{
    static Image blank;
    return &blank;
}

void Graphics::SetScreen3DQuery(Screen3DQuery query) { gScreen3DQuery.store(query); }

Graphics::Graphics(Image* dest)
{
    destination = dest ? dest : BlankImage();
    clip = Rect(0, 0, destination->GetWidth(), destination->GetHeight());
    if (Screen3DQuery query = gScreen3DQuery.load())
        drawingOn3DScreen = query(destination);
}

Graphics::Graphics(const Graphics& other) : GraphicsState(other) {}

Graphics::~Graphics() = default;

std::unique_ptr<Graphics> Graphics::Duplicate() const { return std::make_unique<Graphics>(*this); }

void Graphics::SaveState() { saved_.push_back(static_cast<const GraphicsState&>(*this)); }

void Graphics::RestoreState()
{
    if (saved_.empty())
        return;
    CopyFrom(saved_.back());
    saved_.pop_back();
}

void Graphics::MoveOrigin(int dx, int dy)
{
    translateX += dx;
    translateY += dy;
}

void Graphics::NarrowClip(int x, int y, int width, int height)
{
    clip = clip.Intersection(Rect(Trunc(translateX + x), Trunc(translateY + y), width, height));
}

void Graphics::FillRectangle(int x, int y, int width, int height)
{
    if (color.alpha == 0)
        return;
    const Rect r = Rect(Trunc(translateX + x), Trunc(translateY + y), width, height).Intersection(clip);
    destination->FillRectangle(r, color, drawMode);
}

void Graphics::OutlineRectangle(int x, int y, int width, int height)
{
    if (color.alpha == 0)
        return;
    const Rect whole(Trunc(translateX + x), Trunc(translateY + y), width + 1, height + 1);
    if (whole.Intersection(clip) == whole) {
        destination->OutlineRectangle(Rect(whole.x, whole.y, width, height), color, drawMode);
        return;
    }
    FillRectangle(x, y, width + 1, 1);
    FillRectangle(x, y + height, width + 1, 1);
    FillRectangle(x, y + 1, 1, height - 1);
    FillRectangle(x + width, y + 1, 1, height - 1);
}

void Graphics::DrawLineSegment(int x1, int y1, int x2, int y2)
{
    double ax = translateX + x1, ay = translateY + y1;
    double bx = translateX + x2, by = translateY + y2;
    if (ClipLineSegment(ax, ay, bx, by))
        destination->DrawLineSegment(ax, ay, bx, by, color, drawMode);
}

bool Graphics::ClipLineSegment(double& x1, double& y1, double& x2, double& y2) const
{
    const double cx = clip.x, cy = clip.y;
    const double right = cx + clip.width, bottom = cy + clip.height;
    double ax = x1, ay = y1, bx = x2, by = y2;

    if (ax > bx) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    if (ax < cx) {
        if (bx < cx)
            return false;
        ay += (cx - ax) * (by - ay) / (bx - ax);
        ax = cx;
    }
    if (bx >= right) {
        if (ax >= right)
            return false;
        const double nx = right - 1;
        by = ay + (nx - ax) * (by - ay) / (bx - ax);
        bx = nx;
    }

    if (ay > by) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    if (ay < cy) {
        if (by < cy)
            return false;
        ax += (cy - ay) * (bx - ax) / (by - ay);
        ay = cy;
    }
    if (by >= bottom) {
        if (ay >= bottom)
            return false;
        const double ny = bottom - 1;
        bx = ax + (ny - ay) * (bx - ax) / (by - ay);
        by = ny;
    }
    x1 = ax;
    y1 = ay;
    x2 = bx;
    y2 = by;
    return true;
}

void Graphics::PaintImage(Image* image, int x, int y)
{
    if (!image)
        return;
    if (scaleX == 1 && scaleY == 1) {
        const int X = Trunc(translateX + x), Y = Trunc(translateY + y);
        const Rect r = Rect(X, Y, image->GetWidth(), image->GetHeight()).Intersection(clip);
        if (r.width < 1 || r.height < 1)
            return;
        destination->BlitImage(image, r.x, r.y, Rect(r.x - X, r.y - Y, r.width, r.height), Tint(), drawMode);
        return;
    }
    PaintImagePart(image, x, y, Rect(0, 0, image->GetWidth(), image->GetHeight()));
}

void Graphics::PaintImagePart(Image* image, int x, int y, const Rect& src)
{
    if (!image)
        return;
    // A part that starts before the image is refused like one that ends
    // after it.
    if (src.x < 0 || src.y < 0 || src.x + src.width > image->GetWidth() || src.y + src.height > image->GetHeight())
        return;
    const int X = Trunc(translateX + x), Y = Trunc(translateY + y);
    if (scaleX == 1 && scaleY == 1) {
        const Rect r = Rect(X, Y, src.width, src.height).Intersection(clip);
        if (r.width > 0 && r.height > 0)
            destination->BlitImage(image, r.x, r.y, Rect(src.x + r.x - X, src.y + r.y - Y, r.width, r.height),
                                   Tint(), drawMode);
        return;
    }
    const Rect dest(Trunc(std::floor((X - scaleOriginX) * scaleX) + scaleOriginX),
                    Trunc(std::floor((Y - scaleOriginY) * scaleY) + scaleOriginY),
                    Trunc(std::ceil(src.width * scaleX)), Trunc(std::ceil(src.height * scaleY)));
    destination->BlitImageStretched(image, dest, src, clip, Tint(), drawMode, quickStretch);
}

void Graphics::PaintImageStretched(Image* image, const Rect& destRect, const Rect& sourceRect)
{
    if (!image)
        return;
    const Rect dest(Trunc(translateX + destRect.x), Trunc(translateY + destRect.y), destRect.width, destRect.height);
    destination->BlitImageStretched(image, dest, sourceRect, clip, Tint(), drawMode, quickStretch);
}

void Graphics::PaintImageRotatedFloat(Image* image, float x, float y, double angle, float centerX, float centerY,
                                      const Rect* sourceRect)
{
    if (!image)
        return;
    const Rect src = sourceRect ? *sourceRect : Rect(0, 0, image->GetWidth(), image->GetHeight());
    destination->BlitImageRotated(image, x + translateX, y + translateY, src, clip, Tint(), drawMode, angle, centerX,
                                  centerY);
}

void Graphics::PaintImageRotated(Image* image, int x, int y, double angle, int centerX, int centerY,
                                 const Rect* sourceRect)
{
    PaintImageRotatedFloat(image, static_cast<float>(x), static_cast<float>(y), angle, static_cast<float>(centerX),
                           static_cast<float>(centerY), sourceRect);
}

void Graphics::PaintImageFrame(const Rect& destRect, Image* image)
{
    if (!image)
        return;
    PaintImageFrame(Rect(0, 0, image->GetWidth(), image->GetHeight()), destRect, image);
}

void Graphics::PaintImageFrame(const Rect& s, const Rect& d, Image* image)
{
    if (!image || s.width < 1 || s.height < 1)
        return;
    const int cw = s.width / 3, ch = s.height / 3;
    const int mw = std::max(s.width - 2 * cw, 1), mh = std::max(s.height - 2 * ch, 1);
    auto tiles = [](int n, int m) { return n <= 0 ? 0 : (n + m - 1) / m; };
    const int across = tiles(d.width - 2 * cw, mw);
    const int down = tiles(d.height - 2 * ch, mh);

    PaintImagePart(image, d.x, d.y, Rect(s.x, s.y, cw, ch));
    PaintImagePart(image, d.x + d.width - cw, d.y, Rect(s.x + cw + mw, s.y, cw, ch));
    PaintImagePart(image, d.x, d.y + d.height - ch, Rect(s.x, s.y + ch + mh, cw, ch));
    PaintImagePart(image, d.x + d.width - cw, d.y + d.height - ch, Rect(s.x + cw + mw, s.y + ch + mh, cw, ch));

    {
        Graphics g(*this);
        g.NarrowClip(d.x + cw, d.y, d.width - 2 * cw, d.height);
        for (int i = 0; i < across; ++i) {
            g.PaintImagePart(image, d.x + cw + i * mw, d.y, Rect(s.x + cw, s.y, mw, ch));
            g.PaintImagePart(image, d.x + cw + i * mw, d.y + d.height - ch, Rect(s.x + cw, s.y + ch + mh, mw, ch));
        }
    }
    {
        Graphics g(*this);
        g.NarrowClip(d.x, d.y + ch, d.width, d.height - 2 * ch);
        for (int j = 0; j < down; ++j) {
            g.PaintImagePart(image, d.x, d.y + ch + j * mh, Rect(s.x, s.y + ch, cw, mh));
            g.PaintImagePart(image, d.x + d.width - cw, d.y + ch + j * mh, Rect(s.x + cw + mw, s.y + ch, cw, mh));
        }
    }
    {
        Graphics g(*this);
        g.NarrowClip(d.x + cw, d.y + ch, d.width - 2 * cw, d.height - 2 * ch);
        for (int j = 0; j < down; ++j)
            for (int i = 0; i < across; ++i)
                g.PaintImagePart(image, d.x + cw + i * mw, d.y + ch + j * mh, Rect(s.x + cw, s.y + ch, mw, mh));
    }
}

void Graphics::RenderText(const std::string& text, int x, int y)
{
    if (font)
        font->RenderText(this, x, y, text, color, clip);
}

} // namespace Zolt
