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
#include <type_traits>

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
    if (!server.NotInstalled()) {
        ASSERT_FALSE(server.Name().empty()) << "Xvfb did not start";
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

TEST(DisplayPresence, OnlyAnXDisplayIsWatchedAndItsLossEndsTheProgramNamingIt)
{
    XSetIOErrorHandler(nullptr);
    const XIOErrorHandler xlibs = XSetIOErrorHandler(nullptr);
    for (const char* driver : {static_cast<const char*>(nullptr), "wayland", "dummy", "x1"}) {
        detail::EndWhenTheDisplayGoes(driver);
        EXPECT_EQ(XSetIOErrorHandler(nullptr), xlibs) << (driver ? driver : "video not started");
    }
    detail::EndWhenTheDisplayGoes("x11");
    const XIOErrorHandler watch = XSetIOErrorHandler(nullptr);
    ASSERT_NE(watch, xlibs);

    // What Xlib hands the handler: a connection whose name is all it reads.
    std::remove_pointer_t<_XPrivDisplay> gone{};
    gone.display_name = const_cast<char*>(":7");
    EXPECT_EXIT(watch(reinterpret_cast<Display*>(&gone)), ::testing::ExitedWithCode(1),
                "^The display :7 went away; the program ends\\.\n$");
    EXPECT_EXIT(watch(nullptr), ::testing::ExitedWithCode(1), "^The display  went away; the program ends\\.\n$");
}

} // namespace
} // namespace platform
