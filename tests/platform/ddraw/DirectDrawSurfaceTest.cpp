#include "DisplayScenario.h"

namespace ddtest {
namespace {

class Surface : public DisplayScenario {
protected:
    void SetUp() override
    {
        DisplayScenario::SetUp();
        hooks::SetDesktop(1920, 1080, 16, 60);
        dd = MakeDirectDraw();
    }
    void TearDown() override
    {
        dd.reset();
        DisplayScenario::TearDown();
    }
    Ref<DirectDraw> dd;
};

TEST_F(Surface, PitchIsPaddedAndLocksPointAtTheirRectangle)
{
    auto s = MakeSurface(*dd, 10, 6);
    DDSURFACEDESC2 d = Desc(0, 0);
    RECT r{3, 2, 7, 5};
    ASSERT_EQ(s->Lock(&r, &d, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_GT(d.lPitch, 10 * 2);
    EXPECT_EQ(d.lPitch % 4, 0);
    EXPECT_EQ(static_cast<uint8_t*>(d.lpSurface), s->Pixels() + 2 * d.lPitch + 3 * 2);
    // A writer that steps rows by the pitch stays inside the rows.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch)[x] = 0x1234;
    ASSERT_EQ(s->Unlock(&r), DD_OK);
    EXPECT_TRUE(s->PaddingIntact());
    EXPECT_EQ(Read(*s, 6, 4), 0x1234u);
    EXPECT_EQ(Read(*s, 7, 4), 0u);

    // One that assumes rows of width x 2 bytes lands in the wrong place and
    // the padding tells.
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    auto* p = static_cast<uint16_t*>(d.lpSurface);
    for (int i = 0; i < 10 * 6; ++i) p[i] = 0xFFFF;
    s->Unlock(nullptr);
    EXPECT_FALSE(s->PaddingIntact());
}

TEST_F(Surface, OverlappingLocksAreRefusedAndUnlockMustPair)
{
    auto s = MakeSurface(*dd, 32, 32);
    DDSURFACEDESC2 a = Desc(0, 0), b = Desc(0, 0);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    ASSERT_EQ(s->Lock(nullptr, &a, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(s->Lock(nullptr, &b, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    HDC dc = nullptr;
    EXPECT_EQ(s->GetDC(&dc), DDERR_SURFACEBUSY);
    DDBLTFX fx = Fx();
    EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACEBUSY);
    auto other = MakeSurface(*dd, 32, 32);
    EXPECT_EQ(other->Blt(nullptr, s.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACEBUSY);
    ASSERT_EQ(s->Unlock(nullptr), DD_OK);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);

    RECT left{0, 0, 16, 32}, right{16, 0, 32, 32}, middle{8, 0, 24, 32};
    ASSERT_EQ(s->Lock(&left, &a, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(s->Lock(&right, &b, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(s->Lock(&middle, &b, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(s->Unlock(&right), DD_OK);
    EXPECT_EQ(s->Unlock(&left), DD_OK);

    RECT outside{20, 20, 40, 40};
    EXPECT_EQ(s->Lock(&outside, &a, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT);
    DDSURFACEDESC2 badSize = Desc(0, 0);
    badSize.dwSize = 108;
    EXPECT_EQ(s->Lock(nullptr, &badSize, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    DDSURFACEDESC old;
    std::memset(&old, 0, sizeof old);
    old.dwSize = sizeof old;
    ASSERT_EQ(s->Lock(nullptr, &old, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(old.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_NE(old.lpSurface, nullptr);
    EXPECT_EQ(s->Unlock(nullptr), DD_OK);
}

TEST_F(Surface, BltCopiesAndStretchesByNearestPixel)
{
    auto src = MakeSurface(*dd, 2, 2);
    Write(*src, 0, 0, 0x1111);
    Write(*src, 1, 0, 0x2222);
    Write(*src, 0, 1, 0x3333);
    Write(*src, 1, 1, 0x4444);
    auto dst = MakeSurface(*dd, 8, 8);
    RECT to{2, 2, 6, 6};
    ASSERT_EQ(dst->Blt(&to, src.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Read(*dst, 2, 2), 0x1111u);
    EXPECT_EQ(Read(*dst, 3, 3), 0x1111u);
    EXPECT_EQ(Read(*dst, 4, 2), 0x2222u);
    EXPECT_EQ(Read(*dst, 2, 5), 0x3333u);
    EXPECT_EQ(Read(*dst, 5, 5), 0x4444u);
    EXPECT_EQ(Read(*dst, 6, 6), 0u);
    EXPECT_EQ(Read(*dst, 1, 1), 0u);
    EXPECT_TRUE(dst->PaddingIntact());

    RECT from{1, 0, 2, 1};
    ASSERT_EQ(dst->BltFast(7, 7, src.get(), &from, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(Read(*dst, 7, 7), 0x2222u);
}

TEST_F(Surface, SourceColourKeyLeavesKeyedPixelsUntouched)
{
    auto src = MakeSurface(*dd, 3, 1);
    Write(*src, 0, 0, 0xF81F);
    Write(*src, 1, 0, 0x07E0);
    Write(*src, 2, 0, 0xF81F);
    auto dst = MakeSurface(*dd, 3, 1);
    Fill(*dst, 0x001F);
    EXPECT_EQ(dst->Blt(nullptr, src.get(), nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DDERR_NOCOLORKEY);
    DDCOLORKEY key{0xF81F, 0};
    ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    DDCOLORKEY back{};
    ASSERT_EQ(src->GetColorKey(DDCKEY_SRCBLT, &back), DD_OK);
    EXPECT_EQ(back.dwColorSpaceHighValue, 0xF81Fu); // one value without a range
    ASSERT_EQ(dst->Blt(nullptr, src.get(), nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DD_OK);
    EXPECT_EQ(Read(*dst, 0, 0), 0x001Fu);
    EXPECT_EQ(Read(*dst, 1, 0), 0x07E0u);
    EXPECT_EQ(Read(*dst, 2, 0), 0x001Fu);

    // Without the flag the key is ignored.
    ASSERT_EQ(dst->Blt(nullptr, src.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Read(*dst, 0, 0), 0xF81Fu);

    // A key given with the blit overrides the surface's.
    Fill(*dst, 0);
    DDBLTFX fx = Fx();
    fx.ddckSrcColorkey = DDCOLORKEY{0x07E0, 0x07E0};
    ASSERT_EQ(dst->Blt(nullptr, src.get(), nullptr, DDBLT_WAIT | DDBLT_KEYSRCOVERRIDE, &fx), DD_OK);
    EXPECT_EQ(Read(*dst, 0, 0), 0xF81Fu);
    EXPECT_EQ(Read(*dst, 1, 0), 0u);

    // The fast copy keys the same way.
    Fill(*dst, 0x001F);
    ASSERT_EQ(dst->BltFast(0, 0, src.get(), nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(Read(*dst, 0, 0), 0x001Fu);
    EXPECT_EQ(Read(*dst, 1, 0), 0x07E0u);
}

TEST_F(Surface, DestinationColourKeyWritesOnlyOverKeyedPixels)
{
    auto src = MakeSurface(*dd, 3, 1);
    Fill(*src, 0x07E0);
    auto dst = MakeSurface(*dd, 3, 1);
    Write(*dst, 0, 0, 0x001F);
    Write(*dst, 1, 0, 0xF800);
    Write(*dst, 2, 0, 0x001F);
    EXPECT_EQ(dst->Blt(nullptr, src.get(), nullptr, DDBLT_WAIT | DDBLT_KEYDEST, nullptr), DDERR_NOCOLORKEY);
    DDCOLORKEY key{0x001F, 0x001F};
    ASSERT_EQ(dst->SetColorKey(DDCKEY_DESTBLT, &key), DD_OK);
    ASSERT_EQ(dst->Blt(nullptr, src.get(), nullptr, DDBLT_WAIT | DDBLT_KEYDEST, nullptr), DD_OK);
    EXPECT_EQ(Read(*dst, 0, 0), 0x07E0u);
    EXPECT_EQ(Read(*dst, 1, 0), 0xF800u);
    EXPECT_EQ(Read(*dst, 2, 0), 0x07E0u);

    // A key given with the blit overrides the surface's; the fast copy keys
    // by the surface's.
    Write(*dst, 0, 0, 0xF800);
    Write(*dst, 1, 0, 0x001F);
    DDBLTFX fx = Fx();
    fx.ddckDestColorkey = DDCOLORKEY{0xF800, 0xF800};
    ASSERT_EQ(dst->Blt(nullptr, src.get(), nullptr, DDBLT_WAIT | DDBLT_KEYDESTOVERRIDE, &fx), DD_OK);
    EXPECT_EQ(Read(*dst, 0, 0), 0x07E0u);
    EXPECT_EQ(Read(*dst, 1, 0), 0x001Fu);
    Fill(*src, 0x1234);
    ASSERT_EQ(dst->BltFast(0, 0, src.get(), nullptr, DDBLTFAST_DESTCOLORKEY), DD_OK);
    EXPECT_EQ(Read(*dst, 0, 0), 0x07E0u);
    EXPECT_EQ(Read(*dst, 1, 0), 0x1234u);
}

TEST_F(Surface, ColourFillWritesTheRawValueInsideItsRectangleOnly)
{
    auto s = MakeSurface(*dd, 4, 4);
    DDBLTFX fx = Fx();
    fx.dwFillColor = 0xABCD1234; // only the surface's 16 bits are kept
    RECT r{1, 1, 3, 3};
    ASSERT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    EXPECT_EQ(Read(*s, 1, 1), 0x1234u);
    EXPECT_EQ(Read(*s, 2, 2), 0x1234u);
    EXPECT_EQ(Read(*s, 3, 3), 0u);
    EXPECT_EQ(Read(*s, 0, 1), 0u);
    EXPECT_TRUE(s->PaddingIntact());
    EXPECT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(Surface, BltRefusesRectanglesOutsideAndMismatchedFormats)
{
    auto a = MakeSurface(*dd, 8, 8);
    auto b = MakeSurface(*dd, 8, 8);
    RECT outside{4, 4, 12, 12};
    EXPECT_EQ(a->Blt(&outside, b.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(a->Blt(nullptr, b.get(), &outside, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    RECT inverted{6, 6, 2, 2};
    EXPECT_EQ(a->Blt(&inverted, b.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(a->BltFast(4, 4, b.get(), nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    EXPECT_EQ(a->Blt(nullptr, b.get(), nullptr, DDBLT_WAIT | DDBLT_ROTATIONANGLE, nullptr), DDERR_UNSUPPORTED);

    DDSURFACEDESC2 d = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT, 0, 8, 8);
    d.ddpfPixelFormat = ddraw::PixelLayout::Xrgb8888().ToDD();
    DirectDrawSurface* raw = nullptr;
    ASSERT_EQ(dd->CreateSurface(&d, &raw, nullptr), DD_OK);
    Ref<DirectDrawSurface> wide(raw);
    EXPECT_EQ(a->Blt(nullptr, wide.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPIXELFORMAT);

    DDBLTFX shortFx = Fx();
    shortFx.dwSize = 100;
    EXPECT_EQ(a->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &shortFx), DDERR_INVALIDPARAMS);
}

TEST_F(Surface, BltWithinOneSurfaceCopiesAsIfThroughABuffer)
{
    auto s = MakeSurface(*dd, 4, 1);
    for (int x = 0; x < 4; ++x) Write(*s, x, 0, uint32_t(x + 1));
    RECT from{0, 0, 3, 1}, to{1, 0, 4, 1};
    ASSERT_EQ(s->Blt(&to, s.get(), &from, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Read(*s, 0, 0), 1u);
    EXPECT_EQ(Read(*s, 1, 0), 1u);
    EXPECT_EQ(Read(*s, 2, 0), 2u);
    EXPECT_EQ(Read(*s, 3, 0), 3u);

    // Rows moved down over themselves, as a scroll does.
    auto column = MakeSurface(*dd, 1, 4);
    for (int y = 0; y < 4; ++y) Write(*column, 0, y, uint32_t(y + 1));
    RECT above{0, 0, 1, 3}, below{0, 1, 1, 4};
    ASSERT_EQ(column->Blt(&below, column.get(), &above, DDBLT_WAIT, nullptr), DD_OK);
    for (int y = 0; y < 4; ++y) EXPECT_EQ(Read(*column, 0, y), uint32_t(y == 0 ? 1 : y)) << "row " << y;
}

TEST_F(Surface, LostSurfacesFailUntilRestoredAndComeBackScrambled)
{
    auto s = MakeSurface(*dd, 4, 4);
    Fill(*s, 0x0101);
    hooks::LoseSurfaces();
    EXPECT_EQ(s->IsLost(), DDERR_SURFACELOST);
    DDSURFACEDESC2 d = Desc(0, 0);
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
    DDBLTFX fx = Fx();
    EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACELOST);
    auto other = MakeSurface(*dd, 4, 4);
    EXPECT_EQ(other->Blt(nullptr, s.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST);
    HDC dc = nullptr;
    EXPECT_EQ(s->GetDC(&dc), DDERR_SURFACELOST);
    d = Desc(0, 0);
    EXPECT_EQ(s->GetSurfaceDesc(&d), DD_OK); // the description survives

    hooks::FailNext("Restore", DDERR_WRONGMODE);
    EXPECT_EQ(s->Restore(), DDERR_WRONGMODE);
    ASSERT_EQ(s->Restore(), DD_OK);
    EXPECT_EQ(s->IsLost(), DD_OK);
    EXPECT_NE(Read(*s, 0, 0), 0x0101u);
    EXPECT_TRUE(s->PaddingIntact());
}

TEST_F(Surface, ManagedTexturesSurviveLossAndTexturesFailByTheirOwnName)
{
    DDSURFACEDESC2 d = Desc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_TEXTURE, 8, 8);
    d.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
    hooks::FailNext("CreateTexture", DDERR_OUTOFVIDEOMEMORY);
    DirectDrawSurface* raw = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &raw, nullptr), DDERR_OUTOFVIDEOMEMORY);
    auto plain = MakeSurface(*dd, 4, 4); // other surfaces are not affected
    ASSERT_EQ(dd->CreateSurface(&d, &raw, nullptr), DD_OK);
    Ref<DirectDrawSurface> texture(raw);

    hooks::LoseSurfaces();
    EXPECT_EQ(texture->IsLost(), DD_OK);
    EXPECT_EQ(plain->IsLost(), DDERR_SURFACELOST);
}

TEST_F(Surface, DeviceContextIsExclusiveAndFindsItsSurface)
{
    auto s = MakeSurface(*dd, 4, 4);
    HDC dc = nullptr, second = nullptr;
    ASSERT_EQ(s->GetDC(&dc), DD_OK);
    EXPECT_EQ(DirectDrawSurface::FromDC(dc), s.get());
    EXPECT_EQ(s->GetDC(&second), DDERR_DCALREADYCREATED);
    DDSURFACEDESC2 d = Desc(0, 0);
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(s->ReleaseDC(reinterpret_cast<HDC>(0x10)), DDERR_INVALIDPARAMS);
    ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(DirectDrawSurface::FromDC(dc), nullptr);
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    s->Unlock(nullptr);
}

} // namespace
} // namespace ddtest
