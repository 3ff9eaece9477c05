// The Direct3D object of a DirectDraw object, handed out by
// QueryInterface(IID_IDirect3D7) on it: lists the one hardware device and
// creates devices that draw into 3D-capable surfaces with our software
// rasteriser.
//
// Threads: the callers serialise themselves (the display's critical section,
// or the capability test before the display exists); the reference count is
// atomic.
#pragma once

#include "platform/d3d/D3DTypes.h"
#include "platform/ddraw/DirectDraw.h"

#include <atomic>

namespace platform {

class Direct3DDevice;

class Direct3D final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // Reports the hardware device ("Direct3D HAL") with the card's caps.
    HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, void* context);
    // A device drawing into `target`, which must be a non-palettised
    // surface made with DDSCAPS_3DDEVICE. Only the hardware devices
    // (IID_IDirect3DHALDevice, IID_IDirect3DTnLHalDevice) exist.
    HRESULT CreateDevice(REFCLSID device, DirectDrawSurface* target, Direct3DDevice** out);

    DirectDraw* Owner() const { return owner_; }

private:
    friend HRESULT MakeDirect3D(DirectDraw* owner, void** out);
    explicit Direct3D(DirectDraw* owner);
    ~Direct3D() override;

    std::atomic<ULONG> references_{1};
    DirectDraw* owner_; // one reference held
};

using IDirect3D7 = Direct3D;
using LPDIRECT3D7 = Direct3D*;

// The maker QueryInterface(IID_IDirect3D7) runs.
HRESULT MakeDirect3D(DirectDraw* owner, void** out);

namespace d3d {
// Lets every DirectDraw object hand out IID_IDirect3D7 (once; later calls do
// nothing).
void EnsureDirect3DRegistered();
} // namespace d3d

} // namespace platform
