// The Direct3D path's life on the display: set-up failures, scenes opened
// and closed, a failed call giving up 3D mode at the next presentation,
// a lost render target, the transform stack, 3D mode switched through the
// display, and the polygon clipping every clipped draw relies on.
#include "D3DTestSupport.h"

#include "framework/graphics/DDImage.h"
#include "framework/graphics/DirectXErrorName.h"
#include "platform/core/Testing.h"
#include "platform/window/Window.h"
#include "tests/support/ImageFixtures.h"

using namespace d3dtest;
using platform::D3DTLVERTEX;
using Zolt::ClipField;
using Zolt::ClipPolygon;
using Zolt::Color;
using Zolt::DrawMode;
using Zolt::Rect;

namespace {

D3DTLVERTEX At(float x, float y, uint32_t colour = 0xFFFFFFFF)
{
    return D3DTLVERTEX{x, y, 0, 1, colour, 0, 0, 0};
}

// An 8 x 8 picture of varied colours (and alphas, unless opaque).
std::unique_ptr<Zolt::MemoryImage> PatternImage(bool opaque)
{
    auto image = std::make_unique<Zolt::MemoryImage>(nullptr);
    const std::vector<uint32_t> pixels = fixtures::PatternPixels(8, 8, opaque);
    image->AssignBits(pixels.data(), 8, 8, true);
    return image;
}

void FailNextDevice(const char* operation)
{
    platform::testing::FailNext(operation, int64_t(platform::DDERR_GENERIC));
}

} // namespace

TEST(PolygonClipping, KeepsThePartInsideOneBoundary)
{
    const std::vector<D3DTLVERTEX> square = {At(0, 0), At(10, 0), At(10, 10), At(0, 10)};
    std::vector<D3DTLVERTEX> out;
    ClipPolygon(square, out, ClipField::X, 4, true);
    ASSERT_EQ(out.size(), 4u);
    for (const D3DTLVERTEX& v : out)
        EXPECT_GE(v.sx, 4.0f);
    ClipPolygon(square, out, ClipField::Y, 10, false);
    EXPECT_EQ(out.size(), 4u) << "a vertex exactly on the bound is inside";
    ClipPolygon(square, out, ClipField::X, 20, true);
    EXPECT_TRUE(out.empty());
}

TEST(PolygonClipping, CrossingVerticesInterpolateTextureAndColour)
{
    std::vector<D3DTLVERTEX> edge = {At(0, 0, 0xFF000000), At(10, 0, 0xFFFFFFFF), At(10, 10, 0xFFFFFFFF)};
    edge[0].tu = 0;
    edge[1].tu = 1;
    edge[2].tu = 1;
    std::vector<D3DTLVERTEX> out;
    ClipPolygon(edge, out, ClipField::X, 5, true);
    ASSERT_FALSE(out.empty());
    bool found = false;
    for (const D3DTLVERTEX& v : out)
        if (v.sx == 5.0f && v.sy == 0.0f) {
            found = true;
            EXPECT_FLOAT_EQ(v.tu, 0.5f);
            // 255 x 0.5 = 127.5, truncated.
            EXPECT_EQ(v.color, 0xFF7F7F7Fu);
        }
    EXPECT_TRUE(found);
    std::vector<D3DTLVERTEX> single = {At(1, 1)};
    ClipPolygon(single, out, ClipField::X, 0, true);
    EXPECT_TRUE(out.empty());
}

class D3DLife : public D3DDisplayFixture {};

TEST_F(D3DLife, DeviceThatCannotBeMadeFailsTheDisplaysInitialisation)
{
    host.width = 160;
    host.height = 120;
    auto made = std::make_unique<Zolt::D3DInterface>(&d3dHost);
    path = made.get();
    MakeDisplay(std::move(made));
    display->Set3DMode(true);
    FailNextDevice("CreateDevice");
    EXPECT_EQ(InitWindowed(), Zolt::DDInterface::RESULT_3D_FAIL);
    EXPECT_EQ(display->GetLastError(),
              "3D init error: CreateDevice IID_IDirect3DHALDevice: " + DirectXErrorName(platform::DDERR_GENERIC));

    // A later initialisation that succeeds starts with a clean slate.
    EXPECT_EQ(InitWindowed(), Zolt::DDInterface::RESULT_OK);
    EXPECT_FALSE(path->HasRuntimeError());
}

TEST_F(D3DLife, FailedDrawGivesUp3DAtTheNextPresentationAndIsRecorded)
{
    Make3DDisplay();
    FailNextDevice("DrawPrimitive");
    display->GetScreenImage()->FillRectangle(Rect(0, 0, 10, 10), Color(255, 0, 0), DrawMode::Normal);
    const std::string expected = "DrawPrimitive (Rect): " + DirectXErrorName(platform::DDERR_GENERIC);
    EXPECT_EQ(path->GetLastError(), expected);
    EXPECT_EQ(d3dHost.written["Test3D\\RuntimeError"], expected);
    EXPECT_FALSE(display->Redraw(nullptr));
    EXPECT_FALSE(display->IsIn3DMode());
}

TEST_F(D3DLife, ScenesOpenOnTheFirstDrawAndCloseBeforePresenting)
{
    Make3DDisplay();
    EXPECT_FALSE(path->IsSceneOpen());
    Zolt::DDImage* screen = display->GetScreenImage();
    screen->FillRectangle(Rect(0, 0, 10, 10), Color(255, 0, 0), DrawMode::Normal);
    EXPECT_TRUE(path->IsSceneOpen());
    EXPECT_TRUE(display->Redraw(nullptr));
    EXPECT_FALSE(path->IsSceneOpen());
    // The window's client area begins at (40, 30) of the desktop.
    EXPECT_EQ(PixelAt(display->GetPrimarySurface(), 45, 35), 0xFF0000u);

    // A scene that cannot begin draws nothing and is reported.
    FailNextDevice("BeginScene");
    screen->FillRectangle(Rect(20, 0, 10, 10), Color(0, 255, 0), DrawMode::Normal);
    EXPECT_FALSE(path->IsSceneOpen());
    EXPECT_TRUE(path->HasRuntimeError());
    EXPECT_EQ(ScreenAt(ReadScreen(), 25, 5), 0u);
}

TEST_F(D3DLife, LostRenderTargetStopsDrawingUntilItComesBack)
{
    Make3DDisplay();
    Zolt::DDImage* screen = display->GetScreenImage();
    FailNextDevice("SetRenderTarget");
    screen->FillRectangle(Rect(0, 0, 10, 10), Color(255, 0, 0), DrawMode::Normal);
    EXPECT_TRUE(path->IsRenderTargetLost());
    EXPECT_FALSE(path->HasRuntimeError());
    screen->FillRectangle(Rect(0, 0, 10, 10), Color(255, 0, 0), DrawMode::Normal);
    EXPECT_FALSE(path->IsRenderTargetLost());
    EXPECT_EQ(ScreenAt(ReadScreen(), 5, 5), 0xFF0000u);
}

TEST_F(D3DLife, FilterStateReachesTheDeviceOnlyWhenItChanges)
{
    Make3DDisplay();
    auto image = PatternImage(false);
    Zolt::DDImage* screen = display->GetScreenImage();
    screen->BlitImageSubpixel(image.get(), 3.5f, 2.0f, Rect(0, 0, 8, 8), Rect(0, 0, 160, 120), Color::White,
                              DrawMode::Normal);
    EXPECT_TRUE(path->IsLinearFilter());
    // Linear is already set: a failing state call would show if it were sent.
    FailNextDevice("SetTextureStageState");
    screen->BlitImageSubpixel(image.get(), 20.5f, 2.0f, Rect(0, 0, 8, 8), Rect(0, 0, 160, 120), Color::White,
                              DrawMode::Normal);
    EXPECT_FALSE(path->HasRuntimeError());
    platform::testing::ClearFailures();
    screen->BlitImage(image.get(), 40, 2, Rect(0, 0, 8, 8), Color::White, DrawMode::Normal);
    EXPECT_FALSE(path->IsLinearFilter());
}

TEST_F(D3DLife, ABlitBetweenPixelsLooksTheSameInEveryFrame)
{
    Make3DDisplay();
    auto image = PatternImage(true);
    Zolt::DDImage* screen = display->GetScreenImage();
    auto frame = [&] {
        screen->FillRectangle(Rect(0, 0, 20, 20), Color(0, 0, 0), DrawMode::Normal);
        screen->BlitImageSubpixel(image.get(), 3.5f, 2.5f, Rect(0, 0, 8, 8), Rect(0, 0, 160, 120), Color::White,
                                  DrawMode::Normal);
        EXPECT_TRUE(display->Redraw(nullptr));
        const std::vector<uint32_t> shown = ReadScreen();
        std::vector<uint32_t> area;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x)
                area.push_back(ScreenAt(shown, x, y));
        return area;
    };
    const std::vector<uint32_t> first = frame();
    EXPECT_EQ(frame(), first) << "the second frame's scene filters as the first did";
}

TEST_F(D3DLife, TransformStackMovesFillsAndBlits)
{
    Make3DDisplay();
    Zolt::AffineMatrix shift;
    shift.PreTranslate(30, 20);
    path->PushTransform(shift);
    Zolt::DDImage* screen = display->GetScreenImage();
    screen->FillRectangle(Rect(0, 0, 5, 5), Color(255, 0, 0), DrawMode::Normal);
    auto image = std::make_unique<Zolt::MemoryImage>(nullptr);
    const std::vector<uint32_t> green(16, 0xFF00FF00u);
    image->AssignBits(green.data(), 4, 4, true);
    screen->BlitImage(image.get(), 10, 0, Rect(0, 0, 4, 4), Color::White, DrawMode::Normal);
    path->PopTransform();
    EXPECT_TRUE(path->IsTransformStackEmpty());
    const std::vector<uint32_t> pixels = ReadScreen();
    EXPECT_EQ(ScreenAt(pixels, 2, 2), 0u);
    EXPECT_EQ(ScreenAt(pixels, 32, 22), 0xFF0000u);
    EXPECT_EQ(ScreenAt(pixels, 41, 21), 0x00FF00u);
}

TEST_F(D3DLife, ThreeDModeIsSwitchedThroughTheDisplay)
{
    Make3DDisplay();
    ASSERT_TRUE(display->Set3DMode(false));
    ASSERT_EQ(InitWindowed(), Zolt::DDInterface::RESULT_OK);
    Zolt::DDImage* screen = display->GetScreenImage();
    EXPECT_FALSE(screen->IsScreen3D());
    EXPECT_EQ(path->GetDevice(), nullptr);
    screen->FillRectangle(Rect(0, 0, 10, 10), Color(0, 0, 255), DrawMode::Normal);
    EXPECT_FALSE(path->IsSceneOpen());
    // Drawn by the surface blitters (whose blend leaves 255 at 254).
    EXPECT_GE(PixelAt(display->GetDrawSurface(), 5, 5), 0x0000FEu);
    EXPECT_LE(PixelAt(display->GetDrawSurface(), 5, 5), 0x0000FFu);

    ASSERT_TRUE(display->Set3DMode(true));
    ASSERT_EQ(InitWindowed(), Zolt::DDInterface::RESULT_OK);
    EXPECT_TRUE(display->GetScreenImage()->IsScreen3D());
    display->GetScreenImage()->FillRectangle(Rect(0, 0, 10, 10), Color(255, 0, 0), DrawMode::Normal);
    EXPECT_TRUE(path->IsSceneOpen());
    EXPECT_EQ(ScreenAt(ReadScreen(), 5, 5), 0xFF0000u);
}

TEST_F(D3DLife, NothingIsDrawnWhileTheWindowIsMinimised)
{
    platform::WNDCLASSA wc{};
    wc.lpfnWndProc = platform::DefWindowProcA;
    wc.lpszClassName = "D3DPathTestWindow";
    platform::RegisterClassA(&wc); // refused when an earlier test registered it
    platform::HWND window = platform::CreateWindowExA(0, "D3DPathTestWindow", "", platform::WS_VISIBLE, 0, 0, 160,
                                                      120, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    host.width = 160;
    host.height = 120;
    auto made = std::make_unique<Zolt::D3DInterface>(&d3dHost);
    path = made.get();
    MakeDisplay(std::move(made));
    display->Set3DMode(true);
    ASSERT_EQ(display->Initialize(window, true), Zolt::DDInterface::RESULT_OK);

    platform::ShowWindow(window, platform::SW_MINIMIZE);
    Zolt::DDImage* screen = display->GetScreenImage();
    screen->FillRectangle(Rect(0, 0, 10, 10), Color(255, 0, 0), DrawMode::Normal);
    EXPECT_FALSE(path->IsSceneOpen());
    platform::ShowWindow(window, platform::SW_RESTORE);
    screen->FillRectangle(Rect(20, 0, 10, 10), Color(0, 255, 0), DrawMode::Normal);
    const std::vector<uint32_t> pixels = ReadScreen();
    EXPECT_EQ(ScreenAt(pixels, 5, 5), 0u);
    EXPECT_EQ(ScreenAt(pixels, 25, 5), 0x00FF00u);
    display.reset();
    platform::DestroyWindow(window);
}
