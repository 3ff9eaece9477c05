// The full-screen window of a display mode the monitor does not have: the
// picture shown scaled in the middle of the monitor, and every pointer
// position read in the picture's pixels.
#include "WindowTestFixture.h"

#include "platform/ddraw/SdlPresenter.h"
#include "platform/window/FullScreenWindow.h"
#include "platform/window/ScreenScaling.h"

#include <SDL.h>

#include <cstdlib>

namespace platform {
inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
inline void PrintTo(const POINT& p, std::ostream* out) { *out << "(" << p.x << ", " << p.y << ")"; }
} // namespace platform

namespace platform::testing {
namespace {

// 1024 x 768 on a 1280 x 1024 monitor: bars above and below; on 1920 x 1080,
// bars at the sides.
const ScreenScaling kLetterbox{1024, 768, FitPictureInside(1024, 768, 1280, 1024)};
const ScreenScaling kPillarbox{1024, 768, FitPictureInside(1024, 768, 1920, 1080)};

TEST(ScreenScalingMap, BothBarDirectionsMapTheWholePictureAndNothingElse)
{
    EXPECT_EQ(kLetterbox.shown.left, 0);
    EXPECT_EQ(kLetterbox.shown.top, 32);
    EXPECT_EQ(kLetterbox.shown.bottom, 992);
    EXPECT_EQ(kPillarbox.shown.left, 240);
    EXPECT_EQ(kPillarbox.shown.right, 1680);
    for (const ScreenScaling& s : {kLetterbox, kPillarbox}) {
        const int w = s.shown.right - s.shown.left;
        const int h = s.shown.bottom - s.shown.top;
        // The corners of the shown picture are the picture's corners.
        EXPECT_EQ(s.ToScreen(POINT{s.shown.left, s.shown.top}), (POINT{0, 0}));
        EXPECT_EQ(s.ToScreen(POINT{s.shown.right - 1, s.shown.bottom - 1}), (POINT{1023, 767}));
        // One native pixel into a bar is outside the picture, on its side.
        const POINT before = s.ToScreen(POINT{s.shown.left - 1, s.shown.top - 1});
        const POINT after = s.ToScreen(POINT{s.shown.right, s.shown.bottom});
        EXPECT_FALSE(s.Contains(before));
        EXPECT_FALSE(s.Contains(after));
        EXPECT_LT(before.x, 0);
        EXPECT_LT(before.y, 0);
        EXPECT_GE(after.x, 1024);
        EXPECT_GE(after.y, 768);
        // Three native pixels into the bar are two screen pixels and a bit
        // before the picture, however exactly the sizes divide.
        EXPECT_EQ(s.ToScreen(POINT{s.shown.left - 3, s.shown.top - 3}), (POINT{-2, -2}));
        // Every picture pixel goes to the native pixel under its centre and
        // back unchanged, and native pixels never go backwards.
        int last = -1;
        for (int x = 0; x < 1024; ++x) {
            const POINT native = s.ToNative(POINT{x, x % 768});
            ASSERT_GE(native.x, s.shown.left);
            ASSERT_LT(native.x, s.shown.right);
            ASSERT_GT(native.x, last);
            last = native.x;
            ASSERT_EQ(s.ToScreen(native), (POINT{x, x % 768})) << x;
        }
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(s.ToScreen(POINT{s.shown.left + x, s.shown.top}).x, (2 * x + 1) * 1024 / (2 * w)) << x;
        for (int y = 0; y < h; ++y)
            ASSERT_TRUE(s.Contains(s.ToScreen(POINT{s.shown.left, s.shown.top + y}))) << y;
    }
    // A window smaller than the picture shows it shrunk: its last pixel
    // still reads inside the picture.
    const ScreenScaling shrunk{1024, 768, FitPictureInside(1024, 768, 800, 600)};
    EXPECT_EQ(shrunk.ToScreen(POINT{799, 599}), (POINT{1023, 767}));
    EXPECT_EQ(shrunk.ToScreen(POINT{0, 0}), (POINT{0, 0}));
    // Halved exactly: the pixel before it is a whole pixel before, not two.
    const ScreenScaling halved{1024, 768, RECT{0, 0, 512, 384}};
    EXPECT_EQ(halved.ToScreen(POINT{-1, -1}), (POINT{-1, -1}));
}

class ScaledScreen : public WindowFixture {
protected:
    // The program's full-screen window of the picture's size at (0, 0),
    // covering a monitor shown as `scaling` says.
    HWND Cover(int monitorWidth, int monitorHeight, const ScreenScaling& scaling)
    {
        DesktopMode mode;
        mode.width = monitorWidth;
        mode.height = monitorHeight;
        SetDesktopMode(mode);
        Register("Full", CS_DBLCLKS);
        HWND w = CreateWindowExA(WS_EX_TOPMOST, "Full", "Pellucor", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr,
                                 nullptr, nullptr, nullptr);
        EXPECT_TRUE(CoverMonitor(w));
        ShowScreenScaled(w, scaling);
        Pump();
        return w;
    }

    static void Native(HWND w, InputEvent::Kind kind, int x, int y, int button = 0)
    {
        InputEvent e;
        e.kind = kind;
        e.window = NativeWindowId(w);
        e.x = x;
        e.y = y;
        e.button = button;
        InjectInput(e);
    }

    static std::vector<MSG> Mouse()
    {
        std::vector<MSG> result;
        for (const MSG& m : Pump())
            if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST)
                result.push_back(m);
        return result;
    }
};

TEST_F(ScaledScreen, TheNativeWindowCoversTheMonitorAndTheWindowKeepsThePicturesSize)
{
    HWND w = Cover(1920, 1080, kPillarbox);
    const std::vector<NativeWindowState> natives = NativeWindows();
    ASSERT_EQ(natives.size(), 1u);
    EXPECT_EQ(natives[0].width, 1920);
    EXPECT_EQ(natives[0].height, 1080);
    EXPECT_FALSE(natives[0].decorated);
    // The system's reports of the native window's size leave the client be.
    InjectWindowEvent(w, InputEvent::Kind::Resized, 1920, 1080);
    Pump();
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 1024);
    EXPECT_EQ(client.bottom, 768);
    UncoverMonitor(w);
    EXPECT_EQ(NativeWindows()[0].width, 1024);
    EXPECT_FALSE(ScalingOf(w).has_value());
}

TEST_F(ScaledScreen, PointerPositionsReadInThePicturesPixelsAndTheBarsAreNoWindow)
{
    for (const ScreenScaling& s : {kLetterbox, kPillarbox}) {
        SetUp();
        HWND w = Cover(s == kLetterbox ? 1280 : 1920, s == kLetterbox ? 1024 : 1080, s);
        const LONG right = s.shown.right - 1;
        const LONG bottom = s.shown.bottom - 1;
        // Presses, releases and double clicks at the picture's far corner.
        Native(w, InputEvent::Kind::MouseMove, right, bottom);
        Native(w, InputEvent::Kind::MouseDown, right, bottom, 1);
        Native(w, InputEvent::Kind::MouseUp, right, bottom, 1);
        Native(w, InputEvent::Kind::MouseDown, right - 1, bottom, 1);
        std::vector<MSG> in = Mouse();
        ASSERT_EQ(in.size(), 4u);
        EXPECT_EQ(in[3].message, UINT(WM_LBUTTONDBLCLK));
        for (const MSG& m : in) {
            EXPECT_EQ(GET_X_LPARAM(m.lParam), m.message == WM_LBUTTONDBLCLK ? s.ToScreen({right - 1, 0}).x : 1023);
            EXPECT_EQ(GET_Y_LPARAM(m.lParam), 767);
        }
        Native(w, InputEvent::Kind::MouseUp, right, bottom, 1);
        Mouse();
        // The cursor thread and the program's mouse-in-window test read the
        // same screen.
        POINT p{};
        GetCursorPos(&p);
        EXPECT_EQ(p, (POINT{1023, 767}));
        EXPECT_EQ(WindowFromPoint(p), w);

        // In a bar: no move, no press, no window under the pointer.
        Native(w, InputEvent::Kind::MouseMove, s.shown.left == 0 ? 5 : 5, s.shown.top == 0 ? 500 : 5);
        Native(w, InputEvent::Kind::MouseDown, 5, 5, 1);
        Native(w, InputEvent::Kind::MouseUp, 5, 5, 1);
        EXPECT_TRUE(Mouse().empty());
        GetCursorPos(&p);
        EXPECT_EQ(WindowFromPoint(p), nullptr);

        // A press in the picture keeps the pointer while it is held: the
        // drag into the bar reads outside the picture.
        Native(w, InputEvent::Kind::MouseMove, s.shown.left, s.shown.top);
        Native(w, InputEvent::Kind::MouseDown, s.shown.left, s.shown.top, 1);
        Pump();
        SetCapture(w);
        Native(w, InputEvent::Kind::MouseMove, s.shown.left - 1, s.shown.top - 1);
        in = Mouse();
        ASSERT_EQ(in.size(), 1u);
        EXPECT_EQ(GET_X_LPARAM(in[0].lParam), s.ToScreen({s.shown.left - 1, 0}).x);
        EXPECT_LT(GET_Y_LPARAM(in[0].lParam), 0);
        ReleaseCapture();

        // A position the program sets goes to the native pixel showing it,
        // and input a test injects in client pixels arrives as such.
        SetCursorPos(512, 384);
        GetCursorPos(&p);
        EXPECT_EQ(p, (POINT{512, 384}));
        InjectMouseMove(w, 700, 20);
        in = Mouse();
        ASSERT_EQ(in.size(), 1u);
        EXPECT_EQ(GET_X_LPARAM(in[0].lParam), 700);
        EXPECT_EQ(GET_Y_LPARAM(in[0].lParam), 20);
        TearDown();
    }
}

TEST_F(ScaledScreen, TheSdlPresenterHasTheServiceCoverTheMonitorAndMapsThePointerWhereItDrew)
{
    DesktopMode mode;
    mode.width = 1920;
    mode.height = 1080;
    SetDesktopMode(mode);
    Register("Full", CS_DBLCLKS);
    HWND w = CreateWindowExA(WS_EX_TOPMOST, "Full", "Pellucor", WS_POPUP | WS_VISIBLE, 0, 0, 96, 40, nullptr, nullptr,
                             nullptr, nullptr);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    // Stands for the native window that covers the monitor.
    SDL_Window* native = SDL_CreateWindow("native", 0, 0, 200, 100, 0);
    {
        ddraw::SdlPresenter presenter(native, 200, 100);
        presenter.SetFullScreen(w, true, 96, 40);
        ASSERT_EQ(NativeWindows().size(), 1u);
        EXPECT_EQ(NativeWindows()[0].width, 1920);
        std::vector<uint32_t> picture(96 * 40, 0x00336699u);
        const ddraw::SurfaceView view{reinterpret_cast<const uint8_t*>(picture.data()), 96, 40, 96 * 4,
                                      ddraw::PixelLayout::Xrgb8888(), nullptr};
        presenter.Present(w, view, RECT{0, 0, 96, 40}, true);
        const std::optional<ScreenScaling> scaling = ScalingOf(w);
        ASSERT_TRUE(scaling.has_value());
        EXPECT_EQ(*scaling, (ScreenScaling{96, 40, RECT{0, 8, 200, 91}}));
        presenter.SetFullScreen(w, false, 96, 40);
        EXPECT_EQ(NativeWindows()[0].width, 96);
        EXPECT_FALSE(ScalingOf(w).has_value());
    }
    SDL_DestroyWindow(native);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace
} // namespace platform::testing
