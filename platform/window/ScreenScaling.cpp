#include "platform/window/ScreenScaling.h"

#include <cstdint>

namespace platform {

namespace {

// Rounds towards minus infinity: points left of or above the picture map to
// negative positions, never to 0.
int64_t FloorDivide(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// The position of a pixel of one axis in the other: the pixel under the
// centre of pixel `at` of a row `from` long, in a row `to` long.
int Rescale(int64_t at, int64_t from, int64_t to) { return int(FloorDivide((2 * at + 1) * to, 2 * from)); }

} // namespace

POINT ScreenScaling::ToScreen(POINT native) const
{
    return POINT{Rescale(native.x - shown.left, shown.right - shown.left, width),
                 Rescale(native.y - shown.top, shown.bottom - shown.top, height)};
}

POINT ScreenScaling::ToNative(POINT screen) const
{
    return POINT{shown.left + Rescale(screen.x, width, shown.right - shown.left),
                 shown.top + Rescale(screen.y, height, shown.bottom - shown.top)};
}

bool ScreenScaling::operator==(const ScreenScaling& other) const
{
    return width == other.width && height == other.height && shown.left == other.shown.left &&
           shown.top == other.shown.top && shown.right == other.shown.right && shown.bottom == other.shown.bottom;
}

RECT FitPictureInside(int pictureWidth, int pictureHeight, int width, int height)
{
    if (pictureWidth <= 0 || pictureHeight <= 0 || width <= 0 || height <= 0)
        return RECT{0, 0, 0, 0};
    int64_t w = width;
    int64_t h = int64_t(pictureHeight) * width / pictureWidth;
    if (h > height) {
        h = height;
        w = int64_t(pictureWidth) * height / pictureHeight;
    }
    const LONG left = static_cast<LONG>((width - w) / 2);
    const LONG top = static_cast<LONG>((height - h) / 2);
    return RECT{left, top, static_cast<LONG>(left + w), static_cast<LONG>(top + h)};
}

} // namespace platform
