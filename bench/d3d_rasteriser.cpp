// What the software rasteriser behind the Direct3D device costs for the
// drawing the program does in 3D mode: card-sized sprites blended over the
// table, a full-screen textured quad at 1024 x 768, additive glows and
// untextured rectangle fills, into 32-, 24- and 16-bit draw surfaces (depth 15
// stands for 5-5-5).
#include "platform/core/Testing.h"
#include "platform/d3d/D3DTesting.h"
#include "platform/d3d/Direct3D.h"
#include "platform/d3d/Direct3DDevice.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/ddraw/DirectDraw.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

using namespace platform;

namespace {

DDSURFACEDESC2 Desc(DWORD flags, DWORD caps, int width, int height)
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

DDPIXELFORMAT Format(DWORD bits, DWORD a, DWORD r, DWORD g, DWORD b)
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

// A display-sized draw surface with a device, and one texture.
struct Scene {
    DirectDraw* dd = nullptr;
    Direct3D* d3d = nullptr;
    DirectDrawSurface* target = nullptr;
    DirectDrawSurface* texture = nullptr;
    Direct3DDevice* device = nullptr;

    Scene(int depth, int textureWidth, int textureHeight,
          DDPIXELFORMAT textureFormat = Format(32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF))
    {
        platform::UseHeadlessBackend(true);
        ddraw::testing::ResetDisplay();
        d3d::testing::ResetDevice();
        dd = DirectDraw::Create();
        dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
        void* raw = nullptr;
        dd->QueryInterface(IID_IDirect3D7, &raw);
        d3d = static_cast<Direct3D*>(raw);
        DDSURFACEDESC2 t = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT,
                                DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY, 1024, 768);
        t.ddpfPixelFormat = depth == 16   ? Format(16, 0, 0xF800, 0x7E0, 0x1F)
                            : depth == 15 ? Format(16, 0, 0x7C00, 0x3E0, 0x1F)
                            : depth == 24 ? Format(24, 0, 0xFF0000, 0xFF00, 0xFF)
                                          : Format(32, 0, 0xFF0000, 0xFF00, 0xFF);
        dd->CreateSurface(&t, &target, nullptr);
        d3d->CreateDevice(IID_IDirect3DHALDevice, target, &device);

        DDSURFACEDESC2 x =
            Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, DDSCAPS_TEXTURE, textureWidth, textureHeight);
        x.ddsCaps.dwCaps2 = DDSCAPS2_D3DTEXTUREMANAGE;
        x.ddpfPixelFormat = textureFormat;
        dd->CreateSurface(&x, &texture, nullptr);
        DDSURFACEDESC2 locked = Desc(0, 0, 0, 0);
        texture->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr);
        const ddraw::PixelLayout& layout = texture->Layout();
        const int bytes = layout.BytesPerPixel();
        for (int y = 0; y < textureHeight; ++y)
            for (int i = 0; i < textureWidth; ++i) {
                // Opaque middle, translucent rounded-off border, like a card.
                bool edge = i < 2 || y < 2 || i >= textureWidth - 2 || y >= textureHeight - 2;
                uint32_t v = (edge ? 0x80000000u : 0xFF000000u) | uint32_t(i * 3) << 16 | uint32_t(y * 5) << 8 | 0x40;
                uint32_t raw = layout.IsPalettised() ? uint32_t(i + y) & 0xFF : layout.FromArgb(v);
                std::memcpy(static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch + i * bytes, &raw,
                            size_t(bytes));
            }
        texture->Unlock(nullptr);
        if (layout.IsPalettised()) {
            PALETTEENTRY entries[256];
            for (int i = 0; i < 256; ++i) entries[i] = {BYTE(i), BYTE(255 - i), BYTE(i / 2), 0xFF};
            DirectDrawPalette* palette = nullptr;
            dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256 | DDPCAPS_ALPHA, entries, &palette, nullptr);
            texture->SetPalette(palette);
            palette->Release();
        }

        device->BeginScene();
        device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
        device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    }
    ~Scene()
    {
        device->EndScene();
        device->Release();
        texture->Release();
        target->Release();
        d3d->Release();
        dd->Release();
    }

    void Quad(float x, float y, float w, float h, float u1, float v1, DWORD colour = 0xFFFFFFFF)
    {
        D3DTLVERTEX v[4] = {{x - 0.5f, y - 0.5f, 0, 1, colour, 0, 0, 0},
                            {x + w - 0.5f, y - 0.5f, 0, 1, colour, 0, u1, 0},
                            {x - 0.5f, y + h - 0.5f, 0, 1, colour, 0, 0, v1},
                            {x + w - 0.5f, y + h - 0.5f, 0, 1, colour, 0, u1, v1}};
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, v, 4, D3DDP_WAIT);
    }
};

// Card sprites (71 x 96 pixels from a 128 x 128 texture piece), blended.
void CardSprites(benchmark::State& state)
{
    Scene scene(int(state.range(0)), 128, 128);
    scene.device->SetTexture(0, scene.texture);
    scene.device->SetTextureStageState(0, D3DTSS_MAGFILTER, state.range(1) ? D3DTFG_LINEAR : D3DTFG_POINT);
    scene.device->SetTextureStageState(0, D3DTSS_MINFILTER, state.range(1) ? D3DTFN_LINEAR : D3DTFN_POINT);
    int i = 0;
    for (auto _ : state) {
        scene.Quad(float(i * 37 % 900), float(i * 53 % 640), 71, 96, 71.0f / 128, 96.0f / 128);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("sprites");
}
BENCHMARK(CardSprites)->ArgNames({"depth", "linear"})->Args({32, 0})->Args({32, 1})->Args({16, 0});

// Card sprites from the program's other texture formats: opaque images as
// R5G6B5, images asking for it as A4R4G4B4, palettised images.
void CardSpritesByFormat(benchmark::State& state)
{
    DDPIXELFORMAT formats[3] = {Format(16, 0, 0xF800, 0x7E0, 0x1F), Format(16, 0xF000, 0xF00, 0xF0, 0xF), {}};
    formats[2].dwSize = sizeof formats[2];
    formats[2].dwFlags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
    formats[2].dwRGBBitCount = 8;
    Scene scene(32, 128, 128, formats[state.range(0)]);
    scene.device->SetTexture(0, scene.texture);
    int i = 0;
    for (auto _ : state) {
        scene.Quad(float(i * 37 % 900), float(i * 53 % 640), 71, 96, 71.0f / 128, 96.0f / 128);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(state.range(0) == 0 ? "R5G6B5" : state.range(0) == 1 ? "A4R4G4B4" : "palettised");
}
BENCHMARK(CardSpritesByFormat)->DenseRange(0, 2);

// One 1024 x 768 textured quad covering the whole draw surface.
void FullScreenQuad(benchmark::State& state)
{
    Scene scene(int(state.range(0)), 1024, 1024);
    scene.device->SetTexture(0, scene.texture);
    if (!state.range(1)) scene.device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
    for (auto _ : state) scene.Quad(0, 0, 1024, 768, 1.0f, 0.75f);
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
    state.SetLabel("pixels");
}
BENCHMARK(FullScreenQuad)
    ->ArgNames({"depth", "blend"})
    ->Args({32, 0})
    ->Args({32, 1})
    ->Args({16, 1})
    ->Args({15, 1})
    ->Args({24, 1});

// Additive glow: a tinted sprite added onto the table.
void AdditiveSprites(benchmark::State& state)
{
    Scene scene(32, 128, 128);
    scene.device->SetTexture(0, scene.texture);
    scene.device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    int i = 0;
    for (auto _ : state) {
        scene.Quad(float(i * 37 % 900), float(i * 53 % 640), 128, 128, 1, 1, 0xC0FF8040);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(AdditiveSprites);

// Untextured translucent rectangle fills (the program's FillRect), 200 x 30.
void RectangleFills(benchmark::State& state)
{
    Scene scene(32, 64, 64);
    scene.device->SetTexture(0, nullptr);
    int i = 0;
    for (auto _ : state) {
        scene.Quad(float(i * 37 % 800), float(i * 53 % 700), 200, 30, 0, 0, 0x80204060);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RectangleFills);

} // namespace
