#include "DisplayTestSupport.h"

#include "framework/graphics/Graphics.h"

#include <atomic>
#include <thread>

using namespace displaytest;
using Zolt::DDInterface;
using Zolt::Rect;

class DisplayInit : public DisplayFixture {};

TEST_F(DisplayInit, WindowedSetUpBuildsTheScreenAndTheCursorAreas)
{
    MakeDisplay();
    ASSERT_EQ(InitWindowed(), DDInterface::RESULT_OK);
    EXPECT_TRUE(display->IsInitialized());
    ASSERT_NE(display->GetScreenImage(), nullptr);
    EXPECT_EQ(display->GetScreenImage()->GetWidth(), 320);
    EXPECT_EQ(display->GetScreenImage()->GetSurface(), display->GetDrawSurface());
    EXPECT_NE(display->GetOldCursorImage(), nullptr);
    EXPECT_EQ(host.presentation, Rect(0, 0, 320, 240));
}

TEST_F(DisplayInit, EveryFailingStepGivesItsResultCodeAndNamesTheStep)
{
    struct Case {
        const char* operation;
        bool windowed;
        int code;
        const char* step;
    };
    const Case cases[] = {
        {"DirectDrawCreateEx", true, DDInterface::RESULT_DD_CREATE_FAIL, "DirectDrawCreateEx"},
        {"QueryInterface", true, DDInterface::RESULT_DD_CREATE_FAIL, "QueryrInterface IID_IDirectDraw"},
        {"CreateClipper", true, DDInterface::RESULT_FAIL, "CreateClipper Windowed"},
        {"CreateSurface", true, DDInterface::RESULT_SURFACE_FAIL, "CreateSurface Windowed Primary"},
        {"SetCooperativeLevel", false, DDInterface::RESULT_EXCLUSIVE_FAIL, "SetCooperativeLevel FullScreen"},
        {"SetDisplayMode", false, DDInterface::RESULT_DISPCHANGE_FAIL, "SetDisplayMode FullScreen"},
        {"GetAttachedSurface", false, DDInterface::RESULT_SURFACE_FAIL, "GetAttachedSurface"},
        {"CreateClipper", false, DDInterface::RESULT_FAIL, "CreateClipper FullScreen"},
    };
    host.width = 640;
    host.height = 480;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        MakeDisplay();
        FailNext(c.operation, platform::DDERR_SURFACELOST);
        EXPECT_EQ(display->Initialize(TestWindow(), c.windowed), c.code);
        EXPECT_FALSE(display->IsInitialized());
        EXPECT_EQ(display->GetScreenImage(), nullptr);
        EXPECT_EQ(display->GetLastError(), std::string(c.step) + ": DDERR_SURFACELOST");
        SetUp();
    }
}

TEST_F(DisplayInit, MissingLibraryOrEntryPointsFailCreation)
{
    platform::testing::HideModuleEntry("ddraw.dll", "DirectDrawCreateEx");
    platform::testing::HideModuleEntry("ddraw.dll", "DirectDrawCreate");
    MakeDisplay();
    EXPECT_EQ(InitWindowed(), DDInterface::RESULT_DD_CREATE_FAIL);
    EXPECT_EQ(DDInterface::ResultName(DDInterface::RESULT_DD_CREATE_FAIL), "RESULT_DD_CREATE_FAIL");

    // The first-version creation alone still works.
    platform::testing::ClearModuleHiding();
    platform::testing::HideModuleEntry("ddraw.dll", "DirectDrawCreateEx");
    MakeDisplay();
    EXPECT_EQ(InitWindowed(), DDInterface::RESULT_OK);
}

TEST_F(DisplayInit, DesktopOfUnusableDepthIsRefusedAndItsPrimaryReleased)
{
    for (int depth : {8, 24}) {
        SCOPED_TRACE(depth);
        SetDesktop(1280, 1024, depth, 60);
        MakeDisplay();
        EXPECT_EQ(InitWindowed(), DDInterface::RESULT_INVALID_COLORDEPTH);
        EXPECT_EQ(display->GetPrimarySurface(), nullptr);
        EXPECT_EQ(DDInterface::ResultName(6), "RESULT_INVALID_COLORDEPTH");
    }
    EXPECT_EQ(DDInterface::ResultName(7), "RESULT_UNKNOWN");
}

TEST_F(DisplayInit, FailingThreeDSetUpGivesSevenWithTheThreeDError)
{
    auto path = std::make_unique<Null3DPath>();
    path->initializes = false;
    MakeDisplay(std::move(path));
    ASSERT_TRUE(display->Set3DMode(true));
    EXPECT_EQ(InitWindowed(), DDInterface::RESULT_3D_FAIL);
    EXPECT_EQ(display->GetLastError(), "3D init error: no device");
}

TEST_F(DisplayInit, WithoutAThreeDPathThreeDModeStaysOff)
{
    MakeDisplay();
    EXPECT_FALSE(display->Set3DMode(true));
    EXPECT_FALSE(display->IsIn3DMode());
}

TEST_F(DisplayInit, RefreshRateIsClampedAndUnreliableRatesRaiseTheFlag)
{
    struct Case {
        int monitor;
        int rate;
        int ms;
        bool flag;
    };
    for (const Case c : {Case{0, 60, 16, true}, Case{120, 100, 10, true}, Case{75, 75, 13, false}}) {
        SCOPED_TRACE(c.monitor);
        SetDesktop(1920, 1080, 32, c.monitor);
        host.vsyncUnreliable = false;
        MakeDisplay();
        ASSERT_EQ(InitWindowed(), DDInterface::RESULT_OK);
        EXPECT_EQ(display->GetRefreshRate(), c.rate);
        EXPECT_EQ(display->GetMillisecondsPerFrame(), c.ms);
        EXPECT_EQ(host.vsyncUnreliable, c.flag);
    }
}

TEST_F(DisplayInit, Rgb565PrimaryGivesItsShiftsCountsAndTables)
{
    SetDesktop(1920, 1080, 16, 60);
    MakeDisplay();
    ASSERT_EQ(InitWindowed(), DDInterface::RESULT_OK);
    EXPECT_EQ(display->colorDepth, 16);
    EXPECT_EQ(display->redShift, 11);
    EXPECT_EQ(display->greenShift, 5);
    EXPECT_EQ(display->blueShift, 0);
    EXPECT_EQ(display->redBits, 5);
    EXPECT_EQ(display->greenBits, 6);
    EXPECT_EQ(display->blueBits, 5);
    ASSERT_EQ(display->GetSaturationTable(0).size(), 63u);
    ASSERT_EQ(display->GetSaturationTable(1).size(), 127u);
    EXPECT_EQ(display->GetSaturationTable(0)[30], 30u);
    EXPECT_EQ(display->GetSaturationTable(0)[62], 31u);
    EXPECT_EQ(display->GetSaturationTable(1)[126], 63u);
    EXPECT_EQ(display->GetChannelTable(0)[255], 0xF800u);
    EXPECT_EQ(display->GetChannelTable(1)[128] & ~0x07E0u, 0u);
    EXPECT_TRUE(Zolt::gDisplayRgbOrder.load());
}

TEST_F(DisplayInit, BgrDesktopClearsTheRgbOrderFlag)
{
    SetDesktop(1920, 1080, 32, 60, true);
    MakeDisplay();
    ASSERT_EQ(InitWindowed(), DDInterface::RESULT_OK);
    EXPECT_FALSE(Zolt::gDisplayRgbOrder.load());
    EXPECT_EQ(display->redShift, 0);
    EXPECT_EQ(display->blueShift, 16);
}

TEST_F(DisplayInit, NarrowBufferOnWideDesktopIsPillarBoxedInFullScreen3D)
{
    SetDesktop(1920, 1200, 32, 60);
    host.width = 1024;
    host.height = 768;
    MakeDisplay(std::make_unique<Null3DPath>());
    ASSERT_TRUE(display->Set3DMode(true));
    ASSERT_EQ(display->Initialize(TestWindow(), false), DDInterface::RESULT_OK);
    EXPECT_TRUE(display->IsAspectCorrected());
    EXPECT_EQ(display->GetDisplayWidth(), 1920);
    EXPECT_EQ(display->GetPresentationRect(), Rect(160, 0, 1600, 1200));
    EXPECT_EQ(host.presentation, Rect(160, 0, 1600, 1200));
    EXPECT_EQ(PixelAt(display->GetPrimarySurface(), 10, 10), 0u);
    EXPECT_EQ(PixelAt(display->GetSecondarySurface(), 1900, 600), 0u);
}

TEST_F(DisplayInit, StretchToFillWidensTheDrawBufferInstead)
{
    SetDesktop(1920, 1200, 32, 60);
    host.width = 1024;
    host.height = 768;
    host.stretch = true;
    MakeDisplay(std::make_unique<Null3DPath>());
    ASSERT_TRUE(display->Set3DMode(true));
    ASSERT_EQ(display->Initialize(TestWindow(), false), DDInterface::RESULT_OK);
    EXPECT_EQ(display->GetDrawWidth(), 1228);
    EXPECT_EQ(display->GetPresentationRect(), Rect(0, 0, 1920, 1200));
}

TEST_F(DisplayInit, ForcedAspectInAWindowCentresTheBuffer)
{
    host.aspectForced = true; // 16:10 around a 4:3 buffer
    MakeDisplay();
    ASSERT_EQ(InitWindowed(), DDInterface::RESULT_OK);
    EXPECT_EQ(display->GetDisplayWidth(), 384);
    EXPECT_EQ(display->GetPresentationRect(), Rect(32, 0, 320, 240));
}

TEST_F(DisplayInit, SecondInitializeReleasesEverythingOfTheFirst)
{
    MakeDisplay();
    ASSERT_EQ(InitWindowed(), DDInterface::RESULT_OK);
    platform::DirectDraw* first = display->GetDirectDraw();
    platform::DirectDrawSurface* primary = display->GetPrimarySurface();
    platform::DirectDrawSurface* draw = display->GetDrawSurface();
    first->AddRef();
    primary->AddRef();
    draw->AddRef();
    ASSERT_EQ(display->Initialize(TestWindow(), true), DDInterface::RESULT_OK);
    EXPECT_NE(display->GetPrimarySurface(), primary);
    // Only the references taken here are left.
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(draw->Release(), 0u);
    EXPECT_EQ(first->Release(), 0u);
}

class DisplayPresent : public DisplayFixture {};

TEST_F(DisplayPresent, RedrawBeforeInitializeDoesNothing)
{
    MakeDisplay();
    EXPECT_FALSE(display->Redraw(nullptr));
}

TEST_F(DisplayPresent, FrameLandsAtTheWindowsClientOrigin)
{
    MakeDisplay();
    ASSERT_EQ(InitWindowed(), DDInterface::RESULT_OK);
    display->GetScreenImage()->FillRectangle(Rect(10, 20, 5, 5), Zolt::Color(255, 0, 0), Zolt::DrawMode::Normal);
    ASSERT_TRUE(display->Redraw(nullptr));
    // An opaque 32-bit fill scales each channel by mask/256: 255 lands on 0xFE.
    EXPECT_EQ(PixelAt(display->GetPrimarySurface(), 40 + 12, 30 + 22), 0xFE0000u);
    EXPECT_EQ(PixelAt(display->GetPrimarySurface(), 40 + 16, 30 + 22), 0u);
}

TEST_F(DisplayPresent, FullScreenFlipShowsTheFrame)
{
    host.depth = 32;
    host.width = 640;
    host.height = 480;
    MakeDisplay();
    ASSERT_EQ(display->Initialize(TestWindow(), false), DDInterface::RESULT_OK);
    display->GetScreenImage()->FillRectangle(Rect(0, 0, 4, 4), Zolt::Color(0, 0, 255), Zolt::DrawMode::Normal);
    ASSERT_TRUE(display->Redraw(nullptr)) << display->GetLastError();
    EXPECT_EQ(PixelAt(display->GetPrimarySurface(), 1, 1), 0x0000FEu);
}

TEST_F(DisplayPresent, FailedPresentReportsItsStep)
{
    MakeDisplay();
    ASSERT_EQ(InitWindowed(), DDInterface::RESULT_OK);
    FailNext("Blt", platform::DDERR_SURFACELOST);
    EXPECT_FALSE(display->Redraw(nullptr));
    EXPECT_EQ(display->GetLastError(), "Redraw Windowed: DDERR_SURFACELOST");
}

class SoftwareCursor : public DisplayFixture {
protected:
    void SetUp() override
    {
        DisplayFixture::SetUp();
        presenter = new WatchingPresenter(platform::RECT{40, 30, 360, 270});
        DisplayMachine::Instance().InstallPresenter(std::unique_ptr<platform::ddraw::DisplayPresenter>(presenter));
        cursor = MakeSolid(nullptr, 8, 8, 0xFFFF00FF);
    }
    // Magenta pixels inside the window's part of the primary.
    static int CursorPixels(const platform::ddraw::SurfaceView& view)
    {
        int count = 0;
        for (int y = 30; y < 270; ++y)
            for (int x = 40; x < 360; ++x)
                count += (view.ArgbAt(x, y) & 0xFFFFFF) == 0xFF00FF;
        return count;
    }

    WatchingPresenter* presenter = nullptr;
    std::unique_ptr<Zolt::DDImage> cursor;
};

TEST_F(SoftwareCursor, MovingNeverShowsAFrameWithoutTheWholeCursor)
{
    host.depth = 32;
    MakeDisplay();
    ASSERT_EQ(InitWindowed(), DDInterface::RESULT_OK);
    display->GetScreenImage()->FillRectangle(Rect(0, 0, 320, 240), Zolt::Color(0, 80, 0), Zolt::DrawMode::Normal);
    display->SetCursorImage(cursor.get());
    display->MoveSoftwareCursor(100, 100);
    ASSERT_TRUE(display->Redraw(nullptr));
    ASSERT_TRUE(display->IsCursorDrawn());

    int fewest = 1 << 30;
    presenter->onPresent = [&](const platform::ddraw::SurfaceView& view) {
        fewest = std::min(fewest, CursorPixels(view));
    };
    const int steps[][2] = {{5, 0}, {0, 7}, {-20, 3}, {40, 40}, {63, -63}, {-100, 0}, {1, 1}};
    int x = 100;
    int y = 100;
    for (const auto& s : steps) {
        x += s[0];
        y += s[1];
        display->MoveSoftwareCursor(x, y);
    }
    EXPECT_GE(fewest, 64);

    // Only the cursor at its last place remains; the background is whole.
    int remaining = 0;
    presenter->onPresent = [&](const platform::ddraw::SurfaceView& v) { remaining = CursorPixels(v); };
    display->MoveSoftwareCursor(x + 2, y);
    EXPECT_EQ(remaining, 64);
    EXPECT_EQ(PixelAt(display->GetPrimarySurface(), 40 + x + 2, 30 + y), 0xFF00FFu);
    EXPECT_EQ(PixelAt(display->GetPrimarySurface(), 40 + 100, 30 + 100), 0x004F00u); // 80 x 0xFF00 >> 8
}

TEST_F(SoftwareCursor, CursorIsTakenOutOfTheFrameAfterPresenting)
{
    host.depth = 32;
    MakeDisplay();
    ASSERT_EQ(InitWindowed(), DDInterface::RESULT_OK);
    display->SetCursorImage(cursor.get());
    display->MoveSoftwareCursor(50, 60);
    ASSERT_TRUE(display->Redraw(nullptr));
    EXPECT_EQ(PixelAt(display->GetPrimarySurface(), 40 + 50, 30 + 60), 0xFF00FFu);
    EXPECT_EQ(PixelAt(display->GetDrawSurface(), 50, 60), 0u);
}

TEST_F(SoftwareCursor, ReadersNeverSeeHalfOfAMove)
{
    MakeDisplay();
    std::atomic<bool> stop{false};
    std::thread mover([&] {
        for (int i = 0; !stop; i = (i + 1) % 100000)
            display->MoveSoftwareCursor(i, i);
    });
    bool torn = false;
    for (int i = 0; i < 200000 && !torn; ++i) {
        const Zolt::Point p = display->GetLatestCursorPosition();
        torn = p.x != p.y;
    }
    stop = true;
    mover.join();
    EXPECT_FALSE(torn);
}

TEST_F(SoftwareCursor, CursorThreadAndPresentsTogetherLeaveOneWholeCursor)
{
    host.depth = 32;
    MakeDisplay();
    ASSERT_EQ(InitWindowed(), DDInterface::RESULT_OK);
    display->GetScreenImage()->FillRectangle(Rect(0, 0, 320, 240), Zolt::Color(0, 80, 0), Zolt::DrawMode::Normal);
    display->SetCursorImage(cursor.get());
    display->MoveSoftwareCursor(160, 120);
    std::atomic<bool> stop{false};
    std::thread mover([&] {
        for (int i = 0; !stop; ++i)
            display->MoveSoftwareCursor(160 + (i * 7) % 90 - 45, 120 + (i * 3) % 70 - 35);
    });
    for (int frame = 0; frame < 150; ++frame)
        ASSERT_TRUE(display->Redraw(nullptr));
    stop = true;
    mover.join();

    int cursorPixels = -1;
    presenter->onPresent = [&](const platform::ddraw::SurfaceView& v) { cursorPixels = CursorPixels(v); };
    display->MoveSoftwareCursor(100, 100);
    EXPECT_EQ(cursorPixels, 64);
}
