// The real back end, under SDL's dummy video driver: it must start, make a
// window and pump events without a display.
#include "WindowTestFixture.h"

#include "platform/core/Process.h"
#include "platform/window/Cursor.h"

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

} // namespace
} // namespace platform::testing
