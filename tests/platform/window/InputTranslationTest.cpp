#include "WindowTestFixture.h"

#include "platform/window/VirtualKeys.h"

namespace platform::testing {
namespace {

class InputTranslation : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        scoped_ = std::make_unique<ScopedClock>(clock_);
    }
    void TearDown() override
    {
        scoped_.reset();
        WindowFixture::TearDown();
    }

    // The input messages the next pump takes.
    static std::vector<MSG> InputMessages()
    {
        std::vector<MSG> result;
        for (const MSG& m : Pump()) {
            if ((m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) ||
                (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST))
                result.push_back(m);
        }
        return result;
    }

    static std::vector<UINT> Kinds(const std::vector<MSG>& messages)
    {
        std::vector<UINT> kinds;
        for (const MSG& m : messages)
            kinds.push_back(m.message);
        return kinds;
    }

    void Click(HWND w, int button, int x, int y)
    {
        InjectMouseButton(w, button, true, x, y);
        InjectMouseButton(w, button, false, x, y);
    }

    ManualClock clock_{5'000'000};
    std::unique_ptr<ScopedClock> scoped_;
};

TEST_F(InputTranslation, MousePositionsArePackedAsSigned16BitClientCoordinates)
{
    HWND w = MakeWindow();
    Pump();
    InjectMouseButton(w, 1, true, 30, 40);
    SetCapture(w);
    // Dragged off the window's top-left corner while captured.
    InjectMouseMove(w, -5, -7);
    std::vector<MSG> in = InputMessages();
    ASSERT_EQ(in.size(), 2u);
    EXPECT_EQ(in[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(in[0].lParam & 0xFFFF, 30);
    EXPECT_EQ((in[0].lParam >> 16) & 0xFFFF, 40);
    EXPECT_EQ(in[1].message, WM_MOUSEMOVE);
    EXPECT_EQ(LOWORD(static_cast<uintptr_t>(in[1].lParam)), 0xFFFB);
    EXPECT_EQ(GET_X_LPARAM(in[1].lParam), -5);
    EXPECT_EQ(GET_Y_LPARAM(in[1].lParam), -7);
    EXPECT_EQ(in[1].wParam & MK_LBUTTON, MK_LBUTTON);
}

TEST_F(InputTranslation, ButtonFlagsAndModifiersAccompanyMouseMessages)
{
    HWND w = MakeWindow();
    Pump();
    InjectKey(w, VK_LCONTROL, true);
    InjectMouseButton(w, 3, true, 1, 1);
    InjectMouseButton(w, 2, true, 1, 1);
    InjectMouseButton(w, 3, false, 1, 1);
    std::vector<MSG> in = InputMessages();
    ASSERT_EQ(in.size(), 4u);
    EXPECT_EQ(in[1].message, WM_RBUTTONDOWN);
    EXPECT_EQ(in[1].wParam, MK_RBUTTON | MK_CONTROL);
    EXPECT_EQ(in[2].message, WM_MBUTTONDOWN);
    EXPECT_EQ(in[2].wParam, MK_RBUTTON | MK_MBUTTON | MK_CONTROL);
    EXPECT_EQ(in[3].message, WM_RBUTTONUP);
    EXPECT_EQ(in[3].wParam, MK_MBUTTON | MK_CONTROL) << "the released button is no longer held";
}

TEST_F(InputTranslation, DoubleClicksNeedTheClassStyleTheTimeAndTheDistance)
{
    HWND w = MakeWindow("MainWindow", CS_DBLCLKS);
    Pump();
    Click(w, 1, 100, 100);
    clock_.AdvanceMilliseconds(200);
    Click(w, 1, 102, 98);
    Click(w, 1, 102, 98); // a third click starts over
    EXPECT_EQ(Kinds(InputMessages()), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                                                         WM_LBUTTONDOWN, WM_LBUTTONUP}));

    clock_.AdvanceMilliseconds(501);
    Click(w, 1, 102, 98);
    EXPECT_EQ(Kinds(InputMessages()), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP})) << "too late";

    Click(w, 3, 10, 10);
    Click(w, 3, 13, 10);
    EXPECT_EQ(Kinds(InputMessages()), (std::vector<UINT>{WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP}))
        << "too far";

    Click(w, 1, 50, 50);
    Click(w, 3, 50, 50);
    EXPECT_EQ(Kinds(InputMessages()), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP}))
        << "another button";
}

TEST_F(InputTranslation, AClassWithoutDoubleClicksGetsPlainPresses)
{
    HWND w = MakeWindow("Plain", 0);
    Pump();
    Click(w, 1, 5, 5);
    Click(w, 1, 5, 5);
    EXPECT_EQ(Kinds(InputMessages()), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));
}

TEST_F(InputTranslation, WheelStepsAreMultiplesOfWheelDeltaWithScreenCoordinates)
{
    HWND w = MakeWindow();
    Pump();
    InjectMouseMove(w, 10, 20);
    InjectMouseWheel(w, -2);
    std::vector<MSG> wheel = Only(Pump(), WM_MOUSEWHEEL);
    ASSERT_EQ(wheel.size(), 1u);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel[0].wParam), -240);
    EXPECT_EQ(GET_X_LPARAM(wheel[0].lParam), 110);
    EXPECT_EQ(GET_Y_LPARAM(wheel[0].lParam), 70);
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 110);
    EXPECT_EQ(p.y, 70);
}

TEST_F(InputTranslation, MouseMovesNotYetTakenAreMerged)
{
    HWND w = MakeWindow();
    Pump();
    InjectMouseMove(w, 1, 1);
    InjectMouseMove(w, 2, 2);
    InjectMouseMove(w, 3, 3);
    std::vector<MSG> moves = Only(Pump(), WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), 3);
}

TEST_F(InputTranslation, LeftAndRightModifiersFoldIntoOneCode)
{
    HWND w = MakeWindow();
    Pump();
    InjectKey(w, VK_RSHIFT, true);
    InjectKey(w, VK_RSHIFT, false);
    InjectKey(w, VK_RCONTROL, true);
    InjectKey(w, VK_RCONTROL, false);
    std::vector<MSG> in = InputMessages();
    ASSERT_EQ(in.size(), 4u);
    EXPECT_EQ(in[0].wParam, static_cast<WPARAM>(VK_SHIFT));
    EXPECT_EQ((in[0].lParam >> 16) & 0xFF, 0x36) << "the right shift's own scan code";
    EXPECT_EQ(in[2].wParam, static_cast<WPARAM>(VK_CONTROL));
    EXPECT_NE(in[2].lParam & (1 << 24), 0) << "right Ctrl is an extended key";
}

TEST_F(InputTranslation, KeyBitsCarryRepeatScanCodeAndTransition)
{
    HWND w = MakeWindow();
    Pump();
    InjectKey(w, 'A', true);
    InjectKey(w, 'A', true, true);
    InjectKey(w, 'A', false);
    std::vector<MSG> in = InputMessages();
    ASSERT_EQ(in.size(), 3u);
    const auto bits = [](const MSG& m) { return static_cast<uint32_t>(m.lParam); };
    EXPECT_EQ(bits(in[0]), 0x001E0001u);
    EXPECT_EQ(bits(in[1]), 0x401E0001u);
    EXPECT_EQ(in[2].message, WM_KEYUP);
    EXPECT_EQ(bits(in[2]), 0xC01E0001u);
}

TEST_F(InputTranslation, AltCombinationsAndF10AreSystemKeysButCtrlAltIsNot)
{
    HWND w = MakeWindow();
    Pump();
    InjectKey(w, VK_LMENU, true);
    InjectKey(w, 'X', true);
    InjectKey(w, 'X', false);
    InjectKey(w, VK_LMENU, false);
    InjectKey(w, VK_F10, true);
    InjectKey(w, VK_F10, false);
    InjectKey(w, VK_LCONTROL, true);
    InjectKey(w, VK_LMENU, true);
    InjectKey(w, 'D', true);
    std::vector<MSG> in = InputMessages();
    ASSERT_EQ(in.size(), 9u);
    EXPECT_EQ(Kinds(in), (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSKEYUP, WM_SYSKEYDOWN,
                                             WM_SYSKEYUP, WM_KEYDOWN, WM_KEYDOWN, WM_KEYDOWN}));
    EXPECT_EQ(in[0].wParam, static_cast<WPARAM>(VK_MENU));
    EXPECT_NE(static_cast<uint32_t>(in[1].lParam) & (1u << 29), 0u) << "context code: Alt held";
    EXPECT_EQ(static_cast<uint32_t>(in[4].lParam) & (1u << 29), 0u) << "F10 without Alt";
    EXPECT_EQ(in[8].wParam, static_cast<WPARAM>('D'));
}

TEST_F(InputTranslation, TypedTextArrivesAsWindows1252Characters)
{
    HWND w = MakeWindow();
    Pump();
    InjectText(w, "a\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD"); // a, e acute, euro sign, a character 1252 lacks
    std::vector<MSG> chars = Only(Pump(), WM_CHAR);
    ASSERT_EQ(chars.size(), 4u);
    EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>('a'));
    EXPECT_EQ(chars[1].wParam, 0xE9u);
    EXPECT_EQ(chars[2].wParam, 0x80u);
    EXPECT_EQ(chars[3].wParam, static_cast<WPARAM>('?'));

    InjectKey(w, VK_LMENU, true);
    InjectText(w, "r");
    EXPECT_EQ(Only(Pump(), WM_SYSCHAR).size(), 1u) << "Alt+letter is a system character";
}

TEST_F(InputTranslation, TranslateMessageMakesTheControlCharacters)
{
    HWND w = MakeWindow();
    Pump();
    InjectKey(w, VK_RETURN, true);
    InjectKey(w, VK_BACK, true);
    InjectKey(w, VK_LCONTROL, true);
    InjectKey(w, 'V', true);
    std::vector<MSG> chars = Only(Pump(), WM_CHAR);
    ASSERT_EQ(chars.size(), 3u);
    EXPECT_EQ(chars[0].wParam, 13u);
    EXPECT_EQ(chars[1].wParam, 8u);
    EXPECT_EQ(chars[2].wParam, 22u);
}

TEST_F(InputTranslation, AltF4ClosesThroughTheDefaultProcedure)
{
    HWND w = MakeWindow();
    Pump();
    InjectKey(w, VK_LMENU, true);
    InjectKey(w, VK_F4, true);
    Pump();
    EXPECT_EQ(CountReceived(WM_SYSCOMMAND, w), 1);
    EXPECT_EQ(CountReceived(WM_CLOSE, w), 1);
    keepOnClose() = false;
    InjectWindowEvent(w, InputEvent::Kind::CloseRequested);
    Pump();
    EXPECT_FALSE(IsWindow(w)) << "the default handling of WM_CLOSE destroys the window";
}

TEST_F(InputTranslation, ATerminationSignalEndsTheSessionOfEveryTopLevelWindowOnceWithoutAClose)
{
    HWND shown = MakeWindow("A");
    HWND hidden = MakeWindow("B", 0, false);
    Pump();
    for (SessionEndSignal signal :
         {SessionEndSignal::Terminate, SessionEndSignal::Hangup, SessionEndSignal::Interrupt}) {
        received().clear();
        RaiseSessionEndSignal(signal);
        Pump();
        Pump();
        EXPECT_EQ(CountReceived(WM_ENDSESSION, shown), 1) << "one signal, one notice";
        EXPECT_EQ(CountReceived(WM_ENDSESSION, hidden), 1);
        EXPECT_EQ(CountReceived(WM_CLOSE), 0) << "a close may ask a question nobody answers";
        EXPECT_TRUE(IsWindow(shown));
    }
}

TEST_F(InputTranslation, CaptureRoutesTheMouseToItsWindowUntilReleased)
{
    HWND a = MakeWindow("A");
    Register("B", 0);
    HWND b = CreateWindowExA(0, "B", "", WS_POPUP, 800, 50, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(b, SW_SHOWNA);
    Pump();
    SetCapture(a);
    EXPECT_TRUE(PointerCaptured());
    InjectMouseMove(b, 10, 10);
    std::vector<MSG> moves = Only(Pump(), WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].hwnd, a);
    EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), 710);
    ReleaseCapture();
    EXPECT_FALSE(PointerCaptured());
    EXPECT_EQ(CountReceived(WM_CAPTURECHANGED, a), 1);
    InjectMouseMove(b, 11, 10);
    moves = Only(Pump(), WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].hwnd, b);
}

TEST(Windows1252, EveryByteSurvivesTheRoundTripAndBadUtf8BecomesAQuestionMark)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
    EXPECT_EQ(Utf8ToWindows1252("\xE2\x82"), "??") << "a truncated sequence";
    EXPECT_EQ(Utf8ToWindows1252("\xFF" "a"), "?a");
    EXPECT_EQ(WideToUtf8(Utf8ToWide("\xC3\xA9t\xC3\xA9")), "\xC3\xA9t\xC3\xA9");

    wchar_t wide[8] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x80\xE9", -1, nullptr, 0), 3) << "with the terminating NUL";
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x80\xE9", -1, wide, 2), 0) << "too small";
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x80\xE9", -1, wide, 8), 3);
    EXPECT_EQ(std::wstring(wide), L"\u20AC\u00E9");
}

} // namespace
} // namespace platform::testing
