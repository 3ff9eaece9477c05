// The real back end, under SDL's dummy video driver: it must start, make a
// window and pump events without a display.
#include "WindowTestFixture.h"

#include "platform/core/Process.h"
#include "platform/window/Cursor.h"
#include "platform/window/SdlBackend.h"

namespace platform::testing {
namespace {

class SdlBackendDummy : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        SetEnvironmentVariable("SDL_VIDEODRIVER", std::string("dummy"));
        UseHeadlessBackend(false);
    }
    void TearDown() override
    {
        WindowFixture::TearDown();
        UseHeadlessBackend(true);
    }
};

TEST_F(SdlBackendDummy, StartsMakesAWindowAndPumps)
{
    HWND w = MakeWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_NE(NativeWindowId(w), 0u);
    InjectKey(w, 'A', true);
    std::vector<MSG> keys = Only(Pump(), WM_KEYDOWN);
    EXPECT_EQ(keys.size(), 1u) << "injected input still arrives through the real back end";
    const DesktopMode mode = GetDesktopMode();
    EXPECT_GT(mode.width, 0);
    SetWindowTextA(w, "Pellucor \xE9");
    MoveWindow(w, 10, 10, 320, 240, TRUE);
    ShowWindow(w, SW_MINIMIZE);
    ShowWindow(w, SW_RESTORE);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    ShowCursor(FALSE);
    Pump();
    EXPECT_TRUE(DestroyWindow(w));
}

TEST(SdlBackend, ADriverThatShowsNothingServesOnlyWhenAskedForByName)
{
    // No display to reach: SDL falls back to its window-less driver, which
    // would let the program run unseen.
    const std::optional<std::string> display = GetEnvironmentVariable("DISPLAY");
    const std::optional<std::string> driver = GetEnvironmentVariable("SDL_VIDEODRIVER");
    SetEnvironmentVariable("DISPLAY", std::nullopt);
    SetEnvironmentVariable("SDL_VIDEODRIVER", std::string("x11,offscreen"));
    std::string error;
    EXPECT_FALSE(SdlBackend::Open(&error));
    EXPECT_EQ(error, "no display: DISPLAY is not set");
    SetEnvironmentVariable("SDL_VIDEODRIVER", std::string("offscreen"));
    EXPECT_TRUE(SdlBackend::Open(&error));
    SetEnvironmentVariable("DISPLAY", display);
    SetEnvironmentVariable("SDL_VIDEODRIVER", driver);
}

} // namespace
} // namespace platform::testing
