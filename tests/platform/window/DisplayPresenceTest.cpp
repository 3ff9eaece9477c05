// Why the X display cannot be opened, as the start-up tells the player:
// displays that cannot be reached whatever the machine runs.
#include "platform/window/DisplayPresence.h"

#include "platform/core/Process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

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
    SetEnvironmentVariable("DISPLAY", display);
}

} // namespace
} // namespace platform
