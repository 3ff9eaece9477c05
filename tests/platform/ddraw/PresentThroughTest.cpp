// A windowed frame goes from the draw surface straight to the window in one
// pass; the primary takes the picture back when it is next read or partly
// written. These tests hold the one-pass present to the two-pass one (copy
// into the primary, then present the primary) pixel for pixel.
#include "DisplayScenario.h"

#include "platform/ddraw/DisplayMachine.h"
#include "platform/ddraw/HeadlessPresenter.h"
#include "platform/ddraw/SdlPresenter.h"

#include <SDL.h>

#include <cstdlib>
#include <thread>
#include <vector>

namespace ddtest {
namespace {

// The headless presenter without its one-pass present: every frame goes
// through the primary, as before.
class TwoPassPresenter final : public ddraw::HeadlessPresenter {
public:
    bool PresentDirect(HWND, const ddraw::SurfaceView&, const RECT&, const RECT&) override { return false; }
};

struct Desktop {
    int depth;
    bool rgb555;
    bool bgr32;
};

constexpr Desktop kDesktops[] = {{16, false, false}, {16, true, false}, {24, false, false},
                                 {32, false, false}, {32, false, true}};

class PresentThrough : public DisplayScenario {
protected:
    // A 1280 x 1024 desktop of the given format with a window at (100, 80)
    // whose client area is `width` x `height`; primary, clipper and a draw
    // surface of the client's size filled with varied pixel values.
    void Build(const Desktop& desktop, int width = 96, int height = 40)
    {
        hooks::SetDesktop(1280, 1024, desktop.depth, 60, desktop.rgb555, desktop.bgr32);
        window = hooks::CreateWindow(100, 80, width, height);
        client = RECT{100, 80, 100 + width, 80 + height};
        dd = MakeDirectDraw(window, DDSCL_NORMAL);
        primary = MakePrimary(*dd);
        DirectDrawClipper* clipper = nullptr;
        ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
        ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
        ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
        clipper->Release();
        draw = MakeSurface(*dd, width, height);
        Scribble(*draw, 0x9E3779B9u);
    }

    // Every pixel a different value, spread over all of its bits.
    static void Scribble(DirectDrawSurface& s, uint32_t seed)
    {
        DDSURFACEDESC2 d = Desc(0, 0);
        ASSERT_EQ(s.Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
        const int bytes = int(d.ddpfPixelFormat.dwRGBBitCount / 8);
        uint32_t v = seed;
        for (DWORD y = 0; y < d.dwHeight; ++y)
            for (DWORD x = 0; x < d.dwWidth; ++x) {
                v = v * 1664525u + 1013904223u;
                const uint32_t colourBits = v & (d.ddpfPixelFormat.dwRBitMask | d.ddpfPixelFormat.dwGBitMask |
                                                 d.ddpfPixelFormat.dwBBitMask);
                std::memcpy(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * bytes, &colourBits,
                            size_t(bytes));
            }
        s.Unlock(nullptr);
    }

    // The window's area of the primary, read through a lock.
    std::vector<uint32_t> PrimaryArea()
    {
        std::vector<uint32_t> values;
        DDSURFACEDESC2 d = Desc(0, 0);
        EXPECT_EQ(primary->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
        const int bytes = int(d.ddpfPixelFormat.dwRGBBitCount / 8);
        for (LONG y = client.top; y < client.bottom; ++y)
            for (LONG x = client.left; x < client.right; ++x) {
                uint32_t v = 0;
                std::memcpy(&v, static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * bytes, size_t(bytes));
                values.push_back(v);
            }
        primary->Unlock(nullptr);
        return values;
    }

    // The frame and the primary's window area after one full-window blit
    // of the draw surface, then a small blit into the middle of the window
    // (as the software cursor makes).
    struct Seen {
        std::vector<uint32_t> frame;
        std::vector<uint32_t> frameAfterSmallBlit;
        std::vector<uint32_t> primary;
        int presents = 0;
    };
    Seen ShowFrames()
    {
        Seen seen;
        const int before = hooks::PresentCount();
        EXPECT_EQ(primary->Blt(&client, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
        seen.presents = hooks::PresentCount() - before;
        seen.frame = hooks::PresentedFrame().pixels;
        auto patch = MakeSurface(*dd, 8, 6);
        Scribble(*patch, 12345u);
        RECT at{client.left + 20, client.top + 10, client.left + 28, client.top + 16};
        EXPECT_EQ(primary->Blt(&at, patch.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
        seen.frameAfterSmallBlit = hooks::PresentedFrame().pixels;
        seen.primary = PrimaryArea();
        return seen;
    }

    void Release()
    {
        draw.reset();
        primary.reset();
        dd.reset();
    }

    HWND window = nullptr;
    RECT client{};
    Ref<DirectDraw> dd;
    Ref<DirectDrawSurface> primary;
    Ref<DirectDrawSurface> draw;
};

TEST_F(PresentThrough, EveryDesktopFormatShowsAndKeepsWhatTheTwoPassPresentDid)
{
    for (const Desktop& desktop : kDesktops) {
        SCOPED_TRACE(testing::Message() << desktop.depth << " bits, 555 " << desktop.rgb555 << ", bgr "
                                        << desktop.bgr32);
        Build(desktop);
        const Seen onePass = ShowFrames();
        Release();

        hooks::ResetDisplay();
        ddraw::DisplayMachine::Instance().InstallPresenter(std::make_unique<TwoPassPresenter>());
        Build(desktop);
        const Seen twoPass = ShowFrames();
        Release();
        hooks::ResetDisplay();

        EXPECT_EQ(onePass.presents, 1);
        EXPECT_EQ(onePass.frame, twoPass.frame);
        EXPECT_EQ(onePass.frameAfterSmallBlit, twoPass.frameAfterSmallBlit);
        // The colour bits come back; a 32-bit pixel's unused byte does not matter.
        EXPECT_EQ(onePass.primary, twoPass.primary);
    }
}

TEST_F(PresentThrough, OnlyAStraightCopyOfTheWholeWindowSkipsThePrimary)
{
    Build({32, false, false});
    // A copy of part of the window, a stretched one and a keyed one all go
    // through the primary: the primary shows them at once.
    RECT part{client.left, client.top, client.left + 50, client.bottom};
    RECT half{0, 0, 48, 20};
    ASSERT_EQ(primary->Blt(&part, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(primary->Blt(&client, draw.get(), &half, DDBLT_WAIT, nullptr), DD_OK);
    DDBLTFX fx = Fx();
    fx.ddckSrcColorkey = DDCOLORKEY{0, 0};
    EXPECT_EQ(primary->Blt(&client, draw.get(), nullptr, DDBLT_WAIT | DDBLT_KEYSRCOVERRIDE, &fx), DD_OK);
    const auto twoPass = PrimaryArea();
    EXPECT_EQ(hooks::PresentedFrame().pixels.size(), twoPass.size());
    for (size_t i = 0; i < twoPass.size(); ++i)
        ASSERT_EQ(hooks::PresentedFrame().pixels[i], twoPass[i] | 0xFF000000u) << i;

    // A minimised window is shown nothing and its clipper lets nothing in.
    const uint32_t kept = Read(*primary, client.left + 3, client.top + 4);
    Fill(*draw, 0x00123456);
    hooks::MinimiseWindow(window, true);
    const int before = hooks::PresentCount();
    EXPECT_EQ(primary->Blt(&client, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(hooks::PresentCount(), before);
    hooks::MinimiseWindow(window, false);
    EXPECT_EQ(Read(*primary, client.left + 3, client.top + 4), kept);
}

TEST_F(PresentThrough, AnOwedPictureIsTakenBackBeforeTheScreenShowsAnythingElse)
{
    Build({16, false, false});
    ASSERT_EQ(primary->Blt(&client, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    const auto first = hooks::PresentedFrame().pixels;

    // The window moves to where it does not overlap its old place: the old
    // place keeps the first frame, the new one shows the second.
    Fill(*draw, 0xF81F);
    const RECT old = client;
    hooks::MoveWindow(window, 400, 300, 96, 40);
    client = RECT{400, 300, 496, 340};
    ASSERT_EQ(primary->Blt(&client, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Read(*primary, client.left + 5, client.top + 5), 0xF81Fu);
    const auto layout = ddraw::PixelLayout::Rgb565();
    EXPECT_EQ(layout.ToArgb(Read(*primary, old.left, old.top)), first.front());
    EXPECT_EQ(layout.ToArgb(Read(*primary, old.right - 1, old.bottom - 1)), first.back());

    // A new presenter does not have the picture: the primary takes it back
    // from the old one before it goes.
    Scribble(*draw, 777u);
    ASSERT_EQ(primary->Blt(&client, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    const auto third = hooks::PresentedFrame().pixels;
    ddraw::DisplayMachine::Instance().InstallPresenter(std::make_unique<TwoPassPresenter>());
    EXPECT_EQ(layout.ToArgb(Read(*primary, client.left + 1, client.top)), third[1]);
    EXPECT_EQ(layout.ToArgb(Read(*primary, client.right - 1, client.bottom - 1)), third.back());
}

TEST_F(PresentThrough, APartOfThePictureTheWindowShowsGoesStraightThereAndNowhereElse)
{
    for (const Desktop& desktop : {kDesktops[0], kDesktops[3]}) {
        SCOPED_TRACE(desktop.depth);
        // The same frames through the primary, for comparison.
        ddraw::DisplayMachine::Instance().InstallPresenter(std::make_unique<TwoPassPresenter>());
        Build(desktop);
        ASSERT_EQ(primary->Blt(&client, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
        auto later = MakeSurface(*dd, 96, 40);
        Scribble(*later, 99u);
        RECT from{30, 5, 70, 25};
        RECT part{client.left + 30, client.top + 5, client.left + 70, client.top + 25};
        ASSERT_EQ(primary->Blt(&part, later.get(), &from, DDBLT_WAIT, nullptr), DD_OK);
        const auto twoPassFrame = hooks::PresentedFrame().pixels;
        const auto twoPassPrimary = PrimaryArea();
        later.reset();
        Release();
        hooks::ResetDisplay();

        Build(desktop);
        ASSERT_EQ(primary->Blt(&client, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
        later = MakeSurface(*dd, 96, 40);
        Scribble(*later, 99u);
        const int parts = hooks::PartPresentCount();
        ASSERT_EQ(primary->Blt(&part, later.get(), &from, DDBLT_WAIT, nullptr), DD_OK);
        EXPECT_EQ(hooks::PartPresentCount(), parts + 1);
        const RECT shownPart = hooks::LastPresentedPart();
        EXPECT_TRUE(shownPart.left == part.left && shownPart.top == part.top && shownPart.right == part.right &&
                    shownPart.bottom == part.bottom);
        EXPECT_EQ(hooks::PresentedFrame().pixels, twoPassFrame);
        // The primary takes the whole picture back, the part included.
        EXPECT_EQ(PrimaryArea(), twoPassPrimary);

        // Once the primary's own memory is shown (a fill of the primary), a
        // part is not shown alone: the window no longer holds that picture.
        DDBLTFX fx = Fx();
        fx.dwFillColor = 0x1234;
        RECT corner{client.left, client.top, client.left + 4, client.top + 4};
        ASSERT_EQ(primary->Blt(&corner, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
        ASSERT_EQ(primary->Blt(&part, draw.get(), &from, DDBLT_WAIT, nullptr), DD_OK);
        EXPECT_EQ(hooks::PartPresentCount(), parts + 1);
        later.reset();
        Release();
        hooks::ResetDisplay();
    }
}

TEST_F(PresentThrough, TheSdlWindowSurfaceTakesTheFrameInOnePassAndGivesItBack)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    for (const int depth : {16, 32}) {
        SCOPED_TRACE(depth);
        hooks::ResetDisplay();
        hooks::SetDesktop(1280, 1024, depth, 60);
        SDL_Window* sdlWindow = SDL_CreateWindow("test", 10, 20, 96, 40, 0);
        ASSERT_NE(sdlWindow, nullptr);
        ASSERT_TRUE(ddraw::SdlPresenter::Install(sdlWindow, 96, 40));
        // A handle the window service does not know: the presenter's window.
        window = reinterpret_cast<HWND>(0x40);
        ASSERT_TRUE(ddraw::DisplayMachine::Instance().GetClientArea(window, client));
        dd = MakeDirectDraw(window, DDSCL_NORMAL);
        primary = MakePrimary(*dd);
        draw = MakeSurface(*dd, 96, 40);
        Scribble(*draw, 4242u);
        const auto layout = ddraw::DisplayMachine::Instance().CurrentLayout();

        ASSERT_EQ(primary->Blt(&client, draw.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
        // The cursor thread is the first to read the primary: it takes the
        // picture back from the window surface as well.
        uint32_t readByCursorThread = 0;
        std::thread([&] { readByCursorThread = Read(*primary, client.left + 7, client.top + 5); }).join();
        EXPECT_EQ(readByCursorThread, Read(*draw, 7, 5));
        SDL_Surface* shown = SDL_GetWindowSurface(sdlWindow);
        ASSERT_NE(shown, nullptr);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 96; ++x) {
                const uint32_t onScreen =
                    reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(shown->pixels) + y * shown->pitch)[x];
                const uint32_t drawn = Read(*draw, x, y);
                ASSERT_EQ(onScreen & 0xFFFFFFu, layout.ToArgb(drawn) & 0xFFFFFFu) << x << "," << y;
                ASSERT_EQ(Read(*primary, client.left + x, client.top + y), drawn) << x << "," << y;
            }

        // A part of a later picture goes into the window surface alone; the
        // rest of the window keeps the first one.
        auto later = MakeSurface(*dd, 96, 40);
        Scribble(*later, 31337u);
        RECT from{10, 8, 50, 30};
        RECT part{client.left + 10, client.top + 8, client.left + 50, client.top + 30};
        ASSERT_EQ(primary->Blt(&part, later.get(), &from, DDBLT_WAIT, nullptr), DD_OK);
        shown = SDL_GetWindowSurface(sdlWindow);
        ASSERT_NE(shown, nullptr);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 96; ++x) {
                const bool inPart = x >= 10 && x < 50 && y >= 8 && y < 30;
                const uint32_t onScreen =
                    reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(shown->pixels) + y * shown->pitch)[x];
                const uint32_t expected = inPart ? Read(*later, x, y) : Read(*draw, x, y);
                ASSERT_EQ(onScreen & 0xFFFFFFu, layout.ToArgb(expected) & 0xFFFFFFu) << x << "," << y;
                ASSERT_EQ(Read(*primary, client.left + x, client.top + y), expected) << x << "," << y;
            }
        later.reset();
        Release();
        ddraw::DisplayMachine::Instance().InstallPresenter(nullptr);
        SDL_DestroyWindow(sdlWindow);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(PixelLayoutRows, SixteenBitRowsOfAnyLengthConvertAsEachPixelDoes)
{
    // Every value, in rows whose lengths leave every remainder of the wide
    // steps, starting at every alignment.
    for (auto layout : {ddraw::PixelLayout::Rgb565(), ddraw::PixelLayout::Rgb555()}) {
        std::vector<uint16_t> values(65536 + 64);
        for (size_t i = 0; i < values.size(); ++i) values[i] = uint16_t(i * 40503u);
        std::vector<uint32_t> out(values.size());
        size_t at = 0;
        for (int length = 1; at + size_t(length) <= 65536; at += size_t(length), length = length % 37 + 1) {
            ddraw::ConvertRowToArgb(reinterpret_cast<const uint8_t*>(values.data() + at), out.data() + at, length,
                                    layout);
            for (int i = 0; i < length; ++i)
                ASSERT_EQ(out[at + size_t(i)], layout.ToArgb(values[at + size_t(i)]))
                    << layout.green << " at " << at + size_t(i);
        }
    }
}

} // namespace
} // namespace ddtest
