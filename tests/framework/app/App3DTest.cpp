// The application on the Direct3D path of the headless display: switching in
// and out of 3D, the player's stored choice across runs, the shutdown
// questions, and a failed draw recorded under "Test3D".
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/D3DTester.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/base/PathUtils.h"
#include "tests/framework/app/AppTestSupport.h"

#include "platform/core/FileSystem.h"

#include "platform/window/WindowTesting.h"

using apptest::AppTest;
using apptest::TestApp;

namespace {

Zolt::D3DTester* TesterOf(TestApp& a)
{
    auto* path = dynamic_cast<Zolt::D3DInterface*>(a.GetDisplay()->Get3DPath());
    return path ? path->GetTester() : nullptr;
}

int BoxesWithText(const std::string& fragment)
{
    int count = 0;
    for (const auto& box : platform::testing::RecordedBoxes())
        if (box.kind == "MessageBox" && box.text.find(fragment) != std::string::npos)
            ++count;
    return count;
}

std::string StoredText(TestApp& a, const std::string& name)
{
    std::string text;
    a.RegReadText(name, text);
    return text;
}

} // namespace

TEST_F(AppTest, SwitchesTo3DAndBackInAWindowAndInFullScreen)
{
    TestApp& a = StartApp();
    ASSERT_NE(a.GetDisplay()->Get3DPath(), nullptr);
    EXPECT_FALSE(a.IsIn3DMode()) << "the software display is not a recognised card: 3D stays off";

    a.ChangeDisplayMode(true, true, false);
    ASSERT_TRUE(a.IsIn3DMode());
    auto* screen = dynamic_cast<Zolt::DDImage*>(a.GetWidgetManager()->GetScreenImage());
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(screen->IsScreen3D()) << "the widgets draw onto the Direct3D screen";

    // A white square drawn through Direct3D reaches the window.
    Zolt::Graphics g(screen);
    g.SetColor(Zolt::Color(255, 255, 255));
    g.FillRectangle(10, 10, 20, 20);
    a.RecoverDisplay(nullptr);
    EXPECT_FALSE(a.IsDisplaySuspended());
    EXPECT_EQ(platform::ddraw::testing::PresentedPixel(15, 15) & 0xFFFFFF, 0xFFFFFFu);

    a.ChangeDisplayMode(false, true, false);
    EXPECT_TRUE(a.IsIn3DMode()) << "3D follows the window into full screen";
    EXPECT_FALSE(a.isWindowed);

    a.ChangeDisplayMode(true, false, false);
    EXPECT_FALSE(a.IsIn3DMode());
    EXPECT_TRUE(a.isWindowed);
    screen = dynamic_cast<Zolt::DDImage*>(a.GetWidgetManager()->GetScreenImage());
    ASSERT_NE(screen, nullptr);
    EXPECT_FALSE(screen->IsScreen3D());
}

TEST_F(AppTest, StoredChoiceOf3DOutlivesACachedWarningAndIsRewrittenWhenSwitchedOff)
{
    Make().RegWriteFlag("Is3D", true);
    app.reset();
    {
        TestApp& a = StartApp();
        EXPECT_TRUE(a.HasChosen3D());
        ASSERT_NE(TesterOf(a), nullptr);
        EXPECT_TRUE(TesterOf(a)->IsFresh());
        EXPECT_FALSE(TesterOf(a)->GetWarning().empty()) << "the software display is warned about";
        EXPECT_FALSE(a.TestRecommends3D());
        EXPECT_FALSE(a.IsIn3DMode()) << "a fresh warning holds 3D back for this run";
        app.reset();
    }
    EXPECT_EQ(BoxesWithText("Hardware Acceleration"), 0) << "nothing switched, nothing asked";
    bool stored = false;
    ASSERT_TRUE(Make().RegReadFlag("Is3D", stored)) << "the choice is not lost by that run";
    app.reset();

    // Second run: the warning now comes from the cache; the choice holds.
    TestApp& b = StartApp();
    ASSERT_NE(TesterOf(b), nullptr);
    EXPECT_FALSE(TesterOf(b)->IsFresh());
    EXPECT_TRUE(b.IsIn3DMode());
    b.SwitchHardwareMode(false, true);
    EXPECT_FALSE(b.IsIn3DMode());
    app.reset();
    EXPECT_EQ(BoxesWithText("Hardware Acceleration"), 0) << "a stored choice is updated without asking";

    stored = true;
    ASSERT_TRUE(Make().RegReadFlag("Is3D", stored));
    EXPECT_FALSE(stored);
    app.reset();
    TestApp& c = StartApp();
    EXPECT_FALSE(c.HasChosen3D());
    EXPECT_FALSE(c.IsIn3DMode());
}

TEST_F(AppTest, SwitchingOnByHandIsKeptOnlyWhenThePlayerSaysSo)
{
    {
        TestApp& a = StartApp();
        a.ChangeDisplayMode(true, true, false);
        ASSERT_TRUE(a.IsIn3DMode());
        platform::testing::ScriptAnswer("MessageBox", platform::IDNO);
        app.reset();
    }
    EXPECT_EQ(BoxesWithText("switched on during this session"), 1);
    bool stored = false;
    EXPECT_FALSE(Make().RegReadFlag("Is3D", stored)) << "No leaves the choice unstored";
    app.reset();

    {
        TestApp& a = StartApp();
        a.ChangeDisplayMode(true, true, false);
        platform::testing::ScriptAnswer("MessageBox", platform::IDYES);
        app.reset();
    }
    EXPECT_EQ(BoxesWithText("switched on during this session"), 2);
    ASSERT_TRUE(Make().RegReadFlag("Is3D", stored));
    EXPECT_TRUE(stored);
}

// The session ends (a termination signal): the question about the switch
// would stand unanswered in front of a program that must end; the choice is
// left unstored instead.
TEST_F(AppTest, AnEndingSessionIsAskedNothingAboutHardwareDrawing)
{
    TestApp& a = StartApp();
    a.ChangeDisplayMode(true, true, false);
    ASSERT_TRUE(a.IsIn3DMode());
    platform::SendMessageA(a.GetMainWindow(), platform::WM_ENDSESSION, 1, 0);
    app.reset();
    EXPECT_EQ(BoxesWithText("Hardware Acceleration"), 0);
    bool stored = false;
    EXPECT_FALSE(Make().RegReadFlag("Is3D", stored));
}

TEST_F(AppTest, FailedDrawIsRecordedUnderTest3DAndTheAppFallsBackTo2D)
{
    TestApp& a = StartApp();
    a.ChangeDisplayMode(true, true, false);
    ASSERT_TRUE(a.IsIn3DMode());

    platform::testing::FailNext("DrawPrimitive", platform::E_FAIL);
    Zolt::Graphics g(a.GetWidgetManager()->GetScreenImage());
    g.SetColor(Zolt::Color(255, 0, 0));
    g.FillRectangle(0, 0, 8, 8);

    // The present gives up 3D; the next recovery re-creates the display in 2D.
    for (int i = 0; i < 3 && (a.IsDisplaySuspended() || a.IsIn3DMode()); ++i)
        a.RecoverDisplay(nullptr);
    EXPECT_FALSE(a.IsIn3DMode());
    EXPECT_FALSE(a.IsDisplaySuspended());
    EXPECT_TRUE(a.Had3DRuntimeError());
    EXPECT_NE(StoredText(a, "Test3D\\RuntimeError").find("DrawPrimitive (Rect)"), std::string::npos);

    // 3D was switched this run and is off now: nothing to keep, but the
    // error is asked about, and No stores 2D.
    platform::testing::ScriptAnswer("MessageBox", platform::IDNO);
    app.reset();
    EXPECT_EQ(BoxesWithText("may not have been working correctly"), 1);
    bool stored = true;
    ASSERT_TRUE(Make().RegReadFlag("Is3D", stored));
    EXPECT_FALSE(stored);
}

TEST_F(AppTest, WithoutTheTestSwitchesNoVerdictIsMadeOrCached)
{
    TestApp& a = Make();
    a.autoEnable3D = false;
    a.test3D = false;
    a.RegWriteFlag("Is3D", true);
    a.Initialize();
    EXPECT_EQ(TesterOf(a), nullptr);
    EXPECT_TRUE(a.IsIn3DMode()) << "the stored choice alone decides";
    EXPECT_TRUE(StoredText(a, "Test3D\\Warning").empty());
}

namespace {

// The F8 box's text.
std::string VideoStats(TestApp& a)
{
    a.ShowMessageBox(a.BuildVideoStats(), "Video Stats", 0);
    return platform::testing::RecordedBoxes().back().text;
}

// A w x h picture of one colour, registered with the application.
std::unique_ptr<Zolt::DDImage> Picture(TestApp& a, int w, int h, uint32_t argb)
{
    auto image = std::make_unique<Zolt::DDImage>(a.GetDisplay());
    const std::vector<uint32_t> pixels(size_t(w) * size_t(h), argb);
    image->AssignBits(pixels.data(), w, h, true);
    return image;
}

} // namespace

TEST_F(AppTest, VideoStatsGiveTheCapabilityVerdictAndTheTexturesOfEachFormatAndTheDumpNamesThem)
{
    // The card is on the accepted list: the test leaves neither failure nor
    // warning.
    platform::testing::WriteTestFile(folder_ / "vhw.dat", "Pellucor software\n");
    const std::string saved = platform::GetCurrentDirectory();
    platform::SetCurrentDirectory(folder_.Path());
    TestApp& a = StartApp();
    platform::SetCurrentDirectory(saved);
    a.ChangeDisplayMode(true, true, false);
    ASSERT_TRUE(a.IsIn3DMode());
    EXPECT_EQ(VideoStats(a).rfind("3D-Mode is On (3D is Recommended on this system)\r\n\r\n", 0), 0u);

    // An opaque picture becomes a 5-6-5 texture, a translucent one 8-8-8-8.
    auto opaque = Picture(a, 64, 64, 0xFF336699u);
    auto translucent = Picture(a, 64, 32, 0x80336699u);
    auto* screen = dynamic_cast<Zolt::DDImage*>(a.GetWidgetManager()->GetScreenImage());
    ASSERT_NE(screen, nullptr);
    screen->BlitImage(opaque.get(), 0, 0, Zolt::Rect(0, 0, 64, 64), Zolt::Color::White, Zolt::DrawMode::Normal);
    screen->BlitImage(translucent.get(), 0, 0, Zolt::Rect(0, 0, 64, 32), Zolt::Color::White,
                      Zolt::DrawMode::Normal);
    const std::string stats = VideoStats(a);
    EXPECT_NE(stats.find("\r\nA8R8G8B8: 1 - 8 KB\r\nA4R4G4B4: 0 - 0 KB\r\nR5G6B5: 1 - 8 KB\r\nPalette8: 0 - 0 KB\r\n"),
              std::string::npos)
        << stats;

    a.DumpImages();
    const std::string page = platform::testing::ReadTestFile(Zolt::GetAppDataFolder() + "_dump/imagelist.html");
    EXPECT_NE(page.find("<TD>Texture<BR>R5G6B5<BR>8,192</TD>"), std::string::npos) << page;
    EXPECT_NE(page.find("<TD>Texture<BR>A8R8G8B8<BR>8,192</TD>"), std::string::npos) << page;
}

TEST_F(AppTest, VideoStatsSayWhenTheCapabilityTestOnlyWarnedOrFailed)
{
    // The software card is on no list: a warning.
    EXPECT_EQ(VideoStats(StartApp()).rfind("3D-Mode is Off (3D is Supported on this system)", 0), 0u);
    app.reset();
    platform::testing::ResetRegistry();
    // Too little video memory, even with the desktop's own counted.
    platform::testing::SetDesktopMode(platform::DesktopMode{800, 600, 16, 60});
    platform::ddraw::testing::SetVideoMemory(1024 * 1024, 1024 * 1024);
    EXPECT_EQ(VideoStats(StartApp()).rfind("3D-Mode is Off (3D is Unsupported on this system)", 0), 0u);
}
