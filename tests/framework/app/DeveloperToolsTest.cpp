// The developer keys: single steps and slow motion, the overlay, the
// profiler read-out, screenshots with running numbers and the image dump.
#include "tests/framework/app/AppTestSupport.h"

#include "framework/base/PathUtils.h"
#include "framework/widgets/Widget.h"
#include "platform/core/FileSystem.h"
#include "platform/window/VirtualKeys.h"

using namespace apptest;

namespace {

class DeveloperToolsTest : public AppTest {
protected:
    void SetUp() override
    {
        StartApp();
        RunFor(50);
    }
    // The framework's own handling of a key, with modifiers held.
    bool Press(int key, std::initializer_list<int> held = {})
    {
        Zolt::WidgetManager* widgets = app->GetWidgetManager();
        for (int m : held)
            widgets->HandleKeyDown(m);
        const bool taken = app->ZoltAppBase::OnDeveloperKey(key);
        for (int m : held)
            widgets->HandleKeyUp(m);
        return taken;
    }
    std::string Shots() const { return Zolt::GetAppDataFolder() + "_screenshots/"; }
};

} // namespace

// Changes at every update; notes its smooth updates and paints.
class Stepped : public Zolt::Widget {
public:
    void Tick() override { SetDirty(true); }
    void TickSmooth(float fraction) override { smooth.push_back(fraction); }
    void Paint(Zolt::Graphics*) override { ++paints; }
    std::vector<float> smooth;
    int paints = 0;
};

// F10: each press is one update, with its smooth update and its draw; in
// between, the loop sleeps and still takes input. Shift+F10 ends the
// stepping, Ctrl+F10 switches slow motion.
TEST_F(DeveloperToolsTest, EachSingleStepPressAdvancesExactlyOneUpdate)
{
    Stepped stepped;
    stepped.SetBounds(0, 0, 640, 480);
    app->GetWidgetManager()->AddChild(&stepped);
    app->refreshPaced = true;
    ASSERT_TRUE(Press(platform::VK_F10));
    const int start = app->UpdateCount();
    const int paints = stepped.paints;
    stepped.smooth.clear();
    const uint64_t pressedAt = clock_.NowMicroseconds();
    for (int i = 0; i < 30; ++i)
        app->RunLoopStep(nullptr);
    EXPECT_EQ(app->UpdateCount(), start + 1);
    EXPECT_EQ(stepped.paints, paints + 1);
    EXPECT_EQ(stepped.smooth, std::vector<float>{1.0f});
    EXPECT_GE(clock_.NowMicroseconds() - pressedAt, 100'000u) << "asleep while waiting for the next press";
    Press(platform::VK_F10);
    for (int i = 0; i < 30; ++i)
        app->RunLoopStep(nullptr);
    EXPECT_EQ(app->UpdateCount(), start + 2);
    app->refreshPaced = false;

    Press(platform::VK_F10, {platform::VK_CONTROL});
    EXPECT_DOUBLE_EQ(app->demoSpeed, 0.25);
    Press(platform::VK_F10, {platform::VK_CONTROL});
    EXPECT_DOUBLE_EQ(app->demoSpeed, 1.0);
    Press(platform::VK_F10, {platform::VK_SHIFT});
    EXPECT_EQ(app->SingleStepMode(), 0);
    RunFor(100);
    EXPECT_GT(app->UpdateCount(), start + 5);

    Press(platform::VK_F10);
    for (int i = 0; i < 5; ++i)
        app->RunLoopStep(nullptr);
    platform::PostMessageA(app->GetMainWindow(), platform::WM_CLOSE, 0, 0);
    for (int i = 0; i < 30 && !app->IsQuitting(); ++i)
        app->RunLoopStep(nullptr);
    EXPECT_TRUE(app->IsQuitting()) << "input is still taken between presses";
    app->GetWidgetManager()->RemoveChild(&stepped);
}

TEST_F(DeveloperToolsTest, ScreenshotsTakeTheNextNumberAfterTheHighest)
{
    const int first = app->TakeScreenshot();
    ASSERT_GT(first, 0);
    EXPECT_TRUE(platform::FileExists(Shots() + std::to_string(first) + ".png"));
    ASSERT_TRUE(Press(platform::VK_F11));
    EXPECT_TRUE(platform::FileExists(Shots() + std::to_string(first + 1) + ".png"));
    platform::DeleteFile(Shots() + std::to_string(first) + ".png");
    platform::testing::WriteTestFile(Shots() + "notes.png", "not numbered");
    EXPECT_EQ(app->TakeScreenshot(), first + 2);
}

TEST_F(DeveloperToolsTest, ShiftF11DumpsEveryRegisteredImage)
{
    std::unique_ptr<Zolt::DDImage> image(new Zolt::DDImage(app->GetDisplay()));
    image->MakeBlank(30, 20);
    image->RequireBits();
    ASSERT_TRUE(Press(platform::VK_F11, {platform::VK_SHIFT}));
    const std::string page = platform::testing::ReadTestFile(Zolt::GetAppDataFolder() + "_dump/imagelist.html");
    EXPECT_NE(page.find("30 x 20<BR>"), std::string::npos);
    const size_t images = app->RegisteredImageCount();
    for (size_t i = 0; i < images; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "_dump/img%04d.png", int(i));
        EXPECT_TRUE(platform::FileExists(Zolt::GetAppDataFolder() + name)) << name;
    }
}

TEST_F(DeveloperToolsTest, OverlayAndProfilerKeys)
{
    ASSERT_TRUE(Press(platform::VK_F3));
    EXPECT_TRUE(app->IsOverlayOn());
    app->CountOverlayFrame();
    EXPECT_EQ(app->OverlayText(), "FPS: 0"); // the first read-out after a reset
    // The draw pass counts its frames and reads them out once a second.
    RunFor(2500);
    EXPECT_NE(app->OverlayText(), "FPS: 0");
    Press(platform::VK_F3, {platform::VK_SHIFT});
    EXPECT_EQ(app->OverlayKind(), 1);
    Press(platform::VK_F3, {platform::VK_SHIFT});
    EXPECT_EQ(app->OverlayKind(), 0);
    Press(platform::VK_F3);
    EXPECT_FALSE(app->IsOverlayOn());

    Press(platform::VK_F2);
    Press(platform::VK_F2);
    const auto boxes = platform::testing::RecordedBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().caption, "Perf Results");
    EXPECT_NE(boxes.back().text.find("Total Time: "), std::string::npos);
    EXPECT_FALSE(Press('Q'));

    ASSERT_TRUE(Press(platform::VK_F8));
    const auto stats = platform::testing::RecordedBoxes().back();
    EXPECT_EQ(stats.caption, "Video Stats");
    EXPECT_EQ(stats.text.rfind("3D-Mode is Off (3D is ", 0), 0u);
    EXPECT_NE(stats.text.find("\r\nNum Images: " + std::to_string(app->RegisteredImageCount()) + "\r\n"),
              std::string::npos);
}
