#include "platform/window/DrawnCanvas.h"

#include "platform/fonts/SystemFontFace.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

uint32_t Blend(uint32_t under, uint32_t over, double amount)
{
    auto channel = [&](int shift) {
        const double a = (under >> shift) & 0xFF;
        const double b = (over >> shift) & 0xFF;
        return static_cast<uint32_t>(std::lround(a + (b - a) * amount)) << shift;
    };
    return 0xFF000000u | channel(16) | channel(8) | channel(0);
}

} // namespace

DrawnCanvas DrawnCanvas::Below(int rows) const
{
    rows = std::clamp(rows, 0, height_);
    return DrawnCanvas(pixels_ + static_cast<ptrdiff_t>(rows) * pitch_, width_, height_ - rows, pitch_);
}

PixelArea DrawnCanvas::Clipped(const PixelArea& a) const
{
    const int left = std::max(0, a.x);
    const int top = std::max(0, a.y);
    const int right = std::min(width_, a.x + a.width);
    const int bottom = std::min(height_, a.y + a.height);
    return {left, top, right - left, bottom - top};
}

void DrawnCanvas::Fill(const PixelArea& area, uint32_t rgb)
{
    const PixelArea a = Clipped(area);
    if (a.Empty())
        return;
    for (int y = a.y; y < a.y + a.height; ++y) {
        uint32_t* row = pixels_ + static_cast<ptrdiff_t>(y) * pitch_;
        std::fill(row + a.x, row + a.x + a.width, 0xFF000000u | rgb);
    }
}

void DrawnCanvas::Frame(const PixelArea& a, uint32_t rgb, int thickness)
{
    Fill({a.x, a.y, a.width, thickness}, rgb);
    Fill({a.x, a.y + a.height - thickness, a.width, thickness}, rgb);
    Fill({a.x, a.y, thickness, a.height}, rgb);
    Fill({a.x + a.width - thickness, a.y, thickness, a.height}, rgb);
}

void DrawnCanvas::Edge(const PixelArea& a, uint32_t topLeft, uint32_t bottomRight)
{
    Fill({a.x, a.y, a.width, 1}, topLeft);
    Fill({a.x, a.y, 1, a.height}, topLeft);
    Fill({a.x, a.y + a.height - 1, a.width, 1}, bottomRight);
    Fill({a.x + a.width - 1, a.y, 1, a.height}, bottomRight);
}

void DrawnCanvas::Disc(int x, int y, int size, uint32_t rgb)
{
    const double r = size / 2.0;
    for (int py = std::max(0, -y); py < size && y + py < height_; ++py) {
        for (int px = std::max(0, -x); px < size && x + px < width_; ++px) {
            const double d = std::hypot(px + 0.5 - r, py + 0.5 - r);
            const double cover = std::clamp(r - d + 0.5, 0.0, 1.0);
            if (cover > 0) {
                uint32_t& p = pixels_[static_cast<ptrdiff_t>(y + py) * pitch_ + x + px];
                p = Blend(p, rgb, cover);
            }
        }
    }
}

void DrawnCanvas::Arrow(const PixelArea& a, bool up, uint32_t rgb)
{
    const int cx = a.x + a.width / 2;
    const int top = a.y + a.height / 2 - 2;
    for (int row = 0; row < 4; ++row) {
        const int half = up ? row : 3 - row;
        Fill({cx - half, top + row, 2 * half + 1, 1}, rgb);
    }
}

void DrawnCanvas::Text(const fonts::SystemFontFace& face, int x, int top, uint32_t rgb, const std::string& text,
                       const PixelArea* clip)
{
    fonts::ClipBox box{0, 0, width_, height_};
    if (clip)
        box = fonts::ClipBox{clip->x, clip->y, clip->x + clip->width, clip->y + clip->height};
    face.DrawText(pixels_, width_, height_, pitch_, x, top, rgb, text, &box);
}

void DrawnCanvas::Button(const PixelArea& area, const fonts::SystemFontFace& face, const std::string& label,
                         ButtonLook look)
{
    if (area.Empty())
        return;
    using namespace drawn_colour;
    Fill(area, look.pressed ? kButtonPressed : look.hovered ? kButtonHover : kButton);
    if (look.focused)
        Frame(area, kFocusEdge, 2);
    else
        Frame(area, kButtonEdge, 1);
    const int left = area.x + (area.width - face.MeasureText(label)) / 2;
    const int top = area.y + (area.height - face.Metrics().height) / 2;
    const PixelArea inside = area.Inset(2);
    Text(face, left, top, kText, label, &inside);
}

} // namespace platform
