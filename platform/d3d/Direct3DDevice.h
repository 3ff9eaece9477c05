// A Direct3D 7 device over one render-target surface: caps, texture formats,
// render and texture-stage states, viewport, scenes, Clear and DrawPrimitive
// of transformed, lit vertices, drawn at once by the software rasteriser
// (platform/d3d/Rasteriser.h) into the surface's memory.
//
// Failures the program must survive can be arranged by name through
// platform::testing::FailNext: "CreateDevice", "EnumDevices", "GetCaps",
// "EnumTextureFormats", "SetRenderTarget", "BeginScene", "EndScene",
// "Clear", "SetViewport", "SetRenderState", "SetTextureStageState",
// "SetTexture", "DrawPrimitive".
//
// Threads: main thread (or whoever holds the display's critical section);
// the object keeps no lock. The reference count is atomic.
#pragma once

#include "platform/d3d/D3DTypes.h"
#include "platform/d3d/DeviceProfile.h"
#include "platform/d3d/Rasteriser.h"
#include "platform/ddraw/DirectDrawSurface.h"

#include <array>
#include <atomic>
#include <vector>

namespace platform {

class Direct3D;

class Direct3DDevice final : public IUnknown {
public:
    // Made by Direct3D::CreateDevice; holds references to `owner` and `target`.
    Direct3DDevice(Direct3D* owner, DirectDrawSurface* target, const d3d::DeviceProfile& profile);

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetCaps(D3DDEVICEDESC7* desc);
    // Offers each texture format of the card, in the order A8R8G8B8,
    // A4R4G4B4, R5G6B5, A1R5G5B5, X8R8G8B8, palettised, until the callback
    // answers D3DENUMRET_CANCEL.
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context);
    HRESULT GetDirect3D(Direct3D** out);

    HRESULT BeginScene();
    HRESULT EndScene();

    HRESULT SetRenderTarget(DirectDrawSurface* target, DWORD flags);
    HRESULT GetRenderTarget(DirectDrawSurface** out);
    // The viewport may reach beyond the render target; drawing is clipped
    // to both.
    HRESULT SetViewport(D3DVIEWPORT7* viewport);
    HRESULT GetViewport(D3DVIEWPORT7* viewport);
    // Fills the rectangles (all of the viewport when none are given), within
    // the viewport. There is no depth or stencil buffer.
    HRESULT Clear(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR color, D3DVALUE z, DWORD stencil);

    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value);
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value);
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD* value);
    // Null unbinds. A texture must be a DDSCAPS_TEXTURE surface in one of the
    // card's formats and sizes.
    HRESULT SetTexture(DWORD stage, DirectDrawSurface* texture);
    HRESULT GetTexture(DWORD stage, DirectDrawSurface** out);

    // Draws a list, strip or fan of triangles, or a list or strip of lines,
    // of vertices with D3DFVF_XYZRHW and optional diffuse, specular and
    // texture coordinates. Only inside a scene.
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, void* vertices, DWORD count, DWORD flags);

private:
    ~Direct3DDevice() override;

    RECT ClipRect() const;
    d3d::PipelineState Pipeline() const;
    HRESULT DecodeVertices(DWORD fvf, const void* vertices, DWORD count);

    std::atomic<ULONG> references_{1};
    Direct3D* owner_;           // one reference held
    DirectDrawSurface* target_; // one reference held
    d3d::DeviceProfile profile_;
    D3DVIEWPORT7 viewport_;
    bool inScene_ = false;
    std::array<DWORD, kD3DRenderStateCount> renderStates_{};
    std::array<std::array<DWORD, kD3DTextureStageStateCount>, kD3DTextureStages> stageStates_{};
    std::array<DirectDrawSurface*, kD3DTextureStages> textures_{}; // one reference each
    std::vector<d3d::Vertex> vertices_;                            // reused between draws
};

using IDirect3DDevice7 = Direct3DDevice;
using LPDIRECT3DDEVICE7 = Direct3DDevice*;

} // namespace platform
