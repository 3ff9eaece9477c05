#include "WindowTestFixture.h"

namespace platform::testing {
namespace {

using WindowState = WindowFixture;

TEST_F(WindowState, ShowingActivatesTheProgramAndEveryTopLevelWindowHearsIt)
{
    Register("InvisWindow", 0);
    HWND invisible = CreateWindowExA(0, "InvisWindow", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    HWND main = MakeWindow("MainWindow", CS_DBLCLKS, false);
    received().clear();
    ShowWindow(main, SW_SHOW);
    EXPECT_EQ(CountReceived(WM_ACTIVATEAPP, main), 1);
    EXPECT_EQ(CountReceived(WM_ACTIVATEAPP, invisible), 1);
    EXPECT_EQ(CountReceived(WM_SETFOCUS, main), 1);
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_EQ(GetFocus(), main);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(IsWindowVisible(invisible));
    EXPECT_EQ(NativeWindowId(invisible), 0u) << "a window never shown needs no system window";

    // The display attaches to a window before it is shown; showing it later
    // uses the same system window.
    Register("Windowed", 0);
    HWND windowed = CreateWindowExA(0, "Windowed", "", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    const uint32_t id = EnsureNativeWindow(windowed);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(WindowForNativeId(id), windowed);
    ShowWindow(windowed, SW_SHOW);
    EXPECT_EQ(NativeWindowId(windowed), id);
    EXPECT_EQ(NativeWindows().size(), 2u);
}

TEST_F(WindowState, LosingTheFocusDeactivatesAndRegainingItActivatesAgain)
{
    HWND w = MakeWindow();
    Pump();
    received().clear();
    InjectWindowEvent(w, InputEvent::Kind::FocusLost);
    Pump();
    ASSERT_EQ(CountReceived(WM_ACTIVATEAPP, w), 1);
    EXPECT_EQ(received().back().message, WM_ACTIVATEAPP);
    EXPECT_EQ(received().back().wParam, static_cast<WPARAM>(FALSE));
    EXPECT_EQ(CountReceived(WM_KILLFOCUS, w), 1);
    EXPECT_EQ(GetActiveWindow(), nullptr);

    received().clear();
    InjectWindowEvent(w, InputEvent::Kind::FocusGained);
    Pump();
    EXPECT_EQ(CountReceived(WM_ACTIVATEAPP, w), 1);
    EXPECT_EQ(GetForegroundWindow(), w);
}

TEST_F(WindowState, KeysHeldWhenTheFocusGoesAreForgotten)
{
    HWND w = MakeWindow();
    InjectKey(w, VK_LMENU, true);
    InjectWindowEvent(w, InputEvent::Kind::FocusLost);
    InjectWindowEvent(w, InputEvent::Kind::FocusGained);
    InjectKey(w, 'X', true);
    std::vector<MSG> keys = Only(Pump(), WM_KEYDOWN);
    ASSERT_EQ(keys.size(), 1u) << "Alt was released elsewhere: X is a plain key";
}

TEST_F(WindowState, ShowWithoutActivationLeavesTheActiveWindowAlone)
{
    HWND main = MakeWindow("A");
    Register("B", 0);
    HWND other = CreateWindowExA(0, "B", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(other, SW_SHOWNOACTIVATE);
    EXPECT_EQ(GetActiveWindow(), main);
    SetForegroundWindow(other);
    EXPECT_EQ(GetActiveWindow(), other);
    EXPECT_EQ(CountReceived(WM_KILLFOCUS, main), 1);
}

TEST_F(WindowState, MinimisingAndRestoringReportSizesAndShowStates)
{
    HWND w = MakeWindow();
    Pump();
    received().clear();
    InjectWindowEvent(w, InputEvent::Kind::Minimized);
    Pump();
    EXPECT_TRUE(IsIconic(w));
    ASSERT_EQ(CountReceived(WM_SIZE, w), 1);
    EXPECT_EQ(received().back().wParam, SIZE_MINIMIZED);
    WINDOWPLACEMENT placement{};
    ASSERT_TRUE(GetWindowPlacement(w, &placement));
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));

    received().clear();
    ShowWindow(w, SW_RESTORE);
    EXPECT_FALSE(IsIconic(w));
    ASSERT_EQ(CountReceived(WM_SIZE, w), 1);
    EXPECT_EQ(received().back().wParam, SIZE_RESTORED);
    GetWindowPlacement(w, &placement);
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(Only(Pump(), WM_PAINT).size(), 1u) << "restored windows are repainted";
}

TEST_F(WindowState, CaptionedWindowsKeepTheirClientSizeInsideTheFrame)
{
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT outer{0, 0, 1024, 768};
    ASSERT_TRUE(AdjustWindowRect(&outer, style, FALSE));
    EXPECT_LT(outer.left, 0);
    EXPECT_LT(outer.top, outer.left) << "the caption is above";
    Register("MainWindow", CS_DBLCLKS);
    HWND w = CreateWindowExA(0, "MainWindow", "", style, 64, 64, outer.right - outer.left, outer.bottom - outer.top,
                             nullptr, nullptr, nullptr, nullptr);
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 1024);
    EXPECT_EQ(client.bottom, 768);
    RECT window{};
    GetWindowRect(w, &window);
    EXPECT_EQ(window.left, 64);
    EXPECT_EQ(window.top, 64);
    POINT p{0, 0};
    ClientToScreen(w, &p);
    EXPECT_EQ(p.x, 64 - outer.left);
    EXPECT_EQ(p.y, 64 - outer.top);
    ScreenToClient(w, &p);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);

    received().clear();
    MoveWindow(w, 200, 100, window.right - window.left, window.bottom - window.top, FALSE);
    EXPECT_EQ(CountReceived(WM_MOVE, w), 1);
    EXPECT_EQ(CountReceived(WM_SIZE, w), 0) << "the size did not change";
    WINDOWPLACEMENT placement{};
    GetWindowPlacement(w, &placement);
    EXPECT_EQ(placement.rcNormalPosition.left, 200);
    EXPECT_EQ(placement.rcNormalPosition.top, 100);
}

TEST_F(WindowState, WindowFromPointFindsOnlyVisibleWindowsUnderAnUncoveredPointer)
{
    HWND w = MakeWindow();
    EXPECT_EQ(WindowFromPoint(POINT{100, 50}), w);
    EXPECT_EQ(WindowFromPoint(POINT{739, 529}), w);
    EXPECT_EQ(WindowFromPoint(POINT{740, 529}), nullptr);
    SetPointerOverWindow(false);
    EXPECT_EQ(WindowFromPoint(POINT{300, 300}), nullptr) << "another program's window covers ours";
    SetPointerOverWindow(true);
    ShowWindow(w, SW_HIDE);
    EXPECT_EQ(WindowFromPoint(POINT{300, 300}), nullptr);
}

TEST_F(WindowState, TheDesktopSetByATestIsWhatEveryoneMeasures)
{
    SetDesktopMode(DesktopMode{1024, 768, 16, 75});
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    EXPECT_EQ(GetDesktopMode().depth, 16);
    EXPECT_EQ(GetDesktopMode().refresh, 75);
    // A 1024 x 768 window does not fit this desktop's work area.
    EXPECT_LE(GetSystemMetrics(SM_CXFULLSCREEN), 1024);
    EXPECT_LT(GetSystemMetrics(SM_CYFULLSCREEN), 768);
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.right, 1024);
    SetWorkArea(RECT{0, 30, 1024, 768});
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(work.top, 30);
    EXPECT_EQ(GetSystemMetrics(SM_CYFULLSCREEN), 738 - kCaptionHeight);

    EXPECT_EQ(GetSystemMetrics(SM_TABLETPC), 0);
    SetTabletPc(true);
    EXPECT_NE(GetSystemMetrics(SM_TABLETPC), 0);
    BOOL active = TRUE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    EXPECT_EQ(active, FALSE);
}

TEST_F(WindowState, AMovedOrResizedSystemWindowTellsTheProgram)
{
    HWND w = MakeWindow();
    Pump();
    received().clear();
    InjectWindowEvent(w, InputEvent::Kind::Moved, 300, 200);
    InjectWindowEvent(w, InputEvent::Kind::Resized, 800, 600);
    Pump();
    EXPECT_EQ(CountReceived(WM_MOVE, w), 1);
    EXPECT_EQ(CountReceived(WM_SIZE, w), 1);
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 800);
    POINT p{0, 0};
    ClientToScreen(w, &p);
    EXPECT_EQ(p.x, 300);
}

TEST_F(WindowState, DisablingAWindowTellsIt)
{
    HWND w = MakeWindow();
    EXPECT_FALSE(EnableWindow(w, FALSE));
    EXPECT_EQ(CountReceived(WM_ENABLE, w), 1);
    EXPECT_FALSE(IsWindowEnabled(w));
    EXPECT_TRUE(EnableWindow(w, TRUE)) << "it was disabled";
}

} // namespace
} // namespace platform::testing

#include "platform/core/ModuleRegistry.h"
#include "platform/window/User32Module.h"

namespace platform::testing {
namespace {

TEST_F(WindowState, TheLastInputTimeIsTheTickOfTheLatestKeyOrMouseInput)
{
    ManualClock clock(1'000'000);
    ScopedClock scoped(clock);
    HWND w = MakeWindow();
    clock.AdvanceMilliseconds(5000);
    InjectMouseMove(w, 3, 3);
    Pump();
    clock.AdvanceMilliseconds(700);
    RegisterUser32Module();
    HMODULE user32 = LoadModule("USER32.DLL");
    ASSERT_NE(user32, nullptr);
    auto lastInput = GetEntryAs<BOOL (*)(LASTINPUTINFO*)>(user32, "GetLastInputInfo");
    ASSERT_NE(lastInput, nullptr);
    LASTINPUTINFO info{sizeof(LASTINPUTINFO), 0};
    ASSERT_TRUE(lastInput(&info));
    EXPECT_EQ(GetTickCount() - info.dwTime, 700u);
    FreeModule(user32);
}

} // namespace
} // namespace platform::testing
