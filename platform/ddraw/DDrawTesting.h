// Test hooks of the display service: the machine's desktop, the failures of
// named calls, lost surfaces, pretend windows and what the screen showed.
// Every hook works on the headless presenter, which tests keep installed.
//
// Threads: any; each hook takes the display machine's lock.
#pragma once

#include "platform/ddraw/DDrawTypes.h"
#include "platform/ddraw/HeadlessPresenter.h"

#include <string>

namespace platform::ddraw::testing {

// Back to a 1920 x 1080, 32-bit (X8R8G8B8), 60 Hz desktop (set through the
// window service's desktop, which every service reads), 64 MB of video
// memory, the stock adapter, a fresh headless presenter.
void ResetDisplay();

// The desktop's size, depth (8, 16, 24 or 32) and refresh rate (0: the
// monitor does not say). `rgb555` picks 5-5-5 over 5-6-5 for 16 bits,
// `bgr32` puts red in the low byte of 32-bit pixels.
void SetDesktop(int width, int height, int depth, int refreshHz, bool rgb555 = false, bool bgr32 = false);
void SetVideoMemory(DWORD totalBytes, DWORD freeBytes);
void SetAdapter(const std::string& description, const std::string& driver, const GUID& guid);

// The next `times` calls of `operation` fail with `result` (times < 0: every
// call until ClearFailures); the platform's common failure hook
// (platform::testing::FailNext) serves as well. Operation names are the calls' own names:
// "DirectDrawCreate", "DirectDrawCreateEx", "QueryInterface",
// "SetCooperativeLevel", "SetDisplayMode", "RestoreDisplayMode",
// "GetDisplayMode", "EnumDisplayModes", "GetMonitorFrequency",
// "GetAvailableVidMem", "GetDeviceIdentifier", "CreateSurface",
// "CreateClipper", "DirectDrawCreateClipper", "SetHWnd", "SetClipper",
// "GetAttachedSurface", "Lock", "Unlock", "Blt", "BltFast", "Flip",
// "FlipToGDISurface", "GetSurfaceDesc", "GetPixelFormat", "SetColorKey",
// "GetDC", "Restore", "RestoreAllSurfaces", "CreatePalette", "SetPalette".
void FailNext(const std::string& operation, HRESULT result, int times = 1);
void ClearFailures();

// Every live surface becomes lost, as when another program takes the screen.
void LoseSurfaces();

// Pretend windows for the clipper and the presenter (windows of the window
// service work as well).
HWND CreateWindow(int left, int top, int width, int height);
void MoveWindow(HWND window, int left, int top, int width, int height);
void MinimiseWindow(HWND window, bool minimised);

// What the screen shows: the last present (pixels 0xAARRGGBB; windowed, the
// window's client area; full screen, the whole mode before scaling).
HeadlessPresenter::Frame PresentedFrame();
uint32_t PresentedPixel(int x, int y);
int PresentCount();
// Presents that showed only a part of the window's picture, the last one's
// part (desktop coordinates).
int PartPresentCount();
// Presents that showed the window its picture again without sending it.
int AgainPresentCount();
RECT LastPresentedPart();
bool IsFullScreen();
// Surfaces alive now, of every DirectDraw object.
size_t LiveSurfaceCount();

} // namespace platform::ddraw::testing
