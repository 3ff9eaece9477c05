#include "platform/d3d/Direct3D.h"

#include "platform/core/Testing.h"
#include "platform/d3d/DeviceProfile.h"
#include "platform/d3d/Direct3DDevice.h"

#include <mutex>

namespace platform {

namespace {
HRESULT ArrangedFailure(const char* operation)
{
    int64_t code = 0;
    return testing::ShouldFail(operation, &code) ? static_cast<HRESULT>(code) : D3D_OK;
}
} // namespace

HRESULT MakeDirect3D(DirectDraw* owner, void** out)
{
    if (!owner || !out) return DDERR_INVALIDPARAMS;
    *out = new Direct3D(owner);
    return D3D_OK;
}

Direct3D::Direct3D(DirectDraw* owner) : owner_(owner) { owner_->AddRef(); }

Direct3D::~Direct3D() { owner_->Release(); }

HRESULT Direct3D::QueryInterface(REFIID iid, void** out)
{
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (iid == IID_IDirect3D7 || iid == IID_IUnknown) {
        AddRef();
        *out = this;
        return D3D_OK;
    }
    return owner_->QueryInterface(iid, out);
}

ULONG Direct3D::AddRef() { return ++references_; }

ULONG Direct3D::Release()
{
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT Direct3D::EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, void* context)
{
    if (HRESULT hr = ArrangedFailure("EnumDevices"); FAILED(hr)) return hr;
    if (!callback) return DDERR_INVALIDPARAMS;
    D3DDEVICEDESC7 desc = d3d::CurrentProfile().Describe();
    char description[] = "Hardware acceleration through Direct3D HAL";
    char name[] = "Direct3D HAL";
    callback(description, name, &desc, context);
    return D3D_OK;
}

HRESULT Direct3D::CreateDevice(REFCLSID device, DirectDrawSurface* target, Direct3DDevice** out)
{
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (HRESULT hr = ArrangedFailure("CreateDevice"); FAILED(hr)) return hr;
    if (!(device == IID_IDirect3DHALDevice) && !(device == IID_IDirect3DTnLHalDevice)) return DDERR_INVALIDPARAMS;
    if (!target) return DDERR_INVALIDPARAMS;
    if (!(target->Caps() & DDSCAPS_3DDEVICE)) return DDERR_INVALIDCAPS;
    const ddraw::PixelLayout& layout = target->Layout();
    if (layout.IsPalettised() || layout.bitsPerPixel < 16) return DDERR_INVALIDPIXELFORMAT;
    if (target->IsLost() != DD_OK) return DDERR_SURFACELOST;
    *out = new Direct3DDevice(this, target, d3d::CurrentProfile());
    return D3D_OK;
}

namespace d3d {
void EnsureDirect3DRegistered()
{
    static std::once_flag once;
    std::call_once(once, [] { DirectDraw::RegisterInterface(IID_IDirect3D7, &MakeDirect3D); });
}
} // namespace d3d

} // namespace platform
