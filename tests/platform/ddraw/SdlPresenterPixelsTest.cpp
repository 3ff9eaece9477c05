// What the real presenter leaves in an SDL window surface, pixel by pixel,
// and what it asks SDL to show, under SDL's dummy video driver: windows as
// large as the picture, larger, shorter and narrower, scaled full screens
// down to a one-pixel picture, parts of a picture, frames from another
// thread, the presenter's own window, and the picture a primary takes back
// before the window's surface is made anew.
#include "DisplayScenario.h"

#include "platform/ddraw/DisplayMachine.h"
#include "platform/ddraw/SdlPresenter.h"
#include "platform/window/ScreenScaling.h"

#include <SDL.h>
#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

// The rectangles the presenter asks SDL to show. The dummy driver shows
// nothing, so they are all a test sees of what a real window would show;
// the calls go on to SDL.
namespace {
std::vector<SDL_Rect> gShown;
bool gShowingWhole = false;
} // namespace

extern "C" int SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int count)
{
    using Real = int (*)(SDL_Window*, const SDL_Rect*, int);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "SDL_UpdateWindowSurfaceRects"));
    if (!gShowingWhole)
        gShown.insert(gShown.end(), rects, rects + count);
    return real(window, rects, count);
}

extern "C" int SDL_UpdateWindowSurface(SDL_Window* window)
{
    using Real = int (*)(SDL_Window*);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "SDL_UpdateWindowSurface"));
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window, &w, &h);
    gShown.push_back(SDL_Rect{0, 0, w, h});
    gShowingWhole = true;
    const int result = real(window);
    gShowingWhole = false;
    return result;
}

// A window surface in a format other than the dummy driver's 32 bits, as
// some displays give, when set.
namespace {
SDL_Surface* gWindowSurface = nullptr;
} // namespace

extern "C" SDL_Surface* SDL_GetWindowSurface(SDL_Window* window)
{
    using Real = SDL_Surface* (*)(SDL_Window*);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "SDL_GetWindowSurface"));
    return gWindowSurface ? gWindowSurface : real(window);
}

namespace platform {
inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* out)
{
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
} // namespace platform

namespace ddtest {
namespace {

constexpr int kW = 96;
constexpr int kH = 40;
constexpr uint32_t kQuarters[4] = {0xFF2040C0u, 0xFFC02040u, 0xFF40C020u, 0xFFE0E0E0u};
constexpr uint32_t kTint = 0x00FFFFFFu;
const RECT kWhole{0, 0, kW, kH};

std::vector<std::vector<int>> TakeShown()
{
    std::vector<std::vector<int>> rects;
    for (const SDL_Rect& r : gShown)
        rects.push_back({r.x, r.y, r.w, r.h});
    gShown.clear();
    return rects;
}

// A 96 x 40 picture in four quarters of one colour each (or their inverse),
// in the 32-bit desktop format, with a padded pitch.
struct Picture {
    uint32_t tint;
    int pitch = kW * 4 + 16;
    std::vector<uint8_t> bytes = std::vector<uint8_t>(size_t(pitch) * kH);
    explicit Picture(uint32_t t = 0) : tint(t)
    {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const uint32_t v = At(x, y);
                std::memcpy(&bytes[size_t(y) * pitch + size_t(x) * 4], &v, 4);
            }
    }
    // Each pixel its own: the quarter's colour with its column and row in
    // the low bits.
    uint32_t At(int x, int y) const
    {
        return (kQuarters[(y >= kH / 2) * 2 + (x >= kW / 2)] ^ tint ^ uint32_t(x << 6 | y)) & 0xFFFFFFu;
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
        gShown.clear();
    }
    void TearDown() override
    {
        ddraw::DisplayMachine::Instance().InstallPresenter(nullptr);
        presenter.reset();
        if (window)
            SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        DisplayScenario::TearDown();
    }

    // A window at (x, y) whose every pixel is magenta, and a presenter that
    // shows in it.
    ddraw::SdlPresenter& Open(int width, int height, int x = 0, int y = 0)
    {
        presenter.reset();
        if (window)
            SDL_DestroyWindow(window);
        window = SDL_CreateWindow("pixels", x, y, width, height, 0);
        EXPECT_NE(window, nullptr);
        SDL_Surface* s = SDL_GetWindowSurface(window);
        SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 255, 0, 255));
        presenter = std::make_unique<ddraw::SdlPresenter>(window, width, height);
        gShown.clear();
        return *presenter;
    }

    uint32_t Shown(int x, int y) const
    {
        SDL_Surface* s = SDL_GetWindowSurface(window);
        return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch)[x] &
               0xFFFFFFu;
    }

    // Every pixel of the window: black outside `fit`, inside it the pixel of
    // `source` under its centre.
    void ExpectShows(const RECT& fit, const RECT& source, const Picture& picture) const
    {
        SDL_Surface* s = SDL_GetWindowSurface(window);
        const int fw = fit.right - fit.left, fh = fit.bottom - fit.top;
        const int sw = source.right - source.left, sh = source.bottom - source.top;
        for (int y = 0; y < s->h; ++y)
            for (int x = 0; x < s->w; ++x) {
                if (x < fit.left || x >= fit.right || y < fit.top || y >= fit.bottom) {
                    ASSERT_EQ(Shown(x, y), 0u) << "margin " << x << "," << y;
                    continue;
                }
                const int px = source.left + (2 * (x - fit.left) + 1) * sw / (2 * fw);
                const int py = source.top + (2 * (y - fit.top) + 1) * sh / (2 * fh);
                ASSERT_EQ(Shown(x, y), picture.At(px, py)) << x << "," << y;
            }
    }

    SDL_Window* window = nullptr;
    std::unique_ptr<ddraw::SdlPresenter> presenter;
};

TEST_F(SdlPresenterPixels, EveryWindowSizeShowsThePictureWholeWithBlackAroundIt)
{
    const Picture picture;
    struct Case {
        const char* name;
        int width, height;
        bool fullScreen;
        RECT source;
        bool direct; // converted straight into the window
        RECT fit;
    };
    const Case cases[] = {
        {"as large, presented from the primary", kW, kH, false, kWhole, true, kWhole},
        {"larger", 130, 70, false, kWhole, true, kWhole},
        {"as wide, taller", kW, 60, false, kWhole, true, kWhole},
        {"a part of the picture", 130, 70, false, {8, 4, 68, 34}, true, {0, 0, 60, 30}},
        {"one column", 130, 70, false, {0, 0, 1, kH}, true, {0, 0, 1, kH}},
        {"one row", 130, 70, false, {0, 0, kW, 1}, true, {0, 0, kW, 1}},
        {"shorter", kW, 30, false, kWhole, false, {12, 0, 84, 30}},
        {"narrower", 60, kH, false, kWhole, false, {0, 7, 60, 32}},
        {"narrower, taller", 60, 100, false, kWhole, false, {0, 37, 60, 62}},
        {"scaled full screen", 200, 100, true, kWhole, false, {0, 8, 200, 91}},
        {"full screen a row taller", kW, kH + 1, true, kWhole, false, kWhole},
        {"full screen a column wider", kW + 1, kH, true, kWhole, false, {0, 0, kW + 1, kH}},
        {"full screen a row shorter", kW, kH - 1, true, kWhole, false, {1, 0, 94, 39}},
        {"one pixel full screen", 200, 100, true, {0, 0, 1, 1}, false, {50, 0, 150, 100}},
        {"a sliver full screen", 200, 3, true, {0, 0, 1, 2}, false, {99, 0, 100, 3}},
        {"a flat sliver full screen", 3, 200, true, {0, 0, 2, 1}, false, {0, 99, 3, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ddraw::SdlPresenter& p = Open(c.width, c.height);
        if (c.direct && &c == &cases[0]) {
            p.Present(nullptr, picture.View(), c.source, false);
        } else if (c.direct) {
            ASSERT_TRUE(p.PresentDirect(nullptr, picture.View(), c.source, c.source));
        } else {
            if (!c.fullScreen) {
                EXPECT_FALSE(p.PresentDirect(nullptr, picture.View(), c.source, c.source));
            }
            p.Present(nullptr, picture.View(), c.source, c.fullScreen);
        }
        ExpectShows(c.fit, c.source, picture);
        // The whole window is shown: the picture and the black around it.
        EXPECT_EQ(TakeShown(), (std::vector<std::vector<int>>{{0, 0, c.width, c.height}}));
        // Converted straight into the window, it is still there to show again.
        EXPECT_EQ(p.ShowAgain(nullptr, c.source), c.direct);
    }

    // An empty picture changes nothing.
    ddraw::SdlPresenter& p = Open(130, 70);
    p.Present(nullptr, picture.View(), RECT{0, 0, 0, kH}, false);
    p.Present(nullptr, picture.View(), RECT{0, 0, kW, 0}, false);
    p.Present(nullptr, picture.View(), RECT{0, 0, kW, 0}, true);
    EXPECT_FALSE(p.PresentDirect(nullptr, picture.View(), RECT{5, 5, 5, 20}, RECT{5, 5, 5, 20}));
    EXPECT_FALSE(p.PresentDirect(nullptr, picture.View(), RECT{5, 5, 20, 5}, RECT{5, 5, 20, 5}));
    EXPECT_TRUE(TakeShown().empty());
    EXPECT_EQ(Shown(0, 0), 0xFF00FFu);
}

TEST_F(SdlPresenterPixels, APartOfTheShownPictureChangesThatPartAloneAndIsReadBackWhole)
{
    ddraw::SdlPresenter& p = Open(130, 70);
    const Picture picture;
    const Picture later(kTint);
    // Where the window is on the desktop: parts and reads are placed in it.
    const RECT area{100, 80, 100 + kW, 80 + kH};
    ASSERT_TRUE(p.PresentDirect(nullptr, picture.View(), kWhole, area));
    TakeShown();
    EXPECT_TRUE(p.ShowAgain(nullptr, area));
    EXPECT_FALSE(p.ShowAgain(nullptr, RECT{100, 80, 99 + kW, 80 + kH}));
    EXPECT_FALSE(p.ShowAgain(nullptr, RECT{100, 80, 100 + kW, 81 + kH}));
    EXPECT_EQ(TakeShown(), (std::vector<std::vector<int>>{{0, 0, kW, kH}}));

    // Two parts: one from inside the later picture, one pixel at the far
    // corner of the area.
    ASSERT_TRUE(p.PresentDirectPart(nullptr, later.View(), RECT{2, 3, 42, 25}, RECT{110, 88, 150, 110}, area));
    ASSERT_TRUE(p.PresentDirectPart(nullptr, later.View(), RECT{0, 0, 1, 1}, RECT{195, 119, 196, 120}, area));
    EXPECT_EQ(TakeShown(), (std::vector<std::vector<int>>{{10, 8, 40, 22}, {95, 39, 1, 1}}));
    // Parts that are empty, reach out of the area or do not match their
    // source are refused and change nothing.
    const RECT refused[][2] = {
        {{0, 0, 0, 10}, {110, 88, 110, 98}},  {{0, 0, 10, 0}, {110, 88, 120, 88}},
        {{0, 0, 11, 10}, {186, 88, 197, 98}}, {{0, 0, 10, 11}, {110, 110, 120, 121}},
        {{0, 0, 10, 10}, {99, 88, 109, 98}},  {{0, 0, 10, 10}, {110, 79, 120, 89}},
        {{0, 0, 11, 10}, {110, 88, 120, 98}}, {{0, 0, 10, 11}, {110, 88, 120, 98}},
    };
    for (const auto& r : refused)
        EXPECT_FALSE(p.PresentDirectPart(nullptr, later.View(), r[0], r[1], area));
    EXPECT_TRUE(TakeShown().empty());

    std::vector<uint32_t> read(size_t(kW) * kH + 1, 0x5EA1u);
    ASSERT_TRUE(p.ReadShown(nullptr, area, read.data()));
    EXPECT_EQ(read.back(), 0x5EA1u) << "nothing beyond the area is written";
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 130; ++x) {
            uint32_t expected = 0;
            if (x >= 10 && x < 50 && y >= 8 && y < 30)
                expected = later.At(x - 8, y - 5);
            else if (x == 95 && y == 39)
                expected = later.At(0, 0);
            else if (x < kW && y < kH)
                expected = picture.At(x, y);
            ASSERT_EQ(Shown(x, y), expected) << x << "," << y;
            if (x < kW && y < kH) {
                ASSERT_EQ(read[size_t(y) * kW + x], expected | 0xFF000000u) << x << "," << y;
            }
        }
    std::vector<uint32_t> tooWide(size_t(131) * 70);
    EXPECT_FALSE(p.ReadShown(nullptr, RECT{0, 0, 131, 70}, tooWide.data()));

    // Once the system made the window a new surface, the picture is no
    // longer there to show, to add to or to read, even when the window came
    // back to its size before anything was shown.
    SDL_SetWindowSize(window, 140, 70);
    SDL_SetWindowSize(window, 130, 70);
    EXPECT_FALSE(p.ShowAgain(nullptr, area));
    EXPECT_FALSE(p.PresentDirectPart(nullptr, later.View(), RECT{0, 0, 1, 1}, RECT{100, 80, 101, 81}, area));
    EXPECT_FALSE(p.ReadShown(nullptr, area, read.data()));
    // Nor are the black bars around it there in the new surface.
    SDL_Surface* anew = SDL_GetWindowSurface(window);
    SDL_FillRect(anew, nullptr, SDL_MapRGB(anew->format, 255, 0, 255));
    ASSERT_TRUE(p.PresentDirect(nullptr, picture.View(), kWhole, area));
    ExpectShows(kWhole, kWhole, picture);
}

TEST_F(SdlPresenterPixels, FromFullScreenAndBackTheWindowKeepsNothingOfTheOtherPicture)
{
    ddraw::SdlPresenter& p = Open(130, 70);
    const Picture picture;
    const Picture later(kTint);
    std::vector<uint32_t> read(size_t(kW) * kH);
    ASSERT_TRUE(p.PresentDirect(nullptr, picture.View(), kWhole, kWhole));
    ASSERT_TRUE(p.PresentDirectPart(nullptr, picture.View(), RECT{0, 0, 4, 4}, RECT{0, 0, 4, 4}, kWhole));
    ASSERT_TRUE(p.ReadShown(nullptr, kWhole, read.data()));

    // Full screen in the same window: the later picture scaled over all of it.
    p.Present(nullptr, later.View(), kWhole, true);
    ExpectShows(RECT{0, 8, 130, 62}, kWhole, later);
    EXPECT_FALSE(p.ShowAgain(nullptr, kWhole));
    EXPECT_FALSE(p.ReadShown(nullptr, kWhole, read.data()));

    // Windowed again: the picture at its size, black where the scaled one was.
    ASSERT_TRUE(p.PresentDirect(nullptr, picture.View(), kWhole, kWhole));
    ExpectShows(kWhole, kWhole, picture);
    EXPECT_TRUE(p.ShowAgain(nullptr, kWhole));
    // A narrower picture after it, then a lower one, leave no trace of the
    // larger ones.
    ASSERT_TRUE(p.PresentDirect(nullptr, picture.View(), RECT{0, 0, 60, kH}, RECT{0, 0, 60, kH}));
    ExpectShows(RECT{0, 0, 60, kH}, RECT{0, 0, 60, kH}, picture);
    ASSERT_TRUE(p.PresentDirect(nullptr, picture.View(), RECT{0, 0, 60, 20}, RECT{0, 0, 60, 20}));
    ExpectShows(RECT{0, 0, 60, 20}, RECT{0, 0, 60, 20}, picture);
}

TEST_F(SdlPresenterPixels, AFrameFromAnotherThreadWaitsForTheThreadThatOwnsTheWindow)
{
    ddraw::SdlPresenter& p = Open(130, 70);
    const Picture picture;
    const Picture later(kTint);
    ASSERT_TRUE(p.PresentDirect(nullptr, later.View(), kWhole, kWhole));
    std::thread([&] {
        EXPECT_FALSE(p.PresentDirect(nullptr, picture.View(), kWhole, kWhole));
        p.Present(nullptr, picture.View(), kWhole, false);
    }).join();
    // Kept, not shown; the window no longer counts as holding its picture.
    ExpectShows(kWhole, kWhole, later);
    uint32_t pixel = 0;
    EXPECT_FALSE(p.ShowAgain(nullptr, kWhole));
    EXPECT_FALSE(p.ReadShown(nullptr, RECT{0, 0, 1, 1}, &pixel));
    p.RenderPending();
    ExpectShows(kWhole, kWhole, picture);

    // A picture the owning thread shows after it goes before the kept one.
    std::thread([&] { p.Present(nullptr, picture.View(), kWhole, false); }).join();
    ASSERT_TRUE(p.PresentDirect(nullptr, later.View(), kWhole, kWhole));
    p.RenderPending();
    ExpectShows(kWhole, kWhole, later);
    // Scaled to the full screen too.
    std::thread([&] { p.Present(nullptr, picture.View(), kWhole, true); }).join();
    p.Present(nullptr, later.View(), kWhole, true);
    p.RenderPending();
    ExpectShows(RECT{0, 8, 130, 62}, kWhole, later);
    // A kept frame of one pixel shows as well.
    std::thread([&] { p.Present(nullptr, picture.View(), RECT{0, 0, 1, 1}, false); }).join();
    p.RenderPending();
    ExpectShows(RECT{0, 0, 1, 1}, RECT{0, 0, 1, 1}, picture);
}

TEST_F(SdlPresenterPixels, SixteenBitPicturesAndWindowsShowTheSamePicture)
{
    const Picture picture;
    std::vector<uint16_t> rgb565(size_t(kW) * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint32_t v = picture.At(x, y);
            rgb565[size_t(y) * kW + x] = uint16_t((v >> 8 & 0xF800) | (v >> 5 & 0x07E0) | (v >> 3 & 0x001F));
        }
    const ddraw::SurfaceView view{reinterpret_cast<const uint8_t*>(rgb565.data()), kW, kH, kW * 2,
                                  ddraw::PixelLayout::Rgb565(), nullptr};
    // A 16-bit picture shown as it is, then scaled: the same pixels.
    ASSERT_TRUE(Open(130, 70).PresentDirect(nullptr, view, kWhole, kWhole));
    Picture asShown;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint32_t v = Shown(x, y);
            std::memcpy(&asShown.bytes[size_t(y) * asShown.pitch + size_t(x) * 4], &v, 4);
        }
    Open(200, 100).Present(nullptr, view, kWhole, true);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            uint32_t expected = 0;
            if (y >= 8 && y < 91)
                std::memcpy(&expected, &asShown.bytes[size_t((2 * (y - 8) + 1) * kH / 166) * asShown.pitch +
                                                      size_t((2 * x + 1) * kW / 400) * 4], 4);
            ASSERT_EQ(Shown(x, y), expected) << x << "," << y;
        }

    // A 16-bit window: black bars exactly, the picture within them.
    for (const auto& [width, height, fullScreen] :
         {std::tuple{200, 100, true}, std::tuple{200, 100, false}, std::tuple{99, kH, true},
          std::tuple{kW, kH + 1, true}, std::tuple{kW + 1, kH, true}}) {
        SCOPED_TRACE(testing::Message() << width << " x " << height << (fullScreen ? " full screen" : ""));
        ddraw::SdlPresenter& p = Open(width, height);
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 16, SDL_PIXELFORMAT_RGB565);
        SDL_FillRect(surface, nullptr, 0xF81F); // magenta
        gWindowSurface = surface;
        p.Present(nullptr, picture.View(), kWhole, fullScreen);
        gWindowSurface = nullptr;
        const RECT fit = fullScreen ? FitPictureInside(kW, kH, width, height) : kWhole;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint16_t shown = static_cast<const uint16_t*>(surface->pixels)[y * surface->pitch / 2 + x];
                if (x < fit.left || x >= fit.right || y < fit.top || y >= fit.bottom)
                    ASSERT_EQ(shown, 0) << x << "," << y;
                else if (!fullScreen)
                    ASSERT_EQ(shown, rgb565[size_t(y) * kW + x]) << x << "," << y;
                else
                    ASSERT_TRUE(shown != 0 && shown != 0xF81F) << x << "," << y;
            }
        EXPECT_EQ(TakeShown(), (std::vector<std::vector<int>>{{0, 0, width, height}}));
        SDL_FreeSurface(surface);
    }
}

TEST_F(SdlPresenterPixels, ItsOwnWindowCoversTheMonitorInFullScreenAndGoesBackAfter)
{
    // One pixel wide: it still remembers its place.
    ddraw::SdlPresenter& p = Open(1, kH, 30, 50);
    // A handle the window service does not know: the presenter's window.
    const HWND handle = reinterpret_cast<HWND>(0x40);
    const auto place = [&] {
        RECT area{};
        EXPECT_TRUE(p.GetClientArea(handle, area));
        return area;
    };
    for (int round = 0; round < 2; ++round) {
        p.SetFullScreen(handle, true, kW, kH);
        p.SetFullScreen(handle, true, kW, kH);
        EXPECT_EQ(place(), (RECT{0, 0, 1024, 768})) << "the dummy driver's one screen";
        p.SetFullScreen(handle, false, kW, kH);
        p.SetFullScreen(handle, false, kW, kH);
        EXPECT_EQ(place(), (RECT{30, 50, 31, 50 + kH}));
    }
}

TEST_F(SdlPresenterPixels, APrimaryTakesItsPictureBackBeforeTheWindowGetsANewSurface)
{
    hooks::SetDesktop(1280, 1024, 32, 60);
    Open(kW, kH);
    ASSERT_TRUE(ddraw::SdlPresenter::Install(window, kW, kH));
    auto& machine = ddraw::DisplayMachine::Instance();
    HWND handle = reinterpret_cast<HWND>(0x40); // the presenter's own window
    RECT client{};
    ASSERT_TRUE(machine.GetClientArea(handle, client));
    auto dd = MakeDirectDraw(handle, DDSCL_NORMAL);
    auto primary = MakePrimary(*dd);
    auto draw = MakeSurface(*dd, kW, kH);
    const auto expectPrimaryHolds = [&](int fromColumn) {
        for (int y = 0; y < kH; ++y)
            for (int x = fromColumn; x < kW; ++x)
                ASSERT_EQ(Read(*primary, client.left + x, client.top + y), Read(*draw, x, y)) << x << "," << y;
    };
    // The system makes the window a new surface, wider, taller and turned,
    // before the window service hears of it: the unchanged frame is to be
    // shown again in the area it had.
    uint32_t tint = 0;
    for (const auto& [width, height] : {std::pair{kW + 20, kH}, std::pair{kW, kH + 10}, std::pair{kH, kW}}) {
        tint ^= kTint;
        SDL_SetWindowSize(window, kW, kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                Write(*draw, x, y, (kQuarters[(y >= kH / 2) * 2 + (x >= kW / 2)] ^ tint) & 0xFFFFFFu);
        ASSERT_EQ(primary->Blt(&client, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
        SDL_SetWindowSize(window, width, height);
        EXPECT_FALSE(machine.ShowAgain(primary.get(), handle, client));
        expectPrimaryHolds(0);
    }
    // A small copy onto the primary (the software cursor's) after the window
    // grew shows the primary's memory: it must hold the frame.
    SDL_SetWindowSize(window, kW, kH);
    ASSERT_EQ(primary->Blt(&client, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    SDL_SetWindowSize(window, kW + 20, kH + 10);
    auto patch = MakeSurface(*dd, 4, 4);
    RECT at{client.left + 2, client.top + 2, client.left + 6, client.top + 6};
    ASSERT_EQ(primary->Blt(&at, patch.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    expectPrimaryHolds(6);
    patch.reset();
    draw.reset();
    primary.reset();
    dd.reset();
}

// Without a window of its own to begin with, SDL's video not yet started.
class SdlPresenterLife : public DisplayScenario {
protected:
    void SetUp() override
    {
        DisplayScenario::SetUp();
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_FALSE(SDL_WasInit(SDL_INIT_VIDEO));
    }
    void TearDown() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        DisplayScenario::TearDown();
    }
    // The window the presenter made for itself, if any.
    static SDL_Window* OwnWindow()
    {
        for (Uint32 id = 1; id < 64; ++id) {
            SDL_Window* w = SDL_GetWindowFromID(id);
            if (w && std::string(SDL_GetWindowTitle(w)) == "Pellucor")
                return w;
        }
        return nullptr;
    }
};

TEST_F(SdlPresenterLife, WithoutAWindowItMakesItsOwnAndLeavesSdlAsItFoundIt)
{
    const Picture picture;
    {
        ::testing::internal::CaptureStderr();
        ddraw::SdlPresenter p(nullptr, 120, 50);
        ASSERT_TRUE(p.IsReady());
        EXPECT_TRUE(SDL_WasInit(SDL_INIT_VIDEO));
        // The window surface is filled by us: no GL stack behind it.
        EXPECT_STREQ(SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION), "0");
        // Questions about a picture never shown make no window.
        uint32_t pixel = 0;
        EXPECT_FALSE(p.ShowAgain(nullptr, kWhole));
        EXPECT_FALSE(p.ReadShown(nullptr, RECT{0, 0, 1, 1}, &pixel));
        EXPECT_EQ(OwnWindow(), nullptr);
        // The first picture does: of the size asked, in the middle of the screen.
        EXPECT_TRUE(p.PresentDirect(nullptr, picture.View(), kWhole, kWhole));
        EXPECT_NE(OwnWindow(), nullptr);
        RECT area{};
        ASSERT_TRUE(p.GetClientArea(nullptr, area));
        EXPECT_EQ(area, (RECT{452, 359, 572, 409}));
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    }
    EXPECT_FALSE(SDL_WasInit(SDL_INIT_VIDEO)) << "it started SDL's video and ends it";

    // With video running, it stays; the presenter's own window goes with
    // the presenter, a window it was given stays.
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    SDL_Window* given = SDL_CreateWindow("given", 0, 0, kW, kH, 0);
    Uint32 own = 0;
    {
        ddraw::SdlPresenter mine(nullptr, 120, 50);
        ddraw::SdlPresenter lent(given, kW, kH);
        RECT area{};
        ASSERT_TRUE(mine.GetClientArea(nullptr, area));
        ASSERT_TRUE(lent.GetClientArea(nullptr, area));
        ASSERT_NE(OwnWindow(), nullptr);
        own = SDL_GetWindowID(OwnWindow());
    }
    EXPECT_TRUE(SDL_WasInit(SDL_INIT_VIDEO));
    EXPECT_EQ(SDL_GetWindowFromID(own), nullptr);
    EXPECT_EQ(SDL_GetWindowFromID(SDL_GetWindowID(given)), given);
    SDL_DestroyWindow(given);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST_F(SdlPresenterLife, VideoThatCannotStartIsToldAndNothingIsShown)
{
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(ddraw::SdlPresenter::Install(nullptr, kW, kH));
    ddraw::SdlPresenter p(nullptr, kW, kH);
    EXPECT_FALSE(p.IsReady());
    const Picture picture;
    RECT area{};
    EXPECT_FALSE(p.GetClientArea(nullptr, area));
    EXPECT_FALSE(p.PresentDirect(nullptr, picture.View(), kWhole, kWhole));
    p.Present(nullptr, picture.View(), kWhole, false);
    p.SetFullScreen(nullptr, true, kW, kH);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("display: SDL video could not start"), std::string::npos);
    EXPECT_FALSE(SDL_WasInit(SDL_INIT_VIDEO));
}

} // namespace
} // namespace ddtest
