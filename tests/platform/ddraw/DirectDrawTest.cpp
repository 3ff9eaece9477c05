#include "DisplayScenario.h"

#include "platform/core/ModuleRegistry.h"

#include <vector>

namespace ddtest {
namespace {

using DirectDrawObject = DisplayScenario;

TEST_F(DirectDrawObject, CreationGivesTheSeventhInterfaceAndAnswersForTheFirst)
{
    void* raw = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &raw, IID_IDirectDraw, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(raw, nullptr);
    ASSERT_EQ(DirectDrawCreateEx(nullptr, &raw, IID_IDirectDraw7, nullptr), DD_OK);
    Ref<DirectDraw> dd(static_cast<DirectDraw*>(raw));
    void* first = nullptr;
    ASSERT_EQ(dd->QueryInterface(IID_IDirectDraw, &first), DD_OK);
    Ref<DirectDraw> held(static_cast<DirectDraw*>(first));
    EXPECT_EQ(first, raw);
    void* other = nullptr;
    EXPECT_EQ(dd->QueryInterface(IID_IDirectDrawSurface, &other), E_NOINTERFACE);

    // The program takes the entry points by name from the library it loaded.
    ddraw::EnsureDDrawRegistered();
    HMODULE module = LoadModule("DDRAW.DLL");
    ASSERT_NE(module, nullptr);
    auto create = GetEntryAs<LPDIRECTDRAWCREATE>(module, "DirectDrawCreate");
    ASSERT_NE(create, nullptr);
    DirectDraw* viaModule = nullptr;
    ASSERT_EQ(create(nullptr, &viaModule, nullptr), DD_OK);
    viaModule->Release();
    EXPECT_NE(GetEntry(module, "DirectDrawCreateEx"), nullptr);
    EXPECT_EQ(GetEntry(module, "DirectDrawCreateExtra"), nullptr);
    FreeModule(module);
}

TEST_F(DirectDrawObject, NamedFailuresReachTheCallerOnceThenClear)
{
    hooks::FailNext("DirectDrawCreateEx", DDERR_NODIRECTDRAWHW);
    void* raw = reinterpret_cast<void*>(1);
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &raw, IID_IDirectDraw7, nullptr), DDERR_NODIRECTDRAWHW);
    EXPECT_EQ(raw, nullptr);
    auto dd = MakeDirectDraw();

    hooks::FailNext("GetDisplayMode", DDERR_GENERIC, -1);
    DDSURFACEDESC2 mode = Desc(0, 0);
    EXPECT_EQ(dd->GetDisplayMode(&mode), DDERR_GENERIC);
    EXPECT_EQ(dd->GetDisplayMode(&mode), DDERR_GENERIC);
    hooks::ClearFailures();
    EXPECT_EQ(dd->GetDisplayMode(&mode), DD_OK);
}

TEST_F(DirectDrawObject, ExclusiveModeBelongsToOneObjectAndNeedsAWindow)
{
    HWND window = hooks::CreateWindow(0, 0, 640, 480);
    void* raw = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, &raw, IID_IDirectDraw7, nullptr), DD_OK);
    Ref<DirectDraw> first(static_cast<DirectDraw*>(raw));

    DDSURFACEDESC2 d = Desc(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
    DirectDrawSurface* s = nullptr;
    EXPECT_EQ(first->CreateSurface(&d, &s, nullptr), DDERR_NOCOOPERATIVELEVELSET);

    EXPECT_EQ(first->SetCooperativeLevel(window, DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    EXPECT_EQ(first->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    EXPECT_EQ(first->SetCooperativeLevel(window, DDSCL_NORMAL | DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    EXPECT_EQ(first->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    EXPECT_TRUE(hooks::IsFullScreen());

    auto second = MakeDirectDraw();
    EXPECT_EQ(second->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DDERR_EXCLUSIVEMODEALREADYSET);
    EXPECT_EQ(second->SetDisplayMode(640, 480, 16), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(second->TestCooperativeLevel(), DDERR_NOEXCLUSIVEMODE);

    first.reset(); // releasing the owner frees the screen
    EXPECT_FALSE(hooks::IsFullScreen());
    EXPECT_EQ(second->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
}

TEST_F(DirectDrawObject, DisplayModeChangesThePrimaryAndIsUndoneWithTheObject)
{
    HWND window = hooks::CreateWindow(0, 0, 640, 480);
    auto dd = MakeDirectDraw(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    EXPECT_EQ(dd->SetDisplayMode(1000, 700, 16), DDERR_INVALIDMODE);
    EXPECT_EQ(dd->SetDisplayMode(2560, 1440, 32), DDERR_INVALIDMODE); // larger than the desktop
    EXPECT_EQ(dd->SetDisplayMode(1024, 768, 16, 75, 0), DDERR_INVALIDMODE);
    ASSERT_EQ(dd->SetDisplayMode(1024, 768, 16), DD_OK);

    DDSURFACEDESC2 mode = Desc(0, 0);
    ASSERT_EQ(dd->GetDisplayMode(&mode), DD_OK);
    EXPECT_EQ(mode.dwWidth, 1024u);
    EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(mode.ddpfPixelFormat.dwRBitMask, 0xF800u);
    EXPECT_EQ(mode.ddpfPixelFormat.dwGBitMask, 0x07E0u);
    EXPECT_EQ(mode.ddpfPixelFormat.dwBBitMask, 0x001Fu);

    auto primary = MakePrimary(*dd);
    EXPECT_EQ(primary->Width(), 1024);
    EXPECT_EQ(primary->Layout().bitsPerPixel, 16);
    primary.reset();
    dd.reset();

    auto again = MakeDirectDraw();
    ASSERT_EQ(again->GetDisplayMode(&mode), DD_OK);
    EXPECT_EQ(mode.dwWidth, 1920u);
    EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 32u);
}

TEST_F(DirectDrawObject, ModeChangeLosesSurfacesThatCannotComeBack)
{
    HWND window = hooks::CreateWindow(0, 0, 640, 480);
    auto dd = MakeDirectDraw(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    auto surface = MakeSurface(*dd, 16, 16);
    ASSERT_EQ(dd->SetDisplayMode(800, 600, 32), DD_OK);
    EXPECT_EQ(surface->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(surface->Restore(), DDERR_WRONGMODE);
    auto fresh = MakeSurface(*dd, 16, 16);
    EXPECT_EQ(fresh->IsLost(), DD_OK);

    // Going back to the desktop's mode is a change of mode too.
    ASSERT_EQ(dd->RestoreDisplayMode(), DD_OK);
    EXPECT_EQ(fresh->IsLost(), DDERR_SURFACELOST);
}

TEST_F(DirectDrawObject, PrimaryTakesTheDesktopsDepthAndChannelOrder)
{
    struct Case {
        int depth;
        bool rgb555, bgr32;
        DWORD red;
    } cases[] = {{8, false, false, 0}, {16, false, false, 0xF800}, {16, true, false, 0x7C00},
                 {24, false, false, 0xFF0000}, {32, false, false, 0xFF0000}, {32, false, true, 0x0000FF}};
    for (const Case& c : cases) {
        hooks::ResetDisplay();
        hooks::SetDesktop(1280, 1024, c.depth, 60, c.rgb555, c.bgr32);
        auto dd = MakeDirectDraw();
        auto primary = MakePrimary(*dd);
        DDPIXELFORMAT pf;
        std::memset(&pf, 0, sizeof pf);
        pf.dwSize = sizeof pf;
        ASSERT_EQ(primary->GetPixelFormat(&pf), DD_OK);
        EXPECT_EQ(pf.dwRGBBitCount, DWORD(c.depth)) << c.depth;
        EXPECT_EQ(pf.dwRBitMask, c.red) << c.depth;
        EXPECT_EQ(bool(pf.dwFlags & DDPF_PALETTEINDEXED8), c.depth == 8);
        auto offscreen = MakeSurface(*dd, 8, 8);
        EXPECT_TRUE(offscreen->Layout().SameAs(primary->Layout()));
    }
}

TEST_F(DirectDrawObject, MonitorFrequencyReportsWhatTheMonitorSays)
{
    for (int hz : {0, 60, 120}) {
        hooks::SetDesktop(1920, 1080, 32, hz);
        auto dd = MakeDirectDraw();
        DWORD f = 12345;
        ASSERT_EQ(dd->GetMonitorFrequency(&f), DD_OK);
        EXPECT_EQ(f, DWORD(hz));
    }
    auto dd = MakeDirectDraw();
    hooks::FailNext("GetMonitorFrequency", DDERR_UNSUPPORTED);
    DWORD f = 0;
    EXPECT_EQ(dd->GetMonitorFrequency(&f), DDERR_UNSUPPORTED);
}

TEST_F(DirectDrawObject, VideoMemoryIsSpentBySurfacesAndGivenBack)
{
    hooks::SetVideoMemory(1u << 20, 1u << 20);
    auto dd = MakeDirectDraw();
    DDSCAPS2 caps{DDSCAPS_VIDEOMEMORY, 0, 0, 0};
    DWORD total = 0, free = 0;
    ASSERT_EQ(dd->GetAvailableVidMem(&caps, &total, &free), DD_OK);
    EXPECT_EQ(total, 1u << 20);
    EXPECT_EQ(free, 1u << 20);
    {
        auto video = MakeSurface(*dd, 256, 256, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
        EXPECT_TRUE(video->Caps() & DDSCAPS_VIDEOMEMORY);
        dd->GetAvailableVidMem(&caps, &total, &free);
        EXPECT_LT(free, (1u << 20) - 256u * 256u * 4u + 1u);

        DDSURFACEDESC2 d = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_VIDEOMEMORY, 512, 512);
        DirectDrawSurface* s = nullptr;
        EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_OUTOFVIDEOMEMORY);
        EXPECT_EQ(s, nullptr);
        // Without a placement asked for, a surface that does not fit goes to system memory.
        auto anywhere = MakeSurface(*dd, 512, 512, DDSCAPS_OFFSCREENPLAIN);
        EXPECT_TRUE(anywhere->Caps() & DDSCAPS_SYSTEMMEMORY);
    }
    dd->GetAvailableVidMem(&caps, &total, &free);
    EXPECT_EQ(free, 1u << 20);
}

TEST_F(DirectDrawObject, EnumeratedModesFitTheDesktopAndCanBeCancelled)
{
    hooks::SetDesktop(1280, 1024, 32, 60);
    auto dd = MakeDirectDraw();
    std::vector<DDSURFACEDESC2> seen;
    dd->EnumDisplayModes(0, static_cast<DDSURFACEDESC2*>(nullptr), &seen, [](DDSURFACEDESC2* m, void* c) -> HRESULT {
        static_cast<std::vector<DDSURFACEDESC2>*>(c)->push_back(*m);
        return DDENUMRET_OK;
    });
    bool has640x16 = false, hasDesktop = false;
    for (const auto& m : seen) {
        EXPECT_LE(m.dwWidth, 1280u);
        EXPECT_LE(m.dwHeight, 1024u);
        has640x16 |= m.dwWidth == 640 && m.ddpfPixelFormat.dwRGBBitCount == 16;
        hasDesktop |= m.dwWidth == 1280 && m.dwHeight == 1024 && m.ddpfPixelFormat.dwRGBBitCount == 32;
    }
    EXPECT_TRUE(has640x16);
    EXPECT_TRUE(hasDesktop);

    int calls = 0;
    dd->EnumDisplayModes(0, static_cast<DDSURFACEDESC2*>(nullptr), &calls, [](DDSURFACEDESC2*, void* c) -> HRESULT {
        ++*static_cast<int*>(c);
        return DDENUMRET_CANCEL;
    });
    EXPECT_EQ(calls, 1);
}

TEST_F(DirectDrawObject, SurfaceDescriptionsThatCannotBeMetAreRefused)
{
    auto dd = MakeDirectDraw();
    DirectDrawSurface* s = nullptr;
    auto expect = [&](DDSURFACEDESC2 d, HRESULT hr) {
        EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), hr);
        EXPECT_EQ(s, nullptr);
    };
    DDSURFACEDESC2 wrongSize = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN, 8, 8);
    wrongSize.dwSize = 108;
    expect(wrongSize, DDERR_INVALIDPARAMS);
    expect(Desc(DDSD_CAPS | DDSD_WIDTH, DDSCAPS_OFFSCREENPLAIN, 8, 0), DDERR_INVALIDPARAMS);
    expect(Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_PRIMARYSURFACE, 8, 8), DDERR_INVALIDPARAMS);
    expect(Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY, 8, 8),
           DDERR_INVALIDCAPS);
    expect(Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 0, 100000, 8), DDERR_TOOBIGWIDTH);
    DDSURFACEDESC2 chain = Desc(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                                DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX);
    chain.dwBackBufferCount = 1;
    expect(chain, DDERR_NOEXCLUSIVEMODE);
    DDSURFACEDESC2 overlapping = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, 0, 8, 8);
    overlapping.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    overlapping.ddpfPixelFormat.dwFlags = DDPF_RGB;
    overlapping.ddpfPixelFormat.dwRGBBitCount = 16;
    overlapping.ddpfPixelFormat.dwRBitMask = 0xFC00;
    overlapping.ddpfPixelFormat.dwGBitMask = 0x07E0;
    overlapping.ddpfPixelFormat.dwBBitMask = 0x001F;
    expect(overlapping, DDERR_INVALIDPIXELFORMAT);

    auto primary = MakePrimary(*dd);
    expect(Desc(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE), DDERR_PRIMARYSURFACEALREADYEXISTS);
    primary.reset();
    auto another = MakePrimary(*dd); // the old one is gone
    EXPECT_NE(another, nullptr);
}

TEST_F(DirectDrawObject, TexturesKeepTheFormatAskedForAndFirstVersionDescriptionsWork)
{
    auto dd = MakeDirectDraw();
    DDSURFACEDESC2 d = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, DDSCAPS_TEXTURE, 64, 64);
    d.ddsCaps.dwCaps2 = DDSCAPS2_D3DTEXTUREMANAGE;
    d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    d.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_ALPHAPIXELS;
    d.ddpfPixelFormat.dwRGBBitCount = 16;
    d.ddpfPixelFormat.dwRGBAlphaBitMask = 0xF000;
    d.ddpfPixelFormat.dwRBitMask = 0x0F00;
    d.ddpfPixelFormat.dwGBitMask = 0x00F0;
    d.ddpfPixelFormat.dwBBitMask = 0x000F;
    DirectDrawSurface* raw = nullptr;
    ASSERT_EQ(dd->CreateSurface(&d, &raw, nullptr), DD_OK);
    Ref<DirectDrawSurface> texture(raw);
    EXPECT_EQ(texture->Layout().alpha, 0xF000u);

    DDSURFACEDESC old;
    std::memset(&old, 0, sizeof old);
    old.dwSize = sizeof old;
    old.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    old.dwWidth = 20;
    old.dwHeight = 10;
    old.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    ASSERT_EQ(dd->CreateSurface(&old, &raw, nullptr), DD_OK);
    Ref<DirectDrawSurface> plain(raw);
    DDSURFACEDESC back;
    std::memset(&back, 0, sizeof back);
    back.dwSize = sizeof back;
    ASSERT_EQ(plain->GetSurfaceDesc(&back), DD_OK);
    EXPECT_EQ(back.dwWidth, 20u);
    EXPECT_EQ(back.dwHeight, 10u);
    EXPECT_TRUE(back.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);
}

TEST_F(DirectDrawObject, AdapterIdentityComesFromTheMachine)
{
    GUID guid = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    hooks::SetAdapter("RADEON 9800", "ati2dvag.dll", guid);
    auto dd = MakeDirectDraw();
    DDDEVICEIDENTIFIER2 id;
    ASSERT_EQ(dd->GetDeviceIdentifier(&id, 0), DD_OK);
    EXPECT_STREQ(id.szDescription, "RADEON 9800");
    EXPECT_STREQ(id.szDriver, "ati2dvag.dll");
    EXPECT_TRUE(id.guidDeviceIdentifier == guid);
}

} // namespace
} // namespace ddtest
