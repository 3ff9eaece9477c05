// The machine the DirectDraw objects run on: the desktop's mode (as the
// window service reports it), the mode a full-screen program set, the owner
// of exclusive mode, the video memory, the adapter's identity, the presenter
// that shows the primary and the live surfaces (so that they can all be lost
// at once). One per process.
//
// Threads: any; every member takes the machine's own recursive mutex, which is
// also held while the presenter runs (the presenter may ask the window
// service about windows; the window service never calls back in here).
#pragma once

#include "platform/ddraw/DDrawTypes.h"
#include "platform/ddraw/DisplayPresenter.h"
#include "platform/ddraw/PixelLayout.h"

#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace platform {
class DirectDraw;
class DirectDrawSurface;
}

namespace platform::ddraw {

struct AdapterIdentity {
    std::string driver = "pellucor_display.drv";
    std::string description = "Pellucor software display";
    GUID guid = {0x7A3C51E2, 0x4F10, 0x4B6D, {0x9C, 0x21, 0x5E, 0x88, 0x01, 0x3D, 0xA4, 0x6B}};
};

struct DisplayMode {
    int width = 0;
    int height = 0;
    int depth = 0;   // bits per pixel: 8, 16, 24 or 32
    int refresh = 0; // Hz; 0 when the monitor does not say

    bool operator==(const DisplayMode&) const = default;
};

class DisplayMachine {
public:
    static DisplayMachine& Instance();

    // Back to the desktop's mode, 5-6-5 and red-high channel orders, 64 MB of
    // video memory, the stock adapter, the headless presenter.
    void Reset();

    DisplayMode Desktop();
    DisplayMode Current();
    PixelLayout CurrentLayout();
    PixelLayout LayoutForDepth(int depth);
    unsigned ModeGeneration(); // advances at every mode change
    void SetChannelOrder(bool rgb555, bool bgr32);
    void SetCurrentMode(const DisplayMode& mode);
    void RestoreDesktopMode();
    bool IsModeChanged();

    DirectDraw* ExclusiveOwner();
    void SetExclusiveOwner(DirectDraw* owner);

    AdapterIdentity Adapter();
    void SetAdapter(const AdapterIdentity& adapter);

    void SetVideoMemory(DWORD total, DWORD free);
    DWORD VideoMemoryTotal();
    DWORD VideoMemoryFree();
    bool ReserveVideoMemory(size_t bytes);
    void ReturnVideoMemory(size_t bytes);

    // DD_OK, or the failure a test arranged for this call of `operation`
    // (through platform::testing::FailNext).
    static HRESULT TakeFailure(const char* operation);
    // The client area of a window of the window service in desktop
    // coordinates; false when it is no such window or is minimised.
    static bool WindowServiceClientArea(HWND window, RECT& area);

    void RegisterSurface(DirectDrawSurface* surface);
    size_t LiveSurfaceCount();
    void UnregisterSurface(DirectDrawSurface* surface);
    void LoseAllSurfaces();

    // Holds the machine's lock for callers that reach the presenter directly.
    std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(mutex_); }

    void InstallPresenter(std::unique_ptr<DisplayPresenter> presenter);
    DisplayPresenter& Presenter();
    bool GetClientArea(HWND window, RECT& area);
    void SetFullScreen(HWND window, bool fullScreen, int width, int height);
    void Present(HWND window, const SurfaceView& primary, const RECT& source, bool fullScreen);
    // A frame shown from another surface in place of `primary`, which owes
    // its memory of the area from then on (DirectDrawSurface::Settle); one
    // primary at a time owes: another is settled before anything else is
    // presented or the presenter changes.
    // The picture the last PresentDirect of `primary` put in the window,
    // shown again as it is; false when that is no longer what it holds.
    bool ShowAgain(const DirectDrawSurface* primary, HWND window, const RECT& area);
    // A part of the area the last PresentDirect of `primary` showed; false
    // when that picture is no longer what the window shows.
    bool PresentDirectPart(const DirectDrawSurface* primary, HWND window, const SurfaceView& pixels, const RECT& from,
                           const RECT& part, const RECT& area);
    bool PresentDirect(const DirectDrawSurface* primary, HWND window, const SurfaceView& pixels, const RECT& from,
                       const RECT& area);
    bool ReadShown(HWND window, const RECT& area, uint32_t* out);
    void ForgetShownOnly(const DirectDrawSurface* primary);
    // The primary that owes the picture a PresentDirect showed takes it
    // back now (a presenter about to lose it calls this).
    void SettleOwedPicture();

private:
    DisplayMachine();

    std::recursive_mutex mutex_;
    DisplayMode DesktopLocked();

    DisplayMode lastDesktop_; // the desktop when generation_ last moved
    DisplayMode current_;     // meaningful while modeChanged_
    bool modeChanged_ = false;
    bool rgb555_ = false;
    bool bgr32_ = false;
    unsigned generation_ = 0;
    DirectDraw* exclusiveOwner_ = nullptr;
    AdapterIdentity adapter_;
    DWORD videoTotal_ = 0;
    DWORD videoFree_ = 0;
    std::set<DirectDrawSurface*> surfaces_;
    std::unique_ptr<DisplayPresenter> presenter_;
    const DirectDrawSurface* shownOnly_ = nullptr; // the primary that owes the presented picture
    void SettleShownOnly();
};

} // namespace platform::ddraw
