// The DirectDraw object: cooperative level, display modes, monitor
// frequency, video memory, adapter identity, surface and clipper creation.
// Both the first-version and the seventh-version interfaces are this class;
// overloads taking DDSURFACEDESC / DDSCAPS serve the first.
//
// Threads: the display's critical section serialises its callers; the object
// keeps no lock of its own (the machine it runs on does).
#pragma once

#include "platform/ddraw/DDrawTypes.h"
#include "platform/ddraw/DirectDrawClipper.h"
#include "platform/ddraw/DirectDrawPalette.h"
#include "platform/ddraw/DirectDrawSurface.h"

#include <atomic>
#include <memory>

namespace platform {

class DirectDraw final : public IUnknown {
public:
    using EnumModesCallback2 = HRESULT (*)(DDSURFACEDESC2* mode, void* context);
    using EnumModesCallback = HRESULT (*)(DDSURFACEDESC* mode, void* context);
    // Makes another interface of this object (the Direct3D object, for one).
    using InterfaceMaker = HRESULT (*)(DirectDraw* owner, void** out);

    // A new object with one reference.
    static DirectDraw* Create();
    // Lets QueryInterface hand out `iid` through `maker` (null removes it).
    static void RegisterInterface(const GUID& iid, InterfaceMaker maker);

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT CreateClipper(DWORD flags, DirectDrawClipper** out, IUnknown* outer);
    HRESULT CreatePalette(DWORD caps, PALETTEENTRY* entries, DirectDrawPalette** out, IUnknown* outer);
    HRESULT CreateSurface(DDSURFACEDESC2* desc, DirectDrawSurface** out, IUnknown* outer);
    HRESULT CreateSurface(DDSURFACEDESC* desc, DirectDrawSurface** out, IUnknown* outer);
    HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC2* filter, void* context, EnumModesCallback2 callback);
    HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC* filter, void* context, EnumModesCallback callback);
    HRESULT FlipToGDISurface();
    HRESULT GetDisplayMode(DDSURFACEDESC2* desc);
    HRESULT GetDisplayMode(DDSURFACEDESC* desc);
    HRESULT GetMonitorFrequency(DWORD* hertz);
    HRESULT GetAvailableVidMem(DDSCAPS2* caps, DWORD* total, DWORD* free);
    HRESULT GetDeviceIdentifier(DDDEVICEIDENTIFIER2* identifier, DWORD flags);
    HRESULT RestoreDisplayMode();
    HRESULT SetCooperativeLevel(HWND window, DWORD flags);
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate = 0, DWORD flags = 0);
    HRESULT WaitForVerticalBlank(DWORD flags, void* event);
    HRESULT RestoreAllSurfaces();
    HRESULT TestCooperativeLevel();

    // The cooperative-level window (null before one was set).
    HWND Window() const { return link_->window; }

private:
    DirectDraw();
    ~DirectDraw() override;

    HRESULT MakeSurface(const DDSURFACEDESC2& desc, DirectDrawSurface** out);
    // The set-up of the primary surface (the display's mode) or of an
    // off-screen one (its size, format and memory); DD_OK or the refusal.
    HRESULT SetUpPrimary(const DDSURFACEDESC2& desc, DWORD caps, bool chain, DirectDrawSurface::Setup& setup);
    HRESULT SetUpOffScreen(const DDSURFACEDESC2& desc, DWORD caps, DWORD caps2, DirectDrawSurface::Setup& setup);
    template <class Desc> void DescribeMode(Desc& desc, int width, int height, int depth, int refresh) const;
    void GiveUpExclusive();

    std::atomic<ULONG> references_{1};
    std::shared_ptr<ddraw::DeviceLink> link_;
    bool changedMode_ = false;
};

using IDirectDraw = DirectDraw;
using IDirectDraw7 = DirectDraw;
using LPDIRECTDRAW = DirectDraw*;
using LPDIRECTDRAW7 = DirectDraw*;

constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);

// The entry points of the display library, under the names the program looks
// them up by ("DirectDrawCreate", "DirectDrawCreateEx",
// "DirectDrawCreateClipper").
HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** out, IUnknown* outer);
HRESULT DirectDrawCreateEx(GUID* driver, void** out, REFIID iid, IUnknown* outer);
HRESULT DirectDrawCreateClipper(DWORD flags, IDirectDrawClipper** out, IUnknown* outer);

using LPDIRECTDRAWCREATE = HRESULT (*)(GUID*, IDirectDraw**, IUnknown*);
using LPDIRECTDRAWCREATEEX = HRESULT (*)(GUID*, void**, REFIID, IUnknown*);
using LPDIRECTDRAWCREATECLIPPER = HRESULT (*)(DWORD, IDirectDrawClipper**, IUnknown*);

namespace ddraw {
// The entry point of that name as a function address, or null.
void* FindEntryPoint(const char* name);
// Registers "ddraw.dll" with the module registry (once; later calls do
// nothing), so that LoadModule / GetEntry find the three entry points.
void EnsureDDrawRegistered();
} // namespace ddraw

} // namespace platform
