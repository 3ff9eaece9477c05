// The application and the system's screensaver: the filter that ends the
// screensaver on the user's return (and not on a nudge), and the idle hold
// that lets the system's screensaver start beside a windowed game.
#include "framework/app/ScreenSaverWatch.h"

#include "tests/platform/window/WindowTestFixture.h"

using Zolt::ScreenSaverWatch;
namespace pw = platform;

namespace {

class ScreenSaverWatchTest : public pw::testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        window = MakeWindow();
        pw::SetCursorPos(300, 300);
        watch.Filter(window, pw::WM_CREATE, 0, window);
    }

    // The filter's verdict on a message to the main window.
    bool Swallows(pw::UINT message, pw::WPARAM wParam = 0) { return watch.Filter(window, message, wParam, window); }
    bool MoveTo(int x, int y)
    {
        pw::SetCursorPos(x, y);
        return Swallows(pw::WM_MOUSEMOVE);
    }
    bool ClosePosted()
    {
        pw::MSG msg{};
        return pw::PeekMessageA(&msg, window, pw::WM_CLOSE, pw::WM_CLOSE, pw::PM_REMOVE) != pw::FALSE;
    }

    pw::ManualClock clock_{5'000'000};
    pw::ScopedClock scopedClock_{clock_};
    ScreenSaverWatch watch;
    pw::HWND window = nullptr;
};

} // namespace

TEST_F(ScreenSaverWatchTest, ThreeNudgesAreSwallowedAndTheFourthMoveEndsIt)
{
    EXPECT_FALSE(MoveTo(300, 300)) << "no move at all";
    EXPECT_TRUE(MoveTo(301, 300));
    EXPECT_TRUE(MoveTo(302, 300));
    EXPECT_TRUE(MoveTo(303, 300));
    EXPECT_FALSE(ClosePosted());
    EXPECT_FALSE(MoveTo(310, 300));
    EXPECT_TRUE(watch.IsEnding());
    EXPECT_TRUE(ClosePosted());
    EXPECT_FALSE(MoveTo(400, 400)) << "once ending, everything passes";
}

TEST_F(ScreenSaverWatchTest, KeyButtonOrDeactivationEndsItButSwitchingCommandsAreSwallowed)
{
    EXPECT_TRUE(Swallows(pw::WM_SYSCOMMAND, pw::SC_NEXTWINDOW));
    EXPECT_TRUE(Swallows(pw::WM_SYSCOMMAND, pw::SC_SCREENSAVE | 0x2));
    EXPECT_FALSE(Swallows(pw::WM_SYSCOMMAND, pw::SC_MINIMIZE));
    EXPECT_FALSE(Swallows(pw::WM_ACTIVATEAPP, 1)) << "activation does not end it";
    EXPECT_FALSE(watch.IsEnding());
    EXPECT_FALSE(watch.Filter(nullptr, pw::WM_KEYDOWN, 'A', window)) << "another window's key";
    EXPECT_FALSE(watch.IsEnding());

    EXPECT_FALSE(Swallows(pw::WM_KEYDOWN, 'A')) << "the key itself is processed as usual";
    EXPECT_TRUE(watch.IsEnding());
    EXPECT_TRUE(ClosePosted());

    ScreenSaverWatch other;
    other.Filter(window, pw::WM_NCACTIVATE, 0, window);
    EXPECT_TRUE(other.IsEnding());
}

TEST_F(ScreenSaverWatchTest, MonitorPowerRequestHoldsOffTheEndForASecond)
{
    watch.NoteMonitorPower(pw::GetTickCount());
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(MoveTo(300 + 10 * i, 200)) << "moves are not even counted";
    Swallows(pw::WM_ACTIVATEAPP, 0);
    Swallows(pw::WM_CLOSE);
    EXPECT_FALSE(watch.IsEnding());
    Swallows(pw::WM_LBUTTONDOWN);
    EXPECT_TRUE(watch.IsEnding()) << "a click always ends it";

    ScreenSaverWatch later;
    later.NoteMonitorPower(pw::GetTickCount());
    clock_.AdvanceMilliseconds(1000);
    later.Filter(window, pw::WM_ACTIVATEAPP, 0, window);
    EXPECT_TRUE(later.IsEnding());
}

TEST_F(ScreenSaverWatchTest, IdleApplicationIsHeldSoTheScreensaverCanStartAndInputLiftsIt)
{
    pw::testing::SetScreenSaver(true, 60); // held after 58 s idle
    watch.NoteInput(1000);
    EXPECT_FALSE(watch.IdleCheck(1000 + 57999, nullptr));
    EXPECT_FALSE(watch.IsHolding());
    EXPECT_FALSE(watch.IdleCheck(1000 + 58000, nullptr));
    EXPECT_TRUE(watch.IsHolding());

    // Held while the system's screensaver runs, whatever the input says.
    pw::SystemParametersInfoA(pw::SPI_SETSCREENSAVERRUNNING, pw::TRUE, nullptr, 0);
    watch.NoteInput(60000);
    EXPECT_FALSE(watch.IdleCheck(60000, nullptr));
    EXPECT_TRUE(watch.IsHolding());
    pw::SystemParametersInfoA(pw::SPI_SETSCREENSAVERRUNNING, pw::FALSE, nullptr, 0);
    EXPECT_TRUE(watch.IdleCheck(60001, nullptr)) << "lifted: the caller repaints";
    EXPECT_FALSE(watch.IsHolding());

    // The system's own last-input time counts too, never later than now.
    const uint32_t systemInput = 200000;
    EXPECT_FALSE(watch.IdleCheck(150000, &systemInput));
    EXPECT_FALSE(watch.IsHolding());
}

TEST_F(ScreenSaverWatchTest, NoHoldWhileTheSystemHasNoScreensaverAndItsSettingsAreReadEveryTenSeconds)
{
    pw::testing::SetScreenSaver(false, 60);
    watch.NoteInput(0);
    EXPECT_FALSE(watch.IdleCheck(100000, nullptr));
    EXPECT_FALSE(watch.IsHolding());
    pw::testing::SetScreenSaver(true, 60);
    EXPECT_FALSE(watch.IdleCheck(105000, nullptr));
    EXPECT_FALSE(watch.IsHolding()) << "the change is not seen yet";
    watch.IdleCheck(110000, nullptr);
    EXPECT_TRUE(watch.IsHolding());

    EXPECT_TRUE(watch.TakeIdleCheckTurn(5000));
    EXPECT_FALSE(watch.TakeIdleCheckTurn(5999));
    EXPECT_TRUE(watch.TakeIdleCheckTurn(6000));
}
