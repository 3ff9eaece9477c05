#include "DisplayScenario.h"

#include "platform/ddraw/DisplayMachine.h"
#include "platform/ddraw/SdlPresenter.h"
#include "platform/window/ScreenScaling.h"
#include "platform/window/Window.h"
#include "platform/window/WindowTesting.h"

#include <cstdlib>

namespace ddtest {
namespace {

using Presentation = DisplayScenario;

// A windowed display as the program builds it: primary, clipper on the
// window, a system-memory draw surface of the window's size.
struct Windowed {
    HWND window;
    Ref<DirectDraw> dd;
    Ref<DirectDrawSurface> primary;
    Ref<DirectDrawSurface> draw;
};

TEST_F(Presentation, WindowedBltShowsTheDrawSurfaceInsideTheClientAreaOnly)
{
    Windowed w;
    w.window = hooks::CreateWindow(100, 50, 64, 48);
    w.dd = MakeDirectDraw(w.window, DDSCL_NORMAL);
    w.primary = MakePrimary(*w.dd);
    EXPECT_EQ(w.primary->Width(), 1920);
    DirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(w.dd->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, w.window), DD_OK);
    ASSERT_EQ(w.primary->SetClipper(clipper), DD_OK);
    clipper->Release(); // the primary keeps its own reference
    w.draw = MakeSurface(*w.dd, 64, 48);
    Fill(*w.draw, 0x00FF0000);
    Write(*w.draw, 63, 47, 0x000000FF);

    int before = hooks::PresentCount();
    RECT onScreen{100, 50, 164, 98};
    ASSERT_EQ(w.primary->Blt(&onScreen, w.draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(hooks::PresentCount(), before + 1);
    auto frame = hooks::PresentedFrame();
    EXPECT_EQ(frame.width, 64);
    EXPECT_EQ(frame.height, 48);
    EXPECT_FALSE(frame.fullScreen);
    EXPECT_EQ(hooks::PresentedPixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(hooks::PresentedPixel(63, 47), 0xFF0000FFu);

    // A blit that reaches past the client area is cut at its edge; the
    // desktop around the window is left alone.
    RECT spilling{140, 80, 204, 128};
    ASSERT_EQ(w.primary->Blt(&spilling, w.draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Read(*w.primary, 170, 90), 0u);
    EXPECT_EQ(Read(*w.primary, 163, 97), 0x00FF0000u);

    // A minimised window is not drawn on.
    hooks::MinimiseWindow(w.window, true);
    before = hooks::PresentCount();
    w.primary->Blt(&onScreen, w.draw.get(), nullptr, DDBLT_WAIT, nullptr);
    EXPECT_EQ(hooks::PresentCount(), before);
}

LRESULT PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(Presentation, WindowsOfTheWindowServiceClipAndReceiveThePresents)
{
    platform::testing::ResetWindowSystem();
    WNDCLASSA wc{};
    wc.lpfnWndProc = &PlainProcedure;
    wc.lpszClassName = "DisplayTestWindow";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND window = CreateWindowExA(0, "DisplayTestWindow", "", WS_POPUP, 300, 200, 32, 24, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    {
        auto dd = MakeDirectDraw(window, DDSCL_NORMAL);
        auto primary = MakePrimary(*dd);
        DirectDrawClipper* clipper = nullptr;
        ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
        clipper->SetHWnd(0, window);
        primary->SetClipper(clipper);
        clipper->Release();
        auto draw = MakeSurface(*dd, 64, 64);
        Fill(*draw, 0x0000FF00);
        RECT at{300, 200, 364, 264}; // larger than the client area
        ASSERT_EQ(primary->Blt(&at, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
        auto frame = hooks::PresentedFrame();
        EXPECT_EQ(frame.window, window);
        EXPECT_EQ(frame.width, 32);
        EXPECT_EQ(frame.height, 24);
        EXPECT_EQ(hooks::PresentedPixel(31, 23), 0xFF00FF00u);
        EXPECT_EQ(Read(*primary, 332, 200), 0u);

        ShowWindow(window, SW_MINIMIZE);
        int before = hooks::PresentCount();
        primary->Blt(&at, draw.get(), nullptr, DDBLT_WAIT, nullptr);
        EXPECT_EQ(hooks::PresentCount(), before);
    }
    DestroyWindow(window);
    platform::testing::ResetWindowSystem();
}

TEST_F(Presentation, FullScreenFlipShowsTheBackBufferAndSwapsTheBuffers)
{
    HWND window = hooks::CreateWindow(0, 0, 640, 480);
    auto dd = MakeDirectDraw(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    ASSERT_EQ(dd->SetDisplayMode(640, 480, 16), DD_OK);
    EXPECT_TRUE(hooks::IsFullScreen());
    DDSURFACEDESC2 d = Desc(DDSD_CAPS | DDSD_BACKBUFFERCOUNT, DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX);
    d.dwBackBufferCount = 1;
    DirectDrawSurface* raw = nullptr;
    ASSERT_EQ(dd->CreateSurface(&d, &raw, nullptr), DD_OK);
    Ref<DirectDrawSurface> primary(raw);
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &raw), DD_OK);
    Ref<DirectDrawSurface> back(raw);
    DDSURFACEDESC2 described = Desc(0, 0);
    primary->GetSurfaceDesc(&described);
    EXPECT_EQ(described.dwBackBufferCount, 1u);

    Fill(*primary, 0x001F);
    Fill(*back, 0xF800);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    auto frame = hooks::PresentedFrame();
    EXPECT_TRUE(frame.fullScreen);
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
    EXPECT_EQ(hooks::PresentedPixel(320, 240), 0xFFFF0000u);
    EXPECT_EQ(Read(*back, 0, 0), 0x001Fu);

    // Back to the buffer the system draws on.
    ASSERT_EQ(dd->FlipToGDISurface(), DD_OK);
    EXPECT_EQ(Read(*primary, 0, 0), 0x001Fu);

    DDSURFACEDESC2 locked = Desc(0, 0);
    ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
    back->Unlock(nullptr);
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);

    hooks::LoseSurfaces();
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(back->Restore(), DDERR_IMPLICITLYCREATED);
    ASSERT_EQ(primary->Restore(), DD_OK);
    EXPECT_EQ(back->IsLost(), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);

    // Releasing our reference to the back buffer leaves the chain whole.
    back.reset();
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
}

TEST_F(Presentation, UnlockingThePrimaryPresentsWhatWasDrawn)
{
    hooks::SetDesktop(800, 600, 32, 60, false, true);
    HWND window = hooks::CreateWindow(0, 0, 800, 600);
    auto dd = MakeDirectDraw(window, DDSCL_NORMAL);
    auto primary = MakePrimary(*dd);
    Write(*primary, 5, 5, 0x000000FF); // red in the low byte of a BGR desktop
    EXPECT_EQ(hooks::PresentedPixel(5, 5), 0xFFFF0000u);
    HDC dc = nullptr;
    int before = hooks::PresentCount();
    ASSERT_EQ(primary->GetDC(&dc), DD_OK);
    primary->ReleaseDC(dc);
    EXPECT_EQ(hooks::PresentCount(), before + 1);
}

TEST_F(Presentation, EightBitPrimaryShowsItsPaletteColours)
{
    hooks::SetDesktop(640, 480, 8, 60);
    HWND window = hooks::CreateWindow(0, 0, 16, 16);
    auto dd = MakeDirectDraw(window, DDSCL_NORMAL);
    auto primary = MakePrimary(*dd);
    PALETTEENTRY entries[256] = {};
    entries[7] = PALETTEENTRY{0x12, 0x34, 0x56, 0};
    DirectDrawPalette* raw = nullptr;
    EXPECT_EQ(dd->CreatePalette(DDPCAPS_4BIT, entries, &raw, nullptr), DDERR_UNSUPPORTED);
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &raw, nullptr), DD_OK);
    Ref<DirectDrawPalette> palette(raw);
    ASSERT_EQ(primary->SetPalette(palette.get()), DD_OK);
    Write(*primary, 3, 3, 7);
    EXPECT_EQ(hooks::PresentedPixel(3, 3), 0xFF123456u);
    PALETTEENTRY changed{0xFF, 0, 0, 0};
    ASSERT_EQ(palette->SetEntries(0, 7, 1, &changed), DD_OK);
    EXPECT_EQ(palette->SetEntries(0, 255, 2, entries), DDERR_INVALIDPARAMS);
    Write(*primary, 3, 3, 7);
    EXPECT_EQ(hooks::PresentedPixel(3, 3), 0xFFFF0000u);

    hooks::ResetDisplay();
    hooks::SetDesktop(640, 480, 32, 60);
    auto dd32 = MakeDirectDraw();
    auto rgb32 = MakeSurface(*dd32, 4, 4);
    EXPECT_EQ(rgb32->SetPalette(palette.get()), DDERR_NOTPALETTIZED);
}

TEST(PresentGeometry, FullScreenPictureKeepsItsShapeCentred)
{
    RECT pillar = FitPictureInside(1024, 768, 1680, 1050);
    EXPECT_EQ(pillar.left, 140);
    EXPECT_EQ(pillar.right - pillar.left, 1400);
    EXPECT_EQ(pillar.top, 0);
    EXPECT_EQ(pillar.bottom, 1050);
    RECT letter = FitPictureInside(1600, 900, 1024, 768);
    EXPECT_EQ(letter.left, 0);
    EXPECT_EQ(letter.right, 1024);
    EXPECT_EQ(letter.bottom - letter.top, 576);
    EXPECT_EQ(letter.top, 96);
    // One pixel each way is still something to fit, or room to fit it in.
    RECT low = FitPictureInside(96, 40, 200, 1);
    EXPECT_TRUE(low.left == 99 && low.top == 0 && low.right == 101 && low.bottom == 1);
    RECT thin = FitPictureInside(40, 96, 1, 100);
    EXPECT_TRUE(thin.left == 0 && thin.top == 49 && thin.right == 1 && thin.bottom == 51);
    // Nothing to fit, or no room: nothing at all.
    for (const RECT none : {FitPictureInside(0, 768, 1024, 768), FitPictureInside(1024, 0, 1024, 768),
                            FitPictureInside(1024, 768, 0, 768), FitPictureInside(1024, 768, 1024, 0)})
        EXPECT_TRUE(none.left == 0 && none.top == 0 && none.right == 0 && none.bottom == 0);
}

TEST(PixelLayoutConversion, ChannelsExpandToFullBytesAndReduceToTheirTopBits)
{
    auto rgb565 = ddraw::PixelLayout::Rgb565();
    EXPECT_EQ(rgb565.ToArgb(0xF800), 0xFFFF0000u);
    EXPECT_EQ(rgb565.ToArgb(0x07E0), 0xFF00FF00u);
    EXPECT_EQ(rgb565.FromArgb(0xFFFF8040), 0xFC08u);
    auto rgb555 = ddraw::PixelLayout::Rgb555();
    EXPECT_EQ(rgb555.FromArgb(0xFF00FF00), 0x03E0u);
    auto bgr = ddraw::PixelLayout::Xbgr8888();
    EXPECT_EQ(bgr.FromArgb(0xFF112233), 0x332211u);
    EXPECT_EQ(bgr.ToArgb(0x332211), 0xFF112233u);

    // The quick row conversions agree with the per-pixel one.
    for (auto layout : {rgb565, rgb555, bgr, ddraw::PixelLayout::Xrgb8888(), ddraw::PixelLayout::Rgb888()}) {
        uint8_t row[4 * 5];
        for (int i = 0; i < int(sizeof row); ++i) row[i] = uint8_t(i * 37 + 11);
        uint32_t out[5];
        ddraw::ConvertRowToArgb(row, out, 5, layout);
        int bytes = layout.BytesPerPixel();
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(out[i], layout.ToArgb(ddraw::LoadPixel(row + i * bytes, bytes))) << layout.bitsPerPixel;
    }
}

TEST_F(Presentation, SdlBackEndStartsAndPresentsUnderTheDummyDriver)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(ddraw::SdlPresenter::Install(nullptr, 320, 240));
    {
        auto dd = MakeDirectDraw(nullptr, DDSCL_NORMAL);
        auto primary = MakePrimary(*dd);
        auto draw = MakeSurface(*dd, 320, 240);
        Fill(*draw, 0x00336699);
        RECT to{0, 0, 320, 240};
        EXPECT_EQ(primary->Blt(&to, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
        HWND window = reinterpret_cast<HWND>(0x40);
        auto full = MakeDirectDraw();
        full.reset();
        primary.reset();
        dd.reset();
        auto exclusive = MakeDirectDraw(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
        ASSERT_EQ(exclusive->SetDisplayMode(640, 480, 32), DD_OK);
        auto fullPrimary = MakePrimary(*exclusive);
        Fill(*fullPrimary, 0x00FFFFFF);
    }
    ddraw::DisplayMachine::Instance().InstallPresenter(nullptr);
}

} // namespace
} // namespace ddtest
