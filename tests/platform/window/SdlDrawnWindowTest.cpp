// A drawn window on an X server of its own with no window manager (Xvfb),
// seen from a second connection as a window manager or a player would see
// it: a dialog without minimise, over its owner, drawn, holding the keyboard
// while it is up and giving it back as it goes. Skipped where Xvfb is not
// installed, as the walks under X are.
#include "XServer.h"

#include "platform/core/Process.h"
#include "platform/window/DisplayConnectionWait.h"
#include "platform/window/DrawnWindow.h"
#include "platform/window/SdlDrawnWindow.h"
#include "platform/window/SessionEndSignals.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Last: its macros (Bool, None) would rewrite the test framework's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform {
namespace {

Window XWindowOf(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    return window && SDL_GetWindowWMInfo(window, &info) ? info.info.x11.window : 0;
}

std::vector<long> Property(Display* x, Window window, const char* name)
{
    const Atom atom = XInternAtom(x, name, False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(x, window, atom, 0, 16, False, AnyPropertyType, &type, &format, &count, &after, &data) ==
            Success &&
        data && format == 32)
        values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    if (data)
        XFree(data);
    return values;
}

Window Focus(Display* x)
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(x, &focus, &revert);
    return focus;
}

// A box that looks at itself from the test's connection each time the loop
// asks whether it is done: first drawn and holding the keyboard, then the
// keyboard taken by its owner (a click there), then the keyboard back and
// a few idle turns of the loop, which draw nothing new.
class Watched final : public DrawnWindowContent {
public:
    Watched(Display* x, uint32_t id) : x_(x), id_(id) {}
    int Width() const override { return 120; }
    int Height() const override { return 60; }
    void Draw(DrawnCanvas& canvas) const override
    {
        canvas.Fill({0, 0, 120, 60}, 0x336699);
        ++draws;
    }
    void PointerMove(int, int) override {}
    void PointerDown(int, int) override {}
    void PointerUp(int, int) override {}
    void Wheel(int) override {}
    void KeyDown(int, bool) override {}
    void CloseRequested() override {}
    // Asked at every turn of the window's loop.
    bool TakeRedraw() override
    {
        ++asks;
        return false;
    }
    bool Done() const override
    {
        // The loop wakes at least four times a second: a bound, not a clock.
        if (++looks > 80)
            return true;
        const Window box = XWindowOf(SDL_GetWindowFromID(id_));
        if (step == 0 && draws && box && Focus(x_) == box) {
            type = Property(x_, box, "_NET_WM_WINDOW_TYPE");
            motif = Property(x_, box, "_MOTIF_WM_HINTS");
            Window child = 0;
            XTranslateCoordinates(x_, box, DefaultRootWindow(x_), 0, 0, &left, &top, &child);
            XWindowAttributes attributes;
            XGetWindowAttributes(x_, box, &attributes);
            height = attributes.height;
            step = owner ? 1 : 2;
            if (owner)
                XSetInputFocus(x_, owner, RevertToParent, CurrentTime);
            XSync(x_, False);
        } else if (step == 1 && Focus(x_) == box) {
            step = 2;
        }
        // It stays up for a few idle turns of its loop too, with the
        // keyboard its own.
        return step == 2 && asks >= 4;
    }

    Window owner = 0;
    mutable int draws = 0;
    int asks = 0;
    mutable int looks = 0;
    mutable int step = 0;
    mutable std::vector<long> type, motif;
    mutable int left = 0, top = 0, height = 0;

private:
    Display* x_;
    uint32_t id_;
};

// A box whose loop runs the test's step at each look it takes (numbered from
// 0): done when the step says so, or after 50 looks (a bound on the loop's
// turns, not a clock). It notes the keys it is given.
class StepsAtEachLook final : public DrawnWindowContent {
public:
    explicit StepsAtEachLook(std::function<bool(int)> step) : step_(std::move(step)) {}
    int Width() const override { return 120; }
    int Height() const override { return 60; }
    void Draw(DrawnCanvas& canvas) const override { canvas.Fill({0, 0, 120, 60}, 0x336699); }
    void PointerMove(int, int) override {}
    void PointerDown(int, int) override {}
    void PointerUp(int, int) override {}
    void Wheel(int) override {}
    void KeyDown(int vk, bool) override { keys.push_back(vk); }
    void CloseRequested() override {}
    bool TakeRedraw() override { return false; }
    bool Done() const override
    {
        const int look = looks++;
        return step_(look) || looks > 50;
    }

    std::vector<int> keys;
    mutable int looks = 0;

private:
    std::function<bool(int)> step_;
};

// Without any display, on SDL's window-less driver, which hands every
// picture a window sends out to a file of its own (in the current folder:
// one of the test's own, for the test's time): a shown window stands for
// the game's, the box's owner.
class SdlDrawnWindowWithoutDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::current_path(folder_.Path());
        SetEnvironmentVariable("SDL_VIDEODRIVER", std::string("dummy"));
        SetEnvironmentVariable("SDL_VIDEO_DUMMY_SAVE_FRAMES", std::string("1"));
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        owner_ = SDL_CreateWindow("owner", 10, 20, 400, 300, SDL_WINDOW_SHOWN);
        ASSERT_TRUE(owner_) << SDL_GetError();
        ownerId_ = SDL_GetWindowID(owner_);
    }
    void TearDown() override
    {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        if (owner_)
            SDL_DestroyWindow(owner_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SetEnvironmentVariable("SDL_VIDEODRIVER", driver_);
        SetEnvironmentVariable("SDL_VIDEO_DUMMY_SAVE_FRAMES", frames_);
        std::filesystem::current_path(before_);
    }

    DrawnWindowEnd RunBox(DrawnWindowContent& box)
    {
        DrawnWindowLook look;
        look.captionUtf8 = "Question";
        look.owner = ownerId_;
        DisplayConnectionWait connection;
        return RunSdlDrawnWindow(box, look, connection);
    }
    // The pictures the window `id` has sent out, by file.
    std::vector<std::string> FramesOf(uint32_t id) const
    {
        const std::string prefix = "SDL_window" + std::to_string(id) + "-";
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.Path()))
            if (entry.path().filename().string().rfind(prefix, 0) == 0)
                names.push_back(entry.path().string());
        return names;
    }
    void Push(SDL_Event event) { SDL_PushEvent(&event); }
    SDL_Event WindowEvent(uint8_t what) const
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = ownerId_;
        e.window.event = what;
        return e;
    }

    testing::ScopedTempFolder folder_;
    const std::filesystem::path before_ = std::filesystem::current_path();
    const std::optional<std::string> driver_ = GetEnvironmentVariable("SDL_VIDEODRIVER");
    const std::optional<std::string> frames_ = GetEnvironmentVariable("SDL_VIDEO_DUMMY_SAVE_FRAMES");
    SDL_Window* owner_ = nullptr;
    uint32_t ownerId_ = 0;
};

// The game's window comes back into view while the box is up (a restore, a
// window on top going away): its own loop waits for the box's answer, so
// the box sends its last picture out again.
TEST_F(SdlDrawnWindowWithoutDisplay, TheOwnersPictureIsShownAgainWhenItComesBackIntoViewBehindTheBox)
{
    SDL_Surface* surface = SDL_GetWindowSurface(owner_);
    ASSERT_TRUE(surface) << SDL_GetError();
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0xAA, 0x33, 0x00));
    StepsAtEachLook box([&](int look) {
        if (look == 0)
            Push(WindowEvent(SDL_WINDOWEVENT_EXPOSED)); // as SDL says it
        return !FramesOf(ownerId_).empty();
    });
    EXPECT_EQ(RunBox(box), DrawnWindowEnd::Done);
    const std::vector<std::string> shown = FramesOf(ownerId_);
    ASSERT_EQ(shown.size(), 1u) << "the game's window came back into view with nothing on it";
    SDL_Surface* picture = SDL_LoadBMP(shown[0].c_str());
    ASSERT_TRUE(picture) << SDL_GetError();
    SDL_Surface* pixels = SDL_ConvertSurfaceFormat(picture, SDL_PIXELFORMAT_ARGB8888, 0);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(static_cast<const uint32_t*>(pixels->pixels)[pixels->w * 150 + 200] & 0xFFFFFF, 0xAA3300u)
        << "not the picture the game's window last had";
    SDL_FreeSurface(pixels);
    SDL_FreeSurface(picture);
}

// However many pictures went out before, the one the window comes back into
// view for is sent out at its exposure, later in the box's life too.
TEST_F(SdlDrawnWindowWithoutDisplay, ALaterExposureOfTheOwnerSendsItsPictureOutAgain)
{
    ASSERT_TRUE(SDL_GetWindowSurface(owner_)) << SDL_GetError();
    size_t before = 0;
    StepsAtEachLook box([&](int look) {
        if (look == 3) {
            before = FramesOf(ownerId_).size();
            Push(WindowEvent(SDL_WINDOWEVENT_EXPOSED));
        }
        return look > 3 && (FramesOf(ownerId_).size() > before || look == 50);
    });
    EXPECT_EQ(RunBox(box), DrawnWindowEnd::Done);
    EXPECT_GT(FramesOf(ownerId_).size(), before) << "the exposure sent nothing out";
}

// What came for the game's window while the box was up (a key, its close
// button) is not the box's: it waits for the game's own loop, in order,
// once the box has gone.
TEST_F(SdlDrawnWindowWithoutDisplay, WhatCameForTheGamesWindowMeanwhileWaitsForTheGameAfterTheBox)
{
    StepsAtEachLook box([&](int look) {
        if (look == 0) {
            SDL_Event key{};
            key.type = SDL_KEYDOWN;
            key.key.windowID = ownerId_;
            key.key.keysym.scancode = SDL_SCANCODE_N;
            key.key.keysym.sym = SDLK_n;
            Push(key);
            Push(WindowEvent(SDL_WINDOWEVENT_CLOSE));
        }
        return look == 5;
    });
    EXPECT_EQ(RunBox(box), DrawnWindowEnd::Done);
    EXPECT_TRUE(box.keys.empty()) << "the box took the game's key";
    std::vector<std::string> left;
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
        if (e.type == SDL_KEYDOWN && e.key.windowID == ownerId_)
            left.push_back("key");
        if (e.type == SDL_WINDOWEVENT && e.window.windowID == ownerId_ && e.window.event == SDL_WINDOWEVENT_CLOSE)
            left.push_back("close");
    }
    EXPECT_EQ(left, (std::vector<std::string>{"key", "close"}));
}

// The session ending (SIGTERM and its kin) does not wait for an answer:
// the box goes at once, unanswered, and the program ends as it does.
TEST_F(SdlDrawnWindowWithoutDisplay, TheSessionEndingTakesTheBoxAwayUnanswered)
{
    EXPECT_EXIT(
        {
            detail::WatchSessionEndSignals();
            std::raise(SIGTERM);
            StepsAtEachLook box([](int) { return false; });
            const DrawnWindowEnd end = RunBox(box);
            _exit(end == DrawnWindowEnd::SessionEnded && box.looks == 1 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(SdlDrawnWindow, OnXItIsADialogOverItsOwnerThatHoldsTheKeyboardAndGivesItBack)
{
    XServer server;
    if (server.NotInstalled())
        FAIL() << "Xvfb is not installed (tools/install-dependencies installs it)";
    ASSERT_FALSE(server.Name().empty()) << "Xvfb did not start";
    const std::optional<std::string> display = GetEnvironmentVariable("DISPLAY");
    const std::optional<std::string> driver = GetEnvironmentVariable("SDL_VIDEODRIVER");
    SetEnvironmentVariable("DISPLAY", server.Name());
    SetEnvironmentVariable("SDL_VIDEODRIVER", std::string("x11"));
    // No message bus: SDL's video would keep a buffer of the bus's for good
    // (a leak to the sanitizer), and nothing here needs one.
    const std::optional<std::string> sessionBus = GetEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    const std::optional<std::string> systemBus = GetEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
    SetEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS", std::string("unix:path=/nonexistent-bus"));
    SetEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS", std::string("unix:path=/nonexistent-bus"));
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    Display* x = XOpenDisplay(server.Name().c_str());
    ASSERT_TRUE(x);
    {
        SDL_Window* owner = SDL_CreateWindow("owner", 10, 20, 400, 300, SDL_WINDOW_SHOWN);
        ASSERT_TRUE(owner) << SDL_GetError();
        Watched box(x, SDL_GetWindowID(owner) + 1);
        box.owner = XWindowOf(owner);
        XSetInputFocus(x, box.owner, RevertToParent, CurrentTime);
        XSync(x, False);
        DrawnWindowLook look;
        look.captionUtf8 = "Question";
        look.owner = SDL_GetWindowID(owner);
        DisplayConnectionWait connection;
        EXPECT_EQ(RunSdlDrawnWindow(box, look, connection), DrawnWindowEnd::Done);
        EXPECT_GT(box.draws, 0);
        EXPECT_LT(box.draws, box.asks) << "drawn as it shows, not at every turn of its loop";
        EXPECT_EQ(box.step, 2) << "1: it never had the keyboard; 2: it did not take it back from its owner";
        const Atom dialog = XInternAtom(x, "_NET_WM_WINDOW_TYPE_DIALOG", False);
        EXPECT_EQ(box.type, std::vector<long>{static_cast<long>(dialog)});
        // Functions: move and close only; decorations: border, title, menu.
        EXPECT_EQ(box.motif, (std::vector<long>{1 | 2, 4 | 32, 2 | 8 | 16, 0, 0}));
        EXPECT_EQ(box.left, 10 + (400 - 120) / 2) << "in the middle of its owner";
        EXPECT_EQ(box.top, 20 + (300 - box.height) / 2);
        XSync(x, False);
        EXPECT_EQ(Focus(x), box.owner) << "the keyboard goes back to the owner";
        SDL_DestroyWindow(owner);
    }
    {
        // Without an owner, near the top left, where the keyboard was
        // nowhere (as told by its revert, which is no window): it goes back
        // there.
        XSetInputFocus(x, None, RevertToParent, CurrentTime);
        XSync(x, False);
        SDL_Window* probe = SDL_CreateWindow("probe", 0, 0, 10, 10, SDL_WINDOW_HIDDEN);
        Watched box(x, SDL_GetWindowID(probe) + 1);
        SDL_DestroyWindow(probe);
        DrawnWindowLook look;
        look.place = DrawnWindowPlace::NearTopLeft;
        DisplayConnectionWait connection;
        EXPECT_EQ(RunSdlDrawnWindow(box, look, connection), DrawnWindowEnd::Done);
        EXPECT_EQ(box.step, 2);
        EXPECT_EQ(box.left, 64);
        EXPECT_EQ(box.top, 64);
        XSync(x, False);
        EXPECT_EQ(Focus(x), static_cast<Window>(None));
    }
    XCloseDisplay(x);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SetEnvironmentVariable("DISPLAY", display);
    SetEnvironmentVariable("SDL_VIDEODRIVER", driver);
    SetEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS", sessionBus);
    SetEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS", systemBus);
}

} // namespace
} // namespace platform
