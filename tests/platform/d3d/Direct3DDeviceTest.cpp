// The device as the drawing path and the capability test use it: creation,
// caps and formats, scenes, arranged failures and narrower cards.
#include "D3DScenario.h"

namespace d3dtest {
namespace {

class D3DDevice : public D3DScenario {
protected:
    Ref<DirectDrawSurface> MakeSurface(int width, int height, DWORD caps, const DDPIXELFORMAT* format = nullptr)
    {
        DDSURFACEDESC2 d =
            Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0), caps, width, height);
        if (format) d.ddpfPixelFormat = *format;
        DirectDrawSurface* s = nullptr;
        EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
        return Ref<DirectDrawSurface>(s);
    }
    Ref<Direct3DDevice> Create(DirectDrawSurface* surface, HRESULT expected = D3D_OK)
    {
        Direct3DDevice* dev = nullptr;
        EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DHALDevice, surface, &dev), expected);
        return Ref<Direct3DDevice>(dev);
    }
    static std::vector<DDPIXELFORMAT> Formats(Direct3DDevice& device)
    {
        std::vector<DDPIXELFORMAT> out;
        EXPECT_EQ(device.EnumTextureFormats(
                      [](DDPIXELFORMAT* pf, void* context) {
                          static_cast<std::vector<DDPIXELFORMAT>*>(context)->push_back(*pf);
                          return D3DENUMRET_OK;
                      },
                      &out),
                  D3D_OK);
        return out;
    }
    static bool Offers(const std::vector<DDPIXELFORMAT>& formats, DWORD flags, DWORD bits, DWORD a, DWORD r, DWORD g,
                       DWORD b)
    {
        for (const DDPIXELFORMAT& pf : formats)
            if (pf.dwFlags == flags && pf.dwRGBBitCount == bits && pf.dwRGBAlphaBitMask == a && pf.dwRBitMask == r &&
                pf.dwGBitMask == g && pf.dwBBitMask == b)
                return true;
        return false;
    }
};

TEST_F(D3DDevice, DirectDrawHandsOutTheHardwareDeviceForThreeDimensionalSurfacesOnly)
{
    std::vector<GUID> listed;
    ASSERT_EQ(d3d->EnumDevices(
                  [](char*, char*, D3DDEVICEDESC7* desc, void* context) {
                      static_cast<std::vector<GUID>*>(context)->push_back(desc->deviceGUID);
                      return D3DENUMRET_OK;
                  },
                  &listed),
              D3D_OK);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_TRUE(listed[0] == IID_IDirect3DHALDevice);

    auto plain = MakeSurface(16, 16, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
    Create(plain.get(), DDERR_INVALIDCAPS);
    auto surface = MakeSurface(16, 16, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
    Direct3DDevice* dev = nullptr;
    EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DRGBDevice, surface.get(), &dev), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dev, nullptr);
    // A 24-bit surface takes a device too (the capability test itself
    // refuses to judge such a picture).
    DDPIXELFORMAT rgb24 = Rgb(24, 0, 0xFF0000, 0xFF00, 0xFF);
    auto deep = MakeSurface(8, 8, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY, &rgb24);
    auto device24 = Create(deep.get());
    ASSERT_TRUE(device24);
    device24->BeginScene();
    auto quad = Quad(0, 0, 2, 2, 0xFF123456);
    EXPECT_EQ(device24->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad.data(), 4, 0), D3D_OK);
    device24->EndScene();
    EXPECT_EQ(deep->Layout().ToArgb(ddraw::LoadPixel(deep->Pixels(), 3)), 0xFF123456u);

    // The device keeps what it draws with alive after its makers are gone.
    auto kept = Create(surface.get());
    surface.reset();
    d3d.reset();
    dd.reset();
    kept->BeginScene();
    EXPECT_EQ(kept->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad.data(), 4, 0), D3D_OK);
    kept->EndScene();
}

TEST_F(D3DDevice, CapsAndTextureFormatsFollowTheCardAndStayWithTheDevice)
{
    auto surface = MakeSurface(16, 16, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
    auto stock = Create(surface.get());
    D3DDEVICEDESC7 caps;
    ASSERT_EQ(stock->GetCaps(&caps), D3D_OK);
    EXPECT_TRUE(caps.dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_ALPHAPALETTE);
    EXPECT_GE(caps.dwMaxTextureWidth, 1024u);
    EXPECT_TRUE(caps.dpcTriCaps.dwSrcBlendCaps & D3DPBLENDCAPS_SRCALPHA);
    // The program recognises its four formats by exact flags and masks.
    auto formats = Formats(*stock);
    EXPECT_TRUE(Offers(formats, DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF));
    EXPECT_TRUE(Offers(formats, DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0xF000, 0xF00, 0xF0, 0xF));
    EXPECT_TRUE(Offers(formats, DDPF_RGB, 16, 0, 0xF800, 0x7E0, 0x1F));
    EXPECT_TRUE(Offers(formats, DDPF_PALETTEINDEXED8 | DDPF_RGB, 8, 0, 0, 0, 0));

    hooks::SetTextureLimits(8, 8, 256, 128, 2);
    hooks::SetTextureFormats(d3d::kTextureA4R4G4B4 | d3d::kTextureR5G6B5);
    hooks::SetTextureCaps(D3DPTEXTURECAPS_POW2);
    auto narrow = Create(surface.get());
    ASSERT_EQ(narrow->GetCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.dwMinTextureWidth, 8u);
    EXPECT_EQ(caps.dwMaxTextureWidth, 256u);
    EXPECT_EQ(caps.dwMaxTextureHeight, 128u);
    EXPECT_EQ(caps.dwMaxTextureAspectRatio, 2u);
    EXPECT_FALSE(caps.dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_ALPHAPALETTE);
    formats = Formats(*narrow);
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_FALSE(Offers(formats, DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF));
    ASSERT_EQ(stock->GetCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.dwMaxTextureWidth, 2048u);

    int seen = 0;
    narrow->EnumTextureFormats(
        [](DDPIXELFORMAT*, void* context) {
            ++*static_cast<int*>(context);
            return D3DENUMRET_CANCEL;
        },
        &seen);
    EXPECT_EQ(seen, 1);
}

TEST_F(D3DDevice, TexturesOutsideTheCardsLimitsAreRefused)
{
    hooks::SetTextureLimits(4, 4, 64, 64, 4);
    hooks::SetTextureFormats(d3d::kTextureA8R8G8B8);
    hooks::SetTextureCaps(D3DPTEXTURECAPS_POW2);
    MakeTarget(8, 8);
    auto fits = MakeTexture(64, 16, std::vector<uint32_t>(64 * 16));
    EXPECT_EQ(device->SetTexture(0, fits.get()), D3D_OK);
    for (auto [w, h] : {std::pair{128, 64}, {2, 8}, {64, 8}, {24, 24}}) {
        auto texture = MakeTexture(w, h, std::vector<uint32_t>(size_t(w * h)));
        EXPECT_EQ(device->SetTexture(0, texture.get()), D3DERR_TEXTURE_BADSIZE) << w << "x" << h;
    }
    hooks::SetTextureCaps(D3DPTEXTURECAPS_SQUAREONLY);
    MakeTarget(8, 8);
    EXPECT_EQ(device->SetTexture(0, fits.get()), D3DERR_TEXTURE_BADSIZE);
    auto square = MakeTexture(24, 24, std::vector<uint32_t>(24 * 24));
    EXPECT_EQ(device->SetTexture(0, square.get()), D3D_OK);

    auto wrongFormat = MakeTexture(16, 16, std::vector<uint32_t>(16 * 16), Rgb565());
    EXPECT_EQ(device->SetTexture(0, wrongFormat.get()), D3DERR_WRONGTEXTUREFORMAT);
    EXPECT_EQ(device->SetTexture(0, target.get()), DDERR_INVALIDPARAMS);
    // A refused texture leaves the bound one in place.
    DirectDrawSurface* bound = nullptr;
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, square.get());
    bound->Release();

    // A card whose widest texture is wider than its tallest holds each side
    // to its own limit.
    hooks::ResetDevice();
    hooks::SetTextureLimits(1, 1, 64, 16, 0);
    hooks::SetTextureFormats(d3d::kTextureA8R8G8B8);
    MakeTarget(8, 8);
    auto flat = MakeTexture(64, 16, std::vector<uint32_t>(64 * 16));
    EXPECT_EQ(device->SetTexture(0, flat.get()), D3D_OK);
    auto tall = MakeTexture(16, 32, std::vector<uint32_t>(16 * 32));
    EXPECT_EQ(device->SetTexture(0, tall.get()), D3DERR_TEXTURE_BADSIZE);

    // A card that gives no maximum enforces none.
    hooks::ResetDevice();
    hooks::SetTextureLimits(0, 0, 0, 0, 0);
    MakeTarget(8, 8);
    auto wide = MakeTexture(4096, 2, std::vector<uint32_t>(4096 * 2));
    EXPECT_EQ(device->SetTexture(0, wide.get()), D3D_OK);
}

TEST_F(D3DDevice, ScenesNestNeverAndDrawingHappensOnlyInsideOne)
{
    MakeTarget(4, 4);
    auto quad = Quad(0, 0, 4, 4);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad.data(), 4, 0),
              D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(device->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_SCENE_IN_SCENE);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, D3DFVF_TLVERTEX, quad.data(), 4, 0), D3DERR_INVALIDPRIMITIVETYPE);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_XYZ | D3DFVF_DIFFUSE, quad.data(), 4, 0),
              D3DERR_INVALIDVERTEXTYPE);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, nullptr, 4, 0), DDERR_INVALIDPARAMS);
    EXPECT_EQ(Picture(), "....\n....\n....\n....\n");
    // Vertices without colours draw white; a shorter vertex is read with
    // its own stride.
    struct Bare {
        float x, y, z, rhw;
    } bare[4] = {{0, 0, 0, 1}, {2, 0, 0, 1}, {0, 2, 0, 1}, {2, 2, 0, 1}};
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_XYZRHW, bare, 4, 0), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(Picture(), "##..\n##..\n....\n....\n");
}

TEST_F(D3DDevice, ArrangedFailuresReportTheirCodeAndDrawNothing)
{
    MakeTarget(4, 4);
    auto quad = Quad(0, 0, 4, 4);
    platform::testing::FailNext("BeginScene", DDERR_SURFACELOST);
    EXPECT_EQ(device->BeginScene(), DDERR_SURFACELOST);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    platform::testing::FailNext("DrawPrimitive", DDERR_GENERIC);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad.data(), 4, 0), DDERR_GENERIC);
    EXPECT_EQ(Colour(1, 1), 0u);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad.data(), 4, 0), D3D_OK);
    platform::testing::FailNext("EndScene", D3DERR_INVALID_DEVICE);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALID_DEVICE);
    EXPECT_EQ(device->EndScene(), D3D_OK);

    platform::testing::FailNext("CreateDevice", D3DERR_INITFAILED);
    Direct3DDevice* dev = nullptr;
    EXPECT_EQ(d3d->CreateDevice(IID_IDirect3DHALDevice, target.get(), &dev), D3DERR_INITFAILED);
    EXPECT_EQ(dev, nullptr);
    platform::testing::FailNext("QueryInterface", E_NOINTERFACE);
    void* raw = nullptr;
    EXPECT_EQ(dd->QueryInterface(IID_IDirect3D7, &raw), E_NOINTERFACE);
    // Texture surfaces come from DirectDraw, whose failures apply.
    platform::testing::FailNext("CreateSurface", DDERR_OUTOFVIDEOMEMORY);
    DDSURFACEDESC2 d = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, DDSCAPS_TEXTURE, 64, 64);
    d.ddpfPixelFormat = Argb8888();
    DirectDrawSurface* texture = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &texture, nullptr), DDERR_OUTOFVIDEOMEMORY);
    for (const char* name : {"SetRenderState", "SetTextureStageState", "SetTexture", "SetViewport", "Clear", "GetCaps",
                             "EnumTextureFormats", "SetRenderTarget"})
        platform::testing::FailNext(name, DDERR_GENERIC);
    EXPECT_EQ(device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE), DDERR_GENERIC);
    EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE), DDERR_GENERIC);
    EXPECT_EQ(device->SetTexture(0, nullptr), DDERR_GENERIC);
    D3DVIEWPORT7 view{0, 0, 4, 4, 0, 1};
    EXPECT_EQ(device->SetViewport(&view), DDERR_GENERIC);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1, 0), DDERR_GENERIC);
    D3DDEVICEDESC7 caps;
    EXPECT_EQ(device->GetCaps(&caps), DDERR_GENERIC);
    EXPECT_EQ(device->EnumTextureFormats([](DDPIXELFORMAT*, void*) { return D3DENUMRET_OK; }, nullptr), DDERR_GENERIC);
    EXPECT_EQ(device->SetRenderTarget(target.get(), 0), DDERR_GENERIC);
    DWORD blend = 0;
    device->GetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(blend, DWORD(FALSE));
}

TEST_F(D3DDevice, ALostOrLockedTargetStopsDrawingUntilItIsBack)
{
    MakeTarget(4, 4);
    auto quad = Quad(0, 0, 4, 4);
    ddhooks::LoseSurfaces();
    EXPECT_EQ(device->BeginScene(), DDERR_SURFACELOST);
    EXPECT_EQ(device->SetRenderTarget(target.get(), 0), DDERR_SURFACELOST);
    ASSERT_EQ(target->Restore(), DD_OK);
    EXPECT_EQ(device->SetRenderTarget(target.get(), 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ddhooks::LoseSurfaces();
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad.data(), 4, 0), DDERR_SURFACELOST);
    target->Restore();
    DDSURFACEDESC2 locked = Desc(0, 0);
    ASSERT_EQ(target->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad.data(), 4, 0), DDERR_SURFACEBUSY);
    target->Unlock(nullptr);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad.data(), 4, 0), D3D_OK);
    device->EndScene();
    EXPECT_EQ(Colour(3, 3), 0xFFFFFFu);
}

// Cards that cannot blend as the program needs produce the wrong pictures
// the capability test looks for.
TEST_F(D3DDevice, ACardWithoutTheBlendFactorsDrawsTheWrongColours)
{
    auto picture = [&](uint32_t first, uint32_t second, DWORD src, DWORD dest) {
        MakeTarget(8, 8);
        Blend(src, dest);
        for (uint32_t fill : {first, second}) {
            auto texture = MakeTexture(8, 8, std::vector<uint32_t>(64, fill));
            device->SetTexture(0, texture.get());
            Draw(D3DPT_TRIANGLESTRIP, Quad(0, 0, 8, 8));
        }
        device->SetTexture(0, nullptr);
        return Colour(2, 2);
    };
    hooks::SetAlphaBlending(false);
    EXPECT_EQ(picture(0xFF0000FF, 0x80FF0000, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA), 0xFF0000u);
    D3DDEVICEDESC7 caps;
    device->GetCaps(&caps);
    EXPECT_EQ(caps.dpcTriCaps.dwSrcBlendCaps, 0u);

    hooks::ResetDevice();
    hooks::SetBlendCaps(kD3DAllBlendCaps, kD3DAllBlendCaps & ~D3DPBLENDCAPS_ONE);
    EXPECT_EQ(picture(0xFF404040, 0xFF404040, D3DBLEND_ONE, D3DBLEND_ONE), 0x404040u);
    EXPECT_EQ(picture(0xFF0000FF, 0x80FF0000, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA), 0x80007Fu);
}

} // namespace
} // namespace d3dtest
