// What the display needs of the application that owns it: the draw size and
// the switches that shape the display, the flags the display raises for it,
// and the few window services (client origin, window placement, desktop
// size) it uses. The application base implements it; a null host gives the
// defaults below, which is how tools and tests run a display alone.
//
// Called on the main thread, under the display's lock (Initialize, Redraw),
// except GetClientOrigin, which the cursor thread reaches through the
// display's cursor drawing, also under that lock.
#pragma once

#include "framework/base/Fraction.h"
#include "framework/graphics/Rect.h"
#include "platform/ddraw/DDrawTypes.h"

#include <string>

namespace Zolt {

class ImageHost;

class DisplayHost {
public:
    virtual ~DisplayHost() = default;

    // The application images register with (the memory-image part of every
    // display image is built with it); may be null.
    virtual ImageHost* GetImageHost() { return nullptr; }

    // The draw buffer's size and the depth asked for in full screen.
    virtual int GetWidth() { return 640; }
    virtual int GetHeight() { return 480; }
    virtual int GetFullScreenDepth() { return 16; }

    // The forced-aspect switch of windowed mode and its aspect.
    virtual bool IsAspectForced() { return false; }
    virtual Fraction GetForcedAspect() { return Fraction(4, 3); }
    // Fill the whole display (stretching) instead of pillar-boxing.
    virtual bool IsStretchToFill() { return false; }
    // False on machines where page flipping is not allowed (a Tablet PC).
    virtual bool AllowsPageFlipping() { return true; }
    // True while a system dialog shows the GDI surface in full screen.
    virtual bool IsSystemDialogShowing() { return false; }

    // The 3D switches: automatic detection, and running the test at all.
    virtual bool WantsAuto3DDetection() { return false; }
    virtual bool WantsTest3D() { return false; }
    // The player's stored setting asked for Direct3D: automatic detection
    // then leaves the choice alone (a failure still overrides it).
    virtual bool HasChosen3D() const { return false; }
    virtual int GetMinVideoMemoryMB() { return 6; }
    virtual int GetRecommendedVideoMemoryMB() { return 14; }

    // Raised when the refresh rate could not be read or was out of range.
    virtual void SetVSyncUnreliable(bool unreliable) { (void)unreliable; }
    // Where the draw buffer is shown inside the display.
    virtual void SetPresentationRect(const Rect& rect) { (void)rect; }
    // A fresh capability test ran during initialisation.
    virtual void OnDisplayInitHook() {}

    // The window's client origin in desktop coordinates (ClientToScreen of
    // (0, 0)); false when the window is not known.
    virtual bool GetClientOrigin(platform::HWND window, Point& origin);
    // Resizes the window so that its client area becomes `client` (desktop
    // coordinates), left and top kept at 0 or more, without repainting.
    virtual void PlaceWindowAroundClient(platform::HWND window, const Rect& client);
    // The desktop's size (the system metrics of the screen).
    virtual void GetDesktopSize(int& width, int& height);
    // The display's trace lines.
    virtual void Log(const std::string& line);
};

} // namespace Zolt
