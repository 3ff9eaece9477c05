// Why the X display cannot be opened, as the start-up tells the player:
// displays that cannot be reached whatever the machine runs; and what the
// program does when its display goes, without a display to lose.
#include "XServer.h"

#include "platform/window/DisplayPresence.h"

#include "platform/core/Process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>

// Last: its macros (Bool, None) would rewrite the test framework's names.
#include <X11/Xlib.h>

namespace platform {
namespace {

TEST(DisplayPresence, WhyTheDisplayCannotBeOpenedIsSaidInThePlayersWords)
{
    const std::optional<std::string> display = GetEnvironmentVariable("DISPLAY");
    SetEnvironmentVariable("DISPLAY", std::nullopt);
    EXPECT_EQ(detail::WhyTheXDisplayCannotBeOpened(), "the display's name cannot be read") << "none named";
    SetEnvironmentVariable("DISPLAY", std::string("no display here"));
    EXPECT_EQ(detail::WhyTheXDisplayCannotBeOpened(), "the display's name cannot be read");
    // A display nobody serves: the socket's own error, not a stale one.
    SetEnvironmentVariable("DISPLAY", std::string(":4711"));
    errno = EPERM;
    const std::string refused = detail::WhyTheXDisplayCannotBeOpened();
    EXPECT_TRUE(refused == std::strerror(ECONNREFUSED) || refused == std::strerror(ENOENT)) << refused;
    // A socket path that leads nowhere leaves no error of the socket: the
    // connection ended as it began.
    SetEnvironmentVariable("DISPLAY", std::string("/nonexistent-folder/of-a-display:0"));
    errno = EPERM;
    const std::string ended = detail::WhyTheXDisplayCannotBeOpened();
    EXPECT_TRUE(ended == "the X server closed the connection at once" || ended == std::strerror(ENOENT)) << ended;

    // A display that serves: nothing to say, and the look leaves no
    // connection open behind it.
    XServer server;
    EXPECT_FALSE(server.NotInstalled()) << "Xvfb is not installed (tools/install-dependencies installs it)";
    EXPECT_FALSE(server.Name().empty()) << "Xvfb did not start";
    if (!server.Name().empty()) {
        SetEnvironmentVariable("DISPLAY", server.Name());
        auto openFiles = [] {
            const std::filesystem::directory_iterator files("/proc/self/fd");
            return std::distance(begin(files), end(files));
        };
        const auto before = openFiles();
        EXPECT_EQ(detail::WhyTheXDisplayCannotBeOpened(), "");
        EXPECT_EQ(openFiles(), before);
    }
    SetEnvironmentVariable("DISPLAY", display);
}

// The handler Xlib would call, as EndWhenTheDisplayGoes installs it in
// this process.
XIOErrorHandler InstalledHandler()
{
    detail::EndWhenTheDisplayGoes("x11");
    const XIOErrorHandler handler = XSetIOErrorHandler(nullptr);
    XSetIOErrorHandler(handler);
    return handler;
}

TEST(DisplayPresence, OnlyAnXDisplayIsWatchedAndItsLossEndsTheProgramNamingIt)
{
    XSetIOErrorHandler(nullptr);
    const XIOErrorHandler xlibs = XSetIOErrorHandler(nullptr);
    for (const char* driver : {static_cast<const char*>(nullptr), "wayland", "dummy", "x1"}) {
        detail::EndWhenTheDisplayGoes(driver);
        EXPECT_EQ(XSetIOErrorHandler(nullptr), xlibs) << (driver ? driver : "video not started");
    }
    ASSERT_NE(InstalledHandler(), xlibs);

    // What Xlib hands the handler: a connection whose name and descriptor
    // are all it reads (no descriptor: nothing tells that the server
    // closed it).
    std::remove_pointer_t<_XPrivDisplay> gone{};
    gone.display_name = const_cast<char*>(":7");
    gone.fd = -1;
    EXPECT_EXIT(InstalledHandler()(reinterpret_cast<Display*>(&gone)), ::testing::ExitedWithCode(1),
                "^The display :7 went away \\(the connection to it broke\\); the program ends\\.\n$");
    EXPECT_EXIT(InstalledHandler()(nullptr), ::testing::ExitedWithCode(1),
                "^The display  went away \\(the connection to it broke\\); the program ends\\.\n$");
    // A connection the server closed says so.
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    close(ends[1]);
    gone.fd = ends[0];
    EXPECT_EXIT(InstalledHandler()(reinterpret_cast<Display*>(&gone)), ::testing::ExitedWithCode(1),
                "^The display :7 went away \\(the X server closed the connection\\); the program ends\\.\n$");
    close(ends[0]);
}

// The loss met by a write (the game raising its window as SDL's box goes,
// with nothing read since): the write fails, so that Xlib meets the broken
// connection and hands it to the handler, which says it; the broken pipe's
// signal does not end the program first, without a word.
TEST(DisplayPresence, AWriteToAConnectionWhoseOtherEndWentFailsRatherThanEndingTheProgram)
{
    EXPECT_EXIT(
        {
            detail::EndWhenTheDisplayGoes("x11");
            int ends[2];
            if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
                _exit(3);
            close(ends[1]);
            const char request = 0;
            const bool failed = write(ends[0], &request, 1) == -1 && errno == EPIPE;
            _exit(failed ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "");
}

// SDL's own box runs in a process forked from the program, which keeps the
// program's handler and has a connection of its own: when the display goes,
// that process ends without a word, and the program says it once.
TEST(DisplayPresence, AProcessForkedFromTheProgramLeavesTheSayingToIt)
{
    std::remove_pointer_t<_XPrivDisplay> gone{};
    gone.display_name = const_cast<char*>(":7");
    gone.fd = -1;
    EXPECT_EXIT(
        {
            const XIOErrorHandler handler = InstalledHandler();
            const pid_t box = fork();
            if (box == 0)
                handler(reinterpret_cast<Display*>(&gone));
            int status = 0;
            waitpid(box, &status, 0);
            // The box's process ended as a lost display ends the program;
            // the program still had the word.
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 1)
                _exit(2);
            handler(reinterpret_cast<Display*>(&gone));
        },
        ::testing::ExitedWithCode(1),
        "^The display :7 went away \\(the connection to it broke\\); the program ends\\.\n$");
}

// While SDL's own box is up nothing reads the program's connection: a watch
// does, for its hang-up alone. On an X server of the test's own.
class WatchedConnection : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (server_.NotInstalled())
            FAIL() << "Xvfb is not installed (tools/install-dependencies installs it)";
        ASSERT_FALSE(server_.Name().empty()) << "Xvfb did not start";
    }
    // A connection with a window on it, as the game's.
    Display* OpenGame(Window* window)
    {
        Display* game = XOpenDisplay(server_.Name().c_str());
        if (game) {
            *window = XCreateSimpleWindow(game, DefaultRootWindow(game), 0, 0, 10, 10, 0, 0, 0);
            XSelectInput(game, *window, StructureNotifyMask);
            XSync(game, False);
        }
        return game;
    }
    XServer server_;
};

TEST_F(WatchedConnection, AForceQuitOfTheWindowEndsTheProgramSayingWhy)
{
    EXPECT_EXIT(
        {
            detail::EndWhenTheDisplayGoes("x11");
            Window window = 0;
            Display* game = OpenGame(&window);
            Display* manager = XOpenDisplay(server_.Name().c_str());
            if (!game || !manager)
                _exit(3);
            const detail::EndWhenTheConnectionCloses watch(game);
            // What xkill does: the server closes the connection that made
            // the window.
            XKillClient(manager, window);
            XSync(manager, False);
            // This thread never looks at the connection again: the watch
            // must end the program. A minute without it is a failure.
            for (int i = 0; i < 600; ++i)
                usleep(100 * 1000);
            _exit(2);
        },
        ::testing::ExitedWithCode(1),
        "^The display :[0-9]+ went away \\(the X server closed the connection\\); the program ends\\.\n$");
}

TEST_F(WatchedConnection, AConnectionThatStaysKeepsItsEventsForXlibAndTheWatchEndsWithItsScope)
{
    Window window = 0;
    Display* game = OpenGame(&window);
    Display* other = XOpenDisplay(server_.Name().c_str());
    ASSERT_TRUE(game && other);
    {
        const detail::EndWhenTheConnectionCloses watch(game);
        // Another client maps the game's window: the game's connection,
        // which nothing here reads or writes, gets the news under the
        // watch.
        XMapWindow(other, window);
        XFlush(other);
        pollfd news{ConnectionNumber(game), POLLIN, 0};
        ASSERT_EQ(poll(&news, 1, 60 * 1000), 1) << "the server never told the window's mapping";
    }
    XEvent event;
    EXPECT_TRUE(XCheckTypedWindowEvent(game, window, MapNotify, &event)) << "the watch took what Xlib was to read";
    XCloseDisplay(other);
    XCloseDisplay(game);
}

} // namespace
} // namespace platform
