// A drawn window on an X server of its own with no window manager (Xvfb),
// seen from a second connection as a window manager or a player would see
// it: a dialog without minimise, over its owner, drawn, holding the keyboard
// while it is up and giving it back as it goes. Skipped where Xvfb is not
// installed, as the walks under X are.
#include "platform/core/Process.h"
#include "platform/window/DisplayConnectionWait.h"
#include "platform/window/DrawnWindow.h"
#include "platform/window/SdlDrawnWindow.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// Last: its macros (Bool, None) would rewrite the test framework's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform {
namespace {

// Xvfb on a display number it picks itself; empty name when it could not start.
class XServer {
public:
    XServer()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "640x480x24",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes its number once it serves; an end of file is its end.
        std::string number;
        char c;
        while (pid_ > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (!number.empty())
            name_ = ":" + number;
    }
    ~XServer()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& Name() const { return name_; }
    bool NotInstalled()
    {
        int status = 0;
        return name_.empty() && pid_ > 0 && waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status) &&
               WEXITSTATUS(status) == 127 && (pid_ = 0) == 0;
    }

private:
    pid_t pid_ = -1;
    std::string name_;
};

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
// keyboard taken by its owner (a click there), then the keyboard back.
class Watched final : public DrawnWindowContent {
public:
    Watched(Display* x, uint32_t id) : x_(x), id_(id) {}
    int Width() const override { return 120; }
    int Height() const override { return 60; }
    void Draw(DrawnCanvas& canvas) const override
    {
        canvas.Fill({0, 0, 120, 60}, 0x336699);
        drawn = true;
    }
    void PointerMove(int, int) override {}
    void PointerDown(int, int) override {}
    void PointerUp(int, int) override {}
    void Wheel(int) override {}
    void KeyDown(int, bool) override {}
    void CloseRequested() override {}
    bool TakeRedraw() override { return false; }
    bool Done() const override
    {
        // The loop wakes at least four times a second: a bound, not a clock.
        if (++looks > 200)
            return true;
        const Window box = XWindowOf(SDL_GetWindowFromID(id_));
        if (step == 0 && drawn && box && Focus(x_) == box) {
            type = Property(x_, box, "_NET_WM_WINDOW_TYPE");
            motif = Property(x_, box, "_MOTIF_WM_HINTS");
            Window child = 0;
            XTranslateCoordinates(x_, box, DefaultRootWindow(x_), 0, 0, &left, &top, &child);
            XWindowAttributes attributes;
            XGetWindowAttributes(x_, box, &attributes);
            height = attributes.height;
            XSetInputFocus(x_, owner, RevertToParent, CurrentTime);
            XSync(x_, False);
            step = 1;
        } else if (step == 1 && Focus(x_) == box) {
            step = 2;
        }
        return step == 2;
    }

    Window owner = 0;
    mutable bool drawn = false;
    mutable int looks = 0;
    mutable int step = 0;
    mutable std::vector<long> type, motif;
    mutable int left = 0, top = 0, height = 0;

private:
    Display* x_;
    uint32_t id_;
};

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
        EXPECT_TRUE(box.drawn);
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
    XCloseDisplay(x);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SetEnvironmentVariable("DISPLAY", display);
    SetEnvironmentVariable("SDL_VIDEODRIVER", driver);
}

} // namespace
} // namespace platform
