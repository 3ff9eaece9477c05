// Scenario builders shared by the Direct3D service's tests: a headless
// display, a DirectDraw object, a small render target with a device on it,
// textures filled from ARGB words, and quads and triangles of transformed,
// lit vertices.
#pragma once

#include "platform/core/Testing.h"
#include "platform/d3d/D3DTesting.h"
#include "platform/d3d/Direct3D.h"
#include "platform/d3d/Direct3DDevice.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/ddraw/DirectDraw.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace d3dtest {

using namespace platform;
namespace ddhooks = platform::ddraw::testing;
namespace hooks = platform::d3d::testing;

struct Releaser {
    void operator()(IUnknown* object) const
    {
        if (object) object->Release();
    }
};
template <class T> using Ref = std::unique_ptr<T, Releaser>;

inline DDSURFACEDESC2 Desc(DWORD flags, DWORD caps, int width = 0, int height = 0)
{
    DDSURFACEDESC2 d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    d.dwFlags = flags;
    d.ddsCaps.dwCaps = caps;
    d.dwWidth = DWORD(width);
    d.dwHeight = DWORD(height);
    return d;
}

inline D3DTLVERTEX V(float x, float y, DWORD colour = 0xFFFFFFFF, float u = 0, float v = 0)
{
    return D3DTLVERTEX{x, y, 0.0f, 1.0f, colour, 0, u, v};
}

// The four corners of a quad in strip order.
inline std::vector<D3DTLVERTEX> Quad(float left, float top, float right, float bottom, DWORD colour = 0xFFFFFFFF,
                                     float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1)
{
    return {V(left, top, colour, u0, v0), V(right, top, colour, u1, v0), V(left, bottom, colour, u0, v1),
            V(right, bottom, colour, u1, v1)};
}

class D3DScenario : public ::testing::Test {
protected:
    void SetUp() override
    {
        ddhooks::ResetDisplay();
        hooks::ResetDevice();
        platform::testing::ClearFailures();
        void* raw = nullptr;
        ASSERT_EQ(DirectDrawCreateEx(nullptr, &raw, IID_IDirectDraw7, nullptr), DD_OK);
        dd.reset(static_cast<DirectDraw*>(raw));
        ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
        void* d3dRaw = nullptr;
        ASSERT_EQ(dd->QueryInterface(IID_IDirect3D7, &d3dRaw), DD_OK);
        d3d.reset(static_cast<Direct3D*>(d3dRaw));
    }
    void TearDown() override
    {
        device.reset();
        target.reset();
        d3d.reset();
        dd.reset();
        platform::testing::ClearFailures();
        hooks::ResetDevice();
        ddhooks::ResetDisplay();
    }

    // A render target in the given pixel format (null: the desktop's) with a
    // device on it, cleared to `background`, blending and culling off.
    void MakeTarget(int width, int height, const DDPIXELFORMAT* format = nullptr, DWORD background = 0xFF000000)
    {
        DDSURFACEDESC2 d = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0),
                                DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY, width, height);
        if (format) d.ddpfPixelFormat = *format;
        DirectDrawSurface* s = nullptr;
        ASSERT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
        target.reset(s);
        Direct3DDevice* dev = nullptr;
        ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DHALDevice, s, &dev), D3D_OK);
        device.reset(dev);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0), D3D_OK);
        device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    }

    static DDPIXELFORMAT Rgb(DWORD bits, DWORD a, DWORD r, DWORD g, DWORD b)
    {
        DDPIXELFORMAT pf;
        std::memset(&pf, 0, sizeof pf);
        pf.dwSize = sizeof pf;
        pf.dwFlags = DDPF_RGB | (a ? DDPF_ALPHAPIXELS : 0);
        pf.dwRGBBitCount = bits;
        pf.dwRGBAlphaBitMask = a;
        pf.dwRBitMask = r;
        pf.dwGBitMask = g;
        pf.dwBBitMask = b;
        return pf;
    }
    static DDPIXELFORMAT Argb8888() { return Rgb(32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF); }
    static DDPIXELFORMAT Xrgb8888() { return Rgb(32, 0, 0xFF0000, 0xFF00, 0xFF); }
    static DDPIXELFORMAT Rgb565() { return Rgb(16, 0, 0xF800, 0x7E0, 0x1F); }

    // A managed texture holding `texels` (row by row, 0xAARRGGBB),
    // converted to `format`.
    Ref<DirectDrawSurface> MakeTexture(int width, int height, const std::vector<uint32_t>& texels,
                                       DDPIXELFORMAT format = Argb8888())
    {
        DDSURFACEDESC2 d =
            Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, DDSCAPS_TEXTURE, width, height);
        d.ddsCaps.dwCaps2 = DDSCAPS2_D3DTEXTUREMANAGE;
        d.ddpfPixelFormat = format;
        DirectDrawSurface* s = nullptr;
        EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
        if (!s) return nullptr;
        DDSURFACEDESC2 locked = Desc(0, 0);
        EXPECT_EQ(s->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr), DD_OK);
        const int bytes = int(format.dwRGBBitCount / 8);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint32_t raw = s->Layout().IsPalettised() ? texels[size_t(y * width + x)]
                                                          : s->Layout().FromArgb(texels[size_t(y * width + x)]);
                std::memcpy(static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * bytes, &raw,
                            size_t(bytes));
            }
        s->Unlock(nullptr);
        return Ref<DirectDrawSurface>(s);
    }

    HRESULT Draw(D3DPRIMITIVETYPE type, std::vector<D3DTLVERTEX> v)
    {
        if (device->BeginScene() != D3D_OK) return E_FAIL;
        HRESULT hr = device->DrawPrimitive(type, D3DFVF_TLVERTEX, v.data(), DWORD(v.size()), D3DDP_WAIT);
        device->EndScene();
        return hr;
    }

    void Blend(DWORD source, DWORD dest)
    {
        device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRENDERSTATE_SRCBLEND, source);
        device->SetRenderState(D3DRENDERSTATE_DESTBLEND, dest);
    }

    // The pixel as 0xAARRGGBB (alpha 255 on targets without alpha).
    uint32_t At(int x, int y) const
    {
        const ddraw::PixelLayout& l = target->Layout();
        const uint8_t* p = target->Pixels() + y * target->Pitch() + x * l.BytesPerPixel();
        return l.ToArgb(ddraw::LoadPixel(p, l.BytesPerPixel()));
    }
    uint32_t Colour(int x, int y) const { return At(x, y) & 0xFFFFFF; }

    // The rows of the target as characters: '.' for `background`, '#' else.
    std::string Picture(uint32_t background = 0x000000) const
    {
        std::string out;
        for (int y = 0; y < target->Height(); ++y) {
            for (int x = 0; x < target->Width(); ++x) out += Colour(x, y) == background ? '.' : '#';
            out += '\n';
        }
        return out;
    }

    Ref<DirectDraw> dd;
    Ref<Direct3D> d3d;
    Ref<DirectDrawSurface> target;
    Ref<Direct3DDevice> device;
};

} // namespace d3dtest
