// Services of the application: texts, sound levels and muting, framework
// dialogs by id, URLs, the cursor, shared images and the fatal-error box.
#include "tests/framework/app/AppTestSupport.h"

#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Dialog.h"
#include "platform/core/FileSystem.h"
#include "platform/window/Cursor.h"

#include <algorithm>

#include <unistd.h>

using namespace apptest;

TEST_F(AppTest, TextsFallBackToTheirDefaultUntilDefined)
{
    TestApp& a = Make();
    EXPECT_EQ(a.LookupText("NO_SUCH_TEXT", L"fallback"), L"fallback");
    EXPECT_EQ(a.LookupText("DIALOG_BUTTON_OK", L"x"), L"OK");
    a.DefineText("DIALOG_BUTTON_OK", L"Fine");
    EXPECT_EQ(a.LookupText("DIALOG_BUTTON_OK", L"x"), L"Fine");
    EXPECT_EQ(a.LookupTextNarrow("DIALOG_BUTTON_OK", "x"), "Fine");
}

TEST_F(AppTest, SilenceNestsAndMusicSetWhileMutedStaysSilent)
{
    TestApp& a = StartApp();
    a.Silence(true);
    a.Silence(true);
    EXPECT_DOUBLE_EQ(a.heardMusicVolume, 0.0);
    a.SetMusicLevel(0.5);
    EXPECT_DOUBLE_EQ(a.MusicLevel(), 0.5);
    EXPECT_DOUBLE_EQ(a.heardMusicVolume, 0.0);
    a.Unsilence(true);
    EXPECT_TRUE(a.IsSilenced());
    EXPECT_DOUBLE_EQ(a.heardMusicVolume, 0.0);
    a.Unsilence(true);
    EXPECT_FALSE(a.IsSilenced());
    EXPECT_DOUBLE_EQ(a.heardMusicVolume, 0.5);
    a.Unsilence(true); // one too many changes nothing
    EXPECT_EQ(a.GetMuteCount(), 0);
}

TEST_F(AppTest, OpeningADialogWithAnIdInUseReplacesTheOldOne)
{
    TestApp& a = StartApp();
    Zolt::Dialog* first = a.OpenDialog(7, false, "One", "body", "", Zolt::Dialog::kOkCancel);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(a.FindDialog(7), first);
    EXPECT_EQ(first->Width(), 320) << "placed by the dialog table for this window";
    Zolt::Dialog* second = a.OpenDialog(7, false, "Two", "body", "", Zolt::Dialog::kYesNo);
    EXPECT_EQ(a.FindDialog(7), second);
    EXPECT_EQ(a.CountDialogs(), 1);
    EXPECT_TRUE(a.CloseDialog(7));
    EXPECT_FALSE(a.CloseDialog(7));
    EXPECT_EQ(a.CountDialogs(), 0);
    a.ProcessDeletions();
}

TEST_F(AppTest, DialogButtonsBecomeApplicationButtons)
{
    TestApp& a = Make();
    a.OnDialogButtonClicked(5, 1000);
    a.OnDialogButtonClicked(5, 1001);
    a.OnDialogButtonClicked(5, 1002);
    a.OnDialogButtonDown(6, 1000);
    EXPECT_EQ(a.clicked, (std::vector<int>{2005, 3005}));
    EXPECT_EQ(a.pressed, (std::vector<int>{2006}));
}

TEST_F(AppTest, UrlsOpenOnceAndOnlyForTheWeb)
{
    TestApp& a = StartApp();
    EXPECT_TRUE(a.LaunchUrl("https://example.org/news", false));
    EXPECT_FALSE(a.LaunchUrl("https://example.org/news", false)); // still pending
    EXPECT_FALSE(a.LaunchUrl("file:///etc/passwd", false));
    EXPECT_FALSE(a.LaunchUrl("http://x.org/a;rm -rf ~", false));
    const auto opened = platform::testing::OpenedUrls();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "https://example.org/news");
}

TEST_F(AppTest, CursorIndexOutsideTheKnownCursorsIsIgnored)
{
    TestApp& a = StartApp();
    a.SetCursorIndex(1);
    EXPECT_EQ(a.GetCursorIndex(), 1);
    a.SetCursorIndex(13);
    a.SetCursorIndex(-1);
    EXPECT_EQ(a.GetCursorIndex(), 1);
}

TEST_F(AppTest, SharedImageIsMadeOnceAndGoesAfterItsLastHandle)
{
    TestApp& a = StartApp();
    bool created = false;
    {
        Zolt::SharedImageHandle one = a.AcquireSharedImage("!canvas", "", &created);
        EXPECT_TRUE(created);
        Zolt::SharedImageHandle two = a.AcquireSharedImage("!canvas", "", &created);
        EXPECT_FALSE(created);
        EXPECT_EQ(one.GetImage(), two.GetImage());
        EXPECT_EQ(a.SharedImageCount(), 1u);
    }
    a.UpdateOnce();
    EXPECT_EQ(a.SharedImageCount(), 0u);
    Zolt::SharedImageHandle missing = a.AcquireSharedImage("no/such/file.png", "", &created);
    EXPECT_EQ(missing.GetImage(), nullptr);
}

TEST_F(AppTest, FatalErrorsUseTheFatalErrorCaption)
{
    TestApp& a = StartApp();
    a.ShowError("Something broke");
    const auto boxes = platform::testing::RecordedBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().caption, "FATAL ERROR");
    EXPECT_EQ(boxes.back().text, "Something broke");
    EXPECT_NE(a.GetCrashInfo().find("Product: PellucorTest\r\nVersion: "), std::string::npos);
}

// The screen saver's error log is kept as the crash report is: a log an
// earlier run left is moved aside, not overwritten; a link at its name is
// replaced, never followed; and a log that cannot be written is said on
// standard error with its line.
TEST_F(AppTest, TheScreenSaversErrorLogKeepsEarlierLogsFollowsNoLinkAndIsNeverLostUnsaid)
{
    const std::string data = folder_ / "data/Tovrelly/PellucorTest";
    const std::string log = data + "/ScrError.txt";
    ASSERT_TRUE(platform::MakeDirectories(data));
    platform::testing::WriteTestFile(log, "an earlier run's error\n");
    platform::testing::WriteTestFile(folder_ / "other.txt", "someone else's file\n");
    SetArguments({"-screensaver"});
    TestApp& a = StartApp();
    a.ShowError("first");
    a.ShowError("second");
    EXPECT_EQ(platform::testing::ReadTestFile(log + ".earlier"), "an earlier run's error\n");
    const std::string written = platform::testing::ReadTestFile(log);
    EXPECT_EQ(written.rfind("first ", 0), 0u) << written;
    EXPECT_NE(written.find("\nsecond "), std::string::npos) << written;
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 2) << written;
    app.reset();

    ASSERT_EQ(platform::DeleteFile(log), true);
    ASSERT_EQ(symlink((folder_ / "other.txt").c_str(), log.c_str()), 0);
    StartApp().ShowError("third");
    EXPECT_EQ(platform::testing::ReadTestFile(folder_ / "other.txt"), "someone else's file\n");
    EXPECT_EQ(platform::testing::ReadTestFile(log).rfind("third ", 0), 0u);
    app.reset();

    ASSERT_EQ(platform::DeleteFile(log), true);
    ASSERT_TRUE(platform::MakeDirectories(log));
    ::testing::internal::CaptureStderr();
    StartApp().ShowError("fourth");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("The screen saver's error could not be kept in " + log + " (a folder, not a file): fourth "),
              std::string::npos)
        << said;
}
