// Full screen as a player meets it on a monitor larger than the picture:
// switched on from the options, the picture fills the monitor keeping its
// shape, and every click lands where the screen shows the button; back in a
// window and across a restart in full screen.
//
// On the real back end (tests/ui/full_screen_walks.sh: a virtual X server of
// a given size, with or without a window manager) the walk looks at the X
// server's own screen, finds each button there by its pixels, and clicks it
// with the X server's pointer, so the click takes the whole way a player's
// does. Headless, it clicks the monitor's pixel the window service says
// shows the button, computed here on its own.
#include "game/shell/GameImpl.h"
#include "game/shell/Options.h"
#include "game/table/TableScreen.h"
#include "kernel/MainApp.h"
#include "platform/core/FileSystem.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/window/Desktop.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/FullScreenWindow.h"
#include "platform/window/Window.h"
#include "platform/window/WindowTesting.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PlayedTable.h"
#include "tests/support/ScriptedPlayer.h"
#include "tests/support/WalkMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

namespace {

using namespace walk::sights;
using walk::Caption;
using walk::ScriptedPlayer;
using walk::Seen;
using walk::Sight;

// What the X server shows, as 0x00RRGGBB.
struct XScreen {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// The shell command that takes the whole X screen into `dump` and converts
// it as `converted` says. xwd looks at every window as it takes the screen,
// and gives up when one goes meanwhile (a frame taken down, a window
// replaced by its full-screen one): it tries again.
std::string XScreenCommand(const std::string& dump, const std::string& converted)
{
    return "for try in 1 2 3 4 5 6 7 8 9 10; do xwd -root -silent >'" + dump +
           "' 2>/dev/null && break; sleep 0.05; done; convert xwd:'" + dump + "' " + converted +
           "; status=$?; rm -f '" + dump + "'; exit $status";
}

// `dump`: a file the screen may be taken into on the way.
XScreen GrabXScreen(const std::string& dump)
{
    XScreen screen;
    FILE* pipe = popen(XScreenCommand(dump, "-depth 8 ppm:-").c_str(), "r");
    if (!pipe)
        return screen;
    // The header's numbers, past the comment lines convert writes there.
    auto number = [&] {
        int c = std::fgetc(pipe);
        while (c == '#' || std::isspace(c)) {
            if (c == '#')
                while (c != '\n' && c != EOF)
                    c = std::fgetc(pipe);
            c = std::fgetc(pipe);
        }
        int value = 0;
        for (; std::isdigit(c); c = std::fgetc(pipe))
            value = value * 10 + (c - '0');
        return value;
    };
    const bool p6 = std::fgetc(pipe) == 'P' && std::fgetc(pipe) == '6';
    screen.width = number();
    screen.height = number();
    if (p6 && number() == 255 && screen.width > 0 && screen.height > 0) {
        std::vector<unsigned char> rgb(size_t(screen.width) * size_t(screen.height) * 3);
        if (std::fread(rgb.data(), 1, rgb.size(), pipe) == rgb.size()) {
            screen.pixels.resize(rgb.size() / 3);
            for (size_t i = 0; i < screen.pixels.size(); ++i)
                screen.pixels[i] = uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
        }
    }
    pclose(pipe);
    return screen;
}

bool Near(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 24)
            return false;
    return true;
}

class FullScreenWalker {
public:
    explicit FullScreenWalker(ScriptedPlayer& player) : player_(player)
    {
        const char* wm = std::getenv("PELLUCOR_WALK_WINDOW_MANAGER");
        const platform::DesktopMode desktop = platform::GetDesktopMode();
        folder_ = walk::WalkMachine::BuildFolder() + "/tests/walk/full-screen/" + std::to_string(desktop.width) +
                  "x" + std::to_string(desktop.height) + (wm && *wm ? "-" + std::string(wm) : "-no-wm");
        if (player.GetBackend() == ScriptedPlayer::Backend::Sdl)
            platform::MakeDirectories(folder_);
    }

    // A screenshot of the whole X screen, as it is once the program has
    // shown the scene (real back end only).
    void Shot(const std::string& name)
    {
        player_.FreshPicture();
        if (player_.GetBackend() != ScriptedPlayer::Backend::Sdl)
            return;
        char number[16];
        // Numbered on across the restarts of one walk.
        static int shots = 0;
        std::snprintf(number, sizeof number, "%02d-", ++shots);
        std::string file = number + name + ".png";
        std::replace(file.begin(), file.end(), ' ', '-');
        const std::string command = XScreenCommand(DumpFile(), "'" + folder_ + "/" + file + "'");
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }

    // Clicks `sight` where the screen shows it; false (and the test fails)
    // when it is not to be seen there.
    bool Click(const Sight& sight)
    {
        const std::optional<Seen> seen = player_.Find(sight);
        if (!seen) {
            ADD_FAILURE() << sight.Describe() << " is not on the screen:\n" << walk::DescribeScreen();
            return false;
        }
        if (player_.GetBackend() == ScriptedPlayer::Backend::Sdl)
            return ClickOnXScreen(*seen, sight.Describe());
        return ClickOnMonitor(*seen);
    }

    // The picture as it is with the pointer off every button (near the top
    // left corner of the picture, where none is), once the program has
    // taken the pointer's move there.
    ScriptedPlayer::Picture PictureUntouched()
    {
        if (player_.GetBackend() == ScriptedPlayer::Backend::Sdl) {
            const platform::HWND window = player_.App().GetMainWindow();
            platform::POINT corner{kCorner, kCorner};
            platform::ClientToScreen(window, &corner);
            platform::testing::MessageLog log;
            platform::SetCursorPos(corner.x, corner.y);
            EXPECT_TRUE(player_.WaitUntil(
                [&] {
                    const auto moves = log.Filter(platform::testing::MessageLog::Route::Dispatched,
                                                  platform::WM_MOUSEMOVE);
                    return !moves.empty() && std::abs(platform::GET_X_LPARAM(moves.back().lParam) - kCorner) <= 1 &&
                           std::abs(platform::GET_Y_LPARAM(moves.back().lParam) - kCorner) <= 1 && InputTaken();
                },
                ScriptedPlayer::kPromptMs, "the pointer to leave every button"));
        }
        return player_.FreshPicture();
    }

private:
    // The monitor's pixel under the centre of the button's middle pixel,
    // from where the window service says the picture is shown.
    bool ClickOnMonitor(const Seen& seen)
    {
        const platform::HWND window = player_.App().GetMainWindow();
        const std::optional<platform::ScreenScaling> scaling = platform::ScalingOf(window);
        if (!scaling) {
            player_.ClickAt(seen.CentreX(), seen.CentreY(), seen.Describe());
            return true;
        }
        const platform::RECT& shown = scaling->shown;
        const int x = shown.left + (2 * seen.CentreX() + 1) * (shown.right - shown.left) / (2 * scaling->width);
        const int y = shown.top + (2 * seen.CentreY() + 1) * (shown.bottom - shown.top) / (2 * scaling->height);
        for (const platform::InputEvent::Kind kind :
             {platform::InputEvent::Kind::MouseMove, platform::InputEvent::Kind::MouseDown,
              platform::InputEvent::Kind::MouseUp}) {
            platform::InputEvent e;
            e.kind = kind;
            e.window = platform::NativeWindowId(window);
            e.x = x;
            e.y = y;
            e.button = 1;
            platform::testing::InjectInput(e);
            player_.Wait(50);
        }
        return true;
    }

    // Where the X screen shows the middle of the button, if it does: with
    // the picture filling the screen (centred, keeping its shape), or, in a
    // window, at its own size wherever the button's own pixels are found.
    // Either is taken only when the screen shows the button's pixels there.
    // (A scaled pixel may show either neighbour of the picture pixel under
    // its centre.)
    struct XPoint {
        int x = 0;
        int y = 0;
    };
    std::optional<XPoint> WhereXScreenShows(const Seen& seen)
    {
        const auto frame = player_.FreshPicture();
        const XScreen screen = GrabXScreen(DumpFile());
        if (frame.width <= 0 || screen.width <= 0)
            return std::nullopt;
        auto pictureAt = [&](int x, int y) {
            x = std::clamp(x, 0, frame.width - 1);
            y = std::clamp(y, 0, frame.height - 1);
            return frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)] & 0xFFFFFFu;
        };
        const int left = seen.area.x + 2;
        const int top = seen.area.y + 2;
        const int w = seen.area.w - 4;
        const int h = seen.area.h - 4;
        // The share of the button's pixels the screen shows at (ox, oy) at
        // this scale.
        auto shows = [&](double ox, double oy, double scale, int allowed) {
            const int near = scale == 1.0 ? 0 : 1;
            const int sw = int(w * scale);
            const int sh = int(h * scale);
            const int sx0 = int(ox + left * scale);
            const int sy0 = int(oy + top * scale);
            if (sx0 < 0 || sy0 < 0 || sx0 + sw > screen.width || sy0 + sh > screen.height)
                return false;
            int misses = 0;
            for (int y = 0; y < sh && misses <= allowed; ++y)
                for (int x = 0; x < sw && misses <= allowed; ++x) {
                    const uint32_t shown = screen.At(sx0 + x, sy0 + y);
                    const int px = left + int((x + 0.5) / scale);
                    const int py = top + int((y + 0.5) / scale);
                    bool found = false;
                    for (int dy = -near; dy <= near && !found; ++dy)
                        for (int dx = -near; dx <= near && !found; ++dx)
                            found = Near(shown, pictureAt(px + dx, py + dy));
                    misses += !found;
                }
            return misses <= allowed;
        };
        auto at = [&](double ox, double oy, double scale) {
            return XPoint{int(ox + (seen.CentreX() + 0.5) * scale), int(oy + (seen.CentreY() + 0.5) * scale)};
        };
        const double fill = std::min(double(screen.width) / frame.width, double(screen.height) / frame.height);
        const double ox = (screen.width - frame.width * fill) / 2;
        const double oy = (screen.height - frame.height * fill) / 2;
        if (shows(ox, oy, fill, int(w * fill * h * fill) / 10))
            return at(ox, oy, fill);
        for (int y = 0; y + frame.height <= screen.height + 64; ++y)
            for (int x = 0; x + frame.width <= screen.width + 64; ++x)
                if (shows(x, y, 1.0, w * h / 20))
                    return at(x, y, 1.0);
        return std::nullopt;
    }

    // Clicks with the X server's pointer where the X screen shows the
    // button, and waits until the program has taken the click. The X
    // screen may lag behind the program's picture (a window manager still
    // placing a window that changed its mode): it is looked at again until
    // it shows the button.
    bool ClickOnXScreen(const Seen& seen, const std::string& what)
    {
        std::optional<XPoint> at;
        if (!player_.WaitUntil([&] { return (at = WhereXScreenShows(seen)).has_value(); }, ScriptedPlayer::kPromptMs,
                               what + " on the X screen"))
            return false;
        platform::testing::MessageLog log;
        const std::string command =
            "xdotool mousemove --sync " + std::to_string(at->x) + " " + std::to_string(at->y) + " click 1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        // (A click that closes the program is taken once it has ended.)
        return player_.WaitUntil(
            [&] {
                return !player_.IsRunning() ||
                       (!log.Filter(platform::testing::MessageLog::Route::Dispatched, platform::WM_LBUTTONUP).empty() &&
                        InputTaken());
            },
            ScriptedPlayer::kPromptMs, "the program to take the click on " + what);
    }

    bool InputTaken() const { return player_.App().QueuedInputCount() == 0; }

    // Client pixels from the picture's top left corner that no button
    // covers, on every screen the walk goes through.
    static constexpr int kCorner = 2;

    ScriptedPlayer& player_;
    // Where the X screen is taken on the way to a picture: this process's
    // own file (walks of the same screen may run at once).
    std::string DumpFile() const { return folder_ + "/screen-" + std::to_string(::getpid()) + ".xwd"; }

    std::string folder_;
};

// Where the window is on the monitor.
platform::RECT WindowPlace(ScriptedPlayer& player)
{
    platform::RECT place{};
    platform::GetWindowRect(player.App().GetMainWindow(), &place);
    return place;
}

// Back in a window, it comes back where it was before full screen, however
// often it went there: a window manager's frame put round it again must not
// push it down and right by the frame's size each time.
bool BackInItsPlace(ScriptedPlayer& player, const platform::RECT& was)
{
    return player.WaitUntil(
        [&] {
            const platform::RECT now = WindowPlace(player);
            return now.left == was.left && now.top == was.top && now.right == was.right && now.bottom == was.bottom;
        },
        ScriptedPlayer::kPromptMs, "the window in its place");
}

// Waits for the display mode asked for, and for its picture on the screen.
bool WaitForMode(ScriptedPlayer& player, bool fullScreen)
{
    return player.WaitUntil(
        [&] {
            return player.App().isWindowed != fullScreen &&
                   platform::ScalingOf(player.App().GetMainWindow()).has_value() == fullScreen;
        },
        ScriptedPlayer::kPromptMs, fullScreen ? "full screen" : "a window");
}

} // namespace

TEST(FullScreenWalk, OptionsClickedWhereTheScreenShowsThemInAndOutOfFullScreenAndAcrossARestart)
{
    ScriptedPlayer player;
    Profile ann = walk::KnownPlayer("Ann");
    walk::PutProfile(player, ann);
    player.Launch();
    FullScreenWalker walker(player);
    ASSERT_TRUE(player.WaitToSee(kOptionsButton));
    walker.Shot("start in a window");
    const platform::RECT place = WindowPlace(player);

    // Full screen from the options.
    ASSERT_TRUE(walker.Click(kOptionsButton));
    ASSERT_TRUE(player.WaitToSee(kOptionsDialog));
    ASSERT_TRUE(walker.Click(kToFullScreen));
    ASSERT_TRUE(WaitForMode(player, true));
    ASSERT_TRUE(player.WaitToSee(kToWindow));
    walker.Shot("full screen with the options");
    ASSERT_TRUE(walker.Click(kOptionsOk));
    ASSERT_TRUE(player.WaitUntil([&] { return !player.Sees(kOptionsDialog); }, ScriptedPlayer::kPromptMs,
                                 "the options to close"));
    walker.Shot("full screen start");

    // In full screen the Options button is where the screen shows it, and a
    // value changes by a click on its plus.
    ASSERT_TRUE(walker.Click(kOptionsButton));
    ASSERT_TRUE(player.WaitToSee(kOptionsDialog));
    // (The topmost plus is the speed's.)
    ASSERT_TRUE(player.Sees(Caption("6")));
    ASSERT_TRUE(walker.Click(kPlus));
    EXPECT_TRUE(player.WaitToSee(Caption("7")));
    walker.Shot("full screen options changed");

    // Back to a window, the dialog still open.
    ASSERT_TRUE(walker.Click(kToWindow));
    ASSERT_TRUE(WaitForMode(player, false));
    ASSERT_TRUE(player.WaitToSee(kToFullScreen));
    EXPECT_TRUE(BackInItsPlace(player, place));
    walker.Shot("back in a window");
    // And to full screen again, kept for the next start.
    ASSERT_TRUE(walker.Click(kToFullScreen));
    ASSERT_TRUE(WaitForMode(player, true));
    ASSERT_TRUE(walker.Click(kOptionsOk));
    ASSERT_TRUE(player.WaitUntil([&] { return !player.Sees(kOptionsDialog); }, ScriptedPlayer::kPromptMs,
                                 "the options to close"));
    ASSERT_TRUE(walker.Click(kCloseButton));
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\FullScreen"), 1u);

    // Started again in full screen: the Options button works at once and
    // leads back to a window.
    player.Relaunch();
    FullScreenWalker again(player);
    ASSERT_TRUE(player.WaitToSee(kOptionsButton));
    ASSERT_TRUE(WaitForMode(player, true));
    again.Shot("restarted in full screen");
    ASSERT_TRUE(again.Click(kOptionsButton));
    ASSERT_TRUE(player.WaitToSee(kOptionsDialog));
    EXPECT_TRUE(player.Sees(Caption("7")));
    ASSERT_TRUE(again.Click(kToWindow));
    ASSERT_TRUE(WaitForMode(player, false));
    again.Shot("restarted and back in a window");
    ASSERT_TRUE(again.Click(kOptionsOk));
    player.CloseWindow();
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\FullScreen"), 0u);
}

TEST(FullScreenWalk, SwitchingBackAndForthKeepsThePictureWholeAndHoldsNoMoreSurfaces)
{
    ScriptedPlayer player;
    Profile ann = walk::KnownPlayer("Ann");
    walk::PlayedTable::ChooseCashTable(ann, kGameLimit, 4);
    walk::PutProfile(player, ann);
    player.WriteRegistryNumber("Options\\Speed", 10);
    player.Launch();
    FullScreenWalker walker(player);
    ASSERT_TRUE(player.WaitToSee(kOptionsButton));
    ASSERT_TRUE(walker.Click(kOptionsButton));
    ASSERT_TRUE(player.WaitToSee(kOptionsDialog));
    const platform::RECT place = WindowPlace(player);

    // Each round trip leaves the same picture and the same surfaces as the
    // first one did, the dialog open throughout.
    auto roundTrip = [&] {
        EXPECT_TRUE(walker.Click(kToFullScreen));
        EXPECT_TRUE(WaitForMode(player, true));
        EXPECT_TRUE(player.WaitToSee(kToWindow));
        const ScriptedPlayer::Picture full = walker.PictureUntouched();
        EXPECT_EQ(full.width, 1024);
        EXPECT_EQ(full.height, 768);
        EXPECT_TRUE(walker.Click(kToWindow));
        EXPECT_TRUE(WaitForMode(player, false));
        EXPECT_TRUE(player.WaitToSee(kToFullScreen));
        EXPECT_TRUE(BackInItsPlace(player, place));
        return std::make_pair(full.pixels, walker.PictureUntouched().pixels);
    };
    const auto first = roundTrip();
    walker.Shot("after a round trip with the options open");
    const size_t surfaces = platform::ddraw::testing::LiveSurfaceCount();
    for (int i = 0; i < 5; ++i) {
        const auto again = roundTrip();
        EXPECT_TRUE(again.first == first.first) << "round trip " << i << " in full screen";
        EXPECT_TRUE(again.second == first.second) << "round trip " << i << " in a window";
    }
    EXPECT_EQ(platform::ddraw::testing::LiveSurfaceCount(), surfaces);
    ASSERT_TRUE(walker.Click(kOptionsOk));

    // At the table, with its menu and the options above it.
    walk::PlayedTable table(player);
    table.SitDown();
    table.Table().OnMouseUp(table.Table().Screen()->MenuButtonId(), 1);
    ASSERT_TRUE(player.WaitToSee(kMenu));
    ASSERT_TRUE(walker.Click(kMenuOptions));
    ASSERT_TRUE(player.WaitToSee(kOptionsDialog));
    ASSERT_TRUE(walker.Click(kToFullScreen));
    ASSERT_TRUE(WaitForMode(player, true));
    walker.Shot("the table in full screen with the options");
    ASSERT_TRUE(walker.Click(kToWindow));
    ASSERT_TRUE(WaitForMode(player, false));
    EXPECT_TRUE(BackInItsPlace(player, place));
    walker.Shot("the table back in a window");
    const auto atTable = roundTrip();
    for (int i = 0; i < 3; ++i) {
        const auto again = roundTrip();
        EXPECT_TRUE(again.first == atTable.first) << "round trip " << i << " at the table, in full screen";
        EXPECT_TRUE(again.second == atTable.second) << "round trip " << i << " at the table, in a window";
    }
    EXPECT_EQ(platform::ddraw::testing::LiveSurfaceCount(), surfaces);
    player.CloseWindow();
    if (player.WaitToSee(kExitQuestion))
        player.Press(platform::VK_RETURN);
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
}

// A screen too small for the window (1366 x 768: the window and its frame
// are taller than the screen): the game covers it, though the option still
// asks for a window. The start screen offers its close button, the only way
// out where no window manager draws a frame, and the options offer no window.
TEST(FullScreenWalk, AScreenThatCannotHoldTheWindowOffersTheStartScreensCloseButton)
{
    ScriptedPlayer player;
    if (player.GetBackend() == ScriptedPlayer::Backend::Headless)
        platform::testing::SetDesktopMode(platform::DesktopMode{1366, 768, 32, 60});
    Profile ann = walk::KnownPlayer("Ann");
    walk::PutProfile(player, ann);
    player.Launch();
    ASSERT_TRUE(player.WaitToSee(kOptionsButton));
    if (!player.App().IsWindowedRefused()) {
        player.CloseWindow();
        ASSERT_TRUE(player.WaitForExit());
        EXPECT_EQ(player.Finish(), 0);
        GTEST_SKIP() << "this screen holds the window";
    }
    FullScreenWalker walker(player);
    ASSERT_TRUE(WaitForMode(player, true));
    ASSERT_TRUE(player.WaitToSee(kCloseButton));
    walker.Shot("start screen on a screen too small for the window");

    ASSERT_TRUE(walker.Click(kOptionsButton));
    ASSERT_TRUE(player.WaitToSee(kOptionsDialog));
    const std::optional<walk::Seen> toWindow = player.Find(kToWindow);
    ASSERT_TRUE(toWindow.has_value()) << "the display row shows full screen";
    EXPECT_FALSE(toWindow->enabled) << "a window the screen cannot hold is offered";
    EXPECT_FALSE(player.Sees(kToFullScreen));
    walker.Shot("options offer no window");
    ASSERT_TRUE(walker.Click(kOptionsOk));
    ASSERT_TRUE(player.WaitUntil([&] { return !player.Sees(kOptionsDialog); }, ScriptedPlayer::kPromptMs,
                                 "the options to close"));

    ASSERT_TRUE(player.WaitToSee(kCloseButton));
    ASSERT_TRUE(walker.Click(kCloseButton));
    ASSERT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(player.ReadRegistryNumber("Options\\FullScreen"), 0u) << "the choice of a window is kept";
}
