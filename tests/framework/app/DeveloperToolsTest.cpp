// The developer keys: single steps and slow motion, the overlay, the
// profiler read-out, screenshots with running numbers and the image dump.
#include "tests/framework/app/AppTestSupport.h"

#include "framework/base/PathUtils.h"
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

TEST_F(DeveloperToolsTest, EachSingleStepPressAdvancesExactlyOneUpdate)
{
    ASSERT_TRUE(Press(platform::VK_F10));
    const int start = app->UpdateCount();
    for (int i = 0; i < 30; ++i)
        app->RunLoopStep(nullptr);
    EXPECT_EQ(app->UpdateCount(), start + 1);
    Press(platform::VK_F10);
    for (int i = 0; i < 30; ++i)
        app->RunLoopStep(nullptr);
    EXPECT_EQ(app->UpdateCount(), start + 2);

    Press(platform::VK_F10, {platform::VK_SHIFT});
    EXPECT_EQ(app->SingleStepMode(), 0);
    RunFor(100);
    EXPECT_GT(app->UpdateCount(), start + 5);

    Press(platform::VK_F10, {platform::VK_CONTROL});
    EXPECT_DOUBLE_EQ(app->demoSpeed, 0.25);
    Press(platform::VK_F10, {platform::VK_CONTROL});
    EXPECT_DOUBLE_EQ(app->demoSpeed, 1.0);
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
