// What the software rasteriser draws, pixel by pixel, on small surfaces.
#include "D3DScenario.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace d3dtest {
namespace {

class RasteriserCoverage : public D3DScenario {};

TEST_F(RasteriserCoverage, QuadCoversThePixelsWhoseCentresItHolds)
{
    MakeTarget(6, 6);
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(0, 0, 4, 4)), D3D_OK);
    EXPECT_EQ(Picture(), "####..\n"
                         "####..\n"
                         "####..\n"
                         "####..\n"
                         "......\n"
                         "......\n");
    // The half-pixel shift the program uses for its rectangles.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(0.5f, 1.5f, 3.5f, 2.5f)), D3D_OK);
    EXPECT_EQ(Picture(), "......\n"
                         "......\n"
                         ".###..\n"
                         "......\n"
                         "......\n"
                         "......\n");
}

TEST_F(RasteriserCoverage, CentresOnAnEdgeBelongToTheTriangleOnItsTopOrLeft)
{
    MakeTarget(6, 6);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, {V(0, 0), V(4, 0), V(0, 4)}), D3D_OK);
    EXPECT_EQ(Picture(), "####..\n"
                         "###...\n"
                         "##....\n"
                         "#.....\n"
                         "......\n"
                         "......\n");
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, {V(4, 0), V(4, 4), V(0, 4)}), D3D_OK);
    EXPECT_EQ(Picture(), "......\n"
                         "...#..\n"
                         "..##..\n"
                         ".###..\n"
                         "......\n"
                         "......\n");
}

// Additive drawing of 1 per triangle counts how often each pixel is drawn.
TEST_F(RasteriserCoverage, MeshesSharingEdgesDrawEveryPixelExactlyOnce)
{
    MakeTarget(40, 40);
    Blend(D3DBLEND_ONE, D3DBLEND_ONE);
    const DWORD one = 0xFF010101;
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        // A fan around a point inside a square whose rim points lie on the
        // square's sides; half the points land exactly on pixel centres.
        auto coordinate = [&](float lo, float hi) {
            std::uniform_real_distribution<float> d(lo, hi);
            float v = d(random);
            return round % 2 ? std::round(v) : v;
        };
        const float left = 2.25f, top = 3.0f, right = 35.5f, bottom = 36.75f;
        std::vector<D3DTLVERTEX> fan{V(coordinate(10, 30), coordinate(10, 30), one)};
        std::vector<D3DTLVERTEX> rim;
        for (int i = 0; i < 4; ++i) rim.push_back(V(left + (right - left) * float(i) / 4, top, one));
        rim.push_back(V(right, top, one));
        std::vector<float> side{coordinate(top + 1, bottom - 1), coordinate(top + 1, bottom - 1),
                                coordinate(top + 1, bottom - 1)};
        std::sort(side.begin(), side.end());
        for (float y : side) rim.push_back(V(right, y, one));
        rim.push_back(V(right, bottom, one));
        rim.push_back(V(coordinate(left + 1, right - 1), bottom, one));
        rim.push_back(V(left, bottom, one));
        rim.push_back(V(left, coordinate(top + 1, bottom - 1), one));
        rim.push_back(V(left, top, one));
        fan.insert(fan.end(), rim.begin(), rim.end());
        ASSERT_EQ(Draw(D3DPT_TRIANGLEFAN, fan), D3D_OK);
        // A grid of strips with jittered inner points, drawn over it again.
        std::vector<std::vector<D3DTLVERTEX>> grid(5, std::vector<D3DTLVERTEX>(5));
        for (int gy = 0; gy < 5; ++gy)
            for (int gx = 0; gx < 5; ++gx) {
                float x = left + (right - left) * float(gx) / 4, y = top + (bottom - top) * float(gy) / 4;
                if (gx > 0 && gx < 4) x = coordinate(x - 2, x + 2);
                if (gy > 0 && gy < 4) y = coordinate(y - 2, y + 2);
                grid[size_t(gy)][size_t(gx)] = V(x, y, one);
            }
        for (int gy = 0; gy < 4; ++gy) {
            std::vector<D3DTLVERTEX> strip;
            for (int gx = 0; gx < 5; ++gx) {
                strip.push_back(grid[size_t(gy)][size_t(gx)]);
                strip.push_back(grid[size_t(gy + 1)][size_t(gx)]);
            }
            ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, strip), D3D_OK);
        }
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                bool inside = x >= left && x < right && y >= top && y < bottom;
                ASSERT_EQ(Colour(x, y), inside ? 0x020202u : 0u) << "round " << round << " at " << x << "," << y;
            }
    }
}

TEST_F(RasteriserCoverage, WindingDecidesCullingAndStripsKeepOneWinding)
{
    MakeTarget(8, 8);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    // On the screen this strip runs clockwise: both halves are drawn.
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(0, 0, 4, 4)), D3D_OK);
    // Mirrored, it runs counter-clockwise: both halves are culled.
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, {V(8, 0), V(4, 0), V(8, 4), V(4, 4)}), D3D_OK);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CW);
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, {V(0, 8), V(4, 8), V(0, 4), V(4, 4)}), D3D_OK);
    EXPECT_EQ(Picture(), "####....\n"
                         "####....\n"
                         "####....\n"
                         "####....\n"
                         "####....\n"
                         "####....\n"
                         "####....\n"
                         "####....\n");
}

class RasteriserSampling : public D3DScenario {
protected:
    static uint32_t T(int x, int y) { return 0xFF000000u | uint32_t(x * 60) << 16 | uint32_t(y * 60) << 8 | 0x11; }
    std::vector<uint32_t> Texels4x4()
    {
        std::vector<uint32_t> t;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) t.push_back(T(x, y));
        return t;
    }
};

TEST_F(RasteriserSampling, OneTexelPerPixelReproducesTheTexture)
{
    MakeTarget(4, 4, nullptr);
    auto texture = MakeTexture(4, 4, Texels4x4());
    ASSERT_EQ(device->SetTexture(0, texture.get()), D3D_OK);
    for (DWORD filter : {DWORD(D3DTFG_POINT), DWORD(D3DTFG_LINEAR)}) {
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
        // Shifted by half a pixel every sample lands on a texel centre;
        // unshifted every sample lands on a texel's top-left corner.
        for (float shift : {-0.5f, 0.0f}) {
            if (shift == 0.0f && filter == D3DTFG_LINEAR) continue;
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
            ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(shift, shift, 4 + shift, 4 + shift)), D3D_OK);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x)
                    ASSERT_EQ(At(x, y), T(x, y))
                        << "filter " << filter << " shift " << shift << " at " << x << "," << y;
        }
    }
}

TEST_F(RasteriserSampling, MagnifiedPointSamplesRepeatTexelsAndWrapRepeatsTheTexture)
{
    MakeTarget(8, 8);
    auto texture = MakeTexture(4, 4, Texels4x4());
    device->SetTexture(0, texture.get());
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(-0.5f, -0.5f, 7.5f, 7.5f)), D3D_OK);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(x, y), T(x / 2, y / 2)) << x << "," << y;

    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(-0.5f, -0.5f, 7.5f, 7.5f, 0xFFFFFFFF, 0, 0, 2, 2)), D3D_OK);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(At(x, y), T(x % 4, y % 4)) << x << "," << y;
}

TEST_F(RasteriserSampling, LinearFilteringWeighsNeighboursAndClampsAtTheEdge)
{
    MakeTarget(4, 1);
    auto texture = MakeTexture(2, 1, {0xFF000000, 0xFFFFFFFF});
    device->SetTexture(0, texture.get());
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(-0.5f, -0.5f, 3.5f, 0.5f)), D3D_OK);
    EXPECT_EQ(Colour(0, 0), 0x000000u);
    EXPECT_NEAR(double(Colour(1, 0) & 0xFF), 64.0, 1.0);
    EXPECT_NEAR(double(Colour(2, 0) & 0xFF), 191.0, 1.0);
    EXPECT_EQ(Colour(3, 0), 0xFFFFFFu);
}

TEST_F(RasteriserSampling, OneAddressModeForBothAxesClampsAcrossAndDown)
{
    // A 2 x 2 texture spread twice over 4 x 4 pixels: wrapped it repeats,
    // clamped its last column and row run on to the edge.
    MakeTarget(4, 4);
    const uint32_t a = 0xFF102030, b = 0xFF405060, c = 0xFF708090, d = 0xFFA0B0C0;
    auto texture = MakeTexture(2, 2, {a, b, c, d});
    device->SetTexture(0, texture.get());
    ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_ADDRESS, D3DTADDRESS_CLAMP), D3D_OK);
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(-0.5f, -0.5f, 3.5f, 3.5f, 0xFFFFFFFF, 0, 0, 2, 2)), D3D_OK);
    EXPECT_EQ(At(0, 0), a);
    EXPECT_EQ(At(3, 0), b);
    EXPECT_EQ(At(0, 3), c);
    EXPECT_EQ(At(3, 3), d);
    EXPECT_EQ(At(2, 2), d);
}

TEST_F(RasteriserSampling, PalettisedAndSixteenBitTexturesDecodeToTheirColours)
{
    DDPIXELFORMAT argb = Argb8888();
    MakeTarget(2, 1, &argb);
    DDPIXELFORMAT pal;
    std::memset(&pal, 0, sizeof pal);
    pal.dwSize = sizeof pal;
    pal.dwFlags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
    pal.dwRGBBitCount = 8;
    auto texture = MakeTexture(2, 1, {3, 200}, pal);
    PALETTEENTRY entries[256] = {};
    entries[3] = {0x10, 0x20, 0x30, 0xFF};
    entries[200] = {0xF0, 0xE0, 0xD0, 0xFF};
    DirectDrawPalette* palette = nullptr;
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256 | DDPCAPS_ALPHA, entries, &palette, nullptr), DD_OK);
    device->SetTexture(0, texture.get());
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    auto quad = Quad(-0.5f, -0.5f, 1.5f, 0.5f);
    // A palettised texture without its palette cannot be drawn.
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad.data(), 4, 0), D3DERR_INVALIDPALETTE);
    texture->SetPalette(palette);
    palette->Release();
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad.data(), 4, 0), D3D_OK);
    device->EndScene();
    EXPECT_EQ(Colour(0, 0), 0x102030u);
    EXPECT_EQ(Colour(1, 0), 0xF0E0D0u);

    auto argb4444 = MakeTexture(2, 1, {0xFF1F2F3F, 0x80F0E0D0}, Rgb(16, 0xF000, 0xF00, 0xF0, 0xF));
    device->SetTexture(0, argb4444.get());
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, quad), D3D_OK);
    EXPECT_EQ(Colour(0, 0), 0x112233u); // nibbles widened to full bytes
    EXPECT_EQ(At(1, 0), 0x88FFEEDDu);   // the alpha reaches an ARGB target unblended
}

class RasteriserBlending : public D3DScenario {
protected:
    // Draws a 64 x 64 texture of one colour over the top-left of the target
    // with a vertex colour, as the capability test does.
    void DrawPicture(uint32_t fill, uint32_t vertex = 0xFFFFFFFF)
    {
        auto texture = MakeTexture(64, 64, std::vector<uint32_t>(64 * 64, fill));
        ASSERT_EQ(device->SetTexture(0, texture.get()), D3D_OK);
        ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(0, 0, 64, 64, vertex)), D3D_OK);
        device->SetTexture(0, nullptr);
    }
    // Every pixel of the top-left 10 x 10 is within a squared RGB distance
    // of 768 of `expected`, and all are equal.
    void ExpectUniform(uint32_t expected)
    {
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                uint32_t c = Colour(x, y);
                int dr = int(c >> 16) - int(expected >> 16), dg = int(c >> 8 & 0xFF) - int(expected >> 8 & 0xFF),
                    db = int(c & 0xFF) - int(expected & 0xFF);
                ASSERT_LE(dr * dr + dg * dg + db * db, 768) << std::hex << c << " at " << x << "," << y;
                ASSERT_EQ(c, Colour(0, 0));
            }
    }
};

TEST_F(RasteriserBlending, TheFourBlendModesOfTheProgramComeOutRightInBothDisplayDepths)
{
    for (bool sixteen : {false, true}) {
        SCOPED_TRACE(sixteen ? "565" : "32-bit");
        DDPIXELFORMAT format = sixteen ? Rgb565() : Xrgb8888();
        MakeTarget(100, 100, &format);
        Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
        DrawPicture(0xFF0000FF);
        DrawPicture(0x80FF0000);
        ExpectUniform(0x7F007F);

        MakeTarget(100, 100, &format);
        Blend(D3DBLEND_ONE, D3DBLEND_ONE);
        DrawPicture(0xFF404040);
        DrawPicture(0xFF404040);
        ExpectUniform(0x808080);

        MakeTarget(100, 100, &format);
        Blend(D3DBLEND_SRCALPHA, D3DBLEND_ONE);
        DrawPicture(0xFF404040);
        DrawPicture(0x80808080);
        ExpectUniform(0x808080);

        MakeTarget(100, 100, &format);
        Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        DrawPicture(0xFF0000FF);
        DrawPicture(0xFFFF0000, 0x80FFFFFF);
        ExpectUniform(0x7F007F);
    }
}

TEST_F(RasteriserBlending, ArithmeticRoundsToNearestAndAdditionSaturates)
{
    MakeTarget(4, 1, nullptr, 0xFF2040C0);
    Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0x40FFFFFF)), D3D_OK);
    // 0x20 + (0xFF - 0x20) * 64 / 255 = 87.9; 0x40 -> 111.9; 0xC0 -> 207.9.
    EXPECT_EQ(Colour(0, 0), 0x5870D0u);

    Blend(D3DBLEND_ONE, D3DBLEND_ONE);
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(0.5f, -0.5f, 1.5f, 0.5f, 0xFFC0C0C0)), D3D_OK);
    EXPECT_EQ(Colour(1, 0), 0xE0FFFFu);

    // A texture modulated by the vertex colour, unblended.
    device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
    auto texture = MakeTexture(1, 1, {0xFF808080});
    device->SetTexture(0, texture.get());
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(1.5f, -0.5f, 2.5f, 0.5f, 0xFFFF4000)), D3D_OK);
    EXPECT_EQ(Colour(2, 0), 0x802000u);
}

TEST_F(RasteriserBlending, EachTextureOperationCombinesTexelAndVertexColourItsOwnWay)
{
    // A texel of 0x40 with a vertex colour of 0x40 in every channel: the
    // product is 16, doubled 32, four times 64, the sum 128; either one alone
    // is 64.
    MakeTarget(6, 1);
    auto texture = MakeTexture(1, 1, {0xFF404040});
    device->SetTexture(0, texture.get());
    const std::pair<DWORD, uint32_t> cases[] = {
        {D3DTOP_MODULATE, 0x101010},   {D3DTOP_MODULATE2X, 0x202020}, {D3DTOP_MODULATE4X, 0x404040},
        {D3DTOP_ADD, 0x808080},        {D3DTOP_SELECTARG1, 0x404040}, {D3DTOP_SELECTARG2, 0x404040},
    };
    float x = -0.5f;
    for (const auto& [op, expected] : cases) {
        device->SetTextureStageState(0, D3DTSS_COLOROP, op);
        ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(x, -0.5f, x + 1, 0.5f, 0xFF404040)), D3D_OK);
        EXPECT_EQ(Colour(int(x + 0.5f), 0), expected) << "operation " << op;
        x += 1;
    }
}

TEST_F(RasteriserBlending, GouraudColoursRunFromVertexToVertex)
{
    MakeTarget(5, 1);
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP,
                   {V(0, -1, 0xFF000000), V(4, -1, 0xFFFF0000), V(0, 1, 0xFF000000), V(4, 1, 0xFFFF0000)}),
              D3D_OK);
    for (int x = 0; x < 4; ++x) EXPECT_NEAR(double(Colour(x, 0) >> 16), 255.0 * x / 4, 1.0) << x;
    device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_FLAT);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, {V(0, -1, 0xFF00FF00), V(4, -1, 0xFFFF0000), V(0, 1, 0xFF0000FF)}), D3D_OK);
    EXPECT_EQ(Colour(1, 0), 0x00FF00u);
}

class RasteriserClipping : public D3DScenario {};

TEST_F(RasteriserClipping, NothingIsDrawnOutsideTheViewport)
{
    MakeTarget(8, 8);
    D3DVIEWPORT7 view{2, 1, 4, 3, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&view), D3D_OK);
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(-20, -20, 30, 30)), D3D_OK);
    const std::string inView = "........\n"
                               "..####..\n"
                               "..####..\n"
                               "..####..\n"
                               "........\n"
                               "........\n"
                               "........\n"
                               "........\n";
    EXPECT_EQ(Picture(), inView);
    // Far beyond any guard band, and a viewport reaching past the surface.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(-1e7f, -1e7f, 1e7f, 1e7f)), D3D_OK);
    EXPECT_EQ(Picture(), inView);
    D3DVIEWPORT7 wide{4, 4, 100, 100, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&wide), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    D3DRECT rect{-5, -5, 6, 6};
    device->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    EXPECT_EQ(Colour(5, 5), 0u);
    EXPECT_EQ(Colour(6, 6), 0xFFFFFFu);
    EXPECT_EQ(Colour(1, 1), 0u); // outside the viewport: not cleared at all
}

TEST_F(RasteriserClipping, BrokenVerticesDrawNothingAndHurtNothing)
{
    MakeTarget(8, 8);
    const float nan = std::nanf("");
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, {V(nan, 0), V(8, 0), V(0, 8)}), D3D_OK);
    ASSERT_EQ(Draw(D3DPT_LINESTRIP, {V(0, 0), V(INFINITY, 8)}), D3D_OK);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, {V(1, 1), V(1, 1), V(1, 1)}), D3D_OK);
    auto texture = MakeTexture(2, 2, {1, 2, 3, 4});
    device->SetTexture(0, texture.get());
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, Quad(0, 0, 8, 8, 0xFFFFFFFF, -1e30f, nan, 1e30f, INFINITY)), D3D_OK);
    EXPECT_TRUE(target->PaddingIntact());
}

TEST_F(RasteriserClipping, WildVerticesOfEveryKindStayInsideTheSurface)
{
    DDPIXELFORMAT formats[] = {Xrgb8888(), Rgb565(), Rgb(24, 0, 0xFF0000, 0xFF00, 0xFF)};
    std::mt19937 random(5);
    const float specials[] = {0.0f, -0.5f, 0.5f, 1e-30f, 1e30f, -1e30f, 3e38f, INFINITY, -INFINITY, std::nanf("")};
    auto wild = [&] {
        switch (random() % 4) {
        case 0: return specials[random() % 10];
        case 1: return std::uniform_real_distribution<float>(-1e6f, 1e6f)(random);
        default: return std::uniform_real_distribution<float>(-8, 24)(random);
        }
    };
    for (const DDPIXELFORMAT& format : formats) {
        MakeTarget(16, 12, &format);
        auto texture = MakeTexture(4, 2, {1, 2, 3, 4, 5, 6, 7, 8});
        device->SetTexture(0, texture.get());
        for (int round = 0; round < 300; ++round) {
            device->SetTextureStageState(0, D3DTSS_MAGFILTER, 1 + random() % 2);
            device->SetTextureStageState(0, D3DTSS_ADDRESS, 1 + random() % 4);
            device->SetRenderState(D3DRENDERSTATE_SRCBLEND, 1 + random() % 13);
            device->SetRenderState(D3DRENDERSTATE_DESTBLEND, 1 + random() % 13);
            device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, random() % 2);
            device->SetRenderState(D3DRENDERSTATE_SHADEMODE, 1 + random() % 2);
            std::vector<D3DTLVERTEX> v;
            for (int i = 0; i < 7; ++i)
                v.push_back(D3DTLVERTEX{wild(), wild(), wild(), wild(), uint32_t(random()), uint32_t(random()), wild(),
                                        wild()});
            ASSERT_EQ(Draw(D3DPRIMITIVETYPE(2 + random() % 5), v), D3D_OK);
        }
        EXPECT_TRUE(target->PaddingIntact());
    }
}

class RasteriserLines : public D3DScenario {};

TEST_F(RasteriserLines, ALineLeavesOutItsLastPixelUnlessAHalfStepFollows)
{
    MakeTarget(8, 6);
    ASSERT_EQ(Draw(D3DPT_LINESTRIP, {V(1, 1), V(5, 1)}), D3D_OK);
    ASSERT_EQ(Draw(D3DPT_LINESTRIP, {V(1, 3), V(5, 3), V(5.5f, 3.5f)}), D3D_OK);
    ASSERT_EQ(Draw(D3DPT_LINESTRIP, {V(7, 5), V(7, 1), V(7.5f, 1.5f)}), D3D_OK);
    ASSERT_EQ(Draw(D3DPT_LINELIST, {V(0, 5), V(3, 2)}), D3D_OK);
    EXPECT_EQ(Picture(), "........\n"
                         ".####..#\n"
                         ".......#\n"
                         ".#####.#\n"
                         ".#.....#\n"
                         "#......#\n");
}

} // namespace
} // namespace d3dtest

namespace d3dtest {
namespace {

// The quick spans for the display's own formats and the general spans for
// any other format must draw the same pictures: the same scenes go into
// targets of equal precision and are compared pixel by pixel.
class RasteriserPaths : public D3DScenario {};

TEST_F(RasteriserPaths, QuickAndGeneralSpansDrawTheSamePictures)
{
    std::mt19937 random(11);
    auto pick = [&](int n) { return int(random() % uint32_t(n)); };
    auto fraction = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
    std::vector<uint32_t> texels(16 * 8);
    for (uint32_t& t : texels) t = random();
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        const DWORD blends[][2] = {{D3DBLEND_ONE, D3DBLEND_ZERO},
                                   {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                                   {D3DBLEND_ONE, D3DBLEND_ONE},
                                   {D3DBLEND_SRCALPHA, D3DBLEND_ONE}};
        const auto& blend = blends[pick(4)];
        const bool linear = pick(2), clamp = pick(2), textured = pick(4) != 0, modulate = pick(2);
        const DWORD tint = pick(2) ? 0xFFFFFFFFu : uint32_t(random());
        std::vector<D3DTLVERTEX> triangles;
        for (int i = 0; i < 9; ++i)
            triangles.push_back(
                V(fraction(-4, 28), fraction(-4, 20), tint, fraction(-0.5f, 1.5f), fraction(-0.5f, 1.5f)));
        // A sprite drawn one texel per pixel, as most of the program's blits.
        for (const D3DTLVERTEX& v : Quad(2.5f, 3.5f, 18.5f, 11.5f, tint)) triangles.push_back(v);

        // The second and the last format have no quick spans.
        const DDPIXELFORMAT formats[] = {Xrgb8888(),
                                         Rgb(32, 0xFF, 0xFF000000, 0xFF0000, 0xFF00),
                                         Rgb(24, 0, 0xFF0000, 0xFF00, 0xFF),
                                         Rgb(32, 0, 0xFF, 0xFF00, 0xFF0000),
                                         Rgb(16, 0, 0x7C00, 0x3E0, 0x1F),
                                         Rgb(16, 0x8000, 0x7C00, 0x3E0, 0x1F)};
        std::vector<uint32_t> pictures[6];
        for (int f = 0; f < 6; ++f) {
            DDPIXELFORMAT format = formats[f];
            MakeTarget(24, 16, &format, 0xFF336699);
            Blend(blend[0], blend[1]);
            auto texture = MakeTexture(16, 8, texels);
            if (textured) device->SetTexture(0, texture.get());
            device->SetTextureStageState(0, D3DTSS_MAGFILTER, linear ? D3DTFG_LINEAR : D3DTFG_POINT);
            device->SetTextureStageState(0, D3DTSS_MINFILTER, linear ? D3DTFN_LINEAR : D3DTFN_POINT);
            device->SetTextureStageState(0, D3DTSS_ADDRESS, clamp ? D3DTADDRESS_CLAMP : D3DTADDRESS_WRAP);
            if (modulate) device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            ASSERT_EQ(device->BeginScene(), D3D_OK);
            device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, triangles.data(), 9, 0);
            device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, triangles.data() + 9, 4, 0);
            device->EndScene();
            device->SetTexture(0, nullptr);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 24; ++x) pictures[f].push_back(Colour(x, y));
        }
        ASSERT_EQ(pictures[0], pictures[1]);
        ASSERT_EQ(pictures[0], pictures[2]);
        ASSERT_EQ(pictures[0], pictures[3]);
        ASSERT_EQ(pictures[4], pictures[5]);
    }
}

} // namespace
} // namespace d3dtest
