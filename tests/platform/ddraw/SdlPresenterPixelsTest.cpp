// What the real presenter leaves in an SDL window surface, pixel by pixel,
// under SDL's dummy video driver: a window as large as the picture, larger,
// shorter and narrower, a scaled full screen, a part of a picture, and the
// picture a primary takes back after the window's surface was made anew.
#include "DisplayScenario.h"

#include "platform/ddraw/DisplayMachine.h"
#include "platform/ddraw/SdlPresenter.h"
#include "platform/window/ScreenScaling.h"

#include <SDL.h>

#include <cstdlib>
#include <vector>

namespace ddtest {
namespace {

constexpr int kW = 96;
constexpr int kH = 40;
constexpr uint32_t kQuarters[4] = {0xFF2040C0u, 0xFFC02040u, 0xFF40C020u, 0xFFE0E0E0u};

// A 96 x 40 picture in four quarters of one colour each, in the 32-bit
// desktop format, with a padded pitch.
struct Picture {
    int pitch = kW * 4 + 16;
    std::vector<uint8_t> bytes = std::vector<uint8_t>(size_t(pitch) * kH);
    Picture(uint32_t tint = 0)
    {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const uint32_t v = (kQuarters[(y >= kH / 2) * 2 + (x >= kW / 2)] ^ tint) & 0xFFFFFFu;
                std::memcpy(&bytes[size_t(y) * pitch + size_t(x) * 4], &v, 4);
            }
    }
    ddraw::SurfaceView View() const
    {
        return ddraw::SurfaceView{bytes.data(), kW, kH, pitch, ddraw::PixelLayout::Xrgb8888(), nullptr};
    }
};

class SdlPresenterPixels : public DisplayScenario {
protected:
    void SetUp() override
    {
        DisplayScenario::SetUp();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    }
    void TearDown() override
    {
        ddraw::DisplayMachine::Instance().InstallPresenter(nullptr);
        if (window)
            SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        DisplayScenario::TearDown();
    }

    ddraw::SdlPresenter& Open(int width, int height)
    {
        if (window)
            SDL_DestroyWindow(window);
        window = SDL_CreateWindow("pixels", 0, 0, width, height, 0);
        EXPECT_NE(window, nullptr);
        presenter = std::make_unique<ddraw::SdlPresenter>(window, width, height);
        return *presenter;
    }

    uint32_t Shown(int x, int y) const
    {
        SDL_Surface* s = SDL_GetWindowSurface(window);
        return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch)[x] &
               0xFFFFFFu;
    }

    // Every pixel of the window: black outside `fit`, inside it the quarter
    // of the picture it shows (the pixels along the quarters' borders may
    // take either side when scaled).
    void ExpectPictureAt(const RECT& fit, uint32_t tint = 0) const
    {
        SDL_Surface* s = SDL_GetWindowSurface(window);
        const int midX = (fit.left + fit.right) / 2;
        const int midY = (fit.top + fit.bottom) / 2;
        for (int y = 0; y < s->h; ++y)
            for (int x = 0; x < s->w; ++x) {
                const bool inside = x >= fit.left && x < fit.right && y >= fit.top && y < fit.bottom;
                if (!inside) {
                    ASSERT_EQ(Shown(x, y), 0u) << "margin " << x << "," << y;
                    continue;
                }
                if (std::abs(x - midX) <= 1 || std::abs(y - midY) <= 1)
                    continue;
                const uint32_t quarter = (kQuarters[(y >= midY) * 2 + (x >= midX)] ^ tint) & 0xFFFFFFu;
                ASSERT_EQ(Shown(x, y), quarter) << x << "," << y;
            }
    }

    SDL_Window* window = nullptr;
    std::unique_ptr<ddraw::SdlPresenter> presenter;
};

TEST_F(SdlPresenterPixels, EveryWindowSizeShowsTheWholePictureAndBlackAroundIt)
{
    const Picture picture;
    const RECT whole{0, 0, kW, kH};
    struct Case {
        const char* name;
        int width, height;
        bool fullScreen;
        RECT fit;
    };
    const Case cases[] = {
        {"as large", kW, kH, false, whole},
        {"larger", 130, 70, false, whole},
        {"shorter", kW, 30, false, FitPictureInside(kW, kH, kW, 30)},
        {"narrower", 60, kH, false, FitPictureInside(kW, kH, 60, kH)},
        {"scaled full screen", 200, 100, true, FitPictureInside(kW, kH, 200, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ddraw::SdlPresenter& p = Open(c.width, c.height);
        // What an earlier picture left in the surface must not stay beside
        // this one.
        SDL_Surface* s = SDL_GetWindowSurface(window);
        SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 255, 0, 255));
        if (!c.fullScreen && p.PresentDirect(nullptr, picture.View(), whole, whole))
            EXPECT_GE(c.width, kW);
        else
            p.Present(nullptr, picture.View(), whole, c.fullScreen);
        ExpectPictureAt(c.fit);
    }
    EXPECT_EQ(cases[4].fit.top, 8);
    EXPECT_EQ(cases[4].fit.bottom, 91);

    // A part of a later picture changes that part and nothing else, margin
    // included.
    ddraw::SdlPresenter& p = Open(130, 70);
    ASSERT_TRUE(p.PresentDirect(nullptr, picture.View(), whole, whole));
    const Picture later(0x00FFFFFFu);
    const RECT part{0, 0, kW / 2, kH / 2};
    ASSERT_TRUE(p.PresentDirectPart(nullptr, later.View(), part, part, whole));
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 130; ++x) {
            uint32_t expected = 0;
            if (x < kW && y < kH)
                expected = (kQuarters[(y >= kH / 2) * 2 + (x >= kW / 2)] ^ (x < kW / 2 && y < kH / 2 ? 0xFFFFFFu : 0)) &
                           0xFFFFFFu;
            ASSERT_EQ(Shown(x, y), expected) << x << "," << y;
        }
}

TEST_F(SdlPresenterPixels, APrimaryTakesItsPictureBackAfterTheWindowGotANewSurface)
{
    hooks::SetDesktop(1280, 1024, 32, 60);
    Open(kW, kH);
    ASSERT_TRUE(ddraw::SdlPresenter::Install(window, kW, kH));
    HWND handle = reinterpret_cast<HWND>(0x40); // the presenter's own window
    RECT client{};
    ASSERT_TRUE(ddraw::DisplayMachine::Instance().GetClientArea(handle, client));
    auto dd = MakeDirectDraw(handle, DDSCL_NORMAL);
    auto primary = MakePrimary(*dd);
    auto draw = MakeSurface(*dd, kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            Write(*draw, x, y, kQuarters[(y >= kH / 2) * 2 + (x >= kW / 2)] & 0xFFFFFFu);
    // The frame goes to the window alone; then the window grows, and SDL
    // makes it a new surface when it is next asked.
    ASSERT_EQ(primary->Blt(&client, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    SDL_SetWindowSize(window, kW + 20, kH + 10);
    // A small copy onto the primary (the software cursor's) shows the
    // primary's memory: it must hold the frame, not what it held before.
    auto patch = MakeSurface(*dd, 4, 4);
    RECT at{client.left + 2, client.top + 2, client.left + 6, client.top + 6};
    ASSERT_EQ(primary->Blt(&at, patch.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    for (int y = 0; y < kH; ++y)
        for (int x = 6; x < kW; ++x)
            ASSERT_EQ(Read(*primary, client.left + x, client.top + y), Read(*draw, x, y)) << x << "," << y;
    patch.reset();
    draw.reset();
    primary.reset();
    dd.reset();
}

} // namespace
} // namespace ddtest
