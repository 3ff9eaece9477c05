// Input from the window service to the widgets: the queue's rules, click
// codes and capture, keys and system keys, characters, the wheel, focus and
// developer keys.
#include "tests/framework/app/AppTestSupport.h"

#include "platform/window/VirtualKeys.h"
#include "tests/support/WidgetDoubles.h"

#include <algorithm>

using namespace apptest;
using platform::HWND;
using widget_testing::ProbeWidget;

namespace {

class InputTest : public AppTest {
protected:
    void SetUp() override
    {
        StartApp();
        RunFor(50);
        probe_ = std::make_unique<ProbeWidget>("w", &log_);
        probe_->SetBounds(0, 0, 640, 480);
        app->GetWidgetManager()->AddChild(probe_.get());
        log_.clear();
    }
    void TearDown() override
    {
        if (app && app->GetWidgetManager())
            app->GetWidgetManager()->RemoveChild(probe_.get());
    }

    HWND Window() const { return app->GetMainWindow(); }
    bool Logged(const std::string& event) const
    {
        return std::find(log_.begin(), log_.end(), event) != log_.end();
    }
    // The events of the kinds given, in order.
    std::vector<std::string> Events(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& e : log_)
            if (e.rfind(prefix, 0) == 0)
                out.push_back(e);
        return out;
    }

    std::vector<std::string> log_;
    std::unique_ptr<ProbeWidget> probe_;
};

} // namespace

TEST_F(InputTest, ClicksArriveWithTheirClickCodesAtTheMappedPosition)
{
    platform::testing::InjectMouseButton(Window(), 1, true, 100, 50);
    platform::testing::InjectMouseButton(Window(), 1, false, 100, 50);
    platform::testing::InjectMouseButton(Window(), 1, true, 100, 50); // second press: a double click
    platform::testing::InjectMouseButton(Window(), 1, false, 100, 50);
    platform::testing::InjectMouseButton(Window(), 3, true, 120, 60);
    platform::testing::InjectMouseButton(Window(), 3, false, 120, 60);
    Pump(40);
    EXPECT_EQ(Events("w:down"), (std::vector<std::string>{"w:down 100,50 1", "w:down 100,50 2", "w:down 120,60 -1"}));
    EXPECT_EQ(Events("w:up"), (std::vector<std::string>{"w:up 100,50 1", "w:up 100,50 1", "w:up 120,60 -1"}));
    EXPECT_TRUE(app->IsMouseInWindow());
}

TEST_F(InputTest, ReleasingLeftWhileRightIsHeldKeepsTheCapture)
{
    platform::testing::InjectMouseButton(Window(), 1, true, 10, 10);
    platform::testing::InjectMouseButton(Window(), 3, true, 10, 10);
    platform::testing::InjectMouseButton(Window(), 1, false, 10, 10);
    Pump(30);
    EXPECT_EQ(platform::GetCapture(), Window());
    // Dragged out of the window, the position stays signed.
    platform::testing::InjectMouseMove(Window(), -15, -7);
    Pump(10);
    EXPECT_TRUE(Logged("w:drag -15,-7"));
    platform::testing::InjectMouseButton(Window(), 3, false, 10, 10);
    Pump(20);
    EXPECT_EQ(platform::GetCapture(), nullptr);
}

TEST_F(InputTest, TabMovesTheFocusToTheNextWidget)
{
    ProbeWidget next("n", &log_);
    next.SetBounds(0, 0, 10, 10);
    app->GetWidgetManager()->AddChild(&next);
    probe_->SetTabNext(&next);
    app->GetWidgetManager()->GiveFocus(probe_.get());
    platform::testing::InjectKey(Window(), platform::VK_TAB, true);
    Pump(10);
    EXPECT_EQ(app->GetWidgetManager()->GetFocusWidget(), &next);
    app->GetWidgetManager()->RemoveChild(&next);
}

TEST_F(InputTest, CloseEndsTheRunAndKeysSentAfterItNeverArrive)
{
    for (int i = 0; i < 3; ++i)
        platform::SendMessageA(Window(), platform::WM_TIMER, 100, 0);
    EXPECT_EQ(app->QueuedInputCount(), 1u) << "the window procedure queues through the queue's rules";
    platform::SendMessageA(Window(), platform::WM_CLOSE, 0, 0);
    platform::SendMessageA(Window(), platform::WM_KEYDOWN, 'A', 0);
    Pump(10);
    EXPECT_TRUE(app->IsQuitting());
    EXPECT_FALSE(Logged("w:keydown 65"));
}

TEST_F(InputTest, NothingMadeUnderABoxReachesTheWidgetsOrClosesTheProgramAfterIt)
{
    platform::testing::WhileTheNextBoxIsUp([&] {
        platform::testing::InjectMouseButton(Window(), 1, true, 100, 50);
        platform::testing::InjectMouseButton(Window(), 1, false, 100, 50);
        platform::testing::InjectKey(Window(), platform::VK_RETURN, true);
        platform::testing::InjectKey(Window(), platform::VK_RETURN, false);
        platform::testing::InjectWindowEvent(Window(), platform::InputEvent::Kind::CloseRequested);
    });
    app->ShowMessageBox("The settings could not be kept as they should be.", "Settings",
                        platform::MB_OK | platform::MB_ICONWARNING);
    Pump(40);
    EXPECT_TRUE(Events("w:down").empty());
    EXPECT_TRUE(Events("w:key").empty());
    EXPECT_FALSE(app->IsQuitting()) << "the close clicked under the box";
    EXPECT_TRUE(app->IsMainWindowEnabled());

    // The game takes input again once the box is answered.
    platform::testing::InjectMouseButton(Window(), 1, true, 100, 50);
    Pump(10);
    EXPECT_EQ(Events("w:down"), std::vector<std::string>{"w:down 100,50 1"});
}

TEST_F(InputTest, AltCombinationsAreSwallowedButAltF4ClosesTheWindow)
{
    EXPECT_EQ(platform::SendMessageA(Window(), platform::WM_SYSKEYDOWN, 'X', 0), 0);
    Pump(5);
    EXPECT_FALSE(app->IsQuitting());
    platform::SendMessageA(Window(), platform::WM_SYSKEYDOWN, platform::VK_F4, platform::LPARAM(1) << 29);
    Pump(10);
    EXPECT_TRUE(app->IsQuitting());
}

TEST_F(InputTest, KeysF10AndTypedCharactersReachTheFocusedWidget)
{
    app->GetWidgetManager()->GiveFocus(probe_.get());
    platform::testing::InjectKey(Window(), platform::VK_F10, true);
    platform::testing::InjectKey(Window(), platform::VK_F10, false);
    platform::testing::InjectText(Window(), "\xC3\xA9"); // e acute
    platform::testing::InjectKey(Window(), platform::VK_ESCAPE, true); // its character comes from the key
    Pump(20);
    EXPECT_TRUE(Logged("w:keydown " + std::to_string(platform::VK_F10)));
    EXPECT_TRUE(Logged("w:keyup " + std::to_string(platform::VK_F10)));
    EXPECT_TRUE(Logged(std::string("w:char ") + char(0xE9))); // Windows-1252
    EXPECT_TRUE(Logged(std::string("w:char ") + char(27)));
}

TEST_F(InputTest, WheelTurnsArriveAsSteps)
{
    app->GetWidgetManager()->GiveFocus(probe_.get());
    platform::testing::InjectMouseMove(Window(), 30, 30);
    platform::testing::InjectMouseWheel(Window(), -2);
    Pump(10);
    EXPECT_TRUE(Logged("w:wheel -2"));
}

TEST_F(InputTest, LosingTheFocusSilencesAndReleasesHeldButtons)
{
    platform::testing::InjectMouseButton(Window(), 1, true, 20, 20);
    Pump(10);
    platform::testing::InjectWindowEvent(Window(), platform::InputEvent::Kind::FocusLost);
    Pump(10);
    EXPECT_FALSE(app->HasFocus());
    EXPECT_TRUE(app->IsSilenced());
    EXPECT_DOUBLE_EQ(app->heardMusicVolume, 0.0);
    EXPECT_EQ(platform::GetCapture(), nullptr);
    platform::testing::InjectWindowEvent(Window(), platform::InputEvent::Kind::FocusGained);
    Pump(10);
    EXPECT_TRUE(app->HasFocus());
    EXPECT_FALSE(app->IsSilenced());
    EXPECT_DOUBLE_EQ(app->heardMusicVolume, 0.85);
}

// The application hears of each change of the window between minimised and
// shown once, and of nothing else the window's size does.
TEST_F(InputTest, MinimisingAndRestoringAreToldOnceEach)
{
    platform::SendMessageA(Window(), platform::WM_SIZE, platform::SIZE_RESTORED, 0);
    Pump(10);
    EXPECT_TRUE(app->minimizedTold.empty()) << "a size change of a window in view";
    platform::testing::InjectWindowEvent(Window(), platform::InputEvent::Kind::Minimized);
    platform::SendMessageA(Window(), platform::WM_SIZE, platform::SIZE_MINIMIZED, 0);
    Pump(10);
    EXPECT_TRUE(app->IsSilenced());
    EXPECT_EQ(app->minimizedTold, std::vector<bool>{true});
    platform::testing::InjectWindowEvent(Window(), platform::InputEvent::Kind::Restored);
    platform::SendMessageA(Window(), platform::WM_SIZE, platform::SIZE_RESTORED, 0);
    Pump(10);
    EXPECT_FALSE(app->IsSilenced());
    EXPECT_EQ(app->minimizedTold, (std::vector<bool>{true, false}));
}

TEST_F(InputTest, AButtonHeldAsTheFocusWentCountsAsReleasedWhenItComesBack)
{
    // The left button goes down, the player switches away and lets it go
    // elsewhere: the release never comes to this window.
    platform::testing::InjectMouseButton(Window(), 1, true, 20, 20);
    Pump(10);
    platform::testing::InjectWindowEvent(Window(), platform::InputEvent::Kind::FocusLost);
    Pump(10);
    platform::testing::InjectWindowEvent(Window(), platform::InputEvent::Kind::FocusGained);
    Pump(10);
    // A right click after the return captures the mouse for its press only.
    platform::testing::InjectMouseButton(Window(), 3, true, 30, 30);
    Pump(10);
    EXPECT_EQ(platform::GetCapture(), Window());
    platform::testing::InjectMouseButton(Window(), 3, false, 30, 30);
    Pump(10);
    EXPECT_EQ(platform::GetCapture(), nullptr);
}

TEST_F(InputTest, ConsumedDeveloperKeysNeverReachTheWidgets)
{
    app->GetWidgetManager()->GiveFocus(probe_.get());
    app->consumeDeveloperKeys = true;
    platform::testing::InjectKey(Window(), 'Q', true);
    Pump(10);
    EXPECT_TRUE(app->developerKeys.empty()); // not in developer mode yet
    EXPECT_TRUE(Logged("w:keydown 81"));

    platform::testing::InjectKey(Window(), platform::VK_CONTROL, true);
    platform::testing::InjectKey(Window(), platform::VK_MENU, true);
    platform::testing::InjectKey(Window(), 'D', true);
    platform::testing::InjectKey(Window(), 'D', false);
    platform::testing::InjectKey(Window(), platform::VK_MENU, false);
    platform::testing::InjectKey(Window(), platform::VK_CONTROL, false);
    Pump(30);
    ASSERT_TRUE(app->IsDeveloperMode());
    log_.clear();
    platform::testing::InjectKey(Window(), 'W', true);
    Pump(10);
    EXPECT_NE(std::find(app->developerKeys.begin(), app->developerKeys.end(), 'W'), app->developerKeys.end());
    EXPECT_FALSE(Logged("w:keydown 87"));
}

TEST_F(InputTest, AltEnterSwitchesBetweenWindowAndFullScreen)
{
    platform::SendMessageA(Window(), platform::WM_SYSKEYDOWN, platform::VK_RETURN, platform::LPARAM(1) << 29);
    Pump(10);
    EXPECT_FALSE(app->isWindowed);
    EXPECT_FALSE(app->windowedWanted);
    platform::SendMessageA(app->GetMainWindow(), platform::WM_SYSKEYDOWN, platform::VK_RETURN,
                           platform::LPARAM(1) << 29);
    Pump(10);
    EXPECT_TRUE(app->isWindowed);
    EXPECT_FALSE(Logged("w:keydown 13"));
}
