#include "WindowTestFixture.h"

#include "platform/window/Clipboard.h"
#include "platform/window/Cursor.h"
#include "platform/window/DrawnCanvas.h"
#include "platform/window/SystemDialogs.h"

#include <cstring>
#include <thread>

namespace platform::testing {
namespace {

using SystemServices = WindowFixture;

TEST_F(SystemServices, MessageBoxesTakeScriptedAnswersAndRecordWhatTheyShowed)
{
    ScriptAnswer("MessageBox", IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "Keep \xE9t\xE9?", "Hardware Acceleration Confirmation", MB_YESNO | MB_ICONQUESTION),
              IDYES);
    std::vector<RecordedBox> boxes = RecordedBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Hardware Acceleration Confirmation");
    EXPECT_EQ(boxes[0].text, "Keep \xC3\xA9t\xC3\xA9?") << "narrow texts are Windows-1252";
    EXPECT_EQ(boxes[0].flags, MB_YESNO | MB_ICONQUESTION);

    // Unscripted, a box answers with its default button.
    EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, L"wide", L"Caption", MB_ICONERROR), IDOK);
    EXPECT_EQ(RecordedBoxes().back().text, "wide");

}

TEST_F(SystemServices, ABoxIsTheOneTheProgramDrawsWithItsCaptionOnIt)
{
    MessageBoxA(nullptr, "Keep it?", "Question", MB_YESNOCANCEL | MB_ICONQUESTION);
    const RecordedBox box = RecordedBoxes().back();
    ASSERT_GT(box.width, 0) << "no font to draw the box with";
    ASSERT_EQ(box.picture.size(), size_t(box.width) * size_t(box.height));
    int band = 0;
    for (uint32_t pixel : box.picture)
        band += (pixel & 0xFFFFFF) == drawn_colour::kBand;
    EXPECT_GT(band, box.width * 20) << "where no frame holds its caption, the box does";

    // No box could be shown at all (no display): nothing was answered.
    FailNext("MessageBox", 0);
    EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OK), 0);
    EXPECT_EQ(RecordedBoxes().size(), 1u);
}

// A person clicking, typing and closing the window while a box is up.
void ActOnTheWindowUnderTheBox(HWND window)
{
    InjectMouseMove(window, 30, 40);
    InjectMouseButton(window, 1, true, 30, 40);
    InjectMouseButton(window, 1, false, 30, 40);
    InjectKey(window, VK_RETURN, true);
    InjectText(window, "y");
    InjectMouseWheel(window, 1);
    InjectWindowEvent(window, InputEvent::Kind::CloseRequested);
}

TEST_F(SystemServices, InputMadeUnderABoxIsDroppedNotCarriedOutAfterIt)
{
    HWND window = MakeWindow();
    HWND hidden = MakeWindow("InvisWindow", 0, false);
    bool disabledWhileUp = false;
    WhileTheNextBoxIsUp([&] {
        disabledWhileUp = !IsWindowEnabled(window) && !IsWindowEnabled(hidden);
        ActOnTheWindowUnderTheBox(window);
    });
    // The box named no owner (a damaged profile's): it still holds every
    // window of its thread.
    EXPECT_EQ(MessageBoxA(nullptr, "Some player profiles were damaged.", "Damaged Profiles", MB_OK), IDOK);
    EXPECT_TRUE(disabledWhileUp);
    EXPECT_TRUE(IsWindowEnabled(window) && IsWindowEnabled(hidden)) << "enabled again once answered";
    EXPECT_EQ(CountReceived(WM_ENABLE, window), 2);
    const std::vector<MSG> after = Pump();
    for (UINT input : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN, WM_CHAR, WM_MOUSEWHEEL, WM_MOUSEMOVE})
        EXPECT_TRUE(Only(after, input).empty()) << "message " << input;
    EXPECT_EQ(CountReceived(WM_CLOSE), 0) << "the close request made under the box";

    // After the box the window takes input again; the dialogs hold it too.
    InjectMouseButton(window, 1, true, 5, 5);
    EXPECT_EQ(Only(Pump(), WM_LBUTTONDOWN).size(), 1u);
    WhileTheNextBoxIsUp([&] { ActOnTheWindowUnderTheBox(window); });
    ChooseFromList(window, "Marker List", {"Start (00:01:00)"});
    WhileTheNextBoxIsUp([&] { ActOnTheWindowUnderTheBox(window); });
    EnterText(window, "Jump To Time", "0:45", 500);
    EXPECT_TRUE(Only(Pump(), WM_LBUTTONDOWN).empty());
    EXPECT_EQ(CountReceived(WM_CLOSE), 0);
}

TEST_F(SystemServices, EveryBoxIsWrittenToStandardErrorToo)
{
    ::testing::internal::CaptureStderr();
    MessageBoxA(nullptr, "Invalid command line parameter: -x\r\n", "FATAL ERROR", MB_ICONERROR);
    MessageBoxA(nullptr, "Keep it?", "Question", MB_YESNO);
    FailNext("MessageBox", 0);
    MessageBoxA(nullptr, "Nobody saw this", "Note", MB_OK);
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(written.find("FATAL ERROR: Invalid command line parameter: -x\n"), std::string::npos) << written;
    EXPECT_NE(written.find("Question: Keep it?\n"), std::string::npos) << "a box may wait long for its answer";
    EXPECT_NE(written.find("Note: Nobody saw this\n"), std::string::npos) << written;
    EXPECT_EQ(written.find('\r'), std::string::npos);
}

TEST_F(SystemServices, TheListDialogReturnsTheChosenIndexOrCancel)
{
    const std::vector<std::string> markers = {"Start (00:01:00)", "Flop (00:00:30)"};
    ScriptAnswer("ListDialog", 1);
    EXPECT_EQ(ChooseFromList(nullptr, "Marker List", markers), 1);
    EXPECT_EQ(RecordedBoxes().back().items, markers);
    ScriptAnswer("ListDialog", 5);
    EXPECT_EQ(ChooseFromList(nullptr, "Marker List", markers), -1) << "an answer outside the list is no choice";
    EXPECT_EQ(ChooseFromList(nullptr, "Marker List", markers), -1);
}

TEST_F(SystemServices, TheTextDialogShowsTheStartingTextAndReturnsTheEntry)
{
    ScriptAnswer("TextDialog", ScriptedAnswer{IDOK, "1:30"});
    std::optional<std::string> text = EnterText(nullptr, "Jump To Time", "0:45", 500);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "1:30");
    EXPECT_EQ(RecordedBoxes().back().text, "0:45");

    ScriptAnswer("TextDialog", ScriptedAnswer{IDOK, std::string(600, '9')});
    EXPECT_EQ(EnterText(nullptr, "Jump To Time", "", 500)->size(), 500u);
    ScriptAnswer("TextDialog", ScriptedAnswer{IDCANCEL, "ignored"});
    EXPECT_FALSE(EnterText(nullptr, "Jump To Time", "", 500));
}

TEST_F(SystemServices, OnlyWebAddressesAreOpenedAndNeverThroughAShell)
{
    EXPECT_TRUE(OpenUrl("https://example.org/pellucor"));
    EXPECT_GT(reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, "open", "http://example.org/", nullptr, nullptr,
                                                       SW_SHOWNORMAL)),
              32);
    EXPECT_EQ(OpenedUrls(), (std::vector<std::string>{"https://example.org/pellucor", "http://example.org/"}));

    for (const char* bad : {"file:///etc/passwd", "javascript:alert(1)", "http://", "https:///path",
                            "http://host/a b", "http://host/$(reboot)\n", "ftp://host/", "/usr/bin/xterm"}) {
        EXPECT_FALSE(OpenUrl(bad)) << bad;
        EXPECT_EQ(reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, "open", bad, nullptr, nullptr, SW_SHOWNORMAL)),
                  SE_ERR_NOASSOC)
            << bad;
    }
    EXPECT_EQ(OpenedUrls().size(), 2u);

    FailNext("OpenUrl", 0);
    EXPECT_EQ(reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, "open", "http://example.org/", nullptr, nullptr,
                                                       SW_SHOWNORMAL)),
              SE_ERR_FNF);
}

TEST_F(SystemServices, TextPutOnTheClipboardComesBackInEitherWidth)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_TRUE(EmptyClipboard());
    const char text[] = "Crash \xE9\x80";
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
    std::memcpy(GlobalLock(block), text, sizeof text);
    GlobalUnlock(block);
    // One block for three formats, as the framework hands it over.
    ASSERT_EQ(SetClipboardData(CF_TEXT, block), block);
    ASSERT_EQ(SetClipboardData(CF_OEMTEXT, block), block);
    ASSERT_EQ(SetClipboardData(CF_LOCALE, block), block);
    CloseClipboard();
    EXPECT_EQ(HeadlessClipboard(), "Crash \xC3\xA9\xE2\x82\xAC");

    ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto* narrow = static_cast<HGLOBAL>(GetClipboardData(CF_TEXT));
    ASSERT_NE(narrow, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(narrow)), text);
    GlobalUnlock(narrow);
    auto* wide = static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(wide))), std::wstring(L"Crash \u00E9\u20AC"));
    CloseClipboard();
}

TEST_F(SystemServices, TheClipboardIsOpenForOneThreadAtATime)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    BOOL other = TRUE;
    std::thread([&] { other = OpenClipboard(nullptr); }).join();
    EXPECT_FALSE(other);
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr) << "nothing on it yet";
    CloseClipboard();
    std::thread([&] {
        other = OpenClipboard(nullptr);
        CloseClipboard();
    }).join();
    EXPECT_TRUE(other);
    HGLOBAL block = GlobalAlloc(0, 1);
    EXPECT_FALSE(SetClipboardData(CF_TEXT, block)) << "not open: refused, and the block stays the caller's";
    GlobalFree(block);
}

TEST_F(SystemServices, TheCursorShowsWhileTheCounterIsNotNegative)
{
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
    EXPECT_EQ(LoadCursorA(nullptr, 12345), nullptr);
    SetCursor(arrow);
    EXPECT_EQ(AppliedCursor(), arrow);
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_FALSE(CursorShown());
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_FALSE(CursorShown()) << "one show does not undo two hides";
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_TRUE(CursorShown());
}

TEST_F(SystemServices, CursorsFromMasksHaveTheirTransparencyAndHotSpot)
{
    // 16 x 2: first row black then white, second row transparent then inverted.
    const uint8_t andMask[] = {0x00, 0x00, 0xFF, 0xFF};
    const uint8_t xorMask[] = {0x00, 0xFF, 0x00, 0xFF};
    HCURSOR c = CreateCursor(nullptr, 11, 4, 16, 2, andMask, xorMask);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->hotX, 11);
    EXPECT_EQ(c->hotY, 1) << "a hot spot outside is pulled in";
    EXPECT_EQ(c->pixels[0], 0xFF000000u);
    EXPECT_EQ(c->pixels[8], 0xFFFFFFFFu);
    EXPECT_EQ(c->pixels[16] >> 24, 0u);
    EXPECT_EQ(c->pixels[24], 0xFF000000u);

    HCURSOR previous = SetCursor(c);
    EXPECT_EQ(SetCursor(LoadCursorA(nullptr, IDC_HAND)), c);
    SetCursor(c);
    EXPECT_TRUE(DestroyCursor(c));
    EXPECT_EQ(GetCursor(), nullptr) << "a destroyed cursor is not current any more";
    EXPECT_FALSE(DestroyCursor(c));
    (void)previous;
    EXPECT_EQ(CreateCursor(nullptr, 0, 0, 0, 32, andMask, xorMask), nullptr);
}

} // namespace
} // namespace platform::testing
