// A display mode the monitor does not have, shown scaled: the program's
// full-screen window covers the real monitor and shows the mode's screen
// (its picture, `width` x `height`) at `shown`, a rectangle of the native
// window in its own pixels, with margins around it. Everything above the
// platform lives in the mode's screen: pointer positions the system reports
// in native pixels read as screen positions of the mode (a point in a margin
// lies outside the mode's screen), and positions the program asks for go
// back the other way.
//
// Rounding: a native pixel stands for the screen pixel under its centre, and
// a screen pixel is shown by the native pixel under its centre, so that when
// the picture is shown larger (the usual case) every screen pixel goes there
// and back unchanged.
//
// Threads: plain values; the window service keeps the one in force under its
// lock.
#pragma once

#include "platform/window/WindowTypes.h"

namespace platform {

struct ScreenScaling {
    int width = 0;  // the mode's screen
    int height = 0;
    RECT shown{0, 0, 0, 0}; // in native window pixels

    bool IsValid() const { return width > 0 && height > 0 && shown.right > shown.left && shown.bottom > shown.top; }
    // The screen position of a native pixel (outside the screen in a margin).
    POINT ToScreen(POINT native) const;
    // The native pixel that shows a screen position.
    POINT ToNative(POINT screen) const;
    bool Contains(POINT screen) const { return screen.x >= 0 && screen.y >= 0 && screen.x < width && screen.y < height; }
    bool operator==(const ScreenScaling& other) const;
};

// The largest rectangle of the picture's shape that fits inside (width x
// height), centred: where a scaled screen is shown, black bars beside or
// above and below it. Empty when either size is empty.
RECT FitPictureInside(int pictureWidth, int pictureHeight, int width, int height);

} // namespace platform
