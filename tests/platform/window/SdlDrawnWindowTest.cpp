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
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
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

// A box whose owner (the game's window) comes back into view while it is
// up, as a restore or a window on top going away brings it: the first look
// of the loop says so the way SDL does, then the box stays until the owner's
// picture has gone out again (a bound on the loop's turns, not a clock).
class OwnerComesBackIntoView final : public DrawnWindowContent {
public:
    OwnerComesBackIntoView(uint32_t owner, std::function<bool()> ownerShown) : owner_(owner), ownerShown_(ownerShown) {}
    int Width() const override { return 120; }
    int Height() const override { return 60; }
    void Draw(DrawnCanvas& canvas) const override { canvas.Fill({0, 0, 120, 60}, 0x336699); }
    void PointerMove(int, int) override {}
    void PointerDown(int, int) override {}
    void PointerUp(int, int) override {}
    void Wheel(int) override {}
    void KeyDown(int, bool) override {}
    void CloseRequested() override {}
    bool TakeRedraw() override { return false; }
    bool Done() const override
    {
        if (looks++ == 0) {
            SDL_Event exposed{};
            exposed.type = SDL_WINDOWEVENT;
            exposed.window.windowID = owner_;
            exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
            SDL_PushEvent(&exposed);
            return false;
        }
        return ownerShown_() || looks > 50;
    }

    mutable int looks = 0;

private:
    uint32_t owner_;
    std::function<bool()> ownerShown_;
};

// Without any display: SDL's window-less driver hands every picture a
// window sends out to a file of its own, which is what the test looks at.
TEST(SdlDrawnWindow, TheOwnersPictureIsShownAgainWhenItComesBackIntoViewBehindTheBox)
{
    // The frames are written in the current folder: one of the test's own
    // for the test's time, whatever way it ends.
    struct FolderOfItsOwn {
        testing::ScopedTempFolder folder;
        const std::filesystem::path before = std::filesystem::current_path();
        FolderOfItsOwn() { std::filesystem::current_path(folder.Path()); }
        ~FolderOfItsOwn() { std::filesystem::current_path(before); }
    } current;
    const testing::ScopedTempFolder& folder = current.folder;
    const std::optional<std::string> driver = GetEnvironmentVariable("SDL_VIDEODRIVER");
    const std::optional<std::string> frames = GetEnvironmentVariable("SDL_VIDEO_DUMMY_SAVE_FRAMES");
    SetEnvironmentVariable("SDL_VIDEODRIVER", std::string("dummy"));
    SetEnvironmentVariable("SDL_VIDEO_DUMMY_SAVE_FRAMES", std::string("1"));
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    {
        SDL_Window* owner = SDL_CreateWindow("owner", 10, 20, 400, 300, SDL_WINDOW_SHOWN);
        ASSERT_TRUE(owner) << SDL_GetError();
        const uint32_t id = SDL_GetWindowID(owner);
        // The game's last picture, as its own loop left it before the box.
        SDL_Surface* surface = SDL_GetWindowSurface(owner);
        ASSERT_TRUE(surface) << SDL_GetError();
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0xAA, 0x33, 0x00));
        const std::string prefix = "SDL_window" + std::to_string(id) + "-";
        auto ownerFrames = [&] {
            std::vector<std::string> names;
            for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
                if (entry.path().filename().string().rfind(prefix, 0) == 0)
                    names.push_back(entry.path().string());
            return names;
        };
        OwnerComesBackIntoView box(id, [&] { return !ownerFrames().empty(); });
        DrawnWindowLook look;
        look.captionUtf8 = "Question";
        look.owner = id;
        DisplayConnectionWait connection;
        EXPECT_EQ(RunSdlDrawnWindow(box, look, connection), DrawnWindowEnd::Done);
        const std::vector<std::string> shown = ownerFrames();
        ASSERT_EQ(shown.size(), 1u) << "the game's window came back into view with nothing on it";
        SDL_Surface* picture = SDL_LoadBMP(shown[0].c_str());
        ASSERT_TRUE(picture) << SDL_GetError();
        SDL_Surface* pixels = SDL_ConvertSurfaceFormat(picture, SDL_PIXELFORMAT_ARGB8888, 0);
        ASSERT_TRUE(pixels);
        EXPECT_EQ(static_cast<const uint32_t*>(pixels->pixels)[pixels->w * 150 + 200] & 0xFFFFFF, 0xAA3300u)
            << "not the picture the game's window last had";
        SDL_FreeSurface(pixels);
        SDL_FreeSurface(picture);
        // What the box kept for the game's own loop.
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_DestroyWindow(owner);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SetEnvironmentVariable("SDL_VIDEODRIVER", driver);
    SetEnvironmentVariable("SDL_VIDEO_DUMMY_SAVE_FRAMES", frames);
}

TEST(SdlDrawnWindow, OnXItIsADialogOverItsOwnerThatHoldsTheKeyboardAndGivesItBack)
{
    XServer server;
    if (server.NotInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
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
